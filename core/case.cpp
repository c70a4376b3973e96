#include "core/case.h"

#include "core/number_format.h"
#include "core/pi.h"
#include "core/utilities.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace sarvo {

int StaticRunPoints(int sweepAngle)
{
    if (sweepAngle <= 0)
        return 0;
    if (sweepAngle < 360)
        return sweepAngle / kStaticStepDeg + 1;
    return (sweepAngle + kStaticStepDeg - 1) / kStaticStepDeg;
}

double PointAngleDeg(const PointArc& arc, int n, int j)
{
    if (!arc.dynamic)
        return arc.startAngle + static_cast<double>(j) * kStaticStepDeg;
    return arc.startAngle + static_cast<double>(j) * arc.sweepAngle / n;
}

int StaticPointIndex(int sweepAngle, int direction, int k)
{
    const int points = StaticRunPoints(sweepAngle);
    if (direction > 0 || points <= 0)
        return k;
    const int index = sweepAngle / kStaticStepDeg - k;
    return ((index % points) + points) % points;
}

double RunStopAngle(double startDeg, double stopDeg)
{
    return stopDeg <= startDeg ? stopDeg + 360 : stopDeg;
}

Thinning ThinSamples(int64_t samples, int maxPoints)
{
    Thinning t;
    const int64_t limit = std::max(1, maxPoints);
    if (samples > limit)
        t.factor = samples / limit + 1;
    t.points = samples / t.factor;
    return t;
}

int RunPointLimit(int maxPoints)
{
    return std::clamp(maxPoints, 1, kMaxPointIndex);
}

QString PointSamplingRateText(const CaseData& d, double feedrate, int64_t points)
{
    const double arc = (double(d.SweepAngle) / 360.0) * 2.0 * kPi12 * d.TestRadius; // mm
    const double seconds = arc / (feedrate / 60.0);
    const double rate = double(points) / seconds;
    if (!(feedrate > 0.0) || !(seconds > 0.0) || !std::isfinite(rate))
        return {};
    return FormatNumber(rate, QStringLiteral("###0.0###"), QLocale::c());
}

void SetHeldPointsHeader(Case& c)
{
    const CaseData& d = c.Data;
    c.Header[HdrMaxTargets] = QString::number(d.MaxTargets);
    if (!d.Dynamic || d.RunCount < 1)
        return;
    const QString rate = PointSamplingRateText(d, StrToDbl(c.Header[HdrFeedrate]), d.MaxTargets);
    if (!rate.isEmpty())
        c.Header[HdrSampling] = rate;
}

double CaseData::StepOfRuns() const
{
    if (!Dynamic)
        return kStaticStepDeg;
    return MaxTargets > 0 ? double(SweepAngle) / double(MaxTargets) : 0.0;
}

void CaseData::restoreReadingsAsRead()
{
    if (ReadingsAsRead)
        Readings = *ReadingsAsRead;
    ReadingsAsRead.reset();
}

void CaseData::keepReadingsAsRead()
{
    ReadingsAsRead = std::make_shared<const ReadingsTable>(Readings);
}

void CaseData::clearRuns()
{
    Readings.clear();
    ReadingsAsRead.reset();
    RunDirection = {};
    RunTargets = {};
    MachineTemp = {};
    GaugeTemp = {};
    RunFeedrate = {};
    RunCount = 0;
    MaxTargets = 0;
    MeasuredFeedrateAverage = 0;
}

bool CaseData::FeedrateMeasured() const
{
    if (MeasuredFeedrateAverage != 0)
        return true;
    const int runs = std::clamp<int>(RunCount, 0, kRunSlots - 1);
    for (int run = 1; run <= runs; ++run) {
        if (RunFeedrate[std::size_t(run)] != 0)
            return true;
    }
    return false;
}

void ClearCaseForNextMeasurement(Case& c)
{
    // What the case-information dialog wrote, and the measurement window's lookup of the length.
    static constexpr HeaderSlot kCaseInformation[] = {HdrCustomer, HdrMachine, HdrName, HdrBy, HdrDate, HdrLength};
    Case next;
    for (const HeaderSlot slot : kCaseInformation)
        next.Header[slot] = c.Header[slot];
    next.Data.TestDate = c.Data.TestDate;
    next.Data.BallBarLength = c.Data.BallBarLength;
    next.Data.ZeroOffset = c.Data.ZeroOffset;
    next.Data.Calibrated = c.Data.Calibrated;
    c = std::move(next);
}

} // namespace sarvo
