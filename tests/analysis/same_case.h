#pragma once
// Whether two cases hold bit for bit the same readings and analysis results: what an analysis
// that stopped must leave behind.

#include "core/case.h"

#include <gtest/gtest.h>

#include <cstring>

namespace sarvo::test {

template <class T>
bool SameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

inline ::testing::AssertionResult SameAnalysis(const Case& a, const Case& b)
{
    const AnalysisResults& x = a.Results;
    const AnalysisResults& y = b.Results;
    for (int r = 0; r < kRunSlots; ++r)
        for (int j = 0; j < kPointSlots; ++j)
            if (!SameBytes(a.Data.Readings(r, j), b.Data.Readings(r, j)))
                return ::testing::AssertionFailure() << "the readings differ at run " << r << ", point " << j;
    // Every record below is a packed record or holds doubles and int16 without padding.
    const bool same = SameBytes(x.ErrorValues, y.ErrorValues) && SameBytes(x.ErrorReliability, y.ErrorReliability)
        && SameBytes(x.LscResult, y.LscResult) && SameBytes(x.MzcResult, y.MzcResult) && SameBytes(x.Iso, y.Iso)
        && x.ProfileH == y.ProfileH && x.ProfileV == y.ProfileV && SameBytes(x.Spectrum, y.Spectrum)
        && SameBytes(x.AnalysisCurve, y.AnalysisCurve) && x.AnalysisCurveDir == y.AnalysisCurveDir
        && x.AnalysisCurveCount == y.AnalysisCurveCount && x.AnalysisStep == y.AnalysisStep
        && SameBytes(x.InfluenceValue, y.InfluenceValue) && x.InfluenceOrder == y.InfluenceOrder
        && x.InfluenceName == y.InfluenceName && x.ResultsValid == y.ResultsValid;
    if (!same)
        return ::testing::AssertionFailure() << "the analysis results differ";
    return ::testing::AssertionSuccess();
}

} // namespace sarvo::test
