// kqm52ctl info: what each unit says it is.

#include "ctl/CtlRunner.h"

namespace kqm52::ctl {

int CtlRunner::info() {
    if (!options_.arguments.isEmpty())
        return usage(text("NoArguments").arg(QStringLiteral("info")));
    return forUnits(
        [&](CtlBus& bus, int unit, const Identity& id) {
            UnitResult r;
            // One line a unit where lines of several units stand together.
            if (bus.units || severalBuses()) {
                data(bus, QStringLiteral("unit %1  %2   %3   %4")
                              .arg(unit, 2, 10, QLatin1Char('0'))
                              .arg(id.type, id.hardware, id.extra));
                r.summary = QString(); // the line above is the summary
            } else {
                data(bus, QStringLiteral("type      %1").arg(id.type));
                data(bus, QStringLiteral("hardware  %1").arg(id.hardware));
                data(bus, QStringLiteral("extra     %1").arg(id.extra));
            }
            r.json = QJsonObject{{QStringLiteral("type"), id.type},
                                 {QStringLiteral("hardware"), id.hardware},
                                 {QStringLiteral("extra"), id.extra}};
            return r;
        },
        true);
}

} // namespace kqm52::ctl
