// A whole run as main starts it, on the built-in simulated bus.

#include "ShellTestSupport.h"
#include "TestWait.h"

#include "app/Program.h"
#include "inifile/IniFile.h"
#include "model/files/ParameterFile.h"
#include "model/files/SetpointFile.h"
#include "params/FormEditParam.h"
#include "setpoints/FormEditSollwerten.h"
#include "shell/FormMain.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
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
    EXPECT_EQ(program.port().PortName(), TPort::COM5);
    EXPECT_EQ(program.state().portMap.effectiveDevice(TPort::COM5), "sim");
    // The port opens on the simulated bus although COM5 is a USB adapter here.
    program.port().SetActive(true);
    EXPECT_TRUE(program.port().Active());
    w.close();
    EXPECT_FALSE(program.port().Active());
#else
    EXPECT_FALSE(program.demoProblem().isEmpty());
    program.mainWindow().close();
#endif
    IniFile saved;
    ASSERT_TRUE(saved.load(programDir + "application.ini"));
    EXPECT_EQ(saved.readString("Poorten", "COM5"), "/dev/ttyUSB3");
    EXPECT_FALSE(saved.hasKey("Poorten", "COM1"));
}

class ProgramRun : public ShellWorld {
  protected:
    QSpinBox* unitSelect() { return ctl<QSpinBox>(*window_, "SpinEditUnitSelect"); }
};

// The files the editors save carry the unit the user picked in the main
// window, whether picked there or taken over from a device search.
TEST_F(ProgramRun, EditorsSaveTheUnitChosenInTheMainWindow) {
    TFormMain& w = createWindow();
    QSignalSpy changed(&w, &TFormMain::unitNumberChanged);
    unitSelect()->setValue(12);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 12);
    EXPECT_EQ(w.unitNumber(), 12);

    for (int p = 0; p < 400; ++p)
        state_->tables.setParameter(p, p % 5 == 0 ? -p : p);
    auto* parameters = qobject_cast<TFormEditParam*>(w.secondaryWindows().FormEditParam.get());
    ASSERT_NE(parameters, nullptr);
    dialogs_.answerSaveFile(programDir() + "press.mxp");
    parameters->OpslaanAlsClick();
    EXPECT_EQ(QString::fromLatin1(readBytes("press.mxp")),
              QString::fromLatin1(ParameterFile::toBytes(state_->tables.parameters(), 12)));

    w.setUnitNumber(5); // what a device search hands over
    EXPECT_EQ(unitSelect()->value(), 5);
    ParamTables::Setpoints setpoints{};
    for (std::size_t i = 0; i < setpoints.size(); ++i)
        setpoints[i] = qint32(i * 11) - 100;
    state_->tables.replaceSetpoints(setpoints, SetpointSource::File);
    auto* editor =
        qobject_cast<TFormEditSollwerten*>(w.secondaryWindows().FormEditSollwerten.get());
    ASSERT_NE(editor, nullptr);
    dialogs_.answerSaveFile(programDir() + "press.mxs");
    editor->Opslaanals1Click();
    EXPECT_EQ(QString::fromLatin1(readBytes("press.mxs")),
              QString::fromLatin1(SetpointFile::toBytes(setpoints, 5)));
    EXPECT_EQ(dialogs_.asked(ScriptedDialogs::Kind::Message).size(), 0u);
}

// Closing the main window closes the port first, then writes the settings
// with the unit in the selector at that moment; the window is gone only
// after that.
TEST_F(ProgramRun, ClosingClosesThePortAndThenWritesTheSettings) {
    StartOptions demo;
    demo.demo = true;
    writeFile("application.ini", "[Serieel]\nunit_no=3\n");
    TFormMain& w = createWindow(demo);
    EXPECT_EQ(unitSelect()->value(), 3) << "the unit of the settings file";
    unitSelect()->setValue(9);
#ifdef KQM52_WITH_SIM
    port().SetActive(true);
    ASSERT_TRUE(port().Active());
#endif
    bool portOpenWhenClosed = true;
    QString fileWhenClosed;
    QObject::connect(&w, &TFormMain::closed, [&] {
        portOpenWhenClosed = port().Active();
        fileWhenClosed = readFile("application.ini");
    });
    w.close();
    EXPECT_FALSE(portOpenWhenClosed);
    EXPECT_TRUE(fileWhenClosed.contains("unit_no=9")) << fileWhenClosed.toStdString();
    // A second close writes nothing more.
    writeFile("application.ini", "changed by hand\n");
    w.close();
    EXPECT_EQ(readFile("application.ini"), "changed by hand\n");
    EXPECT_EQ(dialogs_.asked(ScriptedDialogs::Kind::Message).size(), 0u);
}

#ifdef KQM52_WITH_SIM
// The port is the run's, not a window's: a run that ends with the link busy
// and every window made takes the windows and their requests down before
// the port, and writes no settings: only closing the window does.
TEST_F(ProgramRun, ThePortOutlivesEveryWindowWhenTheRunEnds) {
    StartOptions demo;
    demo.demo = true;
    TFormMain& w = createWindow(demo);
    ctl<QPushButton>(w, "CmdSelectUnit")->click();
    ASSERT_TRUE(port().Active());
    ctl<QPushButton>(w, "CmdActual")->click();
    const SecondaryWindows& windows = w.secondaryWindows();
    for (const auto* lazy :
         {&windows.FormAbout, &windows.FormEditParam, &windows.FormOpties, &windows.FormInitSerial,
          &windows.FormParamService, &windows.FormEditSollwerten, &windows.FormDisplayNokken,
          &windows.FormLeesParSoll, &windows.FormApparaatZoeken, &windows.FormSchrijfParSoll,
          &windows.FormParLoader, &windows.FormCalibratie, &windows.FormAfdrukkenPar,
          &windows.FormAfdrukkenSoll, &windows.FormGrafiek})
        EXPECT_NE(lazy->get(), nullptr);
    EXPECT_NE(windows.FormInfoErrorNummers.get(), nullptr);
    // The unit answers: requests are on the line as the run ends.
    ASSERT_TRUE(waitUntil([&] { return !ctl<QLabel>(w, "PanelActPos")->text().isEmpty(); }));
    program_.reset();
    EXPECT_FALSE(QFile::exists(iniPath())) << "only closing the window writes the settings";
}
#endif

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
    ASSERT_TRUE(program->port().Active());
    EXPECT_EQ(line->text(), QString());
    w.findChild<QPushButton*>("CmdSelectUnit")->click();
    ASSERT_FALSE(program->port().Active());
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
