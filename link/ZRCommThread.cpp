#include "link/ZRCommThread.h"

#include "link/RQ500Protocol.h"
#include "link/SerialDriver.h"
#include "link/ZRComm.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "kqm52.link", QtWarningMsg)

namespace kqm52 {

namespace {

constexpr std::uint8_t ZR2Escape = 0x82;
constexpr std::uint8_t ZR2Second = 0x96;
constexpr std::uint8_t DLE = 0x10;
constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t ErrorFrameMark = 0xFF;
constexpr int MaxAttempts = 3;

const QEvent::Type HandOverEventType = QEvent::Type(QEvent::registerEventType());
const QEvent::Type RequestFinishedEventType = QEvent::Type(QEvent::registerEventType());

// Receives the worker's "please run the pending call" events on the
// user-interface thread.  The event carries nothing: the call itself is
// published under the worker's mutex.  Only this one custom event type is ever
// posted here, and customEvent() lets Qt do the dispatching, so our code never
// reads an event that another thread wrote (which ThreadSanitizer could not
// see Qt's event queue order).
class HandOverReceiver : public QObject {
public:
    explicit HandOverReceiver(std::function<void()> onEvent) : onEvent_(std::move(onEvent)) {}

protected:
    void customEvent(QEvent*) override { onEvent_(); }

private:
    std::function<void()> onEvent_;
};

} // namespace

TZRCommThread::TZRCommThread(TZRComm* port) : port_(port), driver_(port->driver()) {
    receiver_ = std::make_unique<HandOverReceiver>([this] { serviceHandOver(); });
    thread_ = std::thread([this] { run(); });
}

TZRCommThread::~TZRCommThread() {
    stop_.store(true, std::memory_order_release);
    if (driver_)
        driver_->interrupt();
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true; // nobody will run a hand-over any more
        callDone_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (ownedDriver_)
        ownedDriver_->close();
}

void TZRCommThread::SetRequest(TCommRequest* request) {
    sender_ = nullptr;
    {
        std::lock_guard lock(mutex_);
        requestPresent_ = false;
        ++generation_;
        if (!request)
            return;
        Job job;
        TZRProtocolComponent* sender = request->Sender;
        job.kind = sender ? sender->kind() : ProtocolKind::Unknown;
        if (auto* rq = qobject_cast<TRQ500Protocol*>(sender)) {
            job.startChar = std::uint8_t(rq->ReceiveStart());
            job.stopChar = std::uint8_t(rq->ReceiveStop());
            job.filtered = rq->Filtered();
        }
        std::copy_n(request->Frame.begin(), request->Frame[0], job.frame.begin());
        job.timeoutMs = request->TimeoutTime > 0 ? request->TimeoutTime : DefaultFirstByteTimeoutMs;
        job.fastFraming = port_->FastFraming() && !fastFramingSuspended();
        pending_ = job;
        requestPresent_ = true;
    }
    sender_ = request->Sender;
    wake_.notify_all();
}

void TZRCommThread::withdrawDeliveryTo(TZRComponent* component) {
    if (sender_ == component)
        sender_ = nullptr;
}

bool TZRCommThread::stopAndWait() {
    stop_.store(true, std::memory_order_release);
    driver_->interrupt();
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
        if (runCall)
            serviceHandOver();
    }
    thread_.join();
    return true;
}

void TZRCommThread::releaseWithDriver(std::unique_ptr<SerialDriver> driver) {
    ownedDriver_ = std::move(driver);
}

void TZRCommThread::finishAbandoned() {
    // The handler that closed the port has returned, so the worker can
    // finish; delete from the event loop, outside any hand-over frame.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [self = this] { delete self; }, Qt::QueuedConnection);
}

void TZRCommThread::handOver(const std::function<void()>& fn) {
    {
        std::lock_guard lock(mutex_);
        if (abandoned_)
            return;
        call_ = &fn;
        callDone_ = false;
    }
    uiWake_.notify_all();
    QCoreApplication::postEvent(receiver_.get(), new QEvent(HandOverEventType));
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
    if (!fn)
        return; // already run by a closing port, or stale
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
            if (abandoned)
                self->finishAbandoned();
        }
    } done{this};
    (*fn)();
}

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
            if (stopRequested())
                break;
            job_ = pending_;
            generation = generation_;
        }

        switch (job_.kind) {
        case ProtocolKind::RQ500: runAscii(); break;
        case ProtocolKind::ZR2: runZR2(); break;
        case ProtocolKind::KDV: runKDV(); break;
        case ProtocolKind::Unknown: break;
        }
        if (stopRequested())
            break;

        {
            std::lock_guard lock(mutex_);
            if (generation_ == generation)
                requestPresent_ = false;
        }

        // The outcome and the move to the next request share one trip to the
        // user-interface thread.  Only that thread ever asks for a stop, so
        // checking it there, between the two, is exact.
        const std::function<void()> done = [this] {
            if (job_.kind != ProtocolKind::Unknown && sender_ && !sender_->isBeingDestroyed())
                sender_->CommDone(error_, buffer_.data());
            if (stopRequested())
                return;
            // Tell the sending window that a request has finished; widgets
            // ignore the event unless they look for it.
            if (sender_ && sender_->parent() && sender_->parent()->isWidgetType())
                QCoreApplication::postEvent(sender_->parent(), new QEvent(RequestFinishedEventType));
            if (!port_->isBeingDestroyed())
                port_->RequestDone();
        };
        handOver(done);
    }
    finished_.store(true, std::memory_order_release);
    {
        std::lock_guard lock(mutex_);
    }
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
    if (!checkLine())
        return false;
    readTimeoutMs_ = job_.timeoutMs;
    if (const int err = driver_->setReadTimeout(readTimeoutMs_)) {
        failDriver(err);
        return false;
    }
    if (!checkLine())
        return false;
    if (const int err = driver_->purge()) {
        failDriver(err);
        return false;
    }
    if (!checkLine())
        return false;
    qCDebug(lcLink) << "send" << QByteArray(reinterpret_cast<const char*>(buffer_.data()), transmitCount_);
    int written = 0;
    if (const int err = driver_->write(buffer_.data(), transmitCount_, written)) {
        failDriver(err);
        return false;
    }
    if (!checkLine())
        return false;
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
    if (const int err = driver_->setReadTimeout(readTimeoutMs_)) {
        failDriver(err);
        return false;
    }
    if (!checkLine())
        return false;
    std::uint8_t byte = 0;
    bool got = false;
    if (const int err = driver_->readByte(byte, got)) {
        failDriver(err);
        return false;
    }
    if (!got)
        error_.Code = CommCode::Timeout;
    if (!checkLine())
        return false;
    readTimeoutMs_ = InterByteTimeoutMs;
    if (!got)
        return false;
    lastByte_ = byte;
    return true;
}

void TZRCommThread::drain() {
    const TCommError saved = error_;
    while (receiveCount_ < FrameSize && readOne())
        ++receiveCount_;
    error_ = saved;
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
// first-byte time-out and the frame size still bound it.  A unit that is not
// listening yet right after its reply misses the next request; the request
// then gets no reply at all, so it is sent once more, and the port frames
// by silence from then on.  Nothing is lost and no reply is read as the
// answer to another request: the purge before every write drops anything
// late.

namespace {

bool lineEndByte(std::uint8_t b) {
    return b == '\r' || b == '\n';
}

} // namespace

void TZRCommThread::runAscii() {
    continue_ = 0;
    int attempts = 0;
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
        if (!writeBuffer()) {
            if (error_.Code == CommCode::PortClosed)
                return;
            failedAttempt = true;
        } else {
            receiveState_ = 1;
            receiveCount_ = 0;
            buffer_[0] = 0;
            int replyBytes = 0;
            std::uint8_t previousByte = 0;
            const bool followedEarly = previousEndedEarly_;
            previousEndedEarly_ = false;
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
                        } else if (followedEarly && replyBytes == 0 && !stopRequested()) {
                            // Sent too soon after a fast-framed reply: the unit
                            // was not listening yet.  It is now.
                            fastFramingSuspended_.store(true, std::memory_order_release);
                            job_.fastFraming = false;
                            error_.clear();
                            break;
                        }
                        return;
                    }
                    if (error_.Code == CommCode::PortClosed)
                        return;
                    break; // driver failure or line error: drain and retry
                }
                buffer_[receiveCount_ + 1] = lastByte_;
                ++receiveCount_;
                buffer_[0] = std::uint8_t(receiveCount_);
                if (receiveState_ == 1 && job_.startChar) {
                    if (job_.filtered) {
                        --receiveCount_;
                        buffer_[0] = std::uint8_t(receiveCount_);
                    }
                    if (lastByte_ != job_.startChar) {
                        error_.Code = CommCode::BadStartChar;
                        break;
                    }
                    handBytesOver();
                } else if (job_.stopChar && lastByte_ == job_.stopChar) {
                    if (job_.filtered) {
                        --receiveCount_;
                        buffer_[0] = std::uint8_t(receiveCount_);
                    } else {
                        handBytesOver();
                    }
                    return;
                } else {
                    handBytesOver();
                    if (job_.fastFraming && lineEndByte(lastByte_) && lineEndByte(previousByte)) {
                        previousEndedEarly_ = true;
                        return;
                    }
                }
                previousByte = lastByte_;
                ++replyBytes;
            }
            if (error_.Code == CommCode::None && !job_.fastFraming && followedEarly) {
                // The unit missed the request: once more, after the silence.
                continue;
            }
            drain();
            continue_ = 1;
            failedAttempt = true;
        }
        if (failedAttempt) {
            ++attempts;
            // A failing driver call fails again at once; pace the attempts so
            // that a vanished device is not hammered in a tight loop.
            if (error_.Code == CommCode::DriverFailed)
                driver_->waitIdle(job_.timeoutMs);
            if (attempts >= MaxAttempts || stopRequested())
                return;
        }
    }
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
    if (error_.Code == CommCode::PortClosed)
        return false;
    if (error_.Code != CommCode::Timeout)
        drain();
    sendControlFrame(mark, 0x00, mark, 0x00);
    return true;
}

// ---------------------------------------------------------------------------
// ZR2: 82h 96h, payload (its own length first), checksum; 82h doubled.

void TZRCommThread::runZR2() {
    continue_ = 0;
    for (;;) {
        error_.clear();
        const int length = job_.frame[0];
        if (length == 0) {
            error_.Code = CommCode::EmptyRequest;
            return;
        }
        int n = 0;
        buffer_[n++] = ZR2Escape;
        buffer_[n++] = ZR2Second;
        std::uint8_t sum = 0;
        bool fits = true;
        const auto put = [&](std::uint8_t b) {
            const int need = b == ZR2Escape ? 2 : 1;
            if (n + need > FrameSize) {
                fits = false;
                return;
            }
            buffer_[n++] = b;
            if (b == ZR2Escape)
                buffer_[n++] = b;
        };
        for (int i = 0; i < length; ++i) {
            put(job_.frame[i]);
            sum ^= job_.frame[i];
        }
        put(sum);
        if (!fits) {
            // Only a frame full of 82h bytes can outgrow the buffer doubled.
            error_.Code = CommCode::RequestTooLong;
            return;
        }
        transmitCount_ = n;
        if (!writeBuffer())
            return;

        // Receive.  States: 1 header and length, 2 payload, 3 second half of a
        // doubled 82h, 5 second half of a doubled length byte.
        receiveState_ = 1;
        receiveCount_ = 0;
        int L = 0;
        bool complete = false;
        const auto advance = [&](int pos) {
            if (pos == L) {
                if (checksum_ != 0)
                    error_.Code = CommCode::BadChecksum;
                complete = true;
            } else {
                receiveCount_ = pos + 1;
            }
        };
        while (!complete && error_.Code == 0) {
            if (!readOne())
                break;
            const std::uint8_t b = lastByte_;
            switch (receiveState_) {
            case 1:
                buffer_[receiveCount_++] = b;
                if (receiveCount_ == 3) {
                    if (buffer_[0] != ZR2Escape || buffer_[1] != ZR2Second) {
                        error_.Code = CommCode::BadZR2Header;
                        break;
                    }
                    L = b;
                    buffer_[0] = b;
                    checksum_ = b;
                    expected_ = b;
                    receiveCount_ = 1;
                    if (L == 0)
                        error_.Code = CommCode::BadChecksum; // a payload counts itself
                    receiveState_ = b == ZR2Escape ? 5 : 2;
                }
                break;
            case 5:
                if (b != ZR2Escape)
                    error_.Code = CommCode::UndoubledZR2Escape;
                receiveState_ = 2;
                break;
            case 2: {
                const int pos = receiveCount_;
                buffer_[pos] = b;
                checksum_ ^= b;
                if (b == ZR2Escape) {
                    receiveState_ = 3;
                    break;
                }
                advance(pos);
                break;
            }
            case 3:
                if (b != ZR2Escape) {
                    error_.Code = CommCode::UndoubledZR2Escape;
                    break;
                }
                receiveState_ = 2;
                advance(receiveCount_);
                break;
            }
        }

        if (complete && error_.Code == 0) {
            if (deliverBinaryReply(L >= 2 && buffer_[1] == ErrorFrameMark))
                continue;
            return;
        }
        abandonBinaryReply(ZR2Escape);
        return;
    }
}

// ---------------------------------------------------------------------------
// KDV: DLE STX, content (DLE doubled), DLE ETX, block check.

void TZRCommThread::runKDV() {
    continue_ = 0;
    int attempts = 0;
    for (;;) {
        error_.clear();
        const int length = job_.frame[0];
        if (length == 0) {
            error_.Code = CommCode::EmptyRequest;
            return;
        }
        int n = 0;
        std::uint8_t bcc = 0;
        bool fits = true;
        const auto put = [&](std::uint8_t b) {
            if (n >= FrameSize) {
                fits = false;
                return;
            }
            buffer_[n++] = b;
        };
        put(DLE);
        put(STX);
        for (int i = 1; i < length; ++i) {
            const std::uint8_t b = job_.frame[i];
            put(b);
            if (b == DLE)
                put(b);
            bcc ^= b;
        }
        put(DLE);
        put(ETX);
        put(bcc);
        if (!fits) {
            error_.Code = CommCode::RequestTooLong;
            return;
        }
        transmitCount_ = n;

        if (!writeBuffer()) {
            if (error_.Code == CommCode::PortClosed)
                return;
            ++attempts;
            if (error_.Code == CommCode::DriverFailed)
                driver_->waitIdle(job_.timeoutMs);
            if (attempts >= MaxAttempts || stopRequested())
                return;
            continue;
        }

        // States: 1 header, 2 content, 3 after a DLE, 4 block check.
        receiveState_ = 1;
        receiveCount_ = 0;
        int content = 0;
        std::uint8_t header[2] = {0, 0};
        bool complete = false;
        checksum_ = 0;
        const auto contentByte = [&](std::uint8_t b) {
            // buffer[0] must hold content + 1, so 254 content bytes at most.
            if (content >= MaxFrameContent) {
                error_.Code = CommCode::BadChecksum;
                return;
            }
            buffer_[1 + content++] = b;
            checksum_ ^= b;
        };
        const auto stateTwo = [&](std::uint8_t b) {
            if (b == DLE)
                receiveState_ = 3;
            else
                contentByte(b);
        };
        while (!complete && error_.Code == 0) {
            if (!readOne())
                break;
            const std::uint8_t b = lastByte_;
            switch (receiveState_) {
            case 1:
                if (receiveCount_ < 2) {
                    header[receiveCount_++] = b;
                    break;
                }
                if (header[0] != DLE || header[1] != STX) {
                    error_.Code = CommCode::BadKDVHeader;
                    break;
                }
                receiveState_ = 2;
                stateTwo(b);
                break;
            case 2:
                stateTwo(b);
                break;
            case 3:
                if (b == DLE) {
                    contentByte(DLE);
                    receiveState_ = 2;
                } else if (b == ETX) {
                    receiveState_ = 4;
                } else {
                    error_.Code = CommCode::BadKDVEscape;
                }
                break;
            case 4:
                checksum_ ^= b;
                if (checksum_ != 0) {
                    error_.Code = CommCode::BadChecksum;
                    break;
                }
                buffer_[0] = std::uint8_t(content + 1);
                complete = true;
                break;
            }
        }

        if (complete && error_.Code == 0) {
            if (deliverBinaryReply(content >= 1 && buffer_[1] == ErrorFrameMark))
                continue;
            return;
        }
        if (!abandonBinaryReply(DLE))
            return;
        ++attempts;
        if (error_.Code == CommCode::Timeout || attempts >= MaxAttempts || stopRequested())
            return;
    }
}

} // namespace kqm52
