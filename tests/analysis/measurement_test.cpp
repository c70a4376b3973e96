// The measurement stage on two-direction cases built from the ball bar's geometry: circularity,
// ISO 230-4 F, G, G(b), D and H, their invariance to the set-up, and the error handling of each
// stage.
#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "tests/analysis/analysis_test_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class Measurement : public CoreTest {};

constexpr double kPath = 150.002; // mm: run 1 runs 2 µm outside the 150 mm test circle
constexpr double kLobe = 0.004;   // mm: amplitude of the three-lobe trace of both runs
constexpr double kGap = 0.003;    // mm: run 2 runs this much outside run 1 (the hysteresis)

// Run 1 counter-clockwise, run 2 clockwise, both three-lobed about the set-up offset (ex, ey).
// About their centre the zone of one run is 2 kLobe wide, that of both 2 kLobe + kGap: the outer
// circle touches run 2 at the lobes' peaks, the inner one run 1 at their valleys, alternately.
Case TwoDirectionCase(double ex, double ey, int n1 = 360, int n2 = 360, int start = 0, int sweep = 360)
{
    RunModel ccw;
    ccw.points = n1;
    ccw.ex = ex;
    ccw.ey = ey;
    ccw.radius = kPath;
    ccw.shape = [](double t) { return kLobe * std::cos(3 * t); };
    RunModel cw = ccw;
    cw.points = n2;
    cw.direction = -1;
    cw.shape = [](double t) { return kLobe * std::cos(3 * t) + kGap; };
    return MakeCase(start, sweep, 150, {ccw, cw});
}

void Analyse(Case& c)
{
    CalcLSC(c, BaseSettings());
    Reporter report;
    CalcMeasurement(c, report.failures);
    report();
}

// Every figure of merit the stage produces, µm.
std::vector<double> Figures(const Case& c)
{
    const AnalysisResults& r = c.Results;
    std::vector<double> f = {r.LscResult.Circularity, r.LscResult.Max, r.LscResult.Min, r.MzcResult.Circularity,
                             r.Iso.IsoGb, r.Iso.IsoD, r.Iso.IsoH};
    for (int run = 1; run <= c.Data.RunCount; ++run) {
        f.push_back(r.Iso.IsoG[static_cast<std::size_t>(run)]);
        f.push_back(r.Iso.IsoFmax[static_cast<std::size_t>(run)]);
        f.push_back(r.Iso.IsoFmin[static_cast<std::size_t>(run)]);
    }
    return f;
}

} // namespace

TEST_F(Measurement, TwoDirectionCaseGivesTheValuesOfItsGeometry)
{
    Case c = TwoDirectionCase(0.02, -0.015);
    Analyse(c);
    const AnalysisResults& r = c.Results;

    EXPECT_NEAR(r.ErrorValues.CentreH, 20, 1e-4);
    EXPECT_NEAR(r.ErrorValues.CentreV, -15, 1e-4);
    EXPECT_NEAR(r.LscResult.Radius, kPath + kGap / 2, 1e-7);
    EXPECT_NEAR(r.Iso.IsoD, (kPath + kGap / 2 - 150) * 1000, 1e-4);

    // G per run (about the pivot: the set-up offset adds only e^2 / 2R), G(b) and the least-squares
    // circularity of both runs about the mean circle.
    EXPECT_NEAR(r.Iso.IsoG[1], 2 * kLobe * 1000, 0.005);
    EXPECT_NEAR(r.Iso.IsoG[2], 2 * kLobe * 1000, 0.005);
    EXPECT_NEAR(r.Iso.IsoGb, (2 * kLobe + kGap) * 1000, 1e-4);
    EXPECT_NEAR(r.MzcResult.Circularity, r.Iso.IsoGb, 1e-9);
    EXPECT_NEAR(r.MzcResult.CentreH, 20, 1e-3);
    EXPECT_NEAR(r.MzcResult.CentreV, -15, 1e-3);
    EXPECT_NEAR(r.LscResult.Circularity, (2 * kLobe + kGap) * 1000, 1e-4);
    EXPECT_NEAR(r.LscResult.Max, (kLobe + kGap / 2) * 1000, 1e-4);
    EXPECT_NEAR(r.LscResult.Min, -(kLobe + kGap / 2) * 1000, 1e-4);
    EXPECT_EQ(r.LscResult.MaxRun, 2);
    EXPECT_EQ(r.LscResult.MinRun, 1);
    EXPECT_NEAR(std::remainder(r.LscResult.MaxPos, 120.0), 0, 1e-9);
    EXPECT_NEAR(std::remainder(r.LscResult.MinPos - 60, 120.0), 0, 1e-9);

    // F about each run's own centre, from the nominal radius.
    EXPECT_NEAR(r.Iso.IsoFmax[1], (kPath - 150 + kLobe) * 1000, 1e-4);
    EXPECT_NEAR(r.Iso.IsoFmin[1], (kPath - 150 - kLobe) * 1000, 1e-4);
    EXPECT_NEAR(r.Iso.IsoFmax[2], (kPath - 150 + kGap + kLobe) * 1000, 1e-4);
    EXPECT_NEAR(r.Iso.IsoFmin[2], (kPath - 150 + kGap - kLobe) * 1000, 1e-4);

    // H about the runs' common centre.
    EXPECT_NEAR(r.Iso.IsoH, kGap * 1000, 1e-4);

    // The readings are now deviations from the mean circle about its centre.
    const double theta = Radians(40);
    EXPECT_NEAR(c.Data.Readings(1, 40), kPath + kLobe * std::cos(3 * theta) - r.LscResult.Radius, 1e-9);
}

TEST_F(Measurement, ValuesDoNotDependOnTheSetUpOffset)
{
    Case centred = TwoDirectionCase(0, 0);
    Case offset = TwoDirectionCase(0.025, 0.018);
    Analyse(centred);
    Analyse(offset);
    EXPECT_NEAR(offset.Results.ErrorValues.CentreH - centred.Results.ErrorValues.CentreH, 25, 1e-4);
    EXPECT_NEAR(offset.Results.ErrorValues.CentreV - centred.Results.ErrorValues.CentreV, 18, 1e-4);
    const std::vector<double> a = Figures(centred);
    const std::vector<double> b = Figures(offset);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i], b[i], 0.005) << "figure " << i;
}

// The same measurement started 37 points later: the readings shift round by 37 points and the
// start angle by 37 degrees. Nothing changes but the numbering of the points.
TEST_F(Measurement, ValuesDoNotDependOnWhereTheRunsStart)
{
    RunModel ccw;
    ccw.ex = -0.012;
    ccw.ey = 0.031;
    ccw.radius = 150.001;
    ccw.shape = RandomShape(5, 0.006);
    RunModel cw = ccw;
    cw.direction = -1;
    const RandomShape lag(6, 0.002);
    cw.shape = [=](double t) { return ccw.shape(t) + lag(t) + 0.0015; };
    Case first = MakeCase(0, 360, 150, {ccw, cw});
    Case later = first;
    later.Data.StartAngle = 37;
    later.Data.StopAngle = 397;
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < 360; ++j)
            later.Data.Readings(r, j) = first.Data.Readings(r, (j + 37) % 360);
    Analyse(first);
    Analyse(later);
    const std::vector<double> a = Figures(first);
    const std::vector<double> b = Figures(later);
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i], b[i], 1e-6) << "figure " << i;
    EXPECT_NEAR(first.Results.ErrorValues.CentreH, later.Results.ErrorValues.CentreH, 1e-6);
    EXPECT_NEAR(first.Results.ErrorValues.CentreV, later.Results.ErrorValues.CentreV, 1e-6);
    EXPECT_NEAR(std::remainder(first.Results.LscResult.MaxPos - later.Results.LscResult.MaxPos, 360.0), 0, 1e-9);
    EXPECT_NEAR(std::remainder(first.Results.LscResult.MinPos - later.Results.LscResult.MinPos, 360.0), 0, 1e-9);
}

// On an arc the least-squares centre of a true circle stays within a nanometre; a trace with
// lobes has a centre of its own there, so its F is taken about the pivot.
TEST_F(Measurement, ShortArcsKeepTheirCentreAndTakeFAboutThePivot)
{
    for (int sweep : {90, 20}) {
        SCOPED_TRACE(sweep);
        RunModel ccw;
        ccw.points = 180;
        ccw.ex = 0.02;
        ccw.ey = -0.015;
        ccw.radius = kPath;
        RunModel cw = ccw;
        cw.direction = -1;
        cw.radius = kPath + kGap;
        Case circle = MakeCase(30, sweep, 150, {ccw, cw});
        Analyse(circle);
        EXPECT_NEAR(circle.Results.ErrorValues.CentreH, 20, 1e-3);
        EXPECT_NEAR(circle.Results.ErrorValues.CentreV, -15, 1e-3);
        EXPECT_NEAR(circle.Results.LscResult.Radius, kPath + kGap / 2, 1e-6);
        EXPECT_NEAR(circle.Results.Iso.IsoD, (kPath + kGap / 2 - 150) * 1000, 1e-3);

        Case c = TwoDirectionCase(0.02, -0.015, 180, 180, 30, sweep);
        const Case generated = c;
        Analyse(c);
        for (int r = 1; r <= 2; ++r) {
            double hi = -1e9, lo = 1e9;
            for (int j = 0; j < 180; ++j) {
                hi = std::max(hi, generated.Data.Readings(r, j));
                lo = std::min(lo, generated.Data.Readings(r, j));
            }
            EXPECT_NEAR(c.Results.Iso.IsoFmax[static_cast<std::size_t>(r)], hi * 1000, 1e-9);
            EXPECT_NEAR(c.Results.Iso.IsoFmin[static_cast<std::size_t>(r)], lo * 1000, 1e-9);
        }
    }
}

// Runs of different point counts pair each point of run 1 with the point of run 2 nearest its
// angle, never one past the end of run 2. Paired angles differ by at most half a step of run 2,
// over which a two-lobe trace of 1 µm changes by at most 2 µm/rad times that angle.
TEST_F(Measurement, HysteresisPairsRunsOfDifferentLengths)
{
    struct Counts {
        int n1, n2, sweep;
    };
    for (Counts k : {Counts{360, 180, 360}, Counts{180, 360, 360}, Counts{100, 150, 360}, Counts{180, 90, 180}}) {
        SCOPED_TRACE(testing::Message() << k.n1 << "/" << k.n2 << " over " << k.sweep);
        RunModel ccw;
        ccw.points = k.n1;
        ccw.radius = 150.01; // far from the test radius: a pairing with nothing would show 10 µm
        ccw.shape = [](double t) { return 0.001 * std::cos(2 * t); };
        RunModel cw = ccw;
        cw.points = k.n2;
        cw.direction = -1;
        cw.shape = [](double t) { return 0.001 * std::cos(2 * t) + kGap; };
        Case c = MakeCase(0, k.sweep, 150, {ccw, cw});
        Analyse(c);
        const double halfStep = Radians(k.sweep / 2.0 / k.n2);
        EXPECT_NEAR(c.Results.Iso.IsoH, kGap * 1000, 2 * halfStep + 1e-3);
    }
}

TEST_F(Measurement, HysteresisNeedsExactlyTwoOppositeRuns)
{
    Case same = TwoDirectionCase(0.01, 0);
    same.Data.RunDirection[2] = 1;
    same.Results.Iso.IsoH = 5;
    Analyse(same);
    EXPECT_EQ(same.Results.Iso.IsoH, 0);

    RunModel run;
    run.shape = [](double t) { return 0.002 * std::sin(4 * t); };
    RunModel back = run;
    back.direction = -1;
    Case three = MakeCase(0, 360, 150, {run, back, run});
    three.Results.Iso.IsoH = 5;
    Analyse(three);
    EXPECT_EQ(three.Results.Iso.IsoH, 0);
    EXPECT_NEAR(three.Results.Iso.IsoG[3], 4, 0.005);
}

TEST_F(Measurement, UncalibratedBarHasNoRadialDeviation)
{
    Case c = TwoDirectionCase(0.01, 0.01);
    c.Data.Calibrated = false;
    c.Results.Iso.IsoFmax[1] = 9;
    Analyse(c);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(c.Results.Iso.IsoFmax[static_cast<std::size_t>(r)], 0);
        EXPECT_EQ(c.Results.Iso.IsoFmin[static_cast<std::size_t>(r)], 0);
    }
    EXPECT_NEAR(c.Results.Iso.IsoG[1], 2 * kLobe * 1000, 0.005);
    EXPECT_NEAR(c.Results.Iso.IsoH, kGap * 1000, 1e-4);
}

// ---- Circularity on readings as they stand --------------------------------------------------------

namespace {

Case FlatCase(int start, int sweep, int n1, int n2, bool dynamic = true)
{
    Case c;
    c.Data.Dynamic = dynamic;
    c.Data.RunCount = 2;
    c.Data.RunTargets = {0, static_cast<int16_t>(n1), static_cast<int16_t>(n2)};
    c.Data.StartAngle = static_cast<int16_t>(start);
    c.Data.SweepAngle = static_cast<int16_t>(sweep);
    c.Data.Readings(3, 0) = 1; // beyond RunCount: never looked at
    return c;
}

} // namespace

TEST_F(Measurement, CircularityNamesTheFirstPointOfEachExtreme)
{
    Case flat = FlatCase(15, 360, 90, 90);
    ASSERT_TRUE(CalcCircularity(flat));
    EXPECT_EQ(flat.Results.LscResult.Circularity, 0);
    EXPECT_EQ(flat.Results.LscResult.MaxPos, 15);
    EXPECT_EQ(flat.Results.LscResult.MinPos, 15);

    Case peak = FlatCase(15, 360, 90, 60);
    peak.Data.Readings(1, 1) = 0.002;
    peak.Data.Readings(2, 7) = -0.001;
    ASSERT_TRUE(CalcCircularity(peak));
    EXPECT_DOUBLE_EQ(peak.Results.LscResult.MaxPos, 15 + 360.0 / 90);
    EXPECT_DOUBLE_EQ(peak.Results.LscResult.MinPos, 15 + 7 * 360.0 / 60);
    EXPECT_NEAR(peak.Results.LscResult.Circularity, 3, 1e-12);
    EXPECT_NEAR(peak.Results.LscResult.Max, 2, 1e-12);
    EXPECT_NEAR(peak.Results.LscResult.Min, -1, 1e-12);

    // Equal largest readings in run 2 point 5 and run 1 point 7: run order decides.
    Case tie = FlatCase(0, 360, 90, 90);
    tie.Data.Readings(2, 5) = 0.004;
    tie.Data.Readings(1, 7) = 0.004;
    ASSERT_TRUE(CalcCircularity(tie));
    EXPECT_EQ(tie.Results.LscResult.MaxRun, 1);
    EXPECT_EQ(tie.Results.LscResult.MaxPoint, 7);

    // Positions run on past 360.
    Case late = FlatCase(90, 360, 360, 360);
    late.Data.Readings(2, 300) = 0.01;
    ASSERT_TRUE(CalcCircularity(late));
    EXPECT_DOUBLE_EQ(late.Results.LscResult.MaxPos, 390);

    // A static half circle from 90 degrees: a point every 45 degrees, its last one at the end.
    Case half = FlatCase(90, 180, 5, 5, false);
    half.Data.Readings(1, 4) = 0.003;
    half.Data.Readings(2, 1) = -0.002;
    ASSERT_TRUE(CalcCircularity(half));
    EXPECT_DOUBLE_EQ(half.Results.LscResult.MaxPos, 270);
    EXPECT_DOUBLE_EQ(half.Results.LscResult.MinPos, 135);
}

// ---- Errors ------------------------------------------------------------------------------------

TEST_F(Measurement, EachStageReportsItsOwnFailureAndTheOthersGoOn)
{
    Case c = TwoDirectionCase(0.01, 0.005);
    CalcLSC(c, BaseSettings());
    c.Results.Iso.IsoFmax[2] = 99;
    c.Data.Readings(2, 17) = NAN;

    Reporter report;
    ASSERT_TRUE(report(CalcISOF(c, report.failures)) == false);
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("Formulae(CalcISOH)."));
    EXPECT_TRUE(prompts.messages[1].text.endsWith("Formulae(CalcMZC)."));
    EXPECT_TRUE(prompts.messages[2].text.endsWith("Formulae(CalcISOF)."));
    EXPECT_NEAR(c.Results.Iso.IsoG[1], 2 * kLobe * 1000, 0.005); // run 1 went on
    EXPECT_EQ(c.Results.Iso.IsoG[2], 0);
    EXPECT_NEAR(c.Results.Iso.IsoFmax[1], (kPath - 150 + kLobe) * 1000, 1e-4);
    EXPECT_EQ(c.Results.Iso.IsoFmax[2], 99); // F stopped at run 2

    EXPECT_FALSE(ReportOutcome(CalcCircularity(c)));
    EXPECT_TRUE(prompts.messages.back().text.endsWith("Formulae(CalcCircularity)."));

    // The re-centring of the measurement stage traps nothing: its error goes to the caller.
    prompts.messages.clear();
    EXPECT_THROW(CalcMeasurement(c, report.failures), AppError);
}

TEST_F(Measurement, CaseWithoutRunsIsLeftAsItIs)
{
    Case c;
    c.Results.LscResult.Circularity = 4;
    c.Results.Iso.IsoGb = 6;
    StepFailures failures;
    CalcMeasurement(c, failures);
    EXPECT_EQ(c.Results.LscResult.Circularity, 4);
    EXPECT_EQ(c.Results.Iso.IsoGb, 6);
}
