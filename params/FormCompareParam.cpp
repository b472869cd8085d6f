#include "params/FormCompareParam.h"

#include "model/engines/ProgramState.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kqm52 {

namespace {

constexpr auto Headers = TextSeries<"CompareParam", "Kolom", CompareParamLogic::Columns>::all();

} // namespace

TFormCompareParam::TFormCompareParam(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), state_(state), logic_(state, dialogs, this) {
    setObjectName(QStringLiteral("FormCompareParam"));
    resize(980, 420);

    LabelSummary = new QLabel(this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    GridVerschillen = new QTableWidget(0, CompareParamLogic::Columns, this);
    GridVerschillen->setObjectName(QStringLiteral("GridVerschillen"));
    GridVerschillen->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridVerschillen->setSelectionMode(QAbstractItemView::SingleSelection);
    GridVerschillen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridVerschillen->verticalHeader()->hide();
    GridVerschillen->horizontalHeader()->setStretchLastSection(true);
    GridVerschillen->installEventFilter(this);
    LabelRequests = new QLabel(this);
    LabelRequests->setObjectName(QStringLiteral("LabelRequests"));
    LabelRequests->setWordWrap(true);

    CmdWrite = new QPushButton(this);
    CmdWrite->setObjectName(QStringLiteral("CmdWrite"));
    CmdTake = new QPushButton(this);
    CmdTake->setObjectName(QStringLiteral("CmdTake"));
    CmdTake->setAutoDefault(false);
    CmdClose = new QPushButton(this);
    CmdClose->setObjectName(QStringLiteral("CmdClose"));
    CmdClose->setAutoDefault(false);
    // Enter writes what the line above the buttons counts.
    CmdWrite->setDefault(true);
    connect(CmdWrite, &QPushButton::clicked, this, &TFormCompareParam::CmdWriteClick);
    connect(CmdTake, &QPushButton::clicked, this, &TFormCompareParam::CmdTakeClick);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(GridVerschillen, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() != 0) return;
        logic_.setTicked(item->row(), item->checkState() == Qt::Checked);
        showRows();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdWrite);
    buttons->addWidget(CmdTake);
    buttons->addStretch();
    buttons->addWidget(CmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelSummary);
    layout->addWidget(GridVerschillen);
    layout->addWidget(LabelRequests);
    layout->addLayout(buttons);
    applyLanguage();
}

void TFormCompareParam::applyLanguage() {
    const LanguageTexts& l = state_.language;
    setWindowTitle(l.text(TextId{"CompareParam", "Caption"}));
    QStringList headers;
    for (const TextId& h : Headers)
        headers << l.text(h);
    GridVerschillen->setHorizontalHeaderLabels(headers);
    CmdWrite->setText(l.text(TextId{"CompareParam", "CmdWrite"}));
    CmdTake->setText(l.text(TextId{"CompareParam", "CmdTake"}));
    CmdClose->setText(l.text(TextId{"CompareParam", "CmdClose"}));
}

void TFormCompareParam::setUnitValues(const ParamTables::Parameters& unit, const GroupTree& tree) {
    applyLanguage();
    CmdTake->setVisible(true);
    logic_.compare(unit, tree);
    fillGrid();
}

void TFormCompareParam::setUnitValues(const ParamTables::Parameters& unit,
                                      const CompareWanted& wanted, const GroupTree& tree) {
    applyLanguage();
    setWindowTitle(wanted.caption);
    GridVerschillen->horizontalHeaderItem(4)->setText(wanted.valueHeader);
    GridVerschillen->horizontalHeaderItem(6)->setText(wanted.optionHeader);
    CmdTake->setVisible(false);
    logic_.compare(unit, wanted, tree);
    fillGrid();
}

int TFormCompareParam::run(const ParamTables::Parameters& unit, const CompareWanted& wanted,
                           const GroupTree& tree) {
    setUnitValues(unit, wanted, tree);
    return exec();
}

void TFormCompareParam::fillGrid() {
    filling_ = true;
    GridVerschillen->setRowCount(int(logic_.rows().size()));
    for (int r = 0; r < GridVerschillen->rowCount(); ++r)
        for (int c = 0; c < CompareParamLogic::Columns; ++c) {
            auto* item = new QTableWidgetItem;
            if (c == 3 || c == 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GridVerschillen->setItem(r, c, item);
        }
    filling_ = false;
    showRows();
    GridVerschillen->resizeColumnsToContents();
    if (GridVerschillen->rowCount() > 0) GridVerschillen->setCurrentCell(0, 0);
    GridVerschillen->setFocus();
}

int TFormCompareParam::run(const ParamTables::Parameters& unit, const GroupTree& tree) {
    setUnitValues(unit, tree);
    return exec();
}

void TFormCompareParam::showRows() {
    filling_ = true;
    for (int r = 0; r < GridVerschillen->rowCount(); ++r) {
        const auto cells = logic_.cells(r);
        const CompareRow& row = logic_.rows()[std::size_t(r)];
        for (int c = 0; c < CompareParamLogic::Columns; ++c)
            GridVerschillen->item(r, c)->setText(cells[std::size_t(c)]);
        QTableWidgetItem* tick = GridVerschillen->item(r, 0);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!row.settled()) flags |= Qt::ItemIsUserCheckable;
        tick->setFlags(flags);
        tick->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
    showCounts();
}

void TFormCompareParam::showCounts() {
    LabelSummary->setText(logic_.summaryText());
    LabelRequests->setText(logic_.requestText());
    CmdWrite->setEnabled(logic_.canAct() && bool(logic_.hooks.write));
    CmdTake->setEnabled(logic_.canTake());
}

void TFormCompareParam::CmdWriteClick() {
    if (!CmdWrite->isEnabled()) return;
    logic_.CmdWriteClick();
    showRows();
}

void TFormCompareParam::CmdTakeClick() {
    if (!CmdTake->isEnabled()) return;
    logic_.CmdTakeClick();
    showRows();
}

bool TFormCompareParam::eventFilter(QObject* watched, QEvent* event) {
    // Space ticks the current row whichever cell of it has the focus.
    if (watched == GridVerschillen && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const int r = GridVerschillen->currentRow();
        if (r >= 0) {
            logic_.toggle(r);
            showRows();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kqm52
