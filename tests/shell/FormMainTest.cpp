// The main window as the user sees it: where each control sits, what is
// enabled, what the menus open.

#include "ShellTestSupport.h"

#include "shell/Lamp.h"
#include "shell/StartOptions.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace kqm52::test {
namespace {

class FormMainTest : public ShellWorld {
  protected:
    // Where a control sits in the client area, whatever its parent.
    QRect placeOf(const QWidget* w) const {
        return QRect(w->mapTo(window_->centralWidget(), QPoint(0, 0)), w->size());
    }
};

TEST_F(FormMainTest, EveryControlSitsWhereTheWindowDefinitionPutsIt) {
    TFormMain& w = createWindow();
    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"PanelComInfo", {8, 28, 169, 33}},        {"GroupBox5", {200, 24, 169, 49}},
        {"PanelErrorNo", {384, 0, 257, 25}},       {"GroupBoxActual", {384, 25, 161, 88}},
        {"CmdActual", {584, 35, 81, 22}},          {"CmdDuimwiel", {584, 99, 81, 22}},
        {"GroupBoxIngangen", {16, 104, 169, 145}}, {"GroupBoxUitgangen", {200, 104, 169, 145}},
        {"CmdInUit", {240, 216, 81, 22}},          {"GroupBox_ANA_IN", {384, 128, 161, 121}},
        {"GroupBox_DW", {560, 128, 113, 153}},     {"GroupBox3", {16, 256, 353, 97}},
        {"GroupBox_ANA_UIT", {384, 264, 161, 89}}, {"CmdCalibratie", {584, 296, 81, 22}},
        {"CmdResetError", {584, 328, 81, 22}},
    };
    for (const auto& c : controls) {
        const auto* control = w.findChild<QWidget*>(c.name);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(placeOf(control), c.rect) << c.name;
    }
    // The unit selection and its range.
    EXPECT_EQ(w.CmdSelectUnit->parentWidget(), w.GroupBox5);
    EXPECT_EQ(w.SpinEditUnitSelect->parentWidget(), w.GroupBox5);
    EXPECT_EQ(w.SpinEditUnitSelect->minimum(), 0);
    EXPECT_EQ(w.SpinEditUnitSelect->maximum(), 31);
    EXPECT_EQ(w.SpinEditUnitSelect->toolTip(), "MX9x no:");
}

TEST_F(FormMainTest, TheClientAreaHasItsFixedSize) {
    TFormMain& w = createWindow();
    w.show();
    EXPECT_EQ(w.centralWidget()->width(), TFormMain::ClientWidth);
    EXPECT_EQ(w.centralWidget()->height() + w.statusBar()->height(), TFormMain::ClientHeight);
    EXPECT_EQ(w.statusBar()->height(), 19);
    EXPECT_EQ(w.minimumSize(), w.maximumSize()); // cannot be resized
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(w.windowTitle(), "Morvek Software Tool (KQM52)");
    w.hide();
}

TEST_F(FormMainTest, NineLampsWithTheirFunctionLabels) {
    TFormMain& w = createWindow();
    const char* inputs[] = {"Tb_in1", "Tb_in2", "Tb_in3", "Tb_in4", "TB_K0"};
    const char* outputs[] = {"TbUitgang1", "TbUitgang2", "TbUitgang3", "TbUitgang4"};
    for (const char* name : inputs) {
        auto* lamp = w.findChild<Lamp*>(name);
        ASSERT_NE(lamp, nullptr) << name;
        EXPECT_EQ(lamp->parentWidget(), w.GroupBoxIngangen) << name;
        EXPECT_EQ(lamp->size(), QSize(12, 12)) << name;
        EXPECT_TRUE(lamp->isNeutral()) << name;
    }
    for (const char* name : outputs) {
        auto* lamp = w.findChild<Lamp*>(name);
        ASSERT_NE(lamp, nullptr) << name;
        EXPECT_EQ(lamp->parentWidget(), w.GroupBoxUitgangen) << name;
        EXPECT_EQ(lamp->size(), QSize(12, 12)) << name;
        EXPECT_TRUE(lamp->isNeutral()) << name;
    }
    for (const char* name :
         {"LabelFun_in1", "LabelFun_in2", "LabelFun_in3", "LabelFun_in4", "LabelFun_K0",
          "LabelFun_uit1", "LabelFun_uit2", "LabelFun_uit3", "LabelFun_uit4"})
        EXPECT_NE(w.findChild<QLabel*>(name), nullptr) << name;
    // Blue for a set bit, white for a clear one, window face again when off.
    w.Tb_in[0]->showBit(true);
    w.TbUitgang[3]->showBit(false);
    EXPECT_EQ(w.Tb_in[0]->colour(), QColor(0, 0, 255));
    EXPECT_EQ(w.TbUitgang[3]->colour(), QColor(255, 255, 255));
    w.Disable_checkboxen_status_klemmen();
    EXPECT_TRUE(w.Tb_in[0]->isNeutral());
    EXPECT_EQ(w.Tb_in[0]->colour(), w.GroupBoxIngangen->palette().color(QPalette::Window));
}

TEST_F(FormMainTest, TheStatusBarHasSixPanelsOffline) {
    TFormMain& w = createWindow();
    const int widths[] = {40, 80, 70, 80, 120, 80};
    for (int i = 0; i < TFormMain::StatusPanelCount; ++i) {
        ASSERT_NE(w.statusPanel(i), nullptr);
        EXPECT_EQ(w.statusPanel(i)->parentWidget(), w.statusBar());
        EXPECT_EQ(w.statusPanel(i)->width(), widths[i]) << i;
        EXPECT_EQ(w.statusPanel(i)->text(), i == 1 ? "Offline" : "") << i;
    }
}

TEST_F(FormMainTest, OfflineTheLinkControlsAreDisabled) {
    TFormMain& w = createWindow();
    EXPECT_TRUE(w.CmdSelectUnit->isEnabled());
    for (QPushButton* b :
         {w.CmdActual, w.CmdInUit, w.CmdDuimwiel, w.CmdResetError, w.CmdTerminalZenden})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(w.ParSollOntvangen1->isEnabled());
    EXPECT_FALSE(w.Backup1->isEnabled());
    EXPECT_FALSE(w.Restore1->isEnabled());
}

TEST_F(FormMainTest, TheMenusHoldTheirItemsInOrder) {
    TFormMain& w = createWindow();
    QStringList menus;
    for (QAction* a : w.menuBar()->actions())
        menus << a->objectName();
    EXPECT_EQ(menus,
              (QStringList{"File1", "Edit", "Extra", "Zendenenontvangen1", "Venster", "Info1"}));
    auto items = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return out;
    };
    EXPECT_EQ(items(w.File1), QStringList{"Exit1"});
    EXPECT_EQ(items(w.Edit), (QStringList{"Par11", "Par21"}));
    EXPECT_EQ(items(w.Extra), (QStringList{"Serial1", "ww1"}));
    EXPECT_EQ(items(w.Zendenenontvangen1),
              (QStringList{"ParSollOntvangen1", "-", "Backup1", "Restore1", "-", "MX52zoeken"}));
    EXPECT_EQ(items(w.Venster), (QStringList{"displaynokken1", "Grafiek1"}));
    EXPECT_EQ(items(w.Info1), (QStringList{"FormAbout", "Errno1"}));
    EXPECT_EQ(w.Zendenenontvangen1->title(), "Communicatie");
    EXPECT_EQ(w.Backup1->text(), "Backup MX92...");
}

TEST_F(FormMainTest, ItemsWhoseWindowIsNotThereAreDisabled) {
    TFormMain& w = createWindow(StartOptions::parse({"fieldtrim"}));
    w.setSecondaryWindows({});
    EXPECT_TRUE(w.Exit1->isEnabled());
    for (QAction* a : {w.Par11, w.Par21, w.Serial1, w.ww1, w.MX52zoeken, w.displaynokken1,
                       w.Grafiek1, w.FormAbout, w.Errno1})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(w.CmdCalibratie->isEnabled());
}

// A secondary window that closes itself as soon as it is shown modally and
// remembers what it saw.
class SelfClosingDialog : public QDialog {
  public:
    using QDialog::QDialog;
    int shown = 0;
    bool wasModal = false;
    bool timerWasRunning = true;
    QTimer* watch = nullptr;

  protected:
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        ++shown;
        wasModal = isModal();
        if (watch) timerWasRunning = watch->isActive();
        QTimer::singleShot(0, this, &QDialog::accept);
    }
};

TEST_F(FormMainTest, AnExistingWindowEnablesItsItemAndOpensModally) {
    TFormMain& w = createWindow();
    auto* editor = new SelfClosingDialog(&w);
    auto* graph = new SelfClosingDialog(&w);
    graph->watch = &w.Timer1;
    SecondaryWindows windows;
    windows.FormEditParam = editor;
    windows.FormGrafiek = graph;
    w.setSecondaryWindows(windows);
    EXPECT_TRUE(w.Par11->isEnabled());
    EXPECT_TRUE(w.Grafiek1->isEnabled());
    EXPECT_FALSE(w.Par21->isEnabled());

    w.Par11->trigger();
    EXPECT_EQ(editor->shown, 1);
    EXPECT_TRUE(editor->wasModal);

    // The error poll rests while the graph is open, and runs again after.
    ASSERT_TRUE(w.Timer1.isActive());
    w.Grafiek1->trigger();
    EXPECT_EQ(graph->shown, 1);
    EXPECT_FALSE(graph->timerWasRunning);
    EXPECT_TRUE(w.Timer1.isActive());
}

TEST_F(FormMainTest, BackupAndRestoreNeedTheTransferWindowsAndTheLink) {
    TFormMain& w = createWindow();
    SecondaryWindows windows;
    windows.FormLeesParSoll = new QDialog(&w);
    windows.FormSchrijfParSoll = new QDialog(&w);
    w.setSecondaryWindows(windows);
    EXPECT_FALSE(w.Backup1->isEnabled()); // offline
    w.setCommunicationItemsEnabled(true);
    EXPECT_TRUE(w.ParSollOntvangen1->isEnabled());
    EXPECT_TRUE(w.Backup1->isEnabled());
    EXPECT_TRUE(w.Restore1->isEnabled());
    w.setCommunicationItemsEnabled(false);
    EXPECT_FALSE(w.Restore1->isEnabled());
    EXPECT_TRUE(w.MX52zoeken->isEnabled() == bool(windows.FormApparaatZoeken));
}

TEST_F(FormMainTest, FileExitClosesTheWindowAndSavesTheSettings) {
    TFormMain& w = createWindow();
    w.show();
    w.SpinEditUnitSelect->setValue(9);
    QSignalSpy closed(&w, &TFormMain::closed);
    w.Exit1->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(readFile("application.ini").contains("unit_no=9"));
}

TEST_F(FormMainTest, EnterInTheTerminalPressesSendOnlyWhileItIsEnabled) {
    TFormMain& w = createWindow();
    QSignalSpy sent(w.CmdTerminalZenden, &QPushButton::clicked);
    w.EditZenden->setText("rt");
    QTest::keyClick(w.EditZenden, Qt::Key_Return);
    EXPECT_EQ(sent.count(), 0); // offline
    w.CmdTerminalZenden->setEnabled(true);
    QTest::keyClick(w.EditZenden, Qt::Key_Return);
    EXPECT_EQ(sent.count(), 1);
}

TEST(StartOptionsTest, FieldtrimInAnyCaseAsTheFirstArgument) {
    const struct {
        QStringList args;
        bool fieldtrim;
        bool demo;
    } cases[] = {
        {{}, false, false},
        {{"fieldtrim"}, true, false},
        {{"FieldTrim"}, true, false},
        {{"FIELDTRIM"}, true, false},
        {{"fieldtrim2"}, false, false},
        {{"other", "fieldtrim"}, false, false},
        {{"--demo"}, false, true},
        {{"fIeLdTrIm", "--demo"}, true, true},
        {{"--demo", "fieldtrim"}, true, true},
    };
    for (const auto& c : cases) {
        const StartOptions o = StartOptions::parse(c.args);
        EXPECT_EQ(o.fieldtrim, c.fieldtrim) << c.args.join(' ').toStdString();
        EXPECT_EQ(o.demo, c.demo) << c.args.join(' ').toStdString();
    }
}

TEST_F(FormMainTest, TheCalibrationButtonShowsOnlyForFieldtrim) {
    EXPECT_FALSE(createWindow().CmdCalibratie->isVisibleTo(window_.get()));
    EXPECT_TRUE(
        createWindow(StartOptions::parse({"FieldTrim"})).CmdCalibratie->isVisibleTo(window_.get()));
    EXPECT_FALSE(
        createWindow(StartOptions::parse({"service"})).CmdCalibratie->isVisibleTo(window_.get()));
}

} // namespace
} // namespace kqm52::test
