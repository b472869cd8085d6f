#include "shell/LiveMonitor.h"

#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/LanguageTexts.h"
#include "shell/UnitSelection.h"

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

constexpr MonitorPanel ActualPanels[] = {MonitorPanel::ActPos, MonitorPanel::Snelheid,
                                         MonitorPanel::Spanning_in, MonitorPanel::Stroom_in,
                                         MonitorPanel::Analoog_in_AWE};
constexpr MonitorPanel ThumbwheelPanels[] = {MonitorPanel::DW1, MonitorPanel::DW2,
                                             MonitorPanel::DW3, MonitorPanel::DW4};

} // namespace

LiveMonitor::LiveMonitor(ProgramState& state, TZRComm& port, const LanguageTexts& texts,
                         LiveMonitorView& view, UnitSelection& unit)
    : state_(state), port_(port), texts_(texts), view_(view), unit_(unit) {
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
    numeric(RQ500ActPos, MonitorPanel::ActPos, LongBuffer, positionDecimals, "");
    numeric(RQ500Snelheid, MonitorPanel::Snelheid, LongBuffer, positionDecimals, "");
    numeric(RQ500Spanning_uit, MonitorPanel::Spanning_uit, LongBuffer, AnalogDecimals, " V");
    numeric(RQ500Stroom_uit, MonitorPanel::Stroom_uit, LongBuffer, AnalogDecimals, " mA");
    numeric(RQ500Spanning_in, MonitorPanel::Spanning_in, ShortBuffer, AnalogDecimals, " V");
    numeric(RQ500Stroom_in, MonitorPanel::Stroom_in, ShortBuffer, AnalogDecimals, " mA");

    handlers_.bind(
        RQ500Analoog_in_AWE, [this](const QByteArray& r) { RQ500Analoog_in_AWECommResult(r); },
        [this](const TCommError&, const QByteArray&) {
            view_.showPanel(MonitorPanel::Analoog_in_AWE, FailedMark);
        });
    const auto linkFailed = [this](const TCommError& e, const QByteArray&) {
        unit_.RQ500UnitSelectComError(e);
    };
    handlers_.bind(
        RQ500_in, [this](const QByteArray& r) { RQ500_inCommResult(r); }, linkFailed);
    handlers_.bind(RQ500_uit, [this](const QByteArray& r) { RQ500_uitCommResult(r); }, {});
    handlers_.bind(
        RQ500ReadError, [this](const QByteArray& r) { RQ500ReadErrorCommResult(r); }, linkFailed);

    std::vector<RequestSequence::Item> wheels(4);
    for (int i = 0; i < 4; ++i) {
        wheels[std::size_t(i)].request = unit::readThumbwheel(i + 1);
        wheels[std::size_t(i)].parse = [this](const QByteArray& r) {
            RQ500DuimwielCommResult(r);
            return RequestSequence::Verdict::Good;
        };
    }
    thumbwheels_.setItems(std::move(wheels));
    thumbwheels_.setRepeat(true);
    thumbwheels_.onItemStarted = [this](int index) { state_.monitor.ThumbwheelIndex = index + 1; };
    // A failed request ends the reading until the user switches it off and on.
    thumbwheels_.onItemDone = [this](int, const RequestSequence::ItemOutcome& o) {
        if (o.status == RequestSequence::ItemStatus::CommFailed) RQ500DuimwielCommError();
    };
}

void LiveMonitor::setup(TRQ500Protocol& c, const char* name) {
    c.setObjectName(QLatin1String(name));
    c.setUpForDevice(0);
    c.SetZRComm(&port_);
}

void LiveMonitor::numeric(TRQ500Protocol& c, MonitorPanel panel, int bufferSize, int decimals,
                          const char* unit) {
    const QString suffix = QLatin1String(unit);
    handlers_.bind(
        c,
        [this, &c, panel, bufferSize, decimals, suffix](const QByteArray& r) {
            valueResult(panel, unit::classifyReply(c.ASCIIProtocol(), r, bufferSize), decimals,
                        suffix);
        },
        [this, panel](const TCommError&, const QByteArray&) {
            view_.showPanel(panel, FailedMark);
        });
}

void LiveMonitor::colour(MonitorPanel panel, bool active) {
    view_.colourPanel(panel, active ? std::optional<QColor>(activeColour()) : std::nullopt);
}

void LiveMonitor::valueResult(MonitorPanel panel, const unit::Reply& reply, int decimals,
                              const QString& unit) {
    if (!state_.monitor.ActualOn) return;
    const std::optional<qint32> value = reply.readValue();
    view_.showPanel(panel,
                    value ? state_.tables.IntToDecStr(decimals, *value) + unit : UnreadableMark);
}

void LiveMonitor::ActualActief() {
    const LanguageTexts& t = texts_;
    if (!state_.monitor.ActualOn) {
        const auto start = [](TRQ500Protocol& c, unit::LiveValue value) {
            c.SetASCIIProtocol(unit::readLive(value));
            c.SetActive(true);
        };
        start(RQ500ActPos, unit::LiveValue::Position);
        start(RQ500Snelheid, unit::LiveValue::Velocity);
        // The analog output is read in the unit it is set up for, if any.
        const int mode = state_.tables.parameter(AnalogOutputModeParameter);
        if (mode == AnalogOutputVoltage) {
            start(RQ500Spanning_uit, unit::LiveValue::OutputVoltage);
            colour(MonitorPanel::Spanning_uit, true);
        } else if (mode == AnalogOutputCurrent) {
            start(RQ500Stroom_uit, unit::LiveValue::OutputCurrent);
            colour(MonitorPanel::Stroom_uit, true);
        }
        start(RQ500Spanning_in, unit::LiveValue::InputVoltage);
        start(RQ500Stroom_in, unit::LiveValue::InputCurrent);
        start(RQ500Analoog_in_AWE, unit::LiveValue::InputAwe);
        for (MonitorPanel p : ActualPanels)
            colour(p, true);
        view_.setButtonCaption(MonitorButton::Actual, t.text({"Main", "CmdActual_OFF"}));
        state_.monitor.ActualOn = true;
    } else {
        for (TRQ500Protocol* c :
             {&RQ500ActPos, &RQ500Snelheid, &RQ500Spanning_uit, &RQ500Stroom_uit, &RQ500Spanning_in,
              &RQ500Stroom_in, &RQ500Analoog_in_AWE})
            c->SetActive(false);
        for (MonitorPanel p : ActualPanels) {
            colour(p, false);
            view_.showPanel(p, {});
        }
        for (MonitorPanel p : {MonitorPanel::Spanning_uit, MonitorPanel::Stroom_uit}) {
            colour(p, false);
            view_.showPanel(p, {});
        }
        view_.setButtonCaption(MonitorButton::Actual, t.text({"Main", "CmdActual_ON"}));
        state_.monitor.ActualOn = false;
    }
}

void LiveMonitor::RQ500Analoog_in_AWECommResult(const QByteArray& result) {
    if (!state_.monitor.ActualOn) return;
    const unit::Reply reply =
        unit::classifyReply(unit::readLive(unit::LiveValue::InputAwe), result, LongBuffer);
    view_.showPanel(MonitorPanel::Analoog_in_AWE, reply.answers() ? reply.answer : UnreadableMark);
}

void LiveMonitor::InUitActief() {
    const LanguageTexts& t = texts_;
    if (!state_.monitor.IoOn) {
        RQ500_in.SetASCIIProtocol(unit::readInputs());
        RQ500_uit.SetASCIIProtocol(unit::readOutputs());
        RQ500_in.SetActive(true);
        RQ500_uit.SetActive(true);
        view_.setButtonCaption(MonitorButton::InUit, t.text({"Main", "CmdIO_OFF"}));
        state_.monitor.IoOn = true;
    } else {
        RQ500_in.SetActive(false);
        RQ500_uit.SetActive(false);
        view_.setButtonCaption(MonitorButton::InUit, t.text({"Main", "CmdIO_ON"}));
        state_.monitor.IoOn = false;
        view_.neutralLamps();
    }
}

void LiveMonitor::RQ500_inCommResult(const QByteArray& result) {
    if (!state_.monitor.IoOn) return;
    const unit::Inputs in =
        unit::inputsOf(unit::classifyReply(unit::readInputs(), result, ShortBuffer));
    view_.showInputs(in.k0, in.inputs);
}

void LiveMonitor::RQ500_uitCommResult(const QByteArray& result) {
    if (!state_.monitor.IoOn) return;
    view_.showOutputs(
        unit::outputsOf(unit::classifyReply(unit::readOutputs(), result, ShortBuffer)));
}

void LiveMonitor::DuimwielActief() {
    const LanguageTexts& t = texts_;
    auto& m = state_.monitor;
    if (!m.ThumbwheelOn) {
        m.ThumbwheelIndex = 1;
        thumbwheels_.start();
        for (MonitorPanel p : ThumbwheelPanels)
            colour(p, true);
        view_.setButtonCaption(MonitorButton::Duimwiel, t.text({"Main", "CmdDuimwiel_OFF"}));
        m.ThumbwheelOn = true;
    } else {
        // The reply on its way is ignored and nothing more is sent.
        thumbwheels_.cancel();
        view_.setButtonCaption(MonitorButton::Duimwiel, t.text({"Main", "CmdDuimwiel_ON"}));
        m.ThumbwheelOn = false;
        for (MonitorPanel p : ThumbwheelPanels) {
            colour(p, false);
            view_.showPanel(p, {});
        }
    }
}

void LiveMonitor::RQ500DuimwielCommResult(const QByteArray& result) {
    auto& m = state_.monitor;
    if (!m.ThumbwheelOn) return;
    const int n = std::clamp(m.ThumbwheelIndex, 1, 4);
    m.ThumbwheelIndex = n % 4 + 1;
    const MonitorPanel panel = ThumbwheelPanels[n - 1];
    // A reply about another thumbwheel is no value of this one.
    const std::optional<qint32> value =
        unit::classifyReply(unit::readThumbwheel(n), result, LongBuffer).readValue();
    if (value) {
        view_.showPanel(panel,
                        state_.tables.IntToDecStr(ParamTables::DecimalsFromParameter203, *value));
        m.ThumbwheelValue(n) = *value;
    } else {
        view_.showPanel(panel, UnreadableMark);
        m.ThumbwheelValue(n) = 0;
    }
}

void LiveMonitor::RQ500DuimwielCommError() {
    const int n = std::clamp(state_.monitor.ThumbwheelIndex, 1, 4);
    view_.showPanel(ThumbwheelPanels[n - 1], FailedMark);
}

void LiveMonitor::Timer1Timer() {
    if (view_.transferWindowActive() || !port_.Active()) return;
    RQ500ReadError.SetASCIIProtocol(unit::readErrorNumber());
    RQ500ReadError.Send();
}

void LiveMonitor::RQ500ReadErrorCommResult(const QByteArray& result) {
    view_.showComInfo({});
    const unit::Reply reply = unit::classifyReply(unit::readErrorNumber(), result, LongBuffer);
    if (unit::reportsNoError(reply))
        view_.showErrorNo({});
    else
        view_.showErrorNo(QStringLiteral("MX52... Error: ") +
                          (reply.answers() ? reply.answer : UnreadableMark));
    if (errorDots_ == FullDots) errorDots_.clear();
    errorDots_ += QStringLiteral(". ");
    view_.showStatus(5, errorDots_);
}

void LiveMonitor::CmdResetErrorClick() {
    RQ500ResetError.SetASCIIProtocol(unit::resetError());
    RQ500ResetError.Send();
}

void LiveMonitor::switchOff() {
    if (state_.monitor.IoOn) InUitActief();
    if (state_.monitor.ActualOn) ActualActief();
    if (state_.monitor.ThumbwheelOn) DuimwielActief();
}

void LiveMonitor::resetOffline() {
    const LanguageTexts& t = texts_;
    thumbwheels_.abort(); // the port took its request along
    for (int i = 0; i < MonitorPanelCount; ++i) {
        view_.showPanel(MonitorPanel(i), {});
        colour(MonitorPanel(i), false);
    }
    view_.setButtonCaption(MonitorButton::Actual, t.text({"Main", "CmdActual_ON"}));
    view_.setButtonCaption(MonitorButton::InUit, t.text({"Main", "CmdIO_ON"}));
    view_.setButtonCaption(MonitorButton::Duimwiel, t.text({"Main", "CmdDuimwiel_ON"}));
    view_.neutralLamps();
    state_.monitor.ActualOn = false;
    state_.monitor.IoOn = false;
    state_.monitor.ThumbwheelOn = false;
    errorDots_.clear();
}

} // namespace kqm52
