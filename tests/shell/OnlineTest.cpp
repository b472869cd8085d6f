// The main window online, against simulated units on a virtual clock: unit
// selection and identification, the live monitor, the terminal.

#include "ShellTestSupport.h"
#include "sim/SimLinkFixture.h"

#include "link/ReplyText.h"
#include "link/setup/ZRSetupCommForm.h"
#include "shell/LiveMonitor.h"
#include "shell/Terminal.h"
#include "shell/UnitSelection.h"
#include "sim/SimBus.h"
#include "sim/SimDriver.h"
#include "ui/Lamp.h"

#include <QAction>
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

const char* const LanguageFile = "[Main]\n"
                                 "CmdComOpen=Open\n"
                                 "CmdComClose=Close\n"
                                 "CmdActual_ON=Actual ON\n"
                                 "CmdActual_OFF=Actual OFF\n"
                                 "CmdIO_ON=I/O ON\n"
                                 "CmdIO_OFF=I/O OFF\n"
                                 "PanelTekst0=No reply from the unit\n"
                                 "PanelTekst1=Line error\n";

class OnlineTest : public ShellWorld {
  protected:
    // The window (and its port's worker) outlives this fixture's members: stop
    // the worker and the trace before the list the trace writes into goes.
    void TearDown() override {
        if (window_) window_->ZRComm1.SetActive(false);
        if (bus) bus->setTrace({});
    }

    // With a language file beside the program, chosen in application.ini.
    TFormMain& start() {
        writeFile("Taal1.ini", LanguageFile);
        writeFile("application.ini", "[Opties]\nTaal=1\n");
        TFormMain& w = createWindow();
        bus = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
        line.baud = baudrateValue(w.ZRComm1.Baudrate());
        line.dataBits = dataBitsValue(w.ZRComm1.FrameDatabits());
        line.parity = DriverParity(int(w.ZRComm1.FrameParitybit()));
        line.stopBits = stopBitsValue(w.ZRComm1.FrameStopbits());
        bus->addUnit(7, line);
        hostLines.attach(*bus);
        state_->portMap.setDevice(w.ZRComm1.PortName(), "sim");
        installSimulatedBus(state_->portMap, bus);
        ctl<QSpinBox>(w, "SpinEditUnitSelect")->setValue(7);
        return w;
    }

    QStringList sent() { return hostLines.all(); }
    template <class P> bool waitFor(P pred) { return waitUntil(pred); }
    TFormMain& w() { return *window_; }
    void open() {
        ctl<QPushButton>(w(), "CmdSelectUnit")->click();
        ASSERT_TRUE(w().ZRComm1.Active());
        ASSERT_TRUE(waitFor([&] { return !w().statusPanel(4)->text().isEmpty(); }));
    }
    template <class F> void withUnit(F f) { bus->withUnit(0, f); }
    QColor panelColour(const char* name) {
        return ctl<QLabel>(w(), name)->palette().color(QPalette::Window);
    }

    std::shared_ptr<SimBus> bus;
    LineState line;
    simtest::HostLines hostLines;
};

TEST_F(OnlineTest, OpeningSelectsTheUnitAndReadsItsIdentity) {
    start();
    withUnit([](SimUnit& u) {
        u.typeText = "MX52 Nokkenregelaar V3.07";
        u.hardwareText = "HW 2.1";
        u.extraText = "extra";
    });
    // The Communicatie items need the transfer windows as well as the link.
    struct NoTransfers : TransferWindows {
        std::optional<UnitTables> receive(int) override { return std::nullopt; }
        SendReport send(int, const UnitTables&) override { return {}; }
    } transfers;
    SecondaryWindows windows;
    windows.transfers = &transfers;
    w().setSecondaryWindows(windows);
    open();
    // Which answer goes to which panel is the logic's test; here the widgets.
    EXPECT_EQ(w().statusPanel(1)->text(), UnitSelection::lineSettingsText(w().ZRComm1));
    EXPECT_EQ(w().statusPanel(2)->text(), "MX52 Nokkenregelaar V3.07");
    // The panel keeps its width; the whole text is its tip.
    EXPECT_EQ(w().statusPanel(2)->width(), 70);
    EXPECT_EQ(w().statusPanel(2)->toolTip(), "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(ctl<QPushButton>(w(), "CmdSelectUnit")->text(), "Close");
    EXPECT_TRUE(ctl<QPushButton>(w(), "CmdActual")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>(w(), "CmdTerminalZenden")->isEnabled());
    EXPECT_TRUE(ctl<QAction>(w(), "ParSollOntvangen1")->isEnabled()); // follows the link
    EXPECT_TRUE(dialogs_.asked().empty());

    ctl<QPushButton>(w(), "CmdSelectUnit")->click();
    EXPECT_FALSE(w().ZRComm1.Active());
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");
    EXPECT_FALSE(ctl<QPushButton>(w(), "CmdActual")->isEnabled());
    EXPECT_FALSE(ctl<QAction>(w(), "ParSollOntvangen1")->isEnabled());
}

TEST(StatusText, LineSettingsReadAsTheStatusBarShowsThem) {
    struct Case {
        TBaudrate baud;
        TParityBit parity;
        TDataBit data;
        TStopBit stop;
        const char* text;
    };
    const Case cases[] = {
        {TBaudrate::br115200, TParityBit::Even, TDataBit::db_8, TStopBit::sb_1, "115200,E,8,1"},
        {TBaudrate::br38400, TParityBit::Odd, TDataBit::db_7, TStopBit::sb_2, "38400,O,7,2"},
        {TBaudrate::br1200, TParityBit::None, TDataBit::db_8, TStopBit::sb_1, "1200,N,8,1"},
        {TBaudrate::br28800, TParityBit::Even, TDataBit::db_8, TStopBit::sb_2, "28800,E,8,2"},
    };
    for (const auto& c : cases) {
        TZRComm p;
        p.SetBaudrate(c.baud);
        p.SetFrameParitybit(c.parity);
        p.SetFrameDatabits(c.data);
        p.SetFrameStopbits(c.stop);
        EXPECT_EQ(UnitSelection::lineSettingsText(p), c.text);
    }
}

// The link's own setup dialog may only change a closed port: showing it from
// the main window lets go of the line first.
TEST_F(OnlineTest, TheSetupDialogClosesThePortBeforeItShows) {
    start();
    open();
    bool closedWhenShown = false;
    w().ZRSetupCommDialog1.onFormCreated = [&](TZRSetupCommForm& form) {
        QTimer::singleShot(0, &form, [&] {
            closedWhenShown = !w().ZRComm1.Active();
            form.CmdCancel->click();
        });
    };
    EXPECT_FALSE(w().ZRSetupCommDialog1.ExecuteEnglish());
    EXPECT_TRUE(closedWhenShown);
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");
}

TEST_F(OnlineTest, APortThatCannotBeOpenedSaysWhichDeviceAndWhy) {
    start();
    state_->portMap.setDevice(w().ZRComm1.PortName(), "/dev/no-such-port-kqm52");
    ctl<QPushButton>(w(), "CmdSelectUnit")->click();
    EXPECT_FALSE(w().ZRComm1.Active());
    ASSERT_EQ(dialogs_.asked().size(), 1u);
    const QString text = dialogs_.asked().front().text;
    EXPECT_TRUE(text.contains(QString::fromStdString(systemErrorText(ENOENT))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("/dev/no-such-port-kqm52"));
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");

    const QString denied = UnitSelection::openErrorText("Permission denied", EACCES, "/dev/null");
    EXPECT_TRUE(denied.contains("group")) << denied.toStdString();
    EXPECT_TRUE(denied.contains("/dev/null"));
}

TEST_F(OnlineTest, ActualValuesPollOnlyTheAnalogOutputThatIsSetUp) {
    struct Case {
        int mode;
        QStringList polled;
    };
    const Case cases[] = {{0, {"r0", "r1", "r4", "r5", "r6"}},
                          {1, {"r0", "r1", "r2", "r4", "r5", "r6"}},
                          {2, {"r0", "r1", "r3", "r4", "r5", "r6"}}};
    for (const auto& c : cases) {
        start();
        state_->tables.setParameter(388, c.mode);
        open();
        hostLines.clear();
        ctl<QPushButton>(w(), "CmdActual")->click();
        // Pale yellow while polled; an output that is not set up stays plain.
        EXPECT_EQ(panelColour("PanelActPos"), LiveMonitor::activeColour());
        EXPECT_EQ(panelColour("PanelSpanning_uit") == LiveMonitor::activeColour(), c.mode == 1);
        EXPECT_EQ(ctl<QPushButton>(w(), "CmdActual")->text(), "Actual OFF");
        ASSERT_TRUE(waitFor([&] { return sent().size() >= 30; }));
        EXPECT_FALSE(ctl<QLabel>(w(), "PanelActPos")->text().isEmpty());
        QSet<QString> seen;
        for (const auto& r : sent())
            seen.insert(r);
        seen.remove("rf"); // the error poll runs beside the monitor
        EXPECT_EQ(seen, QSet<QString>(c.polled.begin(), c.polled.end())) << c.mode;
        // Closing the port ends the polling and clears the panels.
        w().ZRComm1.SetActive(false);
        EXPECT_TRUE(ctl<QLabel>(w(), "PanelActPos")->text().isEmpty());
        EXPECT_NE(panelColour("PanelActPos"), LiveMonitor::activeColour());
        EXPECT_FALSE(state_->monitor.ActualOn);
    }
}

TEST_F(OnlineTest, InputsAndOutputsLightTheirLamps) {
    start();
    withUnit([](SimUnit& u) { u.setInputs(17); });
    open();
    ctl<QPushButton>(w(), "CmdInUit")->click();
    ASSERT_TRUE(waitFor([&] {
        return !ctl<Lamp>(w(), "TB_K0")->isNeutral() && !ctl<Lamp>(w(), "Tb_in", 3)->isNeutral();
    }));
    EXPECT_EQ(ctl<Lamp>(w(), "TB_K0")->colour(), Lamp::onColour());
    EXPECT_EQ(ctl<Lamp>(w(), "Tb_in", 3)->colour(), Lamp::onColour());
    for (int i : {0, 1, 2})
        EXPECT_EQ(ctl<Lamp>(w(), "Tb_in", i)->colour(), Lamp::offColour()) << i;
    // outputs: bits 0..3
    w().liveMonitor().RQ500_uitCommResult("ru 5\r\n");
    EXPECT_EQ(ctl<Lamp>(w(), "TbUitgang", 0)->colour(), Lamp::onColour());
    EXPECT_EQ(ctl<Lamp>(w(), "TbUitgang", 1)->colour(), Lamp::offColour());
    EXPECT_EQ(ctl<Lamp>(w(), "TbUitgang", 2)->colour(), Lamp::onColour());
    ctl<QPushButton>(w(), "CmdInUit")->click();
    EXPECT_TRUE(ctl<Lamp>(w(), "TB_K0")->isNeutral());
    EXPECT_EQ(ctl<QPushButton>(w(), "CmdInUit")->text(), "I/O ON");
}

TEST_F(OnlineTest, TheErrorPollShowsTheDevicesErrorNumber) {
    start();
    open();
    withUnit([](SimUnit& u) { u.setErrorNumber(12); });
    w().liveMonitor().Timer1Timer();
    ASSERT_TRUE(waitFor([&] { return !ctl<QLabel>(w(), "PanelErrorNo")->text().isEmpty(); }));
    EXPECT_EQ(ctl<QLabel>(w(), "PanelErrorNo")->text(), "MX52... Error: 12");
    EXPECT_EQ(w().statusPanel(5)->text(), ". ");

    // "wf" clears the error in the unit
    ctl<QPushButton>(w(), "CmdResetError")->click();
    ASSERT_TRUE(waitFor([&] { return sent().contains("wf"); }));
    ASSERT_TRUE(waitFor(
        [&] { return bus->withUnit(0, [](SimUnit& u) { return u.errorNumber(); }) == -1; }));
}

// The whole reply shows, the line stays selected for the next send, Up and
// Down recall earlier lines, and a request without reply says so in red.
TEST_F(OnlineTest, TheTerminal) {
    start();
    withUnit([](SimUnit& u) { u.typeText = "MX52 T"; });
    open();
    auto* edit = ctl<QLineEdit>(w(), "EditZenden");
    auto* memo = ctl<QPlainTextEdit>(w(), "MemoReceive");
    const auto send = [&](const char* line) {
        edit->setText(line);
        ctl<QPushButton>(w(), "CmdTerminalZenden")->click();
    };
    send("  rt  ");
    ASSERT_TRUE(waitFor([&] { return !memo->toPlainText().isEmpty(); }));
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

    ASSERT_TRUE(waitFor([&] { return w().ZRComm1.queuedRequests() == 0; }));
    bus->setFaults(7, {.noAnswer = true});
    send("rt");
    auto* notice = ctl<QLabel>(w(), "PanelComInfo");
    ASSERT_TRUE(waitFor([&] { return !notice->text().isEmpty(); }));
    EXPECT_EQ(notice->text(), "No reply from the unit");
    EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST(ReplyTextRule, TextLiesBetweenTheEchoAndTheLineEnd) {
    EXPECT_EQ(replyText("r0 -125\r\n", 100), "-125");
    EXPECT_EQ(replyText("rf\r\n", 100), "");
    EXPECT_EQ(replyText("rf 1\r\n", 100), "1");
    // an over-long reply is cut to its reader's buffer, never read past it
    const QByteArray longReply = "ri " + QByteArray(40, '1') + "\r\n";
    EXPECT_EQ(replyText(longReply, 20), QString(15, '1'));
    EXPECT_EQ(parseDeviceInteger(" 17 "), 17);
    EXPECT_FALSE(parseDeviceInteger("1 7").has_value());
    EXPECT_FALSE(parseDeviceInteger("2147483648").has_value());
    EXPECT_EQ(parseDeviceInteger("-2147483648"), std::numeric_limits<qint32>::min());
}

} // namespace
