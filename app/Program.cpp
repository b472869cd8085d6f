#include "app/Program.h"

#include "dialogs/FormAbout.h"
#include "dialogs/FormInfoErrorNummers.h"
#include "dialogs/FormInitSerial.h"
#include "dialogs/FormOpties.h"
#include "params/FormAfdrukkenPar.h"
#include "params/FormEditParam.h"
#include "params/FormLeesParSoll.h"
#include "params/FormParLoader.h"
#include "params/FormParamService.h"
#include "params/FormSchrijfParSoll.h"
#include "setpoints/FormAfdrukkenSoll.h"
#include "setpoints/FormEditSollwerten.h"
#include "shell/FormMain.h"
#include "tools/FormApparaatZoeken.h"
#include "tools/FormCalibratie.h"
#include "tools/FormDisplayNokken.h"
#include "tools/FormGrafiek.h"

#include <QPointer>
#include <QSpinBox>

#ifdef KQM52_WITH_SIM
#include "sim/DemoBus.h"
#include "sim/SimDriver.h"
#endif

namespace kqm52 {

namespace {

// The main window's way to the receive and send windows, each made when a
// transfer first needs it.
class TransferWindowPair : public TransferWindows {
  public:
    TransferWindowPair(std::function<TFormLeesParSoll*()> receiver,
                       std::function<TFormSchrijfParSoll*()> sender)
        : receiver_(std::move(receiver)), sender_(std::move(sender)) {}
    std::optional<UnitTables> receive(int mode) override {
        TFormLeesParSoll& receiver = *receiver_();
        if (receiver.run(mode) != TransferWindow::ResultOK) return std::nullopt;
        return receiver.tables();
    }
    SendReport send(int mode, const UnitTables& tables) override {
        TFormSchrijfParSoll& sender = *sender_();
        sender.tables() = tables;
        sender.run(mode);
        return sender.transfer().sendReport();
    }

  private:
    std::function<TFormLeesParSoll*()> receiver_;
    std::function<TFormSchrijfParSoll*()> sender_;
};

} // namespace

Program::Program(const StartOptions& options, const QString& programDir) : state_(programDir) {
    // The dialogs' own questions (replacing a file) speak the chosen language.
    dialogs_.setLanguage(&state_.language);
#ifdef KQM52_WITH_SIM
    // The simulated bus is always there, so a port mapped to "sim" in the
    // settings (or chosen in the serial window) works in any run.  It reads
    // the catalogue for its units, so it is built when a port first opens
    // on it, not at start.
    state_.portMap.registerDriver(
        QString::fromLatin1(PortMap::SimDevice),
        [bus = std::shared_ptr<SimBus>(), programDir]() mutable -> std::unique_ptr<SerialDriver> {
            if (!bus) bus = makeDemoBus(programDir);
            return std::make_unique<SimDriver>(bus);
        });
#endif
    if (options.demo) // for this run only: the stored port map is written back untouched
        state_.portMap.setOverride(QString::fromLatin1(PortMap::SimDevice));

    // The main window first: its creation reads the settings and texts the
    // others rely on, and it must not touch them.
    formMain_ = std::make_unique<TFormMain>(state_, dialogs_, options);
#ifndef KQM52_WITH_SIM
    // Said once the main window has loaded the language.
    if (options.demo) demoProblem_ = state_.language.text(TextId{"Main", "MsgDemoNoSim"});
#endif
    // The secondary windows, each owned by the main window, are made when
    // they are first needed: a start pays only for the main window.  Those
    // not part of this build stay empty; their menu items stay disabled.
    TFormMain* main = formMain_.get();
    SecondaryWindows& w = windows_;
    w.FormAbout =
        LazyWindow<QDialog>([this, main] { return new TFormAbout(state_.language, main); });
    // The options window renews the main window's texts without knowing it.
    w.FormOpties = LazyWindow<QDialog>([this, main] {
        return new TFormOpties(
            state_, dialogs_, [main] { main->LezenTeksten(); }, main);
    });
    auto portOpen = [main] { return main->ZRComm1.Active(); };
    w.FormEditParam = LazyWindow<QDialog>([this, main, portOpen] {
        auto* editor = new TFormEditParam(state_, dialogs_, main);
        wireParameterEditor(*editor, portOpen);
        return editor;
    });
    w.FormParamService = LazyWindow<QDialog>([this, main, portOpen] {
        return new TFormParamService(state_, main->ZRComm1, portOpen, main);
    });
    w.FormInitSerial = LazyWindow<QDialog>([this, main] {
        return new TFormInitSerial(main->ZRComm1, state_.portMap, state_.language, dialogs_, main);
    });
    w.FormInfoErrorNummers = LazyWindow<QWidget>(
        [this, main] { return new TFormInfoErrorNummers(state_, dialogs_, main); });
    w.FormEditSollwerten = LazyWindow<QDialog>([this, main] {
        auto* editor = new TFormEditSollwerten(state_, main->ZRComm1, dialogs_, main);
        wireSetpointEditor(*editor);
        return editor;
    });
    w.FormDisplayNokken =
        LazyWindow<QDialog>([this, main] { return new TFormDisplayNokken(state_, main); });
    w.FormLeesParSoll = LazyWindow<QDialog>(
        [this, main] { return new TFormLeesParSoll(main->ZRComm1, state_.language, main); });
    w.FormSchrijfParSoll = LazyWindow<QDialog>(
        [this, main] { return new TFormSchrijfParSoll(main->ZRComm1, state_.language, main); });
    transfers_ = std::make_unique<TransferWindowPair>(
        [this] { return static_cast<TFormLeesParSoll*>(windows_.FormLeesParSoll.get()); },
        [this] { return static_cast<TFormSchrijfParSoll*>(windows_.FormSchrijfParSoll.get()); });
    w.transfers = transfers_.get();
    // The unit a search takes over goes into the main window's unit selector;
    // its line settings are already on the port.
    w.FormApparaatZoeken = LazyWindow<QDialog>([this, main] {
        return new TFormApparaatZoeken(
            state_, main->ZRComm1, dialogs_, [main](int unit) { main->setUnitNumber(unit); }, main);
    });
    w.FormCalibratie = LazyWindow<QDialog>([this, main] {
        return new TFormCalibratie(main->ZRComm1, state_.language, dialogs_, main);
    });
    w.FormAfdrukkenPar =
        LazyWindow<QDialog>([this, main] { return new TFormAfdrukkenPar(state_, dialogs_, main); });
    w.FormAfdrukkenSoll = LazyWindow<QDialog>(
        [this, main] { return new TFormAfdrukkenSoll(state_, dialogs_, main); });
    w.FormParLoader = LazyWindow<QDialog>(
        [this, main] { return new TFormParLoader(state_, main->ZRComm1, main); });
    w.FormGrafiek = LazyWindow<QDialog>(
        [this, main] { return new TFormGrafiek(state_, main->ZRComm1, dialogs_, main); });
    formMain_->setSecondaryWindows(windows_);
}

void Program::wireSetpointEditor(TFormEditSollwerten& editor) {
    TFormMain& main = *formMain_;
    // The setpoint file carries the unit selected in the main window.
    QPointer<QSpinBox> unitSelect = main.findChild<QSpinBox*>(QStringLiteral("SpinEditUnitSelect"));
    editor.setUnitNumber([unitSelect] { return unitSelect ? unitSelect->value() : 0; });
    editor.setPrintWindow(static_cast<TFormAfdrukkenSoll*>(windows_.FormAfdrukkenSoll.get()));
    // Setpoints go through the transfer windows in their setpoints-only mode.
    constexpr int SetpointsOnly = 1;
    TransferWindows* transfers = transfers_.get();
    editor.setTransfers(
        [transfers]() -> std::optional<ParamTables::Setpoints> {
            if (auto tables = transfers->receive(SetpointsOnly)) return tables->setpoints;
            return std::nullopt;
        },
        [this, transfers](const ParamTables::Setpoints& setpoints) {
            UnitTables tables;
            tables.parameters = state_.tables.parameters();
            tables.setpoints = setpoints;
            return transfers->send(SetpointsOnly, tables);
        });
}

void Program::wireParameterEditor(TFormEditParam& editor, std::function<bool()> portOpen) {
    TFormMain& main = *formMain_;
    EditParamHooks& h = editor.hooks();
    h.portOpen = std::move(portOpen);
    // The unit number the main window's selection shows goes into a saved file's header.
    QPointer<QSpinBox> unit = main.findChild<QSpinBox*>(QStringLiteral("SpinEditUnitSelect"));
    h.unitNumber = [unit] { return unit ? unit->value() : 0; };
    h.refreshFunctionTexts = [&main] {
        main.InputFunctieTeksten();
        main.OutputFunctieTeksten();
    };
    // Each window is shown modally and may be gone at close; a failure of
    // one reaches an error box, not the event loop.
    auto modal = [this, &editor](LazyWindow<QDialog> lazy) {
        return [this, &editor, lazy] {
            if (QDialog* window = lazy.get())
                runReportingErrors(dialogs_, &editor, TFormMain::applicationTitle(),
                                   [&] { window->exec(); });
        };
    };
    if (TransferWindows* transfers = windows_.transfers) {
        h.receiveParameters = [transfers]() -> std::optional<ParamTables::Parameters> {
            const std::optional<UnitTables> read = transfers->receive(0);
            if (!read) return std::nullopt;
            return read->parameters;
        };
        h.sendParameters = [transfers](const ParamTables::Parameters& values) {
            UnitTables tables;
            tables.parameters = values;
            return transfers->send(0, tables);
        };
    }
    h.writeParameters = [this](const ParamTables::Parameters& values,
                               const std::vector<int>& numbers) {
        auto* sender = static_cast<TFormSchrijfParSoll*>(windows_.FormSchrijfParSoll.get());
        return sender ? sender->writeOnly(values, numbers) : SendReport{};
    };
    h.editParameter = modal(windows_.FormParamService);
    h.loader = modal(windows_.FormParLoader);
    if (windows_.FormDisplayNokken) h.showCams = modal(windows_.FormDisplayNokken);
    if (windows_.FormAfdrukkenPar) h.print = modal(windows_.FormAfdrukkenPar);
}

Program::~Program() = default;

} // namespace kqm52
