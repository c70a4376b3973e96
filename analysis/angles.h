#pragma once
// Angle helpers of the analysis, shared with the graphs. Degrees become radians with the
// program's twelve-digit pi (kPi12), so CosDeg(90) is about -1.04e-13, not 0.

namespace sarvo {

double CosDeg(double degrees);
double SinDeg(double degrees);

// Polar angle of the vector (x, y) in degrees, in (-90, 270]. x = 0 gives 90 for y > 0 and 270
// otherwise (also for y = 0). Never raises: a non-finite result gives 0.
float AngleDeg(float y, float x);

// The angle whose cosine is x, 0..90 degrees for 0 < x <= 1; for -1 <= x < 0 the same formula
// gives the arc cosine less 180 (-90..0), which the pitch search relies on. x = 0 gives 90,
// |x| > 1 (or a non-finite x) gives 0. Never raises.
float ACosDeg(float x);

} // namespace sarvo
