#include "model/engines/DeviceSearch.h"

#include "link/SerialDriver.h"
#include "link/UnitProtocol.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"
#include "model/texts/TextKeys.h"

#include <cerrno>

namespace kqm52 {

namespace {

constexpr TBaudrate Speeds[DeviceSearch::SpeedCount] = {TBaudrate::br9600, TBaudrate::br19200,
                                                        TBaudrate::br28800, TBaudrate::br38400,
                                                        TBaudrate::br57600};

QString probeText(int unitNumber) {
    return unit::selectUnit(unitNumber);
}

using Text = TextIn<"AparaatZoeken">;
using StatusText = TextSeries<"AparaatZoeken", "PanelTekst", 4>;

} // namespace

DeviceSearch::DeviceSearch(TZRComm& port, DeviceSearchView& view, const LanguageTexts& language)
    : port_(port), view_(view), language_(language) {
    RQ500ApparaatZoeken.setObjectName(QStringLiteral("RQ500ApparaatZoeken"));
    ASCIILeesTypeInfo.setObjectName(QStringLiteral("ASCIILeesTypeInfo"));
    for (TRQ500Protocol* c : {&RQ500ApparaatZoeken, &ASCIILeesTypeInfo}) {
        c->setUpForDevice(0);
        c->SetZRComm(&port_);
    }
    // Most probes meet no unit: their silence leaves nothing on the line to wait for.
    RQ500ApparaatZoeken.SetSilenceExpected(true);
    // Silence is the usual answer to a probe: the search goes on.
    probes_.setPolicy({.badReplyRetries = 0,
                       .commErrorRetries = 0,
                       .onCommError = RequestSequence::CommErrorAction::Continue});
    probes_.onItemStarted = [this](int index) {
        current_ = plan_.at(std::size_t(index));
        ++probesSent_;
        view_.probing(current_);
    };
    probes_.onItemDone = [this](int, const RequestSequence::ItemOutcome& o) {
        if (o.status == RequestSequence::ItemStatus::CommFailed) probeFailed(o.error);
    };
    probes_.onPaused = [this](int) {
        if (!unitAnswered_) {
            halt();
            return;
        }
        typeText_.clear();
        types_.start();
    };
    probes_.onFinished = [this](RequestSequence::Ending ending) {
        if (state_ != SearchState::Searching) return;
        if (ending == RequestSequence::Ending::Completed)
            complete();
        else
            halt(); // a Stop, or the port closed under the search
    };

    std::vector<RequestSequence::Item> items(3);
    const QString requests[] = {unit::readType(), unit::readHardware(), unit::readExtra()};
    for (int i = 0; i < 3; ++i) {
        items[std::size_t(i)].request = requests[i];
        items[std::size_t(i)].parse = [this, i, request = requests[i]](const QByteArray& reply) {
            // Another request's reply, or one cut short, names no unit: asked
            // again once the line is silent, then the unit is passed over.
            const unit::Reply said = unit::classifyReply(request, reply, ReplyBuffer);
            if (!said.answers() && !said.tooLong) return RequestSequence::Verdict::Bad;
            // One too long for the buffer would be as long when asked
            // again: the unit is entered with what fits.
            const QString text = said.answer;
            typeText_ = i == 0 ? text : typeText_ + QStringLiteral("   ") + text;
            // Stop is looked at once, before the last request: a unit whose
            // "rx" is already asked for is entered anyway.
            if (i == 1 && stopRequested_) return RequestSequence::Verdict::GoodPause;
            return RequestSequence::Verdict::Good;
        };
    }
    types_.setItems(std::move(items));
    types_.setPolicy({.badReplyRetries = 1, .commErrorRetries = 0});
    types_.onPaused = [this](int) {
        halt();
        types_.cancel();
    };
    types_.onFinished = [this](RequestSequence::Ending ending) { typesFinished(ending); };
}

DeviceSearch::~DeviceSearch() {
    probes_.abort();
    types_.abort();
}

TBaudrate DeviceSearch::speedOf(int index) {
    return index >= 0 && index < SpeedCount ? Speeds[index] : Speeds[0];
}

std::vector<SearchCombination> DeviceSearch::combinations(const SearchChoice& choice,
                                                          TParityBit comParity, TStopBit comStop) {
    const int first = choice.startSpeedIndex >= 0 && choice.startSpeedIndex < SpeedCount
                          ? choice.startSpeedIndex
                          : 0;
    std::vector<TParityBit> parities{comParity};
    if (choice.autoParity) parities = {TParityBit::None, TParityBit::Odd, TParityBit::Even};
    std::vector<TStopBit> stops{comStop};
    if (choice.autoStopBits) stops = {TStopBit::sb_1, TStopBit::sb_2};

    std::vector<SearchCombination> plan;
    plan.reserve(std::size_t(SpeedCount * UnitCount) * parities.size() * stops.size());
    for (int s = 0; s < SpeedCount; ++s)
        for (int unit = 0; unit < UnitCount; ++unit)
            for (TStopBit stop : stops)
                for (TParityBit parity : parities)
                    plan.push_back({unit, Speeds[(first + s) % SpeedCount], parity, stop});
    return plan;
}

QString DeviceSearch::speedText(TBaudrate b) {
    return QString::number(baudrateValue(b));
}

QString DeviceSearch::parityText(TParityBit p) {
    switch (p) {
    case TParityBit::None:
        return QStringLiteral("None");
    case TParityBit::Even:
        return QStringLiteral("Even");
    case TParityBit::Odd:
        return QStringLiteral("Odd");
    }
    return {};
}

QString DeviceSearch::stopText(TStopBit s) {
    return s == TStopBit::sb_2 ? QStringLiteral("2") : QStringLiteral("1");
}

void DeviceSearch::activate() {
    abortAll();
    savedBaud_ = port_.Baudrate();
    savedParity_ = port_.FrameParitybit();
    savedStop_ = port_.FrameStopbits();
    found_.clear();
    stopRequested_ = false;
    statusText_.clear();
    state_ = SearchState::Idle;
    view_.stateChanged();
}

void DeviceSearch::start(const SearchChoice& choice) {
    abortAll();
    found_.clear();
    stopRequested_ = false;
    probesSent_ = 0;
    plan_ = combinations(choice, savedParity_, savedStop_);
    // Behind a raw server every speed and framing probes the same line: each
    // unit number once, at the settings the port has.
    atServer_ = port_.lineSetAtServer();
    if (atServer_) {
        plan_.clear();
        for (int unit = 0; unit < UnitCount; ++unit)
            plan_.push_back({unit, savedBaud_, savedParity_, savedStop_});
    }
    const SearchCombination& first = plan_.front();
    setState(SearchState::Searching, 0);
    // Nothing was sent and nothing runs: say so, and which port and device
    // would not open, so the user can pick another and start again.
    const auto cannotOpen = [this](const QString& reason) {
        setState(SearchState::Idle, 1);
        view_.showError({}, language_.text(Text{"MsgCannotOpen"})
                                    .arg(PortMap::key(port_.PortName()), port_.devicePath()) +
                                QLatin1Char('\n') + reason);
    };
    try {
        applyLine(first);
        port_.SetActive(true);
    } catch (const ECommHandleError& e) {
        cannotOpen(portOpenReason(language_, port_.portMap(), e));
        return;
    } catch (const std::exception& e) {
        cannotOpen(QString::fromUtf8(e.what()));
        return;
    }

    std::vector<RequestSequence::Item> items(plan_.size());
    for (std::size_t i = 0; i < plan_.size(); ++i) {
        const SearchCombination c = plan_[i];
        items[i].request = probeText(c.unit);
        items[i].parse = [this, i](const QByteArray& reply) { return probeReply(int(i), reply); };
        items[i].prepare = [this, c] {
            try {
                applyLine(c);
            } catch (const std::exception&) {
                // A setting this port cannot take: the probe is passed over.
                return TCommError{CommCode::DriverFailed, 0, 0};
            }
            return TCommError{};
        };
    }
    probes_.setItems(std::move(items));
    probes_.start(0);
}

void DeviceSearch::resume() {
    if (!canContinue()) return;
    stopRequested_ = false;
    setState(SearchState::Searching, 0);
    if (probes_.state() == RequestSequence::State::Paused) {
        probes_.resume();
        return;
    }
    const int next = probes_.current() + 1;
    if (next >= int(plan_.size())) {
        complete();
        return;
    }
    probes_.start(next);
}

void DeviceSearch::stop() {
    stopRequested_ = true;
}

RequestSequence::Verdict DeviceSearch::probeReply(int index, const QByteArray& reply) {
    // The unit repeats its probe and ends the line with two bytes; a reply
    // too long for the buffer is nobody's echo.
    const QString probe = probeText(plan_.at(std::size_t(index)).unit);
    unitAnswered_ = unit::classifyReply(probe, reply, ReplyBuffer).repeats(probe);
    if (unitAnswered_ || stopRequested_) return RequestSequence::Verdict::GoodPause;
    return RequestSequence::Verdict::Good;
}

void DeviceSearch::probeFailed(const TCommError& error) {
    if (deviceGone(error))
        deviceLost(error);
    else if (stopRequested_)
        probes_.cancel(); // nothing on the line: ends now, and the end halts
}

void DeviceSearch::typesFinished(RequestSequence::Ending ending) {
    if (state_ != SearchState::Searching) return;
    if (ending == RequestSequence::Ending::Completed) {
        found_.push_back({current_, typeText_});
        view_.unitFound(int(found_.size()) - 1);
        setState(SearchState::Found, 3);
        return;
    }
    // A unit whose type cannot be read is not entered.
    const TCommError error = types_.outcome(types_.current()).error;
    if (deviceGone(error))
        deviceLost(error);
    else if (stopRequested_)
        halt();
    else
        probes_.resume();
}

bool DeviceSearch::deviceGone(const TCommError& error) const {
    // What the driver says when a USB converter is pulled out or the device
    // node disappears; the search could only probe into nothing after it.
    return error.Code == CommCode::DriverFailed &&
           (error.SystemError == EIO || error.SystemError == ENXIO || error.SystemError == ENODEV);
}

void DeviceSearch::deviceLost(const TCommError& error) {
    probes_.cancel();
    types_.cancel();
    halt();
    QString text = QString::fromStdString(systemErrorText(error.SystemError));
    const QString device = port_.devicePath();
    if (!device.isEmpty() && device != QLatin1String(PortMap::SimDevice))
        text += QStringLiteral(" (%1)").arg(device);
    view_.showError({}, language_.text(Text{"MsgDeviceLost"}) + QLatin1Char('\n') + text);
}

void DeviceSearch::halt() {
    setState(SearchState::Halted, 1);
}

void DeviceSearch::complete() {
    setState(SearchState::Complete, 2);
}

void DeviceSearch::setState(SearchState state, int text) {
    state_ = state;
    if (text == 0 && atServer_)
        statusText_ = language_.text(Text{"MsgSearchAtServer"});
    else if (text >= 0)
        statusText_ = language_.text(StatusText::all().at(std::size_t(text)));
    view_.stateChanged();
}

void DeviceSearch::applyLine(const SearchCombination& c) {
    // Each setter reaches the driver at once; unchanged ones are left alone.
    if (port_.Baudrate() != c.baud) port_.SetBaudrate(c.baud);
    if (port_.FrameParitybit() != c.parity) port_.SetFrameParitybit(c.parity);
    if (port_.FrameStopbits() != c.stop) port_.SetFrameStopbits(c.stop);
}

void DeviceSearch::abortAll() {
    probes_.abort();
    types_.abort();
    if (state_ == SearchState::Searching) state_ = SearchState::Idle;
}

std::optional<int> DeviceSearch::takeOver(int index) {
    if (index < 0 || index >= int(found_.size()) || found_[std::size_t(index)].typeText.isEmpty())
        return std::nullopt;
    const SearchCombination at = found_[std::size_t(index)].at;
    closeAndSet(at.baud, at.parity, at.stop);
    return at.unit;
}

void DeviceSearch::cancel() {
    closeAndSet(savedBaud_, savedParity_, savedStop_);
}

void DeviceSearch::closeAndSet(TBaudrate baud, TParityBit parity, TStopBit stop) {
    abortAll();
    // A handle that fails to close is reported, but the settings still go
    // on the port: the main window opens it again with them.
    try {
        port_.SetActive(false);
    } catch (const std::exception& e) {
        view_.showError({}, QString::fromUtf8(e.what()));
    }
    port_.SetBaudrate(baud);
    port_.SetFrameParitybit(parity);
    port_.SetFrameStopbits(stop);
}

} // namespace kqm52
