#pragma once

// TFormMain: the main window.
//
// A view like the other windows: it works on the port it is given, puts the
// language texts on its controls and opens the other windows from its menu.
// Whoever runs the program owns the port, reads the settings, language and
// catalogue before start(), and saves when told closing().  The online parts
// live in UnitSelection, LiveMonitor and Terminal; this window builds the
// widgets, forwards each handler and puts on its widgets what those classes
// say (the views below).  Its controls are its own: tests find them by
// object name.

#include "link/ZRComm.h"
#include "link/setup/ZRSetupCommDialog.h"
#include "shell/ApplicationTitle.h"
#include "shell/OnlineView.h"
#include "shell/SecondaryWindows.h"
#include "ui/FittedLabel.h"
#include "ui/StartOptions.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace kqm52 {

class Dialogs;
class Lamp;
class BackupRestore;
class LiveMonitor;
class ProgramState;
class Terminal;
class UnitSelection;

class TFormMain : public QMainWindow,
                  private LiveMonitorView,
                  private UnitSelectionView,
                  private TerminalView {
    Q_OBJECT
  public:
    static QString applicationTitle() { return kqm52::applicationTitle(); }
    // Client area below the menu, status bar included.
    static constexpr int ClientWidth = 723;
    static constexpr int ClientHeight = 385;
    static constexpr int StatusBarHeight = 19;
    static constexpr int StatusPanelCount = 6;

    // Builds the widgets only; the texts come with start().  The port must
    // outlive the window.
    TFormMain(TZRComm& port, ProgramState& state, Dialogs& dialogs, const StartOptions& options,
              QWidget* parent = nullptr);
    ~TFormMain() override;

    // Once the settings, language and catalogue are loaded: puts the texts on
    // the controls and starts the error poll.
    void start();

    // The service journal cannot be written: the status bar says so from now
    // on, and the user is told why once.
    void showJournalOff(const QString& problem);
    // The journal was damaged and kept as aside; a new one was started.
    void showJournalMovedAside(const QString& journal, const QString& aside);

    // Called by main once every secondary window has been created.
    void setSecondaryWindows(const SecondaryWindows& windows);
    const SecondaryWindows& secondaryWindows() const { return windows_; }

    // The link library's own setup dialog.  No menu item calls it; whoever
    // does finds the port closed first, so its OK may change the settings.
    TZRSetupCommDialog ZRSetupCommDialog1{this};
    QTimer Timer1; // the error poll's tick

    // Language texts.
    void LezenTeksten();
    void InputFunctieTeksten();
    void OutputFunctieTeksten();
    void Disable_checkboxen_status_klemmen();

    // Menu and button handlers.
    void Exit1Click();
    void Par11Click();
    void Par21Click();
    void Serial1Click();
    void ww1Click();
    void MX52zoekenClick();
    void displaynokken1Click();
    void Grafiek1Click();
    void Journal1Click();
    void FormAboutClick();
    void Errno1Click();
    void CmdCalibratieClick();
    // The unit chosen in the selector: what a saved file's header and the
    // settings file carry.  setUnitNumber puts one there (the settings file's,
    // or one a device search has taken over; selected at the next opening).
    int unitNumber() const override;
    void setUnitNumber(int unit);
    // The Communicatie menu's receive, backup and restore items.
    void ParSollOntvangen1Click();
    void Backup1Click();
    void Restore1Click();

    // The first, third and fourth items of the Communicatie menu follow the
    // link and need the transfer windows.
    void setCommunicationItemsEnabled(bool linkOpen);

    // The online parts of the window: unit selection and identification, the
    // live monitor, the terminal.
    UnitSelection& unitSelection() { return *unitSelection_; }
    LiveMonitor& liveMonitor() { return *liveMonitor_; }
    Terminal& terminal() { return *terminal_; }
    FittedLabel* statusPanel(int index) const { return statusPanels_.at(index); }

  signals:
    // The user has closed the window; the port is still as it was.  Sent
    // once per run, however often close is asked for.
    void closing();
    // The window has closed and closing() has been handled: the program ends.
    void closed();
    void unitNumberChanged(int unit);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void connectOnlineParts();
    void buildMenus();
    void updateWindowItems();
    void showFastFramingSuspended(bool suspended);
    void switchLiveMonitorOff();
    // Shows a secondary window modally, reporting a failure in an error box.
    void showModal(QDialog* window);
    // A demo run tells a newcomer what is on the line until the first Open.
    void showDemoHint();
    void colourComInfo(const QColor& colour);

    // The views of the online parts.
    void showComInfo(const QString& text) override;
    void showErrorNo(const QString& text) override;
    void showStatus(int panel, const QString& text) override;
    void showPanel(MonitorPanel panel, const QString& text) override;
    void colourPanel(MonitorPanel panel, const std::optional<QColor>& colour) override;
    void setButtonCaption(MonitorButton button, const QString& caption) override;
    void showInputs(bool k0, const std::array<bool, 4>& inputs) override;
    void showOutputs(const std::array<bool, 4>& outputs) override;
    void neutralLamps() override;
    bool transferWindowActive() const override;
    void setOnline(bool online, const QString& selectCaption) override;
    bool deviceSearchActive() const override;
    QString terminalLine() const override;
    void setTerminalLine(const QString& text) override;
    void selectTerminalLine() override;
    void showTerminalReply(const QString& text) override;
    FittedLabel* monitorPanel(MonitorPanel panel) const;

    TZRComm& ZRComm1;
    ProgramState& state_;
    Dialogs& dialogs_;
    StartOptions options_;
    SecondaryWindows windows_;
    // Their components leave the port with them, before the port goes.
    std::unique_ptr<UnitSelection> unitSelection_;
    std::unique_ptr<LiveMonitor> liveMonitor_;
    std::unique_ptr<Terminal> terminal_;
    std::unique_ptr<BackupRestore> backupRestore_;
    bool closeHandled_ = false;
    bool centred_ = false;
    // PanelComInfo shows the demo hint (and follows the language while it does).
    bool demoHint_ = false;

    // Controls, named as in the window definition.
    FittedLabel* PanelComInfo = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QPushButton* CmdSelectUnit = nullptr;
    QSpinBox* SpinEditUnitSelect = nullptr;
    FittedLabel* PanelErrorNo = nullptr;
    QGroupBox* GroupBoxActual = nullptr;
    QLabel* LabelPositie = nullptr;
    QLabel* LabelSnelheid = nullptr;
    FittedLabel* PanelActPos = nullptr;
    FittedLabel* PanelSnelheid = nullptr;
    QPushButton* CmdActual = nullptr;
    QPushButton* CmdDuimwiel = nullptr;
    QGroupBox* GroupBoxIngangen = nullptr;
    std::array<Lamp*, 4> Tb_in{};
    Lamp* TB_K0 = nullptr;
    std::array<QLabel*, 4> LabelFun_in{};
    QLabel* LabelFun_K0 = nullptr;
    QGroupBox* GroupBoxUitgangen = nullptr;
    std::array<Lamp*, 4> TbUitgang{};
    std::array<QLabel*, 4> LabelFun_uit{};
    QPushButton* CmdInUit = nullptr;
    QGroupBox* GroupBox_ANA_IN = nullptr;
    QLabel* LabelSpanning_in = nullptr;
    QLabel* LabelStroom_in = nullptr;
    QLabel* LabelAnaloog_in_AWE = nullptr;
    FittedLabel* PanelSpanning_in = nullptr;
    FittedLabel* PanelStroom_in = nullptr;
    FittedLabel* PanelAnaloog_in_AWE = nullptr;
    QGroupBox* GroupBox_DW = nullptr;
    std::array<FittedLabel*, 4> Panel_DW{};
    QGroupBox* GroupBox3 = nullptr;
    QLineEdit* EditZenden = nullptr;
    QPushButton* CmdTerminalZenden = nullptr;
    QPlainTextEdit* MemoReceive = nullptr;
    QGroupBox* GroupBox_ANA_UIT = nullptr;
    QLabel* LabelSpanning_uit = nullptr;
    QLabel* LabelStroom_uit = nullptr;
    FittedLabel* PanelSpanning_uit = nullptr;
    FittedLabel* PanelStroom_uit = nullptr;
    QPushButton* CmdCalibratie = nullptr;
    QPushButton* CmdResetError = nullptr;

    QMenu* File1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit = nullptr;
    QAction* Par11 = nullptr;
    QAction* Par21 = nullptr;
    QMenu* Extra = nullptr;
    QAction* Serial1 = nullptr;
    QAction* ww1 = nullptr;
    QMenu* Zendenenontvangen1 = nullptr;
    QAction* ParSollOntvangen1 = nullptr;
    QAction* Backup1 = nullptr;
    QAction* Restore1 = nullptr;
    QAction* MX52zoeken = nullptr;
    QMenu* Venster = nullptr;
    QAction* displaynokken1 = nullptr;
    QAction* Grafiek1 = nullptr;
    QAction* Journal1 = nullptr;
    QMenu* Info1 = nullptr;
    QAction* FormAbout = nullptr;
    QAction* Errno1 = nullptr;

    std::array<FittedLabel*, StatusPanelCount> statusPanels_{};
    // Ours, right of the panels: the link has fallen back from fast framing.
    QLabel* LabelFastFramingOff = nullptr;
    QLabel* LabelJournalOff = nullptr;
};

} // namespace kqm52
