// The main window online, against simulated units on a virtual clock: unit
// selection and identification, the live monitor, the terminal.

#include "ShellTestSupport.h"
#include "TestWait.h"

#include "link/ReplyText.h"
#include "link/setup/ZRSetupCommForm.h"
#include "shell/LiveMonitor.h"
#include "shell/Terminal.h"
#include "shell/UnitSelection.h"
#include "sim/SimBus.h"
#include "sim/SimDriver.h"
#include "ui/Lamp.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <mutex>

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
                                 "CmdDuimwiel_ON=DW ON\n"
                                 "CmdDuimwiel_OFF=DW OFF\n"
                                 "PanelTekst0=No reply from the unit\n"
                                 "PanelTekst1=Line error\n"
                                 "Msg_waarschuwingCaption=Warning\n"
                                 "Msg_Melding_Geen_MX52=This is not an MX52\n";

class OnlineTest : public ShellWorld {
  protected:
    // The window (and its port's worker) outlives this fixture's members: stop
    // the worker and the trace before the list the trace writes into goes.
    void TearDown() override {
        if (window_) window_->ZRComm1.SetActive(false);
        if (bus) bus->setTrace({});
    }

    // withLanguage: a language file beside the program, chosen in application.ini.
    TFormMain& start(bool withLanguage = true, int unitNo = 7) {
        if (withLanguage) {
            writeFile("Taal1.ini", LanguageFile);
            writeFile("application.ini", "[Opties]\nTaal=1\n");
        } else {
            QFile::remove(programDir() + "Taal1.ini");
            QFile::remove(iniPath());
        }
        TFormMain& w = createWindow();
        bus = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
        line.baud = baudrateValue(w.ZRComm1.Baudrate());
        line.dataBits = dataBitsValue(w.ZRComm1.FrameDatabits());
        line.parity = DriverParity(int(w.ZRComm1.FrameParitybit()));
        line.stopBits = stopBitsValue(w.ZRComm1.FrameStopbits());
        unit = &bus->addUnit(unitNo, line);
        bus->setTrace([this](SimNanos, bool fromHost, int, const LineState&, const QByteArray& b) {
            if (fromHost) {
                std::lock_guard l(traceMutex);
                const QByteArray line = b.trimmed();
                requests.emplace_back(line.constData(), line.size());
            }
        });
        state_->portMap.setDevice(w.ZRComm1.PortName(), "sim");
        installSimulatedBus(state_->portMap, bus);
        ctl<QSpinBox>(w, "SpinEditUnitSelect")->setValue(unitNo);
        return w;
    }

    // A deep copy: the trace appends on the worker thread, and implicitly
    // shared copies would touch the same buffers from both threads.
    QList<QByteArray> sent() {
        std::lock_guard l(traceMutex);
        QList<QByteArray> copy;
        for (const QByteArray& r : requests)
            copy.append(QByteArray(r.constData(), r.size()));
        return copy;
    }
    void clearSent() {
        std::lock_guard l(traceMutex);
        requests.clear();
    }
    template <class P> bool waitFor(P pred) { return waitUntil(pred); }
    TFormMain& w() { return *window_; }
    void open() {
        ctl<QPushButton>(w(), "CmdSelectUnit")->click();
        ASSERT_TRUE(w().ZRComm1.Active());
        ASSERT_TRUE(waitFor([&] { return !w().statusPanel(4)->text().isEmpty(); }));
    }
    template <class F> void withUnit(F f) { bus->withUnit(0, f); }

    std::shared_ptr<SimBus> bus;
    SimUnit* unit = nullptr;
    LineState line;
    std::mutex traceMutex;
    std::vector<QByteArray> requests; // written by the trace, under traceMutex
};

TEST_F(OnlineTest, OpeningSelectsTheUnitAndReadsItsIdentity) {
    start(true, 7);
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
    EXPECT_EQ(sent().mid(0, 4), (QList<QByteArray>{"sc 7", "rt", "rh", "rx"}));
    EXPECT_EQ(w().statusPanel(0)->text(), "COM 1");
    EXPECT_EQ(w().statusPanel(1)->text(), UnitSelection::lineSettingsText(w().ZRComm1));
    EXPECT_EQ(w().statusPanel(2)->text(), "MX52 Nokkenregelaar V3.07");
    // The panel keeps its width; the whole text is its tip.
    EXPECT_EQ(w().statusPanel(2)->width(), 70);
    EXPECT_EQ(w().statusPanel(2)->toolTip(), "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(w().statusPanel(3)->text(), "HW 2.1");
    EXPECT_EQ(w().statusPanel(4)->text(), "extra");
    EXPECT_EQ(ctl<QPushButton>(w(), "CmdSelectUnit")->text(), "Close");
    EXPECT_TRUE(ctl<QPushButton>(w(), "CmdActual")->isEnabled());
    EXPECT_TRUE(ctl<QPushButton>(w(), "CmdTerminalZenden")->isEnabled());
    EXPECT_TRUE(ctl<QAction>(w(), "ParSollOntvangen1")
                    ->isEnabled()); // the Communicatie items follow the link
    EXPECT_TRUE(dialogs_.asked().empty());

    ctl<QPushButton>(w(), "CmdSelectUnit")->click();
    EXPECT_FALSE(w().ZRComm1.Active());
    EXPECT_EQ(w().statusPanel(1)->text(), "Offline");
    EXPECT_TRUE(w().statusPanel(2)->text().isEmpty());
    EXPECT_EQ(ctl<QPushButton>(w(), "CmdSelectUnit")->text(), "Open");
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
    start(true, 7);
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

TEST_F(OnlineTest, OnlyUnitsOfOtherTypesAreWarnedAbout) {
    struct Case {
        const char* type;
        bool language;
        bool warned;
    };
    const Case cases[] = {
        {"MX53 x", true, false}, {"MX92 y", true, true}, {"MX92 y", false, false}};
    for (const auto& c : cases) {
        dialogs_.clear();
        start(c.language, 3);
        withUnit([&](SimUnit& u) { u.typeText = c.type; });
        open();
        ASSERT_EQ(dialogs_.asked().size(), c.warned ? 1u : 0u) << c.type << " " << c.language;
        if (c.warned) {
            EXPECT_EQ(dialogs_.asked().front().icon, Dialogs::Icon::Warning);
            EXPECT_EQ(dialogs_.asked().front().text, "This is not an MX52");
        }
        w().ZRComm1.SetActive(false);
    }
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
        QList<QByteArray> polled;
    };
    const Case cases[] = {{0, {"r0", "r1", "r4", "r5", "r6"}},
                          {1, {"r0", "r1", "r2", "r4", "r5", "r6"}},
                          {2, {"r0", "r1", "r3", "r4", "r5", "r6"}}};
    for (const auto& c : cases) {
        start();
        state_->tables.setParameter(388, c.mode);
        open();
        clearSent();
        ctl<QPushButton>(w(), "CmdActual")->click();
        ASSERT_TRUE(waitFor([&] { return sent().size() >= 30; }));
        ctl<QPushButton>(w(), "CmdActual")->click();
        QSet<QByteArray> seen;
        for (const auto& r : sent())
            seen.insert(r);
        seen.remove("rf"); // the error poll runs beside the monitor
        EXPECT_EQ(seen, QSet<QByteArray>(c.polled.begin(), c.polled.end())) << c.mode;
        w().ZRComm1.SetActive(false);
    }
}

TEST_F(OnlineTest, PanelsArePaleYellowWhilePolled) {
    start();
    state_->tables.setParameter(388, 0);
    open();
    ctl<QPushButton>(w(), "CmdActual")->click();
    EXPECT_EQ(ctl<QLabel>(w(), "PanelActPos")->palette().color(QPalette::Window),
              LiveMonitor::activeColour());
    EXPECT_NE(ctl<QLabel>(w(), "PanelSpanning_uit")->palette().color(QPalette::Window),
              LiveMonitor::activeColour());
    EXPECT_EQ(ctl<QPushButton>(w(), "CmdActual")->text(), "Actual OFF");
    ASSERT_TRUE(waitFor([&] { return !ctl<QLabel>(w(), "PanelActPos")->text().isEmpty(); }));
    w().ZRComm1.SetActive(false);
    EXPECT_TRUE(ctl<QLabel>(w(), "PanelActPos")->text().isEmpty());
    EXPECT_NE(ctl<QLabel>(w(), "PanelActPos")->palette().color(QPalette::Window),
              LiveMonitor::activeColour());
    EXPECT_FALSE(state_->monitor.ActualOn);
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

    withUnit([](SimUnit& u) { u.setErrorNumber(-1); });
    w().liveMonitor().Timer1Timer();
    ASSERT_TRUE(waitFor([&] { return ctl<QLabel>(w(), "PanelErrorNo")->text().isEmpty(); }));
    EXPECT_EQ(w().statusPanel(5)->text(), ". . ");

    // "wf" clears the error in the unit
    withUnit([](SimUnit& u) { u.setErrorNumber(4); });
    ctl<QPushButton>(w(), "CmdResetError")->click();
    ASSERT_TRUE(waitFor([&] { return sent().contains("wf"); }));
    ASSERT_TRUE(waitFor(
        [&] { return bus->withUnit(0, [](SimUnit& u) { return u.errorNumber(); }) == -1; }));
}

TEST_F(OnlineTest, ThumbwheelsAreReadInTurnAndALateReplyIsIgnored) {
    start();
    withUnit([](SimUnit& u) {
        for (int i = 1; i <= 4; ++i)
            u.setThumbwheel(i, i * 100);
    });
    state_->tables.setParameter(203, 2);
    open();
    clearSent();
    ctl<QPushButton>(w(), "CmdDuimwiel")->click();
    const auto thumbwheelRequests = [&] {
        QList<QByteArray> rd;
        for (const auto& r : sent())
            if (r.startsWith("rd")) rd.append(r);
        return rd;
    };
    ASSERT_TRUE(waitFor([&] { return thumbwheelRequests().size() >= 5; }));
    EXPECT_EQ(ctl<QLabel>(w(), "Panel_DW", 0)->text(), "1,00");
    EXPECT_EQ(ctl<QLabel>(w(), "Panel_DW", 3)->text(), "4,00");
    EXPECT_EQ(state_->monitor.ThumbwheelValue(4), 400);
    EXPECT_EQ(thumbwheelRequests().mid(0, 5),
              (QList<QByteArray>{"rd 1", "rd 2", "rd 3", "rd 4", "rd 1"}));

    ctl<QPushButton>(w(), "CmdDuimwiel")->click(); // off, while the next request is already queued
    const int before = int(sent().size());
    // The late reply comes and goes; a chain that went on would keep the queue busy.
    ASSERT_TRUE(waitFor([&] { return w().ZRComm1.queuedRequests() == 0; }));
    int rd = 0;
    for (const auto& r : sent().mid(before))
        rd += r.startsWith("rd");
    EXPECT_LE(rd, 1) << "the chain went on after switching off";
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(ctl<QLabel>(w(), "Panel_DW", i)->text().isEmpty()) << "a late reply was shown";
}

TEST_F(OnlineTest, TheTerminalShowsTheWholeReplyAndKeepsTheLineSelected) {
    start();
    withUnit([](SimUnit& u) { u.typeText = "MX52 T"; });
    open();
    ctl<QLineEdit>(w(), "EditZenden")->setText("  rt  ");
    ctl<QPushButton>(w(), "CmdTerminalZenden")->click();
    ASSERT_TRUE(
        waitFor([&] { return !ctl<QPlainTextEdit>(w(), "MemoReceive")->toPlainText().isEmpty(); }));
    EXPECT_EQ(ctl<QPlainTextEdit>(w(), "MemoReceive")->toPlainText(), "rt MX52 T");
    EXPECT_EQ(ctl<QLineEdit>(w(), "EditZenden")->selectedText(), "  rt  ");
    EXPECT_TRUE(sent().contains("rt"));
}

TEST_F(OnlineTest, UpAndDownRecallEarlierTerminalLines) {
    start();
    open();
    for (const char* line : {"rp 1", "rp 2", "rs 3"}) {
        ctl<QLineEdit>(w(), "EditZenden")->setText(line);
        ctl<QPushButton>(w(), "CmdTerminalZenden")->click();
    }
    ctl<QLineEdit>(w(), "EditZenden")->setText("");
    QTest::keyClick(ctl<QLineEdit>(w(), "EditZenden"), Qt::Key_Up);
    EXPECT_EQ(ctl<QLineEdit>(w(), "EditZenden")->text(), "rs 3");
    QTest::keyClick(ctl<QLineEdit>(w(), "EditZenden"), Qt::Key_Up);
    QTest::keyClick(ctl<QLineEdit>(w(), "EditZenden"), Qt::Key_Up);
    QTest::keyClick(ctl<QLineEdit>(w(), "EditZenden"), Qt::Key_Up);
    EXPECT_EQ(ctl<QLineEdit>(w(), "EditZenden")->text(), "rp 1");
    QTest::keyClick(ctl<QLineEdit>(w(), "EditZenden"), Qt::Key_Down);
    EXPECT_EQ(ctl<QLineEdit>(w(), "EditZenden")->text(), "rp 2");
}

TEST_F(OnlineTest, ATerminalRequestWithoutReplyShowsTheNoticeInRed) {
    start();
    open();
    bus->setFaults(7, [] {
        SimFaults f;
        f.noAnswer = true;
        return f;
    }());
    ctl<QLineEdit>(w(), "EditZenden")->setText("rt");
    ctl<QPushButton>(w(), "CmdTerminalZenden")->click();
    ASSERT_TRUE(waitFor([&] { return !ctl<QLabel>(w(), "PanelComInfo")->text().isEmpty(); }));
    EXPECT_EQ(ctl<QLabel>(w(), "PanelComInfo")->text(), "No reply from the unit");
    EXPECT_EQ(ctl<QLabel>(w(), "PanelComInfo")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_TRUE(ctl<QPlainTextEdit>(w(), "MemoReceive")->toPlainText().isEmpty());
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

TEST_F(OnlineTest, AnOverLongReplyIsCutToTheBuffer) {
    start();
    open();
    bus->setFaults(7, [] {
        SimFaults f;
        f.longReply = true;
        return f;
    }());
    state_->tables.setParameter(388, 0);
    ctl<QPushButton>(w(), "CmdActual")->click();
    const bool shown =
        waitFor([&] { return !ctl<QLabel>(w(), "PanelAnaloog_in_AWE")->text().isEmpty(); });
    ASSERT_TRUE(shown);
    EXPECT_LE(ctl<QLabel>(w(), "PanelAnaloog_in_AWE")->text().size(), 95);
    ctl<QPushButton>(w(), "CmdActual")->click();
}

} // namespace
