// Backup, restore and the plain receive from the Communicatie menu: the
// files on disk, the boxes the user sees, and what reaches the unit.

#include "shell/BackupRestore.h"
#include "model/engines/ProgramState.h"
#include "model/files/BackupFile.h"
#include "shell/SecondaryWindows.h"
#include "ui/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

using Kind = ScriptedDialogs::Kind;

const QString kLanguage = QStringLiteral(
    "[BackupRestore]\nSaveCaption=Opslaan\nOpenCaption=Openen\nOpenFilter=Backup (*.bak)|*.bak\n"
    "OpenMsg2=Geen backup\nMsg_waarschuwingCaption=Let op\n"
    "Msg_waarschuwingRestore_1=Apparaat overschrijven met\nMsg_waarschuwingRestore_2=Doorgaan?\n"
    "[Main]\nMsgBackupSize=Het bestand is %1 bytes groot; een backupbestand precies %2.\n");

// The transfer windows as the user would end them: OK with the unit's
// tables, or Cancel.
using Mode = TableTransfer::Mode;

struct FakeTransfers : TransferWindows {
    std::optional<UnitTables> unit;
    std::vector<Mode> receives;
    std::vector<std::pair<Mode, UnitTables>> sends;
    std::optional<SendReport> report; // how every send ends; complete when unset
    std::optional<UnitTables> receive(Mode mode) override {
        receives.push_back(mode);
        return unit;
    }
    SendReport send(Mode mode, const UnitTables& tables) override {
        sends.emplace_back(mode, tables);
        if (report) return *report;
        return SendReport{.closedWithOK = true,
                          .total = 448,
                          .confirmed = 448,
                          .firstUnconfirmed = {},
                          .computeDue = true,
                          .computeAnswered = true,
                          .computeAnswer = {},
                          .written = {}};
    }
};

UnitTables sampleUnit() {
    UnitTables t;
    for (int p = 0; p < 400; ++p)
        t.parameters[std::size_t(p)] = p * 5 - 7;
    t.parameters[399] = -1;
    for (int s = 0; s < 48; ++s)
        t.setpoints[std::size_t(s)] = 100 + s;
    return t;
}

class BackupRestoreTest : public ::testing::Test {
  protected:
    BackupRestoreTest() : state(dir.path() + '/'), logic(state, dialogs) {
        state.language.loadFromText(kLanguage);
        state.settings.DialogPath = dir.path();
        state.unit.DeviceType = QStringLiteral("MX52");
        transfers.unit = sampleUnit();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void writeBytes(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readBytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::vector<ScriptedDialogs::Asked> boxes() const { return dialogs.asked(Kind::Message); }

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    BackupRestore logic;
    FakeTransfers transfers;
    const QDate today{2026, 12, 6};
};

TEST(BackupNames, Proposal) {
    EXPECT_EQ(BackupRestore::proposedFileName("MX52", 7, QDate(2026, 12, 6)),
              "MX52_unit07_2026-12-06.bak");
    EXPECT_EQ(BackupRestore::proposedFileName("M/5:", 0, QDate(2027, 1, 2)),
              "M_5__unit00_2027-01-02.bak");
}

TEST_F(BackupRestoreTest, BackupFilesTheUnitAndLeavesTheProgramTablesAlone) {
    state.tables.setParameter(5, 42);
    dialogs.answerSaveFile(path("unit")); // no extension typed
    logic.Backup1Click(transfers, 7, today);

    EXPECT_EQ(transfers.receives, std::vector<Mode>{Mode::Device});
    const auto asked = dialogs.asked(Kind::SaveFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, "Opslaan");
    EXPECT_EQ(asked[0].dir, path("MX52_unit07_2026-12-06.bak"));
    EXPECT_EQ(asked[0].filter, "Backup (*.bak)");
    const QByteArray file = readBytes("unit.bak");
    EXPECT_EQ(file, BackupFile::toBytes(sampleUnit()));
    EXPECT_EQ(state.tables.parameter(5), 42);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Nothing);
    EXPECT_TRUE(boxes().empty());
}

// A cancelled read asks nothing; no language file still writes the file;
// a write that fails says so.
TEST_F(BackupRestoreTest, BackupOnlyAfterOKAndWithoutLanguageFileAndWhenTheWriteFails) {
    transfers.unit.reset();
    logic.Backup1Click(transfers, 0, today);
    EXPECT_TRUE(dialogs.asked().empty());

    state.language = LanguageTexts{};
    transfers.unit = sampleUnit();
    dialogs.answerSaveFile(path("plain.bak"));
    dialogs.answerSaveFile(path("gone/unit.bak")); // a folder that went away
    logic.Backup1Click(transfers, 0, today);
    logic.Backup1Click(transfers, 0, today);
    const auto asked = dialogs.asked(Kind::SaveFile);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].caption + asked[0].filter, "");
    EXPECT_EQ(readBytes("plain.bak").size(), 16020);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Critical);
    EXPECT_TRUE(boxes()[0].text.contains("could not be written")) << boxes()[0].text.toStdString();
}

// A file the backup reader refuses (which files those are is its own test)
// is refused with a box, and so is a restore without a language file (the
// question before overwriting the unit would have no words): nothing goes to
// the unit.
TEST_F(BackupRestoreTest, RestoreRefusesWhatIsNotABackupAndWithoutLanguageFile) {
    writeBytes("short.bak", BackupFile::toBytes(sampleUnit()).left(16019));
    writeBytes("unit.bak", BackupFile::toBytes(sampleUnit()));
    const struct {
        const char* name;
        bool language;
        bool languageText;
    } rows[] = {
        {"short.bak", true, true}, {"missing.bak", true, false}, {"unit.bak", false, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        dialogs.clear();
        if (!r.language) state.language = LanguageTexts{};
        dialogs.answerOpenFile(path(r.name));
        dialogs.answerMessage(Dialogs::Button::Yes); // were it asked, it would go on
        logic.Restore1Click(transfers, 7);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Critical);
        EXPECT_EQ(boxes()[0].buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        EXPECT_EQ(boxes()[0].text.startsWith("Geen backup"), r.languageText)
            << boxes()[0].text.toStdString();
        // What was wrong, in the language's words too.
        if (QLatin1String(r.name) == QLatin1String("short.bak")) {
            EXPECT_EQ(boxes()[0].text,
                      "Geen backup\n\rHet bestand is 16019 bytes groot; een backupbestand precies "
                      "16020.");
        }
        EXPECT_TRUE(transfers.sends.empty());
    }
}

TEST_F(BackupRestoreTest, RestoreAsksAndSendsOnlyOnYes) {
    writeBytes("unit.bak", BackupFile::toBytes(sampleUnit()));
    const QString full = QDir::toNativeSeparators(path("unit.bak"));

    for (auto answer : {Dialogs::Button::No, Dialogs::Button::Cancel, Dialogs::Button::Yes}) {
        dialogs.clear();
        dialogs.answerOpenFile(path("unit.bak"));
        dialogs.answerMessage(answer);
        logic.Restore1Click(transfers, 7);
        const auto open = dialogs.asked(Kind::OpenFile);
        ASSERT_EQ(open.size(), 1u);
        EXPECT_EQ(open[0].caption, "Openen");
        EXPECT_EQ(QDir::cleanPath(open[0].dir), dir.path());
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Warning);
        EXPECT_EQ(boxes()[0].caption, "Let op");
        // The file and the unit it overwrites; Enter says No.
        EXPECT_EQ(boxes()[0].text,
                  "Apparaat overschrijven met  " + full + "\n\rUnit 7, type MX52.\n\rDoorgaan?");
        EXPECT_EQ(boxes()[0].defaultButton, Dialogs::Button::No);
    }
    ASSERT_EQ(transfers.sends.size(), 1u);
    EXPECT_EQ(transfers.sends[0].first, Mode::Device);
    EXPECT_EQ(transfers.sends[0].second, sampleUnit());
}

// A backup whose values lie outside the catalogue's limits (parameters) or
// the setpoint range is named before the restore question; Enter sends
// nothing, Yes goes on to the usual question.
TEST_F(BackupRestoreTest, RestoreNamesValuesOutsideTheirLimitsFirst) {
    IniFile definitions;
    definitions.loadFromText(
        QStringLiteral("[001]\nnaam0=Bedrijfsmodus\nmin=0\nmax=1\n[203]\nmin=0\nmax=4\n"
                       "[007]\nnaam0=Nok 1 aanvang\ndec=9\nmin=-100\nmax=100\n"));
    state.catalogue.setDefinitions(definitions);
    UnitTables unit = sampleUnit();
    unit.parameters[1] = 1;
    unit.parameters[203] = 2;
    unit.parameters[7] = 12345;
    unit.setpoints[4] = 100000000;
    writeBytes("unit.bak", BackupFile::toBytes(unit));

    dialogs.answerOpenFile(path("unit.bak"));
    dialogs.answerEnter();
    logic.Restore1Click(transfers, 7);
    EXPECT_TRUE(transfers.sends.empty());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].defaultButton, Dialogs::Button::No);
    EXPECT_EQ(boxes()[0].text.split("\n\r").mid(1),
              QStringList({"P007 Nok 1 aanvang: 123,45 (limits -1,00 … 1,00)",
                           "S05: 1000000,00 (limits -99999,99 … 999999,99)", "Send anyway?"}));

    dialogs.clear();
    dialogs.answerOpenFile(path("unit.bak"));
    dialogs.answerMessage(Dialogs::Button::Yes);
    dialogs.answerMessage(Dialogs::Button::Yes);
    logic.Restore1Click(transfers, 7);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_TRUE(boxes()[1].text.startsWith("Apparaat overschrijven met"));
    ASSERT_EQ(transfers.sends.size(), 1u);
    EXPECT_EQ(transfers.sends[0].second, unit);
}

// The unit refused a value of the backup: sent again it would stop at the
// same place, so the restore names it and offers nothing.
TEST_F(BackupRestoreTest, ARefusedValueEndsTheRestoreWithItsName) {
    writeBytes("unit.bak", BackupFile::toBytes(sampleUnit()));
    SendReport refused{.closedWithOK = false,
                       .total = 448,
                       .confirmed = 403,
                       .firstUnconfirmed = "S04",
                       .computeDue = true,
                       .computeAnswered = false,
                       .computeAnswer = {},
                       .written = {}};
    refused.refused = refused.refusedIsSetpoint = true;
    refused.refusedNumber = 4;
    refused.refusedValue = 103;
    transfers.report = refused;
    dialogs.answerOpenFile(path("unit.bak"));
    dialogs.answerMessage(Dialogs::Button::Yes);
    dialogs.answerMessage(Dialogs::Button::Yes); // were it asked to send again
    logic.Restore1Click(transfers, 7);
    EXPECT_EQ(transfers.sends.size(), 1u);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1].icon, Dialogs::Icon::Critical);
    EXPECT_EQ(boxes()[1].buttons, Dialogs::Buttons(Dialogs::Button::Ok));
    EXPECT_TRUE(boxes()[1].text.contains("Stopped at S04: the unit confirmed 403 of 448 values."));
    EXPECT_TRUE(boxes()[1].text.contains("The unit refused S04: 103 (limits -9999999 … 99999999)."))
        << boxes()[1].text.toStdString();
}

// Saving over a file that is there asks first, and Enter keeps the old file;
// a name typed without extension is asked about as the .bak it becomes.
TEST_F(BackupRestoreTest, BackupOverAnExistingFileAsksAndEnterKeepsIt) {
    writeBytes("unit.bak", "old");
    for (auto answer : {Dialogs::Button::NoButton, Dialogs::Button::Yes}) {
        dialogs.clear();
        dialogs.answerSaveFile(path("unit"));
        if (answer == Dialogs::Button::NoButton)
            dialogs.answerEnter();
        else
            dialogs.answerMessage(answer);
        logic.Backup1Click(transfers, 7, today);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Warning);
        EXPECT_EQ(boxes()[0].defaultButton, Dialogs::Button::No);
        EXPECT_EQ(boxes()[0].text,
                  QDir::toNativeSeparators(path("unit.bak")) + " is there already. Replace it?");
        EXPECT_EQ(readBytes("unit.bak"),
                  answer == Dialogs::Button::Yes ? BackupFile::toBytes(sampleUnit()) : "old");
    }
}

TEST_F(BackupRestoreTest, ReceiveBothTablesReplacesThemOnlyOnOK) {
    state.tables.setParameter(1, 99);
    transfers.unit.reset();
    EXPECT_FALSE(logic.ParSollOntvangen1Click(transfers));
    EXPECT_EQ(state.tables.parameter(1), 99);

    transfers.unit = sampleUnit();
    state.tables.setSetpoint(3, 5);
    EXPECT_TRUE(logic.ParSollOntvangen1Click(transfers));
    EXPECT_EQ(transfers.receives, (std::vector<Mode>{Mode::Both, Mode::Both}));
    EXPECT_EQ(state.tables.parameters(), sampleUnit().parameters);
    EXPECT_EQ(state.tables.setpoints(), sampleUnit().setpoints);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Received);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::Received);
    EXPECT_FALSE(state.tables.parametersModified || state.tables.setpointsModified);
}

} // namespace
