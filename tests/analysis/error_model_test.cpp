// The error-model fit: round trips through the model traces of known machine errors, the
// linearity of the fit, the column rules, the plane and scale rules, and its failures.
#include "analysis/error_model.h"
#include "core/progress.h"
#include "tests/analysis/model_case_util.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class ErrorModel : public CoreTest {};

// Dynamic errors of every term the fit separates, with two screw errors of known pitch and phase.
ErrorParams DynamicErrors()
{
    return {.Back0 = 4, .Back90 = 3, .Back180 = 2.5, .Back270 = 5, .PlayH = 2, .PlayV = -1.5,
            .ScaleH = TraceScale(20, 150), .ScaleV = -TraceScale(20, 150), .CyclicH = 3, .CyclicV = 2,
            .PitchH = 10, .PitchV = 5, .PhaseH = 30, .PhaseV = 120, .ServoH = 99, .ServoV = 101,
            .Squareness = 12, .StraightH = 3, .StraightV = -2, .CentreH = 12, .CentreV = -8};
}

// Compares the fields listed, each with its tolerance. Fields are read by value: a reference
// or a pointer to member into the packed record may be misaligned.
struct Field {
    const char* name;
    double (*read)(const ErrorParams&);
    double tolerance;
};
void ExpectFields(const ErrorParams& got, const ErrorParams& want, std::initializer_list<Field> fields)
{
    for (const Field& f : fields)
        EXPECT_NEAR(f.read(got), f.read(want), f.tolerance) << f.name;
}
#define FIELD(name, tolerance) Field{#name, [](const ErrorParams& p) -> double { return p.name; }, tolerance}

int ColumnCount(const Case& c, int direction)
{
    const int rows = (direction == 0 ? 2 : 1) * c.Data.MaxTargets;
    std::vector<float> X(static_cast<std::size_t>(rows) * kModelColumns, 0.0f);
    ModelColumns col;
    EXPECT_TRUE(CalcMatrix(c, direction, X, col, c.Results.ErrorValues.PitchH, c.Results.ErrorValues.PitchV));
    return col.Count;
}

bool AllFinite(const ErrorParams& e)
{
    return std::ranges::all_of(kErrorParamFields, [&](const ErrorParamField& f) { return std::isfinite(ErrorParamValue(e, f)); });
}

} // namespace

// The only differences between synthesis and fit: the synthesis takes the screw phase in whole
// degrees (truncated), an error of up to 1.7% of the cyclic amplitude (0.05 µm here) that leaks a
// little into the correlated terms, and its arc-second constant carries pi as 3.1415 (2.9e-5
// relative). The tolerances allow a fifth of that leak; a wrong sign or factor is microns off.
TEST_F(ErrorModel, DynamicTracesOfKnownErrorsFitBackToThem)
{
    const ErrorParams p = DynamicErrors();
    Case c = TraceCase(p, {.directions = {1, -1, 1, -1}});
    EXPECT_TRUE(AnalyseAndFit(c));
    ASSERT_TRUE(c.Results.ResultsValid);
    ErrorParams want = p;
    want.ScaleH = 20; // µm/m: a tolerance of 0.0075 µm at the radius
    want.ScaleV = -20;
    ExpectFields(c.Results.ErrorValues, want,
                 {FIELD(Back0, 0.01), FIELD(Back90, 0.01), FIELD(Back180, 0.01), FIELD(Back270, 0.01),
                  FIELD(PlayH, 0.01), FIELD(PlayV, 0.01), FIELD(ScaleH, 0.05), FIELD(ScaleV, 0.05),
                  FIELD(Squareness, 0.01), FIELD(ServoH, 0.001), FIELD(ServoV, 0.001), FIELD(StraightH, 0.02),
                  FIELD(StraightV, 0.02), FIELD(PitchH, 0), FIELD(PitchV, 0), FIELD(CyclicH, 0.01),
                  FIELD(CyclicV, 0.01), FIELD(PhaseH, 0.2), FIELD(PhaseV, 0.2)});
    EXPECT_EQ(ColumnCount(c, 0), 18);

    // The model traces are the fitted model: they follow the averaged readings of each direction
    // to within the cyclic leak.
    const AnalysisResults& r = c.Results;
    EXPECT_EQ(r.AnalysisCurveCount, 2);
    EXPECT_EQ(r.AnalysisCurveDir[1], 1);
    EXPECT_EQ(r.AnalysisCurveDir[2], -1);
    for (int a = 0; a < 360; ++a) {
        EXPECT_NEAR(r.AnalysisCurve(0, a), (c.Data.Readings(1, a) + c.Data.Readings(3, a)) / 2, 6e-5) << a;
        EXPECT_NEAR(r.AnalysisCurve(1, a), (c.Data.Readings(2, a) + c.Data.Readings(4, a)) / 2, 6e-5) << a;
    }
}

// Static: one point every 45 degrees; backlash and play cannot be told apart, so the trace holds
// backlash only. Without cyclic terms the synthesis is the fit's model exactly.
TEST_F(ErrorModel, StaticTracesFitBackWithNineColumns)
{
    const ErrorParams p{.Back0 = 4, .Back90 = -3, .Back180 = 4, .Back270 = -3, .ScaleH = TraceScale(15, 150),
                        .ScaleV = -TraceScale(15, 150), .Squareness = -9, .StraightH = 3, .StraightV = -2,
                        .CentreH = 12, .CentreV = -8};
    Case c = TraceCase(p, {.dynamic = false});
    c.Results.ErrorValues.PitchH = 10; // a previous case's pitch
    AnalyseAndFit(c);
    ErrorParams want = p;
    want.ScaleH = 15;
    want.ScaleV = -15;
    want.ServoH = want.ServoV = 100;
    ExpectFields(c.Results.ErrorValues, want,
                 {FIELD(Back0, 1e-3), FIELD(Back90, 1e-3), FIELD(Back180, 1e-3), FIELD(Back270, 1e-3),
                  FIELD(ScaleH, 0.01), FIELD(ScaleV, 0.01), FIELD(Squareness, 0.01), FIELD(StraightH, 1e-3),
                  FIELD(StraightV, 1e-3), FIELD(PitchH, 0), FIELD(PlayH, 0), FIELD(ServoH, 0), FIELD(ServoV, 0)});
    EXPECT_EQ(ColumnCount(c, 0), 9);
    EXPECT_EQ(c.Results.AnalysisStep, 45);
    EXPECT_NEAR(c.Results.AnalysisCurve(0, 45), c.Data.Readings(1, 1), 1e-7);
    EXPECT_EQ(c.Results.AnalysisCurve(0, 46), 0.0f);
}

// A static half circle: five positions a run, the last at the end of the arc, where the model
// trace ends too. Fitted directly: a circle fitted to half a circle would take up part of the
// scale error.
TEST_F(ErrorModel, AStaticHalfCircleFitsAtItsPositionsUpToItsEnd)
{
    const ErrorParams p{.Back0 = 4, .Back90 = -3, .Back180 = 4, .Back270 = -3, .ScaleH = TraceScale(15, 150),
                        .ScaleV = -TraceScale(15, 150), .Squareness = -9, .CentreH = 12, .CentreV = -8};
    Case c = TraceCase(p, {.dynamic = false, .start = 90, .sweep = 180});
    ASSERT_EQ(c.Data.MaxTargets, 5);
    c.Results.LscResult.Radius = 150;
    NoProgress none;
    Reporter report;
    report(CalcErrors(c, FitSettings(), none, report.failures));
    ASSERT_TRUE(c.Results.ResultsValid);
    ErrorParams want = p;
    std::tie(want.ScaleH, want.ScaleV) = std::pair(15.0, -15.0);
    ExpectFields(c.Results.ErrorValues, want, {FIELD(ScaleH, 0.01), FIELD(ScaleV, 0.01), FIELD(Squareness, 0.01)});
    const AnalysisResults& r = c.Results;
    for (int j = 0; j < 5; ++j) {
        EXPECT_NEAR(r.AnalysisCurve(0, 90 + 45 * j), c.Data.Readings(1, j), 1e-7) << j;
        EXPECT_NEAR(r.AnalysisCurve(1, 90 + 45 * j), c.Data.Readings(2, j), 1e-7) << j;
    }
    EXPECT_EQ(r.AnalysisCurve(0, 315), 0.0f);
}

// A dynamic half circle: the graphs draw its model trace up to the end of the arc, so the trace
// is filled there too (from the last point), not left at 0 for a last segment down to the centre.
TEST_F(ErrorModel, ADynamicPartialArcHasItsModelTraceUpToItsEnd)
{
    Case c = TraceCase(DynamicErrors(), {.start = 90, .sweep = 180});
    c.Results.LscResult.Radius = 150;
    NoProgress none;
    Reporter report;
    report(CalcErrors(c, FitSettings(), none, report.failures));
    ASSERT_TRUE(c.Results.ResultsValid);
    const AnalysisCurveTable& t = c.Results.AnalysisCurve;
    for (int curve : {0, 1}) // 269 and 270 degrees both from the run's last point
        EXPECT_EQ(std::tuple(t(curve, 270) != 0, t(curve, 270), t(curve, 271)), std::tuple(true, t(curve, 269), 0.0f));
}

// Reversal spikes of the synthesis (one degree past each reversal at this feedrate) come back as
// their height over the level 4 to 7 degrees on.
TEST_F(ErrorModel, ReversalSpikesAreFound)
{
    Case c = TraceCase({.ServoH = 100, .ServoV = 100, .SpikeH = 3, .SpikeV = 2}, {});
    AnalyseAndFit(c);
    EXPECT_NEAR(c.Results.ErrorValues.SpikeH, 3, 0.01);
    EXPECT_NEAR(c.Results.ErrorValues.SpikeV, 2, 0.01);
}

// The fit is linear in the readings for a fixed set of columns: traces with the same pitches add.
// Centred traces, as the chain leaves them, fitted directly.
TEST_F(ErrorModel, FitIsLinearInTheReadings)
{
    ErrorParams p1 = DynamicErrors();
    p1.CentreH = p1.CentreV = 0;
    ErrorParams p2 = p1;
    p2.Back0 = p2.PlayH = -1;
    p2.Back270 = p2.StraightV = 6;
    p2.Squareness = -20;
    p2.ServoH = 101.5;
    p2.ServoV = 98.5;
    Case a = TraceCase(p1, {}), b = TraceCase(p2, {}), sum = a;
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < 360; ++j)
            sum.Data.Readings(r, j) = a.Data.Readings(r, j) + 0.5 * b.Data.Readings(r, j);
    NoProgress none;
    for (Case* c : {&a, &b, &sum}) {
        c->Results.LscResult.Radius = 150;
        Reporter report;
        report(CalcErrors(*c, FitSettings(), none, report.failures));
    }
    const ErrorParams &ea = a.Results.ErrorValues, &eb = b.Results.ErrorValues, &es = sum.Results.ErrorValues;
    ASSERT_EQ(double(es.PitchH), double(ea.PitchH));
    ASSERT_EQ(double(es.PitchV), double(eb.PitchV));
    ErrorParams want = ea;
    want.Back0 = ea.Back0 + 0.5 * eb.Back0;
    want.Back270 = ea.Back270 + 0.5 * eb.Back270;
    want.PlayH = ea.PlayH + 0.5 * eb.PlayH;
    want.ScaleH = ea.ScaleH + 0.5 * eb.ScaleH;
    want.Squareness = ea.Squareness + 0.5 * eb.Squareness;
    want.StraightV = ea.StraightV + 0.5 * eb.StraightV;
    want.ServoH = 100 + (ea.ServoH - 100) + 0.5 * (eb.ServoH - 100);
    ExpectFields(es, want,
                 {FIELD(Back0, 1e-4), FIELD(Back270, 1e-4), FIELD(PlayH, 1e-4), FIELD(ScaleH, 1e-3),
                  FIELD(Squareness, 1e-3), FIELD(StraightV, 1e-4), FIELD(ServoH, 1e-5)});
}

// Column counts and the reversal-sign rows of the design matrix.
TEST_F(ErrorModel, ColumnRulesFollowTheArcAndDirections)
{
    EXPECT_EQ(ColumnCount(TraceCase({}, {.dynamic = false, .directions = {1}}), 1), 4);

    // A dynamic one-way arc of 120 degrees crosses one reversal: of the vertical axis from 0, of
    // the horizontal one from 90.
    std::vector<float> X(120 * kModelColumns, 0.0f);
    ModelColumns col;
    ASSERT_TRUE(CalcMatrix(TraceCase({}, {.sweep = 120, .directions = {1}}), 1, X, col, 0, 0));
    EXPECT_TRUE(col.BackV != 0 && col.BackH == 0);
    ASSERT_TRUE(CalcMatrix(TraceCase({}, {.start = 90, .sweep = 120, .directions = {1}}), 1, X, col, 0, 0));
    EXPECT_TRUE(col.BackH != 0 && col.BackV == 0 && col.CyclicH == 0);

    // Counter-clockwise, -180 degrees still belongs to the stretch before the reversal; -181 is
    // outside the signs the model knows.
    std::vector<float> Y(200 * kModelColumns, 0.0f);
    ASSERT_TRUE(CalcMatrix(TraceCase({}, {.start = -181, .sweep = 200, .directions = {1}}), 1, Y, col, 0, 0));
    EXPECT_EQ(Y[200 * col.BackH + 0], 0.0f);
    EXPECT_FLOAT_EQ(Y[200 * col.BackH + 1], -1.0f);

    // Static in both directions: backlash +c, +s counter-clockwise and -c, -s clockwise.
    std::vector<float> Z(16 * kModelColumns, 0.0f);
    ASSERT_TRUE(CalcMatrix(TraceCase({}, {.dynamic = false}), 0, Z, col, 0, 0));
    EXPECT_FLOAT_EQ(Z[16 * col.BackH + 0], 1.0f);
    EXPECT_FLOAT_EQ(Z[16 * col.BackH + 8], -1.0f);
    EXPECT_FLOAT_EQ(Z[16 * col.BackV + 2], 1.0f);
    EXPECT_FLOAT_EQ(Z[16 * col.BackV + 10], -1.0f);
}

// Partial arcs fit without a message; an axis whose reversals the arc never reaches gets no
// pitch, whatever the previous case had.
TEST_F(ErrorModel, PartialArcsFitWithoutPitchWhereNoSegmentFits)
{
    struct Arc {
        int start, sweep;
        bool horizontalSegments, verticalSegments;
    };
    for (const Arc& arc : {Arc{50, 70, false, true}, Arc{-45, 90, true, false}, Arc{0, 90, true, true}}) {
        SCOPED_TRACE(arc.start);
        Case c = TraceCase(DynamicErrors(), {.start = arc.start, .sweep = arc.sweep, .directions = {1}});
        c.Results.ErrorValues.PitchH = c.Results.ErrorValues.PitchV = 8;
        AnalyseAndFit(c);
        EXPECT_TRUE(c.Results.ResultsValid);
        EXPECT_TRUE(AllFinite(c.Results.ErrorValues));
        EXPECT_TRUE(arc.horizontalSegments || c.Results.ErrorValues.PitchH == 0);
        EXPECT_TRUE(arc.verticalSegments || c.Results.ErrorValues.PitchV == 0);
    }
}

// In the XZ plane the vertical axis runs the other way: the vertical backlash values exchange and
// horizontal straightness and both plays change sign; "XZ" is not such a plane name.
TEST_F(ErrorModel, XzPlaneMirrorsTheVerticalTerms)
{
    auto fit = [](const QString& plane) {
        Case c = TraceCase(DynamicErrors(), {});
        c.Header[HdrPlane] = plane;
        AnalyseAndFit(c);
        return c.Results;
    };
    const AnalysisResults xy = fit("xy"), xz = fit("xz"), upper = fit("XZ");
    // By value: gtest would bind references to the packed fields.
    EXPECT_EQ(double(xz.ErrorValues.Back90), double(xy.ErrorValues.Back270));
    EXPECT_EQ(double(xz.ErrorValues.Back270), double(xy.ErrorValues.Back90));
    EXPECT_EQ(double(xz.ErrorValues.StraightH), -xy.ErrorValues.StraightH);
    EXPECT_EQ(double(xz.ErrorValues.PlayH), -xy.ErrorValues.PlayH);
    EXPECT_EQ(double(xz.ErrorValues.PlayV), -xy.ErrorValues.PlayV);
    EXPECT_EQ(double(xz.ErrorValues.StraightV), double(xy.ErrorValues.StraightV));
    EXPECT_EQ(double(xz.ErrorReliability.PlayH), double(xy.ErrorReliability.PlayH));
    EXPECT_EQ(double(upper.ErrorValues.Back90), double(xy.ErrorValues.Back90));
    EXPECT_EQ(double(upper.ErrorValues.PlayH), double(xy.ErrorValues.PlayH));
}

// A path 3 µm outside the test circle with a mismatch of 2 µm between the axes (K0 cos 2t): the
// bar measures the radius error only when calibrated, and OptionFlag takes the mismatch out of
// the readings so that both axes share the radius error.
TEST_F(ErrorModel, CalibratedScaleRulesAndOptionFlag)
{
    constexpr double kD = 0.003, kK0 = 0.002;
    auto fit = [&](bool dynamic, bool calibrated, bool option, std::vector<int> directions) {
        std::vector<RunModel> runs;
        for (int dir : directions) {
            RunModel r;
            r.points = dynamic ? 360 : 8;
            r.direction = dir;
            r.radius = 150 + kD;
            r.shape = [](double t) { return kK0 * std::cos(2 * t); };
            runs.push_back(r);
        }
        Case c = MakeCase(0, 360, 150, runs);
        c.Data.Dynamic = dynamic;
        c.Data.AngleStep = dynamic ? 1 : 45;
        c.Data.Calibrated = calibrated;
        c.Data.OptionFlag = option;
        c.Header[HdrFeedrate] = "1000";
        AnalyseAndFit(c);
        return c;
    };
    const double R = 150 + kD;
    auto expectScales = [&](const Case& c, double h, double v) {
        EXPECT_NEAR(c.Results.ErrorValues.ScaleH, h / R * 1e6, 0.01);
        EXPECT_NEAR(c.Results.ErrorValues.ScaleV, v / R * 1e6, 0.01);
    };
    expectScales(fit(true, false, false, {1, -1}), kK0, -kK0);
    const Case calibrated = fit(true, true, false, {1, -1});
    expectScales(calibrated, kD + kK0, kD - kK0);
    EXPECT_NEAR(calibrated.Results.LscResult.Circularity, 2 * kK0 * 1000, 0.01);

    const Case option = fit(true, true, true, {1, -1});
    expectScales(option, kD, kD);
    EXPECT_NEAR(option.Results.LscResult.Circularity, 0, 0.01);
    EXPECT_NEAR(option.Results.MzcResult.Circularity, 0, 0.01);
    EXPECT_NEAR(option.Results.AnalysisCurve(0, 0), 0, 1e-5);
    EXPECT_EQ(option.Results.Iso.IsoGb, calibrated.Results.Iso.IsoGb);

    // Without the common radius column (static, one way) the rule without it applies.
    expectScales(fit(false, true, true, {1}), kD + kK0, kD - kK0);
}

// Runs of different lengths meet on the common grid: a case of 360- and 720-point runs of the
// same path fits like one of equal runs; summing them point by point would mix angles.
TEST_F(ErrorModel, RunsOfDifferentLengthsAverageOnTheCommonGrid)
{
    auto makeCase = [](int n1, int n2) {
        RunModel ccw;
        ccw.radius = 150.002;
        ccw.shape = [](double t) { return 0.003 * std::cos(2 * t) + 0.002 * std::sin(2 * t) + 0.001 * std::cos(3 * t); };
        RunModel cw = ccw;
        cw.direction = -1;
        cw.shape = [](double t) { return 0.003 * std::cos(2 * t) - 0.002 * std::sin(2 * t); };
        RunModel ccw2 = ccw, cw2 = cw;
        ccw.points = cw.points = n1;
        ccw2.points = cw2.points = n2;
        Case c = MakeCase(0, 360, 150, {ccw, cw, ccw2, cw2});
        c.Data.Calibrated = false;
        c.Data.AngleStep = 360.0 / c.Data.MaxTargets;
        c.Header[HdrFeedrate] = "1000";
        AnalyseAndFit(c);
        return c.Results.ErrorValues;
    };
    const ErrorParams equal = makeCase(720, 720), mixed = makeCase(360, 720);
    EXPECT_NEAR(mixed.ScaleH, equal.ScaleH, 0.1);
    EXPECT_NEAR(mixed.Squareness, equal.Squareness, 0.1);
    EXPECT_NEAR(mixed.ServoH, equal.ServoH, 0.01);
    EXPECT_NEAR(mixed.StraightH, equal.StraightH, 0.05);
}

// The fit reports its progress as it goes, up to 100 when it completes; a new fit clears what it
// does not estimate.
TEST_F(ErrorModel, ProgressAndClearedFields)
{
    QList<int> steps;
    ProgressFunction progress([&](int percent) { steps.push_back(percent); });
    auto expectRising = [&] {
        ASSERT_FALSE(steps.isEmpty());
        EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end())) << testing::PrintToString(steps);
        EXPECT_GE(steps.front(), 0);
        EXPECT_LE(steps.back(), 100);
    };

    Case c = TraceCase(DynamicErrors(), {});
    ErrorParams& stale = c.Results.ErrorReliability;
    stale.PitchH = stale.SlipH = stale.Random = stale.CentreH = 7;
    c.Results.ProfileH[2] = 100;
    EXPECT_TRUE(AnalyseAndFit(c, progress));
    expectRising();
    EXPECT_EQ(steps.back(), 100);
    EXPECT_EQ(busyDepth(), 0);
    const ErrorParams& u = c.Results.ErrorReliability;
    EXPECT_EQ(u.PitchH + u.SlipH + u.Random + u.CentreH, 0);
    EXPECT_GT(double(u.Back0), 0);
    EXPECT_EQ(c.Results.ProfileH[2], 0);

    // A static case has no spectrum, vibration or cyclic uncertainty.
    steps.clear();
    Case s = TraceCase({}, {.dynamic = false});
    s.Results.Spectrum.fill(3);
    s.Results.ErrorValues.Random = 4;
    s.Results.ErrorReliability.CyclicH = 1;
    EXPECT_TRUE(AnalyseAndFit(s, progress));
    expectRising();
    EXPECT_EQ(s.Results.Spectrum[1] + s.Results.Spectrum[0], 0.0f);
    EXPECT_EQ(s.Results.ErrorValues.Random + s.Results.ErrorReliability.CyclicH, 0);
}

// Failures are reported once with the fit's location; no result becomes NaN and the results stay
// invalid.
TEST_F(ErrorModel, FailuresAreReportedWithoutNaNResults)
{
    // An arc outside the reversal signs the model knows leaves its backlash column empty.
    Case singular = TraceCase({}, {.start = -300, .sweep = 100, .directions = {1}});
    EXPECT_FALSE(AnalyseAndFit(singular));
    // A servo column without a programmed feedrate.
    Case noFeed = TraceCase(DynamicErrors(), {});
    noFeed.Header[HdrFeedrate] = "";
    noFeed.Results.ResultsValid = true; // an earlier fit of the same case must not stay valid
    EXPECT_FALSE(AnalyseAndFit(noFeed));
    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const Case* c : {&singular, &noFeed}) {
        EXPECT_FALSE(c->Results.ResultsValid);
        EXPECT_TRUE(AllFinite(c->Results.ErrorValues));
    }
    EXPECT_TRUE(prompts.messages[0].text.contains("Calculating errors"));
    EXPECT_TRUE(prompts.messages[1].text.startsWith("11:"));
    EXPECT_EQ(busyDepth(), 0);
}
