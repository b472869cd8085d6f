#pragma once

// TZRProtocolComponent: what the three line protocols share.  A window owns
// one component per kind of request; the component queues its request on its
// port and reports the outcome on the user-interface thread through
// OnCommResult or OnCommError.
//
// Cyclic mode (Active) resends the request after every completion.  An error
// that repeats unchanged is reported once; when requests succeed again after
// an error, OnCommResult is followed by one OnCommError with an all-zero
// TCommError, so a window can clear its error display.

#include "link/CommTypes.h"
#include "link/ZRComponent.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>

namespace kqm52 {

class TZRProtocolComponent;

enum class ProtocolKind { Unknown, RQ500, ZR2, KDV };

// How a request goes on the line and how the end of its reply is found: all
// the worker needs to know of the component that sent it.
struct Framing {
    ProtocolKind protocol = ProtocolKind::Unknown;
    // ASCII only.  With a start character the reply's first byte must be it;
    // with a stop character the reply ends there; filtered, both stay out of
    // the reply.
    std::uint8_t startChar = 0; // 0 = none
    std::uint8_t stopChar = 0;
    bool filtered = false;
    // ASCII only: the reply ends at its line end rather than after the
    // line's silence.  The port decides, as the request goes on the line.
    bool fastFraming = false;
    // ASCII only: the reply before was not the answer to its request (see
    // SettleLimitMs), so this one waits for the line to fall silent first.
    // The port decides, as the request goes on the line.
    bool settleFirst = false;
    // No reply is a usual answer (a probe for a unit that may not be there):
    // a time-out leaves nothing on its way, and the next request goes out
    // without waiting for the silence.
    bool silenceExpected = false;
};

// The record a component queues on its port.  The queue holds pointers to
// these records, never copies, so a second Send while the first still waits
// refreshes the content and runs the request twice.
struct TCommRequest {
    TZRProtocolComponent* Sender = nullptr;
    std::array<std::uint8_t, FrameSize> Frame{};
    std::int32_t TimeoutTime = 0;
    Framing framing;
};

class TZRProtocolComponent : public TZRComponent {
    Q_OBJECT
  public:
    using TNotifyEvent = std::function<void(TZRProtocolComponent* sender)>;
    using TCommResultEvent =
        std::function<void(TZRProtocolComponent* sender, const QByteArray& result)>;
    using TCommErrorEvent = std::function<void(TZRProtocolComponent* sender,
                                               const TCommError& error, const QByteArray& result)>;

    explicit TZRProtocolComponent(QObject* owner = nullptr);
    ~TZRProtocolComponent() override;

    void SetZRComm(TZRComm* port) override;

    bool Active() const { return active_; }
    void SetActive(bool value);

    std::int32_t TimeoutTime() const { return timeoutTime_; }
    void SetTimeoutTime(std::int32_t ms) { timeoutTime_ = ms; }

    // Framing::silenceExpected for every request of this component.
    bool SilenceExpected() const { return silenceExpected_; }
    void SetSilenceExpected(bool value) { silenceExpected_ = value; }

    void SetFrameByte(int index, std::uint8_t value);
    const std::array<std::uint8_t, FrameSize>& Frame() const { return frame_; }

    const QByteArray& Result() const { return result_; }
    const TCommError& CommError() const { return commError_; }
    const TCommError& LastCommError() const { return lastCommError_; }

    virtual void Send();

    // Called by the worker through its synchronous hand-overs (UI thread).
    virtual void CommDone(const TCommError& error, const std::uint8_t* buffer);
    virtual void CommData(const std::uint8_t* buffer, const std::uint8_t* frame,
                          std::uint8_t& continueFlag);

    // What goes with every request of this component.
    virtual Framing framing() const { return {}; }
    // The request as an observer of the port reads it; empty where the
    // protocol has no text form.
    virtual QString requestText() const { return {}; }

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCommResultEvent OnCommResult;
    TCommErrorEvent OnCommError;

    TCommRequest& request() { return request_; }

  protected:
    bool boundToOpenPort() const;
    // Queues the frame as it stands.
    void queueFrame();
    // A request that cannot be framed is reported as an error from the event
    // loop (never from inside Send, so a handler that calls Send cannot recurse)
    // and ends cyclic mode: a request that can never be sent cannot repeat.
    void reportUnsendable(std::int32_t code);

    std::array<std::uint8_t, FrameSize> frame_{};
    QByteArray result_;

  private:
    void fireDeactivate();

    bool active_ = false;
    std::int32_t timeoutTime_ = 0;
    bool silenceExpected_ = false;
    TCommError commError_;
    TCommError lastCommError_;
    TCommRequest request_;
    QString sentText_; // requestText() as the request was queued
    int inFlight_ = 0; // queued or on the line
    friend class TZRComm;
};

} // namespace kqm52
