// The device core: one request line in, one reply out.  No line, no time
// other than the number handed in.

#include "sim/SimUnit.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cerrno>

using namespace kqm52;

namespace {

LineState line8E1(int baud = 38400) {
    LineState l;
    l.baud = baud;
    l.dataBits = 8;
    l.parity = DriverParity::Even;
    l.stopBits = 1;
    return l;
}

QByteArray ask(SimUnit& u, const QByteArray& request, SimNanos t = 0) {
    return u.process(request, t).bytes;
}

// A catalogue like Parameters.txt: parameter 17 limited to -100 … 100 with
// default 5, parameter 226 to 0 … 1.
SimCatalogue smallCatalogue() {
    SimCatalogue c;
    c.loadFromText(QStringLiteral("; comment\n"
                                  "[017]\nnaam0=Test\nmin=-100\nMAX=100\ndefault=5\n"
                                  "[226]\nmin=0\nmax=1\n"
                                  "[300]\nmin=5\nmax=1\ndefault=3\n"
                                  "[301]\nmin=x\nmax=10\n"));
    return c;
}

struct Case {
    const char* request;
    const char* reply;
};

} // namespace

TEST(SimUnit, AnswersEveryCommandOfTheTable) {
    SimUnit u(3, line8E1(), smallCatalogue());
    u.axis().moving = false;
    u.axis().startPosition = 1234;
    u.setSetpoint(7, -400);
    u.setThumbwheel(2, 2500);
    u.setInputs(17);
    const Case cases[] = {
        {"sc 3", "sc 3\r\n"},
        {"rt", "rt MX52 Nokkenregelaar V3.07\r\n"},
        {"rh", "rh HW 2.1 SN 520003\r\n"},
        {"rx", "rx KQM52 simulator\r\n"},
        {"r0", "r0 1234\r\n"},
        {"r1", "r1 0\r\n"},
        {"ri", "ri 17\r\n"},
        {"ru", "ru 0\r\n"},
        {"rd 2", "rd 2 2500\r\n"},
        {"rf", "rf -1\r\n"},
        {"wf", "wf\r\n"},
        {"rp 17", "rp 17 5\r\n"},
        {"rp 0", "rp 0 0\r\n"},
        {"rs 7", "rs 7 -400\r\n"},
        {"wp 17 -100", "wp 17 -100\r\n"},
        {"rp 17", "rp 17 -100\r\n"},
        {"wp 226 1", "wp 226 1\r\n"},
        {"ws 48 123456", "ws 48 123456\r\n"},
        {"rs 48", "rs 48 123456\r\n"},
        {"bp", "bp -1\r\n"},
        {"km 1", "km 1\r\n"},
        {"kf 1", "kf 1\r\n"},
        {"kr 2041", "kr 2041 0\r\n"},
        {"kw 2041 -37", "kw 2041 -37\r\n"},
        {"kr 2041", "kr 2041 -37\r\n"},
        {"ka 100000", "ka 100000\r\n"},
        {"ks", "ks\r\n"},
        {"kf 0", "kf 0\r\n"},
        {"km 0", "km 0\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ask(u, c.request), QByteArray(c.reply)) << c.request;
    EXPECT_EQ(u.eeprom(2041), -37);
}

TEST(SimUnit, EchoesWithSingleBlanks) {
    SimUnit u(0, line8E1());
    EXPECT_EQ(ask(u, "  rp    12  "), QByteArray("rp 12 0\r\n"));
    EXPECT_EQ(ask(u, "wp  12   -7"), QByteArray("wp 12 -7\r\n"));
    EXPECT_EQ(ask(u, ""), QByteArray());
    EXPECT_EQ(ask(u, "   "), QByteArray());
}

TEST(SimUnit, ErrorCodes) {
    SimUnit u(0, line8E1(), smallCatalogue());
    const Case cases[] = {
        {"xx", "er 1\r\n"},
        {"RP 1", "er 1\r\n"},
        {"r7", "er 1\r\n"},
        {"rp", "er 2\r\n"},
        {"rp x", "er 2\r\n"},
        {"rp 1 2", "er 2\r\n"},
        {"rt 1", "er 2\r\n"},
        {"wp 17", "er 2\r\n"},
        {"wp 17 99999999999", "er 2\r\n"},
        {"rp 1 2 3", "er 2\r\n"},
        {"rp 400", "er 3\r\n"},
        {"rp -1", "er 3\r\n"},
        {"rs 0", "er 3\r\n"},
        {"rs 49", "er 3\r\n"},
        {"ws 49 1", "er 3\r\n"},
        {"rd 0", "er 3\r\n"},
        {"rd 5", "er 3\r\n"},
        {"wp 400 1", "er 3\r\n"},
        {"kr 2032", "er 3\r\n"},
        {"kr 2046", "er 3\r\n"},
        {"km 2", "er 3\r\n"},
        {"kw 2041 1", "er 5\r\n"},
        {"kf 1", "er 5\r\n"},
        {"ka 1", "er 5\r\n"},
        {"ks", "er 5\r\n"},
        {"wp 17 101", "er 7\r\n"},
        {"wp 17 -101", "er 7\r\n"},
        {"wp 226 2", "er 7\r\n"},
        {"kw 2028 1", "er 7\r\n"},
        {"kw 2031 1", "er 7\r\n"},
        {"kw 2033 1", "er 3\r\n"},
        {"km 1", "km 1\r\n"},
        {"kf 3", "er 3\r\n"},
        {"ka 5", "er 6\r\n"},
        {"kf 2", "kf 2\r\n"},
        {"ka 100001", "er 7\r\n"},
        {"kw 2042 1001", "er 7\r\n"},
        {"kw 2044 1500", "kw 2044 1500\r\n"},
        {"kw 2044 1501", "er 7\r\n"},
        {"kw 2041 32768", "er 7\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ask(u, c.request), QByteArray(c.reply)) << c.request;
    EXPECT_EQ(u.parameter(17), 5); // refused writes change nothing
    EXPECT_EQ(u.parameter(226), 0);
}

TEST(SimUnit, LineLongerThan80CharactersIsRefusedWithCode4) {
    SimUnit u(0, line8E1());
    for (int i = 0; i < 81; ++i)
        EXPECT_FALSE(u.receiveByte('a', 0));
    auto r = u.receiveByte('\r', 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->bytes, QByteArray("er 4\r\n"));
    // The next line is read afresh.
    for (char c : QByteArray("rp 1\n"))
        u.receiveByte(std::uint8_t(c), 0);
    r = u.receiveByte('\r', 0);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->bytes, QByteArray("rp 1 0\r\n"));
}

TEST(SimUnit, SelectionRules) {
    SimUnit u(4, line8E1());
    EXPECT_TRUE(u.selected()); // powers up selected
    EXPECT_EQ(ask(u, "sc 5"), QByteArray());
    EXPECT_FALSE(u.selected());
    EXPECT_EQ(ask(u, "rt"), QByteArray());
    EXPECT_EQ(ask(u, "xx"), QByteArray()); // not even an error while deselected
    EXPECT_EQ(ask(u, "sc x"), QByteArray());
    EXPECT_EQ(ask(u, "sc 4"), QByteArray("sc 4\r\n"));
    EXPECT_TRUE(u.selected());
    EXPECT_EQ(ask(u, "sc x"), QByteArray("er 2\r\n"));
    EXPECT_TRUE(u.selected());
    EXPECT_EQ(ask(u, "sc 40"), QByteArray());
    EXPECT_FALSE(u.selected());
    u.powerCycle();
    EXPECT_TRUE(u.selected());
}

TEST(SimUnit, CatalogueGivesDefaultsAndLimits) {
    const SimCatalogue c = smallCatalogue();
    EXPECT_TRUE(c.loaded());
    EXPECT_TRUE(c.parameter(17).limited);
    EXPECT_EQ(c.parameter(17).min, -100);
    EXPECT_EQ(c.parameter(17).max, 100);
    EXPECT_EQ(c.parameter(17).def, 5);
    EXPECT_FALSE(c.parameter(18).limited);  // no section
    EXPECT_FALSE(c.parameter(300).limited); // min above max
    EXPECT_EQ(c.parameter(300).def, 3);
    EXPECT_FALSE(c.parameter(301).limited); // min not a number
    SimUnit u(0, line8E1());                // no catalogue: 0 and unlimited
    EXPECT_EQ(ask(u, "wp 17 2147483647"), QByteArray("wp 17 2147483647\r\n"));
    EXPECT_EQ(ask(u, "wp 17 -2147483648"), QByteArray("wp 17 -2147483648\r\n"));
    EXPECT_FALSE(SimCatalogue().loaded());
    EXPECT_FALSE(SimCatalogue::fromProgramDir(QStringLiteral("/nonexistent")).loaded());
}

TEST(SimUnit, BpRule) {
    SimUnit u(0, line8E1(), smallCatalogue());
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp -1\r\n"));
    // Cam 3 in use, output 2, start 100, end 100: no length.
    u.forceParameter(255 + 3, 1);
    u.forceParameter(351 + 3, 2);
    u.forceParameter(6 + 3, 100);
    u.forceParameter(30 + 3, 100);
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp 9\r\n"));
    u.forceParameter(30 + 3, 200);
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp -1\r\n"));
    // Equal start and end through a setpoint selector is not this rule's business.
    u.forceParameter(303 + 3, 5);
    u.forceParameter(30 + 3, 100);
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp -1\r\n"));
    u.forceParameter(327 + 3, 53); // end selector out of range
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp 330\r\n"));
    u.forceParameter(303 + 3, -1); // start selector too: the lower number wins
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp 306\r\n"));
    u.forceParameter(351 + 3, 5); // output out of range: 354 is higher, 306 stays
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp 306\r\n"));
    u.forceParameter(17, 1000); // outside the catalogue's limits
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp 17\r\n"));
    u.forceParameter(17, 0);
    u.forceParameter(255 + 3, 0); // cam not used: its settings do not matter
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp -1\r\n"));
}

TEST(SimUnit, OutputsFollowTheCams) {
    SimUnit u(0, line8E1());
    u.axis().moving = false;
    auto cam = [&](int n, int function, int out, int start, int end, int ss = 0, int es = 0) {
        u.forceParameter(6 + n, start);
        u.forceParameter(30 + n, end);
        u.forceParameter(255 + n, function);
        u.forceParameter(303 + n, ss);
        u.forceParameter(327 + n, es);
        u.forceParameter(351 + n, out);
    };
    cam(1, 1, 1, 1000, 2000);
    cam(2, 2, 3, 30000, 500);   // through zero
    cam(3, 0, 4, 0, 36000);     // not used
    cam(4, 1, 2, 0, 0, 12, 50); // setpoint 12 … thumbwheel 2
    u.setSetpoint(12, 1500);
    u.setThumbwheel(2, 1800);
    cam(5, 1, 4, 0, 0, 53, 0); // bad selector: never on
    auto at = [&](int pos) {
        u.axis().startPosition = pos;
        return ask(u, "ru");
    };
    EXPECT_EQ(at(999), QByteArray("ru 0\r\n"));
    EXPECT_EQ(at(1000), QByteArray("ru 1\r\n"));
    EXPECT_EQ(at(1500), QByteArray("ru 3\r\n"));
    EXPECT_EQ(at(1800), QByteArray("ru 1\r\n"));
    EXPECT_EQ(at(2000), QByteArray("ru 0\r\n"));
    EXPECT_EQ(at(30000), QByteArray("ru 4\r\n"));
    EXPECT_EQ(at(100), QByteArray("ru 4\r\n"));
    EXPECT_EQ(at(500), QByteArray("ru 0\r\n"));
}

TEST(SimUnit, AxisMovesWithTime) {
    SimUnit u(0, line8E1());
    u.axis() = SimAxis{true, 36000, 3000.0, 0.0, 20.0, 100};
    EXPECT_EQ(u.position(0), 100);
    EXPECT_EQ(u.position(simMs(1000)), 3100);
    EXPECT_EQ(u.position(simMs(12000)), 100); // once round
    EXPECT_EQ(u.velocity(simMs(500)), 3000);
    u.axis().amplitude = 600;
    EXPECT_EQ(u.velocity(simMs(5000)), 3600); // a quarter period: the top of the swing
    EXPECT_EQ(u.velocity(simMs(15000)), 2400);
    EXPECT_EQ(ask(u, "r1", simMs(5000)), QByteArray("r1 3600\r\n"));
}

TEST(SimUnit, InputsChangeNowAndThen) {
    SimUnit u(0, line8E1());
    QSet<int> seen;
    for (int s = 0; s < 60; ++s)
        seen.insert(u.inputs(simMs(500) * s));
    EXPECT_GT(seen.size(), 8);
    for (int v : seen)
        EXPECT_EQ(v & ~0x1F, 0);
    EXPECT_EQ(u.inputs(simMs(100)), u.inputs(simMs(200))); // not every moment
}

TEST(SimUnit, AnalogValuesRespondToCalibration) {
    SimUnit u(0, line8E1());
    const SimNanos t = simMs(1234);
    const auto ad = u.analogInVoltage(t);
    EXPECT_GT(ad, 25000);
    EXPECT_LT(ad, 75000);
    ask(u, "km 1");
    ask(u, "kw 2035 100"); // AD voltage offset: 100 x 311 uV = 311 units
    EXPECT_EQ(u.analogInVoltage(t), ad + 311);
    ask(u, "kw 2036 1000"); // gain: +1000 units at full scale
    EXPECT_EQ(u.analogInVoltage(t) - ad - 311, (std::int64_t(ad) * 1000) / 100000);

    // DA voltage under calibration follows the test value.
    ask(u, "kf 1");
    ask(u, "ka 100000");
    const auto top = u.analogOutVoltage(t);
    EXPECT_NEAR(top, 100000, 500); // the unit's own error before calibration
    EXPECT_EQ(ask(u, "r2", t), "r2 " + QByteArray::number(top) + "\r\n");
    ask(u, "kw 2042 -300");
    EXPECT_NEAR(u.analogOutVoltage(t), top - 300, 2); // 300 units at full scale
    ask(u, "ka -100000");
    const auto bottom = u.analogOutVoltage(t);
    ask(u, "kw 2040 200");
    EXPECT_NEAR(u.analogOutVoltage(t), bottom - 200, 2);
    // Current: "ka" counts double (the tool halves the value).
    ask(u, "kf 2");
    ask(u, "ka 50000");
    EXPECT_NEAR(u.analogOutCurrent(t), 100000, 500);
    EXPECT_EQ(u.analogOutVoltage(t), 42); // voltage output idle
    // Teach values move with the constants and cannot be written.
    const auto teach = ask(u, "kr 2029");
    ask(u, "kw 2041 10");
    EXPECT_NE(ask(u, "kr 2029"), teach);
    EXPECT_EQ(ask(u, "kw 2029 5"), QByteArray("er 7\r\n"));
}

TEST(SimUnit, EepromKeepsWhatKsStored) {
    SimUnit u(0, line8E1());
    ask(u, "km 1");
    ask(u, "kw 2043 12");
    ask(u, "ks");
    ask(u, "kw 2043 99");
    EXPECT_EQ(ask(u, "kr 2043"), QByteArray("kr 2043 99\r\n"));
    u.powerCycle();
    EXPECT_EQ(ask(u, "kr 2043"), QByteArray("kr 2043 12\r\n"));
    EXPECT_FALSE(u.calibrationMode());
}

TEST(SimUnit, ErrorNumber) {
    SimUnit u(0, line8E1());
    u.setErrorNumber(12);
    EXPECT_EQ(ask(u, "rf"), QByteArray("rf 12\r\n"));
    EXPECT_EQ(ask(u, "wf"), QByteArray("wf\r\n"));
    EXPECT_EQ(ask(u, "rf"), QByteArray("rf -1\r\n"));
}

TEST(SimUnit, ContentFaults) {
    SimUnit u(0, line8E1());
    u.faults().noAnswer = true;
    EXPECT_EQ(ask(u, "sc 0"), QByteArray());
    EXPECT_EQ(ask(u, "rt"), QByteArray());
    u.faults() = {};

    u.faults().wrongWord = SimFaults::WrongWord::Once;
    EXPECT_EQ(ask(u, "rp 5"), QByteArray("rq 5 0\r\n"));
    EXPECT_EQ(ask(u, "rp 5"), QByteArray("rp 5 0\r\n"));
    u.faults().wrongWord = SimFaults::WrongWord::Always;
    EXPECT_EQ(ask(u, "rz"), QByteArray("es 1\r\n")); // "er 1" for the unknown word, then "r" + 1
    u.faults() = {};

    u.faults().refuseWrites = true;
    EXPECT_EQ(ask(u, "wp 1 1"), QByteArray("er 7\r\n"));
    EXPECT_EQ(ask(u, "ws 1 1"), QByteArray("er 7\r\n"));
    ask(u, "km 1");
    EXPECT_EQ(ask(u, "kw 2041 1"), QByteArray("er 7\r\n"));
    EXPECT_EQ(u.parameter(1), 0);
    EXPECT_EQ(ask(u, "rp 1"), QByteArray("rp 1 0\r\n"));
    u.faults() = {};

    u.faults().failBp = true;
    EXPECT_EQ(ask(u, "bp"), QByteArray("bp -2\r\n"));
    u.faults() = {};

    u.faults().garbled = true;
    const QByteArray g = ask(u, "rp 12");
    EXPECT_EQ(g.left(2), QByteArray("rp"));
    EXPECT_TRUE(g.endsWith("\r\n"));
    EXPECT_NE(g, QByteArray("rp 12 0\r\n"));
    EXPECT_EQ(g.size(), 9);
    u.faults() = {};

    u.faults().longReply = true;
    const QByteArray l = ask(u, "rt");
    EXPECT_GT(l.size(), 100);
    EXPECT_TRUE(l.startsWith("rt MX52"));
    EXPECT_TRUE(l.endsWith("#\r\n"));
}

TEST(SimUnit, TimingFaultsShapeTheReply) {
    SimUnit u(0, line8E1());
    SimReply r = u.process("rt", 0);
    EXPECT_EQ(r.delay, simMs(2));
    EXPECT_EQ(r.pauseAfter, -1);
    u.setTurnaround(simUs(500));
    EXPECT_EQ(u.process("rt", 0).delay, simUs(500));
    u.faults().lateMs = 150;
    EXPECT_EQ(u.process("rt", 0).delay, simMs(150));
    u.faults() = {};
    u.faults().pauseMs = 60;
    r = u.process("rp 1", 0);
    EXPECT_EQ(r.pauseAfter, 4);
    EXPECT_EQ(r.pause, simMs(60));
    u.faults() = {};
    u.faults().lineErrors = LineErrorParity;
    u.faults().driverError = EPROTO;
    r = u.process("rp 1", 0);
    EXPECT_EQ(r.lineErrors, std::uint32_t(LineErrorParity));
    EXPECT_EQ(r.driverError, EPROTO);
    u.faults() = {};
    u.faults().vanish = true;
    r = u.process("rp 1", 0);
    EXPECT_EQ(r.vanishAfter, 4);
    EXPECT_FALSE(u.faults().vanish); // once
}

// The catalogue the program ships: its defaults make a consistent unit, and
// its limits are the ones "wp" enforces.
TEST(SimUnit, TheShippedCatalogue) {
    const SimCatalogue c = SimCatalogue::fromProgramDir(QStringLiteral(SIM_DATA_DIR));
    if (!c.loaded()) GTEST_SKIP() << "no Parameters.txt in " SIM_DATA_DIR;
    SimUnit u(0, line8E1(), c);
    EXPECT_EQ(u.checkParameters(), -1);
    for (int p = 0; p < SimParameterCount; ++p) {
        const SimParameterDef& d = c.parameter(p);
        EXPECT_EQ(u.parameter(p), d.def) << p;
        if (!d.limited) continue;
        EXPECT_EQ(
            ask(u, "wp " + QByteArray::number(p) + ' ' + QByteArray::number(qlonglong(d.max) + 1)),
            QByteArray("er 7\r\n"))
            << p;
    }
    EXPECT_EQ(ask(u, "wp 203 4"), QByteArray("wp 203 4\r\n"));
    EXPECT_EQ(ask(u, "wp 203 5"), QByteArray("er 7\r\n"));
}
