// The setpoint editor's own wiring: its texts on its controls, keys typed
// into the grid reaching the table, the arrow keys.

#include "setpoints/FormEditSollwerten.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TextTableChecks.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace kqm52;

namespace {

class FormEditSollwertenTest : public ::testing::Test {
  protected:
    FormEditSollwertenTest() {
        state.tables.setParameter(203, 2);
        grid = window.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        panel = window.findChild<QLabel*>(QStringLiteral("Panel1"));
    }
    void open() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Keys as the user types them, to whatever has the focus.
    void type(const QString& keys) {
        for (QChar c : keys) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
            QTest::keyClick(target, c.toLatin1());
        }
    }
    void press(Qt::Key key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
        QTest::keyClick(target, key);
    }
    QString cell(int row, int column) const { return grid->item(row - 1, column)->text(); }

    ProgramState state{QString()};
    ScriptedDialogs dialogs;
    TZRComm port;
    TFormEditSollwerten window{state, port, dialogs};
    QTableWidget* grid = nullptr;
    QLabel* panel = nullptr;
};

TEST_F(FormEditSollwertenTest, LanguageTextsReachTheirControls) {
    state.language.loadFromText(test::markedLanguage("EditSollwert"));
    window.FormActivate();
    test::expectMarkedTextsShown(window, "EditSollwert");
    EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), "<Kolomtekst_no>");
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), "<Kolomtekst_waarde>");
}

TEST_F(FormEditSollwertenTest, TypingAndEnterStoreTheValueAndMoveDown) {
    state.tables.setSetpoint(2, 300);
    open();
    EXPECT_EQ(grid->currentColumn(), 1);
    type(QStringLiteral("12.5x"));
    press(Qt::Key_Return);
    EXPECT_EQ(state.tables.setpoint(1), 1250);
    EXPECT_EQ(cell(1, 1), "12,50");
    EXPECT_TRUE(state.tables.setpointsModified);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("InplaceEdit"))) << "editing goes on";

    // While editing, the arrows stay in the cell.
    press(Qt::Key_Down);
    EXPECT_EQ(grid->currentRow(), 1);
    type(QStringLiteral("1-"));
    press(Qt::Key_Return);
    EXPECT_EQ(state.tables.setpoint(2), 300);
    EXPECT_EQ(cell(2, 1), "3,00");
    EXPECT_EQ(panel->text(), "Ingane ongeldig!");
    EXPECT_TRUE(grid->hasFocus()) << "the keyboard stays on the grid";

    press(Qt::Key_Right);
    EXPECT_EQ(grid->currentColumn(), 4);
    press(Qt::Key_Left);
    EXPECT_EQ(grid->currentColumn(), 1);
    type(QStringLiteral("7"));
    press(Qt::Key_Escape);
    EXPECT_EQ(cell(2, 1), "3,00");
    EXPECT_EQ(panel->text(), "");
    EXPECT_EQ(state.tables.setpoint(2), 300);
}

// An entry marks the title; Ctrl+Z takes it back even while the next cell
// is open for typing, Ctrl+Shift+Z brings it again; closing over it asks,
// Enter keeps the window open and Discard closes it.
TEST_F(FormEditSollwertenTest, TitleMarksAnEntryCtrlZTakesItBackAndClosingAsks) {
    open();
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().endsWith("[*]"));
    type(QStringLiteral("7"));
    press(Qt::Key_Return);
    ASSERT_EQ(state.tables.setpoint(1), 700);
    EXPECT_TRUE(window.isWindowModified());
    ASSERT_TRUE(window.findChild<QLineEdit*>(QStringLiteral("InplaceEdit")));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(state.tables.setpoint(1), 0);
    EXPECT_EQ(cell(1, 1), "0,00");
    EXPECT_FALSE(window.isWindowModified());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(state.tables.setpoint(1), 700);
    EXPECT_EQ(cell(1, 1), "7,00");
    EXPECT_TRUE(window.isWindowModified());

    dialogs.answerEnter();
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].defaultButton, Dialogs::Button::Cancel);
    EXPECT_EQ(state.tables.setpoint(1), 700);
    dialogs.answerMessage(Dialogs::Button::Discard);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(state.tables.setpoint(1), 700); // the table itself stays for the other windows
}

} // namespace

namespace {

// Tab never opens a cell: after a click, Tab and a click on another cell,
// what is typed and entered lands in the cell clicked last.  Tab and
// Shift+Tab move between the two value columns like the arrows.
TEST_F(FormEditSollwertenTest, TabMovesBetweenTheValueColumnsAndOpensNoCell) {
    open();
    auto click = [&](int row, int column) {
        const QRect r = grid->visualItemRect(grid->item(row - 1, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    };
    click(5, 1);
    press(Qt::Key_Tab);
    EXPECT_FALSE(window.findChild<QLineEdit*>(QStringLiteral("InplaceEdit")));
    EXPECT_EQ(grid->currentColumn(), 4);
    EXPECT_EQ(grid->currentRow() + 1, 5);
    press(Qt::Key_Backtab);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_TRUE(grid->hasFocus());

    click(7, 4);
    EXPECT_EQ(grid->currentRow() + 1, 7);
    EXPECT_EQ(grid->currentColumn(), 4);
    type(QStringLiteral("456"));
    press(Qt::Key_Return);
    EXPECT_EQ(state.tables.setpoint(31), 45600);
    EXPECT_EQ(cell(7, 4), "456,00");
    EXPECT_EQ(state.tables.setpoint(5), 0);

    // While a cell is being edited Tab does nothing; Enter still stores.
    press(Qt::Key_Tab);
    EXPECT_EQ(grid->currentRow() + 1, 8);
    EXPECT_EQ(grid->currentColumn(), 4);
    type(QStringLiteral("12"));
    press(Qt::Key_Return);
    EXPECT_EQ(state.tables.setpoint(32), 1200);
}

} // namespace
