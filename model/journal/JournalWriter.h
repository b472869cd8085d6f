#pragma once

// JournalWriter: the journal's file written on a thread of its own, so that
// a slow disk, a file another process holds locked or a damaged file costs
// the service work nothing.  Callers hand over what happened and go on; the
// writer gathers it into one transaction at most a quarter of a second old,
// so what was confirmed reaches the file well within a second, and a program
// killed in the middle of a send loses at most that.
//
// The file is opened on first use, not when the writer is made: start-up
// does not wait for it.  Once the file fails the writer is off for the rest
// of its life (trying again could block each write for the lock's time-out)
// and what comes after is dropped; failed() and problem() say so.
//
// Threads: every call may come from any thread; entries are referred to by
// the handles newEntry() gives.

#include "model/journal/JournalStore.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace kqm52 {

class JournalWriter {
  public:
    explicit JournalWriter(QString path);
    // Writes what is still waiting, then stops.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    const QString& path() const { return path_; }

    // A handle for the entry, never 0.
    int newEntry(const JournalEntry& entry);
    void addItem(int entry, const JournalItem& item);
    void setOutcome(int entry, const QString& outcome);
    void setFile(int entry, const QString& file, const QString& sha256);
    void setIdentity(int entry, const QString& unitType, const QString& serial);

    // Blocks until everything handed over so far is in the file or the
    // writer has failed; false when it failed (or took longer than timeoutMs).
    bool sync(int timeoutMs = 10000);
    // Opens the file now and takes its write lock for a moment: true when a
    // write would succeed.  For a caller that must not write to a unit
    // without its journal.
    bool check(int timeoutMs = 10000);

    bool failed() const;
    // The file and the system's reason, once failed.
    QString problem() const;
    // Where a damaged file was moved when the writer opened it; empty if not.
    QString movedAside() const;

  private:
    struct Op {
        enum class Kind { Entry, Item, Outcome, File, Identity } kind = Kind::Entry;
        int entry = 0;
        JournalEntry e{};
        JournalItem item{};
        QString a{}, b{};
    };
    void post(Op op);
    void run();
    bool apply(JournalStore& store, std::deque<Op>& batch);

    const QString path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Op> queue_;
    bool stop_ = false;
    bool checkWanted_ = false;
    bool urgent_ = false; // commit without gathering more
    bool failed_ = false;
    QString problem_;
    QString movedAside_;
    quint64 posted_ = 0;  // ops handed over
    quint64 written_ = 0; // ops the file holds (or dropped after a failure)
    int nextHandle_ = 1;
    std::thread thread_;
};

} // namespace kqm52
