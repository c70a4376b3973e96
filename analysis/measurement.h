#pragma once
// The measurement stage of the analysis chain, run right after CalcLSC (analysis/circle_fit.h):
// ISO 230-4 values, re-centring of the readings on the mean least-squares circle, circularity and
// the minimum-zone circle.
//
// CalcMeasurement traps nothing itself: an error of the re-centring goes to the caller. The
// stages it calls trap their own errors and return them at "Formulae(<name>)", so the chain goes
// on with its next step; fields already written keep their new values. A stage that goes on past
// the failures of the stages it runs adds them to failures, in the order they happened.

#include "analysis/run_geometry.h"
#include "analysis/step_failures.h"
#include "core/case.h"

namespace sarvo {

// In this order: CalcISOF (which runs CalcISOH and CalcISOG first), re-centring of every run
// about the mean least-squares centre onto LscResult.Radius, CalcCircularity, CalcMZC over all
// runs into MzcResult, and IsoGb. A case without runs is left as it is.
void CalcMeasurement(Case& c, StepFailures& failures);
// The same with the caller's point-angle tables (of the case's arc).
void CalcMeasurement(Case& c, PointTrig& trig, StepFailures& failures);

// Largest and smallest reading over all runs (µm) with their angles, run and point (the first
// point wins a tie), and their difference as LscResult.Circularity.
Outcome CalcCircularity(Case& c);

// ISO 230-4 F per run: the largest and smallest deviation from TestRadius, about the run's own
// least-squares centre on a full circle and about the pivot on a partial arc; 0 for an
// uncalibrated bar. Runs CalcISOH and CalcISOG first.
Outcome CalcISOF(Case& c, StepFailures& failures);
Outcome CalcISOF(Case& c, PointTrig& trig, StepFailures& failures);

// ISO 230-4 G per run: the minimum-zone width of the run alone.
Outcome CalcISOG(Case& c, StepFailures& failures);
Outcome CalcISOG(Case& c, PointTrig& trig, StepFailures& failures);

// ISO 230-4 H: for exactly two runs in opposite directions, the largest difference between the
// runs at the same angle (about their common centre on a full circle); 0 otherwise.
Outcome CalcISOH(Case& c);
Outcome CalcISOH(Case& c, PointTrig& trig);

} // namespace sarvo
