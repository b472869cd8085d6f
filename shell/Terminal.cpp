#include "shell/Terminal.h"

#include "link/ZRComm.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"
#include "shell/OnlineView.h"
#include "shell/UnitSelection.h"

namespace kqm52 {

Terminal::Terminal(TZRComm& port, const LanguageTexts& texts, TerminalView& view,
                   UnitSelection& unit)
    : texts_(texts), view_(view), unit_(unit) {
    RQ500Protocol1.setObjectName(QStringLiteral("RQ500Protocol1"));
    RQ500Protocol1.setUpForDevice(TimeoutMs);
    RQ500Protocol1.SetZRComm(&port);
    handlers_.bind(
        RQ500Protocol1, [this](const QByteArray& r) { RQ500Protocol1CommResult(r); },
        [this](const TCommError& e, const QByteArray&) { RQ500Protocol1CommError(e); });
}

void Terminal::CmdTerminalZendenClick() {
    view_.showTerminalReply({});
    const QString typed = view_.terminalLine();
    RQ500Protocol1.SetASCIIProtocol(typed);
    // Whatever the line says, the journal keeps it with the unit's reply: a
    // terminal can write anything.
    const qsizetype length = typed.trimmed().size();
    journal_ = length > 0 && length <= MaxLineLength && RQ500Protocol1.ZRComm() &&
                       RQ500Protocol1.ZRComm()->Active()
                   ? ServiceJournal::of(*RQ500Protocol1.ZRComm())
                   : nullptr;
    if (journal_) journal_->beginAction(journal::Action::TerminalLine, {}, &RQ500Protocol1);
    RQ500Protocol1.Send();
    // The component keeps the line as it went out, trimmed.
    lastLength_ = int(RQ500Protocol1.ASCIIProtocol().size());
    if (!typed.trimmed().isEmpty() && (history_.isEmpty() || history_.last() != typed)) {
        history_.append(typed);
        if (history_.size() > HistorySize) history_.removeFirst();
    }
    historyPos_ = int(history_.size());
    view_.selectTerminalLine();
}

void Terminal::endJournalEntry(const QString& outcome) {
    if (journal_) journal_->endAction(outcome);
    journal_ = nullptr;
}

void Terminal::RQ500Protocol1CommResult(const QByteArray& result) {
    endJournalEntry(journal::done());
    view_.showComInfo({});
    // The reply as the device sent it, split at its line ends; a trailing line
    // end opens no empty line of its own.
    QString text = QString::fromLatin1(result);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    view_.showTerminalReply(text);
}

void Terminal::RQ500Protocol1CommError(const TCommError& error) {
    // Cleared again after a good reply: only a failure ends an entry here.
    if (!error.ok()) endJournalEntry(journal::stoppedAt(RQ500Protocol1.ASCIIProtocol()));
    if (error.Code == CommCode::RequestTooLong) {
        // Nothing went out; without a word the line would just vanish.  The
        // reply field keeps the notice (the error poll clears PanelComInfo
        // within a second).
        const QString text =
            texts_.text(TextId{"Main", "MsgTerminalTooLong"}).arg(lastLength_).arg(MaxLineLength);
        view_.showErrorNo({});
        view_.showComInfo(text);
        view_.showTerminalReply(text);
        return;
    }
    unit_.RQ500UnitSelectComError(error);
}

bool Terminal::recall(int step) {
    if (history_.isEmpty()) return false;
    historyPos_ = std::clamp(historyPos_ + step, 0, int(history_.size()));
    view_.setTerminalLine(historyPos_ < history_.size() ? history_[historyPos_] : QString());
    view_.selectTerminalLine();
    return true;
}

} // namespace kqm52
