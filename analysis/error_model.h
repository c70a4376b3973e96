#pragma once
// The error-model fit of a case: the runs of each direction are averaged, a matrix of error
// signatures (the radial deviation a unit amount of each machine error produces at each point)
// is solved by least squares with the computation library, and the coefficients become the
// machine error parameters with their three-sigma uncertainties, the model traces and, for a
// dynamic case, the pitches, spikes, spectrum and vibration results.
//
// Runs after the chain CalcLSC, CalcMeasurement (analysis/circle_fit.h, analysis/measurement.h).

#include "analysis/step_failures.h"
#include "core/case.h"
#include "core/progress.h"
#include "core/settings.h"

#include <span>

namespace sarvo {

// Columns of the design matrix: at most 18 terms.
constexpr int kModelColumns = 18;

// Where each optional term of the design matrix sits. Column 0 is always the scale mismatch and
// column 1 the squareness, so 0 marks a term without a column. A cyclic term takes two columns
// (sine then cosine), so do the centre offset (not indexed: it is fitted, never reported) and
// the lateral play (PlayH, PlayV).
struct ModelColumns {
    int Count = 0;
    int BackDiffH = 0;
    int BackDiffV = 0;
    int BackH = 0;
    int BackV = 0;
    int Servo = 0;
    int CyclicH = 0;
    int CyclicV = 0;
    int PlayH = 0;
    int PlayV = 0;
    int Radius = 0;
    int StraightH = 0;
    int StraightV = 0;
};

// Reversal sign of the horizontal (SignX) and vertical (SignY) axis at angle a (degrees) for a
// counter-clockwise or clockwise pass: +1 while the axis moves towards its negative end, -1
// towards its positive end, 0 outside the whole-degree ranges the model knows (including the
// fractions of a degree between two ranges).
int ReversalSignX(double a, bool counterClockwise);
int ReversalSignY(double a, bool counterClockwise);

// Fills the design matrix X for the averaged rows of the case: direction +1 (counter-clockwise
// rows only), -1 (clockwise only) or 0 (a counter-clockwise block of MaxTargets rows, then a
// clockwise block). X holds rows x 18 values, column after column (element (i, j) at
// i + rows * j); rows is X.size() / 18. Every element of the first columns.Count columns is
// written, the other columns are left as they are. Which terms get a column follows from static
// or dynamic, the directions, the arc and the pitches (0: no cyclic term). A failure is returned
// at "Formulae(CalcMatrix)".
Outcome CalcMatrix(const Case& c, int direction, std::span<float> X, ModelColumns& columns, double pitchH,
                double pitchV);

// Residual sum of squares of the least-squares fit y ~ X (P y): P is m x n (the left inverse
// from KelvoxCalcPinv), X is n x at least m, both column after column. Accumulated in double.
// A failure is returned at "Formulae(GetResidual)" with residual 0.
Outcome GetResidual(std::span<const float> P, std::span<const float> X, std::span<const float> y, int m, int n,
                    float& residual);

// The whole fit of the case (location text "Calculating errors"): error parameters and their
// uncertainties, pitches, model traces, spikes, spectrum and vibration, then ResultsValid, which
// is returned. Progress goes to progress. Its own failure is returned at "Calculating errors":
// the remaining steps are skipped and ResultsValid stays false; the fields written so far keep
// their new values. The failures of the steps it goes on past (the pitch search, the spectrum, a
// residual) join failures. When the progress asks to stop (looked at between the pitch search,
// the solution and the spikes) the fit throws the cancelled error, the fields written so far
// changed: run it through AnalyseCase to keep the case as it was.
//
// At its start the fit clears every uncertainty and the axis profiles: a new fit never carries
// the previous case's values.
Outcome CalcErrors(Case& c, const Settings& s, Progress& progress, StepFailures& failures);

} // namespace sarvo
