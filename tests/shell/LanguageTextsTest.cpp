// Language files: which one is loaded, how a text is looked up, and what the
// main window shows with and without one.

#include "ShellTestSupport.h"

#include "ui/LanguageTexts.h"
#include "ui/MainTexts.h"
#include "ui/TextKeys.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

namespace kqm52::test {
namespace {

class LanguageTextsTest : public ShellWorld {};

// The caption a user reads on a control, whatever its kind.
QString textOf(const QObject* o) {
    if (auto* menu = qobject_cast<const QMenu*>(o)) return menu->title();
    if (auto* box = qobject_cast<const QGroupBox*>(o)) return box->title();
    if (auto* label = qobject_cast<const QLabel*>(o)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(o)) return button->text();
    if (auto* action = qobject_cast<const QAction*>(o)) return action->text();
    return "?";
}

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
        EXPECT_EQ(texts.text("Main", "GroepDuimwiel", "DW"), c.text);
        // A language without a file keeps the one loaded before.
        EXPECT_FALSE(texts.TekstFile_Lezen(programDir() + "nowhere/", 1));
        EXPECT_TRUE(texts.LanguageLoaded());
        EXPECT_EQ(texts.text("Main", "GroepDuimwiel", "DW"), c.text);
    }
    LanguageTexts none;
    EXPECT_FALSE(none.TekstFile_Lezen(programDir() + "nowhere/", 0));
    EXPECT_FALSE(none.LanguageLoaded());
}

TEST_F(LanguageTextsTest, LookupFollowsTheFileThenTheDefault) {
    LanguageTexts texts;
    texts.loadFromText("[main]\ncmdcomopen=Verbinden\nCmdComClose=\nsubInfo=Over=dit\n");
    EXPECT_EQ(texts.text("Main", "CmdComOpen", "Open"), "Verbinden"); // any letter case
    EXPECT_EQ(texts.text("Main", "CmdComClose", "Close"), "");        // empty stays empty
    EXPECT_EQ(texts.text("Main", "subInfo", "Info"), "Over=dit");     // after the first "="
    EXPECT_EQ(texts.text("Main", "menuHelp", "Help"), "Help");        // missing key
    EXPECT_EQ(texts.text("Opties", "CmdComOpen", "x"), "x");          // other section
}

// The language files are checked against the table of keys the windows
// read; the main window must read exactly those keys, with those defaults,
// each into a text of its own, shown where it belongs.
TEST_F(LanguageTextsTest, TheMainWindowReadsAndShowsTheKeysTheLanguageFilesHold) {
    QStringList listed;
    for (const TextKey& k : textKeys())
        if (QString::fromLatin1(k.section).compare("Main", Qt::CaseInsensitive) == 0)
            listed << QString::fromLatin1(k.key);
    QStringList read;
    QString file = "[Main]\n";
    for (const auto& e : MainTexts::table()) {
        read << QString::fromLatin1(e.key);
        file += QString::fromLatin1(e.key) + "=<" + e.key + ">\n";
        const TextKey* k = findTextKey("Main", e.key);
        ASSERT_NE(k, nullptr) << e.key;
        EXPECT_STREQ(k->def, e.builtIn) << e.key;
    }
    EXPECT_EQ(read, listed);

    LanguageTexts texts;
    texts.loadFromText(file);
    const MainTexts t = MainTexts::read(texts);
    for (const auto& e : MainTexts::table())
        EXPECT_EQ(t.*(e.field), QString("<%1>").arg(e.key)) << e.key;
    LanguageTexts empty;
    empty.loadFromText("[Main]\n");
    EXPECT_EQ(MainTexts::read(empty).subZoeken, "App... zoeken") << "a key the file lacks";

    writeFile("Taal0.ini", file);
    TFormMain& w = createWindow();
    const QList<QObject*> shown = {ctl<QGroupBox>(w, "GroupBoxIngangen"),
                                   ctl<QGroupBox>(w, "GroupBoxUitgangen"),
                                   ctl<QGroupBox>(w, "GroupBox_ANA_IN"),
                                   ctl<QGroupBox>(w, "GroupBox_ANA_UIT"),
                                   ctl<QGroupBox>(w, "GroupBoxActual"),
                                   ctl<QGroupBox>(w, "GroupBox_DW"),
                                   ctl<QLabel>(w, "LabelPositie"),
                                   ctl<QLabel>(w, "LabelSnelheid"),
                                   ctl<QLabel>(w, "LabelSpanning_in"),
                                   ctl<QLabel>(w, "LabelSpanning_uit"),
                                   ctl<QLabel>(w, "LabelStroom_in"),
                                   ctl<QLabel>(w, "LabelStroom_uit"),
                                   ctl<QPushButton>(w, "CmdInUit"),
                                   ctl<QPushButton>(w, "CmdActual"),
                                   ctl<QPushButton>(w, "CmdDuimwiel"),
                                   ctl<QPushButton>(w, "CmdSelectUnit"),
                                   ctl<QPushButton>(w, "CmdTerminalZenden"),
                                   ctl<QPushButton>(w, "CmdResetError"),
                                   ctl<QMenu>(w, "File1"),
                                   ctl<QAction>(w, "Exit1"),
                                   ctl<QMenu>(w, "Edit"),
                                   ctl<QAction>(w, "Par11"),
                                   ctl<QAction>(w, "Par21"),
                                   ctl<QMenu>(w, "Extra"),
                                   ctl<QAction>(w, "Serial1"),
                                   ctl<QAction>(w, "ww1"),
                                   ctl<QMenu>(w, "Zendenenontvangen1"),
                                   ctl<QAction>(w, "ParSollOntvangen1"),
                                   ctl<QAction>(w, "Backup1"),
                                   ctl<QAction>(w, "Restore1"),
                                   ctl<QAction>(w, "MX52zoeken"),
                                   ctl<QMenu>(w, "Venster"),
                                   ctl<QAction>(w, "displaynokken1"),
                                   ctl<QAction>(w, "Grafiek1"),
                                   ctl<QMenu>(w, "Info1"),
                                   ctl<QAction>(w, "FormAbout"),
                                   ctl<QAction>(w, "Errno1")};
    const QStringList keys =
        QString("GroepIngangen GroepUitgangen Groep_ANA_IN Groep_ANA_UIT GroepActual GroepDuimwiel "
                "LabelActualPositie LabelActualSnelheid LabelActualSpanning LabelActualSpanning "
                "LabelActualStroom LabelActualStroom CmdIO_ON CmdActual_ON CmdDuimwiel_ON "
                "CmdComOpen CmdTerminalZenden CmdResetError menuBestand subAfsluiten menuEdit "
                "subParameters subSollwerten menuInstellingen subInitCom subOpties "
                "menuCommunicatie subParSoll subBackup subRestore subZoeken menuVenster "
                "subNokkenInfo subGrafiek menuHelp subInfo subErrorNummers")
            .split(' ');
    ASSERT_EQ(shown.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(textOf(shown[i]), "<" + keys[i] + ">");
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
        texts << textOf(o);
    // Buttons that change caption with a state (the last four) never go blank.
    EXPECT_EQ(texts.join('|'), "Actual|Transmit|RST SSI Err|&File|Communicatie|Backup MX92...|"
                               "Apparaat zoeken...|Open|I/O ON|Actual ON|DW ON");
    EXPECT_EQ(ctl<QSpinBox>(w, "SpinEditUnitSelect")->toolTip(), "MX9x no:");
}

TEST_F(LanguageTextsTest, SwitchingToALanguageWithoutAFileKeepsTheTextsShown) {
    writeFile("Taal0.ini", "[Main]\nGroepIngangen=Ingangen NL\nCmdComOpen=Openen\n");
    TFormMain& w = createWindow();
    ASSERT_EQ(ctl<QGroupBox>(w, "GroupBoxIngangen")->title(), "Ingangen NL");
    // What the options dialog does when the user picks language 1.
    state_->settings.LanguageNo = 1;
    EXPECT_FALSE(state_->language.TekstFile_Lezen(programDir(), 1));
    w.LezenTeksten();
    EXPECT_EQ(ctl<QGroupBox>(w, "GroupBoxIngangen")->title(), "Ingangen NL");
    EXPECT_EQ(ctl<QPushButton>(w, "CmdSelectUnit")->text(), "Openen");
    // The choice itself is kept and saved.
    closeWindow();
    EXPECT_TRUE(readFile("application.ini").contains("Taal=1"));
}

} // namespace
} // namespace kqm52::test
