#include "tools/FormApparaatZoeken.h"

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/texts/TextKeys.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/WidgetKit.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTableWidget>

namespace kqm52 {

namespace {

const QColor TestedColour(0xFF, 0xFF, 0x97);
// Below the header: one row per unit number, so a full bus fits.
constexpr int GridRows = DeviceSearch::UnitCount;

FittedLabel* statusPanel(QWidget* parent, const char* name, int x, int y, int width) {
    return sunkenPanel(parent, name, x, y, width, 21, Qt::AlignCenter);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y) {
    return plainButton(parent, name, caption, x, y, 75, 25);
}

void colour(QLabel* panel, bool tested) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window,
               tested ? TestedColour : QApplication::palette(panel).color(QPalette::Button));
    panel->setPalette(p);
}

} // namespace

TFormApparaatZoeken::TFormApparaatZoeken(ProgramState& state, TZRComm& port, Dialogs& dialogs,
                                         TakeUnit takeUnit, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs), takeUnit_(std::move(takeUnit)),
      search_(port, *this, state.language) {
    setObjectName(QStringLiteral("FormApparaatZoeken"));
    buildWindow();
}

TFormApparaatZoeken::~TFormApparaatZoeken() = default;

void TFormApparaatZoeken::buildWindow() {
    setWindowTitle(QStringLiteral("Zoeken..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(660, 372);
    // Pixel layout: the small face of the main window keeps the translated
    // captions inside their controls.
    QFont face = font();
    face.setPixelSize(11);
    setFont(face);

    StringGrid1 = place(new QTableWidget(GridRows, 5, this), "StringGrid1", 8, 8, 549, 257);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->setVisible(false);
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int widths[] = {34, 305, 66, 48, 74};
    for (int c = 0; c < 5; ++c) {
        StringGrid1->setColumnWidth(c, widths[c]);
        StringGrid1->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QStringLiteral("tekst %1").arg(c)));
    }
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { CmdOKClick(); });

    LabelStartenMet =
        place(new QLabel(QStringLiteral("Start met:"), this), "LabelStartenMet", 8, 276, 84, 22);
    ComboBaudRate = place(new QComboBox(this), "ComboBaudRate", 8, 300, 97, 22);
    ComboBaudRate->addItems({QStringLiteral("9600 b/s"), QStringLiteral("19200 b/s"),
                             QStringLiteral("28800 b/s"), QStringLiteral("38400 b/s"),
                             QStringLiteral("57600 b/s")});

    GroupBoxParity =
        place(new QGroupBox(QStringLiteral("Parity"), this), "GroupBoxParity", 120, 268, 130, 65);
    RB_parity_com = place(new QRadioButton(QStringLiteral("COM"), GroupBoxParity), "RB_parity_com",
                          8, 18, 118, 20);
    RB_parity_auto = place(new QRadioButton(QStringLiteral("COM"), GroupBoxParity),
                           "RB_parity_auto", 8, 38, 118, 20);
    GroupBoxStopBits = place(new QGroupBox(QStringLiteral("Stopbits"), this), "GroupBoxStopBits",
                             258, 268, 130, 65);
    RB_stopbits_com = place(new QRadioButton(QStringLiteral("COM"), GroupBoxStopBits),
                            "RB_stopbits_com", 8, 18, 118, 20);
    RB_stopbits_auto = place(new QRadioButton(QStringLiteral("COM"), GroupBoxStopBits),
                             "RB_stopbits_auto", 8, 38, 118, 20);

    CmdStartZoeken = button(this, "CmdStartZoeken", QStringLiteral("Start"), 400, 276);
    CmdStop = button(this, "CmdStop", QStringLiteral("Stop"), 400, 306);
    CmdVerder = button(this, "CmdVerder", QStringLiteral("Verder"), 482, 276);
    CmdOK = button(this, "CmdOK", QStringLiteral("OK"), 572, 8);
    CmdCancel = button(this, "CmdCancel", QStringLiteral("Cancel"), 572, 40);

    // The status line along the bottom.
    PanelZoekTekst = statusPanel(this, "PanelZoekTekst", 8, 344, 150);
    QFont bold = PanelZoekTekst->font();
    bold.setBold(true);
    PanelZoekTekst->setFont(bold);
    PanelBaudtare = statusPanel(this, "PanelBaudtare", 160, 344, 80);
    PanelApparaatNo = statusPanel(this, "PanelApparaatNo", 242, 344, 30);
    Gauge1 = place(new QProgressBar(this), "Gauge1", 276, 348, 160, 14);
    Gauge1->setRange(0, DeviceSearch::UnitCount - 1);
    Gauge1->setTextVisible(false);
    const char* parityNames[] = {"Panel_parity_N", "Panel_parity_O", "Panel_parity_E"};
    const char* parityCaptions[] = {"N", "O", "E"};
    for (int i = 0; i < 3; ++i) {
        parityPanels_[std::size_t(i)] = statusPanel(this, parityNames[i], 444 + 24 * i, 344, 22);
        parityPanels_[std::size_t(i)]->setText(QLatin1String(parityCaptions[i]));
    }
    const char* stopNames[] = {"Panel_stopbits_1", "Panel_stopbits_2"};
    for (int i = 0; i < 2; ++i) {
        stopPanels_[std::size_t(i)] = statusPanel(this, stopNames[i], 524 + 24 * i, 344, 22);
        stopPanels_[std::size_t(i)]->setText(QString::number(i + 1));
    }

    connect(CmdStartZoeken, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStartZoekenClick);
    connect(CmdVerder, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdVerderClick);
    connect(CmdStop, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdStopClick);
    connect(CmdOK, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdOKClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormApparaatZoeken::CmdCancelClick);
}

void TFormApparaatZoeken::readTexts() {
    const LanguageTexts& t = state_.language;
    applyTexts(*this, t, u"AparaatZoeken");
    // Header cells are not controls of their own; the search reads its
    // status texts itself.
    const TextId headers[] = {{"AparaatZoeken", "KolomTekst0"},
                              {"AparaatZoeken", "KolomTekst1"},
                              {"AparaatZoeken", "KolomTekst2"},
                              {"AparaatZoeken", "KolomTekst3"},
                              {"AparaatZoeken", "KolomTekst4"}};
    if (t.LanguageLoaded())
        for (int c = 0; c < 5; ++c)
            StringGrid1->horizontalHeaderItem(c)->setText(t.text(headers[c]));
}

void TFormApparaatZoeken::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormApparaatZoeken::FormActivate() {
    readTexts();
    ComboBaudRate->setCurrentIndex(0);
    RB_parity_com->setChecked(true);
    RB_stopbits_com->setChecked(true);
    clearGrid();
    PanelBaudtare->clear();
    PanelApparaatNo->clear();
    Gauge1->setValue(0);
    for (QLabel* p : parityPanels_)
        colour(p, false);
    for (QLabel* p : stopPanels_)
        colour(p, false);
    search_.activate();
}

void TFormApparaatZoeken::clearGrid() {
    StringGrid1->setRowCount(GridRows);
    for (int r = 0; r < StringGrid1->rowCount(); ++r)
        for (int c = 0; c < StringGrid1->columnCount(); ++c)
            StringGrid1->setItem(r, c, new QTableWidgetItem());
    StringGrid1->setCurrentCell(0, 0);
}

SearchChoice TFormApparaatZoeken::choice() const {
    return {ComboBaudRate->currentIndex(), RB_parity_auto->isChecked(),
            RB_stopbits_auto->isChecked()};
}

void TFormApparaatZoeken::CmdStartZoekenClick() {
    clearGrid();
    search_.start(choice());
}

void TFormApparaatZoeken::CmdVerderClick() {
    search_.resume();
}

void TFormApparaatZoeken::CmdStopClick() {
    search_.stop();
}

void TFormApparaatZoeken::CmdOKClick() {
    const std::optional<int> unit = search_.takeOver(StringGrid1->currentRow());
    if (!unit) return;
    if (takeUnit_) takeUnit_(*unit);
    QDialog::accept();
}

void TFormApparaatZoeken::CmdCancelClick() {
    search_.cancel();
    QDialog::reject();
}

void TFormApparaatZoeken::reject() {
    CmdCancelClick();
}

void TFormApparaatZoeken::showIndicators(const SearchCombination& at) {
    colour(parityPanels_[0], at.parity == TParityBit::None);
    colour(parityPanels_[1], at.parity == TParityBit::Odd);
    colour(parityPanels_[2], at.parity == TParityBit::Even);
    colour(stopPanels_[0], at.stop == TStopBit::sb_1);
    colour(stopPanels_[1], at.stop == TStopBit::sb_2);
}

void TFormApparaatZoeken::probing(const SearchCombination& at) {
    PanelBaudtare->setText(BaudrateDisplayName(at.baud));
    PanelApparaatNo->setText(QString::number(at.unit));
    Gauge1->setValue(at.unit);
    showIndicators(at);
}

void TFormApparaatZoeken::unitFound(int index) {
    if (index < 0) return;
    // A unit that answers at more than one setting takes more than one row:
    // every unit the search announces gets a row it can be taken over from.
    while (index >= StringGrid1->rowCount()) {
        const int row = StringGrid1->rowCount();
        StringGrid1->insertRow(row);
        for (int c = 0; c < StringGrid1->columnCount(); ++c)
            StringGrid1->setItem(row, c, new QTableWidgetItem());
    }
    const FoundUnit& f = search_.found().at(std::size_t(index));
    const QString cells[] = {QStringLiteral("%1").arg(f.at.unit, 2, 10, QLatin1Char('0')),
                             f.typeText, DeviceSearch::speedText(f.at.baud),
                             DeviceSearch::parityText(f.at.parity),
                             DeviceSearch::stopText(f.at.stop)};
    for (int c = 0; c < 5; ++c)
        StringGrid1->item(index, c)->setText(cells[c]);
    StringGrid1->item(index, 1)->setToolTip(f.typeText);
}

void TFormApparaatZoeken::stateChanged() {
    const bool idle = search_.state() != SearchState::Searching;
    PanelZoekTekst->setText(search_.statusText());
    CmdOK->setEnabled(search_.canTakeOver());
    CmdVerder->setEnabled(search_.canContinue());
    CmdStartZoeken->setEnabled(search_.canStart());
    CmdStop->setEnabled(search_.canStop());
    ComboBaudRate->setEnabled(idle);
    GroupBoxParity->setEnabled(idle);
    GroupBoxStopBits->setEnabled(idle);
}

void TFormApparaatZoeken::showError(const QString& caption, const QString& text) {
    dialogs_.error(this, caption.isEmpty() ? windowTitle() : caption, text);
}

} // namespace kqm52
