#include "sim/PtyServer.h"

#include <QByteArray>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

Q_DECLARE_LOGGING_CATEGORY(lcSim)

namespace kqm52 {

int simTerminalLine(int fd, int& baud, int& dataBits, int& parity, int& stopBits); // PtySpeed.cpp

PtyServer::PtyServer(std::shared_ptr<SimBus> bus) : bus_(std::move(bus)) {}

PtyServer::~PtyServer() {
    stop();
    closeAll();
}

bool PtyServer::open(QString* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        closeAll();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    slavePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    // Raw, like a serial line: no echo, no line editing, no CR/LF mapping.
    termios t{};
    if (::tcgetattr(slave_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B38400);
        ::cfsetospeed(&t, B38400);
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe");
    return true;
}

void PtyServer::closeAll() {
    for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void PtyServer::start() {
    if (master_ < 0 || thread_.joinable()) return;
    stopping_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void PtyServer::stop() {
    stopping_ = true;
    if (wake_[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const auto n = ::write(wake_[1], &c, 1);
    }
    if (thread_.joinable()) thread_.join();
}

bool PtyServer::sleepUntil(SimNanos t) {
    const auto& clock = bus_->clock();
    for (;;) {
        if (stopping_) return false;
        const SimNanos left = t - clock->now();
        if (left <= 0) return true;
        timespec ts{time_t(left / 1'000'000'000), long(left % 1'000'000'000)};
        pollfd p{wake_[0], POLLIN, 0};
        ::ppoll(&p, 1, &ts, nullptr);
    }
}

void PtyServer::run() {
    const auto& clock = bus_->clock();
    char buf[512];
    while (!stopping_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int n = ::poll(fds, 2, 200);
        if (n < 0 && errno != EINTR) break;
        if (stopping_ || (fds[1].revents & POLLIN)) break;
        if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t got = ::read(master_, buf, sizeof buf);
        if (got <= 0) {
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            // No slave left open would give EIO; we keep one, so this is the end.
            break;
        }
        const SimNanos at = clock->now();
        LineState host;
        // Parity and data bits never reach us over a pty (it reports 8N); the
        // bus ignores them, the log shows what the pty said.
        int parity = 0;
        if (simTerminalLine(slave_, host.baud, host.dataBits, parity, host.stopBits) != 0) continue;
        host.parity = DriverParity(parity);
        const std::vector<SimLineEvent> back =
            bus_->transmit(host, QByteArray(buf, int(got)), at, SimLineMatch::SpeedAndStopBits);
        bool vanished = false;
        for (const SimLineEvent& e : back) {
            if (!sleepUntil(e.at)) break;
            if (e.kind == SimLineEvent::Kind::Vanish) {
                vanished = true;
                break;
            }
            if (e.kind != SimLineEvent::Kind::Byte)
                continue; // a failing driver call has no pty form
            const char c = char(e.value);
            while (::write(master_, &c, 1) < 0 && errno == EINTR) {
            }
        }
        if (bus_->takeDirty() && onDirty) onDirty();
        if (vanished) {
            qCInfo(lcSim) << "device vanished: closing" << slavePath_;
            ::close(slave_);
            slave_ = -1;
            ::close(master_);
            master_ = -1;
            if (onVanished) onVanished();
            break;
        }
    }
    running_ = false;
}

} // namespace kqm52
