// Language files: which one is loaded, how a text is looked up, and what the
// main window shows with and without one.

#include "ShellTestSupport.h"

#include "shell/LanguageTexts.h"
#include "shell/MainTexts.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace kqm52::test {
namespace {

class LanguageTextsTest : public ShellWorld {};

TEST_F(LanguageTextsTest, TheLanguageNumberPicksTheFile) {
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
        EXPECT_TRUE(texts.LanguageLoaded());
        EXPECT_EQ(texts.text("Main", "GroepDuimwiel", "DW"), c.text);
    }
}

TEST_F(LanguageTextsTest, AMissingFileKeepsTheLanguageLoadedBefore) {
    writeFile("Taal0.ini", "[Main]\nGroepDuimwiel=nul\n");
    LanguageTexts texts;
    ASSERT_TRUE(texts.TekstFile_Lezen(programDir(), 0));
    EXPECT_FALSE(texts.TekstFile_Lezen(programDir(), 1));
    EXPECT_TRUE(texts.LanguageLoaded());
    EXPECT_EQ(texts.text("Main", "GroepDuimwiel", "DW"), "nul");

    LanguageTexts none;
    EXPECT_FALSE(none.TekstFile_Lezen(programDir(), 2));
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

TEST_F(LanguageTextsTest, SectionMainIsReadKeyByKey) {
    // A file that has every key, each with a text of its own.
    QString file = "[Main]\n";
    for (const auto& e : MainTexts::table())
        file += QString::fromLatin1(e.key) + "=<" + e.key + ">\n";
    LanguageTexts texts;
    texts.loadFromText(file);
    const MainTexts t = MainTexts::read(texts);
    for (const auto& e : MainTexts::table())
        EXPECT_EQ(t.*(e.field), QString("<%1>").arg(e.key)) << e.key;

    // The empty file: every built-in text.
    LanguageTexts empty;
    empty.loadFromText("[Main]\n");
    const MainTexts d = MainTexts::read(empty);
    EXPECT_EQ(d.subZoeken, "App... zoeken");
    EXPECT_EQ(d.subParSoll, "Parameters + Sollwerten ontvangen");
    EXPECT_EQ(d.PanelTekst0, "tekst 0");
    EXPECT_EQ(d.K0_Inactief, "Inactief");
    EXPECT_EQ(d.Msg_Melding_Geen_MX52, "");
    EXPECT_EQ(MainTexts::table().size(), 47u);
}

TEST_F(LanguageTextsTest, WithoutALanguageOnlyStateCaptionsHaveText) {
    const MainTexts t = MainTexts::read(LanguageTexts{});
    EXPECT_EQ(t.CmdComOpen, "Open");
    EXPECT_EQ(t.CmdIO_ON, "I/O ON");
    EXPECT_EQ(t.CmdActual_OFF, "Actual OFF");
    EXPECT_EQ(t.CmdDuimwiel_ON, "DW ON");
    EXPECT_EQ(t.PanelTekst0, "");
    EXPECT_EQ(t.K0_HoldReset, "");
    EXPECT_EQ(t.Msg_waarschuwingCaption, "");
    EXPECT_EQ(t.GroepIngangen, "");
}

// The main window with a language file: every text of section "Main" lands
// where it belongs.
TEST_F(LanguageTextsTest, TheMainWindowShowsTheTextsOfTheFile) {
    writeFile("Taal0.ini",
              "[Main]\nGroepIngangen=Inputs\nGroepUitgangen=Outputs\n"
              "Groep_ANA_IN=Analog in\nGroep_ANA_UIT=Analog out\nGroepActual=Actual values\n"
              "GroepDuimwiel=Thumbwheels\nLabelActualPositie=Position:\n"
              "LabelActualSnelheid=Speed:\nLabelActualSpanning=Voltage:\n"
              "LabelActualStroom=Current:\nCmdIO_ON=I/O on\nCmdActual_ON=Live on\n"
              "CmdComOpen=Connect\nCmdTerminalZenden=Send\nCmdResetError=Reset\n"
              "CmdDuimwiel_ON=TW on\nmenuBestand=File\nsubAfsluiten=Exit\n"
              "menuEdit=Edit\nsubParameters=Parameters...\nsubSollwerten=Setpoints...\n"
              "menuInstellingen=Settings\nsubInitCom=Serial...\nsubOpties=Options...\n"
              "menuCommunicatie=Communication\nsubParSoll=Receive all\n"
              "subBackup=Backup...\nsubRestore=Restore...\nsubZoeken=Search...\n"
              "menuVenster=Window\nsubNokkenInfo=Cams\nsubGrafiek=Graph\n"
              "menuHelp=Help!\nsubInfo=About\nsubErrorNummers=Error numbers\n");
    TFormMain& w = createWindow();
    EXPECT_EQ(w.GroupBoxIngangen->title(), "Inputs");
    EXPECT_EQ(w.GroupBoxUitgangen->title(), "Outputs");
    EXPECT_EQ(w.GroupBox_ANA_IN->title(), "Analog in");
    EXPECT_EQ(w.GroupBox_ANA_UIT->title(), "Analog out");
    EXPECT_EQ(w.GroupBoxActual->title(), "Actual values");
    EXPECT_EQ(w.GroupBox_DW->title(), "Thumbwheels");
    EXPECT_EQ(w.LabelPositie->text(), "Position:");
    EXPECT_EQ(w.LabelSnelheid->text(), "Speed:");
    EXPECT_EQ(w.LabelSpanning_in->text(), "Voltage:");
    EXPECT_EQ(w.LabelSpanning_uit->text(), "Voltage:");
    EXPECT_EQ(w.LabelStroom_in->text(), "Current:");
    EXPECT_EQ(w.LabelStroom_uit->text(), "Current:");
    EXPECT_EQ(w.CmdInUit->text(), "I/O on");
    EXPECT_EQ(w.CmdActual->text(), "Live on");
    EXPECT_EQ(w.CmdDuimwiel->text(), "TW on");
    EXPECT_EQ(w.CmdSelectUnit->text(), "Connect");
    EXPECT_EQ(w.CmdTerminalZenden->text(), "Send");
    EXPECT_EQ(w.CmdResetError->text(), "Reset");
    const std::pair<QString, QString> menus[] = {
        {w.File1->title(), "File"},
        {w.Exit1->text(), "Exit"},
        {w.Edit->title(), "Edit"},
        {w.Par11->text(), "Parameters..."},
        {w.Par21->text(), "Setpoints..."},
        {w.Extra->title(), "Settings"},
        {w.Serial1->text(), "Serial..."},
        {w.ww1->text(), "Options..."},
        {w.Zendenenontvangen1->title(), "Communication"},
        {w.ParSollOntvangen1->text(), "Receive all"},
        {w.Backup1->text(), "Backup..."},
        {w.Restore1->text(), "Restore..."},
        {w.MX52zoeken->text(), "Search..."},
        {w.Venster->title(), "Window"},
        {w.displaynokken1->text(), "Cams"},
        {w.Grafiek1->text(), "Graph"},
        {w.Info1->title(), "Help!"},
        {w.FormAbout->text(), "About"},
        {w.Errno1->text(), "Error numbers"},
    };
    for (const auto& [shown, expected] : menus)
        EXPECT_EQ(shown, expected);
    // The terminal waits for the link.
    EXPECT_FALSE(w.CmdTerminalZenden->isEnabled());
}

TEST_F(LanguageTextsTest, WithoutALanguageFileTheWindowKeepsItsOwnTexts) {
    TFormMain& w = createWindow();
    EXPECT_FALSE(state_->language.LanguageLoaded());
    EXPECT_EQ(w.GroupBoxActual->title(), "Actual");
    EXPECT_EQ(w.CmdTerminalZenden->text(), "Transmit");
    EXPECT_EQ(w.CmdResetError->text(), "RST SSI Err");
    EXPECT_EQ(w.File1->title(), "&File");
    EXPECT_EQ(w.MX52zoeken->text(), "Apparaat zoeken...");
    EXPECT_EQ(w.statusPanel(1)->text(), "Offline");
    // Buttons that change caption with a state never go blank.
    EXPECT_EQ(w.CmdSelectUnit->text(), "Open");
    EXPECT_EQ(w.CmdInUit->text(), "I/O ON");
    EXPECT_EQ(w.CmdActual->text(), "Actual ON");
    EXPECT_EQ(w.CmdDuimwiel->text(), "DW ON");
}

TEST_F(LanguageTextsTest, SwitchingToALanguageWithoutAFileKeepsTheTextsShown) {
    writeFile("Taal0.ini", "[Main]\nGroepIngangen=Ingangen NL\nCmdComOpen=Openen\n");
    TFormMain& w = createWindow();
    ASSERT_EQ(w.GroupBoxIngangen->title(), "Ingangen NL");
    // What the options dialog does when the user picks language 1.
    state_->settings.LanguageNo = 1;
    EXPECT_FALSE(state_->language.TekstFile_Lezen(programDir(), 1));
    w.LezenTeksten();
    EXPECT_EQ(w.GroupBoxIngangen->title(), "Ingangen NL");
    EXPECT_EQ(w.CmdSelectUnit->text(), "Openen");
    // The choice itself is kept and saved.
    closeWindow();
    EXPECT_TRUE(readFile("application.ini").contains("Taal=1"));
}

} // namespace
} // namespace kqm52::test

#include "shell/TextKeys.h"

namespace kqm52::test {
namespace {

// The language files are checked against the table of keys the windows
// read; the main window must read exactly those keys, with those defaults.
TEST(MainTextsKeys, TheMainWindowReadsTheKeysTheLanguageFilesHold) {
    QStringList listed;
    for (const TextKey& k : textKeys())
        if (QString::fromLatin1(k.section).compare("Main", Qt::CaseInsensitive) == 0)
            listed << QString::fromLatin1(k.key);
    QStringList read;
    for (const auto& e : MainTexts::table()) {
        read << QString::fromLatin1(e.key);
        const TextKey* k = findTextKey("Main", e.key);
        ASSERT_NE(k, nullptr) << e.key;
        EXPECT_STREQ(k->def, e.builtIn) << e.key;
    }
    EXPECT_EQ(read, listed);
}

} // namespace
} // namespace kqm52::test
