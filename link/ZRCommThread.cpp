#include "link/ZRCommThread.h"

#include "link/AsciiCodec.h"
#include "link/BinaryCodecs.h"
#include "link/SerialDriver.h"
#include "link/ZRComm.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <algorithm>

#include <sys/eventfd.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcLink, "kqm52.link", QtWarningMsg)

namespace kqm52 {

namespace {

constexpr std::uint8_t ZR2Escape = 0x82;
constexpr std::uint8_t DLE = 0x10;
constexpr int MaxAttempts = 3;

// Bytes per second the line carries at this speed, counting the longest
// character (start, 8 data, parity, 2 stop bits).
int bytesPerSecond(int baud) {
    return std::max(1, baud / 12);
}

// The silence that tells a request's late reply will not come any more.
int quietAfter(int timeoutMs) {
    return std::clamp(timeoutMs, InterByteTimeoutMs, SettleLimitMs);
}

// A request that ended so may have left its reply, or the rest of it, on
// its way.
bool leavesLineUnsettled(const TCommError& error, bool silenceExpected) {
    switch (error.Code) {
    case CommCode::None:
    case CommCode::PortClosed:
    case CommCode::EmptyRequest:
    case CommCode::RequestTooLong:
        return false;
    case CommCode::Timeout:
        return !silenceExpected;
    default:
        return true;
    }
}

QByteArray traceText(const std::uint8_t* bytes, int count) {
    const QByteArray raw(reinterpret_cast<const char*>(bytes), count);
    return raw.toHex(' ') + "  \"" + raw.toPercentEncoding(" !#$&'()*+,-./:;<=>?@[]^_`{|}~") + '"';
}

} // namespace

QEvent::Type requestFinishedEventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

TZRCommThread::TZRCommThread(TZRComm* port) : port_(port), driver_(port->driver()) {
    uiWakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (uiWakeFd_ >= 0) {
        auto* notifier = new QSocketNotifier(uiWakeFd_, QSocketNotifier::Read);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(uiWakeFd_, &count, sizeof count);
            serviceHandOver();
        });
        uiNotifier_ = notifier;
    }
    thread_ = std::thread([this] { run(); });
}

TZRCommThread::~TZRCommThread() {
    // A stop asked for before has interrupted the driver already; a second
    // interrupt could reach a port reopened on the same device meanwhile.
    if (!stop_.exchange(true, std::memory_order_acq_rel) && driver_) driver_->interrupt();
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true; // nobody will run a hand-over any more
        callDone_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (uiNotifier_) {
        static_cast<QSocketNotifier*>(uiNotifier_)->setEnabled(false);
        // We may be running inside the notifier's own signal.
        uiNotifier_->deleteLater();
    }
    if (uiWakeFd_ >= 0) ::close(uiWakeFd_);
}

void TZRCommThread::SetRequest(TCommRequest* request) {
    sender_ = nullptr;
    {
        std::lock_guard lock(mutex_);
        requestPresent_ = false;
        ++generation_;
        if (!request) return;
        Job job;
        job.framing = request->framing;
        std::copy_n(request->Frame.begin(), request->Frame[0], job.frame.begin());
        job.timeoutMs = request->TimeoutTime > 0 ? request->TimeoutTime : DefaultFirstByteTimeoutMs;
        const int perSecond = bytesPerSecond(baudrateValue(port_->Baudrate()));
        job.replyBudget = std::clamp(perSecond * ReplyBudgetSeconds, MinReplyBudget, MaxReplyBytes);
        job.drainBudget = std::clamp(perSecond * DrainBudgetSeconds, 1, FrameSize);
        pending_ = job;
        requestPresent_ = true;
    }
    sender_ = request->Sender;
    wake_.notify_all();
}

void TZRCommThread::withdrawDeliveryTo(TZRComponent* component) {
    if (sender_ == component) sender_ = nullptr;
}

bool TZRCommThread::stopAndWait() {
    stop_.store(true, std::memory_order_release);
    driver_->interrupt();
    // A worker that has just found no stop and no request still holds the
    // mutex until it sleeps: taking it here means the notify below cannot
    // fall between its check and its sleep and be lost.
    { std::lock_guard lock(mutex_); }
    wake_.notify_all();
    if (servicing_) {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        return false;
    }
    for (;;) {
        bool runCall = false;
        {
            std::unique_lock lock(mutex_);
            uiWake_.wait(lock, [this] { return call_ != nullptr || finished_.load(); });
            if (call_ != nullptr)
                runCall = true;
            else if (finished_.load())
                break;
        }
        if (runCall) serviceHandOver();
    }
    thread_.join();
    return true;
}

void TZRCommThread::releaseWithDriver(std::unique_ptr<SerialDriver> driver) {
    ownedDriver_ = std::move(driver);
}

void TZRCommThread::finishAbandoned() {
    // The handler that closed the port has returned and the worker has been
    // let go; it touches nothing of ours any more and leaves its loop at
    // once, so join it here rather than leave a thread for an event loop
    // that may never run again (a program quitting from that handler).
    delete this;
}

void TZRCommThread::wakeUiThread() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(uiWakeFd_, &one, sizeof one);
}

void TZRCommThread::handOver(const std::function<void()>& fn) {
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) return;
        call_ = &fn;
        callDone_ = false;
    }
    uiWake_.notify_all();
    wakeUiThread();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return callDone_; });
}

void TZRCommThread::serviceHandOver() {
    const std::function<void()>* fn = nullptr;
    {
        std::lock_guard lock(mutex_);
        fn = call_;
        call_ = nullptr;
    }
    if (!fn) return; // already run by a closing port, or stale
    servicing_ = true;
    struct Done {
        TZRCommThread* self;
        ~Done() {
            self->servicing_ = false;
            bool abandoned;
            {
                std::lock_guard lock(self->mutex_);
                self->callDone_ = true;
                abandoned = self->abandoned_;
            }
            self->wake_.notify_all();
            if (abandoned) self->finishAbandoned();
        }
    } done{this};
    (*fn)();
} // nothing may follow: done may have deleted this

void TZRCommThread::handDataOver() {
    const std::function<void()> call = [this] {
        if (sender_ && !sender_->isBeingDestroyed())
            sender_->CommData(buffer_.data(), job_.frame.data(), continue_);
    };
    handOver(call);
}

void TZRCommThread::run() {
    while (!stopRequested()) {
        std::uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return requestPresent_ || stopRequested(); });
            if (stopRequested()) break;
            job_ = pending_;
            generation = generation_;
        }
        deadlineMs_ = driver_->monotonicMs() + RequestLimitMs;
        fellBack_ = false;

        switch (job_.framing.protocol) {
        case ProtocolKind::RQ500:
            runAscii();
            break;
        case ProtocolKind::ZR2:
            runBinary<ZR2Decoder>(encodeZR2, ZR2Escape, false);
            break;
        case ProtocolKind::KDV:
            runBinary<KDVDecoder>(encodeKDV, DLE, true);
            break;
        case ProtocolKind::Unknown:
            break;
        }
        if (stopRequested()) break;
        traceReply();
        if (job_.framing.protocol == ProtocolKind::RQ500) {
            lastTimeoutMs_ = job_.timeoutMs;
            if (leavesLineUnsettled(error_, job_.framing.silenceExpected)) {
                lineUnsettled_ = true;
                settleQuietMs_ = quietAfter(job_.timeoutMs);
            }
        }
        const bool deviceGone =
            error_.Code == CommCode::DriverFailed && driver_->isDeviceGone(error_.SystemError);

        {
            std::lock_guard lock(mutex_);
            if (generation_ == generation) requestPresent_ = false;
        }

        // The outcome and the move to the next request share one trip to the
        // user-interface thread.  Only that thread ever asks for a stop, so
        // checking it there, between the two, is exact.
        const bool fellBack = fellBack_;
        const std::function<void()> done = [this, deviceGone, fellBack] {
            // First, so that the outcome's handler and the next request
            // already find the port framing by silence.
            if (fellBack && !stopRequested() && !port_->isBeingDestroyed())
                port_->fastFramingFellBack();
            if (job_.framing.protocol != ProtocolKind::Unknown && sender_ &&
                !sender_->isBeingDestroyed())
                sender_->CommDone(error_, buffer_.data());
            if (stopRequested()) return;
            if (deviceGone && !port_->isBeingDestroyed()) {
                // Every further request would fail the same way: close, so
                // the user can plug the converter in again and press Open.
                port_->deviceLost(error_.SystemError);
                return;
            }
            // Tell the sending window that a request has finished; widgets
            // ignore the event unless they look for it.
            if (sender_ && sender_->parent() && sender_->parent()->isWidgetType())
                QCoreApplication::postEvent(sender_->parent(),
                                            new QEvent(requestFinishedEventType()));
            if (!port_->isBeingDestroyed()) port_->RequestDone();
        };
        handOver(done);
    }
    finished_.store(true, std::memory_order_release);
    { std::lock_guard lock(mutex_); }
    uiWake_.notify_all();
}

// ---------------------------------------------------------------------------
// Line primitives

bool TZRCommThread::portOpen() const {
    // The stop flag first: once it is set the port may already be gone.
    return !stopRequested() && port_->Active();
}

void TZRCommThread::failDriver(int err) {
    error_.Code = CommCode::DriverFailed;
    error_.SystemError = err;
}

bool TZRCommThread::checkLine() {
    std::uint32_t flags = 0;
    if (const int err = driver_->clearLineErrors(flags)) {
        failDriver(err);
        return false;
    }
    if (flags) {
        error_.Code = CommCode::LineError;
        error_.LineErrors = std::int32_t(flags);
        return false;
    }
    return true;
}

bool TZRCommThread::writeBuffer() {
    if (!portOpen()) {
        error_.Code = CommCode::PortClosed;
        return false;
    }
    int current = 0;
    if (const int err = driver_->getReadTimeout(current)) {
        failDriver(err);
        return false;
    }
    if (!checkLine()) return false;
    readTimeoutMs_ = job_.timeoutMs;
    awaitingFirst_ = true;
    if (const int err = driver_->setReadTimeout(readTimeoutMs_)) {
        failDriver(err);
        return false;
    }
    if (!checkLine()) return false;
    if (const int err = driver_->purge()) {
        failDriver(err);
        return false;
    }
    if (!checkLine()) return false;
    qCDebug(lcLink).noquote() << "send" << traceText(buffer_.data(), transmitCount_);
    int written = 0;
    if (const int err = driver_->write(buffer_.data(), transmitCount_, written)) {
        failDriver(err);
        return false;
    }
    if (!checkLine()) return false;
    if (const int err = driver_->flush()) {
        failDriver(err);
        return false;
    }
    return checkLine();
}

bool TZRCommThread::readOne() {
    if (!portOpen()) {
        error_.Code = CommCode::PortClosed;
        return false;
    }
    // No read runs past the request's time: a line that keeps bringing
    // bytes, however slowly, ends here.
    const bool first = awaitingFirst_;
    awaitingFirst_ = false;
    const std::int64_t left = deadlineMs_ - driver_->monotonicMs();
    const int wait = int(std::clamp<std::int64_t>(left, 0, readTimeoutMs_));
    const auto timeIsUp = [this, first] {
        // Nothing began in time is a time-out; a reply still coming is not
        // one that ended.
        error_.clear();
        if (first) {
            error_.Code = CommCode::Timeout;
        } else {
            error_.Code = CommCode::LineError;
            error_.LineErrors = LineErrorRxOverflow;
        }
        return false;
    };
    if (wait <= 0) return timeIsUp();
    if (const int err = driver_->setReadTimeout(wait)) {
        failDriver(err);
        return false;
    }
    if (!checkLine()) return false;
    std::uint8_t byte = 0;
    bool got = false;
    if (const int err = driver_->readByte(byte, got)) {
        failDriver(err);
        return false;
    }
    if (!got) error_.Code = CommCode::Timeout;
    if (!checkLine()) return false;
    const bool cut = wait < readTimeoutMs_;
    readTimeoutMs_ = InterByteTimeoutMs;
    if (!got) return cut ? timeIsUp() : false;
    lastByte_ = byte;
    if (traceCount_ < FrameSize) trace_[traceCount_++] = byte;
    return true;
}

void TZRCommThread::traceReply() {
    if (traceCount_ > 0 || error_.Code != 0)
        qCDebug(lcLink).noquote() << "recv" << traceText(trace_.data(), traceCount_)
                                  << (traceCount_ == FrameSize ? "(cut)" : "") << "code"
                                  << error_.Code << error_.SystemError << error_.LineErrors;
    traceCount_ = 0;
}

void TZRCommThread::drain(int limit) {
    const TCommError saved = error_;
    while (receiveCount_ < limit && readOne())
        ++receiveCount_;
    error_ = saved;
}

bool TZRCommThread::settleLine() {
    lineUnsettled_ = false;
    // The silence waited for here is more than the one a fast reply skipped.
    endedEarly_ = false;
    const std::int64_t until =
        std::min<std::int64_t>(driver_->monotonicMs() + SettleLimitMs, deadlineMs_);
    int dropped = 0;
    // A failing driver call ends the wait: the request's own calls then meet
    // the failure and are retried or reported as always.
    for (;;) {
        if (!portOpen()) {
            error_.Code = CommCode::PortClosed;
            return false;
        }
        const std::int64_t left = until - driver_->monotonicMs();
        if (left <= 0 || dropped >= job_.drainBudget) break;
        const int wait = int(std::min<std::int64_t>(left, settleQuietMs_));
        if (driver_->setReadTimeout(wait)) break;
        std::uint8_t byte = 0;
        bool got = false;
        if (driver_->readByte(byte, got) || !got) break;
        ++dropped;
    }
    // The dropped bytes' line errors are not the next request's.
    std::uint32_t flags = 0;
    driver_->clearLineErrors(flags);
    if (dropped > 0) qCDebug(lcLink) << "dropped" << dropped << "late bytes before sending";
    return true;
}

void TZRCommThread::sendControlFrame(std::uint8_t a, std::uint8_t b, std::uint8_t c,
                                     std::uint8_t d) {
    buffer_[0] = a;
    buffer_[1] = b;
    buffer_[2] = c;
    buffer_[3] = d;
    transmitCount_ = 4;
    const TCommError saved = error_;
    writeBuffer();
    error_ = saved;
}

// ---------------------------------------------------------------------------
// ASCII: the request bytes as they are; the reply is every byte until the
// line has been silent for 50 ms, or up to the stop character.
//
// With fast framing the reply ends as soon as two line-end bytes (CR or LF,
// in either order) have arrived: every reply of the device ends so, and the
// silence after it costs more than the reply itself at 38400 bit/s.  The
// first-byte time-out and the frame size still bound it.
//
// A unit that is not listening yet right after its reply misses a request
// sent within the silence it expected.  Such a request gets half its time-out
// for the first reply byte; a unit that has not begun to answer by then has
// missed it, so it goes once more, the silence now past, with the other
// half.  A unit that is simply gone so costs one time-out, not two.  The
// port then frames by silence until the next transfer starts (TZRComm).
// Nothing is lost and no reply is read as the answer to another request:
// the purge before every write drops what has arrived, and after a reply
// that was missing or not its request's answer the next request first lets
// the line fall silent (SettleLimitMs), so what was still on its way is
// dropped too.  A unit that was only slow to answer the missed request
// answers it twice: the second answer runs into the first, or meets the next
// request; either way the reply is no answer to its request, and whoever
// judges it lets the line fall silent before asking again.

namespace {

bool lineEndByte(std::uint8_t b) {
    return b == '\r' || b == '\n';
}

} // namespace

void TZRCommThread::runAscii() {
    continue_ = 0;
    int attempts = 0;
    if (job_.framing.settleFirst) {
        lineUnsettled_ = true;
        settleQuietMs_ = quietAfter(lastTimeoutMs_);
    }
    if (lineUnsettled_ && !settleLine()) return;
    // Only the request right after a reply that fast framing ended, and only
    // within the silence that reply would otherwise have had.
    bool followedEarly = endedEarly_ && driver_->monotonicMs() - earlyEndMs_ < InterByteTimeoutMs;
    endedEarly_ = false;
    int secondHalfMs = 0; // > 0: this attempt sends the missed request again
    for (;;) {
        error_.clear();
        if (job_.frame[0] == 0) {
            error_.Code = CommCode::EmptyRequest;
            return;
        }
        buffer_.fill(0);
        transmitCount_ = job_.frame[0] - 1;
        std::copy_n(job_.frame.begin() + 1, transmitCount_, buffer_.begin());

        bool failedAttempt = false;
        bool missed = false;
        if (!writeBuffer()) {
            if (error_.Code == CommCode::PortClosed) return;
            failedAttempt = true;
        } else {
            if (followedEarly) {
                // Half the time-out, but the repeat never goes out within
                // the silence the unit expected.
                const std::int64_t sinceEnd = driver_->monotonicMs() - earlyEndMs_;
                readTimeoutMs_ =
                    int(std::max<std::int64_t>(job_.timeoutMs / 2, InterByteTimeoutMs - sinceEnd));
                secondHalfMs = std::max(1, job_.timeoutMs - readTimeoutMs_);
            } else if (secondHalfMs > 0) {
                readTimeoutMs_ = secondHalfMs;
                secondHalfMs = 0;
            }
            receiveState_ = 1;
            receiveCount_ = 0;
            replyBytes_ = 0;
            buffer_[0] = 0;
            AsciiReplyReader reader(job_.framing.startChar, job_.framing.stopChar,
                                    job_.framing.filtered);
            std::uint8_t previousByte = 0;
            const auto handBytesOver = [this] {
                receiveState_ = 2;
                handDataOver();
                receiveCount_ = 0;
                buffer_[0] = 0;
            };
            for (;;) {
                if (!readOne()) {
                    if (error_.Code == CommCode::Timeout) {
                        if (receiveState_ == 2) {
                            error_.clear(); // silence after the reply: complete
                        } else if (followedEarly && replyBytes_ == 0 && !stopRequested()) {
                            // The unit was not listening yet.  It is now.
                            fellBack_ = true;
                            job_.framing.fastFraming = false;
                            error_.clear();
                            missed = true;
                            break;
                        }
                        return;
                    }
                    if (error_.Code == CommCode::PortClosed) return;
                    break; // driver failure or line error: drain and retry
                }
                if (++replyBytes_ > job_.replyBudget) {
                    // A retry would only meet the same chatter.
                    error_.Code = CommCode::LineError;
                    error_.LineErrors = LineErrorRxOverflow;
                    receiveCount_ = 0;
                    drain(job_.drainBudget);
                    return;
                }
                const AsciiReplyReader::Step step = reader.feed(lastByte_);
                if (step.keep) {
                    buffer_[receiveCount_ + 1] = lastByte_;
                    ++receiveCount_;
                    buffer_[0] = std::uint8_t(receiveCount_);
                }
                if (step.step == DecodeStep::Failed) {
                    error_.Code = step.error;
                    break;
                }
                // Every byte goes to the component as it comes (a filtered
                // start or stop character as an empty hand-over, or none).
                if (step.step == DecodeStep::Done) {
                    if (step.keep) handBytesOver();
                    return;
                }
                handBytesOver();
                // With fast framing the reply ends at its line end instead of
                // after the silence.
                if (job_.framing.fastFraming && lineEndByte(lastByte_) &&
                    lineEndByte(previousByte)) {
                    endedEarly_ = true;
                    earlyEndMs_ = driver_->monotonicMs();
                    return;
                }
                previousByte = lastByte_;
            }
            followedEarly = false;
            if (missed) continue; // not a failed attempt: the unit never heard it
            secondHalfMs = 0;
            receiveCount_ = 0;
            drain(job_.drainBudget);
            continue_ = 1;
            failedAttempt = true;
        }
        followedEarly = false;
        if (failedAttempt && !retryAfterFailure(++attempts)) return;
    }
}

bool TZRCommThread::pastDeadline() const {
    return driver_->monotonicMs() >= deadlineMs_;
}

// After a failed attempt: true when another attempt is due.  A failing
// driver call fails again at once, so the attempts are paced by the request's
// time-out, but only between attempts: the last failure is reported at once.
// A device that has gone away gets no more attempts at all, nor does a
// request whose time on the line is up.
bool TZRCommThread::retryAfterFailure(int attempts) {
    if (attempts >= MaxAttempts || stopRequested() || pastDeadline()) return false;
    if (error_.Code == CommCode::DriverFailed) {
        if (driver_->isDeviceGone(error_.SystemError)) return false;
        const std::int64_t left = deadlineMs_ - driver_->monotonicMs();
        driver_->waitIdle(int(std::min<std::int64_t>(job_.timeoutMs, left)));
    }
    return !stopRequested() && !pastDeadline();
}

// A binary reply has arrived whole.  An error frame (first byte after the
// length FFh) is the device saying no; anything else goes to the data
// handler, which may ask for the whole request again.  True: send it again.
bool TZRCommThread::deliverBinaryReply(bool errorFrame) {
    if (errorFrame) {
        error_.Code = CommCode::DeviceError;
        return false;
    }
    continue_ = 0;
    handDataOver();
    return continue_ && !stopRequested();
}

// A binary reply went wrong: whatever is still arriving is drained (unless
// the line fell silent) and the control frame tells the device to start
// over.  False when the port is closing and nothing may be sent.
bool TZRCommThread::abandonBinaryReply(std::uint8_t mark) {
    if (error_.Code == CommCode::PortClosed) return false;
    if (error_.Code != CommCode::Timeout) {
        receiveCount_ = 0;
        drain(job_.drainBudget);
    }
    sendControlFrame(mark, 0x00, mark, 0x00);
    return true;
}

// ---------------------------------------------------------------------------
// ZR2 (82h 96h, payload with its own length first, checksum; 82h doubled)
// and KDV (DLE STX, content with DLE doubled, DLE ETX, block check).
//
// A reply gone wrong is drained (unless the line fell silent) and answered
// with the control frame.  ZR2 ends there; KDV tries again up to three
// attempts, except after a time-out: a device that did not answer once
// will not answer a second time sooner.

template <class Decoder>
void TZRCommThread::runBinary(int (*encode)(const std::uint8_t*, std::uint8_t*),
                              std::uint8_t controlMark, bool retried) {
    continue_ = 0;
    int attempts = 0;
    Decoder decoder(buffer_.data());
    for (;;) {
        error_.clear();
        if (job_.frame[0] == 0) {
            error_.Code = CommCode::EmptyRequest;
            return;
        }
        transmitCount_ = encode(job_.frame.data(), buffer_.data());
        if (transmitCount_ < 0) {
            error_.Code = CommCode::RequestTooLong;
            return;
        }
        if (!writeBuffer()) {
            if (!retried || error_.Code == CommCode::PortClosed || !retryAfterFailure(++attempts))
                return;
            continue;
        }
        if (receiveBinary(decoder) && error_.Code == 0) {
            if (deliverBinaryReply(decoder.isErrorFrame())) continue;
            return;
        }
        if (!abandonBinaryReply(controlMark)) return;
        if (!retried || error_.Code == CommCode::Timeout || !retryAfterFailure(++attempts)) return;
    }
}

// Feeds the reply to the decoder until it is whole or wrong, or the line
// fails.  True when the decoder finished, well or not (see error_).
template <class Decoder> bool TZRCommThread::receiveBinary(Decoder& decoder) {
    decoder.reset();
    for (;;) {
        if (!readOne()) return false;
        switch (decoder.feed(lastByte_)) {
        case DecodeStep::More:
            break;
        case DecodeStep::Done:
            return true;
        case DecodeStep::Failed:
            error_.Code = decoder.error();
            return true;
        }
    }
}

} // namespace kqm52
