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

// The main window's way to the receive and send windows.
class TransferWindowPair : public TransferWindows {
  public:
    TransferWindowPair(TFormLeesParSoll& receiver, TFormSchrijfParSoll& sender)
        : receiver_(receiver), sender_(sender) {}
    std::optional<UnitTables> receive(int mode) override {
        if (receiver_.run(mode) != TransferWindow::ResultOK) return std::nullopt;
        return receiver_.tables();
    }
    SendReport send(int mode, const UnitTables& tables) override {
        sender_.tables() = tables;
        sender_.run(mode);
        return sender_.transfer().sendReport();
    }

  private:
    TFormLeesParSoll& receiver_;
    TFormSchrijfParSoll& sender_;
};

} // namespace

Program::Program(const StartOptions& options, const QString& programDir) : state_(programDir) {
    // The dialogs' own questions (replacing a file) speak the chosen language.
    dialogs_.setLanguage(&state_.language);
#ifdef KQM52_WITH_SIM
    // The simulated bus is always there, so a port mapped to "sim" in the
    // settings (or chosen in the serial window) works in any run; it costs
    // nothing until a port opens on it.
    installSimulatedBus(state_.portMap, makeDemoBus(programDir));
#endif
    if (options.demo) {
        // For this run only: the stored port map is written back untouched.
        state_.portMap.setOverride(QString::fromLatin1(PortMap::SimDevice));
#ifndef KQM52_WITH_SIM
        demoProblem_ =
            QStringLiteral("This build has no simulated bus; --demo cannot open a port.");
#endif
    }

    // The main window first: its creation reads the settings and texts the
    // others rely on, and it must not touch them.
    formMain_ = std::make_unique<TFormMain>(state_, dialogs_, options);
    // The secondary windows follow in this order, each owned by the main
    // window: TFormAbout, TFormEditParam, TFormOpties, TFormInitSerial,
    // TFormParamService, TFormEditSollwerten, TFormDisplayNokken,
    // TFormLeesParSoll, TFormApparaatZoeken, TFormSchrijfParSoll,
    // TFormInfoErrorNummers, TFormParLoader, TFormCalibratie,
    // TFormAfdrukkenPar, TFormAfdrukkenSoll, TFormGrafiek.  Those not part
    // of this build yet stay null; their menu items stay disabled.
    TFormMain* main = formMain_.get();
    windows_.FormAbout = new TFormAbout(state_.language, main);
    // The options window renews the main window's texts without knowing it.
    windows_.FormOpties = new TFormOpties(
        state_, dialogs_, [main] { main->LezenTeksten(); }, main);
    auto* editParam = new TFormEditParam(state_, dialogs_, main);
    windows_.FormEditParam = editParam;
    auto portOpen = [main] { return main->ZRComm1.Active(); };
    windows_.FormParamService = new TFormParamService(state_, main->ZRComm1, portOpen, main);
    windows_.FormInitSerial =
        new TFormInitSerial(main->ZRComm1, state_.portMap, state_.language, dialogs_, main);
    windows_.FormInfoErrorNummers = new TFormInfoErrorNummers(state_, dialogs_, main);
    auto* editSollwerten = new TFormEditSollwerten(state_, main->ZRComm1, dialogs_, main);
    windows_.FormEditSollwerten = editSollwerten;
    windows_.FormDisplayNokken = new TFormDisplayNokken(state_, main);
    auto* receiver = new TFormLeesParSoll(main->ZRComm1, state_.language, main);
    windows_.FormLeesParSoll = receiver;
    auto* sender = new TFormSchrijfParSoll(main->ZRComm1, state_.language, main);
    windows_.FormSchrijfParSoll = sender;
    transfers_ = std::make_unique<TransferWindowPair>(*receiver, *sender);
    windows_.transfers = transfers_.get();
    // The unit a search takes over goes into the main window's unit selector;
    // its line settings are already on the port.
    windows_.FormApparaatZoeken = new TFormApparaatZoeken(
        state_, main->ZRComm1, dialogs_, [main](int unit) { main->setUnitNumber(unit); }, main);
    windows_.FormCalibratie = new TFormCalibratie(main->ZRComm1, state_.language, dialogs_, main);
    windows_.FormAfdrukkenPar = new TFormAfdrukkenPar(state_, dialogs_, main);
    auto* afdrukkenSoll = new TFormAfdrukkenSoll(state_, dialogs_, main);
    windows_.FormAfdrukkenSoll = afdrukkenSoll;
    windows_.FormParLoader = new TFormParLoader(state_, main->ZRComm1, main);
    windows_.FormGrafiek = new TFormGrafiek(state_, main->ZRComm1, dialogs_, main);

    // The setpoint file carries the unit selected in the main window.
    QPointer<QSpinBox> unitSelect =
        main->findChild<QSpinBox*>(QStringLiteral("SpinEditUnitSelect"));
    editSollwerten->setUnitNumber([unitSelect] { return unitSelect ? unitSelect->value() : 0; });
    editSollwerten->setPrintWindow(afdrukkenSoll);
    // Setpoints go through the transfer windows in their setpoints-only mode.
    constexpr int SetpointsOnly = 1;
    TransferWindows* transfers = transfers_.get();
    editSollwerten->setTransfers(
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
    wireParameterEditor(*editParam, portOpen);
    formMain_->setSecondaryWindows(windows_);
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
    auto modal = [this, &editor](QPointer<QDialog> window) {
        return [this, &editor, window] {
            if (window)
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
    h.editParameter = modal(windows_.FormParamService);
    h.loader = modal(windows_.FormParLoader);
    if (windows_.FormDisplayNokken) h.showCams = modal(windows_.FormDisplayNokken);
    if (windows_.FormAfdrukkenPar) h.print = modal(windows_.FormAfdrukkenPar);
}

Program::~Program() = default;

} // namespace kqm52
