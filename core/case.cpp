#include "core/case.h"

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

} // namespace sarvo
