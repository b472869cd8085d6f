// The main window's online logic without the window: unit selection, live
// monitor and terminal over a recording view, on a simulated unit with a
// virtual clock.  What the view records is what the window would show.

#include "sim/SimLinkFixture.h"
#include "support/BuiltInTexts.h"

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/LanguageTexts.h"
#include "model/texts/PortOpenText.h"
#include "shell/LiveMonitor.h"
#include "shell/OnlineView.h"
#include "shell/Terminal.h"
#include "shell/UnitSelection.h"
#include "sim/SimDriver.h"
#include "ui/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include <QSet>

using namespace kqm52;
using namespace kqm52::test;

namespace {

struct RecordingView : LiveMonitorView, UnitSelectionView, TerminalView {
    QString comInfo, errorNo, terminal, reply;
    std::array<QString, 6> status;
    std::map<MonitorPanel, QString> panels;
    std::map<MonitorPanel, std::optional<QColor>> colours;
    std::map<MonitorButton, QString> captions;
    bool online = false;
    QString selectCaption;
    std::array<bool, 5> inputs{}; // K0, inputs 1 … 4
    std::array<bool, 4> outputs{};
    int unitNo = 7;

    void showComInfo(const QString& t) override { comInfo = t; }
    void showErrorNo(const QString& t) override { errorNo = t; }
    void showStatus(int i, const QString& t) override { status.at(std::size_t(i)) = t; }
    void showPanel(MonitorPanel p, const QString& t) override { panels[p] = t; }
    void colourPanel(MonitorPanel p, const std::optional<QColor>& c) override { colours[p] = c; }
    void setButtonCaption(MonitorButton b, const QString& t) override { captions[b] = t; }
    void showInputs(bool k0, const std::array<bool, 4>& in) override {
        inputs = {k0, in[0], in[1], in[2], in[3]};
    }
    void showOutputs(const std::array<bool, 4>& out) override { outputs = out; }
    void neutralLamps() override {}
    bool transferWindowActive() const override { return false; }
    void setOnline(bool on, const QString& caption) override {
        online = on;
        selectCaption = caption;
    }
    int unitNumber() const override { return unitNo; }
    bool deviceSearchActive() const override { return false; }
    QString terminalLine() const override { return terminal; }
    void setTerminalLine(const QString& t) override { terminal = t; }
    void selectTerminalLine() override {}
    void showTerminalReply(const QString& t) override { reply = t; }
};

class OnlineLogicTest : public ::testing::Test {
  protected:
    OnlineLogicTest() {
        texts.loadFromText("[Main]\nPanelTekst0=No reply from the unit\nPanelTekst1=Line error\n"
                           "CmdComOpen=Open\nCmdComClose=Close\nCmdDuimwiel_ON=DW ON\n"
                           "CmdDuimwiel_OFF=DW OFF\nMsg_Melding_Geen_MX52=This is not an MX52\n");
        const LineState line{
            .baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1};
        bus->addUnit(0, line);
        unit = &bus->addUnit(7, line);
        hostLines.attach(*bus);
        installSimulatedBus(state.portMap, bus);
        state.portMap.setDevice(TPort::COM1, QStringLiteral("sim"));
        port.setPortMap(&state.portMap);
        port.SetFrameParitybit(TParityBit::Odd);
        port.OnActivate = [this](TZRComm*) { selection.ZRComm1Activate(); };
        port.OnDeactivate = [this](TZRComm*) { selection.ZRComm1Deactivate(); };
        selection.setLiveMonitor(&monitor);
    }
    ~OnlineLogicTest() override {
        port.SetActive(false);
        bus->setTrace({});
    }

    QStringList sent() { return hostLines.all(); }
    // The texts of the warnings the main window showed.
    QStringList warnings() const {
        QStringList out;
        for (const auto& a : dialogs.asked(ScriptedDialogs::Kind::Message))
            if (a.icon == Dialogs::Icon::Warning) out << a.text;
        return out;
    }
    void open() {
        selection.CmdSelectUnitClick();
        ASSERT_TRUE(port.Active());
        ASSERT_TRUE(waitUntil([&] { return !view.status[4].isEmpty(); }));
    }
    int thumbwheelRequests() {
        int n = 0;
        for (const QString& r : sent())
            n += r.startsWith(QLatin1String("rd"));
        return n;
    }

    std::shared_ptr<SimBus> bus = std::make_shared<SimBus>(std::make_shared<VirtualClock>());
    SimUnit* unit = nullptr;
    simtest::HostLines hostLines;
    ProgramState state{QString()};
    LanguageTexts texts;
    RecordingView view;
    ScriptedDialogs dialogs;
    TZRComm port;
    UnitSelection selection{state, port, texts, view, dialogs};
    LiveMonitor monitor{state, port, texts, view, selection};
    Terminal terminal{port, texts, view, selection};
};

} // namespace

// Opening: the unit is selected, then asked who it is, each answer in its
// status panel; closing puts the offline look back.
TEST_F(OnlineLogicTest, OpeningIdentifiesTheUnitAndClosingGoesOffline) {
    bus->withUnit(1, [](SimUnit& u) {
        u.typeText = "MX52 Nokkenregelaar V3.07";
        u.hardwareText = "HW 2.1";
        u.extraText = "extra";
    });
    open();
    EXPECT_EQ(sent(), (QStringList{"sc 7", "rt", "rh", "rx"}));
    EXPECT_EQ(view.status[0], "COM 1");
    EXPECT_EQ(view.status[1], "9600,O,8,1");
    EXPECT_EQ(view.status[2], "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(view.status[3], "HW 2.1");
    EXPECT_EQ(view.status[4], "extra");
    EXPECT_TRUE(view.online);
    EXPECT_EQ(view.selectCaption, "Close");

    selection.CmdSelectUnitClick();
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(view.online);
    EXPECT_EQ(view.selectCaption, "Open");
    EXPECT_EQ(view.status, (std::array<QString, 6>{"", "Offline", "", "", "", ""}));
}

TEST(StatusText, LineSettingsReadAsTheStatusBarShowsThem) {
    const struct {
        TBaudrate baud;
        TParityBit parity;
        TDataBit data;
        TStopBit stop;
        const char* text;
    } rows[] = {
        {TBaudrate::br115200, TParityBit::Even, TDataBit::db_8, TStopBit::sb_1, "115200,E,8,1"},
        {TBaudrate::br38400, TParityBit::Odd, TDataBit::db_7, TStopBit::sb_2, "38400,O,7,2"},
        {TBaudrate::br1200, TParityBit::None, TDataBit::db_8, TStopBit::sb_1, "1200,N,8,1"},
        {TBaudrate::br28800, TParityBit::Even, TDataBit::db_8, TStopBit::sb_2, "28800,E,8,2"},
    };
    for (const auto& r : rows) {
        TZRComm p;
        p.SetBaudrate(r.baud);
        p.SetFrameParitybit(r.parity);
        p.SetFrameDatabits(r.data);
        p.SetFrameStopbits(r.stop);
        EXPECT_EQ(p.lineSettingsText(), r.text);
    }
    // Behind a raw serial device server the numbers would not be true.
    const struct {
        const char* device;
        const char* shown;
    } servers[] = {
        {"tcp://127.0.0.1:4001", "line set at the server"},
        {"rfc2217://127.0.0.1:4001", "9600,E,8,1"},
        {"/dev/ttyUSB0", "9600,E,8,1"},
    };
    for (const auto& r : servers) {
        PortMap map;
        map.setDevice(TPort::COM1, QString::fromLatin1(r.device));
        TZRComm p;
        p.setPortMap(&map);
        EXPECT_EQ(portLineText(testsupport::builtInTexts(), p), r.shown) << r.device;
    }
}

// What PanelComInfo says about each kind of link trouble.
TEST(LinkErrorText, SaysWhatWentWrongAndWhere) {
    const struct {
        TCommError error;
        const char* device;
        QString shown;
    } rows[] = {
        {{CommCode::DriverFailed, EIO, 0},
         "/dev/ttyUSB0",
         "Line error " + QString::fromStdString(systemErrorText(EIO)) + " (/dev/ttyUSB0)"},
        {{CommCode::DriverFailed, ENXIO, 0},
         "sim",
         "Line error " + QString::fromStdString(systemErrorText(ENXIO))},
        {{CommCode::LineError, 0, 4}, "/dev/ttyS0", "Line error 0, 4"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(UnitSelection::linkErrorText("Line error", r.error, r.device), r.shown);
}

// An unplugged converter mid-session: the port lets go of the device and the
// panel says why in words, not "5, 0", after the offline look is back.
TEST_F(OnlineLogicTest, AFailingDriverIsReportedInWords) {
    open();
    bus->setFaults(7, {.driverError = EIO});
    view.terminal = "rt";
    terminal.CmdTerminalZendenClick();
    ASSERT_TRUE(waitUntil([&] { return !view.comInfo.isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] { return !port.Active(); }));
    EXPECT_EQ(view.comInfo, "Line error " + QString::fromStdString(systemErrorText(EIO)));
    EXPECT_TRUE(view.reply.isEmpty());
}

// A line longer than a frame holds is refused by the link; the terminal
// says so, in the user's language, instead of dropping it without a word.
TEST_F(OnlineLogicTest, ATooLongTerminalLineIsReported) {
    open();
    texts.loadFromText("[Main]\nMsgTerminalTooLong=Regel te lang: %1 tekens, ten hoogste %2\n");
    const int before = int(sent().size());
    view.terminal = QString(300, QLatin1Char('x'));
    terminal.CmdTerminalZendenClick();
    ASSERT_TRUE(waitUntil([&] { return !view.comInfo.isEmpty(); }));
    EXPECT_EQ(view.comInfo, "Regel te lang: 300 tekens, ten hoogste 253");
    EXPECT_EQ(view.reply, "Regel te lang: 300 tekens, ten hoogste 253");
    EXPECT_EQ(int(sent().size()), before);

    // The next good line clears the notice.
    view.terminal = "rt";
    terminal.CmdTerminalZendenClick();
    ASSERT_TRUE(waitUntil([&] { return view.reply.startsWith("rt"); }));
    EXPECT_TRUE(view.comInfo.isEmpty());
}

// Switching the thumbwheels off and on while a reply is due starts one chain,
// not a second beside the first.
TEST_F(OnlineLogicTest, ThumbwheelsToggledQuicklyRunOneChain) {
    bus->withUnit(1, [](SimUnit& u) {
        for (int i = 1; i <= 4; ++i)
            u.setThumbwheel(i, i);
    });
    open();
    monitor.DuimwielActief();
    monitor.DuimwielActief();
    monitor.DuimwielActief();
    EXPECT_EQ(view.captions[MonitorButton::Duimwiel], "DW OFF");
    int maxQueued = 0;
    ASSERT_TRUE(waitUntil([&] {
        maxQueued = std::max(maxQueued, port.queuedRequests());
        return thumbwheelRequests() >= 9;
    }));
    EXPECT_LE(maxQueued, 2); // one "rd" and perhaps the error poll's "rf"
    EXPECT_EQ(view.panels[MonitorPanel::DW4], "4");
    EXPECT_EQ(view.colours[MonitorPanel::DW1], LiveMonitor::activeColour());

    monitor.DuimwielActief();
    ASSERT_TRUE(waitUntil([&] { return port.queuedRequests() == 0; }));
    const int after = thumbwheelRequests();
    EXPECT_TRUE(view.panels[MonitorPanel::DW1].isEmpty());
    EXPECT_EQ(view.colours[MonitorPanel::DW1], std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return port.queuedRequests() == 0; }));
    EXPECT_EQ(thumbwheelRequests(), after);
}

// A failed thumbwheel request marks its panel and ends the reading.
TEST_F(OnlineLogicTest, AFailedThumbwheelStopsTheReading) {
    open();
    bus->setFaults(7, {.noAnswer = true});
    monitor.DuimwielActief();
    ASSERT_TRUE(waitUntil([&] { return view.panels[MonitorPanel::DW1] == "?"; }));
    ASSERT_TRUE(waitUntil([&] { return port.queuedRequests() == 0; }));
    EXPECT_EQ(thumbwheelRequests(), 1);
    EXPECT_TRUE(state.monitor.ThumbwheelOn); // the user switches it off and on
}

// The unit in the spin edit is the one selected, unit 0 included; one that
// does not answer leaves the link open with the notice and no identification.
TEST_F(OnlineLogicTest, SelectsTheUnitAskedFor) {
    const struct {
        int unitNo;
        QStringList wire;
        QString notice;
    } rows[] = {{0, {"sc 0", "rt", "rh", "rx"}, ""}, {9, {"sc 9"}, "No reply from the unit"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.unitNo);
        hostLines.clear();
        view.unitNo = r.unitNo;
        selection.CmdSelectUnitClick();
        ASSERT_TRUE(port.Active());
        ASSERT_TRUE(waitUntil([&] { return sent().size() >= r.wire.size(); }));
        ASSERT_TRUE(
            waitUntil([&] { return port.queuedRequests() == 0 && view.comInfo == r.notice; }));
        EXPECT_EQ(sent(), r.wire);
        selection.CmdSelectUnitClick();
    }
}

// Only a unit of another family is warned about, and only with a language
// file (the warning's text comes from it).
TEST_F(OnlineLogicTest, OnlyUnitsOfOtherTypesAreWarnedAbout) {
    const struct {
        const char* type;
        bool language;
        bool warned;
    } rows[] = {{"MX53 x", true, false}, {"MX92 y", true, true}, {"MX92 y", false, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.type) + (r.language ? " with language" : ""));
        state.language = r.language ? texts : LanguageTexts{};
        dialogs.clear();
        bus->withUnit(1, [&](SimUnit& u) { u.typeText = r.type; });
        open();
        EXPECT_EQ(warnings(), r.warned ? QStringList{"This is not an MX52"} : QStringList{});
        selection.CmdSelectUnitClick();
    }
}

// Replies as the value panels show them: decimals with a comma, the unit,
// "????" for what cannot be read; nothing once the values are off.
TEST_F(OnlineLogicTest, ValuesAreShownWithTheirDecimals) {
    state.tables.setParameter(203, 3);
    state.monitor.ActualOn = true;
    const int fromP203 = ParamTables::DecimalsFromParameter203;
    const struct {
        const char* request;
        QByteArray reply;
        int decimals;
        const char* unit;
        const char* shown;
    } rows[] = {
        {"r0", "r0 1234\r\n", fromP203, "", "1,234"},
        {"r0", "r0 -7\r\n", fromP203, "", "-0,007"},
        {"r4", "r4 12345\r\n", 4, " V", "1,2345 V"},
        {"r5", "r5 -5\r\n", 4, " mA", "-0,0005 mA"},
        {"r0", "r0 12a4\r\n", fromP203, "", "????"},
        {"r0", "r0 99999999999\r\n", fromP203, "", "????"},
        // The answer to another request, left on the line, is not this value.
        {"r1", "r0 1234\r\n", fromP203, "", "????"},
    };
    for (const auto& r : rows) {
        monitor.valueResult(MonitorPanel::ActPos,
                            unit::classifyReply(QString::fromLatin1(r.request), r.reply, 100),
                            r.decimals, r.unit);
        EXPECT_EQ(view.panels[MonitorPanel::ActPos], r.shown) << r.reply.constData();
    }
    state.monitor.ActualOn = false;
    monitor.valueResult(MonitorPanel::ActPos, unit::classifyReply(u"r0", "r0 1\r\n", 100), 0, "");
    EXPECT_EQ(view.panels[MonitorPanel::ActPos], "????");
}

// A reply longer than its reader's buffer shows as unreadable, not as the
// number its first bytes happen to spell; so does one about another item.
TEST_F(OnlineLogicTest, AnOverlongOrStrayReplyShowsAsUnreadable) {
    state.monitor.ActualOn = true;
    state.monitor.IoOn = true;
    state.monitor.ThumbwheelOn = true;
    // 103 bytes whose first 100 read 12345; 24 bytes whose first 20 read -12.
    const QByteArray cutToValue = "r0 " + QByteArray(90, '0') + "12345678\r\n";
    monitor.valueResult(MonitorPanel::ActPos, unit::classifyReply(u"r0", cutToValue, 100), 0, "");
    EXPECT_EQ(view.panels[MonitorPanel::ActPos], "????");
    monitor.valueResult(MonitorPanel::Spanning_in,
                        unit::classifyReply(u"r4", "r4 -0000000000012345\r\n", 20), 4, " V");
    EXPECT_EQ(view.panels[MonitorPanel::Spanning_in], "????");
    monitor.RQ500Analoog_in_AWECommResult("r6 " + QByteArray(120, '7') + "\r\n");
    EXPECT_EQ(view.panels[MonitorPanel::Analoog_in_AWE], "????");
    state.monitor.ThumbwheelIndex = 2;
    state.monitor.ThumbwheelValue(2) = 5;
    monitor.RQ500DuimwielCommResult("rd 2 " + QByteArray(90, '0') + "4711\r\n");
    EXPECT_EQ(view.panels[MonitorPanel::DW2], "????");
    EXPECT_EQ(state.monitor.ThumbwheelValue(2), 0);
    // Thumbwheel 3's value answered while 2's was asked for.
    state.monitor.ThumbwheelIndex = 2;
    state.monitor.ThumbwheelValue(2) = 5;
    monitor.RQ500DuimwielCommResult("rd 3 4711\r\n");
    EXPECT_EQ(view.panels[MonitorPanel::DW2], "????");
    EXPECT_EQ(state.monitor.ThumbwheelValue(2), 0);
    monitor.RQ500ReadErrorCommResult("rf " + QByteArray(90, '0') + "1234567\r\n");
    EXPECT_EQ(view.errorNo, "MX52... Error: ????");
    // The lamps light from no cut bit pattern ("ri 0…0310" cut to "0…031").
    monitor.RQ500_inCommResult("ri 0000000000000310\r\n");
    EXPECT_EQ(view.inputs, (std::array<bool, 5>{}));
    monitor.RQ500_uitCommResult("ru 0000000000000150\r\n");
    EXPECT_EQ(view.outputs, (std::array<bool, 4>{}));
    // Right up to the buffer, a reply is read.
    monitor.valueResult(MonitorPanel::Spanning_in,
                        unit::classifyReply(u"r4", "r4 -00000000012345\r\n", 20), 4, " V");
    EXPECT_EQ(view.panels[MonitorPanel::Spanning_in], "-1,2345 V");
    monitor.RQ500_inCommResult("ri 000000000000031\r\n");
    EXPECT_EQ(view.inputs, (std::array<bool, 5>{true, true, true, true, true}));
}

// An identification too long for its buffer names no type: the status bar
// shows it as unreadable, and no type is kept for a backup's file name.
TEST_F(OnlineLogicTest, AnOverlongIdentificationNamesNoType) {
    state.language = texts;
    state.unit.DeviceType = QStringLiteral("MX52");
    bus->setFaults(7, {.longReply = true});
    open();
    EXPECT_EQ(sent(), (QStringList{"sc 7", "rt", "rh", "rx"}));
    EXPECT_EQ(view.status[2], "????");
    EXPECT_EQ(view.status[3], "????");
    EXPECT_EQ(view.status[4], "????");
    EXPECT_TRUE(state.unit.DeviceType.isEmpty());
    EXPECT_TRUE(warnings().isEmpty());
}

// A reply cut short where the unit paused (longer than the silence that ends
// a reply, within the request's wait) is no identification, nor is its rest:
// the request goes again once the line has fallen silent, and the status bar
// shows the unit's whole text.
TEST_F(OnlineLogicTest, AnIdentificationCutShortIsAskedAgain) {
    bus->setFaults(7, {.timingOnce = true, .timingWord = "rh", .pauseMs = 120});
    open();
    EXPECT_EQ(sent(), (QStringList{"sc 7", "rt", "rh", "rh", "rx"}));
    EXPECT_EQ(view.status[2], "MX52 Nokkenregelaar V3.07");
    EXPECT_EQ(view.status[3], "HW 2.1 SN 520007");
    EXPECT_EQ(view.status[4], "KQM52 simulator");
}

// The analog output is polled in the unit it is set up for (parameter 388),
// its panel pale yellow; closing the port ends the polling.
TEST_F(OnlineLogicTest, ActualValuesPollOnlyTheAnalogOutputThatIsSetUp) {
    const struct {
        int mode;
        QStringList polled;
    } rows[] = {{0, {"r0", "r1", "r4", "r5", "r6"}},
                {1, {"r0", "r1", "r2", "r4", "r5", "r6"}},
                {2, {"r0", "r1", "r3", "r4", "r5", "r6"}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mode);
        state.tables.setParameter(388, r.mode);
        open();
        hostLines.clear();
        monitor.ActualActief();
        EXPECT_EQ(view.colours[MonitorPanel::Spanning_uit].has_value(), r.mode == 1);
        EXPECT_EQ(view.colours[MonitorPanel::Stroom_uit].has_value(), r.mode == 2);
        ASSERT_TRUE(waitUntil([&] { return sent().size() >= 30; }));
        const QStringList lines = sent();
        EXPECT_EQ(QSet<QString>(lines.begin(), lines.end()),
                  QSet<QString>(r.polled.begin(), r.polled.end()));
        selection.CmdSelectUnitClick();
        EXPECT_FALSE(state.monitor.ActualOn);
        EXPECT_EQ(view.colours[MonitorPanel::ActPos], std::nullopt);
    }
}

// The error poll's activity dots grow to six pairs and start again.
TEST_F(OnlineLogicTest, ActivityDotsCycleThroughSixPairs) {
    QStringList seen;
    for (int i = 0; i < 8; ++i) {
        monitor.RQ500ReadErrorCommResult("rf -1\r\n");
        seen << view.status[5];
    }
    EXPECT_EQ(seen[5], ". . . . . . ");
    EXPECT_EQ(seen[6], ". ");
    EXPECT_EQ(seen[7], ". . ");
}
