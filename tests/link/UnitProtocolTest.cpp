// The unit's words: every request as it goes out, and what each shape of
// reply means to the reader that asked.

#include "link/UnitProtocol.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <array>
#include <optional>

using namespace kqm52;
using namespace kqm52::unit;

namespace {

using Kind = Reply::Kind;

TEST(UnitRequests, AsTheyGoOnTheLine) {
    const std::pair<QString, const char*> rows[] = {
        {selectUnit(0), "sc 0"},
        {selectUnit(31), "sc 31"},
        {readType(), "rt"},
        {readHardware(), "rh"},
        {readExtra(), "rx"},
        {readLive(LiveValue::Position), "r0"},
        {readLive(LiveValue::Velocity), "r1"},
        {readLive(LiveValue::OutputVoltage), "r2"},
        {readLive(LiveValue::OutputCurrent), "r3"},
        {readLive(LiveValue::InputVoltage), "r4"},
        {readLive(LiveValue::InputCurrent), "r5"},
        {readLive(LiveValue::InputAwe), "r6"},
        {readInputs(), "ri"},
        {readOutputs(), "ru"},
        {readThumbwheel(4), "rd 4"},
        {readErrorNumber(), "rf"},
        {resetError(), "wf"},
        {readParameter(0), "rp 0"},
        {readParameter(399), "rp 399"},
        {writeParameter(17, -350), "wp 17 -350"},
        {writeParameter(399, 2147483647), "wp 399 2147483647"},
        {writeParameter(0, -2147483647 - 1), "wp 0 -2147483648"},
        {readSetpoint(48), "rs 48"},
        {writeSetpoint(1, 0), "ws 1 0"},
        {compute(), "bp"},
        {selectAnalogInput(false), "wp 226 0"},
        {selectAnalogInput(true), "wp 226 1"},
        {calibrationMode(true), "km 1"},
        {calibrationMode(false), "km 0"},
        {calibrationOutput(CalibratedOutput::None), "kf 0"},
        {calibrationOutput(CalibratedOutput::Voltage), "kf 1"},
        {calibrationOutput(CalibratedOutput::Current), "kf 2"},
        {readCalibration(2041), "kr 2041"},
        {writeCalibration(2041, 0), "kw 2041 0"},
        {writeCalibration(2034, -12), "kw 2034 -12"},
        {driveOutput(-32767), "ka -32767"},
        {storeCalibration(), "ks"},
    };
    for (const auto& [built, wire] : rows)
        EXPECT_EQ(built, QLatin1String(wire));
}

TEST(UnitRequests, EveryWordNamesOneCommandBothWays) {
    for (int c = int(Command::SelectUnit); c <= int(Command::Refusal); ++c) {
        const QLatin1StringView word = wordOf(Command(c));
        ASSERT_EQ(word.size(), 2) << c;
        EXPECT_EQ(commandOf(QByteArrayView(word.data(), 2)), Command(c)) << word.data();
    }
    EXPECT_EQ(commandOf(QByteArrayView("zz")), Command::Unknown);
    EXPECT_EQ(commandOf(QByteArrayView("r")), Command::Unknown);
    EXPECT_EQ(commandOf(QStringView(u"rp 17")), Command::ReadParameter);
}

struct ReplyRow {
    const char* request;
    QByteArray reply;
    Kind kind;
    bool answers;
    std::optional<qint32> number;
    qint32 valueOrError;
};

void expectRows(std::initializer_list<ReplyRow> rows, int buffer = 100) {
    for (const ReplyRow& row : rows) {
        const Reply r = classifyReply(QString::fromLatin1(row.request), row.reply, buffer);
        const std::string what = std::string(row.request) + " <- " + row.reply.toStdString();
        EXPECT_EQ(r.kind, row.kind) << what;
        EXPECT_EQ(r.answers(), row.answers) << what;
        EXPECT_EQ(r.number, row.number) << what;
        if (row.kind == Kind::Value) {
            EXPECT_EQ(r.value, row.valueOrError) << what;
        } else if (row.kind == Kind::Refused) {
            EXPECT_EQ(r.error, row.valueOrError) << what;
        }
    }
}

TEST(UnitReplies, ReadsWithAnItemNumberCarryItsEchoAndValue) {
    expectRows({
        {"rp 12", "rp 12 -350\r\n", Kind::Value, true, 12, -350},
        {"rs 48", "rs 48 2147483647\r\n", Kind::Value, true, 48, 2147483647},
        {"rp 7", "rp 7 5\n\r", Kind::Value, true, 7, 5},   // whatever the two last bytes are
        {"rp 7", "rp 007 5\r\n", Kind::Value, true, 7, 5}, // the echo is a number
        {"kr 2041", "kr 02041 -37\r\n", Kind::Value, true, 2041, -37},
        {"rd 2", "rd 2 17\r\n", Kind::Value, true, 2, 17},
        // The unit may pad a value with zeros or set it between blanks.
        {"rp 5", "rp 5  -0000000000012 \r\n", Kind::Value, true, 5, -12},
        {"rd 4", "rd 4 00000000000000000017\r\n", Kind::Value, true, 4, 17},
        // About another item, or in another command's words: not the answer.
        {"rp 12", "rp 13 -350\r\n", Kind::Value, false, 13, -350},
        {"kr 2041", "kr 2042 -37\r\n", Kind::Value, false, 2042, -37},
        {"kr 2041", "kw 2041 -37\r\n", Kind::Value, false, 2041, -37},
        {"rp 12", "rs 12 -350\r\n", Kind::Value, false, 12, -350},
        {"rd 2", "rd 3 17\r\n", Kind::Value, false, 3, 17},
        // No value after the echo, or not a decimal integer there.
        {"rp 5", "rp 5\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp 5 12x\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp 5 1,5\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp 5 +5\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp 5 2147483648\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp 5 1 2\r\n", Kind::Unreadable, false, 5, 0},
        {"rp 5", "rp  5\r\n", Kind::Value, false, std::nullopt,
         5}, // no number right after the word
        {"rp 5", "rp x5 5\r\n", Kind::Value, false, std::nullopt, 5},
        {"kr 2041", "kr2041 -37\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"kr 2041", "kr\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"kr 2041", "er 7\r\n", Kind::Refused, false, 7, 7},
        {"rp 5", "", Kind::Unreadable, false, std::nullopt, 0},
        // Not one whole line: cut short where the unit paused, or two run together.
        {"rp 12", "rp 12 -3501", Kind::Unreadable, false, 12, 0},
        {"rp 12", "rp 12 -3501\r", Kind::Unreadable, false, 12, 0},
        {"rp 12", "rp 12 -3501\r\nrp 12 -3501\r\n", Kind::Unreadable, false, 12, 0},
        {"wp 1 5", "wp 1 5\r\nwp 1 5\r\n", Kind::Unreadable, false, 1, 0},
    });
}

TEST(UnitReplies, AReplyLongerThanItsBufferSaysNothing) {
    expectRows({
        // 103 and 100 bytes: the first value lies past the 100-byte buffer.
        {"rp 0", "rp " + QByteArray(95, '0') + " 42\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rp 0", "rp " + QByteArray(92, '0') + " 42\r\n", Kind::Value, true, 0, 42},
        // 102 bytes: the buffer's share reads "rp 0…07 -35012", a value the
        // unit never sent.
        {"rp 7", "rp " + QByteArray(87, '0') + "7 -3501234\r\n", Kind::Unreadable, false,
         std::nullopt, 0},
        // 108 bytes: an echo past the buffer confirms nothing.
        {"wp 12 -350", "wp 12 -350 " + QByteArray(95, '#') + "\r\n", Kind::Unreadable, false,
         std::nullopt, 0},
    });
    // The reader's own buffer decides: 20 bytes for the short readers.
    const QByteArray reply = "r4 000001234567890\r\n"; // 20 bytes
    EXPECT_EQ(classifyReply(u"r4", reply, 20).kind, Kind::Value);
    EXPECT_EQ(classifyReply(u"r4", reply + "7", 20).kind, Kind::Unreadable);
    const Reply cut = classifyReply(u"ks", "ks " + QByteArray(96, '#') + "\r\n", 100);
    EXPECT_TRUE(cut.tooLong);
    EXPECT_EQ(cut.size, 101);
    EXPECT_EQ(cut.text, QString());
}

TEST(UnitReplies, WritesAndCommandsAreAnsweredByTheirEcho) {
    expectRows({
        {"wp 12 -350", "wp 12 -350\r\n", Kind::Echo, true, 12, 0},
        {"wp 12 -350", "wp 12\r\n", Kind::Echo, true, 12, 0},
        {"wp 12 -350", "wp 13 -350\r\n", Kind::Echo, false, 13, 0},
        {"ws 48 1", "ws 48 1\r\n", Kind::Echo, true, 48, 0},
        {"ws 48 1", "ws 48\r\n", Kind::Echo, true, 48, 0},
        {"wp 399 -1", "wp 399 -1\r\n", Kind::Echo, true, 399, 0},
        {"ws 48 1", "wp 48 1\r\n", Kind::Echo, false, 48, 0},
        {"wp 0 1", "wp\r\n", Kind::Echo, false, std::nullopt, 0},
        {"sc 3", "sc 3\r\n", Kind::Echo, true, 3, 0},
        {"sc 3", "sc 4\r\n", Kind::Echo, false, 4, 0},
        {"km 1", "km 1\r\n", Kind::Echo, true, 1, 0},
        {"km 1", "kf 1\r\n", Kind::Echo, false, 1, 0},
        {"kf 2", "kf 2\r\n", Kind::Echo, true, 2, 0},
        {"kf 2", "ki 0\r\n", Kind::Echo, true, 0, 0}, // the unit's other word for it
        {"ka 500", "ka 500\r\n", Kind::Echo, true, 500, 0},
        {"ka 500", "ks\r\n", Kind::Echo, false, std::nullopt, 0},
        {"ks", "ks\r\n", Kind::Echo, true, std::nullopt, 0},
        {"kw 2041 0", "kw 2041 0\r\n", Kind::Echo, true, 2041, 0},
        {"kw 2041 0", "kw 2040 0\r\n", Kind::Echo, false, 2040, 0},
    });
}

TEST(UnitReplies, TheUnitRefusingIsNeverAnAnswer) {
    expectRows({
        {"wp 12 99999", "er 7\r\n", Kind::Refused, false, 7, 7},
        {"ws 1 5", "er 7\r\n", Kind::Refused, false, 7, 7},
        {"kw 2041 0", "er 5\r\n", Kind::Refused, false, 5, 5},
        {"rp 3", "er 2\r\n", Kind::Refused, false, 2, 2},
        {"wp 12 1", "er\r\n", Kind::Unreadable, false, std::nullopt, 0},
    });
    EXPECT_TRUE(classifyReply(u"wp 1 1", "er 7\r\n", 100).refused(ValueRefused));
    EXPECT_FALSE(classifyReply(u"wp 1 1", "er 70\r\n", 100).refused(ValueRefused));
    EXPECT_FALSE(classifyReply(u"wp 1 1", "wp 1 1\r\n", 100).refused(ValueRefused));
}

TEST(UnitReplies, ARecomputationIsDoneOnlyOnBpMinusOne) {
    const struct {
        QByteArray reply;
        Kind kind;
        QByteArray answer;
    } rows[] = {
        {"bp -1\r\n", Kind::ComputeDone, "-1"},
        {"bp 3\r\n", Kind::ComputeFailed, "3"},
        {"bp -1 x\r\n", Kind::ComputeFailed, "-1 x"},
        {"bp -01\r\n", Kind::ComputeFailed, "-01"},
        {"bp\r\n", Kind::ComputeFailed, ""},
        {"rp 3 5\r\n", Kind::Unreadable, "3 5"},
        {"er 7\r\n", Kind::Refused, "7"},
        // Cut to the buffer it is unreadable, but the panel still quotes it.
        {"bp -1" + QByteArray(97, ' ') + "\r\n", Kind::Unreadable, "-1" + QByteArray(93, ' ')},
    };
    for (const auto& row : rows) {
        const Reply r = classifyReply(u"bp", row.reply, 100);
        EXPECT_EQ(r.kind, row.kind) << row.reply.constData();
        EXPECT_EQ(r.answer, QString::fromLatin1(row.answer)) << row.reply.constData();
    }
}

TEST(UnitReplies, PlainReadsTakeTheTextBetweenTheWordAndTheLineEnd) {
    expectRows({
        {"r0", "r0 -125\r\n", Kind::Value, true, -125, -125},
        {"ri", "ri 31\r\n", Kind::Value, true, 31, 31},
        {"ru", "ru 5\n\r", Kind::Value, true, 5, 5},
        {"r0", "r0  17 \r\n", Kind::Value, true, std::nullopt, 17},
        {"r4", "r4 -00000000012345\r\n", Kind::Value, true, -12345, -12345},
        {"r0", "r0 12a\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r0", "r0 1 7\r\n", Kind::Unreadable, false, 1, 0},
        {"r0", "r0 +5\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r0", "r0 2147483648\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r0", "r0 -2147483648\r\n", Kind::Value, true, -2147483647 - 1, -2147483647 - 1},
        {"r0", "r0\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r0", "r0x-125\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r0", "r1 -125\r\n", Kind::Value, false, -125, -125},
        {"ri", "ri 12\r\nri 13\r\n", Kind::Unreadable, false, std::nullopt, 0},
    });
    EXPECT_EQ(classifyReply(u"rt", "rt MX52 V1.3\r\n", 100).text, QLatin1String("rt MX52 V1.3"));
}

// Who the unit is, the AWE input and the error number: free text after the
// word, answered only by the word asked for.  A reply left over from another
// request says nothing.
TEST(UnitReplies, TextIsAnsweredByItsOwnWord) {
    expectRows({
        {"r6", "r6 1,234 V\r\n", Kind::Text, true, std::nullopt, 0},
        {"rf", "rf -1\r\n", Kind::Text, true, std::nullopt, 0},
        {"rf", "rf 12\r\n", Kind::Text, true, std::nullopt, 0},
        // Nothing after the word is an empty text, but names no unit.
        {"rf", "rf\r\n", Kind::Text, true, std::nullopt, 0},
        {"r6", "r6\r\n", Kind::Text, true, std::nullopt, 0},
        {"rt", "rt\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rf", "r0 12\r\n", Kind::Text, false, std::nullopt, 0},
        {"r6", "r6x12\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"r6", "r6 " + QByteArray(120, '7') + "\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rt", "rt MX52 V1.3\r\n", Kind::Text, true, std::nullopt, 0},
        {"rh", "rh 2 HW 2.1 SN 520003\r\n", Kind::Text, true, std::nullopt, 0},
        {"rx", "rx \r\n", Kind::Text, true, std::nullopt, 0},
        {"rt", "sc 0\r\n", Kind::Text, false, std::nullopt, 0},
        {"rh", "rt MX52 V1.3\r\n", Kind::Text, false, std::nullopt, 0},
        {"rx", "rh HW 2.1\r\n", Kind::Text, false, std::nullopt, 0},
        {"rt", "3 0\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rt", "rtMX52\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rt", "rt MX52\r\nrt MX52\r\n", Kind::Unreadable, false, std::nullopt, 0},
        {"rt", "er 1\r\n", Kind::Refused, false, 1, 1},
        {"rt", "rt " + QByteArray(96, 'M') + "\r\n", Kind::Unreadable, false, std::nullopt, 0},
    });
    EXPECT_EQ(classifyReply(u"rh", "rh HW 2.1 SN 520003\r\n", 100).answer,
              QLatin1String("HW 2.1 SN 520003"));
    EXPECT_EQ(classifyReply(u"r6", "r6  1,5 \r\n", 100).answer, QLatin1String(" 1,5 "));
    // A refusal is the unit's own word to the request; the rest is not.
    EXPECT_TRUE(classifyReply(u"rt", "er 1\r\n", 100).fromRequest());
    EXPECT_TRUE(classifyReply(u"rp 3", "rp 3 x\r\n", 100).fromRequest());
    EXPECT_FALSE(classifyReply(u"rt", "sc 0\r\n", 100).fromRequest());
    EXPECT_FALSE(classifyReply(u"rp 3", "rp 2 5\r\n", 100).fromRequest());
}

TEST(UnitReplies, WireIntegersAreStrict) {
    const std::pair<const char*, std::optional<qint32>> rows[] = {
        {"0", 0},
        {"-0", 0},
        {"-2147483648", -2147483647 - 1},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"00000000001", 1},
        {"-0000000000002147483648", -2147483647 - 1},
        {"00000000004294967296", std::nullopt},
        {"99999999999", std::nullopt}, // eleven digits
        {"", std::nullopt},
        {"-", std::nullopt},
        {"--5", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"+5", std::nullopt},
    };
    for (const auto& [text, value] : rows)
        EXPECT_EQ(parseWireInteger(QByteArrayView(text)), value) << text;
}

// The replies of a fixed form, as the live monitor and the unit's
// identification read them.
TEST(UnitReplies, FixedFormsSayWhatTheirReadersShow) {
    const struct {
        const char* request;
        QByteArray reply;
        int buffer;
        const char* says; // device type, lit lamps, or "no error"/"error"
    } rows[] = {
        {"rt", "rt MX52 Nokkenregelaar V3.07\r\n", 100, "MX52"},
        {"rt", "rt MX9\r\n", 100, "MX9"},
        {"rt", "rh MX52\r\n", 100, ""},
        {"rt", "rt MX52" + QByteArray(95, ' ') + "\r\n", 100, ""},
        // K0, then the inputs 1 … 4; or the outputs 1 … 4.
        {"ri", "ri 17\r\n", 20, "10001"},
        {"ri", "ri 000000000000031\r\n", 20, "11111"},
        {"ri", "ri 0000000000000310\r\n", 20, "00000"}, // cut to the buffer: "…031"
        {"ri", "ru 17\r\n", 20, "00000"},
        {"ri", "ri x\r\n", 20, "00000"},
        {"ru", "ru 5\r\n", 20, "1010"},
        {"ru", "ru 31\r\n", 20, "1111"},
        {"ru", "ri 5\r\n", 20, "0000"},
        {"rf", "rf -1\r\n", 100, "no error"},
        {"rf", "rf -1 0\r\n", 100, "no error"},
        {"rf", "rf\r\n", 100, "no error"},
        {"rf", "rf 12\r\n", 100, "error"},
        {"rf", "rf -1" + QByteArray(97, ' ') + "\r\n", 100, "error"}, // too long to say
        {"rf", "r0 -1\r\n", 100, "error"},
    };
    for (const auto& row : rows) {
        const Reply r = classifyReply(QString::fromLatin1(row.request), row.reply, row.buffer);
        QString says;
        const auto lamps = [&](auto bits) {
            for (bool on : bits)
                says += on ? QLatin1Char('1') : QLatin1Char('0');
        };
        switch (commandOf(QByteArrayView(row.request))) {
        case Command::ReadType:
            says = deviceType(r);
            break;
        case Command::ReadInputs: {
            const Inputs in = inputsOf(r);
            lamps(std::array<bool, 1>{in.k0});
            lamps(in.inputs);
            break;
        }
        case Command::ReadOutputs:
            lamps(outputsOf(r));
            break;
        default:
            says = reportsNoError(r) ? QStringLiteral("no error") : QStringLiteral("error");
        }
        EXPECT_EQ(says, QLatin1String(row.says)) << row.request << " <- " << row.reply.constData();
    }
}

} // namespace
