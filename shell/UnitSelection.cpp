#include "shell/UnitSelection.h"

#include "link/ZRComm.h"
#include "ui/Dialogs.h"
#include "shell/FormMain.h"
#include "shell/LiveMonitor.h"
#include "ui/ProgramState.h"
#include "link/ReplyText.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cerrno>

namespace kqm52 {

namespace {

constexpr int ReplyBuffer = 100;

void showComInfo(QLabel* panel, const QString& text) {
    panel->setText(text);
}

} // namespace

UnitSelection::UnitSelection(TFormMain& window, ProgramState& state, Dialogs& dialogs)
    : RQ500UnitSelect(&window), RQ500TypeInfo(&window), window_(window), state_(state),
      dialogs_(dialogs) {
    for (TRQ500Protocol* c : {&RQ500UnitSelect, &RQ500TypeInfo}) {
        c->setUpForDevice(0);
        c->SetZRComm(&window.ZRComm1);
    }
    RQ500UnitSelect.setObjectName(QStringLiteral("RQ500UnitSelect"));
    RQ500TypeInfo.setObjectName(QStringLiteral("RQ500TypeInfo"));
    RQ500UnitSelect.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500UnitSelectCommResult(r);
    };
    RQ500UnitSelect.OnCommError = [this](TZRProtocolComponent*, const TCommError& e,
                                         const QByteArray&) { RQ500UnitSelectComError(e); };
    RQ500TypeInfo.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500TypeInfoCommResult(r);
    };
}

QString UnitSelection::lineSettingsText(const TZRComm& port) {
    static const char* const parity[] = {"N,", "E,", "O,"};
    return QString::number(baudrateValue(port.Baudrate())) + QLatin1Char(',') +
           QLatin1String(parity[int(port.FrameParitybit())]) +
           QString::number(dataBitsValue(port.FrameDatabits())) + QLatin1Char(',') +
           QString::number(stopBitsValue(port.FrameStopbits()));
}

QString UnitSelection::openErrorText(const QString& systemText, int systemError,
                                     const QString& device) {
    QString text = systemText;
    if (!device.isEmpty() && device != QLatin1String(PortMap::SimDevice))
        text += QStringLiteral("\n\nDevice: %1").arg(device);
    if (systemError == EACCES || systemError == EPERM) {
        const QString group = QFileInfo(device).group();
        text += QStringLiteral("\n\nThis user may not use the device. Access is given by "
                               "membership of the group \"%1\" that owns it, for example:\n"
                               "    sudo usermod -aG %1 $USER\n"
                               "then log out and in again.")
                    .arg(group.isEmpty() ? QStringLiteral("dialout") : group);
    }
    return text;
}

bool UnitSelection::deviceSearchIsActive() const {
    const auto& search = window_.secondaryWindows().FormApparaatZoeken;
    return search && QApplication::activeWindow() == search.data();
}

void UnitSelection::CmdSelectUnitClick() {
    TZRComm& port = window_.ZRComm1;
    if (port.Active()) {
        runReportingErrors(dialogs_, &window_, TFormMain::applicationTitle(),
                           [&] { port.SetActive(false); });
        state_.monitor.ActualOn = false;
        return;
    }
    try {
        port.SetActive(true);
    } catch (const ECommHandleError& e) {
        dialogs_.error(&window_, TFormMain::applicationTitle(),
                       openErrorText(e.message(), e.systemError(), port.devicePath()));
    } catch (const std::exception& e) {
        dialogs_.error(&window_, TFormMain::applicationTitle(), QString::fromLocal8Bit(e.what()));
    }
}

void UnitSelection::ZRComm1Activate() {
    const LanguageTexts& t = state_.language;
    TZRComm& port = window_.ZRComm1;
    window_.PanelComInfo->clear();
    window_.CmdSelectUnit->setText(t.text({"Main", "CmdComClose"}));
    for (QPushButton* b : {window_.CmdTerminalZenden, window_.CmdResetError, window_.CmdActual,
                           window_.CmdInUit, window_.CmdDuimwiel})
        b->setEnabled(true);
    window_.statusPanel(0)->setText(PortDisplayName(port.PortName()));
    window_.statusPanel(1)->setText(lineSettingsText(port));
    state_.unit.TypeInfoStep = 0;
    if (!deviceSearchIsActive()) {
        RQ500UnitSelect.SetASCIIProtocol(QStringLiteral("sc %1").arg(window_.SpinEditUnitSelect->value()));
        RQ500UnitSelect.Send();
    }
    window_.setCommunicationItemsEnabled(true);
}

void UnitSelection::ZRComm1Deactivate() {
    const LanguageTexts& t = state_.language;
    window_.PanelErrorNo->clear();
    window_.PanelComInfo->clear();
    window_.CmdTerminalZenden->setEnabled(false);
    window_.CmdSelectUnit->setText(t.text({"Main", "CmdComOpen"}));
    for (QPushButton* b :
         {window_.CmdResetError, window_.CmdActual, window_.CmdInUit, window_.CmdDuimwiel})
        b->setEnabled(false);
    window_.statusPanel(0)->clear();
    window_.statusPanel(1)->setText(QStringLiteral("Offline"));
    for (int i = 2; i < TFormMain::StatusPanelCount; ++i)
        window_.statusPanel(i)->clear();
    if (monitor_)
        monitor_->resetOffline();
    window_.setCommunicationItemsEnabled(false);
}

void UnitSelection::RQ500UnitSelectCommResult(const QByteArray&) {
    window_.PanelComInfo->clear();
    RQ500TypeInfo.SetASCIIProtocol(QStringLiteral("rt"));
    RQ500TypeInfo.Send();
}

void UnitSelection::RQ500TypeInfoCommResult(const QByteArray& result) {
    const QString text = replyText(result, ReplyBuffer);
    switch (state_.unit.TypeInfoStep) {
    case 0: {
        window_.statusPanel(2)->setText(text);
        state_.unit.DeviceType = text.left(4);
        const QString type = state_.unit.DeviceType;
        if (type != QLatin1String("MX52") && type != QLatin1String("MX53") &&
            state_.language.LanguageLoaded()) {
            const LanguageTexts& t = state_.language;
            dialogs_.messageBox(&window_, Dialogs::Icon::Warning,
                                t.text({"Main", "Msg_waarschuwingCaption"}),
                                t.text({"Main", "Msg_Melding_Geen_MX52"}), Dialogs::Button::Ok);
        }
        RQ500TypeInfo.SetASCIIProtocol(QStringLiteral("rh"));
        RQ500TypeInfo.Send();
        state_.unit.TypeInfoStep = 1;
        break;
    }
    case 1:
        window_.statusPanel(3)->setText(text);
        RQ500TypeInfo.SetASCIIProtocol(QStringLiteral("rx"));
        RQ500TypeInfo.Send();
        state_.unit.TypeInfoStep = 2;
        break;
    default:
        window_.statusPanel(4)->setText(text);
        break;
    }
}

void UnitSelection::RQ500UnitSelectComError(const TCommError& error) {
    const LanguageTexts& t = state_.language;
    window_.PanelErrorNo->clear();
    if (error.Code == CommCode::Timeout) {
        showComInfo(window_.PanelComInfo, t.text({"Main", "PanelTekst0"}));
    } else if (error.SystemError == 0 && error.LineErrors == 0) {
        return; // e.g. the all-clear after a recovery: the next good reply clears the panel
    } else {
        showComInfo(window_.PanelComInfo, t.text({"Main", "PanelTekst1"}) + QLatin1Char(' ') +
                                              QString::number(error.SystemError) +
                                              QStringLiteral(", ") +
                                              QString::number(error.LineErrors));
    }
}

} // namespace kqm52
