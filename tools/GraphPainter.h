#pragma once

// The log graph's drawing: the plot with its curve, the time axis below it
// and the value axis beside it, each into its own paint device (the window's
// images, an image in a test, the picture saved as PNG).  One time division
// is 60 pixels, one value division 40 pixels above or below the zero line.

#include "model/engines/GraphLogic.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <vector>

class QPaintDevice;

namespace kqm52::graph {

constexpr int TimeAxisWidth = 653; // starts 20 pixels left of the plot
constexpr int TimeAxisHeight = 25;
constexpr int ValueAxisWidth = 80;
constexpr int ValueAxisHeight = 419;

// Where the three images sit in the window (and in the saved picture).
constexpr int PlotLeft = 80, PlotTop = 12;
constexpr int TimeAxisLeft = 60, TimeAxisTop = 421;
constexpr int ValueAxisLeft = 0, ValueAxisTop = 6;

// A saved picture's title line, above the plot and its axes.
constexpr int TitleHeight = 22;

// The background of both axes.
QColor buttonFace();

// The sample's place in the plot.  Values far beyond the scale stay on the
// plot's edge instead of wrapping to the other side.
int sampleX(qint32 time, qint32 t0, int msPerDivision, int plotWidth = PlotWidth);
int sampleY(qint32 value, int valuePerDivision, int plotHeight = PlotHeight);

// A grid position of the time axis and the time it is labelled with.
struct TimeMark {
    int x;
    QString text;
    friend bool operator==(const TimeMark&, const TimeMark&) = default;
};
// The time axis from 0, as the window opens.
std::vector<TimeMark> timeMarksFromZero(const GraphFrame& frame);
// The time axis under the shown part of the run.
std::vector<TimeMark> timeMarks(const GraphFrame& frame);
// The value axis labels from the top (5 divisions up) to the bottom.
QStringList valueLabels(const GraphFrame& frame);
// A grid row of the value axis: its height in the plot and its label.
struct ValueMark {
    int y;
    QString text;
    friend bool operator==(const ValueMark&, const ValueMark&) = default;
};
std::vector<ValueMark> valueMarks(const GraphFrame& frame);

// The axes' images for a plot of this size.
QSize timeAxisSize(int plotWidth);
QSize valueAxisSize(int plotHeight);

// The empty plot and time axis from 0, as the window opens.
void drawEmptyPlot(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame);
// The whole plot: outline, zero line, grid lines, time axis and curve.
void TekenGrafiek(QPaintDevice& image1, QPaintDevice& imageX, const GraphFrame& frame);
// The value axis labels and the unit.
void TekenYasVerdeling(QPaintDevice& imageY, const GraphFrame& frame);

// The three images put together as the window shows them.
QImage graphPicture(const QImage& image1, const QImage& imageX, const QImage& imageY);
// The plot and both axes of a frame drawn afresh, put together the same way:
// what was recorded, whatever the window shows at the moment.  A title, when
// given, goes on a line of its own above.
QImage graphPicture(const GraphFrame& frame, const QString& title = {});

// The curve's place on a zoomed or panned plot, as the painter draws it.
std::vector<QPoint> curvePoints(const GraphFrame& frame);

} // namespace kqm52::graph
