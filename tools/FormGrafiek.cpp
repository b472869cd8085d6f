#include "tools/FormGrafiek.h"

#include "inifile/SaveFile.h"
#include "link/ZRComm.h"
#include "model/ProgramState.h"
#include "model/TextKeys.h"
#include "tools/GraphPainter.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/WidgetKit.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>

namespace kqm52 {

namespace {

void select(QListWidget* list, int index) {
    list->setCurrentRow(index >= 0 && index < list->count() ? index : 0);
}

} // namespace

TFormGrafiek::TFormGrafiek(ProgramState& state, TZRComm& port, Dialogs& dialogs, QWidget* parent,
                           GraphLogic::Tick tick)
    : QDialog(parent), state_(state), port_(port), dialogs_(dialogs),
      logic_(port, state.tables, std::move(tick)),
      image1_(graph::PlotWidth, graph::PlotHeight, QImage::Format_RGB32),
      imageX_(graph::TimeAxisWidth, graph::TimeAxisHeight, QImage::Format_RGB32),
      imageY_(graph::ValueAxisWidth, graph::ValueAxisHeight, QImage::Format_RGB32) {
    setObjectName(QStringLiteral("FormGrafiek"));
    buildWindow();
    logic_.onChanged = [this] {
        showControls();
        TekenGrafiek();
    };
}

TFormGrafiek::~TFormGrafiek() {
    logic_.onChanged = nullptr;
}

void TFormGrafiek::buildWindow() {
    setWindowTitle(QStringLiteral("Istwerten"));
    setFixedSize(725, 654);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);

    Image1 = place(new QLabel(this), "Image1", graph::PlotLeft, graph::PlotTop, graph::PlotWidth,
                   graph::PlotHeight);
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

    connect(CmdStartLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStartLogClick);
    connect(CmdStopLog, &QPushButton::clicked, this, &TFormGrafiek::CmdStopLogClick);
    connect(CmdExportCsv, &QPushButton::clicked, this, &TFormGrafiek::CmdExportCsvClick);
    connect(CmdExportPng, &QPushButton::clicked, this, &TFormGrafiek::CmdExportPngClick);
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
    using PanelTekst = TextSeries<"Grafiek", "PanelTekst", 5>;
    GraphLogic::PanelTexts panels;
    static_assert(std::tuple_size_v<GraphLogic::PanelTexts> == PanelTekst::count);
    const auto ids = PanelTekst::all();
    for (std::size_t i = 0; i < panels.size(); ++i)
        panels[i] = state_.language.text(ids[i]);
    logic_.setPanelTexts(panels);
    applyTexts(*this, state_.language, u"Grafiek");
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
    Image1->setPixmap(QPixmap::fromImage(image1_));
    ImageX->setPixmap(QPixmap::fromImage(imageX_));
    ImageY->setPixmap(QPixmap::fromImage(imageY_));
}

QImage TFormGrafiek::picture() const {
    return graph::graphPicture(logic_.runFrame());
}

void TFormGrafiek::CmdStartLogClick() {
    readChoice();
    logic_.start();
}

void TFormGrafiek::CmdStopLogClick() {
    logic_.stop();
}

void TFormGrafiek::ScrollBar2Change() {
    readChoice();
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
    if (logic_.logging() || logic_.recordedSamples() <= 0) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture().save(&buffer, "PNG");
    saveFile(QStringLiteral("PNG"), QStringLiteral("PNG (*.png)"), bytes);
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
