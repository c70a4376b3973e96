#pragma once
// Single-precision cosine and sine of every whole degree from -360 to 720, computed with the
// twelve-digit pi 3.14159265359 (so cos 90° is about -1.036e-13, not 0). The computation library
// reads them through a pointer to the entry for degree 0.

#include "core/pi.h"

namespace sarvo {

constexpr int kTrigFirstDegree = -360;
constexpr int kTrigLastDegree = 720;
constexpr int kTrigEntries = kTrigLastDegree - kTrigFirstDegree + 1; // 1081

// Degree d of the tables; an index outside -360..720 raises error 9.
float CosTab(int degree);
float SinTab(int degree);

// The entries for degree 0; entries -360..720 are addressable from them.
const float* CosTabZero();
const float* SinTabZero();

// Fills both tables. They are already filled before first use; start-up calls this once more,
// which recomputes the same values.
void InitTrigTables();

} // namespace sarvo
