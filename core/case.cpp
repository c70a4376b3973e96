#include "core/case.h"

#include <algorithm>

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
