#include "link/Rfc2217SerialDriver.h"

#include <cerrno>
#include <chrono>

namespace kqm52 {

using namespace telnet;

Rfc2217SerialDriver::Rfc2217SerialDriver() : TcpSerialDriver("rfc2217") {}

int Rfc2217SerialDriver::sendControl(const Bytes& bytes) {
    if (bytes.empty()) return 0;
    const std::lock_guard lock(sendMutex_);
    return sendAll(bytes.data(), bytes.size());
}

template <typename Done> int Rfc2217SerialDriver::receiveUntil(Done done, int timeoutMs) {
    const auto deadline = wakeable::Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (wakeable::Clock::now() >= deadline) return ETIMEDOUT;
        const int r = receiveSome(deadline);
        if (r < 0) return -r;
        if (r == 0 && !done()) return ETIMEDOUT;
    }
    return 0;
}

int Rfc2217SerialDriver::afterConnect() {
    decoder_ = Decoder();
    negotiator_ = Negotiator();
    comPort_ = false;
    lineErrors_ = 0;
    {
        const std::lock_guard lock(stateMutex_);
        acked_ = line_;
        ackCount_ = 0;
    }
    if (const int err = sendControl(negotiator_.opening())) return err;
    const std::lock_guard lock(readMutex_);
    const int err =
        receiveUntil([this] { return negotiator_.comPort() != Negotiator::ComPortState::Asked; },
                     NegotiationTimeoutMs);
    // A server that says nothing about COM-PORT is not refused: it is used
    // as it is, its line set at the server.
    if (err && err != ETIMEDOUT) return err;
    comPort_ = negotiator_.comPort() == Negotiator::ComPortState::Accepted;
    if (comPort_) return sendControl(comPortCommand(ComSetLinestateMask, {LinestateErrors}));
    return 0;
}

void Rfc2217SerialDriver::takeIn(const std::uint8_t* bytes, int count) {
    std::vector<Event> events;
    decoder_.feed(bytes, count, rx_, events);
    for (const Event& e : events) {
        if (e.kind == Event::Negotiation) {
            // An answer that cannot go out shows as the next write's error.
            sendControl(negotiator_.answer(e));
        } else if (e.command == ServerOffset + ComNotifyLinestate && !e.value.empty()) {
            lineErrors_ |= lineErrorFlags(e.value[0]);
        } else {
            const std::lock_guard lock(stateMutex_);
            if (e.command == ServerOffset + ComPurgeData)
                ++purgeAcks_;
            else if (applyResponse(e, acked_))
                ++ackCount_;
        }
    }
}

std::vector<std::uint8_t> Rfc2217SerialDriver::wireForm(const std::uint8_t* data, int count) {
    return escaped(data, count);
}

int Rfc2217SerialDriver::getLineState(LineState& state) {
    if (fd_ < 0) return EBADF;
    if (!comPort_) return TcpSerialDriver::getLineState(state);
    const std::lock_guard lock(stateMutex_);
    state = acked_;
    return 0;
}

int Rfc2217SerialDriver::setLineState(const LineState& state) {
    if (const int err = TcpSerialDriver::setLineState(state)) return err;
    if (!comPort_) return 0;
    int before = 0;
    {
        const std::lock_guard lock(stateMutex_);
        before = ackCount_;
    }
    if (const int err = sendControl(lineCommands(state))) return err;
    // The worker may be waiting for a reply: it reads the acknowledgements
    // then, and this call does not wait for it.  Otherwise the change is
    // known to stand before the next request goes out.
    std::unique_lock reading(readMutex_, std::try_to_lock);
    if (!reading.owns_lock()) return 0;
    const int err = receiveUntil(
        [&] {
            const std::lock_guard lock(stateMutex_);
            return ackCount_ >= before + 4;
        },
        NegotiationTimeoutMs);
    if (err == ETIMEDOUT) return 0; // a server that does not answer is trusted
    if (err) return err;
    const std::lock_guard lock(stateMutex_);
    // The server answers with the setting it made: another one means it
    // could not make this one.
    return acked_ == state ? 0 : EINVAL;
}

int Rfc2217SerialDriver::purge() {
    if (fd_ < 0) return EBADF;
    const std::lock_guard reading(readMutex_);
    std::size_t dropped = 0;
    if (const int err = dropArrived(dropped)) return err;
    // Bytes that came unasked may have more behind them at the server: it
    // purges its buffers too.  Only then, and with its answer awaited: a
    // server that flushes its line after the request behind the purge has
    // reached it would drop the request, and asking before every request
    // would cost a round trip each.
    if (!comPort_ || dropped == 0) return 0;
    int before = 0;
    {
        const std::lock_guard lock(stateMutex_);
        before = purgeAcks_;
    }
    if (const int err = sendControl(comPortCommand(ComPurgeData, {PurgeBoth}))) return err;
    const int err = receiveUntil(
        [&] {
            const std::lock_guard lock(stateMutex_);
            return purgeAcks_ > before;
        },
        NegotiationTimeoutMs);
    if (err && err != ETIMEDOUT) return err;
    return dropArrived(dropped);
}

int Rfc2217SerialDriver::clearLineErrors(std::uint32_t& flags) {
    flags = lineErrors_.exchange(0);
    return fd_ < 0 ? EBADF : 0;
}

bool Rfc2217SerialDriver::lineSetAtServer() const {
    return !comPort_;
}

} // namespace kqm52
