#include "model/journal/JournalWriter.h"

#include <chrono>

namespace kqm52 {

namespace {

// How long the writer gathers what comes before it commits: short enough that
// confirmed writes are in the file well within a second, long enough that a
// send of 448 values is a few dozen transactions rather than 448.
constexpr auto GatherTime = std::chrono::milliseconds(250);

} // namespace

JournalWriter::JournalWriter(QString path) : path_(std::move(path)) {
    thread_ = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void JournalWriter::post(Op op) {
    {
        std::lock_guard lock(mutex_);
        if (failed_) return;
        if (op.kind == Op::Kind::Outcome) urgent_ = true;
        queue_.push_back(std::move(op));
        ++posted_;
    }
    wake_.notify_all();
}

int JournalWriter::newEntry(const JournalEntry& entry) {
    int handle = 0;
    {
        std::lock_guard lock(mutex_);
        handle = nextHandle_++;
    }
    post({.kind = Op::Kind::Entry, .entry = handle, .e = entry});
    return handle;
}

void JournalWriter::addItem(int entry, const JournalItem& item) {
    post({.kind = Op::Kind::Item, .entry = entry, .item = item});
}

void JournalWriter::setOutcome(int entry, const QString& outcome) {
    post({.kind = Op::Kind::Outcome, .entry = entry, .a = outcome});
}

void JournalWriter::setFile(int entry, const QString& file, const QString& sha256) {
    post({.kind = Op::Kind::File, .entry = entry, .a = file, .b = sha256});
}

void JournalWriter::setIdentity(int entry, const QString& unitType, const QString& serial) {
    post({.kind = Op::Kind::Identity, .entry = entry, .a = unitType, .b = serial});
}

bool JournalWriter::sync(int timeoutMs) {
    std::unique_lock lock(mutex_);
    const quint64 target = posted_;
    urgent_ = true;
    wake_.notify_all();
    done_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [&] { return failed_ || written_ >= target; });
    return !failed_ && written_ >= target;
}

bool JournalWriter::check(int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (failed_) return false;
    checkWanted_ = true;
    wake_.notify_all();
    done_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [&] { return failed_ || !checkWanted_; });
    return !failed_ && !checkWanted_;
}

bool JournalWriter::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

QString JournalWriter::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

QString JournalWriter::movedAside() const {
    std::lock_guard lock(mutex_);
    return movedAside_;
}

void JournalWriter::run() {
    JournalStore store;
    // Handles to the file's ids and the next item number of each entry:
    // known to this thread alone.
    std::unordered_map<int, qint64> ids;
    std::unordered_map<int, int> nextSeq;
    auto fail = [&](const QString& problem) {
        std::lock_guard lock(mutex_);
        failed_ = true;
        problem_ = problem;
        written_ = posted_;
        queue_.clear();
        checkWanted_ = false;
        done_.notify_all();
    };
    auto ensureOpen = [&] {
        if (store.isOpen()) return true;
        const bool ok = store.open(path_);
        std::lock_guard lock(mutex_);
        movedAside_ = store.movedAside();
        return ok;
    };
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || checkWanted_ || !queue_.empty(); });
        if (checkWanted_) {
            lock.unlock();
            const bool ok = ensureOpen() && store.begin();
            if (ok) store.rollback();
            if (!ok) fail(store.problem());
            lock.lock();
            checkWanted_ = false;
            done_.notify_all();
            continue;
        }
        if (queue_.empty()) {
            if (stop_) break;
            continue;
        }
        // Gather a little more unless someone waits for it or an action ended.
        if (!stop_ && !urgent_)
            wake_.wait_for(lock, GatherTime, [&] { return stop_ || checkWanted_ || urgent_; });
        urgent_ = false;
        std::deque<Op> batch;
        batch.swap(queue_);
        lock.unlock();
        bool ok = ensureOpen() && store.begin();
        for (auto it = batch.begin(); ok && it != batch.end(); ++it) {
            Op& op = *it;
            switch (op.kind) {
            case Op::Kind::Entry: {
                const qint64 id = store.addEntry(op.e);
                ok = id != 0;
                ids[op.entry] = id;
                nextSeq[op.entry] = 0;
                break;
            }
            case Op::Kind::Item: {
                const auto id = ids.find(op.entry);
                if (id == ids.end()) break;
                ok = store.addItems(id->second, {op.item}, nextSeq[op.entry]++);
                break;
            }
            case Op::Kind::Outcome:
            case Op::Kind::File:
            case Op::Kind::Identity: {
                const auto id = ids.find(op.entry);
                if (id == ids.end()) break;
                ok = op.kind == Op::Kind::Outcome ? store.setOutcome(id->second, op.a)
                     : op.kind == Op::Kind::File  ? store.setFile(id->second, op.a, op.b)
                                                  : store.setIdentity(id->second, op.a, op.b);
                break;
            }
            }
        }
        if (ok) ok = store.commit();
        if (!ok) {
            if (store.isOpen()) store.rollback();
            fail(store.problem());
            lock.lock();
            continue;
        }
        lock.lock();
        written_ += batch.size();
        done_.notify_all();
    }
}

} // namespace kqm52
