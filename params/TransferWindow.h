#pragma once

// TransferWindow: what the receive and send windows share.  A small modal
// dialog that starts its transfer as it is shown, names the item on the line
// in a bold panel over a progress bar, and ends with OK, Again or Cancel.
// The rules live in TableTransfer; this window only puts its view on the
// widgets and hands it the button presses.
//
// Caller's side: set the mode, fill tables() (send) or read them after exec()
// returned OK (receive).  exec() returns 1 for OK and 2 for Cancel.  The
// window never touches the program-wide tables.

#include "model/engines/TableTransfer.h"
#include "model/texts/TextKeys.h"
#include "ui/FittedLabel.h"

#include <QDialog>

class QCloseEvent;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;

namespace kqm52 {

class LanguageTexts;
class TZRComm;

class TransferWindow : public QDialog {
    Q_OBJECT
  public:
    // exec()'s results.
    static constexpr int ResultOK = int(TableTransfer::Result::OK);
    static constexpr int ResultCancel = int(TableTransfer::Result::Cancel);

    void setMode(TableTransfer::Mode mode) { transfer_.setMode(mode); }
    TableTransfer::Mode mode() const { return transfer_.mode(); }
    // The window's own buffers: parameters 0..399, setpoints 1..48 at [0..47].
    UnitTables& tables() { return transfer_.tables; }
    const UnitTables& tables() const { return transfer_.tables; }
    // Sets the mode, runs the window modally and returns ResultOK or ResultCancel.
    int run(TableTransfer::Mode mode) {
        setMode(mode);
        return exec();
    }
    // The engine, for tests and for a caller that wants the stop reason.
    const TableTransfer& transfer() const { return transfer_; }

    void FormActivate();
    void StartCommunicatie();
    void CmdOKClick();
    void CmdAgainClick();
    void CmdCancelClick();

    // Escape goes the Cancel way: closes at once when stopped or done,
    // otherwise at the reply of the request on the line.
    void reject() override;

  protected:
    void subset(std::optional<std::vector<int>> numbers) {
        transfer_.setParameterSubset(std::move(numbers));
    }
    // The window's section and the caption of each mode (by its number); the
    // transfer reads its panel texts itself.
    struct Texts {
        const char* section;
        std::span<const TextId> captions;
    };
    TransferWindow(TZRComm& port, const LanguageTexts& language, TableTransfer::Direction direction,
                   const Texts& texts, QWidget* parent);
    ~TransferWindow() override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void showView(const TransferView& view);
    void showFastFramingSuspended(bool suspended);

    const LanguageTexts& language_;
    const Texts texts_;
    TableTransfer transfer_;

    QGroupBox* GroupBox1 = nullptr;
    FittedLabel* Panel1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* LabelStopNote = nullptr;       // how far a stopped send got
    QLabel* LabelFastFramingOff = nullptr; // the link fell back from fast framing
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdAgain = nullptr;
    QPushButton* CmdCancel = nullptr;
};

} // namespace kqm52
