// A device search with parity and stop bits on "COM" over an empty simulated
// bus, on the real clock: 160 probes that nobody answers.  Each costs at
// least its bytes on the line at the speed under test and the 100 ms the
// link waits for a first byte; whatever the program adds (changing speed,
// handing the next probe out from the event loop) shows in the ratio.

#include "link/ZRComm.h"
#include "model/engines/DeviceSearch.h"
#include "model/texts/LanguageTexts.h"
#include "sim/SimDriver.h"
#include "sim/SimLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

using namespace kqm52;

namespace {

class QuietView : public DeviceSearchView {
  public:
    void probing(const SearchCombination&) override {}
    void unitFound(int) override {}
    void stateChanged() override {}
    void showError(const QString& caption, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto bus = std::make_shared<SimBus>(std::make_shared<RealClock>());
    PortMap map;
    installSimulatedBus(map, bus);
    map.setDevice(TPort::COM1, QStringLiteral("sim"));
    TZRComm port;
    port.setPortMap(&map);
    port.SetFrameParitybit(TParityBit::Even);
    port.SetFrameStopbits(TStopBit::sb_1);

    QuietView view;
    const LanguageTexts builtIn;
    DeviceSearch search(port, view, builtIn);
    search.activate();
    const SearchChoice choice{0, false, false};

    // The floor: every probe's bytes ("sc n" and CR) at its speed, then the wait.
    double floorMs = 0;
    int probes = 0;
    for (const SearchCombination& c :
         DeviceSearch::combinations(choice, TParityBit::Even, TStopBit::sb_1)) {
        const LineState line{baudrateValue(c.baud), 8, DriverParity::Even, 1};
        const int bytes = 4 + (c.unit >= 10 ? 1 : 0) + 1;
        floorMs += double(simLineTime(line, bytes)) / 1e6 + DeviceSearch::ProbeTimeoutMs;
        ++probes;
    }

    QElapsedTimer wall;
    wall.start();
    search.start(choice);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (search.state() != SearchState::Searching) loop.quit();
    });
    check.start(5);
    loop.exec();
    const double elapsedMs = double(wall.nsecsElapsed()) / 1e6;
    search.cancel();

    std::printf("search_bench: %d probes, parity and stop bits on COM, empty bus, real clock\n",
                search.probesSent());
    std::printf("  time   %9.1f ms\n", elapsedMs);
    std::printf("  floor  %9.1f ms (%d x (100 ms + the probe's line time at its speed))\n", floorMs,
                probes);
    std::printf("  ratio  %9.3f (target <= 1.05)\n", elapsedMs / floorMs);
    return search.state() == SearchState::Complete && search.probesSent() == probes ? 0 : 1;
}
