#include "analysis/error_model.h"

#include "analysis/angles.h"
#include "analysis/fast_trig.h"
#include "analysis/measurement.h"
#include "analysis/min_zone.h"
#include "analysis/pitch_search.h"
#include "analysis/run_geometry.h"
#include "analysis/vibration.h"
#include "core/progress.h"
#include "core/checked_math.h"
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"
#include "core/utilities.h"

#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <cmath>
#include <utility>
#include <vector>

namespace sarvo {

namespace {

constexpr double kMicrometresPerMm = 1000.0;
constexpr double kPerMillion = 1000.0 * 1000.0;
// A backlash or play coefficient is half the step between the two passes, in mm.
constexpr double kStepMicrometres = 2000.0;

// ---- Reversal signs ---------------------------------------------------------------------------

struct SignRange {
    double lo;
    double hi;
    int sign;
};

// Whole-degree ranges, bounds included. A point exactly on a reversal counts with the stretch
// travelled just before it.
constexpr SignRange kSignXCcw[] = {{-180, -180, 1}, {1, 180, 1},    {361, 540, 1},
                                   {-179, 0, -1},   {181, 360, -1}, {541, 720, -1}};
constexpr SignRange kSignXCw[] = {{-180, -1, 1}, {180, 359, 1},  {540, 719, 1},
                                  {0, 179, -1},  {360, 539, -1}, {720, 899, -1}};
constexpr SignRange kSignYCcw[] = {{-269, -90, 1}, {91, 270, 1},   {451, 630, 1},
                                   {-89, 90, -1},  {271, 450, -1}, {631, 810, -1}};
constexpr SignRange kSignYCw[] = {{-90, 89, 1},    {270, 449, 1},  {630, 809, 1},
                                  {-270, -91, -1}, {90, 269, -1},  {450, 629, -1}};

template <std::size_t N>
int SignIn(const SignRange (&ranges)[N], double a)
{
    for (const SignRange& r : ranges)
        if (a >= r.lo && a <= r.hi)
            return r.sign;
    return 0;
}

// ---- Column rules -----------------------------------------------------------------------------

struct Window {
    int lo;
    int hi;
};

// Arcs that take a backlash-difference column must strictly contain one of these stretches
// between two reversals of the other axis.
constexpr Window kBackDiffHWindows[] = {{-135, -45}, {45, 135}, {225, 315}, {405, 495}};
constexpr Window kBackDiffVWindows[] = {{-225, -135}, {-45, 45}, {135, 225}, {315, 405}};
// A one-direction arc of 91..180 degrees starting here crosses a vertical reversal.
constexpr Window kBackVStarts[] = {{-225, -135}, {-45, 45}, {135, 225}, {315, 405}, {495, 585}};
// Half turns that let the straightness of an axis show.
constexpr Window kStraightHArcs[] = {{-90, 90}, {90, 270}, {270, 450}};
constexpr Window kStraightVArcs[] = {{-180, 0}, {0, 180}, {180, 360}, {360, 540}};

template <std::size_t N>
bool StrictlyContainsOne(const Window (&windows)[N], int start, int stop)
{
    return std::any_of(std::begin(windows), std::end(windows),
                       [&](const Window& w) { return start < w.lo && stop > w.hi; });
}

template <std::size_t N>
bool CoversOne(const Window (&windows)[N], int start, int stop)
{
    return std::any_of(std::begin(windows), std::end(windows),
                       [&](const Window& w) { return start <= w.lo && stop >= w.hi; });
}

template <std::size_t N>
bool LiesInOne(const Window (&windows)[N], int angle)
{
    return std::any_of(std::begin(windows), std::end(windows),
                       [&](const Window& w) { return angle >= w.lo && angle <= w.hi; });
}

// Angle of averaged row k. Products of a fractional step can miss a whole degree by an ulp,
// which would move the row out of a whole-degree sign range: such angles are snapped.
double RowAngle(int start, double step, int k)
{
    const double a = start + k * step;
    const double whole = std::nearbyint(a);
    return std::fabs(a - whole) < 1e-9 ? whole : a;
}

void RequireFinite(std::span<const float> values)
{
    if (!AllFinite(values))
        throw AppError::invalidCall(
            QStringLiteral("The error model cannot be fitted: the arc and its points leave it singular"));
}

// ---- Residual -------------------------------------------------------------------------------

// Residual sum of squares of y about X (P y), with the column count fixed at compile time so
// that the loops over the samples unroll and vectorise (the pitch search calls it 36 times).
template <int M>
double ResidualSquares(const float* P, const float* X, const float* y, std::size_t n)
{
    double coef[M] = {};
#pragma omp simd reduction(+ : coef[:M])
    for (std::size_t j = 0; j < n; ++j) {
        const double yj = y[j];
        const float* column = P + j * M;
        for (int i = 0; i < M; ++i)
            coef[i] += column[i] * yj;
    }
    double rss = 0;
#pragma omp simd reduction(+ : rss)
    for (std::size_t k = 0; k < n; ++k) {
        double fitted = 0;
        for (int i = 0; i < M; ++i)
            fitted += X[k + static_cast<std::size_t>(i) * n] * coef[i];
        const double r = y[k] - fitted;
        rss += r * r;
    }
    return rss;
}

constexpr int kMaxResidualColumns = 20; // the computation library's largest system

using ResidualKernel = double (*)(const float*, const float*, const float*, std::size_t);
template <std::size_t... M>
constexpr std::array<ResidualKernel, sizeof...(M) + 1> ResidualKernels(std::index_sequence<M...>)
{
    return {nullptr, &ResidualSquares<static_cast<int>(M) + 1>...};
}
constexpr auto kResidualKernels = ResidualKernels(std::make_index_sequence<kMaxResidualColumns>{});

// ---- Averaging --------------------------------------------------------------------------------

struct Averaged {
    std::vector<float> y; // rows: the counter-clockwise block, then the clockwise block
    int direction = 0;    // +1 counter-clockwise only, -1 clockwise only, 0 both
};

// The mean run of each direction on the common grid of MaxTargets points: a run of another
// length contributes its point nearest each grid angle, so runs of every length weigh alike.
Averaged AverageRuns(const CaseData& d)
{
    const int runs = CheckedRunCount(d);
    const int targets = d.MaxTargets;
    std::vector<double> sum(2 * static_cast<std::size_t>(targets), 0.0);
    int ccwRuns = 0, cwRuns = 0;
    for (int r = 1; r <= runs; ++r) {
        const std::span<const double> readings = RunReadings(d, r);
        const auto count = static_cast<long long>(readings.size());
        if (count == 0)
            continue;
        std::size_t offset = 0;
        if (d.RunDirection[static_cast<std::size_t>(r)] == 1) {
            ++ccwRuns;
        } else {
            offset = static_cast<std::size_t>(targets);
            ++cwRuns;
        }
        if (count == targets) {
            for (long long j = 0; j < count; ++j)
                sum[offset + static_cast<std::size_t>(j)] += readings[static_cast<std::size_t>(j)];
            continue;
        }
        for (long long j = 0; j < targets; ++j) {
            const long long nearest = std::min((2 * j * count + targets) / (2LL * targets), count - 1);
            sum[offset + static_cast<std::size_t>(j)] += readings[static_cast<std::size_t>(nearest)];
        }
    }
    if (ccwRuns == 0 && cwRuns == 0)
        throw AppError::invalidCall(QStringLiteral("The case holds no points to fit the error model to"));

    Averaged result;
    const auto n = static_cast<std::size_t>(targets);
    auto mean = [&](std::size_t offset, int count) {
        for (std::size_t i = 0; i < n; ++i)
            result.y.push_back(CheckedSingle(sum[offset + i] / count));
    };
    if (ccwRuns == 0) {
        result.direction = -1;
        mean(n, cwRuns);
    } else if (cwRuns == 0) {
        result.direction = 1;
        mean(0, ccwRuns);
    } else {
        result.direction = 0;
        mean(0, ccwRuns);
        mean(n, cwRuns);
    }
    return result;
}

// ---- Reversal spikes --------------------------------------------------------------------------

// Mean height (µm) of the peaks that each run shows just past the reversals of each axis, over
// the local level a little further on. A negative mean is reported as 0.01.
void DetectSpikes(Case& c, double sigma)
{
    const CaseData& d = c.Data;
    ErrorParams& ev = c.Results.ErrorValues;
    ErrorParams& er = c.Results.ErrorReliability;
    if (!(d.AngleStep > 0))
        throw AppError::invalidCall(QStringLiteral("The angle step of the case is not positive"));
    const int window = CheckedInt16(7.0 / d.AngleStep);
    const auto quiet = static_cast<int>(std::floor(2.0 / d.AngleStep + 1e-9));
    er.SpikeH = er.SpikeV = 3.0 * sigma * kMicrometresPerMm;

    struct Reversal {
        bool hasPeak = false;
        float peak = 0;
        double sum = 0;
        int count = 0;
        bool usable() const { return hasPeak && count > 0; }
        double spike() const { return peak - sum / count; }
    };
    double sumH = 0, sumV = 0;
    int runsH = 0, runsV = 0;
    const int runs = CheckedRunCount(d);
    for (int r = 1; r <= runs; ++r) {
        const std::span<const double> readings = RunReadings(d, r);
        const int n = static_cast<int>(readings.size());
        if (n == 0)
            continue;
        const int direction = d.RunDirection[static_cast<std::size_t>(r)];
        // Point index of 0 degrees, and points per turn, in this run's own spacing.
        const double perDegree = CheckedDiv(n, d.SweepAngle);
        const double zero = std::nearbyint(-d.StartAngle * perDegree);
        const double perTurn = 360.0 * perDegree;
        std::array<Reversal, 4> at{};
        for (int s = 1; s <= window; ++s) {
            for (int q = 0; q < 4; ++q) {
                double p = std::nearbyint(q * 90.0 * perDegree + direction * s + zero);
                if (p > n - 1)
                    p = std::nearbyint(p - perTurn);
                if (p < 0)
                    p = std::nearbyint(perTurn + p);
                if (p < 0 || p >= n)
                    continue;
                const float x = static_cast<float>(readings[static_cast<std::size_t>(p)]);
                Reversal& rev = at[static_cast<std::size_t>(q)];
                if (s < quiet && (!rev.hasPeak || x > rev.peak)) {
                    rev.peak = x;
                    rev.hasPeak = true;
                }
                if (s > quiet + 1) {
                    rev.sum += x;
                    ++rev.count;
                }
            }
        }
        auto axisSpike = [&](const Reversal& first, const Reversal& second, double& sum, int& count) {
            if (first.usable() && second.usable())
                sum += kMicrometresPerMm * (first.spike() + second.spike()) / 2.0;
            else if (first.usable())
                sum += kMicrometresPerMm * first.spike();
            else if (second.usable())
                sum += kMicrometresPerMm * second.spike();
            else
                return;
            ++count;
        };
        axisSpike(at[0], at[2], sumH, runsH);
        axisSpike(at[1], at[3], sumV, runsV);
    }
    if (runsH > 0)
        ev.SpikeH = CheckedFinite(sumH / runsH);
    if (runsV > 0)
        ev.SpikeV = CheckedFinite(sumV / runsV);
    if (ev.SpikeH < 0)
        ev.SpikeH = 0.01;
    if (ev.SpikeV < 0)
        ev.SpikeV = 0.01;
}

// ---- Solving ----------------------------------------------------------------------------------

// The least-squares solution of the averaged rows: the design matrix, its left inverse, the
// coefficients K with their three-sigma uncertainties U, and the scatter of one averaged point.
struct ModelFit {
    ModelColumns col;
    int m = 0; // columns
    int n = 0; // rows
    std::span<const float> X; // the design matrix: valid until the next fit on this thread
    std::array<double, kModelColumns> K{};
    std::array<double, kModelColumns> U{};
    double sigma = 0;
};

// nullopt when the design matrix could not be built (its failure joins failures).
std::optional<ModelFit> SolveModel(const Case& c, const Settings& settings, const Averaged& averaged,
                                   Progress& progress, StepFailures& failures)
{
    const ErrorParams& ev = c.Results.ErrorValues;
    const std::vector<float>& y = averaged.y;
    const int direction = averaged.direction;
    const int n = static_cast<int>(y.size());

    // The two large work matrices (about 1 MB each at 8001 points) stay allocated between fits:
    // faulting in fresh pages for them on every fit cost milliseconds.
    thread_local std::vector<float> xBuffer, pBuffer;
    // Nothing reads past the columns the matrix fills: no need to clear it first.
    xBuffer.resize(static_cast<std::size_t>(n) * kModelColumns);
    const std::span<float> X(xBuffer);
    ModelColumns col;
    if (!failures.add(CalcMatrix(c, direction, X, col, ev.PitchH, ev.PitchV)))
        return std::nullopt;
    const int m = col.Count;
    progress.setPercent(40);

    // Every element of P is written by the kernel.
    const std::size_t pSize = static_cast<std::size_t>(m) * n;
    if (pBuffer.size() < pSize)
        pBuffer.resize(pSize);
    const std::span<float> P(pBuffer.data(), pSize);
    KelvoxCalcPinv(P.data(), X.data(), m, n);
    RequireFinite(P);
    progress.setPercent(60);

    // sigma of one averaged point: the residual scatter over a floor set by the user (a
    // three-sigma value in µm), so that a perfect fit still reports an uncertainty.
    const double floor = static_cast<float>(settings.ReliabilitySetting / 1000.0f / 3.0f);
    double sigma = floor;
    if (n > m) {
        float residual = 0;
        failures.add(GetResidual(P, X, y, m, n, residual));
        sigma = CheckedSqrt(floor * floor + static_cast<double>(residual) / (n - m));
    }
    progress.setPercent(65);

    std::vector<float> G(static_cast<std::size_t>(m) * m, 0.0f);
    KelvoxCalcInnerPly(G.data(), X.data(), m, n);
    progress.setPercent(70);

    KelvoxCalcInv(G.data(), m);
    RequireFinite(G);
    // The diagonal element itself, not its root: the stored uncertainty has always been defined
    // so (it shrinks as 1/n, not 1/sqrt(n)), and stored cases carry it.
    std::array<double, kModelColumns> U{};
    for (int i = 0; i < m; ++i)
        U[static_cast<std::size_t>(i)] = sigma * 3.0 * G[static_cast<std::size_t>(i) * m + i];
    progress.setPercent(75);

    std::array<double, kModelColumns> K{};
    for (int j = 0; j < n; ++j) {
        const float* column = &P[static_cast<std::size_t>(j) * m];
        const double yj = y[static_cast<std::size_t>(j)];
        for (int i = 0; i < m; ++i)
            K[static_cast<std::size_t>(i)] += column[i] * yj;
    }
    for (int i = 0; i < m; ++i)
        CheckedFinite(K[static_cast<std::size_t>(i)]);
    progress.setPercent(80);

    ModelFit fit;
    fit.col = col;
    fit.m = m;
    fit.n = n;
    fit.X = X;
    fit.K = K;
    fit.U = U;
    fit.sigma = sigma;
    return fit;
}

// ---- Mapping ----------------------------------------------------------------------------------

// The coefficients become the machine's error parameters and their uncertainties.
void MapCoefficients(Case& c, const ModelFit& fit)
{
    const CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    ErrorParams& ev = res.ErrorValues;
    ErrorParams& er = res.ErrorReliability;
    const ModelColumns& col = fit.col;
    const double feed = static_cast<float>(LeadingNumber(c.Header[HdrFeedrate]) / 60.0); // mm/s

    // Coefficients to error parameters. An absent optional term (index 0) contributes nothing.
    auto k = [&](int column) { return fit.K[static_cast<std::size_t>(column)]; };
    auto u = [&](int column) { return fit.U[static_cast<std::size_t>(column)]; };
    const double R = res.LscResult.Radius;
    if (R == 0.0)
        throw AppError::divisionByZero();

    ev.Back0 = col.BackH ? kStepMicrometres * k(col.BackH) : 0.0;
    er.Back0 = col.BackH ? kStepMicrometres * u(col.BackH) : 0.0;
    ev.Back90 = col.BackV ? kStepMicrometres * k(col.BackV) : 0.0;
    er.Back90 = col.BackV ? kStepMicrometres * u(col.BackV) : 0.0;
    if (col.BackDiffH) {
        ev.Back180 = ev.Back0 - kStepMicrometres * k(col.BackDiffH);
        ev.Back0 = ev.Back0 + kStepMicrometres * k(col.BackDiffH);
        er.Back0 = kStepMicrometres * u(col.BackDiffH) + (col.BackH ? kStepMicrometres * u(col.BackH) : 0.0);
    } else {
        ev.Back180 = ev.Back0;
    }
    er.Back180 = er.Back0;
    if (col.BackDiffV) {
        ev.Back270 = ev.Back90 - kStepMicrometres * k(col.BackDiffV);
        ev.Back90 = ev.Back90 + kStepMicrometres * k(col.BackDiffV);
        er.Back90 = kStepMicrometres * u(col.BackDiffV) + (col.BackV ? kStepMicrometres * u(col.BackV) : 0.0);
    } else {
        ev.Back270 = ev.Back90;
    }
    er.Back270 = er.Back90;

    // Scale: uncalibrated, only the mismatch of the axes shows; a calibrated bar also measures
    // the radius error D, which both axes share.
    const double D = R - d.TestRadius;
    const double k0 = k(0);
    const double radiusTerm = col.Radius ? k(col.Radius) : 0.0;
    if (!d.Calibrated) {
        ev.ScaleH = k0 / R * kPerMillion;
        ev.ScaleV = -ev.ScaleH;
    } else if (col.Radius && d.OptionFlag) {
        ev.ScaleH = ev.ScaleV = (radiusTerm + D) / R * kPerMillion;
    } else if (col.Radius) {
        ev.ScaleH = (D + k0 + radiusTerm) / R * kPerMillion;
        ev.ScaleV = (-k0 + D + radiusTerm) / R * kPerMillion;
    } else {
        ev.ScaleH = (D + k0) / R * kPerMillion;
        ev.ScaleV = (-k0 + D) / R * kPerMillion;
    }
    er.ScaleH = er.ScaleV = u(0) / R * kPerMillion;

    ev.Squareness = -k(1) / R * 180.0 / kPi12 * 3600.0;
    er.Squareness = u(1) / R * 180.0 / kPi12 * 3600.0;

    if (col.Servo) {
        // A servo column needs the programmed feedrate: without one this divides by zero.
        const double lag = CheckedDiv(k(col.Servo), feed) * R * 100.0;
        ev.ServoH = 100.0 - lag;
        ev.ServoV = 100.0 + lag;
        er.ServoH = er.ServoV = CheckedDiv(u(col.Servo), feed) * R * 100.0;
    } else {
        ev.ServoH = ev.ServoV = 100.0;
        er.ServoH = er.ServoV = 0.0;
    }

    ev.PlayH = col.PlayH ? kStepMicrometres * k(col.PlayH) : 0.0;
    er.PlayH = col.PlayH ? kStepMicrometres * u(col.PlayH) : 0.0;
    ev.PlayV = col.PlayV ? kStepMicrometres * k(col.PlayV) : 0.0;
    er.PlayV = col.PlayV ? kStepMicrometres * u(col.PlayV) : 0.0;
    ev.StraightH = col.StraightH ? -kMicrometresPerMm * k(col.StraightH) : 0.0;
    er.StraightH = col.StraightH ? kMicrometresPerMm * u(col.StraightH) : 0.0;
    ev.StraightV = col.StraightV ? -kMicrometresPerMm * k(col.StraightV) : 0.0;
    er.StraightV = col.StraightV ? kMicrometresPerMm * u(col.StraightV) : 0.0;

    // Cyclic errors: amplitude and phase of the sine/cosine pair.
    if (d.Dynamic) {
        // The record's fields are packed: the terms come back by value, never through references.
        struct Cyclic {
            double amplitude, phase, uncertainty;
        };
        auto cyclic = [&](int t, double previousPhase) -> Cyclic {
            if (!t)
                return {0, previousPhase, 0};
            const double ks = k(t), kc = k(t + 1);
            const double a = std::sqrt(kc * kc + ks * ks);
            double phase = AngleDeg(static_cast<float>(kc), static_cast<float>(ks));
            // Degrees, as the phase is: the sine coefficient's sign already lies in the angle.
            if (ks * CosDeg(phase) < 0)
                phase -= 180.0;
            // A zero amplitude has no direction to be uncertain about.
            const double uncertainty = a > 0 ? (std::fabs(kc * u(t + 1)) + std::fabs(ks * u(t))) / a * kStepMicrometres : 0.0;
            return {kStepMicrometres * a, phase, uncertainty};
        };
        const Cyclic h = cyclic(col.CyclicH, ev.PhaseH);
        ev.CyclicH = h.amplitude;
        ev.PhaseH = h.phase;
        er.CyclicH = h.uncertainty;
        const Cyclic v = cyclic(col.CyclicV, ev.PhaseV);
        ev.CyclicV = v.amplitude;
        ev.PhaseV = v.phase;
        er.CyclicV = v.uncertainty;
    }
    if (ev.CyclicH < 1) {
        ev.PitchH = 0;
        ev.PhaseH = 0;
    }
    if (ev.CyclicV < 1) {
        ev.PitchV = 0;
        ev.PhaseV = 0;
    }

    // In the XZ plane the vertical axis runs the other way round.
    if (c.Header[HdrPlane] == QLatin1String("xz")) {
        const double back90 = ev.Back90; // no std::swap: it takes references to the packed fields
        ev.Back90 = ev.Back270;
        ev.Back270 = back90;
        ev.StraightH = -ev.StraightH;
        ev.PlayH = -ev.PlayH;
        ev.PlayV = -ev.PlayV;
    }

}

// With the option flag the fitted scale mismatch leaves the readings, the circularity and the
// minimum zone; it no longer takes part in the model traces.
void RemoveScaleMismatch(Case& c, ModelFit& fit, StepFailures& failures)
{
    CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    const double k0 = fit.K[0];
    const int runs = CheckedRunCount(d);
    if (d.OptionFlag) {
        // The fitted scale mismatch leaves the readings (each point at its own angle), the
        // traces and the circularity. G(b) stays as measured.
        PointTrig trig(d);
        for (int r = 1; r <= runs; ++r) {
            const std::span<double> readings = RunReadings(d, r);
            const RunTrig& t = trig.forCount(static_cast<int>(readings.size()));
            for (std::size_t j = 0; j < readings.size(); ++j) {
                const double s = t.sin[j];
                readings[j] -= (1.0 - 2.0 * s * s) * k0;
            }
        }
        fit.K[0] = 0;
        failures.add(CalcCircularity(c));
        failures.add(CalcMZC(c, res.MzcResult, 1, runs, trig));
    }
}

// ---- Traces -----------------------------------------------------------------------------------

void TraceModel(Case& c, const ModelFit& fit, int direction)
{
    const CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    const int targets = d.MaxTargets;
    const int m = fit.m, n = fit.n;
    const auto& K = fit.K;
    const std::span<const float> X = fit.X;
    // Model traces at whole degrees up to the end of the arc as the graphs draw them (a full
    // circle not at its start again, a partial arc to its end, which takes its last point); a
    // static case at the angles of its points, the end of a partial arc included.
    res.AnalysisCurve.clear();
    res.AnalysisCurveCount = 0;
    res.AnalysisCurveDir = {};
    res.AnalysisStep = static_cast<int16_t>(d.Dynamic ? 1 : kStaticStepDeg);
    if (!(d.AngleStep > 0))
        throw AppError::invalidCall(QStringLiteral("The angle step of the case is not positive"));
    const bool fullCircle = d.SweepAngle == 360;
    const double last = d.Dynamic ? (fullCircle ? d.StopAngle - 1 : d.StopAngle)
                                  : PointAngleDeg(d.Arc(), targets, targets - 1);
    auto trace = [&](int curve, int rowOffset) {
        for (int a = d.StartAngle; a <= last; a += res.AnalysisStep) {
            double row = std::floor((a - d.StartAngle) / d.AngleStep + 1e-9);
            if (a == d.StopAngle && row >= targets)
                row = targets - 1;
            if (row < 0 || row >= targets)
                throw AppError::subscriptOutOfRange();
            const std::size_t i0 = static_cast<std::size_t>(row) + static_cast<std::size_t>(rowOffset);
            double v = 0;
            for (int i = 0; i < m; ++i)
                v += K[static_cast<std::size_t>(i)] * X[i0 + static_cast<std::size_t>(n) * i];
            res.AnalysisCurve(curve, a) = CheckedSingle(v);
        }
    };
    if (direction != -1) {
        res.AnalysisCurveCount = 1;
        res.AnalysisCurveDir[1] = 1;
        trace(0, 0);
    }
    if (direction != 1) {
        const int count = ++res.AnalysisCurveCount;
        res.AnalysisCurveDir[static_cast<std::size_t>(count)] = -1;
        trace(count - 1, direction == 0 ? targets : 0);
    }

}

// ---- The fit ----------------------------------------------------------------------------------

// Between the long stages of the fit: a stop asked for ends it with the cancelled error.
void StopWhenAsked(const Progress& progress)
{
    if (progress.cancelRequested())
        throw AppError::cancelled();
}

// Averaging, the pitch search, solving, mapping and traces, then the spikes and the spectrum.
void FitErrorModel(Case& c, const Settings& settings, Progress& progress, StepFailures& failures)
{
    CaseData& d = c.Data;
    AnalysisResults& res = c.Results;
    ErrorParams& ev = res.ErrorValues;
    ErrorParams& er = res.ErrorReliability;

    progress.setPercent(0);
    // Nothing this fit does not estimate may survive from an earlier case into storage.
    er = ErrorParams{};
    res.ProfileH.fill(0.0f);
    res.ProfileV.fill(0.0f);

    const int targets = d.MaxTargets;
    if (targets < 1 || targets > kPointSlots)
        throw AppError::invalidCall(QStringLiteral("The case holds no points to fit the error model to"));

    const Averaged averaged = AverageRuns(d);
    const int direction = averaged.direction;
    progress.setPercent(5);

    if (d.Dynamic) {
        failures.add(GetPitchFit(c, failures, &progress));
    } else {
        ev.CyclicH = ev.CyclicV = 0;
        ev.PitchH = ev.PitchV = 0;
        ev.PhaseH = ev.PhaseV = 0;
    }
    progress.setPercent(25);
    StopWhenAsked(progress);

    const std::optional<ModelFit> solved = SolveModel(c, settings, averaged, progress, failures);
    if (!solved)
        return;
    ModelFit fit = *solved;
    const double sigma = fit.sigma;
    MapCoefficients(c, fit);
    RemoveScaleMismatch(c, fit, failures);
    TraceModel(c, fit, direction);
    progress.setPercent(90);
    StopWhenAsked(progress);

    ev.SpikeH = ev.SpikeV = 0;
    er.SpikeH = er.SpikeV = 0;
    if (d.Dynamic)
        DetectSpikes(c, sigma);
    progress.setPercent(95);

    if (d.Dynamic) {
        failures.add(CalcSpectrum(c, failures));
        progress.setPercent(100);
    } else {
        ev.SlipH = ev.SlipV = 0;
        ev.Random = ev.PolarVibration = 0;
        ev.VibrationAngle = 0;
        res.Spectrum.fill(0.0f);
    }

    res.ResultsValid = true;
}

} // namespace

int ReversalSignX(double a, bool counterClockwise)
{
    return counterClockwise ? SignIn(kSignXCcw, a) : SignIn(kSignXCw, a);
}

int ReversalSignY(double a, bool counterClockwise)
{
    return counterClockwise ? SignIn(kSignYCcw, a) : SignIn(kSignYCw, a);
}

Outcome CalcMatrix(const Case& c, int direction, std::span<float> X, ModelColumns& col, double pitchH, double pitchV)
{
    return Trapped(QStringLiteral("Formulae(CalcMatrix)"), [&] {
        const CaseData& d = c.Data;
        const int targets = d.MaxTargets;
        const bool both = direction == 0;
        const int blocks = both ? 2 : 1;
        const std::size_t rows = X.size() / kModelColumns;
        if (targets < 1 || rows < static_cast<std::size_t>(blocks) * static_cast<std::size_t>(targets))
            throw AppError::subscriptOutOfRange();

        const bool dynamic = d.Dynamic;
        const int start = d.StartAngle, stop = d.StopAngle, sweep = d.SweepAngle;
        col = ModelColumns{};
        int next = 2; // 0 scale mismatch, 1 squareness
        auto take = [&](int width) {
            const int index = next;
            next += width;
            return index;
        };
        const bool gate = dynamic && (both || sweep > 270);
        if (gate && StrictlyContainsOne(kBackDiffHWindows, start, stop))
            col.BackDiffH = take(1);
        if (gate && StrictlyContainsOne(kBackDiffVWindows, start, stop))
            col.BackDiffV = take(1);
        if (dynamic && both)
            col.Servo = take(1);
        if (pitchH != 0 && dynamic)
            col.CyclicH = take(2);
        if (pitchV != 0 && dynamic)
            col.CyclicV = take(2);
        const int centre = take(2);
        if (both || (dynamic && sweep > 180)) {
            col.BackH = take(1);
            col.BackV = take(1);
        } else if (dynamic && sweep > 90) {
            if (LiesInOne(kBackVStarts, start))
                col.BackV = take(1);
            else
                col.BackH = take(1);
        }
        if (dynamic && both) {
            col.PlayH = take(1);
            col.PlayV = take(1);
        }
        const bool staticFull = !dynamic && both && sweep >= 271;
        if (dynamic || staticFull)
            col.Radius = take(1);
        if ((dynamic && CoversOne(kStraightHArcs, start, stop)) || staticFull)
            col.StraightH = take(1);
        if ((dynamic && CoversOne(kStraightVArcs, start, stop)) || staticFull)
            col.StraightV = take(1);
        col.Count = next;

        // The signatures depend on the angle alone (and the block's direction): computed once
        // per angle for both blocks, each trigonometric term in a loop of its own so that the
        // series of neighbouring angles run side by side in the vector units.
        const float qH = col.CyclicH ? static_cast<float>(c.Results.LscResult.Radius / pitchH) : 0.0f;
        const float qV = col.CyclicV ? static_cast<float>(c.Results.LscResult.Radius / pitchV) : 0.0f;
        const auto count = static_cast<std::size_t>(targets);
        std::vector<double> angle(count), sinA(count), cosA(count);
        std::vector<double> sinU(col.CyclicH ? count : 0), cosU(sinU.size());
        std::vector<double> sinW(col.CyclicV ? count : 0), cosW(sinW.size());
        for (std::size_t k = 0; k < count; ++k)
            angle[k] = RowAngle(start, d.AngleStep, static_cast<int>(k));
#pragma omp simd
        for (std::size_t k = 0; k < count; ++k)
            SinCosDeg(angle[k], sinA[k], cosA[k]);
        // The screw phases u = qH c and w = qV s, in turns.
        if (col.CyclicH) {
#pragma omp simd
            for (std::size_t k = 0; k < count; ++k)
                SinCosTurns(qH * cosA[k], sinU[k], cosU[k]);
        }
        if (col.CyclicV) {
#pragma omp simd
            for (std::size_t k = 0; k < count; ++k)
                SinCosTurns(qV * sinA[k], sinW[k], cosW[k]);
        }

        auto at = [&](int column, std::size_t row) -> float& { return X[row + rows * static_cast<std::size_t>(column)]; };
        for (int block = 0; block < blocks; ++block) {
            const bool ccw = both ? block == 0 : direction == 1;
            const double pass = ccw ? 1.0 : -1.0;
            const std::size_t base = static_cast<std::size_t>(block) * static_cast<std::size_t>(targets);
            for (int k = 0; k < targets; ++k) {
                const auto i = static_cast<std::size_t>(k);
                const std::size_t row = base + i;
                const double cs = cosA[i], sn = sinA[i];
                const int sx = (dynamic && (col.BackH || col.BackDiffH)) ? ReversalSignX(angle[i], ccw) : 0;
                const int sy = (dynamic && (col.BackV || col.BackDiffV)) ? ReversalSignY(angle[i], ccw) : 0;
                at(0, row) = static_cast<float>(1.0 - 2.0 * sn * sn);
                at(1, row) = static_cast<float>(cs * sn);
                if (col.BackDiffH)
                    at(col.BackDiffH, row) = static_cast<float>(sx * cs * cs);
                if (col.BackDiffV)
                    at(col.BackDiffV, row) = static_cast<float>(sy * sn * sn);
                if (col.Servo)
                    at(col.Servo, row) = static_cast<float>(pass * 2.0 * sn * cs);
                if (col.CyclicH) {
                    at(col.CyclicH, row) = static_cast<float>(cs * sinU[i]);
                    at(col.CyclicH + 1, row) = static_cast<float>(cs * cosU[i]);
                }
                if (col.CyclicV) {
                    at(col.CyclicV, row) = static_cast<float>(sn * sinW[i]);
                    at(col.CyclicV + 1, row) = static_cast<float>(sn * cosW[i]);
                }
                at(centre, row) = static_cast<float>(cs);
                at(centre + 1, row) = static_cast<float>(sn);
                if (col.BackH)
                    at(col.BackH, row) = static_cast<float>(dynamic ? sx * cs : pass * cs);
                if (col.BackV)
                    at(col.BackV, row) = static_cast<float>(dynamic ? sy * sn : pass * sn);
                if (col.PlayH)
                    at(col.PlayH, row) = static_cast<float>(-pass * std::fabs(sn));
                if (col.PlayV)
                    at(col.PlayV, row) = static_cast<float>(pass * std::fabs(cs));
                if (col.Radius)
                    at(col.Radius, row) = 1.0f;
                if (col.StraightH)
                    at(col.StraightH, row) = static_cast<float>(-sn * cs * cs);
                if (col.StraightV)
                    at(col.StraightV, row) = static_cast<float>(-cs * sn * sn);
            }
        }
    });
}

Outcome GetResidual(std::span<const float> P, std::span<const float> X, std::span<const float> y, int m, int n,
                    float& residual)
{
    residual = 0;
    return Trapped(QStringLiteral("Formulae(GetResidual)"), [&] {
        if (m < 1 || m > kMaxResidualColumns || n < 0)
            throw AppError::invalidCall();
        const auto mm = static_cast<std::size_t>(m), nn = static_cast<std::size_t>(n);
        if (P.size() < mm * nn || X.size() < mm * nn || y.size() < nn)
            throw AppError::subscriptOutOfRange();
        residual = CheckedSingle(kResidualKernels[mm](P.data(), X.data(), y.data(), nn));
    });
}

Outcome CalcErrors(Case& c, const Settings& s, Progress& progress, StepFailures& failures)
{
    BusyCursor busy;
    // A fit that fails half way leaves part new and part old values: never valid.
    c.Results.ResultsValid = false;
    const Outcome fit = Trapped(QStringLiteral("Calculating errors"), [&] { FitErrorModel(c, s, progress, failures); });
    if (fit.cancelled())
        throw fit.error(); // not a failure of the fit: whoever runs the analysis asked it to stop
    return fit;
}

} // namespace sarvo
