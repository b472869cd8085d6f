#pragma once

// TFormDisplayNokken: how the 24 cams sit on the 4 outputs, and the settings
// of the cam in the selected cell.  Reads the program-wide tables only.

#include "model/engines/CamDisplay.h"

#include <QDialog>

class QLabel;
class QShowEvent;
class QTableWidget;

namespace kqm52 {

class ProgramState;

class TFormDisplayNokken : public QDialog {
    Q_OBJECT
  public:
    explicit TFormDisplayNokken(const ProgramState& state, QWidget* parent = nullptr);
    ~TFormDisplayNokken() override;

    void FormActivate();
    void StringGrid1SelectCell(int column, int row);
    // Fills the data cells with the cams' function colours.
    void StringGrid1DrawCell();

    QTableWidget* StringGrid1 = nullptr;
    QLabel* LabelNokNummer = nullptr;
    QLabel* LabelFunctie = nullptr;
    QLabel* LabelBron = nullptr;
    QLabel* LabelAanvang = nullptr;
    QLabel* LabelEinde = nullptr;
    QLabel* LabelHysteresis = nullptr;
    QLabel* LabelVervroeging = nullptr;
    QLabel* PanelNokNummer = nullptr;
    QLabel* PanelFunctie = nullptr;
    QLabel* PanelBron = nullptr;
    QLabel* PanelAanvang = nullptr;
    QLabel* PanelSelectAanvang = nullptr;
    QLabel* PanelEinde = nullptr;
    QLabel* PanelSelectEinde = nullptr;
    QLabel* PanelHysteresis = nullptr;
    QLabel* PanelVervroeging = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    void UpdateOnSelectedCell(int column, int row);

    const ProgramState& state_;
    CamDisplayLogic logic_;
};

} // namespace kqm52
