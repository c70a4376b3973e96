#include "core/case.h"

namespace sarvo {

void CaseData::clearRuns()
{
    Readings.clear();
    RunDirection = {};
    RunTargets = {};
    MachineTemp = {};
    GaugeTemp = {};
    RunFeedrate = {};
    RunCount = 0;
    MaxTargets = 0;
}

} // namespace sarvo
