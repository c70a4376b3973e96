#include "gauge/capture.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/utilities.h"
#include "gauge/device.h"
#include "gauge/qc10_codec.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sarvo::gauge {

int RoundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    // The default rounding mode rounds halves to even; the clamp keeps the conversion defined.
    return static_cast<int>(std::clamp(std::nearbyint(value), double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

CapturePlan MakeCapturePlan(const Case& openCase, const Settings& settings)
{
    const CaseData& data = openCase.Data;
    CapturePlan plan;
    plan.dynamic = data.Dynamic;
    plan.run = data.RunCount + 1;
    const int16_t direction = plan.run < kRunSlots ? data.RunDirection[static_cast<std::size_t>(plan.run)] : 1;
    plan.direction = direction < 0 ? -1 : 1;
    // The run's own step: the case's step is that of the runs it holds.
    const double runStep = !plan.dynamic ? double(kStaticStepDeg)
                           : data.PointsPerRun > 0 ? double(data.SweepAngle) / data.PointsPerRun
                                                   : data.AngleStep;
    plan.signedStep = static_cast<float>(plan.direction * runStep);
    plan.pointsPerRun = data.PointsPerRun;
    plan.overshootPoints =
        data.SweepAngle != 0 ? RoundToInt(data.OvershootAngle / data.SweepAngle * data.PointsPerRun) : 0;
    plan.expectedPoints = 2 * plan.overshootPoints + plan.pointsPerRun;
    plan.pointLimit = RoundToInt(1.5 * plan.expectedPoints);
    plan.programmedFeedrate = static_cast<float>(StrToDbl(openCase.Header[HdrFeedrate]));
    plan.startAngle = plan.direction > 0 ? RoundToInt(data.StartAngle - data.OvershootAngle)
                                         : RoundToInt(data.StopAngle + data.OvershootAngle);
    plan.samplingIntervalMs = std::max(1, data.SamplingInterval);
    if (plan.dynamic) {
        plan.pointsPerBlock = data.SamplingInterval < 128 ? RoundToInt(256.0 / plan.samplingIntervalMs) : 2;
        plan.blockTimeMs = settings.BallBarType == static_cast<int16_t>(GaugeType::Qc10)
                               ? 256
                               : plan.pointsPerBlock * plan.samplingIntervalMs;
    } else {
        plan.pointsPerBlock = 4;
    }
    plan.bufferSize = 4 * plan.pointsPerBlock + plan.pointLimit + 1;
    // The rate the run set-up chose, kept more exactly than the whole interval.
    plan.samplingRateHz = data.SetupSamplingRate > 0 ? data.SetupSamplingRate : 1000.0 / plan.samplingIntervalMs;
    plan.liveDrawing = !(settings.BallBarType == static_cast<int16_t>(GaugeType::Ik110) &&
                         data.SamplingInterval < 4 * settings.MaxGraphUpdate + 2);
    plan.expectedReading = 0.9 * data.BallBarLength <= data.TestRadius
                               ? data.TestRadius - data.BallBarLength + data.ZeroOffset
                               : data.ZeroOffset;
    plan.nominalReading = data.ZeroOffset;
    plan.readsRangeEnds = settings.BallBarType == static_cast<int16_t>(GaugeType::Qc10);
    plan.recordsShift = settings.BallBarType == static_cast<int16_t>(GaugeType::OwnGauge);
    return plan;
}

bool ReadingPlausible(const CapturePlan& plan, double mm)
{
    return std::isfinite(mm) &&
           (std::fabs(mm - plan.expectedReading) <= kPlausibleSpanMm ||
            std::fabs(mm - plan.nominalReading) <= kPlausibleSpanMm);
}

QString UnreadableMessage()
{
    return Translate(QStringLiteral("The gauge sent an unreadable reading."));
}

QString MovedWhileMeasuredMessage()
{
    return Translate(QStringLiteral("The gauge's reading moved while it was measured."));
}

int TriggerWaitLimitMs(const CapturePlan& plan)
{
    const double msPerPoint = plan.samplingRateHz > 0 ? 1000.0 / plan.samplingRateHz : plan.samplingIntervalMs;
    const double limit = (3.0 * plan.expectedPoints + plan.overshootPoints) * msPerPoint;
    return std::max(kTriggerWaitFloorMs, RoundToInt(std::min(limit, 24.0 * 3600 * 1000)));
}

QString NoTriggerMessage(int limitMs)
{
    return Translate(QStringLiteral("The run did not start in time.")) + QStringLiteral(" (") +
           QString::number((limitMs + 999) / 1000) + QStringLiteral(" s)");
}

bool HasRoomForCapture(const CapturePlan& plan, const CaseData& data)
{
    return data.RunCount + (plan.dynamic ? 1 : 2) <= kMaxCapturedRuns;
}

QString NoRoomMessage()
{
    return Translate(QStringLiteral("The case holds the most runs it can. Save it and start a new one."));
}

DynamicTrace::DynamicTrace(const CapturePlan& plan) : plan_(plan)
{
    points_.reserve(static_cast<std::size_t>(plan.bufferSize));
}

int DynamicTrace::room() const
{
    return std::max(0, plan_.bufferSize - static_cast<int>(points_.size()));
}

int DynamicTrace::addBlock(std::span<const float> block, bool latchPending)
{
    const std::size_t before = points_.size();
    const std::size_t fits = static_cast<std::size_t>(room());
    if (block.size() > fits)
        block = block.first(fits);
    if (!triggered_) {
        // The run begins at the first reading below the level; the rest of the block is judged as
        // every later one, so a block that holds both the run's start and its end (a long block at a
        // slow rate) stores no reading from after the end.
        const auto below = std::find_if(block.begin(), block.end(), [&](float v) {
            if (!ReadingPlausible(plan_, v))
                return false;
            if (!levelSet_) {
                level_ = v - 0.25 * (v - plan_.expectedReading);
                levelSet_ = true;
            }
            return v < level_;
        });
        triggered_ = below != block.end() || latchPending; // latched: none of this block's readings
        block = block.subspan(static_cast<std::size_t>(below - block.begin()));
        if (triggered_ && latchPending)
            level_ = kLatchedTriggerLevelMm;
    }
    if (!triggered_)
        return 0;
    for (auto it = block.begin(); it != block.end(); ++it) {
        const float reading = *it;
        if (!ReadingPlausible(plan_, reading)) {
            unreadable_ = true;
            break;
        }
        const bool atRangeEnd = plan_.readsRangeEnds && qc10::AtRangeEnd(RoundToInt(reading * 1e4));
        if (reading > level_) {
            endedByReading_ = true; // the end of the range too, where the run has left the circle
            endedAtRangeEnd_ = atRangeEnd;
            afterEnd_.assign(it + 1, block.end());
            break;
        }
        if (atRangeEnd) {
            outOfRange_ = true;
            break;
        }
        points_.push_back(reading);
    }
    return static_cast<int>(points_.size() - before);
}

void DynamicTrace::checkAfterEnd(std::span<const float> after)
{
    const auto backBelow = [&](double mark) {
        const auto below = [&](float v) { return ReadingPlausible(plan_, v) && v <= mark; };
        return std::any_of(afterEnd_.begin(), afterEnd_.end(), below) || std::any_of(after.begin(), after.end(), below);
    };
    outOfRange_ = outOfRange_ || (endedAtRangeEnd_ && backBelow(level_));
    endUndone_ = endUndone_ || (plan_.recordsShift && endedByReading_ && !endedAtRangeEnd_ && level_ > plan_.expectedReading &&
                                backBelow((level_ + plan_.expectedReading) / 2));
}

double FastestFeedrate(const CapturePlan& plan)
{
    const double programmed = plan.programmedFeedrate;
    return std::isfinite(programmed) && programmed > 0 ? programmed * 10.0 / kFewestPointsTenths : 0.0;
}

float MeasuredFeedrate(const CaseData& data, qint64 elapsedMs)
{
    const double arcMm = (2.0 * data.OvershootAngle + data.SweepAngle) / 360.0 * 2.0 * data.TestRadius * kPi12;
    return static_cast<float>(arcMm / static_cast<double>(std::max<qint64>(elapsedMs, 1)) * 1000.0 * 60.0);
}

FeedrateWarning CheckFeedrate(float measured, float programmed)
{
    // In hundredths, where a float times a small whole number is exact: equality never warns.
    const double hundredths = 100.0 * measured;
    if (hundredths > 115.0 * programmed)
        return FeedrateWarning::High;
    if (hundredths < 85.0 * programmed)
        return FeedrateWarning::Low;
    return FeedrateWarning::None;
}

namespace {

QString FeedrateText(float feedrate, const UnitState& units)
{
    return FormatNumber(feedrate * units.LargeFactor, units.LargeFormat) + units.LargeCaption + QStringLiteral("/min");
}

} // namespace

RunEvaluation EvaluateRun(const CapturePlan& plan, const CaseData& data, int points, qint64 elapsedMs,
                          const UnitState& units)
{
    RunEvaluation evaluation;
    const QString interrupted = Translate(QStringLiteral("Interrupted measurement")) + QStringLiteral(" - ");
    const QString low = Translate(QStringLiteral("Low feedrate suspected."));
    const QString high = Translate(QStringLiteral("High feedrate suspected."));
    if (plan.dynamic)
        evaluation.feedrate = MeasuredFeedrate(data, elapsedMs);
    const QString shown = FeedrateText(evaluation.feedrate, units);
    if (points > plan.pointLimit) {
        evaluation.verdict = RunVerdict::TooManyPoints;
        QString message = interrupted + low;
        if (plan.dynamic)
            message += QStringLiteral(" (") + Translate(QStringLiteral("Under")) + QStringLiteral(" ") + shown +
                       QStringLiteral(")");
        evaluation.messages << message;
        return evaluation;
    }
    if (!plan.dynamic)
        return evaluation;
    if (10 * points < kFewestPointsTenths * plan.expectedPoints) { // in whole numbers
        evaluation.verdict = RunVerdict::TooFewPoints;
        evaluation.messages << interrupted + high + QStringLiteral(" (") + shown + QStringLiteral(")");
        return evaluation;
    }
    const QString warning = Translate(QStringLiteral("Warning")) + QStringLiteral(":  ");
    switch (CheckFeedrate(evaluation.feedrate, plan.programmedFeedrate)) {
    case FeedrateWarning::High:
        evaluation.messages << warning + high + QStringLiteral(" (") + shown + QStringLiteral(")");
        break;
    case FeedrateWarning::Low:
        evaluation.messages << warning + low + QStringLiteral(" (") + shown + QStringLiteral(")");
        break;
    case FeedrateWarning::None:
        break;
    }
    return evaluation;
}

namespace {

// Scales a stored run in place and keeps the widest run's count.
void FinishRun(CaseData& data, int run, const Settings& settings)
{
    const int targets = data.RunTargets[static_cast<std::size_t>(run)];
    for (int j = 0; j < targets; ++j)
        data.Readings(run, j) = settings.ScaleFactor * data.Readings(run, j) - data.ZeroOffset;
    data.MaxTargets = std::max<int16_t>(data.MaxTargets, static_cast<int16_t>(targets));
}

} // namespace

void SettleCapturedRuns(Case& openCase)
{
    CaseData& data = openCase.Data;
    data.AngleStep = data.StepOfRuns();
    SetHeldPointsHeader(openCase);
}

bool StoreDynamicRun(Case& openCase, std::span<const float> points, float feedrate, const Settings& settings)
{
    CaseData& data = openCase.Data;
    if (data.RunCount + 1 > kMaxCapturedRuns)
        return false;
    const int p = static_cast<int>(points.size());
    const double arc = 2.0 * data.OvershootAngle + data.SweepAngle;
    const int swept = std::clamp(arc > 0 ? RoundToInt(data.SweepAngle / arc * p) : p, 0, std::min(p, kPointSlots));
    // The lead-in never pushes the run's points past the captured ones.
    const int leadIn = std::clamp(arc > 0 ? RoundToInt(data.OvershootAngle / arc * p) : 0, 0, p - swept);
    // At most "Maximum points", thinned as a file of the run would be on reading: the case
    // analysed, stored, written and read back is one case.
    const Thinning thinning = ThinSamples(swept, RunPointLimit(settings.MaxPoints));
    const int targets = static_cast<int>(thinning.points);
    if (targets < 1)
        return false;
    const auto thinnedPoint = [&](int j) {
        double sum = 0;
        for (int64_t k = 0; k < thinning.factor; ++k)
            sum += points[static_cast<std::size_t>(leadIn + j * thinning.factor + k)];
        return sum / static_cast<double>(thinning.factor);
    };
    Case stored = openCase; // committed whole, or not at all
    CaseData& into = stored.Data;
    // The runs grow from the readings as captured, not from an analysis of the earlier ones.
    into.restoreReadingsAsRead();
    const int run = into.RunCount + 1;
    into.RunCount = static_cast<int16_t>(run);
    into.RunFeedrate[static_cast<std::size_t>(run)] = feedrate;
    into.RunTargets[static_cast<std::size_t>(run)] = static_cast<int16_t>(targets);
    const bool counterClockwise = into.RunDirection[static_cast<std::size_t>(run)] == 1;
    for (int j = 0; j < targets; ++j)
        into.Readings(run, counterClockwise ? j : targets - 1 - j) = thinnedPoint(j);
    FinishRun(into, run, settings);
    SettleCapturedRuns(stored);
    openCase = std::move(stored);
    return true;
}

bool StoreStaticRuns(Case& openCase, const CapturePlan& plan, std::span<const float> points, const Settings& settings)
{
    CaseData& data = openCase.Data;
    const int targets = RoundToInt(plan.pointsPerRun / 2.0);
    if (data.RunCount + 2 > kMaxCapturedRuns || static_cast<int>(points.size()) < 2 * targets)
        return false;
    Case stored = openCase;
    CaseData& into = stored.Data;
    into.restoreReadingsAsRead();
    for (int m = 0; m < 2; ++m) {
        const int run = into.RunCount + 1;
        into.RunCount = static_cast<int16_t>(run);
        into.RunDirection[static_cast<std::size_t>(run)] = static_cast<int16_t>(2 * m - 1);
        into.RunTargets[static_cast<std::size_t>(run)] = static_cast<int16_t>(targets);
        // Each position where it was measured: the k-th reached holds readings 2k and 2k + 1.
        for (int k = 0; k < targets; ++k)
            into.Readings(run, StaticPointIndex(into.SweepAngle, plan.direction, k)) =
                points[static_cast<std::size_t>(2 * k + m)];
        FinishRun(into, run, settings);
    }
    SettleCapturedRuns(stored);
    openCase = std::move(stored);
    return true;
}

TargetGeometry MakeTargetGeometry(int width, int height, const Settings& settings, const UnitState& units,
                                  const CaseData& data)
{
    TargetGeometry target;
    const bool fineGauge = settings.BallBarType == static_cast<int16_t>(GaugeType::Qc10) ||
                           settings.BallBarType == static_cast<int16_t>(GaugeType::OwnGauge);
    const double largeFactor = units.LargeFactor != 0 ? units.LargeFactor : 1.0;
    if (settings.UnitsInch) {
        target.tickMm = (fineGauge ? 0.002 : 0.01) / largeFactor;
        target.tickCaption = fineGauge ? QStringLiteral("0.002 in") : QStringLiteral("0.01 in");
    } else {
        target.tickMm = fineGauge ? 0.05 : 0.2;
        target.tickCaption = Translate(fineGauge ? QStringLiteral("50 µm") : QStringLiteral("200 µm"));
    }
    target.cx = RoundToInt(width / 2.0);
    target.cy = RoundToInt(height / 2.0);
    target.scale = std::min(width, height) / (10.5 * target.tickMm);
    target.referenceRing = 3 * target.tickMm;
    target.ring = target.referenceRing;
    if (0.9 * data.BallBarLength < data.TestRadius)
        target.ring = data.BallBarLength + target.ring - data.TestRadius - data.ZeroOffset;
    target.minRadius = height / 10.5;
    target.maxRadius = height / 2.0;
    return target;
}

QPoint TracePoint(const TargetGeometry& target, double readingMm, int angleDeg)
{
    const double radius = std::max(std::min((target.ring + readingMm) * target.scale, target.maxRadius), target.minRadius);
    const double angle = (angleDeg % 360) * kPi12 / 180.0;
    return {RoundToInt(radius * std::cos(angle) + target.cx), RoundToInt(target.cy - radius * std::sin(angle))};
}

AxisLabels TargetAxisLabels(const QString& plane)
{
    const QString horizontal = plane.left(1);
    const QString vertical = plane.right(1);
    const bool swapped = plane == QStringLiteral("xz");
    return {horizontal + u'-', horizontal + u'+', vertical + (swapped ? u'-' : u'+'),
            vertical + (swapped ? u'+' : u'-')};
}

int TraceAngle(const CapturePlan& plan, int point)
{
    const int steps = plan.dynamic ? point : point / 2;
    return RoundToInt(plan.startAngle + steps * static_cast<double>(plan.signedStep));
}

bool IsOvershootPoint(const CapturePlan& plan, int pointsStored)
{
    return pointsStored <= plan.overshootPoints || pointsStored > plan.overshootPoints + plan.pointsPerRun;
}

} // namespace sarvo::gauge
