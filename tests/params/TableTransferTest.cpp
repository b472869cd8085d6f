// Whole tables over the simulated bus on the virtual clock: the requests on
// the wire, the values kept or written, and what the window is asked to show.

#include "sim/SimLinkFixture.h"

#include "params/model/TableTransfer.h"

#include <QSet>

#include <mutex>

using namespace kqm52;
using namespace kqm52::simtest;

// Failures name the texts, not their bytes.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Direction = TableTransfer::Direction;
using Result = TableTransfer::Result;
using Status = TableTransfer::Status;

QStringList numbered(const char* format, int first, int last) {
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::fromLatin1(format).arg(n);
    return out;
}

const QStringList kParameterReads = numbered("rp %1", 0, 399);
const QStringList kSetpointReads = numbered("rs %1", 1, 48);

class TransferTest : public SimLinkFixture {
  protected:
    TransferTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, p * 3 - 1);
        unit.forceParameter(12, -350);
        unit.forceParameter(399, -1);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, 1000 + s);
        bus->setTrace([this](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
            if (!fromHost) return;
            std::lock_guard lock(traceMutex);
            wire << QString::fromLatin1(b).trimmed();
        });
    }
    void SetUp() override { port.SetActive(true); }

    TableTransfer& make(Direction direction, int mode) {
        transfer = std::make_unique<TableTransfer>(port, direction);
        transfer->setMode(mode);
        QStringList texts;
        for (int i = 0; i < TableTransfer::SendTextCount; ++i)
            texts << QStringLiteral("tekst %1").arg(i);
        transfer->setTexts(texts);
        transfer->onViewChanged = [this](const TransferView& v) { views.push_back(v); };
        transfer->onClosed = [this](Result r) { closed = r; };
        return *transfer;
    }
    // Starts and waits until the transfer has nothing on the line.
    void run(TableTransfer& t) {
        t.start();
        ASSERT_TRUE(waitUntil([&] { return settled(t); }, 60000));
    }
    static bool settled(const TableTransfer& t) {
        return t.status() == Status::Done || t.status() == Status::Stopped ||
               t.status() == Status::Closed;
    }
    QStringList sent() {
        std::lock_guard lock(traceMutex);
        return wire;
    }
    std::optional<TransferView> firstViewWith(const QString& text) const {
        for (const TransferView& v : views)
            if (v.panelText == text) return v;
        return std::nullopt;
    }
    template <class F> auto withUnit(F&& f) { return bus->withUnit(0, std::forward<F>(f)); }

    std::mutex traceMutex;
    QStringList wire;
    std::vector<TransferView> views;
    std::optional<Result> closed;
    std::unique_ptr<TableTransfer> transfer;
};

} // namespace

TEST(TransferReply, ValueAfterTheEchoedNumber) {
    const struct {
        QByteArray reply;
        std::optional<qint32> value;
    } rows[] = {
        {"rp 12 -350\r\n", -350},
        {"rs 48 2147483647\r\n", 2147483647},
        {"rp 7 5\n\r", 5},          // whatever the two last bytes are
        {"rp 5\r\n", std::nullopt}, // the echo alone is no value
        {"rp 5 12x\r\n", std::nullopt},
        {"rp 5 1,5\r\n", std::nullopt},
        {"rp 5 \r\n", std::nullopt},
        {"rp 5 2147483648\r\n", std::nullopt},
        {"rp\r\n", std::nullopt},
        // 103 bytes: the value lies past the 100-byte buffer.
        {"rp " + QByteArray(95, '0') + " 42\r\n", std::nullopt},
        {"rp " + QByteArray(92, '0') + " 42\r\n", 42},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TableTransfer::replyValue(r.reply), r.value) << r.reply.constData();
}

// Every mode asks in order, keeps the values, ends with its text and offers OK.
TEST_F(TransferTest, ReceiveInEveryMode) {
    const struct {
        int mode;
        QStringList wire;
        const char* finished;
    } rows[] = {
        {0, kParameterReads, "tekst 3"},
        {1, kSetpointReads, "tekst 5"},
        {2, kParameterReads + kSetpointReads, "tekst 6"},
        {3, kParameterReads + kSetpointReads, "tekst 6"},
        {7, kParameterReads, "tekst 3"}, // an unknown mode reads the parameters
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        {
            std::lock_guard lock(traceMutex);
            wire.clear();
        }
        views.clear();
        closed.reset();
        TableTransfer& t = make(Direction::Receive, r.mode);
        run(t);
        EXPECT_EQ(sent(), r.wire);
        EXPECT_EQ(t.status(), Status::Done);
        const TransferView& v = t.view();
        EXPECT_EQ(v.panelText, r.finished);
        EXPECT_FALSE(v.panelRed);
        EXPECT_TRUE(v.okVisible && v.okFocused && v.againVisible);
        const bool parameters = r.wire.front() == "rp 0";
        const bool setpoints = r.wire.back() == "rs 48";
        EXPECT_EQ(t.tables.parameters[12], parameters ? -350 : 0);
        EXPECT_EQ(t.tables.parameters[399], parameters ? -1 : 0);
        EXPECT_EQ(t.tables.parameters[5], parameters ? 14 : 0);
        EXPECT_EQ(t.tables.setpoints[47], setpoints ? 1048 : 0);
        EXPECT_EQ(v.progressMaximum, setpoints ? 48 : 399);
        EXPECT_EQ(v.progressPosition, setpoints ? 48 : 399);
        if (parameters && setpoints) {
            // The bar starts again for the setpoints, at 1 of 48.
            const auto first = firstViewWith("tekst 4 1");
            ASSERT_TRUE(first.has_value());
            EXPECT_EQ(first->progressMaximum, 48);
            EXPECT_EQ(first->progressPosition, 1);
        }
        EXPECT_FALSE(closed.has_value());
        t.ok();
        EXPECT_EQ(closed, Result::OK);
    }
}

TEST_F(TransferTest, SendInEveryModeThenCompute) {
    UnitTables values;
    for (int p = 0; p < 400; ++p)
        values.parameters[std::size_t(p)] = 7 * p;
    values.parameters[12] = -350;
    // Cams 1 … 24 off, so the unit finds nothing to complain about.
    for (int p = 256; p <= 279; ++p)
        values.parameters[std::size_t(p)] = 0;
    for (int s = 1; s <= 48; ++s)
        values.setpoints[std::size_t(s - 1)] = -s;
    QStringList writes;
    for (int p = 0; p < 400; ++p)
        writes << QStringLiteral("wp %1 %2").arg(p).arg(values.parameters[std::size_t(p)]);
    QStringList setpointWrites;
    for (int s = 1; s <= 48; ++s)
        setpointWrites << QStringLiteral("ws %1 %2").arg(s).arg(-s);
    EXPECT_EQ(writes[12], "wp 12 -350");

    const struct {
        int mode;
        QStringList wire;
        const char* finished;
    } rows[] = {
        {0, writes + QStringList{"bp"}, "tekst 3"},
        {1, setpointWrites, "tekst 5"},
        {2, writes + setpointWrites + QStringList{"bp"}, "tekst 6"},
        {3, writes + setpointWrites + QStringList{"bp"}, "tekst 8"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        {
            std::lock_guard lock(traceMutex);
            wire.clear();
        }
        views.clear();
        withUnit([](SimUnit& u) { u.factoryReset(); });
        TableTransfer& t = make(Direction::Send, r.mode);
        t.tables = values;
        run(t);
        EXPECT_EQ(sent(), r.wire);
        EXPECT_EQ(t.view().panelText, r.finished);
        EXPECT_TRUE(t.view().okVisible);
        EXPECT_FALSE(t.computeFailed());
        const bool parameters = r.mode != 1;
        EXPECT_EQ(withUnit([](SimUnit& u) { return u.parameter(12); }), parameters ? -350 : 0);
        EXPECT_EQ(withUnit([](SimUnit& u) { return u.setpoint(48); }),
                  parameters && r.mode < 2 ? 0 : -48);
        EXPECT_EQ(firstViewWith(TableTransfer::computingText()).has_value(), parameters);
    }
}

// Replies the transfer cannot use: one more try, then a stop on that item
// with the reply's first bytes in red; nothing wrong is kept.
TEST_F(TransferTest, BadRepliesGetOneMoreTry) {
    const struct {
        const char* what;
        int mode;
        const char* faultAt; // the panel text at which the fault is switched on
        SimFaults faults;
        QStringList tail; // the last requests on the wire
        const char* panel;
        Status status;
    } rows[] = {
        {"one wrong echo",
         0,
         "tekst 2 12",
         {.wrongWord = SimFaults::WrongWord::Once},
         {"rp 12", "rp 12", "rp 13"},
         "tekst 3",
         Status::Done},
        {"wrong echoes",
         0,
         "tekst 2 12",
         {.wrongWord = SimFaults::WrongWord::Always},
         {"rp 11", "rp 12", "rp 12"},
         "tekst 7 rq 1   P[012]",
         Status::Stopped},
        {"wrong echoes to a setpoint",
         1,
         "tekst 4 7",
         {.wrongWord = SimFaults::WrongWord::Always},
         {"rs 6", "rs 7", "rs 7"},
         "tekst 7 rt 7   S[007]",
         Status::Stopped},
        // The right echo, but no decimal integer after it.
        {"value not decimal",
         0,
         "tekst 2 12",
         {.garbled = true},
         {"rp 11", "rp 12", "rp 12"},
         "tekst 7 rp !   P[012]",
         Status::Stopped},
        // 110 bytes: the first 100 hold no line end, so no value.
        {"reply past the buffer",
         0,
         "tekst 2 12",
         {.longReply = true},
         {"rp 11", "rp 12", "rp 12"},
         "tekst 7 rp 1   P[012]",
         Status::Stopped},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        {
            std::lock_guard lock(traceMutex);
            wire.clear();
        }
        bus->setFaults(0, {});
        TableTransfer& t = make(Direction::Receive, r.mode);
        t.tables.parameters[12] = 4711;
        t.tables.setpoints[6] = 4711;
        const QString at = QString::fromLatin1(r.faultAt);
        const SimFaults faults = r.faults;
        bool switched = false;
        t.onViewChanged = [&, at, faults](const TransferView& v) {
            if (v.panelText == at && !switched) {
                switched = true;
                bus->setFaults(0, faults);
            }
        };
        run(t);
        const QStringList wire = sent();
        if (r.status == Status::Done) {
            EXPECT_EQ(wire.mid(12, 3), r.tail);
            EXPECT_EQ(t.tables.parameters[12], -350);
        } else {
            EXPECT_EQ(wire.mid(wire.size() - 3), r.tail);
            EXPECT_EQ(t.tables.parameters[12], 4711);
            EXPECT_EQ(t.tables.setpoints[6], 4711);
            EXPECT_TRUE(t.view().panelRed);
            EXPECT_TRUE(t.view().againVisible);
            EXPECT_FALSE(t.view().okVisible);
            EXPECT_EQ(t.stopReason(), TableTransfer::Stop::BadReply);
        }
        EXPECT_EQ(t.status(), r.status);
        EXPECT_EQ(t.view().panelText, r.panel);
    }
}

TEST_F(TransferTest, RefusedWriteStopsAtOnce) {
    TableTransfer& t = make(Direction::Send, 0);
    t.tables.parameters[3] = 99;
    bool switched = false;
    t.onViewChanged = [&](const TransferView& v) {
        if (v.panelText == "tekst 2 3" && !switched) {
            switched = true;
            bus->setFaults(0, {.refuseWrites = true});
        }
    };
    run(t);
    const QStringList wire = sent();
    EXPECT_EQ(wire.size(), 4);
    EXPECT_EQ(wire.back(), "wp 3 99"); // not sent again
    EXPECT_EQ(t.status(), Status::Stopped);
    EXPECT_EQ(t.stopReason(), TableTransfer::Stop::Refused);
    EXPECT_EQ(t.failedItem(), "P[003]");
    EXPECT_EQ(t.view().panelText, "(er 7) tekst 9");
    EXPECT_TRUE(t.view().panelRed && t.view().againVisible && !t.view().okVisible);

    // Again starts over from the first item.
    bus->setFaults(0, {});
    run(t);
    EXPECT_EQ(sent().mid(4, 2), QStringList({"wp 0 0", "wp 1 0"}));
    EXPECT_EQ(t.view().panelText, "tekst 3");
}

// The unit's complaint about the parameters it got is shown, and OK is still
// offered: the values were written.
TEST_F(TransferTest, ComputeAnswerOtherThanSuccess) {
    // Cam 11 switched on with its start (17) equal to its end (41): the unit
    // names parameter 17.
    UnitTables camOfNoLength;
    camOfNoLength.parameters[255 + 11] = 1;
    camOfNoLength.parameters[351 + 11] = 1;
    camOfNoLength.parameters[6 + 11] = 500;
    camOfNoLength.parameters[30 + 11] = 500;
    const struct {
        const char* what;
        UnitTables tables;
        SimFaults faults;
        const char* answer;
    } rows[] = {
        {"bp 17", camOfNoLength, {}, "17"},
        {"bp -2", {}, {.failBp = true}, "-2"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        bus->setFaults(0, r.faults);
        closed.reset();
        TableTransfer& t = make(Direction::Send, 0);
        t.tables = r.tables;
        run(t);
        EXPECT_EQ(sent().back(), "bp");
        EXPECT_EQ(t.view().panelText, QStringLiteral("tekst 10 %1 tekst 11").arg(r.answer));
        EXPECT_TRUE(t.view().panelRed);
        EXPECT_EQ(t.computeAnswer(), r.answer);
        EXPECT_TRUE(t.view().okVisible && t.view().againVisible);
        t.ok();
        EXPECT_EQ(closed, Result::OK);
    }

    // A compute answer past the buffer is cut to it: 100 bytes less the two
    // line-end places and the echoed "bp ".
    bus->setFaults(0, {});
    TableTransfer& t = make(Direction::Send, 0);
    t.onViewChanged = [&](const TransferView& v) {
        if (v.panelText == TableTransfer::computingText()) bus->setFaults(0, {.longReply = true});
    };
    run(t);
    EXPECT_TRUE(t.computeFailed());
    EXPECT_EQ(t.computeAnswer(), "-1 " + QString(92, QLatin1Char('#')));
}

TEST_F(TransferTest, TimeOutOnTheFirstRequest) {
    bus->setFaults(0, {.noAnswer = true});
    TableTransfer& t = make(Direction::Receive, 0);
    const SimNanos start = now();
    run(t);
    EXPECT_GE(now() - start, simMs(TableTransfer::ReceiveTimeoutMs));
    const QStringList wire = sent();
    EXPECT_EQ(QSet<QString>(wire.begin(), wire.end()), QSet<QString>{"rp 0"});
    EXPECT_EQ(t.stopReason(), TableTransfer::Stop::Timeout);
    EXPECT_EQ(t.commError().Code, CommCode::Timeout);
    EXPECT_EQ(t.view().panelText, "tekst 0");
    EXPECT_TRUE(t.view().panelRed && t.view().againVisible && !t.view().okVisible);
    EXPECT_FALSE(closed.has_value());
    t.cancel(); // nothing on the line: at once
    EXPECT_EQ(closed, Result::Cancel);
}

TEST_F(TransferTest, LineErrorStopsWithText1) {
    bus->setFaults(0, {.lineErrors = LineErrorParity});
    TableTransfer& t = make(Direction::Send, 1);
    run(t);
    EXPECT_EQ(t.stopReason(), TableTransfer::Stop::LineError);
    EXPECT_EQ(t.view().panelText, "tekst 1");
    EXPECT_EQ(t.failedItem(), "S[001]");
}

// Cancel while a request is on the line waits for its reply, and sends
// nothing after it.  The reply comes late, but within the send's 100 ms.
TEST_F(TransferTest, CancelTakesEffectAtTheReply) {
    bus->setFaults(0, {.lateMs = 80});
    for (Direction d : {Direction::Receive, Direction::Send}) {
        {
            std::lock_guard lock(traceMutex);
            wire.clear();
        }
        closed.reset();
        TableTransfer& t = make(d, 1);
        const SimNanos start = now();
        t.start();
        t.cancel();
        EXPECT_FALSE(closed.has_value());
        EXPECT_EQ(t.status(), Status::Running);
        ASSERT_TRUE(waitUntil([&] { return closed.has_value(); }));
        EXPECT_EQ(closed, Result::Cancel);
        EXPECT_GE(now() - start, simMs(80));
        EXPECT_EQ(sent().size(), 1);
    }
}
