#include "link/PortFamily.h"

#include "link/PortMap.h"
#include "link/PosixSerialDriver.h"
#include "link/Rfc2217SerialDriver.h"
#include "link/TcpSerialDriver.h"

#include <cerrno>

namespace kqm52 {

namespace {

// What a user can do about a device file the system will not open; the
// simulated bus refuses in the same terms (EBUSY while another port holds it).
std::vector<OpenAdvice> deviceFileAdvice() {
    return {
        {{EACCES, EPERM}, {"InitCom", "MsgNoAccess"}, {"InitCom", "MsgAccessByGroup"}},
        {{EBUSY}, {"InitCom", "MsgDeviceBusy"}},
        {{ENOENT, ENODEV, ENXIO}, {"InitCom", "MsgDeviceMissing"}},
    };
}

} // namespace

std::vector<PortFamily> standardPortFamilies() {
    PortFamily device;
    device.name = QStringLiteral("device");
    device.serves = [](const QString& value) { return value.startsWith(QLatin1Char('/')); };
    device.make = [](const QString&) { return std::make_unique<PosixSerialDriver>(); };
    device.form = {"Ctl", "PortFormDevice"};
    device.advice = deviceFileAdvice();

    // Its driver comes from the simulated bus (sim/SimDriver.h), in the
    // builds that have it.
    PortFamily sim;
    sim.name = QString::fromLatin1(PortMap::SimDevice);
    sim.serves = [](const QString& value) { return value == QLatin1String(PortMap::SimDevice); };
    sim.choice = QString::fromLatin1(PortMap::SimDevice);
    sim.description = QStringLiteral("simulated bus");
    sim.form = {"Ctl", "PortFormSim"};
    sim.notBuilt = {"InitCom", "MsgMapNoSim"};
    sim.advice = deviceFileAdvice();

    // A bus behind a serial device server, raw: the line is set at the server.
    PortFamily tcp;
    tcp.name = QStringLiteral("tcp");
    tcp.serves = [](const QString& value) {
        return parseNetworkAddress(value, QStringLiteral("tcp")).has_value();
    };
    tcp.make = [](const QString&) { return std::make_unique<TcpSerialDriver>(); };
    tcp.form = {"Ctl", "PortFormTcp"};
    tcp.lineAtServer = true;

    // Behind a server with the Telnet COM-PORT option: the tool sets the line.
    PortFamily rfc2217;
    rfc2217.name = QStringLiteral("rfc2217");
    rfc2217.serves = [](const QString& value) {
        return parseNetworkAddress(value, QStringLiteral("rfc2217")).has_value();
    };
    rfc2217.make = [](const QString&) { return std::make_unique<Rfc2217SerialDriver>(); };
    rfc2217.form = {"Ctl", "PortFormRfc2217"};

    return {std::move(device), std::move(tcp), std::move(rfc2217), std::move(sim)};
}

} // namespace kqm52
