#include "params/CompareParamLogic.h"

#include "link/UnitProtocol.h"
#include "model/engines/ProgramState.h"
#include "model/values/LimitCheck.h"
#include "ui/SendStopText.h"

#include <QStringList>

namespace kqm52 {

namespace {

const QString LineJoin = QStringLiteral("\n\r");

QString numberText(int p) {
    return QStringLiteral("P%1").arg(p, 3, 10, QLatin1Char('0'));
}

} // namespace

CompareParamLogic::CompareParamLogic(ProgramState& state, Dialogs& dialogs, DialogOwner owner)
    : state_(state), dialogs_(dialogs), owner_(owner) {}

QString CompareParamLogic::text(Texts key) const {
    return state_.language.text(key.id());
}

void CompareParamLogic::compare(const ParamTables::Parameters& unit, const GroupTree& tree) {
    wanted_.reset();
    fill(unit, tree);
}

void CompareParamLogic::compare(const ParamTables::Parameters& unit, const CompareWanted& wanted,
                                const GroupTree& tree) {
    wanted_ = wanted;
    fill(unit, tree);
}

const ParamTables::Parameters& CompareParamLogic::wanted() const {
    return wanted_ ? wanted_->values : state_.tables.parameters();
}

void CompareParamLogic::fill(const ParamTables::Parameters& unit, const GroupTree& tree) {
    const int languageNo = state_.settings.LanguageNo;
    rows_.clear();
    for (ParameterDifference& d :
         ParameterDiff::compare(state_.catalogue, languageNo, unit, wanted())) {
        CompareRow row;
        row.groupPath = ParameterDiff::groupPath(state_.catalogue, tree, languageNo, d.number);
        row.difference = std::move(d);
        rows_.push_back(std::move(row));
    }
}

std::array<QString, CompareParamLogic::Columns> CompareParamLogic::cells(int r) const {
    const CompareRow& row = rows_.at(std::size_t(r));
    const ParameterDifference& d = row.difference;
    return {row.groupPath, d.numberText, d.name,        d.leftText,
            d.rightText,   d.leftOption, d.rightOption, stateText(row)};
}

QString CompareParamLogic::stateText(const CompareRow& row) const {
    switch (row.state) {
    case CompareRow::State::Differs:
        return {};
    case CompareRow::State::Written:
        return text("StateWritten");
    case CompareRow::State::Refused:
        return text("StateRefused").arg(unit::refusalText(row.refusal));
    case CompareRow::State::NotWritten:
        return text("StateNotWritten");
    case CompareRow::State::Taken:
        return text("StateTaken");
    }
    return {};
}

void CompareParamLogic::setTicked(int r, bool ticked) {
    if (r < 0 || r >= int(rows_.size())) return;
    CompareRow& row = rows_[std::size_t(r)];
    row.ticked = ticked && !row.settled();
}

bool CompareParamLogic::isTicked(int r) const {
    return r >= 0 && r < int(rows_.size()) && rows_[std::size_t(r)].ticked;
}

std::vector<int> CompareParamLogic::tickedNumbers() const {
    std::vector<int> out;
    for (const CompareRow& row : rows_)
        if (row.ticked && !row.settled()) out.push_back(row.difference.number);
    return out;
}

int CompareParamLogic::requestCount() const {
    const auto n = int(tickedNumbers().size());
    return n == 0 ? 0 : n + 1;
}

QString CompareParamLogic::summaryText() const {
    if (rows_.empty()) return text("NoDifferences");
    if (wanted_) return wanted_->summary.arg(rows_.size());
    return text("Summary").arg(rows_.size());
}

QString CompareParamLogic::requestText() const {
    const auto n = int(tickedNumbers().size());
    if (n == 0) return text("NoneTicked");
    // The whole table: 400 writes and the "bp".
    return text("Requests").arg(n).arg(n + 1).arg(ParamTables::ParameterCount + 1);
}

void CompareParamLogic::CmdWriteClick() {
    const std::vector<int> numbers = tickedNumbers();
    if (numbers.empty() || !hooks.write) return;
    // The unit refuses a value outside its limits and keeps the rest of
    // the ticked ones from then on: the same question as before a send.
    std::vector<LimitFinding> findings;
    const ParamTables::Parameters& values = wanted();
    for (const LimitFinding& f :
         LimitCheck::parameters(state_.catalogue, state_.settings.LanguageNo, values))
        if (std::find(numbers.begin(), numbers.end(), f.item.mid(1).toInt()) != numbers.end())
            findings.push_back(f);
    const QString question = outOfLimitsQuestion(state_.language, findings, LineJoin);
    if (!question.isEmpty() && !dialogs_.confirm(owner_, text("MsgCaption"), question)) return;
    const SendReport report = hooks.write(values, numbers);
    for (const SendReport::Written& w : report.written) {
        for (CompareRow& row : rows_) {
            if (row.difference.number != w.number || row.settled()) continue;
            switch (w.fate) {
            case SendReport::Written::Fate::Confirmed:
                row.state = CompareRow::State::Written;
                row.ticked = false;
                break;
            case SendReport::Written::Fate::Refused:
                row.state = CompareRow::State::Refused;
                row.refusal = w.error;
                break;
            case SendReport::Written::Fate::NotConfirmed:
                row.state = CompareRow::State::NotWritten;
                break;
            }
        }
    }
    // Values in the unit that it has not recomputed from are what the close
    // question of the editor warns about; a "bp" it carried out covers them all.
    const bool recomputed = report.computeAnswered && report.computeAnswer.isEmpty();
    if (report.confirmed > 0 && !recomputed)
        state_.tables.parametersSentNotLoaded = true;
    else if (recomputed && report.closedWithOK)
        state_.tables.parametersSentNotLoaded = false;
    if (report.written.empty()) return; // the window never ran
    if (report.complete() && report.computeAnswer.isEmpty()) {
        dialogs_.information(owner_, text("MsgCaption"),
                             text("MsgAllWritten").arg(report.confirmed));
        return;
    }
    dialogs_.warning(owner_, text("MsgCaption"), writeReport(report));
}

QString CompareParamLogic::writeReport(const SendReport& report) const {
    QStringList written, refused, notWritten;
    for (const SendReport::Written& w : report.written) {
        switch (w.fate) {
        case SendReport::Written::Fate::Confirmed:
            written << numberText(w.number);
            break;
        case SendReport::Written::Fate::Refused:
            refused << QStringLiteral("%1 (%2)").arg(numberText(w.number),
                                                     unit::refusalText(w.error));
            break;
        case SendReport::Written::Fate::NotConfirmed:
            notWritten << numberText(w.number);
            break;
        }
    }
    const QString list = QStringLiteral(", ");
    QStringList lines;
    if (!written.isEmpty()) lines << text("MsgWritten").arg(written.join(list));
    if (!refused.isEmpty()) lines << text("MsgRefused").arg(refused.join(list));
    if (!notWritten.isEmpty()) {
        lines << text("MsgNotWritten").arg(notWritten.join(list));
        lines << text("MsgStoppedAt").arg(notWritten.first());
    }
    if (report.computeDue && !report.computeAnswered) lines << text("MsgNoCompute");
    if (!report.computeAnswer.isEmpty())
        lines << text("MsgComputeFailed").arg(report.computeAnswer);
    return lines.join(LineJoin);
}

void CompareParamLogic::CmdTakeClick() {
    if (!againstTable()) return;
    int taken = 0;
    for (CompareRow& row : rows_) {
        if (!row.ticked || row.settled()) continue;
        state_.tables.setParameter(row.difference.number, row.difference.left);
        row.state = CompareRow::State::Taken;
        row.ticked = false;
        ++taken;
    }
    if (taken == 0) return;
    // An edit like any other: the table no longer matches its file or unit.
    state_.tables.parametersModified = true;
    if (hooks.tableChanged) hooks.tableChanged();
    dialogs_.information(owner_, text("MsgCaption"), text("MsgTaken").arg(taken));
}

} // namespace kqm52
