#pragma once

// RequestSequence: an ordered list of requests run one after another on one
// TRQ500Protocol component.  Every transfer of this program is such a chain
// (the 448 values of a receive or send, the device search's probes, the
// thumbwheels, the identification, the calibration readings): the reply to
// one request decides whether the next goes out, the same one goes again, or
// the chain stops.  Written once here, a window only says what each reply
// means and what to show.
//
// Each item has a request text and a parse step that judges its reply:
//   Good       the item is done, the next one goes out;
//   GoodPause  done, but the chain waits for resume() (a unit found);
//   Bad        an unusable reply: the same request again, as often as the
//              policy allows, then the chain stops on that item; either way
//              the next request waits for the line to fall silent first
//              (TZRComm::distrustLine);
//   Refused    the device said no ("er 7" to a write): no retry; the chain
//              stops, or with RefusalAction::Continue marks the item and goes
//              on (a handful of independent writes, each refused on its own).
// A link error (TCommError) stops the chain, or with CommErrorAction::Continue
// marks the item and goes on (a search probe that nobody answers).
//
// cancel() takes effect at the next reply or error of the request on the
// line, as a user expects of a Cancel button on a serial transfer: the line
// is never left with a request whose answer nobody reads.  abort() ends at
// once and withdraws the request from the port (the port is closing).
//
// Threads: the user-interface thread only, like the component it drives.
// The engine takes the component's OnCommResult and OnCommError while it
// lives; it must be destroyed before the component.

#include "link/CommTypes.h"
#include "link/HandlerBinding.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

namespace kqm52 {

class TRQ500Protocol;
class TZRProtocolComponent;

class RequestSequence : public QObject {
  public:
    enum class Verdict { Good, GoodPause, Bad, Refused };
    enum class ItemStatus { Pending, Good, BadReply, Refused, CommFailed, Cancelled };
    enum class State { Idle, Running, Paused, Finished };
    enum class Ending { None, Completed, Stopped, Cancelled };
    enum class CommErrorAction { Stop, Continue };
    enum class RefusalAction { Stop, Continue };

    struct Item {
        QString request;
        // Judges the reply; empty: every reply is good.
        std::function<Verdict(const QByteArray& reply)> parse;
        // Wait for the first reply byte; -1 keeps the component's own.
        int timeoutMs = -1;
        // Runs just before the request goes out, with nothing on the line,
        // from the event loop rather than inside the link's hand-over, so it
        // may close and reopen the port (other line settings for the next
        // probe).  A failure fails the item as a link error would.
        std::function<TCommError()> prepare;
    };

    struct RetryPolicy {
        int badReplyRetries = 1;
        int commErrorRetries = 0; // the link already tries three times
        CommErrorAction onCommError = CommErrorAction::Stop;
        RefusalAction onRefused = RefusalAction::Stop;
    };

    struct ItemOutcome {
        ItemStatus status = ItemStatus::Pending;
        TCommError error;
        QByteArray reply; // the last reply to this item (a bad one included)
        int attempts = 0;
    };

    explicit RequestSequence(TRQ500Protocol& component);
    ~RequestSequence();
    RequestSequence(const RequestSequence&) = delete;
    RequestSequence& operator=(const RequestSequence&) = delete;

    void setItems(std::vector<Item> items);
    void setPolicy(const RetryPolicy& policy) { policy_ = policy; }
    // After the last item start again at the first, until cancelled or stopped.
    void setRepeat(bool repeat) { repeat_ = repeat; }

    // Starts at item `first`.  Started again while a request of an earlier
    // run is still on the line, the late reply is dropped and the new run
    // begins when it has come: there is never more than one request of this
    // sequence on the line.
    void start(int first = 0);
    void cancel();
    void resume();
    void abort();

    State state() const { return state_; }
    Ending ending() const { return ending_; }
    bool running() const { return state_ == State::Running || state_ == State::Paused; }
    // The item whose reply is awaited (or was last).
    int current() const { return index_; }
    int count() const { return int(items_.size()); }
    const Item& item(int index) const { return items_.at(std::size_t(index)); }
    const std::vector<ItemOutcome>& outcomes() const { return outcomes_; }
    const ItemOutcome& outcome(int index) const { return outcomes_.at(std::size_t(index)); }

    // Progress: the item about to be sent (also for a retry), and the item
    // that has its outcome.
    std::function<void(int index)> onItemStarted;
    std::function<void(int index, const ItemOutcome& outcome)> onItemDone;
    std::function<void(int index)> onPaused;
    std::function<void(Ending ending)> onFinished;

  private:
    void sendCurrent();
    // From a reply or error handler: an item with a preparation goes out
    // from the event loop, the others at once (no extra turn on the line).
    void sendNext();
    void replyArrived(const QByteArray& reply);
    void errorArrived(const TCommError& error, const QByteArray& reply);
    // True when the event belongs to no live run (stale, cancelled).
    bool takeLateEvent();
    void itemFinished(ItemStatus status);
    // The item's outcome, then the end of the run (unless a handler restarted it).
    void stopOn(ItemStatus status, Ending ending);
    void advance();
    void finish(Ending ending);
    void restoreTimeout();
    // The run that was current when a callback was called is still going.
    bool still(unsigned generation) const {
        return generation == generation_ && state_ == State::Running;
    }

    QPointer<TRQ500Protocol> component_;
    HandlerBinding handlers_;
    std::vector<Item> items_;
    std::vector<ItemOutcome> outcomes_;
    RetryPolicy policy_;
    bool repeat_ = false;
    State state_ = State::Idle;
    Ending ending_ = Ending::None;
    int index_ = 0;
    int badReplies_ = 0;
    int commErrors_ = 0;
    bool onLine_ = false; // a request of this sequence awaits its outcome
    bool cancelRequested_ = false;
    bool restartPending_ = false; // start() came while an earlier request was on the line
    std::int32_t ownTimeout_ = 0;
    unsigned generation_ = 0; // changes with every start and finish
};

} // namespace kqm52
