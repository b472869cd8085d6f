#pragma once

// PtyServer: a SimBus served on a pseudo-terminal, so that the real POSIX
// driver (or any program) can talk to simulated units through a device path.
//
// The server reads what the host writes to the slave side, hands it to the
// bus at the host's current speed and stop bits (read from the terminal each
// time), and writes every reply byte at the time the bus gives it, so a reply
// takes its line time in real time.  A Linux pty masks parity and data bits,
// so units match on speed and stop bits only here; line errors and failing
// driver calls cannot be shown on a pty and are left out.  A unit that
// "vanishes" makes the server close the pty in the middle of the reply: the
// host then sees its peer go away.
//
// The server keeps a slave descriptor open itself, so the pty survives hosts
// that open and close it in turn.  It runs on its own thread; the bus must run
// on a RealClock.

#include "sim/SimBus.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace kqm52 {

class PtyServer {
  public:
    explicit PtyServer(std::shared_ptr<SimBus> bus);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pty.  Returns false with the reason in error.
    bool open(QString* error = nullptr);
    QString slavePath() const { return slavePath_; }

    void start();
    void stop();
    // False once the server has stopped by itself (the device vanished).
    bool running() const { return running_.load(); }

    // Called on the server's thread after a request that changed a unit's
    // stored state (for the state file), and when the device vanished.
    std::function<void()> onDirty;
    std::function<void()> onVanished;

  private:
    void run();
    bool sleepUntil(SimNanos t); // false when stopped
    void closeAll();

    std::shared_ptr<SimBus> bus_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    QString slavePath_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
};

} // namespace kqm52
