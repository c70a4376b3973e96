// The mean centre offset of the captured runs, on synthetic circles about known centres.

#include "gauge/centre_offset.h"

#include "tests/gauge/synthetic_circle.h"

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

using test::AddCircleRun;
using test::FullCircleCase;

TEST(CentreOffsets, MeanOfTheRunsInMicrometresFlaggedAboveTheLimit)
{
    Case c = FullCircleCase(QStringLiteral("xy"));
    AddCircleRun(c, 0.080, -0.020);
    AddCircleRun(c, 0.140, 0.000);
    const CentreOffsets offsets = ComputeCentreOffsets(c);
    ASSERT_TRUE(offsets.outcome.ok());
    EXPECT_EQ(offsets.first.axis + offsets.second.axis, "xy");
    EXPECT_NEAR(offsets.first.micrometres.value(), 110, 0.05);
    EXPECT_NEAR(offsets.second.micrometres.value(), -10, 0.05);
    EXPECT_TRUE(offsets.first.aboveLimit);
    EXPECT_FALSE(offsets.second.aboveLimit);

    UnitState metric;
    metric.SmallFactor = 1;
    metric.SmallFormat = QStringLiteral("####0");
    EXPECT_EQ(ShownOffset(offsets.first.micrometres, metric), "110");
    EXPECT_EQ(ShownOffset(std::nullopt, metric), "");
}

TEST(CentreOffsets, NoRunsGiveZeroAndAFailureGivesBlanks)
{
    const CentreOffsets none = ComputeCentreOffsets(FullCircleCase(QStringLiteral("yz")));
    EXPECT_EQ(none.first.axis + none.second.axis, "yz");
    EXPECT_EQ(std::tuple(none.first.micrometres, none.second.micrometres), std::tuple(0.0, 0.0));
    EXPECT_FALSE(none.first.aboveLimit);

    // The second run has too few points for a circle: its error is reported, nothing is shown.
    Case c = FullCircleCase(QStringLiteral("xz"));
    AddCircleRun(c, 0.5, 0.5);
    c.Data.RunCount = 2;
    c.Data.RunTargets[2] = 2;
    const CentreOffsets failed = ComputeCentreOffsets(c);
    EXPECT_FALSE(failed.outcome.ok());
    EXPECT_EQ(failed.outcome.location(), "Calculating offsets");
    EXPECT_FALSE(failed.first.micrometres || failed.second.micrometres || failed.first.aboveLimit);
    EXPECT_EQ(failed.second.axis, "z");
}

} // namespace
} // namespace sarvo::gauge
