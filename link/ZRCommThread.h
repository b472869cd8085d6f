#pragma once

// TZRCommThread: the one thread that does all input and output of an open
// port.  It runs one request at a time: writes the frame, gathers the reply
// byte by byte (the first byte awaited for the request's time-out, every
// later one for 50 ms), retries where the protocol says so, and hands reply
// bytes and the outcome to the sending component on the user-interface
// thread.
//
// Threads: SetRequest, withdrawDeliveryTo and stopAndWait run on the
// user-interface thread.  The worker reaches components and the port only
// through hand-overs: it publishes a call under its mutex, asks the UI thread
// to run it, and sleeps until the call has returned, so the reply buffer and
// the continue flag are never touched by both threads at once.  All of that
// synchronisation is std::mutex and std::condition_variable, which
// ThreadSanitizer can check.  The UI thread is woken through an eventfd that a
// QSocketNotifier watches, so no Qt event object ever crosses the threads:
// Qt's own queue locking is invisible to ThreadSanitizer.

#include "link/CommTypes.h"
#include "link/ZRProtocolComponent.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kqm52 {

class SerialDriver;
class TZRComm;

// Posted to the sending component's owner window after each finished request,
// so a window can react to the line falling idle (customEvent).
QEvent::Type requestFinishedEventType();

class TZRCommThread {
  public:
    // Starts the thread at once; with no request it goes idle.
    explicit TZRCommThread(TZRComm* port);
    ~TZRCommThread();

    TZRCommThread(const TZRCommThread&) = delete;
    TZRCommThread& operator=(const TZRCommThread&) = delete;

    // Hands a request over (nullptr withdraws the current one: its outcome
    // is then delivered to nobody).  Wakes the worker if it is idle.
    void SetRequest(TCommRequest* request);
    // Stops delivering the current request's bytes and outcome if they are
    // meant for this component (which is going away).
    void withdrawDeliveryTo(TZRComponent* component);

    // Asks the worker to stop and waits until it has left its loop, running
    // any hand-over it is blocked in meanwhile.  Returns false when called
    // from inside one of this worker's own hand-overs (a handler closing the
    // port): the worker cannot finish before that handler returns, so it is
    // released instead and cleans itself up afterwards; the caller must then
    // hand the driver over with releaseWithDriver() and let go of the worker.
    bool stopAndWait();
    // Called by the port after stopAndWait() returned false: the worker now
    // owns the driver until it has finished, then frees both.
    void releaseWithDriver(std::unique_ptr<SerialDriver> driver);

    bool Finished() const { return finished_.load(std::memory_order_acquire); }

  private:
    struct Job {
        Framing framing;
        std::array<std::uint8_t, FrameSize> frame{};
        int timeoutMs = DefaultFirstByteTimeoutMs;
        // A line that never falls silent must not hold the link: bytes one
        // reply may bring and bytes a drain may swallow, from the speed.
        int replyBudget = FrameSize;
        int drainBudget = FrameSize;
    };

    void run();
    bool stopRequested() const { return stop_.load(std::memory_order_acquire); }

    // Runs fn on the user-interface thread and waits until it has returned.
    void handOver(const std::function<void()>& fn);
    void serviceHandOver(); // UI thread
    void handDataOver();    // CommData of the sender, if it is still there
    void finishAbandoned(); // UI thread, after a handler closed the port
    void wakeUiThread();

    // Transactions.
    void runAscii();
    // ZR2 and KDV: the same exchange, with their own frame, control frame
    // mark and retry rule.
    template <class Decoder>
    void runBinary(int (*encode)(const std::uint8_t*, std::uint8_t*), std::uint8_t controlMark,
                   bool retried);
    bool retryAfterFailure(int attempts);
    bool pastDeadline() const;
    template <class Decoder> bool receiveBinary(Decoder& decoder);
    bool deliverBinaryReply(bool errorFrame);
    bool abandonBinaryReply(std::uint8_t mark);

    // Line primitives; each reports through error_.
    bool portOpen() const;
    bool checkLine();
    bool writeBuffer();
    bool readOne();
    void drain(int limit);
    // Before a request: waits for the line to fall silent (see SettleLimitMs).
    // False when the port closed meanwhile.
    bool settleLine();
    void traceReply();
    void sendControlFrame(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d);
    void failDriver(int err);

    TZRComm* port_;
    SerialDriver* driver_;
    int uiWakeFd_ = -1;             // eventfd: a hand-over is waiting
    QObject* uiNotifier_ = nullptr; // QSocketNotifier on uiWakeFd_

    std::mutex mutex_;
    std::condition_variable wake_;                // the worker waits here: request, stop, call done
    std::condition_variable uiWake_;              // a closing UI thread waits here
    bool requestPresent_ = false;                 // guarded by mutex_
    std::uint64_t generation_ = 0;                // guarded: bumped by every SetRequest
    Job pending_;                                 // guarded: the request handed over
    const std::function<void()>* call_ = nullptr; // guarded: the hand-over to run
    bool callDone_ = true;                        // guarded
    bool abandoned_ = false; // guarded: released by a handler that closed the port

    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};

    // UI-thread only.
    QPointer<TZRProtocolComponent> sender_;
    bool servicing_ = false;
    std::unique_ptr<SerialDriver> ownedDriver_;

    // Worker-thread only, except while the worker is blocked in a hand-over.
    Job job_;
    std::array<std::uint8_t, FrameSize> buffer_{};
    int transmitCount_ = 0;
    int receiveCount_ = 0;
    int receiveState_ = 0;
    TCommError error_;
    int readTimeoutMs_ = DefaultFirstByteTimeoutMs;
    std::uint8_t lastByte_ = 0;
    std::uint8_t continue_ = 0;
    std::array<std::uint8_t, FrameSize> trace_{}; // reply bytes, for the wire trace
    int traceCount_ = 0;
    int replyBytes_ = 0;
    // The request must be over by then (driver clock, see RequestLimitMs).
    std::int64_t deadlineMs_ = 0;
    // The next read waits for the first byte of a reply, not for the next.
    bool awaitingFirst_ = false;
    // The previous reply ended at its line end, at earlyEndMs_ (driver clock):
    // a request that follows within the silence may find the unit deaf.
    bool endedEarly_ = false;
    std::int64_t earlyEndMs_ = 0;
    // This request met a unit that missed it: the port frames by silence.
    bool fellBack_ = false;
    // The last reply was missing or not its request's answer: the next
    // request waits for settleQuietMs_ of silence first.
    bool lineUnsettled_ = false;
    int settleQuietMs_ = InterByteTimeoutMs;
    int lastTimeoutMs_ = DefaultFirstByteTimeoutMs; // of the request before

    std::thread thread_; // last: started once everything above exists
};

} // namespace kqm52
