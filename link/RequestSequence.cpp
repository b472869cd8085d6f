#include "link/RequestSequence.h"

#include "link/RQ500Protocol.h"
#include "link/ZRComm.h"

namespace kqm52 {

RequestSequence::RequestSequence(TRQ500Protocol& component)
    : QObject(nullptr), component_(&component) {
    handlers_.bind(
        component, [this](const QByteArray& reply) { replyArrived(reply); },
        [this](const TCommError& error, const QByteArray& reply) { errorArrived(error, reply); });
}

RequestSequence::~RequestSequence() {
    if (!component_) return;
    if (onLine_)
        if (TZRComm* port = component_->ZRComm()) port->withdrawRequestsOf(component_);
    if (running()) restoreTimeout();
    handlers_.unbindAll();
}

void RequestSequence::setItems(std::vector<Item> items) {
    items_ = std::move(items);
    outcomes_.assign(items_.size(), ItemOutcome{});
}

void RequestSequence::start(int first) {
    if (!running()) ownTimeout_ = component_ ? component_->TimeoutTime() : 0;
    ++generation_;
    outcomes_.assign(items_.size(), ItemOutcome{});
    index_ = first;
    badReplies_ = 0;
    commErrors_ = 0;
    cancelRequested_ = false;
    ending_ = Ending::None;
    state_ = State::Running;
    if (first < 0 || first >= count()) {
        finish(Ending::Completed);
        return;
    }
    if (onLine_) {
        restartPending_ = true;
        return;
    }
    sendCurrent();
}

void RequestSequence::cancel() {
    if (!running()) return;
    restartPending_ = false;
    if (state_ == State::Paused || !onLine_) {
        outcomes_[std::size_t(index_)].status = ItemStatus::Cancelled;
        finish(Ending::Cancelled);
        return;
    }
    cancelRequested_ = true;
}

void RequestSequence::resume() {
    if (state_ != State::Paused) return;
    state_ = State::Running;
    advance();
}

void RequestSequence::abort() {
    if (onLine_ && component_)
        if (TZRComm* port = component_->ZRComm()) port->withdrawRequestsOf(component_);
    onLine_ = false;
    restartPending_ = false;
    if (running()) {
        outcomes_[std::size_t(index_)].status = ItemStatus::Cancelled;
        finish(Ending::Cancelled);
    }
}

void RequestSequence::sendCurrent() {
    // A loop rather than recursion: a search may skip thousands of probes
    // whose preparation fails.
    for (;;) {
        ItemOutcome& o = outcomes_[std::size_t(index_)];
        TZRComm* port = component_ ? component_->ZRComm() : nullptr;
        if (!port || !port->Active()) {
            // Send would do nothing, and no outcome would ever come.
            o.error = TCommError{CommCode::PortClosed, 0, 0};
            stopOn(ItemStatus::CommFailed, Ending::Stopped);
            return;
        }
        const Item& it = items_[std::size_t(index_)];
        if (it.prepare) {
            const TCommError e = it.prepare();
            if (!e.ok()) {
                o.error = e;
                const bool goOn = policy_.onCommError == CommErrorAction::Continue;
                if (goOn && index_ + 1 < count()) {
                    const unsigned gen = generation_;
                    itemFinished(ItemStatus::CommFailed);
                    if (!still(gen)) return;
                    ++index_;
                    continue;
                }
                stopOn(ItemStatus::CommFailed, goOn ? Ending::Completed : Ending::Stopped);
                return;
            }
        }
        ++o.attempts;
        if (onItemStarted) {
            const unsigned gen = generation_;
            onItemStarted(index_);
            if (!still(gen)) return; // the handler cancelled or restarted the run
        }
        component_->SetTimeoutTime(it.timeoutMs >= 0 ? it.timeoutMs : ownTimeout_);
        component_->SetASCIIProtocol(it.request);
        onLine_ = true;
        component_->Send();
        return;
    }
}

bool RequestSequence::takeLateEvent() {
    if (restartPending_) {
        // The reply belongs to the earlier run: the new one starts now.
        restartPending_ = false;
        sendNext();
        return true;
    }
    if (state_ != State::Running) return true;
    if (cancelRequested_) {
        outcomes_[std::size_t(index_)].status = ItemStatus::Cancelled;
        finish(Ending::Cancelled);
        return true;
    }
    return false;
}

void RequestSequence::replyArrived(const QByteArray& result) {
    if (!onLine_) return;
    onLine_ = false;
    // The component's result is cleared by the next Send; keep our own copy.
    const QByteArray reply = result;
    if (takeLateEvent()) return;
    ItemOutcome& o = outcomes_[std::size_t(index_)];
    o.reply = reply;
    o.error.clear();
    const Item& it = items_[std::size_t(index_)];
    const unsigned gen = generation_;
    const Verdict verdict = it.parse ? it.parse(reply) : Verdict::Good;
    if (!still(gen)) return; // the parse step ended or restarted the run
    switch (verdict) {
    case Verdict::Good:
        itemFinished(ItemStatus::Good);
        if (still(gen)) advance();
        break;
    case Verdict::GoodPause: {
        const int at = index_;
        state_ = State::Paused;
        itemFinished(ItemStatus::Good);
        if (gen == generation_ && state_ == State::Paused && onPaused) onPaused(at);
        break;
    }
    case Verdict::Bad:
        // Whatever else is on its way must not answer the next request.
        if (TZRComm* port = component_ ? component_->ZRComm() : nullptr) port->distrustLine();
        if (++badReplies_ <= policy_.badReplyRetries) {
            sendNext();
        } else {
            stopOn(ItemStatus::BadReply, Ending::Stopped);
        }
        break;
    case Verdict::Refused:
        if (policy_.onRefused == RefusalAction::Continue) {
            itemFinished(ItemStatus::Refused);
            if (still(gen)) advance();
        } else {
            stopOn(ItemStatus::Refused, Ending::Stopped);
        }
        break;
    }
}

void RequestSequence::errorArrived(const TCommError& error, const QByteArray& reply) {
    // The component's all-clear after a recovery is no outcome of ours.
    if (error.ok() || !onLine_) return;
    onLine_ = false;
    const QByteArray bytes = reply;
    if (takeLateEvent()) return;
    ItemOutcome& o = outcomes_[std::size_t(index_)];
    o.error = error;
    o.reply = bytes;
    if (++commErrors_ <= policy_.commErrorRetries) {
        sendNext();
        return;
    }
    const unsigned gen = generation_;
    itemFinished(ItemStatus::CommFailed);
    if (!still(gen)) return;
    if (policy_.onCommError == CommErrorAction::Continue)
        advance();
    else
        finish(Ending::Stopped);
}

void RequestSequence::itemFinished(ItemStatus status) {
    ItemOutcome& o = outcomes_[std::size_t(index_)];
    o.status = status;
    if (onItemDone) onItemDone(index_, o);
}

void RequestSequence::stopOn(ItemStatus status, Ending ending) {
    const unsigned gen = generation_;
    itemFinished(status);
    if (gen == generation_ && running()) finish(ending);
}

void RequestSequence::advance() {
    if (state_ != State::Running) return;
    badReplies_ = 0;
    commErrors_ = 0;
    if (index_ + 1 < count()) {
        ++index_;
    } else if (repeat_ && count() > 0) {
        index_ = 0;
        outcomes_.assign(items_.size(), ItemOutcome{});
    } else {
        finish(Ending::Completed);
        return;
    }
    sendNext();
}

void RequestSequence::sendNext() {
    if (!items_[std::size_t(index_)].prepare) {
        sendCurrent();
        return;
    }
    const unsigned gen = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, gen] {
            if (still(gen) && !onLine_) sendCurrent();
        },
        Qt::QueuedConnection);
}

void RequestSequence::finish(Ending ending) {
    ++generation_;
    state_ = State::Finished;
    ending_ = ending;
    cancelRequested_ = false;
    restoreTimeout();
    if (onFinished) onFinished(ending);
}

void RequestSequence::restoreTimeout() {
    if (component_) component_->SetTimeoutTime(ownTimeout_);
}

} // namespace kqm52
