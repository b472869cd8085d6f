#include "params/FormEditParam.h"

#include "params/FormCompareParam.h"

#include "model/engines/ProgramState.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/EditorMenus.h"
#include "ui/WidgetKit.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableWidget>
#include <QTreeWidget>

namespace kqm52 {

namespace {

constexpr std::array<int, EditParamLogic::Columns> ColumnWidths{60, 44, 210, 78, 219};
constexpr int RowHeight = 16;
constexpr int MenuHeight = 22;
constexpr int TreeLeft = 8, TreeWidth = 190;
constexpr int GridLeft = TreeLeft + TreeWidth + 6;
constexpr int GridTop = MenuHeight + 6;
// Header and 18 rows, the frame around them; no scroll bars.
constexpr int GridWidth = 60 + 44 + 210 + 78 + 219 + 2;
constexpr int GridHeight = (EditParamLogic::Rows + 1) * RowHeight + 2;
constexpr int ClearTop = GridTop + GridHeight + 6;
constexpr int StatusHeight = 19;
constexpr int ClientWidth = GridLeft + GridWidth + 8;
constexpr int ClientHeight = ClearTop + 25 + 6 + StatusHeight;
constexpr int NodeRole = Qt::UserRole;

} // namespace

TFormEditParam::TFormEditParam(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs),
      logic_(state, static_cast<EditParamView&>(*this), dialogs, this) {
    setObjectName(QStringLiteral("FormEditParam"));
    setWindowTitle(titleWithModifiedMark(QStringLiteral("Edit param")));
    buildWindow();
    buildMenus();
}

TFormEditParam::~TFormEditParam() = default;

void TFormEditParam::buildWindow() {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(ClientWidth, ClientHeight);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(TreeLeft, GridTop, TreeWidth, GridHeight);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIndentation(14);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] {
        if (!filling_) TreeView1Change();
    });

    StringGrid1 = new QTableWidget(EditParamLogic::Rows, EditParamLogic::Columns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(GridLeft, GridTop, GridWidth, GridHeight);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11);
    StringGrid1->setFont(fixed);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(RowHeight);
    StringGrid1->verticalHeader()->setMinimumSectionSize(RowHeight);
    StringGrid1->horizontalHeader()->setFixedHeight(RowHeight);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setWordWrap(false);
    for (int c = 0; c < EditParamLogic::Columns; ++c) {
        StringGrid1->setColumnWidth(c, ColumnWidths[std::size_t(c)]);
        StringGrid1->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QStringLiteral("tekst %1").arg(c)));
        for (int r = 0; r < EditParamLogic::Rows; ++r) {
            auto* item = new QTableWidgetItem;
            if (c == 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(r, c, item);
        }
    }
    // The rows are drawn to size: all 18 show without a scroll bar.
    for (int r = 0; r < EditParamLogic::Rows; ++r)
        StringGrid1->setRowHeight(r, RowHeight);
    StringGrid1->horizontalHeaderItem(3)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Without the focus no row looks selected.
    QPalette p = StringGrid1->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Base));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Text));
    StringGrid1->setPalette(p);
    StringGrid1->installEventFilter(this);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!filling_) StringGrid1SelectCell(row + 1);
    });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });

    CmdClear = new QPushButton(QStringLiteral("Wissen"), this);
    CmdClear->setObjectName(QStringLiteral("CmdClear"));
    CmdClear->setGeometry(TreeLeft, ClearTop, 75, 25);
    CmdClear->setAutoDefault(false);
    CmdClear->hide();
    connect(CmdClear, &QPushButton::clicked, this, &TFormEditParam::CmdClearClick);

    // The search lies over the tree while it is open.
    PanelZoeken = new QWidget(this);
    PanelZoeken->setObjectName(QStringLiteral("PanelZoeken"));
    PanelZoeken->setGeometry(TreeLeft, GridTop, TreeWidth, GridHeight);
    EditZoeken = new QLineEdit(PanelZoeken);
    EditZoeken->setObjectName(QStringLiteral("EditZoeken"));
    EditZoeken->setGeometry(0, 0, TreeWidth, 22);
    EditZoeken->setClearButtonEnabled(true);
    EditZoeken->installEventFilter(this);
    connect(EditZoeken, &QLineEdit::textChanged, this, &TFormEditParam::EditZoekenChange);
    ListZoeken = new QListWidget(PanelZoeken);
    ListZoeken->setObjectName(QStringLiteral("ListZoeken"));
    ListZoeken->setGeometry(0, 26, TreeWidth, GridHeight - 26 - 20);
    ListZoeken->installEventFilter(this);
    connect(ListZoeken, &QListWidget::itemActivated, this, &TFormEditParam::ZoekenKies);
    LabelZoeken = new QLabel(PanelZoeken);
    LabelZoeken->setObjectName(QStringLiteral("LabelZoeken"));
    LabelZoeken->setGeometry(2, GridHeight - 18, TreeWidth - 4, 16);
    PanelZoeken->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, ClientHeight - StatusHeight, ClientWidth, StatusHeight);
    static constexpr std::array<int, StatusPanelCount> widths{60, 110, 60, 110, 70, 110, 200};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[std::size_t(i)]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        if (i % 2 == 1 && i < 6) panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        StatusBar1->addWidget(panel);
        statusPanels_[std::size_t(i)] = panel;
    }
    statusPanels_[0]->setText(QStringLiteral("min"));
    statusPanels_[2]->setText(QStringLiteral("max"));
    statusPanels_[4]->setText(QStringLiteral("default"));
}

void TFormEditParam::buildMenus() {
    ParamMenu1 = new QMenuBar(this);
    ParamMenu1->setObjectName(QStringLiteral("ParamMenu1"));
    ParamMenu1->setGeometry(0, 0, ClientWidth, MenuHeight);
    auto menu = [this](const char* name, const QString& caption) {
        return namedMenu(ParamMenu1, name, caption);
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption,
                       void (TFormEditParam::*fn)()) {
        return namedItem(m, name, caption, this, fn);
    };
    Bestand = menu("Bestand", QStringLiteral("Bestand"));
    Openen = item(Bestand, "Openen", QStringLiteral("Openen"), &TFormEditParam::OpenenClick);
    Openen->setShortcut(QKeySequence::Open);
    RecenteBestanden = recentFilesMenu(
        Bestand, [this] { return logic_.recentFiles(); },
        [this](const QString& path) { openRecent(path); });
    OpslaanAls = item(Bestand, "OpslaanAls", QStringLiteral("Opslaan als..."),
                      &TFormEditParam::OpslaanAlsClick);
    OpslaanAls->setShortcut(QKeySequence::SaveAs);
    Bestand->addSeparator();
    LaadDefaultparameters = item(Bestand, "LaadDefaultparameters", QStringLiteral("Laad default"),
                                 &TFormEditParam::LaadDefaultparametersClick);
    Bestand->addSeparator();
    Afdrukvoorbeeld = item(Bestand, "Afdrukvoorbeeld", QStringLiteral("Afdrukvoorbeeld..."),
                           &TFormEditParam::AfdrukvoorbeeldClick);
    Afdrukken =
        item(Bestand, "Afdrukken", QStringLiteral("Afdrukken"), &TFormEditParam::AfdrukkenClick);
    Afdrukken->setShortcut(QKeySequence::Print);
    Bestand->addSeparator();
    Afsluiten =
        item(Bestand, "Afsluiten", QStringLiteral("Afsluiten"), &TFormEditParam::AfsluitenClick);

    Bewerken = menu("Bewerken", QStringLiteral("Bewerken"));
    const UndoRedoItems undoRedo = undoRedoItems(Bewerken, *this);
    OngedaanMaken = undoRedo.undo;
    Opnieuw = undoRedo.redo;
    connect(OngedaanMaken, &QAction::triggered, this, &TFormEditParam::OngedaanMakenClick);
    connect(Opnieuw, &QAction::triggered, this, &TFormEditParam::OpnieuwClick);

    ZendenOntvangen = menu("ZendenOntvangen", QStringLiteral("Zenden & ontvangen"));
    ParametersOntvangen =
        item(ZendenOntvangen, "ParametersOntvangen", QStringLiteral("Par ontvangen"),
             &TFormEditParam::ParametersOntvangenClick);
    ParametersZenden = item(ZendenOntvangen, "ParametersZenden", QStringLiteral("Par zenden"),
                            &TFormEditParam::ParametersZendenClick);
    VergelijkMetApparaat =
        item(ZendenOntvangen, "VergelijkMetApparaat", QStringLiteral("Compare with the unit..."),
             &TFormEditParam::VergelijkMetApparaatClick);
    ZendenOntvangen->addSeparator();
    ParametersLadenenovernemen1 = item(ZendenOntvangen, "ParametersLadenenovernemen1",
                                       QStringLiteral("Parameters MX92... Laden en Testen"),
                                       &TFormEditParam::ParametersLadenenovernemen1Click);

    Venster1 = menu("Venster1", QStringLiteral("Venster"));
    Viewnokken1 = item(Venster1, "Viewnokken1", QStringLiteral("Nokken info"),
                       &TFormEditParam::Viewnokken1Click);
    Venster1->addSeparator();
    Zoeken1 = item(Venster1, "Zoeken1", QStringLiteral("Zoeken..."), &TFormEditParam::Zoeken1Click);
    Zoeken1->setShortcut(QKeySequence::Find);
    // The shortcut works wherever the focus is in the window.
    addAction(Zoeken1);
}

QString TFormEditParam::text(TextIn<"EditParam"> key) const {
    return state_.language.text(key.id());
}

void TFormEditParam::applyLanguage() {
    if (!state_.language.LanguageLoaded()) return;
    applyTexts(*this, state_.language, u"EditParam");
    applyTexts(*this, state_.language, u"Bewerken");
    setWindowTitle(titleWithModifiedMark(windowTitle()));
    VergelijkMetApparaat->setText(state_.language.text(TextId{"CompareParam", "MenuItem"}));
    constexpr auto headers = TextSeries<"EditParam", "KolomTekst", EditParamLogic::Columns>::all();
    for (int c = 0; c < EditParamLogic::Columns; ++c)
        StringGrid1->horizontalHeaderItem(c)->setText(state_.language.text(headers[c]));
    EditZoeken->setPlaceholderText(text("ZoekTekst"));
}

void TFormEditParam::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormEditParam::FormActivate() {
    closeSearch();
    applyLanguage();
    logic_.FormActivate();
    fillTree();
    showGrid();
    showStatus();
    updateItems();
    StringGrid1->setFocus();
}

void TFormEditParam::fillTree() {
    filling_ = true;
    TreeView1->clear();
    const auto& nodes = logic_.tree().nodes();
    std::vector<QTreeWidgetItem*> items(nodes.size(), nullptr);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const GroupTree::Node& n = nodes[i];
        QTreeWidgetItem* item = n.parent < 0 ? new QTreeWidgetItem(TreeView1)
                                             : new QTreeWidgetItem(items[std::size_t(n.parent)]);
        item->setText(0, n.caption);
        item->setData(0, NodeRole, int(i));
        items[i] = item;
    }
    if (!items.empty()) {
        items.front()->setExpanded(true);
        TreeView1->setCurrentItem(items.front());
    }
    filling_ = false;
}

void TFormEditParam::updateItems() {
    const EditParamHooks& h = logic_.hooks;
    const bool online = logic_.transferItemsEnabled();
    ParametersOntvangen->setEnabled(online && bool(h.receiveParameters));
    ParametersZenden->setEnabled(online && bool(h.sendParameters));
    VergelijkMetApparaat->setEnabled(online && bool(h.receiveParameters) &&
                                     bool(h.writeParameters));
    ParametersLadenenovernemen1->setEnabled(online && bool(h.loader));
    Afdrukken->setEnabled(bool(h.print));
    Afdrukvoorbeeld->setEnabled(bool(h.printPreview));
    updateRecentFilesMenu(RecenteBestanden, logic_.recentFiles());
    Viewnokken1->setEnabled(bool(h.showCams));
}

void TFormEditParam::showGrid() {
    filling_ = true;
    for (int r = 1; r <= EditParamLogic::Rows; ++r) {
        const EditParamLogic::Row& cells = logic_.row(r);
        for (int c = 0; c < EditParamLogic::Columns; ++c)
            StringGrid1->item(r - 1, c)->setText(cells[std::size_t(c)]);
    }
    filling_ = false;
    CmdClear->setVisible(logic_.clearVisible());
    showModified();
}

void TFormEditParam::showModified() {
    setWindowModified(logic_.modified());
    OngedaanMaken->setEnabled(logic_.canUndo());
    Opnieuw->setEnabled(logic_.canRedo());
}

void TFormEditParam::showStatus() {
    const EditParamLogic::Status& s = logic_.status();
    statusPanels_[1]->setText(s.minimum);
    statusPanels_[3]->setText(s.maximum);
    statusPanels_[5]->setText(s.def);
}

void TFormEditParam::TreeView1Change() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    logic_.selectNode(item ? item->data(0, NodeRole).toInt() : -1);
    showGrid();
}

void TFormEditParam::StringGrid1SelectCell(int row) {
    logic_.StringGrid1SelectCell(row);
    showStatus();
}

void TFormEditParam::StringGrid1DblClick() {
    const int row = StringGrid1->currentRow() + 1;
    logic_.editRow(row);
    showGrid();
    showStatus();
}

void TFormEditParam::StringGrid1Exit() {
    logic_.StringGrid1Exit();
    showStatus();
}

void TFormEditParam::CmdClearClick() {
    logic_.CmdClearClick();
    showGrid();
    showStatus();
}

void TFormEditParam::OpenenClick() {
    logic_.OpenenClick();
    showGrid();
    showStatus();
}

void TFormEditParam::OpslaanAlsClick() {
    logic_.OpslaanAlsClick();
    showModified();
}

void TFormEditParam::LaadDefaultparametersClick() {
    logic_.LaadDefaultparametersClick();
    showGrid();
    showStatus();
}

void TFormEditParam::AfdrukkenClick() {
    logic_.AfdrukkenClick();
}

void TFormEditParam::AfsluitenClick() {
    close();
}

void TFormEditParam::ParametersOntvangenClick() {
    logic_.ParametersOntvangenClick();
    showGrid();
    showStatus();
}

void TFormEditParam::VergelijkMetApparaatClick() {
    logic_.VergelijkMetApparaatClick();
    showGrid();
    showStatus();
}

void TFormEditParam::showComparison(const ParamTables::Parameters& unit) {
    TFormCompareParam compare(state_, dialogs_, this);
    compare.hooks().write = logic_.hooks.writeParameters;
    compare.hooks().tableChanged = [this] {
        logic_.valuesEdited();
        showGrid();
        showStatus();
    };
    compare.run(unit, logic_.tree());
}

void TFormEditParam::ParametersZendenClick() {
    logic_.ParametersZendenClick();
    // A refused value may have been opened: its row shows its value now.
    showGrid();
    showStatus();
}

void TFormEditParam::ParametersLadenenovernemen1Click() {
    logic_.ParametersLadenenovernemen1Click();
    showGrid();
}

void TFormEditParam::Viewnokken1Click() {
    logic_.Viewnokken1Click();
}

void TFormEditParam::AfdrukvoorbeeldClick() {
    logic_.AfdrukvoorbeeldClick();
}

void TFormEditParam::OngedaanMakenClick() {
    logic_.OngedaanMakenClick();
    showGrid();
    showStatus();
}

void TFormEditParam::OpnieuwClick() {
    logic_.OpnieuwClick();
    showGrid();
    showStatus();
}

void TFormEditParam::openRecent(const QString& path) {
    logic_.openRecent(path);
    showGrid();
    showStatus();
}

void TFormEditParam::Zoeken1Click() {
    TreeView1->hide();
    PanelZoeken->show();
    PanelZoeken->raise();
    EditZoeken->setFocus();
    EditZoeken->selectAll();
    EditZoekenChange();
}

void TFormEditParam::EditZoekenChange() {
    hits_ = logic_.find(EditZoeken->text());
    ListZoeken->clear();
    for (const ParameterHit& h : hits_) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  %2").arg(h.parameter, 3, 10, QLatin1Char('0')).arg(h.name),
            ListZoeken);
        item->setToolTip(QStringLiteral("%1  %2").arg(h.position, h.name));
    }
    if (!hits_.empty()) ListZoeken->setCurrentRow(0);
    LabelZoeken->setText(EditZoeken->text().trimmed().isEmpty() || !hits_.empty() ? QString()
                         : state_.language.LanguageLoaded() ? text("ZoekGeenTreffers")
                                                            : QStringLiteral("-"));
}

void TFormEditParam::ZoekenKies() {
    const int i = ListZoeken->currentRow();
    if (i < 0 || i >= int(hits_.size())) return;
    const ParameterHit hit = hits_[std::size_t(i)];
    closeSearch();
    logic_.jumpTo(hit);
    followSelection();
}

void TFormEditParam::followSelection() {
    filling_ = true;
    // The tree follows: the logic's node becomes the current one.
    QTreeWidgetItemIterator it(TreeView1);
    for (; *it; ++it)
        if ((*it)->data(0, NodeRole).toInt() == logic_.selectedNode()) {
            TreeView1->setCurrentItem(*it);
            TreeView1->scrollToItem(*it);
            break;
        }
    filling_ = false;
    showGrid();
    filling_ = true;
    if (logic_.selectedRow() > 0) StringGrid1->setCurrentCell(logic_.selectedRow() - 1, 1);
    filling_ = false;
    StringGrid1->setFocus();
    showStatus();
}

void TFormEditParam::closeSearch() {
    if (!PanelZoeken->isVisible() && TreeView1->isVisible()) return;
    PanelZoeken->hide();
    TreeView1->show();
}

bool TFormEditParam::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == StringGrid1 && enter) {
            StringGrid1DblClick();
            return true;
        }
        if (watched == EditZoeken || watched == ListZoeken) {
            if (key == Qt::Key_Escape) {
                closeSearch();
                StringGrid1->setFocus();
                return true;
            }
            if (watched == EditZoeken && enter) {
                ZoekenKies();
                return true;
            }
            if (watched == EditZoeken && (key == Qt::Key_Down || key == Qt::Key_Up)) {
                const int step = key == Qt::Key_Down ? 1 : -1;
                const int row = std::clamp(ListZoeken->currentRow() + step, 0,
                                           std::max(0, ListZoeken->count() - 1));
                ListZoeken->setCurrentRow(row);
                return true;
            }
        }
    } else if (watched == StringGrid1 && event->type() == QEvent::FocusOut) {
        StringGrid1Exit();
    } else if (watched == StringGrid1 && event->type() == QEvent::FocusIn) {
        if (StringGrid1->currentRow() >= 0) StringGrid1SelectCell(StringGrid1->currentRow() + 1);
    }
    return QDialog::eventFilter(watched, event);
}

void TFormEditParam::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the editor: a slip would lose the place in the tree.
    if (event->key() == Qt::Key_Escape) {
        closeSearch();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormEditParam::done(int result) {
    if (!logic_.FormClose()) return;
    QDialog::done(result);
}

void TFormEditParam::setCaption(const QString& caption) {
    setWindowTitle(titleWithModifiedMark(caption));
}

} // namespace kqm52
