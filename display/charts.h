#pragma once
// The two charts of the results: a bar chart (the Pareto chart of the largest influences) and a
// line chart (the power spectrum). One drawing path for every painter, screen, image or paper:
// the caller gives the target rectangle and the painter's font; the layout functions say where
// every part falls, so a click is hit-tested by the same geometry that was drawn. Data without
// a range (no values, all zero, a single point) draws an empty frame.

#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QFont;
class QPaintDevice;
class QPainter;

namespace sarvo::display {

// A value axis of round steps (1, 2 or 5 times a power of ten) that holds lo..hi, with at most
// about maxIntervals intervals; empty (no ticks) when lo..hi has no range.
struct ValueAxis {
    double min = 0;
    double max = 0;
    std::vector<double> ticks;
    int decimals = 0; // of the tick labels
};
ValueAxis NiceAxis(double lo, double hi, int maxIntervals);

struct BarChart {
    std::vector<double> values; // one bar each, left to right in this order
    std::vector<QString> labels; // the text under each bar; a missing one is empty
    QString axisTitle;           // above the value axis ("µm")
};

struct BarChartGeometry {
    QRectF plot;                 // inside the axes
    double axisMin = 0;          // the values at the plot's bottom and top; equal when the
    double axisMax = 0;          // data has no range
    std::vector<double> ticks;   // the values with a tick and a label on the value axis
    int tickDecimals = 0;        // the decimals of their labels
    std::vector<QRectF> bars;    // one per value; a zero value gives a bar of zero height
    std::vector<QRectF> labels;  // where each bar's text goes, under the plot: inside the bar's
                                 // column, clear of the neighbouring ones
    // Each bar's text as drawn: wrapped at blanks onto at most two lines, each as wide as its
    // label at most; a word wider than the label is broken (after a hyphen of its own, else with
    // one added); what still does not fit is elided. Empty for a bar without a text.
    std::vector<std::vector<QString>> labelLines;

    // The bar whose column holds the point: strictly between the bar's left and right edges,
    // from the top of the plot down to the bottom of its text. A short bar is as easy to hit as a
    // tall one. nullopt in the gaps and outside.
    std::optional<int> barAt(const QPointF& point) const;
};

// device: what the text is measured for (nullptr: the screen).
BarChartGeometry LayoutBarChart(const BarChart& chart, const QRectF& target, const QFont& font,
                                const QPaintDevice* device = nullptr);
// Paints the chart over target with the painter's font; returns the geometry drawn.
BarChartGeometry DrawBarChart(QPainter& painter, const BarChart& chart, const QRectF& target);

struct LineChart {
    std::vector<QPointF> points; // joined in this order; a point that is not finite breaks the line
    QString xTitle;              // under the x axis ("Hz"); may be empty
    QString yTitle;              // above the y axis ("µm")
    // An x label and tick at every labelEvery-th point (points numbered from 1); the interval
    // grows by whole multiples where the labels would overlap.
    int labelEvery = 20;
};

struct LineChartGeometry {
    QRectF plot;
    double xMin = 0, xMax = 0;
    double yMin = 0, yMax = 0;
    std::vector<double> yTicks;
    int yTickDecimals = 0;
    std::vector<int> xLabelPoints; // indexes into points of the points with an x label
    int labelInterval = 0;         // the interval used, a multiple of labelEvery
    int xLabelDecimals = 0;
    bool empty = true;             // nothing to plot: the frame alone

    // The place of a data point in the plot; only meaningful when not empty.
    QPointF map(const QPointF& value) const;
};

LineChartGeometry LayoutLineChart(const LineChart& chart, const QRectF& target, const QFont& font,
                                  const QPaintDevice* device = nullptr);
LineChartGeometry DrawLineChart(QPainter& painter, const LineChart& chart, const QRectF& target);

} // namespace sarvo::display
