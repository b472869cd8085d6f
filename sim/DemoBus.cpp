#include "sim/DemoBus.h"

#include "sim/SimDriver.h"

#include <QLoggingCategory>

#include <array>

Q_DECLARE_LOGGING_CATEGORY(lcSim)

namespace kqm52 {

namespace {

LineState line(int baud, DriverParity parity, int stopBits) {
    LineState l;
    l.baud = baud;
    l.dataBits = 8;
    l.parity = parity;
    l.stopBits = stopBits;
    return l;
}

// Sets a parameter, keeping within the catalogue: the demo must never make
// "bp" fail on a catalogue that limits a value more tightly than we expect.
void set(SimUnit& u, int p, std::int32_t v) {
    if (!u.setParameter(p, v))
        qCInfo(lcSim) << "demo: parameter" << p << "=" << v << "is outside the catalogue's limits";
}

struct Cam {
    int n, function, output;
    std::int32_t start, end;
    int startSelector = 0, endSelector = 0;
};

void setCams(SimUnit& u, std::initializer_list<Cam> cams) {
    for (const Cam& c : cams) {
        set(u, 6 + c.n, c.start);
        set(u, 30 + c.n, c.end);
        set(u, 255 + c.n, c.function);
        set(u, 279 + c.n, 0); // source: the unit's own axis
        set(u, 303 + c.n, c.startSelector);
        set(u, 327 + c.n, c.endSelector);
        set(u, 351 + c.n, c.output);
    }
}

// Trimmed constants, in the RAM and the EEPROM alike, by number 2034 … 2045.
// They nearly cancel the error every simulated unit is built with (a few
// millivolts of offset, a few tenths of a percent of gain), so the
// calibration window reads what a trimmed unit holds and a last touch is left.
using CalibrationSet = std::array<std::int32_t, SimUnit::CalCount>;
void setCalibration(SimUnit& u, const CalibrationSet& values) {
    for (int i = 0; i < SimUnit::CalCount; ++i) {
        u.setCalibration(SimUnit::CalFirst + i, values[std::size_t(i)]);
        u.setEeprom(SimUnit::CalFirst + i, values[std::size_t(i)]);
    }
}

// The main demo unit, a cam controller with a turning axis and five cams.
void setUpMainUnit(SimUnit& u) {
    u.typeText = "MX52 Nokkenregelaar V3.07";
    u.hardwareText = "HW 2.1 SN 520017";
    u.extraText = "Demo KQM52";
    u.axis() = SimAxis{true, 36000, 3000.0, 600.0, 20.0, 0};
    set(u, 203, 2);
    set(u, 388, 1);
    setCams(u, {
                   {1, 1, 1, 0, 9000},         // output 1: 0,00 … 90,00
                   {2, 2, 2, 18000, 27000},    // output 2: 180,00 … 270,00
                   {3, 3, 3, 0, 0, 1, 2},      // output 3: setpoint 1 … setpoint 2
                   {4, 1, 4, 33000, 3000},     // output 4: 330,00 … 30,00, through zero
                   {5, 2, 1, 0, 31000, 49, 0}, // output 1 again: thumbwheel 1 … 310,00
               });
    for (int s = 1; s <= SimSetpointCount; ++s)
        u.setSetpoint(s, s * 750);
    u.setSetpoint(1, 12000);
    u.setSetpoint(2, 15500);
    u.setThumbwheel(1, 28000);
    u.setThumbwheel(2, 2500);
    u.setThumbwheel(3, 7500);
    u.setThumbwheel(4, 12000);
    //                2034  2035  2036  2037 2038  2039  2040 2041  2042 2043  2044  2045
    setCalibration(u, {-401, -11, -398, -249, 38, -251, -302, -13, -296, 21, -447, -452});
    u.clearDirty();
}

} // namespace

void addDemoUnits(SimBus& bus, const SimCatalogue& catalogue) {
    setUpMainUnit(bus.addUnit(0, line(38400, DriverParity::Even, 1), catalogue));
    {
        SimUnit& u = bus.addUnit(5, line(19200, DriverParity::Even, 1), catalogue);
        u.typeText = "MX52 Positioneerregelaar V2.11";
        u.hardwareText = "HW 2.0 SN 520342";
        u.extraText = "Demo KQM52";
        u.axis() = SimAxis{true, 36000, 1200.0, 300.0, 30.0, 9000};
        set(u, 203, 2);
        setCams(u, {{1, 1, 1, 4500, 13500}, {2, 3, 2, 20000, 35000}});
        u.setThumbwheel(1, 100);
        setCalibration(u, {-395, -12, -390, -260, 41, -244, -310, -15, -288, 19, -455, -440});
        u.clearDirty();
    }
    {
        SimUnit& u = bus.addUnit(12, line(9600, DriverParity::None, 2), catalogue);
        u.typeText = "MX53 Nokkenregelaar V1.02";
        u.hardwareText = "HW 1.4 SN 530008";
        u.extraText = "Demo KQM52";
        u.axis() = SimAxis{false, 3600, 0.0, 0.0, 20.0, 1234};
        set(u, 203, 1);
        setCams(u, {{1, 2, 1, 1000, 2000}});
        // Never trimmed: its constants are all 0, as it left the factory.
        u.clearDirty();
    }
    // A program started without application.ini keeps the port settings its
    // main window comes with (9600 bit/s, odd parity); a twin of unit 0 answers
    // there, so the demo works at once on either.
    setUpMainUnit(bus.addUnit(0, line(9600, DriverParity::Odd, 1), catalogue));
}

std::shared_ptr<SimBus> makeDemoBus(const QString& programDir) {
    auto bus = std::make_shared<SimBus>(std::make_shared<RealClock>());
    addDemoUnits(*bus, SimCatalogue::fromProgramDir(programDir));
    return bus;
}

void installDemoBus(PortMap& map, const QString& programDir) {
    installSimulatedBus(map, [programDir, bus = std::shared_ptr<SimBus>()]() mutable {
        if (!bus) bus = makeDemoBus(programDir);
        return bus;
    });
}

} // namespace kqm52
