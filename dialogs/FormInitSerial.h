#pragma once

// TFormInitSerial: the line settings of the main window's port.
//
// Showing the window closes the port, so that the port name and the hardware
// settings may change; OK writes the boxes into the port and opens it again,
// Cancel leaves it closed.  Beside the port name the window shows the device
// that name leads to on this computer, and lets the user point it at one of
// the serial ports present, at the simulated bus, or at a typed path.

#include "dialogs/InitSerialLogic.h"
#include "link/PortMap.h"

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QWidget;

namespace kqm52 {

class Dialogs;
class LanguageTexts;
class TZRComm;

class TFormInitSerial : public QDialog {
    Q_OBJECT
  public:
    // The port must lead through portMap, which also receives the device
    // chosen here; both, the texts and the dialogs must outlive the window.
    TFormInitSerial(TZRComm& port, PortMap& portMap, const LanguageTexts& language,
                    Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFormInitSerial() override;

    // Runs each time the window is shown.
    void FormActivate();
    void ComboPoortClick();
    void ComboHardwareClick();
    // Bound to the port type, receiver and transmitter boxes alike.
    void ComboPortTypeClick();
    void CmdOKClick();
    void CmdCancelClick();

    // The device value the device box stands for: the path of a listed port,
    // "sim" for the simulated bus, or what the user typed.
    QString chosenDevice() const;

    // Escape and the window's close button go the Cancel way.
    void reject() override;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* LabelPoort = nullptr;
    QComboBox* ComboPoort = nullptr;
    QLabel* LabelDevice = nullptr;
    QComboBox* ComboDevice = nullptr;
    // Shown while a start option overrides the map, or the value typed is no
    // port or one whose line is set at the server.
    QLabel* LabelDeviceNote = nullptr;
    QLabel* Label_IO = nullptr;
    QComboBox* Combo_IO = nullptr;
    QLabel* LabelBaud = nullptr;
    QComboBox* ComboBaud = nullptr;
    QLabel* LabelDataBits = nullptr;
    QComboBox* ComboDataBits = nullptr;
    QLabel* LabelParity = nullptr;
    QComboBox* ComboParity = nullptr;
    QLabel* LabelStopBits = nullptr;
    QComboBox* ComboStopBits = nullptr;

    QWidget* TabSheet2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* LabelHardware = nullptr;
    QComboBox* ComboHardware = nullptr;
    QLabel* LabelPortType = nullptr;
    QComboBox* ComboPortType = nullptr;
    QLabel* LabelReceiver = nullptr;
    QComboBox* ComboReceiver = nullptr;
    QLabel* LabelTransmitter = nullptr;
    QComboBox* ComboTransmitter = nullptr;

    // Ours: replies end at their line end (the port's FastFraming).
    QCheckBox* CheckFastFraming = nullptr;
    QLabel* LabelFastFraming = nullptr;

    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    QComboBox* box(InitSerialLogic::Box which) const;
    void showSettings();
    void applySettings();
    void listDevices();
    void showDeviceOf(int portIndex);
    QString deviceNote() const;
    void showDeviceNote();
    void rememberDevice();
    void storeDevice();
    void showOpenError(const QString& message, int systemError);

    TZRComm& port_;
    PortMap& portMap_;
    const LanguageTexts& language_;
    Dialogs& dialogs_;
    // What the device box said for each port name while the user moved
    // between them; only the entry of the port chosen on OK is stored.
    std::array<QString, PortCount> pendingDevice_;
    int devicePortShown_ = -1;
};

} // namespace kqm52
