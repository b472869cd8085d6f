// The calibration and device search windows on the simulated bus: the
// wiring of their controls, the grid, the closing question and the texts.

#include "../sim/SimLinkFixture.h"

#include "model/engines/ProgramState.h"
#include "model/texts/LanguageTexts.h"
#include "tools/FormApparaatZoeken.h"
#include "tools/FormCalibratie.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <cerrno>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

template <class W> W* child(QWidget& window, const char* name) {
    W* w = window.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class SearchWindowTest : public SimLinkFixture {
  protected:
    SearchWindowTest()
        : state(dir.path() + "/"), form(state, port, dialogs, [this](int unit) { taken << unit; }) {
        bus->addUnit(5, lineOf(19200, DriverParity::Even));
    }
    ~SearchWindowTest() override { form.search().cancel(); }

    bool settled() {
        return waitUntil([&] { return form.search().state() != SearchState::Searching; }, 60000);
    }
    QString cell(int row, int column) {
        const QTableWidgetItem* item = grid()->item(row, column);
        return item ? item->text() : QString();
    }
    QTableWidget* grid() { return child<QTableWidget>(form, "StringGrid1"); }

    QTemporaryDir dir;
    ProgramState state;
    ScriptedDialogs dialogs;
    QList<int> taken;
    TFormApparaatZoeken form;
};

} // namespace

TEST_F(SearchWindowTest, AFoundUnitFillsItsRowAndOkTakesItOver) {
    form.FormActivate();
    EXPECT_FALSE(child<QPushButton>(form, "CmdOK")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(form, "CmdVerder")->isEnabled());
    child<QRadioButton>(form, "RB_parity_auto")->setChecked(true);
    child<QRadioButton>(form, "RB_stopbits_auto")->setChecked(true);
    child<QPushButton>(form, "CmdStartZoeken")->click();
    EXPECT_FALSE(child<QGroupBox>(form, "GroupBoxParity")->isEnabled());
    ASSERT_TRUE(settled());

    const SimUnit& unit = *bus->withUnit(0, [](SimUnit& u) { return &u; });
    EXPECT_EQ(cell(0, 0), "05");
    EXPECT_EQ(cell(0, 1), QString::fromLatin1(unit.typeText + "   " + unit.hardwareText + "   " +
                                              unit.extraText));
    EXPECT_EQ(cell(0, 2), "19200");
    EXPECT_EQ(cell(0, 3), "Even");
    EXPECT_EQ(cell(0, 4), "1");
    EXPECT_EQ(child<QLabel>(form, "PanelZoekTekst")->text(), "Apparaat gevonden!");
    EXPECT_EQ(child<QLabel>(form, "PanelBaudtare")->text(), "19200 bit/s");
    EXPECT_EQ(child<QLabel>(form, "PanelApparaatNo")->text(), "5");
    const QColor lit(0xFF, 0xFF, 0x97);
    EXPECT_EQ(child<QLabel>(form, "Panel_parity_E")->palette().color(QPalette::Window), lit);
    EXPECT_NE(child<QLabel>(form, "Panel_parity_N")->palette().color(QPalette::Window), lit);
    EXPECT_TRUE(child<QPushButton>(form, "CmdVerder")->isEnabled());

    // Which row's settings the port takes is the search's own test.
    grid()->setCurrentCell(0, 1);
    emit grid()->cellDoubleClicked(0, 1);
    EXPECT_EQ(taken, QList<int>{5});
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

// A full bus: every unit number answers, each gets its row, and the last
// one can be taken over like the first.  A second unit 0 at another speed
// (one on a converter of its own) still gets a row of its own.
TEST_F(SearchWindowTest, AFullBusFillsThirtyTwoRowsAndTheLastCanBeTakenOver) {
    bus->withUnit(0, [](SimUnit& u) { u.setLine(lineOf(9600)); }); // unit 5
    for (int unit = 0; unit < DeviceSearch::UnitCount; ++unit)
        if (unit != 5) bus->addUnit(unit, lineOf(9600));
    bus->addUnit(0, lineOf(19200));
    form.FormActivate();
    child<QPushButton>(form, "CmdStartZoeken")->click();
    ASSERT_TRUE(settled());
    while (form.search().state() == SearchState::Found) {
        if (form.search().found().size() == 32u) {
            EXPECT_EQ(grid()->rowCount(), 32);
        }
        child<QPushButton>(form, "CmdVerder")->click();
        ASSERT_TRUE(settled());
    }
    ASSERT_EQ(form.search().found().size(), 33u);
    ASSERT_EQ(grid()->rowCount(), 33);
    for (int row = 0; row < 32; ++row) {
        EXPECT_EQ(cell(row, 0), QStringLiteral("%1").arg(row, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(cell(row, 2), "9600") << row;
    }
    EXPECT_EQ(cell(32, 0), "00");
    EXPECT_EQ(cell(32, 2), "19200");
    grid()->setCurrentCell(31, 1);
    child<QPushButton>(form, "CmdOK")->click();
    EXPECT_EQ(taken, QList<int>{31});
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

// The port will not open: the status line says stopped, the box says which
// port and device, in the user's language.
TEST_F(SearchWindowTest, APortThatWillNotOpenIsNamedInTheUsersLanguage) {
    const QString missing = QStringLiteral("/dev/kqm52-test-no-such-ttyUSB0");
    map.setDevice(TPort::COM3, missing);
    port.SetPortName(TPort::COM3);
    state.language.loadFromText("[AparaatZoeken]\nPanelTekst0=Sucht\nPanelTekst1=Angehalten\n"
                                "MsgCannotOpen=%1 (%2) kann nicht geöffnet werden:\n");
    form.FormActivate();
    child<QPushButton>(form, "CmdStartZoeken")->click();
    EXPECT_EQ(child<QLabel>(form, "PanelZoekTekst")->text(), "Angehalten");
    EXPECT_TRUE(child<QPushButton>(form, "CmdStartZoeken")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(form, "CmdStop")->isEnabled());
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text,
              QStringLiteral("COM3 (%1) kann nicht geöffnet werden:\n").arg(missing) +
                  QString::fromStdString(systemErrorText(ENOENT)));
}

TEST_F(SearchWindowTest, EscapeIsCancelAndPutsThePortBack) {
    form.FormActivate();
    child<QPushButton>(form, "CmdStartZoeken")->click();
    ASSERT_TRUE(waitUntil([&] { return port.Baudrate() == TBaudrate::br9600; }));
    form.reject();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_TRUE(taken.isEmpty());
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br38400);
}

TEST_F(SearchWindowTest, EveryTextOfItsSectionLandsOnItsControl) {
    state.language.loadFromText(test::markedLanguage("AparaatZoeken"));
    form.FormActivate();
    test::expectMarkedTextsShown(form, "AparaatZoeken");
    EXPECT_EQ(grid()->horizontalHeaderItem(4)->text(), "<KolomTekst4>");
    child<QPushButton>(form, "CmdStartZoeken")->click();
    EXPECT_EQ(child<QLabel>(form, "PanelZoekTekst")->text(), "<PanelTekst0>");
}

namespace {

class CalibrationWindowTest : public SimLinkFixture {
  protected:
    CalibrationWindowTest() : form(port, language, dialogs) {
        bus->addUnit(0, lineOf(38400)).setCalibration(2041, 12);
        hostLines.attach(*bus);
    }
    void SetUp() override {
        port.SetActive(true);
        form.show(); // activation reads the constants
        ASSERT_TRUE(quiet());
    }
    bool quiet() {
        return waitUntil([&] { return !form.logic().busy() && port.queuedRequests() == 0; });
    }
    void click(const char* name) {
        child<QPushButton>(form, name)->click();
        ASSERT_TRUE(quiet());
    }

    // The user types into a spin edit and presses Enter.
    void type(QSpinBox* spin, const QString& text) {
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Return);
        ASSERT_TRUE(quiet());
    }

    HostLines hostLines;
    LanguageTexts language;
    ScriptedDialogs dialogs;
    TFormCalibratie form;
};

} // namespace

TEST_F(CalibrationWindowTest, ClosingWithUnsavedConstantsAsksAndNoKeepsItOpen) {
    QSpinBox* offset = child<QSpinBox>(form, "SpinEdit_Offset_U");
    EXPECT_EQ(offset->value(), 12);
    EXPECT_FALSE(child<QGroupBox>(form, "GroupBox5")->isEnabled());
    click("CmdSetKalibtatieMode");
    EXPECT_TRUE(child<QGroupBox>(form, "GroupBox4")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>(form, "GroupBox5")->isEnabled());
    click("CmdSet_U_actief");
    EXPECT_TRUE(child<QGroupBox>(form, "GroupBox1")->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(form, "GroupBox2")->isEnabled());

    offset->setValue(-37);
    ASSERT_TRUE(quiet());
    EXPECT_EQ(child<QLabel>(form, "Panel1")->text(), "kw 2041 -37");
    EXPECT_TRUE(child<QPushButton>(form, "CmdSaveToEEPROM")->isEnabled());

    // Enter in the question keeps the window, and the unsaved constants, open.
    dialogs.answerEnter();
    form.reject();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].caption, "Waarschuwing");
    EXPECT_EQ(dialogs.asked()[0].icon, Dialogs::Icon::Warning);
    EXPECT_EQ(dialogs.asked()[0].defaultButton, Dialogs::Button::No);
    EXPECT_TRUE(form.isVisible());
    for (const QString& line : dialogs.asked()[0].text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 42) << line.toStdString();

    click("CmdSaveToEEPROM");
    EXPECT_FALSE(child<QPushButton>(form, "CmdSaveToEEPROM")->isEnabled());
    form.reject();
    EXPECT_EQ(dialogs.asked().size(), 1u); // no second question
    EXPECT_FALSE(form.isVisible());
}

// With a language file, the closing question is in its words.
TEST_F(CalibrationWindowTest, TheClosingQuestionSpeaksTheLanguage) {
    language.loadFromText(
        "[Calibratie]\nMsg_waarschuwingCaption=Warnung\n"
        "MsgNietOpgeslagen=Es wurden Kalibrierwerte an das Gerät gesendet, aber noch nicht im "
        "EEPROM gespeichert. Trotzdem schließen?\n");
    click("CmdSetKalibtatieMode");
    click("CmdSet_U_actief");
    child<QSpinBox>(form, "SpinEdit_Offset_U")->setValue(-37);
    ASSERT_TRUE(quiet());
    dialogs.answerEnter();
    form.reject();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].caption, "Warnung");
    const QString text = dialogs.asked()[0].text;
    EXPECT_TRUE(text.startsWith("Es wurden Kalibrierwerte")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Trotzdem schließen?")) << text.toStdString();
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 42) << line.toStdString();
}

TEST_F(CalibrationWindowTest, TheVoltageReadingShowsInAPaleYellowPanel) {
    click("CmdSetKalibtatieMode");
    child<QPushButton>(form, "CmdAct_U_AD")->click();
    QLabel* panel = child<QLabel>(form, "Panel2");
    ASSERT_TRUE(waitUntil([&] { return panel->text().endsWith(" V"); }));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x97));
    EXPECT_EQ(child<QPushButton>(form, "CmdAct_U_AD")->text(), "OFF");
    child<QPushButton>(form, "CmdAct_U_AD")->click();
    EXPECT_EQ(child<QPushButton>(form, "CmdAct_U_AD")->text(), "ON");
    EXPECT_TRUE(panel->text().isEmpty());
}

// What the user types is what goes out, or nothing: a value its field
// cannot hold is refused in the window, not cut to fit.
TEST_F(CalibrationWindowTest, ATypedValueOutsideItsFieldIsRefusedNotCut) {
    click("CmdSetKalibtatieMode");
    click("CmdSet_U_actief");
    hostLines.clear();
    const struct {
        const char* spin;
        const char* typed;
    } cases[] = {{"SpinEdit_Gain_U_pos", "5000"},
                 {"SpinEdit_Gain_U_neg", "-99999"},
                 {"SpinEdit_Offset_U", "99999999999"}};
    QLabel* panel1 = child<QLabel>(form, "Panel1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spin);
        QSpinBox* spin = child<QSpinBox>(form, c.spin);
        const int before = spin->value();
        type(spin, QLatin1String(c.typed));
        EXPECT_TRUE(hostLines.all().isEmpty()) << hostLines.all().join(" | ").toStdString();
        EXPECT_TRUE(panel1->text().contains(QLatin1String(c.typed)))
            << panel1->text().toStdString();
        EXPECT_TRUE(panel1->styleSheet().contains("red"));
        EXPECT_EQ(spin->value(), before);
        EXPECT_EQ(spin->text(), QString::number(before));
    }
    EXPECT_FALSE(child<QPushButton>(form, "CmdSaveToEEPROM")->isEnabled());

    // A value inside the field goes out exactly as typed.
    type(child<QSpinBox>(form, "SpinEdit_Gain_U_pos"), "-1000");
    type(child<QSpinBox>(form, "SpinEdit_Offset_U"), "-2147483648");
    EXPECT_EQ(hostLines.all(), (QStringList{"kw 2042 -1000", "kw 2041 -2147483648"}));

    // A test value too: refused as typed, "Set" then drives the output to
    // the value the field shows, not to a cut one.
    hostLines.clear();
    type(child<QSpinBox>(form, "SpinEdit3"), "999999");
    EXPECT_TRUE(panel1->text().contains("999999")) << panel1->text().toStdString();
    click("CmdSetUmax");
    EXPECT_EQ(hostLines.all(), QStringList{"ka 100000"});
}

// Constants the unit did not deliver show as unread and stay locked, also
// once calibration mode opens their groups.
TEST_F(CalibrationWindowTest, ConstantsNotReadStayLockedAndMarked) {
    bus->setFaults(0, {.garbled = true});
    form.FormActivate();
    ASSERT_TRUE(quiet());
    bus->setFaults(0, {});
    click("CmdSetKalibtatieMode");
    click("CmdSet_U_actief");
    EXPECT_TRUE(child<QGroupBox>(form, "GroupBox5")->isEnabled());
    for (const char* name : {"SpinEdit_Offset_U", "SpinEdit_Gain_U_pos", "SpinEdit_Offset_U_AD",
                             "SpinEdit_Gain_I_neg_AD"}) {
        QSpinBox* spin = child<QSpinBox>(form, name);
        EXPECT_FALSE(spin->isEnabled()) << name;
        EXPECT_EQ(spin->text(), "????") << name;
    }
    // The test values are not constants of the unit: they stay usable.
    EXPECT_TRUE(child<QSpinBox>(form, "SpinEdit1")->isEnabled());

    form.FormActivate();
    ASSERT_TRUE(quiet());
    click("CmdSetKalibtatieMode");
    click("CmdSet_U_actief");
    QSpinBox* offset = child<QSpinBox>(form, "SpinEdit_Offset_U");
    EXPECT_TRUE(offset->isEnabled());
    EXPECT_EQ(offset->text(), "12");
}

// A constant the unit holds outside its field's limits shows as the unit
// holds it, is named in the message panel and is the saved copy; nothing
// goes out but a value the user typed inside the limits.
TEST_F(CalibrationWindowTest, AConstantOutsideItsFieldShowsAsTheUnitHoldsIt) {
    bus->withUnit(0, [](SimUnit& u) {
        u.setCalibration(2042, 1500);
        u.setEeprom(2042, 1500);
    });
    form.FormActivate();
    ASSERT_TRUE(quiet());
    QSpinBox* gain = child<QSpinBox>(form, "SpinEdit_Gain_U_pos");
    QLabel* panel1 = child<QLabel>(form, "Panel1");
    EXPECT_EQ(gain->value(), 1500);
    EXPECT_EQ(gain->text(), "1500");
    EXPECT_EQ(form.logic().savedValue(2042), 1500);
    EXPECT_EQ(panel1->text(), "DA Spanning Gain +: het apparaat heeft 1500, buiten -1000 tot "
                              "1000. Alleen een waarde binnen die grenzen wordt verzonden.");
    EXPECT_TRUE(panel1->styleSheet().contains("red"));

    click("CmdSetKalibtatieMode");
    click("CmdSet_U_actief");
    hostLines.clear();
    // An arrow step from 1500, Enter on it unchanged, a typed 1200: nothing
    // goes out and the field keeps the unit's value.
    gain->setFocus();
    QTest::keyClick(gain, Qt::Key_Down);
    ASSERT_TRUE(quiet());
    EXPECT_TRUE(panel1->text().contains("1499")) << panel1->text().toStdString();
    QTest::keyClick(gain, Qt::Key_Return);
    type(gain, "1200");
    EXPECT_TRUE(panel1->text().contains("1200")) << panel1->text().toStdString();
    EXPECT_TRUE(hostLines.all().isEmpty()) << hostLines.all().join(" | ").toStdString();
    EXPECT_EQ(gain->value(), 1500);
    EXPECT_FALSE(child<QPushButton>(form, "CmdSaveToEEPROM")->isEnabled());

    // A value inside the limits goes out; back outside them is refused.
    type(gain, "900");
    type(gain, "1500");
    EXPECT_EQ(hostLines.all(), QStringList{"kw 2042 900"});
    EXPECT_EQ(gain->value(), 900);
    click("CmdSaveToEEPROM");
    EXPECT_EQ(bus->withUnit(0, [](SimUnit& u) { return u.eeprom(2042); }), 900);
}

// An unplugged converter ends the live reading in this window too: the
// error in red, the panel no longer lit, the button ready to start again.
TEST_F(CalibrationWindowTest, AnUnpluggedConverterEndsTheLiveReading) {
    click("CmdSetKalibtatieMode");
    QPushButton* button = child<QPushButton>(form, "CmdAct_U_AD");
    button->click();
    QLabel* panel = child<QLabel>(form, "Panel2");
    ASSERT_TRUE(waitUntil([&] { return panel->text().endsWith(" V"); }));
    bus->setFaults(0, {.vanish = true});
    ASSERT_TRUE(waitUntil([&] { return button->text() == "ON"; }, 3000));
    EXPECT_TRUE(panel->text().isEmpty());
    EXPECT_NE(panel->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0x97));
    QLabel* panel1 = child<QLabel>(form, "Panel1");
    EXPECT_TRUE(panel1->text().startsWith("Communicatie error")) << panel1->text().toStdString();
    EXPECT_TRUE(panel1->styleSheet().contains("red"));
}
