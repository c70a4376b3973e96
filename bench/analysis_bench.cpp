// The analysis on the largest case the program holds: 7 runs of 8001 points, run back and
// forth, with a set-up offset, harmonics and noise. Goals (median, CI-class machine):
// CalcLSC + CalcMeasurement at most 10 ms, CalcMZC over all points at most 6 ms, the whole
// analysis of a case (AnalyseCase with every step: circle fits, ISO values, minimum zone, the
// error-model fit and its ranking) at most 10 ms.
#include "analysis/analyse_case.h"
#include "analysis/circle_fit.h"
#include "analysis/error_model.h"
#include "analysis/measurement.h"
#include "analysis/min_zone.h"
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"
#include "core/progress.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

using namespace sarvo;

namespace {

Case MeasuredCase(int runs, int points)
{
    SetKelvoxLibraryPath(QStringLiteral(SARVOTEX_KELVOX_DIR));
    std::mt19937 rng(2024);
    std::normal_distribution<double> noise(0, 0.0004);
    Case c;
    CaseData& d = c.Data;
    d.RunCount = static_cast<int16_t>(runs);
    d.StartAngle = -45;
    d.SweepAngle = 360;
    d.StopAngle = 315;
    d.TestRadius = 150;
    d.BallBarLength = 150;
    d.Calibrated = true;
    d.Dynamic = true;
    d.MaxTargets = static_cast<int16_t>(points);
    c.Header[HdrGaugeExp] = "11.5";
    c.Header[HdrMachineExp] = "11.7";
    const double ex = 0.018, ey = -0.027;
    for (int r = 1; r <= runs; ++r) {
        const auto i = static_cast<std::size_t>(r);
        d.RunTargets[i] = static_cast<int16_t>(points);
        d.RunDirection[i] = static_cast<int16_t>(r % 2 ? 1 : -1);
        d.GaugeTemp[i] = 20.4;
        d.MachineTemp[i] = 21.1;
        const double lag = (r % 2 ? 0.0 : 0.0012);
        for (int j = 0; j < points; ++j) {
            const double t = (d.StartAngle + static_cast<double>(j) * d.SweepAngle / points) * kPi12 / 180;
            const double shape = 0.003 * std::cos(2 * t + 0.3) + 0.0015 * std::cos(3 * t - 1.1)
                + 0.0008 * std::cos(7 * t) + lag + noise(rng);
            const double rho = 150.002 + shape;
            d.Readings(r, j) = std::hypot(ex + rho * std::cos(t), ey + rho * std::sin(t)) - 150;
        }
    }
    return c;
}

Settings BaseSettings()
{
    Settings s;
    s.BaseTemperature = 20;
    return s;
}

void BM_CalcLSCAndMeasurement(benchmark::State& state)
{
    const Case original = MeasuredCase(static_cast<int>(state.range(0)), 8001);
    const Settings s = BaseSettings();
    Case c = original;
    NoProgress none;
    for (auto _ : state) {
        state.PauseTiming();
        c.Data.Readings = original.Data.Readings;
        state.ResumeTiming();
        CalcLSC(c, s);
        StepFailures failures;
        CalcMeasurement(c, failures);
    }
    benchmark::DoNotOptimize(c.Results.Iso.IsoGb);
}
BENCHMARK(BM_CalcLSCAndMeasurement)->Arg(7)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_CalcLSC(benchmark::State& state)
{
    const Case original = MeasuredCase(7, 8001);
    const Settings s = BaseSettings();
    Case c = original;
    NoProgress none;
    for (auto _ : state) {
        state.PauseTiming();
        c.Data.Readings = original.Data.Readings;
        state.ResumeTiming();
        CalcLSC(c, s);
    }
    benchmark::DoNotOptimize(c.Results.LscResult.Radius);
}
BENCHMARK(BM_CalcLSC)->Unit(benchmark::kMillisecond);

// The zone of all 56007 points after the chain, as the error-model fit runs it again.
void BM_CalcMZCAllPoints(benchmark::State& state)
{
    Case c = MeasuredCase(7, 8001);
    CalcLSC(c, BaseSettings());
    StepFailures failures;
    CalcMeasurement(c, failures);
    CircleResult zone;
    for (auto _ : state)
        CalcMZC(c, zone, 1, 7);
    benchmark::DoNotOptimize(zone.Circularity);
}
BENCHMARK(BM_CalcMZCAllPoints)->Unit(benchmark::kMillisecond);

// G of one run: its points about the pivot, the centre still 30 µm away.
void BM_CalcMZCOneRun(benchmark::State& state)
{
    Case c = MeasuredCase(7, 8001);
    CalcLSC(c, BaseSettings());
    CircleResult zone;
    for (auto _ : state)
        CalcMZC(c, zone, 3, 3);
    benchmark::DoNotOptimize(zone.Circularity);
}
BENCHMARK(BM_CalcMZCOneRun)->Unit(benchmark::kMillisecond);

// The largest case with the header fields the fit reads, a 10 mm screw on the horizontal axis
// and a 5 mm one on the vertical, so that both cyclic pairs enter the fit (18 columns, 16002 rows).
Case FitCase()
{
    Case c = MeasuredCase(7, 8001);
    CaseData& d = c.Data;
    d.AngleStep = static_cast<double>(d.SweepAngle) / d.MaxTargets;
    c.Header[HdrFeedrate] = "2000";
    c.Header[HdrPlane] = "xy";
    for (int r = 1; r <= d.RunCount; ++r)
        for (int j = 0; j < d.RunTargets[static_cast<std::size_t>(r)]; ++j) {
            const double t = (d.StartAngle + static_cast<double>(j) * d.SweepAngle / d.MaxTargets) * kPi12 / 180;
            const double x = std::cos(t), y = std::sin(t);
            d.Readings(r, j) += 0.002 * x * std::sin(2 * M_PI * 15 * x) + 0.0015 * y * std::sin(2 * M_PI * 30 * y);
        }
    return c;
}

Settings FitSettings()
{
    Settings s = BaseSettings();
    s.ReliabilitySetting = 5;
    return s;
}

// The whole analysis of a read case in one call, as the dump and a batch import run it: the
// first stage, then the error-model fit with its pitch search, spikes, spectrum and vibration,
// and the ranking.
void BM_AnalyseCase(benchmark::State& state)
{
    const Case original = FitCase();
    const Settings s = FitSettings();
    Case c = original;
    NoProgress none;
    const AnalysisSteps every{.measurement = true, .errorModel = true, .ranking = true};
    bool clean = true;
    for (auto _ : state) {
        state.PauseTiming();
        c = original;
        state.ResumeTiming();
        const AnalysisOutcome outcome = AnalyseCase(c, s, every, none);
        clean = clean && outcome.ok() && outcome.stepFailures.empty();
    }
    if (!clean || !c.Results.ResultsValid || c.Results.ErrorValues.PitchH != 10 || c.Results.ErrorValues.PitchV != 5)
        state.SkipWithError("the analysis did not complete with both pitches");
    benchmark::DoNotOptimize(double(c.Results.ErrorValues.Back0)); // a copy: the field is packed
}
BENCHMARK(BM_AnalyseCase)->Unit(benchmark::kMillisecond);

// The fit alone, as the results window runs it on the analysed case.
void BM_CalcErrors(benchmark::State& state)
{
    Case c = FitCase();
    const Settings s = FitSettings();
    CalcLSC(c, s);
    StepFailures failures;
    CalcMeasurement(c, failures);
    NoProgress none;
    for (auto _ : state)
        CalcErrors(c, s, none, failures);
    if (!c.Results.ResultsValid)
        state.SkipWithError("the fit did not complete");
    benchmark::DoNotOptimize(double(c.Results.ErrorValues.Back0)); // a copy: the field is packed
}
BENCHMARK(BM_CalcErrors)->Unit(benchmark::kMillisecond);

} // namespace
