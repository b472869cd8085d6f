#include "link/TcpSerialDriver.h"

#include "link/WakeablePoll.h"

#include <QRegularExpression>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kqm52 {

namespace {

using Clock = wakeable::Clock;

int lastError() {
    return lastSystemError();
}

// Waits for events on fd, or an interrupt, until the deadline.
// 1: ready; 0: time-out or interrupt; -errno.
int waitFor(int fd, int wakeFd, short events, Clock::time_point deadline) {
    bool interrupted = false;
    return wakeable::waitFor(fd, wakeFd, events, deadline, interrupted);
}

// errno value for a name the resolver does not know.
constexpr int ResolveFailed = EHOSTUNREACH;

} // namespace

std::optional<NetworkAddress> parseNetworkAddress(const QString& value, const QString& scheme) {
    static const QRegularExpression form(
        QStringLiteral("^([a-z0-9]+)://(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9._-]+):([0-9]{1,5})$"));
    const auto m = form.match(value);
    if (!m.hasMatch() || m.captured(1) != scheme) return std::nullopt;
    const int port = m.captured(3).toInt();
    if (port < 1 || port > 65535) return std::nullopt;
    QString host = m.captured(2);
    if (host.startsWith(QLatin1Char('['))) host = host.mid(1, host.size() - 2);
    return NetworkAddress{host, port};
}

TcpSerialDriver::TcpSerialDriver() : TcpSerialDriver("tcp") {}

TcpSerialDriver::TcpSerialDriver(const char* scheme) : scheme_(scheme) {}

TcpSerialDriver::~TcpSerialDriver() {
    if (fd_ >= 0) close();
}

int TcpSerialDriver::open(const std::string& path) {
    if (fd_ >= 0) return EBUSY;
    resolveError_ = 0;
    const auto address =
        parseNetworkAddress(QString::fromStdString(path), QString::fromLatin1(scheme_));
    if (!address) return EINVAL;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray host = address->host.toUtf8();
    const QByteArray port = QByteArray::number(address->port);
    if (const int r = ::getaddrinfo(host.constData(), port.constData(), &hints, &found)) {
        resolveError_ = r;
        return ResolveFailed;
    }
    const int wake = wakeable::makeWakeFd();
    if (wake < 0) {
        ::freeaddrinfo(found);
        return -wake;
    }
    int error = ECONNREFUSED;
    int fd = -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        const int s =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (s < 0) {
            error = lastError();
            continue;
        }
        int r = ::connect(s, a->ai_addr, a->ai_addrlen);
        if (r != 0 && errno == EINPROGRESS) {
            const int ready = waitFor(s, wake, POLLOUT, deadline);
            socklen_t len = sizeof error;
            if (ready == 1 && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &len) == 0)
                r = error == 0 ? 0 : -1;
            else
                error = ready < 0 ? -ready : ETIMEDOUT;
        } else if (r != 0) {
            error = lastError();
        }
        if (r == 0) {
            fd = s;
        } else {
            ::close(s);
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
        ::close(wake);
        return error;
    }
    // A request is a few bytes that must leave at once, and a server that
    // vanished without a word is found by the keep-alive.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    fd_ = fd;
    wakeFd_ = wake;
    rx_.clear();
    rxAt_ = 0;
    if (const int err = afterConnect()) {
        close();
        return err;
    }
    return 0;
}

int TcpSerialDriver::close() {
    if (fd_ < 0) return 0;
    ::close(std::exchange(fd_, -1));
    ::close(std::exchange(wakeFd_, -1));
    return 0;
}

int TcpSerialDriver::setBufferSizes(int, int) {
    return fd_ < 0 ? EBADF : 0;
}

int TcpSerialDriver::getLineState(LineState& state) {
    state = line_;
    return fd_ < 0 ? EBADF : 0;
}

int TcpSerialDriver::setLineState(const LineState& state) {
    line_ = state;
    return fd_ < 0 ? EBADF : 0;
}

int TcpSerialDriver::getReadTimeout(int& milliseconds) {
    milliseconds = readTimeoutMs_;
    return 0;
}

int TcpSerialDriver::setReadTimeout(int milliseconds) {
    readTimeoutMs_ = milliseconds;
    return 0;
}

int TcpSerialDriver::purge() {
    if (fd_ < 0) return EBADF;
    // What has arrived is dropped; what the server still relays later cannot
    // be reached from here, and the protocol's silence before a request
    // covers it.
    const std::lock_guard lock(readMutex_);
    std::size_t dropped = 0;
    return dropArrived(dropped);
}

int TcpSerialDriver::dropArrived(std::size_t& dropped) {
    for (;;) {
        const int r = receiveSome(Clock::now());
        if (r < 0) return -r;
        if (r == 0) break;
    }
    dropped = rx_.size() - rxAt_;
    rx_.clear();
    rxAt_ = 0;
    return 0;
}

void TcpSerialDriver::takeIn(const std::uint8_t* bytes, int count) {
    rx_.insert(rx_.end(), bytes, bytes + count);
}

std::vector<std::uint8_t> TcpSerialDriver::wireForm(const std::uint8_t* data, int count) {
    return {data, data + count};
}

int TcpSerialDriver::sendAll(const std::uint8_t* bytes, std::size_t count) {
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    std::size_t sent = 0;
    while (sent < count) {
        const ssize_t n = ::send(fd_, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int r = waitFor(fd_, wakeFd_, POLLOUT, deadline);
            if (r < 0) return -r;
            if (r == 0) return Clock::now() < deadline ? EINTR : ETIMEDOUT;
            continue;
        }
        return lastError();
    }
    return 0;
}

int TcpSerialDriver::receiveSome(Clock::time_point deadline) {
    for (;;) {
        const int r = waitFor(fd_, wakeFd_, POLLIN, deadline);
        if (r <= 0) return r;
        std::uint8_t buffer[512];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            takeIn(buffer, int(n));
            return 1;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        // The server closed the connection: the bus is gone, not silent.
        return n == 0 ? -ECONNRESET : -lastError();
    }
}

int TcpSerialDriver::write(const std::uint8_t* data, int count, int& written) {
    written = 0;
    if (fd_ < 0) return EBADF;
    const std::vector<std::uint8_t> wire = wireForm(data, count);
    const std::lock_guard lock(sendMutex_);
    if (const int err = sendAll(wire.data(), wire.size())) return err;
    written = count;
    return 0;
}

int TcpSerialDriver::flush() {
    // The bytes are the server's once sent; when they reach the line is its
    // business, and the reply's time-out counts from here.
    return fd_ < 0 ? EBADF : 0;
}

int TcpSerialDriver::readByte(std::uint8_t& byte, bool& got) {
    got = false;
    if (fd_ < 0) return EBADF;
    const std::lock_guard lock(readMutex_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
    // Bytes a protocol keeps for itself come and go without counting as the
    // line's: the wait goes on to the same deadline.
    while (rxAt_ == rx_.size()) {
        rx_.clear();
        rxAt_ = 0;
        const int r = receiveSome(deadline);
        if (r < 0) return -r;
        if (r == 0) return 0;
    }
    byte = rx_[rxAt_++];
    got = true;
    return 0;
}

int TcpSerialDriver::clearLineErrors(std::uint32_t& flags) {
    // A raw server says nothing of its line's errors.
    flags = 0;
    return fd_ < 0 ? EBADF : 0;
}

void TcpSerialDriver::interrupt() {
    wakeable::wake(wakeFd_);
}

void TcpSerialDriver::waitIdle(int milliseconds) {
    wakeable::idle(wakeFd_, milliseconds);
}

std::string TcpSerialDriver::errorText(int error) const {
    // A name the resolver did not find is said in the resolver's words.
    return error == ResolveFailed && resolveError_ != 0 ? std::string(::gai_strerror(resolveError_))
                                                        : systemErrorText(error);
}

bool TcpSerialDriver::isDeviceGone(int error) const {
    return error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ETIMEDOUT ||
           error == EHOSTUNREACH || error == ENETUNREACH || SerialDriver::isDeviceGone(error);
}

} // namespace kqm52
