// The real termios driver, end to end over a pseudo-terminal with a scripted
// peer on the master side.

#include "LinkFixture.h"

#include "link/PosixSerialDriver.h"

#include <QElapsedTimer>

#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace kqm52;
using namespace kqm52::test;

namespace {

// The device side of a pty: reads request lines and answers them.
class PtyPeer {
  public:
    using Answer = std::function<QByteArray(const QByteArray& line)>;

    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        slave_ = QString::fromLocal8Bit(::ptsname(master_));
        // Keep the slave side from vanishing between the test's opens.
        keepOpen_ = ::open(slave_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        termios t{};
        ::tcgetattr(keepOpen_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(keepOpen_, TCSANOW, &t);
    }
    ~PtyPeer() {
        stop();
        if (keepOpen_ >= 0) ::close(keepOpen_);
        if (master_ >= 0) ::close(master_);
    }

    QString slavePath() const { return slave_; }
    int slaveFd() const { return keepOpen_; }

    // Answers each CR-terminated line after delayMs; an empty answer is silence.
    void serve(Answer answer, int delayMs = 1) {
        thread_ = std::thread([this, answer, delayMs] {
            QByteArray pending;
            while (!stop_) {
                pollfd p{master_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0) continue;
                char buf[256];
                const ssize_t n = ::read(master_, buf, sizeof buf);
                if (n <= 0) continue;
                pending.append(buf, n);
                int cr;
                while ((cr = int(pending.indexOf('\r'))) >= 0) {
                    const QByteArray line = pending.left(cr);
                    pending.remove(0, cr + 1);
                    const QByteArray reply = answer(line);
                    if (reply.isEmpty()) continue;
                    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                    if (reply == "VANISH") {
                        [[maybe_unused]] auto w = ::write(master_, "rp 1", 4);
                        ::close(keepOpen_);
                        keepOpen_ = -1;
                        ::close(master_);
                        master_ = -1;
                        return;
                    }
                    [[maybe_unused]] auto w =
                        ::write(master_, reply.constData(), size_t(reply.size()));
                }
            }
        });
    }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

  private:
    int master_ = -1;
    int keepOpen_ = -1;
    QString slave_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

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
        auto c = std::make_unique<TRQ500Protocol>();
        c->setUpForDevice(timeout);
        c->SetASCIIProtocol(text);
        c->SetZRComm(&port);
        return c;
    }
    PtyPeer peer;
    PortMap map;
    TZRComm port;
};

QByteArray echo(const QByteArray& line) {
    return line + " 42\r\n";
}

TEST_F(PtyTest, ARequestAndItsReplyCrossTheRealDriver) {
    peer.serve(echo);
    port.SetActive(true);
    auto c = makeAscii("rp 17");
    Recorder r;
    r.attach(*c);
    c->Send();
    ASSERT_TRUE(waitUntil([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Result);
    EXPECT_EQ(r.events[0].data, QByteArray("rp 17 42\r\n"));
}

TEST_F(PtyTest, LineSettingsReachTheDevice) {
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameStopbits(TStopBit::sb_2);
    port.SetActive(true);
    termios t{};
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B38400));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    // changed while open, without reopening
    port.SetBaudrate(TBaudrate::br115200);
    ASSERT_EQ(::tcgetattr(peer.slaveFd(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B115200));
    // 28800 bit/s has no termios constant and still opens
    EXPECT_NO_THROW(port.SetBaudrate(TBaudrate::br28800));
}

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

TEST_F(PtyTest, AMissingDeviceIsRefusedWithTheSystemText) {
    map.setDevice(TPort::COM2, "/dev/does-not-exist-kqm52");
    port.SetPortName(TPort::COM2);
    try {
        port.SetActive(true);
        FAIL();
    } catch (const ECommHandleError& e) {
        EXPECT_EQ(e.systemError(), ENOENT);
    }
}

TEST_F(PtyTest, ClosingWhileARequestWaitsReturnsAtOnceAndDeliversNothing) {
    peer.serve([](const QByteArray&) { return QByteArray(); }); // never answers
    port.SetActive(true);
    auto c = makeAscii("rt", 2000);
    Recorder r;
    r.attach(*c);
    c->Send();
    QTest::qWait(50); // the request is now waiting for its first byte
    QElapsedTimer t;
    t.start();
    port.SetActive(false);
    EXPECT_LT(t.elapsed(), 1000) << "closing waited out the read time-out";
    QTest::qWait(50);
    EXPECT_EQ(r.outcomes(), 0);
}

TEST_F(PtyTest, APeerVanishingMidReplyIsAFailedCallNotAHang) {
    peer.serve([](const QByteArray&) { return QByteArray("VANISH"); });
    port.SetActive(true);
    auto c = makeAscii("rp 1", 300);
    Recorder r;
    r.attach(*c);
    QElapsedTimer t;
    t.start();
    c->Send();
    ASSERT_TRUE(waitUntil([&] { return r.outcomes() == 1; }));
    ASSERT_EQ(r.events[0].kind, Event::Error);
    EXPECT_EQ(r.events[0].error.Code, CommCode::DriverFailed);
    EXPECT_NE(r.events[0].error.SystemError, 0);
    EXPECT_LT(t.elapsed(), 3000);
}

TEST(PosixDriver, ReadTimesOutWithoutError) {
    PtyPeer peer;
    PosixSerialDriver d;
    ASSERT_EQ(d.open(peer.slavePath().toStdString()), 0);
    ASSERT_EQ(d.setReadTimeout(30), 0);
    std::uint8_t b = 0;
    bool got = true;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(d.readByte(b, got), 0);
    EXPECT_FALSE(got);
    EXPECT_GE(t.elapsed(), 25);
    std::uint32_t flags = 1;
    EXPECT_EQ(d.clearLineErrors(flags), 0); // a pty keeps no counters: none reported
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(d.close(), 0);
}

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

TEST(PosixDriver, AFileThatIsNotATerminalIsRefused) {
    PosixSerialDriver d;
    EXPECT_EQ(d.open("/dev/null"), ENOTTY);
}

} // namespace
