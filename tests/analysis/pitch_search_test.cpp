// Ball-screw pitch search: windows, segments near the reversals, detrending and the choice of
// the candidate pitch.
#include "analysis/angles.h"
#include "analysis/fast_trig.h"
#include "analysis/pitch_search.h"
#include "tests/analysis/analysis_test_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class PitchSearch : public CoreTest {
protected:
    Reporter report;
};

// One counter-clockwise run at the given number of points over the arc.
Case RunCase(int start, int sweep, int points, std::function<double(double)> shape = {})
{
    RunModel run;
    run.points = points;
    run.shape = std::move(shape);
    Case c = MakeCase(start, sweep, 150, {run});
    c.Data.AngleStep = static_cast<double>(sweep) / points;
    c.Results.LscResult.Radius = 150;
    return c;
}

// Distance in degrees from the nearest reversal of the axis (every 180 degrees from 0 or 90).
double FromReversal(double angle, bool vertical)
{
    const double m = std::fmod(std::fabs(angle - (vertical ? 90.0 : 0.0)), 180.0);
    return std::min(m, 180.0 - m);
}

} // namespace

// The screw phases reach some 75 turns; their sine and cosine must stay far below the single
// precision of the design matrices over that whole range, and agree with SinDeg and CosDeg.
TEST_F(PitchSearch, InlineTrigonometryMatchesTheLibrary)
{
    double worst = 0;
    for (double x = -80; x < 80; x += 0.000731) {
        double s, c;
        SinCosTurns(x, s, c);
        worst = std::max({worst, std::fabs(s - std::sin(2 * M_PI * x)), std::fabs(c - std::cos(2 * M_PI * x))});
        SinCosDeg(x * 9, s, c);
        worst = std::max({worst, std::fabs(s - SinDeg(x * 9)), std::fabs(c - CosDeg(x * 9))});
    }
    EXPECT_LT(worst, 1e-12);
}

TEST_F(PitchSearch, WindowIsWhereTheAxisTravelsFortyMillimetres)
{
    EXPECT_EQ(PitchWindow(150), 43); // acos(110 / 150) = 42.8 degrees
    EXPECT_EQ(PitchWindow(60), 60);  // 70.5, limited
    EXPECT_EQ(PitchWindow(300), 40); // 29.9, raised
    EXPECT_EQ(PitchWindow(40), 60);
    EXPECT_EQ(PitchWindow(25), 60);
    EXPECT_THROW(PitchWindow(0), AppError);
}

// The segments hold exactly the samples within w of a reversal of their axis, for any arc:
// never an empty or reversed segment, also on arcs that start or end in a skip zone or start
// below the zones of the first turn.
TEST_F(PitchSearch, SegmentsHoldExactlyTheSamplesNearTheAxisReversals)
{
    struct Arc {
        int start, sweep;
    };
    for (const Arc& arc : {Arc{0, 360}, Arc{-250, 360}, Arc{50, 70}, Arc{-45, 90}, Arc{-360, 720}, Arc{100, 30}}) {
        const Case c = RunCase(arc.start, arc.sweep, arc.sweep);
        for (bool vertical : {false, true}) {
            SCOPED_TRACE(testing::Message() << arc.start << " " << arc.sweep << (vertical ? " V" : " H"));
            std::vector<int> selected;
            for (const PitchSegment& s : PitchSegments(c.Data, 43, vertical)) {
                ASSERT_LE(s.first, s.last);
                for (int i = s.first; i <= s.last; ++i)
                    selected.push_back(i);
            }
            std::vector<int> expected;
            for (int i = 0; i < arc.sweep; ++i)
                if (FromReversal(arc.start + i, vertical) <= 43)
                    expected.push_back(i);
            EXPECT_EQ(selected, expected);
        }
    }
}

// The circle, ovality, three-lobe terms and the horizontal reversal steps leave the samples;
// a screw error stays.
TEST_F(PitchSearch, DetrendingRemovesTrendAndReversalSteps)
{
    auto trend = [](int degrees) {
        const double c = CosDeg(degrees), s = SinDeg(degrees);
        // The horizontal axis moves towards its negative end from 1 to 180 degrees.
        const double backlash = (degrees >= 1 && degrees <= 180 ? -0.002 : 0.002) * c;
        return 0.002 + 0.003 * CosDeg(2 * degrees) - 0.001 * SinDeg(2 * degrees) + 0.0005 * c * (s * s - 0.25)
            + backlash;
    };
    Case c = RunCase(0, 360, 360);
    for (int j = 0; j < 360; ++j)
        c.Data.Readings(1, j) = trend(j);
    const std::vector<PitchSegment> segments = PitchSegments(c.Data, 43, false);
    std::vector<float> y;
    ASSERT_TRUE(GetPitchPrep(c.Data, segments, y));
    ASSERT_EQ(y.size(), 44u + 87u + 43u);
    for (float v : y)
        ASSERT_NEAR(v, 0, 1e-8);

    for (int j = 0; j < 360; ++j)
        c.Data.Readings(1, j) += 0.001 * CosDeg(j) * SinDeg(360 * 15 * CosDeg(j));
    ASSERT_TRUE(GetPitchPrep(c.Data, segments, y));
    double squares = 0;
    for (float v : y)
        squares += double(v) * v;
    EXPECT_GT(std::sqrt(squares / y.size()), 0.0005);
}

// A metric and an inch screw on the two axes of an 8001-point run are told among all candidates.
TEST_F(PitchSearch, FindsTheScrewPitchOfEachAxis)
{
    const double pitchH = 25.4 / 4, pitchV = 16;
    Case c = RunCase(-45, 360, 8001, [&](double t) {
        const double x = 150 * std::cos(t), y = 150 * std::sin(t);
        return 0.002 * std::cos(t) * std::sin(2 * M_PI * x / pitchH)
            + 0.0015 * std::sin(t) * std::sin(2 * M_PI * y / pitchV + 0.7) + 0.004 * std::cos(2 * t);
    });
    ASSERT_TRUE(report(GetPitchFit(c, report.failures)));
    EXPECT_FLOAT_EQ(c.Results.ErrorValues.PitchH, pitchH);
    EXPECT_FLOAT_EQ(c.Results.ErrorValues.PitchV, pitchV);
}

// Equal residuals keep the earlier candidate: a flat run leaves every model residual at 0.
// A failure leaves no pitch at all, never the previous case's.
TEST_F(PitchSearch, TiesKeepTheFirstCandidateAndFailuresLeaveNoPitch)
{
    Case c = RunCase(0, 360, 360);
    for (int j = 0; j < 360; ++j)
        c.Data.Readings(1, j) = 0;
    ASSERT_TRUE(report(GetPitchFit(c, report.failures)));
    // By value: gtest would bind references to the packed fields.
    EXPECT_EQ(double(c.Results.ErrorValues.PitchH), PitchConstants()[1]);
    EXPECT_EQ(double(c.Results.ErrorValues.PitchV), PitchConstants()[1]);

    c.Data.TestRadius = 0;
    c.Results.ErrorValues.PitchH = c.Results.ErrorValues.PitchV = 10;
    EXPECT_FALSE(report(GetPitchFit(c, report.failures)));
    EXPECT_EQ(double(c.Results.ErrorValues.PitchH), 0);
    EXPECT_EQ(double(c.Results.ErrorValues.PitchV), 0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Formulae(GetPitchFit)"));
}
