#include "sim/SimBus.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cerrno>

Q_LOGGING_CATEGORY(lcSim, "kqm52.sim", QtWarningMsg)

namespace kqm52 {

SimBus::SimBus(std::shared_ptr<SimClock> clock) : clock_(std::move(clock)) {}

SimUnit& SimBus::addUnit(int number, const LineState& line, const SimCatalogue& catalogue) {
    std::lock_guard<std::mutex> lock(mutex_);
    units_.push_back(std::make_unique<SimUnit>(number, line, catalogue));
    busyUntil_.push_back(0);
    return *units_.back();
}

int SimBus::unitCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(units_.size());
}

int SimBus::indexOf(int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < units_.size(); ++i)
        if (units_[i]->number() == number) return int(i);
    return -1;
}

void SimBus::setFaults(int number, const SimFaults& faults) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& u : units_)
        if (u->number() == number) {
            u->faults() = faults;
            return;
        }
}

SimFaults SimBus::faults(int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& u : units_)
        if (u->number() == number) return u->faults();
    return {};
}

void SimBus::setTurnaround(SimNanos t) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& u : units_)
        u->setTurnaround(t);
}

std::vector<SimLineEvent> SimBus::transmit(const LineState& host, const QByteArray& bytes,
                                           SimNanos start, SimLineMatch match) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<SimLineEvent> out;
    std::vector<std::pair<int, SimReply>> replies;
    for (int i = 0; i < bytes.size(); ++i) {
        const auto b = std::uint8_t(bytes[i]);
        const SimNanos end = start + simLineTime(host, i + 1);
        if (b == '\r') {
            if (trace_) trace_(end, true, -1, host, hostLine_);
            hostLine_.clear();
        } else if (b >= 0x20 && hostLine_.size() < 512) {
            hostLine_.append(char(b));
        }
        replies.clear();
        for (std::size_t u = 0; u < units_.size(); ++u) {
            SimUnit& unit = *units_[u];
            if (!simLinesMatch(unit.line(), host, match)) {
                unit.lineNoise();
                continue;
            }
            if (auto r = unit.receiveByte(b, end); r && !r->silent())
                replies.emplace_back(int(u), std::move(*r));
        }
        if (!replies.empty()) schedule(replies, end, out);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const SimLineEvent& a, const SimLineEvent& b) { return a.at < b.at; });
    return out;
}

void SimBus::schedule(const std::vector<std::pair<int, SimReply>>& replies, SimNanos requestEnd,
                      std::vector<SimLineEvent>& out) {
    // The first reply to start sets the pace; on a collision the others are
    // folded into its bytes.
    std::size_t lead = 0;
    SimNanos start = 0;
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const auto& [u, r] = replies[i];
        const SimNanos s = std::max(requestEnd + r.delay, busyUntil_[u]);
        if (i == 0 || s < start) {
            start = s;
            lead = i;
        }
    }
    const SimUnit& unit = *units_[replies[lead].first];
    const SimReply& r = replies[lead].second;
    QByteArray bytes = r.bytes;
    std::uint32_t errors = r.lineErrors;
    if (replies.size() > 1) {
        for (std::size_t i = 0; i < replies.size(); ++i) {
            if (i == lead) continue;
            const QByteArray& other = replies[i].second.bytes;
            if (other.size() > bytes.size())
                bytes.append(QByteArray(other.size() - bytes.size(), char(0xFF)));
            for (int k = 0; k < other.size(); ++k)
                bytes[k] = char(bytes[k] & other[k]);
        }
        errors |= LineErrorFrame;
        qCDebug(lcSim) << "collision of" << replies.size() << "replies";
    }
    const LineState& line = unit.line();
    SimNanos last = start;
    for (int k = 0; k < bytes.size(); ++k) {
        const SimNanos shift = ((r.pauseAfter >= 0 && k >= r.pauseAfter) ? r.pause : 0) + r.gap * k;
        if (k == r.vanishAfter && replies.size() == 1) {
            SimLineEvent e;
            e.kind = SimLineEvent::Kind::Vanish;
            e.at = start + simLineTime(line, k) + shift;
            e.unit = unit.number();
            out.push_back(e);
            last = e.at;
            break;
        }
        if (k == 0 && r.driverError && replies.size() == 1) {
            SimLineEvent e;
            e.kind = SimLineEvent::Kind::Fail;
            e.at = start + simLineTime(line, 1);
            e.error = r.driverError;
            e.unit = unit.number();
            out.push_back(e);
        }
        SimLineEvent e;
        e.at = start + simLineTime(line, k + 1) + shift;
        e.value = std::uint8_t(bytes[k]);
        e.lineErrors = errors;
        e.unit = unit.number();
        out.push_back(e);
        last = e.at;
    }
    for (const auto& [u, reply] : replies) {
        busyUntil_[u] = std::max(busyUntil_[u], last);
        units_[u]->replyEnded(last);
    }
    if (trace_) trace_(start, false, unit.number(), line, bytes);
}

int SimBus::claim() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_) return ENOENT;
    if (claimed_) return EBUSY;
    claimed_ = true;
    return 0;
}

void SimBus::release() {
    std::lock_guard<std::mutex> lock(mutex_);
    claimed_ = false;
}

bool SimBus::plugged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return plugged_;
}

void SimBus::setPlugged(bool plugged) {
    std::lock_guard<std::mutex> lock(mutex_);
    plugged_ = plugged;
}

void SimBus::failDriverCall(SimDriverCall call, int error, int times) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back({call, error, times});
}

void SimBus::clearDriverFailures() {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.clear();
}

int SimBus::takeDriverFailure(SimDriverCall call) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call) continue;
        const int error = it->error;
        if (it->times > 0 && --it->times == 0) failures_.erase(it);
        return error;
    }
    return 0;
}

void SimBus::setTrace(Trace trace) {
    std::lock_guard<std::mutex> lock(mutex_);
    trace_ = std::move(trace);
}

bool SimBus::takeDirty() {
    std::lock_guard<std::mutex> lock(mutex_);
    bool dirty = false;
    for (auto& u : units_) {
        dirty = dirty || u->dirty();
        u->clearDirty();
    }
    return dirty;
}

} // namespace kqm52
