#include "sim/SimDriver.h"

#include <QByteArray>

#include <cerrno>

namespace kqm52 {

SimDriver::SimDriver(std::shared_ptr<SimBus> bus) : bus_(std::move(bus)), clock_(bus_->clock()) {}

SimDriver::~SimDriver() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_) bus_->release();
}

int SimDriver::failure(SimDriverCall call) {
    if (!open_) return EBADF;
    if (vanished_) return EIO;
    return bus_->takeDriverFailure(call);
}

int SimDriver::open(const std::string&) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_) return EBUSY;
    if (int e = bus_->takeDriverFailure(SimDriverCall::Open)) return e;
    if (int e = bus_->claim()) return e;
    open_ = true;
    interrupted_ = false;
    vanished_ = false;
    rx_.clear();
    lineErrors_ = 0;
    txEnd_ = clock_->now();
    return 0;
}

int SimDriver::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return EBADF;
    const int e = bus_->takeDriverFailure(SimDriverCall::Close);
    // The handle is gone whatever close() says, as with the system call.
    open_ = false;
    rx_.clear();
    bus_->release();
    wake_.notify_all();
    return e;
}

int SimDriver::setBufferSizes(int, int) {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure(SimDriverCall::SetBufferSizes);
}

int SimDriver::getLineState(LineState& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::GetLineState)) return e;
    state = line_;
    return 0;
}

int SimDriver::setLineState(const LineState& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::SetLineState)) return e;
    if (state.baud <= 0 || (state.dataBits != 7 && state.dataBits != 8) ||
        (state.stopBits != 1 && state.stopBits != 2))
        return EINVAL;
    line_ = state;
    return 0;
}

int SimDriver::getReadTimeout(int& milliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::GetReadTimeout)) return e;
    milliseconds = readTimeoutMs_;
    return 0;
}

int SimDriver::setReadTimeout(int milliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::SetReadTimeout)) return e;
    readTimeoutMs_ = milliseconds < 0 ? 0 : milliseconds;
    return 0;
}

int SimDriver::purge() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::Purge)) return e;
    // What has arrived is thrown away; what is still on the wire (a late
    // reply, the rest of a reply after a pause) arrives later all the same.
    const SimNanos now = clock_->now();
    while (!rx_.empty() && rx_.front().at <= now)
        rx_.pop_front();
    return 0;
}

int SimDriver::write(const std::uint8_t* data, int count, int& written) {
    written = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::Write)) return e;
    if (count <= 0) return 0;
    // A new write queues behind what is still being sent.
    const SimNanos start = std::max(clock_->now(), txEnd_);
    const QByteArray bytes(reinterpret_cast<const char*>(data), count);
    std::vector<SimLineEvent> back = bus_->transmit(line_, bytes, start);
    txEnd_ = start + simLineTime(line_, count);
    written = count;
    for (auto& e : back) {
        // Keep the queue ordered even when replies of earlier requests are pending.
        auto it = rx_.end();
        while (it != rx_.begin() && std::prev(it)->at > e.at)
            --it;
        rx_.insert(it, e);
    }
    if (clock_->isVirtual()) clock_->advanceTo(txEnd_);
    wake_.notify_all();
    return 0;
}

int SimDriver::flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::Flush)) return e;
    waitUntil(lock, txEnd_);
    return 0;
}

bool SimDriver::waitUntil(std::unique_lock<std::mutex>& lock, SimNanos t) {
    if (clock_->isVirtual()) {
        if (interrupted_ || !open_) return false;
        clock_->advanceTo(t);
        return true;
    }
    while (!interrupted_ && open_ && clock_->now() < t)
        sleepUntil(lock, t);
    return !interrupted_ && open_;
}

void SimDriver::sleepUntil(std::unique_lock<std::mutex>& lock, SimNanos t) {
    // A plain wait: it wakes some 100 us late, but spinning the last stretch
    // away (tried) starves the user-interface thread on a small machine and
    // costs more than it saves: 6 % over the line model instead of 1 %.
    wake_.wait_until(lock, clock_->toSteady(t));
}

int SimDriver::readByte(std::uint8_t& byte, bool& got) {
    got = false;
    std::unique_lock<std::mutex> lock(mutex_);
    if (int e = failure(SimDriverCall::ReadByte)) return e;
    const SimNanos deadline = clock_->now() + simMs(readTimeoutMs_);
    for (;;) {
        if (interrupted_ || !open_) return 0;
        const SimNanos now = clock_->now();
        if (!rx_.empty() && rx_.front().at <= now) {
            const SimLineEvent e = rx_.front();
            rx_.pop_front();
            switch (e.kind) {
            case SimLineEvent::Kind::Byte:
                byte = e.value;
                got = true;
                lineErrors_ |= e.lineErrors;
                return 0;
            case SimLineEvent::Kind::Fail:
                return e.error;
            case SimLineEvent::Kind::Vanish:
                // Unplugged: this and every later call fails until the device
                // is plugged in again and the port reopened.
                vanished_ = true;
                rx_.clear();
                bus_->setPlugged(false);
                return EIO;
            }
        }
        if (now >= deadline) return 0;
        const SimNanos next = rx_.empty() ? deadline : std::min(deadline, rx_.front().at);
        if (clock_->isVirtual())
            clock_->advanceTo(next);
        else
            sleepUntil(lock, next);
    }
}

int SimDriver::clearLineErrors(std::uint32_t& flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    flags = 0;
    if (int e = failure(SimDriverCall::ClearLineErrors)) return e;
    flags = lineErrors_;
    lineErrors_ = 0;
    return 0;
}

void SimDriver::interrupt() {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
    wake_.notify_all();
}

void SimDriver::waitIdle(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    waitUntil(lock, clock_->now() + simMs(milliseconds < 0 ? 0 : milliseconds));
}

void installSimulatedBus(PortMap& map, std::function<std::shared_ptr<SimBus>()> bus) {
    map.provideDriver(QString::fromLatin1(PortMap::SimDevice),
                      [bus = std::move(bus)](const QString&) -> std::unique_ptr<SerialDriver> {
                          return std::make_unique<SimDriver>(bus());
                      });
}

void installSimulatedBus(PortMap& map, std::shared_ptr<SimBus> bus) {
    installSimulatedBus(map, [bus] { return bus; });
}

} // namespace kqm52
