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
        u.setInputs(17);
        u.setThumbwheel(3, -250);
        u.setSetpoint(48, 777);
        u.forceParameter(388, 1);
    }
    void SetUp() override { port.SetActive(true); }

    QByteArray reply(const QString& text, int timeoutMs = 0) {
        const Outcome o = ask(text, timeoutMs);
        EXPECT_TRUE(o.ok) << text.toStdString() << " failed with " << o.error.Code;
        return o.data;
    }
};

struct Row {
    const char* request;
    const char* reply;
};

} // namespace

TEST_F(SimLinkTest, EveryCommandOfTheTable) {
    const Row rows[] = {
        {"sc 0", "sc 0\r\n"},
        {"rt", "rt MX52 Nokkenregelaar V3.07\r\n"},
        {"rh", "rh HW 2.1 SN 520000\r\n"},
        {"rx", "rx KQM52 simulator\r\n"},
        {"r0", "r0 1234\r\n"},
        {"r1", "r1 0\r\n"},
        {"r2", "r2 42\r\n"}, // velocity 0: the unit's own offset before calibration
        {"r3", "r3 -65\r\n"},
        {"ri", "ri 17\r\n"},
        {"ru", "ru 0\r\n"},
        {"rd 3", "rd 3 -250\r\n"},
        {"rf", "rf -1\r\n"},
        {"wf", "wf\r\n"},
        {"rp 203", "rp 203 0\r\n"},
        {"rs 48", "rs 48 777\r\n"},
        {"wp 17 1200", "wp 17 1200\r\n"},
        {"rp 17", "rp 17 1200\r\n"},
        {"wp 226 0", "wp 226 0\r\n"},
        {"wp 226 1", "wp 226 1\r\n"},
        {"ws 3 -400", "ws 3 -400\r\n"},
        {"rs 3", "rs 3 -400\r\n"},
        {"bp", "bp -1\r\n"},
        {"km 1", "km 1\r\n"},
        {"kf 0", "kf 0\r\n"},
        {"kf 1", "kf 1\r\n"},
        {"kf 2", "kf 2\r\n"},
        {"kr 2041", "kr 2041 0\r\n"},
        {"kw 2041 -37", "kw 2041 -37\r\n"},
        {"kr 2041", "kr 2041 -37\r\n"},
        {"ka 100000", "ka 100000\r\n"},
        {"ks", "ks\r\n"},
        {"km 0", "km 0\r\n"},
        {"xx 1", "er 1\r\n"},
        {"wp 17", "er 2\r\n"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(reply(QString::fromLatin1(r.request)), QByteArray(r.reply)) << r.request;
    // The live values the tool reads without knowing them in advance.
    for (const char* r : {"r4", "r5", "r6", "kr 2028", "kr 2029", "kr 2030", "kr 2031"}) {
        const QByteArray got = reply(QString::fromLatin1(r));
        ASSERT_TRUE(got.startsWith(QByteArray(r) + ' ')) << r;
        bool ok = false;
        got.mid(int(qstrlen(r)) + 1).chopped(2).toInt(&ok);
        EXPECT_TRUE(ok) << got.constData();
    }
    // Every parameter and setpoint can be read.
    EXPECT_EQ(reply("rp 399"), QByteArray("rp 399 0\r\n"));
    EXPECT_EQ(reply("rs 1"), QByteArray("rs 1 0\r\n"));
    bus->withUnit(0, [](SimUnit& u) { EXPECT_EQ(u.eeprom(2041), -37); });
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

TEST_F(SimLinkTest, OtherLineSettingsGiveSilence) {
    const LineState others[] = {
        lineOf(19200), lineOf(38400, DriverParity::Odd), lineOf(38400, DriverParity::None),
        lineOf(38400, DriverParity::Even, 7), lineOf(38400, DriverParity::Even, 8, 2)};
    for (const LineState& l : others) {
        setPortLine(l);
        const SimNanos before = now();
        const Outcome o = ask("sc 0");
        EXPECT_EQ(o.error.Code, CommCode::Timeout) << simLineText(l).toStdString();
        EXPECT_EQ(o.errors, 1);
        // Written once, then the 100 ms wait for a first byte, no retry.
        EXPECT_EQ(now() - before, simLineTime(l, 5) + simMs(100));
    }
    setPortLine(lineOf(38400));
    EXPECT_EQ(reply("sc 0"), QByteArray("sc 0\r\n"));
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

TEST_F(SimLinkTest, FaultNoAnswer) {
    SimFaults f;
    f.noAnswer = true;
    bus->setFaults(0, f);
    const Outcome o = ask("sc 0");
    EXPECT_EQ(o.error, (TCommError{CommCode::Timeout, 0, 0}));
    EXPECT_EQ(o.errors, 1);
}

TEST_F(SimLinkTest, FaultLateAnswer) {
    SimFaults f;
    f.lateMs = 150;
    bus->setFaults(0, f);
    EXPECT_EQ(ask("rp 1").error.Code, CommCode::Timeout); // 100 ms is too short
    port.SetActive(false);                                // forget the late bytes
    port.SetActive(true);
    const SimNanos before = now();
    const Outcome o = ask("rp 1", 300);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.data, QByteArray("rp 1 0\r\n"));
    EXPECT_EQ(now() - before, simLineTime(lineOf(38400), 5) + simMs(150) +
                                  simLineTime(lineOf(38400), 8) + simMs(50));
}

TEST_F(SimLinkTest, FaultGarbledReply) {
    SimFaults f;
    f.garbled = true;
    bus->setFaults(0, f);
    const Outcome o = ask("rp 12");
    ASSERT_TRUE(o.ok); // the link cannot tell; the window shows "????"
    EXPECT_TRUE(o.data.startsWith("rp"));
    EXPECT_NE(o.data, QByteArray("rp 12 0\r\n"));
    bool number = true;
    o.data.mid(3).chopped(2).toInt(&number);
    EXPECT_FALSE(number);
}

TEST_F(SimLinkTest, FaultWrongCommandWordOnceAndAlways) {
    SimFaults f;
    f.wrongWord = SimFaults::WrongWord::Once;
    bus->setFaults(0, f);
    EXPECT_EQ(reply("rp 5"), QByteArray("rq 5 0\r\n"));
    EXPECT_EQ(reply("rp 5"), QByteArray("rp 5 0\r\n"));
    f.wrongWord = SimFaults::WrongWord::Always;
    bus->setFaults(0, f);
    EXPECT_EQ(reply("wp 5 1"), QByteArray("wq 5 1\r\n"));
    EXPECT_EQ(reply("rs 5"), QByteArray("rt 5 0\r\n"));
}

TEST_F(SimLinkTest, FaultRefusedWritesAndFailingBp) {
    SimFaults f;
    f.refuseWrites = true;
    f.failBp = true;
    bus->setFaults(0, f);
    EXPECT_EQ(reply("wp 5 1"), QByteArray("er 7\r\n"));
    EXPECT_EQ(reply("ws 5 1"), QByteArray("er 7\r\n"));
    EXPECT_EQ(reply("bp"), QByteArray("bp -2\r\n"));
    EXPECT_EQ(reply("rp 5"), QByteArray("rp 5 0\r\n"));
}

TEST_F(SimLinkTest, FaultPauseInsideTheReplyCutsIt) {
    SimFaults f;
    f.pauseMs = 60;
    bus->setFaults(0, f);
    EXPECT_EQ(reply("rp 12"), QByteArray("rp 1")); // the bytes before the gap
    bus->setFaults(0, {});
    // The rest comes in while the next request waits, ahead of its own reply.
    EXPECT_EQ(reply("rp 13"), QByteArray("2 0\r\nrp 13 0\r\n"));
    EXPECT_EQ(reply("rp 14"), QByteArray("rp 14 0\r\n"));
}

TEST_F(SimLinkTest, FaultLongReply) {
    SimFaults f;
    f.longReply = true;
    bus->setFaults(0, f);
    const QByteArray r = reply("rt");
    EXPECT_GT(r.size(), 100);
    EXPECT_TRUE(r.startsWith("rt MX52"));
}

TEST_F(SimLinkTest, FaultLineErrors) {
    SimFaults f;
    f.lineErrors = LineErrorParity;
    bus->setFaults(0, f);
    const Outcome o = ask("rp 1");
    EXPECT_EQ(o.error, (TCommError{CommCode::LineError, 0, std::int32_t(LineErrorParity)}));
    EXPECT_EQ(o.errors, 1); // three attempts, one report
}

TEST_F(SimLinkTest, CollidingUnitsAreALineError) {
    bus->addUnit(9, lineOf(38400)); // powers up selected, like unit 0
    const Outcome o = ask("rt");
    EXPECT_EQ(o.error.Code, CommCode::LineError);
    EXPECT_TRUE(o.error.LineErrors & LineErrorFrame);
    // The drain stops at the first flagged byte, so the rest of the mixed
    // reply is still coming in after the third attempt; start afresh.
    port.SetActive(false);
    port.SetActive(true);
    EXPECT_EQ(reply("sc 9"), QByteArray("sc 9\r\n"));
    EXPECT_EQ(reply("rp 1"), QByteArray("rp 1 0\r\n"));
}

TEST_F(SimLinkTest, FaultFailingDriverCalls) {
    SimFaults f;
    f.driverError = EPROTO;
    bus->setFaults(0, f);
    Outcome o = ask("rp 1");
    EXPECT_EQ(o.error, (TCommError{CommCode::DriverFailed, EPROTO, 0}));
    bus->setFaults(0, {});
    EXPECT_EQ(reply("rp 1"), QByteArray("rp 1 0\r\n"));

    bus->failDriverCall(SimDriverCall::Write, EIO, 3);
    o = ask("rp 1");
    EXPECT_EQ(o.error, (TCommError{CommCode::DriverFailed, EIO, 0}));
    bus->failDriverCall(SimDriverCall::ClearLineErrors, ENXIO, 1);
    o = ask("rp 1");
    EXPECT_TRUE(o.ok); // one failure, then the retry goes through
    EXPECT_EQ(o.data, QByteArray("rp 1 0\r\n"));
}

TEST_F(SimLinkTest, FaultDeviceVanishesMidReply) {
    SimFaults f;
    f.vanish = true;
    bus->setFaults(0, f);
    Outcome o = ask("rp 12");
    EXPECT_EQ(o.error, (TCommError{CommCode::DriverFailed, EIO, 0}));
    o = ask("rp 12"); // still gone
    EXPECT_EQ(o.error, (TCommError{CommCode::DriverFailed, EIO, 0}));
    port.SetActive(false);
    EXPECT_THROW(port.SetActive(true), ECommHandleError);
    EXPECT_FALSE(port.Active());
    bus->setPlugged(true);
    port.SetActive(true);
    EXPECT_EQ(reply("rp 12"), QByteArray("rp 12 0\r\n"));
}

TEST_F(SimLinkTest, ClosingWhileWaitingForALateReplyDeliversNothing) {
    SimFaults f;
    f.lateMs = 5000;
    bus->setFaults(0, f);
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

TEST_F(DemoBusTest, UnitsAnswerAtTheirOwnSettings) {
    setPortLine(lineOf(38400)); // the defaults of section "Serieel"
    port.SetActive(true);
    EXPECT_EQ(ask("sc 0").data, QByteArray("sc 0\r\n"));
    EXPECT_EQ(ask("rt").data, QByteArray("rt MX52 Nokkenregelaar V3.07\r\n"));
    EXPECT_EQ(ask("bp").data, QByteArray("bp -1\r\n"));
    EXPECT_EQ(ask("rp 203").data, QByteArray("rp 203 2\r\n"));
    const QByteArray a = ask("r0").data, b = ask("r0").data;
    EXPECT_NE(a, b); // the axis turns
    EXPECT_EQ(ask("sc 5").error.Code, CommCode::Timeout);
    port.SetBaudrate(TBaudrate::br19200);
    EXPECT_EQ(ask("sc 5").data, QByteArray("sc 5\r\n"));
    EXPECT_EQ(ask("rt").data, QByteArray("rt MX52 Positioneerregelaar V2.11\r\n"));
    port.SetBaudrate(TBaudrate::br9600);
    port.SetFrameParitybit(TParityBit::None);
    port.SetFrameStopbits(TStopBit::sb_2);
    EXPECT_EQ(ask("sc 12").data, QByteArray("sc 12\r\n"));
    EXPECT_TRUE(ask("rt").data.startsWith("rt MX53"));
}

TEST(DemoBus, UnitsAndCams) {
    // With the shipped catalogue, so the demo's values must lie within its limits.
    auto bus = makeDemoBus(QStringLiteral(SIM_DATA_DIR));
    ASSERT_EQ(bus->unitCount(), 4);
    EXPECT_FALSE(bus->clock()->isVirtual());
    EXPECT_EQ(bus->indexOf(0), 0);
    EXPECT_EQ(bus->indexOf(5), 1);
    EXPECT_EQ(bus->indexOf(12), 2);
    bus->withUnit(0, [](SimUnit& u) {
        EXPECT_EQ(u.line(), lineOf(38400));
        EXPECT_EQ(u.parameter(203), 2);
        EXPECT_EQ(u.parameter(388), 1);
        EXPECT_EQ(u.parameter(255 + 5), 2);
        EXPECT_EQ(u.checkParameters(), -1);
        EXPECT_TRUE(u.axis().moving);
        // Over one turn every output switches on and off.
        int seenOn = 0, seenOff = 0;
        for (int pos = 0; pos < 36000; pos += 100) {
            const std::int32_t saved = u.axis().startPosition;
            u.axis().moving = false;
            u.axis().startPosition = pos;
            seenOn |= u.outputs(0);
            seenOff |= ~u.outputs(0) & 0xF;
            u.axis().startPosition = saved;
            u.axis().moving = true;
        }
        EXPECT_EQ(seenOn, 0xF);
        EXPECT_EQ(seenOff, 0xF);
    });
    bus->withUnit(1, [](SimUnit& u) {
        EXPECT_EQ(u.line(), lineOf(19200));
        EXPECT_EQ(u.checkParameters(), -1);
    });
    bus->withUnit(2, [](SimUnit& u) {
        EXPECT_EQ(u.line(), lineOf(9600, DriverParity::None, 8, 2));
        EXPECT_EQ(u.checkParameters(), -1);
    });
    // unit 0's twin at the settings of a program without application.ini
    bus->withUnit(3, [](SimUnit& u) {
        EXPECT_EQ(u.number(), 0);
        EXPECT_EQ(u.line(), lineOf(9600, DriverParity::Odd, 8, 1));
        EXPECT_EQ(u.checkParameters(), -1);
        EXPECT_TRUE(u.axis().moving);
    });
}

TEST_F(SimLinkTest, CyclicPollingOfLongReplies) {
    SimFaults f;
    f.longReply = true;
    bus->setFaults(0, f);
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
