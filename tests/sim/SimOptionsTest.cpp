// mx5x-sim's options and its state file; the line-settings text.  Its log
// lines are checked where the program writes them (SimPtyTest).

#include "sim/SimOptions.h"
#include "sim/SimLine.h"
#include "sim/SimStateFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kqm52;

namespace {

LineState parsed(const QString& text) {
    LineState l;
    EXPECT_TRUE(simParseLine(text, l)) << text.toStdString();
    return l;
}

} // namespace

TEST(SimLineText, ParsesAndPrints) {
    EXPECT_EQ(simLineText(parsed("38400,E,8,1")), QString("38400,E,8,1"));
    EXPECT_EQ(simLineText(parsed("9600,n,7,2")), QString("9600,N,7,2"));
    EXPECT_EQ(simLineText(parsed("19200")), QString("19200,E,8,1"));
    EXPECT_EQ(simLineText(parsed("57600,O")), QString("57600,O,8,1"));
    LineState l;
    for (const char* bad : {"", "fast", "9600,X", "9600,E,9", "9600,E,8,3", "9600,E,8,1,1", "10"})
        EXPECT_FALSE(simParseLine(QString::fromLatin1(bad), l)) << bad;
}

TEST(SimOptions, UnitsFaultsAndFiles) {
    SimOptions o;
    QString error;
    // clang-format off
    ASSERT_TRUE(parseSimOptions({"--unit", "0", "--unit", "5:19200,E,8,1", "--turnaround", "0.5",
                                 "--fault", "5:late=200,garbled,wrong-word=once",
                                 "--fault", "0:pause,long-reply,drip=25,wrong-number", "--error", "5:12",
                                 "--type", "0:MX92 Other", "--state", "s.txt", "--log", "l.txt",
                                 "--data", "/d", "--link", "/tmp/x"},
                                o, error))
        << error.toStdString();
    // clang-format on
    EXPECT_EQ(o.linkPath, QString("/tmp/x")); // state, log and data: see the program's own test

    std::shared_ptr<SimBus> bus;
    ASSERT_TRUE(buildSimBus(o, SimCatalogue(), bus, error)) << error.toStdString();
    ASSERT_EQ(bus->unitCount(), 2);
    const SimFaults f5 = bus->faults(5), f0 = bus->faults(0);
    EXPECT_TRUE(f5.lateMs == 200 && f5.garbled && f5.wrongWord == SimFaults::WrongWord::Once);
    EXPECT_TRUE(f0.pauseMs == 60 && f0.longReply && f0.dripMs == 25 &&
                f0.wrongNumber == SimFaults::WrongWord::Always);
    bus->withUnit(0, [](SimUnit& u) {
        EXPECT_EQ(u.line(), parsed("38400,E,8,1"));
        EXPECT_TRUE(u.process("rt", 0).bytes.startsWith("rt MX92 Other "));
        EXPECT_EQ(u.process("rt", 0).delay, simUs(500)); // the turnaround
    });
    bus->withUnit(1, [](SimUnit& u) {
        EXPECT_EQ(u.line(), parsed("19200,E,8,1"));
        EXPECT_EQ(u.number(), 5);
        EXPECT_EQ(u.errorNumber(), 12);
    });
}

TEST(SimOptions, DefaultsAndDemo) {
    SimOptions o, d;
    QString error;
    std::shared_ptr<SimBus> bus;
    ASSERT_TRUE(parseSimOptions({}, o, error) && buildSimBus(o, SimCatalogue(), bus, error));
    ASSERT_EQ(bus->unitCount(), 1);
    bus->withUnit(0, [](SimUnit& u) { EXPECT_EQ(u.line(), parsed("38400,E,8,1")); });
    ASSERT_TRUE(parseSimOptions({"--demo", "--fault", "12:no-answer"}, d, error));
    ASSERT_TRUE(buildSimBus(d, SimCatalogue(), bus, error));
    EXPECT_EQ(bus->unitCount(), 4);
    EXPECT_TRUE(bus->faults(12).noAnswer);
}

TEST(SimOptions, Refusals) {
    const QStringList bad[] = {{"--unit"},
                               {"--unit", "32"},
                               {"--unit", "x"},
                               {"--unit", "1:fast"},
                               {"--turnaround", "-1"},
                               {"--turnaround", "10001"},
                               {"--fault", "0:nonsense"},
                               {"--fault", "0:late=x"},
                               {"--fault", "0:wrong-word=sometimes"},
                               {"--fault", "0:line-errors"},
                               {"--fault", "0:driver-error"},
                               {"--error", "0:x"},
                               {"--bogus"}};
    for (const QStringList& args : bad) {
        SimOptions o;
        QString error;
        EXPECT_FALSE(parseSimOptions(args, o, error)) << args.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    SimOptions o;
    QString error;
    ASSERT_TRUE(parseSimOptions({"--unit", "1", "--fault", "2:garbled"}, o, error));
    std::shared_ptr<SimBus> bus;
    EXPECT_FALSE(buildSimBus(o, SimCatalogue(), bus, error));
    EXPECT_TRUE(error.contains("unit 2"));
    // In-process, the two driver-side faults exist.
    SimFaults f;
    ASSERT_TRUE(parseSimFaults("line-errors=12,driver-error=71,vanish", f, true, error));
    EXPECT_TRUE(f.lineErrors == 12u && f.driverError == 71 && f.vanish);
}

TEST(SimStateFile, RoundTrip) {
    QTemporaryDir dir;
    const QString path = dir.filePath("state");
    LineState l;
    SimBus a;
    SimUnit& u = a.addUnit(2, l);
    u.forceParameter(17, -99);
    u.forceParameter(399, 123456789);
    u.setSetpoint(1, 5);
    u.setSetpoint(48, -48);
    u.setEeprom(2041, -37);
    u.setCalibration(2041, 500); // not stored: RAM only
    u.setThumbwheel(4, 44);
    a.addUnit(9, l).forceParameter(0, 1);
    QString error;
    ASSERT_TRUE(saveSimState(a, path, &error)) << error.toStdString();

    SimBus b;
    b.addUnit(2, l);
    b.addUnit(3, l); // not in the file: untouched
    ASSERT_TRUE(loadSimState(b, path, &error));
    b.withUnit(0, [](SimUnit& v) {
        EXPECT_EQ(v.parameter(17), -99);
        EXPECT_EQ(v.parameter(399), 123456789);
        EXPECT_EQ(v.setpoint(1), 5);
        EXPECT_EQ(v.setpoint(48), -48);
        EXPECT_EQ(v.eeprom(2041), -37);
        EXPECT_EQ(v.calibration(2041), -37); // powered up from the EEPROM
        EXPECT_EQ(v.thumbwheel(4), 44);
        EXPECT_FALSE(v.dirty());
    });
    b.withUnit(1, [](SimUnit& v) { EXPECT_EQ(v.parameter(0), 0); });
    EXPECT_FALSE(loadSimState(b, dir.filePath("missing"), &error));
    EXPECT_FALSE(saveSimState(b, dir.filePath("no/such/dir/state"), &error));
}
