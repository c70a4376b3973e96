#pragma once
// Spectrum and vibration of a dynamic case: run 1 is high-pass filtered (cut-off wavelength
// about 4 mm along the path), its first samples are transformed, and the local scatter of the
// filtered signal gives the stick-slip, random and directional vibration.

#include "analysis/step_failures.h"
#include "core/case.h"

#include <span>
#include <vector>

namespace sarvo {

// Fills Spectrum from run 1 (element 0: the line count L = N/2 - 1, N the largest power of two
// not above the run's points, at most 256; element k: 1000 x the magnitude of transform line k,
// unnormalised, so a sine of amplitude A mm on line k reads about 1000 x A x N / 2), clears the
// elements above L, then runs CalcVibration. A run 1 of fewer than two points gives an empty
// spectrum and zero vibration results. Its own failure is returned at "Formulae(CalcSpectrum)";
// those of the filter and the vibration, which it goes on past, join failures.
Outcome CalcSpectrum(Case& c, StepFailures& failures);

// First-order high-pass filter, bilinear: y(0) = 0 and
// y(i) = (x(i) - x(i-1) + (1 - k) y(i-1)) / (1 + k) for i = 1..n-1; k = 5 R / n sets the cut-off.
// A failure is returned at "Formulae(HighPassOld)".
Outcome HighPassOld(std::vector<float>& y, std::span<const float> x, float k);

// From the filtered run 1: the local three-sigma scatter (21 samples) at every whole degree of
// the arc, averaged 15 degrees past the reversals of each axis (SlipH, SlipV) and away from the
// axis directions (Random); the largest scatter of opposite directions gives PolarVibration and
// VibrationAngle when it exceeds twice Random. Values in µm. A failure is returned at
// "Formulae(CalcVibration)".
Outcome CalcVibration(Case& c, std::span<const float> y);

} // namespace sarvo
