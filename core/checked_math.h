#pragma once
// Checked arithmetic: a division by zero, an overflow, an invalid operation or an index outside
// an array raises the matching run-time error at that step, so no infinity or NaN is stored.

#include "core/app_error.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace sarvo {

inline double CheckedFinite(double value)
{
    if (std::isnan(value))
        throw AppError::invalidCall();
    if (std::isinf(value))
        throw AppError::overflow();
    return value;
}

inline double CheckedDiv(double numerator, double denominator)
{
    if (denominator == 0.0)
        throw AppError::divisionByZero();
    return CheckedFinite(numerator / denominator);
}

inline double CheckedSqrt(double value)
{
    if (value < 0.0 || std::isnan(value))
        throw AppError::invalidCall();
    return std::sqrt(value);
}

// Rounds to the nearest integer, halves to the even neighbour, and checks the 16-bit range.
inline int16_t CheckedInt16(double value)
{
    const double r = std::nearbyint(CheckedFinite(value));
    if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
        throw AppError::overflow();
    return static_cast<int16_t>(r);
}

inline int32_t CheckedInt32(double value)
{
    const double r = std::nearbyint(CheckedFinite(value));
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw AppError::overflow();
    return static_cast<int32_t>(r);
}

inline float CheckedSingle(double value)
{
    CheckedFinite(value);
    if (std::fabs(value) > std::numeric_limits<float>::max())
        throw AppError::overflow();
    return static_cast<float>(value);
}

} // namespace sarvo
