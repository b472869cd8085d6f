#include "model/engines/GraphView.h"

#include "model/values/DecimalText.h"

#include <algorithm>
#include <cmath>

namespace kqm52::graph {

namespace {

// A run of 32-bit milliseconds and values: past these a zoom shows nothing
// a user could read, and the arithmetic would lose its precision.
constexpr double MinMsPerPixel = 0.01;
constexpr double MaxMsPerPixel = 1e7;
constexpr double MinValuePerPixel = 0.01;
constexpr double MaxValuePerPixel = 1e8;

int clampPixel(double p, int size) {
    if (!(p > -1)) return -1; // NaN too
    if (p > size) return size;
    return int(std::floor(p));
}

} // namespace

Viewport tableViewport(qint32 t0, int msPerDivision, int valuePerDivision, int plotHeight) {
    Viewport v;
    v.t0 = t0;
    v.msPerPixel = msPerDivision / 60.0;
    v.valueAtZero = 0;
    v.valuePerPixel = valuePerDivision / 40.0;
    v.zeroY = plotHeight / 2;
    return v;
}

Viewport zoomTime(Viewport v, double atX, double factor) {
    const double t = v.timeAt(atX);
    v.msPerPixel = std::clamp(v.msPerPixel * factor, MinMsPerPixel, MaxMsPerPixel);
    v.t0 = t - atX * v.msPerPixel;
    return v;
}

Viewport zoomValue(Viewport v, double atY, double factor) {
    const double value = v.valueAt(atY);
    v.valuePerPixel = std::clamp(v.valuePerPixel * factor, MinValuePerPixel, MaxValuePerPixel);
    v.valueAtZero = value - (v.zeroY - atY) * v.valuePerPixel;
    return v;
}

Viewport pan(Viewport v, double dx, double dy) {
    v.t0 -= dx * v.msPerPixel;
    v.valueAtZero += dy * v.valuePerPixel;
    return v;
}

Viewport following(Viewport v, qint32 newestTime, int plotWidth) {
    v.t0 = newestTime - (plotWidth - 1) * v.msPerPixel;
    return v;
}

int lastSampleUpTo(const SampleSpan& s, qint32 time) {
    const qint32* end = s.times + s.size();
    return int(std::upper_bound(s.times, end, time) - s.times) - 1;
}

int nearestSample(const SampleSpan& s, double time, int last) {
    last = std::min(last, s.count);
    if (last < 0) return -1;
    const qint32* end = s.times + last + 1;
    const qint32* after =
        std::lower_bound(s.times, end, time, [](qint32 t, double x) { return t < x; });
    if (after == s.times) return 0;
    if (after == end) return last;
    const int i = int(after - s.times);
    return (time - s.times[i - 1]) <= (s.times[i] - time) ? i - 1 : i;
}

IndexRange insideRange(const SampleSpan& s, const Viewport& v, int plotWidth, int last) {
    last = std::min(last, s.count);
    if (last < 0) return {};
    const qint32* end = s.times + last + 1;
    const double from = v.timeAt(0);
    const double to = v.timeAt(plotWidth - 1);
    const qint32* a =
        std::lower_bound(s.times, end, from, [](qint32 t, double x) { return t < x; });
    const qint32* b = std::upper_bound(s.times, end, to, [](double x, qint32 t) { return x < t; });
    return {int(a - s.times), int(b - s.times) - 1};
}

IndexRange visibleRange(const SampleSpan& s, const Viewport& v, int plotWidth, int last) {
    last = std::min(last, s.count);
    if (last < 0) return {};
    IndexRange r = insideRange(s, v, plotWidth, last);
    // One beyond each edge keeps the line running on to the border, even when
    // no sample falls inside.
    return {std::max(0, r.first - 1), std::min(last, r.last + 1)};
}

Statistics statistics(const SampleSpan& s, IndexRange range) {
    RunningStatistics run;
    for (int i = range.first; i <= range.last; ++i)
        run.add(s.times[i], s.values[i], !s.unusable[i]);
    return run.result();
}

void RunningStatistics::add(qint32 time, qint32 value, bool usable) {
    if (all_ == 0) firstTime_ = time;
    lastTime_ = time;
    ++all_;
    if (!usable) return;
    if (usable_ == 0 || value < min_) min_ = value;
    if (usable_ == 0 || value > max_) max_ = value;
    ++usable_;
    sum_ += value;
}

Statistics RunningStatistics::result() const {
    Statistics r;
    r.samples = int(usable_);
    r.minimum = min_;
    r.maximum = max_;
    r.mean = usable_ > 0 ? sum_ / double(usable_) : 0;
    const qint64 span = qint64(lastTime_) - firstTime_;
    r.perSecond = all_ > 1 && span > 0 ? 1000.0 * double(all_ - 1) / double(span) : 0;
    return r;
}

std::vector<QPoint> thinnedCurve(const SampleSpan& s, const Viewport& v, IndexRange range,
                                 int plotWidth, int plotHeight) {
    std::vector<QPoint> points;
    if (range.empty()) return points;
    points.reserve(std::min(4 * (plotWidth + 2), range.last - range.first + 1));
    auto yOf = [&](qint32 value) { return clampPixel(v.y(value), plotHeight); };
    auto add = [&](int x, int y) {
        if (points.empty() || points.back() != QPoint(x, y)) points.emplace_back(x, y);
    };
    // A column's samples are found by comparing times with the column's end,
    // not by placing each one: a whole run in view costs a compare a sample.
    // Near the end the sample is placed exactly, so rounding never moves a
    // sample to the neighbouring column.
    const double margin = v.msPerPixel * 1e-6;
    int i = range.first;
    while (i <= range.last) {
        const int x = clampPixel(v.x(s.times[i]), plotWidth);
        const double end = x < 0            ? v.timeAt(0)
                           : x >= plotWidth ? std::numeric_limits<double>::infinity()
                                            : v.timeAt(x + 1);
        const double sure = end - margin;
        qint32 first = s.values[i], last = first, lo = first, hi = first;
        int loAt = i, hiAt = i;
        for (++i; i <= range.last; ++i) {
            const qint32 t = s.times[i];
            if (t >= sure && clampPixel(v.x(t), plotWidth) != x) break;
            const qint32 value = s.values[i];
            if (value < lo) lo = value, loAt = i;
            if (value > hi) hi = value, hiAt = i;
            last = value;
        }
        add(x, yOf(first));
        // The extremes in the order they came, so a spike reads as one.
        if (loAt <= hiAt) {
            add(x, yOf(lo));
            add(x, yOf(hi));
        } else {
            add(x, yOf(hi));
            add(x, yOf(lo));
        }
        add(x, yOf(last));
    }
    return points;
}

qint64 roundStep(double least) {
    if (!(least > 1)) return 1;
    qint64 p = 1;
    while (p * 10 <= least)
        p *= 10;
    for (qint64 m : {1, 2, 5, 10})
        if (double(p * m) >= least) return p * m;
    return p * 10;
}

ValueFormat valueFormat(int source, int positionDecimals) {
    ValueFormat f;
    if (source == 0 || source == 1) {
        f.decimals = positionDecimals >= 0 && positionDecimals <= 9 ? positionDecimals : 0;
        f.unit = QStringLiteral("AWE");
    } else {
        f.decimals = 4;
        f.unit = source % 2 == 0 ? QStringLiteral("V") : QStringLiteral("mA");
    }
    return f;
}

QString timeText(qint64 ms) {
    return formatDecimal(3, ms) + QStringLiteral(" s");
}

QString valueText(double raw, const ValueFormat& f) {
    return formatDecimal(f.decimals, qint64(std::llround(raw))) + QLatin1Char(' ') + f.unit;
}

Cursor cursorAt(const SampleSpan& s, int index) {
    if (index < 0 || index > s.count) return {};
    return {index, s.times[index], s.values[index], s.unusable[index]};
}

QString cursorText(const Cursor& c, const ValueFormat& f) {
    if (c.index < 0) return {};
    // A held value is no measurement: say so rather than show it.
    return timeText(c.time) + QStringLiteral("   ") +
           (c.unusable ? QStringLiteral("????") : valueText(c.value, f));
}

Delta delta(const Cursor& a, const Cursor& b) {
    Delta d;
    d.dt = b.time - a.time;
    d.dv = qint64(b.value) - a.value;
    if (d.dt != 0) d.slope = 1000.0 * double(d.dv) / double(d.dt);
    d.unusable = a.unusable || b.unusable;
    return d;
}

QString deltaText(const Delta& d, const ValueFormat& f) {
    if (d.unusable) return QStringLiteral("\u0394t %1   \u0394 ????").arg(timeText(d.dt));
    QString text =
        QStringLiteral("\u0394t %1   \u0394 %2")
            .arg(timeText(d.dt), formatDecimal(f.decimals, d.dv) + QLatin1Char(' ') + f.unit);
    text += QStringLiteral("   ");
    text += d.slope ? valueText(*d.slope, f) + QStringLiteral("/s") : QStringLiteral("-");
    return text;
}

} // namespace kqm52::graph
