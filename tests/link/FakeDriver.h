#pragma once

// A SerialDriver for what no real port can show: exact timing on a virtual
// clock, line errors, failing driver calls, a device vanishing mid-reply.
//
// The peer is a function from the bytes of one write to the chunks of its
// answer, each due a number of milliseconds after the write.  readByte()
// returns at once and moves the virtual clock to the byte (or past the
// time-out), so 100 ms waits and 50 ms silences cost no real time.

#include "link/SerialDriver.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace kqm52::test {

struct Chunk {
    long long atMs; // after the end of the write
    QByteArray bytes;
};

constexpr int DriverCallCount = int(DriverCall::ClearLineErrors) + 1;

class FakeLine {
  public:
    using Peer = std::function<std::vector<Chunk>(const QByteArray& written)>;

    void setPeer(Peer p) {
        std::lock_guard l(m);
        peer = std::move(p);
    }
    // A call fails with err, times times.
    void failCall(DriverCall call, int err, int times = 1) {
        std::lock_guard l(m);
        failures[int(call)] = {err, times};
    }
    // The next clearLineErrors after `afterReads` more bytes have been read reports flags.
    void injectLineErrors(std::uint32_t flags, int afterReads = 0) {
        std::lock_guard l(m);
        pendingLineErrors = flags;
        lineErrorsAfterReads = readsDone + afterReads;
    }
    // After this many more reply bytes, every read fails with EIO.
    // -1 plugs the device in again.
    void vanishAfter(int bytes) {
        std::lock_guard l(m);
        vanishAtRead = bytes < 0 ? -1 : readsDone + bytes;
    }

    // A list of its own: the worker grows writeLog in place once it alone
    // holds it, and a shared copy released later would race with that.
    QList<QByteArray> writes() const {
        std::lock_guard l(m);
        QList<QByteArray> copy = writeLog;
        copy.detach();
        return copy;
    }
    QByteArray wire() const {
        std::lock_guard l(m);
        QByteArray all;
        for (const auto& w : writeLog)
            all += w;
        return all;
    }
    long long nowMs() const {
        std::lock_guard l(m);
        return now;
    }
    // Time passing while nothing is sent (the user pausing).
    void advance(long long ms) {
        std::lock_guard l(m);
        now += ms;
    }
    LineState lineState() const {
        std::lock_guard l(m);
        return state;
    }
    bool isOpen() const {
        std::lock_guard l(m);
        return open;
    }

  private:
    friend class FakeDriver;
    int fail(DriverCall call) {
        auto& [err, times] = failures[int(call)];
        if (times == 0) return 0;
        --times;
        return err;
    }

    mutable std::mutex m;
    Peer peer;
    std::pair<int, int> failures[DriverCallCount] = {}; // error, times
    std::uint32_t pendingLineErrors = 0;
    long long lineErrorsAfterReads = 0;
    long long vanishAtRead = -1;
    long long readsDone = 0;
    QList<QByteArray> writeLog;
    struct Pending {
        long long at;
        std::uint8_t byte;
    };
    std::vector<Pending> inbox;
    long long now = 0;
    int readTimeoutMs = 0;
    LineState state;
    bool open = false;
    bool interrupted = false;
};

class FakeDriver : public SerialDriver {
  public:
    explicit FakeDriver(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {}

    int open(const std::string&) override {
        return call(DriverCall::Open, [](FakeLine& l) {
            if (l.open) return EBUSY;
            l.open = true;
            l.interrupted = false;
            return 0;
        });
    }
    int close() override {
        return call(
            DriverCall::Close, [](FakeLine& l) { return l.open = false, 0; }, true);
    }
    int setBufferSizes(int, int) override { return call(DriverCall::SetBufferSizes, nothing); }
    int getLineState(LineState& s) override {
        return call(DriverCall::GetLineState, [&](FakeLine& l) { return s = l.state, 0; });
    }
    int setLineState(const LineState& s) override {
        return call(DriverCall::SetLineState, [&](FakeLine& l) { return l.state = s, 0; });
    }
    int getReadTimeout(int& ms) override {
        return call(
            DriverCall::GetReadTimeout, [&](FakeLine& l) { return ms = l.readTimeoutMs, 0; }, true);
    }
    int setReadTimeout(int ms) override {
        return call(
            DriverCall::SetReadTimeout, [&](FakeLine& l) { return l.readTimeoutMs = ms, 0; }, true);
    }
    int purge() override {
        return call(DriverCall::Purge, [](FakeLine& l) { return l.inbox.clear(), 0; });
    }
    int write(const std::uint8_t* data, int count, int& written) override {
        std::vector<Chunk> answer;
        FakeLine::Peer peer;
        QByteArray bytes(reinterpret_cast<const char*>(data), count);
        {
            std::lock_guard l(line_->m);
            written = 0;
            if (int e = line_->fail(DriverCall::Write)) return e;
            written = count;
            line_->writeLog.append(bytes);
            peer = line_->peer;
        }
        if (peer) answer = peer(bytes);
        std::lock_guard l(line_->m);
        for (const Chunk& c : answer)
            for (char b : c.bytes)
                line_->inbox.push_back({line_->now + c.atMs, std::uint8_t(b)});
        return 0;
    }
    int flush() override { return call(DriverCall::Flush, nothing); }
    int readByte(std::uint8_t& byte, bool& got) override {
        std::lock_guard l(line_->m);
        got = false;
        if (int e = line_->fail(DriverCall::ReadByte)) return e;
        if (line_->interrupted) return 0;
        if (line_->vanishAtRead >= 0 && line_->readsDone >= line_->vanishAtRead) return EIO;
        if (!line_->inbox.empty() && line_->inbox.front().at <= line_->now + line_->readTimeoutMs) {
            const auto p = line_->inbox.front();
            line_->inbox.erase(line_->inbox.begin());
            line_->now = std::max(line_->now, p.at);
            byte = p.byte;
            got = true;
            ++line_->readsDone;
            return 0;
        }
        line_->now += line_->readTimeoutMs;
        return 0;
    }
    int clearLineErrors(std::uint32_t& flags) override {
        std::lock_guard l(line_->m);
        flags = 0;
        if (int e = line_->fail(DriverCall::ClearLineErrors)) return e;
        if (line_->pendingLineErrors && line_->readsDone >= line_->lineErrorsAfterReads) {
            flags = line_->pendingLineErrors;
            line_->pendingLineErrors = 0;
        }
        return 0;
    }
    void interrupt() override {
        std::lock_guard l(line_->m);
        line_->interrupted = true;
    }
    void waitIdle(int ms) override {
        std::lock_guard l(line_->m);
        line_->now += ms;
    }
    std::int64_t monotonicMs() const override { return line_->nowMs(); }

  private:
    static int nothing(FakeLine&) { return 0; }
    // Runs f on the line unless this call was told to fail; `always` runs f
    // first (a close or a time-out setting takes effect even when reported
    // as failed).
    template <class F> int call(DriverCall name, F&& f, bool always = false) {
        std::lock_guard l(line_->m);
        if (always) {
            const int r = f(*line_);
            const int e = line_->fail(name);
            return e ? e : r;
        }
        if (const int e = line_->fail(name)) return e;
        return f(*line_);
    }
    std::shared_ptr<FakeLine> line_;
};

} // namespace kqm52::test
