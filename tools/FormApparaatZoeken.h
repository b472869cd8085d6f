#pragma once

// TFormApparaatZoeken: the device search window.  DeviceSearch does the
// searching; this window builds the grid, the choices and the status line,
// forwards its buttons and shows what the search reports.  OK (or a
// double-click on a row) hands the unit number to the main window through
// the callback it was given and leaves the unit's line settings on the port.

#include "model/engines/DeviceSearch.h"
#include "ui/FittedLabel.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QTableWidget;

namespace kqm52 {

class Dialogs;
class ProgramState;
class TZRComm;

class TFormApparaatZoeken : public QDialog, private DeviceSearchView {
    Q_OBJECT
  public:
    using TakeUnit = std::function<void(int unit)>;

    TFormApparaatZoeken(ProgramState& state, TZRComm& port, Dialogs& dialogs, TakeUnit takeUnit,
                        QWidget* parent = nullptr);
    ~TFormApparaatZoeken() override;

    void FormActivate();
    void CmdStartZoekenClick();
    void CmdVerderClick();
    void CmdStopClick();
    void CmdOKClick();
    void CmdCancelClick();

    // Escape is Cancel: the window has no close box.
    void reject() override;

    DeviceSearch& search() { return search_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    void readTexts();
    void clearGrid();
    void showIndicators(const SearchCombination& at);
    SearchChoice choice() const;

    // DeviceSearchView
    void probing(const SearchCombination& at) override;
    void unitFound(int index) override;
    void stateChanged() override;
    void showError(const QString& caption, const QString& text) override;

    ProgramState& state_;
    Dialogs& dialogs_;
    TakeUnit takeUnit_;
    DeviceSearch search_;

    QTableWidget* StringGrid1 = nullptr;
    QLabel* LabelStartenMet = nullptr;
    QComboBox* ComboBaudRate = nullptr;
    QGroupBox* GroupBoxParity = nullptr;
    QRadioButton* RB_parity_com = nullptr;
    QRadioButton* RB_parity_auto = nullptr;
    QGroupBox* GroupBoxStopBits = nullptr;
    QRadioButton* RB_stopbits_com = nullptr;
    QRadioButton* RB_stopbits_auto = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdVerder = nullptr;
    QPushButton* CmdStartZoeken = nullptr;
    QPushButton* CmdStop = nullptr;
    QPushButton* CmdCancel = nullptr;
    FittedLabel* PanelZoekTekst = nullptr;
    FittedLabel* PanelBaudtare = nullptr;
    FittedLabel* PanelApparaatNo = nullptr;
    QProgressBar* Gauge1 = nullptr;
    std::array<FittedLabel*, 3> parityPanels_{}; // Panel_parity_N, _O, _E
    std::array<FittedLabel*, 2> stopPanels_{};   // Panel_stopbits_1, _2
};

} // namespace kqm52
