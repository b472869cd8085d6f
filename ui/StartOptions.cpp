#include "ui/StartOptions.h"

namespace kqm52 {

StartOptions StartOptions::parse(const QStringList& arguments) {
    StartOptions o;
    bool first = true;
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--demo")) {
            o.demo = true;
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

} // namespace kqm52
