#pragma once

// TFormGrafiek: records one live value of the selected unit and draws it as
// a time curve.  The rules live in GraphLogic, the drawing in GraphPainter;
// this window builds the controls, forwards their events and shows the
// three images.  A recorded run can be kept as CSV or as a PNG picture, streamed
// to a CSV file as it runs, and read back from one.  The plot is read with the
// mouse: hover for the sample under it, click for cursor A, Shift+click for B,
// wheel to zoom time (Ctrl: value), drag to pan, double-click or Home to go
// back to the lists' scales.  The window grows; the plot grows with it.

#include "model/engines/GraphLogic.h"
#include "ui/FittedLabel.h"

#include <QDateTime>
#include <QDialog>
#include <QImage>

#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QResizeEvent;
class QShowEvent;

namespace kqm52 {

class Dialogs;
class PlotSurface;
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
    // The PNG of the whole run or of the span in view.
    void exportPng(bool wholeRun);
    void CmdFitClick();
    void CmdPauzeClick();
    void CmdVolgClick();
    void CmdStatistiekClick();
    void CmdOpenRecordingClick();
    void CmdStreamClick();
    // The plot's own handling of the mouse and keys, in plot pixels.
    void plotHover(QPoint at);
    void plotLeft();
    void plotClick(QPoint at, bool shift);
    void plotDrag(QPoint delta);
    void plotWheel(QPoint at, int steps, bool valueAxis);
    void plotHome();
    void ScrollBar2Change();
    void ListBoxXClick();
    void ListBoxYClick();
    void ComboBoxBronChange();
    void CheckHulplijnenXasClick();
    void CheckHulplijnenYasClick();

    void done(int result) override;

    GraphLogic& logic() { return logic_; }
    // The recorded run's plot and both axes under a title line, as saved to
    // PNG: drawn afresh from the run, so neither a window opened again on an
    // empty plot nor a source chosen since changes it.  The span in view, or
    // the whole run across the plot.
    QImage picture(bool wholeRun = false) const;
    // The title line of a picture of the run.
    QString pictureTitle(const GraphFrame& frame) const;
    const QImage& plotImage() const { return image1_; }

    PlotSurface* Image1 = nullptr;
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
    QPushButton* CmdFit = nullptr;
    QPushButton* CmdPauze = nullptr;
    QPushButton* CmdVolg = nullptr;
    QPushButton* CmdStatistiek = nullptr;
    QPushButton* CmdOpenRecording = nullptr;
    QPushButton* CmdStream = nullptr;
    QLabel* LabelReadout = nullptr;    // over the plot, top left
    QLabel* LabelStatistiek = nullptr; // over the plot, top right

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildWindow();
    void readTexts();
    void readChoice();
    void showControls();
    void TekenGrafiek();
    void TekenYasVerdeling();
    void showImages();
    bool saveFile(const QString& caption, const QString& filter, const QByteArray& bytes);
    void layoutWindow();
    void showReadout();
    void showStatistics();
    void viewChanged();
    QString sourceName(int source) const;

    ProgramState& state_;
    TZRComm& port_;
    Dialogs& dialogs_;
    GraphLogic logic_;
    QImage image1_;
    QImage imageX_;
    QImage imageY_;
    bool updating_ = false; // controls set from the logic fire no handlers
    // Design places of the controls below and beside the plot: they move
    // with the window's lower edge.
    std::vector<std::pair<QWidget*, QRect>> lowerControls_;
    std::optional<QPoint> hover_;
    QDateTime runStarted_ = QDateTime::currentDateTime();
};

} // namespace kqm52
