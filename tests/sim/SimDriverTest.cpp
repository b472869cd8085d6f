// SimDriver on the bus, called the way the link worker calls it, without the
// link: exact byte times on the virtual clock, line settings, colliding
// replies, purge, interrupt and the exclusive open.

#include "SimLinkFixture.h"

#include <cerrno>
#include <chrono>
#include <thread>

using namespace kqm52;
using kqm52::simtest::lineOf;

namespace {

class SimDriverTest : public ::testing::Test {
  protected:
    SimDriverTest() {
        bus->addUnit(0, lineOf(38400));
        EXPECT_EQ(driver->open("sim"), 0);
        EXPECT_EQ(driver->setLineState(lineOf(38400)), 0);
    }

    int send(const QByteArray& text) {
        int written = 0;
        return driver->write(reinterpret_cast<const std::uint8_t*>(text.constData()),
                             int(text.size()), written);
    }

    // Reads until a silence of `silenceMs`, the way the worker ends a reply.
    QByteArray receive(int firstMs = 100, int silenceMs = 50) {
        QByteArray got;
        driver->setReadTimeout(firstMs);
        for (;;) {
            std::uint8_t b = 0;
            bool any = false;
            lastError = driver->readByte(b, any);
            if (lastError || !any) return got;
            got.append(char(b));
            driver->setReadTimeout(silenceMs);
        }
    }

    std::uint32_t lineErrors() {
        std::uint32_t flags = 0;
        EXPECT_EQ(driver->clearLineErrors(flags), 0);
        return flags;
    }

    void setFaults(SimFaults f) { bus->setFaults(0, f); }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>(clock);
    std::unique_ptr<SimDriver> driver = std::make_unique<SimDriver>(bus);
    int lastError = 0;
};

} // namespace

TEST_F(SimDriverTest, ByteTimesFollowSpeedAndFrame) {
    const LineState l = lineOf(38400);
    EXPECT_EQ(simLineTime(l, 3), 859375); // 3 x 11 bits
    EXPECT_EQ(simFrameBits(lineOf(9600, DriverParity::None, 7, 2)), 10);

    ASSERT_EQ(send("rt\r"), 0);
    EXPECT_EQ(clock->now(), simLineTime(l, 3)); // write takes the line time
    ASSERT_EQ(driver->flush(), 0);
    const QByteArray first = receive(100, 0);
    EXPECT_EQ(first, QByteArray("r"));
    // The first byte ends a turnaround plus one character after the CR.
    EXPECT_EQ(clock->now(), simLineTime(l, 3) + simMs(2) + simLineTime(l, 1));
    EXPECT_EQ(first + receive(50), QByteArray("rt MX52 Nokkenregelaar V3.07\r\n"));
    const SimNanos lastByte = simLineTime(l, 3) + simMs(2) + simLineTime(l, 30);
    EXPECT_EQ(clock->now(), lastByte + simMs(50)); // the silence that ends it
}

TEST_F(SimDriverTest, OtherLineSettingsGiveSilence) {
    const LineState others[] = {
        lineOf(19200), lineOf(38400, DriverParity::Odd), lineOf(38400, DriverParity::None),
        lineOf(38400, DriverParity::Even, 7), lineOf(38400, DriverParity::Even, 8, 2)};
    for (const LineState& l : others) {
        ASSERT_EQ(driver->setLineState(l), 0);
        const SimNanos before = clock->now();
        send("rt\r");
        EXPECT_EQ(receive(100), QByteArray()) << simLineText(l).toStdString();
        EXPECT_EQ(clock->now(), before + simLineTime(l, 3) + simMs(100));
    }
    ASSERT_EQ(driver->setLineState(lineOf(38400)), 0);
    send("rt\r");
    EXPECT_TRUE(receive().startsWith("rt MX52"));
    // Bytes at other settings spoil the line being gathered.
    send("rp");
    ASSERT_EQ(driver->setLineState(lineOf(9600)), 0);
    send("x");
    ASSERT_EQ(driver->setLineState(lineOf(38400)), 0);
    send(" 5\r");
    EXPECT_EQ(receive(), QByteArray("er 1\r\n")); // the unit saw " 5" only
}

TEST_F(SimDriverTest, CollidingRepliesMixOnTheLine) {
    bus->addUnit(7, lineOf(38400)).hardwareText = "HW 9.9 SN 777777";
    // Both power up selected: an unaddressed request collides.
    send("rp 1\r");
    EXPECT_EQ(receive(), QByteArray("rp 1 0\r\n")); // the same text from both
    EXPECT_TRUE(lineErrors() & LineErrorFrame);
    send("rh\r");
    QByteArray mix = "rh HW 2.1 SN 520000\r\n";
    const QByteArray other = "rh HW 9.9 SN 777777\r\n";
    for (int i = 0; i < mix.size(); ++i)
        mix[i] = char(mix[i] & other[i]); // a driven 0 wins
    EXPECT_EQ(receive(), mix);
    lineErrors();
    send("sc 7\r");
    EXPECT_EQ(receive(), QByteArray("sc 7\r\n"));
    send("rh\r");
    EXPECT_EQ(receive(), other);
    EXPECT_EQ(lineErrors(), 0u);
}

TEST_F(SimDriverTest, PurgeDropsWhatHasArrivedButNotWhatIsStillComing) {
    setFaults({.lateMs = 150});
    send("rp 1\r");
    EXPECT_EQ(receive(100), QByteArray()); // too late for 100 ms
    ASSERT_EQ(driver->purge(), 0);
    setFaults({});
    send("rp 2\r");
    // The late reply arrives during the next request and is taken for its
    // reply; the unit answers the second request only after it.
    EXPECT_EQ(receive(100), QByteArray("rp 1 0\r\nrp 2 0\r\n"));
    send("rp 3\r");
    driver->waitIdle(20);
    ASSERT_EQ(driver->purge(), 0);
    EXPECT_EQ(receive(100), QByteArray());
}

// The drip: the reply and the noise after it come a byte every 10 ms plus
// its line time, for a minute, never with the silence that ends a reply.
TEST_F(SimDriverTest, ADripNeverFallsSilent) {
    setFaults({.dripMs = 10});
    send("rp 1\r");
    const SimNanos sent = clock->now();
    driver->setReadTimeout(100);
    QByteArray got;
    for (int i = 0; i < 3000; ++i) {
        std::uint8_t b = 0;
        bool any = false;
        ASSERT_EQ(driver->readByte(b, any), 0);
        ASSERT_TRUE(any) << "silent after " << got.size() << " bytes";
        got.append(char(b));
        driver->setReadTimeout(50);
    }
    EXPECT_TRUE(got.startsWith("rp 1 0\r\nzzz")) << got.left(12).toStdString();
    EXPECT_EQ(clock->now(), sent + simMs(2) + simLineTime(lineOf(38400), 3000) + 2999 * simMs(10));
}

// Installed as the port map's device "sim"; the bus is opened exclusively.
TEST_F(SimDriverTest, OpenedExclusivelyThroughThePortMap) {
    PortMap map;
    kqm52::installSimulatedBus(map, bus);
    map.setDevice(TPort::COM3, "sim");
    PortProblem problem;
    auto second = map.createDriver(TPort::COM3, problem);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->open("sim"), EBUSY);
    EXPECT_EQ(driver->close(), 0);
    EXPECT_EQ(second->open("sim"), 0);
    EXPECT_EQ(receive(), QByteArray());
    EXPECT_EQ(lastError, EBADF);
}

// Real time: a read waits for its byte, interrupt() from another thread ends a
// long wait, and setLineState may run beside a blocked read.
TEST(SimDriverRealTime, WaitsInRealTimeAndCanBeInterrupted) {
    auto bus = std::make_shared<SimBus>(std::make_shared<RealClock>());
    bus->addUnit(0, lineOf(9600));
    SimDriver d(bus);
    ASSERT_EQ(d.open("sim"), 0);
    ASSERT_EQ(d.setLineState(lineOf(9600)), 0);
    int written = 0;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(d.write(reinterpret_cast<const std::uint8_t*>("rt\r"), 3, written), 0);
    ASSERT_EQ(d.flush(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::microseconds(3437));
    d.setReadTimeout(200);
    std::uint8_t b = 0;
    bool got = false;
    ASSERT_EQ(d.readByte(b, got), 0);
    ASSERT_TRUE(got);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::microseconds(3437 + 2000 + 1145));

    d.setReadTimeout(10000);
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        for (int i = 0; i < 100; ++i)
            d.setLineState(lineOf(i % 2 ? 19200 : 9600));
        d.interrupt();
    });
    const auto t1 = std::chrono::steady_clock::now();
    // Reads the rest of the reply, then blocks until interrupted.
    do {
        ASSERT_EQ(d.readByte(b, got), 0);
    } while (got);
    other.join();
    EXPECT_LT(std::chrono::steady_clock::now() - t1, std::chrono::seconds(5));
}
