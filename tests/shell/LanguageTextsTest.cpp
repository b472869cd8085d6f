// Language files: which one is loaded, how a text is looked up, and what the
// main window shows with and without one.

#include "ShellTestSupport.h"
#include "ui/TextTableChecks.h"

#include "dialogs/LanguageChoice.h"
#include "inifile/ReadFile.h"
#include "model/files/BackupFile.h"
#include "model/files/FileProblemText.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "model/texts/LanguageTexts.h"

#include "TestWait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>

namespace kqm52::test {
namespace {

class LanguageTextsTest : public ShellWorld {};

TEST_F(LanguageTextsTest, TheLanguageNumberPicksTheFileAndAMissingFileKeepsTheLoadedOne) {
    writeFile("Taal0.ini", "[Main]\nGroepDuimwiel=nul\n");
    writeFile("Taal1.ini", "[Main]\nGroepDuimwiel=een\n");
    writeFile("Taal2.ini", "[Main]\nGroepDuimwiel=twee\n");
    const struct {
        int languageNo;
        const char* text;
    } cases[] = {{0, "nul"}, {1, "een"}, {2, "twee"}, {3, "nul"}, {5, "nul"}, {-1, "nul"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.languageNo);
        LanguageTexts texts;
        ASSERT_TRUE(texts.TekstFile_Lezen(programDir(), c.languageNo));
        EXPECT_EQ(texts.text({"Main", "GroepDuimwiel"}), c.text);
        // A language without a file keeps the one loaded before.
        EXPECT_FALSE(texts.TekstFile_Lezen(programDir() + "nowhere/", 1));
        EXPECT_TRUE(texts.LanguageLoaded());
        EXPECT_EQ(texts.text({"Main", "GroepDuimwiel"}), c.text);
    }
    LanguageTexts none;
    EXPECT_FALSE(none.TekstFile_Lezen(programDir() + "nowhere/", 0));
    EXPECT_FALSE(none.LanguageLoaded());
}

TEST(TextLookup, FileThenBuiltInTextAndNothingButStateCaptionsWithoutAFile) {
    LanguageTexts loaded;
    loaded.loadFromText("[Main]\nCmdComClose=\n[Opties]\nmenuHelp=elders\n");
    LanguageTexts none;
    const struct {
        const LanguageTexts* language;
        TextId id;
        const char* shown;
        const char* what;
    } cases[] = {
        {&loaded, {"Main", "CmdComClose"}, "", "an empty value stays empty"},
        {&loaded, {"Main", "menuHelp"}, "Help", "a missing key: the built-in text"},
        {&none, {"Main", "menuHelp"}, "", "no file: a plain text is empty"},
        {&none, {"Main", "CmdComOpen"}, "Open", "no file: a state caption never goes blank"},
        {&none,
         {"InitCom", "MsgDeviceMissing"},
         "Check that the converter is plugged in, or choose another device.",
         "no file: our advice stands"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.language->text(c.id), c.shown) << c.what;
}

TEST_F(LanguageTextsTest, TheMainWindowShowsEachTextWhereTheTableSays) {
    writeFile("Taal0.ini", markedLanguage("Main"));
    TFormMain& w = createWindow();
    expectMarkedTextsShown(w, "Main");
    // The captions that follow a state show the state the window starts in.
    for (const auto& [button, key] :
         {std::pair{ctl<QPushButton>(w, "CmdSelectUnit"), "<CmdComOpen>"},
          {ctl<QPushButton>(w, "CmdInUit"), "<CmdIO_ON>"},
          {ctl<QPushButton>(w, "CmdActual"), "<CmdActual_ON>"},
          {ctl<QPushButton>(w, "CmdDuimwiel"), "<CmdDuimwiel_ON>"}})
        EXPECT_EQ(button->text(), key);
}

TEST_F(LanguageTextsTest, AWindowOwnedByTheMainWindowKeepsItsOwnTexts) {
    writeFile("Taal0.ini", markedLanguage("Main"));
    TFormMain& w = createWindow();
    QDialog other(&w);
    auto* button = new QPushButton("Reset", &other);
    button->setObjectName("CmdResetError");
    w.LezenTeksten();
    EXPECT_EQ(ctl<QPushButton>(w, "CmdResetError")->text(), "<CmdResetError>");
    EXPECT_EQ(button->text(), "Reset");
}

TEST_F(LanguageTextsTest, WithoutALanguageFileTheWindowKeepsItsOwnTexts) {
    TFormMain& w = createWindow();
    EXPECT_FALSE(state_->language.LanguageLoaded());
    const QList<QObject*> shown = {
        ctl<QGroupBox>(w, "GroupBoxActual"),  ctl<QPushButton>(w, "CmdTerminalZenden"),
        ctl<QPushButton>(w, "CmdResetError"), ctl<QMenu>(w, "File1"),
        ctl<QMenu>(w, "Zendenenontvangen1"),  ctl<QAction>(w, "Backup1"),
        ctl<QAction>(w, "MX52zoeken"),        ctl<QPushButton>(w, "CmdSelectUnit"),
        ctl<QPushButton>(w, "CmdInUit"),      ctl<QPushButton>(w, "CmdActual"),
        ctl<QPushButton>(w, "CmdDuimwiel")};
    QStringList texts;
    for (const QObject* o : shown)
        texts << shownText(w, o);
    // Buttons that change caption with a state (the last four) never go blank.
    EXPECT_EQ(texts.join('|'), "Actual|Transmit|RST SSI Err|&File|Communicatie|Backup MX92...|"
                               "Apparaat zoeken...|Open|I/O ON|Actual ON|DW ON");
    EXPECT_EQ(ctl<QSpinBox>(w, "SpinEditUnitSelect")->toolTip(), "MX9x no:");
}

// Files far larger than any real one (a copy gone wrong) are not read: the
// program starts as without them, then says which ones it left out.
class OversizedFilesTest : public ShellWorld {
  protected:
    // The file holds text, then grows past the bound.
    void writeOversized(const QString& name, const QString& text) {
        writeFile(name, text);
        QFile f(programDir() + name);
        ASSERT_TRUE(f.resize(MaxDataFileBytes + 1));
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& a : dialogs_.asked(ScriptedDialogs::Kind::Message))
            texts << a.text;
        return texts;
    }
    QString refused(const char* name) const {
        return QDir::toNativeSeparators(programDir() + name) +
               " is larger than 4 MB, far more than such a file holds, and was not read. The "
               "program goes on without it.";
    }
};

TEST_F(OversizedFilesTest, AtStartEachIsLeftOutAndNamedOnceTheWindowIsUp) {
    writeOversized("application.ini", "[Serieel]\nunit_no=5\n");
    writeOversized("Taal0.ini", "[Main]\nGroepDuimwiel=groot\n");
    writeOversized("Parameters.txt", "[249]\nnaam0=Ingang\n");
    writeFile("ParNo.txt", "[100]\nParId1=249\n");
    TFormMain& w = createWindow();
    EXPECT_TRUE(messages().isEmpty()) << "nothing is said before the window can show it";
    EXPECT_EQ(ctl<QSpinBox>(w, "SpinEditUnitSelect")->value(), 0);
    EXPECT_FALSE(state_->language.LanguageLoaded());
    EXPECT_EQ(ctl<QGroupBox>(w, "GroupBox_DW")->title(), "DW");
    EXPECT_FALSE(state_->catalogue.parameterDefinitionsPresent());
    EXPECT_TRUE(state_->catalogue.parameterNumbersPresent());

    ASSERT_TRUE(waitUntil([&] { return messages().size() >= 3; }));
    EXPECT_EQ(messages(), QStringList({refused("application.ini"), refused("Taal0.ini"),
                                       refused("Parameters.txt")}));
    for (const auto& a : dialogs_.asked())
        EXPECT_EQ(a.icon, Dialogs::Icon::Critical);

    // The refused settings file is the user's: closing does not replace it.
    w.close();
    QFile ini(programDir() + "application.ini");
    EXPECT_EQ(ini.size(), MaxDataFileBytes + 1);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readLine().startsWith("[Serieel]"));
}

TEST_F(OversizedFilesTest, ChoosingALanguageWhoseFileIsRefusedKeepsTheTextsInForce) {
    writeFile("Taal0.ini", "[Main]\nGroepDuimwiel=Duimwielen\nMsgBestandTeGroot=%1 te groot\n");
    writeOversized("Taal1.ini", "[Main]\nGroepDuimwiel=Thumbwheels\n");
    TFormMain& w = createWindow();
    LanguageChoice choice(*state_, [&w] { w.LezenTeksten(); });
    choice.FormActivate();
    const LanguageChoice::Outcome o = choice.CmdOKClick(1);
    EXPECT_FALSE(o.accepted);
    EXPECT_EQ(ctl<QGroupBox>(w, "GroupBox_DW")->title(), "Duimwielen");
    EXPECT_TRUE(o.problem.startsWith(QDir::toNativeSeparators(programDir() + "Taal1.ini") +
                                     " te groot\n\r"))
        << o.problem.toStdString();
    EXPECT_EQ(state_->settings.LanguageNo, 0);
}

} // namespace
} // namespace kqm52::test

namespace kqm52::test {
namespace {

// Why a file was refused, in each shipped language: the English file words
// it as the readers do, the others in their own words with the same values.
TEST(FileProblemTexts, EveryRefusalIsWordedInEachLanguageWithTheFilesOwnValues) {
    const QByteArray good = ParameterFile::toBytes({}, 3);
    const QTemporaryDir folder;
    const QString missing = folder.filePath("missing.mxp");
    QByteArray twice = good;
    twice.replace("P001 0", "P000 0");
    const struct {
        const char* name;
        FileProblem problem;
        QStringList values; // what the detail names, in every language
    } rows[] = {
        {"wrong header",
         ParameterFile::fromBytes("ASCII Sollwerten MX5x-XXX\r\n").problem,
         {"ASCII Parameters MX5x-XXX"}},
        {"not a data line", ParameterFile::fromBytes(good + "P4000\r\n").problem, {"403"}},
        {"number out of range",
         ParameterFile::fromBytes(good + "PABC 1\r\n").problem,
         {"403", "399"}},
        {"value not decimal", ParameterFile::fromBytes(good + "P001 x\r\n").problem, {"403"}},
        {"number twice", ParameterFile::fromBytes(twice).problem, {"000", "3", "4"}},
        {"too few lines", ParameterFile::fromBytes(good.chopped(8)).problem, {"399", "400"}},
        {"backup size", BackupFile::fromBytes(QByteArray(16019, '\0')).problem, {"16019", "16020"}},
        {"backup marks", BackupFile::fromBytes(QByteArray(16020, '\0')).problem, {}},
        // Not read at all: the file, then why.
        {"no such file", ParameterFile::read(missing).problem, {missing + ": "}},
        {"a folder", SetpointFile::read(folder.path()).problem, {folder.path() + ": "}},
        {"a device", BackupFile::read("/dev/null").problem, {"/dev/null: "}},
    };
    LanguageTexts language[3];
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(language[n].TekstFile_Lezen(QStringLiteral(KQM52_DATA_DIR "/"), n));
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(!r.problem.detailKey.isEmpty() || r.problem.unreadable);
        EXPECT_EQ(fileProblemDetail(LanguageTexts{}, r.problem), r.problem.detail);
        EXPECT_EQ(fileProblemDetail(language[1], r.problem), r.problem.detail);
        for (int n : {0, 2}) {
            const QString worded = fileProblemDetail(language[n], r.problem);
            EXPECT_NE(worded, r.problem.detail) << n;
            for (const QString& v : r.values)
                EXPECT_TRUE(worded.contains(v)) << n << " " << worded.toStdString();
        }
    }
}

} // namespace
} // namespace kqm52::test
