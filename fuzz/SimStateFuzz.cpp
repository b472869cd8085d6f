// The simulator keeps its units between runs in a text file that a tester may
// edit by hand.  Any file loads or is refused; a loaded bus saves a file that
// loads back to the same units.

#include "FuzzInput.h"
#include "sim/SimStateFile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace kqm52;

namespace {

const QTemporaryDir& dir() {
    static QTemporaryDir d;
    return d;
}

void addUnits(SimBus& bus) {
    const LineState line{.baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1};
    bus.addUnit(0, line);
    bus.addUnit(7, line);
}

QByteArray saved(SimBus& bus, const QString& path) {
    if (!saveSimState(bus, path)) fuzz::fail();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) fuzz::fail();
    return f.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString in = dir().filePath(QStringLiteral("in.state"));
    const QString out = dir().filePath(QStringLiteral("out.state"));
    {
        QFile f(in);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz::fail();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    SimBus bus(std::make_shared<VirtualClock>());
    addUnits(bus);
    if (!loadSimState(bus, in)) return 0;
    const QByteArray first = saved(bus, out);

    SimBus again(std::make_shared<VirtualClock>());
    addUnits(again);
    if (!loadSimState(again, out) || saved(again, in) != first) fuzz::fail();
    return 0;
}
