#include "shell/UnitSelection.h"

#include "link/SerialDriver.h"
#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"
#include "shell/ApplicationTitle.h"
#include "shell/LiveMonitor.h"
#include "shell/OnlineView.h"
#include "ui/PortOpenFailure.h"

namespace kqm52 {

namespace {

constexpr int ReplyBuffer = 100;

} // namespace

UnitSelection::UnitSelection(ProgramState& state, TZRComm& port, const LanguageTexts& texts,
                             UnitSelectionView& view, Dialogs& dialogs, DialogOwner owner)
    : state_(state), port_(port), texts_(texts), view_(view), dialogs_(dialogs), owner_(owner) {
    for (TRQ500Protocol* c : {&RQ500UnitSelect, &RQ500TypeInfo}) {
        c->setUpForDevice(0);
        c->SetZRComm(&port);
    }
    RQ500UnitSelect.setObjectName(QStringLiteral("RQ500UnitSelect"));
    RQ500TypeInfo.setObjectName(QStringLiteral("RQ500TypeInfo"));
    handlers_.bind(
        RQ500UnitSelect, [this](const QByteArray& r) { RQ500UnitSelectCommResult(r); },
        [this](const TCommError& e, const QByteArray&) { RQ500UnitSelectComError(e); });

    // "rt", "rh", "rx" once per opening.  A request without a reply ends the
    // chain there: the unit select already said whether the unit answers.
    // A reply that is not the unit's to the request is asked for once more,
    // after the line has fallen silent.
    std::vector<RequestSequence::Item> items(3);
    for (int i = 0; i < 3; ++i) {
        items[std::size_t(i)].request = identificationRequest(i);
        items[std::size_t(i)].parse = [this](const QByteArray& r) {
            return RQ500TypeInfoCommResult(r) ? RequestSequence::Verdict::Good
                                              : RequestSequence::Verdict::Bad;
        };
    }
    identification_.setItems(std::move(items));
    identification_.onItemStarted = [this](int index) { state_.unit.TypeInfoStep = index; };
}

QString UnitSelection::linkErrorText(const QString& linkErrorCaption, const TCommError& error,
                                     const QString& device) {
    if (error.SystemError == 0)
        return linkErrorCaption + QLatin1Char(' ') + QString::number(error.SystemError) +
               QStringLiteral(", ") + QString::number(error.LineErrors);
    // "5, 0" tells a service engineer nothing; "Input/output error" and the
    // device tell him the converter has gone.
    QString text = linkErrorCaption + QLatin1Char(' ') +
                   QString::fromStdString(systemErrorText(error.SystemError));
    if (!device.isEmpty() && device != QLatin1String(PortMap::SimDevice))
        text += QStringLiteral(" (%1)").arg(device);
    return text;
}

void UnitSelection::CmdSelectUnitClick() {
    if (port_.Active()) {
        try {
            port_.SetActive(false);
        } catch (const std::exception& e) {
            dialogs_.error(owner_, applicationTitle(), QString::fromLocal8Bit(e.what()));
        }
        state_.monitor.ActualOn = false;
        return;
    }
    try {
        port_.SetActive(true);
    } catch (const ECommHandleError& e) {
        const QString device = port_.devicePath();
        dialogs_.error(owner_, applicationTitle(),
                       portOpenFailureText(texts_, port_.portMap().familyOf(device),
                                           port_.PortName(), device,
                                           portOpenReason(texts_, port_.portMap(), e),
                                           e.systemError(), DeviceAccess::of(device)));
    } catch (const std::exception& e) {
        dialogs_.error(owner_, applicationTitle(), QString::fromLocal8Bit(e.what()));
    }
}

void UnitSelection::ZRComm1Activate() {
    view_.showComInfo({});
    view_.setOnline(true, texts_.text({"Main", "CmdComClose"}));
    view_.showStatus(0, PortDisplayName(port_.PortName()));
    view_.showStatus(1, portLineText(texts_, port_));
    state_.unit.TypeInfoStep = 0;
    if (!view_.deviceSearchActive()) {
        RQ500UnitSelect.SetASCIIProtocol(unit::selectUnit(view_.unitNumber()));
        RQ500UnitSelect.Send();
    }
}

void UnitSelection::ZRComm1Deactivate() {
    identification_.abort();
    view_.showErrorNo({});
    // A port that closed itself because its device went away says why, so the
    // user knows to plug the converter in again before pressing Open.
    if (port_.LastSystemError() != 0)
        view_.showComInfo(linkErrorText(texts_.text({"Main", "PanelTekst1"}),
                                        {CommCode::DriverFailed, port_.LastSystemError(), 0},
                                        port_.devicePath()));
    else
        view_.showComInfo({});
    view_.setOnline(false, texts_.text({"Main", "CmdComOpen"}));
    view_.showStatus(0, {});
    view_.showStatus(1, QStringLiteral("Offline"));
    for (int i = 2; i < 6; ++i)
        view_.showStatus(i, {});
    if (monitor_) monitor_->resetOffline();
}

void UnitSelection::RQ500UnitSelectCommResult(const QByteArray&) {
    view_.showComInfo({});
    identification_.start();
}

QString UnitSelection::identificationRequest(int step) {
    return step == 0 ? unit::readType() : step == 1 ? unit::readHardware() : unit::readExtra();
}

bool UnitSelection::RQ500TypeInfoCommResult(const QByteArray& result) {
    // Cut to the buffer, a reply would pass for a type it does not name, and
    // another request's reply (a late one, or the rest of one) names nothing:
    // either shows as unreadable and no type is kept.
    const int step = state_.unit.TypeInfoStep;
    const unit::Reply reply = unit::classifyReply(identificationRequest(step), result, ReplyBuffer);
    const bool usable = reply.answers();
    const QString text = usable ? reply.answer : QStringLiteral("????");
    switch (step) {
    case 0: {
        view_.showStatus(2, text);
        if (!usable) {
            state_.unit.DeviceType.clear();
            break;
        }
        state_.unit.DeviceType = unit::deviceType(reply);
        const QString type = state_.unit.DeviceType;
        if (type != QLatin1String("MX52") && type != QLatin1String("MX53") &&
            state_.language.LanguageLoaded())
            dialogs_.warning(owner_, texts_.text({"Main", "Msg_waarschuwingCaption"}),
                             texts_.text({"Main", "Msg_Melding_Geen_MX52"}));
        break;
    }
    case 1:
        view_.showStatus(3, text);
        break;
    default:
        view_.showStatus(4, text);
        break;
    }
    // Asked again, a reply too long for the buffer would be as long.
    return usable || reply.tooLong;
}

void UnitSelection::RQ500UnitSelectComError(const TCommError& error) {
    view_.showErrorNo({});
    if (error.Code == CommCode::Timeout)
        view_.showComInfo(texts_.text({"Main", "PanelTekst0"}));
    else if (error.SystemError == 0 && error.LineErrors == 0)
        return; // e.g. the all-clear after a recovery: the next good reply clears the panel
    else
        view_.showComInfo(
            linkErrorText(texts_.text({"Main", "PanelTekst1"}), error, port_.devicePath()));
}

} // namespace kqm52
