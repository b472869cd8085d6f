#pragma once

// A bus behind a serial device server, all on this machine: mx5x-sim on a
// pty, and Debian's ser2net serving that pty on 127.0.0.1, with a raw TCP
// accepter (the port value tcp://127.0.0.1:PORT) and a Telnet COM-PORT one
// (rfc2217://127.0.0.1:PORT).  For tests and benchmarks: both processes end
// with the object, and with the process that made them if it dies first.
//
//   Ser2netServer bus;
//   if (!bus.start(MX5X_SIM_PATH, {"--unit", "0:38400,E,8,1"})) ... bus.error()
//   map.setDevice(TPort::COM1, bus.address("tcp"));
//
// ser2net opens the pty when a client connects and sets the line there
// (38400e81 unless told otherwise); the simulated units answer at the speed
// they find on it.  NetDelay puts netdelay (netdelay.cpp) in front of it.

#include "TestWait.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kqm52::test {

inline const QString Ser2netProgram = QStringLiteral("/usr/sbin/ser2net");

inline bool ser2netInstalled() {
    return QFileInfo(Ser2netProgram).isExecutable();
}

// Ports nobody listens on now, each bound and let go together so that two
// calls in a row do not hand out the same one.
inline std::vector<int> freeLoopbackPorts(int count) {
    std::vector<int> fds, ports;
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length))
            return {};
        fds.push_back(fd);
        ports.push_back(ntohs(a.sin_port));
    }
    for (const int fd : fds)
        ::close(fd);
    return ports;
}

// True when something listens on 127.0.0.1:port.  Read from the kernel's
// table rather than by connecting: a connection to ser2net opens the line.
inline bool loopbackListening(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    // "sl local_address rem_address st": the address in hex, LISTEN is 0A.
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A") return true;
    }
    return false;
}

// A helper program of a test: killed with the test if the test dies, ended
// with the object otherwise.
class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    bool start(const QString& program, const QStringList& args) {
        process_.setProgram(program);
        process_.setArguments(args);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process_.start();
        return process_.waitForStarted(5000);
    }
    // Its first line of output, as mx5x-sim and netdelay say where they are.
    QString firstLine(int timeoutMs = 10000) {
        waitUntil([&] { return process_.canReadLine() || process_.state() != QProcess::Running; },
                  timeoutMs);
        return process_.canReadLine() ? QString::fromLocal8Bit(process_.readLine()).trimmed()
                                      : QString();
    }
    bool running() const { return process_.state() == QProcess::Running; }
    // What it said, for a message when it did not come up.
    QString output() { return QString::fromLocal8Bit(process_.readAll()).trimmed(); }
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

  private:
    QProcess process_;
};

// How ser2net is set up, beyond the line and its two accepters.
struct Ser2netSetup {
    // Connection options besides kickolduser, as YAML lines ("chardelay: false").
    QStringList options;
    // The accepter's TCP sends each write at once (tcp(nodelay)), not held
    // back until the client acknowledges what went before.
    bool noDelay = false;
    QString line = QStringLiteral("38400e81"); // ser2net's form
};

class Ser2netServer {
  public:
    // The ser2net accepter behind each port value scheme.
    static QString accepter(const QString& scheme, bool noDelay = false) {
        const QString tcp = noDelay ? QStringLiteral("tcp(nodelay)") : QStringLiteral("tcp");
        if (scheme == QLatin1String("tcp")) return tcp;
        if (scheme == QLatin1String("rfc2217")) return QStringLiteral("telnet(rfc2217),") + tcp;
        return {};
    }
    static QStringList schemes() { return {QStringLiteral("tcp"), QStringLiteral("rfc2217")}; }

    Ser2netServer() = default;
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;
    ~Ser2netServer() { stop(); }

    // mx5x-sim with these arguments, then ser2net on it.  False with error()
    // when either did not come up.
    bool start(const QString& simProgram, const QStringList& simArgs,
               const Ser2netSetup& setup = {}) {
        if (!ser2netInstalled()) return fail(Ser2netProgram + QStringLiteral(" is not installed"));
        if (!dir_.isValid()) return fail(QStringLiteral("no temporary folder"));
        const QString pty = dir_.filePath(QStringLiteral("bus"));
        if (!sim_.start(simProgram, simArgs + QStringList{QStringLiteral("--link"), pty}))
            return fail(QStringLiteral("mx5x-sim did not start"));
        if (!sim_.firstLine().startsWith(QLatin1String("/dev/")) || !QFileInfo::exists(pty))
            return fail(QStringLiteral("mx5x-sim made no pty: ") + sim_.output());
        // A port taken between choosing it and ser2net binding it: choose again.
        for (int attempt = 0; attempt < 3; ++attempt)
            if (startSer2net(pty, setup)) return true;
        stop();
        return false;
    }

    void stop() {
        // ser2net first: it holds the pty the simulator serves.
        ser2net_.stop();
        sim_.stop();
    }

    // 0 for a scheme ser2net is not serving here.
    int port(const QString& scheme) const {
        const qsizetype i = schemes().indexOf(scheme);
        return i < 0 || std::size_t(i) >= ports_.size() ? 0 : ports_[std::size_t(i)];
    }
    QString address(const QString& scheme) const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port(scheme));
    }
    const QString& error() const { return error_; }

  private:
    bool fail(const QString& why) {
        error_ = why;
        stop();
        return false;
    }

    // False with error_ set; the simulator is left running for another try.
    bool startSer2net(const QString& pty, const Ser2netSetup& setup) {
        ports_ = freeLoopbackPorts(int(schemes().size()));
        if (ports_.empty()) {
            error_ = QStringLiteral("no free port on 127.0.0.1");
            return false;
        }
        QString yaml;
        for (const QString& scheme : schemes()) {
            yaml += QStringLiteral("connection: &%1\n"
                                   "    accepter: %2,127.0.0.1,%3\n"
                                   "    connector: serialdev,%4,%5,local\n"
                                   "    options:\n"
                                   "      kickolduser: true\n")
                        .arg(scheme, accepter(scheme, setup.noDelay))
                        .arg(port(scheme))
                        .arg(pty, setup.line);
            for (const QString& option : setup.options)
                yaml += QStringLiteral("      ") + option + QLatin1Char('\n');
        }
        const QString config = dir_.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write(yaml.toUtf8()) != yaml.toUtf8().size()) {
            error_ = QStringLiteral("cannot write ") + config;
            return false;
        }
        file.close();
        // In the foreground, logging to its output, no UUCP lock, its pid
        // file in our folder: nothing of it outlives the test.
        if (!ser2net_.start(Ser2netProgram,
                            {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-u"),
                             QStringLiteral("-P"), dir_.filePath(QStringLiteral("ser2net.pid")),
                             QStringLiteral("-c"), config})) {
            error_ = QStringLiteral("ser2net did not start");
            return false;
        }
        const bool listening = waitUntil(
            [&] {
                if (!ser2net_.running()) return true;
                for (const QString& scheme : schemes())
                    if (!loopbackListening(port(scheme))) return false;
                return true;
            },
            5000);
        if (listening && ser2net_.running()) return true;
        error_ = QStringLiteral("ser2net is not listening on 127.0.0.1:%1 and :%2: %3")
                     .arg(ports_[0])
                     .arg(ports_[1])
                     .arg(ser2net_.output());
        ser2net_.stop();
        return false;
    }

    QTemporaryDir dir_;
    ChildProcess sim_;
    ChildProcess ser2net_;
    std::vector<int> ports_;
    QString error_;
};

// netdelay (tests/support/netdelay.cpp) between a client and a port on
// 127.0.0.1, with its options ("--delay-ms", "2", ...).
class NetDelay {
  public:
    bool start(const QString& program, int targetPort, const QStringList& options) {
        if (!process_.start(program,
                            QStringList{QStringLiteral("--target"), QString::number(targetPort)} +
                                options)) {
            error_ = QStringLiteral("netdelay did not start");
            return false;
        }
        port_ = process_.firstLine().toInt();
        if (port_ > 0 && waitUntil([&] { return loopbackListening(port_); }, 5000)) return true;
        error_ = QStringLiteral("netdelay is not listening: ") + process_.output();
        process_.stop();
        return false;
    }
    void stop() { process_.stop(); }
    int port() const { return port_; }
    QString address(const QString& scheme) const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port_);
    }
    const QString& error() const { return error_; }

  private:
    ChildProcess process_;
    int port_ = 0;
    QString error_;
};

} // namespace kqm52::test
