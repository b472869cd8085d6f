// The log graph's recording on the simulated bus at 38400 bit/s, timed by the
// bus's virtual clock: what the panel, the buttons, the buffer and the CSV
// show over a run.

#include "../sim/SimLinkFixture.h"
#include "support/QtPrinting.h"

#include "model/engines/GraphLogic.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/ParamTables.h"

#include <QRegularExpression>

using namespace kqm52;
using namespace kqm52::simtest;

namespace {

class GraphLogicTest : public SimLinkFixture {
  protected:
    GraphLogicTest()
        : logic(port, tables, language, [this] { return quint32(now() / 1'000'000); }) {
        SimAxis& axis = bus->addUnit(0, lineOf(38400)).axis();
        axis.moving = false;
        axis.startPosition = 12345;
    }
    void SetUp() override {
        port.SetActive(true);
        logic.activate(port.Active());
    }
    ~GraphLogicTest() override { logic.close(); }

    void setFaults(const SimFaults& f) { bus->setFaults(0, f); }
    bool recordUntil(int count) {
        return waitUntil([&] { return logic.samples().count >= count || !logic.logging(); });
    }
    void expectIdle() {
        EXPECT_FALSE(logic.logging());
        EXPECT_FALSE(logic.RQ500LeesLogData.Active());
        EXPECT_TRUE(logic.controls().startEnabled);
        EXPECT_FALSE(logic.controls().stopEnabled);
        EXPECT_TRUE(logic.controls().sourceEnabled);
    }

    ParamTables tables;
    LanguageTexts language = [] {
        LanguageTexts l;
        l.loadFromText(QStringLiteral("[Grafiek]\nPanelTekst0=T0\nPanelTekst1=T1\n"
                                      "PanelTekst2=T2\nPanelTekst3=T3\nPanelTekst4=T4\n"));
        return l;
    }();
    GraphLogic logic;
};

} // namespace

TEST_F(GraphLogicTest, FirstReplyIsSampleZeroAtTimeZeroAndTheGaugeWaitsForIt) {
    logic.start();
    EXPECT_EQ(logic.samples().count, -1);
    EXPECT_EQ(logic.controls().gauge, 0);
    EXPECT_EQ(logic.scrollMaximum(), 0);
    EXPECT_EQ(logic.controls().panelText, "T2");
    EXPECT_FALSE(logic.controls().startEnabled);
    EXPECT_TRUE(logic.controls().stopEnabled);
    EXPECT_FALSE(logic.controls().exportEnabled);
    EXPECT_EQ(logic.RQ500LeesLogData.ASCIIProtocol(), "r0");

    ASSERT_TRUE(recordUntil(0));
    EXPECT_EQ(logic.samples().times[0], 0);
    EXPECT_LT(logic.samples().times[1], 200);
    EXPECT_EQ(logic.samples().values[0], 12345);
    ASSERT_TRUE(recordUntil(5));
    logic.stop();
    // One "r0" at 38400 bit/s costs its bytes, the turnaround and the 50 ms
    // silence that ends the reply: a little over 50 ms per sample.
    const int n = logic.samples().count;
    for (int i = 1; i <= n; ++i) {
        const int step = logic.samples().times[i] - logic.samples().times[i - 1];
        EXPECT_GT(step, 50) << i;
        EXPECT_LT(step, 60) << i;
    }
    EXPECT_EQ(logic.controls().bufferCountText,
              QStringLiteral("0,%1 sec").arg(logic.samples().times[n] / 100));
}

// Stop keeps the samples and ignores the reply still on the line. The next
// start counts and times from zero again.  A reply too long for its buffer
// is no measurement even where its first bytes read as a number (blanks
// before the line end): the slot keeps what the previous run put there and
// the sample is flagged.
TEST_F(GraphLogicTest, StopKeepsTheRunAndTheNextStartBeginsAgainOverTheOldValues) {
    logic.start();
    ASSERT_TRUE(recordUntil(2));
    logic.stop();
    const int count = logic.samples().count;
    expectIdle();
    EXPECT_EQ(logic.controls().panelText, "T3");
    EXPECT_FALSE(logic.controls().panelRed);
    EXPECT_TRUE(logic.controls().exportEnabled);
    waitUntil([&] { return port.queuedRequests() == 0; });
    const SimNanos later = now() + 200'000'000;
    waitUntil([&] { return now() > later; }, 300);
    EXPECT_EQ(logic.samples().count, count);

    bus->withUnit(0, [](SimUnit& u) { u.axis().startPosition = 999; });
    setFaults({.noise = QByteArray(60, ' ')});
    logic.start();
    EXPECT_EQ(logic.samples().count, -1);
    ASSERT_TRUE(recordUntil(2));
    EXPECT_TRUE(logic.logging());
    EXPECT_EQ(logic.samples().times[0], 0);
    EXPECT_LT(logic.samples().times[1], 200);
    EXPECT_EQ(logic.samples().values[0], 12345);
    EXPECT_EQ(logic.samples().values[1], 12345);
    // The CSV does not pass the old run's values off as this run's.
    logic.stop();
    const QStringList lines = logic.csvText().split("\r\n");
    ASSERT_GE(lines.size(), 3);
    for (int i = 0; i <= logic.samples().count; ++i)
        EXPECT_EQ(lines[i + 1], QStringLiteral("%1,%2,,,1").arg(i).arg(logic.samples().times[i]));
}

struct LinkFailure {
    const char* name;
    SimFaults faults;
    QString panel;
};

class GraphLinkFailureTest : public GraphLogicTest,
                             public ::testing::WithParamInterface<LinkFailure> {};

TEST_P(GraphLinkFailureTest, EndsTheRunWithARedPanel) {
    setFaults(GetParam().faults);
    logic.start();
    ASSERT_TRUE(waitUntil([&] { return !logic.logging(); }));
    expectIdle();
    EXPECT_EQ(logic.controls().panelText, GetParam().panel);
    EXPECT_TRUE(logic.controls().panelRed);
}

INSTANTIATE_TEST_SUITE_P(Failures, GraphLinkFailureTest,
                         ::testing::Values(LinkFailure{"Timeout", {.noAnswer = true}, "T0"},
                                           LinkFailure{"LineError", {.lineErrors = 2}, "T1"},
                                           LinkFailure{"DriverError", {.driverError = 5}, "T1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphLogicTest, SourcesChooseRequestAndForceTheValueScale) {
    struct Case {
        int source;
        QString request;
        int yIndex;
        bool listEnabled;
    };
    logic.choice().yIndex = 3;
    for (const Case& c : {Case{2, "r2", 7, false}, Case{3, "r3", 8, false}, Case{4, "r4", 7, false},
                          Case{5, "r5", 8, false}, Case{1, "r1", 8, true}}) {
        logic.setSource(c.source);
        EXPECT_EQ(logic.choice().yIndex, c.yIndex) << c.source;
        EXPECT_EQ(logic.controls().valueListEnabled, c.listEnabled) << c.source;
        logic.start();
        EXPECT_EQ(logic.RQ500LeesLogData.ASCIIProtocol(), c.request);
        logic.stop();
        waitUntil([&] { return port.queuedRequests() == 0; });
    }
}

TEST_F(GraphLogicTest, CsvHoldsOneLinePerSampleWithTimesAndScaledValues) {
    EXPECT_EQ(logic.csvText(), QString());
    tables.setParameter(ParamTables::PositionDecimalsParameter, 2);
    logic.start();
    ASSERT_TRUE(recordUntil(2));
    logic.stop();
    const GraphSamples& s = logic.samples();
    const QStringList lines = logic.csvText().split("\r\n");
    ASSERT_EQ(lines.size(), s.count + 3); // header, samples, the empty rest after the last CRLF
    EXPECT_EQ(lines[0], "Index,Time (ms),Raw value,Value (AWE),Reply unusable");
    for (int i = 0; i <= s.count; ++i)
        EXPECT_EQ(lines[i + 1], QStringLiteral("%1,%2,12345,123.45,0").arg(i).arg(s.times[i]));
    EXPECT_EQ(lines.last(), QString());

    // An analog input's values are in volts with four decimals.
    waitUntil([&] { return port.queuedRequests() == 0; });
    logic.setSource(2);
    logic.start();
    ASSERT_TRUE(recordUntil(0));
    logic.stop();
    const QStringList analog = logic.csvText().split("\r\n");
    EXPECT_EQ(analog[0], "Index,Time (ms),Raw value,Value (V),Reply unusable");
    const QStringList fields = analog[1].split(',');
    ASSERT_EQ(fields.size(), 5);
    EXPECT_DOUBLE_EQ(fields[3].toDouble(), fields[2].toInt() / 10000.0);
}

// Replies that cannot be read in the middle of a run: the plot keeps the
// slot's former value, the CSV leaves it empty and flags the line, and the
// run goes on with the next good reply.
TEST_F(GraphLogicTest, CsvLeavesUnreadableRepliesEmptyAndFlagsThem) {
    logic.start();
    ASSERT_TRUE(recordUntil(1));
    setFaults({.longReply = true});
    const int before = logic.samples().count;
    ASSERT_TRUE(recordUntil(before + 3));
    bus->withUnit(0, [](SimUnit& u) { u.axis().startPosition = -777; });
    setFaults({});
    const int during = logic.samples().count;
    ASSERT_TRUE(recordUntil(during + 3));
    logic.stop();
    EXPECT_TRUE(logic.samples().count > during);

    const GraphSamples& s = logic.samples();
    const QStringList lines = logic.csvText().split("\r\n");
    ASSERT_EQ(lines.size(), s.count + 3);
    // Good lines before the fault, flagged ones during it, good ones after.
    QString kinds;
    for (int i = 0; i <= s.count; ++i) {
        const QString time = QStringLiteral("%1,%2,").arg(i).arg(s.times[i]);
        if (lines[i + 1] == time + "12345,12345,0")
            kinds += 'a';
        else if (lines[i + 1] == time + ",,1")
            kinds += 'h';
        else if (lines[i + 1] == time + "-777,-777,0")
            kinds += 'b';
        else
            ADD_FAILURE() << "line " << i + 1 << ": " << lines[i + 1].toStdString();
    }
    EXPECT_TRUE(QRegularExpression("^a{2,}h{2,}b+$").match(kinds).hasMatch())
        << kinds.toStdString();
}

TEST_F(GraphLogicTest, FullBufferEndsTheRunAt4001Samples) {
    logic.start();
    ASSERT_TRUE(waitUntil([&] { return !logic.logging(); }, 60000));
    expectIdle();
    EXPECT_EQ(logic.samples().count, 4000);
    EXPECT_EQ(logic.controls().gauge, 4000);
    EXPECT_EQ(logic.controls().panelText, "T4");
    EXPECT_FALSE(logic.controls().panelRed);
    EXPECT_EQ(logic.recordedSamples(), 4001);
    EXPECT_EQ(logic.csvText().count("\r\n"), 4002);
}
