#pragma once

// TFormCompareParam: what differs between the editor's table and the unit,
// one row per parameter with a tick, and the two ways to make them agree.
// Space ticks the current row, Enter writes the ticked rows, Escape closes.
// The rules live in CompareParamLogic.

#include "params/CompareParamLogic.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kqm52 {

class TFormCompareParam : public QDialog {
    Q_OBJECT
  public:
    TFormCompareParam(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    CompareParamHooks& hooks() { return logic_.hooks; }
    const CompareParamLogic& logic() const { return logic_; }

    // Lists the differences of `unit` from the table (tree: the editor's
    // groups) without showing the window; run() shows it modally.
    void setUnitValues(const ParamTables::Parameters& unit, const GroupTree& tree);
    int run(const ParamTables::Parameters& unit, const GroupTree& tree);
    // Against the caller's values, named as it says; nothing to take.
    void setUnitValues(const ParamTables::Parameters& unit, const CompareWanted& wanted,
                       const GroupTree& tree);
    int run(const ParamTables::Parameters& unit, const CompareWanted& wanted,
            const GroupTree& tree);

    void CmdWriteClick();
    void CmdTakeClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyLanguage();
    void fillGrid();
    void showRows();
    void showCounts();

    ProgramState& state_;
    CompareParamLogic logic_;
    bool filling_ = false; // ticks set from the logic fire no handler

    QLabel* LabelSummary = nullptr;
    QTableWidget* GridVerschillen = nullptr;
    QLabel* LabelRequests = nullptr;
    QPushButton* CmdWrite = nullptr;
    QPushButton* CmdTake = nullptr;
    QPushButton* CmdClose = nullptr;
};

} // namespace kqm52
