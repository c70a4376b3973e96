#pragma once
// Ranking of the error influences for the Pareto chart of the results window: twenty comparable
// magnitudes (µm at the test radius), their order largest first and their translated names.

#include "core/case.h"
#include "core/outcome.h"

namespace sarvo {

// Fault codes of the ranking, the index of InfluenceValue and InfluenceName.
enum InfluenceCode : int {
    InfBackH0 = 0, InfBackV0, InfBackH1, InfBackV1, InfPlayH, InfPlayV, InfScaleH, InfScaleV,
    InfCyclicH, InfCyclicV, InfServo, InfSlipH, InfSlipV, InfSpikeH, InfSpikeV, InfSquareness,
    InfStraightH, InfStraightV, InfRandom, InfPolar,
    kInfluenceCodes
};

// Fills InfluenceValue (by code), InfluenceOrder (codes largest first; equal magnitudes keep the
// order of an exchange sort, which is not a stable sort) and InfluenceName (by code: the
// translated term followed by the plane's axis letter). A failure is returned at
// "Formulae(SetInfluence)"; the magnitudes written so far stay.
Outcome SetInfluence(Case& c);

} // namespace sarvo
