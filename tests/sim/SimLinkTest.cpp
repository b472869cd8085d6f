// The simulator through the tool's own link: a late answer and the time it
// takes; the demo units.

#include "SimLinkFixture.h"

#include "sim/DemoBus.h"

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class SimLinkTest : public SimLinkFixture {
  protected:
    SimLinkTest() { bus->addUnit(0, lineOf(38400)); }
    void SetUp() override { port.SetActive(true); }

    QByteArray reply(const QString& text, int timeoutMs = 0) {
        const Outcome o = ask(text, timeoutMs);
        EXPECT_TRUE(o.ok) << text.toStdString() << " failed with " << o.error.Code;
        return o.data;
    }
};

} // namespace

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
