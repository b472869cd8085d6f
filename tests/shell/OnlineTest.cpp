// The main window online, against simulated units on a virtual clock: its
// buttons reach the unit selection, the live monitor and the terminal, and
// what they report lands in the window's panels, lamps and boxes.

#include "ShellTestSupport.h"
#include "sim/SimLinkFixture.h"
#include "support/QtPrinting.h"

#include "link/setup/ZRSetupCommForm.h"
#include "model/journal/JournalStore.h"
#include "model/journal/ServiceJournal.h"
#include "shell/LiveMonitor.h"
#include "shell/UnitSelection.h"
#include "sim/SimBus.h"
#include "sim/SimDriver.h"
#include "ui/Lamp.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cerrno>

using namespace kqm52;
using namespace kqm52::test;

namespace {

const char* const LanguageFile = "[Main]\nCmdComOpen=Open\nCmdComClose=Close\n"
                                 "CmdActual_ON=Actual ON\nCmdActual_OFF=Actual OFF\n"
                                 "CmdIO_ON=I/O ON\nCmdIO_OFF=I/O OFF\n"
                                 "PanelTekst0=No reply from the unit\nPanelTekst1=Line error\n"
                                 "[InitCom]\nMsgCannotOpen=%1 (%2) is niet te openen:\n"
                                 "MsgDeviceMissing=Is de omzetter aangesloten?\n"
                                 "MsgMapNotDevice=%1 leidt naar \"%2\", geen apparaatpad.\n";

class OnlineTest : public ShellWorld {
  protected:
    // With a language file beside the program, chosen in application.ini,
    // and unit 7 on the simulated bus at the window's line settings.
    void SetUp() override {
        writeFile("Taal1.ini", LanguageFile);
        writeFile("application.ini", "[Opties]\nTaal=1\n");
        TFormMain& w = createWindow();
        LineState line;
        line.baud = baudrateValue(port().Baudrate());
        line.dataBits = dataBitsValue(port().FrameDatabits());
        line.parity = DriverParity(int(port().FrameParitybit()));
        line.stopBits = stopBitsValue(port().FrameStopbits());
        bus->addUnit(7, line);
        hostLines.attach(*bus);
        state_->portMap.setDevice(port().PortName(), "sim");
        installSimulatedBus(state_->portMap, bus);
        ctl<QSpinBox>(w, "SpinEditUnitSelect")->setValue(7);
    }
    // The window (and its port's worker) outlives this fixture's members: stop
    // the worker and the trace before the list the trace writes into goes.
    void TearDown() override {
        port().SetActive(false);
        bus->setTrace({});
    }

    TFormMain& w() { return *window_; }
    QPushButton* button(const char* name) { return ctl<QPushButton>(w(), name); }
    QLabel* label(const char* name) { return ctl<QLabel>(w(), name); }
    QColor lamp(const char* stem, int i = -1) {
        return (i < 0 ? ctl<Lamp>(w(), stem) : ctl<Lamp>(w(), stem, i))->colour();
    }
    void open() {
        button("CmdSelectUnit")->click();
        ASSERT_TRUE(port().Active());
        ASSERT_TRUE(waitUntil([&] { return !w().statusPanel(4)->text().isEmpty(); }));
    }
    template <class F> void withUnit(F f) { bus->withUnit(0, f); }

    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
    simtest::HostLines hostLines;
};

// One session: open, identify, watch values and lamps, clear the unit's
// error, close.  What each answer means is the logic's test; here the widgets.
TEST_F(OnlineTest, EachButtonReachesTheUnitAndItsAnswerItsPanel) {
    withUnit([](SimUnit& u) {
        u.typeText = "MX52 Nokkenregelaar V3.07";
        u.setInputs(17);
    });
    // The Communicatie items need the transfer windows as well as the link.
    NoTransfers transfers;
    SecondaryWindows windows;
    windows.transfers = &transfers;
    w().setSecondaryWindows(windows);
    open();
    EXPECT_EQ(w().statusPanel(1)->text(), port().lineSettingsText());
    // A panel too narrow for the whole text has it as its tip.
    EXPECT_EQ(w().statusPanel(2)->text(), "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(w().statusPanel(2)->toolTip(), "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(button("CmdSelectUnit")->text(), "Close");
    EXPECT_TRUE(ctl<QAction>(w(), "ParSollOntvangen1")->isEnabled()); // follows the link
    EXPECT_TRUE(dialogs_.asked().empty());

    // Actual values: pale yellow while polled.
    button("CmdActual")->click();
    EXPECT_EQ(label("PanelActPos")->palette().color(QPalette::Window), LiveMonitor::activeColour());
    EXPECT_EQ(button("CmdActual")->text(), "Actual OFF");
    ASSERT_TRUE(waitUntil([&] { return !label("PanelActPos")->text().isEmpty(); }));

    // Inputs 17: K0 and input 4 blue, the others white; outputs 5: 1 and 3.
    button("CmdInUit")->click();
    EXPECT_EQ(button("CmdInUit")->text(), "I/O OFF");
    ASSERT_TRUE(waitUntil([&] { return lamp("TB_K0") == QColor(0, 0, 255); }));
    ASSERT_TRUE(waitUntil([&] { return lamp("Tb_in", 3) == QColor(0, 0, 255); }));
    for (int i : {0, 1, 2})
        EXPECT_EQ(lamp("Tb_in", i), QColor(255, 255, 255)) << i;
    w().liveMonitor().RQ500_uitCommResult("ru 5\r\n");
    const QColor outputs[] = {Qt::blue, Qt::white, Qt::blue, Qt::white};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lamp("TbUitgang", i), outputs[i]) << i;

    // The error poll shows the unit's error; "wf" clears it in the unit.
    withUnit([](SimUnit& u) { u.setErrorNumber(12); });
    w().liveMonitor().Timer1Timer();
    ASSERT_TRUE(waitUntil([&] { return label("PanelErrorNo")->text() == "MX52... Error: 12"; }));
    button("CmdResetError")->click();
    ASSERT_TRUE(waitUntil(
        [&] { return bus->withUnit(0, [](SimUnit& u) { return u.errorNumber(); }) == -1; }));

    // Closing puts the offline look back: values, lamps, buttons.
    button("CmdSelectUnit")->click();
    EXPECT_FALSE(port().Active());
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");
    EXPECT_TRUE(label("PanelActPos")->text().isEmpty());
    EXPECT_NE(label("PanelActPos")->palette().color(QPalette::Window), LiveMonitor::activeColour());
    // Every lamp that was lit shows the window's face again.
    const QColor face = ctl<QGroupBox>(w(), "GroupBoxIngangen")->palette().color(QPalette::Window);
    EXPECT_EQ(lamp("TB_K0"), face);
    EXPECT_EQ(lamp("Tb_in", 3), face);
    EXPECT_TRUE(ctl<Lamp>(w(), "TbUitgang", 0)->isNeutral());
    EXPECT_EQ(button("CmdInUit")->text(), "I/O ON");
    EXPECT_FALSE(button("CmdActual")->isEnabled());
    EXPECT_FALSE(ctl<QAction>(w(), "ParSollOntvangen1")->isEnabled());
}

// Fast framing chosen, but the unit needs its pause after a reply: the
// identification still arrives whole, and the status bar says the link frames
// by silence for now, until a transfer tries fast framing again.
TEST_F(OnlineTest, TheStatusBarSaysWhenFastFramingIsOffForNow) {
    bus->setFaults(7, {.notReadyMs = 20});
    port().SetFastFraming(true);
    QLabel* off = label("LabelFastFramingOff");
    EXPECT_FALSE(off->isVisibleTo(&w()));
    open();
    EXPECT_EQ(w().statusPanel(2)->text(), "MX52 Nokkenregelaar V3.07");
    EXPECT_TRUE(off->isVisibleTo(&w()));
    EXPECT_EQ(off->text(), "Fast framing off for now");
    port().resumeFastFraming(); // what a transfer does as it starts
    EXPECT_FALSE(off->isVisibleTo(&w()));
}

// Enter sends the line; the whole reply shows, the line stays selected for
// the next send, Up and Down recall earlier lines, and a request without
// reply says so in red.
TEST_F(OnlineTest, TheTerminal) {
    withUnit([](SimUnit& u) { u.typeText = "MX52 T"; });
    open();
    auto* edit = ctl<QLineEdit>(w(), "EditZenden");
    auto* memo = ctl<QPlainTextEdit>(w(), "MemoReceive");
    const auto send = [&](const char* line) {
        edit->setText(line);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    send("  rt  ");
    ASSERT_TRUE(waitUntil([&] { return !memo->toPlainText().isEmpty(); }));
    EXPECT_EQ(memo->toPlainText(), "rt MX52 T");
    EXPECT_EQ(edit->selectedText(), "  rt  ");

    for (const char* line : {"rp 1", "rp 2", "rs 3"})
        send(line);
    edit->clear();
    const std::pair<Qt::Key, const char*> keys[] = {{Qt::Key_Up, "rs 3"},   {Qt::Key_Up, "rp 2"},
                                                    {Qt::Key_Up, "rp 1"},   {Qt::Key_Up, "  rt  "},
                                                    {Qt::Key_Up, "  rt  "}, {Qt::Key_Down, "rp 1"}};
    for (auto [key, shown] : keys) {
        QTest::keyClick(edit, key);
        EXPECT_EQ(edit->text(), shown);
    }

    ASSERT_TRUE(waitUntil([&] { return port().queuedRequests() == 0; }));
    bus->setFaults(7, {.noAnswer = true});
    send("rt");
    QLabel* notice = label("PanelComInfo");
    ASSERT_TRUE(waitUntil([&] { return !notice->text().isEmpty(); }));
    EXPECT_EQ(notice->text(), "No reply from the unit");
    EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

// The link's own setup dialog may only change a closed port: showing it from
// the main window lets go of the line first.
TEST_F(OnlineTest, TheSetupDialogClosesThePortBeforeItShows) {
    open();
    bool closedWhenShown = false;
    w().ZRSetupCommDialog1.onFormCreated = [&](TZRSetupCommForm& form) {
        QTimer::singleShot(0, &form, [&] {
            closedWhenShown = !port().Active();
            form.CmdCancel->click();
        });
    };
    EXPECT_FALSE(w().ZRSetupCommDialog1.ExecuteEnglish());
    EXPECT_TRUE(closedWhenShown);
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");
}

TEST_F(OnlineTest, APortThatCannotBeOpenedSaysWhichDeviceAndWhy) {
    state_->portMap.setDevice(port().PortName(), "/dev/no-such-port-kqm52");
    button("CmdSelectUnit")->click();
    EXPECT_FALSE(port().Active());
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    // In the language's words, as the serial settings say it: the port and
    // its device, the system's reason, the advice.
    const QStringList lines = dialogs_.asked().front().text.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0],
              PortMap::key(port().PortName()) + " (/dev/no-such-port-kqm52) is niet te openen:");
    EXPECT_TRUE(lines[1].contains(QString::fromStdString(systemErrorText(ENOENT))))
        << lines[1].toStdString();
    EXPECT_EQ(lines.back(), "Is de omzetter aangesloten?");
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");

    // A map entry that is no device: both lines in the language's words.
    state_->portMap.setDevice(port().PortName(), "udp://127.0.0.1:4001");
    button("CmdSelectUnit")->click();
    ASSERT_EQ(dialogs_.asked().size(), 2u);
    const QString key = PortMap::key(port().PortName());
    EXPECT_EQ(dialogs_.asked().back().text,
              key + " (udp://127.0.0.1:4001) is niet te openen:\n" + key +
                  " leidt naar \"udp://127.0.0.1:4001\", geen apparaatpad.");
}

} // namespace

namespace {

// The journal of the run, as the file holds it.
std::vector<std::pair<JournalEntry, std::vector<JournalItem>>> journalOf(const QString& path) {
    std::vector<std::pair<JournalEntry, std::vector<JournalItem>>> all;
    JournalStore store;
    if (!store.openForReading(path)) return all;
    for (const JournalEntry& e : store.find({}))
        all.emplace_back(e, store.items(e.id));
    return all;
}

TEST_F(OnlineTest, TerminalLinesAreJournaledAsTypedWithTheReply) {
    open();
    auto* edit = ctl<QLineEdit>(w(), "EditZenden");
    auto* memo = ctl<QPlainTextEdit>(w(), "MemoReceive");
    for (const char* line : {"wp 9 4", "rx"}) {
        memo->clear();
        edit->setText(line);
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return !memo->toPlainText().isEmpty(); }));
    }
    ASSERT_TRUE(program_->journal().sync());
    const auto all = journalOf(programDir() + "journal.sqlite");
    ASSERT_EQ(all.size(), 2u); // the live values and the identification are no entries
    EXPECT_EQ(all[0].first.action, "terminal line");
    EXPECT_EQ(all[0].second, (std::vector<JournalItem>{
                                 {.kind = 'T', .line = "rx", .answer = "rx KQM52 simulator"}}));
    EXPECT_EQ(all[1].second.front().line, "wp 9 4");
    EXPECT_EQ(all[1].first.unit, 7);
    EXPECT_EQ(all[1].first.outcome, "done");
    EXPECT_FALSE(w().findChild<QLabel*>("LabelJournalOff")->isVisibleTo(&w()));
}

// A journal that cannot be written: the status bar says so, the user is
// told once, and the terminal works on.
class JournalOffTest : public OnlineTest {
  protected:
    void SetUp() override {
        QDir(programDir()).mkdir("journal.sqlite"); // a folder where the file would be
        OnlineTest::SetUp();
    }
};

TEST_F(JournalOffTest, IsSaidOnceAndTheWorkGoesOn) {
    open();
    auto* edit = ctl<QLineEdit>(w(), "EditZenden");
    auto* memo = ctl<QPlainTextEdit>(w(), "MemoReceive");
    for (const char* line : {"wp 9 4", "wp 9 5", "rp 9"}) {
        memo->clear();
        edit->setText(line);
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return !memo->toPlainText().isEmpty(); }));
        program_->journal().sync();
    }
    EXPECT_EQ(memo->toPlainText(), "rp 9 5");
    const auto warnings = dialogs_.asked(ScriptedDialogs::Kind::Message);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains("journal.sqlite")) << warnings[0].text.toStdString();
    QLabel* off = w().findChild<QLabel*>("LabelJournalOff");
    EXPECT_TRUE(off->isVisibleTo(&w()));
    EXPECT_EQ(off->text(), "Journal off");
}

} // namespace
