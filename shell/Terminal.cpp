#include "shell/Terminal.h"

#include "shell/FormMain.h"
#include "shell/UnitSelection.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kqm52 {

Terminal::Terminal(TFormMain& window, UnitSelection& unit)
    : RQ500Protocol1(&window), window_(window), unit_(unit) {
    RQ500Protocol1.setObjectName(QStringLiteral("RQ500Protocol1"));
    RQ500Protocol1.setUpForDevice(TimeoutMs);
    RQ500Protocol1.SetZRComm(&window.ZRComm1);
    RQ500Protocol1.OnCommResult = [this](TZRProtocolComponent*, const QByteArray& r) {
        RQ500Protocol1CommResult(r);
    };
    RQ500Protocol1.OnCommError = [this](TZRProtocolComponent*, const TCommError& e,
                                        const QByteArray&) { unit_.RQ500UnitSelectComError(e); };
    window.EditZenden->installEventFilter(this);
}

void Terminal::CmdTerminalZendenClick() {
    window_.MemoReceive->clear();
    const QString typed = window_.EditZenden->text();
    RQ500Protocol1.SetASCIIProtocol(typed);
    RQ500Protocol1.Send();
    if (!typed.trimmed().isEmpty() && (history_.isEmpty() || history_.last() != typed)) {
        history_.append(typed);
        if (history_.size() > HistorySize)
            history_.removeFirst();
    }
    historyPos_ = int(history_.size());
    window_.EditZenden->selectAll();
}

void Terminal::RQ500Protocol1CommResult(const QByteArray& result) {
    window_.PanelComInfo->clear();
    // The reply as the device sent it, split at its line ends; a trailing line
    // end opens no empty line of its own.
    QString text = QString::fromLatin1(result);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    window_.MemoReceive->setPlainText(text);
}

void Terminal::recall(int step) {
    if (history_.isEmpty())
        return;
    historyPos_ = std::clamp(historyPos_ + step, 0, int(history_.size()));
    window_.EditZenden->setText(historyPos_ < history_.size() ? history_[historyPos_] : QString());
    window_.EditZenden->selectAll();
}

bool Terminal::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.EditZenden && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) {
            recall(-1);
            return true;
        }
        if (key == Qt::Key_Down) {
            recall(+1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kqm52
