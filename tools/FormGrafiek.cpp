#include "tools/FormGrafiek.h"

#include "inifile/SaveFile.h"
#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/TextKeys.h"
#include "tools/GraphPainter.h"
#include "tools/PlotSurface.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/WidgetKit.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShowEvent>

namespace kqm52 {

namespace {

void select(QListWidget* list, int index) {
    list->setCurrentRow(index >= 0 && index < list->count() ? index : 0);
}

using Extra = TextIn<"GrafiekExtra">;

// The window's size as designed; it grows from here.
constexpr int DesignWidth = 725;
constexpr int DesignHeight = 654;
// One wheel notch zooms by this much.
constexpr double WheelZoom = 1.25;

} // namespace

TFormGrafiek::TFormGrafiek(ProgramState& state, TZRComm& port, Dialogs& dialogs, QWidget* parent,
                           GraphLogic::Tick tick)
    : QDialog(parent), state_(state), port_(port), dialogs_(dialogs),
      logic_(port, state.tables, state.language, std::move(tick)),
      image1_(graph::PlotWidth, graph::PlotHeight, QImage::Format_RGB32),
      imageX_(graph::TimeAxisWidth, graph::TimeAxisHeight, QImage::Format_RGB32),
      imageY_(graph::ValueAxisWidth, graph::ValueAxisHeight, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("FormGrafiek"));
    buildWindow();
    logic_.onChanged = [this] {
        showControls();
        TekenGrafiek();
    };
    logic_.onNotice = [this](const QString& text) { dialogs_.error(this, windowTitle(), text); };
}

TFormGrafiek::~TFormGrafiek() {
    logic_.onChanged = nullptr;
}

void TFormGrafiek::buildWindow() {
    setWindowTitle(QStringLiteral("Istwerten"));
    resize(DesignWidth, DesignHeight);
    setMinimumSize(DesignWidth, DesignHeight);
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowTitleHint |
                   Qt::WindowMaximizeButtonHint);

    Image1 = place(new PlotSurface(this), "Image1", graph::PlotLeft, graph::PlotTop,
                   graph::PlotWidth, graph::PlotHeight);
    ImageX = place(new QLabel(this), "ImageX", graph::TimeAxisLeft, graph::TimeAxisTop,
                   graph::TimeAxisWidth, graph::TimeAxisHeight);
    ImageY = place(new QLabel(this), "ImageY", graph::ValueAxisLeft, graph::ValueAxisTop,
                   graph::ValueAxisWidth, graph::ValueAxisHeight);

    ScrollBar2 = place(new QScrollBar(Qt::Horizontal, this), "ScrollBar2", 80, 448, 601, 17);
    ScrollBar2->setRange(0, graph::LastIndex);
    ScrollBar2->setSingleStep(20);
    ScrollBar2->setPageStep(10);
    connect(ScrollBar2, &QScrollBar::valueChanged, this, [this] {
        if (!updating_) ScrollBar2Change();
    });

    GroupBox_Yas =
        place(new QGroupBox(QStringLiteral("Y-as"), this), "GroupBox_Yas", 80, 472, 129, 153);
    ListBoxY = place(new QListWidget(GroupBox_Yas), "ListBoxY", 8, 20, 89, 81);
    ListBoxY->addItems(graph::valueListItems());
    ListBoxY->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CheckHulplijnenYas = place(new QCheckBox(QStringLiteral("Hulplijn"), GroupBox_Yas),
                               "CheckHulplijnenYas", 8, 110, 113, 21);

    GroupBox_Xas =
        place(new QGroupBox(QStringLiteral("X-as"), this), "GroupBox_Xas", 256, 472, 121, 153);
    ListBoxX = place(new QListWidget(GroupBox_Xas), "ListBoxX", 8, 20, 81, 81);
    ListBoxX->addItems(graph::timeListItems());
    ListBoxX->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CheckHulplijnenXas = place(new QCheckBox(QStringLiteral("Hulplijn"), GroupBox_Xas),
                               "CheckHulplijnenXas", 8, 104, 105, 21);
    CheckBoxAutoScroll = place(new QCheckBox(QStringLiteral("Autoscroll"), GroupBox_Xas),
                               "CheckBoxAutoScroll", 8, 126, 105, 21);

    LabelBron = place(new QLabel(QStringLiteral("Bron"), this), "LabelBron", 496, 462, 129, 16);
    ComboBoxBron = place(new QComboBox(this), "ComboBoxBron", 496, 480, 129, 24);
    ComboBoxBron->addItems(graph::builtInSources());

    PanelCommError = place(new FittedLabel(this), "PanelCommError", 456, 512, 169, 25);
    PanelCommError->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelCommError->setAlignment(Qt::AlignCenter);
    QFont bold = PanelCommError->font();
    bold.setBold(true);
    PanelCommError->setFont(bold);

    CmdStartLog =
        place(new QPushButton(QStringLiteral("Start Log"), this), "CmdStartLog", 456, 552, 73, 25);
    CmdStopLog =
        place(new QPushButton(QStringLiteral("Stop Log"), this), "CmdStopLog", 552, 552, 73, 25);
    // File names say what they hold in every language, so the two buttons
    // need no text of their own.
    CmdExportCsv =
        place(new QPushButton(QStringLiteral("CSV..."), this), "CmdExportCsv", 456, 588, 73, 25);
    CmdExportPng =
        place(new QPushButton(QStringLiteral("PNG..."), this), "CmdExportPng", 552, 588, 73, 25);
    CmdStopLog->setAutoDefault(false);
    CmdStartLog->setAutoDefault(false);
    CmdExportCsv->setAutoDefault(false);
    CmdExportPng->setAutoDefault(false);

    LabelBuffer = place(new QLabel(QStringLiteral("Buffer:"), this), "LabelBuffer", 0, 630, 56, 16);
    LabelBuffer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Gauge1 = place(new QProgressBar(this), "Gauge1", 64, 635, 585, 10);
    Gauge1->setRange(0, graph::LastIndex);
    Gauge1->setTextVisible(false);
    QPalette blue = Gauge1->palette();
    blue.setColor(QPalette::Highlight, Qt::blue);
    Gauge1->setPalette(blue);
    LabelBufferCount =
        place(new QLabel(QStringLiteral("0,0 sec"), this), "LabelBufferCount", 657, 630, 68, 16);

    // Reading the curve: beside the controls, out of the plot's way.
    auto tool = [this](const char* name, const char* caption, int top, bool checkable) {
        auto* b =
            place(new QPushButton(QString::fromLatin1(caption), this), name, 634, top, 84, 23);
        b->setAutoDefault(false);
        b->setCheckable(checkable);
        return b;
    };
    CmdFit = tool("CmdFit", "Fit", 466, false);
    CmdPauze = tool("CmdPauze", "Pause", 492, true);
    CmdVolg = tool("CmdVolg", "Follow", 518, true);
    CmdStatistiek = tool("CmdStatistiek", "Statistics", 544, true);
    CmdOpenRecording = tool("CmdOpenRecording", "Open...", 570, false);
    CmdStream = tool("CmdStream", "To file...", 596, true);
    auto* pngMenu = new QMenu(CmdExportPng);
    pngMenu->setObjectName(QStringLiteral("MenuPng"));
    QAction* whole = pngMenu->addAction(QStringLiteral("Whole run"));
    whole->setObjectName(QStringLiteral("PngHeleRun"));
    QAction* visible = pngMenu->addAction(QStringLiteral("Visible span"));
    visible->setObjectName(QStringLiteral("PngZichtbaar"));
    connect(whole, &QAction::triggered, this, [this] { exportPng(true); });
    connect(visible, &QAction::triggered, this, [this] { exportPng(false); });
    connect(CmdExportPng, &QPushButton::clicked, this, [this, pngMenu] {
        pngMenu->popup(CmdExportPng->mapToGlobal(QPoint(0, CmdExportPng->height())));
    });

    connect(Image1, &PlotSurface::hovered, this, &TFormGrafiek::plotHover);
    connect(Image1, &PlotSurface::left, this, &TFormGrafiek::plotLeft);
    connect(Image1, &PlotSurface::clicked, this, &TFormGrafiek::plotClick);
    connect(Image1, &PlotSurface::dragged, this, &TFormGrafiek::plotDrag);
    connect(Image1, &PlotSurface::wheeled, this, &TFormGrafiek::plotWheel);
    connect(Image1, &PlotSurface::homeAsked, this, &TFormGrafiek::plotHome);
    LabelReadout = new QLabel(Image1);
    LabelReadout->setObjectName(QStringLiteral("LabelReadout"));
    LabelStatistiek = new QLabel(Image1);
    LabelStatistiek->setObjectName(QStringLiteral("LabelStatistiek"));
    for (QLabel* overlay : {LabelReadout, LabelStatistiek}) {
        overlay->setStyleSheet(QStringLiteral(
            "background: rgba(255, 255, 225, 230); border: 1px solid gray; padding: 2px;"));
        overlay->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
        overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
        overlay->hide();
    }

    // Everything below the plot, and the buttons beside it, keep their
    // place against the lower edge when the window grows.
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != Image1 && w != ImageY && w->geometry().top() >= graph::TimeAxisTop)
            lowerControls_.emplace_back(w, w->geometry());

    connect(CmdFit, &QPushButton::clicked, this, &TFormGrafiek::CmdFitClick);
    connect(CmdPauze, &QPushButton::clicked, this, &TFormGrafiek::CmdPauzeClick);
    connect(CmdVolg, &QPushButton::clicked, this, &TFormGrafiek::CmdVolgClick);
    connect(CmdStatistiek, &QPushButton::clicked, this, &TFormGrafiek::CmdStatistiekClick);
    connect(CmdOpenRecording, &QPushButton::clicked, this, &TFormGrafiek::CmdOpenRecordingClick);
    connect(CmdStream, &QPushButton::clicked, this, &TFormGrafiek::CmdStreamClick);
    connect(CmdStartLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStartLogClick);
    connect(CmdStopLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStopLogClick);
    connect(CmdExportCsv, &QPushButton::clicked, this, &TFormGrafiek::CmdExportCsvClick);
    connect(ListBoxX, &QListWidget::currentRowChanged, this, [this] {
        if (!updating_) ListBoxXClick();
    });
    connect(ListBoxY, &QListWidget::currentRowChanged, this, [this] {
        if (!updating_) ListBoxYClick();
    });
    connect(ComboBoxBron, &QComboBox::currentIndexChanged, this, [this] {
        if (!updating_) ComboBoxBronChange();
    });
    connect(CheckHulplijnenXas, &QCheckBox::toggled, this, [this] {
        if (!updating_) CheckHulplijnenXasClick();
    });
    connect(CheckHulplijnenYas, &QCheckBox::toggled, this, [this] {
        if (!updating_) CheckHulplijnenYasClick();
    });
    connect(CheckBoxAutoScroll, &QCheckBox::toggled, this, [this] {
        if (!updating_) {
            readChoice();
            TekenGrafiek();
        }
    });
}

void TFormGrafiek::readTexts() {
    applyTexts(*this, state_.language, u"Grafiek");
    applyTexts(*this, state_.language, u"GrafiekExtra");
    const LanguageTexts& l = state_.language;
    Image1->setToolTip(l.text(Extra{"TipPlot"}));
    CmdOpenRecording->setToolTip(l.text(Extra{"CaptionOpen"}));
}

void TFormGrafiek::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormGrafiek::FormActivate() {
    updating_ = true;
    readTexts();
    const GraphSettings& s = state_.settings.graph;
    select(ListBoxX, s.X_Div);
    select(ListBoxY, s.Y_Div);
    ComboBoxBron->setCurrentIndex(s.BronItem >= 0 && s.BronItem < ComboBoxBron->count()
                                      ? s.BronItem
                                      : (ComboBoxBron->count() > 0 ? 0 : -1));
    CheckHulplijnenXas->setChecked(s.X_hulplijn);
    CheckHulplijnenYas->setChecked(s.Y_hulplijn);
    updating_ = false;
    readChoice();
    logic_.activate(port_.Active());
    layoutWindow();
    Gauge1->setValue(0);
    // The window opens on an empty plot from 0; the samples of an earlier
    // run come back with the first scroll or scale change.
    const GraphFrame frame = logic_.frame();
    graph::drawEmptyPlot(image1_, imageX_, frame);
    graph::TekenYasVerdeling(imageY_, frame);
    showImages();
}

void TFormGrafiek::FormClose() {
    GraphSettings& s = state_.settings.graph;
    s.X_Div = ListBoxX->currentRow();
    s.Y_Div = ListBoxY->currentRow();
    s.BronItem = ComboBoxBron->currentIndex();
    s.X_hulplijn = CheckHulplijnenXas->isChecked();
    s.Y_hulplijn = CheckHulplijnenYas->isChecked();
    logic_.close();
}

void TFormGrafiek::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TFormGrafiek::readChoice() {
    GraphChoice& c = logic_.choice();
    c.xIndex = ListBoxX->currentRow();
    c.yIndex = ListBoxY->currentRow();
    c.auxX = CheckHulplijnenXas->isChecked();
    c.auxY = CheckHulplijnenYas->isChecked();
    c.autoScroll = CheckBoxAutoScroll->isChecked();
    c.scrollPosition = ScrollBar2->value();
    logic_.setSource(ComboBoxBron->currentIndex());
}

void TFormGrafiek::showControls() {
    const GraphControls& c = logic_.controls();
    updating_ = true;
    const bool live = logic_.logging();
    CmdFit->setEnabled(graph::forcedValueIndex(logic_.frame().choice.source) < 0);
    CmdPauze->setEnabled(live);
    CmdPauze->setChecked(logic_.paused());
    CmdVolg->setChecked(logic_.follow());
    CmdOpenRecording->setEnabled(!live);
    CmdStream->setEnabled(!live);
    CmdStream->setChecked(!logic_.streamFile().isEmpty());
    CmdStream->setToolTip(logic_.streamFile());
    CmdStartLog->setEnabled(c.startEnabled);
    CmdStopLog->setEnabled(c.stopEnabled);
    ComboBoxBron->setEnabled(c.sourceEnabled);
    ListBoxY->setEnabled(c.valueListEnabled);
    select(ListBoxY, logic_.choice().yIndex);
    CmdExportCsv->setEnabled(c.exportEnabled);
    CmdExportPng->setEnabled(c.exportEnabled);
    PanelCommError->setText(c.panelText);
    PanelCommError->setStyleSheet(c.panelRed ? QStringLiteral("color: red")
                                             : QStringLiteral("color: black"));
    Gauge1->setValue(c.gauge);
    LabelBufferCount->setText(c.bufferCountText);
    updating_ = false;
}

void TFormGrafiek::TekenGrafiek() {
    updating_ = true;
    ScrollBar2->setMaximum(logic_.scrollMaximum());
    if (logic_.frame().view) ScrollBar2->setValue(logic_.scrollPositionOfView());
    updating_ = false;
    logic_.choice().scrollPosition = ScrollBar2->value();
    graph::TekenGrafiek(image1_, imageX_, logic_.frame());
    showImages();
}

void TFormGrafiek::TekenYasVerdeling() {
    graph::TekenYasVerdeling(imageY_, logic_.frame());
    ImageY->setPixmap(QPixmap::fromImage(imageY_));
}

void TFormGrafiek::showImages() {
    // The cursors go on the picture shown, not on the plot itself: the plot
    // stays what the curve is, for the PNG and for a user who never clicks.
    const auto a = logic_.cursor(0), b = logic_.cursor(1);
    if (!a && !b && !hover_) {
        Image1->setPixmap(QPixmap::fromImage(image1_));
    } else {
        QImage shown = image1_;
        QPainter p(&shown);
        const graph::Viewport v = logic_.frame().viewport();
        auto line = [&](const graph::Cursor& c, const QColor& colour, Qt::PenStyle style) {
            const int x = int(std::lround(v.x(c.time)));
            const int y = int(std::lround(v.y(c.value)));
            p.setPen(QPen(colour, 1, style));
            p.drawLine(x, 1, x, shown.height() - 2);
            p.drawEllipse(QPoint(x, y), 3, 3);
        };
        if (hover_) {
            const graph::Cursor c = logic_.sampleAt(hover_->x());
            if (c.index >= 0) line(c, Qt::gray, Qt::DashLine);
        }
        if (a) line(*a, Qt::red, Qt::SolidLine);
        if (b) line(*b, QColor(0, 140, 0), Qt::SolidLine);
        p.end();
        Image1->setPixmap(QPixmap::fromImage(shown));
    }
    showReadout();
    showStatistics();
    ImageX->setPixmap(QPixmap::fromImage(imageX_));
    ImageY->setPixmap(QPixmap::fromImage(imageY_));
}

QImage TFormGrafiek::picture(bool wholeRun) const {
    const GraphFrame frame = logic_.pictureFrame(wholeRun);
    return graph::graphPicture(frame, pictureTitle(frame));
}

QString TFormGrafiek::sourceName(int source) const {
    const QString name = ComboBoxBron->itemText(source);
    return name.isEmpty() ? graph::builtInSources().value(source) : name;
}

QString TFormGrafiek::pictureTitle(const GraphFrame& frame) const {
    const graph::Viewport v = frame.viewport();
    const graph::ValueFormat f = logic_.valueFormat();
    const int source = logic_.shownSource();
    // The scales as a division of the picture reads them.
    const qint64 msPerDivision = qint64(std::llround(v.msPerPixel * graph::XDivisionPixels));
    const double perDivision = v.valuePerPixel * graph::YDivisionPixels;
    QString xText = graph::timeText(msPerDivision);
    xText.chop(2); // " s": the format says the unit
    const QString yText = graph::valueText(perDivision, f);
    const QDateTime when = logic_.recording() ? logic_.recording()->written : runStarted_;
    QStringList parts{sourceName(source) + QLatin1Char(' ') + graph::unitOf(source),
                      state_.language.text(Extra{"TitelSchaal"}).arg(xText, yText),
                      QLocale::c().toString(when, QStringLiteral("yyyy-MM-dd HH:mm"))};
    if (!state_.unit.DeviceType.isEmpty()) parts << state_.unit.DeviceType.trimmed();
    return parts.join(QStringLiteral("   "));
}

void TFormGrafiek::CmdStartLogClick() {
    readChoice();
    runStarted_ = QDateTime::currentDateTime();
    logic_.start();
}

void TFormGrafiek::CmdStopLogClick() {
    logic_.stop();
}

void TFormGrafiek::ScrollBar2Change() {
    readChoice();
    logic_.scrolled(ScrollBar2->value());
    TekenGrafiek();
}

void TFormGrafiek::ListBoxXClick() {
    readChoice();
    TekenGrafiek();
}

void TFormGrafiek::ListBoxYClick() {
    readChoice();
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::ComboBoxBronChange() {
    readChoice();
    showControls();
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::CheckHulplijnenXasClick() {
    readChoice();
    TekenGrafiek();
}

void TFormGrafiek::CheckHulplijnenYasClick() {
    readChoice();
    TekenGrafiek();
}

void TFormGrafiek::CmdExportCsvClick() {
    if (logic_.logging() || logic_.recordedSamples() <= 0) return;
    saveFile(QStringLiteral("CSV"), QStringLiteral("CSV (*.csv)"), logic_.csvText().toUtf8());
}

void TFormGrafiek::CmdExportPngClick() {
    exportPng(false);
}

void TFormGrafiek::exportPng(bool wholeRun) {
    if (logic_.logging() || logic_.recordedSamples() <= 0) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture(wholeRun).save(&buffer, "PNG");
    saveFile(QStringLiteral("PNG"), QStringLiteral("PNG (*.png)"), bytes);
}

void TFormGrafiek::CmdFitClick() {
    const int index = logic_.fit();
    if (index < 0) return;
    updating_ = true;
    select(ListBoxY, index);
    updating_ = false;
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::CmdPauzeClick() {
    logic_.setPaused(CmdPauze->isChecked());
    viewChanged();
}

void TFormGrafiek::CmdVolgClick() {
    logic_.setFollow(CmdVolg->isChecked());
    viewChanged();
}

void TFormGrafiek::CmdStatistiekClick() {
    showStatistics();
}

void TFormGrafiek::CmdOpenRecordingClick() {
    if (logic_.logging()) return;
    const QString caption = state_.language.text(Extra{"CaptionOpen"});
    const QString path = dialogs_.openFileName(this, caption, state_.settings.DialogPath,
                                               QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) return;
    state_.settings.rememberDialogFolder(path);
    graph::RecordingRead read = graph::readRecordingFile(path);
    if (!read.recording || read.recording->times.isEmpty()) {
        dialogs_.error(this, caption, graph::recordingRefusal(read, path, state_.language));
        return;
    }
    logic_.loadRecording(std::move(*read.recording));
    updating_ = true;
    ScrollBar2->setValue(0);
    updating_ = false;
    viewChanged();
    TekenYasVerdeling();
}

void TFormGrafiek::CmdStreamClick() {
    if (logic_.logging()) return;
    if (!CmdStream->isChecked()) {
        logic_.setStreamFile({});
        showControls();
        return;
    }
    const QString path = dialogs_.saveFileName(
        this, state_.language.text(Extra{"CaptionStream"}), state_.settings.DialogPath,
        QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
    if (!path.isEmpty()) state_.settings.rememberDialogFolder(path);
    logic_.setStreamFile(path);
    showControls();
}

void TFormGrafiek::viewChanged() {
    showControls();
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::plotHover(QPoint at) {
    hover_ = at;
    showImages();
}

void TFormGrafiek::plotLeft() {
    hover_.reset();
    showImages();
}

void TFormGrafiek::plotClick(QPoint at, bool shift) {
    logic_.placeCursor(shift ? 1 : 0, at.x());
    showImages();
}

void TFormGrafiek::plotDrag(QPoint delta) {
    logic_.panBy(delta.x(), delta.y());
    viewChanged();
}

void TFormGrafiek::plotWheel(QPoint at, int steps, bool valueAxis) {
    if (steps == 0) return;
    // Up (away from the user) zooms in.
    const double factor = std::pow(WheelZoom, -steps);
    if (valueAxis)
        logic_.zoomValue(at.y(), factor);
    else
        logic_.zoomTime(at.x(), factor);
    viewChanged();
}

void TFormGrafiek::plotHome() {
    logic_.home();
    logic_.clearCursors();
    updating_ = true;
    ScrollBar2->setValue(0);
    updating_ = false;
    viewChanged();
}

void TFormGrafiek::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutWindow();
}

void TFormGrafiek::layoutWindow() {
    const int dw = std::max(0, width() - DesignWidth);
    const int dh = std::max(0, height() - DesignHeight);
    const int w = graph::PlotWidth + dw, h = graph::PlotHeight + dh;
    if (image1_.size() != QSize(w, h)) {
        image1_ = QImage(w, h, QImage::Format_RGB32);
        image1_.fill(Qt::white);
        imageX_ = QImage(graph::timeAxisSize(w), QImage::Format_RGB32);
        imageY_ = QImage(graph::valueAxisSize(h), QImage::Format_RGB32);
    }
    Image1->setGeometry(graph::PlotLeft, graph::PlotTop, w, h);
    ImageY->setGeometry(QRect(QPoint(graph::ValueAxisLeft, graph::ValueAxisTop), imageY_.size()));
    for (const auto& [widget, design] : lowerControls_) {
        QRect r = design.translated(0, dh);
        // The axis, the scroll bar and the gauge run along the plot; the
        // buffer time stays at their right end.
        if (widget == ImageX || widget == ScrollBar2 || widget == Gauge1)
            r.setWidth(design.width() + dw);
        else if (widget == LabelBufferCount)
            r.translate(dw, 0);
        widget->setGeometry(r);
    }
    logic_.setPlotSize(w, h);
    LabelStatistiek->move(std::max(0, w - LabelStatistiek->width() - 4), 4);
    TekenYasVerdeling();
    TekenGrafiek();
}

void TFormGrafiek::showReadout() {
    QStringList lines;
    if (hover_) {
        const QString h = logic_.hoverText(hover_->x());
        if (!h.isEmpty()) lines << h;
    }
    const QString cursors = logic_.cursorsText();
    if (!cursors.isEmpty()) lines << cursors;
    if (lines.isEmpty()) {
        LabelReadout->hide();
        return;
    }
    LabelReadout->setText(lines.join(QLatin1Char('\n')));
    LabelReadout->adjustSize();
    LabelReadout->move(4, 4);
    LabelReadout->show();
}

void TFormGrafiek::showStatistics() {
    if (!CmdStatistiek->isChecked() || logic_.recordedSamples() <= 0) {
        LabelStatistiek->hide();
        return;
    }
    const LanguageTexts& l = state_.language;
    const graph::ValueFormat f = logic_.valueFormat();
    auto column = [&](const graph::Statistics& s) {
        return QStringList{
            s.samples > 0 ? graph::valueText(s.minimum, f) : QStringLiteral("-"),
            s.samples > 0 ? graph::valueText(s.maximum, f) : QStringLiteral("-"),
            s.samples > 0 ? graph::valueText(s.mean, f) : QStringLiteral("-"),
            QString::number(s.samples),
            QString::number(s.perSecond, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','))};
    };
    const QStringList view = column(logic_.visibleStatistics());
    const QStringList run = column(logic_.runStatistics());
    const QStringList captions{l.text(Extra{"StatMin"}), l.text(Extra{"StatMax"}),
                               l.text(Extra{"StatGemiddeld"}), l.text(Extra{"StatAantal"}),
                               l.text(Extra{"StatPerSec"})};
    auto width = [](const QStringList& texts) {
        qsizetype w = 0;
        for (const QString& t : texts)
            w = std::max(w, t.size());
        return int(w);
    };
    const QString head1 = l.text(Extra{"StatZicht"}), head2 = l.text(Extra{"StatRun"});
    const int c0 = width(captions), c1 = std::max<int>(width(view), head1.size()),
              c2 = std::max<int>(width(run), head2.size());
    QStringList rows{QString(c0, QLatin1Char(' ')) + QStringLiteral("  ") +
                     head1.rightJustified(c1) + QStringLiteral("  ") + head2.rightJustified(c2)};
    for (int i = 0; i < captions.size(); ++i)
        rows << captions[i].leftJustified(c0) + QStringLiteral("  ") + view[i].rightJustified(c1) +
                    QStringLiteral("  ") + run[i].rightJustified(c2);
    LabelStatistiek->setText(rows.join(QLatin1Char('\n')));
    LabelStatistiek->adjustSize();
    LabelStatistiek->move(std::max(0, Image1->width() - LabelStatistiek->width() - 4), 4);
    LabelStatistiek->show();
}

bool TFormGrafiek::saveFile(const QString& caption, const QString& filter,
                            const QByteArray& bytes) {
    // The caption is the type ("CSV", "PNG"); a name typed without an
    // extension gets the type's own.
    const QString path =
        dialogs_.saveFileName(this, caption, state_.settings.DialogPath, filter, caption.toLower());
    if (path.isEmpty()) return false;
    state_.settings.rememberDialogFolder(path);
    QString error; // the file and the system's reason
    if (!kqm52::saveFile(path, bytes, &error)) {
        dialogs_.error(this, caption,
                       state_.language.text(TextId{"Grafiek", "MsgNotSaved"}) +
                           QStringLiteral("\n\r") + error);
        return false;
    }
    return true;
}

} // namespace kqm52
