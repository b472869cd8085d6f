#pragma once

// TFormOpties: the language of the user interface.  A thin window over
// LanguageChoice.

#include "dialogs/LanguageChoice.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace kqm52 {

class Dialogs;

class TFormOpties : public QDialog {
    Q_OBJECT
  public:
    // applyTexts: puts the language texts on the main window (set by the
    // program, which knows that window).  dialogs: where a language that
    // cannot be switched to is reported.
    TFormOpties(ProgramState& state, Dialogs& dialogs, std::function<void()> applyTexts,
                QWidget* parent = nullptr);

    void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QGroupBox* GroepBox1 = nullptr;
    QLabel* LabelTaal = nullptr;
    QComboBox* ComboTaal = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    Dialogs& dialogs_;
    LanguageChoice logic_;
};

} // namespace kqm52
