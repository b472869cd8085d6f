#pragma once

// TFormMain: the main window.
//
// It owns the port object ZRComm1, reads application.ini when it is created
// and writes it when it closes, puts the language texts on its controls and
// opens the other windows from its menu.  Settings, texts and the catalogue
// live in plain classes, the online parts in UnitSelection, LiveMonitor and
// Terminal; this window builds the widgets, forwards each handler and puts
// on its widgets what those classes say (the views below).  Its controls are
// its own: tests find them by object name.

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

    TFormMain(ProgramState& state, Dialogs& dialogs, const StartOptions& options,
              QWidget* parent = nullptr);
    ~TFormMain() override;

    // Called by main once every secondary window has been created.
    void setSecondaryWindows(const SecondaryWindows& windows);
    const SecondaryWindows& secondaryWindows() const { return windows_; }

    TZRComm ZRComm1;
    // The link library's own setup dialog.  No menu item calls it; whoever
    // does finds the port closed first, so its OK may change the settings.
    TZRSetupCommDialog ZRSetupCommDialog1{this};
    QTimer Timer1; // the error poll's tick

    // Settings file.
    void Configfile_lezen();
    void ProgrammaInstellingen_opslaan();
    // Installed: the user's settings folder must exist and take a file.
    void prepareSettingsFolder();
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
    void FormAboutClick();
    void Errno1Click();
    void CmdCalibratieClick();
    // The unit a device search has taken over; selected at the next opening.
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
    // The window has closed and the settings are written: the program ends.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void connectOnlineParts();
    void buildMenus();
    void FormCreate();
    void FormClose();
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
    int unitNumber() const override;
    bool deviceSearchActive() const override;
    QString terminalLine() const override;
    void setTerminalLine(const QString& text) override;
    void selectTerminalLine() override;
    void showTerminalReply(const QString& text) override;
    FittedLabel* monitorPanel(MonitorPanel panel) const;

    ProgramState& state_;
    Dialogs& dialogs_;
    StartOptions options_;
    SecondaryWindows windows_;
    // Declared after ZRComm1, so their components leave the port before it goes.
    std::unique_ptr<UnitSelection> unitSelection_;
    std::unique_ptr<LiveMonitor> liveMonitor_;
    std::unique_ptr<Terminal> terminal_;
    std::unique_ptr<BackupRestore> backupRestore_;
    bool closeHandled_ = false;
    bool centred_ = false;
    // PanelComInfo shows the demo hint (and follows the language while it does).
    bool demoHint_ = false;
    // application.ini was refused unread (far too large): it is the user's
    // file, not one we wrote, so closing leaves it as it is.  Also set when
    // the settings folder cannot be written (said once, at start).
    bool settingsRefused_ = false;

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
    QMenu* Info1 = nullptr;
    QAction* FormAbout = nullptr;
    QAction* Errno1 = nullptr;

    std::array<FittedLabel*, StatusPanelCount> statusPanels_{};
    // Ours, right of the panels: the link has fallen back from fast framing.
    QLabel* LabelFastFramingOff = nullptr;
};

} // namespace kqm52
