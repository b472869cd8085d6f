// kqm52: the Morvek Software Tool.

#include "app/Program.h"
#include "app/SingleInstance.h"
#include "shell/FormMain.h"
#include "ui/StartOptions.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

using namespace kqm52;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kqm52"));
    const StartOptions options = StartOptions::parse(QApplication::arguments().mid(1));

    SingleInstance instance;
    switch (instance.start()) {
    case SingleInstance::Outcome::First:
        break;
    case SingleInstance::Outcome::OtherRaised:
        return 0;
    case SingleInstance::Outcome::OtherSilent:
        // Running beside it would have two copies writing one settings file.
        std::fprintf(stderr, "kqm52: %s\n", qPrintable(instance.errorString()));
        return 1;
    case SingleInstance::Outcome::Failed:
        // Better a second copy than no program at all.
        std::fprintf(stderr, "kqm52: %s Starting without the single-copy check.\n",
                     qPrintable(instance.errorString()));
        break;
    }

    QApplication::setApplicationDisplayName(TFormMain::applicationTitle());
    for (const QString& arg : options.unknown)
        std::fprintf(stderr, "kqm52: ignoring the argument \"%s\"\n", qPrintable(arg));

    Program program(options,
                    QDir(QApplication::applicationDirPath()).absolutePath() + QLatin1Char('/'));
    if (!program.demoProblem().isEmpty())
        std::fprintf(stderr, "kqm52: %s\n", qPrintable(program.demoProblem()));

    TFormMain& formMain = program.mainWindow();
    QObject::connect(&instance, &SingleInstance::raiseRequested, &formMain,
                     [&formMain] { SingleInstance::restoreOrRaise(&formMain); });
    QObject::connect(&formMain, &TFormMain::closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    formMain.show();
    return QApplication::exec();
}
