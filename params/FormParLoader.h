#pragma once

// TFormParLoader: asks the unit to take over and check its parameters
// ("bp") and shows what it answered.  The rule lives in ParLoaderLogic.

#include "params/ParLoaderLogic.h"
#include "ui/FittedLabel.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QShowEvent;

namespace kqm52 {

class TFormParLoader : public QDialog {
    Q_OBJECT
  public:
    TFormParLoader(ProgramState& state, TZRComm& port, QWidget* parent = nullptr);
    ~TFormParLoader() override;

    void FormActivate();
    void CmdOKClick();
    ParLoaderLogic& logic() { return logic_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showPanel();

    ProgramState& state_;
    ParLoaderLogic logic_;
    FittedLabel* Panel1 = nullptr;
    QPushButton* CmdOK = nullptr;
};

} // namespace kqm52
