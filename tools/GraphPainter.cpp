#include "tools/GraphPainter.h"

#include "model/values/DecimalText.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace kqm52::graph {

namespace {

QFont axisFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    return f;
}

QPen dotted() {
    return QPen(Qt::black, 1, Qt::DotLine);
}

// Decimals enough to tell two marks a step apart, out of `most`.
int decimalsFor(qint64 step, int most) {
    int d = most;
    for (qint64 p = 10; d > 0 && step % p == 0; p *= 10)
        --d;
    return d;
}

// A label of a zoomed value axis: as many decimals as the step needs.
QString zoomedValueText(qint64 v, qint64 step, const GraphFrame& frame) {
    if (v == 0) return QStringLiteral("0");
    const int most = isPositionSource(frame.choice.source) ? frame.positionDecimals : 4;
    if (most < 1 || most > 9) return QString::number(v);
    const int d = decimalsFor(step, most);
    qint64 scale = 1;
    for (int i = d; i < most; ++i)
        scale *= 10;
    return formatDecimal(d, v / scale);
}

// Outline, white inside, zero line and the horizontal grid lines.
void drawPlotFrame(QPainter& p, const GraphFrame& frame) {
    const int w = frame.plotWidth, h = frame.plotHeight;
    p.fillRect(1, 1, w - 2, h - 2, Qt::white);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
    if (frame.view) {
        const Viewport v = frame.viewport();
        const double zero = v.y(0);
        if (zero > 0 && zero < h - 1)
            p.drawLine(0, int(std::lround(zero)), w, int(std::lround(zero)));
        if (frame.choice.auxY) {
            p.setPen(dotted());
            for (const ValueMark& m : valueMarks(frame))
                if (m.y > 0 && m.y < h - 1 && m.text != QLatin1String("0"))
                    p.drawLine(1, m.y, w - 1, m.y);
            p.setPen(Qt::black);
        }
        return;
    }
    const int zeroY = frame.zeroY();
    // TekenMiddenlijn
    p.drawLine(0, zeroY, w, zeroY);
    // YasHulpLijnen
    if (frame.choice.auxY) {
        p.setPen(dotted());
        for (int y = zeroY + YDivisionPixels; y < h; y += YDivisionPixels)
            p.drawLine(1, y, w - 1, y);
        for (int y = zeroY - YDivisionPixels; y > 0; y -= YDivisionPixels)
            p.drawLine(1, y, w - 1, y);
        p.setPen(Qt::black);
    }
}

// One grid position: tick below, optional dotted line in the plot, label.
void drawTimeMarks(QPainter& plot, QPainter& axis, const std::vector<TimeMark>& marks,
                   const GraphFrame& frame) {
    const int w = frame.plotWidth, h = frame.plotHeight;
    for (const TimeMark& m : marks) {
        axis.setPen(Qt::black);
        axis.drawLine(m.x + 20, 0, m.x + 20, 10);
        if (frame.choice.auxX && m.x > 0 && m.x < w - 1) {
            plot.setPen(dotted());
            plot.drawLine(m.x, 1, m.x, h - 1);
            plot.setPen(Qt::black);
        }
        axis.drawText(QRect(m.x + 10, 10, 200, TimeAxisHeight - 10), Qt::AlignLeft | Qt::AlignTop,
                      m.text);
    }
}

// Milliseconds read as seconds with one decimal.
QString secondsText(qint64 t) {
    return formatDecimal(1, qint32(t / 100));
}

void clearTimeAxis(QPainter& axis, const GraphFrame& frame) {
    axis.fillRect(QRect(QPoint(0, 0), timeAxisSize(frame.plotWidth)), buttonFace());
    axis.setFont(axisFont());
}

} // namespace

QColor buttonFace() {
    return QColor(0xF0, 0xF0, 0xF0);
}

QSize timeAxisSize(int plotWidth) {
    return {plotWidth + TimeAxisWidth - PlotWidth, TimeAxisHeight};
}

QSize valueAxisSize(int plotHeight) {
    return {ValueAxisWidth, plotHeight + ValueAxisHeight - PlotHeight};
}

int sampleX(qint32 time, qint32 t0, int msPerDivision, int plotWidth) {
    const qint64 x = (qint64(time) - t0) * XDivisionPixels / msPerDivision;
    return int(std::clamp<qint64>(x, -1, plotWidth + 1));
}

int sampleY(qint32 value, int valuePerDivision, int plotHeight) {
    const qint64 y = qint64(value) * -YDivisionPixels / valuePerDivision + plotHeight / 2;
    return int(std::clamp<qint64>(y, 0, plotHeight - 1));
}

std::vector<TimeMark> timeMarksFromZero(const GraphFrame& frame) {
    const int d = timePerDivision(frame.choice.xIndex);
    std::vector<TimeMark> marks;
    qint64 t = 0;
    for (int x = 0; x < frame.plotWidth; x += XDivisionPixels, t += d)
        marks.push_back({x, secondsText(t)});
    return marks;
}

namespace {

std::vector<TimeMark> zoomedTimeMarks(const GraphFrame& frame) {
    const Viewport v = frame.viewport();
    const qint64 step = roundStep(XDivisionPixels * v.msPerPixel);
    const int d = std::max(1, decimalsFor(step, 3));
    qint64 scale = 1;
    for (int i = d; i < 3; ++i)
        scale *= 10;
    std::vector<TimeMark> marks;
    qint64 t = qint64(std::ceil(v.t0 / double(step))) * step;
    for (;; t += step) {
        const int x = int(std::lround(v.x(double(t))));
        if (x >= frame.plotWidth) break;
        if (x >= 0) marks.push_back({x, formatDecimal(d, t / scale)});
    }
    return marks;
}

} // namespace

std::vector<TimeMark> timeMarks(const GraphFrame& frame) {
    if (frame.view) return zoomedTimeMarks(frame);
    if (frame.samples.count < 0) return timeMarksFromZero(frame);
    const qint32 t0 = frame.samples.times[firstShownSample(frame)];
    if (t0 == 0) return timeMarksFromZero(frame);
    const int d = timePerDivision(frame.choice.xIndex);
    std::vector<TimeMark> marks;
    int x = XDivisionPixels - int((qint64(t0) * XDivisionPixels / d) % XDivisionPixels);
    qint64 t = qint64(t0 / d) * d;
    for (; x < frame.plotWidth; x += XDivisionPixels) {
        t += d;
        marks.push_back({x, secondsText(t)});
    }
    return marks;
}

std::vector<ValueMark> valueMarks(const GraphFrame& frame) {
    std::vector<ValueMark> marks;
    const int h = frame.plotHeight;
    if (frame.view) {
        const Viewport v = frame.viewport();
        const qint64 step = roundStep(YDivisionPixels * v.valuePerPixel);
        const double top = v.valueAt(0);
        for (qint64 value = qint64(std::floor(top / double(step))) * step;; value -= step) {
            const int y = int(std::lround(v.y(double(value))));
            if (y >= h) break;
            if (y >= 0) marks.push_back({y, zoomedValueText(value, step, frame)});
        }
        return marks;
    }
    // A row of labels every division, the zero row on the middle line; the
    // top row starts where its label still fits above the plot.
    const bool position = isPositionSource(frame.choice.source);
    const qint64 perDivision = valuePerDivision(frame.choice.yIndex);
    const qint64 step = position ? perDivision : perDivision / 10000;
    const int zeroY = frame.zeroY();
    const int rowAbove = (zeroY - 4) / YDivisionPixels;
    for (int k = -rowAbove; zeroY + k * YDivisionPixels - 4 < h; ++k) {
        const qint64 label = -k * step;
        marks.push_back(
            {zeroY + k * YDivisionPixels,
             label == 0 ? QStringLiteral("0")
                        : formatDecimal(position ? frame.positionDecimals : 0, qint32(label))});
    }
    return marks;
}

QStringList valueLabels(const GraphFrame& frame) {
    QStringList labels;
    for (const ValueMark& m : valueMarks(frame))
        labels << m.text;
    return labels;
}

std::vector<QPoint> curvePoints(const GraphFrame& frame) {
    const Viewport v = frame.viewport();
    const int last = frame.lastShown();
    return thinnedCurve(frame.samples, v, visibleRange(frame.samples, v, frame.plotWidth, last),
                        frame.plotWidth, frame.plotHeight);
}

void drawEmptyPlot(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame) {
    QPainter plot(&image1);
    QPainter axis(&imageX);
    drawPlotFrame(plot, frame);
    clearTimeAxis(axis, frame);
    drawTimeMarks(plot, axis, timeMarksFromZero(frame), frame);
}

void TekenGrafiek(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame) {
    QPainter plot(&image1);
    QPainter axis(&imageX);
    drawPlotFrame(plot, frame);
    clearTimeAxis(axis, frame);

    drawTimeMarks(plot, axis, timeMarks(frame), frame);

    const SampleSpan& s = frame.samples;
    if (s.count < 1) return;
    if (frame.view) {
        // However long the run, at most a few points per pixel column.
        const std::vector<QPoint> points = curvePoints(frame);
        plot.setClipRect(1, 1, frame.plotWidth - 2, frame.plotHeight - 2);
        plot.setPen(Qt::blue);
        plot.drawPolyline(points.data(), int(points.size()));
        return;
    }
    const int d = timePerDivision(frame.choice.xIndex);
    const int first = firstShownSample(frame);
    const qint32 t0 = s.times[first];
    const int v = valuePerDivision(frame.choice.yIndex);
    const int last = frame.lastShown();
    QPolygon curve;
    curve.reserve(std::clamp(last - first + 1, 0, 8 * frame.plotWidth));
    for (int i = first; i <= last; ++i) {
        const int x = sampleX(s.times[i], t0, d, frame.plotWidth);
        curve << QPoint(x, sampleY(s.values[i], v, frame.plotHeight));
        if (x > frame.plotWidth) break;
    }
    plot.setPen(Qt::blue);
    plot.drawPolyline(curve);
}

void TekenYasVerdeling(QPaintDevice& imageY, const GraphFrame& frame) {
    QPainter p(&imageY);
    const QSize size = valueAxisSize(frame.plotHeight);
    p.fillRect(QRect(QPoint(0, 0), size), buttonFace());
    p.setFont(axisFont());
    p.setPen(Qt::black);
    const QFontMetrics metrics(p.font());
    // The image starts 6 pixels above the plot.
    constexpr int above = PlotTop - ValueAxisTop;
    const int unitTop = size.height() / 2 - 5;
    for (const ValueMark& m : valueMarks(frame)) {
        const int y = m.y + above - 10;
        p.drawLine(70, y + 10, 80, y + 10);
        // A zoomed axis puts its marks anywhere: none over the unit.
        if (frame.view && std::abs(y + 4 - unitTop) < 14) continue;
        // Right-aligned 12 pixels short of the ticks, never cut off on the left.
        const int right = ValueAxisWidth - 12;
        const int left = std::max(0, right - metrics.horizontalAdvance(m.text));
        p.drawText(QRect(left, y + 4, ValueAxisWidth - left, 20), Qt::AlignLeft | Qt::AlignTop,
                   m.text);
    }
    p.drawText(QRect(10, size.height() / 2 - 5, ValueAxisWidth - 10, 20),
               Qt::AlignLeft | Qt::AlignTop, unitOf(frame.choice.source));
}

QImage graphPicture(const QImage& image1, const QImage& imageX, const QImage& imageY) {
    const int extraW = image1.width() - PlotWidth, extraH = image1.height() - PlotHeight;
    QImage picture(PlotLeft + PlotWidth + 32 + extraW, TimeAxisTop + TimeAxisHeight + 4 + extraH,
                   QImage::Format_RGB32);
    picture.fill(buttonFace());
    QPainter p(&picture);
    p.drawImage(ValueAxisLeft, ValueAxisTop, imageY);
    p.drawImage(TimeAxisLeft, TimeAxisTop + extraH, imageX);
    p.drawImage(PlotLeft, PlotTop, image1);
    return picture;
}

QImage graphPicture(const GraphFrame& frame, const QString& title) {
    QImage image1(frame.plotWidth, frame.plotHeight, QImage::Format_RGB32);
    QImage imageX(timeAxisSize(frame.plotWidth), QImage::Format_RGB32);
    QImage imageY(valueAxisSize(frame.plotHeight), QImage::Format_RGB32);
    image1.fill(Qt::white);
    TekenGrafiek(image1, imageX, frame);
    TekenYasVerdeling(imageY, frame);
    QImage graph = graphPicture(image1, imageX, imageY);
    if (title.isEmpty()) return graph;
    QImage picture(graph.width(), graph.height() + TitleHeight, QImage::Format_RGB32);
    picture.fill(buttonFace());
    QPainter p(&picture);
    QFont f = axisFont();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(PlotLeft, 0, graph.width() - PlotLeft, TitleHeight),
               Qt::AlignLeft | Qt::AlignVCenter, title);
    p.drawImage(0, TitleHeight, graph);
    return picture;
}

} // namespace kqm52::graph
