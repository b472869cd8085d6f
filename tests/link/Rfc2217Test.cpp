// The Telnet COM-PORT bytes both ways, as golden tables, and the RFC 2217
// driver against a server of the test's own on 127.0.0.1: a server that
// takes the option, one that refuses it, and one that says nothing.

#include "link/Rfc2217SerialDriver.h"
#include "link/TelnetComPort.h"
#include "link/ZRComm.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/socket.h>

using namespace kqm52;
using namespace kqm52::telnet;
using testsupport::LoopbackServer;

namespace {

Bytes bytes(std::initializer_list<int> list) {
    Bytes b;
    for (const int v : list)
        b.push_back(std::uint8_t(v));
    return b;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

// What goes onto the wire, byte for byte.
TEST(TelnetComPort, TheClientsBytes) {
    LineState line38400;
    line38400.baud = 38400;
    LineState line65280{65280, 7, DriverParity::Odd, 2};
    const struct {
        const char* what;
        Bytes got;
        Bytes wanted;
    } rows[] = {
        {"data with 0xFF doubled", escaped(text("r1\xff\r").data(), 4),
         bytes({'r', '1', 0xFF, 0xFF, '\r'})},
        {"the opening: WILL COM-PORT, binary and no go-ahead both ways", Negotiator().opening(),
         bytes({IAC, WILL, 44, IAC, WILL, 0, IAC, WILL, 3, IAC, DO, 0, IAC, DO, 3})},
        {"38400 8E1", lineCommands(line38400),
         bytes({IAC, SB,  44, 1,  0, 0, 0x96, 0,  IAC, SE, IAC, SB, 44, 2,   8, IAC,
                SE,  IAC, SB, 44, 3, 3, IAC,  SE, IAC, SB, 44,  4,  1,  IAC, SE})},
        {"a speed with 0xFF in it, 7O2", lineCommands(line65280),
         bytes({IAC, SB, 44,  1,  0,  0, 0xFF, 0xFF, 0,  IAC, SE, IAC, SB, 44, 2,   7,
                IAC, SE, IAC, SB, 44, 3, 2,    IAC,  SE, IAC, SB, 44,  4,  2,  IAC, SE})},
        {"purge both ways", comPortCommand(ComPurgeData, {PurgeBoth}),
         bytes({IAC, SB, 44, 12, 3, IAC, SE})},
        {"line errors asked for", comPortCommand(ComSetLinestateMask, {LinestateErrors}),
         bytes({IAC, SB, 44, 10, 0x1E, IAC, SE})},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.got, r.wanted) << r.what;
}

// What comes off the wire, fed whole and byte by byte: the line's data
// never holds a Telnet command, and a command cut between reads is whole.
TEST(TelnetComPort, TheServersBytesSplitIntoDataAndEvents) {
    const Event doComPort{Event::Negotiation, DO, 44, 0, {}};
    const Event linestate{Event::ComPort, 0, 44, 106, bytes({0x04})};
    const struct {
        const char* what;
        Bytes stream;
        Bytes data;
        std::vector<Event> events;
    } rows[] = {
        {"a plain reply", text("rp 5 120\r\n"), text("rp 5 120\r\n"), {}},
        {"0xFF in the data", bytes({'a', IAC, IAC, 'b'}), bytes({'a', 0xFF, 'b'}), {}},
        {"negotiation inside a reply",
         join({text("rp 5"), bytes({IAC, DO, 44}), text(" 1\r")}),
         text("rp 5 1\r"),
         {doComPort}},
        {"a line error inside a reply",
         join({text("r"), bytes({IAC, SB, 44, 106, 0x04, IAC, SE}), text("1\r")}),
         text("r1\r"),
         {linestate}},
        {"a speed acknowledged with 0xFF in it",
         bytes({IAC, SB, 44, 101, 0, 0, 0xFF, 0xFF, 0, IAC, SE}),
         {},
         {Event{Event::ComPort, 0, 44, 101, bytes({0, 0, 0xFF, 0})}}},
        {"NOP and go-ahead carry nothing", bytes({'x', IAC, NOP, IAC, 249, 'y'}), text("xy"), {}},
        {"another option's subnegotiation is passed over",
         bytes({IAC, SB, 24, 1, IAC, SE, 'z'}),
         text("z"),
         {}},
    };
    for (const auto& r : rows) {
        for (const bool oneByOne : {false, true}) {
            Decoder decoder;
            Bytes data;
            std::vector<Event> events;
            if (oneByOne) {
                for (const std::uint8_t b : r.stream)
                    decoder.feed(&b, 1, data, events);
            } else {
                decoder.feed(r.stream.data(), int(r.stream.size()), data, events);
            }
            EXPECT_EQ(data, r.data) << r.what << (oneByOne ? " (byte by byte)" : "");
            EXPECT_EQ(events, r.events) << r.what << (oneByOne ? " (byte by byte)" : "");
        }
    }
}

// The answers owed to the server: each request answered once, a refusal
// never answered, so two sides never loop; and what the server said of
// COM-PORT.
TEST(TelnetComPort, NegotiationIsAnsweredOnceAndTheServersWordOnComPortKept) {
    using S = Negotiator::ComPortState;
    const struct {
        const char* what;
        std::vector<std::pair<int, int>> heard; // verb, option
        Bytes answered;
        S comPort;
    } rows[] = {
        {"COM-PORT taken, binary and go-ahead agreed",
         {{DO, 44}, {DO, 0}, {WILL, 0}, {DO, 3}, {WILL, 3}},
         {},
         S::Accepted},
        {"COM-PORT refused with DONT", {{DONT, 44}}, {}, S::Refused},
        {"COM-PORT refused with WONT", {{WONT, 44}}, {}, S::Refused},
        {"WONT after DO does not take it back", {{DO, 44}, {WONT, 44}}, {}, S::Accepted},
        {"echo and terminal type declined",
         {{WILL, 1}, {DO, 24}},
         bytes({IAC, DONT, 1, IAC, WONT, 24}),
         S::Asked},
        {"binary switched off and on again is agreed again",
         {{DONT, 0}, {DO, 0}},
         bytes({IAC, WILL, 0}),
         S::Asked},
    };
    for (const auto& r : rows) {
        Negotiator n;
        n.opening();
        Bytes answered;
        for (const auto& [verb, option] : r.heard) {
            const Bytes a = n.answer(
                Event{Event::Negotiation, std::uint8_t(verb), std::uint8_t(option), 0, {}});
            answered.insert(answered.end(), a.begin(), a.end());
        }
        EXPECT_EQ(answered, r.answered) << r.what;
        EXPECT_EQ(n.comPort(), r.comPort) << r.what;
    }
}

TEST(TelnetComPort, TheServersResponsesReadAsTheLineAndItsErrors) {
    LineState line;
    EXPECT_TRUE(applyResponse({Event::ComPort, 0, 44, 101, bytes({0, 0, 0x4B, 0})}, line));
    EXPECT_TRUE(applyResponse({Event::ComPort, 0, 44, 102, bytes({7})}, line));
    EXPECT_TRUE(applyResponse({Event::ComPort, 0, 44, 103, bytes({2})}, line));
    EXPECT_TRUE(applyResponse({Event::ComPort, 0, 44, 104, bytes({2})}, line));
    EXPECT_EQ(line, (LineState{19200, 7, DriverParity::Odd, 2}));
    EXPECT_FALSE(applyResponse({Event::ComPort, 0, 44, 103, bytes({4})}, line)) << "mark parity";
    EXPECT_FALSE(applyResponse({Event::ComPort, 0, 44, 112, bytes({3})}, line)) << "purge";
    EXPECT_EQ(lineErrorFlags(0x1E),
              LineErrorOverrun | LineErrorParity | LineErrorFrame | LineErrorBreak);
    EXPECT_EQ(lineErrorFlags(0x61), 0u) << "data ready, transmitter empty: no error";
}

namespace {

// Reads what the client sent until `until` holds or a second passes.
Bytes readFromClient(int fd, const std::function<bool(const Bytes&)>& until) {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!until(got) && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

void sendBytes(int fd, const Bytes& b) {
    ::send(fd, b.data(), b.size(), MSG_NOSIGNAL);
}

std::string readAll(SerialDriver& d) {
    std::string got;
    std::uint8_t b = 0;
    bool have = false;
    while (d.readByte(b, have) == 0 && have)
        got += char(b);
    return got;
}

} // namespace

// A server that takes COM-PORT: the line is set on it and read back as it
// acknowledged, a request's 0xFF goes out doubled, a reply's Telnet
// commands and line errors never reach the reply.
TEST(Rfc2217Driver, AServerThatTakesTheOptionHasTheLineSetAndItsCommandsKeptOutOfTheReply) {
    LoopbackServer server;
    Bytes heard;
    server.serve([&](int c) {
        readFromClient(c, [](const Bytes& b) { return contains(b, bytes({IAC, WILL, 44})); });
        sendBytes(c, bytes({IAC, DO, 44, IAC, DO, 0, IAC, WILL, 0}));
        // The speed's four commands, acknowledged with what was asked.
        heard = readFromClient(c, [](const Bytes& b) {
            return contains(b, bytes({IAC, SB, 44, 4}));
        });
        sendBytes(c, bytes({IAC, SB,  44, 101, 0,   0, 0x4B, 0,  IAC, SE, IAC, SB,  44, 102, 8, IAC,
                            SE,  IAC, SB, 44,  103, 1, IAC,  SE, IAC, SB, 44,  104, 1,  IAC, SE}));
        const Bytes request =
            readFromClient(c, [](const Bytes& b) { return contains(b, bytes({'\r'})); });
        heard.insert(heard.end(), request.begin(), request.end());
        sendBytes(c, join({text("rp 5 "), bytes({IAC, SB, 44, 106, 0x08, IAC, SE}),
                           bytes({IAC, IAC}), bytes({IAC, WILL, 3}), text("1\r\n")}));
        readFromClient(c, [](const Bytes&) { return false; });
    });
    Rfc2217SerialDriver d;
    ASSERT_EQ(d.open(server.address("rfc2217")), 0);
    EXPECT_FALSE(d.lineSetAtServer());
    const LineState wanted{19200, 8, DriverParity::None, 1};
    EXPECT_EQ(d.setLineState(wanted), 0);
    LineState read;
    EXPECT_EQ(d.getLineState(read), 0);
    EXPECT_EQ(read, wanted);
    const std::uint8_t request[] = {'w', 0xFF, '\r'};
    int written = 0;
    EXPECT_EQ(d.write(request, 3, written), 0);
    EXPECT_EQ(written, 3);
    d.setReadTimeout(300);
    EXPECT_EQ(readAll(d), "rp 5 \xff"
                          "1\r\n");
    std::uint32_t flags = 0;
    EXPECT_EQ(d.clearLineErrors(flags), 0);
    EXPECT_EQ(flags, std::uint32_t(LineErrorFrame));
    d.close();
    server.finish();
    EXPECT_TRUE(contains(heard, lineCommands(wanted)));
    EXPECT_TRUE(contains(heard, bytes({'w', 0xFF, 0xFF, '\r'})));
    EXPECT_FALSE(contains(heard, bytes({IAC, SB, 44, ComSetControl})))
        << "DTR and RTS are never asked for";
}

// Purging: a clean line costs the server nothing; bytes that came unasked
// have the server purge too, and the next request waits for its answer, as
// a server that flushes later would drop the request behind the purge.
TEST(Rfc2217Driver, UnaskedBytesHaveTheServerPurgeBeforeTheNextRequest) {
    const Bytes purge = comPortCommand(ComPurgeData, {PurgeBoth});
    LoopbackServer server;
    Bytes beforeFirst;
    Bytes beforeSecond;
    server.serve([&](int c) {
        readFromClient(c, [](const Bytes& b) { return contains(b, bytes({IAC, WILL, 44})); });
        sendBytes(c, bytes({IAC, DO, 44}));
        beforeFirst = readFromClient(c, [](const Bytes& b) { return contains(b, text("r1\r")); });
        sendBytes(c, text("r1 5\r\nlate"));
        beforeSecond = readFromClient(c, [&](const Bytes& b) { return contains(b, purge); });
        sendBytes(c, join({text("still late"), bytes({IAC, SB, 44, 112, 3, IAC, SE})}));
        const Bytes more =
            readFromClient(c, [](const Bytes& b) { return contains(b, text("r2\r")); });
        beforeSecond.insert(beforeSecond.end(), more.begin(), more.end());
        sendBytes(c, text("r2 0\r\n"));
        readFromClient(c, [](const Bytes&) { return false; });
    });
    Rfc2217SerialDriver d;
    ASSERT_EQ(d.open(server.address("rfc2217")), 0);
    d.setReadTimeout(200);
    int written = 0;
    const std::uint8_t first[] = {'r', '1', '\r'};
    EXPECT_EQ(d.purge(), 0);
    EXPECT_EQ(d.write(first, 3, written), 0);
    std::uint8_t b = 0;
    bool got = false;
    for (int i = 0; i < 6; ++i)
        d.readByte(b, got); // "r1 5\r\n", the reply; "late" follows unasked
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(d.purge(), 0);
    const std::uint8_t second[] = {'r', '2', '\r'};
    EXPECT_EQ(d.write(second, 3, written), 0);
    EXPECT_EQ(readAll(d), "r2 0\r\n") << "nothing late reaches the next reply";
    d.close();
    server.finish();
    EXPECT_FALSE(contains(beforeFirst, purge)) << "a clean line is not purged at the server";
    EXPECT_TRUE(contains(beforeSecond, purge));
}

// A server that refuses COM-PORT, and one that says nothing of it, are used
// as they are: the line is set at the server and the bytes pass.
TEST(Rfc2217Driver, AServerThatRefusesOrIgnoresTheOptionIsUsedRawWithItsLineSetThere) {
    for (const bool refuses : {true, false}) {
        LoopbackServer server;
        Bytes heard;
        server.serve([&](int c) {
            readFromClient(c, [](const Bytes& b) { return contains(b, bytes({IAC, WILL, 44})); });
            if (refuses) sendBytes(c, bytes({IAC, WONT, 44}));
            heard = readFromClient(c, [](const Bytes& b) { return contains(b, text("\r")); });
            sendBytes(c, text("r1 7\r\n"));
            readFromClient(c, [](const Bytes&) { return false; });
        });
        Rfc2217SerialDriver d;
        const auto before = std::chrono::steady_clock::now();
        ASSERT_EQ(d.open(server.address("rfc2217")), 0) << refuses;
        const auto took = std::chrono::steady_clock::now() - before;
        EXPECT_TRUE(d.lineSetAtServer()) << refuses;
        if (refuses) EXPECT_LT(took, std::chrono::milliseconds(500)) << "no wait after a WONT";
        EXPECT_EQ(d.setLineState(LineState{9600, 8, DriverParity::Even, 1}), 0);
        EXPECT_EQ(d.purge(), 0);
        const std::uint8_t request[] = {'r', '1', '\r'};
        int written = 0;
        EXPECT_EQ(d.write(request, 3, written), 0);
        d.setReadTimeout(300);
        EXPECT_EQ(readAll(d), "r1 7\r\n") << refuses;
        d.close();
        server.finish();
        EXPECT_FALSE(contains(heard, bytes({IAC, SB}))) << "nothing of COM-PORT sent: " << refuses;
    }
}

// The open of a network port, with its wait for the server, leaves the
// window's events running.
TEST(Rfc2217Driver, OpeningAPortThatWaitsOnTheServerKeepsTheEventLoopRunning) {
    LoopbackServer server;
    server.serve([&](int c) { readFromClient(c, [](const Bytes&) { return false; }); });
    PortMap map;
    map.setDevice(TPort::COM2, QString::fromStdString(server.address("rfc2217")));
    TZRComm port;
    port.setPortMap(&map);
    port.SetPortName(TPort::COM2);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    port.SetActive(true);
    EXPECT_TRUE(port.Active());
    EXPECT_GE(ticks, 5) << "the event loop ran while the server kept silent";
    EXPECT_TRUE(port.lineSetAtServer());
    port.SetActive(false);
}
