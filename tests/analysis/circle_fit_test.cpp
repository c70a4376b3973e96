// Least-squares circle, temperature compensation and re-centring, on runs generated from the
// ball bar's geometry.
#include "analysis/circle_fit.h"
#include "tests/analysis/analysis_test_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class CircleFit : public CoreTest {};

std::vector<double> PointAngles(const CaseData& d, int run)
{
    const int n = d.RunTargets[static_cast<std::size_t>(run)];
    std::vector<double> angles;
    for (int j = 0; j < n; ++j)
        angles.push_back(Radians(d.StartAngle + static_cast<double>(j) * d.SweepAngle / n));
    return angles;
}

std::span<const double> Row(const CaseData& d, int run)
{
    return {d.Readings.row(run), static_cast<std::size_t>(d.RunTargets[static_cast<std::size_t>(run)])};
}

struct ArcCase {
    int start, sweep, points;
    double tolerance; // mm, on centre and radius
    bool dynamic = true;
};

} // namespace

// A circle about a known centre comes back to well below a nanometre on a full circle and stays
// far below a micrometre on short arcs, where the single-precision pseudo-inverse would drift by
// microns if it met squared radii of 22500 mm^2.
TEST_F(CircleFit, RecoversCentreAndRadiusOfBallBarRuns)
{
    const ArcCase arcs[] = {
        {0, 360, 360, 1e-10}, {0, 360, 8001, 1e-10}, {-45, 360, 37, 1e-10},
        {0, 180, 90, 1e-9},   {30, 90, 300, 1e-9},    {100, 20, 200, 5e-8},
        // Static runs: every 45 degrees, the end of a partial arc included.
        {0, 360, 8, 1e-9, false}, {0, 180, 5, 1e-9, false}, {90, 270, 7, 1e-9, false}, {180, 90, 3, 1e-9, false},
    };
    for (const ArcCase& arc : arcs) {
        SCOPED_TRACE(testing::Message() << "start " << arc.start << " sweep " << arc.sweep << " points " << arc.points
                                        << (arc.dynamic ? "" : " static"));
        RunModel run;
        run.points = arc.points;
        run.ex = 0.01;
        run.ey = -0.02;
        run.radius = 150.004;
        const Case c = MakeCase(arc.start, arc.sweep, 150, {run}, arc.dynamic);
        const LscCircle fit = CalcLSCRun(c.Data, 1, c.Data.TestRadius);
        EXPECT_NEAR(fit.CX, run.ex, arc.tolerance);
        EXPECT_NEAR(fit.CY, run.ey, arc.tolerance);
        EXPECT_NEAR(fit.R, run.radius, arc.tolerance);
    }
}

TEST_F(CircleFit, AgreesWithDoublePrecisionLeastSquaresOnShapedRuns)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        RunModel run;
        run.points = 720;
        run.ex = 0.03 * std::sin(seed);
        run.ey = 0.03 * std::cos(seed);
        run.radius = 150 + 0.001 * seed;
        run.shape = RandomShape(seed, 0.01);
        const int sweep = seed % 2 ? 360 : 120;
        const Case c = MakeCase(15, sweep, 150, {run});
        const ReferenceCircle ref = ReferenceLsc(Row(c.Data, 1), PointAngles(c.Data, 1), 150);
        const LscCircle fit = CalcLSCRun(c.Data, 1, 150);
        EXPECT_NEAR(fit.CX, ref.cx, 1e-8);
        EXPECT_NEAR(fit.CY, ref.cy, 1e-8);
        EXPECT_NEAR(fit.R, ref.r, 1e-8);
    }
}

TEST_F(CircleFit, EqualReadingsGiveAConcentricCircle)
{
    for (double reading : {0.0, 0.0125, -0.3}) {
        std::vector<double> readings(400, reading);
        const LscCircle fit = CalcLSCRun(readings, {0, 360}, 150);
        EXPECT_NEAR(fit.R, 150 + reading, 1e-12);
        EXPECT_NEAR(fit.CX, 0, 1e-12);
        EXPECT_NEAR(fit.CY, 0, 1e-12);
    }
}

TEST_F(CircleFit, JointFitTakesEachRunAtItsOwnStep)
{
    RunModel a;
    a.points = 360;
    a.ex = -0.015;
    a.ey = 0.007;
    a.radius = 100.002;
    RunModel b = a;
    b.points = 500;
    b.direction = -1;
    RunModel far = a;
    far.radius = 100.5;
    far.ex = 0.2;
    for (int sweep : {360, 180}) {
        const Case c = MakeCase(0, sweep, 100, {a, b, far});
        const LscCircle both = CalcLSCAll(c.Data, 100);
        EXPECT_NEAR(both.CX, a.ex, 1e-8);
        EXPECT_NEAR(both.CY, a.ey, 1e-8);
        EXPECT_NEAR(both.R, a.radius, 1e-8);
    }
}

TEST_F(CircleFit, FitsWithoutARealCircleRaise)
{
    std::vector<double> two = {0.0, 0.0};
    EXPECT_THROW(CalcLSCRun(two, {0, 360}, 150), AppError);
    // Points at 2, 0, 0, 0 mm from the pivot: c2 = 1 and c0 = 1, so z^2 - z + 1 has no real root.
    std::vector<double> lopsided = {1.0, -1.0, -1.0, -1.0};
    try {
        CalcLSCRun(lopsided, {0, 360}, 1.0);
        FAIL() << "expected an invalid-argument error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kInvalidCall);
    }
    // Every point at one angle: the normal matrix is singular.
    std::vector<double> ray(50, 0.01);
    EXPECT_THROW(CalcLSCRun(ray, {30, 0}, 150), AppError);
}

// ---- CalcLSC ---------------------------------------------------------------------------------

TEST_F(CircleFit, CaseCentreAndRadiusAreTheMeansOfTheRuns)
{
    std::vector<RunModel> runs(3);
    const double ex[] = {0.012, 0.018, 0.009};
    const double ey[] = {-0.004, 0.002, -0.011};
    const double radius[] = {150.001, 150.003, 149.998};
    for (int i = 0; i < 3; ++i) {
        runs[i].ex = ex[i];
        runs[i].ey = ey[i];
        runs[i].radius = radius[i];
        runs[i].direction = i % 2 ? -1 : 1;
    }
    Case c = MakeCase(0, 360, 150, runs);
    CalcLSC(c, BaseSettings());
    const AnalysisResults& r = c.Results;
    EXPECT_NEAR(r.ErrorValues.CentreH, (ex[0] + ex[1] + ex[2]) / 3 * 1000, 1e-6);
    EXPECT_NEAR(r.ErrorValues.CentreV, (ey[0] + ey[1] + ey[2]) / 3 * 1000, 1e-6);
    EXPECT_NEAR(r.LscResult.Radius, (radius[0] + radius[1] + radius[2]) / 3, 1e-9);
    // Copied out: the record's centre fields are not 8-byte aligned, so no reference may bind to them.
    const double centreH = r.ErrorValues.CentreH, centreV = r.ErrorValues.CentreV;
    EXPECT_EQ(r.LscResult.CentreH, centreH);
    EXPECT_EQ(r.LscResult.CentreV, centreV);
}

TEST_F(CircleFit, IsoDIsTheBidirectionalRadiusLessTheNominal)
{
    RunModel ccw;
    ccw.ex = 0.02;
    ccw.radius = 150.004; // the path is 4 µm larger than nominal
    RunModel cw = ccw;
    cw.direction = -1;
    cw.points = 240;
    RunModel third = ccw;
    third.radius = 149.9; // runs beyond the second never enter D
    Case c = MakeCase(0, 360, 150, {ccw, cw, third});
    CalcLSC(c, BaseSettings());
    EXPECT_NEAR(c.Results.Iso.IsoD, 4.0, 1e-5);

    RunModel smaller = ccw;
    smaller.radius = 149.997;
    Case d = MakeCase(0, 360, 150, {smaller, smaller});
    CalcLSC(d, BaseSettings());
    EXPECT_NEAR(d.Results.Iso.IsoD, -3.0, 1e-5);
}

TEST_F(CircleFit, SingleRunGivesItsOwnCircleAndNoIsoD)
{
    RunModel run;
    run.ex = -0.03;
    run.ey = 0.01;
    run.radius = 150.002;
    Case c = MakeCase(0, 360, 150, {run});
    c.Results.Iso.IsoD = 7.5; // left from an earlier case
    CalcLSC(c, BaseSettings());
    EXPECT_NEAR(c.Results.ErrorValues.CentreH, -30, 1e-6);
    EXPECT_NEAR(c.Results.ErrorValues.CentreV, 10, 1e-6);
    EXPECT_NEAR(c.Results.LscResult.Radius, 150.002, 1e-9);
    EXPECT_EQ(c.Results.Iso.IsoD, 0);
}

TEST_F(CircleFit, CaseWithoutRunsIsLeftAsItIs)
{
    Case c;
    c.Data.TestRadius = 0; // would divide by zero if anything ran
    c.Data.BallBarLength = 150;
    c.Data.Readings(1, 0) = 0.5;
    c.Results.LscResult.Radius = 42;
    c.Results.Iso.IsoD = 3;
    const Case before = c;
    CalcLSC(c, BaseSettings());
    EXPECT_TRUE(c.Data.Readings == before.Data.Readings);
    EXPECT_EQ(c.Results.LscResult.Radius, 42);
    EXPECT_EQ(c.Results.Iso.IsoD, 3);
}

TEST_F(CircleFit, ErrorsGoToTheCallerUnreported)
{
    RunModel run;
    Case c = MakeCase(0, 360, 150, {run});
    c.Data.TestRadius = 0; // a bar of 150 mm: k = L / R divides by zero
    try {
        CalcLSC(c, BaseSettings());
        FAIL() << "expected a division by zero";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kDivisionByZero);
    }

    Case bad = MakeCase(0, 360, 150, {run});
    bad.Data.RunTargets[1] = 8002;
    EXPECT_THROW(CalcLSC(bad, BaseSettings()), AppError);
    bad.Data.RunTargets[1] = 360;
    bad.Data.RunCount = 8;
    EXPECT_THROW(CalcLSC(bad, BaseSettings()), AppError);
}

TEST_F(CircleFit, RunningTheFitTwiceCompensatesTwice)
{
    RunModel run;
    Case c = MakeCase(0, 360, 150, {run});
    c.Data.BallBarLength = 150.5f;
    const double first = c.Data.Readings(1, 10);
    CalcLSC(c, BaseSettings());
    CalcLSC(c, BaseSettings());
    EXPECT_NEAR(c.Data.Readings(1, 10), first + 2 * 0.5, 1e-12);
}

// ---- Temperature compensation ------------------------------------------------------------------

namespace {

Case CompensationCase(double length, double radius)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> deviation(-0.02, 0.02);
    Case c;
    CaseData& d = c.Data;
    d.RunCount = 2;
    d.RunTargets = {0, 100, 60};
    d.StartAngle = 0;
    d.SweepAngle = 360;
    d.TestRadius = radius;
    d.BallBarLength = static_cast<float>(length);
    d.Calibrated = true;
    d.GaugeTemp = {0, 20, 20};
    d.MachineTemp = {0, 20, 20};
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < d.RunTargets[static_cast<std::size_t>(r)]; ++j)
            d.Readings(r, j) = deviation(rng);
    return c;
}

double Shift(const Case& before, const Case& after, int run, int point)
{
    return after.Data.Readings(run, point) - before.Data.Readings(run, point);
}

} // namespace

TEST_F(CircleFit, CompensationMovesReadingsFromBarLengthOntoTestRadius)
{
    Case c = CompensationCase(150, 149.2);
    const Case before = c;
    ApplyTempCompensation(c, BaseSettings());
    // TestRadius + compensated reading = bar length + reading.
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < c.Data.RunTargets[static_cast<std::size_t>(r)]; ++j)
            EXPECT_NEAR(c.Data.TestRadius + c.Data.Readings(r, j),
                        c.Data.BallBarLength + before.Data.Readings(r, j), 1e-12);
    // Rows past each run's count are untouched.
    EXPECT_EQ(c.Data.Readings(2, 60), before.Data.Readings(2, 60));
    EXPECT_EQ(c.Data.Readings(3, 0), before.Data.Readings(3, 0));
}

TEST_F(CircleFit, ThermalTermFollowsTheExpansionOfBarAndMachine)
{
    Case c = CompensationCase(150, 150);
    c.Header[HdrGaugeExp] = "11,5"; // typed with a decimal comma
    c.Header[HdrMachineExp] = "11.5";
    const double perKelvin = 150 * 11.5e-6; // mm of growth per kelvin over the test radius
    auto shiftAt = [&](double gauge1, double gauge2, double machine, double base) {
        Case warm = c;
        warm.Data.GaugeTemp = {0, gauge1, gauge2};
        warm.Data.MachineTemp = {0, machine, machine};
        Settings s = BaseSettings();
        s.BaseTemperature = base;
        ApplyTempCompensation(warm, s);
        return std::pair{Shift(c, warm, 1, 3), Shift(c, warm, 2, 3)};
    };
    // Bar and machine warmed alike: their expansions cancel.
    EXPECT_NEAR(shiftAt(25, 25, 25, 20).first, 0, 1e-15);
    // Only the bar warmed: it reads short by its own growth, which is added back, in proportion
    // to the temperature difference.
    const auto [five, ten] = shiftAt(25, 30, 20, 20);
    EXPECT_NEAR(five, 5 * perKelvin, 1e-12);
    EXPECT_NEAR(ten, 10 * perKelvin, 1e-12);
    // Only the machine warmed: the nominal path grows, so the deviations shrink.
    EXPECT_NEAR(shiftAt(20, 20, 23, 20).first, -3 * perKelvin, 1e-12);
    // Temperatures count from the setting's base temperature.
    EXPECT_NEAR(shiftAt(25, 25, 25, 25).first, 0, 1e-15);
    EXPECT_NEAR(shiftAt(30, 30, 25, 25).first, 5 * perKelvin, 1e-12);
}

TEST_F(CircleFit, UncalibratedBarGetsTheGeometricTermOnly)
{
    Case c = CompensationCase(150.25, 150);
    c.Data.Calibrated = false;
    c.Header[HdrGaugeExp] = "11.5";
    c.Header[HdrMachineExp] = "20";
    c.Data.GaugeTemp = {0, 30, 30};
    c.Data.MachineTemp = {0, 15, 15};
    const Case before = c;
    ApplyTempCompensation(c, BaseSettings());
    EXPECT_NEAR(Shift(before, c, 1, 0), 0.25, 1e-9);
    EXPECT_NEAR(Shift(before, c, 2, 59), 0.25, 1e-9);
}

TEST_F(CircleFit, BarMuchLongerThanTheRadiusScalesTheReadings)
{
    // 0.9 * 150 > 100: the readings scale by L / R and nothing is added.
    Case c = CompensationCase(150, 100);
    const Case before = c;
    ApplyTempCompensation(c, BaseSettings());
    EXPECT_NEAR(c.Data.Readings(1, 5), before.Data.Readings(1, 5) * 1.5, 1e-15);

    // 0.9 * 100 == 90 exactly is not "larger": the offset rule applies.
    Case edge = CompensationCase(100, 90);
    const Case edgeBefore = edge;
    ApplyTempCompensation(edge, BaseSettings());
    EXPECT_NEAR(Shift(edgeBefore, edge, 1, 5), 10, 1e-12);
}

TEST_F(CircleFit, RemovingTheCompensationRestoresTheReadings)
{
    for (auto [length, radius] : {std::pair{150.0, 150.0}, {150.0, 100.0}, {300.0, 299.5}}) {
        Case c = CompensationCase(length, radius);
        c.Header[HdrGaugeExp] = "11.5";
        c.Header[HdrMachineExp] = "12.1";
        c.Data.GaugeTemp = {0, 22.5, 18};
        c.Data.MachineTemp = {0, 24, 19.5};
        const Case before = c;
        ApplyTempCompensation(c, BaseSettings());
        RemoveTempCompensation(c, BaseSettings());
        for (int r = 1; r <= 2; ++r)
            for (int j = 0; j < c.Data.RunTargets[static_cast<std::size_t>(r)]; ++j)
                EXPECT_NEAR(c.Data.Readings(r, j), before.Data.Readings(r, j), 1e-14);
    }
}

// ---- RecentreRun -------------------------------------------------------------------------------

TEST_F(CircleFit, RecentringAboutTheTrueCentreLeavesTheShape)
{
    RunModel run;
    run.points = 720;
    run.ex = 0.04;
    run.ey = -0.025;
    run.radius = 150.003;
    run.shape = RandomShape(11);
    for (int sweep : {360, 90}) {
        Case c = MakeCase(-30, sweep, 150, {run});
        RecentreRun(c.Data, 1, run.ex, run.ey, 150, 150.003);
        for (int j = 0; j < run.points; ++j) {
            const double theta = Radians(-30 + static_cast<double>(j) * sweep / run.points);
            ASSERT_NEAR(c.Data.Readings(1, j), run.shape(theta), 1e-12) << "point " << j;
        }
    }
}

TEST_F(CircleFit, RecentringAboutThePivotOntoTheSameRadiusChangesNothing)
{
    std::vector<double> readings;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> deviation(-0.05, 0.05);
    for (int j = 0; j < 500; ++j)
        readings.push_back(deviation(rng));
    std::vector<double> copy = readings;
    RecentreRun(copy, {0, 360}, 0, 0, 150, 150);
    for (std::size_t j = 0; j < readings.size(); ++j)
        EXPECT_DOUBLE_EQ(copy[j], readings[j]);
}

TEST_F(CircleFit, RecentringAboutACentreBeyondTheRadiusRaises)
{
    RunModel run;
    run.points = 8;
    Case c = MakeCase(0, 360, 150, {run});
    // Points 0 and 1 still have a distance from (200, 0); point 2, at 90 degrees, has none.
    try {
        RecentreRun(c.Data, 1, 200, 0, 150, 150);
        FAIL() << "expected an invalid-argument error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kInvalidCall);
    }
    EXPECT_NEAR(c.Data.Readings(1, 0), -50 - 150, 1e-9); // rewritten before the failure
    EXPECT_EQ(c.Data.Readings(1, 2), 0);                 // not rewritten
}
