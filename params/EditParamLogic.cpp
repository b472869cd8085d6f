#include "params/EditParamLogic.h"

#include "ui/SendStopText.h"

#include "model/engines/ProgramState.h"
#include "model/files/FileProblemText.h"
#include "model/files/ParameterFile.h"
#include "model/values/LimitCheck.h"
#include "ui/KeepWork.h"

#include <QDir>
#include <QFileInfo>

namespace kqm52 {

namespace {

// The file refusals the editor words itself (the reader names one of them).
constexpr TextId OpenMessages[] = {{"EditParam", "OpenMsg1"},
                                   {"EditParam", "OpenMsg2"},
                                   {"EditParam", "OpenMsg3"},
                                   {"EditParam", "OpenMsg4"}};
const QString LineJoin = QStringLiteral("\n\r");

} // namespace

EditParamLogic::EditParamLogic(ProgramState& state, EditParamView& view, Dialogs& dialogs,
                               DialogOwner owner)
    : state_(state), view_(view), dialogs_(dialogs), owner_(owner), history_(tableState()) {}

EditParamLogic::History::State EditParamLogic::tableState() const {
    return {state_.tables.parameters(), state_.tables.parameterSource,
            state_.tables.parametersModified};
}

void EditParamLogic::commitTable(bool kept) {
    History::State state = tableState();
    state.kept = kept;
    history_.commit(state);
}

void EditParamLogic::putBack(const History::State& state) {
    state_.tables.replaceParameters(state.values, state.source);
    state_.tables.parametersModified = state.modifiedFlag;
    InitParameterStringgrid();
    if (selectedRow_) StringGrid1SelectCell(selectedRow_);
    if (hooks.refreshFunctionTexts) hooks.refreshFunctionTexts();
}

void EditParamLogic::OngedaanMakenClick() {
    commitTable(); // a change made elsewhere is undone first
    if (const auto state = history_.undo()) putBack(*state);
}

void EditParamLogic::OpnieuwClick() {
    commitTable();
    if (const auto state = history_.redo()) putBack(*state);
}

bool EditParamLogic::askToKeepWork() {
    commitTable();
    return kqm52::askToKeepWork(history_, dialogs_, owner_, state_.language,
                                TextId{"Bewerken", "MsgParNietOpgeslagen"},
                                [this] { return saveAs(); });
}

const QStringList& EditParamLogic::recentFiles() const {
    return state_.settings.recentParameterFiles.files;
}

void EditParamLogic::openRecent(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        dialogs_.error(owner_, text("Msg_ErrorCaption"),
                       state_.language.text(TextId{"Bewerken", "MsgBestandWeg"})
                           .arg(QDir::toNativeSeparators(path)));
        state_.settings.recentParameterFiles.remove(path);
        return;
    }
    if (!askToKeepWork()) return;
    loadFile(path);
}

QString EditParamLogic::text(TextIn<"EditParam"> key) const {
    return state_.language.text(key.id());
}

void EditParamLogic::FormActivate() {
    ClearStringGrid();
    treeProblem_.clear();
    const QString path =
        state_.settings.folders.dataPath(GroupTree::fileName(state_.settings.LanguageNo));
    ReadProblem problem;
    if (!tree_.load(path, &problem)) {
        treeProblem_ =
            QStringLiteral("TreeFileError error raised, with message : ") +
            QStringLiteral("%1: %2").arg(path, readProblemReason(state_.language, problem));
        dialogs_.error(owner_, text("Msg_ErrorCaption"), treeProblem_);
    }
    // Without a tree there is no root to select: the grid stays empty.
    selectNode(tree_.nodes().empty() ? -1 : 0);
    transferEnabled_ = hooks.portOpen && hooks.portOpen();
    state_.tables.parametersSentNotLoaded = false;
    // What changed while the window was closed (a restore, the loader) is a
    // step of its own.
    commitTable();
}

void EditParamLogic::selectNode(int node) {
    node_ = (node >= 0 && node < int(tree_.nodes().size())) ? node : -1;
    InitParameterStringgrid();
}

void EditParamLogic::ClearStringGrid() {
    rows_.fill(Row{});
    lastFilledRow_ = 0;
}

void EditParamLogic::InitParameterStringgrid() {
    if (node_ < 0) {
        menu_ = submenu_ = 0;
        ClearStringGrid();
        return;
    }
    const GroupTree::Node& n = tree_.nodes()[std::size_t(node_)];
    menu_ = n.menuNumber;
    submenu_ = n.submenuNumber;
    const ParameterCatalogue& cat = state_.catalogue;
    if (!cat.parameterDefinitionsPresent() || !cat.parameterNumbersPresent()) return;
    const int languageNo = state_.settings.LanguageNo;
    for (int r = 1; r <= Rows; ++r) {
        Row& cells = rows_[std::size_t(r - 1)];
        const int p = cat.parameterInRow(groupNumber(), r);
        if (p < 0) {
            cells = Row{};
            continue;
        }
        const ParameterInfo& info = cat.info(p);
        cells[0] = QStringLiteral("%1.%2.%3").arg(menu_).arg(submenu_).arg(r);
        cells[1] = info.numberText();
        cells[2] = info.described() ? info.name(languageNo) : QString();
        cells[3] = info.currentText(state_.tables);
        cells[4] = info.described() && info.isOptionList()
                       ? info.optionText(languageNo, state_.tables.parameter(p))
                       : QString();
        lastFilledRow_ = r;
    }
}

void EditParamLogic::StringGrid1SelectCell(int r) {
    selectedRow_ = (r >= 1 && r <= Rows) ? r : 0;
    SelectedParameter& record = state_.tables.selected;
    const Row empty{};
    const Row& cells = selectedRow_ ? row(selectedRow_) : empty;
    if (cells[1].isEmpty()) {
        record = SelectedParameter{};
        record.name = cells[2];
        status_ = Status{};
        return;
    }
    const int p = cells[1].toInt();
    record = state_.catalogue.selection(p, state_.settings.LanguageNo, state_.tables);
    // The row's own texts, as the user reads them.
    record.numberText = cells[1];
    record.name = cells[2];
    status_ = {record.minimumText, record.maximumText, record.defaultText};
}

void EditParamLogic::StringGrid1Exit() {
    status_ = Status{};
}

void EditParamLogic::editRow(int r) {
    if (r < 1 || r > Rows || row(r)[1].isEmpty() || !hooks.editParameter) return;
    StringGrid1SelectCell(r);
    hooks.editParameter();
    commitTable();
    InitParameterStringgrid();
    // The value may have changed: the record and the status follow the table.
    StringGrid1SelectCell(r);
}

void EditParamLogic::wholeTableChanged(bool kept) {
    commitTable(kept);
    InitParameterStringgrid();
    if (selectedRow_) StringGrid1SelectCell(selectedRow_);
    if (hooks.refreshFunctionTexts) hooks.refreshFunctionTexts();
}

void EditParamLogic::LaadDefaultparametersClick() {
    if (!state_.catalogue.parameterDefinitionsPresent()) {
        const QString msg = state_.language.LanguageLoaded()
                                ? text("msg_ErrorSetDefaultPar")
                                : state_.language.text(TextId{"EditParam", "MsgNoDefaults"});
        dialogs_.error(owner_, text("Msg_ErrorCaption"), msg);
        return;
    }
    const ParamTables::Parameters defaults = state_.catalogue.defaults();
    if (state_.language.LanguageLoaded())
        dialogs_.information(owner_, text("Msg_InfoCaption"), text("msg_DefaultParGeladen"));
    state_.tables.replaceParameters(defaults, ParameterSource::Defaults);
    wholeTableChanged();
}

QString EditParamLogic::fileFilter() const {
    constexpr TextId OpenFilter{"EditParam", "OpenFilter"};
    QString filter = state_.language.text(OpenFilter);
    if (filter.isEmpty()) filter = QString::fromUtf8(OpenFilter->def);
    return fileDialogFilter(filter);
}

void EditParamLogic::OpenenClick() {
    if (!askToKeepWork()) return;
    const QString path = dialogs_.openFileName(owner_, text("OpenCaption"),
                                               state_.settings.DialogPath, fileFilter());
    if (path.isEmpty()) return;
    state_.settings.rememberDialogFolder(path);
    loadFile(path);
}

void EditParamLogic::loadFile(const QString& path) {
    const FileRead<ParamTables::Parameters> read = ParameterFile::read(path);
    if (!read.ok()) {
        const FileProblem& problem = read.problem;
        QString msg;
        const TextId* refusal = textAmong(OpenMessages, problem.messageKey);
        if (state_.language.LanguageLoaded() && refusal)
            msg = state_.language.text(*refusal) + LineJoin +
                  fileProblemDetail(state_.language, problem);
        else // without a language file too, the user is not left guessing
            msg = state_.language.text(TextId{"EditParam", "MsgNotRead"}) + LineJoin +
                  fileProblemDetail(state_.language, problem);
        dialogs_.error(owner_, text("Msg_ErrorCaption"), msg);
        return;
    }
    state_.tables.replaceParameters(*read.tables, ParameterSource::File);
    state_.settings.recentParameterFiles.add(path);
    wholeTableChanged(true);
}

void EditParamLogic::OpslaanAlsClick() {
    saveAs();
}

bool EditParamLogic::saveAs() {
    const QString path =
        dialogs_.saveFileName(owner_, text("SaveCaption"), state_.settings.DialogPath, fileFilter(),
                              QStringLiteral("mxp"));
    if (path.isEmpty()) return false;
    state_.settings.rememberDialogFolder(path);
    const int unit = hooks.unitNumber ? hooks.unitNumber() : 0;
    commitTable();
    const QString problem = ParameterFile::write(path, state_.tables.parameters(), unit);
    if (!problem.isEmpty()) {
        dialogs_.error(owner_, text("Msg_ErrorCaption"), text("MsgNotSaved") + LineJoin + problem);
        return false;
    }
    history_.markSaved();
    state_.settings.recentParameterFiles.add(path);
    return true;
}

bool EditParamLogic::askBeforeUnloadedValues(TextId caption, std::span<const TextId> lines) {
    if (state_.tables.parameterSource != ParameterSource::Nothing) return true;
    if (!state_.language.LanguageLoaded()) return false;
    const QString captionText = state_.language.text(caption);
    QStringList question;
    for (const TextId& line : lines)
        question << state_.language.text(line);
    view_.setCaption(captionText);
    return dialogs_.confirm(owner_, captionText, question.join(LineJoin));
}

void EditParamLogic::ParametersZendenClick() {
    if (!hooks.sendParameters) return;
    static constexpr TextId lines[] = {{"EditParam", "ZendMsg_1"}, {"EditParam", "ZendMsg_2"},
                                       {"EditParam", "ZendMsg_3"}, {"EditParam", "ZendMsg_4"},
                                       {"EditParam", "ZendMsg_5"}, {"EditParam", "ZendMsg_6"}};
    if (!askBeforeUnloadedValues(TextId{"EditParam", "Msg_waarschuwingCaption"}, lines)) return;
    if (!askBeforeOutOfLimits(state_.tables.parameters())) return;
    for (;;) {
        const SendReport report = hooks.sendParameters(state_.tables.parameters());
        if (report.closedWithOK) state_.tables.parametersSentNotLoaded = false;
        if (report.complete()) return;
        if (report.refused) {
            // The same table would be refused at the same value: the way on
            // is to correct it, not to send again.
            offerRefused(report);
            return;
        }
        // The table here is unchanged; the unit's is not.  Say how far it got
        // and offer the same table again, once the user has the line back.
        const QString question =
            sendStopText(state_.language, report) + LineJoin +
            sendAgainQuestion(state_.language, report, TextId{"SchrijfParSoll", "MsgSendAgain"});
        if (!dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"), question)) return;
    }
}

bool EditParamLogic::askBeforeOutOfLimits(const ParamTables::Parameters& values) {
    const QString question = outOfLimitsQuestion(
        state_.language,
        LimitCheck::parameters(state_.catalogue, state_.settings.LanguageNo, values), LineJoin);
    return question.isEmpty() ||
           dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"), question);
}

void EditParamLogic::offerRefused(const SendReport& report) {
    const LanguageTexts& l = state_.language;
    const LimitFinding refused = LimitCheck::parameter(state_.catalogue, state_.settings.LanguageNo,
                                                       state_.tables.parameters(),
                                                       report.refusedNumber, report.refusedValue);
    const QString question = sendStopText(l, report) + LineJoin + refusedValueText(l, refused) +
                             LineJoin +
                             l.text(TextId{"SchrijfParSoll", "MsgRefusedOpen"}).arg(refused.item);
    if (dialogs_.confirm(owner_, text("Msg_waarschuwingCaption"), question))
        openParameter(report.refusedNumber);
}

void EditParamLogic::openParameter(int p) {
    if (!ParamTables::isParameter(p)) return;
    for (const ParameterHit& hit : find(QStringLiteral("P%1").arg(p, 3, 10, QLatin1Char('0')))) {
        if (hit.parameter != p) continue;
        jumpTo(hit);
        view_.followSelection();
        editRow(hit.row);
        return;
    }
    // In no group of the tree: the service window all the same.
    if (!hooks.editParameter) return;
    state_.tables.selected =
        state_.catalogue.selection(p, state_.settings.LanguageNo, state_.tables);
    hooks.editParameter();
    commitTable();
    InitParameterStringgrid();
    if (selectedRow_) StringGrid1SelectCell(selectedRow_);
}

void EditParamLogic::AfdrukkenClick() {
    if (!hooks.print) return;
    static constexpr TextId lines[] = {{"Afdrukken", "AfdrukMsg_1"}, {"Afdrukken", "AfdrukMsg_2"},
                                       {"Afdrukken", "AfdrukMsg_3"}, {"Afdrukken", "AfdrukMsg_4"},
                                       {"Afdrukken", "AfdrukMsg_5"}, {"Afdrukken", "AfdrukMsg_6"}};
    if (!askBeforeUnloadedValues(TextId{"Afdrukken", "Msg_waarschuwingCaption"}, lines)) return;
    hooks.print();
}

void EditParamLogic::AfdrukvoorbeeldClick() {
    if (!hooks.printPreview) return;
    static constexpr TextId lines[] = {{"Afdrukken", "AfdrukMsg_1"}, {"Afdrukken", "AfdrukMsg_2"},
                                       {"Afdrukken", "AfdrukMsg_3"}, {"Afdrukken", "AfdrukMsg_4"},
                                       {"Afdrukken", "AfdrukMsg_5"}, {"Afdrukken", "AfdrukMsg_6"}};
    // The preview can print: the same question as before printing.
    if (!askBeforeUnloadedValues(TextId{"Afdrukken", "Msg_waarschuwingCaption"}, lines)) return;
    hooks.printPreview();
}

void EditParamLogic::ParametersOntvangenClick() {
    if (!hooks.receiveParameters) return;
    if (!askToKeepWork()) return;
    if (const auto received = hooks.receiveParameters()) {
        state_.tables.replaceParameters(*received, ParameterSource::Received);
        wholeTableChanged(true);
    }
}

void EditParamLogic::VergelijkMetApparaatClick() {
    if (!hooks.receiveParameters) return;
    const auto unit = hooks.receiveParameters();
    if (!unit) return; // cancelled or failed: the receive window has said why
    if (*unit == state_.tables.parameters()) {
        constexpr TextIn<"CompareParam"> caption{"MsgCaption"}, none{"NoDifferences"};
        dialogs_.information(owner_, state_.language.text(caption), state_.language.text(none));
        return;
    }
    view_.showComparison(*unit);
}

void EditParamLogic::valuesEdited() {
    wholeTableChanged();
}

void EditParamLogic::ParametersLadenenovernemen1Click() {
    if (hooks.loader) hooks.loader();
    commitTable();
}

void EditParamLogic::Viewnokken1Click() {
    if (hooks.showCams) hooks.showCams();
}

void EditParamLogic::CmdClearClick() {
    if (!clearVisible()) return;
    for (const Row& cells : rows_)
        if (!cells[1].isEmpty()) state_.tables.setParameter(cells[1].toInt(), 0);
    commitTable();
    InitParameterStringgrid();
    if (selectedRow_) StringGrid1SelectCell(selectedRow_);
}

bool EditParamLogic::FormClose() {
    if (!askToKeepWork()) return false;
    if (state_.tables.parametersSentNotLoaded && state_.language.LanguageLoaded()) {
        const QString caption = text("Msg_waarschuwingCaption");
        if (!dialogs_.confirm(owner_, caption,
                              wrapText(text("Msg_ParGezondenEnNietGeladen"), CloseQuestionWidth)))
            return false;
    }
    if (hooks.refreshFunctionTexts) hooks.refreshFunctionTexts();
    return true;
}

std::vector<ParameterHit> EditParamLogic::find(const QString& query) const {
    if (!state_.catalogue.parameterDefinitionsPresent() ||
        !state_.catalogue.parameterNumbersPresent())
        return {};
    return ParameterSearch::find(state_.catalogue, tree_, state_.settings.LanguageNo, query);
}

void EditParamLogic::jumpTo(const ParameterHit& hit) {
    selectNode(hit.node);
    StringGrid1SelectCell(hit.row);
}

QString EditParamLogic::wrapText(const QString& text, int width) {
    QString out;
    QString line;
    int breakAt = -1; // in line: the position after the last break character
    for (QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            out += line;
            out += c;
            line.clear();
            breakAt = -1;
            continue;
        }
        line += c;
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('-') ||
            c == QLatin1Char('.'))
            breakAt = int(line.size());
        if (line.size() > width && breakAt > 0 && breakAt < line.size()) {
            out += line.left(breakAt) + QStringLiteral("\r\n");
            line = line.mid(breakAt);
            breakAt = -1;
            for (int i = 0; i < line.size(); ++i) {
                const QChar d = line[i];
                if (d == QLatin1Char(' ') || d == QLatin1Char('\t') || d == QLatin1Char('-') ||
                    d == QLatin1Char('.'))
                    breakAt = i + 1;
            }
        }
    }
    return out + line;
}

} // namespace kqm52
