#pragma once

// TZRSetupCommForm: every setting of a port on two pages, in English or
// German.  The boxes work on a closed copy of the port, so the hardware,
// port type, receiver and transmitter boxes follow exactly the port's own
// consistency rules; OK writes the copy into the port, which it never opens.

#include "link/ZRComm.h"
#include "link/setup/SetupCommTexts.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace kqm52 {

class TZRSetupCommForm : public QDialog {
    Q_OBJECT
  public:
    TZRSetupCommForm(TZRComm& port, SetupLanguage language, QWidget* parent = nullptr);

    // Become the window's show and close events (the owning component's
    // OnShow and OnClose).  Show runs before the boxes are filled, so a
    // handler that closes the port lets OK be used.
    std::function<void()> OnShow;
    std::function<void()> OnClose;

    void FormActivate();
    void CmdOKClick();

    QTabWidget* PageControl = nullptr;
    QWidget* TSAnschluss = nullptr;
    QWidget* TSErweitert = nullptr;
    QComboBox* CBAnschluss = nullptr;
    QComboBox* CBBereich = nullptr;
    QComboBox* CBBaudrate = nullptr;
    QComboBox* CBDatenbits = nullptr;
    QComboBox* CBParitaet = nullptr;
    QComboBox* CBStopbits = nullptr;
    QComboBox* CBHardware = nullptr;
    QComboBox* CBTyp = nullptr;
    QComboBox* CBEmpfangen = nullptr;
    QComboBox* CBSenden = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showModel();
    void renewCaption();

    TZRComm& port_;
    SetupCommTexts texts_;
    // Never opened: only its setters and their rules are used.
    TZRComm model_;
    bool filling_ = false;
};

} // namespace kqm52
