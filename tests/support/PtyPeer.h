#pragma once

// The device side of a pseudo-terminal, for tests and benchmarks that drive
// the real termios driver: reads CR-terminated request lines on the master
// side and answers each after the device's turnaround.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace kqm52::test {

class PtyPeer {
  public:
    // The reply to one request line (without its CR); empty is silence, and
    // Vanish sends half a reply and closes the device.
    using Answer = std::function<QByteArray(const QByteArray& line)>;
    static QByteArray vanish() { return QByteArrayLiteral("\x01VANISH"); }

    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        slave_ = QString::fromLocal8Bit(::ptsname(master_));
        // Keep the slave side from vanishing between the opens of a test.
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
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    QString slavePath() const { return slave_; }
    // A descriptor of the slave side, for looking at its terminal settings.
    int slaveFd() const { return keepOpen_; }
    // Request lines read so far.
    int linesSeen() const { return lines_.load(); }

    void serve(Answer answer, std::chrono::milliseconds turnaround = std::chrono::milliseconds(1)) {
        thread_ = std::thread([this, answer, turnaround] {
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
                    ++lines_;
                    const QByteArray reply = answer(line);
                    if (reply.isEmpty()) continue;
                    // The device's own turnaround, not a wait of the test.
                    std::this_thread::sleep_for(turnaround);
                    if (reply == vanish()) {
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
    // The converter pulled out: both sides of the device close, so the port's
    // descriptor hangs up.  Safe beside the serving thread, which it stops.
    void unplug() {
        stop();
        if (keepOpen_ >= 0) ::close(keepOpen_);
        if (master_ >= 0) ::close(master_);
        keepOpen_ = master_ = -1;
    }

  private:
    int master_ = -1;
    int keepOpen_ = -1;
    QString slave_;
    std::atomic<bool> stop_{false};
    std::atomic<int> lines_{0};
    std::thread thread_;
};

} // namespace kqm52::test
