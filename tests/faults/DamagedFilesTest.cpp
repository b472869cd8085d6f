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

#include <functional>

using namespace kqm52;

namespace {

enum class Damage { Empty, CutInHalf, LastLineCut, Oversized, BinaryJunk, NulBytes, EndlessDevice };

const char* name(Damage d) {
    static const char* const names[] = {"Empty",      "CutInHalf", "LastLineCut",  "Oversized",
                                        "BinaryJunk", "NulBytes",  "EndlessDevice"};
    return names[int(d)];
}

QByteArray damaged(const QByteArray& good, Damage d) {
    switch (d) {
    case Damage::Empty:
        return {};
    case Damage::CutInHalf:
        return good.left(good.size() / 2);
    case Damage::LastLineCut:
        return good.chopped(3);
    case Damage::Oversized:
        return good + QByteArray(8 << 20, 'x'); // 8 MB
    case Damage::BinaryJunk: {
        QByteArray junk(good.size(), '\0');
        QRandomGenerator rng(17);
        for (char& c : junk)
            c = char(rng.bounded(256));
        return junk;
    }
    case Damage::NulBytes:
        return QByteArray(good.size(), '\0');
    case Damage::EndlessDevice:
        return {};
    }
    return {};
}

// One kind of file: a good one, and how the program reads it from disk.
struct Kind {
    const char* name;
    std::function<QByteArray()> good;
    std::function<bool(const QString& path, QString* why)> open; // true: accepted
};

template <class Read> bool refusedWithReason(const Read& read, QString* why) {
    // The window shows the text filed under this key.
    *why = read.problem.messageKey;
    return read.ok();
}

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> k{
        {"parameter file", [] { return ParameterFile::toBytes({}, 1); },
         [](const QString& p, QString* why) {
             return refusedWithReason(ParameterFile::read(p), why);
         }},
        {"setpoint file", [] { return SetpointFile::toBytes({}, 1); },
         [](const QString& p, QString* why) {
             return refusedWithReason(SetpointFile::read(p), why);
         }},
        {"backup file", [] { return BackupFile::toBytes({}); },
         [](const QString& p, QString* why) {
             return refusedWithReason(BackupFile::read(p), why);
         }},
    };
    return k;
}

class DamagedFiles : public ::testing::TestWithParam<std::tuple<int, Damage>> {};

TEST_P(DamagedFiles, AreRefusedWithAReasonAndQuickly) {
    const Kind& kind = kinds()[std::size_t(std::get<0>(GetParam()))];
    const Damage damage = std::get<1>(GetParam());
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("file"));
    if (damage == Damage::EndlessDevice) {
        path = QStringLiteral("/dev/zero");
    } else {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged(kind.good(), damage));
    }
    QElapsedTimer t;
    t.start();
    QString why;
    EXPECT_FALSE(kind.open(path, &why)) << kind.name << " taken although " << name(damage);
    EXPECT_FALSE(why.trimmed().isEmpty()) << kind.name << ": refused without a reason";
    EXPECT_LT(t.elapsed(), 2000) << kind.name << ": the window would freeze";
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, DamagedFiles,
    ::testing::Combine(::testing::Range(0, 3),
                       ::testing::Values(Damage::Empty, Damage::CutInHalf, Damage::LastLineCut,
                                         Damage::Oversized, Damage::BinaryJunk, Damage::NulBytes,
                                         Damage::EndlessDevice)),
    [](const auto& info) {
        const std::string kind = kinds()[std::size_t(std::get<0>(info.param))].name;
        std::string id;
        for (char c : kind)
            if (c != ' ') id += c;
        return id + "_" + name(std::get<1>(info.param));
    });

// The simulator's state file is edited by hand: damage must not change the
// units, and a file that never ends must not hang the simulator.
TEST(DamagedSimStateFile, LeavesTheUnitsAsTheyWere) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sim.state"));
    for (Damage d : {Damage::BinaryJunk, Damage::NulBytes, Damage::Oversized}) {
        SimBus bus(std::make_shared<VirtualClock>());
        const LineState line{
            .baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1};
        bus.addUnit(7, line);
        const std::int32_t before = bus.withUnit(0, [](SimUnit& u) { return u.parameter(5); });
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged(QByteArray("[unit 7]\np5=42\n"), d).replace("p5=42", "p5=4x"));
        f.close();
        QElapsedTimer t;
        t.start();
        loadSimState(bus, path);
        EXPECT_LT(t.elapsed(), 5000) << name(d);
        EXPECT_EQ(bus.withUnit(0, [](SimUnit& u) { return u.parameter(5); }), before) << name(d);
    }
    // A device that never ends is refused, not read until memory runs out.
    {
        SimBus bus(std::make_shared<VirtualClock>());
        QElapsedTimer t;
        t.start();
        QString why;
        EXPECT_FALSE(loadSimState(bus, QStringLiteral("/dev/zero"), &why));
        EXPECT_FALSE(why.isEmpty());
        EXPECT_LT(t.elapsed(), 5000);
    }
    // The same file undamaged does reach the unit.
    SimBus bus(std::make_shared<VirtualClock>());
    bus.addUnit(7, {.baud = 9600, .dataBits = 8, .parity = DriverParity::Odd, .stopBits = 1});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[unit 7]\np5=42\n");
    f.close();
    ASSERT_TRUE(loadSimState(bus, path));
    EXPECT_EQ(bus.withUnit(0, [](SimUnit& u) { return u.parameter(5); }), 42);
}

} // namespace
