#include "ui/StartOptions.h"

namespace kqm52 {

namespace {

// A whole number of seconds from 1 to a day; 0 when the text is not one.
int seconds(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 && value <= 24 * 60 * 60 ? value : 0;
}

} // namespace

StartOptions StartOptions::parse(const QStringList& arguments) {
    StartOptions o;
    bool first = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--demo")) {
            o.demo = true;
            continue;
        }
        if (arg == QLatin1String("--version")) {
            o.version = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
            continue;
        }
        if (arg == QLatin1String("--close-after") && i + 1 < arguments.size() &&
            seconds(arguments[i + 1]) > 0) {
            o.closeAfterSeconds = seconds(arguments[++i]);
            continue;
        }
        if (arg.startsWith(QLatin1String("--close-after=")) &&
            seconds(arg.mid(int(sizeof "--close-after=") - 1)) > 0) {
            o.closeAfterSeconds = seconds(arg.mid(int(sizeof "--close-after=") - 1));
            continue;
        }
        // The calibration switch counts only as the first plain argument, so
        // "--demo fieldtrim" works as well as "fieldtrim --demo".
        if (first && arg.compare(QLatin1String("fieldtrim"), Qt::CaseInsensitive) == 0)
            o.fieldtrim = true;
        else
            o.unknown << arg;
        first = false;
    }
    return o;
}

QString StartOptions::usage() {
    return QStringLiteral(
        "Usage: kqm52 [fieldtrim] [--demo] [--close-after SECONDS]\n"
        "       kqm52 --version | --help\n"
        "\n"
        "The Morvek Software Tool: service and configuration of MX5x controllers.\n"
        "\n"
        "  fieldtrim              show the calibration button\n"
        "  --demo                 every port leads to the built-in simulated bus\n"
        "  --close-after SECONDS  close the window after SECONDS, settings saved\n"
        "  --version              print the version and end\n"
        "  -h, --help             this help\n"
        "\n"
        "See kqm52(1) for the folders the program reads and writes.\n");
}

} // namespace kqm52
