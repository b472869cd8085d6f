#pragma once

// TFormEditSollwerten: the 48 setpoints in a two-by-24 grid, edited in
// place, with the menu that opens and saves setpoint files, receives and
// sends the setpoints and prints them.  A thin window over SetpointEditor.
//
// The program wires it after creating it: the unit number of the main
// window (for the file header), the receive and send windows in their
// setpoints-only mode, and the setpoint print window.  Until the transfers
// are wired their menu items stay disabled.

#include "setpoints/SetpointEditor.h"
#include "ui/FittedLabel.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QShowEvent;
class QTableWidget;

namespace kqm52 {

class Dialogs;
class ProgramState;
class TZRComm;

class TFormEditSollwerten final : public QDialog, private SetpointEditorView {
    Q_OBJECT
  public:
    // Show the receive window with mode 1; the setpoints it read when it
    // closed with OK.
    using ReceiveFn = std::function<std::optional<ParamTables::Setpoints>()>;
    // Fill the send window's setpoints, set mode 1 and show it.
    using SendFn = std::function<SendReport(const ParamTables::Setpoints&)>;

    TFormEditSollwerten(ProgramState& state, const TZRComm& port, Dialogs& dialogs,
                        QWidget* parent = nullptr);
    ~TFormEditSollwerten() override;

    void setUnitNumber(std::function<int()> unitNumber) { unitNumber_ = std::move(unitNumber); }
    void setTransfers(ReceiveFn receive, SendFn send);
    void setPrintWindow(QDialog* window) {
        printWindow_ = window;
        updateTransferItems();
    }

    SetpointEditor& logic() { return logic_; }

    // Handlers, by the names the window has always had.
    void FormActivate();
    void InitSollwertStringgrid();
    void Openen1Click() { logic_.Openen1Click(); }
    void Opslaanals1Click() {
        logic_.Opslaanals1Click();
        showModified();
    }
    void AfdrukkenClick() { logic_.AfdrukkenClick(); }
    void AfdrukvoorbeeldClick() { logic_.AfdrukvoorbeeldClick(); }
    void Afsluiten1Click() { close(); }
    void Sollwertenontvangen1Click() { logic_.Sollwertenontvangen1Click(); }
    void Sollwertenzenden1Click() { logic_.Sollwertenzenden1Click(); }
    void OngedaanMakenClick();
    void OpnieuwClick();
    void openRecent(const QString& path);

    void done(int result) override;

    // The grid's keys (key down and key press in one): true when the key
    // was dealt with here.  `editor` is the in-place editor, if one is open.
    bool StringGrid1KeyDown(int key, const QString& typed, QLineEdit* editor);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    void buildMenus(QMenuBar* bar);
    void updateTransferItems();
    // The modified mark and what can be undone follow the table.
    void showModified();
    // An open cell editor ends without storing what it holds.
    void abandonEdit();
    // Enter in a value cell, whether its editor is open or not.
    void commitCell(int column, int row, const QString& typed, QLineEdit* editor);

    // SetpointEditorView
    void refillGrid() override { InitSollwertStringgrid(); }
    void showMessage(const QString& text) override;
    std::optional<ParamTables::Setpoints> receiveSetpoints() override;
    SendReport sendSetpoints(const ParamTables::Setpoints& values) override;
    void printSetpoints() override;
    void previewSetpoints() override;
    int unitNumber() const override;
    void selectSetpoint(int n) override;

    ProgramState& state_;
    const TZRComm& port_;
    SetpointEditor logic_;
    std::function<int()> unitNumber_;
    ReceiveFn receive_;
    SendFn send_;
    QPointer<QDialog> printWindow_;
    // The cell text when its editor opened: Enter compares against it.
    QString oldCellText_;

    QTableWidget* StringGrid1 = nullptr;
    FittedLabel* Panel1 = nullptr;
    QMenuBar* SollMenu1 = nullptr;
    QMenu* Bestand1 = nullptr;
    QAction* Openen1 = nullptr;
    QAction* Opslaanals1 = nullptr;
    QMenu* RecenteBestanden = nullptr;
    QAction* Afdrukvoorbeeld = nullptr;
    QAction* Afdrukken = nullptr;
    QMenu* Bewerken = nullptr;
    QAction* OngedaanMaken = nullptr;
    QAction* Opnieuw = nullptr;
    QAction* Afsluiten1 = nullptr;
    QMenu* ZendenOntvangen1 = nullptr;
    QAction* Sollwertenontvangen1 = nullptr;
    QAction* Sollwertenzenden1 = nullptr;

    friend class SetpointGrid;
    friend class SetpointCellDelegate;
};

} // namespace kqm52
