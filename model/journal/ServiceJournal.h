#pragma once

// ServiceJournal: what this program writes to units, recorded as it goes on
// the line.  It watches a port's requests and answers (ExchangeObserver), so
// no writer can forget to report a write: the unit selected ("sc"), its type
// and serial number ("rt", "rh", "rx"), every value read ("rp", "rs", "kr")
// and every write ("wp", "ws", "kw", "ks", "bp") with the unit's answer.
//
// A window or command that writes names its action (beginAction) and ends
// it with its outcome; the writes in between are its items.  A write that
// comes while no action is open is an entry of its own, named after what it
// writes (a parameter from the service window, a calibration constant, the
// EEPROM save, a recomputation), or after the window that sent it when the
// window said so (setWindowAction).  A whole-table read (receive, backup) is
// recorded as a read with the values it read, so a later question of what the
// unit held before can be answered from it.
//
// The old value of an item is the one this run last saw the unit hold: read
// from it, or written to it and confirmed.  Otherwise it is unknown, and
// recorded as unknown.
//
// Threads: used on the thread of its port; the file is written on a thread of
// its own (JournalWriter), so a journal that cannot be written never slows
// the work.  The first failure is reported once through onProblem.

#include "link/ExchangeObserver.h"
#include "model/journal/JournalStore.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

namespace kqm52 {

class JournalWriter;
class TZRComm;

namespace journal {

// The actions an entry names, as the file stores them.
enum class Action {
    ParameterSend,
    SetpointSend,
    TableSend, // parameters and setpoints
    Restore,
    CompareWrite,
    ServiceWindow,
    CalibrationConstant,
    EepromSave,
    Recompute,
    TerminalLine,
    SetpointWrite, // one setpoint outside any other action
    Receive,
    Backup,
    CtlSet,
    CtlSend,
    CtlRestore,
};
inline constexpr int ActionCount = int(Action::CtlRestore) + 1;
// "parameter send", "kqm52ctl set", …: the words in the file, never translated.
QString actionName(Action action);
std::optional<Action> actionNamed(const QString& name);
// Reads a unit rather than writing to it.
bool isRead(Action action);

// Outcomes as the file stores them.
QString notFinished();
QString done();
QString cancelled();
QString refused();
// "stopped at P012": item as "P012", "S07".
QString stoppedAt(const QString& item);

// The SHA-256 of a file's bytes in lower-case hex; empty when it cannot be read.
QString fileSha256(const QString& path);

} // namespace journal

class ServiceJournal : public ExchangeObserver {
  public:
    // Who writes: recorded with every entry.
    struct Origin {
        QString program{}; // "kqm52", "kqm52ctl"
        QString version{};
        QString user{}; // defaults to the login name
        QString host{}; // defaults to this machine's name
    };

    // Records what goes over port into the journal at path.  The port is
    // watched until this object goes.
    ServiceJournal(TZRComm& port, const QString& path, Origin origin);
    ~ServiceJournal() override;

    // The journal of a port, when it has one.
    static ServiceJournal* of(TZRComm& port);

    // The port and line as an entry records them; by default the port's
    // device and line settings.
    std::function<QString()> portText;
    std::function<QString()> lineText;
    // Called once, on this object's thread, when the journal first cannot be
    // written: the file and the system's reason.
    std::function<void(const QString& problem)> onProblem;
    // Called once when the journal was found damaged and kept under another
    // name (aside) before a new one was started.
    std::function<void(const QString& journal, const QString& aside)> onMovedAside;

    // Opens an entry.  file: what the action wrote from (or will write to),
    // its hash taken now; empty for none.  An entry still open is left as
    // not finished.
    // sender: when given, only that component's requests are the entry's
    // (the terminal's line, not the live values read meanwhile).
    void beginAction(journal::Action action, const QString& file = {},
                     const void* sender = nullptr);
    // Closes the open entry with its outcome; nothing when none is open.
    void endAction(const QString& outcome);
    bool actionOpen() const { return entry_ != 0; }
    // The last entry (open or ended) read into or wrote from this file.
    void setFileOfLastEntry(const QString& file);

    // True once the journal could not be written (or could not be opened
    // when check() was asked).
    bool off() const;
    QString problem() const;
    QString path() const;
    // Opens the file and takes its lock for a moment: false when writing
    // would fail.
    bool check();
    // Waits until what was recorded is in the file.
    bool sync();

    // What this run knows of a unit's value, if anything.
    std::optional<qint64> knownValue(int unit, QChar kind, int number) const;
    int currentUnit() const { return unit_; }

    void exchanged(const QObject* sender, const QString& request, const TCommError& error,
                   const QByteArray& reply) override;

    // A window names the action its components' writes are outside any
    // other (a parameter and its recomputation from the service window);
    // without it, a write is named after what it writes.
    static void setWindowAction(QObject& component, journal::Action action);

  private:
    struct Identity {
        QString type, hardware, extra;
    };
    void openEntry(journal::Action action, const QString& file);
    void item(const JournalItem& item);
    void noticeProblem();
    QString serialOf(const Identity& id) const;

    TZRComm& port_;
    Origin origin_;
    std::unique_ptr<JournalWriter> writer_;
    int entry_ = 0;     // the open entry's handle
    int lastEntry_ = 0; // the last one opened
    journal::Action action_ = journal::Action::ParameterSend;
    const void* sender_ = nullptr; // the one component whose requests are the entry's
    int entryUnit_ = -1;
    bool problemTold_ = false;
    bool movedAsideTold_ = false;
    int unit_ = -1;
    std::map<int, Identity> identities_;
    std::map<std::tuple<int, QChar, int>, qint64> known_;
};

} // namespace kqm52
