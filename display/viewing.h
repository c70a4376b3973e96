#pragma once
// The viewing-angle diagram: a schematic of the run being planned in the measurement window,
// the circle seen along the plane's third axis with the start position, the overshoot before
// and after the measured arc, the direction of travel, and for a static run the stopping points.
// Drawn in twips on a Canvas, so the window and the windowless dump share one drawing code.

#include "core/ini_file.h"
#include "display/canvas.h"

#include <QString>

#include <array>

namespace sarvo::display {

enum class ViewPlane { XY, XZ, YZ };

// What the measurement window's entries say about the planned run.
struct ViewParams {
    bool dynamic = true;
    bool counterClockwise = true;
    double startAngle = 0; // degrees, dynamic run
    double endAngle = 360;
    double overshoot = 180;
    int startAxisIndex = 0; // static run: list index 0..3 = 0, 180, 90, 270 degrees
    int endAxisIndex = 0;
    ViewPlane plane = ViewPlane::XY;
};

// The measurement window's entries as it opens with the settings file: start, end and overshoot
// from section "BasicInput" (read as their leading numbers), a dynamic counter-clockwise run in
// plane XY.
ViewParams OpeningViewParams(const IniFile& settingsFile);

// The four axis names: north, south, west, east.
std::array<QString, 4> ViewAxisLabels(ViewPlane plane);

// The axis position in degrees of a static list index; any other index counts as 0.
int StaticAxisDegrees(int listIndex);

// A dynamic angle in whole degrees: rounded half to even, then taken modulo 1440 with its sign.
// Entries too large for a whole number (or not numbers at all) are clamped first.
int ViewAngle(double degrees);

inline constexpr double kTwipsPerPixel = 15;

// Draws the diagram on the canvas (cleared first, then given an upward scale in twips of its
// size at 15 twips per pixel). startText is the translated "Start".
void DrawViewingDiagram(Canvas& canvas, const ViewParams& params, const QString& startText);

} // namespace sarvo::display
