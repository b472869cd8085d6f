#pragma once

// A whole-unit backup (rp 0 … rp 399, rs 1 … rs 48, the receive window's
// mode 3) at 38400 bit/s 8E1 through the transfer engine, timed on the real
// clock, and the line's floor for it: per request the request's and the
// reply's line time and the unit's turnaround, plus the 50 ms of silence
// that ends each reply unless fast framing ends it at its line end.  The
// benchmarks of the backup on every kind of line share it.

#include "link/UnitProtocol.h"
#include "link/ZRComm.h"
#include "model/engines/TableTransfer.h"
#include "model/texts/LanguageTexts.h"
#include "sim/SimLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kqm52::bench {

constexpr SimNanos Turnaround = simMs(2); // the simulator's default
constexpr int BackupRequests = ParamTables::ParameterCount + ParamTables::SetpointCount;

inline LineState line38400() {
    return {.baud = 38400, .dataBits = 8, .parity = DriverParity::Even, .stopBits = 1};
}

// The floor of a backup that read these tables: every request and reply as
// the unit sends them ("rp 17 -350" and CR LF), the turnaround and, with
// silence framing, the 50 ms after each reply.
inline double floorSeconds(const UnitTables& tables, bool silence) {
    const LineState l = line38400();
    SimNanos t = 0;
    const auto add = [&](const QString& request, qint32 value) {
        const qsizetype reply = request.size() + 1 + QString::number(value).size() + 2;
        t += simLineTime(l, int(request.size()) + 1) + Turnaround + simLineTime(l, int(reply)) +
             (silence ? simMs(InterByteTimeoutMs) : 0);
    };
    for (int p = 0; p < ParamTables::ParameterCount; ++p)
        add(unit::readParameter(p), tables.parameters[std::size_t(p)]);
    for (int s = 1; s <= ParamTables::SetpointCount; ++s)
        add(unit::readSetpoint(s), tables.setpoints[std::size_t(s - 1)]);
    return double(t) / 1e9;
}

struct BackupResult {
    double seconds = 0;
    double floor = 0;
    bool ok = false;
};

// One backup of the unit on COM1 of the map.
inline BackupResult runBackup(PortMap& map, bool fast) {
    TZRComm port;
    port.setPortMap(&map);
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetFastFraming(fast);
    BackupResult r;
    try {
        port.SetActive(true);
    } catch (const std::exception& e) {
        std::printf("  the port did not open: %s\n", e.what());
        return r;
    }
    {
        const LanguageTexts noTexts; // no panel is read here
        TableTransfer transfer(port, TableTransfer::Direction::Receive, noTexts);
        transfer.setMode(TableTransfer::Mode::Device);
        QElapsedTimer wall;
        wall.start();
        transfer.start();
        while (transfer.status() == TableTransfer::Status::Running)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        r.seconds = double(wall.nsecsElapsed()) / 1e9;
        r.ok = transfer.status() == TableTransfer::Status::Done;
        r.floor = floorSeconds(transfer.tables, !fast);
        if (port.fastFramingSuspended()) std::printf("  (fast framing fell back to silence)\n");
    }
    port.SetActive(false);
    return r;
}

// The best run: the machine is shared, and the floor is what it could do.
inline BackupResult best(const std::vector<BackupResult>& runs) {
    return *std::min_element(runs.begin(), runs.end(),
                             [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
}
inline double worstSeconds(const std::vector<BackupResult>& runs) {
    return std::max_element(runs.begin(), runs.end(),
                            [](const auto& a, const auto& b) { return a.seconds < b.seconds; })
        ->seconds;
}
inline int failures(const std::vector<BackupResult>& runs) {
    return int(std::count_if(runs.begin(), runs.end(), [](const auto& r) { return !r.ok; }));
}

} // namespace kqm52::bench
