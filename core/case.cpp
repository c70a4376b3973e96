#include "core/case.h"

#include <algorithm>

namespace sarvo {

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

} // namespace sarvo
