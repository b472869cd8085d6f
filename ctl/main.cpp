// kqm52ctl: the service tool's jobs from a script.  No display is needed:
// this links the link, the model and the simulator, never a widget.

#include "ctl/CtlRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<int> interrupted{0};
// Written to by the signal handler, so that a wait for the user's answer
// wakes at once: Qt's own reads of standard input go on after a signal.
int wakeUp[2] = {-1, -1};

extern "C" void onInterrupt(int signal) {
    // A second signal while the first waits for its reply ends the program
    // the usual way: the user asked twice.
    int none = 0;
    if (!interrupted.compare_exchange_strong(none, signal)) std::_Exit(128 + signal);
    if (wakeUp[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeUp[1], &byte, 1);
    }
}

// One line from standard input; nothing when a signal came first.
std::optional<QString> readAnswer() {
    QByteArray line;
    for (;;) {
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wakeUp[0], POLLIN, 0}};
        if (interrupted.load() != 0) return std::nullopt;
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return QString::fromLocal8Bit(line);
        }
        if (fds[1].revents != 0) return std::nullopt;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') return QString::fromLocal8Bit(line);
        if (line.size() < 4096) line.append(c);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kqm52ctl"));

    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) wakeUp[0] = wakeUp[1] = -1;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    QTextStream out(stdout);
    QTextStream err(stderr);
    kqm52::ctl::CtlContext context;
    context.folders = kqm52::ProgramFolders::ofRunningProgram();
    context.out = &out;
    context.err = &err;
    context.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    context.errorIsTerminal = ::isatty(STDERR_FILENO) == 1;
    context.readLine = readAnswer;
    context.interrupted = &interrupted;

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return kqm52::ctl::runCtl(arguments, context);
}
