#pragma once
// The screen graphs of a case: the polar deviation graph with its nominal circle, split axes,
// ticks, measured runs and model traces; the minimum-zone circles over it; the linear
// (developed) graph; and the automatic rescale. Everything draws on a Canvas, so the graph
// windows, the windowless dump and the printed report share one drawing code.

#include "core/case.h"
#include "core/units.h"
#include "display/canvas.h"

#include <QColor>
#include <QString>

#include <optional>

namespace sarvo::display {

// The direction filter of the graph windows, by option index: "CW", "CCW", "Both".
enum class DirectionFilter { Cw = 0, Ccw = 1, Both = 2 };

struct GraphRequest {
    bool polar = true;           // else the linear graph
    DirectionFilter filter = DirectionFilter::Both;
    bool showMeasured = true;    // the measured runs
    bool showAnalysis = false;   // the model traces
    bool showMzc = false;        // the minimum-zone circles (polar graph only)
    QColor cw{0x00, 0x00, 0xFF}; // colour of clockwise traces
    QColor ccw{0xFF, 0x00, 0x00}; // colour of counter-clockwise traces
};

struct GraphOutcome {
    // "Truncated!": a measured run did not fit (then the graph was rescaled) or a model trace
    // leaves the range (the scale stays).
    bool clipped = false;
    // The new scale (µm per division) when the measured runs were rescaled to fit.
    std::optional<double> rescaled;
    // A model trace leaves the range at the scale drawn: "Truncated!" stays up until the next
    // drawing, where after a rescale alone it shows for a second only.
    bool modelClipped = false;
};

// The scale (µm per division) the automatic rescale picks for the case's largest measured
// deviation: the steps 2..200 µm (0.0001..0.01 in), beyond them the deviation at 2.9 divisions.
double AutoGraphScale(const CaseData& d, const UnitState& units, bool unitsInch);

// A scale that can be drawn with: a zero, negative or non-finite one is 10 µm per division
// (as is one whose division in mm leaves the single-precision range).
double UsableGraphScale(double graphScale);

// Raises AppError when the case's run count, point counts or arc lie outside the case's limits,
// or when the traces to be drawn (measured, analysis) have no step between their points: a graph
// of a case that passes reads nothing beyond its arrays and divides by nothing that is zero.
void CheckGraphCase(const Case& c, bool measured, bool analysis);

// The deviation in mm from the least-squares circle of the point at theta degrees of a circle
// of the minimum zone about the zone's centre; zone is the circle's place in µm (MzcResult.Min
// or Max). Screen and paper draw the zone's circles through these points.
double ZoneCircleDeviation(const Case& c, double zone, int theta);

// Draws the whole graph on the canvas (cleared first), its size in pixels. When a measured
// point lies beyond the range, the rescale is decided from the data first and the graph drawn
// once at the new scale, which is stored in graphScale (nothing else changes it; an unusable
// scale is drawn as UsableGraphScale says). Readings that are not numbers, or too large for a
// pixel, are left out of their trace. Cases whose counts, angles or step lie
// outside the case's limits raise AppError (the canvas is then left blank); nothing hangs or
// divides by zero. A zero sweep draws the frame only: the linear graph then spans a full circle
// from the start angle. The linear graph writes its labels last, each on the back colour, so no
// trace covers them.
GraphOutcome DrawGraphPicture(Canvas& canvas, const Case& c, double& graphScale, const GraphRequest& request,
                              const UnitState& units, bool unitsInch);

// The caption of the original graph window, translated word by word.
QString OriginalGraphCaption(bool combined);

// The scale per division in display units, as the scale box shows it.
QString GraphScaleText(double graphScale, const UnitState& units);

} // namespace sarvo::display
