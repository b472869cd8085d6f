#pragma once

// TableTransfer: a whole unit's parameters and/or setpoints read from it or
// written to it, one request per value, with no widget in sight.  The receive
// and send windows are thin views over it; the command-line tool drives the
// same object and reads view() and the outcome instead of showing them.
//
// Receiving reads parameters 0 … 399 and/or setpoints 1 … 48 and keeps each
// value; sending writes them from its tables and, when parameters were
// written, asks the unit to recompute what follows from them (the requests
// and replies are link/UnitProtocol's).  Modes (Mode): parameters, setpoints, both, or both for a
// whole-unit backup or restore (only its finishing text differs).
//
// Every request gets one more try after a reply it cannot use (a wrong echo,
// an echo that names another item, a value that is not a decimal integer, a
// reply longer than the reply buffer); a second such reply stops the
// transfer on that item.  The echoed number is
// compared as a number (007 answers 7): a unit that answers for
// another item would otherwise fill every entry with one value and call it
// received, or confirm a write it never made.  The unit refusing a written value stops at
// once: sending it again would be refused again.  A link error (no reply in
// time, a line or driver fault) stops at once; the link has already retried.
// Again starts over from the first item; a port that closed itself when its
// converter was pulled out is opened again first.  Cancel while a request is
// on the line takes effect when its reply or error comes, so the unit's answer
// is never left for the next request to read.
//
// The caller owns the tables: it fills them before a send and copies them out
// after a receive ended with OK, so a cancelled or failed transfer leaves the
// program's tables as they were.
//
// A send that stops part-way has changed the unit part-way.  The window then
// names the first value the unit did not confirm and how many it did, and
// sendReport() hands the same to the caller, which offers to send again; or,
// when the unit refused that value, names it so the user can correct it.

#include "link/RQ500Protocol.h"
#include "link/RequestSequence.h"
#include "model/files/BackupFile.h"
#include "model/journal/ServiceJournal.h"
#include "model/texts/LanguageTexts.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kqm52 {

class TZRComm;

// What the transfer window shows.
struct TransferView {
    QString panelText;
    bool panelRed = false;
    bool okVisible = false;
    bool okFocused = false; // OK takes the focus when it appears
    bool againVisible = false;
    bool cancelVisible = true;
    int progressMaximum = 0;
    int progressPosition = 0;
    // A send that stopped: how far the unit got (stopText() of its report).
    // Empty otherwise.
    QString stopNote;
    friend bool operator==(const TransferView&, const TransferView&) = default;
};

// What a send left in the unit.  Values go out in order, so the unit holds the
// first `confirmed` of them; from `firstUnconfirmed` on it may hold its old
// values (the value on the line when the link failed may or may not have
// arrived).
struct SendReport {
    bool closedWithOK = false;
    int total = 0;     // values to write
    int confirmed = 0; // values the unit answered with their echo, from the first on
    // "P123" or "S07": the first value without its echo; empty when all have one.
    QString firstUnconfirmed;
    // The recomputation was due (parameters were written) and the unit
    // answered it: done, or its complaint.
    bool computeDue = false;
    bool computeAnswered = false;
    // The unit's complaint when it did not recompute; empty otherwise.
    QString computeAnswer;
    // The unit refused the first unconfirmed value: the same table
    // sent again would be refused at the same place.  Which value that was:
    // parameter 0..399, or setpoint 1..48, and what was sent.
    bool refused = false;
    bool refusedIsSetpoint = false;
    int refusedNumber = -1;
    qint32 refusedValue = 0;
    // A send of chosen parameters (TableTransfer::setParameterSubset) goes
    // on past a refusal, so each value has a fate of its own, in the order
    // sent.  Empty for a whole-table send.
    struct Written {
        enum class Fate { Confirmed, Refused, NotConfirmed };
        int number = 0;
        qint32 value = 0;
        Fate fate = Fate::NotConfirmed;
        qint32 error = 0; // the unit's n of "er n" when refused
        friend bool operator==(const Written&, const Written&) = default;
    };
    std::vector<Written> written;
    // Every value confirmed and, when due, "bp" answered.
    bool complete() const { return confirmed == total && (!computeDue || computeAnswered); }
    // The line a window or message shows for an incomplete send: stopNote
    // with %1 the first unconfirmed value, %2 confirmed, %3 total; or, when
    // only "bp" is missing, computeNote with %1 total.  Empty when complete.
    QString stopText(const QString& stopNote, const QString& computeNote) const;
};

class TableTransfer : public QObject {
  public:
    enum class Direction { Receive, Send };
    // The numbers index the windows' captions and the finishing texts.
    enum class Mode { Parameters = 0, Setpoints = 1, Both = 2, Device = 3 };
    // The window's modal result.
    enum class Result { OK = 1, Cancel = 2 };
    enum class Status { Idle, Running, Computing, Done, Stopped, Closed };
    // Why a transfer stopped.
    enum class Stop { None, Timeout, LineError, LinkError, BadReply, Refused };

    // The reader's buffer: nothing past it is read, and a reply that does
    // not fit it is a bad reply.
    static constexpr int ReplyBufferSize = 100;
    static constexpr int ReceiveTimeoutMs = 1000;
    static constexpr int SendTimeoutMs = 0; // the link's default wait
    static constexpr int ComputeTimeoutMs = 2000;
    // Receive texts 0..7 and send texts 0..11 of the language file.
    static constexpr int ReceiveTextCount = 8;
    static constexpr int SendTextCount = 12;
    // Shown while the unit recomputes; not a language text.
    static QString computingText() { return QStringLiteral("Bereken parameters"); }

    // The panel texts and the stop note are read from language, in the
    // section of the window of the direction ("LeesParSoll" or
    // "SchrijfParSoll"): empty while no language file is loaded.
    TableTransfer(TZRComm& port, Direction direction, const LanguageTexts& language);
    ~TableTransfer() override;

    Direction direction() const { return direction_; }
    void setMode(Mode mode) { mode_ = mode; }
    Mode mode() const { return mode_; }
    // Send only: writes just these parameters (mode 0), in this order, then
    // "bp" when the unit confirmed any of them.  A refused value does not stop
    // the others, which do not depend on it; the report names each refusal.
    // nullopt: the whole table.  Numbers outside 0..399 are dropped.
    void setParameterSubset(std::optional<std::vector<int>> numbers);
    const std::optional<std::vector<int>>& parameterSubset() const { return subset_; }

    // What the port's service journal records the transfer as, and the file
    // its values came from or go to (a receive's file may be named after
    // it, through ServiceJournal::setFileOfLastEntry).  By default the
    // action of the direction and mode (a send of chosen parameters is a
    // compare write) and no file.
    void setJournalAction(std::optional<journal::Action> action) { journalAction_ = action; }
    void setJournalFile(const QString& file) { journalFile_ = file; }
    journal::Action journalAction() const;

    // Received values (receive), or the values to write (send).
    UnitTables tables;

    // Starts from the first item; also what Again does.
    void start();
    void again() { start(); }
    // Closes with OK; offered only when the transfer is done.
    void ok();
    // Closes at once when stopped or done, else at the next reply or error.
    void cancel();

    Status status() const { return status_; }
    Stop stopReason() const { return stop_; }
    const TransferView& view() const { return view_; }
    // The item a transfer stopped on, as the panel names it: "P[012]", "S[007]".
    QString failedItem() const { return failedItem_; }
    // The last link error, when one stopped the transfer.
    const TCommError& commError() const { return commError_; }
    // What the unit said to the EEPROM save when it was not the plain "done"; empty otherwise.
    QString computeAnswer() const { return computeAnswer_; }
    bool computeFailed() const { return !computeAnswer_.isEmpty(); }
    // The items of the transfer (values to read or write, without "bp") and
    // how many of them went before the one on the line or stopped on.
    int itemCount() const;
    int itemsBefore() const;
    // How far the last send got (send direction; closedWithOK as last closed).
    SendReport sendReport() const;

    std::function<void(const TransferView&)> onViewChanged;
    std::function<void(Result)> onClosed;

  private:
    std::vector<RequestSequence::Item> buildItems();
    RequestSequence::Verdict judge(int item, const QString& request, const QByteArray& reply);
    void itemStarted(int item);
    void requestsFinished(RequestSequence::Ending ending);
    void computeFinished(RequestSequence::Ending ending);
    void commFailed(const TCommError& error);
    void finishWith(int textNo, bool red);
    // A subset send that finished with refusals says which, in red.
    bool showRefusals();
    int refusedCount() const;
    void close(Result result);
    void show();

    // Panel text n ("PanelTekst<n>") of the direction's window.
    QString text(int n) const;
    bool parameterItem(int item) const { return item < parameterItems_; }
    // A send of chosen parameters (setParameterSubset, send, mode 0).
    bool subsetActive() const;
    // Parameter 0..399 or setpoint 1..48 of an item.
    int numberOf(int item) const;

    Direction direction_;
    TZRComm& port_;
    Mode mode_ = Mode::Parameters;
    std::optional<std::vector<int>> subset_;
    std::optional<journal::Action> journalAction_;
    QString journalFile_;
    bool journalOpen_ = false; // this transfer's entry is open
    void journalEnd(const QString& outcome);
    const LanguageTexts& language_;
    bool closedWithOK_ = false;
    bool computeAnswered_ = false;
    int parameterItems_ = 0;
    Status status_ = Status::Idle;
    Stop stop_ = Stop::None;
    TransferView view_;
    QString failedItem_;
    TCommError commError_;
    QString computeAnswer_;

    // The window's RQ500LeesParSoll or RQ500SchrijfParSoll, and its
    // RQ500BerekenParameters.  Declared before the sequences that drive
    // them, which must go first.
    TRQ500Protocol requests_;
    TRQ500Protocol compute_;
    std::unique_ptr<RequestSequence> sequence_;
    std::unique_ptr<RequestSequence> computeSequence_;
};

} // namespace kqm52
