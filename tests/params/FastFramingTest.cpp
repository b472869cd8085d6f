// Fast framing against silence framing on the simulated bus: the same bytes
// on the wire and the same tables, far less time, and a unit that is not
// listening right after its reply loses nothing.

#include "sim/SimLinkFixture.h"

#include "params/model/TableTransfer.h"

#include <mutex>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class FastFramingTest : public SimLinkFixture {
  protected:
    FastFramingTest() {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p)
            unit.forceParameter(p, 1000 - 7 * p);
        for (int s = 1; s <= 48; ++s)
            unit.setSetpoint(s, -s * 11);
        bus->setTrace([this](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
            std::lock_guard lock(traceMutex);
            (fromHost ? requests : replies) << QString::fromLatin1(b);
        });
    }

    struct Run {
        UnitTables tables;
        QStringList requests, replies;
        SimNanos took = 0;
        TableTransfer::Status status{};
    };
    // Reads both tables once, on a freshly opened port.
    Run receiveAll(bool fast) {
        port.SetActive(false);
        port.SetFastFraming(fast);
        port.SetActive(true);
        {
            std::lock_guard lock(traceMutex);
            requests.clear();
            replies.clear();
        }
        TableTransfer t(port, TableTransfer::Direction::Receive);
        t.setMode(2);
        const SimNanos start = now();
        t.start();
        EXPECT_TRUE(waitUntil([&] { return t.status() != TableTransfer::Status::Running; }, 60000));
        std::lock_guard lock(traceMutex);
        return {t.tables, requests, replies, now() - start, t.status()};
    }

    std::mutex traceMutex;
    QStringList requests, replies;
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
    // Reopening the port tries fast framing again.
    port.SetActive(false);
    port.SetActive(true);
    EXPECT_FALSE(port.fastFramingSuspended());
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
