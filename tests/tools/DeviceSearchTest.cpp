// The device search on the simulated bus with its virtual clock: the order of
// the probes, what a found unit leaves in the list, Stop, Continue, a new
// Start, Cancel, and a device that goes away.

#include "../sim/SimLinkFixture.h"

#include "model/engines/DeviceSearch.h"
#include "model/texts/LanguageTexts.h"

#include <cerrno>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class RecordingSearchView : public DeviceSearchView {
  public:
    void probing(const SearchCombination& at) override {
        probes.push_back(at);
        if (onProbe) onProbe(at);
    }
    void unitFound(int index) override { found.push_back(index); }
    void stateChanged() override { ++changes; }
    void showError(const QString& caption, const QString& text) override {
        errors << caption + QStringLiteral(": ") + text;
    }

    std::function<void(const SearchCombination&)> onProbe;
    std::vector<SearchCombination> probes;
    std::vector<int> found;
    int changes = 0;
    QStringList errors;
};

class DeviceSearchTest : public SimLinkFixture {
  protected:
    DeviceSearchTest() {
        hostLines.attach(*bus);
        // The port as the main window leaves it: closed, 38400,E,8,1.
        search.activate();
    }
    ~DeviceSearchTest() override { search.cancel(); }

    QStringList sent() { return hostLines.all(); }
    bool settled() {
        return waitUntil([&] { return search.state() != SearchState::Searching; }, 60000);
    }

    HostLines hostLines;
    RecordingSearchView view;
    LanguageTexts language; // the built-in texts until a test loads its own
    DeviceSearch search{port, view, language};
};

constexpr SearchChoice BothAuto{0, true, true};
constexpr SearchChoice BothCom{0, false, false};

} // namespace

TEST(DeviceSearchPlan, CombinationsComeInTheOrderOfTheSearch) {
    const auto p = TParityBit::None, o = TParityBit::Odd, e = TParityBit::Even;
    const auto s1 = TStopBit::sb_1, s2 = TStopBit::sb_2;
    const auto both = DeviceSearch::combinations(BothAuto, e, s1);
    ASSERT_EQ(both.size(), 32u * 5u * 6u);
    const std::vector<SearchCombination> first{
        {0, TBaudrate::br9600, p, s1}, {0, TBaudrate::br9600, o, s1}, {0, TBaudrate::br9600, e, s1},
        {0, TBaudrate::br9600, p, s2}, {0, TBaudrate::br9600, o, s2}, {0, TBaudrate::br9600, e, s2},
        {1, TBaudrate::br9600, p, s1}};
    EXPECT_EQ(std::vector(both.begin(), both.begin() + 7), first);

    // "com" keeps the port's own parity and stop bits; the speeds wrap.
    const auto com = DeviceSearch::combinations({4, false, false}, o, s2);
    ASSERT_EQ(com.size(), 160u);
    EXPECT_EQ(com[0], (SearchCombination{0, TBaudrate::br57600, o, s2}));
    EXPECT_EQ(com[32], (SearchCombination{0, TBaudrate::br9600, o, s2}));
    EXPECT_EQ(com[159], (SearchCombination{31, TBaudrate::br38400, o, s2}));

    const auto parityOnly = DeviceSearch::combinations({0, true, false}, e, s2);
    EXPECT_EQ(parityOnly.size(), 480u);
    EXPECT_EQ(parityOnly[3], (SearchCombination{1, TBaudrate::br9600, p, s2}));
    const auto stopOnly = DeviceSearch::combinations({0, false, true}, e, s2);
    EXPECT_EQ(stopOnly.size(), 320u);
    EXPECT_EQ(stopOnly[1], (SearchCombination{0, TBaudrate::br9600, e, s2}));
}

TEST_F(DeviceSearchTest, FindsAUnitAtItsOwnSettingsAndPausesThere) {
    SimUnit& unit = bus->addUnit(5, lineOf(19200, DriverParity::Even));
    search.start(BothAuto);
    ASSERT_TRUE(settled());
    ASSERT_EQ(search.state(), SearchState::Found);
    EXPECT_EQ(search.statusText(), "Apparaat gevonden!");
    // The second pass over the units, unit 5's third probe.
    EXPECT_EQ(search.probesSent(), 32 * 6 + 5 * 6 + 3);
    ASSERT_EQ(search.found().size(), 1u);
    const FoundUnit& f = search.found()[0];
    EXPECT_EQ(f.at, (SearchCombination{5, TBaudrate::br19200, TParityBit::Even, TStopBit::sb_1}));
    EXPECT_EQ(f.typeText, QString::fromLatin1(unit.typeText + "   " + unit.hardwareText + "   " +
                                              unit.extraText));
    EXPECT_EQ(sent().mid(sent().size() - 4), (QStringList{"sc 5", "rt", "rh", "rx"}));
    EXPECT_TRUE(search.canContinue());
    EXPECT_TRUE(search.canTakeOver());

    // Continue goes on after the find, here to the end.
    search.resume();
    ASSERT_TRUE(settled());
    EXPECT_EQ(search.state(), SearchState::Complete);
    EXPECT_EQ(search.statusText(), "beeindigd!");
    EXPECT_EQ(search.probesSent(), 960);
    EXPECT_EQ(search.found().size(), 1u);
}

// A found unit's identification cut short where it paused is asked for once
// more, and the unit is entered with its whole texts.
TEST_F(DeviceSearchTest, AFoundUnitIsNamedByItsOwnAnswers) {
    bus->addUnit(2, lineOf(9600, DriverParity::Even));
    bus->setFaults(2, {.timingOnce = true, .timingWord = "rx", .pauseMs = 120});
    search.start(BothCom);
    ASSERT_TRUE(settled());
    ASSERT_EQ(search.found().size(), 1u);
    EXPECT_EQ(search.found()[0].typeText,
              "MX52 Nokkenregelaar V3.07   HW 2.1 SN 520002   KQM52 simulator");
    EXPECT_EQ(sent().mid(sent().size() - 5), (QStringList{"sc 2", "rt", "rh", "rx", "rx"}));
}

TEST_F(DeviceSearchTest, WithComSettingsAnEmptyBusGetsOneProbePerUnitAndSpeed) {
    const SimNanos begin = now();
    search.start(BothCom);
    ASSERT_TRUE(settled());
    EXPECT_EQ(search.state(), SearchState::Complete);
    EXPECT_EQ(sent().size(), 160);
    // Silence is the usual answer to a probe: each costs its own wait and its
    // bytes, no wait for the line to fall silent after it.
    EXPECT_LT(now() - begin, 160 * simMs(DeviceSearch::ProbeTimeoutMs + 10));
    EXPECT_EQ(sent().count(QStringLiteral("sc 31")), 5);
    EXPECT_FALSE(search.canContinue());
    EXPECT_FALSE(search.canStop());
    EXPECT_TRUE(search.canStart());
}

// Stop from the probe itself: on the virtual clock the search outruns any
// poll, so a stop from outside would land on an unknown unit.  A unit being
// asked its type when Stop comes is left out; Continue goes on from the next.
TEST_F(DeviceSearchTest, StopHaltsAfterTheProbeUnderWayAndContinueGoesOnFromTheNext) {
    bus->addUnit(3, lineOf(9600, DriverParity::Even));
    for (const int stopAt : {2, 3}) {
        SCOPED_TRACE(stopAt);
        view.onProbe = [this, stopAt](const SearchCombination& at) {
            if (at.unit == stopAt) search.stop();
        };
        search.start(BothCom);
        ASSERT_TRUE(settled());
        EXPECT_EQ(search.state(), SearchState::Halted);
        EXPECT_EQ(search.statusText(), "Gestopt!");
        EXPECT_TRUE(search.found().empty());
        EXPECT_EQ(search.current().unit, stopAt);
        const QStringList wire = sent();
        EXPECT_EQ(wire.mid(wire.size() - (stopAt == 3 ? 3 : 1)),
                  (stopAt == 3 ? QStringList{"sc 3", "rt", "rh"} : QStringList{"sc 2"}));

        view.onProbe = nullptr;
        const std::size_t before = view.probes.size();
        search.resume();
        ASSERT_TRUE(waitUntil([&] { return view.probes.size() > before; }));
        EXPECT_EQ(view.probes[before].unit, stopAt + 1);
        ASSERT_TRUE(settled());
        hostLines.clear();
    }
}

TEST_F(DeviceSearchTest, StartAfterAPauseBeginsAgainAtUnitZero) {
    bus->addUnit(2, lineOf(9600, DriverParity::Even));
    search.start(BothCom);
    ASSERT_TRUE(settled());
    ASSERT_EQ(search.state(), SearchState::Found);
    view.probes.clear();
    search.start({1, false, false});
    EXPECT_TRUE(search.found().empty());
    ASSERT_TRUE(waitUntil([&] { return !view.probes.empty(); }));
    EXPECT_EQ(view.probes.front(),
              (SearchCombination{0, TBaudrate::br19200, TParityBit::Even, TStopBit::sb_1}));
}

TEST_F(DeviceSearchTest, TakeOverAndCancelLeaveTheRightSettingsOnAClosedPort) {
    bus->addUnit(9, lineOf(9600, DriverParity::Odd, 8, 2));
    search.start(BothAuto);
    ASSERT_TRUE(settled());
    ASSERT_EQ(search.state(), SearchState::Found);
    EXPECT_FALSE(search.takeOver(1)); // no such row: nothing happens
    EXPECT_TRUE(port.Active());

    EXPECT_EQ(search.takeOver(0), 9);
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br9600);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::Odd);
    EXPECT_EQ(port.FrameStopbits(), TStopBit::sb_2);

    search.cancel();
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(port.Baudrate(), TBaudrate::br38400);
    EXPECT_EQ(port.FrameParitybit(), TParityBit::Even);
    EXPECT_EQ(port.FrameStopbits(), TStopBit::sb_1);
}

TEST_F(DeviceSearchTest, ADeviceThatGoesAwayHaltsTheSearchWithTheSystemsWords) {
    language.loadFromText(
        QStringLiteral("[AparaatZoeken]\nMsgDeviceLost=De poort is weggevallen; het zoeken is "
                       "gestopt:\n"));
    search.start(BothCom);
    ASSERT_TRUE(waitUntil([&] { return view.probes.size() >= 2; }));
    bus->failDriverCall(SimDriverCall::ReadByte, EIO, -1);
    const std::size_t before = view.probes.size();
    ASSERT_TRUE(settled());
    bus->clearDriverFailures();
    EXPECT_EQ(search.state(), SearchState::Halted);
    ASSERT_EQ(view.errors.size(), 1);
    // The language's words first, then the system's.
    EXPECT_EQ(view.errors[0],
              QStringLiteral(": De poort is weggevallen; het zoeken is gestopt:\n") +
                  QString::fromStdString(systemErrorText(EIO)));
    // The probe under way fails; no other goes out into nothing.
    EXPECT_LE(view.probes.size(), before + 1);
}

// A port whose device is missing: the status shows the search stopped, and
// the box names the port, its device and the system's reason.
TEST_F(DeviceSearchTest, APortWhoseDeviceIsMissingSaysWhichAndStops) {
    const QString missing = QStringLiteral("/dev/kqm52-test-no-such-ttyUSB0");
    map.setDevice(TPort::COM3, missing);
    port.SetPortName(TPort::COM3);
    search.activate();
    language.loadFromText(QStringLiteral("[AparaatZoeken]\nPanelTekst0=searching\n"
                                         "PanelTekst1=stopped\nPanelTekst2=ended\n"
                                         "PanelTekst3=found\n"
                                         "MsgCannotOpen=Port %1 (%2) will not open:\n"
                                         "[InitCom]\nMsgMapNotDevice=%1 leads to \"%2\"\n"));
    search.start(BothCom);
    EXPECT_EQ(search.state(), SearchState::Idle);
    EXPECT_EQ(search.statusText(), "stopped");
    EXPECT_TRUE(search.canStart());
    EXPECT_FALSE(search.canContinue());
    EXPECT_FALSE(search.canStop());
    ASSERT_EQ(view.errors.size(), 1);
    EXPECT_EQ(view.errors[0], QStringLiteral(": Port COM3 (%1) will not open:\n").arg(missing) +
                                  QString::fromStdString(systemErrorText(ENOENT)));
    // A map entry that leads nowhere is said in the language's words too.
    map.setDevice(TPort::COM3, QStringLiteral("udp://127.0.0.1:4001"));
    search.start(BothCom);
    ASSERT_EQ(view.errors.size(), 2);
    EXPECT_EQ(view.errors[1], QStringLiteral(": Port COM3 (udp://127.0.0.1:4001) will not open:\n"
                                             "COM3 leads to \"udp://127.0.0.1:4001\""));
    EXPECT_TRUE(view.probes.empty());
}

// Without a window, as kqm52ctl's scan drives it, the search speaks the
// language loaded from the program's own files.
TEST_F(DeviceSearchTest, WithoutAWindowTheSearchSpeaksTheLoadedLanguage) {
    const QString missing = QStringLiteral("/dev/kqm52-test-no-such-ttyUSB0");
    map.setDevice(TPort::COM3, missing);
    port.SetPortName(TPort::COM3);
    search.activate();
    const struct {
        int languageNo;
        const char* stopped;
        const char* cannotOpen;
    } rows[] = {
        {0, "Gestopt", "COM3 (%1) kan niet worden geopend:"},
        {2, "Angehalten", "COM3 (%1) kann nicht geöffnet werden:"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(language.TekstFile_Lezen(QStringLiteral(KQM52_DATA_DIR "/"), row.languageNo));
        view.errors.clear();
        search.start(BothCom);
        EXPECT_EQ(search.statusText(), QString::fromUtf8(row.stopped)) << row.languageNo;
        ASSERT_EQ(view.errors.size(), 1) << row.languageNo;
        EXPECT_TRUE(view.errors[0].startsWith(QStringLiteral(": ") +
                                              QString::fromUtf8(row.cannotOpen).arg(missing)))
            << view.errors[0].toStdString();
    }
}

TEST_F(DeviceSearchTest, APortThatCannotOpenSendsNothing) {
    bus->addUnit(0, lineOf(9600));
    const int held = bus->claim(); // another program has the device
    ASSERT_EQ(held, 0);
    search.start(BothCom);
    bus->release();
    EXPECT_EQ(search.state(), SearchState::Idle);
    EXPECT_EQ(search.statusText(), "Gestopt!");
    EXPECT_TRUE(search.canStart());
    EXPECT_EQ(view.errors.size(), 1);
    EXPECT_TRUE(sent().isEmpty());
}
