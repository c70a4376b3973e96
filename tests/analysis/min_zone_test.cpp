// The minimum-zone circle against shapes of known width and against a brute-force reference.
#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "analysis/min_zone.h"
#include "tests/analysis/analysis_test_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class MinZone : public CoreTest {};

// Points of a trace about the centre (ex, ey): radius + shape along the parametric angle.
struct PointSet {
    std::vector<double> x, y;
};

PointSet Trace(double ex, double ey, double radius, int start, int sweep, int n,
               const std::function<double(double)>& shape)
{
    PointSet p;
    for (int j = 0; j < n; ++j) {
        const double theta = Radians(start + static_cast<double>(j) * sweep / n);
        const double rho = radius + shape(theta);
        p.x.push_back(ex + rho * std::cos(theta));
        p.y.push_back(ey + rho * std::sin(theta));
    }
    return p;
}

constexpr double kUm = 1e-3; // mm

} // namespace

// A trace of k lobes of amplitude A touches its outer and inner circles alternately 2k times
// about its own centre, so its zone is exactly 2A wide there, wherever the search starts.
TEST_F(MinZone, LobedTracesHaveTheirAnalyticWidth)
{
    for (int lobes : {2, 3, 5, 9}) {
        SCOPED_TRACE(lobes);
        const double amplitude = 0.004;
        const PointSet p = Trace(0.037, -0.021, 150, 0, 360, 360,
                                 [&](double t) { return amplitude * std::cos(lobes * t); });
        const ZoneFit fit = MinimumZone(p.x, p.y, 0, 0);
        EXPECT_NEAR(fit.width(), 2 * amplitude, 1e-6 * kUm);
        EXPECT_NEAR(fit.cx, 0.037, 1e-9);
        EXPECT_NEAR(fit.cy, -0.021, 1e-9);
        EXPECT_NEAR(ZoneWidth(p.x, p.y, fit.cx, fit.cy), fit.width(), 1e-12);
    }
}

// Seeded random traces (harmonics, noise, set-up offset, full circles and arcs down to 90
// degrees) against the grid reference: never wider, and within 0.01 µm.
TEST_F(MinZone, MatchesTheBruteForceReferenceOnRandomTraces)
{
    const int sweeps[] = {360, 360, 360, 270, 180, 90};
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> offset(-0.05, 0.05);
        std::normal_distribution<double> noise(0, 0.0003);
        const RandomShape shape(seed, 0.004 + 0.001 * (seed % 4));
        const int sweep = sweeps[seed % 6];
        const int n = (seed % 3 == 0) ? 1440 : 360;
        std::vector<double> jitter(static_cast<std::size_t>(n));
        for (double& v : jitter)
            v = noise(rng);
        int j = 0;
        const double ex = offset(rng), ey = offset(rng);
        const PointSet p = Trace(ex, ey, 150, static_cast<int>(seed * 7), sweep, n,
                                 [&](double t) { return shape(t) + jitter[static_cast<std::size_t>(j++)]; });

        const ZoneFit fit = MinimumZone(p.x, p.y, 0, 0);
        const GridZone ref = ReferenceMinimumZone(p.x, p.y, ex, ey, 0.05);
        const double achieved = ZoneWidth(p.x, p.y, fit.cx, fit.cy);
        EXPECT_NEAR(fit.width(), achieved, 1e-12);
        EXPECT_LE(achieved, ref.width + 1e-9);
        EXPECT_NEAR(achieved, ref.width, 0.01 * kUm);
    }
}

TEST_F(MinZone, WidthAtAGivenCentreKeepsTheEarlierOfTiedPoints)
{
    // A square about the origin: all four corners tie, the first one wins both roles.
    const std::vector<double> x = {1, -1, -1, 1, 0.5};
    const std::vector<double> y = {1, 1, -1, -1, 0};
    int nearest = -1, farthest = -1;
    EXPECT_NEAR(CalcMZCf(x, y, 0, 0, nearest, farthest), std::sqrt(2.0) - 0.5, 1e-15);
    EXPECT_EQ(farthest, 0);
    EXPECT_EQ(nearest, 4);
    const std::vector<double> nan = {1, NAN};
    EXPECT_THROW(CalcMZCf(nan, nan, 0, 0, nearest, farthest), AppError);
}

TEST_F(MinZone, TinySetsAreExact)
{
    const std::vector<double> one = {3};
    const ZoneFit single = MinimumZone(one, one, 0.5, 0.5);
    EXPECT_EQ(single.width(), 0);
    const std::vector<double> x = {150, -150};
    const std::vector<double> y = {0, 0.02};
    const ZoneFit pair = MinimumZone(x, y, 0.1, 0.3);
    EXPECT_NEAR(pair.width(), 0, 1e-12);
    const std::vector<double> none;
    EXPECT_THROW(MinimumZone(none, none, 0, 0), AppError);
}

// ---- CalcMZC on a case ---------------------------------------------------------------------------

namespace {

Case AnalysedCase(std::vector<RunModel> runs, int start = 0, int sweep = 360)
{
    Case c = MakeCase(start, sweep, 150, runs);
    CalcLSC(c, BaseSettings());
    return c;
}

} // namespace

TEST_F(MinZone, ConcentricReadingsGiveTheLeastSquaresCircle)
{
    RunModel run;
    run.radius = 150.01; // 10 µm above the test radius
    Case c = AnalysedCase({run});
    c.Results.ErrorValues.CentreH = 3.5; // the pivot frame is offset by this much
    c.Results.ErrorValues.CentreV = -1.25;
    c.Results.LscResult.Radius = 150.01;
    for (int j = 0; j < 360; ++j)
        c.Data.Readings(1, j) = 0;
    CircleResult zone;
    ASSERT_TRUE(CalcMZC(c, zone, 1, 1));
    EXPECT_NEAR(zone.Circularity, 0, 1e-6);
    EXPECT_NEAR(zone.Radius, 150.01, 1e-12);
    EXPECT_NEAR(zone.CentreH, 3.5, 1e-6);
    EXPECT_NEAR(zone.CentreV, -1.25, 1e-6);
    // Measured from the test radius, not from the fitted one.
    EXPECT_NEAR(zone.Max, 10, 1e-6);
    EXPECT_NEAR(zone.Min, 10, 1e-6);
}

TEST_F(MinZone, OffCentreCircleIsFoundAtItsCentre)
{
    Case c = AnalysedCase({RunModel{}});
    c.Results.LscResult.Radius = 150;
    c.Results.ErrorValues.CentreH = 0.75;
    // Points on a circle of 150 mm about (0.02, 0), as distances from the origin.
    for (int j = 0; j < 360; ++j) {
        const double t = Radians(j);
        c.Data.Readings(1, j) = 0.02 * std::cos(t) + std::sqrt(150.0 * 150.0 - std::pow(0.02 * std::sin(t), 2)) - 150;
    }
    CircleResult zone;
    ASSERT_TRUE(CalcMZC(c, zone, 1, 1));
    EXPECT_NEAR(zone.CentreH, 20 + 0.75, 1e-4);
    EXPECT_NEAR(zone.CentreV, 0, 1e-4);
    EXPECT_LT(zone.Circularity, 1e-6);
}

// Run 2 lies 10 µm outside run 1 everywhere, so the outer circle touches only run 2 and the
// inner one only run 1. The named point is the first (run order, then point order) on its circle,
// and its angle is taken at that run's own step.
TEST_F(MinZone, ExtremesNameTheirRunPointAndAngleAtThatRunsStep)
{
    RunModel a;
    a.points = 360;
    a.shape = [](double t) { return 0.001 * std::cos(2 * t - 0.5); };
    RunModel b = a;
    b.points = 240;
    b.direction = -1;
    b.radius = 150.01;
    Case c = AnalysedCase({a, b}, 90, 360);
    c.Data.Readings(2, 100) += 0.006; // an outward bump in the shorter run
    CircleResult zone;
    ASSERT_TRUE(CalcMZC(c, zone, 1, 2));

    std::vector<double> x, y;
    CasePoints(c, 1, 2, c.Results.LscResult.Radius, x, y);
    const double cx = (zone.CentreH - c.Results.ErrorValues.CentreH) / 1000;
    const double cy = (zone.CentreV - c.Results.ErrorValues.CentreV) / 1000;
    std::vector<double> distance;
    for (std::size_t i = 0; i < x.size(); ++i)
        distance.push_back(std::hypot(x[i] - cx, y[i] - cy));
    const double far = *std::max_element(distance.begin(), distance.end());
    const double near = *std::min_element(distance.begin(), distance.end());
    std::size_t firstOuter = 0, firstInner = 0;
    while (distance[firstOuter] < far - 1e-9)
        ++firstOuter;
    while (distance[firstInner] > near + 1e-9)
        ++firstInner;
    ASSERT_GE(firstOuter, 360u);
    ASSERT_LT(firstInner, 360u);

    EXPECT_EQ(zone.MaxRun, 2);
    EXPECT_EQ(zone.MaxPoint, static_cast<int>(firstOuter - 360));
    EXPECT_GT(zone.MaxPoint, 0);
    EXPECT_DOUBLE_EQ(zone.MaxPos, 90 + zone.MaxPoint * 360.0 / 240);
    EXPECT_EQ(zone.MinRun, 1);
    EXPECT_EQ(zone.MinPoint, static_cast<int>(firstInner));
    EXPECT_DOUBLE_EQ(zone.MinPos, 90 + zone.MinPoint * 1.0);
    EXPECT_NEAR(zone.Max, (far - 150) * 1000, 1e-6);
    EXPECT_NEAR(zone.Min, (near - 150) * 1000, 1e-6);
    EXPECT_NEAR(zone.Max - zone.Min, zone.Circularity, 1e-9);
    EXPECT_NEAR(zone.Radius, (far + near) / 2, 1e-9);
}

TEST_F(MinZone, OneRunAloneUsesOnlyItsPoints)
{
    RunModel a;
    a.shape = [](double t) { return 0.002 * std::cos(3 * t); };
    RunModel b = a;
    b.shape = [](double t) { return 0.002 * std::cos(3 * t) + (std::cos(t) > 0.999 ? 0.05 : 0.0); };
    b.direction = -1;
    Case c = AnalysedCase({a, b});
    Case alone = AnalysedCase({a});
    alone.Results.LscResult.Radius = c.Results.LscResult.Radius;
    CircleResult first, firstAlone, both;
    ASSERT_TRUE(CalcMZC(c, first, 1, 1));
    ASSERT_TRUE(CalcMZC(alone, firstAlone, 1, 1));
    ASSERT_TRUE(CalcMZC(c, both, 1, 2));
    EXPECT_NEAR(first.Circularity, firstAlone.Circularity, 1e-9);
    EXPECT_GT(both.Circularity, first.Circularity + 40);
}

// The widths that the chain stores, G per run and G(b), against the brute-force reference on the
// very points the search sees.
TEST_F(MinZone, CaseWidthsMatchTheBruteForceReference)
{
    for (unsigned seed = 101; seed <= 104; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> offset(-0.04, 0.04);
        RunModel ccw;
        ccw.points = 720;
        ccw.ex = offset(rng);
        ccw.ey = offset(rng);
        ccw.radius = 150.002;
        ccw.shape = RandomShape(seed, 0.005);
        RunModel cw = ccw;
        cw.direction = -1;
        cw.points = 500;
        const RandomShape other(seed + 1000, 0.002);
        cw.shape = [=](double t) { return ccw.shape(t) + other(t) + 0.001; };
        Case c = MakeCase(0, seed % 2 ? 360 : 270, 150, {ccw, cw});
        CalcLSC(c, BaseSettings());

        std::vector<double> x, y;
        CircleResult zone;
        for (int r = 1; r <= 2; ++r) {
            ASSERT_TRUE(CalcMZC(c, zone, r, r));
            CasePoints(c, r, r, c.Results.LscResult.Radius, x, y);
            const GridZone ref = ReferenceMinimumZone(x, y, ccw.ex, ccw.ey, 0.05);
            EXPECT_LE(zone.Circularity, ref.width / kUm + 1e-6);
            EXPECT_NEAR(zone.Circularity, ref.width / kUm, 0.01);
        }
        Reporter report;
        CalcMeasurement(c, report.failures);
        report();
        CasePoints(c, 1, 2, c.Results.LscResult.Radius, x, y);
        const GridZone ref = ReferenceMinimumZone(x, y, 0, 0, 0.05);
        EXPECT_NEAR(c.Results.Iso.IsoGb, ref.width / kUm, 0.01);
        EXPECT_LE(c.Results.Iso.IsoGb, ref.width / kUm + 1e-6);
    }
}

TEST_F(MinZone, FailureIsReportedAndLeavesTheResult)
{
    Case c = AnalysedCase({RunModel{}, RunModel{}});
    CircleResult zone;
    zone.Circularity = 12.5;
    zone.MaxRun = 2;
    const CircleResult before = zone;

    c.Data.Readings(2, 7) = NAN;
    EXPECT_FALSE(ReportOutcome(CalcMZC(c, zone, 1, 2)));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("Formulae(CalcMZC).")) << prompts.messages[0].text.toStdString();
    EXPECT_EQ(zone.Circularity, before.Circularity);
    EXPECT_EQ(zone.MaxRun, before.MaxRun);

    // Runs beyond the case's count: subscript out of range.
    EXPECT_FALSE(ReportOutcome(CalcMZC(c, zone, 1, 3)));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.messages[1].text.startsWith("9:"));
    EXPECT_EQ(zone.Circularity, before.Circularity);
}
