#pragma once
// Runs of a full circle about a known centre, as a gauge on the pivot would read them.

#include "analysis/angles.h"
#include "core/case.h"
#include "core/pi.h"

#include <cmath>

namespace sarvo::test {

inline constexpr double kCircleRadiusMm = 150;

// A case over the full circle in the plane, with no runs yet.
inline Case FullCircleCase(const QString& plane)
{
    Case c;
    c.Header[HdrPlane] = plane;
    c.Data.StopAngle = 360;
    c.Data.SweepAngle = 360;
    c.Data.TestRadius = kCircleRadiusMm;
    return c;
}

// Adds a run of 360 points on the circle of 150 mm about (cx, cy) mm, as deviations from 150 mm.
inline void AddCircleRun(Case& c, double cx, double cy)
{
    constexpr int points = 360;
    const double r = kCircleRadiusMm;
    CaseData& d = c.Data;
    const int run = ++d.RunCount;
    d.RunTargets[static_cast<std::size_t>(run)] = points;
    for (int j = 0; j < points; ++j) {
        const double a = PointAngleDeg(d.StartAngle, d.SweepAngle, points, j) * kPi12 / 180;
        const double along = cx * std::cos(a) + cy * std::sin(a);
        d.Readings(run, j) = along + std::sqrt(r * r - cx * cx - cy * cy + along * along) - r;
    }
}

} // namespace sarvo::test
