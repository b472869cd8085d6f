// Comparing the editor's table with a simulated unit: what the list shows,
// what "write" puts on the wire and in the unit, what "take" changes in the
// table, and what the user is told when the unit refuses a value or the
// converter is pulled out half-way.

#include "sim/SimLinkFixture.h"

#include "model/engines/ProgramState.h"
#include "model/engines/TableTransfer.h"
#include "model/values/GroupTree.h"
#include "params/CompareParamLogic.h"
#include "params/EditParamLogic.h"
#include "params/FormCompareParam.h"
#include "support/BuiltInTexts.h"
#include "ui/ScriptedDialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

using namespace kqm52;
using namespace kqm52::simtest;
using Kind = ScriptedDialogs::Kind;

namespace {

const QString DataDir = QStringLiteral(KQM52_SOURCE_DATA_DIR "/");

// Parameters the user changed in the editor: a position, an option list
// ("Always" / "Via input") and a plain number.
constexpr int Cam1Start = 7;
constexpr int CamEnable = 79;
constexpr int Third = 150;

class CompareTest : public SimLinkFixture {
  protected:
    CompareTest() : state(DataDir), logic(state, dialogs) {
        SimUnit& unit = bus->addUnit(0, lineOf(38400));
        for (int p = 0; p < 400; ++p) {
            // Cams off (256 … 279 at 0): the unit recomputes without complaint.
            unitValues[std::size_t(p)] = p == CamEnable ? 0 : p == 203 ? 2 : p < 200 ? p * 10 : 0;
            unit.forceParameter(p, unitValues[std::size_t(p)]);
        }
        hostLines.attach(*bus);
        state.settings.LanguageNo = 1;
        state.language.TekstFile_Lezen(DataDir, 1);
        state.catalogue.ParameterDef_lezen(DataDir);
        state.catalogue.ParamNo_lezen(DataDir);
        tree.load(DataDir + GroupTree::fileName(1));

        ParamTables::Parameters table = unitValues;
        table[Cam1Start] = -1250;
        table[CamEnable] = 1;
        table[Third] = 4242;
        state.tables.replaceParameters(table, ParameterSource::File);
        logic.hooks.write = [this](const ParamTables::Parameters& values,
                                   const std::vector<int>& numbers) {
            return write(values, numbers);
        };
        logic.hooks.tableChanged = [this] { ++tableChanges; };
    }
    void SetUp() override { port.SetActive(true); }

    // What the send window does with a chosen few, on the same engine; each
    // panel text goes to onPanel first, so a test can fault the unit at a
    // given parameter.
    SendReport write(const ParamTables::Parameters& values, const std::vector<int>& numbers) {
        TableTransfer t(port, TableTransfer::Direction::Send, testsupport::builtInTexts());
        t.setMode(TableTransfer::Mode::Parameters);
        t.tables.parameters = values;
        t.setParameterSubset(numbers);
        t.onViewChanged = [this](const TransferView& v) {
            if (onPanel) onPanel(v.panelText);
            lastView = v;
        };
        t.start();
        EXPECT_TRUE(waitUntil([&] {
            return t.status() != TableTransfer::Status::Running &&
                   t.status() != TableTransfer::Status::Computing;
        }));
        // The user leaves a finished window with OK, a stopped one with Cancel.
        if (t.status() == TableTransfer::Status::Done)
            t.ok();
        else
            t.cancel();
        return t.sendReport();
    }
    qint32 unitHolds(int p) {
        return bus->withUnit(0, [p](SimUnit& u) { return u.parameter(p); });
    }
    QString lastBoxText() const {
        const auto boxes = dialogs.asked(Kind::Message);
        return boxes.empty() ? QString() : boxes.back().text;
    }
    void compare() { logic.compare(unitValues, tree); }

    HostLines hostLines;
    ProgramState state;
    ScriptedDialogs dialogs;
    GroupTree tree;
    CompareParamLogic logic;
    ParamTables::Parameters unitValues{};
    std::function<void(const QString&)> onPanel;
    TransferView lastView;
    int tableChanges = 0;
};

} // namespace

TEST_F(CompareTest, ThreeDifferencesListedAndWritingOnlyThoseSendsThreeWpAndOneBp) {
    compare();
    ASSERT_EQ(logic.rows().size(), 3u);
    // Unit first, table second; parameter 203 = 2 gives positions two decimals.
    const auto cam = logic.cells(0);
    EXPECT_EQ(cam[1], "007");
    EXPECT_EQ(cam[2], "Cam 1 start");
    EXPECT_EQ(cam[3], "0,70");
    EXPECT_EQ(cam[4], "-12,50");
    // Where the editor shows it: menu / submenu (menu.submenu.row).
    EXPECT_EQ(cam[0], "Cams / Cam 1 (9.1.6)");
    const auto enable = logic.cells(1);
    EXPECT_EQ(enable[0], "Cams (9.0.1)");
    EXPECT_EQ(enable[1], "079");
    EXPECT_EQ(enable[5], "Always");
    EXPECT_EQ(enable[6], "Via input");
    EXPECT_EQ(logic.summaryText(), "3 parameters differ between the unit and the editor's table.");
    EXPECT_EQ(logic.requestCount(), 4);
    EXPECT_TRUE(logic.requestText().startsWith("Writing the 3 ticked values sends 4 requests"));
    EXPECT_TRUE(logic.requestText().endsWith("takes 401."));

    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all(), QStringList({"wp 7 -1250", "wp 79 1", "wp 150 4242", "bp"}));
    EXPECT_EQ(unitHolds(Cam1Start), -1250);
    EXPECT_EQ(unitHolds(CamEnable), 1);
    EXPECT_EQ(unitHolds(Third), 4242);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(logic.rows()[std::size_t(r)].state, CompareRow::State::Written);
        EXPECT_EQ(logic.cells(r)[7], "written");
    }
    EXPECT_EQ(lastView.progressMaximum, 3);
    EXPECT_EQ(lastBoxText(), "The unit took all 3 values and recomputed its parameters.");
    // Nothing left to write, and written rows cannot be ticked again.
    logic.setTicked(0, true);
    EXPECT_EQ(logic.requestCount(), 0);
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);
    EXPECT_FALSE(state.tables.parametersModified) << "writing does not change the table";
}

TEST_F(CompareTest, TakingTheTickedUnitValuesChangesExactlyThoseEntries) {
    compare();
    ParamTables::Parameters expected = state.tables.parameters();
    logic.setTicked(1, false); // keep the table's "Via input"
    expected[Cam1Start] = unitValues[Cam1Start];
    expected[Third] = unitValues[Third];

    logic.CmdTakeClick();
    EXPECT_EQ(state.tables.parameters(), expected);
    EXPECT_TRUE(state.tables.parametersModified);
    EXPECT_EQ(tableChanges, 1);
    EXPECT_TRUE(hostLines.all().isEmpty()) << "taking asks nothing of the unit";
    EXPECT_EQ(logic.cells(0)[7], "taken");
    EXPECT_EQ(logic.cells(1)[7], "");
    EXPECT_EQ(lastBoxText(), "2 values taken from the unit into the editor's table.");
    // Only the untaken row is left to act on.
    EXPECT_EQ(logic.tickedNumbers(), std::vector<int>{});
    logic.toggle(1);
    EXPECT_EQ(logic.tickedNumbers(), std::vector<int>{CamEnable});
}

// The unit refuses the second value only: the others are still written and
// recomputed, the refused one is named and stays as it was in the unit.
TEST_F(CompareTest, ARefusedWriteIsReportedAndNotClaimedWritten) {
    onPanel = [this](const QString& panel) {
        if (panel.startsWith("tekst 2 "))
            bus->setFaults(0, {.refuseWrites = panel == QStringLiteral("tekst 2 %1").arg(Third)});
    };
    compare();
    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all(), QStringList({"wp 7 -1250", "wp 79 1", "wp 150 4242", "bp"}));
    EXPECT_EQ(unitHolds(CamEnable), 1);
    EXPECT_EQ(unitHolds(Third), unitValues[Third]);
    EXPECT_EQ(logic.cells(0)[7], "written");
    EXPECT_EQ(logic.cells(1)[7], "written");
    EXPECT_EQ(logic.cells(2)[7], "refused (er 7)");
    EXPECT_EQ(logic.rows()[2].state, CompareRow::State::Refused);
    // The send window names it too, and still lets the user leave with OK.
    EXPECT_EQ(lastView.panelText, "(er 7) tekst 9 P150");
    EXPECT_TRUE(lastView.panelRed && lastView.okVisible);
    const auto boxes = dialogs.asked(Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Dialogs::Icon::Warning);
    EXPECT_EQ(boxes[0].text, "Written: P007, P079\n\rRefused by the unit: P150 (er 7)");
    // It can be corrected and written again on its own.
    EXPECT_EQ(logic.tickedNumbers(), std::vector<int>{Third});
}

// A ticked value outside its limits would be refused and stop the rest:
// asked about first, as before a send; No (and Enter) writes nothing.
TEST_F(CompareTest, ATickedValueOutsideItsLimitsIsAskedAboutFirst) {
    const ParameterInfo& info = state.catalogue.info(Third);
    ASSERT_TRUE(info.described());
    state.tables.setParameter(Third, info.maximum() + 1);
    compare();
    dialogs.answerEnter();
    logic.CmdWriteClick();
    EXPECT_TRUE(hostLines.all().isEmpty()) << hostLines.all().join('|').toStdString();
    ASSERT_EQ(dialogs.asked(Kind::Message).size(), 1u);
    EXPECT_TRUE(lastBoxText().contains(QStringLiteral("P150"))) << lastBoxText().toStdString();
    EXPECT_EQ(logic.tickedNumbers().size(), 3u);

    dialogs.answerMessage(Dialogs::Button::Yes);
    bus->setFaults(0, {.refuseWrites = false});
    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all().filter(QRegularExpression("^wp ")).size(), 3)
        << hostLines.all().join('|').toStdString();
}

// Written, but the unit would not recompute: said so, with its answer, and
// the editor still warns on closing.
TEST_F(CompareTest, AFailedRecomputeIsNotCalledDone) {
    bus->setFaults(0, {.failBp = true});
    compare();
    logic.setTicked(1, false);
    logic.setTicked(2, false);
    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all(), QStringList({"wp 7 -1250", "bp"}));
    EXPECT_EQ(logic.cells(0)[7], "written");
    EXPECT_EQ(lastBoxText(),
              "Written: P007\n\rThe unit did not recompute its parameters; it answered \"bp -2\".");
    EXPECT_TRUE(state.tables.parametersSentNotLoaded);
}

// A unit that refuses every value is not told to recompute.
TEST_F(CompareTest, NothingTakenSendsNoBp) {
    bus->setFaults(0, {.refuseWrites = true});
    compare();
    logic.setTicked(0, false);
    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all(), QStringList({"wp 79 1", "wp 150 4242"}));
    EXPECT_EQ(lastBoxText(), "Refused by the unit: P079 (er 7), P150 (er 7)");
    EXPECT_FALSE(state.tables.parametersSentNotLoaded);
}

TEST_F(CompareTest, UnpluggedMidwaySaysWhereItStopped) {
    onPanel = [this](const QString& panel) {
        if (panel == QStringLiteral("tekst 2 %1").arg(CamEnable))
            bus->setFaults(0, {.vanish = true});
    };
    compare();
    logic.CmdWriteClick();
    EXPECT_EQ(hostLines.all(), QStringList({"wp 7 -1250", "wp 79 1"}));
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(logic.cells(0)[7], "written");
    EXPECT_EQ(logic.cells(1)[7], "not written");
    EXPECT_EQ(logic.cells(2)[7], "not written");
    EXPECT_EQ(unitHolds(Third), unitValues[Third]);
    EXPECT_EQ(lastBoxText(), "Written: P007\n\r"
                             "Not written: P079, P150\n\r"
                             "The transfer stopped at P079; from there on the unit keeps its old "
                             "values.\n\r"
                             "The unit has not confirmed recomputing its parameters (\"bp\").");
    // One value is in the unit without "bp": the editor warns on closing.
    EXPECT_TRUE(state.tables.parametersSentNotLoaded);
    EXPECT_EQ(logic.tickedNumbers(), std::vector<int>({CamEnable, Third}));
}

// The editor's menu item: a unit that holds the table's values is said to,
// in words, and no list is shown; otherwise the list gets the unit's values.
TEST_F(CompareTest, EditorSaysNoDifferencesOrShowsTheList) {
    struct View : EditParamView {
        void setCaption(const QString&) override {}
        void showComparison(const ParamTables::Parameters& unit) override { shown.push_back(unit); }
        std::vector<ParamTables::Parameters> shown;
    } view;
    EditParamLogic editor(state, view, dialogs);
    std::optional<ParamTables::Parameters> received = state.tables.parameters();
    editor.hooks.receiveParameters = [&] { return received; };
    editor.VergelijkMetApparaatClick();
    EXPECT_TRUE(view.shown.empty());
    EXPECT_EQ(lastBoxText(),
              "No differences: the unit holds the same values as the editor's table.");

    received = unitValues;
    editor.VergelijkMetApparaatClick();
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_EQ(view.shown[0], unitValues);

    received.reset(); // the receive was cancelled: nothing more is said
    dialogs.clear();
    editor.VergelijkMetApparaatClick();
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(view.shown.size(), 1u);
}

// The window: a row per difference with its tick, Space unticks the current
// row and the count follows, Enter writes.
TEST_F(CompareTest, WindowTicksWithSpaceAndWritesOnEnter) {
    TFormCompareParam w(state, dialogs);
    w.hooks().write = logic.hooks.write;
    w.setUnitValues(unitValues, tree);
    w.show();
    auto* grid = w.findChild<QTableWidget*>(QStringLiteral("GridVerschillen"));
    auto* requests = w.findChild<QLabel*>(QStringLiteral("LabelRequests"));
    ASSERT_TRUE(grid && requests);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(0, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(grid->item(1, 1)->text(), "079");

    grid->setCurrentCell(1, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(grid->item(1, 0)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(requests->text().startsWith("Writing the 2 ticked values sends 3 requests"));

    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(waitUntil([&] { return grid->item(0, 7)->text() == "written"; }));
    EXPECT_EQ(hostLines.all(), QStringList({"wp 7 -1250", "wp 150 4242", "bp"}));
    EXPECT_EQ(grid->item(1, 7)->text(), "");
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("CmdWrite"))->isEnabled());
}
