// Whole tables over the simulated bus on the virtual clock: the requests on
// the wire, the values kept or written, and what the window is asked to show.

#include "sim/SimLinkFixture.h"
#include "support/QtPrinting.h"

#include "model/engines/TableTransfer.h"
#include "support/BuiltInTexts.h"

#include <mutex>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

using Direction = TableTransfer::Direction;
using Mode = TableTransfer::Mode;
using Result = TableTransfer::Result;
using Status = TableTransfer::Status;
using Stop = TableTransfer::Stop;

QStringList numbered(const char* format, int first, int last) {
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QString::fromLatin1(format).arg(n);
    return out;
}

class TransferTest : public SimLinkFixture {
  protected:
    TransferTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, p * 3 - 1);
        unit.forceParameter(12, -350);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, 1000 + s);
        hostLines.attach(*bus);
    }
    void SetUp() override { port.SetActive(true); }

    // A fresh transfer with texts "tekst 0" … "tekst 11"; faults switched on
    // when the panel first shows `faultAt` (empty: at once).
    TableTransfer& make(Direction direction, Mode mode, const SimFaults& faults = {},
                        const QString& faultAt = {}) {
        hostLines.clear();
        views.clear();
        closed.reset();
        bus->setFaults(0, faultAt.isEmpty() ? faults : SimFaults{});
        transfer = std::make_unique<TableTransfer>(port, direction, testsupport::builtInTexts());
        transfer->setMode(mode);
        transfer->onViewChanged = [this, faults, faultAt](const TransferView& v) {
            if (!faultAt.isEmpty() && v.panelText == faultAt && !firstViewWith(faultAt))
                bus->setFaults(0, faults);
            views.push_back(v);
        };
        transfer->onClosed = [this](Result r) { closed = r; };
        return *transfer;
    }
    // Starts, and waits until nothing is on the line.
    void run(TableTransfer& t) {
        t.start();
        ASSERT_TRUE(waitUntil(
            [&] { return t.status() != Status::Running && t.status() != Status::Computing; }));
    }
    QStringList sent() { return hostLines.all(); }
    std::optional<TransferView> firstViewWith(const QString& text) const {
        for (const TransferView& v : views)
            if (v.panelText == text) return v;
        return std::nullopt;
    }
    template <class F> auto onUnit(F&& f) { return bus->withUnit(0, std::forward<F>(f)); }
    void expectStopped(const TableTransfer& t, const QString& panel) {
        EXPECT_EQ(t.status(), Status::Stopped);
        EXPECT_EQ(t.view().panelText, panel);
        EXPECT_TRUE(t.view().panelRed && t.view().againVisible && !t.view().okVisible);
    }

    HostLines hostLines;
    std::vector<TransferView> views;
    std::optional<Result> closed;
    std::unique_ptr<TableTransfer> transfer;
};

const QStringList kParameterReads = numbered("rp %1", 0, 399);
const QStringList kSetpointReads = numbered("rs %1", 1, 48);

} // namespace

// Every mode asks in order, keeps the values, ends with its text and offers OK.
TEST_F(TransferTest, ReceiveInEveryMode) {
    const struct {
        Mode mode;
        QStringList wire;
        const char* finished;
    } rows[] = {
        {Mode::Parameters, kParameterReads, "tekst 3"},
        {Mode::Setpoints, kSetpointReads, "tekst 5"},
        {Mode::Both, kParameterReads + kSetpointReads, "tekst 6"},
        {Mode::Device, kParameterReads + kSetpointReads, "tekst 6"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.mode));
        TableTransfer& t = make(Direction::Receive, r.mode);
        run(t);
        EXPECT_EQ(sent(), r.wire);
        const TransferView& v = t.view();
        EXPECT_EQ(v.panelText, r.finished);
        EXPECT_TRUE(!v.panelRed && v.okVisible && v.okFocused && v.againVisible);
        const bool parameters = r.mode != Mode::Setpoints, setpoints = r.wire.back() == "rs 48";
        EXPECT_EQ(t.tables.parameters[12], parameters ? -350 : 0);
        EXPECT_EQ(t.tables.parameters[399], parameters ? 1196 : 0);
        EXPECT_EQ(t.tables.setpoints[47], setpoints ? 1048 : 0);
        EXPECT_EQ(v.progressMaximum, setpoints ? 48 : 399);
        EXPECT_EQ(v.progressPosition, v.progressMaximum);
        // With both, the bar starts again for the setpoints, at 1 of 48.
        if (parameters && setpoints) {
            EXPECT_EQ(firstViewWith("tekst 4 1")->progressMaximum, 48);
        }
        t.ok();
        EXPECT_EQ(closed, Result::OK);
    }
}

TEST_F(TransferTest, SendInEveryModeThenCompute) {
    UnitTables values;
    for (int p = 0; p < 400; ++p) // cams 1 … 24 (256 … 279) stay off: nothing to complain of
        values.parameters[std::size_t(p)] = p >= 256 && p <= 279 ? 0 : 7 * p;
    values.parameters[12] = -350;
    for (int s = 1; s <= 48; ++s)
        values.setpoints[std::size_t(s - 1)] = -s;
    QStringList writes, setpointWrites;
    for (int p = 0; p < 400; ++p)
        writes << QStringLiteral("wp %1 %2").arg(p).arg(values.parameters[std::size_t(p)]);
    for (int s = 1; s <= 48; ++s)
        setpointWrites << QStringLiteral("ws %1 %2").arg(s).arg(-s);
    ASSERT_EQ(writes[12], "wp 12 -350");

    const struct {
        Mode mode;
        QStringList wire;
        const char* finished;
    } rows[] = {
        {Mode::Parameters, writes + QStringList{"bp"}, "tekst 3"},
        {Mode::Setpoints, setpointWrites, "tekst 5"},
        {Mode::Both, writes + setpointWrites + QStringList{"bp"}, "tekst 6"},
        {Mode::Device, writes + setpointWrites + QStringList{"bp"}, "tekst 8"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.mode));
        onUnit([](SimUnit& u) { u.factoryReset(); });
        TableTransfer& t = make(Direction::Send, r.mode);
        t.tables = values;
        run(t);
        EXPECT_EQ(sent(), r.wire);
        EXPECT_EQ(t.view().panelText, r.finished);
        EXPECT_TRUE(t.view().okVisible && !t.computeFailed());
        EXPECT_EQ(onUnit([](SimUnit& u) { return u.parameter(12); }),
                  r.mode == Mode::Setpoints ? 0 : -350);
        EXPECT_EQ(onUnit([](SimUnit& u) { return u.setpoint(48); }),
                  r.mode == Mode::Parameters ? 0 : -48);
        EXPECT_EQ(firstViewWith(TableTransfer::computingText()).has_value(),
                  r.mode != Mode::Setpoints);
    }
}

// A reply that does not echo its request gets one more try, then the
// transfer stops on that item with the reply's first bytes in red and keeps
// nothing from it.
TEST_F(TransferTest, AnUnusableReplyStopsOnItsItem) {
    TableTransfer& t = make(Direction::Receive, Mode::Parameters,
                            {.wrongWord = SimFaults::WrongWord::Always}, "tekst 2 12");
    t.tables.parameters[12] = 4711;
    run(t);
    const QStringList wire = sent();
    EXPECT_EQ(wire.mid(wire.size() - 3), QStringList({"rp 11", "rp 12", "rp 12"}));
    EXPECT_EQ(t.tables.parameters[12], 4711);
    EXPECT_EQ(t.stopReason(), Stop::BadReply);
    expectStopped(t, "tekst 7 rq 1   P[012]");
}

// A reply the unit pauses in, once, longer than the silence that ends a
// reply: its first half is no answer, and its second half, still to come,
// must not answer the try after it.  The try waits for the line to fall
// silent, reads the value and the transfer goes on; silence framing and fast
// framing alike.
TEST_F(TransferTest, TheRestOfAPausedReplyAnswersNothing) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "silence");
        port.SetFastFraming(fast);
        TableTransfer& t = make(Direction::Receive, Mode::Parameters,
                                {.timingOnce = true, .pauseMs = 150}, "tekst 2 12");
        run(t);
        EXPECT_EQ(t.status(), Status::Done);
        const QStringList wire = sent();
        EXPECT_EQ(wire.mid(11, 4), QStringList({"rp 11", "rp 12", "rp 12", "rp 13"}));
        EXPECT_EQ(wire.size(), 401);
        EXPECT_EQ(t.tables.parameters[12], -350);
        EXPECT_EQ(t.tables.parameters[13], 38);
    }
}

// A reply longer than the reader's buffer is no answer to go by, however
// right its first bytes look: a write echo so cut is no confirmation.  One
// more try, then the transfer stops on the item, keeping nothing.
TEST_F(TransferTest, AnOverlongReplyIsABadReply) {
    const struct {
        Direction direction;
        Mode mode;
        const char* at;
        QString panel;
        QStringList tail; // the item before and the item
    } rows[] = {
        {Direction::Send,
         Mode::Parameters,
         "tekst 2 12",
         "tekst 7 wp 1   P[012]",
         {"wp 11 33", "wp 12 -350"}},
        {Direction::Send,
         Mode::Setpoints,
         "tekst 4 7",
         "tekst 7 ws 7   S[007]",
         {"ws 6 -6", "ws 7 -7"}},
        {Direction::Receive,
         Mode::Parameters,
         "tekst 2 12",
         "tekst 7 rp 1   P[012]",
         {"rp 11", "rp 12"}},
        {Direction::Receive,
         Mode::Setpoints,
         "tekst 4 7",
         "tekst 7 rs 7   S[007]",
         {"rs 6", "rs 7"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.panel.toStdString());
        TableTransfer& t = make(r.direction, r.mode, {.longReply = true}, r.at);
        for (int p = 0; p < 400; ++p)
            t.tables.parameters[std::size_t(p)] = p >= 256 && p <= 279 ? 0 : 3 * p;
        t.tables.parameters[12] = -350;
        for (int s = 1; s <= 48; ++s)
            t.tables.setpoints[std::size_t(s - 1)] = r.direction == Direction::Send ? -s : 4711;
        run(t);
        // The item before, then the item and its one more try.
        QStringList tail = r.tail;
        tail << tail.last();
        const QStringList wire = sent();
        EXPECT_EQ(wire.mid(wire.size() - 3), tail);
        EXPECT_EQ(t.stopReason(), Stop::BadReply);
        expectStopped(t, r.panel);
        if (r.direction == Direction::Send) {
            EXPECT_EQ(t.sendReport().confirmed, r.mode == Mode::Parameters ? 12 : 6);
            EXPECT_FALSE(t.sendReport().complete());
        } else if (r.mode == Mode::Setpoints) {
            EXPECT_EQ(t.tables.setpoints[6], 4711);
        }
    }
}

// A unit whose echo names the next item ("rp 12" answered "rp 13 …"): read
// or write, parameter or setpoint, the reply is about another item.  Once is
// tried again and the transfer goes on with the right value; always stops on
// the item, in red, with nothing kept from the unusable replies.
TEST_F(TransferTest, AnEchoThatNamesAnotherItemIsABadReply) {
    using WW = SimFaults::WrongWord;
    const struct {
        Direction direction;
        Mode mode;
        const char* at;   // the fault goes on when the panel shows this
        const char* item; // the item it stops on
        QStringList tail; // the last requests on the wire
    } rows[] = {
        {Direction::Receive, Mode::Parameters, "tekst 2 12", "P[012]", {"rp 11", "rp 12", "rp 12"}},
        {Direction::Receive, Mode::Setpoints, "tekst 4 7", "S[007]", {"rs 6", "rs 7", "rs 7"}},
        {Direction::Receive, Mode::Device, "tekst 4 1", "S[001]", {"rp 399", "rs 1", "rs 1"}},
        {Direction::Send,
         Mode::Parameters,
         "tekst 2 12",
         "P[012]",
         {"wp 11 33", "wp 12 36", "wp 12 36"}},
        {Direction::Send,
         Mode::Setpoints,
         "tekst 4 7",
         "S[007]",
         {"ws 6 -6", "ws 7 -7", "ws 7 -7"}},
        {Direction::Send,
         Mode::Device,
         "tekst 4 1",
         "S[001]",
         {"wp 399 1197", "ws 1 -1", "ws 1 -1"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item + QStringLiteral(" mode %1").arg(int(r.mode)).toStdString());
        for (WW often : {WW::Always, WW::Once}) {
            SCOPED_TRACE(often == WW::Always ? "always" : "once");
            TableTransfer& t = make(r.direction, r.mode, {.wrongNumber = often}, r.at);
            for (int p = 0; p < 400; ++p)
                t.tables.parameters[std::size_t(p)] = p >= 256 && p <= 279 ? 0 : 3 * p;
            for (int s = 1; s <= 48; ++s)
                t.tables.setpoints[std::size_t(s - 1)] = r.direction == Direction::Send ? -s : 4711;
            run(t);
            const QStringList wire = sent();
            if (often == WW::Once) {
                EXPECT_EQ(t.status(), Status::Done);
                EXPECT_EQ(wire.size(),
                          (r.mode == Mode::Setpoints    ? 48
                           : r.mode == Mode::Parameters ? 400
                                                        : 448) +
                              1 + (r.direction == Direction::Send && r.mode != Mode::Setpoints));
                if (r.direction == Direction::Receive) {
                    // Each entry holds its own item's value.
                    EXPECT_EQ(t.tables.parameters[12], r.mode == Mode::Setpoints ? 36 : -350);
                    EXPECT_EQ(t.tables.setpoints[0], r.mode == Mode::Parameters ? 4711 : 1001);
                    EXPECT_EQ(t.tables.setpoints[6], r.mode == Mode::Parameters ? 4711 : 1007);
                }
                continue;
            }
            EXPECT_EQ(wire.mid(wire.size() - 3), r.tail);
            EXPECT_EQ(t.stopReason(), Stop::BadReply);
            EXPECT_EQ(t.failedItem(), r.item);
            EXPECT_TRUE(t.view().panelText.startsWith("tekst 7 "))
                << t.view().panelText.toStdString();
            EXPECT_TRUE(t.view().panelText.endsWith(r.item));
            expectStopped(t, t.view().panelText);
            if (r.direction == Direction::Receive) {
                // Nothing from the replies about other items was kept.
                EXPECT_EQ(t.tables.parameters[12], r.mode == Mode::Device ? -350 : 36);
                EXPECT_EQ(t.tables.setpoints[0], r.mode == Mode::Setpoints ? 1001 : 4711);
                EXPECT_EQ(t.tables.setpoints[6], 4711);
            } else {
                EXPECT_FALSE(t.sendReport().complete());
                EXPECT_FALSE(t.sendReport().refused);
            }
        }
    }
}

TEST_F(TransferTest, RefusedWriteStopsAtOnceAndAgainStartsOver) {
    TableTransfer& t = make(Direction::Send, Mode::Parameters, {.refuseWrites = true}, "tekst 2 3");
    t.tables.parameters[3] = 99;
    run(t);
    EXPECT_EQ(sent(), QStringList({"wp 0 0", "wp 1 0", "wp 2 0", "wp 3 99"})); // not again
    EXPECT_EQ(t.stopReason(), Stop::Refused);
    EXPECT_EQ(t.failedItem(), "P[003]");
    expectStopped(t, "(er 7) tekst 9");
    // The caller learns which value the unit would not take.
    const SendReport report = t.sendReport();
    EXPECT_TRUE(report.refused && !report.refusedIsSetpoint);
    EXPECT_EQ(report.refusedNumber, 3);
    EXPECT_EQ(report.refusedValue, 99);
    EXPECT_EQ(report.firstUnconfirmed, "P003");

    bus->setFaults(0, {});
    run(t);
    EXPECT_EQ(sent().mid(4, 2), QStringList({"wp 0 0", "wp 1 0"}));
    EXPECT_EQ(t.view().panelText, "tekst 3");
}

// The unit's complaint about what it got is shown in red, and OK is still
// offered: the values were written.  Cam 11 on, with its start (17) equal to
// its end (41): the unit names 17.
TEST_F(TransferTest, ComputeAnswerOtherThanSuccess) {
    TableTransfer& t = make(Direction::Send, Mode::Parameters);
    t.tables.parameters[266] = t.tables.parameters[362] = 1;
    t.tables.parameters[17] = t.tables.parameters[41] = 500;
    run(t);
    EXPECT_EQ(sent().back(), "bp");
    EXPECT_EQ(t.view().panelText, "tekst 10 17 tekst 11");
    EXPECT_TRUE(t.view().panelRed && t.view().okVisible && t.view().againVisible);
    t.ok();
    EXPECT_EQ(closed, Result::OK);
}

// Fast framing against silence framing on the simulated bus: the same bytes
// on the wire and the same tables, far less time, and a unit that is not
// listening right after its reply loses nothing.

namespace {

class FastFramingTest : public SimLinkFixture {
  protected:
    FastFramingTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, 1000 - 7 * p);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, -s * 11);
        bus->setTrace(
            [this](SimNanos at, bool fromHost, int, const LineState&, const QByteArray& b) {
                std::lock_guard lock(traceMutex);
                (fromHost ? requests : replies) << QString::fromLatin1(b);
                if (fromHost) requestTimes.push_back(at);
            });
    }

    struct Run {
        UnitTables tables;
        QStringList requests, replies;
        SimNanos took = 0;
        TableTransfer::Status status{};
    };
    // Reads both tables once, on a freshly opened port unless `reopen` is
    // false; `watch` sees every view of the window.
    Run receiveAll(bool fast, bool reopen = true,
                   std::function<void(const TransferView&)> watch = {}) {
        if (reopen) {
            port.SetActive(false);
            port.SetFastFraming(fast);
            port.SetActive(true);
        }
        {
            std::lock_guard lock(traceMutex);
            requests.clear();
            requestTimes.clear();
            replies.clear();
        }
        TableTransfer t(port, TableTransfer::Direction::Receive, testsupport::builtInTexts());
        t.setMode(Mode::Both);
        t.onViewChanged = std::move(watch);
        const SimNanos start = now();
        t.start();
        EXPECT_TRUE(waitUntil([&] { return t.status() != TableTransfer::Status::Running; }, 60000));
        std::lock_guard lock(traceMutex);
        Run run{t.tables, requests, replies, now() - start, t.status()};
        run.requests.detach(); // the worker may still grow the recorded lists
        run.replies.detach();
        return run;
    }

    std::mutex traceMutex;
    QStringList requests, replies;
    std::vector<SimNanos> requestTimes;
};

TEST_F(FastFramingTest, SameWireAndTablesInAThirdOfTheTime) {
    const Run silence = receiveAll(false);
    const Run fast = receiveAll(true);
    ASSERT_EQ(silence.status, TableTransfer::Status::Done);
    ASSERT_EQ(fast.status, TableTransfer::Status::Done);
    EXPECT_EQ(fast.requests, silence.requests);
    EXPECT_EQ(fast.replies, silence.replies);
    EXPECT_EQ(fast.requests.size(), 448);
    EXPECT_EQ(fast.tables, silence.tables);
    EXPECT_EQ(fast.tables.parameters[399], 1000 - 7 * 399);
    EXPECT_EQ(fast.tables.setpoints[47], -48 * 11);
    // 448 silences of 50 ms are gone; what is left is the line itself.
    EXPECT_LT(silence.took - fast.took, simMs(448 * 50) + simMs(448));
    EXPECT_GT(silence.took - fast.took, simMs(448 * 50) - simMs(448));
    EXPECT_LT(fast.took * 3, silence.took);
    EXPECT_FALSE(port.fastFramingSuspended());
}

// A unit that needs 20 ms before it listens again: the request after the
// first fast reply is lost on the line, is sent once more after its time-out,
// and the port frames by silence from then on.  Every value arrives, each as
// the answer to its own request.
TEST_F(FastFramingTest, AUnitThatNeedsTheSilenceLosesNothing) {
    bus->setFaults(0, {.notReadyMs = 20});
    const Run silence = receiveAll(false);
    ASSERT_EQ(silence.status, TableTransfer::Status::Done);
    EXPECT_EQ(silence.requests.size(), 448) << "the silence is enough for it";

    const Run fast = receiveAll(true);
    ASSERT_EQ(fast.status, TableTransfer::Status::Done);
    EXPECT_EQ(fast.tables, silence.tables);
    EXPECT_TRUE(port.fastFramingSuspended());
    QStringList once = fast.requests;
    ASSERT_EQ(once.size(), 449);
    EXPECT_EQ(once[1], once[2]) << "the missed request, sent again";
    once.removeAt(1);
    EXPECT_EQ(once, silence.requests);
    EXPECT_EQ(fast.replies, silence.replies);
    // The next transfer tries fast framing again, and falls back the same way.
    const Run next = receiveAll(true, false);
    ASSERT_EQ(next.requests.size(), 449);
    EXPECT_EQ(next.requests[1], next.requests[2]);
    EXPECT_EQ(next.tables, silence.tables);
    // Reopening the port tries fast framing again, too.
    port.SetActive(false);
    port.SetActive(true);
    EXPECT_FALSE(port.fastFramingSuspended());
}

// A unit that stops answering in the middle of a fast receive stops it after
// one time-out (a second), not two, and the port falls back to silence framing.
// Once the unit is back, the next receive on the still open port is fast
// again: the fallback lasts until a transfer starts.
TEST_F(FastFramingTest, AUnitThatComesBackIsReadFastAgain) {
    const Run fast = receiveAll(true);
    ASSERT_EQ(fast.status, TableTransfer::Status::Done);

    const Run broken = receiveAll(true, false, [this](const TransferView& v) {
        if (v.panelText.endsWith(QLatin1String(" 100"))) bus->setFaults(0, {.noAnswer = true});
    });
    EXPECT_EQ(broken.status, TableTransfer::Status::Stopped);
    EXPECT_TRUE(port.fastFramingSuspended());
    SimNanos firstSent = 0;
    {
        std::lock_guard lock(traceMutex);
        ASSERT_EQ(requests.size(), 102);
        EXPECT_EQ(requests[100], "rp 100");
        EXPECT_EQ(requests[101], "rp 100") << "sent once more after half its time-out";
        firstSent = requestTimes[100];
    }
    // From "rp 100" going out to the stop: its time-out and the line time of
    // the two sends, no more.
    EXPECT_LT(now() - firstSent, simMs(TableTransfer::ReceiveTimeoutMs) + simMs(5));

    bus->setFaults(0, {});
    const Run again = receiveAll(true, false);
    ASSERT_EQ(again.status, TableTransfer::Status::Done);
    EXPECT_EQ(again.tables, fast.tables);
    EXPECT_EQ(again.requests, fast.requests);
    EXPECT_FALSE(port.fastFramingSuspended());
    // Its first request waits until the line has been silent for as long as
    // the unanswered one waited (an answer still coming would come then);
    // the rest is as fast as before.
    EXPECT_LT(again.took, fast.took + simMs(TableTransfer::ReceiveTimeoutMs) + simMs(10));
    EXPECT_GE(again.took, fast.took + simMs(TableTransfer::ReceiveTimeoutMs));
}

// Without the option nothing changes, and a unit that is simply absent is
// not asked twice.
TEST_F(FastFramingTest, NoReplyAtAllIsStillOneTimeOut) {
    bus->setFaults(0, {.noAnswer = true});
    const Run fast = receiveAll(true);
    EXPECT_EQ(fast.status, TableTransfer::Status::Stopped);
    EXPECT_EQ(fast.requests, QStringList{"rp 0"});
    EXPECT_FALSE(port.fastFramingSuspended());
}

} // namespace
