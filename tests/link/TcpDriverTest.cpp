// The raw TCP driver against a server of the test's own on 127.0.0.1: the
// port values it takes, the bytes both ways, and a server that refuses,
// closes or keeps silent.

#include "link/TcpSerialDriver.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <QString>

#include <chrono>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace kqm52;
using testsupport::LoopbackServer;

namespace {

std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1 && c != '\r')
        line += c;
    return line;
}

std::string readReply(TcpSerialDriver& d) {
    std::string got;
    std::uint8_t b = 0;
    bool have = false;
    while (d.readByte(b, have) == 0 && have) {
        got += char(b);
        if (b == '\n') break;
    }
    return got;
}

} // namespace

TEST(TcpDriverTest, PortValuesOfTheNetworkForm) {
    struct Case {
        const char* value;
        const char* host; // nullptr: not the form
        int port;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:4001", "127.0.0.1", 4001},
        {"tcp://cabinet-3.plant.local:2000", "cabinet-3.plant.local", 2000},
        {"tcp://[::1]:4001", "::1", 4001},
        {"tcp://10.1.2.3:65535", "10.1.2.3", 65535},
        {"tcp://10.1.2.3:0", nullptr, 0},
        {"tcp://10.1.2.3:65536", nullptr, 0},
        {"tcp://10.1.2.3", nullptr, 0},
        {"tcp://:4001", nullptr, 0},
        {"rfc2217://10.1.2.3:4001", nullptr, 0},
        {"TCP://10.1.2.3:4001", nullptr, 0},
        {"/dev/ttyUSB0", nullptr, 0},
        {"tcp://10.1.2.3:4001/x", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const auto a = parseNetworkAddress(QString::fromLatin1(c.value), QStringLiteral("tcp"));
        ASSERT_EQ(a.has_value(), c.host != nullptr);
        if (!a) continue;
        EXPECT_EQ(a->host, QString::fromLatin1(c.host));
        EXPECT_EQ(a->port, c.port);
    }
}

TEST(TcpDriverTest, ARequestGoesOutAndItsReplyComesBackByteForByte) {
    LoopbackServer server;
    std::string received;
    server.serve([&](int c) {
        received = readLine(c);
        // Split across segments, with the 0xFF a raw line may carry.
        const char first[] = "rp 7 ";
        const char rest[] = "1000\xff\r\n";
        ::send(c, first, sizeof first - 1, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::send(c, rest, sizeof rest - 1, 0);
        readLine(c); // until the client closes
    });
    TcpSerialDriver d;
    ASSERT_EQ(d.open(server.address()), 0);
    d.setReadTimeout(500);
    const std::uint8_t request[] = {'r', 'p', ' ', '7', '\r'};
    int written = 0;
    ASSERT_EQ(d.write(request, 5, written), 0);
    EXPECT_EQ(written, 5);
    EXPECT_EQ(readReply(d), "rp 7 1000\xff\r\n");
    // The line settings are the server's: asked for, remembered, nothing sent.
    LineState line{19200, 8, DriverParity::None, 2};
    EXPECT_EQ(d.setLineState(line), 0);
    LineState back;
    EXPECT_EQ(d.getLineState(back), 0);
    EXPECT_EQ(back, line);
    d.close();
    server.finish();
    EXPECT_EQ(received, "rp 7");
}

TEST(TcpDriverTest, AServerThatClosesIsTheDeviceGoneAndARefusalOrAnUnknownNameIsSaid) {
    {
        LoopbackServer server;
        server.serve([](int) {});
        TcpSerialDriver d;
        ASSERT_EQ(d.open(server.address()), 0);
        d.setReadTimeout(2000);
        std::uint8_t b = 0;
        bool got = false;
        const int error = d.readByte(b, got);
        EXPECT_NE(error, 0) << "a closed peer must not read as silence";
        EXPECT_TRUE(d.isDeviceGone(error)) << d.errorText(error);
    }
    int freePort = 0;
    {
        LoopbackServer closed; // bound, then gone: nobody listens there
        freePort = closed.port();
    }
    TcpSerialDriver d;
    const std::string address = "tcp://127.0.0.1:" + std::to_string(freePort);
    const int error = d.open(address);
    EXPECT_EQ(error, ECONNREFUSED);
    EXPECT_EQ(d.errorText(error), systemErrorText(ECONNREFUSED));
    // A name nobody knows is said as the resolver says it, not as a refusal
    // (its empty label is refused before any query leaves the machine).
    const int unknown = d.open("tcp://no-such-host..invalid:4001");
    EXPECT_NE(unknown, 0);
    EXPECT_NE(d.errorText(unknown), systemErrorText(unknown)) << d.errorText(unknown);
}

TEST(TcpDriverTest, InterruptWakesAReadThatWaitsOnASilentServer) {
    LoopbackServer server;
    server.serve([](int c) { readLine(c); });
    TcpSerialDriver d;
    ASSERT_EQ(d.open(server.address()), 0);
    d.setReadTimeout(10000);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        d.interrupt();
    });
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t b = 0;
    bool got = true;
    EXPECT_EQ(d.readByte(b, got), 0);
    EXPECT_FALSE(got);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    stopper.join();
    d.close();
}
