// kqm52: the Morvek Software Tool.

#include "app/Program.h"
#include "app/SingleInstance.h"
#include "dialogs/FormAbout.h"
#include "model/engines/ProgramState.h"
#include "model/files/ProgramFolders.h"
#include "model/texts/LanguageTexts.h"
#include "shell/FormMain.h"
#include "ui/StartOptions.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace kqm52;

int main(int argc, char** argv) {
    // Answered before anything else: without a display (a script, a package
    // check) and without raising a running copy's window.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const StartOptions asked = StartOptions::parse(raw);
    if (asked.version) {
        std::printf("kqm52 %s\n", AboutBox::ProgramVersion);
        return 0;
    }
    if (asked.help) {
        std::fputs(qPrintable(StartOptions::usage()), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kqm52"));
    const StartOptions options = StartOptions::parse(QApplication::arguments().mid(1));

    SingleInstance instance;
    const SingleInstance::Outcome outcome = instance.start();
    switch (outcome) {
    case SingleInstance::Outcome::First:
    case SingleInstance::Outcome::Failed: // better a second copy than no program at all
        break;
    case SingleInstance::Outcome::OtherRaised:
        return 0;
    case SingleInstance::Outcome::OtherSilent:
        // Running beside it would have two copies writing one settings file.
        // No file is read before this copy knows it may run, so the words are
        // the built-in ones.
        std::fprintf(stderr, "kqm52: %s\n", qPrintable(instance.errorString(LanguageTexts())));
        return 1;
    }

    QApplication::setApplicationDisplayName(TFormMain::applicationTitle());
    for (const QString& arg : options.unknown)
        std::fprintf(stderr, "kqm52: ignoring the argument \"%s\"\n", qPrintable(arg));

    Program program(options, ProgramFolders::ofRunningProgram());
    const LanguageTexts& language = program.state().language;
    if (outcome == SingleInstance::Outcome::Failed)
        std::fprintf(stderr, "kqm52: %s %s\n", qPrintable(instance.errorString(language)),
                     qPrintable(language.text(TextId{"Main", "MsgInstanceUnchecked"})));
    if (!program.demoProblem().isEmpty())
        std::fprintf(stderr, "kqm52: %s\n", qPrintable(program.demoProblem()));

    TFormMain& formMain = program.mainWindow();
    QObject::connect(&instance, &SingleInstance::raiseRequested, &formMain,
                     [&formMain] { SingleInstance::restoreOrRaise(&formMain); });
    QObject::connect(&formMain, &TFormMain::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (options.closeAfterSeconds > 0)
        QTimer::singleShot(std::chrono::seconds(options.closeAfterSeconds), &formMain,
                           &QWidget::close);
    formMain.show();
    return QApplication::exec();
}
