#include "shell/LiveMonitor.h"

#include "link/ZRComm.h"
#include "shell/FormMain.h"
#include "ui/Lamp.h"
#include "ui/ProgramState.h"
#include "link/ReplyText.h"
#include "shell/UnitSelection.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace kqm52 {

namespace {

constexpr int LongBuffer = 100;
constexpr int ShortBuffer = 20;
constexpr int AnalogDecimals = 4;
constexpr int AnalogOutputVoltage = 1;
constexpr int AnalogOutputCurrent = 2;
constexpr int AnalogOutputModeParameter = 388;
const QString UnreadableMark = QStringLiteral("????");
const QString FailedMark = QStringLiteral("?");
const QString FullDots = QStringLiteral(". . . . . . ");

} // namespace

LiveMonitor::LiveMonitor(TFormMain& window, ProgramState& state, UnitSelection& unit)
    : RQ500ActPos(&window), RQ500Snelheid(&window), RQ500Spanning_uit(&window),
      RQ500Stroom_uit(&window), RQ500Spanning_in(&window), RQ500Stroom_in(&window),
      RQ500Analoog_in_AWE(&window), RQ500_in(&window), RQ500_uit(&window),
      RQ500Duimwiel(&window), RQ500ReadError(&window), RQ500ResetError(&window), window_(window),
      state_(state), unit_(unit) {
    setup(RQ500ActPos, "RQ500ActPos");
    setup(RQ500Snelheid, "RQ500Snelheid");
    setup(RQ500Spanning_uit, "RQ500Spanning_uit");
    setup(RQ500Stroom_uit, "RQ500Stroom_uit");
    setup(RQ500Spanning_in, "RQ500Spanning_in");
    setup(RQ500Stroom_in, "RQ500Stroom_in");
    setup(RQ500Analoog_in_AWE, "RQ500Analoog_in_AWE");
    setup(RQ500_in, "RQ500_in");
    setup(RQ500_uit, "RQ500_uit");
    setup(RQ500Duimwiel, "RQ500Duimwiel");
    setup(RQ500ReadError, "RQ500ReadError");
    setup(RQ500ResetError, "RQ500ResetError");

    const int positionDecimals = ParamTables::DecimalsFromParameter203;
    numeric(RQ500ActPos, window.PanelActPos, LongBuffer, positionDecimals, "");
    numeric(RQ500Snelheid, window.PanelSnelheid, LongBuffer, positionDecimals, "");
    numeric(RQ500Spanning_uit, window.PanelSpanning_uit, LongBuffer, AnalogDecimals, " V");
    numeric(RQ500Stroom_uit, window.PanelStroom_uit, LongBuffer, AnalogDecimals, " mA");
    numeric(RQ500Spanning_in, window.PanelSpanning_in, ShortBuffer, AnalogDecimals, " V");
    numeric(RQ500Stroom_in, window.PanelStroom_in, ShortBuffer, AnalogDecimals, " mA");

    RQ500Analoog_in_AWE.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500Analoog_in_AWECommResult(r);
    };
    RQ500Analoog_in_AWE.OnCommError = [this](TZRProtocolComponent*, const TCommError&,
                                             const QByteArray&) {
        window_.PanelAnaloog_in_AWE->setText(FailedMark);
    };
    RQ500_in.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500_inCommResult(r);
    };
    RQ500_in.OnCommError = [this](TZRProtocolComponent*, const TCommError& e, const QByteArray&) {
        unit_.RQ500UnitSelectComError(e);
    };
    RQ500_uit.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500_uitCommResult(r);
    };
    RQ500Duimwiel.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500DuimwielCommResult(r);
    };
    RQ500Duimwiel.OnCommError = [this](TZRProtocolComponent*, const TCommError&,
                                       const QByteArray&) { RQ500DuimwielCommError(); };
    RQ500ReadError.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500ReadErrorCommResult(r);
    };
    RQ500ReadError.OnCommError = [this](TZRProtocolComponent*, const TCommError& e,
                                        const QByteArray&) { unit_.RQ500UnitSelectComError(e); };
}

void LiveMonitor::setup(TRQ500Protocol& c, const char* name) {
    c.setObjectName(QLatin1String(name));
    c.setUpForDevice(0);
    c.SetZRComm(&window_.ZRComm1);
}

void LiveMonitor::numeric(TRQ500Protocol& c, QLabel* panel, int bufferSize, int decimals,
                          const char* unit) {
    const QString suffix = QLatin1String(unit);
    c.OnCommResult = [this, panel, bufferSize, decimals, suffix](TZRProtocolComponent*,
                                                                  const QByteArray& r) {
        valueResult(panel, r, bufferSize, decimals, suffix);
    };
    c.OnCommError = [panel](TZRProtocolComponent*, const TCommError&, const QByteArray&) {
        panel->setText(FailedMark);
    };
}

void LiveMonitor::colour(QLabel* panel, bool active) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window,
               active ? activeColour() : QApplication::palette(panel).color(QPalette::Window));
    panel->setPalette(p);
}

void LiveMonitor::valueResult(QLabel* panel, const QByteArray& result, int bufferSize,
                              int decimals, const QString& unit) {
    if (!state_.monitor.ActualOn)
        return;
    const auto value = parseDeviceInteger(replyText(result, bufferSize));
    if (!value) {
        panel->setText(UnreadableMark);
        return;
    }
    panel->setText(state_.tables.IntToDecStr(decimals, *value) + unit);
}

void LiveMonitor::ActualActief() {
    const LanguageTexts& t = state_.language;
    QLabel* always[] = {window_.PanelActPos, window_.PanelSnelheid, window_.PanelSpanning_in,
                        window_.PanelStroom_in, window_.PanelAnaloog_in_AWE};
    if (!state_.monitor.ActualOn) {
        const auto start = [](TRQ500Protocol& c, const char* request) {
            c.SetASCIIProtocol(QLatin1String(request));
            c.SetActive(true);
        };
        start(RQ500ActPos, "r0");
        start(RQ500Snelheid, "r1");
        // The analog output is read in the unit it is set up for, if any.
        const int mode = state_.tables.parameter(AnalogOutputModeParameter);
        if (mode == AnalogOutputVoltage) {
            start(RQ500Spanning_uit, "r2");
            colour(window_.PanelSpanning_uit, true);
        } else if (mode == AnalogOutputCurrent) {
            start(RQ500Stroom_uit, "r3");
            colour(window_.PanelStroom_uit, true);
        }
        start(RQ500Spanning_in, "r4");
        start(RQ500Stroom_in, "r5");
        start(RQ500Analoog_in_AWE, "r6");
        for (QLabel* p : always)
            colour(p, true);
        window_.CmdActual->setText(t.text({"Main", "CmdActual_OFF"}));
        state_.monitor.ActualOn = true;
    } else {
        for (TRQ500Protocol* c : {&RQ500ActPos, &RQ500Snelheid, &RQ500Spanning_uit,
                                  &RQ500Stroom_uit, &RQ500Spanning_in, &RQ500Stroom_in,
                                  &RQ500Analoog_in_AWE})
            c->SetActive(false);
        for (QLabel* p : always) {
            colour(p, false);
            p->clear();
        }
        for (QLabel* p : {window_.PanelSpanning_uit, window_.PanelStroom_uit}) {
            colour(p, false);
            p->clear();
        }
        window_.CmdActual->setText(t.text({"Main", "CmdActual_ON"}));
        state_.monitor.ActualOn = false;
    }
}

void LiveMonitor::RQ500Analoog_in_AWECommResult(const QByteArray& result) {
    if (state_.monitor.ActualOn)
        window_.PanelAnaloog_in_AWE->setText(replyText(result, LongBuffer));
}

void LiveMonitor::InUitActief() {
    const LanguageTexts& t = state_.language;
    if (!state_.monitor.IoOn) {
        RQ500_in.SetASCIIProtocol(QStringLiteral("ri"));
        RQ500_uit.SetASCIIProtocol(QStringLiteral("ru"));
        RQ500_in.SetActive(true);
        RQ500_uit.SetActive(true);
        window_.CmdInUit->setText(t.text({"Main", "CmdIO_OFF"}));
        state_.monitor.IoOn = true;
    } else {
        RQ500_in.SetActive(false);
        RQ500_uit.SetActive(false);
        window_.CmdInUit->setText(t.text({"Main", "CmdIO_ON"}));
        state_.monitor.IoOn = false;
        window_.Disable_checkboxen_status_klemmen();
    }
}

void LiveMonitor::RQ500_inCommResult(const QByteArray& result) {
    if (!state_.monitor.IoOn)
        return;
    const qint32 bits = parseDeviceInteger(replyText(result, ShortBuffer)).value_or(0);
    window_.TB_K0->showBit(bits & 1);
    for (int i = 0; i < 4; ++i)
        window_.Tb_in[i]->showBit(bits & (2 << i));
}

void LiveMonitor::RQ500_uitCommResult(const QByteArray& result) {
    if (!state_.monitor.IoOn)
        return;
    const qint32 bits = parseDeviceInteger(replyText(result, ShortBuffer)).value_or(0);
    for (int i = 0; i < 4; ++i)
        window_.TbUitgang[i]->showBit(bits & (1 << i));
}

void LiveMonitor::DuimwielActief() {
    const LanguageTexts& t = state_.language;
    auto& m = state_.monitor;
    if (!m.ThumbwheelOn) {
        m.ThumbwheelIndex = 1;
        RQ500Duimwiel.SetASCIIProtocol(QStringLiteral("rd 1"));
        RQ500Duimwiel.Send();
        for (QLabel* p : window_.Panel_DW)
            colour(p, true);
        window_.CmdDuimwiel->setText(t.text({"Main", "CmdDuimwiel_OFF"}));
        m.ThumbwheelOn = true;
    } else {
        RQ500Duimwiel.SetActive(false);
        window_.CmdDuimwiel->setText(t.text({"Main", "CmdDuimwiel_ON"}));
        m.ThumbwheelOn = false;
        for (QLabel* p : window_.Panel_DW) {
            colour(p, false);
            p->clear();
        }
    }
}

void LiveMonitor::RQ500DuimwielCommResult(const QByteArray& result) {
    auto& m = state_.monitor;
    if (!m.ThumbwheelOn)
        return; // switched off while the reply was on its way: the chain ends here
    const QString text = replyText(result, LongBuffer).mid(2);
    const int n = std::clamp(m.ThumbwheelIndex, 1, 4);
    m.ThumbwheelIndex = n % 4 + 1;
    QLabel* panel = window_.Panel_DW[n - 1];
    if (const auto value = parseDeviceInteger(text)) {
        panel->setText(state_.tables.IntToDecStr(ParamTables::DecimalsFromParameter203, *value));
        m.ThumbwheelValue(n) = *value;
    } else {
        panel->setText(UnreadableMark);
        m.ThumbwheelValue(n) = 0;
    }
    RQ500Duimwiel.SetASCIIProtocol(QStringLiteral("rd %1").arg(m.ThumbwheelIndex));
    RQ500Duimwiel.Send();
}

void LiveMonitor::RQ500DuimwielCommError() {
    const int n = std::clamp(state_.monitor.ThumbwheelIndex, 1, 4);
    window_.Panel_DW[n - 1]->setText(FailedMark);
}

bool LiveMonitor::transferWindowIsActive() const {
    const auto& w = window_.secondaryWindows();
    QWidget* active = QApplication::activeWindow();
    if (!active)
        return false;
    for (const QPointer<QDialog>& d : {w.FormApparaatZoeken, w.FormLeesParSoll, w.FormSchrijfParSoll})
        if (d && active == d.data())
            return true;
    return false;
}

void LiveMonitor::Timer1Timer() {
    if (transferWindowIsActive() || !window_.ZRComm1.Active())
        return;
    RQ500ReadError.SetASCIIProtocol(QStringLiteral("rf"));
    RQ500ReadError.Send();
}

void LiveMonitor::RQ500ReadErrorCommResult(const QByteArray& result) {
    window_.PanelComInfo->clear();
    const QString text = replyText(result, LongBuffer);
    if (text.isEmpty() || text.startsWith(QLatin1String("-1")))
        window_.PanelErrorNo->clear();
    else
        window_.PanelErrorNo->setText(QStringLiteral("MX52... Error: ") + text);
    if (errorDots_ == FullDots)
        errorDots_.clear();
    errorDots_ += QStringLiteral(". ");
    window_.statusPanel(5)->setText(errorDots_);
}

void LiveMonitor::CmdResetErrorClick() {
    RQ500ResetError.SetASCIIProtocol(QStringLiteral("wf"));
    RQ500ResetError.Send();
}

void LiveMonitor::switchOff() {
    if (state_.monitor.IoOn)
        InUitActief();
    if (state_.monitor.ActualOn)
        ActualActief();
    if (state_.monitor.ThumbwheelOn)
        DuimwielActief();
}

void LiveMonitor::resetOffline() {
    const LanguageTexts& t = state_.language;
    for (QLabel* p : {window_.PanelActPos, window_.PanelSnelheid, window_.PanelSpanning_uit,
                      window_.PanelStroom_uit, window_.PanelSpanning_in, window_.PanelStroom_in,
                      window_.PanelAnaloog_in_AWE}) {
        p->clear();
        colour(p, false);
    }
    for (QLabel* p : window_.Panel_DW) {
        p->clear();
        colour(p, false);
    }
    window_.CmdActual->setText(t.text({"Main", "CmdActual_ON"}));
    window_.CmdInUit->setText(t.text({"Main", "CmdIO_ON"}));
    window_.CmdDuimwiel->setText(t.text({"Main", "CmdDuimwiel_ON"}));
    window_.Disable_checkboxen_status_klemmen();
    state_.monitor.ActualOn = false;
    state_.monitor.IoOn = false;
    state_.monitor.ThumbwheelOn = false;
    errorDots_.clear();
}

} // namespace kqm52
