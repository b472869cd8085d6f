#pragma once

// TFormGrafiek: records one live value of the selected unit and draws it as
// a time curve.  The rules live in GraphLogic, the drawing in GraphPainter;
// this window builds the controls, forwards their events and shows the
// three images.  A recorded run can be kept as CSV or as a PNG picture.

#include "model/GraphLogic.h"
#include "ui/FittedLabel.h"

#include <QDialog>
#include <QImage>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QShowEvent;

namespace kqm52 {

class Dialogs;
class ProgramState;
class TZRComm;

class TFormGrafiek : public QDialog {
    Q_OBJECT
  public:
    TFormGrafiek(ProgramState& state, TZRComm& port, Dialogs& dialogs, QWidget* parent = nullptr,
                 GraphLogic::Tick tick = {});
    ~TFormGrafiek() override;

    void FormActivate();
    void FormClose();
    void CmdStartLogClick();
    void CmdStopLogClick();
    void CmdExportCsvClick();
    void CmdExportPngClick();
    void ScrollBar2Change();
    void ListBoxXClick();
    void ListBoxYClick();
    void ComboBoxBronChange();
    void CheckHulplijnenXasClick();
    void CheckHulplijnenYasClick();

    void done(int result) override;

    GraphLogic& logic() { return logic_; }
    // The recorded run's plot and both axes, as saved to PNG: drawn afresh
    // from the run, so neither a window opened again on an empty plot nor a
    // source chosen since changes it.
    QImage picture() const;
    const QImage& plotImage() const { return image1_; }

    QLabel* Image1 = nullptr;
    QLabel* ImageX = nullptr;
    QLabel* ImageY = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QGroupBox* GroupBox_Yas = nullptr;
    QListWidget* ListBoxY = nullptr;
    QCheckBox* CheckHulplijnenYas = nullptr;
    QGroupBox* GroupBox_Xas = nullptr;
    QListWidget* ListBoxX = nullptr;
    QCheckBox* CheckHulplijnenXas = nullptr;
    QCheckBox* CheckBoxAutoScroll = nullptr;
    QLabel* LabelBron = nullptr;
    QComboBox* ComboBoxBron = nullptr;
    FittedLabel* PanelCommError = nullptr;
    QPushButton* CmdStartLog = nullptr;
    QPushButton* CmdStopLog = nullptr;
    QPushButton* CmdExportCsv = nullptr;
    QPushButton* CmdExportPng = nullptr;
    QLabel* LabelBuffer = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* LabelBufferCount = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildWindow();
    void readTexts();
    void readChoice();
    void showControls();
    void TekenGrafiek();
    void TekenYasVerdeling();
    void showImages();
    bool saveFile(const QString& caption, const QString& filter, const QByteArray& bytes);

    ProgramState& state_;
    TZRComm& port_;
    Dialogs& dialogs_;
    GraphLogic logic_;
    QImage image1_;
    QImage imageX_;
    QImage imageY_;
    bool updating_ = false; // controls set from the logic fire no handlers
};

} // namespace kqm52
