// The simulator through the tool's own link: every command of the table,
// selection, line settings, the time a transfer takes, and each fault as the
// link reports it.

#include "SimLinkFixture.h"

#include "sim/DemoBus.h"

#include <QDir>

#include <cerrno>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class SimLinkTest : public SimLinkFixture {
  protected:
    SimLinkTest() {
        SimUnit& u = bus->addUnit(0, lineOf(38400));
        u.axis().moving = false;
        u.axis().startPosition = 1234;
        u.setSetpoint(48, 777);
    }
    void SetUp() override { port.SetActive(true); }

    QByteArray reply(const QString& text, int timeoutMs = 0) {
        const Outcome o = ask(text, timeoutMs);
        EXPECT_TRUE(o.ok) << text.toStdString() << " failed with " << o.error.Code;
        return o.data;
    }
};

} // namespace

// Whole replies, errors included, come through the link unchanged.
TEST_F(SimLinkTest, RepliesThroughTheLink) {
    const std::pair<const char*, const char*> rows[] = {
        {"sc 0", "sc 0\r\n"},        {"rt", "rt MX52 Nokkenregelaar V3.07\r\n"},
        {"r0", "r0 1234\r\n"},       {"rs 48", "rs 48 777\r\n"},
        {"wp 17 1200", "wp 17 1200\r\n"}, {"rp 17", "rp 17 1200\r\n"},
        {"xx 1", "er 1\r\n"},        {"wp 17", "er 2\r\n"},
    };
    for (auto [request, text] : rows)
        EXPECT_EQ(reply(QString::fromLatin1(request)), QByteArray(text)) << request;
    bus->withUnit(0, [](SimUnit& u) { EXPECT_EQ(u.parameter(17), 1200); });
}

TEST_F(SimLinkTest, TheAxisMovesWhilePolled) {
    bus->withUnit(0, [](SimUnit& u) { u.axis() = SimAxis{true, 36000, 3000.0, 0.0, 20.0, 0}; });
    TRQ500Protocol c;
    c.setUpForDevice();
    c.SetZRComm(&port);
    QList<int> positions;
    c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray& r) {
        positions.append(r.mid(3).chopped(2).toInt());
        if (positions.size() == 10) c.SetActive(false);
    };
    c.SetASCIIProtocol("r0");
    c.SetActive(true);
    ASSERT_TRUE(waitUntil([&] { return positions.size() >= 10; }));
    // Each poll takes some 56 ms on the line, so 3000 units/s move 150 … 190 units.
    for (int i = 1; i < positions.size(); ++i) {
        EXPECT_GT(positions[i] - positions[i - 1], 150);
        EXPECT_LT(positions[i] - positions[i - 1], 190);
    }
}

TEST_F(SimLinkTest, SelectionRules) {
    bus->addUnit(7, lineOf(38400)).typeText = "MX53 Seven";
    bus->addUnit(5, lineOf(19200)).typeText = "MX52 Five";
    EXPECT_EQ(reply("sc 7"), QByteArray("sc 7\r\n"));
    EXPECT_EQ(reply("rt"), QByteArray("rt MX53 Seven\r\n"));
    EXPECT_EQ(reply("sc 0"), QByteArray("sc 0\r\n"));
    EXPECT_EQ(reply("rt"), QByteArray("rt MX52 Nokkenregelaar V3.07\r\n"));
    // Unit 5 listens at 19200 only: at 38400 nobody answers, and units 0 and 7
    // are deselected by the request all the same.
    EXPECT_EQ(ask("sc 5").error.Code, CommCode::Timeout);
    EXPECT_EQ(ask("rt").error.Code, CommCode::Timeout);
    port.SetBaudrate(TBaudrate::br19200); // while open: takes effect for the next byte
    EXPECT_EQ(reply("sc 5"), QByteArray("sc 5\r\n"));
    EXPECT_EQ(reply("rt"), QByteArray("rt MX52 Five\r\n"));
    EXPECT_EQ(ask("sc 31").error.Code, CommCode::Timeout); // absent unit: silence
    EXPECT_EQ(ask("rt").error.Code, CommCode::Timeout);
    port.SetBaudrate(TBaudrate::br38400);
    EXPECT_EQ(ask("rt").error.Code, CommCode::Timeout); // 0 and 7 stay deselected
    EXPECT_EQ(reply("sc 7"), QByteArray("sc 7\r\n"));
}

// The receive window's 448 requests at 38400 bit/s: each takes the request's
// line time, the turnaround, the reply's line time and the 50 ms silence
// that ends it, on the virtual clock to the nanosecond.
TEST_F(SimLinkTest, TransferOf448RequestsTakesTheLineTime) {
    const LineState l = lineOf(38400);
    SimNanos expected = 0;
    QStringList requests;
    for (int p = 0; p < 400; ++p)
        requests << QStringLiteral("rp %1").arg(p);
    for (int s = 1; s <= 48; ++s)
        requests << QStringLiteral("rs %1").arg(s);
    for (const QString& r : requests) {
        const QByteArray replyText = r.toLatin1() + ' ' + (r == "rs 48" ? "777" : "0") + "\r\n";
        expected +=
            simLineTime(l, r.size() + 1) + simMs(2) + simLineTime(l, replyText.size()) + simMs(50);
    }

    TRQ500Protocol c;
    c.setUpForDevice();
    c.SetZRComm(&port);
    int next = 0;
    int failures = 0;
    c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray& r) {
        EXPECT_TRUE(r.startsWith(requests[next].toLatin1() + ' ')) << r.constData();
        if (++next < requests.size()) {
            c.SetASCIIProtocol(requests[next]);
            c.Send();
        }
    };
    c.OnCommError = [&](TZRProtocolComponent*, const TCommError&, const QByteArray&) {
        ++failures;
    };
    const SimNanos start = now();
    c.SetASCIIProtocol(requests[0]);
    c.Send();
    ASSERT_TRUE(waitUntil([&] { return next == requests.size() || failures > 0; }, 60000));
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(now() - start, expected);
    // Some 25.4 s, of which 22.4 s are the silences.
    EXPECT_GT(expected, simMs(25000));
    EXPECT_LT(expected, simMs(26000));
}

// Each fault of the line or the driver as the link reports it: once, after its retries.
TEST_F(SimLinkTest, FaultsAsTheLinkReportsThem) {
    const struct {
        SimFaults faults;
        TCommError error;
    } rows[] = {
        {{.noAnswer = true}, {CommCode::Timeout, 0, 0}},
        {{.lineErrors = LineErrorParity}, {CommCode::LineError, 0, std::int32_t(LineErrorParity)}},
        {{.driverError = EPROTO}, {CommCode::DriverFailed, EPROTO, 0}},
        {{.vanish = true}, {CommCode::DriverFailed, EIO, 0}},
    };
    for (const auto& r : rows) {
        port.SetActive(false); // a fresh start: no bytes left from the row before
        port.SetActive(true);
        bus->setFaults(0, r.faults);
        const Outcome o = ask("rp 12");
        EXPECT_EQ(o.error, r.error) << r.error.Code;
        EXPECT_EQ(o.errors, 1);
    }
}

TEST_F(SimLinkTest, FaultLateAnswer) {
    bus->setFaults(0, {.lateMs = 150});
    EXPECT_EQ(ask("rp 1").error.Code, CommCode::Timeout); // 100 ms is too short
    port.SetActive(false);                                // forget the late bytes
    port.SetActive(true);
    const SimNanos before = now();
    EXPECT_EQ(reply("rp 1", 300), QByteArray("rp 1 0\r\n"));
    EXPECT_EQ(now() - before, simLineTime(lineOf(38400), 5) + simMs(150) +
                                  simLineTime(lineOf(38400), 8) + simMs(50));
}

TEST_F(SimLinkTest, ClosingWhileWaitingForALateReplyDeliversNothing) {
    bus->setFaults(0, {.lateMs = 5000});
    TRQ500Protocol c;
    c.setUpForDevice(10000);
    c.SetZRComm(&port);
    int events = 0;
    c.OnCommResult = [&](TZRProtocolComponent*, const QByteArray&) { ++events; };
    c.OnCommError = [&](TZRProtocolComponent*, const TCommError&, const QByteArray&) { ++events; };
    c.SetASCIIProtocol("rt");
    c.Send();
    port.SetActive(false);
    EXPECT_EQ(events, 0);
}

// The demo bus on the real clock: what "kqm52 --demo" finds.
class DemoBusTest : public SimLinkFixture {
  protected:
    DemoBusTest() : SimLinkFixture(std::make_shared<RealClock>()) {
        map.registerDriver("demo", [demo = makeDemoBus(QDir::currentPath())] {
            return std::make_unique<SimDriver>(demo);
        });
        map.setDevice(TPort::COM1, "demo");
    }
};

TEST_F(DemoBusTest, TheAxisTurnsInRealTime) {
    port.SetActive(true); // at the defaults of section "Serieel"
    EXPECT_EQ(ask("sc 0").data, QByteArray("sc 0\r\n"));
    EXPECT_EQ(ask("rp 203").data, QByteArray("rp 203 2\r\n"));
    const QByteArray a = ask("r0").data, b = ask("r0").data;
    EXPECT_TRUE(a.startsWith("r0 ") && b.startsWith("r0 "));
    EXPECT_NE(a, b);
}

// With the shipped catalogue, so the demo's values must lie within its limits.
TEST(DemoBus, UnitsAndCams) {
    auto bus = makeDemoBus(QStringLiteral(SIM_DATA_DIR));
    ASSERT_EQ(bus->unitCount(), 4);
    EXPECT_FALSE(bus->clock()->isVirtual());
    for (int i = 0; i < 4; ++i)
        bus->withUnit(i, [i](SimUnit& u) { EXPECT_EQ(u.checkParameters(), -1) << "unit " << i; });
    bus->withUnit(0, [](SimUnit& u) {
        // Over one turn every output switches on and off.
        int seenOn = 0, seenOff = 0;
        u.axis().moving = false;
        for (int pos = 0; pos < 36000; pos += 100) {
            u.axis().startPosition = pos;
            seenOn |= u.outputs(0);
            seenOff |= ~u.outputs(0) & 0xF;
        }
        EXPECT_EQ(seenOn, 0xF);
        EXPECT_EQ(seenOff, 0xF);
    });
}

TEST_F(SimLinkTest, CyclicPollingOfLongReplies) {
    bus->setFaults(0, {.longReply = true});
    std::vector<std::unique_ptr<TRQ500Protocol>> polls;
    std::vector<int> counts(5, 0);
    const char* words[] = {"r0", "r1", "r4", "r5", "r6"};
    for (int i = 0; i < 5; ++i) {
        auto c = std::make_unique<TRQ500Protocol>();
        c->setUpForDevice();
        c->SetZRComm(&port);
        c->SetASCIIProtocol(words[i]);
        c->OnCommResult = [&counts, i](TZRProtocolComponent*, const QByteArray& r) {
            EXPECT_GT(r.size(), 100);
            ++counts[i];
        };
        polls.push_back(std::move(c));
    }
    for (auto& c : polls)
        c->SetActive(true);
    EXPECT_TRUE(waitUntil(
        [&] { return std::all_of(counts.begin(), counts.end(), [](int n) { return n >= 5; }); }));
    for (auto& c : polls)
        c->SetActive(false);
}

// The device search window's probe order with both automatic switches, from 9600 bit/s,
// over the demo units on a virtual clock: it finds exactly the four of them,
// each at its own settings.
class DemoSearchTest : public SimLinkFixture {};

TEST_F(DemoSearchTest, FindsEveryDemoUnitAtItsSettings) {
    addDemoUnits(*bus, SimCatalogue());
    const TBaudrate speeds[] = {TBaudrate::br9600, TBaudrate::br19200, TBaudrate::br28800,
                                TBaudrate::br38400, TBaudrate::br57600};
    const std::pair<TParityBit, TStopBit> frames[] = {
        {TParityBit::None, TStopBit::sb_1}, {TParityBit::Odd, TStopBit::sb_1},
        {TParityBit::Even, TStopBit::sb_1}, {TParityBit::None, TStopBit::sb_2},
        {TParityBit::Odd, TStopBit::sb_2},  {TParityBit::Even, TStopBit::sb_2}};
    port.SetActive(true);
    QStringList found;
    int probes = 0;
    for (TBaudrate speed : speeds) {
        port.SetBaudrate(speed);
        for (int unit = 0; unit <= 31; ++unit) {
            for (const auto& [parity, stop] : frames) {
                port.SetFrameParitybit(parity);
                port.SetFrameStopbits(stop);
                const QString probe = QStringLiteral("sc %1").arg(unit);
                ++probes;
                const Outcome o = ask(probe);
                if (!o.ok || o.data.chopped(2) != probe.toLatin1()) continue;
                const QByteArray type = ask("rt").data.mid(3).chopped(2);
                found << QStringLiteral("%1 %2 %3 %4 %5 (probe %6)")
                             .arg(unit, 2, 10, QLatin1Char('0'))
                             .arg(QString::fromLatin1(type))
                             .arg(baudrateValue(speed))
                             .arg(parity == TParityBit::None  ? "None"
                                  : parity == TParityBit::Odd ? "Odd"
                                                              : "Even")
                             .arg(stopBitsValue(stop))
                             .arg(probes);
            }
        }
    }
    EXPECT_EQ(probes, 5 * 32 * 6);
    EXPECT_EQ(found, QStringList({"00 MX52 Nokkenregelaar V3.07 9600 Odd 1 (probe 2)",
                                  "12 MX53 Nokkenregelaar V1.02 9600 None 2 (probe 76)",
                                  "05 MX52 Positioneerregelaar V2.11 19200 Even 1 (probe 225)",
                                  "00 MX52 Nokkenregelaar V3.07 38400 Even 1 (probe 579)"}));
}
