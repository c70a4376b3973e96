#include "analysis/circle_fit.h"

#include "core/checked_math.h"
#include "analysis/kelvox_binding.h"
#include "core/utilities.h"

#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace sarvo {

namespace {

constexpr double kMicrometresPerMm = 1000.0;

struct CompensationTerms {
    double k = 1;                       // scale of every reading
    std::array<double, kRunSlots> c{};  // offset per run, mm
};

CompensationTerms TermsOf(const Case& c, const Settings& s)
{
    const CaseData& d = c.Data;
    double gaugeCoeff = 0;
    double machineCoeff = 0;
    // An uncalibrated bar gets the geometric term only, whatever the header holds.
    if (d.Calibrated) {
        gaugeCoeff = StrToDbl(c.Header[HdrGaugeExp]);
        machineCoeff = StrToDbl(c.Header[HdrMachineExp]);
    }
    const double length = d.BallBarLength;
    const double radius = d.TestRadius;
    CompensationTerms terms;
    double offset = 0;
    // A test radius well below the bar length scales the readings by L / R; otherwise the bar
    // length only shifts them onto the test radius.
    if (0.9 * length > radius)
        terms.k = CheckedDiv(length, radius);
    else
        offset = length - radius;
    const double ppm = std::pow(10.0, -6.0);
    const int runs = CheckedRunCount(d);
    for (int i = 1; i <= runs; ++i) {
        const auto run = static_cast<std::size_t>(i);
        const double thermal = (d.GaugeTemp[run] - s.BaseTemperature) * gaugeCoeff
            - (d.MachineTemp[run] - s.BaseTemperature) * machineCoeff;
        terms.c[run] = CheckedFinite(ppm * radius * thermal + offset);
    }
    CheckedFinite(terms.k);
    return terms;
}

LscCircle FitRuns(const CaseData& data, PointTrig& trig, std::initializer_list<int> runs, double radius)
{
    std::vector<RunSlice> slices;
    for (int run : runs) {
        const std::span<const double> readings = RunReadings(data, run);
        slices.push_back({readings, &trig.forCount(static_cast<int>(readings.size()))});
    }
    return FitLscCircle(slices, radius);
}

} // namespace

LscCircle FitLscCircle(std::span<const RunSlice> runs, double radius)
{
    std::size_t total = 0;
    for (const RunSlice& run : runs)
        total += run.readings.size();
    // Three unknowns need three points; fewer would leave the normal matrix singular.
    if (total < 3)
        throw AppError::invalidCall();
    const auto n = static_cast<int32_t>(total);

    // Model: (radius + reading)^2 = 2 c0 cos + 2 c1 sin + c2. The observations are taken less
    // (radius + mean reading)^2, which the fit returns in c2 alone (the third column is all
    // ones), so the single-precision pseudo-inverse only meets the small variations about the
    // mean circle, never squared radii of some 22500 mm^2.
    double mean = 0;
    for (const RunSlice& run : runs)
        for (double r : run.readings)
            mean += r;
    mean = CheckedFinite(mean / static_cast<double>(total));
    const double base = radius + mean;
    std::vector<double> y(total);
    std::size_t row = 0;
    for (const RunSlice& run : runs)
        for (double r : run.readings)
            y[row++] = (r - mean) * (base + radius + r);

    // One run's matrix depends on its angles alone: its pseudo-inverse is solved once per table.
    const bool oneRun = runs.size() == 1 && static_cast<std::size_t>(runs[0].trig->size()) == total;
    std::vector<float> solved;
    std::vector<float>& P = oneRun ? runs[0].trig->circlePinv : solved;
    if (P.size() != 3 * total) {
        std::vector<float> X(3 * total);
        row = 0;
        for (const RunSlice& run : runs) {
            const std::size_t count = run.readings.size();
            for (std::size_t j = 0; j < count; ++j, ++row) {
                X[row] = static_cast<float>(2.0 * run.trig->cos[j]);
                X[total + row] = static_cast<float>(2.0 * run.trig->sin[j]);
                X[2 * total + row] = 1.0f;
            }
        }
        P.resize(3 * total);
        KelvoxCalcPinv(P.data(), X.data(), 3, n);
    }

    double c0 = 0, c1 = 0, c2 = 0;
    for (std::size_t j = 0; j < total; ++j) {
        const float* column = &P[3 * j];
        c0 += static_cast<double>(column[0]) * y[j];
        c1 += static_cast<double>(column[1]) * y[j];
        c2 += static_cast<double>(column[2]) * y[j];
    }
    // A singular system comes back as NaN.
    CheckedFinite(c0);
    CheckedFinite(c1);
    c2 = CheckedFinite(c2 + base * base);

    // R^2 is the larger root of z^2 - c2 z + (c0^2 + c1^2) = 0.
    const double product = c0 * c0 + c1 * c1;
    const double root = CheckedSqrt(CheckedFinite(c2 * c2 - 4.0 * product));
    LscCircle circle;
    circle.R = CheckedSqrt((c2 + root) / 2.0);
    if (circle.R != 0.0) {
        circle.CX = c0 / circle.R;
        circle.CY = c1 / circle.R;
    }
    return circle;
}

void RecentrePoints(std::span<double> readings, const RunTrig& trig, double xc, double yc, double ra,
                    double rs)
{
    const double s = xc * xc + yc * yc;
    const double shift = ra - rs;
    const std::size_t n = readings.size();
    for (std::size_t j = 0; j < n; ++j) {
        const double p = xc * trig.cos[j] + yc * trig.sin[j];
        const double r = readings[j];
        const double a = ra + r;
        const double q = a * a + p * p - s;
        const double root = CheckedSqrt(q);
        const double denominator = root + rs;
        // root - rs formed as (q - rs^2) / (root + rs): the difference of two radii of about
        // 150 mm would lose the last digits of a micrometre-sized deviation.
        if (denominator > 0.0)
            readings[j] = ((shift + r) * (a + rs) + (p * p - s)) / denominator - p;
        else
            readings[j] = root - p - rs;
    }
}

LscCircle CalcLSCRun(const CaseData& data, int run, double radius)
{
    PointTrig trig(data);
    return FitRuns(data, trig, {run}, radius);
}

LscCircle CalcLSCRun(std::span<const double> readings, const PointArc& arc, double radius)
{
    PointTrig trig(arc);
    const RunSlice slice{readings, &trig.forCount(static_cast<int>(readings.size()))};
    return FitLscCircle({&slice, 1}, radius);
}

LscCircle CalcLSCAll(const CaseData& data, double radius)
{
    PointTrig trig(data);
    return FitRuns(data, trig, {1, 2}, radius);
}

void RecentreRun(CaseData& data, int run, double xc, double yc, double ra, double rs)
{
    const std::span<double> readings = RunReadings(data, run);
    PointTrig trig(data);
    RecentrePoints(readings, trig.forCount(static_cast<int>(readings.size())), xc, yc, ra, rs);
}

void RecentreRun(std::span<double> readings, const PointArc& arc, double xc, double yc, double ra, double rs)
{
    PointTrig trig(arc);
    RecentrePoints(readings, trig.forCount(static_cast<int>(readings.size())), xc, yc, ra, rs);
}

void ApplyTempCompensation(Case& c, const Settings& s)
{
    const CompensationTerms terms = TermsOf(c, s);
    const int runs = CheckedRunCount(c.Data);
    for (int i = 1; i <= runs; ++i) {
        const double offset = terms.c[static_cast<std::size_t>(i)];
        for (double& reading : RunReadings(c.Data, i))
            reading = terms.k * reading + offset;
    }
}

void RemoveTempCompensation(Case& c, const Settings& s)
{
    const CompensationTerms terms = TermsOf(c, s);
    if (terms.k == 0.0)
        throw AppError::divisionByZero();
    const int runs = CheckedRunCount(c.Data);
    for (int i = 1; i <= runs; ++i) {
        const double offset = terms.c[static_cast<std::size_t>(i)];
        for (double& reading : RunReadings(c.Data, i))
            reading = (reading - offset) / terms.k;
    }
}

void CalcLSC(Case& c, const Settings& s)
{
    PointTrig trig(c.Data);
    CalcLSC(c, s, trig);
}

void CalcLSC(Case& c, const Settings& s, PointTrig& trig)
{
    CaseData& d = c.Data;
    const int runs = CheckedRunCount(d);
    if (runs == 0)
        return;
    ApplyTempCompensation(c, s);

    double sumX = 0, sumY = 0, sumR = 0;
    for (int r = 1; r <= runs; ++r) {
        const LscCircle circle = FitRuns(d, trig, {r}, d.TestRadius);
        sumX += circle.CX;
        sumY += circle.CY;
        sumR += circle.R;
    }
    AnalysisResults& results = c.Results;
    results.ErrorValues.CentreH = sumX / runs * kMicrometresPerMm;
    results.ErrorValues.CentreV = sumY / runs * kMicrometresPerMm;
    results.LscResult.Radius = sumR / runs;

    // ISO 230-4 D: the bidirectional radius less the nominal one, positive for a larger path.
    if (runs > 1) {
        const LscCircle both = FitRuns(d, trig, {1, 2}, d.TestRadius);
        results.Iso.IsoD = (both.R - d.TestRadius) * kMicrometresPerMm;
    } else {
        results.Iso.IsoD = 0;
    }
    results.LscResult.CentreH = results.ErrorValues.CentreH;
    results.LscResult.CentreV = results.ErrorValues.CentreV;
}

} // namespace sarvo
