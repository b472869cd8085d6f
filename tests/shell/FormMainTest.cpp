// The main window as the user sees it: what is enabled, what the lamps show,
// what the menus hold and open.

#include "ShellTestSupport.h"

#include "ui/StartOptions.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>

namespace kqm52::test {
namespace {

class FormMainTest : public ShellWorld {};

TEST_F(FormMainTest, OfflineWindowAsItOpens) {
    TFormMain& w = createWindow();
    w.show();
    EXPECT_EQ(w.windowTitle(), "Morvek Software Tool (KQM52)");
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "the window cannot be resized";
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(ctl<QSpinBox>(w, "SpinEditUnitSelect")->maximum(), 31);
    for (int i = 0; i < TFormMain::StatusPanelCount; ++i)
        EXPECT_EQ(w.statusPanel(i)->text(), i == 1 ? "Offline" : "") << i;
    EXPECT_TRUE(ctl<QPushButton>(w, "CmdSelectUnit")->isEnabled());
    for (const char* name :
         {"CmdActual", "CmdInUit", "CmdDuimwiel", "CmdResetError", "CmdTerminalZenden"})
        EXPECT_FALSE(ctl<QPushButton>(w, name)->isEnabled()) << name;
    for (const char* name : {"ParSollOntvangen1", "Backup1", "Restore1"})
        EXPECT_FALSE(ctl<QAction>(w, name)->isEnabled()) << name;
}

TEST_F(FormMainTest, TheMenusHoldTheirItemsInOrder) {
    TFormMain& w = createWindow();
    QStringList shown;
    for (QAction* menu : w.menuBar()->actions()) {
        shown << menu->objectName() + ":";
        for (QAction* a : menu->menu()->actions())
            shown << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    }
    EXPECT_EQ(shown.join(' '),
              "File1: Exit1 Edit: Par11 Par21 Extra: Serial1 ww1 Journal1 "
              "Zendenenontvangen1: ParSollOntvangen1 - Backup1 Restore1 - "
              "MX52zoeken Venster: displaynokken1 Grafiek1 Info1: FormAbout Errno1");
}

// A secondary window that closes itself as soon as it is shown and
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

TEST_F(FormMainTest, ItemsFollowTheirWindowsAndTheLink) {
    TFormMain& w = createWindow(StartOptions::parse({"fieldtrim"}));
    w.setSecondaryWindows({});
    EXPECT_TRUE(ctl<QAction>(w, "Exit1")->isEnabled());
    for (const char* name : {"Par11", "Par21", "Serial1", "ww1", "MX52zoeken", "displaynokken1",
                             "Grafiek1", "Journal1", "FormAbout", "Errno1"})
        EXPECT_FALSE(ctl<QAction>(w, name)->isEnabled()) << name;
    EXPECT_FALSE(ctl<QPushButton>(w, "CmdCalibratie")->isEnabled());

    auto* editor = new SelfClosingDialog(&w);
    auto* graph = new SelfClosingDialog(&w);
    graph->watch = &w.Timer1;
    SecondaryWindows windows;
    windows.FormEditParam = editor;
    windows.FormGrafiek = graph;
    auto* journal = new SelfClosingDialog(&w);
    windows.FormJournal = journal;
    windows.FormLeesParSoll = new QDialog(&w);
    windows.FormSchrijfParSoll = new QDialog(&w);
    NoTransfers transfers;
    windows.transfers = &transfers;
    w.setSecondaryWindows(windows);
    EXPECT_FALSE(ctl<QAction>(w, "Par21")->isEnabled());
    EXPECT_FALSE(ctl<QAction>(w, "Backup1")->isEnabled()) << "offline";
    w.setCommunicationItemsEnabled(true);
    for (const char* name : {"ParSollOntvangen1", "Backup1", "Restore1"})
        EXPECT_TRUE(ctl<QAction>(w, name)->isEnabled()) << name;
    EXPECT_FALSE(ctl<QAction>(w, "MX52zoeken")->isEnabled()) << "its window is missing";
    w.setCommunicationItemsEnabled(false);
    EXPECT_FALSE(ctl<QAction>(w, "Restore1")->isEnabled());

    ctl<QAction>(w, "Par11")->trigger();
    EXPECT_EQ(editor->shown, 1);
    EXPECT_TRUE(editor->wasModal);
    // The error poll rests while the graph is open, and runs again after.
    ASSERT_TRUE(w.Timer1.isActive());
    ctl<QAction>(w, "Grafiek1")->trigger();
    EXPECT_EQ(graph->shown, 1);
    EXPECT_FALSE(graph->timerWasRunning);
    EXPECT_TRUE(w.Timer1.isActive());
    ctl<QAction>(w, "Journal1")->trigger();
    EXPECT_EQ(journal->shown, 1);
    EXPECT_TRUE(journal->wasModal);
}

TEST_F(FormMainTest, FileExitClosesTheWindow) {
    TFormMain& w = createWindow();
    w.show();
    QSignalSpy closed(&w, &TFormMain::closed);
    ctl<QAction>(w, "Exit1")->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(FormMainTest, FieldtrimInAnyCaseAsTheFirstArgumentShowsCalibration) {
    const struct {
        QStringList args;
        bool fieldtrim;
        bool demo;
    } cases[] = {
        {{}, false, false},
        {{"FieldTrim"}, true, false},
        {{"FIELDTRIM"}, true, false},
        {{"fieldtrim2"}, false, false},
        {{"other", "fieldtrim"}, false, false},
        {{"fIeLdTrIm", "--demo"}, true, true},
        {{"--demo", "fieldtrim"}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const StartOptions o = StartOptions::parse(c.args);
        EXPECT_EQ(o.fieldtrim, c.fieldtrim);
        EXPECT_EQ(o.demo, c.demo);
        EXPECT_EQ(ctl<QPushButton>(createWindow(o), "CmdCalibratie")->isVisibleTo(window_),
                  c.fieldtrim);
    }
}

} // namespace
} // namespace kqm52::test
