// kqm52ctl ports: the serial ports of this computer and the simulated bus.

#include "ctl/CtlRunner.h"

#include <QSerialPortInfo>

namespace kqm52::ctl {

int CtlRunner::ports() {
    QJsonArray list;
    for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
        QString description = p.description();
        if (!p.manufacturer().isEmpty())
            description += QStringLiteral(" (%1)").arg(p.manufacturer());
        data(QStringLiteral("%1  %2").arg(p.systemLocation().leftJustified(20), description));
        list.append(QJsonObject{{QStringLiteral("device"), p.systemLocation()},
                                {QStringLiteral("description"), p.description()},
                                {QStringLiteral("manufacturer"), p.manufacturer()}});
    }
    data(QStringLiteral("%1  %2").arg(QStringLiteral("sim").leftJustified(20), text("SimBus")));
    list.append(
        QJsonObject{{QStringLiteral("device"), QStringLiteral("sim")},
                    {QStringLiteral("description"), QStringLiteral("the built-in simulated bus")}});
    json_.insert(QStringLiteral("ports"), list);
    QJsonObject mapped;
    for (int i = 0; i < PortCount; ++i) {
        const TPort port = TPort(i);
        if (!bus().link.port().portMap().isConfigured(port)) continue;
        const QString device = bus().link.port().portMap().device(port);
        note(QStringLiteral("%1 -> %2").arg(PortMap::key(port), device));
        mapped.insert(PortMap::key(port), device);
    }
    json_.insert(QStringLiteral("portMap"), mapped);
    return Done;
}

} // namespace kqm52::ctl
