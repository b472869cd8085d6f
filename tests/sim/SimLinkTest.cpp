// The simulator through the tool's own link: the time a transfer takes, a late
// answer, and the demo units as the device search finds them.

#include "SimLinkFixture.h"

#include "sim/DemoBus.h"

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class SimLinkTest : public SimLinkFixture {
  protected:
    SimLinkTest() { bus->addUnit(0, lineOf(38400)).setSetpoint(48, 777); }
    void SetUp() override { port.SetActive(true); }

    QByteArray reply(const QString& text, int timeoutMs = 0) {
        const Outcome o = ask(text, timeoutMs);
        EXPECT_TRUE(o.ok) << text.toStdString() << " failed with " << o.error.Code;
        return o.data;
    }
};

} // namespace

// The receive window's 448 requests at 38400 bit/s: each takes the request's
// line time, the turnaround, the reply's line time and the 50 ms silence
// that ends it, on the virtual clock to the nanosecond.
TEST_F(SimLinkTest, TransferOf448RequestsTakesTheLineTime) {
    const LineState l = lineOf(38400);
    QStringList requests;
    for (int p = 0; p < 400; ++p)
        requests << QStringLiteral("rp %1").arg(p);
    for (int s = 1; s <= 48; ++s)
        requests << QStringLiteral("rs %1").arg(s);
    SimNanos expected = 0;
    const SimNanos start = now();
    for (const QString& r : requests) {
        const QByteArray text = r.toLatin1() + ' ' + (r == "rs 48" ? "777" : "0") + "\r\n";
        ASSERT_EQ(reply(r), text);
        expected +=
            simLineTime(l, r.size() + 1) + simMs(2) + simLineTime(l, text.size()) + simMs(50);
    }
    EXPECT_EQ(now() - start, expected);
    // Some 25.4 s, of which 22.4 s are the silences.
    EXPECT_GT(expected, simMs(25000));
    EXPECT_LT(expected, simMs(26000));
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

// With the shipped catalogue, so the demo's values must lie within its limits.
TEST(DemoBus, UnitsAndCams) {
    auto bus = makeDemoBus(QStringLiteral(SIM_DATA_DIR));
    ASSERT_EQ(bus->unitCount(), 4);
    EXPECT_FALSE(bus->clock()->isVirtual());
    for (int i = 0; i < 4; ++i)
        bus->withUnit(i, [i](SimUnit& u) { EXPECT_EQ(u.checkParameters(), -1) << "unit " << i; });
    bus->withUnit(0, [](SimUnit& u) {
        EXPECT_EQ(u.process("rp 203", 0).bytes, QByteArray("rp 203 2\r\n"));
        EXPECT_NE(u.process("r0", 0).bytes, u.process("r0", simMs(100)).bytes); // it turns
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
        // Trimmed constants, stored: the calibration window reads them back.
        EXPECT_EQ(u.process("kr 2041", 0).bytes, QByteArray("kr 2041 -13\r\n"));
        for (int n = SimUnit::CalFirst; n <= SimUnit::CalLast; ++n)
            EXPECT_EQ(u.calibration(n), u.eeprom(n)) << n;
    });
    bus->withUnit(bus->indexOf(12), [](SimUnit& u) {
        EXPECT_EQ(u.process("kr 2036", 0).bytes, QByteArray("kr 2036 0\r\n")); // never trimmed
    });
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
    const QString parityNames[] = {"None", "Even", "Odd"}; // in TParityBit's order
    port.SetActive(true);
    QStringList found;
    int probes = 0;
    for (TBaudrate speed : speeds)
        for (int unit = 0; unit <= 31; ++unit)
            for (const auto& [parity, stop] : frames) {
                port.SetBaudrate(speed);
                port.SetFrameParitybit(parity);
                port.SetFrameStopbits(stop);
                const QByteArray probe = "sc " + QByteArray::number(unit);
                ++probes;
                if (ask(probe).data != probe + "\r\n") continue;
                found << QStringLiteral("%1 %2 %3 %4 %5 (probe %6)")
                             .arg(QString::number(unit).rightJustified(2, '0'),
                                  QString::fromLatin1(ask("rt").data.mid(3).chopped(2)),
                                  QString::number(baudrateValue(speed)), parityNames[int(parity)],
                                  QString::number(stopBitsValue(stop)), QString::number(probes));
            }
    EXPECT_EQ(probes, 5 * 32 * 6);
    EXPECT_EQ(found, QStringList({"00 MX52 Nokkenregelaar V3.07 9600 Odd 1 (probe 2)",
                                  "12 MX53 Nokkenregelaar V1.02 9600 None 2 (probe 76)",
                                  "05 MX52 Positioneerregelaar V2.11 19200 Even 1 (probe 225)",
                                  "00 MX52 Nokkenregelaar V3.07 38400 Even 1 (probe 579)"}));
}
