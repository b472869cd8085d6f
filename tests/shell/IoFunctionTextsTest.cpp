// The function labels beside the I/O lamps.

#include "ShellTestSupport.h"

#include "inifile/IniFile.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/ParamTables.h"
#include "model/values/ParameterCatalogue.h"
#include "shell/IoFunctionTexts.h"

#include <QLabel>

namespace kqm52::test {
namespace {

LanguageTexts k0Texts() {
    LanguageTexts texts;
    texts.loadFromText(
        "[Main]\nK0_HoldReset=HOLD\nK0_RefFijn=REF\nK0_SSIJustage=SSI\nK0_Inactief=OFF\n");
    return texts;
}

TEST(K0Label, TheFirstRuleThatAppliesNamesTheFunction) {
    const struct {
        qint32 p200, p201, p212, p218;
        const char* label;
    } cases[] = {
        {1, 0, 0, 0, "HOLD"}, {2, 1, 1, 1, "HOLD"}, // hold/reset wins over everything
        {3, 0, 0, 0, "OFF"},  {0, 0, 0, 0, "OFF"},  {0, 0, 1, 0, "REF"}, {0, 2, 1, 0, "REF"},
        {0, 2, -4, 0, "REF"}, {0, 1, 1, 0, "OFF"}, // fine reference needs encoder 0 or 2
        {0, 1, 0, 1, "SSI"},  {0, 1, 0, 2, "SSI"},  {0, 1, 0, 4, "SSI"}, {0, 1, 5, 4, "SSI"},
        {0, 1, 0, 3, "OFF"},  {0, 0, 0, 4, "OFF"},  {0, 3, 1, 1, "OFF"},
    };
    for (const auto& c : cases) {
        ParamTables tables;
        tables.setParameter(200, c.p200);
        tables.setParameter(201, c.p201);
        tables.setParameter(212, c.p212);
        tables.setParameter(218, c.p218);
        EXPECT_EQ(IoFunctionTexts::k0(tables, k0Texts()), c.label)
            << c.p200 << " " << c.p201 << " " << c.p212 << " " << c.p218;
        EXPECT_EQ(IoFunctionTexts::k0(tables, LanguageTexts{}), "") << "without a language file";
    }
}

TEST(IoLabels, EachShowsTheOptionAtItsValueOrHashes) {
    IniFile defs;
    defs.loadFromText("[249]\ntype=1\nopties0=Uit,Start,\"Niet actief\"\nopties3=Off,Go\n"
                      "[250]\nopties0=#249\n[251]\nopties0=A,B\n[252]\n"
                      "[389]\nopties0=O0,O1,O2,O3\n[390]\nopties0=P,Q\n[391]\nopties0=R\n"
                      "[392]\nopties0=#012\n[012]\nopties0=Nokken,Fout\n");
    ParameterCatalogue catalogue;
    ParamTables tables;
    EXPECT_FALSE(IoFunctionTexts::inputs(catalogue, tables, 0)) << "no Parameters.txt";
    EXPECT_FALSE(IoFunctionTexts::outputs(catalogue, tables, 0)) << "no Parameters.txt";
    catalogue.setDefinitions(defs);
    tables.setParameter(249, 2);
    tables.setParameter(250, 1);  // the list of 249, by reference
    tables.setParameter(251, -1); // a negative value names no function
    tables.setParameter(252, 0);  // no options at all
    tables.setParameter(389, 5);  // past the end
    tables.setParameter(390, 1);
    tables.setParameter(391, 0);
    tables.setParameter(392, 1);
    using Labels = std::array<QString, 4>;
    EXPECT_EQ(IoFunctionTexts::inputs(catalogue, tables, 0),
              (Labels{"Niet actief", "Start", "########", "########"}));
    EXPECT_EQ(IoFunctionTexts::outputs(catalogue, tables, 0),
              (Labels{"########", "Q", "R", "Fout"}));
    tables.setParameter(249, 1);
    EXPECT_EQ((*IoFunctionTexts::inputs(catalogue, tables, 3))[0], "Go") << "its own option column";
}

// The labels as the user sees them in the main window.
class IoLabelsInWindowTest : public ShellWorld {};

TEST_F(IoLabelsInWindowTest, TheWindowLabelsItsLampsFromTheCatalogue) {
    writeFile("Taal0.ini", "[Main]\nK0_Inactief=K0 vrij\nK0_HoldReset=Hold\n");
    EXPECT_EQ(ctl<QLabel>(createWindow(), "LabelFun_in", 0)->text(), "") << "no Parameters.txt";
    writeFile("Parameters.txt",
              "[249]\nopties0=Uit,Start\n[250]\nopties0=Uit,Stop\n[389]\nopties0=Uit,Hoog\n");
    TFormMain& w = createWindow();
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_K0")->text(), "K0 vrij");
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_in", 0)->text(), "Uit");
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_uit", 0)->text(), "Uit");
    // A new parameter table (received, opened): the editor relabels.
    for (auto [p, v] : {std::pair{249, 1}, {250, 1}, {389, 1}, {200, 2}})
        state_->tables.setParameter(p, v);
    w.InputFunctieTeksten();
    w.OutputFunctieTeksten();
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_in", 0)->text(), "Start");
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_in", 1)->text(), "Stop");
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_uit", 0)->text(), "Hoog");
    EXPECT_EQ(ctl<QLabel>(w, "LabelFun_K0")->text(), "Hold");
}

} // namespace
} // namespace kqm52::test
