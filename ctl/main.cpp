// kqm52ctl: the service tool's jobs from a script.  No display is needed:
// this links the link, the model and the simulator, never a widget.

#include "ctl/CtlRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    // A second Ctrl+C while the first waits for its reply ends the program
    // the usual way: the user asked twice.
    if (interrupted.exchange(true)) std::_Exit(130);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kqm52ctl"));

    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    kqm52::ctl::CtlContext context;
    context.folders = kqm52::ProgramFolders::ofRunningProgram();
    context.out = &out;
    context.err = &err;
    context.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
    context.errorIsTerminal = ::isatty(STDERR_FILENO) == 1;
    context.readLine = [&in] { return in.readLine(); };
    context.interrupted = &interrupted;

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return kqm52::ctl::runCtl(arguments, context);
}
