#include "sim/SimOptions.h"

#include "sim/DemoBus.h"

namespace kqm52 {

namespace {

LineState defaultLine() {
    LineState l;
    l.baud = 38400;
    l.dataBits = 8;
    l.parity = DriverParity::Even;
    l.stopBits = 1;
    return l;
}

// "N:REST" with N a unit number 0..31.
bool splitUnit(const QString& text, int& number, QString& rest, QString& error) {
    const int colon = int(text.indexOf(QLatin1Char(':')));
    bool ok = false;
    number = (colon < 0 ? text : text.left(colon)).trimmed().toInt(&ok);
    if (!ok || number < 0 || number > 31) {
        error = QStringLiteral("\"%1\": the unit number must be 0 … 31").arg(text);
        return false;
    }
    rest = colon < 0 ? QString() : text.mid(colon + 1);
    return true;
}

} // namespace

bool parseSimFaults(const QString& list, SimFaults& f, bool inProcess, QString& error) {
    for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int eq = int(item.indexOf(QLatin1Char('=')));
        const QString name = (eq < 0 ? item : item.left(eq)).trimmed().toLower();
        const QString value = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        bool ok = true;
        auto number = [&](int def) {
            if (value.isEmpty()) return def;
            const int v = value.toInt(&ok, 0);
            ok = ok && v > 0;
            return v;
        };
        if (name == QLatin1String("no-answer"))
            f.noAnswer = true;
        else if (name == QLatin1String("late"))
            f.lateMs = number(150);
        else if (name == QLatin1String("garbled"))
            f.garbled = true;
        else if (name == QLatin1String("wrong-word")) {
            if (value.isEmpty() || value == QLatin1String("always"))
                f.wrongWord = SimFaults::WrongWord::Always;
            else if (value == QLatin1String("once"))
                f.wrongWord = SimFaults::WrongWord::Once;
            else
                ok = false;
        } else if (name == QLatin1String("wrong-number")) {
            if (value.isEmpty() || value == QLatin1String("always"))
                f.wrongNumber = SimFaults::WrongWord::Always;
            else if (value == QLatin1String("once"))
                f.wrongNumber = SimFaults::WrongWord::Once;
            else
                ok = false;
        } else if (name == QLatin1String("refuse-writes"))
            f.refuseWrites = true;
        else if (name == QLatin1String("fail-bp"))
            f.failBp = true;
        else if (name == QLatin1String("pause"))
            f.pauseMs = number(60);
        else if (name == QLatin1String("long-reply"))
            f.longReply = true;
        else if (name == QLatin1String("not-ready"))
            f.notReadyMs = number(20);
        else if (name == QLatin1String("drip"))
            f.dripMs = number(10);
        else if (name == QLatin1String("vanish"))
            f.vanish = true;
        else if (name == QLatin1String("line-errors") && inProcess)
            f.lineErrors = std::uint32_t(number(LineErrorParity));
        else if (name == QLatin1String("driver-error") && inProcess)
            f.driverError = number(5 /* EIO */);
        else if (name == QLatin1String("line-errors") || name == QLatin1String("driver-error")) {
            error = QStringLiteral("fault \"%1\" exists only in-process (SimDriver), not on a pty")
                        .arg(name);
            return false;
        } else {
            error = QStringLiteral("unknown fault \"%1\"").arg(name);
            return false;
        }
        if (!ok) {
            error = QStringLiteral("fault \"%1\": bad value \"%2\"").arg(name, value);
            return false;
        }
    }
    return true;
}

bool parseSimOptions(const QStringList& args, SimOptions& o, QString& error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("%1 needs a value").arg(a);
                return false;
            }
            out = args[++i];
            return true;
        };
        QString v, rest;
        int n = 0;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--demo")) {
            o.demo = true;
        } else if (a == QLatin1String("--unit")) {
            if (!value(v) || !splitUnit(v, n, rest, error)) return false;
            SimOptions::Unit u{n, defaultLine()};
            if (!rest.isEmpty() && !simParseLine(rest, u.line)) {
                error = QStringLiteral("--unit %1: line settings look like 38400,E,8,1").arg(v);
                return false;
            }
            o.units.append(u);
        } else if (a == QLatin1String("--turnaround")) {
            bool ok = false;
            if (!value(v)) return false;
            o.turnaroundMs = v.toDouble(&ok);
            if (!ok || o.turnaroundMs < 0 || o.turnaroundMs > 10000) {
                error = QStringLiteral("--turnaround: milliseconds, 0 … 10000");
                return false;
            }
        } else if (a == QLatin1String("--fault")) {
            SimFaults f;
            if (!value(v) || !splitUnit(v, n, rest, error) ||
                !parseSimFaults(rest, f, false, error))
                return false;
            o.faults.append({n, f});
        } else if (a == QLatin1String("--error")) {
            bool ok = false;
            if (!value(v) || !splitUnit(v, n, rest, error)) return false;
            const int e = rest.toInt(&ok);
            if (!ok) {
                error = QStringLiteral("--error N:E needs an error number");
                return false;
            }
            o.errors.append({n, e});
        } else if (a == QLatin1String("--type")) {
            if (!value(v) || !splitUnit(v, n, rest, error)) return false;
            o.types.append({n, rest.toLatin1()});
        } else if (a == QLatin1String("--state")) {
            if (!value(o.stateFile)) return false;
        } else if (a == QLatin1String("--log")) {
            if (!value(o.logFile)) return false;
        } else if (a == QLatin1String("--data")) {
            if (!value(o.dataDir)) return false;
        } else if (a == QLatin1String("--link")) {
            if (!value(o.linkPath)) return false;
        } else {
            error = QStringLiteral("unknown option \"%1\"").arg(a);
            return false;
        }
    }
    if (o.units.isEmpty() && !o.demo) o.units.append({0, defaultLine()});
    return true;
}

bool buildSimBus(const SimOptions& o, const SimCatalogue& catalogue, std::shared_ptr<SimBus>& bus,
                 QString& error) {
    bus = std::make_shared<SimBus>(std::make_shared<RealClock>());
    if (o.demo) addDemoUnits(*bus, catalogue);
    for (const auto& u : o.units)
        bus->addUnit(u.number, u.line, catalogue).clearDirty();
    bus->setTurnaround(SimNanos(o.turnaroundMs * 1e6));
    auto find = [&](int number) {
        const int i = bus->indexOf(number);
        if (i < 0) error = QStringLiteral("unit %1 is not on the bus").arg(number);
        return i;
    };
    for (const auto& [n, f] : o.faults) {
        if (find(n) < 0) return false;
        bus->setFaults(n, f);
    }
    for (const auto& [n, e] : o.errors) {
        const int i = find(n);
        if (i < 0) return false;
        bus->withUnit(i, [e = e](SimUnit& u) { u.setErrorNumber(e); });
    }
    for (const auto& [n, t] : o.types) {
        const int i = find(n);
        if (i < 0) return false;
        bus->withUnit(i, [t = t](SimUnit& u) { u.typeText = t; });
    }
    return true;
}

QString simUsage() {
    return QStringLiteral(
        "Usage: mx5x-sim [options]\n"
        "Serves simulated MX5x units on a pseudo-terminal and prints its path.\n"
        "\n"
        "  --unit N[:LINE]      unit N (0..31) at LINE, e.g. 38400,E,8,1 (default); repeatable\n"
        "  --demo               the demo units: 0 at 38400,E,8,1, 5 at 19200,E,8,1, 12 at "
        "9600,N,8,2\n"
        "  --turnaround MS      time from a request's CR to the reply (default 2)\n"
        "  --fault N:LIST       faults of unit N, comma-separated: no-answer, late[=MS],\n"
        "                       garbled, wrong-word[=once|always], wrong-number[=once|always],\n"
        "                       refuse-writes, fail-bp, pause[=MS], long-reply, not-ready[=MS],\n"
        "                       drip[=MS],\n"
        "                       vanish\n"
        "  --error N:E          unit N reports device error E to \"rf\"\n"
        "  --type N:TEXT        the \"rt\" text of unit N\n"
        "  --state FILE         keep the units' parameters, setpoints and EEPROM in FILE\n"
        "  --log FILE           log every line received and sent, with times\n"
        "  --data DIR           folder of Parameters.txt (default: beside the program,\n"
        "                       or share/kqm52 when installed)\n"
        "  --link PATH          also make PATH a symbolic link to the pty\n"
        "\n"
        "Over a pty only speed and stop bits reach the simulator (Linux masks parity and\n"
        "data bits), so units match on those two. Stop with Ctrl-C or SIGTERM.\n");
}

} // namespace kqm52
