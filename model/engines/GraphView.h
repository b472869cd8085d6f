#pragma once

// Reading a recorded curve: the mapping between samples and plot pixels once
// the user zooms or pans, the sample under the mouse, the two cursors and
// what lies between them, statistics of a span, and the curve thinned to at
// most a few points per pixel column.  No widgets: the window asks, the
// painter draws.

#include <QPoint>
#include <QString>
#include <QtGlobal>

#include <limits>
#include <optional>
#include <vector>

namespace kqm52::graph {

// The samples of a run, wherever they live: the window's 4001 slots or a
// recording read back from a file.
struct SampleSpan {
    const qint32* times = nullptr;  // ms since the first sample, never falling
    const qint32* values = nullptr; // raw device units
    const bool* unusable = nullptr; // the reply could not be read: value held
    int count = -1;                 // index of the newest sample; -1 for none
    int size() const { return count + 1; }
};

// A free mapping of time and value onto the plot, as zooming and panning
// leave it.  The scales of the lists are one such mapping; the window draws
// those the classic way and only switches to this one once the user moves.
struct Viewport {
    double t0 = 0;            // ms at the plot's left edge
    double msPerPixel = 1;    // > 0
    double valueAtZero = 0;   // raw value on the plot's middle line
    double valuePerPixel = 1; // > 0
    int zeroY = 204;          // the plot's middle line

    double x(double t) const { return (t - t0) / msPerPixel; }
    double y(double v) const { return zeroY - (v - valueAtZero) / valuePerPixel; }
    double timeAt(double px) const { return t0 + px * msPerPixel; }
    double valueAt(double py) const { return valueAtZero + (zeroY - py) * valuePerPixel; }
};

// The mapping the lists' scales give: one time division of msPerDivision on
// 60 pixels from t0, one value division on 40 pixels around zero.
Viewport tableViewport(qint32 t0, int msPerDivision, int valuePerDivision, int plotHeight);

// Wheel and drag.  A factor above 1 zooms out.  The time or value under the
// pixel stays under it.  Scales are kept within what a 32-bit run can use.
Viewport zoomTime(Viewport v, double atX, double factor);
Viewport zoomValue(Viewport v, double atY, double factor);
// The curve follows the mouse: dx to the right, dy downwards.
Viewport pan(Viewport v, double dx, double dy);
// The newest sample at the right edge of a plot this wide.
Viewport following(Viewport v, qint32 newestTime, int plotWidth);

// The sample nearest in time, among samples 0..last; -1 for no samples.
// Of two at the same distance the earlier.
int nearestSample(const SampleSpan& s, double time, int last);
// The last sample at or before the time (samples after a paused view's end
// are not shown); -1 when the first is later.
int lastSampleUpTo(const SampleSpan& s, qint32 time);

// The samples the plot shows from its left to its right edge, with the one
// just outside each edge so the line runs on to the border.  first > last
// when nothing is in view.
struct IndexRange {
    int first = 0;
    int last = -1;
    bool empty() const { return first > last; }
};
IndexRange visibleRange(const SampleSpan& s, const Viewport& v, int plotWidth, int last);
// The same, strictly inside the plot: what the statistics of the view count.
IndexRange insideRange(const SampleSpan& s, const Viewport& v, int plotWidth, int last);

// Minimum, maximum and mean of the readable samples; the rate counts every
// sample, read or not, over the time they span.
struct Statistics {
    int samples = 0;
    qint32 minimum = 0;
    qint32 maximum = 0;
    double mean = 0;
    double perSecond = 0;
};
Statistics statistics(const SampleSpan& s, IndexRange range);

// The same kept up sample by sample, for a run longer than the window holds.
class RunningStatistics {
  public:
    void clear() { *this = RunningStatistics(); }
    void add(qint32 time, qint32 value, bool usable);
    Statistics result() const;

  private:
    qint64 all_ = 0;
    qint64 usable_ = 0;
    qint32 min_ = 0, max_ = 0;
    double sum_ = 0;
    qint32 firstTime_ = 0, lastTime_ = 0;
};

// The curve as a polyline with at most four points per pixel column (the
// first, the lowest, the highest and the last sample in it, in their order),
// so a redraw costs the plot's width, not the run's length.  Points outside
// the plot lie one pixel beyond its edge.
std::vector<QPoint> thinnedCurve(const SampleSpan& s, const Viewport& v, IndexRange range,
                                 int plotWidth, int plotHeight);

// A round step of 1, 2 or 5 times a power of ten, at least `least`.
qint64 roundStep(double least);

// What the cursors say, in the run's own unit.
struct ValueFormat {
    int decimals = 0; // raw value / 10^decimals
    QString unit;     // "AWE", "V", "mA"
};
// Positions read with the decimals of parameter 203, analog values are in
// ten-thousandths of a volt or milliampere.
ValueFormat valueFormat(int source, int positionDecimals);

QString timeText(qint64 ms);                       // "12,345 s"
QString valueText(double raw, const ValueFormat&); // "1234,5 AWE"

struct Cursor {
    int index = -1;
    qint32 time = 0;
    qint32 value = 0;
    bool unusable = false;
};
Cursor cursorAt(const SampleSpan& s, int index);
QString cursorText(const Cursor& c, const ValueFormat& f);

struct Delta {
    qint32 dt = 0;               // ms, B - A
    qint64 dv = 0;               // raw, B - A
    std::optional<double> slope; // raw per second; none for dt 0
    bool unusable = false;       // either cursor sits on a held value
};
Delta delta(const Cursor& a, const Cursor& b);
QString deltaText(const Delta& d, const ValueFormat& f); // "Δt 2,500 s  Δ 100,0 AWE  100,0 AWE/s"

} // namespace kqm52::graph
