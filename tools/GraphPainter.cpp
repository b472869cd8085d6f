#include "tools/GraphPainter.h"

#include "model/DecimalText.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

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

// Outline, white inside, zero line and the horizontal grid lines.
void drawPlotFrame(QPainter& p, const GraphFrame& frame) {
    p.fillRect(1, 1, PlotWidth - 2, PlotHeight - 2, Qt::white);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, PlotWidth - 1, PlotHeight - 1);
    // TekenMiddenlijn
    p.drawLine(0, ZeroY, PlotWidth, ZeroY);
    // YasHulpLijnen
    if (frame.choice.auxY) {
        p.setPen(dotted());
        for (int y = ZeroY + YDivisionPixels; y < PlotHeight; y += YDivisionPixels)
            p.drawLine(1, y, PlotWidth - 1, y);
        for (int y = ZeroY - YDivisionPixels; y > 0; y -= YDivisionPixels)
            p.drawLine(1, y, PlotWidth - 1, y);
        p.setPen(Qt::black);
    }
}

// One grid position: tick below, optional dotted line in the plot, label.
void drawTimeMarks(QPainter& plot, QPainter& axis, const std::vector<TimeMark>& marks, bool auxX) {
    for (const TimeMark& m : marks) {
        axis.setPen(Qt::black);
        axis.drawLine(m.x + 20, 0, m.x + 20, 10);
        if (auxX && m.x > 0 && m.x < PlotWidth - 1) {
            plot.setPen(dotted());
            plot.drawLine(m.x, 1, m.x, PlotHeight - 1);
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

void clearTimeAxis(QPainter& axis) {
    axis.fillRect(0, 0, TimeAxisWidth, TimeAxisHeight, buttonFace());
    axis.setFont(axisFont());
}

} // namespace

QColor buttonFace() {
    return QColor(0xF0, 0xF0, 0xF0);
}

int sampleX(qint32 time, qint32 t0, int msPerDivision) {
    const qint64 x = (qint64(time) - t0) * XDivisionPixels / msPerDivision;
    return int(std::clamp<qint64>(x, -1, PlotWidth + 1));
}

int sampleY(qint32 value, int valuePerDivision) {
    const qint64 y = qint64(value) * -YDivisionPixels / valuePerDivision + ZeroY;
    return int(std::clamp<qint64>(y, 0, PlotHeight - 1));
}

int firstShownSample(const GraphFrame& frame) {
    const int count = frame.samples->count;
    if (frame.choice.autoScroll && frame.logging)
        return std::max(0, count - timePerDivision(frame.choice.xIndex) / 8);
    return std::clamp(frame.choice.scrollPosition, 0, LastIndex);
}

std::vector<TimeMark> timeMarksFromZero(const GraphFrame& frame) {
    const int d = timePerDivision(frame.choice.xIndex);
    std::vector<TimeMark> marks;
    qint64 t = 0;
    for (int x = 0; x < PlotWidth; x += XDivisionPixels, t += d)
        marks.push_back({x, secondsText(t)});
    return marks;
}

std::vector<TimeMark> timeMarks(const GraphFrame& frame) {
    const qint32 t0 = frame.samples->times[firstShownSample(frame)];
    if (t0 == 0) return timeMarksFromZero(frame);
    const int d = timePerDivision(frame.choice.xIndex);
    std::vector<TimeMark> marks;
    int x = XDivisionPixels - int((qint64(t0) * XDivisionPixels / d) % XDivisionPixels);
    qint64 t = qint64(t0 / d) * d;
    for (; x < PlotWidth; x += XDivisionPixels) {
        t += d;
        marks.push_back({x, secondsText(t)});
    }
    return marks;
}

QStringList valueLabels(const GraphFrame& frame) {
    const bool position = isPositionSource(frame.choice.source);
    const qint64 perDivision = valuePerDivision(frame.choice.yIndex);
    const qint64 step = position ? perDivision : perDivision / 10000;
    QStringList labels;
    qint64 label = 5 * step;
    for (int y = 0; y < PlotHeight; y += YDivisionPixels, label -= step)
        labels << (label == 0
                       ? QStringLiteral("0")
                       : formatDecimal(position ? frame.positionDecimals : 0, qint32(label)));
    return labels;
}

void drawEmptyPlot(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame) {
    QPainter plot(&image1);
    QPainter axis(&imageX);
    drawPlotFrame(plot, frame);
    clearTimeAxis(axis);
    drawTimeMarks(plot, axis, timeMarksFromZero(frame), frame.choice.auxX);
}

void TekenGrafiek(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame) {
    QPainter plot(&image1);
    QPainter axis(&imageX);
    drawPlotFrame(plot, frame);
    clearTimeAxis(axis);

    drawTimeMarks(plot, axis, timeMarks(frame), frame.choice.auxX);

    const GraphSamples& s = *frame.samples;
    const int d = timePerDivision(frame.choice.xIndex);
    const int first = firstShownSample(frame);
    const qint32 t0 = s.times[first];
    if (s.count < 1) return;
    const int v = valuePerDivision(frame.choice.yIndex);
    QPolygon curve;
    curve.reserve(s.count - first + 1);
    for (int i = first; i <= s.count; ++i) {
        const int x = sampleX(s.times[i], t0, d);
        curve << QPoint(x, sampleY(s.values[i], v));
        if (x > PlotWidth) break;
    }
    plot.setPen(Qt::blue);
    plot.drawPolyline(curve);
}

void TekenYasVerdeling(QPaintDevice& imageY, const GraphFrame& frame) {
    QPainter p(&imageY);
    p.fillRect(0, 0, ValueAxisWidth, ValueAxisHeight, buttonFace());
    p.setFont(axisFont());
    p.setPen(Qt::black);
    const QFontMetrics metrics(p.font());
    const QStringList labels = valueLabels(frame);
    for (int row = 0; row < labels.size(); ++row) {
        const int y = row * YDivisionPixels;
        p.drawLine(70, y + 10, 80, y + 10);
        // Right-aligned 12 pixels short of the ticks, never cut off on the left.
        const int right = ValueAxisWidth - 12;
        const int left = std::max(0, right - metrics.horizontalAdvance(labels[row]));
        p.drawText(QRect(left, y + 4, ValueAxisWidth - left, 20), Qt::AlignLeft | Qt::AlignTop,
                   labels[row]);
    }
    p.drawText(QRect(10, ValueAxisHeight / 2 - 5, ValueAxisWidth - 10, 20),
               Qt::AlignLeft | Qt::AlignTop, unitOf(frame.choice.source));
}

QImage graphPicture(const QImage& image1, const QImage& imageX, const QImage& imageY) {
    QImage picture(PlotLeft + PlotWidth + 32, TimeAxisTop + TimeAxisHeight + 4,
                   QImage::Format_RGB32);
    picture.fill(buttonFace());
    QPainter p(&picture);
    p.drawImage(ValueAxisLeft, ValueAxisTop, imageY);
    p.drawImage(TimeAxisLeft, TimeAxisTop, imageX);
    p.drawImage(PlotLeft, PlotTop, image1);
    return picture;
}

QImage graphPicture(const GraphFrame& frame) {
    QImage image1(PlotWidth, PlotHeight, QImage::Format_RGB32);
    QImage imageX(TimeAxisWidth, TimeAxisHeight, QImage::Format_RGB32);
    QImage imageY(ValueAxisWidth, ValueAxisHeight, QImage::Format_RGB32);
    image1.fill(Qt::white);
    TekenGrafiek(image1, imageX, frame);
    TekenYasVerdeling(imageY, frame);
    return graphPicture(image1, imageX, imageY);
}

} // namespace kqm52::graph
