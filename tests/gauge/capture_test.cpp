// The capture of one run without a gauge: working values, trigger and end on synthetic blocks,
// the verdict on the feedrate, the storing into the case and the target's geometry.

#include "gauge/capture.h"
#include "gauge/device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace sarvo::gauge {
namespace {

struct RunShape {
    bool dynamic = true;
    int direction = 1;
    int start = 0;
    int stop = 90;
    float overshoot = 10;
    int pointsPerRun = 90;
    int samplingIntervalMs = 4;
    int runCount = 0;
};

Case MakeCase(const RunShape& shape)
{
    Case c;
    CaseData& d = c.Data;
    d.Dynamic = shape.dynamic;
    d.StartAngle = static_cast<int16_t>(shape.start);
    d.StopAngle = static_cast<int16_t>(shape.stop);
    d.SweepAngle = static_cast<int16_t>(shape.stop - shape.start);
    d.OvershootAngle = shape.overshoot;
    d.PointsPerRun = static_cast<int16_t>(shape.pointsPerRun);
    d.AngleStep = double(d.SweepAngle) / shape.pointsPerRun;
    d.SamplingInterval = shape.samplingIntervalMs;
    d.TestRadius = 100;
    d.BallBarLength = 100;
    d.RunCount = static_cast<int16_t>(shape.runCount);
    for (int run = 1; run <= shape.runCount + 1 && run < kRunSlots; ++run)
        d.RunDirection[static_cast<std::size_t>(run)] = static_cast<int16_t>(shape.direction);
    c.Header[HdrFeedrate] = QStringLiteral("1000");
    c.Header[HdrPlane] = QStringLiteral("xy");
    return c;
}

Settings GaugeSettings(GaugeType type)
{
    Settings s;
    s.BallBarType = static_cast<int16_t>(type);
    s.ScaleFactor = 1;
    s.MaxPoints = 2500;
    return s;
}

TEST(CapturePlan, WorkingValuesFollowTheRunAndTheGauge)
{
    const struct {
        RunShape shape;
        GaugeType gauge;
        int overshootPoints, expected, limit, startAngle, perBlock, blockMs;
    } cases[] = {
        // 10 of 90 degrees over 720 points: 80 overshoot points each side.
        {{true, 1, 0, 90, 10, 720, 1}, GaugeType::OwnGauge, 80, 880, 1320, -10, 256, 256},
        {{true, -1, 0, 90, 10, 720, 1}, GaugeType::OwnGauge, 80, 880, 1320, 100, 256, 256},
        // The QC10 fetches every 256 ms whatever the interval.
        {{true, 1, 0, 90, 0, 45, 20}, GaugeType::Qc10, 0, 45, 68, 0, 13, 256},
        {{true, 1, 0, 90, 0, 7, 200}, GaugeType::Ik121, 0, 7, 10, 0, 2, 400}, // 10.5 to the even 10
        {{false, 1, 0, 90, 0, 6, 100}, GaugeType::Qc10, 0, 6, 9, 0, 4, 0},
    };
    for (const auto& c : cases) {
        const CapturePlan plan = MakeCapturePlan(MakeCase(c.shape), GaugeSettings(c.gauge));
        SCOPED_TRACE(testing::Message() << c.shape.pointsPerRun << " points, direction " << c.shape.direction);
        EXPECT_EQ(plan.overshootPoints, c.overshootPoints);
        EXPECT_EQ(plan.expectedPoints, c.expected);
        EXPECT_EQ(plan.pointLimit, c.limit);
        EXPECT_EQ(plan.startAngle, c.startAngle);
        EXPECT_EQ(plan.pointsPerBlock, c.perBlock);
        EXPECT_EQ(plan.blockTimeMs, c.blockMs);
        EXPECT_EQ(plan.bufferSize, 4 * c.perBlock + c.limit + 1);
        // The run's own step: a static run's positions are 45 degrees apart.
        EXPECT_FLOAT_EQ(plan.signedStep, c.shape.direction * (c.shape.dynamic ? 90.0f / c.shape.pointsPerRun : 45.0f));
        EXPECT_EQ(plan.programmedFeedrate, 1000);
    }

    // The counter card polled within the interval draws live only when drawing keeps up.
    Settings ik110 = GaugeSettings(GaugeType::Ik110);
    ik110.MaxGraphUpdate = 5;
    EXPECT_FALSE(MakeCapturePlan(MakeCase({.samplingIntervalMs = 21}), ik110).liveDrawing);
    EXPECT_TRUE(MakeCapturePlan(MakeCase({.samplingIntervalMs = 22}), ik110).liveDrawing);

    // The reading expected on the circle: the bar shorter than the radius needs, or the offset.
    Case c = MakeCase({});
    c.Data.ZeroOffset = 0.2;
    c.Data.TestRadius = 100.5;
    EXPECT_NEAR(MakeCapturePlan(c, ik110).expectedReading, 0.7, 1e-9);
    c.Data.TestRadius = 80;
    EXPECT_NEAR(MakeCapturePlan(c, ik110).expectedReading, 0.2, 1e-9);
}

// A dynamic plan with e = 0.1 mm and the given point limit.
CapturePlan TracePlan(int limit = 1000)
{
    CapturePlan plan;
    plan.expectedReading = 0.1;
    plan.pointLimit = limit;
    plan.bufferSize = limit + 9;
    return plan;
}

TEST(DynamicTrace, TriggersEndsAndLatches)
{
    using Blocks = std::vector<std::vector<float>>;
    const struct {
        const char* what;
        Blocks blocks;
        std::vector<bool> latchBefore; // per block: a latch pending before the trigger
        int limit;
        std::vector<float> run;
        bool triggered, endedByReading, pastLimit;
        double level;
    } cases[] = {
        // The first reading 0.5 sets the level a quarter of the way to 0.1: 0.4.
        {"falls below the level", {{0.5f, 0.45f, 0.39f, 0.38f}, {0.3f, 0.3f}}, {}, 1000,
         {0.39f, 0.38f, 0.3f, 0.3f}, true, false, false, 0.4},
        {"the level comes from the first non-empty block", {{}, {0.5f, 0.41f}, {0.2f}}, {}, 1000, {0.2f}, true, false,
         false, 0.4},
        {"rises above the level", {{0.5f, 0.2f}, {0.3f, 0.41f, 0.3f}}, {}, 1000, {0.2f, 0.3f}, true, true, false, 0.4},
        {"starts and ends in one block", {{0.5f, 0.2f, 0.3f, 0.41f, 0.5f}}, {}, 1000, {0.2f, 0.3f}, true, true, false, 0.4},
        {"a latch starts with the next block", {{0.5f, 0.5f}, {0.5f, 0.5f}}, {false, true}, 1000, {}, true, false, false,
         kLatchedTriggerLevelMm},
        {"after a latched start readings above the old level stay", {{0.5f}, {0.5f}, {0.5f, 0.6f}}, {false, true}, 1000,
         {0.5f, 0.6f}, true, false, false, kLatchedTriggerLevelMm},
        {"never triggered", {{0.5f, 0.45f}, {0.42f}}, {}, 1000, {}, false, false, false, 0.4},
        {"past the point limit", {{0.5f, 0.2f, 0.2f}, {0.2f, 0.2f}}, {}, 3, {0.2f, 0.2f, 0.2f, 0.2f}, true, false, true,
         0.4},
        {"readings no bar gives before the trigger are passed over", {{NAN, 30.0f}, {0.5f, -40.0f, 0.39f}}, {}, 1000,
         {0.39f}, true, false, false, 0.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DynamicTrace trace(TracePlan(c.limit));
        for (std::size_t b = 0; b < c.blocks.size(); ++b) {
            const bool latch = b < c.latchBefore.size() && c.latchBefore[b];
            const std::size_t before = trace.points().size();
            const int added = trace.addBlock(c.blocks[b], latch);
            EXPECT_EQ(before + static_cast<std::size_t>(added), trace.points().size());
        }
        EXPECT_EQ(std::vector<float>(trace.points().begin(), trace.points().end()), c.run);
        EXPECT_EQ(trace.triggered(), c.triggered);
        EXPECT_EQ(trace.endedByReading(), c.endedByReading);
        EXPECT_EQ(trace.pastLimit(), c.pastLimit);
        EXPECT_NEAR(trace.level(), c.level, 1e-6);
    }

    // The QC10's range end: at rest before the trigger it sets the level (0.9995 - 0.25 x 0.8995);
    // within the run it is a fault, above the level the run's end.
    CapturePlan qc10 = TracePlan();
    qc10.readsRangeEnds = true;
    for (const float end : {-1.0004f, 0.9995f}) {
        DynamicTrace trace(qc10);
        trace.addBlock(std::vector<float>{0.9995f, 0.9995f, 0.5f}, false);
        trace.addBlock(std::vector<float>{0.4f, end, 0.3f}, false);
        EXPECT_EQ(std::vector<float>(trace.points().begin(), trace.points().end()), std::vector<float>({0.5f, 0.4f}));
        EXPECT_EQ(std::tuple(trace.outOfRange(), trace.endedByReading(), trace.unreadable()), std::tuple(end < 0, end > 0, false));
        EXPECT_NEAR(trace.level(), 0.774625, 1e-6);
    }

    // The own gauge's run ended on a reading above the level: a feed-out that wavers at the level
    // ends it; a bar back on the circle after it, more than half the way from the level (0.4) to the
    // expected reading (0.1), in the same block or in the stream after it, shows a shifted record.
    CapturePlan own = TracePlan();
    own.recordsShift = true;
    const struct {
        const char* what;
        std::vector<float> block, after;
        bool undone;
    } ends[] = {
        {"a feed-out wavering at the level", {0.5f, 0.2f, 0.3f, 0.41f, 0.39f, 0.42f}, {0.45f, 0.5f}, false},
        {"back on the circle in the block", {0.5f, 0.2f, 0.3f, 0.9f, 0.2f}, {0.5f}, true},
        {"back on the circle after it", {0.5f, 0.2f, 0.3f, 0.9f}, {0.9f, 0.24f}, true},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.what);
        for (const bool shifts : {true, false}) {
            CapturePlan plan = own;
            plan.recordsShift = shifts;
            DynamicTrace trace(plan);
            trace.addBlock(end.block, false);
            trace.checkAfterEnd(end.after);
            EXPECT_EQ(std::vector<float>(trace.points().begin(), trace.points().end()), std::vector<float>({0.2f, 0.3f}));
            EXPECT_EQ(std::tuple(trace.endedByReading(), trace.endUndone()), std::tuple(true, end.undone && shifts));
        }
    }

    // A block larger than the buffer's room never writes past it.
    DynamicTrace small(TracePlan(2));
    const std::vector<float> flood(50, 0.0f);
    small.addBlock(flood, false);
    EXPECT_EQ(small.points().size(), 11u);
    EXPECT_EQ(small.room(), 0);
}

TEST(RunEvaluation, PointLimitsAndFeedrateWarnings)
{
    UnitState units;
    units.LargeFactor = 1;
    units.LargeFormat = QStringLiteral("0");
    units.LargeCaption = QStringLiteral(" mm");
    Case c = MakeCase({}); // expected 110 points, limit 165
    const CapturePlan plan = MakeCapturePlan(c, GaugeSettings(GaugeType::Qc10));
    ASSERT_EQ(plan.expectedPoints, 110);
    const struct {
        int points;
        RunVerdict verdict;
        const char* start;
    } cases[] = {
        {166, RunVerdict::TooManyPoints, "Interrupted measurement - Low feedrate suspected. (Under "},
        {165, RunVerdict::Accepted, nullptr},
        {77, RunVerdict::Accepted, nullptr}, // exactly 0.7 x 110
        {76, RunVerdict::TooFewPoints, "Interrupted measurement - High feedrate suspected. ("},
    };
    // The whole arc, 110 degrees at R 100, in the time that makes 1000 mm/min.
    const double arcMm = 110.0 / 360.0 * 2 * 100 * 3.14159265359;
    const auto onTime = static_cast<qint64>(std::lround(arcMm / 1000.0 * 60000.0));
    for (const auto& k : cases) {
        const RunEvaluation e = EvaluateRun(plan, c.Data, k.points, onTime, units);
        EXPECT_EQ(e.verdict, k.verdict) << k.points;
        if (k.start) {
            ASSERT_EQ(e.messages.size(), 1);
            EXPECT_TRUE(e.messages[0].startsWith(k.start)) << e.messages[0].toStdString();
            EXPECT_TRUE(e.messages[0].endsWith(" mm/min)")) << e.messages[0].toStdString();
        } else {
            EXPECT_TRUE(e.messages.isEmpty());
        }
    }
    // Twice as fast: accepted with a warning.
    const RunEvaluation fast = EvaluateRun(plan, c.Data, 110, onTime / 2, units);
    EXPECT_EQ(fast.verdict, RunVerdict::Accepted);
    ASSERT_EQ(fast.messages.size(), 1);
    EXPECT_TRUE(fast.messages[0].startsWith("Warning:  High feedrate suspected. (")) << fast.messages[0].toStdString();
    EXPECT_NEAR(fast.feedrate, 2000, 2);

    // Exactly at the bounds no warning.
    const struct {
        float measured;
        FeedrateWarning warning;
    } bounds[] = {{115.0f, FeedrateWarning::None}, {115.01f, FeedrateWarning::High}, {85.0f, FeedrateWarning::None},
                  {84.99f, FeedrateWarning::Low}, {100.0f, FeedrateWarning::None}};
    for (const auto& b : bounds)
        EXPECT_EQ(CheckFeedrate(b.measured, 100.0f), b.warning) << b.measured;
    EXPECT_EQ(CheckFeedrate(287.5f, 250.0f), FeedrateWarning::None);

    // A stop within the trigger's millisecond gives a number, not a division by zero.
    EXPECT_TRUE(std::isfinite(MeasuredFeedrate(c.Data, 0)));
    EXPECT_GT(MeasuredFeedrate(c.Data, 0), 0);
}

std::vector<float> Ramp(int n, float from = 0.01f)
{
    std::vector<float> v;
    for (int i = 0; i < n; ++i)
        v.push_back(from + 0.01f * i);
    return v;
}

std::vector<double> Row(const Case& c, int run)
{
    std::vector<double> row;
    for (int j = 0; j < c.Data.RunTargets[static_cast<std::size_t>(run)]; ++j)
        row.push_back(c.Data.Readings(run, j));
    return row;
}

void ExpectRow(const Case& c, int run, const std::vector<double>& expected)
{
    const std::vector<double> row = Row(c, run);
    ASSERT_EQ(row.size(), expected.size()) << "run " << run;
    for (std::size_t j = 0; j < row.size(); ++j)
        EXPECT_NEAR(row[j], expected[j], 1e-6) << "run " << run << " point " << j;
}

TEST(RunStorage, DynamicRunsInRisingAngleWithLeadInScaled)
{
    Settings settings = GaugeSettings(GaugeType::Qc10);
    settings.ScaleFactor = 2;
    const struct {
        const char* what;
        int direction;
        float overshoot;
        int points;
        int leadIn, targets;
    } cases[] = {
        {"no overshoot: every point", 1, 0, 10, 0, 10},
        {"counter-clockwise with lead-in", 1, 10, 11, 1, 9},
        {"clockwise stored reversed", -1, 10, 11, 1, 9},
        // A negative overshoot would ask for more points than came: clamped to the captured ones.
        {"clamped to the captured points", 1, -5, 10, 0, 10},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Case c = MakeCase({.direction = k.direction, .overshoot = k.overshoot, .runCount = 1});
        c.Data.ZeroOffset = 0.1;
        c.Data.MaxTargets = 3;
        const std::vector<float> points = Ramp(k.points);
        ASSERT_TRUE(StoreDynamicRun(c, points, 950, settings));
        EXPECT_EQ(c.Data.RunCount, 2);
        EXPECT_EQ(c.Data.RunFeedrate[2], 950);
        EXPECT_EQ(c.Data.MaxTargets, k.targets);
        EXPECT_DOUBLE_EQ(c.Data.AngleStep, 90.0 / k.targets);
        std::vector<double> expected;
        for (int j = 0; j < k.targets; ++j) {
            const int source = k.direction > 0 ? k.leadIn + j : k.leadIn + k.targets - 1 - j;
            expected.push_back(2.0 * points[static_cast<std::size_t>(source)] - 0.1);
        }
        ExpectRow(c, 2, expected);
    }
}

// Each position stored at the angle it was measured; a whole capture of a full circle, clockwise
// first, reads back from both files in CaptureEndToEnd.AStaticCaptureOfAPressWrittenToEither...
TEST(RunStorage, StaticCaptureGivesTwoRunsClockwiseFirstEachPointAtItsAngle)
{
    Settings settings = GaugeSettings(GaugeType::Qc10);
    for (const auto& [stop, positions] : {std::pair{90, 3}, std::pair{360, 8}}) {
        for (int direction : {1, -1}) {
            SCOPED_TRACE(testing::Message() << "0 to " << stop << ", direction " << direction);
            const std::vector<float> points = Ramp(2 * positions); // each position twice in a row
            Case c = MakeCase({.dynamic = false, .direction = direction, .stop = stop, .overshoot = 0,
                               .pointsPerRun = 2 * positions});
            ASSERT_TRUE(StoreStaticRuns(c, MakeCapturePlan(c, settings), points, settings));
            EXPECT_EQ(std::tuple(c.Data.RunCount, c.Data.RunDirection[1], c.Data.RunDirection[2], c.Data.MaxTargets),
                      std::tuple(2, -1, 1, positions));
            // Clockwise from the end of the arc, which on a full circle is the start again.
            std::vector<double> first(positions), second(positions);
            for (int k = 0; k < positions; ++k) {
                const auto at = std::size_t((direction > 0 ? 45 * k : stop - 45 * k) / 45 % positions);
                std::tie(first[at], second[at]) = std::tuple(points[std::size_t(2 * k)], points[std::size_t(2 * k + 1)]);
            }
            ExpectRow(c, 1, first);
            ExpectRow(c, 2, second);
        }
    }
}

TEST(RunStorage, NeverBeyondFiveRunsAndNothingHalfStored)
{
    const Settings settings = GaugeSettings(GaugeType::Qc10);
    const std::vector<float> points = Ramp(6);
    const struct {
        bool dynamic;
        int runCount;
        bool room;
    } cases[] = {{true, 4, true}, {true, 5, false}, {false, 3, true}, {false, 4, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << (k.dynamic ? "dynamic" : "static") << " after " << k.runCount);
        Case c = MakeCase({.dynamic = k.dynamic, .overshoot = 0, .pointsPerRun = 6, .runCount = k.runCount});
        for (int j = 0; j < 6; ++j)
            c.Data.Readings(5, j) = 7.0;
        c.Data.RunTargets[5] = 6;
        const CapturePlan plan = MakeCapturePlan(c, settings);
        EXPECT_EQ(HasRoomForCapture(plan, c.Data), k.room);
        const bool stored =
            k.dynamic ? StoreDynamicRun(c, points, 1000, settings) : StoreStaticRuns(c, plan, points, settings);
        EXPECT_EQ(stored, k.room);
        EXPECT_EQ(c.Data.RunCount, k.room ? 5 : k.runCount);
        if (!k.room)
            ExpectRow(c, 5, std::vector<double>(6, 7.0)); // run 5 kept
    }
}

TEST(CaptureTarget, TicksRingAndClampedTrace)
{
    const struct {
        bool inch;
        GaugeType gauge;
        double tickMm;
        const char* caption;
    } ticks[] = {
        {false, GaugeType::Qc10, 0.05, "50 µm"},     {false, GaugeType::OwnGauge, 0.05, "50 µm"},
        {false, GaugeType::Ik110, 0.2, "200 µm"},    {false, GaugeType::Ik121, 0.2, "200 µm"},
        {true, GaugeType::Qc10, 0.0508, "0.002 in"}, {true, GaugeType::Ik121, 0.254, "0.01 in"},
    };
    for (const auto& t : ticks) {
        Settings settings = GaugeSettings(t.gauge);
        settings.UnitsInch = t.inch;
        UnitState units;
        units.LargeFactor = t.inch ? 1 / 25.4 : 1;
        CaseData data;
        data.TestRadius = 50;
        data.BallBarLength = 100; // radius well inside the bar: the ring stays 3 ticks
        const TargetGeometry g = MakeTargetGeometry(400, 300, settings, units, data);
        EXPECT_NEAR(g.tickMm, t.tickMm, 1e-9) << t.caption;
        EXPECT_EQ(g.tickCaption, QString::fromUtf8(t.caption));
        EXPECT_EQ(g.cx, 200);
        EXPECT_EQ(g.cy, 150);
        EXPECT_NEAR(g.scale, 300 / (10.5 * t.tickMm), 1e-6);
        EXPECT_NEAR(g.ring, 3 * t.tickMm, 1e-9);
    }

    // The bar as long as the radius: the reading expected on the circle lands on the ring.
    Settings settings = GaugeSettings(GaugeType::Qc10);
    UnitState units;
    units.LargeFactor = 1;
    CaseData data;
    data.TestRadius = 100.2;
    data.BallBarLength = 100;
    data.ZeroOffset = 0.05;
    const TargetGeometry g = MakeTargetGeometry(210, 210, settings, units, data);
    const double onCircle = data.TestRadius - data.BallBarLength + data.ZeroOffset;
    EXPECT_NEAR((g.ring + onCircle) * g.scale, g.referenceRing * g.scale, 1e-6);
    EXPECT_EQ(TracePoint(g, onCircle, 0), QPoint(g.cx + 60, g.cy)); // 3 ticks of 20 px
    EXPECT_EQ(TracePoint(g, onCircle, 90), QPoint(g.cx, g.cy - 60));
    EXPECT_EQ(TracePoint(g, onCircle, 450), TracePoint(g, onCircle, 90));
    EXPECT_EQ(TracePoint(g, onCircle, -90), QPoint(g.cx, g.cy + 60));
    // Far out: half the height; far in: a tenth and a half.
    EXPECT_EQ(TracePoint(g, 5.0, 180), QPoint(g.cx - 105, g.cy));
    EXPECT_EQ(TracePoint(g, -5.0, 0), QPoint(g.cx + 20, g.cy));

    // Left, right, top, bottom: "xz" has its minus at the top.
    for (const auto& [plane, ends] : {std::pair{"xy", "x-x+y+y-"}, {"yz", "y-y+z+z-"}, {"xz", "x-x+z-z+"}}) {
        const AxisLabels labels = TargetAxisLabels(QString::fromLatin1(plane));
        EXPECT_EQ(labels.left + labels.right + labels.top + labels.bottom, ends);
    }
}

} // namespace
} // namespace sarvo::gauge
