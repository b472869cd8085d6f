#include "setpoints/FormEditSollwerten.h"

#include "model/engines/ProgramState.h"
#include "print/PrintHeaderForm.h"
#include "print/PrintPage.h"
#include "ui/ApplyTexts.h"
#include "ui/Dialogs.h"
#include "ui/EditorMenus.h"
#include "ui/WidgetKit.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kqm52 {

namespace {

const QString Section = QStringLiteral("EditSollwert");
constexpr int ColumnWidths[SetpointEditor::Columns] = {30, 105, 37, 31, 104};
constexpr int RowHeight = 16;

int gridRow(const QModelIndex& index) {
    return index.row() + 1; // the header row is the grid's row 0
}

} // namespace

// The in-place editor of a value cell: its keys go through the window's
// key handling, only Enter stores what was typed, and a focus change does
// not end the edit (the typed text would be lost).
class SetpointCellDelegate final : public QStyledItemDelegate {
  public:
    explicit SetpointCellDelegate(TFormEditSollwerten& form)
        : QStyledItemDelegate(form.StringGrid1), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("InplaceEdit"));
        editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        editor->setFrame(false);
        editor->setFont(form_.StringGrid1->font());
        form_.oldCellText_ = index.data().toString();
        current_ = editor;
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        line->setText(index.data().toString());
        line->selectAll();
    }
    // Only Enter stores a value, through the window.
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QTableWidget* grid = form_.StringGrid1;
        const bool focused = grid->hasFocus() || (current_ && current_->hasFocus());
        const bool selected = index == grid->currentIndex();
        const auto look =
            SetpointEditor::drawCell(index.column(), gridRow(index), selected, focused);
        const QPalette& palette = grid->palette();
        QColor background = palette.color(QPalette::Base);
        if (look.background == SetpointEditor::Background::Highlight)
            background = palette.color(QPalette::Highlight);
        else if (look.background == SetpointEditor::Background::NumberColumn)
            background = QColor(255, 255, 151);
        else if (look.background == SetpointEditor::Background::ButtonFace)
            background = palette.color(QPalette::Button);
        painter->fillRect(option.rect, background);
        painter->setPen(look.whiteText ? QColor(Qt::white) : palette.color(QPalette::Text));
        painter->setFont(grid->font());
        painter->drawText(option.rect.adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop,
                          index.data().toString());
    }

    // Ends the edit; the grid keeps the keyboard, as it had it before.
    void finish(QLineEdit* editor) {
        if (current_ == editor) current_ = nullptr;
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        form_.StringGrid1->setFocus();
    }
    QLineEdit* current() const { return current_; }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (!editor) return false;
        if (event->type() == QEvent::ShortcutOverride) {
            // Nothing typed in the cell to take back: the keys take back the
            // last entry (the window's undo), not the cell's own nothing.
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->matches(QKeySequence::Undo) && !editor->isUndoAvailable()) ||
                (key->matches(QKeySequence::Redo) && !editor->isRedoAvailable()))
                return true;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            return form_.StringGrid1KeyDown(key->key(), key->text(), editor);
        }
        // The edit ends with Enter or Escape only.
        return event->type() == QEvent::FocusOut;
    }

  private:
    TFormEditSollwerten& form_;
    mutable QPointer<QLineEdit> current_;
};

// The grid: a click cannot leave a cell that is being edited, and keys
// reach the window's key handling first.
class SetpointGrid final : public QTableWidget {
  public:
    SetpointGrid(TFormEditSollwerten& form, QWidget* parent)
        : QTableWidget(SetpointEditor::Rows, SetpointEditor::Columns, parent), form_(form) {}

  protected:
    // Tab is the grid's own key, not a way to the next control: it would
    // otherwise reach the view's typing trigger and open a cell that never
    // gets the keyboard.
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool back = key->key() == Qt::Key_Backtab ||
                              (key->key() == Qt::Key_Tab && key->modifiers() & Qt::ShiftModifier);
            if (back || key->key() == Qt::Key_Tab) {
                form_.StringGrid1KeyDown(back ? Qt::Key_Backtab : Qt::Key_Tab, QString(), nullptr);
                return true;
            }
        }
        return QTableWidget::event(event);
    }
    // A cell opens for a typed character only; a control key that got this
    // far opens nothing.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (trigger == AnyKeyPressed) {
            const auto* key = event && event->type() == QEvent::KeyPress
                                  ? static_cast<const QKeyEvent*>(event)
                                  : nullptr;
            if (!key || key->text().isEmpty() || !key->text().at(0).isPrint()) return false;
        }
        return QTableWidget::edit(index, trigger, event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (state() == EditingState) return;
        QTableWidget::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!form_.StringGrid1KeyDown(event->key(), event->text(), nullptr))
            QTableWidget::keyPressEvent(event);
    }
    // The number columns are tinted only while the grid has the focus.
    void focusInEvent(QFocusEvent* event) override {
        QTableWidget::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTableWidget::focusOutEvent(event);
        viewport()->update();
    }

  private:
    TFormEditSollwerten& form_;
};

TFormEditSollwerten::TFormEditSollwerten(ProgramState& state, const TZRComm& port, Dialogs& dialogs,
                                         QWidget* parent)
    : QDialog(parent), state_(state), port_(port), logic_(state, port, *this, dialogs, this) {
    setObjectName(QStringLiteral("FormEditSollwerten"));
    buildWindow();
}

TFormEditSollwerten::~TFormEditSollwerten() = default;

void TFormEditSollwerten::buildWindow() {
    setWindowTitle(titleWithModifiedMark(QStringLiteral("Edit Sollw")));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont windowFont = font();
    windowFont.setPixelSize(11);
    setFont(windowFont);

    auto* client = new QWidget(this);
    client->setFixedSize(331, 481);

    auto* grid = new SetpointGrid(*this, client);
    StringGrid1 = grid;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(8, 8, 315, 428);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->horizontalHeader()->setFixedHeight(RowHeight + 1);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(RowHeight);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                 QAbstractItemView::DoubleClicked);
    StringGrid1->setTabKeyNavigation(false);
    QFont gridFont(printFontFamily());
    gridFont.setStyleHint(QFont::TypeWriter);
    gridFont.setPixelSize(15);
    StringGrid1->setFont(gridFont);
    for (int c = 0; c < SetpointEditor::Columns; ++c) {
        StringGrid1->setColumnWidth(c, ColumnWidths[c]);
        StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem);
        for (int r = 0; r < SetpointEditor::Rows; ++r) {
            auto* item = new QTableWidgetItem;
            // Only the value columns can be selected; the keyboard skips the others.
            item->setFlags(SetpointEditor::selectable(c)
                               ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                               : Qt::NoItemFlags);
            StringGrid1->setItem(r, c, item);
        }
    }
    StringGrid1->setItemDelegate(new SetpointCellDelegate(*this));

    Panel1 = new FittedLabel(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 448, 313, 25);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    QFont panelFont = Panel1->font();
    panelFont.setPixelSize(13);
    panelFont.setBold(true);
    Panel1->setFont(panelFont);
    QPalette red = Panel1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Panel1->setPalette(red);

    SollMenu1 = new QMenuBar(this);
    SollMenu1->setObjectName(QStringLiteral("SollMenu1"));
    buildMenus(SollMenu1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(SollMenu1);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormEditSollwerten::buildMenus(QMenuBar* bar) {
    auto menu = [bar](const char* name, const QString& caption) {
        return namedMenu(bar, name, caption);
    };
    auto item = [this](QMenu* m, const char* name, const QString& caption,
                       void (TFormEditSollwerten::*fn)()) {
        return namedItem(m, name, caption, this, fn);
    };
    Bestand1 = menu("Bestand1", QStringLiteral("Bestand"));
    Openen1 =
        item(Bestand1, "Openen1", QStringLiteral("Openen"), &TFormEditSollwerten::Openen1Click);
    Openen1->setShortcut(QKeySequence::Open);
    RecenteBestanden = recentFilesMenu(
        Bestand1, [this] { return logic_.recentFiles(); },
        [this](const QString& path) { openRecent(path); });
    Opslaanals1 = item(Bestand1, "Opslaanals1", QStringLiteral("Opslaan als"),
                       &TFormEditSollwerten::Opslaanals1Click);
    Opslaanals1->setShortcut(QKeySequence::Save);
    Bestand1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Afdrukvoorbeeld = item(Bestand1, "Afdrukvoorbeeld", QStringLiteral("Afdrukvoorbeeld..."),
                           &TFormEditSollwerten::AfdrukvoorbeeldClick);
    Afdrukken = item(Bestand1, "Afdrukken", QStringLiteral("Afdrukken"),
                     &TFormEditSollwerten::AfdrukkenClick);
    Afdrukken->setShortcut(QKeySequence::Print);
    Bestand1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Afsluiten1 = item(Bestand1, "Afsluiten1", QStringLiteral("Afsluiten"),
                      &TFormEditSollwerten::Afsluiten1Click);
    Bewerken = menu("Bewerken", QStringLiteral("Bewerken"));
    const UndoRedoItems undoRedo = undoRedoItems(Bewerken, *this);
    OngedaanMaken = undoRedo.undo;
    Opnieuw = undoRedo.redo;
    connect(OngedaanMaken, &QAction::triggered, this, &TFormEditSollwerten::OngedaanMakenClick);
    connect(Opnieuw, &QAction::triggered, this, &TFormEditSollwerten::OpnieuwClick);
    ZendenOntvangen1 = menu("ZendenOntvangen1", QStringLiteral("Zenden && Ontvangen"));
    Sollwertenontvangen1 =
        item(ZendenOntvangen1, "Sollwertenontvangen1", QStringLiteral("Sollwerten ontvangen"),
             &TFormEditSollwerten::Sollwertenontvangen1Click);
    Sollwertenzenden1 =
        item(ZendenOntvangen1, "Sollwertenzenden1", QStringLiteral("Sollwerten zenden"),
             &TFormEditSollwerten::Sollwertenzenden1Click);
    updateTransferItems();
}

void TFormEditSollwerten::setTransfers(ReceiveFn receive, SendFn send) {
    receive_ = std::move(receive);
    send_ = std::move(send);
    updateTransferItems();
}

void TFormEditSollwerten::updateTransferItems() {
    const bool open = logic_.transfersEnabled();
    Sollwertenontvangen1->setEnabled(open && receive_);
    Sollwertenzenden1->setEnabled(open && send_);
    Afdrukken->setEnabled(printWindow_);
    Afdrukvoorbeeld->setEnabled(qobject_cast<PrintHeaderForm*>(printWindow_.data()));
    updateRecentFilesMenu(RecenteBestanden, logic_.recentFiles());
}

void TFormEditSollwerten::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TFormEditSollwerten::FormActivate() {
    applyTexts(*this, state_.language, Section);
    applyTexts(*this, state_.language, u"Bewerken");
    setWindowTitle(titleWithModifiedMark(windowTitle()));
    logic_.activate();
    for (int c = 0; c < SetpointEditor::Columns; ++c)
        StringGrid1->horizontalHeaderItem(c)->setText(logic_.headerText(c));
    auto* delegate = static_cast<SetpointCellDelegate*>(StringGrid1->itemDelegate());
    if (QLineEdit* editor = delegate->current()) delegate->finish(editor);
    StringGrid1->setCurrentCell(0, 1);
    updateTransferItems();
    InitSollwertStringgrid();
    Panel1->clear();
    StringGrid1->setFocus();
}

void TFormEditSollwerten::InitSollwertStringgrid() {
    for (int r = 1; r <= SetpointEditor::Rows; ++r)
        for (int c = 0; c < SetpointEditor::Columns; ++c)
            StringGrid1->item(r - 1, c)->setText(logic_.cellText(c, r));
    showModified();
}

void TFormEditSollwerten::showModified() {
    setWindowModified(logic_.modified());
    OngedaanMaken->setEnabled(logic_.canUndo());
    Opnieuw->setEnabled(logic_.canRedo());
}

void TFormEditSollwerten::abandonEdit() {
    auto* delegate = static_cast<SetpointCellDelegate*>(StringGrid1->itemDelegate());
    if (QLineEdit* editor = delegate->current()) delegate->finish(editor);
}

void TFormEditSollwerten::OngedaanMakenClick() {
    abandonEdit();
    logic_.OngedaanMakenClick();
    InitSollwertStringgrid();
}

void TFormEditSollwerten::OpnieuwClick() {
    abandonEdit();
    logic_.OpnieuwClick();
    InitSollwertStringgrid();
}

void TFormEditSollwerten::openRecent(const QString& path) {
    abandonEdit();
    logic_.openRecent(path);
    InitSollwertStringgrid();
}

void TFormEditSollwerten::done(int result) {
    abandonEdit();
    if (!logic_.FormClose()) {
        showModified();
        return;
    }
    QDialog::done(result);
}

bool TFormEditSollwerten::StringGrid1KeyDown(int key, const QString& typed, QLineEdit* editor) {
    const int column = StringGrid1->currentColumn();
    const int row = StringGrid1->currentRow() + 1;
    QTableWidgetItem* item = StringGrid1->item(row - 1, column);
    if (!item || !SetpointEditor::selectable(column)) return false;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        return editor != nullptr; // an edit ends with Enter or Escape
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!editor) {
            // Only the two value columns take the cursor.
            const int target = key == Qt::Key_Right || key == Qt::Key_Tab ? 4 : 1;
            if (column != target) StringGrid1->setCurrentCell(row - 1, target);
        }
        return true;
    case Qt::Key_Escape:
        if (editor) static_cast<SetpointCellDelegate*>(StringGrid1->itemDelegate())->finish(editor);
        item->setText(logic_.escape(column, row));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!editor) oldCellText_ = item->text();
        commitCell(column, row, editor ? editor->text() : item->text(), editor);
        return true;
    default:
        break;
    }
    if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
    // What stays in the cell when this key is typed: a selection is replaced.
    QString kept = editor ? editor->text() : QString();
    if (editor && editor->hasSelectedText())
        kept.remove(editor->selectionStart(), editor->selectedText().size());
    const std::optional<QChar> accepted = logic_.StringGrid1KeyPress(typed.at(0), kept);
    if (!accepted) return true;
    if (*accepted == typed.at(0)) return false; // the editor (or the grid opening it) types it
    if (!editor) {
        StringGrid1->editItem(item);
        editor = static_cast<SetpointCellDelegate*>(StringGrid1->itemDelegate())->current();
        if (!editor) return true;
    }
    editor->insert(QString(*accepted));
    return true;
}

void TFormEditSollwerten::commitCell(int column, int row, const QString& typed, QLineEdit* editor) {
    const SetpointEditor::Entry entry = logic_.enter(column, row, typed, oldCellText_);
    if (editor) static_cast<SetpointCellDelegate*>(StringGrid1->itemDelegate())->finish(editor);
    StringGrid1->item(row - 1, column)->setText(entry.cellText);
    showModified();
    if (entry.moveDown) {
        StringGrid1->setCurrentCell(row, column);
        StringGrid1->editItem(StringGrid1->item(row, column));
    }
}

void TFormEditSollwerten::showMessage(const QString& text) {
    Panel1->setText(text);
}

std::optional<ParamTables::Setpoints> TFormEditSollwerten::receiveSetpoints() {
    if (!receive_) return std::nullopt;
    return receive_();
}

SendReport TFormEditSollwerten::sendSetpoints(const ParamTables::Setpoints& values) {
    if (send_) return send_(values);
    // Nothing to send with: nothing changed in the unit either.
    SendReport none;
    return none;
}

void TFormEditSollwerten::printSetpoints() {
    if (printWindow_) printWindow_->exec();
}

void TFormEditSollwerten::previewSetpoints() {
    if (auto* form = qobject_cast<PrintHeaderForm*>(printWindow_.data())) form->execPreview();
}

int TFormEditSollwerten::unitNumber() const {
    return unitNumber_ ? unitNumber_() : 0;
}

void TFormEditSollwerten::selectSetpoint(int n) {
    if (n < 1 || n > 2 * SetpointEditor::Rows) return;
    const bool second = n > SetpointEditor::Rows;
    StringGrid1->setCurrentCell((second ? n - SetpointEditor::Rows : n) - 1, second ? 4 : 1);
    StringGrid1->setFocus();
}

} // namespace kqm52
