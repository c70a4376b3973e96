#pragma once
// Minimum-zone circle: the two concentric circles that enclose a set of points with the smallest
// difference of radii. The centre is found exactly (to about 1e-11 mm): a search that merely
// stops when its steps get small often ends microns too wide on this non-smooth objective.

#include "analysis/run_geometry.h"
#include "core/outcome.h"
#include "core/case.h"

#include <span>

namespace sarvo {

struct ZoneFit {
    double cx = 0;    // centre, mm, in the frame of the points
    double cy = 0;
    double rFar = 0;  // radius of the outer circle, mm
    double rNear = 0; // radius of the inner circle, mm
    int farthest = 0; // index of a point on the outer circle
    int nearest = 0;  // index of a point on the inner circle
    double width() const { return rFar - rNear; }
};

// Zone width about (cx, cy), mm: the largest less the smallest distance to the points, with the
// indexes of those points (ties keep the earlier point). Raises on an empty or non-finite set.
double CalcMZCf(std::span<const double> x, std::span<const double> y, double cx, double cy, int& nearest,
                int& farthest);

// The minimum zone of the points, searched from (cx0, cy0), which should lie near the centre of
// the points' circle. Raises on an empty or non-finite set.
ZoneFit MinimumZone(std::span<const double> x, std::span<const double> y, double cx0, double cy0);
// The same searched from the points' own least-squares centre.
ZoneFit MinimumZone(std::span<const double> x, std::span<const double> y);

// The minimum-zone circle of runs firstRun..lastRun (1..RunCount): the points lie at distance
// LscResult.Radius + reading from the pivot at their point angles. Fills every field of result:
// width, radius, the extremes measured from TestRadius with their run, point and angle, and the
// centre (µm, ErrorValues' centre added back). Any error is returned at "Formulae(CalcMZC)" and
// then result is left as it was.
Outcome CalcMZC(Case& c, CircleResult& result, int firstRun, int lastRun);
// The same with the caller's point-angle tables.
Outcome CalcMZC(Case& c, CircleResult& result, int firstRun, int lastRun, PointTrig& trig);

} // namespace sarvo
