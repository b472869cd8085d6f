// The device core: one request line in, one reply out.  No line, no time
// other than the number handed in.  Last, the units of the demo bus.

#include "sim/SimUnit.h"
#include "sim/DemoBus.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kqm52;

namespace {

QByteArray ask(SimUnit& u, const QByteArray& request, SimNanos t = 0) {
    return u.process(request, t).bytes;
}

// The expected reply: the text with its CR LF, or nothing for silence.
QByteArray wire(const char* text) {
    return *text ? QByteArray(text) + "\r\n" : QByteArray();
}

struct Case {
    const char* request;
    const char* reply = nullptr;
};

} // namespace

// Against a catalogue like Parameters.txt: 17 limited to -100 … 100 with
// default 5, 226 to 0 … 1, and two sections whose limits make no sense.
TEST(SimUnit, RepliesToEveryRequest) {
    SimCatalogue catalogue;
    catalogue.loadFromText(QStringLiteral("; comment\n"
                                          "[017]\nnaam0=Test\nmin=-100\nMAX=100\ndefault=5\n"
                                          "[226]\nmin=0\nmax=1\n"
                                          "[300]\nmin=5\nmax=1\ndefault=3\n"
                                          "[301]\nmin=x\nmax=10\n"));
    SimUnit u(3, LineState{}, catalogue);
    u.axis().moving = false;
    u.axis().startPosition = 1234;
    u.setSetpoint(7, -400);
    u.setThumbwheel(2, 2500);
    u.setInputs(17);
    u.setErrorNumber(12);
    // Refusals first: "rp 17" below shows they changed nothing.
    const struct {
        const char* reply;
        QList<const char*> requests;
    } refusals[] = {
        {"", {"", "   "}},
        {"er 1", {"xx", "RP 1", "r7"}},
        {"er 2",
         {"rp", "rp x", "rp 1 2", "rp 1 2 3", "rt 1", "wp 17", "wp 17 99999999999", "sc x"}},
        {"er 3",
         {"rp 400", "rp -1", "rs 0", "rs 49", "ws 49 1", "rd 0", "rd 5", "wp 400 1", "kr 2032",
          "kr 2046", "km 2", "kw 2033 1"}},
        {"er 5", {"kw 2041 1", "kf 1", "ka 1", "ks"}}, // calibration mode first
        {"er 7", {"wp 17 101", "wp 17 -101", "wp 226 2", "kw 2028 1", "kw 2031 1"}},
    };
    for (const auto& r : refusals)
        for (const char* request : r.requests)
            EXPECT_EQ(ask(u, request), wire(r.reply)) << '"' << request << '"';
    // In order; a reply of nullptr is the request's echo.  Blanks between words
    // become single; 300 and 301 have nonsense limits, 18 none at all.
    const Case cases[] = {{"sc 3"},
                          {"rt", "rt MX52 Nokkenregelaar V3.07"},
                          {"rh", "rh HW 2.1 SN 520003"},
                          {"rx", "rx KQM52 simulator"},
                          {"r0", "r0 1234"},
                          {"r1", "r1 0"},
                          {"r2", "r2 42"},
                          {"r3", "r3 -65"},
                          {"ri", "ri 17"},
                          {"ru", "ru 0"},
                          {"rd 2", "rd 2 2500"},
                          {"bp", "bp -1"},
                          {"rf", "rf 12"},
                          {"wf"},
                          {"rf", "rf -1"},
                          {"  rp    17  ", "rp 17 5"},
                          {"wp  17   -100", "wp 17 -100"},
                          {"rp 17", "rp 17 -100"},
                          {"rp 0", "rp 0 0"},
                          {"wp 226 1"},
                          {"rp 300", "rp 300 3"},
                          {"wp 300 100"},
                          {"wp 301 -2147483648"},
                          {"wp 18 2147483647"},
                          {"rs 7", "rs 7 -400"},
                          {"ws 48 123456"},
                          {"rs 48", "rs 48 123456"},
                          // calibration limits: "ka" needs an output chosen with "kf";
                          // storing and reading back are the calibration logic's tests
                          {"km 1"},
                          {"kf 3", "er 3"},
                          {"ka 5", "er 6"},
                          {"kf 1"},
                          {"kf 2"},
                          {"ka 100001", "er 7"},
                          {"ka 100000"},
                          {"kr 2041", "kr 2041 0"},
                          {"kw 2041 32768", "er 7"},
                          {"kw 2042 1001", "er 7"},
                          {"kw 2044 1500"},
                          {"kw 2044 1501", "er 7"}};
    for (const Case& c : cases)
        EXPECT_EQ(ask(u, c.request), wire(c.reply ? c.reply : c.request)) << c.request;
    // The live values the tool reads without knowing them in advance.
    for (const QByteArray r : {"r4", "r5", "r6", "kr 2028", "kr 2029", "kr 2030", "kr 2031"}) {
        const QByteArray got = ask(u, r, simMs(777));
        ASSERT_TRUE(got.startsWith(r + ' ') && got.endsWith("\r\n")) << got.constData();
        bool ok = false;
        got.mid(r.size() + 1).chopped(2).toInt(&ok);
        EXPECT_TRUE(ok) << got.constData();
    }
}

TEST(SimUnit, LineLongerThan80CharactersIsRefusedWithCode4) {
    SimUnit u(0, LineState{});
    auto feed = [&](const QByteArray& bytes) {
        std::optional<SimReply> r;
        for (char c : bytes)
            r = u.receiveByte(std::uint8_t(c), 0);
        return r ? r->bytes : QByteArray("(none)");
    };
    EXPECT_EQ(feed(QByteArray(81, 'a') + '\r'), QByteArray("er 4\r\n"));
    EXPECT_EQ(feed("rp 1\n\r"), QByteArray("rp 1 0\r\n")); // the next line is read afresh
}

TEST(SimUnit, SelectionRules) {
    SimUnit u(4, LineState{});
    EXPECT_TRUE(u.selected()); // powers up selected
    EXPECT_EQ(ask(u, "sc 5"), QByteArray());
    EXPECT_EQ(ask(u, "rt"), QByteArray());
    EXPECT_EQ(ask(u, "xx"), QByteArray()); // not even an error while deselected
    EXPECT_EQ(ask(u, "sc x"), QByteArray());
    EXPECT_EQ(ask(u, "sc 4"), QByteArray("sc 4\r\n"));
    EXPECT_EQ(ask(u, "sc 40"), QByteArray());
    EXPECT_FALSE(u.selected());
    u.powerCycle();
    EXPECT_TRUE(u.selected());
}

TEST(SimUnit, BpRule) {
    SimCatalogue catalogue;
    catalogue.loadFromText(QStringLiteral("[017]\nmin=-100\nmax=100\n"));
    SimUnit u(0, LineState{}, catalogue);
    // Each step changes the unit's parameters, then "bp" names the first offender.
    const struct {
        int parameter, value;
        const char* reply;
    } steps[] = {
        {255 + 3, 1, "bp 9"},    // cam 3 in use, output 0 and start = end: no length
        {351 + 3, 2, "bp 9"},    // output 2
        {30 + 3, 200, "bp -1"},  // end 200
        {303 + 3, 5, "bp -1"},   // start through a setpoint: not this rule's business,
        {30 + 3, 0, "bp -1"},    //   even with equal start and end
        {327 + 3, 53, "bp 330"}, // end selector out of range
        {303 + 3, -1, "bp 306"}, // start selector too: the lower number wins
        {351 + 3, 5, "bp 306"},  // output out of range: 354 is higher
        {17, 1000, "bp 17"},     // outside the catalogue's limits
        {17, 0, "bp 306"},       {255 + 3, 0, "bp -1"}, // cam not used: its settings do not matter
    };
    for (const auto& s : steps) {
        u.forceParameter(s.parameter, s.value);
        EXPECT_EQ(ask(u, "bp"), wire(s.reply)) << s.parameter << " = " << s.value;
    }
}

TEST(SimUnit, EepromKeepsWhatKsStored) {
    SimUnit u(0, LineState{});
    for (const char* r : {"km 1", "kw 2043 12", "ks", "kw 2043 99"})
        ask(u, r);
    EXPECT_EQ(ask(u, "kr 2043"), QByteArray("kr 2043 99\r\n"));
    u.powerCycle();
    EXPECT_EQ(ask(u, "kr 2043"), QByteArray("kr 2043 12\r\n"));
    EXPECT_EQ(ask(u, "kw 2043 1"), QByteArray("er 5\r\n")); // out of calibration mode
}

// What the fault matrix cannot show through the program: refused writes
// include the calibration's, and an overlong reply keeps its text in front.
TEST(SimUnit, ContentFaults) {
    SimUnit u(0, LineState{});
    u.faults() = SimFaults{.refuseWrites = true};
    EXPECT_EQ(ask(u, "km 1"), wire("km 1"));
    EXPECT_EQ(ask(u, "kw 2041 1"), wire("er 7"));
    u.faults() = SimFaults{.longReply = true};
    const QByteArray l = ask(u, "rt");
    EXPECT_GT(l.size(), 100);
    EXPECT_TRUE(l.startsWith("rt MX52 Nokkenregelaar V3.07 #"));
    EXPECT_TRUE(l.endsWith("#\r\n"));
}

// The echo names the next item; answers that echo no number keep theirs.
TEST(SimUnit, WrongEchoNumber) {
    SimUnit u(0, LineState{});
    u.forceParameter(7, -350);
    u.setSetpoint(48, 12);
    u.faults() = SimFaults{.wrongNumber = SimFaults::WrongWord::Always};
    const Case rows[] = {
        {"rp 7", "rp 8 -350"}, {"rp 007", "rp 8 -350"},
        {"rs 48", "rs 49 12"}, {"wp 7 -1", "wp 8 -1"},
        {"ws 3 5", "ws 4 5"},  {"rp 400", "er 3"},
        {"bp", "bp -1"},       {"rt", "rt MX52 Nokkenregelaar V3.07"},
    };
    for (const Case& c : rows)
        EXPECT_EQ(ask(u, c.request), wire(c.reply)) << c.request;
    // The writes were made all the same: only the echo is wrong.
    EXPECT_EQ(u.parameter(7), -1);
    EXPECT_EQ(u.setpoint(3), 5);

    u.faults() = SimFaults{.wrongNumber = SimFaults::WrongWord::Once};
    EXPECT_EQ(ask(u, "rs 48"), wire("rs 49 12"));
    EXPECT_EQ(ask(u, "rs 48"), wire("rs 48 12"));
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
