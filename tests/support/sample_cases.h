#pragma once
// Cases made in memory for the program's tests.

#include "core/case.h"

#include <cmath>

namespace sarvo::test {

// Two runs, one each way round, over a full circle on a 150 mm bar: a centre offset of 2 µm and an
// oval of 1 µm, in the xy plane. A dynamic case has 360 points a run (or as many as asked), a
// static one its eight positions.
inline void FillTwoWayCircle(Case& c, bool dynamic = false, int points = 360)
{
    CaseData& d = c.Data;
    d.Dynamic = dynamic;
    if (!dynamic)
        points = StaticRunPoints(360);
    d.RunCount = 2;
    d.TestRadius = 150;
    d.BallBarLength = 150;
    d.StartAngle = 0;
    d.StopAngle = 360;
    d.SweepAngle = 360;
    d.AngleStep = 360.0 / points;
    d.MaxTargets = static_cast<decltype(d.MaxTargets)>(points);
    for (int r = 1; r <= 2; ++r) {
        const auto i = static_cast<std::size_t>(r);
        d.RunTargets[i] = static_cast<int16_t>(points);
        d.RunDirection[i] = r == 1 ? 1 : -1;
        d.GaugeTemp[i] = 20;
        d.MachineTemp[i] = 20;
        for (int j = 0; j < points; ++j) {
            const double degrees = j * d.AngleStep;
            d.Readings(r, j) = 0.002 * std::cos(degrees * M_PI / 180.0) + 0.001 * std::sin(2 * degrees * M_PI / 180.0);
        }
    }
    c.Header[HdrPlane] = "xy";
}

} // namespace sarvo::test
