#pragma once

// TFormCalibratie: trims the analog output and inputs of the selected unit.
// CalibrationLogic holds the rules and the traffic; this window builds the
// spin edits, groups and panels, forwards each control and shows what the
// logic says.  Its captions are fixed; only its messages come from the
// language files.

#include "model/engines/CalibrationLogic.h"
#include "ui/FittedLabel.h"

#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QSpinBox;

namespace kqm52 {

class CalibrationSpin;
class Dialogs;
class LanguageTexts;
class TZRComm;

class TFormCalibratie : public QDialog, private CalibrationView {
    Q_OBJECT
  public:
    TFormCalibratie(TZRComm& port, const LanguageTexts& language, Dialogs& dialogs,
                    QWidget* parent = nullptr);
    ~TFormCalibratie() override;

    void FormActivate();
    // The question before closing with constants not stored; true: close.
    bool FormClose();
    void done(int result) override;

    CalibrationLogic& logic() { return logic_; }
    // The closing question, wrapped as the box shows it.
    QString closeQuestion() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    CalibrationSpin* constantSpin(int number) const;

    // CalibrationView
    int showConstant(int number, int value) override;
    int constantValue(int number) const override;
    void controlsChanged() override;

    Dialogs& dialogs_;
    const LanguageTexts& language_;
    CalibrationLogic logic_;

    // The twelve constants in the logic's read order.
    std::array<CalibrationSpin*, calibration::ConstantCount> constants_{};
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QSpinBox* SpinEdit3 = nullptr;
    QSpinBox* SpinEdit6 = nullptr;
    QSpinBox* SpinEdit7 = nullptr;
    QSpinBox* SpinEdit8 = nullptr;
    QPushButton* CmdSaveToEEPROM = nullptr;
    QPushButton* CmdAct_U_AD = nullptr;
    QPushButton* CmdAct_I_AD = nullptr;
    FittedLabel* Panel1 = nullptr;
    FittedLabel* Panel2 = nullptr;
    FittedLabel* Panel3 = nullptr;
    std::array<FittedLabel*, 4> teachPanels_{};
};

} // namespace kqm52
