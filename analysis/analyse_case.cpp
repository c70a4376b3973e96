#include "analysis/analyse_case.h"

#include "analysis/circle_fit.h"
#include "analysis/error_model.h"
#include "analysis/influence.h"
#include "analysis/kelvox_binding.h"
#include "analysis/measurement.h"
#include "analysis/run_geometry.h"
#include "analysis/trig_tables.h"
#include "analysis/vibration.h"
#include "core/utilities.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace sarvo {

namespace {

// The part of the caller's meter one step fills: its own 0..100 become from..to.
class StepProgress : public Progress {
public:
    StepProgress(Progress& outer, int from, int to) : outer_(outer), from_(from), to_(to) {}
    void setPercent(int percent) override { outer_.setPercent(from_ + (to_ - from_) * percent / 100); }
    bool cancelRequested() const override { return outer_.cancelRequested(); }

private:
    Progress& outer_;
    int from_;
    int to_;
};

// The record the stored traces are computed from: the stored parameters as the library wants
// them.
ErrorParams TraceParams(const Case& c)
{
    const ErrorParams& e = c.Results.ErrorValues;
    ErrorParams w = e;
    if (c.Header[HdrPlane] == QLatin1String("xz")) {
        w.StraightH = -e.StraightH;
        w.Back90 = e.Back270;
        w.Back270 = e.Back90;
        w.PlayH = -e.PlayH;
        w.PlayV = -e.PlayV;
    }
    w.CentreH = 0;
    w.CentreV = 0;
    w.ScaleH = (e.ScaleH - e.ScaleV) * c.Results.LscResult.Radius / 1000;
    w.ScaleV = -w.ScaleH;
    w.Random = 0;
    w.PolarVibration = 0;
    return w;
}

void ComputeStoredTraces(Case& c, StepFailures& failures)
{
    const CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    const ErrorParams working = TraceParams(c);
    if (d.Dynamic)
        failures.add(CalcSpectrum(c, failures));
    else
        res.Spectrum.fill(0);
    res.AnalysisCurve.clear();
    KelvoxCalcDBB(res.AnalysisCurve.degreeZero(), d.Dynamic ? -1 : 0, d.TestRadius,
                  LeadingNumber(c.Header[HdrFeedrate]), &working, CosTabZero(), SinTabZero(), d.StartAngle,
                  int32_t(d.StopAngle) + 1, res.AnalysisStep, res.ProfileH.data(), res.ProfileV.data());
    res.AnalysisCurveCount = 2;
    res.AnalysisCurveDir[1] = -1;
    res.AnalysisCurveDir[2] = 1;
}

// The copy the steps work on. Its readings table is half a megabyte: a copy into the one kept
// from the last analysis on this thread reuses its memory instead of faulting in fresh pages. An
// analysis started while another runs (from an event the progress lets through) gets its own.
class WorkingCopy {
public:
    explicit WorkingCopy(const Case& c) : owner_(!kept().busy)
    {
        if (owner_) {
            kept().work = c;
            kept().busy = true;
        } else {
            own_.emplace(c);
        }
    }
    ~WorkingCopy()
    {
        if (owner_)
            kept().busy = false;
    }
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    Case& get() { return owner_ ? kept().work : *own_; }

private:
    struct Kept {
        Case work;
        bool busy = false;
    };
    static Kept& kept()
    {
        thread_local Kept k;
        return k;
    }
    bool owner_;
    std::optional<Case> own_;
};

struct Step {
    int weight; // share of the meter
    std::function<void(Case&, Progress&, StepFailures&)> run;
};

} // namespace

AnalysisOutcome AnalyseCase(Case& c, const Settings& settings, const AnalysisSteps& steps, Progress& progress)
{
    std::vector<Step> chain;
    // Both stages meet the same angles: one set of tables, and the circle fits they share.
    PointTrig trig(c.Data);
    if (steps.measurement) {
        chain.push_back({1, [&](Case& w, Progress&, StepFailures&) { CalcLSC(w, settings, trig); }});
        chain.push_back({4, [&](Case& w, Progress&, StepFailures& f) {
                             CalcMeasurement(w, trig, f);
                             w.Results.MeasurementValid = true;
                         }});
    }
    if (steps.errorModel)
        chain.push_back({5, [&](Case& w, Progress& p, StepFailures& f) { f.add(CalcErrors(w, settings, p, f)); }});
    if (steps.ranking)
        chain.push_back({0, [](Case& w, Progress&, StepFailures& f) { f.add(SetInfluence(w)); }});
    if (steps.storedTraces)
        chain.push_back({1, [](Case& w, Progress&, StepFailures& f) { ComputeStoredTraces(w, f); }});

    int total = 0;
    for (const Step& step : chain)
        total += step.weight;
    total = std::max(total, 1);
    AnalysisOutcome result;
    const QString location = QString::fromLatin1(kAnalysisLocation);
    std::optional<WorkingCopy> copy;
    result.outcome = Trapped(location, [&] { copy.emplace(c); });
    if (!result.ok())
        return result;
    Case& work = copy->get();
    int done = 0;
    for (const Step& step : chain) {
        if (progress.cancelRequested()) {
            result.outcome = Outcome::failure(location, AppError::cancelled());
            return result;
        }
        StepProgress part(progress, 100 * done / total, 100 * (done + step.weight) / total);
        done += step.weight;
        result.outcome = Trapped(location, [&] { step.run(work, part, result.stepFailures); });
        if (!result.ok())
            return result;
        progress.setPercent(100 * done / total);
    }
    std::swap(c, work); // the replaced case keeps the memory for the next analysis
    return result;
}

} // namespace sarvo
