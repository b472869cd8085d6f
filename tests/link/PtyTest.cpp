// The real termios driver over a pseudo-terminal with a scripted peer on the
// master side (the simulator's pty tests cover the round trip and the line
// settings a unit hears).

#include "LinkFixture.h"

#include "link/PosixSerialDriver.h"
#include "support/PtyPeer.h"

#include <QElapsedTimer>

#include <cerrno>

#include <termios.h>
#include <unistd.h>

using namespace kqm52;
using namespace kqm52::test;

namespace {

class PtyTest : public ::testing::Test {
  protected:
    PtyTest() {
        map.setDevice(TPort::COM1, peer.slavePath());
        port.setPortMap(&map);
    }
    ~PtyTest() override {
        port.SetActive(false);
        peer.stop();
    }
    std::unique_ptr<TRQ500Protocol> makeAscii(const QString& text, int timeout = 0) {
        return asciiRequest(port, text, timeout);
    }
    PtyPeer peer;
    PortMap map;
    TZRComm port;
};

TEST_F(PtyTest, ASecondOpenerIsRefusedWithTheSystemText) {
    port.SetActive(true);
    TZRComm second;
    second.setPortMap(&map);
    try {
        second.SetActive(true);
        FAIL() << "second opener was let in";
    } catch (const ECommHandleError& e) {
        EXPECT_EQ(e.message(), QString::fromStdString(systemErrorText(EBUSY)));
    }
    EXPECT_FALSE(second.Active());
    port.SetActive(false);
    second.SetActive(true); // free again once the first has closed
    EXPECT_TRUE(second.Active());
    second.SetActive(false);
}

TEST_F(PtyTest, ClosingWhileARequestWaitsReturnsAtOnceAndDeliversNothing) {
    peer.serve([](const QByteArray&) { return QByteArray(); }); // never answers
    port.SetActive(true);
    // A first-byte wait near the longest a request may take: only waiting
    // it out, not a slow machine, reaches half of it.
    constexpr int LongWaitMs = RequestLimitMs - 1000;
    auto c = makeAscii("rt", LongWaitMs);
    Recorder r;
    r.attach(*c);
    c->Send();
    ASSERT_TRUE(waitUntil([&] { return peer.linesSeen() == 1; })); // now awaiting its first byte
    QElapsedTimer t;
    t.start();
    port.SetActive(false);
    EXPECT_LT(t.elapsed(), LongWaitMs / 2) << "closing waited out the read time-out";
    QCoreApplication::processEvents();
    EXPECT_EQ(r.outcomes(), 0);
}

// 28800 bit/s has no termios constant and still comes back as set.
TEST(PosixDriver, LineStateReadsBackAsSet) {
    PtyPeer peer;
    PosixSerialDriver d;
    ASSERT_EQ(d.open(peer.slavePath().toStdString()), 0);
    for (int baud : {1200, 28800, 115200}) {
        ASSERT_EQ(d.setLineState(LineState{baud, 7, DriverParity::None, 2}), 0) << baud;
        LineState back;
        ASSERT_EQ(d.getLineState(back), 0);
        EXPECT_EQ(back.baud, baud);
        EXPECT_EQ(back.stopBits, 2);
    }
    EXPECT_EQ(d.close(), 0);
}

TEST(PosixDriver, FlowControlIsOffWhileOpenAndTheOldSettingsComeBackAtClose) {
    // Whatever used the device last may have left hardware or software flow
    // control on; with CTS low every write would stall.
    PtyPeer peer;
    termios before{};
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &before), 0);
    before.c_cflag |= CRTSCTS;
    before.c_iflag |= IXON | IXOFF;
    ASSERT_EQ(::tcsetattr(peer.slaveFd(), TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &before), 0);
    if (!(before.c_cflag & CRTSCTS)) GTEST_SKIP() << "this pty does not keep CRTSCTS";

    PosixSerialDriver d;
    ASSERT_EQ(d.open(peer.slavePath().toStdString()), 0);
    termios open{};
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &open), 0);
    EXPECT_FALSE(open.c_cflag & CRTSCTS);
    EXPECT_FALSE(open.c_iflag & (IXON | IXOFF | IXANY));
    ASSERT_EQ(d.setLineState(LineState{9600, 8, DriverParity::Even, 1}), 0);
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &open), 0);
    EXPECT_FALSE(open.c_cflag & CRTSCTS) << "a line setting brings no flow control back";

    ASSERT_EQ(d.close(), 0);
    termios after{};
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &after), 0);
    EXPECT_TRUE(after.c_cflag & CRTSCTS);
    EXPECT_EQ(after.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
}

TEST(PosixDriver, AFileThatIsNotATerminalIsRefused) {
    PosixSerialDriver d;
    EXPECT_EQ(d.open("/dev/null"), ENOTTY);
}

} // namespace
