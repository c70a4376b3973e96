// The mean centre offset of the captured runs, on synthetic circles about known centres.

#include "gauge/centre_offset.h"

#include "core/pi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sarvo::gauge {
namespace {

// A run of 360 points on the full circle of radius 150 mm about (cx, cy) mm, read from the pivot.
void AddCircleRun(Case& c, double cx, double cy)
{
    constexpr int points = 360;
    constexpr double r = 150;
    CaseData& d = c.Data;
    d.Dynamic = true;
    d.StopAngle = d.SweepAngle = 360;
    d.TestRadius = r;
    const int run = ++d.RunCount;
    d.RunTargets[static_cast<std::size_t>(run)] = points;
    for (int j = 0; j < points; ++j) {
        const double a = PointAngleDeg(d.Arc(), points, j) * kPi12 / 180;
        const double along = cx * std::cos(a) + cy * std::sin(a);
        d.Readings(run, j) = along + std::sqrt(r * r - cx * cx - cy * cy + along * along) - r;
    }
}

TEST(CentreOffsets, MeanOfTheRunsInMicrometresFlaggedAboveTheLimit)
{
    Case c;
    c.Header[HdrPlane] = QStringLiteral("xy");
    AddCircleRun(c, 0.080, -0.020);
    AddCircleRun(c, 0.140, 0.000);
    const CentreOffsets offsets = ComputeCentreOffsets(c);
    ASSERT_TRUE(offsets.outcome.ok());
    EXPECT_EQ(offsets.first.axis + offsets.second.axis, "xy");
    EXPECT_NEAR(offsets.first.micrometres.value(), 110, 0.05);
    EXPECT_NEAR(offsets.second.micrometres.value(), -10, 0.05);
    EXPECT_EQ(std::tuple(offsets.first.aboveLimit, offsets.second.aboveLimit), std::tuple(true, false));
    const UnitState metric{.SmallFactor = 1, .SmallFormat = QStringLiteral("####0")};
    EXPECT_EQ(ShownOffset(offsets.first.micrometres, metric) + ShownOffset(std::nullopt, metric), "110");
}

TEST(CentreOffsets, NoRunsGiveZeroAndAFailureGivesBlanks)
{
    Case c;
    c.Header[HdrPlane] = QStringLiteral("yz");
    const CentreOffsets none = ComputeCentreOffsets(c);
    EXPECT_EQ(none.first.axis + none.second.axis, "yz");
    EXPECT_EQ(std::tuple(none.first.micrometres, none.second.micrometres, none.first.aboveLimit),
              std::tuple(0.0, 0.0, false));

    AddCircleRun(c, 0.5, 0.5);
    c.Data.RunCount = 2;
    c.Data.RunTargets[2] = 2; // too few points for a circle
    const CentreOffsets failed = ComputeCentreOffsets(c);
    EXPECT_EQ(failed.outcome.ok() ? QString() : failed.outcome.location(), "Calculating offsets");
    EXPECT_FALSE(failed.first.micrometres || failed.second.micrometres || failed.first.aboveLimit);
}

} // namespace
} // namespace sarvo::gauge
