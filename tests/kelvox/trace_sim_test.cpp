// CalcDBB: the model traces, term by term against the error model evaluated in double with its own
// trigonometry, plus the limits that keep every write inside the caller's array.
#include "analysis/trig_tables.h"
#include "kelvox/kelvox.h"
#include "kelvox/kernels.h"
#include "tests/kelvox/kelvox_test_util.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

using namespace kelvox::test;

namespace {

constexpr double kPi12 = 3.14159265359;
constexpr int kDegrees = 1081;

double Cos(int degree) { return std::cos(degree * kPi12 / 180.0); }
double Sin(int degree) { return std::sin(degree * kPi12 / 180.0); }

// The caller's (curve 0, curve 1) array for degrees -360..720, with guard zones around it.
class Traces {
public:
    explicit Traces(float fill = 0.0f) : buffer_(2 * kDegrees, fill) {}

    float* degreeZero() { return buffer_.data() + 2 * 360; }
    float at(int curve, int degree) const { return buffer_[static_cast<std::size_t>(2 * (degree + 360) + curve)]; }
    bool guardsIntact() const { return buffer_.guardsIntact(); }
    bool bitwiseEqual(const Traces& other) const { return buffer_.bitwiseEqual(other.buffer_); }

private:
    GuardedBuffer buffer_;
};

struct TestRun {
    int32_t dynamic = 1;
    double R = 100;
    double F = 1000;
    int32_t first = 0;
    int32_t end = 360;
    int32_t step = 1;
    float profH[5] = {0, 0, 0, 0, 0};
    float profV[5] = {0, 0, 0, 0, 0};
};

void Simulate(Traces& traces, const KelvoxErrorParams& p, const TestRun& run, uint32_t seed = 1)
{
    kelvox::CalcDBBSeeded(traces.degreeZero(), run.dynamic, run.R, run.F, &p, sarvo::CosTabZero(),
                          sarvo::SinTabZero(), run.first, run.end, run.step, run.profH, run.profV, seed);
}

// Through the export, seeded from the clock: only for noise-free parameters.
void SimulateExport(Traces& traces, const KelvoxErrorParams& p, const TestRun& run)
{
    CalcDBB(traces.degreeZero(), run.dynamic, run.R, run.F, &p, sarvo::CosTabZero(), sarvo::SinTabZero(),
            run.first, run.end, run.step, run.profH, run.profV);
}

KelvoxErrorParams NoErrors()
{
    KelvoxErrorParams p;
    std::memset(&p, 0, sizeof p);
    return p;
}

} // namespace

TEST(KelvoxCalcDBB, AllParametersZeroGiveZeroTracesAtTheLoopDegreesOnly)
{
    for (const bool dynamic : {true, false}) {
        TestRun run;
        run.dynamic = dynamic ? 1 : 0;
        run.step = dynamic ? 1 : 45;
        Traces traces(GuardedBuffer::kSentinel);
        SimulateExport(traces, NoErrors(), run);
        for (int d = -360; d <= 720; ++d) {
            const bool loopDegree = d >= 0 && d < 360 && d % run.step == 0;
            for (int curve = 0; curve < 2; ++curve)
                EXPECT_EQ(traces.at(curve, d), loopDegree ? 0.0f : GuardedBuffer::kSentinel)
                    << "degree " << d << ", curve " << curve << (dynamic ? ", dynamic" : ", static");
        }
        EXPECT_TRUE(traces.guardsIntact());
    }
}

TEST(KelvoxCalcDBB, StaticBacklashFollowsTheReversals)
{
    KelvoxErrorParams p = NoErrors();
    p.Back0 = 10;
    p.Back180 = 10;
    TestRun run;
    run.dynamic = 0;
    run.step = 45;
    Traces traces;
    SimulateExport(traces, p, run);
    for (int d = 0; d < 360; d += 45) {
        EXPECT_NEAR(traces.at(0, d), -0.005 * Cos(d), 1e-9) << d;
        EXPECT_NEAR(traces.at(1, d), 0.005 * Cos(d), 1e-9) << d;
    }

    // Unequal steps: each reversal shows half of its own backlash.
    p.Back0 = 10;
    p.Back180 = 30;
    SimulateExport(traces, p, run);
    EXPECT_NEAR(traces.at(0, 0), -0.005, 1e-9);
    EXPECT_NEAR(traces.at(0, 180), 0.015, 1e-9);
    EXPECT_NEAR(traces.at(1, 180), -0.015, 1e-9);

    // The base values are taken off the mean step.
    p.Back0 = p.Back180 = 10;
    p.BacklashBaseA = 2;
    p.Back90 = p.Back270 = 6;
    p.BacklashBaseB = 4;
    SimulateExport(traces, p, run);
    EXPECT_NEAR(traces.at(0, 0), -0.004, 1e-9);
    EXPECT_NEAR(traces.at(1, 90), 0.001, 1e-9);

    // In a static test lateral play acts like backlash of the other axis.
    p = NoErrors();
    p.PlayH = 4;
    SimulateExport(traces, p, run);
    EXPECT_NEAR(traces.at(0, 90), -0.002, 1e-9);
    EXPECT_NEAR(traces.at(1, 270), -0.002, 1e-9);
}

TEST(KelvoxCalcDBB, DynamicBacklashSwitchesByQuadrant)
{
    KelvoxErrorParams p = NoErrors();
    p.Back0 = p.Back180 = 10;  // A = 0.005 cos
    p.Back90 = p.Back270 = 30; // B = 0.015 sin
    TestRun run;
    run.first = -360;
    run.end = 721;
    Traces traces;
    // Any non-zero value means dynamic, the program's -1 included.
    run.dynamic = -1;
    SimulateExport(traces, p, run);
    for (int d = -360; d <= 720; ++d) {
        const double A = 0.005 * Cos(d), B = 0.015 * Sin(d);
        const int r = (d + 360) % 360;
        // Clockwise: the quadrant starts at the reversal; counter-clockwise: it ends there.
        const double clockwise = r < 90 ? -A + B : r < 180 ? -A - B : r < 270 ? A - B : A + B;
        const double counter = (r >= 1 && r <= 90) ? A - B : (r >= 91 && r <= 180) ? A + B
                             : (r >= 181 && r <= 270) ? -A + B : -A - B;
        ASSERT_NEAR(traces.at(0, d), clockwise, 1e-8) << d;
        ASSERT_NEAR(traces.at(1, d), counter, 1e-8) << d;
    }
}

TEST(KelvoxCalcDBB, ServoMismatchExample)
{
    KelvoxErrorParams p = NoErrors();
    p.ServoH = 100;
    p.ServoV = 110;
    TestRun run;
    run.R = 150;
    run.F = 600;
    Traces traces;
    SimulateExport(traces, p, run);
    const double sv = 10.0 * 10.0 * 0.5 / 150.0 * 0.01; // 0.00333 mm
    for (int d = 0; d < 360; ++d) {
        EXPECT_NEAR(traces.at(0, d), -2 * sv * Cos(d) * Sin(d), 1e-8) << d;
        EXPECT_NEAR(traces.at(1, d), 2 * sv * Cos(d) * Sin(d), 1e-8) << d;
    }
    EXPECT_NEAR(traces.at(0, 45), -sv, 1e-8);

    // Static tests have no servo term.
    run.dynamic = 0;
    run.step = 45;
    SimulateExport(traces, p, run);
    EXPECT_EQ(traces.at(0, 45), 0.0f);
}

TEST(KelvoxCalcDBB, PlayScaleSquarenessAndCentreMatchTheErrorModel)
{
    KelvoxErrorParams p = NoErrors();
    p.PlayH = 4;
    p.PlayV = 6;
    p.ScaleH = 20;
    p.ScaleV = -10;
    p.Squareness = 8;
    p.CentreH = 3;
    p.CentreV = -2;
    TestRun run;
    run.R = 100;
    Traces traces;
    SimulateExport(traces, p, run);
    // µm -> mm; squareness from arc seconds with the fit's pi 3.1415.
    const double ph = 0.002, pv = 0.003, sch = 0.01, scv = -0.005, oh = 0.003, ov = -0.002;
    const double sq = -100 * 8 * 3.1415 / 648000;
    for (int d = 0; d < 360; ++d) {
        const double c = Cos(d), s = Sin(d);
        const double common = sch * c * c + scv * s * s + sq * c * s + oh * c + ov * s;
        const double play = std::fabs(s) * ph - std::fabs(c) * pv;
        EXPECT_NEAR(traces.at(0, d), common + play, 1e-8) << d;
        EXPECT_NEAR(traces.at(1, d), common - play, 1e-8) << d;
    }
}

TEST(KelvoxCalcDBB, StraightnessFollowsTheAxisProfiles)
{
    KelvoxErrorParams p = NoErrors();
    TestRun run;
    run.profH[2] = 100; // a parabola along the horizontal axis, in percent
    run.profV[1] = 50;
    run.profV[4] = 50;
    Traces traces;
    SimulateExport(traces, p, run);
    for (int d = 0; d < 360; ++d)
        EXPECT_EQ(traces.at(0, d), 0.0f) << "profiles alone add nothing, degree " << d;

    p.StraightH = 50;
    p.StraightV = 20;
    SimulateExport(traces, p, run);
    for (int d = 0; d < 360; ++d) {
        const double c = Cos(d), s = Sin(d);
        const double expected = 50e-5 * (100 * c * c) * s + 20e-5 * (50 * s + 50 * s * s * s * s) * c;
        EXPECT_NEAR(traces.at(0, d), expected, 1e-8) << d;
        EXPECT_NEAR(traces.at(1, d), expected, 1e-8) << d;
    }
}

TEST(KelvoxCalcDBB, CyclicErrorNeedsAPitch)
{
    KelvoxErrorParams p = NoErrors();
    p.CyclicH = 5;
    p.CyclicV = 3;
    TestRun run;
    Traces traces;
    SimulateExport(traces, p, run);
    for (int d = 0; d < 360; ++d)
        EXPECT_EQ(traces.at(0, d), 0.0f) << d;

    // Pitch 5 mm on radius 100: the screw turns 7200 degrees per unit of cos. Negative phases
    // reach the table's negative degrees.
    p.PitchH = 5;
    p.PhaseH = -300;
    p.PitchV = -4;
    p.PhaseV = 30;
    SimulateExport(traces, p, run);
    for (int d = 0; d < 360; ++d) {
        const double c = sarvo::CosTab(d), s = sarvo::SinTab(d);
        const double angleH = std::fmod(std::trunc(7200.0 * c - 300), 360.0);
        const double angleV = std::fmod(std::trunc(-9000.0 * s + 30), 360.0);
        const double expected = 0.0025 * c * Sin(static_cast<int>(angleH)) + 0.0015 * s * Sin(static_cast<int>(angleV));
        EXPECT_NEAR(traces.at(0, d), expected, 1e-8) << d;
        EXPECT_NEAR(traces.at(1, d), expected, 1e-8) << d;
    }
}

TEST(KelvoxCalcDBB, NoiseIsBoundedAndRepeatableForASeed)
{
    KelvoxErrorParams p = NoErrors();
    p.Random = 10;
    TestRun run;
    Traces a, b, c;
    Simulate(a, p, run, 42);
    Simulate(b, p, run, 42);
    Simulate(c, p, run, 43);
    EXPECT_TRUE(a.bitwiseEqual(b));
    EXPECT_FALSE(a.bitwiseEqual(c));

    // rnd() - rnd() spans +-32767 steps of 1/65536 µm per µm of Random.
    const double bound = 32767 * 10 * 1.52587890625e-8;
    double sum = 0, sumOfSquares = 0;
    for (int curve = 0; curve < 2; ++curve)
        for (int d = 0; d < 360; ++d) {
            const double v = a.at(curve, d);
            EXPECT_LE(std::fabs(v), bound);
            sum += v;
            sumOfSquares += v * v;
        }
    const double mean = sum / 720, deviation = std::sqrt(sumOfSquares / 720 - mean * mean);
    // The difference of two uniform draws: mean 0, deviation 32768 / sqrt(6) steps.
    const double expectedDeviation = 32768 / std::sqrt(6.0) * 10 * 1.52587890625e-8;
    EXPECT_LT(std::fabs(mean), 0.2 * expectedDeviation);
    EXPECT_NEAR(deviation, expectedDeviation, 0.15 * expectedDeviation);
}

TEST(KelvoxCalcDBB, LeavesTheProcessRandomGeneratorAlone)
{
    KelvoxErrorParams p = NoErrors();
    p.Random = 10;
    p.SlipH = 3;
    TestRun run;
    Traces traces;
    std::srand(77);
    const int expected[3] = {std::rand(), std::rand(), std::rand()};
    std::srand(77);
    SimulateExport(traces, p, run);
    for (int v : expected)
        EXPECT_EQ(std::rand(), v);
}

TEST(KelvoxCalcDBB, PolarVibrationReadsTheAngleAsSigned16Bits)
{
    KelvoxErrorParams p = NoErrors();
    p.PolarVibration = 10;
    p.VibrationAngle = -5;
    TestRun run;
    Traces traces;
    Simulate(traces, p, run, 9);
    // cos(d + 5) vanishes at 85 and 265 degrees; at 95 (the zero of +5) it does not.
    double elsewhere = 0;
    for (int d = 0; d < 360; ++d)
        for (int curve = 0; curve < 2; ++curve) {
            const double v = std::fabs(traces.at(curve, d));
            if (d == 85 || d == 265)
                EXPECT_LT(v, 1e-12) << d;
            else
                elsewhere = std::max(elsewhere, v);
        }
    EXPECT_GT(elsewhere, 1e-3);

    // The angle is taken as a remainder that keeps its sign: -5 and 355 describe one direction.
    KelvoxErrorParams turned = p;
    turned.VibrationAngle = 355;
    Traces same;
    Simulate(same, turned, run, 9);
    for (int d = 0; d < 360; ++d)
        EXPECT_NEAR(same.at(0, d), traces.at(0, d), 1e-9) << d;
}

TEST(KelvoxCalcDBB, SpikesPeakAtTheirExtentJustBeforeOrAfterEachReversal)
{
    KelvoxErrorParams p = NoErrors();
    p.SpikeH = 8;
    p.SpikeV = 4;
    TestRun run;
    run.R = 50;
    run.F = 5000; // extent: (5000 / 1200 / 50^2)^(1/3) rad = 6.79 degrees, truncated to 6
    Traces traces;
    SimulateExport(traces, p, run);
    const int e = 6;
    // Degree ranges and the size in mm that each reaches at its far end.
    struct Range {
        int from, to, peakAt;
        double peak;
    };
    const Range clockwise[] = {{-e, -1, -e, 0.008}, {360 - e, 359, 360 - e, 0.008}, {90 - e, 89, 90 - e, 0.004},
                               {450 - e, 449, 450 - e, 0.004}, {180 - e, 179, 180 - e, 0.008},
                               {540 - e, 539, 540 - e, 0.008}, {270 - e, 269, 270 - e, 0.004},
                               {-90 - e, -91, -90 - e, 0.004}};
    const Range counter[] = {{1, e, e, 0.008}, {361, 360 + e, 360 + e, 0.008}, {91, 90 + e, 90 + e, 0.004},
                             {451, 450 + e, 450 + e, 0.004}, {181, 180 + e, 180 + e, 0.008},
                             {-179, -180 + e, -180 + e, 0.008}, {271, 270 + e, 270 + e, 0.004},
                             {-89, -90 + e, -90 + e, 0.004}};
    for (int curve = 0; curve < 2; ++curve) {
        const auto& ranges = curve == 0 ? clockwise : counter;
        std::set<int> expected;
        for (const Range& r : ranges) {
            for (int d = r.from; d <= r.to; ++d)
                expected.insert(d);
            EXPECT_NEAR(traces.at(curve, r.peakAt), r.peak, 1e-7) << "curve " << curve << ", degree " << r.peakAt;
            // The spike grows towards its far end.
            const int towardsReversal = r.peakAt == r.from ? 1 : -1;
            for (int d = r.peakAt; d != r.peakAt + towardsReversal * (e - 1); d += towardsReversal)
                EXPECT_GT(traces.at(curve, d), traces.at(curve, d + towardsReversal)) << "curve " << curve << ", " << d;
        }
        for (int d = -360; d <= 720; ++d)
            EXPECT_EQ(traces.at(curve, d) != 0.0f, expected.count(d) == 1) << "curve " << curve << ", degree " << d;
    }
    EXPECT_TRUE(traces.guardsIntact());
}

TEST(KelvoxCalcDBB, SpikeNarrowerThanTheStepAddsNothingAndWideOnesStayInside)
{
    KelvoxErrorParams p = NoErrors();
    p.Back0 = p.Back180 = 10;
    TestRun run;
    run.dynamic = 0;
    run.step = 45;
    run.R = 50;
    run.F = 5000 * 4.0; // extent trunc(10.78) = 10, below the step of 45
    Traces plain, spiked;
    SimulateExport(plain, p, run);
    p.SpikeH = 8;
    SimulateExport(spiked, p, run);
    EXPECT_TRUE(plain.bitwiseEqual(spiked));

    // An extent of 90 degrees or more is held at 89: every copy stays inside -360..720.
    run.dynamic = 1;
    run.step = 1;
    run.R = 1;
    run.F = 1e9;
    p.SpikeV = 4;
    Traces wide;
    SimulateExport(wide, p, run);
    EXPECT_TRUE(wide.guardsIntact());
    for (int d = -360; d <= 720; ++d)
        EXPECT_TRUE(std::isfinite(wide.at(0, d)) && std::isfinite(wide.at(1, d))) << d;
    EXPECT_NE(wide.at(0, -89), 0.0f);
    EXPECT_EQ(wide.at(0, -90), 0.0f);

    // An extent of 123 degrees, held at 89: the copies of the 270-degree spike start at -179.
    run.F = 12000;
    Traces held;
    SimulateExport(held, p, run);
    EXPECT_NE(held.at(0, -179), 0.0f);
    EXPECT_EQ(held.at(0, -180), 0.0f);
    EXPECT_EQ(held.at(0, -200), 0.0f);
}

TEST(KelvoxCalcDBB, StickSlipLengthFollowsTheFeedrate)
{
    KelvoxErrorParams p = NoErrors();
    p.SlipH = 5;
    // The slip wave around the 0-degree reversal spans n - 1 degrees on either side.
    for (const auto& [F, n] : {std::pair{50.0, 45}, std::pair{100.0, 45}, std::pair{140.0, 30}, std::pair{150.0, 27},
                               std::pair{200.0, 20}}) {
        TestRun run;
        run.F = F;
        Traces traces;
        Simulate(traces, p, run, 5);
        int widest = 0, count = 0;
        for (int d = -100; d <= 100; ++d)
            if (traces.at(0, d) != 0.0f) {
                widest = std::max(widest, std::abs(d));
                ++count;
            }
        EXPECT_LE(widest, n - 1) << "F = " << F;
        EXPECT_GE(widest, n - 3) << "F = " << F;
        EXPECT_GE(count, n) << "F = " << F;
        EXPECT_TRUE(traces.guardsIntact());
    }
}

TEST(KelvoxCalcDBB, StickSlipRepeatsEveryTurnAndFlipsAtTheFarCopyOfTheClockwiseCurve)
{
    const int n = 30; // F = 140
    TestRun run;
    run.F = 140;
    // Horizontal slip: the wave before the 0-degree reversal, at d in -(n-1)..-1.
    KelvoxErrorParams p = NoErrors();
    p.SlipH = 5;
    Traces h;
    Simulate(h, p, run, 11);
    // Vertical slip: the wave before the 270-degree reversal, at d in -90-(n-1)..-91.
    p = NoErrors();
    p.SlipV = 5;
    Traces v;
    Simulate(v, p, run, 11);
    int nonZero = 0;
    for (int curve = 0; curve < 2; ++curve) {
        const float farSign = curve == 0 ? -1.0f : 1.0f;
        for (int d = -(n - 1); d <= -1; ++d) {
            EXPECT_EQ(h.at(curve, d + 180), -h.at(curve, d)) << curve << ", " << d;
            EXPECT_EQ(h.at(curve, d + 360), h.at(curve, d)) << curve << ", " << d;
            EXPECT_EQ(h.at(curve, d + 540), farSign * h.at(curve, d)) << curve << ", " << d;
            const int dv = d - 90;
            EXPECT_EQ(v.at(curve, dv + 180), v.at(curve, dv)) << curve << ", " << dv;
            EXPECT_EQ(v.at(curve, dv + 360), -v.at(curve, dv)) << curve << ", " << dv;
            EXPECT_EQ(v.at(curve, dv + 540), farSign * v.at(curve, dv)) << curve << ", " << dv;
            nonZero += (h.at(curve, d) != 0.0f) + (v.at(curve, dv) != 0.0f);
        }
        // The wave after each reversal, at n - i.
        for (int d = 1; d <= n - 1; ++d) {
            EXPECT_EQ(h.at(curve, d - 180), -h.at(curve, d)) << curve << ", " << d;
            EXPECT_EQ(h.at(curve, d + 180), -h.at(curve, d)) << curve << ", " << d;
            EXPECT_EQ(h.at(curve, d + 360), -h.at(curve, d)) << curve << ", " << d;
            const int dv = d + 90;
            EXPECT_EQ(v.at(curve, dv - 180), -v.at(curve, dv)) << curve << ", " << dv;
            EXPECT_EQ(v.at(curve, dv + 180), -v.at(curve, dv)) << curve << ", " << dv;
            EXPECT_EQ(v.at(curve, dv + 360), -v.at(curve, dv)) << curve << ", " << dv;
            nonZero += (h.at(curve, d) != 0.0f) + (v.at(curve, dv) != 0.0f);
        }
    }
    EXPECT_GT(nonZero, 8 * (n - 2));
}

TEST(KelvoxCalcDBB, StickSlipOscillatesWithinItsEnvelope)
{
    // Around the 0-degree reversal the wave is (1 - e^(-i g)) cos(n - i) uh sin(m) at i - n and
    // n - i, with the phase m at i q and (2n - i) q past a random start of 0 to 179 degrees,
    // q = min(300 R / F, 135), truncated to whole degrees.
    struct Case {
        double R, F;
        int n;
        double q;
    };
    for (const Case c : {Case{10, 100, 45, 30}, Case{100, 140, 30, 135}}) {
        TestRun run;
        run.R = c.R;
        run.F = c.F;
        const double g = c.R * 588.6 / c.F * 3.1415 / 1800, uh = 0.0025;
        KelvoxErrorParams p = NoErrors();
        p.SlipH = 5;
        for (const uint32_t seed : {1u, 2u, 3u}) {
            Traces traces;
            Simulate(traces, p, run, seed);
            int matchingStarts = 0;
            for (int start = 0; start < 180; ++start) {
                bool matches = true;
                for (int i = 1; i < c.n && matches; ++i) {
                    const double envelope = (1 - std::exp(-i * g)) * Cos(c.n - i) * uh;
                    const int m1 = static_cast<int>(std::trunc(i * c.q + start)) % 360;
                    const int m2 = static_cast<int>(std::trunc((2 * c.n - i) * c.q + start)) % 360;
                    matches = std::fabs(traces.at(0, i - c.n) - envelope * Sin(m1)) <= 1e-6 * envelope
                           && std::fabs(traces.at(0, c.n - i) - envelope * Sin(m2)) <= 1e-6 * envelope;
                }
                matchingStarts += matches;
            }
            EXPECT_EQ(matchingStarts, 1) << "R = " << c.R << ", F = " << c.F << ", seed " << seed;
        }
    }
}

TEST(KelvoxCalcDBB, NonPositiveFeedrateLeavesOutSlipAndSpikes)
{
    KelvoxErrorParams p = NoErrors();
    p.Back90 = p.Back270 = 6;
    TestRun run;
    Traces plain;
    for (const double F : {0.0, -200.0}) {
        run.F = F;
        SimulateExport(plain, p, run);
        KelvoxErrorParams withSlip = p;
        withSlip.SlipH = withSlip.SlipV = 5;
        withSlip.SpikeH = withSlip.SpikeV = 3;
        Traces traces;
        SimulateExport(traces, withSlip, run);
        EXPECT_TRUE(traces.bitwiseEqual(plain)) << "F = " << F;
    }
}

TEST(KelvoxCalcDBB, LoopRangesAreClampedToTheArray)
{
    KelvoxErrorParams p = NoErrors();
    p.CentreH = 3;
    p.CentreV = -2;
    TestRun run;
    run.first = -1000;
    run.end = 5000;
    Traces traces(GuardedBuffer::kSentinel);
    SimulateExport(traces, p, run);
    EXPECT_TRUE(traces.guardsIntact());
    for (int d = -360; d <= 720; ++d)
        EXPECT_NEAR(traces.at(0, d), 0.003 * Cos(d) - 0.002 * Sin(d), 1e-8) << d;

    // The first degree kept stays on the caller's step grid.
    run.first = -365;
    run.end = 0;
    run.step = 10;
    Traces grid(GuardedBuffer::kSentinel);
    SimulateExport(grid, p, run);
    EXPECT_EQ(grid.at(0, -360), GuardedBuffer::kSentinel);
    EXPECT_NE(grid.at(0, -355), GuardedBuffer::kSentinel);
    EXPECT_EQ(grid.at(0, -354), GuardedBuffer::kSentinel);
    EXPECT_NE(grid.at(0, -5), GuardedBuffer::kSentinel);

    // Extreme ends and steps: one degree, or none.
    run.first = 700;
    run.end = std::numeric_limits<int32_t>::max();
    run.step = std::numeric_limits<int32_t>::max();
    Traces one(GuardedBuffer::kSentinel);
    SimulateExport(one, p, run);
    EXPECT_NE(one.at(0, 700), GuardedBuffer::kSentinel);
    EXPECT_EQ(one.at(0, 701), GuardedBuffer::kSentinel);
    EXPECT_TRUE(one.guardsIntact());

    run.first = 721;
    run.step = 1;
    Traces none(GuardedBuffer::kSentinel), untouched(GuardedBuffer::kSentinel);
    SimulateExport(none, p, run);
    EXPECT_TRUE(none.bitwiseEqual(untouched));
}

TEST(KelvoxCalcDBB, ArgumentsOutsideTheModelWriteNothing)
{
    KelvoxErrorParams p = NoErrors();
    p.Back0 = 5;
    const Traces untouched(1.0f);
    auto unchangedAfter = [&](TestRun run) {
        Traces traces(1.0f);
        SimulateExport(traces, p, run);
        return traces.bitwiseEqual(untouched);
    };
    TestRun run;
    for (const double R : {0.0, -10.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        run.R = R;
        EXPECT_TRUE(unchangedAfter(run)) << "R = " << R;
    }
    run = TestRun();
    run.F = std::nan("");
    EXPECT_TRUE(unchangedAfter(run));
    for (const int32_t step : {0, -1, std::numeric_limits<int32_t>::min()}) {
        run = TestRun();
        run.step = step;
        EXPECT_TRUE(unchangedAfter(run)) << "step = " << step;
    }

    run = TestRun();
    Traces traces(1.0f);
    CalcDBB(traces.degreeZero(), 1, 100, 1000, nullptr, sarvo::CosTabZero(), sarvo::SinTabZero(), 0, 360, 1,
            run.profH, run.profV);
    CalcDBB(traces.degreeZero(), 1, 100, 1000, &p, nullptr, sarvo::SinTabZero(), 0, 360, 1, run.profH, run.profV);
    CalcDBB(traces.degreeZero(), 1, 100, 1000, &p, sarvo::CosTabZero(), nullptr, 0, 360, 1, run.profH, run.profV);
    CalcDBB(traces.degreeZero(), 1, 100, 1000, &p, sarvo::CosTabZero(), sarvo::SinTabZero(), 0, 360, 1, nullptr,
            run.profV);
    CalcDBB(traces.degreeZero(), 1, 100, 1000, &p, sarvo::CosTabZero(), sarvo::SinTabZero(), 0, 360, 1, run.profH,
            nullptr);
    EXPECT_TRUE(traces.bitwiseEqual(untouched));
    CalcDBB(nullptr, 1, 100, 1000, &p, sarvo::CosTabZero(), sarvo::SinTabZero(), 0, 360, 1, run.profH, run.profV);
}
