// The simulator through the tool's own link: the time a transfer takes and a
// late answer; the demo units.

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
    // Each unit at settings of its own, so a device search finds all four;
    // two units 0 at different speeds never answer the same probe.
    QStringList units;
    for (int i = 0; i < bus->unitCount(); ++i)
        bus->withUnit(i, [&](SimUnit& u) {
            units << QStringLiteral("%1 %2 %3")
                         .arg(u.number())
                         .arg(simLineText(u.line()), u.typeText);
        });
    EXPECT_EQ(units, QStringList({"0 38400,E,8,1 MX52 Nokkenregelaar V3.07",
                                  "5 19200,E,8,1 MX52 Positioneerregelaar V2.11",
                                  "12 9600,N,8,2 MX53 Nokkenregelaar V1.02",
                                  "0 9600,O,8,1 MX52 Nokkenregelaar V3.07"}));
}
