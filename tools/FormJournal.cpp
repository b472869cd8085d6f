#include "tools/FormJournal.h"

#include "model/engines/ProgramState.h"
#include "model/journal/ServiceJournal.h"
#include "ui/ApplyTexts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValidator>

namespace kqm52 {

namespace {

// The first day a date filter offers; at it, the filter is open.
const QDate NoDate(2000, 1, 1);

constexpr auto ActionTexts = TextSeries<"Journal", "Action", journal::ActionCount>::all();

// A number field: digits only (a minus sign is refused as typed), a number
// past the range becomes the highest there is.
class NumberValidator : public QValidator {
  public:
    NumberValidator(std::function<int()> maximum, QObject* parent)
        : QValidator(parent), maximum_(std::move(maximum)) {}
    State validate(QString& input, int& pos) const override {
        const std::optional<QString> taken = JournalLogic::numberEntry(input, maximum_());
        if (!taken) return Invalid;
        if (*taken != input.trimmed()) {
            input = *taken;
            pos = int(input.size());
        }
        return Acceptable;
    }

  private:
    std::function<int()> maximum_;
};

QDateEdit* dateEdit(QWidget* parent, const char* name) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setMinimumDate(NoDate);
    edit->setDate(NoDate);
    return edit;
}

} // namespace

TFormJournal::TFormJournal(const ProgramState& state, Dialogs& dialogs, QString path,
                           QWidget* parent)
    : QDialog(parent), state_(state), logic_(state, dialogs, this), path_(std::move(path)) {
    setObjectName(QStringLiteral("FormJournal"));
    buildWindow();
    applyLanguage();
}

TFormJournal::~TFormJournal() {
    // The list's model is a member, gone before the widgets are.
    GridJournal->setModel(nullptr);
}

void TFormJournal::buildWindow() {
    resize(1180, 720);
    setSizeGripEnabled(true);
    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto button = [this](const char* name) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };

    LabelSerial = label("LabelSerial");
    EditSerial = new QLineEdit(this);
    EditSerial->setObjectName(QStringLiteral("EditSerial"));
    EditSerial->setMaxLength(40);
    LabelUnit = label("LabelUnit");
    EditUnit = new QLineEdit(this);
    EditUnit->setObjectName(QStringLiteral("EditUnit"));
    EditUnit->setMaxLength(2);
    EditUnit->setValidator(new NumberValidator([] { return JournalLogic::MaxUnit; }, EditUnit));
    EditUnit->setFixedWidth(40);
    LabelPort = label("LabelPort");
    ComboPort = new QComboBox(this);
    ComboPort->setObjectName(QStringLiteral("ComboPort"));
    ComboPort->setEditable(true);
    ComboPort->setInsertPolicy(QComboBox::NoInsert);
    ComboPort->setMinimumContentsLength(16);
    LabelFrom = label("LabelFrom");
    DateFrom = dateEdit(this, "DateFrom");
    LabelTo = label("LabelTo");
    DateTo = dateEdit(this, "DateTo");
    LabelAction = label("LabelAction");
    ComboAction = new QComboBox(this);
    ComboAction->setObjectName(QStringLiteral("ComboAction"));
    LabelItem = label("LabelItem");
    ComboItemKind = new QComboBox(this);
    ComboItemKind->setObjectName(QStringLiteral("ComboItemKind"));
    EditItemNumber = new QLineEdit(this);
    EditItemNumber->setObjectName(QStringLiteral("EditItemNumber"));
    EditItemNumber->setMaxLength(3);
    EditItemNumber->setFixedWidth(48);
    EditItemNumber->setValidator(new NumberValidator(
        [this] {
            return ComboItemKind->currentIndex() == 1 ? JournalLogic::MaxSetpoint
                                                      : JournalLogic::MaxParameter;
        },
        EditItemNumber));
    // A setpoint number past 48 typed as a parameter comes down with the kind.
    connect(ComboItemKind, &QComboBox::currentIndexChanged, this, [this] {
        QString t = EditItemNumber->text();
        int pos = 0;
        EditItemNumber->validator()->validate(t, pos);
        EditItemNumber->setText(t);
    });
    CmdApply = button("CmdApply");
    // Enter in any filter field applies the filters.
    CmdApply->setDefault(true);
    CmdClear = button("CmdClear");
    connect(CmdApply, &QPushButton::clicked, this, &TFormJournal::CmdApplyClick);
    connect(CmdClear, &QPushButton::clicked, this, &TFormJournal::CmdClearClick);

    auto* filters = new QGridLayout;
    int c = 0;
    for (auto [l, w] :
         std::initializer_list<std::pair<QLabel*, QWidget*>>{{LabelSerial, EditSerial},
                                                             {LabelUnit, EditUnit},
                                                             {LabelPort, ComboPort},
                                                             {LabelFrom, DateFrom},
                                                             {LabelTo, DateTo},
                                                             {LabelAction, ComboAction}}) {
        l->setBuddy(w);
        filters->addWidget(l, 0, c);
        filters->addWidget(w, 1, c++);
    }
    LabelItem->setBuddy(ComboItemKind);
    filters->addWidget(LabelItem, 0, c, 1, 2);
    filters->addWidget(ComboItemKind, 1, c++);
    filters->addWidget(EditItemNumber, 1, c++);
    filters->addWidget(CmdApply, 1, c++);
    filters->addWidget(CmdClear, 1, c++);
    filters->setColumnStretch(0, 1);
    filters->setColumnStretch(2, 2);

    GridJournal = new QTableView(this);
    GridJournal->setObjectName(QStringLiteral("GridJournal"));
    GridJournal->setModel(&logic_.model());
    GridJournal->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridJournal->setSelectionMode(QAbstractItemView::SingleSelection);
    GridJournal->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridJournal->setAlternatingRowColors(true);
    GridJournal->setWordWrap(false);
    GridJournal->verticalHeader()->hide();
    GridJournal->verticalHeader()->setDefaultSectionSize(GridJournal->fontMetrics().height() + 6);
    GridJournal->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {140, 80, 90, 150, 40, 55, 80, 190, 130, 110, 50};
    for (int i = 0; i < JournalListModel::Columns; ++i)
        GridJournal->setColumnWidth(i, widths[i]);
    connect(GridJournal->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showDetail(); });
    connect(&logic_.model(), &QAbstractItemModel::modelReset, this, [this] {
        if (logic_.model().rowCount() > 0) GridJournal->selectRow(0);
        showDetail();
    });

    auto* detail = new QWidget(this);
    auto* fieldsBox = new QWidget(detail);
    detailFields_ = new QFormLayout(fieldsBox);
    detailFields_->setContentsMargins(0, 0, 0, 0);
    detailFields_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (int i = 0; i < 11; ++i) {
        auto* value = new QLabel(fieldsBox);
        value->setObjectName(QStringLiteral("LabelField%1").arg(i));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        detailFields_->addRow(new QLabel(fieldsBox), value);
    }
    fieldsBox->setMinimumWidth(380);
    fieldsBox->setMaximumWidth(460);
    GridItems = new QTableWidget(0, JournalLogic::ItemColumns, detail);
    GridItems->setObjectName(QStringLiteral("GridItems"));
    GridItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridItems->setWordWrap(false);
    GridItems->verticalHeader()->hide();
    GridItems->verticalHeader()->setDefaultSectionSize(GridJournal->fontMetrics().height() + 6);
    GridItems->horizontalHeader()->setStretchLastSection(true);
    const int itemWidths[] = {70, 200, 120, 120, 100};
    for (int i = 0; i < JournalLogic::ItemColumns; ++i)
        GridItems->setColumnWidth(i, itemWidths[i]);
    auto* detailLayout = new QHBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->addWidget(fieldsBox, 0, Qt::AlignTop);
    detailLayout->addWidget(GridItems, 1);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(GridJournal);
    split->addWidget(detail);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    LabelStatus = label("LabelStatus");
    LabelPutBack = label("LabelPutBack");
    LabelPutBack->setWordWrap(true);
    CmdExport = button("CmdExport");
    CmdPutBack = button("CmdPutBack");
    CmdClose = button("CmdClose");
    connect(CmdExport, &QPushButton::clicked, this, &TFormJournal::CmdExportClick);
    connect(CmdPutBack, &QPushButton::clicked, this, &TFormJournal::CmdPutBackClick);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CmdExport);
    buttons->addWidget(CmdPutBack);
    buttons->addWidget(LabelPutBack, 1);
    buttons->addWidget(CmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(split, 1);
    layout->addWidget(LabelStatus);
    layout->addLayout(buttons);

    // Through the filters in the order they stand, then the list.
    QWidget* order[] = {EditSerial,  EditUnit,      ComboPort,      DateFrom,   DateTo,
                        ComboAction, ComboItemKind, EditItemNumber, CmdApply,   CmdClear,
                        GridJournal, GridItems,     CmdExport,      CmdPutBack, CmdClose};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TFormJournal::applyLanguage() {
    const LanguageTexts& l = state_.language;
    applyTexts(*this, l, u"Journal");
    setWindowTitle(logic_.text("Caption"));
    const QString all = logic_.text("AllActions");
    DateFrom->setSpecialValueText(all);
    DateTo->setSpecialValueText(all);
    const int action = ComboAction->currentIndex();
    ComboAction->clear();
    ComboAction->addItem(all);
    for (const TextId& t : ActionTexts)
        ComboAction->addItem(l.text(t));
    ComboAction->setCurrentIndex(std::max(action, 0));
    const int kind = ComboItemKind->currentIndex();
    ComboItemKind->clear();
    ComboItemKind->addItems({logic_.text("ItemParameter"), logic_.text("ItemSetpoint")});
    ComboItemKind->setCurrentIndex(std::max(kind, 0));
    QStringList headers;
    for (int c = 0; c < JournalLogic::ItemColumns; ++c)
        headers << logic_.itemHeader(c);
    GridItems->setHorizontalHeaderLabels(headers);
    logic_.model().retranslate();
}

void TFormJournal::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TFormJournal::FormActivate() {
    applyLanguage();
    if (hooks_.flush) hooks_.flush();
    // The list stays empty when the journal is refused; the message says why.
    logic_.open(path_);
    fillPorts();
    logic_.apply(filterInput());
    showStatus();
    EditSerial->setFocus();
}

void TFormJournal::fillPorts() {
    const QString typed = ComboPort->currentText();
    ComboPort->clear();
    ComboPort->addItem(QString());
    if (const JournalStore* store = logic_.store()) ComboPort->addItems(store->ports());
    ComboPort->setCurrentText(typed);
}

JournalFilterInput TFormJournal::filterInput() const {
    JournalFilterInput in;
    in.serial = EditSerial->text();
    in.unit = EditUnit->text();
    in.port = ComboPort->currentText();
    if (DateFrom->date() != NoDate) in.from = DateFrom->date();
    if (DateTo->date() != NoDate) in.to = DateTo->date();
    in.action = ComboAction->currentIndex() - 1;
    in.itemKind = ComboItemKind->currentIndex() == 1 ? QLatin1Char('S') : QLatin1Char('P');
    in.itemNumber = EditItemNumber->text();
    return in;
}

void TFormJournal::CmdApplyClick() {
    logic_.apply(filterInput());
    showStatus();
}

void TFormJournal::CmdClearClick() {
    EditSerial->clear();
    EditUnit->clear();
    ComboPort->setCurrentText(QString());
    DateFrom->setDate(NoDate);
    DateTo->setDate(NoDate);
    ComboAction->setCurrentIndex(0);
    ComboItemKind->setCurrentIndex(0);
    EditItemNumber->clear();
    CmdApplyClick();
    EditSerial->setFocus();
}

void TFormJournal::showStatus() {
    LabelStatus->setText(logic_.statusText());
    CmdExport->setEnabled(logic_.store() != nullptr);
}

void TFormJournal::showDetail() {
    const JournalEntry* e = logic_.model().entryAt(GridJournal->currentIndex().row());
    const JournalStore* store = logic_.store();
    items_ = e && store ? store->items(e->id) : std::vector<JournalItem>{};
    const auto fields = e ? logic_.detailFields(*e) : logic_.detailFields(JournalEntry{});
    for (int i = 0; i < detailFields_->rowCount() && i < int(fields.size()); ++i) {
        auto* name =
            static_cast<QLabel*>(detailFields_->itemAt(i, QFormLayout::LabelRole)->widget());
        auto* value =
            static_cast<QLabel*>(detailFields_->itemAt(i, QFormLayout::FieldRole)->widget());
        name->setText(fields[std::size_t(i)].first);
        value->setText(e ? fields[std::size_t(i)].second : QString());
    }
    GridItems->setRowCount(int(items_.size()));
    for (int r = 0; r < int(items_.size()); ++r) {
        const JournalLogic::ItemRow row = logic_.itemRow(items_[std::size_t(r)], items_);
        for (int c = 0; c < JournalLogic::ItemColumns; ++c) {
            auto* cell = new QTableWidgetItem(row[std::size_t(c)]);
            if (c == 2 || c == 3) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GridItems->setItem(r, c, cell);
        }
    }
    // Option texts run long ("0 (Niederländisch)"): the values get the room
    // they need, the name no more than its share.
    for (int c = 0; c < JournalLogic::ItemColumns - 1; ++c)
        GridItems->resizeColumnToContents(c);
    GridItems->setColumnWidth(1, std::min(GridItems->columnWidth(1), 260));
    putBack_ =
        logic_.putBack(e, items_, hooks_.portOpen && hooks_.portOpen() && bool(hooks_.putBack));
    CmdPutBack->setEnabled(putBack_.enabled);
    LabelPutBack->setText(putBack_.reason);
}

void TFormJournal::CmdExportClick() {
    if (!CmdExport->isEnabled()) return;
    logic_.exportCsv();
}

void TFormJournal::CmdPutBackClick() {
    showDetail(); // the port may have closed meanwhile
    if (!putBack_.enabled || !hooks_.putBack) return;
    hooks_.putBack(putBack_.values);
    // What it wrote is a new entry at the top.
    FormActivate();
}

} // namespace kqm52
