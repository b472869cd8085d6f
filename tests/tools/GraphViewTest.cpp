// Reading a curve without a window: the sample under the mouse, the two
// cursors and what lies between them, zoom and pan that keep the sample under
// the mouse where it is, the statistics, the thinned curve, and the fit to
// the value list.

#include "model/engines/GraphView.h"
#include "link/ZRComm.h"
#include "model/engines/GraphLogic.h"
#include "model/texts/LanguageTexts.h"
#include "model/values/ParamTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kqm52;
using namespace kqm52::graph;

namespace {

// A known run: a sample every 50 ms except one late reply (sample 3 at
// 175 ms), values in hundredths (parameter 203 says 2), sample 5 unreadable.
//   index  0    1    2    3    4    5    6     7
//   time   0    50   100  175  200  250  300   350
//   value  0    100  250  -50  400  (held) 1000 1000
class KnownRun : public ::testing::Test {
  protected:
    void SetUp() override {
        const qint32 t[] = {0, 50, 100, 175, 200, 250, 300, 350};
        const qint32 v[] = {0, 100, 250, -50, 400, 400, 1000, 1000};
        for (int i = 0; i < 8; ++i) {
            times.push_back(t[i]);
            values.push_back(v[i]);
            unusable.push_back(i == 5);
        }
        span = {times.data(), values.data(), reinterpret_cast<const bool*>(unusable.data()), 7};
    }
    std::vector<qint32> times, values;
    std::vector<char> unusable;
    SampleSpan span;
    const ValueFormat hundredths{2, QStringLiteral("AWE")};
};

static_assert(sizeof(bool) == sizeof(char));

} // namespace

TEST_F(KnownRun, HoverSnapsToTheNearestSampleAndEarlierOnATie) {
    const struct {
        double time;
        int index;
    } cases[] = {{-500, 0}, {0, 0},   {24, 0},  {25, 0},  {26, 1},   {137, 2},
                 {138, 3},  {187, 3}, {188, 4}, {349, 7}, {99999, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(nearestSample(span, c.time, span.count), c.index) << c.time;
    // A paused view ends at sample 4: the later ones are not there to snap to.
    EXPECT_EQ(nearestSample(span, 350, lastSampleUpTo(span, 200)), 4);
    EXPECT_EQ(lastSampleUpTo(span, 199), 3);
    EXPECT_EQ(lastSampleUpTo(span, -1), -1);
    EXPECT_EQ(nearestSample(SampleSpan{}, 10, 5), -1);
}

TEST_F(KnownRun, CursorsReadTimeValueAndTheDifferenceWithItsSlope) {
    EXPECT_EQ(cursorText(cursorAt(span, 2), hundredths), "0,100 s   2,50 AWE");
    EXPECT_EQ(cursorText(cursorAt(span, 3), hundredths), "0,175 s   -0,50 AWE");
    // The held value is no measurement.
    EXPECT_EQ(cursorText(cursorAt(span, 5), hundredths), "0,250 s   ????");
    EXPECT_EQ(cursorText(cursorAt(span, 8), hundredths), "");

    const Delta d = delta(cursorAt(span, 1), cursorAt(span, 4));
    EXPECT_EQ(d.dt, 150);
    EXPECT_EQ(d.dv, 300);
    ASSERT_TRUE(d.slope);
    EXPECT_DOUBLE_EQ(*d.slope, 2000.0); // 3,00 AWE in 0,15 s
    EXPECT_EQ(deltaText(d, hundredths), "\u0394t 0,150 s   \u0394 3,00 AWE   20,00 AWE/s");
    // Backwards: B before A.
    EXPECT_EQ(deltaText(delta(cursorAt(span, 4), cursorAt(span, 3)), hundredths),
              "\u0394t -0,025 s   \u0394 -4,50 AWE   180,00 AWE/s");
    // The same sample twice has no slope.
    EXPECT_EQ(deltaText(delta(cursorAt(span, 6), cursorAt(span, 6)), hundredths),
              "\u0394t 0,000 s   \u0394 0,00 AWE   -");
    EXPECT_EQ(deltaText(delta(cursorAt(span, 4), cursorAt(span, 5)), hundredths),
              "\u0394t 0,050 s   \u0394 ????");
    // Analog values read in ten-thousandths of their unit.
    EXPECT_EQ(valueText(-12345, valueFormat(2, 2)), "-1,2345 V");
    EXPECT_EQ(valueText(5, valueFormat(3, 0)), "0,0005 mA");
    EXPECT_EQ(valueText(5, valueFormat(1, 0)), "5 AWE");
}

TEST_F(KnownRun, StatisticsLeaveHeldValuesOutAndRunningOnesAgree) {
    const Statistics all = statistics(span, {0, 7});
    EXPECT_EQ(all.samples, 7);
    EXPECT_EQ(all.minimum, -50);
    EXPECT_EQ(all.maximum, 1000);
    EXPECT_DOUBLE_EQ(all.mean, (0 + 100 + 250 - 50 + 400 + 1000 + 1000) / 7.0);
    EXPECT_DOUBLE_EQ(all.perSecond, 7 / 0.35); // 8 samples over 350 ms

    const Statistics part = statistics(span, {2, 4});
    EXPECT_EQ(part.minimum, -50);
    EXPECT_EQ(part.maximum, 400);
    EXPECT_DOUBLE_EQ(part.perSecond, 2 / 0.1);

    RunningStatistics run;
    for (int i = 0; i <= 7; ++i)
        run.add(times[i], values[i], !unusable[i]);
    const Statistics r = run.result();
    EXPECT_EQ(r.samples, all.samples);
    EXPECT_EQ(r.minimum, all.minimum);
    EXPECT_EQ(r.maximum, all.maximum);
    EXPECT_DOUBLE_EQ(r.mean, all.mean);
    EXPECT_DOUBLE_EQ(r.perSecond, all.perSecond);
    EXPECT_EQ(statistics(span, {3, 2}).samples, 0);
}

TEST_F(KnownRun, ZoomKeepsTheSampleUnderTheMouseAndPanMovesItWithTheMouse) {
    // 200 ms per division from 0, 100 per division.
    const Viewport table = tableViewport(0, 200, 100, 409);
    EXPECT_DOUBLE_EQ(table.x(200), 60);
    EXPECT_DOUBLE_EQ(table.y(100), 164);
    for (const double factor : {0.8, 0.5, 1.25, 3.0}) {
        for (const int i : {1, 4, 6}) {
            const double x = table.x(times[i]);
            const Viewport z = zoomTime(table, x, factor);
            EXPECT_NEAR(z.x(times[i]), x, 1e-9) << factor << " " << i;
            EXPECT_EQ(nearestSample(span, z.timeAt(x), 7), i);
            EXPECT_DOUBLE_EQ(z.msPerPixel, table.msPerPixel * factor);
            const double y = table.y(values[i]);
            const Viewport zy = zoomValue(table, y, factor);
            EXPECT_NEAR(zy.y(values[i]), y, 1e-9);
            EXPECT_DOUBLE_EQ(zy.x(times[i]), x); // time untouched
        }
    }
    const Viewport p = pan(table, 30, -20);
    EXPECT_DOUBLE_EQ(p.x(times[4]), table.x(times[4]) + 30);
    EXPECT_DOUBLE_EQ(p.y(values[4]), table.y(values[4]) - 20);
    // Zooming far stops at the scales a 32-bit run can use.
    Viewport in = table;
    for (int k = 0; k < 200; ++k)
        in = zoomTime(in, 100, 0.5);
    EXPECT_GT(in.msPerPixel, 0);
    EXPECT_NEAR(in.x(in.timeAt(100)), 100, 1e-6);
    // Following puts the newest sample on the last column.
    EXPECT_DOUBLE_EQ(following(table, 350, 601).x(350), 600);
}

TEST_F(KnownRun, TheRangeInViewRunsOneSampleBeyondEachEdge) {
    Viewport v = tableViewport(0, 200, 100, 409);
    v.t0 = 120;          // 120 .. 120 + 600 * 10/3 ms
    v.msPerPixel = 0.25; // 120 .. 270 ms over 601 pixels
    const IndexRange inside = insideRange(span, v, 601, 7);
    EXPECT_EQ(inside.first, 3);
    EXPECT_EQ(inside.last, 5);
    const IndexRange drawn = visibleRange(span, v, 601, 7);
    EXPECT_EQ(drawn.first, 2);
    EXPECT_EQ(drawn.last, 6);
    v.t0 = 1000;
    EXPECT_TRUE(insideRange(span, v, 601, 7).empty());
    EXPECT_EQ(visibleRange(span, v, 601, 7).first, 7);
}

TEST(GraphThinning, AtMostFourPointsAColumnAndEveryColumnsExtremesKept) {
    std::mt19937 random(7);
    std::uniform_int_distribution<qint32> noise(-50000, 50000);
    const int n = 100000;
    std::vector<qint32> times(n), values(n);
    std::vector<char> held(n, 0);
    for (int i = 0; i < n; ++i) {
        times[i] = i * 52;
        values[i] = qint32(200000 * std::sin(i / 900.0)) + noise(random);
    }
    values[54321] = 2000000; // one spike far above the rest
    const SampleSpan s{times.data(), values.data(), reinterpret_cast<const bool*>(held.data()),
                       n - 1};
    Viewport v = tableViewport(0, 200, 100000, 409);
    v.msPerPixel = times.back() / 600.0; // the whole run on the plot
    const std::vector<QPoint> points = thinnedCurve(s, v, {0, n - 1}, 601, 409);

    std::vector<int> perColumn(603, 0), lowest(603, -1), highest(603, 1 << 20);
    for (const QPoint& p : points) {
        ASSERT_GE(p.x(), -1);
        ASSERT_LE(p.x(), 601);
        ++perColumn[p.x() + 1];
        lowest[p.x() + 1] = std::max(lowest[p.x() + 1], p.y());
        highest[p.x() + 1] = std::min(highest[p.x() + 1], p.y());
    }
    for (int c : perColumn)
        EXPECT_LE(c, 4);
    // Brute force: each column's extremes, as every sample would draw them.
    std::vector<int> wantLow(603, -1), wantHigh(603, 1 << 20);
    for (int i = 0; i < n; ++i) {
        const int x = int(std::floor(v.x(times[i])));
        const int y = std::clamp(int(std::floor(v.y(values[i]))), -1, 409);
        wantLow[x + 1] = std::max(wantLow[x + 1], y);
        wantHigh[x + 1] = std::min(wantHigh[x + 1], y);
    }
    EXPECT_EQ(lowest, wantLow);
    EXPECT_EQ(highest, wantHigh);
    // The spike is on the plot's top edge, not lost between columns.
    EXPECT_EQ(*std::min_element(highest.begin(), highest.end()), -1);
    // Zoomed in, every sample is its own point.
    v.msPerPixel = 52.0 / 10;
    EXPECT_EQ(thinnedCurve(s, v, {0, 50}, 601, 409).size(), 51u);
}

TEST(GraphRoundStep, OneTwoOrFiveTimesAPowerOfTen) {
    const struct {
        double least;
        qint64 step;
    } cases[] = {{0, 1},  {1, 1},    {1.5, 2},   {3, 5},        {5, 5},
                 {7, 10}, {60, 100}, {140, 200}, {4e6, 5000000}};
    for (const auto& c : cases)
        EXPECT_EQ(roundStep(c.least), c.step) << c.least;
}

// The logic over a recording read back: no port needed to read a run.
class GraphReading : public ::testing::Test {
  protected:
    GraphReading() : logic(port, tables, language) {
        tables.setParameter(ParamTables::PositionDecimalsParameter, 2);
        Recording r;
        r.source = 0;
        r.decimals = 2;
        // 1000 samples 50 ms apart, a ramp from -2000 to +2995 by 5.
        for (int i = 0; i < 1000; ++i) {
            r.times << i * 50;
            r.values << -2000 + 5 * i;
            r.unusable << false;
        }
        EXPECT_TRUE(logic.loadRecording(std::move(r)));
    }
    TZRComm port;
    ParamTables tables;
    LanguageTexts language;
    GraphLogic logic;
};

TEST_F(GraphReading, HoverAndCursorsOnTheListsScales) {
    logic.choice().xIndex = 0; // 200 ms per division: 10/3 ms per pixel
    // Pixel 60 is 200 ms: sample 4.
    EXPECT_EQ(logic.hoverText(60), "0,200 s   -19,80 AWE");
    logic.placeCursor(0, 60);
    logic.placeCursor(1, 600); // 2000 ms: sample 40
    EXPECT_EQ(logic.cursorsText(), "A  0,200 s   -19,80 AWE\nB  2,000 s   -18,00 AWE\n"
                                   "\u0394t 1,800 s   \u0394 1,80 AWE   1,00 AWE/s");
    // A cursor stays on its sample when the view moves.
    logic.zoomTime(0, 2);
    EXPECT_EQ(logic.cursor(1)->index, 40);
    logic.clearCursors();
    EXPECT_EQ(logic.cursorsText(), "");
}

TEST_F(GraphReading, WheelAndDragKeepTheSampleUnderTheMouseThenHomeGoesBack) {
    logic.choice().xIndex = 2; // 1 sec per division
    const int under = logic.sampleAt(300).index;
    EXPECT_EQ(under, 100); // 5 s
    logic.zoomTime(300, 0.5);
    EXPECT_EQ(logic.sampleAt(300).index, under);
    logic.zoomTime(300, 0.25);
    EXPECT_EQ(logic.sampleAt(300).index, under);
    ASSERT_TRUE(logic.frame().view);
    logic.panBy(120, 0); // 120 pixels at 1/8 of 50/3 ms per pixel = 250 ms
    EXPECT_EQ(logic.sampleAt(300).index, under - 5);
    EXPECT_EQ(logic.sampleAt(420).index, under);
    logic.home();
    EXPECT_FALSE(logic.frame().view);
    EXPECT_EQ(logic.sampleAt(300).index, under);
}

TEST_F(GraphReading, FitPicksTheSmallestListScaleThatShowsTheCurveInView) {
    logic.choice().xIndex = 0; // 0 .. 2000 ms in view: values -2000 .. -1800
    logic.choice().yIndex = 0; // 100 per division: far off the plot
    // 2000 at 40 pixels per division must stay within 203 pixels: 500 (160 px).
    EXPECT_EQ(logic.fit(), 2);
    EXPECT_EQ(logic.choice().yIndex, 2);
    logic.choice().xIndex = 5; // 10 sec per division: 0 .. 49,95 s, all of it
    EXPECT_EQ(logic.fit(), 3); // 2995 needs 1000 per division
    // A zoomed value axis returns to the list's scale.
    logic.zoomValue(100, 0.3);
    EXPECT_EQ(logic.fit(), 3);
    EXPECT_DOUBLE_EQ(logic.frame().viewport().valuePerPixel, 1000 / 40.0);
    EXPECT_DOUBLE_EQ(logic.frame().viewport().valueAtZero, 0);
}

TEST_F(GraphReading, StatisticsOfTheViewAndOfTheWholeRecording) {
    logic.choice().xIndex = 0; // 0 .. 2000 ms: samples 0 .. 40
    const Statistics view = logic.visibleStatistics();
    EXPECT_EQ(view.samples, 41);
    EXPECT_EQ(view.minimum, -2000);
    EXPECT_EQ(view.maximum, -1800);
    EXPECT_DOUBLE_EQ(view.mean, -1900);
    EXPECT_DOUBLE_EQ(view.perSecond, 20);
    const Statistics run = logic.runStatistics();
    EXPECT_EQ(run.samples, 1000);
    EXPECT_EQ(run.maximum, 2995);
    EXPECT_DOUBLE_EQ(run.mean, 497.5);
}

TEST_F(GraphReading, TheWholeRunPictureSpansThePlot) {
    const GraphFrame whole = logic.pictureFrame(true);
    ASSERT_TRUE(whole.view);
    EXPECT_DOUBLE_EQ(whole.viewport().x(0), 0);
    EXPECT_DOUBLE_EQ(whole.viewport().x(49950), 600);
    EXPECT_FALSE(logic.pictureFrame(false).view);
}
