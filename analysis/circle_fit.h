#pragma once
// Least-squares circle of the runs, temperature compensation of the readings and re-centring.
//
// The analysis chain is CalcLSC, then CalcMeasurement (analysis/measurement.h). CalcLSC
// compensates the readings in place; the chain is not idempotent. None of these procedures traps
// errors: an AppError (division by zero, invalid argument, subscript out of range, a failure to
// bind the computation library) goes to the caller, which reports it with its own location text.
// Readings already rewritten stay rewritten.

#include "analysis/run_geometry.h"
#include "core/case.h"
#include "core/settings.h"

#include <span>

namespace sarvo {

// A fitted circle in mm: centre relative to the pivot, and radius.
struct LscCircle {
    double CX = 0;
    double CY = 0;
    double R = 0;
};

// Least-squares circle through the points at distance radius + reading from the pivot, each at
// its angle on the arc (PointAngleDeg). Raises when the run has fewer than three points, when
// the system is singular, or when the fit has no real radius.
LscCircle CalcLSCRun(const CaseData& data, int run, double radius);
LscCircle CalcLSCRun(std::span<const double> readings, const PointArc& arc, double radius);

// The same fit over runs 1 and 2 together, each run at its own angular step.
LscCircle CalcLSCAll(const CaseData& data, double radius);

// Re-expresses the readings of a run about the centre (xc, yc) in mm: the point at distance
// ra + reading from the pivot becomes its distance from (xc, yc) along the same direction, less
// rs. Raises when the centre lies too far off for a real distance (negative radicand).
void RecentreRun(CaseData& data, int run, double xc, double yc, double ra, double rs);
void RecentreRun(std::span<double> readings, const PointArc& arc, double xc, double yc, double ra, double rs);

// reading := k * reading + c(run) for every point of runs 1..RunCount, turning deviations from
// the bar length into deviations from TestRadius corrected for thermal expansion; Remove is the
// inverse, (reading - c(run)) / k.
void ApplyTempCompensation(Case& c, const Settings& s);
void RemoveTempCompensation(Case& c, const Settings& s);

// The first stage of every analysis: temperature compensation, the circle of every run, their
// mean centre (ErrorValues and LscResult, µm) and radius (LscResult.Radius, mm), and ISO 230-4 D
// from runs 1 and 2 (0 with a single run). A case without runs is left as it is.
void CalcLSC(Case& c, const Settings& s);
// The same with the caller's point-angle tables (of the case's arc), to share with later stages.
void CalcLSC(Case& c, const Settings& s, PointTrig& trig);

// Building blocks on one run's trig table, for the stages that work on copies of the readings.
struct RunSlice {
    std::span<const double> readings;
    const RunTrig* trig;
};
LscCircle FitLscCircle(std::span<const RunSlice> runs, double radius);
void RecentrePoints(std::span<double> readings, const RunTrig& trig, double xc, double yc, double ra,
                    double rs);

} // namespace sarvo
