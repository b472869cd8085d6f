// Backup, restore and the plain receive from the Communicatie menu: the
// files on disk, the boxes the user sees, and what reaches the unit.

#include "shell/BackupRestore.h"
#include "params/model/BackupFile.h"
#include "shell/SecondaryWindows.h"
#include "ui/ProgramState.h"
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
    "Msg_waarschuwingRestore_1=Apparaat overschrijven met\nMsg_waarschuwingRestore_2=Doorgaan?\n");

// The transfer windows as the user would end them: OK with the unit's
// tables, or Cancel.
struct FakeTransfers : TransferWindows {
    std::optional<UnitTables> unit;
    std::vector<int> receives;
    std::vector<std::pair<int, UnitTables>> sends;
    std::optional<UnitTables> receive(int mode) override {
        receives.push_back(mode);
        return unit;
    }
    SendReport send(int mode, const UnitTables& tables) override {
        sends.emplace_back(mode, tables);
        return SendReport{.closedWithOK = true,
                          .total = 448,
                          .confirmed = 448,
                          .firstUnconfirmed = {},
                          .computeDue = true,
                          .computeAnswered = true};
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

TEST(BackupNames, ProposalAndFilters) {
    EXPECT_EQ(BackupRestore::proposedFileName("MX52", 7, QDate(2026, 12, 6)),
              "MX52_unit07_2026-12-06.bak");
    EXPECT_EQ(BackupRestore::proposedFileName("M/5:", 0, QDate(2027, 1, 2)),
              "M_5__unit00_2027-01-02.bak");
    const std::pair<const char*, const char*> filters[] = {
        {"ASCII Parameterbestand (*.bak)|*.bak", "ASCII Parameterbestand (*.bak)"},
        {"Backup|*.bak|Alles|*.*", "Backup (*.bak);;Alles (*.*)"},
        {"*.bak", "*.bak"},
    };
    for (const auto& [in, out] : filters)
        EXPECT_EQ(BackupRestore::dialogFilter(in), out) << in;
}

TEST_F(BackupRestoreTest, BackupFilesTheUnitAndLeavesTheProgramTablesAlone) {
    state.tables.setParameter(5, 42);
    dialogs.answerSaveFile(path("unit")); // no extension typed
    logic.Backup1Click(transfers, 7, today);

    EXPECT_EQ(transfers.receives, std::vector<int>{3});
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
        logic.Restore1Click(transfers);
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Critical);
        EXPECT_EQ(boxes()[0].buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        EXPECT_EQ(boxes()[0].text.startsWith("Geen backup"), r.languageText)
            << boxes()[0].text.toStdString();
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
        logic.Restore1Click(transfers);
        const auto open = dialogs.asked(Kind::OpenFile);
        ASSERT_EQ(open.size(), 1u);
        EXPECT_EQ(open[0].caption, "Openen");
        EXPECT_EQ(open[0].dir, dir.path());
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].icon, Dialogs::Icon::Warning);
        EXPECT_EQ(boxes()[0].caption, "Let op");
        EXPECT_EQ(boxes()[0].text, "Apparaat overschrijven met  " + full + "\n\rDoorgaan?");
    }
    ASSERT_EQ(transfers.sends.size(), 1u);
    EXPECT_EQ(transfers.sends[0].first, 3);
    EXPECT_EQ(transfers.sends[0].second, sampleUnit());
}

TEST_F(BackupRestoreTest, ReceiveBothTablesReplacesThemOnlyOnOK) {
    state.tables.setParameter(1, 99);
    transfers.unit.reset();
    EXPECT_FALSE(logic.ParSollOntvangen1Click(transfers));
    EXPECT_EQ(state.tables.parameter(1), 99);

    transfers.unit = sampleUnit();
    state.tables.setSetpoint(3, 5);
    EXPECT_TRUE(logic.ParSollOntvangen1Click(transfers));
    EXPECT_EQ(transfers.receives, (std::vector<int>{2, 2}));
    EXPECT_EQ(state.tables.parameters(), sampleUnit().parameters);
    EXPECT_EQ(state.tables.setpoints(), sampleUnit().setpoints);
    EXPECT_EQ(state.tables.parameterSource, ParameterSource::Received);
    EXPECT_EQ(state.tables.setpointSource, SetpointSource::Received);
    EXPECT_FALSE(state.tables.parametersModified || state.tables.setpointsModified);
}

} // namespace
