#include "link/ZRComm.h"

#include "link/SerialDriver.h"
#include "link/ZRCommThread.h"
#include "link/ZRProtocolComponent.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <future>
#include <utility>

namespace kqm52 {

int baudrateValue(TBaudrate b) {
    static constexpr int values[BaudrateCount] = {1200,  2400,  4800,  9600,  19200,
                                                  28800, 38400, 57600, 115200};
    return values[int(b)];
}

int dataBitsValue(TDataBit d) {
    return d == TDataBit::db_7 ? 7 : 8;
}
int stopBitsValue(TStopBit s) {
    return s == TStopBit::sb_2 ? 2 : 1;
}

QString PortDisplayName(TPort p) {
    return QStringLiteral("COM %1").arg(int(p) + 1);
}

QString BaudrateDisplayName(TBaudrate b) {
    return QStringLiteral("%1 bit/s").arg(baudrateValue(b));
}

namespace {

QString osText(int error) {
    return QString::fromStdString(systemErrorText(error));
}

DriverParity driverParity(TParityBit p) {
    switch (p) {
    case TParityBit::None:
        return DriverParity::None;
    case TParityBit::Even:
        return DriverParity::Even;
    case TParityBit::Odd:
        return DriverParity::Odd;
    }
    return DriverParity::Even;
}

} // namespace

TZRComm::TZRComm(QObject* owner) : QObject(owner) {}

TZRComm::~TZRComm() {
    destroying_ = true;
    if (Active()) {
        try {
            close();
        } catch (const ECommHandleError&) {
            // The handle is gone either way; a destructor has nobody to tell.
        }
    }
    // Detaching removes each component from components_.
    while (!components_.isEmpty())
        components_.first()->SetZRComm(nullptr);
}

QString TZRComm::devicePath() const {
    return portMap().effectiveDevice(portName_);
}

namespace {

// Opens a driver whose open() may wait on the network.  On the
// user-interface thread the wait goes to a thread of its own while the
// window keeps painting; input waits, so nothing can be clicked into a half
// open port.
int openAway(SerialDriver& driver, const std::string& path) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return driver.open(path);
    auto opened = std::async(std::launch::async, [&] { return driver.open(path); });
    while (opened.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        opened.wait_for(std::chrono::milliseconds(10));
    }
    return opened.get();
}

} // namespace

QString TZRComm::lineSettingsText() const {
    static const char* const parity[] = {"N", "E", "O"};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baudrateValue(baudrate_))
        .arg(QLatin1String(parity[int(parity_)]))
        .arg(dataBitsValue(databits_))
        .arg(stopBitsValue(stopbits_));
}

bool TZRComm::lineSetAtServer() const {
    if (Active() && driver_) return driver_->lineSetAtServer();
    const PortFamily* family = portMap().familyOf(devicePath());
    return family && family->lineAtServer;
}

void TZRComm::SetActive(bool value) {
    // An event served while the port is opening must not open or close it.
    if (opening_) return;
    if (value == Active()) return;
    if (value)
        open();
    else
        close();
}

LineState TZRComm::wantedLineState() const {
    LineState s = lineState_;
    s.baud = baudrateValue(baudrate_);
    s.dataBits = dataBitsValue(databits_);
    s.parity = driverParity(parity_);
    s.stopBits = stopBitsValue(stopbits_);
    return s;
}

void TZRComm::applyLineSettings() {
    const LineState wanted = wantedLineState();
    if (const int err = driver_->setLineState(wanted)) throw ECommInitError(osText(err));
    lineState_ = wanted;
}

void TZRComm::open() {
    PortProblem problem;
    std::unique_ptr<SerialDriver> driver = portMap().createDriver(portName_, problem);
    if (!driver) throw ECommHandleError(problem);
    const QString path = devicePath();
    int opened = 0;
    if (driver->mayBlockOnOpen()) {
        opening_ = true;
        opened = openAway(*driver, path.toStdString());
        opening_ = false;
    } else {
        opened = driver->open(path.toStdString());
    }
    if (const int err = opened)
        throw ECommHandleError(PortProblem{PortError::OpenRefused, portName_, path, err,
                                           QString::fromStdString(driver->errorText(err))});

    driver_ = std::move(driver);
    active_.store(true, std::memory_order_release);

    lastSystemError_ = 0;
    lastSystemErrorText_.clear();
    setFastFramingSuspended(false);

    try {
        if (const int err = driver_->setBufferSizes(512, 512)) throw ECommInitError(osText(err));
        if (const int err = driver_->getLineState(lineState_)) throw ECommInitError(osText(err));
        applyLineSettings();
    } catch (const ECommInitError& setUp) {
        // The port was open for a moment: close it the whole way, so the
        // components and the owner hear it, and a failing close is not lost
        // behind the set-up failure (both texts reach the caller).
        try {
            close();
        } catch (const ECommHandleError& closing) {
            throw ECommHandleError(setUp.message() + QStringLiteral("\r\n") + closing.message(),
                                   closing.systemError());
        }
        throw;
    }

    commThread_ = std::make_unique<TZRCommThread>(this);
    if (OnActivate && !destroying_) OnActivate(this);
}

void TZRComm::close() {
    active_.store(false, std::memory_order_release);
    // A closed port frames nothing; the next opening tries fast framing again.
    setFastFramingSuspended(false);
    lineDistrusted_ = false;

    // Switching cyclic mode off on a closed port clears Active and fires
    // OnDeactivate.  Copy the list: a handler may unbind a component.
    const QList<TZRComponent*> bound = components_;
    for (TZRComponent* c : bound) {
        if (auto* p = qobject_cast<TZRProtocolComponent*>(c); p && components_.contains(c))
            p->SetActive(false);
    }
    for (TCommRequest* r : std::as_const(requests_))
        if (r && r->Sender) r->Sender->inFlight_ = 0;
    requests_.clear();

    TZRCommThread* stillServing = nullptr;
    if (commThread_) {
        commThread_->SetRequest(nullptr);
        if (commThread_->stopAndWait())
            commThread_.reset();
        else
            stillServing = commThread_.release();
    }

    // The device is handed back here in every case, so that OnDeactivate
    // (and a reopen from inside it) finds it free.
    const int err = driver_ ? driver_->close() : 0;
    if (stillServing) {
        // A handler of this port's own request is closing it: the worker
        // can only finish once that handler returns, and it still holds a
        // pointer to the (closed) driver, so the driver goes with it.
        stillServing->releaseWithDriver(std::move(driver_));
    }
    driver_.reset();
    if (err) throw ECommHandleError(osText(err), err);
    if (OnDeactivate && !destroying_) OnDeactivate(this);
}

void TZRComm::deviceLost(int systemError) {
    if (!Active()) return;
    lastSystemError_ = systemError;
    lastSystemErrorText_ = QString::fromStdString(driver_->errorText(systemError));
    try {
        close();
    } catch (const ECommHandleError&) {
        // The device is gone: a close that fails too says nothing new.
    }
}

void TZRComm::refuseWhileOpen(const char* lastLine) const {
    if (Active())
        throw ECommInitError(PortDisplayName(portName_) + QStringLiteral(" is active!\r\n\r\n") +
                             QString::fromLatin1(lastLine));
}

void TZRComm::SetBaudrate(TBaudrate value) {
    baudrate_ = value;
    if (Active()) applyLineSettings();
}

void TZRComm::SetFrameDatabits(TDataBit value) {
    databits_ = value;
    if (Active()) applyLineSettings();
}

void TZRComm::SetFrameParitybit(TParityBit value) {
    parity_ = value;
    if (Active()) applyLineSettings();
}

void TZRComm::SetFrameStopbits(TStopBit value) {
    stopbits_ = value;
    if (Active()) applyLineSettings();
}

void TZRComm::SetPortName(TPort value) {
    refuseWhileOpen("Cannot change port");
    portName_ = value;
    // Only four I/O addresses exist; later ports keep the last one.  The
    // address is stored, never used on the line.
    SetPortAddress(TPortAddr(std::min(int(value), int(TPortAddr::pa_02E8))));
}

void TZRComm::SetPortAddress(TPortAddr value) {
    refuseWhileOpen("Cannot change the port address");
    portAddress_ = value;
}

void TZRComm::SetPortType(TPortType value) {
    refuseWhileOpen("Cannot change the port type");
    portType_ = value;
    const bool fits = hardware_ == THardware::UserDefined ||
                      (hardware_ == THardware::PCLabPCL745 ? value != TPortType::RS232C
                                                           : value == TPortType::RS232C);
    if (!fits) hardware_ = THardware::UserDefined;
}

void TZRComm::SetHardware(THardware value) {
    refuseWhileOpen("Cannot change port hardware");
    hardware_ = value;
    switch (value) {
    case THardware::Standard:
    case THardware::PhoenixPSM:
        if (portType_ != TPortType::RS232C) SetPortType(TPortType::RS232C);
        SetTransmitDriver(value == THardware::Standard ? TTransmitDriver::tdNone
                                                       : TTransmitDriver::tdDTRto0);
        SetReceiveDriver(TReceiveDriver::rdNone);
        break;
    case THardware::PCLabPCL745:
        if (portType_ == TPortType::RS232C) SetPortType(TPortType::RS485);
        SetTransmitDriver(TTransmitDriver::tdRegister7to1);
        SetReceiveDriver(TReceiveDriver::rdRegister7to2);
        break;
    case THardware::UserDefined:
        break;
    }
}

void TZRComm::SetTransmitDriver(TTransmitDriver value) {
    refuseWhileOpen("Cannot change device driver");
    transmitDriver_ = value;
    TTransmitDriver preset = value;
    switch (hardware_) {
    case THardware::Standard:
        preset = TTransmitDriver::tdNone;
        break;
    case THardware::PCLabPCL745:
        preset = TTransmitDriver::tdRegister7to1;
        break;
    case THardware::PhoenixPSM:
        preset = TTransmitDriver::tdDTRto0;
        break;
    case THardware::UserDefined:
        break;
    }
    if (value != preset) hardware_ = THardware::UserDefined;
}

void TZRComm::SetReceiveDriver(TReceiveDriver value) {
    refuseWhileOpen("Cannot change device driver");
    receiveDriver_ = value;
    TReceiveDriver preset = value;
    switch (hardware_) {
    case THardware::Standard:
    case THardware::PhoenixPSM:
        preset = TReceiveDriver::rdNone;
        break;
    case THardware::PCLabPCL745:
        preset = TReceiveDriver::rdRegister7to2;
        break;
    case THardware::UserDefined:
        break;
    }
    if (value != preset) hardware_ = THardware::UserDefined;
}

void TZRComm::Assign(const QObject* source) {
    const auto* other = qobject_cast<const TZRComm*>(source);
    if (!other) {
        const QString name =
            source ? QString::fromLatin1(source->metaObject()->className()) : QStringLiteral("nil");
        throw EConvertError(QStringLiteral("Cannot assign a %1 to a TZRComm").arg(name));
    }
    if (Active() || other == this) return;
    SetPortName(other->PortName());
    SetPortAddress(other->PortAddress());
    SetBaudrate(other->Baudrate());
    SetFrameDatabits(other->FrameDatabits());
    SetFrameParitybit(other->FrameParitybit());
    SetFrameStopbits(other->FrameStopbits());
    SetHardware(other->Hardware());
    SetPortType(other->PortType());
    SetReceiveDriver(other->ReceiveDriver());
    SetTransmitDriver(other->TransmitDriver());
    SetFastFraming(other->FastFraming());
}

void TZRComm::SetFastFraming(bool value) {
    const bool wasSuspended = fastFramingSuspended();
    fastFraming_.store(value, std::memory_order_release);
    if (wasSuspended != fastFramingSuspended())
        emit fastFramingSuspendedChanged(fastFramingSuspended());
}

void TZRComm::setFastFramingSuspended(bool suspended) {
    const bool was = fastFramingSuspended();
    fastFramingSuspended_ = suspended;
    if (was != fastFramingSuspended() && !destroying_)
        emit fastFramingSuspendedChanged(fastFramingSuspended());
}

void TZRComm::resumeFastFraming() {
    setFastFramingSuspended(false);
}

void TZRComm::fastFramingFellBack() {
    if (Active()) setFastFramingSuspended(true);
}

int TZRComm::AddRequest(TCommRequest* request) {
    if (!Active() || !commThread_) return -1;
    requests_.append(request);
    const int index = int(requests_.size()) - 1;
    if (index == 0) putOnLine(request);
    return index;
}

void TZRComm::RequestDone() {
    if (!requests_.isEmpty()) requests_.removeFirst();
    if (Active() && commThread_ && !requests_.isEmpty()) putOnLine(requests_.first());
}

void TZRComm::putOnLine(TCommRequest* request) {
    // Decided as the request goes, not as it was queued: a unit that missed
    // a request meanwhile has made the port fall back to silence.
    if (request) {
        request->framing.fastFraming = FastFraming() && !fastFramingSuspended();
        request->framing.settleFirst = std::exchange(lineDistrusted_, false);
    }
    commThread_->SetRequest(request);
}

void TZRComm::bindComponent(TZRComponent* component) {
    if (!components_.contains(component)) components_.append(component);
}

void TZRComm::unbindComponent(TZRComponent* component) {
    withdrawRequestsOf(component);
    components_.removeAll(component);
}

void TZRComm::withdrawRequestsOf(TZRComponent* component) {
    for (qsizetype i = requests_.size() - 1; i >= 0; --i) {
        TCommRequest* r = requests_[i];
        if (!r || r->Sender != component) continue;
        if (i == 0)
            requests_[0] = nullptr; // on the line: RequestDone still removes its slot
        else
            requests_.removeAt(i);
    }
    if (commThread_) commThread_->withdrawDeliveryTo(component);
}

} // namespace kqm52
