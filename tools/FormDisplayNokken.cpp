#include "tools/FormDisplayNokken.h"

#include "model/engines/ProgramState.h"
#include "model/texts/TextKeys.h"
#include "tools/GraphPainter.h"
#include "ui/ApplyTexts.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kqm52 {

namespace {

constexpr int Columns = cams::CamCount + 1;
constexpr int Rows = cams::OutputCount + 1;

QLabel* panel(QWidget* parent, const char* name, Qt::Alignment align) {
    auto* p = new QLabel(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(align | Qt::AlignVCenter);
    p->setMinimumSize(110, 21);
    p->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return p;
}

// The selected cell keeps its cam colour: a frame marks it, not a fill.
class FramedSelection : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        const bool selected = option.state & QStyle::State_Selected;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (!selected) return;
        painter->save();
        painter->setPen(QPen(Qt::black, 2));
        painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        painter->restore();
    }
};

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TFormDisplayNokken::TFormDisplayNokken(const ProgramState& state, QWidget* parent)
    : QDialog(parent), state_(state), logic_(state) {
    setObjectName(QStringLiteral("FormDisplayNokken"));
    buildWindow();
}

TFormDisplayNokken::~TFormDisplayNokken() = default;

void TFormDisplayNokken::buildWindow() {
    setWindowTitle(QStringLiteral("Display nokken"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint |
                   Qt::WindowTitleHint);

    StringGrid1 = new QTableWidget(Rows, Columns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The style's minimum section size would widen the 18-pixel columns
    // until the grid no longer fits its window.
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->setColumnWidth(0, 74);
    for (int c = 1; c < Columns; ++c)
        StringGrid1->setColumnWidth(c, 18);
    for (int r = 0; r < Rows; ++r)
        StringGrid1->setRowHeight(r, 18);
    StringGrid1->setFixedSize(74 + 18 * cams::CamCount + 2 * StringGrid1->frameWidth() + 1,
                              18 * Rows + 2 * StringGrid1->frameWidth() + 1);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                // The headers are fixed: they cannot be selected.
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(graph::buttonFace());
                item->setTextAlignment(c == 0 ? Qt::AlignRight | Qt::AlignVCenter
                                              : Qt::AlignCenter);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            StringGrid1->setItem(r, c, item);
        }
    QFont small = StringGrid1->font();
    small.setPixelSize(10);
    StringGrid1->setFont(small);
    // Two-digit cam numbers fill an 18-pixel column; eliding would hide them.
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setItemDelegate(new FramedSelection(StringGrid1));
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { StringGrid1SelectCell(column, row); });

    LabelNokNummer = label(this, "LabelNokNummer", QStringLiteral("Nok"));
    QFont bold = LabelNokNummer->font();
    bold.setBold(true);
    LabelNokNummer->setFont(bold);
    LabelFunctie = label(this, "LabelFunctie", QStringLiteral("Functie"));
    LabelBron = label(this, "LabelBron", QStringLiteral("Bron"));
    LabelAanvang = label(this, "LabelAanvang", QStringLiteral("Aanvang"));
    LabelEinde = label(this, "LabelEinde", QStringLiteral("Einde"));
    LabelHysteresis = label(this, "LabelHysteresis", QStringLiteral("Hysteresis"));
    LabelVervroeging = label(this, "LabelVervroeging", QStringLiteral("Vervroeging"));
    const Qt::Alignment right = Qt::AlignRight;
    PanelNokNummer = panel(this, "PanelNokNummer", right);
    PanelNokNummer->setFont(bold);
    PanelFunctie = panel(this, "PanelFunctie", right);
    PanelBron = panel(this, "PanelBron", right);
    PanelAanvang = panel(this, "PanelAanvang", right);
    PanelSelectAanvang = panel(this, "PanelSelectAanvang", Qt::AlignLeft);
    PanelEinde = panel(this, "PanelEinde", right);
    PanelSelectEinde = panel(this, "PanelSelectEinde", Qt::AlignLeft);
    PanelHysteresis = panel(this, "PanelHysteresis", right);
    PanelVervroeging = panel(this, "PanelVervroeging", right);

    auto* fields = new QGridLayout;
    int row = 0;
    auto add = [&](QLabel* l, QLabel* p, QLabel* beside = nullptr) {
        fields->addWidget(l, row, 0);
        fields->addWidget(p, row, 1);
        if (beside) fields->addWidget(beside, row, 2);
        ++row;
    };
    add(LabelNokNummer, PanelNokNummer);
    add(LabelFunctie, PanelFunctie);
    add(LabelBron, PanelBron);
    add(LabelAanvang, PanelAanvang, PanelSelectAanvang);
    add(LabelEinde, PanelEinde, PanelSelectEinde);
    add(LabelHysteresis, PanelHysteresis);
    add(LabelVervroeging, PanelVervroeging);
    fields->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    layout->addLayout(fields);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormDisplayNokken::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormDisplayNokken::FormActivate() {
    applyTexts(*this, state_.language, u"DisplayNokken");
    const QString prefix =
        state_.language.LanguageLoaded()
            ? state_.language.text(TextId{"DisplayNokken", "RijTekst"}) + QLatin1Char('-')
            : QString();
    for (int m = 1; m < Rows; ++m)
        StringGrid1->item(m, 0)->setText(prefix + QString::number(m));
    for (int n = 1; n < Columns; ++n)
        StringGrid1->item(0, n)->setText(QString::number(n));
    StringGrid1DrawCell();
    if (StringGrid1->currentRow() < 1 || StringGrid1->currentColumn() < 1)
        StringGrid1->setCurrentCell(1, 1); // selects, and the selection fills the panels
    UpdateOnSelectedCell(StringGrid1->currentColumn(), StringGrid1->currentRow());
}

void TFormDisplayNokken::StringGrid1SelectCell(int column, int row) {
    UpdateOnSelectedCell(column, row);
}

void TFormDisplayNokken::StringGrid1DrawCell() {
    for (int m = 1; m < Rows; ++m)
        for (int n = 1; n < Columns; ++n) {
            const auto colour = logic_.cellColour(n, m);
            StringGrid1->item(m, n)->setBackground(colour ? QBrush(*colour) : QBrush());
        }
}

void TFormDisplayNokken::UpdateOnSelectedCell(int column, int row) {
    const CamPanels p = logic_.UpdateOnSelectedCell(column, row);
    PanelNokNummer->setText(p.NokNummer);
    PanelFunctie->setText(p.Functie);
    PanelBron->setText(p.Bron);
    PanelAanvang->setText(p.Aanvang);
    PanelSelectAanvang->setText(p.SelectAanvang);
    PanelEinde->setText(p.Einde);
    PanelSelectEinde->setText(p.SelectEinde);
    PanelHysteresis->setText(p.Hysteresis);
    PanelVervroeging->setText(p.Vervroeging);
}

} // namespace kqm52
