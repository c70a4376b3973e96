#pragma once
// Ball-screw pitch search: which of the standard screw pitches best explains the cyclic error
// of each axis in the first run. Near an axis's reversals the radial direction lies along that
// axis, so the samples there carry its screw error; a pitch is fitted as a cyclic error of that
// period in the axis position, after the circle, ovality and reversal steps have been removed.

#include "analysis/step_failures.h"
#include "core/progress.h"
#include "core/case.h"

#include <array>
#include <span>
#include <vector>

namespace sarvo {

// The candidate pitches in mm: element 0 holds their count (18), elements 1..18 the pitches, the
// metric ones first, then the inch ones.
std::array<float, 19> PitchConstants();

// Half-width in degrees of the window about a reversal within which the axis travels 40 mm,
// rounded and kept within 40..60; a radius of 40 mm or less gives 60 (the whole window).
// Raises on a radius that is not positive.
int PitchWindow(double testRadius);

// One stretch of run 1 near the reversals of an axis: its samples first..last (indexes into run
// 1, last >= first).
struct PitchSegment {
    int first = 0;
    int last = 0;
};

// The segments of run 1 for the horizontal (reversals at 0, 180 ... degrees) or vertical axis
// (90, 270 ...), window half-width w: from the start of the arc, windows of 2w degrees about
// each reversal, the zones between them skipped, cut at the end of the arc. Never an empty
// segment: an arc that holds no sample of a window gives no segment for it.
std::vector<PitchSegment> PitchSegments(const CaseData& d, int w, bool vertical);

// Removes the circle, the ovality, the two three-lobe terms and the reversal steps touched by
// the segments from their samples of run 1 by least squares; y receives the residual, one value
// per sample in segment order. A failure is returned at "Formulae(GetPitchPrep)".
Outcome GetPitchPrep(const CaseData& d, std::span<const PitchSegment> segments, std::vector<float>& y);

// Sets ErrorValues.PitchH and PitchV to the candidate whose cyclic model leaves the smallest
// residual over the axis's segments (the earlier candidate on a tie); 0 for an axis whose
// segments hold too few samples for the model. The pitches are 0 from the start, so a failure
// never leaves the previous case's. Updates the progress meter when given one (10, 15, 20).
// Its own failure is returned at "Formulae(GetPitchFit)"; those of the steps it goes on past (the
// detrending, a residual) join failures.
Outcome GetPitchFit(Case& c, StepFailures& failures, Progress* progress = nullptr);

} // namespace sarvo
