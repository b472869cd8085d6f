// The calibration logic on a simulated unit with the virtual clock: what
// goes on the wire for each control, and what the window would show as the
// unit answers.

#include "../sim/SimLinkFixture.h"

#include "model/engines/CalibrationLogic.h"
#include "model/texts/LanguageTexts.h"

#include <QRegularExpression>

#include <cerrno>

#include <functional>
#include <map>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class RecordingCalibrationView : public CalibrationView {
  public:
    int showConstant(int number, int value) override {
        spins[number] = value;
        if (shown) shown(number);
        return value;
    }
    int constantValue(int number) const override {
        const auto it = spins.find(number);
        return it == spins.end() ? 0 : it->second;
    }
    void controlsChanged() override {}
    std::map<int, int> spins;
    // Runs as a read value reaches its spin edit, before the next request.
    std::function<void(int number)> shown;
};

class CalibrationLogicTest : public SimLinkFixture {
  protected:
    CalibrationLogicTest() : unit(bus->addUnit(0, lineOf(38400))) {
        for (int n = SimUnit::CalFirst; n <= SimUnit::CalLast; ++n)
            unit.setCalibration(n, n - 2000); // 2041 holds 41, and so on
        hostLines.attach(*bus);
    }
    void SetUp() override { port.SetActive(true); }
    ~CalibrationLogicTest() override { logic.close(); }

    QStringList sent() { return hostLines.all(); }
    void clearWire() { hostLines.clear(); }
    bool quiet() {
        return waitUntil([&] { return !logic.busy() && port.queuedRequests() == 0; });
    }
    void readAll() {
        logic.activate();
        ASSERT_TRUE(quiet());
        clearWire();
    }
    void calibrationMode() {
        logic.CmdSetKalibtatieModeClick();
        ASSERT_TRUE(waitUntil([&] { return logic.writesEnabled(); }));
        ASSERT_TRUE(quiet());
        clearWire();
    }
    // The user changes a spin edit.
    void change(int number, int value) {
        view.spins[number] = value;
        logic.constantChanged(number, value);
    }

    SimUnit& unit;
    HostLines hostLines;
    RecordingCalibrationView view;
    LanguageTexts texts; // none loaded: the built-in messages
    CalibrationLogic logic{port, texts, view};
};

} // namespace

TEST_F(CalibrationLogicTest, ActivationReadsTheConstantsThenTheTeachValues) {
    logic.activate();
    EXPECT_FALSE(logic.controls().daVoltage || logic.controls().daCurrent ||
                 logic.controls().adGroups || logic.controls().daSelect || logic.controls().eeprom);
    ASSERT_TRUE(quiet());
    QStringList expected;
    for (int n : calibration::ReadOrder)
        expected << QStringLiteral("kr %1").arg(n);
    for (int n = 2028; n <= 2031; ++n) // the teach values
        expected << QStringLiteral("kr %1").arg(n);
    EXPECT_EQ(sent(), expected);
    for (int n : calibration::ReadOrder) {
        EXPECT_EQ(view.spins[n], n - 2000) << n;
        EXPECT_EQ(logic.savedValue(n), n - 2000) << n;
    }
    EXPECT_EQ(logic.controls().teach[1], QString::number(unit.teachValue(2029)));
    EXPECT_EQ(logic.controls().panel1, QStringLiteral("kr 2031 %1").arg(unit.teachValue(2031)));
}

TEST_F(CalibrationLogicTest, WritesGoOutOnlyInCalibrationMode) {
    readAll();
    change(2041, -37);
    ASSERT_TRUE(quiet());
    EXPECT_TRUE(sent().isEmpty());

    calibrationMode();
    EXPECT_TRUE(logic.controls().daSelect);
    EXPECT_TRUE(logic.controls().adGroups);
    change(2041, -37);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kw 2041 -37"});
    EXPECT_EQ(unit.calibration(2041), -37);
    // Differs from what the EEPROM holds: it may be stored now.
    EXPECT_TRUE(logic.controls().eeprom);
    EXPECT_TRUE(logic.sentNotSaved());

    // Quick changes are each sent, in their order.
    clearWire();
    for (int v : {1, 2, 3})
        change(2042, v);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), (QStringList{"kw 2042 1", "kw 2042 2", "kw 2042 3"}));
    EXPECT_EQ(unit.calibration(2042), 3);

    logic.CmdSaveToEEPROMClick();
    ASSERT_TRUE(quiet());
    EXPECT_FALSE(logic.controls().eeprom);
    EXPECT_FALSE(logic.sentNotSaved());
    EXPECT_EQ(logic.savedValue(2041), -37);
    EXPECT_EQ(unit.eeprom(2041), -37);

    logic.CmdResCalibtatieModeClick();
    ASSERT_TRUE(quiet());
    EXPECT_FALSE(logic.writesEnabled());
    EXPECT_FALSE(logic.controls().daSelect);
}

// Each control's request on the wire: the output groups follow the unit's
// replies, and a current test value goes out halved toward zero.
TEST_F(CalibrationLogicTest, OutputSelectionFollowsTheUnitsRepliesAndTestValuesGoOut) {
    readAll();
    logic.CmdSet_U_actiefClick(); // refused outside calibration mode
    ASSERT_TRUE(quiet());
    EXPECT_FALSE(logic.controls().daVoltage);
    calibrationMode();
    const struct {
        std::function<void()> act;
        const char* request;
        bool voltage, current;
    } cases[] = {{[&] { logic.CmdSet_U_actiefClick(); }, "kf 1", true, false},
                 {[&] { logic.setVoltage(-100000); }, "ka -100000", true, false},
                 {[&] { logic.CmdSet_I_actiefClick(); }, "kf 2", false, true},
                 {[&] { logic.setCurrent(200000); }, "ka 100000", false, true},
                 {[&] { logic.setCurrent(-3); }, "ka -1", false, true},
                 {[&] { logic.setCurrent(-200000); }, "ka -100000", false, true},
                 {[&] { logic.CmdSet_I_InActiefClick(); }, "kf 0", false, false}};
    for (const auto& c : cases) {
        clearWire();
        c.act();
        ASSERT_TRUE(quiet());
        EXPECT_EQ(sent(), QStringList{c.request});
        EXPECT_EQ(logic.controls().daVoltage, c.voltage) << c.request;
        EXPECT_EQ(logic.controls().daCurrent, c.current) << c.request;
    }
}

TEST_F(CalibrationLogicTest, AReadingSelectsItsInputThenPollsCyclically) {
    readAll();
    calibrationMode();
    unit.setCalibration(2035, 0);
    logic.CmdAct_U_ADClick();
    EXPECT_TRUE(logic.controls().voltageOn);
    ASSERT_TRUE(waitUntil([&] { return sent().count(QStringLiteral("r4")) >= 3; }));
    EXPECT_EQ(sent().mid(0, 3), (QStringList{"wp 226 0", "bp", "r4"}));
    ASSERT_TRUE(waitUntil([&] { return logic.controls().panel2.endsWith(" V"); }));
    EXPECT_TRUE(logic.controls().panel2.contains(QRegularExpression(",\\d{4} V$")));

    // The current reading stops the voltage polling first.
    logic.CmdAct_I_ADClick();
    EXPECT_FALSE(logic.controls().voltageOn);
    EXPECT_TRUE(logic.controls().panel2.isEmpty());
    clearWire();
    ASSERT_TRUE(waitUntil([&] { return sent().count(QStringLiteral("r5")) >= 2; }));
    QStringList after = sent();
    // A voltage request the worker had already taken when the button was
    // pressed still goes out and is answered before the switch.
    if (!after.isEmpty() && after.first() == QStringLiteral("r4")) after.removeFirst();
    EXPECT_EQ(after.mid(0, 2), (QStringList{"wp 226 1", "bp"}));
    EXPECT_EQ(after.count(QStringLiteral("r4")), 0);
    ASSERT_TRUE(waitUntil([&] { return logic.controls().panel3.endsWith(" mA"); }));

    logic.CmdResCalibtatieModeClick();
    EXPECT_FALSE(logic.controls().currentOn);
    ASSERT_TRUE(quiet());
    EXPECT_TRUE(logic.controls().panel3.isEmpty());
}

// A reading chain that cannot go on stops at the first constant and says why
// in red; nothing half-read reaches the spin edits.
TEST_F(CalibrationLogicTest, AFailedReadingChainStopsWithARedMessage) {
    const struct {
        SimFaults faults;
        bool portOpen;
        const char* panel;
        QStringList wire;
        const char* language = nullptr; // switched to before the case
    } cases[] = {
        {{.noAnswer = true}, true, "Timeout!", {"kr 2041"}},
        {{.garbled = true}, true, "Geen getal: kr ", {"kr 2041"}},
        {{}, false, "Poort gesloten", {}},
        // The panel speaks the language chosen since.
        {{.noAnswer = true},
         true,
         "Zeit\u00fcberschreitung!",
         {"kr 2041"},
         "[Calibratie]\nMsgTimeout=Zeit\u00fcberschreitung!\nMsgGeenGetal=Keine Zahl: %1\n"
         "MsgPoortGesloten=Port geschlossen\n"},
        {{.garbled = true}, true, "Keine Zahl: kr ", {"kr 2041"}},
        {{}, false, "Port geschlossen", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.panel);
        if (c.language) texts.loadFromText(QString::fromUtf8(c.language));
        bus->setFaults(0, c.faults);
        port.SetActive(c.portOpen);
        clearWire();
        logic.activate();
        ASSERT_TRUE(quiet());
        EXPECT_EQ(sent(), c.wire);
        EXPECT_TRUE(logic.controls().panel1.startsWith(QString::fromUtf8(c.panel)))
            << logic.controls().panel1.toStdString();
        EXPECT_TRUE(logic.controls().panel1Red);
        EXPECT_EQ(view.spins.count(2041), 0u);
    }
}

// A value outside its field never goes out, not even cut to fit: the
// window says so and the unit keeps what it has.
TEST_F(CalibrationLogicTest, AValueOutsideItsFieldIsRefusedAndNothingGoesOut) {
    readAll();
    calibrationMode();
    const struct {
        int number, value;
        const char* range;
    } refused[] = {{2042, 5000, "-1000"},  {2040, -99999, "1000"}, {2044, 1501, "1500"},
                   {2045, -1501, "-1500"}, {2036, 1001, "1000"},   {2037, -1001, "-1000"}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.number);
        change(c.number, c.value);
        ASSERT_TRUE(quiet());
        EXPECT_TRUE(sent().isEmpty()) << sent().join(" | ").toStdString();
        EXPECT_EQ(unit.calibration(c.number), c.number - 2000);
        EXPECT_TRUE(logic.controls().panel1Red);
        EXPECT_TRUE(logic.controls().panel1.contains(QString::number(c.value)))
            << logic.controls().panel1.toStdString();
        EXPECT_TRUE(logic.controls().panel1.contains(QLatin1String(c.range)));
    }
    EXPECT_FALSE(logic.sentNotSaved());
    // The limits themselves are values like any other.
    change(2044, 1500);
    change(2045, -1500);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), (QStringList{"kw 2044 1500", "kw 2045 -1500"}));
    EXPECT_FALSE(logic.controls().panel1Red);
}

// Constants the unit holds outside their fields' limits are kept as it
// holds them and named in the message panel, which the rest of the reading
// leaves standing until the user gives a command.
TEST_F(CalibrationLogicTest, ConstantsOutsideTheirFieldsAreNamedAndKeptAsTheUnitHoldsThem) {
    unit.setCalibration(2042, 1500);
    unit.setCalibration(2037, -1001);
    readAll();
    EXPECT_EQ(view.spins[2042], 1500);
    EXPECT_EQ(logic.savedValue(2042), 1500);
    EXPECT_EQ(logic.savedValue(2037), -1001);
    EXPECT_EQ(logic.controls().panel1,
              "DA Spanning Gain +: het apparaat heeft 1500, buiten -1000 tot 1000. Alleen een "
              "waarde binnen die grenzen wordt verzonden. AD Stroom Gain -: het apparaat heeft "
              "-1001, buiten -1000 tot 1000. Alleen een waarde binnen die grenzen wordt "
              "verzonden.");
    EXPECT_TRUE(logic.controls().panel1Red);
    calibrationMode();
    EXPECT_EQ(logic.controls().panel1, "km 1");
    // Nothing but a value inside the limits goes out for it.
    change(2042, 1499);
    change(2042, 1000);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kw 2042 1000"});
    EXPECT_TRUE(logic.sentNotSaved());
}

// A constant whose value never arrived cannot be written: nobody has seen
// what the unit holds, so an edit would overwrite it blind.
TEST_F(CalibrationLogicTest, ConstantsNotReadCannotBeWritten) {
    // The unit's answer turns unreadable after the DA voltage constants.
    view.shown = [&](int number) {
        if (number == 2040) bus->setFaults(0, {.garbled = true});
    };
    logic.activate();
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent().last(), "kr 2043");
    bus->setFaults(0, {});
    clearWire();
    calibrationMode();
    for (int n : calibration::ReadOrder) {
        const bool read = n == 2041 || n == 2042 || n == 2040;
        EXPECT_EQ(logic.controls().known[std::size_t(calibration::indexOf(n))], read) << n;
    }
    change(2043, 5);
    change(2038, -7);
    change(2042, 9);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kw 2042 9"});
    EXPECT_EQ(unit.calibration(2043), 43);
    EXPECT_EQ(unit.calibration(2038), 38);

    // Opened again with the unit answering: every constant is there.
    view.shown = nullptr;
    readAll();
    for (bool known : logic.controls().known)
        EXPECT_TRUE(known);
}

// A reply that echoes another number is not the answer to the request: the
// value it carries lands in no field, and the field asked for stays unread.
TEST_F(CalibrationLogicTest, AReplyAboutAnotherNumberFillsNoField) {
    const auto knownFields = [&] {
        QStringList known;
        for (int n : calibration::ReadOrder)
            if (logic.controls().known[std::size_t(calibration::indexOf(n))])
                known << QString::number(n);
        return known;
    };
    bus->setFaults(0, {.wrongNumber = SimFaults::WrongWord::Always});
    logic.activate();
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kr 2041"});
    EXPECT_TRUE(view.spins.empty());
    EXPECT_TRUE(knownFields().isEmpty());
    EXPECT_TRUE(logic.controls().panel1Red);
    EXPECT_TRUE(logic.controls().panel1.endsWith(QLatin1String("kr 2042 41")))
        << logic.controls().panel1.toStdString();
    bus->setFaults(0, {});
    calibrationMode();
    EXPECT_TRUE(knownFields().isEmpty());

    // Once, in the middle of the chain: the constants before it are read,
    // the one asked for stays unread, and the reading stops there.
    view.shown = [&](int number) {
        if (number == 2042) bus->setFaults(0, {.wrongNumber = SimFaults::WrongWord::Once});
    };
    view.spins.clear();
    logic.activate();
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), (QStringList{"kr 2041", "kr 2042", "kr 2040"}));
    EXPECT_EQ(view.spins, (std::map<int, int>{{2041, 41}, {2042, 42}}));
    EXPECT_EQ(knownFields(), (QStringList{"2041", "2042"}));
    EXPECT_TRUE(logic.controls().panel1Red);

    // The teach values are read the same way.
    view.shown = [&](int number) {
        if (number == 2039) bus->setFaults(0, {.wrongNumber = SimFaults::WrongWord::Once});
    };
    readAll();
    EXPECT_EQ(knownFields().size(), calibration::ConstantCount);
    EXPECT_EQ(logic.controls().teach[0], QString());
    EXPECT_TRUE(
        logic.controls().panel1.endsWith(QStringLiteral("kr 2029 %1").arg(unit.teachValue(2028))))
        << logic.controls().panel1.toStdString();
}

// A command answered in other words is not confirmed: nothing it would have
// switched is switched, and the panel says which request went unanswered.
TEST_F(CalibrationLogicTest, ACommandAnsweredInOtherWordsSwitchesNothing) {
    readAll();
    const struct {
        std::function<void()> click;
        const char* request;
    } rows[] = {
        {[&] { logic.CmdSetKalibtatieModeClick(); }, "km 1"},
        {[&] { logic.CmdSet_I_actiefClick(); }, "kf 2"},
        {[&] { logic.setVoltage(500); }, "ka 500"},
        {[&] { logic.CmdSaveToEEPROMClick(); }, "ks"},
    };
    for (const auto& row : rows) {
        bus->setFaults(0, {.wrongWord = SimFaults::WrongWord::Always});
        row.click();
        ASSERT_TRUE(quiet());
        EXPECT_EQ(sent(), QStringList{QString::fromLatin1(row.request)});
        EXPECT_FALSE(logic.writesEnabled()) << row.request;
        EXPECT_FALSE(logic.controls().daCurrent) << row.request;
        EXPECT_TRUE(logic.controls().panel1Red) << row.request;
        EXPECT_TRUE(logic.controls().panel1.contains(QLatin1String(row.request)))
            << logic.controls().panel1.toStdString();
        clearWire();
    }
    // Answered in its own words, the same command goes through.
    bus->setFaults(0, {});
    calibrationMode();
    EXPECT_FALSE(logic.controls().panel1Red);
}

// A write echo about another constant confirms nothing: it neither sets nor
// clears what "EEPROM" shows, and the panel says the write went unconfirmed.
TEST_F(CalibrationLogicTest, AWriteEchoAboutAnotherConstantConfirmsNothing) {
    readAll();
    calibrationMode();
    change(2042, 5000); // refused: the field differs from the unit's value
    ASSERT_TRUE(quiet());
    bus->setFaults(0, {.wrongNumber = SimFaults::WrongWord::Once});
    change(2041, 41);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kw 2041 41"});
    EXPECT_FALSE(logic.sentNotSaved());
    EXPECT_FALSE(logic.controls().eeprom);
    EXPECT_TRUE(logic.controls().panel1Red);
    EXPECT_TRUE(logic.controls().panel1.contains(QLatin1String("kw 2041 41")))
        << logic.controls().panel1.toStdString();
    EXPECT_TRUE(logic.controls().panel1.endsWith(QLatin1String("kw 2042 41")));
    // A refusal names no number, yet it is this write's answer: shown as the
    // unit gave it.
    bus->setFaults(0, {.refuseWrites = true});
    change(2041, 42);
    ASSERT_TRUE(quiet());
    EXPECT_TRUE(logic.controls().panel1.startsWith(QLatin1String("er 7")))
        << logic.controls().panel1.toStdString();
}

// A link failure while an input is read live stops the polling and says so;
// the panel does not keep the last value as if it were current.
TEST_F(CalibrationLogicTest, ALinkErrorStopsTheLiveReading) {
    readAll();
    calibrationMode();
    const struct {
        SimFaults faults;
        const char* panel;
        bool portStaysOpen;
    } cases[] = {
        {{.vanish = true}, "Communicatie error", false},
        {{.driverError = EIO}, "Communicatie error", false},
        {{.noAnswer = true}, "Timeout!", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.panel);
        bus->setFaults(0, {});
        bus->setPlugged(true);
        if (!port.Active()) port.SetActive(true);
        logic.CmdAct_U_ADClick();
        ASSERT_TRUE(waitUntil([&] { return logic.controls().panel2.endsWith(" V"); }));
        bus->setFaults(0, c.faults);
        ASSERT_TRUE(waitUntil([&] { return !logic.controls().voltageOn; }, 3000));
        EXPECT_TRUE(logic.controls().panel2.isEmpty());
        EXPECT_TRUE(logic.controls().panel1.startsWith(QLatin1String(c.panel)))
            << logic.controls().panel1.toStdString();
        EXPECT_TRUE(logic.controls().panel1Red);
        EXPECT_EQ(port.Active(), c.portStaysOpen);
        // Nothing more is asked, however long the window stays open.
        ASSERT_TRUE(quiet());
        clearWire();
        clock_->advanceTo(now() + SimNanos(2) * 1000000000);
        ASSERT_TRUE(quiet());
        EXPECT_TRUE(sent().isEmpty()) << sent().join(" | ").toStdString();
    }
}

// A reply longer than the window's buffer is nobody's confirmation: a long
// garbled line that happens to begin with "ks" does not mean the EEPROM holds
// the values, nor "km 0" that calibration mode is off.
TEST_F(CalibrationLogicTest, AnOverlongReplyConfirmsNothing) {
    readAll();
    calibrationMode();
    logic.CmdSet_U_actiefClick();
    change(2041, -37);
    ASSERT_TRUE(quiet());
    ASSERT_TRUE(logic.controls().eeprom);
    bus->setFaults(0, {.longReply = true});
    const struct {
        std::function<void()> act;
        const char* request;
    } cases[] = {{[&] { logic.CmdSaveToEEPROMClick(); }, "ks"},
                 {[&] { logic.CmdSet_I_actiefClick(); }, "kf 2"},
                 {[&] { logic.CmdResCalibtatieModeClick(); }, "km 0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        clearWire();
        c.act();
        ASSERT_TRUE(quiet());
        EXPECT_EQ(sent(), QStringList{c.request});
        EXPECT_TRUE(logic.controls().panel1Red);
        EXPECT_TRUE(logic.controls().panel1.contains(QLatin1String("112")))
            << logic.controls().panel1.toStdString();
        // Everything as before the request.
        EXPECT_TRUE(logic.sentNotSaved());
        EXPECT_TRUE(logic.controls().eeprom);
        EXPECT_EQ(logic.savedValue(2041), 41);
        EXPECT_TRUE(logic.controls().daVoltage);
        EXPECT_FALSE(logic.controls().daCurrent);
        EXPECT_TRUE(logic.writesEnabled());
    }

    // An input selection so answered starts no reading.
    clearWire();
    logic.CmdAct_U_ADClick();
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"wp 226 0"});
    EXPECT_FALSE(logic.controls().voltageOn);

    // Read in this state, no constant is taken.
    clearWire();
    logic.activate();
    ASSERT_TRUE(quiet());
    EXPECT_EQ(sent(), QStringList{"kr 2041"});
    EXPECT_TRUE(logic.controls().panel1Red);
    EXPECT_TRUE(logic.controls().panel1.contains(QLatin1String("112")));
}
