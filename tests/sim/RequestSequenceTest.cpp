// Request chains on the simulated bus: what goes on the wire and what each
// item ends in, for each fault of the unit, with cancel, restart and a search
// that changes the line between probes.

#include "SimLinkFixture.h"

#include "link/RequestSequence.h"

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

using Seq = RequestSequence;

// The reply is good when it echoes the command; "er" is a refusal.
Seq::Verdict echoes(const QByteArray& reply, const char* word) {
    if (reply.startsWith("er")) return Seq::Verdict::Refused;
    return reply.startsWith(word) ? Seq::Verdict::Good : Seq::Verdict::Bad;
}

Seq::Item make(const QString& request, std::function<Seq::Verdict(const QByteArray&)> parse,
               int timeoutMs = -1, std::function<TCommError()> prepare = {}) {
    Seq::Item it;
    it.request = request;
    it.parse = std::move(parse);
    it.timeoutMs = timeoutMs;
    it.prepare = std::move(prepare);
    return it;
}

std::vector<Seq::Item> items(const QStringList& requests) {
    std::vector<Seq::Item> v;
    for (const QString& r : requests) {
        const QByteArray word = r.left(2).toLatin1();
        v.push_back(make(r, [word](const QByteArray& b) { return echoes(b, word.constData()); }));
    }
    return v;
}

class RequestSequenceTest : public SimLinkFixture {
  protected:
    RequestSequenceTest() {
        bus->addUnit(0, lineOf(38400));
        hostLines.attach(*bus);
        component.setUpForDevice(0);
        component.SetZRComm(&port);
        sequence.onFinished = [this](Seq::Ending e) { endings << e; };
    }
    void SetUp() override { port.SetActive(true); }

    QStringList sent() { return hostLines.all(); }
    bool finished() {
        return waitUntil([&] { return !endings.isEmpty(); });
    }

    HostLines hostLines;
    QList<Seq::Ending> endings;
    TRQ500Protocol component;
    Seq sequence{component};
};

} // namespace

// Each fault of the unit: how often an item goes on the line, what it ends
// in, and that nothing after a stop is sent.
TEST_F(RequestSequenceTest, FaultsDecideRetryAndStop) {
    const QStringList reads{"rp 0", "rp 1", "rp 2"};
    const QStringList writes{"wp 1 5", "wp 2 5", "bp"};
    using WW = SimFaults::WrongWord;
    using S = Seq::ItemStatus;
    const struct {
        const char* name;
        SimFaults faults;
        QStringList requests;
        Seq::Ending ending;
        int item; // the item looked at: where a run stopped
        S status; // its outcome
        int attempts;
        QStringList wire;
        std::int32_t code = 0;
    } rows[] = {
        // clang-format off
        {"clean", {}, reads, Seq::Ending::Completed, 2, S::Good, 1, reads},
        {"one bad reply", {.wrongWord = WW::Once}, reads, Seq::Ending::Completed, 0, S::Good, 2,
         {"rp 0", "rp 0", "rp 1", "rp 2"}},
        {"bad replies", {.wrongWord = WW::Always}, reads, Seq::Ending::Stopped, 0, S::BadReply, 2,
         {"rp 0", "rp 0"}},
        {"refused write", {.refuseWrites = true}, writes, Seq::Ending::Stopped, 0, S::Refused, 1,
         {"wp 1 5"}},
        // The link's own attempts are its business; the sequence adds none.
        {"silent", {.noAnswer = true}, reads, Seq::Ending::Stopped, 0, S::CommFailed, 1, {"rp 0"},
         CommCode::Timeout},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        bus->setFaults(0, row.faults);
        hostLines.clear();
        endings.clear();
        sequence.setItems(items(row.requests));
        sequence.start();
        ASSERT_TRUE(finished());
        EXPECT_EQ(endings, QList{row.ending});
        const int last =
            row.ending == Seq::Ending::Stopped ? row.item : int(row.requests.size()) - 1;
        EXPECT_EQ(sequence.current(), last);
        const auto& o = sequence.outcome(row.item);
        EXPECT_EQ(o.status, row.status);
        EXPECT_EQ(o.attempts, row.attempts);
        EXPECT_EQ(o.error.Code, row.code);
        EXPECT_EQ(sent(), row.wire);
        bus->setFaults(0, {});
    }
}

// Cancel waits for the reply on the line, reads nothing from it and sends
// nothing more; a restart while a reply is due starts one chain, not two.
TEST_F(RequestSequenceTest, CancelAndRestartWaitForTheReplyOnTheLine) {
    int parsed = 0;
    std::vector<Seq::Item> v;
    for (int i = 1; i <= 4; ++i)
        v.push_back(make(QStringLiteral("rd %1").arg(i), [&](const QByteArray&) {
            ++parsed;
            return Seq::Verdict::Good;
        }));
    sequence.setItems(v);
    sequence.start();
    sequence.cancel();
    EXPECT_TRUE(sequence.running()); // not before the reply
    ASSERT_TRUE(finished());
    EXPECT_EQ(endings, QList{Seq::Ending::Cancelled});
    EXPECT_EQ(parsed, 0);
    EXPECT_EQ(sequence.outcome(0).status, Seq::ItemStatus::Cancelled);
    EXPECT_EQ(sent(), QStringList{"rd 1"});

    // Cyclic, cancelled and started again before the late reply came.
    endings.clear();
    sequence.setRepeat(true);
    sequence.start();
    sequence.cancel();
    sequence.start();
    int maxQueued = 0;
    ASSERT_TRUE(waitUntil([&] {
        maxQueued = std::max(maxQueued, port.queuedRequests());
        return parsed >= 6;
    }));
    sequence.cancel();
    ASSERT_TRUE(finished());
    EXPECT_LE(maxQueued, 1);
    const QStringList w = sent();
    // The late reply to "rd 1" is dropped: the new chain begins with its own.
    EXPECT_EQ(w.mid(0, 9), (QStringList{"rd 1", "rd 1", "rd 1", "rd 2", "rd 3", "rd 4", "rd 1",
                                        "rd 2", "rd 3"}));
}

// A search: other line settings before each probe (closing and reopening the
// port), a short wait per probe, a pause at the unit found, then on.
TEST_F(RequestSequenceTest, SearchChangesTheLineAndPausesAtAFind) {
    component.SetTimeoutTime(1000);
    const TBaudrate speeds[] = {TBaudrate::br19200, TBaudrate::br38400, TBaudrate::br9600};
    std::vector<Seq::Item> v;
    for (TBaudrate b : speeds)
        v.push_back(make(
            QStringLiteral("rt"),
            [](const QByteArray& r) {
                return r.startsWith("rt") ? Seq::Verdict::GoodPause : Seq::Verdict::Bad;
            },
            50,
            [this, b] {
                port.SetActive(false);
                port.SetBaudrate(b);
                port.SetActive(true);
                return TCommError{};
            }));
    sequence.setPolicy({.badReplyRetries = 0, .onCommError = Seq::CommErrorAction::Continue});
    sequence.setItems(std::move(v));
    QList<int> paused;
    sequence.onPaused = [&](int i) { paused << i; };
    const SimNanos begin = now();
    sequence.start();
    ASSERT_TRUE(waitUntil([&] { return !paused.isEmpty(); }));
    EXPECT_EQ(paused, QList{1});
    EXPECT_EQ(sequence.state(), Seq::State::Paused);
    EXPECT_EQ(sequence.outcome(0).error.Code, CommCode::Timeout);
    // Three attempts of 50 ms and their pacing, not of the component's 1000 ms.
    EXPECT_LT(now() - begin, simMs(1000));
    EXPECT_TRUE(sequence.outcome(1).reply.startsWith("rt "));
    sequence.resume();
    ASSERT_TRUE(finished());
    EXPECT_EQ(endings, QList{Seq::Ending::Completed});
    EXPECT_EQ(sequence.outcome(2).status, Seq::ItemStatus::CommFailed);
    EXPECT_EQ(component.TimeoutTime(), 1000); // its own again
}

// A closed port ends the run at once instead of waiting for ever.
TEST_F(RequestSequenceTest, ClosedPortStopsAtOnce) {
    port.SetActive(false);
    sequence.setItems(items({"rp 0"}));
    sequence.start();
    EXPECT_EQ(endings, QList{Seq::Ending::Stopped});
    EXPECT_EQ(sequence.outcome(0).error.Code, CommCode::PortClosed);
}
