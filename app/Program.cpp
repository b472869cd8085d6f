#include "app/Program.h"

#include "dialogs/FormInitSerial.h"
#include "shell/FormMain.h"
#include "tools/FormApparaatZoeken.h"
#include "tools/FormCalibratie.h"
#include "tools/FormDisplayNokken.h"
#include "tools/FormGrafiek.h"

#ifdef KQM52_WITH_SIM
#include "sim/DemoBus.h"
#include "sim/SimDriver.h"
#endif

namespace kqm52 {

Program::Program(const StartOptions& options, const QString& programDir) : state_(programDir) {
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
    windows_.FormInitSerial = new TFormInitSerial(formMain_->ZRComm1, state_.portMap,
                                                  state_.language, dialogs_, formMain_.get());
    windows_.FormDisplayNokken = new TFormDisplayNokken(state_, formMain_.get());
    // The unit a search takes over goes into the main window's unit selector;
    // its line settings are already on the port.
    TFormMain* formMain = formMain_.get();
    windows_.FormApparaatZoeken = new TFormApparaatZoeken(
        state_, formMain_->ZRComm1, dialogs_,
        [formMain](int unit) { formMain->setUnitNumber(unit); }, formMain);
    windows_.FormCalibratie = new TFormCalibratie(formMain_->ZRComm1, dialogs_, formMain);
    windows_.FormGrafiek = new TFormGrafiek(state_, formMain_->ZRComm1, dialogs_, formMain_.get());
    formMain_->setSecondaryWindows(windows_);
}

Program::~Program() = default;

} // namespace kqm52
