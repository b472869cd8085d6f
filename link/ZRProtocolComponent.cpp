#include "link/ZRProtocolComponent.h"

#include "link/ExchangeObserver.h"
#include "link/ZRComm.h"

#include <QMetaObject>
#include <QPointer>

namespace kqm52 {

TZRProtocolComponent::TZRProtocolComponent(QObject* owner) : TZRComponent(owner) {
    request_.Sender = this;
}

TZRProtocolComponent::~TZRProtocolComponent() {
    destroying_ = true;
    if (TZRComm* port = ZRComm()) port->withdrawRequestsOf(this);
}

void TZRProtocolComponent::SetZRComm(TZRComm* port) {
    if (port == ZRComm()) return;
    // A request still queued on the old port must not be delivered, nor
    // outlive this component in that port's queue.
    if (TZRComm* old = ZRComm()) old->withdrawRequestsOf(this);
    inFlight_ = 0;
    TZRComponent::SetZRComm(port);
}

bool TZRProtocolComponent::boundToOpenPort() const {
    return ZRComm() && ZRComm()->Active();
}

void TZRProtocolComponent::fireDeactivate() {
    if (OnDeactivate && !destroying_) OnDeactivate(this);
}

void TZRProtocolComponent::SetActive(bool value) {
    if (!boundToOpenPort()) {
        active_ = false;
        fireDeactivate();
        return;
    }
    active_ = value;
    if (value) {
        if (OnActivate && !destroying_) OnActivate(this);
        // While our request is still queued or on the line, its completion
        // resends it; a second Send would start a second cycle beside the
        // first, and every off-on toggle of a busy window would add one more.
        if (inFlight_ == 0) Send();
    } else {
        fireDeactivate();
    }
}

void TZRProtocolComponent::SetFrameByte(int index, std::uint8_t value) {
    if (index >= 0 && index < FrameSize) frame_[index] = value;
}

void TZRProtocolComponent::Send() {
    queueFrame();
}

void TZRProtocolComponent::queueFrame() {
    if (!boundToOpenPort()) return;
    result_.clear();
    request_.Sender = this;
    request_.Frame = frame_;
    request_.TimeoutTime = timeoutTime_;
    request_.framing = framing();
    request_.framing.silenceExpected = silenceExpected_;
    sentText_ = requestText();
    if (ZRComm()->AddRequest(&request_) >= 0) ++inFlight_;
}

void TZRProtocolComponent::reportUnsendable(std::int32_t code) {
    QPointer<TZRProtocolComponent> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, code] {
            if (!self || self->destroying_ || !self->boundToOpenPort()) return;
            self->result_.clear();
            self->commError_ = TCommError{code, 0, 0};
            // Nothing went on the line, so there is no failure that a later
            // good reply would clear: a stale LastCommError would make that
            // reply fire an extra all-zero OnCommError.
            self->lastCommError_.clear();
            if (self->OnCommError) self->OnCommError(self, self->commError_, self->result_);
            if (self && self->active_) {
                self->active_ = false;
                self->fireDeactivate();
            }
        },
        Qt::QueuedConnection);
}

void TZRProtocolComponent::CommDone(const TCommError& error, const std::uint8_t* buffer) {
    if (inFlight_ > 0) --inFlight_;
    if (!boundToOpenPort()) return;
    commError_ = error;
    const int count = buffer[0];
    if (commError_.ok() && count > 0) result_.append(reinterpret_cast<const char*>(buffer), count);
    if (ExchangeObserver* observer = ZRComm()->exchangeObserver(); observer && !destroying_)
        observer->exchanged(this, sentText_, error, commError_.ok() ? result_ : QByteArray());
    if (commError_.ok()) {
        if (OnCommResult && !destroying_) OnCommResult(this, result_);
    }
    if (!(commError_ == lastCommError_)) {
        lastCommError_ = commError_;
        result_.clear();
        if (count > 0) result_.append(reinterpret_cast<const char*>(buffer), count);
        if (OnCommError && !destroying_) OnCommError(this, commError_, result_);
    }
    if (active_)
        Send();
    else
        lastCommError_.clear();
}

void TZRProtocolComponent::CommData(const std::uint8_t*, const std::uint8_t*,
                                    std::uint8_t& continueFlag) {
    continueFlag = 0;
}

} // namespace kqm52
