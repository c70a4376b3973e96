// Spectrum of run 1 and the vibration results from its local scatter.
#include "analysis/vibration.h"
#include "tests/analysis/analysis_test_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class Spectrum : public CoreTest {
protected:
    Reporter report;
};

// Run 1 of n points over the full circle, radius 150, reading f(index, angle in degrees).
Case RunOf(int n, const std::function<double(int, double)>& f)
{
    RunModel run;
    run.points = n;
    Case c = MakeCase(0, 360, 150, {run});
    for (int i = 0; i < n; ++i)
        c.Data.Readings(1, i) = f(i, 360.0 * i / n);
    return c;
}

// White noise of sigma0 (mm), and of sigma1 within 0.45 degrees of the burst angles (the width of
// the 21-sample scatter window at 8001 points).
Case NoisyRun(double sigma0, double sigma1, std::vector<double> bursts)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> unit(0, 1);
    return RunOf(8001, [&](int, double a) {
        const bool burst = std::any_of(bursts.begin(), bursts.end(), [&](double b) { return std::fabs(a - b) < 0.45; });
        return unit(rng) * (burst ? sigma1 : sigma0);
    });
}

} // namespace

// A sine of 40 periods per 256 samples appears on line 40, the line the display plots there, at
// about its unnormalised height 1000 x A x N / 2 (the filter passes 98.5% at this line).
TEST_F(Spectrum, SineAppearsOnItsLine)
{
    constexpr double kAmplitude = 0.001;
    Case c = RunOf(8001, [](int i, double) { return kAmplitude * std::sin(2 * M_PI * 40 * i / 256.0); });
    c.Results.Spectrum.fill(5);
    ASSERT_TRUE(report(CalcSpectrum(c, report.failures)));
    const auto& s = c.Results.Spectrum;
    EXPECT_EQ(s[0], 127);
    EXPECT_EQ(std::max_element(s.begin() + 1, s.begin() + 128) - s.begin(), 40);
    EXPECT_NEAR(s[40], 1000 * kAmplitude * 128 * 0.985, 0.05 * s[40]);
    EXPECT_TRUE(std::all_of(s.begin() + 128, s.end(), [](float v) { return v == 0; }));
}

TEST_F(Spectrum, LineCountFollowsThePointsAndDirectCurrentIsBlocked)
{
    for (auto [points, lines] : {std::pair{1000, 127}, std::pair{200, 63}, std::pair{2, 0}}) {
        Case c = RunOf(points, [](int, double) { return 0.004; });
        ASSERT_TRUE(report(CalcSpectrum(c, report.failures)));
        EXPECT_EQ(c.Results.Spectrum[0], lines);
        EXPECT_TRUE(std::all_of(c.Results.Spectrum.begin() + 1, c.Results.Spectrum.end(), [](float v) { return v == 0; }));
    }
    // One point: nothing to transform; the spectrum and the vibration results are empty.
    Case one = RunOf(1, [](int, double) { return 0.001; });
    one.Results.Spectrum.fill(5);
    one.Results.ErrorValues.Random = one.Results.ErrorValues.SlipH = 3;
    one.Results.ErrorValues.VibrationAngle = 40;
    ASSERT_TRUE(report(CalcSpectrum(one, report.failures)));
    EXPECT_EQ(one.Results.Spectrum[0] + one.Results.Spectrum[1], 0);
    EXPECT_EQ(one.Results.ErrorValues.Random + one.Results.ErrorValues.SlipH, 0);
    // By value: gtest would bind references to the packed fields.
    EXPECT_EQ(int(one.Results.ErrorValues.VibrationAngle), 0);
}

TEST_F(Spectrum, FlatRunHasNoVibration)
{
    Case c = RunOf(8001, [](int, double) { return 0.002; });
    ASSERT_TRUE(report(CalcSpectrum(c, report.failures)));
    const ErrorParams& e = c.Results.ErrorValues;
    EXPECT_EQ(double(e.Random), 0);
    EXPECT_EQ(double(e.SlipH), 0);
    EXPECT_EQ(double(e.SlipV), 0);
    EXPECT_EQ(double(e.PolarVibration), 0.01);
    EXPECT_EQ(int(e.VibrationAngle), 0);
}

// Scatter of 3 x 2000 x sigma: noise of 2 µm about 60 and 240 degrees is a vibration in the 60
// degree direction; about the points 15 degrees past the horizontal reversals it is stick-slip
// of the horizontal axis, and the vertical axis shows none.
TEST_F(Spectrum, LocalScatterGivesDirectionalVibrationAndStickSlip)
{
    Case polar = NoisyRun(0.0001, 0.002, {60, 240});
    ASSERT_TRUE(report(CalcSpectrum(polar, report.failures)));
    const ErrorParams& p = polar.Results.ErrorValues;
    EXPECT_EQ(p.VibrationAngle % 180, 60); // a direction: 60 and 240 degrees alike
    EXPECT_NEAR(p.PolarVibration, 12, 3);
    EXPECT_EQ(double(p.SlipH), 0.01);

    Case slip = NoisyRun(0.0001, 0.002, {15, 165, 195, 345});
    ASSERT_TRUE(report(CalcSpectrum(slip, report.failures)));
    const ErrorParams& s = slip.Results.ErrorValues;
    EXPECT_NEAR(s.SlipH, 12, 3);
    EXPECT_EQ(double(s.SlipV), 0.01);
    EXPECT_EQ(double(s.PolarVibration), 0.01);
    EXPECT_NEAR(s.Random, 0.6, 0.2); // the background: 6000 x 0.1 µm
}
