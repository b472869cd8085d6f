// The cam display: which cell lights up in which colour, what the nine
// panels say for a selected cell, and the window's headers.

#include "model/engines/CamDisplay.h"
#include "model/engines/ProgramState.h"
#include "tools/FormDisplayNokken.h"
#include "ui/TextTableChecks.h"

#include <QLabel>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace kqm52;
using namespace kqm52::cams;

namespace {

class CamDisplayTest : public ::testing::Test {
  protected:
    CamDisplayTest() : state(QStringLiteral(KQM52_DATA_DIR "/")), logic(state) {
        state.settings.LanguageNo = 1; // English option texts
        state.catalogue.ParameterDef_lezen(state.settings.folders.programDir());
        // Cam 5 on output 3, function 2 ("Dynamic").
        set(functionParameter(5), 2);
        set(outputParameter(5), 3);
        set(sourceParameter(5), 0);
        set(startParameter(5), 12345);
        set(endParameter(5), 23456);
        set(hysteresisParameter(5), 10);
        set(advanceParameter(3), 1500);
        set(ParamTables::PositionDecimalsParameter, 2);
    }
    void set(int p, qint32 v) { state.tables.setParameter(p, v); }

    ProgramState state;
    CamDisplayLogic logic;
};

} // namespace

// Only the cell of a cam's output lights, in its function's colour; every
// other cell, and one whose values are damaged, clears the panels.
TEST_F(CamDisplayTest, ACamLightsOneCellInTheRowOfItsOutput) {
    for (int m = 1; m <= 4; ++m)
        EXPECT_EQ(logic.cellColour(5, m), m == 3 ? std::optional<QColor>(Qt::green) : std::nullopt);
    const std::pair<qint32, std::optional<QColor>> functions[] = {
        {1, Qt::red}, {3, Qt::yellow}, {0, std::nullopt}, {-1, std::nullopt}, {4, std::nullopt}};
    for (const auto& [f, colour] : functions) {
        set(functionParameter(5), f);
        EXPECT_EQ(logic.cellColour(5, 3), colour) << f;
        EXPECT_EQ(logic.UpdateOnSelectedCell(5, 3) == CamPanels{}, !colour) << f;
    }
    set(functionParameter(5), 2);
    EXPECT_EQ(logic.UpdateOnSelectedCell(5, 1), CamPanels{});
    EXPECT_EQ(logic.UpdateOnSelectedCell(6, 3), CamPanels{}); // function 0
    set(outputParameter(5), 7);
    EXPECT_EQ(logic.UpdateOnSelectedCell(5, 7), CamPanels{});
    EXPECT_EQ(logic.UpdateOnSelectedCell(0, 0), CamPanels{});
    EXPECT_EQ(logic.UpdateOnSelectedCell(25, 3), CamPanels{});
}

TEST_F(CamDisplayTest, SelectedCamFillsThePanels) {
    const CamPanels p = logic.UpdateOnSelectedCell(5, 3);
    EXPECT_EQ(p.NokNummer, "5");
    EXPECT_EQ(p.Functie, "Dynamic");
    EXPECT_FALSE(p.Bron.isEmpty());
    EXPECT_EQ(p.Aanvang, "123,45");
    EXPECT_EQ(p.SelectAanvang, "Own value");
    EXPECT_EQ(p.Einde, "234,56");
    EXPECT_EQ(p.Hysteresis, "0,10");
    EXPECT_EQ(p.Vervroeging, "1,500");

    // Without the catalogue the option panels stay empty, the values do not.
    state.catalogue.setDefinitions(IniFile{});
    const CamPanels bare = logic.UpdateOnSelectedCell(5, 3);
    EXPECT_EQ(bare.Functie, QString());
    EXPECT_EQ(bare.SelectAanvang, QString());
    EXPECT_EQ(bare.Aanvang, "123,45");
}

TEST_F(CamDisplayTest, StartAndEndSelectorsPickTheirValue) {
    struct Case {
        qint32 selector;
        QString value;
        QString option;
    };
    state.tables.setSetpoint(12, 777);
    state.tables.setSetpoint(48, -5);
    state.monitor.ThumbwheelValue(2) = 4242;
    state.monitor.ThumbwheelValue(4) = 1;
    for (const Case& c : {Case{0, "123,45", "Own value"}, Case{12, "7,77", "Setpoint 12"},
                          Case{48, "-0,05", "Setpoint 48"}, Case{50, "42,42", "Thumbwheel 2"},
                          Case{52, "0,01", "Thumbwheel 4"}, Case{53, "", ""}, Case{-1, "", ""}}) {
        set(startSelectorParameter(5), c.selector);
        set(endSelectorParameter(5), c.selector);
        const CamPanels p = logic.UpdateOnSelectedCell(5, 3);
        EXPECT_EQ(p.Aanvang, c.value) << c.selector;
        EXPECT_EQ(p.SelectAanvang, c.option) << c.selector;
        EXPECT_EQ(p.Einde, c.selector == 0 ? "234,56" : c.value) << c.selector;
        EXPECT_EQ(p.SelectEinde, c.option) << c.selector;
        EXPECT_EQ(p.NokNummer, "5");
    }
}

TEST_F(CamDisplayTest, WindowHeadersColoursAndSelection) {
    TFormDisplayNokken form(state);
    form.FormActivate();
    QTableWidget* grid = form.StringGrid1;
    for (int m = 1; m <= 4; ++m)
        EXPECT_EQ(grid->item(m, 0)->text(), QString::number(m)); // no language file
    EXPECT_EQ(grid->item(0, 24)->text(), "24");
    EXPECT_EQ(grid->item(3, 5)->background().color(), QColor(Qt::green));
    EXPECT_EQ(grid->item(1, 5)->background().style(), Qt::NoBrush);
    grid->setCurrentCell(3, 5);
    EXPECT_EQ(form.PanelNokNummer->text(), "5");
    EXPECT_EQ(form.PanelVervroeging->text(), "1,500");
    grid->setCurrentCell(1, 5);
    EXPECT_EQ(form.PanelNokNummer->text(), QString());
    EXPECT_EQ(form.PanelAanvang->text(), QString());

    state.language.loadFromText("[DisplayNokken]\nRijTekst=Out\nCaption=Cams\n");
    form.FormActivate();
    EXPECT_EQ(grid->item(2, 0)->text(), "Out-2");
    EXPECT_EQ(form.windowTitle(), "Cams");
    // Another language chosen since: the next activation speaks it.
    state.language.loadFromText(
        "[DisplayNokken]\nRijTekst=Ausg\nCaption=Nocken\nLabelFuncte=Funktion\n");
    form.FormActivate();
    EXPECT_EQ(grid->item(2, 0)->text(), "Ausg-2");
    EXPECT_EQ(form.windowTitle(), "Nocken");
    EXPECT_EQ(form.LabelFunctie->text(), "Funktion");
    EXPECT_EQ(form.LabelBron->text(), "Bron"); // a key the file lacks: the built-in text
}

TEST(CamDisplayWindow, EveryTextOfItsSectionLandsOnItsControl) {
    ProgramState state(QStringLiteral(KQM52_DATA_DIR "/"));
    TFormDisplayNokken form(state);
    state.language.loadFromText(test::markedLanguage("DisplayNokken"));
    form.FormActivate();
    test::expectMarkedTextsShown(form, "DisplayNokken");
    EXPECT_EQ(form.StringGrid1->item(4, 0)->text(), "<RijTekst>-4");
}
