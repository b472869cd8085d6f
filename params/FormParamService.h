#pragma once

// TFormParamService: edits the one parameter the editor selected, within its
// limits, and can write it to the unit at once or have the unit take its
// parameters over.  The rules live in ParamServiceLogic.

#include "params/ParamServiceLogic.h"
#include "ui/FittedLabel.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace kqm52 {

class TFormParamService : public QDialog, private ParamServiceView {
    Q_OBJECT
  public:
    // portOpen: whether the main window's port is open (Send and Load need it).
    TFormParamService(ProgramState& state, TZRComm& port, std::function<bool()> portOpen,
                      QWidget* parent = nullptr);
    ~TFormParamService() override;

    void FormActivate();
    void CmdOKClick();
    void CmdDefaultClick();
    void CmdZendenClick();
    void CmdBerParClick();
    void CmdCancelClick();
    void reject() override;

    ParamServiceLogic& logic() { return logic_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    // MaskEditParDataKeyPress: true when the key was dealt with here.
    bool MaskEditParDataKeyPress(QChar key);
    QString entryText() const;
    int itemIndex() const;

    void showPanel(const QString& text, bool red) override;
    void setButtonsEnabled(bool enabled) override;
    void focusEntry() override;

    ProgramState& state_;
    std::function<bool()> portOpen_;
    ParamServiceLogic logic_;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* LabelMin = nullptr;
    QLabel* LabelMax = nullptr;
    QLabel* LabelDefault = nullptr;
    QLabel* LabelParData = nullptr;
    FittedLabel* PanelMin = nullptr;
    FittedLabel* PanelMax = nullptr;
    FittedLabel* PanelDefault = nullptr;
    QLineEdit* MaskEditParData = nullptr;
    QComboBox* ComboParData = nullptr;
    FittedLabel* PanelService = nullptr;
    QPushButton* CmdDefault = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdBerPar = nullptr;
    QPushButton* CmdZenden = nullptr;
    QPushButton* CmdCancel = nullptr;
};

} // namespace kqm52
