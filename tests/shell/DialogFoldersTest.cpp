// Every file dialog of the program, open or save, follows one rule: after a
// file was chosen in a folder, the next dialog of any kind starts there, and
// the folder is in application.ini once the program has closed.  A name
// typed without an extension is saved with the dialog's own.

#include "ShellTestSupport.h"
#include "sim/SimLinkFixture.h"

#include "inifile/IniFile.h"
#include "model/files/BackupFile.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "params/FormEditParam.h"
#include "setpoints/FormEditSollwerten.h"
#include "shell/BackupRestore.h"
#include "sim/SimBus.h"
#include "sim/SimDriver.h"
#include "tools/FormGrafiek.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include <functional>

using namespace kqm52;
using namespace kqm52::test;

namespace {

using Kind = ScriptedDialogs::Kind;

// The transfer windows of a unit that hands over its tables at once and
// takes nothing (the restore question is never answered Yes here).
struct InstantTransfers : TransferWindows {
    std::optional<UnitTables> receive(TableTransfer::Mode) override { return UnitTables{}; }
    SendReport send(TableTransfer::Mode, const UnitTables&) override { return {}; }
};

class DialogFoldersTest : public ShellWorld {
  protected:
    void SetUp() override {
        createWindow();
        LineState line;
        line.baud = baudrateValue(port().Baudrate());
        line.dataBits = dataBitsValue(port().FrameDatabits());
        line.parity = DriverParity(int(port().FrameParitybit()));
        line.stopBits = stopBitsValue(port().FrameStopbits());
        bus->addUnit(0, line);
        state_->portMap.setDevice(port().PortName(), "sim");
        installSimulatedBus(state_->portMap, bus);
        editParam = std::make_unique<TFormEditParam>(*state_, dialogs_);
        editSetpoints = std::make_unique<TFormEditSollwerten>(*state_, port(), dialogs_);
        backupRestore = std::make_unique<BackupRestore>(*state_, dialogs_);
        graph = std::make_unique<TFormGrafiek>(*state_, port(), dialogs_);
    }
    void TearDown() override {
        graph->FormClose();
        port().SetActive(false);
    }
    // A short run of the graph, so that its two exports have something to keep.
    void recordARun() {
        port().SetActive(true);
        graph->FormActivate();
        graph->CmdStartLogClick();
        ASSERT_TRUE(waitUntil([&] { return graph->logic().samples().count >= 2; }));
        graph->CmdStopLogClick();
        ASSERT_TRUE(graph->CmdExportCsv->isEnabled());
    }
    QString folder(const QString& name) {
        EXPECT_TRUE(QDir(dir_.path()).mkpath(name));
        return dir_.filePath(name);
    }

  public: // the rows below reach in through a reference
    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
    std::unique_ptr<TFormEditParam> editParam;
    std::unique_ptr<TFormEditSollwerten> editSetpoints;
    std::unique_ptr<BackupRestore> backupRestore;
    std::unique_ptr<TFormGrafiek> graph;
    InstantTransfers transfers;
};

} // namespace

TEST_F(DialogFoldersTest, EveryDialogStartsWhereTheLastOneChoseAFile) {
    recordARun();
    using T = DialogFoldersTest;
    const auto none = std::function<void(const QString&)>();
    const struct {
        const char* dialog;
        Kind kind;
        const char* file;  // the file chosen in the folder
        const char* saved; // what a save writes: a name typed without extension gets its own
        std::function<void(const QString&)> prepare; // the file an open dialog finds
        std::function<void(T&)> show;
    } dialogs[] = {
        {"parameter file: open", Kind::OpenFile, "unit.mxp", nullptr,
         [](const QString& p) { ParameterFile::write(p, {}, 0); },
         [](T& t) { t.editParam->OpenenClick(); }},
        {"parameter file: save as", Kind::SaveFile, "unit", "unit.mxp", none,
         [](T& t) { t.editParam->OpslaanAlsClick(); }},
        {"setpoint file: open", Kind::OpenFile, "unit.mxs", nullptr,
         [](const QString& p) { SetpointFile::write(p, {}, 0); },
         [](T& t) { t.editSetpoints->Openen1Click(); }},
        {"setpoint file: save as", Kind::SaveFile, "unit", "unit.mxs", none,
         [](T& t) { t.editSetpoints->Opslaanals1Click(); }},
        {"backup", Kind::SaveFile, "unit", "unit.bak", none,
         [](T& t) { t.backupRestore->Backup1Click(t.transfers, 7, QDate(2026, 12, 6)); }},
        {"restore", Kind::OpenFile, "unit.bak", nullptr,
         [](const QString& p) { BackupFile::write(p, UnitTables{}); },
         [](T& t) { t.backupRestore->Restore1Click(t.transfers, 7); }},
        {"graph: CSV export", Kind::SaveFile, "run", "run.csv", none,
         [](T& t) { t.graph->CmdExportCsvClick(); }},
        {"graph: PNG export", Kind::SaveFile, "run", "run.png", none,
         [](T& t) { t.graph->CmdExportPngClick(); }},
    };
    const QString elsewhere = folder("elsewhere");
    QString last;
    int n = 0;
    for (const auto& chosen : dialogs) {
        SCOPED_TRACE(chosen.dialog);
        state_->settings.DialogPath = elsewhere;
        const QString x = folder(QStringLiteral("folder%1").arg(++n));
        const QString file = x + '/' + chosen.file;
        if (chosen.prepare) chosen.prepare(file);
        chosen.kind == Kind::OpenFile ? dialogs_.answerOpenFile(file)
                                      : dialogs_.answerSaveFile(file);
        chosen.show(*this);
        if (chosen.saved) {
            EXPECT_GT(QFileInfo(x + '/' + chosen.saved).size(), 0) << chosen.saved;
            EXPECT_FALSE(QFileInfo::exists(file)) << "saved without its extension";
        }
        EXPECT_EQ(state_->settings.DialogPath, QDir::toNativeSeparators(x + '/'));
        // The next dialog, of every kind, starts in x (the backup's with the
        // file name it proposes there).
        for (const auto& next : dialogs) {
            dialogs_.clear();
            next.kind == Kind::OpenFile ? dialogs_.answerOpenFile({}) : dialogs_.answerSaveFile({});
            next.show(*this);
            const auto asked = dialogs_.asked(next.kind);
            ASSERT_EQ(asked.size(), 1u) << next.dialog;
            const QString start = QDir::fromNativeSeparators(asked[0].dir);
            EXPECT_TRUE(QDir::cleanPath(start) == x || QFileInfo(start).path() == x)
                << next.dialog << " starts in " << start.toStdString();
        }
        last = x;
    }

    closeWindow();
    IniFile saved;
    ASSERT_TRUE(saved.load(iniPath()));
    EXPECT_EQ(saved.readString("Algemeen", "OpenCloseDialoogPath"),
              QDir::toNativeSeparators(last + '/'));
}
