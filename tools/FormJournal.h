#pragma once

// TFormJournal: the service journal, newest entry first, with the filters
// above the list and the selected entry's fields and items below it.  Tab
// runs through the filters, Enter in any of them applies them, the arrow
// keys move in the list and the detail follows, Escape closes.  The window
// only reads the journal; the rules live in JournalLogic.

#include "tools/JournalLogic.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace kqm52 {

struct JournalHooks {
    // Whether the port is open (a put-back reads the unit first).
    std::function<bool()> portOpen;
    // Before the file is read: what the program recorded reaches it.
    std::function<void()> flush;
    // Reads the unit's parameters and offers these old values in the
    // compare window.
    std::function<void(const std::vector<JournalOldValue>&)> putBack;
};

class TFormJournal : public QDialog {
    Q_OBJECT
  public:
    TFormJournal(const ProgramState& state, Dialogs& dialogs, QString path,
                 QWidget* parent = nullptr);
    ~TFormJournal() override;

    JournalHooks& hooks() { return hooks_; }
    JournalLogic& logic() { return logic_; }

    // Reads the journal afresh; done each time the window is shown.
    void FormActivate();
    void CmdApplyClick();
    void CmdClearClick();
    void CmdExportClick();
    void CmdPutBackClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    void applyLanguage();
    JournalFilterInput filterInput() const;
    void showStatus();
    void showDetail();
    void fillPorts();

    const ProgramState& state_;
    JournalLogic logic_;
    JournalHooks hooks_;
    QString path_;
    std::vector<JournalItem> items_; // of the entry shown in the detail
    JournalLogic::PutBack putBack_;

    QLabel* LabelSerial = nullptr;
    QLineEdit* EditSerial = nullptr;
    QLabel* LabelUnit = nullptr;
    QLineEdit* EditUnit = nullptr;
    QLabel* LabelPort = nullptr;
    QComboBox* ComboPort = nullptr;
    QLabel* LabelFrom = nullptr;
    QDateEdit* DateFrom = nullptr;
    QLabel* LabelTo = nullptr;
    QDateEdit* DateTo = nullptr;
    QLabel* LabelAction = nullptr;
    QComboBox* ComboAction = nullptr;
    QLabel* LabelItem = nullptr;
    QComboBox* ComboItemKind = nullptr;
    QLineEdit* EditItemNumber = nullptr;
    QPushButton* CmdApply = nullptr;
    QPushButton* CmdClear = nullptr;
    QTableView* GridJournal = nullptr;
    QFormLayout* detailFields_ = nullptr;
    QTableWidget* GridItems = nullptr;
    QLabel* LabelStatus = nullptr;
    QLabel* LabelPutBack = nullptr;
    QPushButton* CmdExport = nullptr;
    QPushButton* CmdPutBack = nullptr;
    QPushButton* CmdClose = nullptr;
};

} // namespace kqm52
