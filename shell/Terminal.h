#pragma once

// The terminal group of the main window: the user types a request line, Enter
// sends it, and the whole reply (command word included) is shown.  Up and
// Down in the entry field bring back earlier lines, as in any terminal.

#include "link/HandlerBinding.h"
#include "link/RQ500Protocol.h"

#include <QStringList>

namespace kqm52 {

class LanguageTexts;
class ServiceJournal;
class TZRComm;
class TerminalView;
class UnitSelection;

class Terminal {
  public:
    static constexpr int TimeoutMs = 1500;
    static constexpr int HistorySize = 50;
    // The frame holds the line and its CR.
    static constexpr int MaxLineLength = MaxFrameContent - 1;

    Terminal(TZRComm& port, const LanguageTexts& texts, TerminalView& view, UnitSelection& unit);

    void CmdTerminalZendenClick();
    void RQ500Protocol1CommResult(const QByteArray& result);
    void RQ500Protocol1CommError(const TCommError& error);
    // Up (-1) or Down (+1) in the entry field; false when there is no history.
    bool recall(int step);

    const QStringList& history() const { return history_; }

    TRQ500Protocol RQ500Protocol1;
    HandlerBinding handlers_;

  private:
    void endJournalEntry(const QString& outcome);

    const LanguageTexts& texts_;
    TerminalView& view_;
    UnitSelection& unit_;
    QStringList history_;
    int historyPos_ = 0;                // == history_.size() while editing a new line
    int lastLength_ = 0;                // of the line last sent, for the too-long notice
    ServiceJournal* journal_ = nullptr; // while the line's entry is open
};

} // namespace kqm52
