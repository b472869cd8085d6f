#pragma once

// TZRComm: one serial port of the PC with its line settings.
//
// It opens and closes the port through a SerialDriver chosen by the PortMap,
// owns the link worker while the port is open, and keeps the list of bound
// protocol components and the queue of their requests.
//
// Threads: every member runs on the user-interface thread.  The worker only
// reads the open flag and uses the driver (see ZRCommThread.h).
//
// Errors: opening and configuring the port throw ECommHandleError or
// ECommInitError; nothing that happens during a request throws.

#include "link/PortMap.h"
#include "link/SerialDriver.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>

namespace kqm52 {

class ExchangeObserver;
class SerialDriver;
class TZRComponent;
class TZRCommThread;
struct TCommRequest;

enum class TBaudrate {
    br1200,
    br2400,
    br4800,
    br9600,
    br19200,
    br28800,
    br38400,
    br57600,
    br115200
};
enum class TDataBit { db_7, db_8 };
enum class TParityBit { None, Even, Odd };
enum class TStopBit { sb_1, sb_2 };
// TPort (COM1 … COM16) is declared in PortMap.h.
enum class TPortAddr { pa_03F8, pa_02F8, pa_03E8, pa_02E8 };
enum class TPortType { RS232C, RS422, RS485 };
enum class THardware { Standard, PCLabPCL745, PhoenixPSM, UserDefined };
enum class TTransmitDriver { tdNone, tdRegister7to1, tdRTSto1, tdDTRto0 };
enum class TReceiveDriver { rdNone, rdRegister7to2 };

constexpr int BaudrateCount = 9;

int baudrateValue(TBaudrate b); // 9600 for br9600
int dataBitsValue(TDataBit d);  // 7 or 8
int stopBitsValue(TStopBit s);  // 1 or 2
// "COM 1" … "COM 16": how the port object names a port in its messages.
QString PortDisplayName(TPort p);
// "1200 bit/s" … "115200 bit/s".
QString BaudrateDisplayName(TBaudrate b);

// A failure to open or close the operating-system port.
class ECommHandleError : public std::runtime_error {
  public:
    explicit ECommHandleError(const QString& message, int systemError = 0)
        : std::runtime_error(message.toStdString()), systemError_(systemError) {}
    // The port would not open: what went wrong, for the caller to word in
    // the user's language (model/texts/PortOpenText.h).  The message is the
    // system's reason where there is one, else the port and its value.
    explicit ECommHandleError(const PortProblem& problem)
        : std::runtime_error(
              (problem.systemReason.isEmpty()
                   ? PortMap::key(problem.port) + QStringLiteral(": ") + problem.value
                   : problem.systemReason)
                  .toStdString()),
          systemError_(problem.systemError), problem_(problem) {}
    QString message() const { return QString::fromStdString(what()); }
    // The errno behind the message, so a caller can add advice (0 if none).
    int systemError() const { return systemError_; }
    // Set when the port would not open (not for a failed close).
    const PortProblem& problem() const { return problem_; }

  private:
    int systemError_ = 0;
    PortProblem problem_;
};

// A failure to set the port up, or a change refused while it is open.
class ECommInitError : public std::runtime_error {
  public:
    explicit ECommInitError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Assigning settings from an object that is not a port.
class EConvertError : public std::runtime_error {
  public:
    explicit EConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

class TZRComm : public QObject {
    Q_OBJECT
  public:
    explicit TZRComm(QObject* owner = nullptr);
    ~TZRComm() override;

    // Where port names lead.  Without one the port uses a default map
    // (COMn is /dev/ttyS(n-1)).  The map must outlive the port.
    void setPortMap(const PortMap* map) { portMap_ = map; }
    const PortMap& portMap() const { return portMap_ ? *portMap_ : defaultMap_; }
    // Sees every request of this port's components and its outcome; null for
    // none.  The observer must outlive the port or be taken off first.
    void setExchangeObserver(ExchangeObserver* observer) { observer_ = observer; }
    ExchangeObserver* exchangeObserver() const { return observer_; }
    // The device the current PortName leads to (for messages and dialogs).
    QString devicePath() const;

    bool Active() const { return active_.load(std::memory_order_acquire); }
    void SetActive(bool value);

    // The line as it is shown: "38400,E,8,1".
    QString lineSettingsText() const;
    // True when the line is set at a serial device server and this port
    // cannot change it: the open driver says, and a closed port goes by its
    // value's family.  Where the line is shown, the user is told so.
    bool lineSetAtServer() const;

    TBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TBaudrate value);
    TDataBit FrameDatabits() const { return databits_; }
    void SetFrameDatabits(TDataBit value);
    TParityBit FrameParitybit() const { return parity_; }
    void SetFrameParitybit(TParityBit value);
    TStopBit FrameStopbits() const { return stopbits_; }
    void SetFrameStopbits(TStopBit value);

    TPort PortName() const { return portName_; }
    void SetPortName(TPort value);
    TPortAddr PortAddress() const { return portAddress_; }
    void SetPortAddress(TPortAddr value);
    TPortType PortType() const { return portType_; }
    void SetPortType(TPortType value);
    THardware Hardware() const { return hardware_; }
    void SetHardware(THardware value);
    TTransmitDriver TransmitDriver() const { return transmitDriver_; }
    void SetTransmitDriver(TTransmitDriver value);
    TReceiveDriver ReceiveDriver() const { return receiveDriver_; }
    void SetReceiveDriver(TReceiveDriver value);

    // Fast framing: a reply ends as soon as its two line-end bytes have
    // arrived, not after 50 ms of silence.  About three times the requests
    // per second at 38400 bit/s, but a unit that needs the silence before it
    // listens again misses a request sent right after its reply; the port
    // notices (no reply begun within half the time-out), sends that request
    // once more and falls back to silence framing: for now, until
    // resumeFastFraming() (a transfer starting) or the next opening.  Off
    // unless the user switches it on; a change applies from the next request.
    bool FastFraming() const { return fastFraming_.load(std::memory_order_acquire); }
    void SetFastFraming(bool value);
    // The open port has fallen back to silence framing (see above); windows
    // show it, since the user chose fast framing and gets slower transfers.
    bool fastFramingSuspended() const { return fastFramingSuspended_ && FastFraming(); }
    // Tries fast framing again from the next request.
    void resumeFastFraming();
    // Used by the worker, in its hand-over: a unit missed a request.
    void fastFramingFellBack();

    // Copies the settings of another port while this one is closed.
    void Assign(const QObject* source);

    std::function<void(TZRComm* sender)> OnActivate;
    std::function<void(TZRComm* sender)> OnDeactivate;

    // The reply just handed over was not the answer to its request (another
    // request's, cut short, unreadable): the next request on this port first
    // waits for the line to fall silent (see SettleLimitMs).  Whoever judges
    // a reply says so; the worker itself knows only of missing ones.
    void distrustLine() { lineDistrusted_ = true; }

    // For the protocol components and the worker.
    int AddRequest(TCommRequest* request);
    void RequestDone();
    const QList<TZRComponent*>& Components() const { return components_; }
    int queuedRequests() const { return int(requests_.size()); }

    // Binding, used by TZRComponent::SetZRComm and its destructor.
    void bindComponent(TZRComponent* component);
    void unbindComponent(TZRComponent* component);
    // Drops every waiting request of this component and, if its request is the
    // one on the line, the delivery of that request's outcome.
    void withdrawRequestsOf(TZRComponent* component);

    // When the device went away while the port was open (converter
    // unplugged), the port closes itself; these then say why, in the
    // operating system's words, until the port is opened again.  Together
    // with devicePath() they are what a window needs to word the failure.
    // 0 and empty when the port was last closed by a caller.
    int LastSystemError() const { return lastSystemError_; }
    QString LastSystemErrorText() const { return lastSystemErrorText_; }

    // Used by the worker only.
    SerialDriver* driver() const { return driver_.get(); }
    // A request failed because the device is gone: close, and remember why.
    void deviceLost(int systemError);
    bool isBeingDestroyed() const { return destroying_; }

  signals:
    // fastFramingSuspended() changed.
    void fastFramingSuspendedChanged(bool suspended);

  private:
    void setFastFramingSuspended(bool suspended);
    // Hands the queue's head to the worker with the framing it goes out with.
    void putOnLine(TCommRequest* request);
    void open();
    void close();
    void applyLineSettings(); // writes the four line fields and hands them to the driver
    void refuseWhileOpen(const char* lastLine) const;
    LineState wantedLineState() const;

    const PortMap* portMap_ = nullptr;
    PortMap defaultMap_;

    std::atomic<bool> active_{false};
    std::atomic<bool> fastFraming_{false};
    bool fastFramingSuspended_ = false;
    bool lineDistrusted_ = false;
    bool destroying_ = false;
    bool opening_ = false; // inside open(), which may serve events while it waits

    TBaudrate baudrate_ = TBaudrate::br9600;
    TDataBit databits_ = TDataBit::db_8;
    TParityBit parity_ = TParityBit::Even;
    TStopBit stopbits_ = TStopBit::sb_1;
    TPort portName_ = TPort::COM1;
    TPortAddr portAddress_ = TPortAddr::pa_03F8;
    TPortType portType_ = TPortType::RS232C;
    THardware hardware_ = THardware::Standard;
    TTransmitDriver transmitDriver_ = TTransmitDriver::tdNone;
    TReceiveDriver receiveDriver_ = TReceiveDriver::rdNone;

    ExchangeObserver* observer_ = nullptr;
    std::unique_ptr<SerialDriver> driver_;
    LineState lineState_;
    QList<TZRComponent*> components_;
    QList<TCommRequest*> requests_; // a withdrawn head stays as nullptr until RequestDone
    std::unique_ptr<TZRCommThread> commThread_;
    int lastSystemError_ = 0;
    QString lastSystemErrorText_;
};

} // namespace kqm52
