// A whole run as main starts it, on the built-in simulated bus.

#include "app/Program.h"
#include "inifile/IniFile.h"
#include "shell/FormMain.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kqm52::test {
namespace {

TEST(ProgramTest, DemoLeadsEveryPortToTheSimulatedBusForThisRunOnly) {
    QTemporaryDir dir;
    const QString programDir = dir.path() + '/';
    {
        IniFile ini;
        ini.writeString("Serieel", "portname", "4");
        ini.writeString("Poorten", "COM5", "/dev/ttyUSB3");
        ASSERT_TRUE(ini.save(programDir + "application.ini"));
    }
    StartOptions options;
    options.demo = true;
    Program program(options, ProgramFolders::portable(programDir));
    EXPECT_EQ(program.state().portMap.device(TPort::COM1), "/dev/ttyS0"); // not in the file
#ifdef KQM52_WITH_SIM
    ASSERT_TRUE(program.demoProblem().isEmpty());
    TFormMain& w = program.mainWindow();
    EXPECT_EQ(w.ZRComm1.PortName(), TPort::COM5);
    EXPECT_EQ(program.state().portMap.effectiveDevice(TPort::COM5), "sim");
    // The port opens on the simulated bus although COM5 is a USB adapter here.
    w.ZRComm1.SetActive(true);
    EXPECT_TRUE(w.ZRComm1.Active());
    w.close();
    EXPECT_FALSE(w.ZRComm1.Active());
#else
    EXPECT_FALSE(program.demoProblem().isEmpty());
    program.mainWindow().close();
#endif
    IniFile saved;
    ASSERT_TRUE(saved.load(programDir + "application.ini"));
    EXPECT_EQ(saved.readString("Poorten", "COM5"), "/dev/ttyUSB3");
    EXPECT_FALSE(saved.hasKey("Poorten", "COM1"));
}

#ifdef KQM52_WITH_SIM
// A program folder with the shipped language files and a settings file that
// asks for one language.
class LanguageRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const char* f : {"Taal0.ini", "Taal1.ini", "Taal2.ini", "Parameters.txt", "ParNo.txt"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(KQM52_DATA_DIR "/") + QLatin1String(f),
                                    programDir() + QLatin1String(f)));
    }
    QString programDir() const { return dir_.path() + '/'; }
    std::unique_ptr<Program> start(int languageNo, bool demo) {
        IniFile ini;
        ini.writeInteger("Opties", "Taal", languageNo);
        EXPECT_TRUE(ini.save(programDir() + "application.ini"));
        StartOptions options;
        options.demo = demo;
        return std::make_unique<Program>(options, ProgramFolders::portable(programDir()));
    }
    QString fileText(int languageNo, const char* key) const {
        IniFile taal;
        EXPECT_TRUE(taal.load(programDir() + LanguageTexts::fileName(languageNo)));
        return taal.readString("Main", key);
    }
    static QLabel* comInfo(TFormMain& w) { return w.findChild<QLabel*>("PanelComInfo"); }

    QTemporaryDir dir_;
};

// A newcomer's first look at a demo: the message line says what is there and
// what to press, in the user's language, until the first Open.
TEST_F(LanguageRun, ADemoSaysWhatIsOnTheLineUntilTheFirstOpen) {
    auto program = start(2, true);
    TFormMain& w = program->mainWindow();
    QLabel* line = comInfo(w);
    ASSERT_NE(line, nullptr);
    const QString german = fileText(2, "MsgDemo");
    ASSERT_TRUE(german.contains(u"Öffnen"_qs));
    EXPECT_EQ(line->text(), german);
    EXPECT_LE(line->heightForWidth(line->width()), line->height()) << "the hint is cut off";
    EXPECT_NE(line->palette().color(QPalette::WindowText), QColor(Qt::red)); // advice, not trouble
    // Qt's own texts start in the language of the settings too.
    EXPECT_EQ(program->state().qtTexts.inUse(), u"qtbase_de"_qs);

    // Another language while the hint stands: the hint follows.
    ASSERT_TRUE(program->state().language.TekstFile_Lezen(programDir(), 1));
    program->state().settings.LanguageNo = 1;
    w.LezenTeksten();
    EXPECT_EQ(line->text(), fileText(1, "MsgDemo"));
    EXPECT_LE(line->heightForWidth(line->width()), line->height()) << "the hint is cut off";

    w.findChild<QPushButton*>("CmdSelectUnit")->click();
    ASSERT_TRUE(w.ZRComm1.Active());
    EXPECT_EQ(line->text(), QString());
    w.findChild<QPushButton*>("CmdSelectUnit")->click();
    ASSERT_FALSE(w.ZRComm1.Active());
    EXPECT_EQ(line->text(), QString()); // it does not come back
    w.LezenTeksten();
    EXPECT_EQ(line->text(), QString());
    w.close();
}

TEST_F(LanguageRun, ANormalStartLeavesTheMessageLineEmpty) {
    auto program = start(0, false);
    EXPECT_EQ(comInfo(program->mainWindow())->text(), QString());
    EXPECT_EQ(program->state().qtTexts.inUse(), u"qtbase_nl"_qs);
    program->mainWindow().close();
}
#endif

} // namespace
} // namespace kqm52::test
