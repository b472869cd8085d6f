// The calibration and device search windows on the simulated bus: the
// wiring of their controls, the grid, the closing question and the texts.

#include "../sim/SimLinkFixture.h"

#include "tools/FormApparaatZoeken.h"
#include "tools/FormCalibratie.h"
#include "ui/ProgramState.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

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
    CalibrationWindowTest() : form(port, dialogs) {
        bus->addUnit(0, lineOf(38400)).setCalibration(2041, 12);
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
