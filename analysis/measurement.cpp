#include "analysis/measurement.h"

#include "analysis/angles.h"
#include "analysis/circle_fit.h"
#include "analysis/min_zone.h"
#include "core/checked_math.h"

#include <QString>

#include <cmath>
#include <vector>

namespace sarvo {

namespace {

constexpr double kMicrometresPerMm = 1000.0;

bool FullCircle(const CaseData& d)
{
    return d.SweepAngle >= 360;
}

} // namespace

Outcome CalcCircularity(Case& c)
{
    return Trapped(QStringLiteral("Formulae(CalcCircularity)"), [&] {
        const CaseData& d = c.Data;
        const int runs = CheckedRunCount(d);
        bool seen = false;
        double largest = 0, smallest = 0;
        int maxRun = 0, maxPoint = 0, minRun = 0, minPoint = 0;
        for (int r = 1; r <= runs; ++r) {
            const std::span<const double> readings = RunReadings(d, r);
            for (std::size_t j = 0; j < readings.size(); ++j) {
                const double v = CheckedFinite(readings[j]);
                const int point = static_cast<int>(j);
                if (!seen) {
                    seen = true;
                    largest = smallest = v;
                    maxRun = minRun = r;
                    maxPoint = minPoint = point;
                    continue;
                }
                if (v > largest) {
                    largest = v;
                    maxRun = r;
                    maxPoint = point;
                }
                if (v < smallest) {
                    smallest = v;
                    minRun = r;
                    minPoint = point;
                }
            }
        }
        if (!seen)
            return;
        CircleResult& lsc = c.Results.LscResult;
        lsc.Circularity = std::fabs(largest - smallest) * kMicrometresPerMm;
        lsc.Max = largest * kMicrometresPerMm;
        lsc.Min = smallest * kMicrometresPerMm;
        lsc.MaxPos = PointAngleDeg(d.Arc(), d.RunTargets[static_cast<std::size_t>(maxRun)], maxPoint);
        lsc.MinPos = PointAngleDeg(d.Arc(), d.RunTargets[static_cast<std::size_t>(minRun)], minPoint);
        lsc.MaxRun = static_cast<int16_t>(maxRun);
        lsc.MaxPoint = static_cast<int16_t>(maxPoint);
        lsc.MinRun = static_cast<int16_t>(minRun);
        lsc.MinPoint = static_cast<int16_t>(minPoint);
    });
}

Outcome CalcISOH(Case& c, PointTrig& trig)
{
    return Trapped(QStringLiteral("Formulae(CalcISOH)"), [&] {
        IsoResults& iso = c.Results.Iso;
        iso.IsoH = 0;
        const CaseData& d = c.Data;
        if (CheckedRunCount(d) != 2)
            return;
        const int direction1 = d.RunDirection[1];
        if (direction1 == 0 || direction1 != -d.RunDirection[2])
            return;
        const std::span<const double> run1 = RunReadings(d, 1);
        const std::span<const double> run2 = RunReadings(d, 2);
        std::vector<double> copy1(run1.begin(), run1.end());
        std::vector<double> copy2(run2.begin(), run2.end());
        const auto n1 = static_cast<int>(copy1.size());
        const auto n2 = static_cast<int>(copy2.size());
        if (n1 == 0 || n2 == 0)
            return;
        const bool full = FullCircle(d);
        if (full) {
            // Both runs about their common centre, so that a centre shift between them does not
            // count as hysteresis.
            const RunTrig& trig1 = trig.forCount(n1);
            const RunTrig& trig2 = trig.forCount(n2);
            const RunSlice slice1{copy1, &trig1};
            const RunSlice slice2{copy2, &trig2};
            const LscCircle circle1 = FitLscCircle({&slice1, 1}, d.TestRadius);
            const LscCircle circle2 = FitLscCircle({&slice2, 1}, d.TestRadius);
            const double xm = (circle1.CX + circle2.CX) / 2.0;
            const double ym = (circle1.CY + circle2.CY) / 2.0;
            RecentrePoints(copy1, trig1, xm, ym, d.TestRadius, d.TestRadius);
            RecentrePoints(copy2, trig2, xm, ym, d.TestRadius, d.TestRadius);
        }
        // Point j of run 1 meets the point of run 2 nearest its angle (halves round up). On a full
        // circle index n2 is point 0 again; on a partial arc the last point is the nearest.
        double hysteresis = 0;
        for (int j = 0; j < n1; ++j) {
            int k = static_cast<int>((2LL * j * n2 + n1) / (2LL * n1));
            if (k >= n2)
                k = full ? k % n2 : n2 - 1;
            const double h = std::fabs(copy1[static_cast<std::size_t>(j)] - copy2[static_cast<std::size_t>(k)])
                * kMicrometresPerMm;
            if (h > hysteresis)
                hysteresis = h;
        }
        iso.IsoH = CheckedFinite(hysteresis);
    });
}

Outcome CalcISOG(Case& c, PointTrig& trig, StepFailures& failures)
{
    return Trapped(QStringLiteral("Formulae(CalcISOG)"), [&] {
        const int runs = CheckedRunCount(c.Data);
        for (int r = 1; r <= runs; ++r) {
            // A fresh record per run: a failed search leaves 0, never the previous run's width.
            CircleResult zone;
            if (!failures.add(CalcMZC(c, zone, r, r, trig)))
                c.Results.markFailed(MeasurementPart::IsoG);
            c.Results.Iso.IsoG[static_cast<std::size_t>(r)] = zone.Circularity;
        }
    });
}

Outcome CalcISOF(Case& c, PointTrig& trig, StepFailures& failures)
{
    return Trapped(QStringLiteral("Formulae(CalcISOF)"), [&] {
        if (!failures.add(CalcISOH(c, trig)))
            c.Results.markFailed(MeasurementPart::IsoH);
        if (!failures.add(CalcISOG(c, trig, failures)))
            c.Results.markFailed(MeasurementPart::IsoG);
        const CaseData& d = c.Data;
        const int runs = CheckedRunCount(d);
        IsoResults& iso = c.Results.Iso;
        if (!d.Calibrated) {
            for (int r = 1; r <= runs; ++r) {
                iso.IsoFmax[static_cast<std::size_t>(r)] = 0;
                iso.IsoFmin[static_cast<std::size_t>(r)] = 0;
            }
            return;
        }
        std::vector<double> copy;
        for (int r = 1; r <= runs; ++r) {
            const std::span<const double> readings = RunReadings(d, r);
            copy.assign(readings.begin(), readings.end());
            double largest = 0, smallest = 0;
            if (!copy.empty()) {
                if (FullCircle(d)) {
                    const RunTrig& t = trig.forCount(static_cast<int>(copy.size()));
                    const RunSlice slice{copy, &t};
                    const LscCircle own = FitLscCircle({&slice, 1}, d.TestRadius);
                    RecentrePoints(copy, t, own.CX, own.CY, d.TestRadius, d.TestRadius);
                }
                largest = smallest = CheckedFinite(copy[0]);
                for (double v : copy) {
                    CheckedFinite(v);
                    if (v < smallest)
                        smallest = v;
                    if (v > largest)
                        largest = v;
                }
            }
            iso.IsoFmin[static_cast<std::size_t>(r)] = smallest * kMicrometresPerMm;
            iso.IsoFmax[static_cast<std::size_t>(r)] = largest * kMicrometresPerMm;
        }
    });
}

Outcome CalcISOF(Case& c, StepFailures& failures)
{
    PointTrig trig(c.Data);
    return CalcISOF(c, trig, failures);
}

Outcome CalcISOG(Case& c, StepFailures& failures)
{
    PointTrig trig(c.Data);
    return CalcISOG(c, trig, failures);
}

Outcome CalcISOH(Case& c)
{
    PointTrig trig(c.Data);
    return CalcISOH(c, trig);
}

void CalcMeasurement(Case& c, StepFailures& failures)
{
    PointTrig trig(c.Data);
    CalcMeasurement(c, trig, failures);
}

void CalcMeasurement(Case& c, PointTrig& trig, StepFailures& failures)
{
    CaseData& d = c.Data;
    // Only the parts of this analysis count: the case may hold the results of an earlier one.
    AnalysisResults& results = c.Results;
    results.FailedMeasurementParts = 0;
    const int runs = CheckedRunCount(d);
    if (runs == 0)
        return;
    // The centre as CalcLSC left it, before anything else runs.
    const double x0 = results.ErrorValues.CentreH / kMicrometresPerMm;
    const double y0 = results.ErrorValues.CentreV / kMicrometresPerMm;

    if (!failures.add(CalcISOF(c, trig, failures)))
        results.markFailed(MeasurementPart::IsoF);
    for (int r = 1; r <= runs; ++r) {
        const std::span<double> readings = RunReadings(d, r);
        RecentrePoints(readings, trig.forCount(static_cast<int>(readings.size())), x0, y0, d.TestRadius,
                       c.Results.LscResult.Radius);
    }
    if (!failures.add(CalcCircularity(c)))
        results.markFailed(MeasurementPart::Circularity);
    if (!failures.add(CalcMZC(c, results.MzcResult, 1, runs, trig)))
        results.markFailed(MeasurementPart::MinZone);
    results.Iso.IsoGb = results.MzcResult.Max - results.MzcResult.Min;
}

} // namespace sarvo
