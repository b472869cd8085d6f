// The port object: settings, their consistency rules, refusals while open,
// opening and closing.

#include "LinkFixture.h"

#include <QTimer>

#include <cstring>

using namespace kqm52;
using namespace kqm52::test;

namespace {

class PortTest : public LinkFixture {};

std::tuple<TBaudrate, TParityBit, TStopBit, TDataBit> lineSettingsOf(const TZRComm& p) {
    return {p.Baudrate(), p.FrameParitybit(), p.FrameStopbits(), p.FrameDatabits()};
}

TEST(PortDisplay, NamesAndSpeedsReadAsTheUserSeesThem) {
    EXPECT_EQ(PortDisplayName(TPort::COM1), "COM 1");
    EXPECT_EQ(PortDisplayName(TPort::COM16), "COM 16");
    EXPECT_EQ(BaudrateDisplayName(TBaudrate::br1200), "1200 bit/s");
    EXPECT_EQ(BaudrateDisplayName(TBaudrate::br28800), "28800 bit/s");
    EXPECT_EQ(BaudrateDisplayName(TBaudrate::br115200), "115200 bit/s");
}

struct HardwareCase {
    THardware hardware;
    TPortType typeBefore;
    TPortType typeAfter;
    TTransmitDriver transmit;
    TReceiveDriver receive;
};

TEST(PortHardware, EachPresetBringsItsRow) {
    const HardwareCase cases[] = {
        {THardware::PCLabPCL745, TPortType::RS232C, TPortType::RS485,
         TTransmitDriver::tdRegister7to1, TReceiveDriver::rdRegister7to2},
        {THardware::PCLabPCL745, TPortType::RS422, TPortType::RS422,
         TTransmitDriver::tdRegister7to1, TReceiveDriver::rdRegister7to2},
        {THardware::Standard, TPortType::RS485, TPortType::RS232C, TTransmitDriver::tdNone,
         TReceiveDriver::rdNone},
        {THardware::PhoenixPSM, TPortType::RS422, TPortType::RS232C, TTransmitDriver::tdDTRto0,
         TReceiveDriver::rdNone},
    };
    for (const auto& c : cases) {
        TZRComm p;
        p.SetHardware(THardware::UserDefined);
        p.SetPortType(c.typeBefore);
        p.SetHardware(c.hardware);
        EXPECT_EQ(p.Hardware(), c.hardware);
        EXPECT_EQ(p.PortType(), c.typeAfter);
        EXPECT_EQ(p.TransmitDriver(), c.transmit);
        EXPECT_EQ(p.ReceiveDriver(), c.receive);
    }
}

TEST(PortHardware, ASettingOutsideThePresetMakesItUserDefined) {
    for (THardware h : {THardware::Standard, THardware::PCLabPCL745, THardware::PhoenixPSM}) {
        TZRComm p;
        p.SetHardware(h);
        p.SetTransmitDriver(TTransmitDriver::tdRTSto1);
        EXPECT_EQ(p.Hardware(), THardware::UserDefined);
    }
    TZRComm std;
    std.SetPortType(TPortType::RS485);
    EXPECT_EQ(std.Hardware(), THardware::UserDefined);

    TZRComm pcl;
    pcl.SetHardware(THardware::PCLabPCL745);
    pcl.SetPortType(TPortType::RS422); // still fits the card
    EXPECT_EQ(pcl.Hardware(), THardware::PCLabPCL745);
    pcl.SetReceiveDriver(TReceiveDriver::rdNone);
    EXPECT_EQ(pcl.Hardware(), THardware::UserDefined);
}

TEST_F(PortTest, OpeningWritesTheLineSettingsToTheDriver) {
    port.SetBaudrate(TBaudrate::br38400);
    port.SetFrameParitybit(TParityBit::Odd);
    port.SetFrameStopbits(TStopBit::sb_2);
    port.SetFrameDatabits(TDataBit::db_7);
    port.SetActive(true);
    EXPECT_EQ(line->lineState(), (LineState{38400, 7, DriverParity::Odd, 2}));
    // A speed change while open reaches the driver without reopening.
    port.SetBaudrate(TBaudrate::br115200);
    EXPECT_EQ(line->lineState().baud, 115200);
    EXPECT_TRUE(port.Active());
}

TEST_F(PortTest, ARefusedLineSettingKeepsTheNewValueAndRaises) {
    port.SetActive(true);
    line->failCall(DriverCall::SetLineState, EINVAL);
    EXPECT_THROW(port.SetBaudrate(TBaudrate::br57600), ECommInitError);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br57600);
    EXPECT_EQ(line->lineState().baud, 9600);
}

TEST_F(PortTest, ASetUpFailureClosesThePortAgain) {
    int deactivated = 0;
    port.OnDeactivate = [&](TZRComm*) { ++deactivated; };
    TRQ500Protocol cyclic;
    cyclic.SetZRComm(&port);
    int componentOff = 0;
    cyclic.OnDeactivate = [&](TZRProtocolComponent*) { ++componentOff; };
    line->failCall(DriverCall::GetLineState, EIO);
    EXPECT_THROW(port.SetActive(true), ECommInitError);
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(line->isOpen());
    EXPECT_EQ(deactivated, 1);
    EXPECT_EQ(componentOff, 1);

    // A close that fails as well is reported, not swallowed.
    line->failCall(DriverCall::SetLineState, EINVAL);
    line->failCall(DriverCall::Close, EIO);
    try {
        port.SetActive(true);
        ADD_FAILURE() << "no exception";
    } catch (const ECommHandleError& e) {
        EXPECT_TRUE(e.message().contains(QString::fromLocal8Bit(std::strerror(EINVAL))));
        EXPECT_TRUE(e.message().contains(QString::fromLocal8Bit(std::strerror(EIO))));
    }
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(deactivated, 1) << "a failed close fires no OnDeactivate";
    // and it can be opened once the fault is gone
    port.SetActive(true);
    EXPECT_TRUE(port.Active());
}

TEST_F(PortTest, APortThatCannotBeOpenedSaysWhy) {
    line->failCall(DriverCall::Open, ENOENT);
    try {
        port.SetActive(true);
        ADD_FAILURE() << "no exception";
    } catch (const ECommHandleError& e) {
        const PortProblem& p = e.problem();
        EXPECT_EQ(p.code, PortError::OpenRefused);
        EXPECT_EQ(p.port, TPort::COM1);
        EXPECT_EQ(p.value, "fake");
        EXPECT_EQ(p.systemError, ENOENT);
        EXPECT_EQ(p.systemReason, QString::fromStdString(systemErrorText(ENOENT)));
        EXPECT_EQ(e.message(), p.systemReason);
        EXPECT_EQ(e.systemError(), ENOENT);
    }
    EXPECT_FALSE(port.Active());
}

// A family is found by the form of the value and makes its driver for that
// value; registering its name again replaces it in its place, and a family
// without a driver is known but leads nowhere.
TEST_F(PortTest, APortOpensThroughTheFamilyOfItsValue) {
    QStringList made;
    const auto loop = [&](const char* scheme) {
        PortFamily f;
        f.name = "loop";
        f.serves = [scheme](const QString& v) { return v.startsWith(QLatin1String(scheme)); };
        f.make = [&, this](const QString& v) {
            made << v;
            return std::make_unique<FakeDriver>(line);
        };
        return f;
    };
    map.registerFamily(loop("loop://"));
    map.registerFamily(loop("echo://")); // the same name: replaces
    const QStringList names = [&] {
        QStringList n;
        for (const PortFamily& f : map.families())
            n << f.name;
        return n;
    }();
    EXPECT_EQ(names, (QStringList{"fake", "device", "tcp", "rfc2217", "sim", "loop"}));

    port.SetPortName(TPort::COM2);
    const struct {
        const char* value;
        PortError code; // None: it opens
    } cases[] = {
        {"echo://127.0.0.1:4001", PortError::None},
        {"loop://127.0.0.1:4001", PortError::UnknownForm},
        {"ttyUSB0", PortError::UnknownForm},
        {"", PortError::UnknownForm},
        {"sim", PortError::NotInThisBuild},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        map.setDevice(TPort::COM2, c.value);
        PortError code = PortError::None;
        try {
            port.SetActive(true);
        } catch (const ECommHandleError& e) {
            code = e.problem().code;
            EXPECT_EQ(e.problem().port, TPort::COM2);
            EXPECT_EQ(e.problem().value, c.value);
            EXPECT_EQ(e.systemError(), 0);
        }
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(port.Active(), c.code == PortError::None);
        port.SetActive(false);
    }
    EXPECT_EQ(made, QStringList{"echo://127.0.0.1:4001"});

    // A layer above gives a known family its driver.
    EXPECT_TRUE(map.provideDriver(
        "sim", [this](const QString&) { return std::make_unique<FakeDriver>(line); }));
    EXPECT_FALSE(map.provideDriver("nosuch", {}));
    map.setDevice(TPort::COM2, "sim");
    port.SetActive(true);
    EXPECT_TRUE(port.Active());
}

struct Refusal {
    const char* setting;
    std::function<void(TZRComm&)> change;
    const char* lastLine;
};

TEST_F(PortTest, PortAndHardwareSettingsAreRefusedWhileOpen) {
    const Refusal refusals[] = {
        {"PortName", [](TZRComm& p) { p.SetPortName(TPort::COM2); }, "Cannot change port"},
        {"PortAddress", [](TZRComm& p) { p.SetPortAddress(TPortAddr::pa_02E8); },
         "Cannot change the port address"},
        {"PortType", [](TZRComm& p) { p.SetPortType(TPortType::RS485); },
         "Cannot change the port type"},
        {"Hardware", [](TZRComm& p) { p.SetHardware(THardware::PhoenixPSM); },
         "Cannot change port hardware"},
        {"TransmitDriver", [](TZRComm& p) { p.SetTransmitDriver(TTransmitDriver::tdRTSto1); },
         "Cannot change device driver"},
        {"ReceiveDriver", [](TZRComm& p) { p.SetReceiveDriver(TReceiveDriver::rdRegister7to2); },
         "Cannot change device driver"},
    };
    port.SetActive(true);
    for (const auto& r : refusals) {
        try {
            r.change(port);
            ADD_FAILURE() << r.setting << " was accepted";
        } catch (const ECommInitError& e) {
            EXPECT_EQ(e.message(), QString("COM 1 is active!\r\n\r\n") + r.lastLine) << r.setting;
        }
    }
    EXPECT_EQ(port.PortName(), TPort::COM1);
    EXPECT_EQ(port.PortAddress(), TPortAddr::pa_03F8);
    EXPECT_EQ(port.PortType(), TPortType::RS232C);
    EXPECT_EQ(port.Hardware(), THardware::Standard);
    EXPECT_EQ(port.TransmitDriver(), TTransmitDriver::tdNone);
    EXPECT_EQ(port.ReceiveDriver(), TReceiveDriver::rdNone);
}

TEST_F(PortTest, AssignCopiesWhileClosedAndNotWhileOpen) {
    TZRComm source;
    source.SetPortName(TPort::COM4);
    source.SetBaudrate(TBaudrate::br19200);
    source.SetFrameParitybit(TParityBit::None);
    source.SetFrameStopbits(TStopBit::sb_2);
    source.SetHardware(THardware::PCLabPCL745);
    source.SetPortType(TPortType::RS422);

    TZRComm target;
    target.Assign(&source);
    EXPECT_EQ(lineSettingsOf(target), lineSettingsOf(source));
    EXPECT_EQ(target.PortName(), TPort::COM4);
    EXPECT_EQ(target.PortAddress(), TPortAddr::pa_02E8);
    EXPECT_EQ(target.Hardware(), THardware::PCLabPCL745);
    EXPECT_EQ(target.PortType(), TPortType::RS422);

    port.SetActive(true);
    port.Assign(&source);
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600);

    QTimer notAPort;
    EXPECT_THROW(target.Assign(&notAPort), EConvertError);
}

TEST_F(PortTest, DestroyingAnOpenPortClosesItAndUnbindsItsComponents) {
    auto p = std::make_unique<TZRComm>();
    p->setPortMap(&map);
    TRQ500Protocol a, b;
    a.SetZRComm(p.get());
    b.SetZRComm(p.get());
    int deactivated = 0;
    a.OnDeactivate = [&](TZRProtocolComponent*) { ++deactivated; };
    p->SetActive(true);
    a.SetActive(true);
    p.reset();
    EXPECT_EQ(a.ZRComm(), nullptr);
    EXPECT_EQ(b.ZRComm(), nullptr);
    EXPECT_FALSE(a.Active());
    EXPECT_FALSE(line->isOpen());
}

} // namespace
