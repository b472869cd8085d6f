#include "setpoints/SetpointEditor.h"

#include "ui/SendStopText.h"

#include "link/ZRComm.h"
#include "model/engines/ProgramState.h"
#include "model/files/FileProblemText.h"
#include "model/files/SetpointFile.h"
#include "model/values/DecimalText.h"
#include "model/values/ValueEntry.h"
#include "ui/KeepWork.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kqm52 {

namespace {

// Lines of a question are joined as the language files expect them.
const QString LineBreak = QStringLiteral("\n\r");
const QString Extension = QStringLiteral("mxs");

} // namespace

SetpointEditor::SetpointEditor(ProgramState& state, const TZRComm& port, SetpointEditorView& view,
                               Dialogs& dialogs, DialogOwner owner)
    : state_(state), port_(port), view_(view), dialogs_(dialogs), owner_(owner),
      history_(tableState()) {}

SetpointEditor::History::State SetpointEditor::tableState() const {
    return {state_.tables.setpoints(), state_.tables.setpointSource,
            state_.tables.setpointsModified};
}

void SetpointEditor::commitTable(bool kept) {
    History::State state = tableState();
    state.kept = kept;
    history_.commit(state);
}

void SetpointEditor::putBack(const History::State& state) {
    state_.tables.replaceSetpoints(state.values, state.source);
    state_.tables.setpointsModified = state.modifiedFlag;
    view_.showMessage(QString());
    view_.refillGrid();
}

void SetpointEditor::OngedaanMakenClick() {
    commitTable(); // a change made elsewhere is undone first
    if (const auto state = history_.undo()) putBack(*state);
}

void SetpointEditor::OpnieuwClick() {
    commitTable();
    if (const auto state = history_.redo()) putBack(*state);
}

bool SetpointEditor::askToKeepWork() {
    commitTable();
    return kqm52::askToKeepWork(history_, dialogs_, owner_, state_.language,
                                TextId{"Bewerken", "MsgSollNietOpgeslagen"},
                                [this] { return saveAs(); });
}

bool SetpointEditor::FormClose() {
    return askToKeepWork();
}

const QStringList& SetpointEditor::recentFiles() const {
    return state_.settings.recentSetpointFiles.files;
}

void SetpointEditor::openRecent(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        const LanguageTexts& l = state_.language;
        dialogs_.error(
            owner_, l.text(TextId{"EditSollwert", "Msg_ErrorCaption"}),
            l.text(TextId{"Bewerken", "MsgBestandWeg"}).arg(QDir::toNativeSeparators(path)));
        state_.settings.recentSetpointFiles.remove(path);
        return;
    }
    if (!askToKeepWork()) return;
    loadFile(path);
}

int SetpointEditor::decimals() const {
    const qint32 d = state_.tables.parameter(ParamTables::PositionDecimalsParameter);
    return d >= 1 && d <= MaxDecimals ? int(d) : 0;
}

QString SetpointEditor::formatted(qint32 value) const {
    return formatDecimal(decimals(), value);
}

int SetpointEditor::setpointOf(int column, int row) {
    if (row < 1 || row > Rows) return 0;
    if (column == 1) return row;
    if (column == 4) return row + Rows;
    return 0;
}

QString SetpointEditor::cellText(int column, int row) const {
    if (row < 1 || row > Rows) return {};
    switch (column) {
    case 0:
        return QString::number(row);
    case 3:
        return QString::number(row + Rows);
    case 1:
    case 4:
        return formatted(state_.tables.setpoint(setpointOf(column, row)));
    default:
        return {};
    }
}

QString SetpointEditor::headerText(int column) const {
    const LanguageTexts& l = state_.language;
    if (column == 0 || column == 3)
        return l.LanguageLoaded() ? l.text(TextId{"EditSollwert", "Kolomtekst_no"})
                                  : QStringLiteral("No");
    if (column == 1 || column == 4)
        return l.LanguageLoaded() ? l.text(TextId{"EditSollwert", "Kolomtekst_waarde"})
                                  : QStringLiteral("No");
    return {};
}

QString SetpointEditor::invalidInputMessage() const {
    return state_.language.text(TextId{"EditSollwert", "Msg_SollwertOngeldig"});
}

bool SetpointEditor::transfersEnabled() const {
    return port_.Active();
}

std::optional<QChar> SetpointEditor::StringGrid1KeyPress(QChar key, const QString& text) const {
    if (key == u'\b' || key == u'\r' || key.isDigit()) {
        if (key.isDigit() && key.unicode() > '9') return std::nullopt; // other scripts' digits
        return key;
    }
    if (key == u'.') key = u',';
    if (key == u',') {
        if (decimals() < 1 || text.contains(u',')) return std::nullopt;
        return key;
    }
    if (key == u'-') {
        if (text.contains(u'-')) return std::nullopt;
        return key;
    }
    return std::nullopt;
}

SetpointEditor::Entry SetpointEditor::enter(int column, int row, const QString& typed,
                                            const QString& oldText) {
    const int n = setpointOf(column, row);
    Entry entry;
    if (n == 0) {
        entry.cellText = cellText(column, row);
        return entry;
    }
    const ValueEntry typedValue = enterNumber(typed, setpointRange(decimals()));
    const qint32 value = typedValue.raw;
    if (!typedValue.ok()) {
        entry.cellText = formatted(state_.tables.setpoint(n));
        view_.showMessage(invalidInputMessage());
        return entry;
    }
    view_.showMessage(QString());
    state_.tables.setSetpoint(n, value);
    entry.accepted = true;
    entry.cellText = formatted(value);
    if (entry.cellText != oldText) state_.tables.setpointsModified = true;
    commitTable();
    entry.moveDown = row < Rows;
    return entry;
}

QString SetpointEditor::escape(int column, int row) {
    view_.showMessage(QString());
    return cellText(column, row);
}

SetpointEditor::CellLook SetpointEditor::drawCell(int column, int row, bool selected,
                                                  bool gridFocused) {
    if (row == 0) return {Background::ButtonFace, false};
    if (!gridFocused) return {Background::Grid, false};
    if (selected) return {Background::Highlight, true};
    if (column == 0 || column == 3) return {Background::NumberColumn, false};
    return {Background::Grid, false};
}

std::optional<FileProblem> SetpointEditor::openFile(const QString& path) {
    const FileRead<ParamTables::Setpoints> read = SetpointFile::read(path);
    if (!read.ok()) return read.problem;
    state_.tables.replaceSetpoints(*read.tables, SetpointSource::File);
    commitTable(true);
    state_.settings.recentSetpointFiles.add(path);
    return std::nullopt;
}

QString SetpointEditor::saveFile(const QString& path) {
    return SetpointFile::write(path, state_.tables.setpoints(), view_.unitNumber());
}

void SetpointEditor::Openen1Click() {
    if (!askToKeepWork()) return;
    const LanguageTexts& l = state_.language;
    const QString path = dialogs_.openFileName(
        owner_, l.text(TextId{"EditSollwert", "OpenCaption"}), state_.settings.DialogPath,
        fileDialogFilter(l.text(TextId{"EditSollwert", "OpenFilter"})));
    if (path.isEmpty()) return;
    state_.settings.rememberDialogFolder(path);
    loadFile(path);
}

void SetpointEditor::loadFile(const QString& path) {
    const LanguageTexts& l = state_.language;
    const QString caption = l.text(TextId{"EditSollwert", "Msg_ErrorCaption"});
    const std::optional<FileProblem> problem = openFile(path);
    if (problem) {
        // The language's words first, then what exactly was wrong; without
        // a language file the detail alone, so a refusal is never silent.
        QString message;
        static constexpr TextId refusals[] = {{"EditSollwert", "OpenMsg1"},
                                              {"EditSollwert", "OpenMsg2"},
                                              {"EditSollwert", "OpenMsg3"},
                                              {"EditSollwert", "OpenMsg4"}};
        const TextId* refusal = textAmong(refusals, problem->messageKey);
        if (l.LanguageLoaded() && refusal) message = l.text(*refusal);
        const QString detail = fileProblemDetail(l, *problem);
        if (!detail.isEmpty()) message = message.isEmpty() ? detail : message + LineBreak + detail;
        dialogs_.error(owner_, caption, message);
        return;
    }
    view_.refillGrid();
}

void SetpointEditor::Opslaanals1Click() {
    saveAs();
}

bool SetpointEditor::saveAs() {
    const LanguageTexts& l = state_.language;
    const QString path = dialogs_.saveFileName(
        owner_, l.text(TextId{"EditSollwert", "SaveCaption"}), state_.settings.DialogPath,
        fileDialogFilter(l.text(TextId{"EditSollwert", "OpenFilter"})), Extension);
    if (path.isEmpty()) return false;
    state_.settings.rememberDialogFolder(path);
    commitTable();
    const QString error = saveFile(path);
    if (!error.isEmpty()) {
        dialogs_.error(owner_, l.text(TextId{"EditSollwert", "Msg_ErrorCaption"}),
                       l.text(TextId{"EditSollwert", "MsgNotSaved"}) + LineBreak + error);
        return false;
    }
    history_.markSaved();
    state_.settings.recentSetpointFiles.add(path);
    return true;
}

bool SetpointEditor::confirmUnloaded(bool print) {
    const LanguageTexts& l = state_.language;
    if (!l.LanguageLoaded()) {
        // Without a language file there is no text to ask with; asking in
        // plain words beats a menu item that silently does nothing.
        return dialogs_.confirm(owner_, QString(),
                                print
                                    ? QStringLiteral("No setpoints have been received or opened "
                                                     "yet. Print anyway?")
                                    : QStringLiteral("No setpoints have been received or opened "
                                                     "yet. Sending overwrites all 48 setpoints of "
                                                     "the unit. Send anyway?"));
    }
    QStringList lines;
    QString caption;
    if (print) {
        caption = l.text(TextId{"Afdrukken", "Msg_waarschuwingCaption"});
        lines << l.text(TextId{"Afdrukken", "AfdrukMsg_10"})
              << l.text(TextId{"Afdrukken", "AfdrukMsg_20"})
              << l.text(TextId{"Afdrukken", "AfdrukMsg_30"})
              << l.text(TextId{"Afdrukken", "AfdrukMsg_40"})
              << l.text(TextId{"Afdrukken", "AfdrukMsg_50"});
    } else {
        caption = l.text(TextId{"EditSollwert", "Msg_waarschuwingCaption"});
        lines << l.text(TextId{"EditSollwert", "ZendMsg_10"})
              << l.text(TextId{"EditSollwert", "ZendMsg_20"})
              << l.text(TextId{"EditSollwert", "ZendMsg_30"})
              << l.text(TextId{"EditSollwert", "ZendMsg_40"})
              << l.text(TextId{"EditSollwert", "ZendMsg_50"});
    }
    return dialogs_.confirm(owner_, caption, lines.join(LineBreak));
}

void SetpointEditor::AfdrukkenClick() {
    if (state_.tables.setpointSource != SetpointSource::Nothing || confirmUnloaded(true))
        view_.printSetpoints();
    view_.refillGrid();
}

void SetpointEditor::AfdrukvoorbeeldClick() {
    // The preview can print: the same question as before printing.
    if (state_.tables.setpointSource != SetpointSource::Nothing || confirmUnloaded(true))
        view_.previewSetpoints();
    view_.refillGrid();
}

void SetpointEditor::Sollwertenontvangen1Click() {
    if (!askToKeepWork()) return;
    if (const auto received = view_.receiveSetpoints()) {
        state_.tables.replaceSetpoints(*received, SetpointSource::Received);
        commitTable(true);
    }
    view_.refillGrid();
}

bool SetpointEditor::confirmOutOfLimits() {
    const QString question = outOfLimitsQuestion(
        state_.language,
        LimitCheck::setpoints(state_.tables.parameters(), state_.tables.setpoints()), LineBreak);
    return question.isEmpty() ||
           dialogs_.confirm(owner_,
                            state_.language.text(TextId{"EditSollwert", "Msg_waarschuwingCaption"}),
                            question);
}

void SetpointEditor::offerRefused(const SendReport& report) {
    const LanguageTexts& l = state_.language;
    const LimitFinding refused =
        LimitCheck::setpoint(state_.tables.parameters(), report.refusedNumber, report.refusedValue);
    const QString question = sendStopText(l, report) + LineBreak + refusedValueText(l, refused) +
                             LineBreak +
                             l.text(TextId{"SchrijfParSoll", "MsgRefusedOpen"}).arg(refused.item);
    if (dialogs_.confirm(owner_, l.text(TextId{"EditSollwert", "Msg_waarschuwingCaption"}),
                         question))
        view_.selectSetpoint(report.refusedNumber);
}

void SetpointEditor::Sollwertenzenden1Click() {
    if ((state_.tables.setpointSource != SetpointSource::Nothing || confirmUnloaded(false)) &&
        confirmOutOfLimits()) {
        for (;;) {
            const SendReport report = view_.sendSetpoints(state_.tables.setpoints());
            if (report.complete()) break;
            if (report.refused && report.refusedIsSetpoint) {
                // Sent again, the same value would be refused again: the way
                // on is to correct it.
                offerRefused(report);
                break;
            }
            // The table here is unchanged; the unit's may not be.
            const QString question = sendStopText(state_.language, report) + LineBreak +
                                     sendAgainQuestion(state_.language, report,
                                                       TextId{"SchrijfParSoll", "MsgSendAgain"});
            if (!dialogs_.confirm(
                    owner_, state_.language.text(TextId{"EditSollwert", "Msg_waarschuwingCaption"}),
                    question))
                break;
        }
    }
    view_.refillGrid();
}

} // namespace kqm52
