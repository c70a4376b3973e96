#include "analysis/angles.h"

#include "analysis/trig_tables.h"

#include <cmath>

namespace sarvo {

double CosDeg(double degrees)
{
    return std::cos(degrees * kPi12 / 180.0);
}

double SinDeg(double degrees)
{
    return std::sin(degrees * kPi12 / 180.0);
}

float AngleDeg(float y, float x)
{
    if (x == 0.0f)
        return (y > 0.0f) ? 90.0f : 270.0f;
    // The arc tangent of y / x, taken with atan2 so that a steep vector cannot overflow the
    // quotient; the left half-plane adds 180.
    const double yd = y, xd = x;
    const double degrees = (xd > 0.0) ? std::atan2(yd, xd) * 180.0 / kPi12
                                      : std::atan2(-yd, -xd) * 180.0 / kPi12 + 180.0;
    return std::isfinite(degrees) ? static_cast<float>(degrees) : 0.0f;
}

float ACosDeg(float x)
{
    if (x == 0.0f)
        return 90.0f;
    const double radicand = 1.0 - static_cast<double>(x) * static_cast<double>(x);
    if (!(radicand >= 0.0))
        return 0.0f;
    const float ratio = static_cast<float>(std::sqrt(radicand) / static_cast<double>(x));
    const double degrees = std::atan(static_cast<double>(ratio)) * 180.0 / kPi12;
    return std::isfinite(degrees) ? static_cast<float>(degrees) : 0.0f;
}

} // namespace sarvo
