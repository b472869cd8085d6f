#pragma once

// The terminal group of the main window: the user types a request line, Enter
// sends it, and the whole reply (command word included) is shown.  Up and
// Down in the entry field bring back earlier lines, as in any terminal.

#include "link/RQ500Protocol.h"

#include <QObject>
#include <QStringList>

namespace kqm52 {

class TFormMain;
class UnitSelection;

class Terminal : public QObject {
    Q_OBJECT
public:
    static constexpr int TimeoutMs = 1500;
    static constexpr int HistorySize = 50;

    Terminal(TFormMain& window, UnitSelection& unit);

    void CmdTerminalZendenClick();
    void RQ500Protocol1CommResult(const QByteArray& result);

    const QStringList& history() const { return history_; }

    TRQ500Protocol RQ500Protocol1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void recall(int step);

    TFormMain& window_;
    UnitSelection& unit_;
    QStringList history_;
    int historyPos_ = 0; // == history_.size() while editing a new line
};

} // namespace kqm52
