#pragma once
// Cases whose runs are the model traces of known machine errors, as the computation library
// synthesises them, for the round trips of the error-model fit.

#include "analysis/circle_fit.h"
#include "analysis/error_model.h"
#include "analysis/measurement.h"
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"
#include "core/progress.h"
#include "tests/analysis/analysis_test_util.h"

#include <vector>

namespace sarvo::test {

struct TraceSetup {
    bool dynamic = true;
    int start = 0;
    int sweep = 360;
    double radius = 150;     // mm
    double feedrate = 1000;  // mm/min
    std::vector<int> directions = {1, -1};
};

// A scale error of s µm/m at radius R, in the units the trace synthesis takes (0.0005 mm each).
inline double TraceScale(double s, double radius)
{
    return s * radius / 500.0;
}

// One run per direction listed, one point per whole degree (static: every 45 degrees, the end of
// a partial arc included), each
// the trace of its direction: the library's curve 1 is the counter-clockwise pass, curve 0 the
// clockwise one. The axis profiles are c^2 and s^2 scaled so that the traces' straightness is
// the fit's signature in µm. Uncalibrated, at the base temperature, bar length = test radius.
inline Case TraceCase(const ErrorParams& p, const TraceSetup& t)
{
    AnalysisCurveTable traces;
    const std::array<float, 6> profile = {0, 0, 100, 0, 0, 0};
    const int step = t.dynamic ? 1 : 45;
    KelvoxCalcDBB(traces.degreeZero(), t.dynamic ? 1 : 0, t.radius, t.feedrate, &p, CosTabZero(), SinTabZero(),
                  t.start, t.start + t.sweep + 1, step, profile.data(), profile.data());
    Case c;
    CaseData& d = c.Data;
    d.Dynamic = t.dynamic;
    d.StartAngle = static_cast<int16_t>(t.start);
    d.SweepAngle = static_cast<int16_t>(t.sweep);
    d.StopAngle = static_cast<int16_t>(t.start + t.sweep);
    d.AngleStep = step;
    d.TestRadius = t.radius;
    d.BallBarLength = static_cast<float>(t.radius);
    d.MaxTargets = static_cast<int16_t>(t.dynamic ? t.sweep : StaticRunPoints(t.sweep));
    d.RunCount = static_cast<int16_t>(t.directions.size());
    c.Header[HdrFeedrate] = QString::number(t.feedrate);
    c.Header[HdrPlane] = QStringLiteral("xy");
    for (int r = 1; r <= d.RunCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        d.RunDirection[i] = static_cast<int16_t>(t.directions[i - 1]);
        d.RunTargets[i] = d.MaxTargets;
        d.GaugeTemp[i] = d.MachineTemp[i] = 20;
        for (int j = 0; j < d.MaxTargets; ++j)
            d.Readings(r, j) = traces(d.RunDirection[i] == 1 ? 1 : 0, t.start + j * step);
    }
    return c;
}

inline Settings FitSettings()
{
    Settings s = BaseSettings();
    s.ReliabilitySetting = 5;
    return s;
}

// The analysis chain after a read, then the fit; true when its results are valid.
inline bool AnalyseAndFit(Case& c, Progress& progress, const Settings& s = FitSettings())
{
    CalcLSC(c, s);
    Reporter report;
    CalcMeasurement(c, report.failures);
    report(CalcErrors(c, s, progress, report.failures));
    return c.Results.ResultsValid;
}

inline bool AnalyseAndFit(Case& c, const Settings& s = FitSettings())
{
    NoProgress none;
    return AnalyseAndFit(c, none, s);
}

} // namespace sarvo::test
