#include "app/Program.h"

#include "dialogs/FormAbout.h"
#include "dialogs/FormInfoErrorNummers.h"
#include "dialogs/FormInitSerial.h"
#include "dialogs/FormOpties.h"
#include "params/FormAfdrukkenPar.h"
#include "params/FormCompareParam.h"
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
#include "tools/FormJournal.h"

#include "model/engines/DataFiles.h"
#include "model/files/SettingsFile.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"
#include "model/values/GroupTree.h"
#include "model/values/ParameterCatalogue.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QTimer>

#include <future>
#include <system_error>
#include <vector>

#ifdef KQM52_WITH_SIM
#include "sim/DemoBus.h"
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
    std::optional<UnitTables> receive(TableTransfer::Mode mode) override {
        TFormLeesParSoll& receiver = *receiver_();
        if (receiver.run(mode) != TransferWindow::ResultOK) return std::nullopt;
        return receiver.tables();
    }
    SendReport send(TableTransfer::Mode mode, const UnitTables& tables) override {
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

// The language and catalogue files as a start reads them, into objects of
// their own: a worker fills them while the main window builds its widgets,
// and hands them over whole.
struct StartFiles {
    LanguageTexts language;
    bool languageRead = false;
    ReadProblem languageProblem;
    ParameterCatalogue catalogue;
    ReadProblem definitionsProblem;
    ReadProblem numbersProblem;
    // Files of the user's own that failed, the installed ones read instead:
    // told on the main thread once the window is up.
    std::vector<ReadProblem> ownFilesFailed;

    static StartFiles read(const ProgramFolders& folders, int languageNo) {
        StartFiles f;
        const OwnFileFailed failed = [&f](const ReadProblem& p) { f.ownFilesFailed.push_back(p); };
        f.languageRead =
            readLanguageFile(f.language, folders, languageNo, failed, &f.languageProblem);
        readParameterDefinitions(f.catalogue, folders, failed, &f.definitionsProblem);
        readParameterNumbers(f.catalogue, folders, failed, &f.numbersProblem);
        return f;
    }
};

namespace {

// Starts reading on a worker; when no thread can be had, reads at once.
// Only copies of the folders and the number cross to it.
std::future<StartFiles> readStartFiles(const ProgramFolders& folders, int languageNo) {
    try {
        return std::async(std::launch::async, &StartFiles::read, folders, languageNo);
    } catch (const std::system_error&) {
        std::promise<StartFiles> now;
        now.set_value(StartFiles::read(folders, languageNo));
        return now.get_future();
    }
}

} // namespace

Program::Program(const StartOptions& options, const ProgramFolders& folders)
    : Program(options, folders, std::make_unique<QtDialogs>(), nullptr) {}

Program::Program(const StartOptions& options, const ProgramFolders& folders, Dialogs& dialogs)
    : Program(options, folders, nullptr, &dialogs) {}

Program::Program(const StartOptions& options, const ProgramFolders& folders,
                 std::unique_ptr<QtDialogs> ownDialogs, Dialogs* dialogs)
    : state_(folders), ownDialogs_(std::move(ownDialogs)),
      dialogs_(dialogs ? *dialogs : *ownDialogs_) {
    // The dialogs' own questions (replacing a file) speak the chosen language.
    dialogs_.setLanguage(&state_.language);
#ifdef KQM52_WITH_SIM
    // The simulated bus is always there, so a port mapped to "sim" in the
    // settings (or chosen in the serial window) works in any run.  It reads
    // the catalogue for its units, so it is built when a port first opens
    // on it, not at start.
    installDemoBus(state_.portMap, folders.dataFolder(ParameterCatalogue::definitionFileName()));
#endif
    if (options.demo) // for this run only: the stored port map is written back untouched
        state_.portMap.setOverride(QString::fromLatin1(PortMap::SimDevice));

    port_.setObjectName(QStringLiteral("ZRComm1"));
    applyPortDefaults(port_);
    port_.setPortMap(&state_.portMap);
    journal_ = std::make_unique<ServiceJournal>(
        port_, folders.journalPath(),
        ServiceJournal::Origin{.program = QStringLiteral("kqm52"),
                               .version = QStringLiteral(KQM52_VERSION)});
    journal_->portText = [this] {
        const QString name = PortDisplayName(port_.PortName());
        const QString device = port_.devicePath();
        return device.isEmpty() || device == name
                   ? name
                   : name + QStringLiteral(" (") + device + QLatin1Char(')');
    };
    journal_->lineText = [this] { return portLineText(state_.language, port_); };

    // The settings first: they name the language.  The unit number they
    // hold goes into the main window's selector.
    int unitNo = 0;
    ReadProblem settingsProblem;
    SettingsFile::read(state_.settings.folders.settingsPath(), port_, unitNo, state_.settings,
                       state_.portMap, &settingsProblem);
    settingsRefused_ = settingsProblem.kind == ReadProblem::Kind::TooLarge;

    // The files are read while the window builds its widgets; neither touches
    // what the other does until get().
    std::future<StartFiles> files =
        readStartFiles(state_.settings.folders, state_.settings.LanguageNo);
    formMain_ = std::make_unique<TFormMain>(port_, state_, dialogs_, options);
    journal_->onProblem = [this](const QString& problem) { formMain_->showJournalOff(problem); };
    journal_->onMovedAside = [this](const QString& journal, const QString& aside) {
        formMain_->showJournalMovedAside(journal, aside);
    };
    formMain_->setUnitNumber(unitNo);
    // From here a refused file is told once the window is on screen.
    state_.refused(settingsProblem);
    take(files.get());
    prepareSettingsFolder();
    formMain_->start();
#ifndef KQM52_WITH_SIM
    // Said in the language just loaded.
    if (options.demo) demoProblem_ = state_.language.text(TextId{"Main", "MsgDemoNoSim"});
#endif
    createWindows();
    QObject::connect(formMain_.get(), &TFormMain::closing, formMain_.get(), [this] { shutDown(); });
}

void Program::applyPortDefaults(TZRComm& port) {
    // Property order matters: the hardware preset adjusts port type and drivers.
    port.SetFrameParitybit(TParityBit::Odd);
    port.SetPortType(TPortType::RS485);
    port.SetHardware(THardware::PCLabPCL745);
    port.SetTransmitDriver(TTransmitDriver::tdRegister7to1);
    port.SetReceiveDriver(TReceiveDriver::rdRegister7to2);
}

void Program::take(StartFiles&& files) {
    // Qt's message boxes and file and print dialogs speak the language of
    // the texts, or English when there are none.
    if (files.languageRead) {
        state_.language = std::move(files.language);
        state_.qtTexts.use(state_.settings.LanguageNo);
    }
    state_.refused(files.languageProblem);
    state_.catalogue = std::move(files.catalogue);
    state_.refused(files.definitionsProblem);
    state_.refused(files.numbersProblem);
    if (state_.ownFileFailed)
        for (const ReadProblem& problem : files.ownFilesFailed)
            state_.ownFileFailed(problem);
    state_.monitor.ActualOn = false;
    state_.monitor.ThumbwheelOn = false;
    // No parameter or setpoint list loaded yet, nothing changed.
    state_.tables.parameterSource = ParameterSource::Nothing;
    state_.tables.setpointSource = SetpointSource::Nothing;
    state_.tables.parametersModified = false;
    state_.tables.setpointsModified = false;
}

void Program::prepareSettingsFolder() {
    // Said once, at start, in the language just loaded; the close then
    // leaves the folder alone rather than failing a second time.
    QString reason;
    if (state_.settings.folders.prepareSettingsFolder(&reason)) return;
    settingsRefused_ = true;
    const QString text =
        state_.language.text(TextId{"Mappen", "MsgMapOnbruikbaar"})
            .arg(QDir::toNativeSeparators(state_.settings.folders.settingsDir()), reason);
    TFormMain* main = formMain_.get();
    QTimer::singleShot(
        0, main, [this, main, text] { dialogs_.error(main, TFormMain::applicationTitle(), text); });
}

void Program::shutDown() {
    // Closing the port stops every cyclic request of every window.
    runReportingErrors(dialogs_, formMain_.get(), TFormMain::applicationTitle(),
                       [this] { port_.SetActive(false); });
    state_.catalogue.release();
    saveSettings();
}

void Program::saveSettings() {
    if (settingsRefused_) return;
    const QString path = state_.settings.folders.settingsPath();
    QString error;
    if (!SettingsFile::write(path, port_, formMain_->unitNumber(), state_.settings, state_.portMap,
                             &error))
        dialogs_.error(formMain_.get(), TFormMain::applicationTitle(),
                       state_.language.text(TextId{"Main", "MsgSettingsNotSaved"}) +
                           QStringLiteral("\n\r") + error + QStringLiteral("\n\r") +
                           state_.language.text(TextId{"Main", "MsgSettingsOldFileKept"}));
}

void Program::createWindows() {
    // The secondary windows, each owned by the main window, are made when
    // they are first needed: a start pays only for the main window.  Those
    // not part of this build stay empty; their menu items stay disabled.
    TFormMain* main = formMain_.get();
    SecondaryWindows& w = windows_;
    w.FormAbout = LazyWindow<QDialog>(
        [this, main] { return new TFormAbout(state_.language, state_.settings.folders, main); });
    // The options window renews the main window's texts without knowing it.
    w.FormOpties = LazyWindow<QDialog>([this, main] {
        return new TFormOpties(
            state_, dialogs_, [main] { main->LezenTeksten(); }, main);
    });
    auto portOpen = [this] { return port_.Active(); };
    w.FormEditParam = LazyWindow<QDialog>([this, main, portOpen] {
        auto* editor = new TFormEditParam(state_, dialogs_, main);
        wireParameterEditor(*editor, portOpen);
        return editor;
    });
    w.FormParamService = LazyWindow<QDialog>(
        [this, main, portOpen] { return new TFormParamService(state_, port_, portOpen, main); });
    w.FormInitSerial = LazyWindow<QDialog>([this, main] {
        return new TFormInitSerial(port_, state_.portMap, state_.language, dialogs_, main);
    });
    w.FormInfoErrorNummers = LazyWindow<QWidget>(
        [this, main] { return new TFormInfoErrorNummers(state_, dialogs_, main); });
    w.FormEditSollwerten = LazyWindow<QDialog>([this, main] {
        auto* editor = new TFormEditSollwerten(state_, port_, dialogs_, main);
        wireSetpointEditor(*editor);
        return editor;
    });
    w.FormDisplayNokken =
        LazyWindow<QDialog>([this, main] { return new TFormDisplayNokken(state_, main); });
    w.FormLeesParSoll = receiveWindow_ = LazyWindow<TFormLeesParSoll>(
        [this, main] { return new TFormLeesParSoll(port_, state_.language, main); });
    w.FormSchrijfParSoll = sendWindow_ = LazyWindow<TFormSchrijfParSoll>(
        [this, main] { return new TFormSchrijfParSoll(port_, state_.language, main); });
    transfers_ = std::make_unique<TransferWindowPair>([this] { return receiveWindow_.get(); },
                                                      [this] { return sendWindow_.get(); });
    w.transfers = transfers_.get();
    // The unit a search takes over goes into the main window's unit selector;
    // its line settings are already on the port.
    w.FormApparaatZoeken = LazyWindow<QDialog>([this, main] {
        return new TFormApparaatZoeken(
            state_, port_, dialogs_, [main](int unit) { main->setUnitNumber(unit); }, main);
    });
    w.FormCalibratie = LazyWindow<QDialog>(
        [this, main] { return new TFormCalibratie(port_, state_.language, dialogs_, main); });
    w.FormAfdrukkenPar = parameterPrintWindow_ = LazyWindow<TFormAfdrukkenPar>(
        [this, main] { return new TFormAfdrukkenPar(state_, dialogs_, main); });
    w.FormAfdrukkenSoll = setpointPrintWindow_ = LazyWindow<TFormAfdrukkenSoll>(
        [this, main] { return new TFormAfdrukkenSoll(state_, dialogs_, main); });
    w.FormParLoader =
        LazyWindow<QDialog>([this, main] { return new TFormParLoader(state_, port_, main); });
    w.FormGrafiek = LazyWindow<QDialog>(
        [this, main] { return new TFormGrafiek(state_, port_, dialogs_, main); });
    w.FormJournal = LazyWindow<QDialog>([this, main, portOpen] {
        auto* window =
            new TFormJournal(state_, dialogs_, state_.settings.folders.journalPath(), main);
        JournalHooks& h = window->hooks();
        h.portOpen = portOpen;
        h.flush = [this] { journal_->sync(); };
        h.putBack = [this, window](const std::vector<JournalOldValue>& old) {
            runReportingErrors(dialogs_, window, TFormMain::applicationTitle(),
                               [&] { putOldValuesBack(window, old); });
        };
        return window;
    });
    formMain_->setSecondaryWindows(windows_);
}

void Program::putOldValuesBack(QWidget* window, const std::vector<JournalOldValue>& old) {
    if (!transfers_) return;
    // What the unit holds now, read as the editor's compare reads it.
    const std::optional<UnitTables> read = transfers_->receive(TableTransfer::Mode::Parameters);
    if (!read) return; // cancelled or failed: the receive window has said why
    using Texts = JournalLogic::Texts;
    const LanguageTexts& l = state_.language;
    CompareWanted wanted{.values = JournalLogic::withOldValues(read->parameters, old),
                         .caption = l.text(Texts{"CompareCaption"}),
                         .summary = l.text(Texts{"CompareSummary"}),
                         .valueHeader = l.text(Texts{"CompareValue"}),
                         .optionHeader = l.text(Texts{"CompareOption"})};
    if (wanted.values == read->parameters) {
        dialogs_.information(window, wanted.caption, l.text(Texts{"MsgNothingToPutBack"}));
        return;
    }
    GroupTree tree;
    tree.load(state_.settings.folders.dataPath(GroupTree::fileName(state_.settings.LanguageNo)));
    TFormCompareParam compare(state_, dialogs_, window);
    // Through the send window, as the editor's compare writes: journaled
    // as a compare write of its own.
    compare.hooks().write = [this](const ParamTables::Parameters& values,
                                   const std::vector<int>& numbers) {
        TFormSchrijfParSoll* sender = sendWindow_.get();
        return sender ? sender->writeOnly(values, numbers) : SendReport{};
    };
    compare.run(read->parameters, wanted, tree);
}

void Program::wireSetpointEditor(TFormEditSollwerten& editor) {
    TFormMain& main = *formMain_;
    // The setpoint file carries the unit selected in the main window.
    editor.setUnitNumber([&main] { return main.unitNumber(); });
    editor.setPrintWindow(setpointPrintWindow_.get());
    // Setpoints go through the transfer windows in their setpoints-only mode.
    constexpr auto SetpointsOnly = TableTransfer::Mode::Setpoints;
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
    h.unitNumber = [&main] { return main.unitNumber(); };
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
            const std::optional<UnitTables> read =
                transfers->receive(TableTransfer::Mode::Parameters);
            if (!read) return std::nullopt;
            return read->parameters;
        };
        h.sendParameters = [transfers](const ParamTables::Parameters& values) {
            UnitTables tables;
            tables.parameters = values;
            return transfers->send(TableTransfer::Mode::Parameters, tables);
        };
    }
    h.writeParameters = [this](const ParamTables::Parameters& values,
                               const std::vector<int>& numbers) {
        TFormSchrijfParSoll* sender = sendWindow_.get();
        return sender ? sender->writeOnly(values, numbers) : SendReport{};
    };
    h.editParameter = modal(windows_.FormParamService);
    h.loader = modal(windows_.FormParLoader);
    if (windows_.FormDisplayNokken) h.showCams = modal(windows_.FormDisplayNokken);
    if (windows_.FormAfdrukkenPar) h.print = modal(windows_.FormAfdrukkenPar);
    if (LazyWindow<TFormAfdrukkenPar> lazy = parameterPrintWindow_)
        h.printPreview = [this, &editor, lazy] {
            if (TFormAfdrukkenPar* window = lazy.get())
                runReportingErrors(dialogs_, &editor, TFormMain::applicationTitle(),
                                   [&] { window->execPreview(); });
        };
}

Program::~Program() {
    // The windows go first; nothing may tell them of the journal after.
    journal_->onProblem = nullptr;
    journal_->onMovedAside = nullptr;
}

} // namespace kqm52
