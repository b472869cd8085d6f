// The log graph's drawing, looked at in the pixels: where the curve, the
// zero line, the grid and the axis marks land, and what the axes say.

#include "tools/GraphPainter.h"

#include <gtest/gtest.h>

using namespace kqm52;
using namespace kqm52::graph;

namespace {

class GraphPainterTest : public ::testing::Test {
  protected:
    GraphPainterTest()
        : plot(PlotWidth, PlotHeight, QImage::Format_RGB32),
          axisX(TimeAxisWidth, TimeAxisHeight, QImage::Format_RGB32),
          axisY(ValueAxisWidth, ValueAxisHeight, QImage::Format_RGB32) {
        sync();
    }
    // The frame sees the samples as they are now.
    void sync() { frame.samples = samples.span(); }

    // count + 1 samples, one every `ms`, all of `value`.
    void fill(int count, int ms, qint32 value) {
        samples.count = count;
        for (int i = 0; i <= count; ++i) {
            samples.times[i] = i * ms;
            samples.values[i] = value;
        }
        sync();
    }
    void draw() {
        sync();
        TekenGrafiek(plot, axisX, frame);
    }
    QColor at(int x, int y) const { return plot.pixelColor(x, y); }
    int blackIn(int x0, int x1, int y0, int y1) const {
        int n = 0;
        for (int x = x0; x <= x1; ++x)
            for (int y = y0; y <= y1; ++y)
                n += plot.pixelColor(x, y) == Qt::black;
        return n;
    }
    static QStringList texts(const std::vector<TimeMark>& marks) {
        QStringList t;
        for (const TimeMark& m : marks)
            t << m.text;
        return t;
    }

    GraphSamples samples;
    GraphFrame frame;
    QImage plot, axisX, axisY;
};

} // namespace

// Where a value lands is sampleY's (below); here that the curve is drawn
// there, on the outline and zero line, and the dotted grid only when checked.
TEST_F(GraphPainterTest, OutlineZeroLineCurveAndDottedGridWhenChecked) {
    fill(10, 100, 0); // 200 ms per division: 100 ms is 30 pixels
    draw();
    EXPECT_EQ(at(0, 0), Qt::black);
    EXPECT_EQ(at(600, 408), Qt::black);
    EXPECT_EQ(at(1, 1), Qt::white);
    EXPECT_EQ(at(400, 204), Qt::black);
    EXPECT_EQ(at(30, 204), Qt::blue);
    EXPECT_EQ(at(30, 203), Qt::white);
    EXPECT_EQ(blackIn(1, 599, 244, 244), 0);
    EXPECT_EQ(blackIn(60, 60, 1, 200), 0);
    fill(20, 100, -250); // two and a half divisions down at 100 per division
    frame.choice.auxX = frame.choice.auxY = true;
    draw();
    EXPECT_EQ(at(30, 304), Qt::blue);
    EXPECT_EQ(at(30, 204), Qt::black);
    for (int y : {164, 244, 4, 404}) {
        const int dots = blackIn(1, 599, y, y);
        EXPECT_GT(dots, 100) << y;
        EXPECT_LT(dots, 500) << y;
    }
    for (int x : {60, 120, 540}) {
        const int dots = blackIn(x, x, 1, 200);
        EXPECT_GT(dots, 30) << x;
        EXPECT_LT(dots, 190) << x;
    }
}

TEST_F(GraphPainterTest, PositionsOfSamplesClampInsteadOfWrapping) {
    struct Case {
        qint32 value;
        int perDivision;
        int y;
    };
    for (const Case& c :
         {Case{0, 100, 204}, Case{100, 100, 164}, Case{-100, 100, 244}, Case{53687092, 100, 0},
          Case{INT32_MAX, 100, 0}, Case{INT32_MIN, 100, 408}, Case{-1000000000, 200000000, 404}})
        EXPECT_EQ(sampleY(c.value, c.perDivision), c.y) << c.value;
    EXPECT_EQ(sampleX(1000, 0, 1000), 60);
    EXPECT_EQ(sampleX(INT32_MAX, INT32_MIN, 200), PlotWidth + 1);
}

TEST_F(GraphPainterTest, TimeAxisFromZeroAndScrolledToTheFirstShownSample) {
    fill(0, 100, 0);
    frame.choice.xIndex = 5;
    EXPECT_EQ(texts(timeMarksFromZero(frame)).mid(0, 3), (QStringList{"0,0", "10,0", "20,0"}));
    frame.choice.xIndex = 0; // 200 ms
    const QStringList fast = texts(timeMarksFromZero(frame));
    ASSERT_EQ(fast.size(), 11);
    EXPECT_EQ(fast.mid(0, 4), (QStringList{"0,0", "0,2", "0,4", "0,6"}));
    EXPECT_EQ(fast.last(), "2,0");
    draw();
    for (int x : {20, 80, 620})
        EXPECT_EQ(axisX.pixelColor(x, 5), Qt::black) << x;
    EXPECT_EQ(axisX.pixelColor(50, 5), buttonFace());

    fill(100, 50, 0);
    frame.choice.scrollPosition = 5; // t0 = 250 ms: the next mark, 400 ms, is 45 pixels on
    const auto marks = timeMarks(frame);
    ASSERT_GE(marks.size(), 2u);
    EXPECT_EQ(marks[0], (TimeMark{45, "0,4"}));
    EXPECT_EQ(marks[1], (TimeMark{105, "0,6"}));
    draw();
    EXPECT_EQ(axisX.pixelColor(65, 5), Qt::black);
    EXPECT_EQ(at(1, 204), Qt::blue); // sample 5 at the plot's left edge
}

TEST_F(GraphPainterTest, AutoscrollWhileLoggingShowsTheLastDivisionsOnly) {
    fill(500, 8, 0);
    frame.choice.xIndex = 2; // 1 sec: 125 samples before the newest
    frame.choice.autoScroll = true;
    frame.choice.scrollPosition = 7;
    frame.logging = true;
    EXPECT_EQ(firstShownSample(frame), 375);
    samples.count = 100;
    sync();
    EXPECT_EQ(firstShownSample(frame), 0);
    frame.logging = false;
    EXPECT_EQ(firstShownSample(frame), 7);
}

TEST_F(GraphPainterTest, ValueAxisLabelsBySourceAndScale) {
    const struct {
        int source, yIndex, decimals;
        const char* labels; // top to bottom
        const char* unit;
    } cases[] = {
        {0, 0, 2, "5,00 4,00 3,00 2,00 1,00 0 -1,00 -2,00 -3,00 -4,00 -5,00", "(AWE)"},
        {1, 3, 0, "5000 4000 3000 2000 1000 0 -1000 -2000 -3000 -4000 -5000", "(AWE)"},
        {2, 7, 3, "10 8 6 4 2 0 -2 -4 -6 -8 -10", "(V)"},
        {3, 8, 3, "20 16 12 8 4 0 -4 -8 -12 -16 -20", "(mA)"},
        {4, 0, 0, "0 0 0 0 0 0 0 0 0 0 0", "(V)"},
    };
    for (const auto& c : cases) {
        frame.choice.source = c.source;
        frame.choice.yIndex = c.yIndex;
        frame.positionDecimals = c.decimals;
        EXPECT_EQ(valueLabels(frame), QString::fromLatin1(c.labels).split(' ')) << c.source;
        EXPECT_EQ(unitOf(c.source), c.unit);
    }
    TekenYasVerdeling(axisY, frame);
    for (int y : {10, 50, 410})
        EXPECT_EQ(axisY.pixelColor(75, y), Qt::black) << y;
    EXPECT_EQ(axisY.pixelColor(75, 30), buttonFace());
}
