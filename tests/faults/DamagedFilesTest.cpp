// Every kind of file the program opens, damaged the ways files get damaged:
// cut short, grown far past its size, overwritten with junk, or a device that
// never ends.  The file must be refused with a reason the window can show,
// quickly, and nothing half-read may reach a table or a unit.

#include "params/model/BackupFile.h"
#include "params/model/ParameterFile.h"
#include "params/model/SetpointFile.h"
#include "sim/SimStateFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kqm52;

namespace {

// One way a file gets damaged; none: the path is a device that never ends.
struct Damage {
    const char* name;
    QByteArray (*apply)(const QByteArray& good);
};

QByteArray junk(const QByteArray& good) {
    QByteArray bytes(good.size(), '\0');
    QRandomGenerator rng(17);
    for (char& c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

const Damage damages[] = {
    {"Empty", [](const QByteArray&) { return QByteArray(); }},
    {"CutInHalf", [](const QByteArray& g) { return g.left(g.size() / 2); }},
    {"LastLineCut", [](const QByteArray& g) { return g.chopped(3); }},
    {"Oversized", [](const QByteArray& g) { return g + QByteArray(8 << 20, 'x'); }}, // 8 MB
    {"BinaryJunk", junk},
    {"NulBytes", [](const QByteArray& g) { return QByteArray(g.size(), '\0'); }},
    {"EndlessDevice", nullptr},
};

// One kind of file: a good one, and the key of the message the window shows
// when the program refuses it from disk (empty: taken).
struct Kind {
    const char* name;
    QByteArray (*good)();
    QString (*refusal)(const QString& path);
};

const Kind kinds[] = {
    {"ParameterFile", [] { return ParameterFile::toBytes({}, 1); },
     [](const QString& p) { return ParameterFile::read(p).problem.messageKey; }},
    {"SetpointFile", [] { return SetpointFile::toBytes({}, 1); },
     [](const QString& p) { return SetpointFile::read(p).problem.messageKey; }},
    {"BackupFile", [] { return BackupFile::toBytes({}); },
     [](const QString& p) { return BackupFile::read(p).problem.messageKey; }},
};

class DamagedFiles : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(DamagedFiles, AreRefusedWithAReasonAndQuickly) {
    const Kind& kind = kinds[std::get<0>(GetParam())];
    const Damage& damage = damages[std::get<1>(GetParam())];
    QTemporaryDir dir;
    QString path = QStringLiteral("/dev/zero");
    if (damage.apply) {
        path = dir.filePath(QStringLiteral("file"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damage.apply(kind.good()));
    }
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(kind.refusal(path).trimmed().isEmpty()) << "taken or refused without a reason";
    EXPECT_LT(t.elapsed(), 2000) << "the window would freeze";
}

INSTANTIATE_TEST_SUITE_P(EachKind, DamagedFiles,
                         ::testing::Combine(::testing::Range(0, int(std::size(kinds))),
                                            ::testing::Range(0, int(std::size(damages)))),
                         [](const auto& info) {
                             return std::string(kinds[std::get<0>(info.param)].name) + "_" +
                                    damages[std::get<1>(info.param)].name;
                         });

// The simulator's state file is edited by hand: damage must not change the
// units, and a file that never ends must not hang the simulator.
TEST(DamagedSimStateFile, LeavesTheUnitsAsTheyWere) {
    QTemporaryDir dir;
    const QByteArray good = "[unit 7]\np5=42\n";
    const struct {
        const char* what;
        QByteArray bytes; // empty: a device that never ends
    } rows[] = {
        {"BinaryJunk", junk(good)},
        {"NulBytes", QByteArray(good.size(), '\0')},
        {"Oversized", QByteArray(good + QByteArray(8 << 20, 'x')).replace("p5=42", "p5=4x")},
        {"ValueNotANumber", "[unit 7]\np5=4x\n"},
        {"EndlessDevice", {}},
        {"undamaged", good},
    };
    for (const auto& r : rows) {
        SimBus bus(std::make_shared<VirtualClock>());
        bus.addUnit(7, {.baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1});
        const auto p5 = [&bus] {
            return bus.withUnit(0, [](SimUnit& u) { return u.parameter(5); });
        };
        bus.withUnit(0, [](SimUnit& u) { u.forceParameter(5, 9); }); // not what junk reads as
        QString path = QStringLiteral("/dev/zero");
        if (!r.bytes.isEmpty()) {
            QFile f(path = dir.filePath(QStringLiteral("sim.state")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(r.bytes);
        }
        QElapsedTimer t;
        t.start();
        QString why;
        const bool taken = loadSimState(bus, path, &why);
        EXPECT_LT(t.elapsed(), 5000) << r.what;
        EXPECT_EQ(p5(), r.bytes == good ? 42 : 9) << r.what;
        if (r.bytes == good) {
            EXPECT_TRUE(taken);
        }
        if (r.bytes.isEmpty()) {
            EXPECT_TRUE(!taken && !why.isEmpty()) << "a device is refused";
        }
    }
}

} // namespace
