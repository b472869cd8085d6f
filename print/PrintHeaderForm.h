#pragma once

// The small window both printouts open with: the three header values
// (company, device type, serial number), kept in the settings for the next
// printout, then OK prints and Cancel closes.
//
// Callers show it modally (exec()); it runs the print dialog and the whole
// job itself and closes when done or cancelled.

#include "model/texts/TextKeys.h"
#include "print/PrintPage.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace kqm52 {

class Dialogs;
class ProgramState;

class PrintHeaderForm : public QDialog {
    Q_OBJECT
  public:
    ~PrintHeaderForm() override;

    // Shown modally like exec(), but OK shows the pages in the print preview,
    // from where they can be printed.
    int execPreview();

    void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();

    // The page header as the window stands: its labels and edits, its page
    // label, today's date.
    PageHeaderTexts headerTexts() const;

  protected:
    PrintHeaderForm(ProgramState& state, Dialogs& dialogs, const char* objectName, TextId caption,
                    const QString& builtInCaption, QWidget* parent);
    void showEvent(QShowEvent* event) override;
    // The printout itself, on whatever the print dialog chose.
    virtual void print(PageTarget& target, const PageHeaderTexts& header) = 0;
    // Extra texts of the window once the language file is loaded.
    virtual void readTexts() {}

    ProgramState& state_;
    Dialogs& dialogs_;

  private:
    void buildWindow(const QString& caption);

    TextId caption_;
    bool preview_ = false;
    QString pageLabel_ = QStringLiteral("P");
    QLabel* LabelFirma = nullptr;
    QLabel* LabelType = nullptr;
    QLabel* LabelSn = nullptr;
    QLineEdit* EditFirma = nullptr;
    QLineEdit* EditType = nullptr;
    QLineEdit* EditSn = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;
};

} // namespace kqm52
