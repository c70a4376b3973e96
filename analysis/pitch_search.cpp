#include "analysis/pitch_search.h"

#include "analysis/angles.h"
#include "analysis/error_model.h"
#include "analysis/fast_trig.h"
#include "analysis/run_geometry.h"
#include "core/checked_math.h"
#include "analysis/kelvox_binding.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace sarvo {

namespace {

// Columns of the detrending fit before the reversal steps: 1, cos 2t, sin 2t and the two
// three-lobe terms.
constexpr int kTrendColumns = 5;
// The cyclic model of one axis: sine and cosine of the screw phase, and the ovality.
constexpr int kCyclicColumns = 3;

// Angle of sample i of run 1 at its own spacing; whole degrees that a product misses by an ulp
// are snapped, so that the whole-degree quadrant ranges below see them.
double SampleAngle(const CaseData& d, int n, int i)
{
    const double a = PointAngleDeg(d.Arc(), n, i);
    const double whole = std::nearbyint(a);
    return std::fabs(a - whole) < 1e-9 ? whole : a;
}

// The reversal regions in the order they claim step columns: 0, 180, 90 and 270 degrees, each a
// quarter turn about its reversal, repeating every turn.
struct Region {
    double lo;
    double hi;
};
constexpr Region kRegions[4] = {{-45, 45}, {135, 225}, {45, 135}, {225, 315}};
enum RegionIndex { At0 = 0, At180 = 1, At90 = 2, At270 = 3 };

bool Overlaps(double b, double e, const Region& region)
{
    for (int turn = -3; turn <= 3; ++turn) {
        const double lo = region.lo + 360.0 * turn;
        const double hi = region.hi + 360.0 * turn;
        if (b < hi && e > lo)
            return true;
    }
    return false;
}

// Which regions the segments touch, with the column each one gets; returns the column count.
int StepColumns(const CaseData& d, int n, std::span<const PitchSegment> segments, std::array<int, 4>& columnOf)
{
    columnOf.fill(-1);
    int columns = kTrendColumns;
    for (const PitchSegment& s : segments) {
        const double b = SampleAngle(d, n, s.first);
        const double e = SampleAngle(d, n, s.last);
        for (int r = 0; r < 4; ++r)
            if (columnOf[static_cast<std::size_t>(r)] < 0 && Overlaps(b, e, kRegions[r]))
                columnOf[static_cast<std::size_t>(r)] = columns++;
    }
    return columns;
}

int SampleCount(std::span<const PitchSegment> segments)
{
    int n = 0;
    for (const PitchSegment& s : segments)
        n += s.last - s.first + 1;
    return n;
}

// The candidate whose cyclic model in the axis position leaves the smallest residual of the
// detrended samples y; a later candidate wins only with a strictly smaller one. 0 when none fits.
double BestPitch(const CaseData& d, std::span<const PitchSegment> segments, std::span<const float> y, bool vertical,
                 double radius, const std::array<float, 19>& candidates, StepFailures& failures)
{
    const int runPoints = CheckedTargets(d, 1);
    const int n = static_cast<int>(y.size());
    const auto rows = static_cast<std::size_t>(n);
    std::vector<double> axis(rows);
    std::vector<float> X(rows * kCyclicColumns, 0.0f);
    std::vector<float> P(rows * kCyclicColumns, 0.0f);
    std::size_t row = 0;
    for (const PitchSegment& s : segments) {
        for (int i = s.first; i <= s.last; ++i, ++row) {
            const double t = SampleAngle(d, runPoints, i);
            double sn, c;
            SinCosDeg(t, sn, c);
            axis[row] = vertical ? sn : c;
            X[2 * rows + row] = static_cast<float>(c * c - sn * sn); // cos 2t
        }
    }
    float best = 1e9f;
    double found = 0;
    for (int k = 1; k <= static_cast<int>(candidates[0]); ++k) {
        const float pitch = candidates[static_cast<std::size_t>(k)];
        // Screw turns over the radius: the axis lies at radius x f, so turns x f is its screw
        // phase in turns.
        const float turns = static_cast<float>(radius / pitch);
        for (std::size_t j = 0; j < rows; ++j) {
            const double f = axis[j];
            double s, c;
            SinCosTurns(turns * f, s, c);
            X[j] = static_cast<float>(f * s);
            X[rows + j] = static_cast<float>(f * c);
        }
        KelvoxCalcPinv(P.data(), X.data(), kCyclicColumns, n);
        if (!AllFinite(P))
            continue; // this candidate cannot be fitted; the others still can
        float r = 0;
        failures.add(GetResidual(P, X, y, kCyclicColumns, n, r));
        if (r < best) {
            best = r;
            found = pitch;
        }
    }
    return found;
}

} // namespace

std::array<float, 19> PitchConstants()
{
    return {18.0f,
            4.0f, 5.0f, 6.0f, 8.0f, 10.0f, 12.0f, 16.0f, 20.0f, 30.0f, 40.0f,
            static_cast<float>(25.4 / 4), static_cast<float>(25.4 / 3), static_cast<float>(76.2 / 8),
            static_cast<float>(101.6 / 10), static_cast<float>(25.4 / 2), static_cast<float>(76.2 / 4),
            static_cast<float>(25.4), static_cast<float>(76.2 / 2)};
}

int PitchWindow(double testRadius)
{
    if (!(testRadius > 0))
        throw AppError::invalidCall(QStringLiteral("The test radius is not positive"));
    // Within 40 mm of the radius the axis never travels 40 mm: the whole window.
    if (testRadius <= 40.0)
        return 60;
    const int w = CheckedInt16(ACosDeg(static_cast<float>((testRadius - 40.0) / testRadius)));
    return std::clamp(w, 40, 60);
}

std::vector<PitchSegment> PitchSegments(const CaseData& d, int w, bool vertical)
{
    std::vector<PitchSegment> segments;
    const int n = CheckedTargets(d, 1);
    const int start = d.StartAngle, stop = d.StopAngle, sweep = d.SweepAngle;
    if (n < 1 || sweep <= 0)
        return segments;
    const double perDegree = static_cast<double>(n) / sweep;
    // Skip zones lie between the windows of 2w degrees about the axis's reversals, which repeat
    // every half turn; a zone is open at both ends.
    const double reversal = vertical ? 90.0 : 0.0;
    auto phase = [&](double x) {
        double m = std::fmod(x - reversal, 180.0);
        return m < 0 ? m + 180.0 : m;
    };
    auto inZone = [&](double x) {
        const double m = phase(x);
        return m > w && m < 180.0 - w;
    };
    double a = start;
    do {
        double b = a;
        if (inZone(b))
            b = b - phase(b) + 180.0 - w; // the zone's upper end
        if (b >= stop)
            break;
        double e = b + 2.0 * w;
        if (inZone(e))
            e = e - phase(e) + w; // the zone's lower end
        if (e > stop)
            e = stop;
        const int first = static_cast<int>(std::nearbyint((b - start) * perDegree));
        const int last = std::min(static_cast<int>(std::nearbyint((e - start) * perDegree)), n - 1);
        if (first >= 0 && last >= first)
            segments.push_back({first, last});
        a = e + 180.0 - 2.0 * w;
    } while (a < stop);
    return segments;
}

Outcome GetPitchPrep(const CaseData& d, std::span<const PitchSegment> segments, std::vector<float>& y)
{
    return Trapped(QStringLiteral("Formulae(GetPitchPrep)"), [&] {
        const std::span<const double> readings = RunReadings(d, 1);
        const int runPoints = static_cast<int>(readings.size());
        for (const PitchSegment& s : segments)
            if (s.first < 0 || s.last >= runPoints || s.last < s.first)
                throw AppError::subscriptOutOfRange();
        std::array<int, 4> columnOf{};
        const int m = StepColumns(d, runPoints, segments, columnOf);
        const int n = SampleCount(segments);
        const auto rows = static_cast<std::size_t>(n);

        std::vector<float> X(rows * static_cast<std::size_t>(m), 0.0f);
        std::vector<double> observed(rows);
        auto at = [&](int column, std::size_t row) -> float& { return X[row + rows * static_cast<std::size_t>(column)]; };
        auto step = [&](RegionIndex region, std::size_t row, double value) {
            const int column = columnOf[region];
            if (column >= 0)
                at(column, row) = static_cast<float>(value);
        };
        std::size_t row = 0;
        for (const PitchSegment& s : segments) {
            for (int i = s.first; i <= s.last; ++i, ++row) {
                const double t = SampleAngle(d, runPoints, i);
                double sn, c;
                SinCosDeg(t, sn, c);
                at(0, row) = 1.0f;
                at(1, row) = static_cast<float>(c * c - sn * sn); // cos 2t
                at(2, row) = static_cast<float>(2 * sn * c);      // sin 2t
                at(3, row) = static_cast<float>(c * (sn * sn - 0.25));
                at(4, row) = static_cast<float>(sn * (c * c - 0.25));
                // The reversal steps of both axes by quadrant, one turn folded onto -179..180;
                // fractions of a degree between the whole-degree ranges get no step.
                const double q = t - 360.0 * std::ceil((t - 180.0) / 360.0);
                if (q >= 1 && q <= 90) {
                    step(At0, row, -c);
                    step(At90, row, -sn);
                } else if (q >= 91 && q <= 180) {
                    step(At180, row, -c);
                    step(At90, row, sn);
                } else if (q >= -179 && q <= -90) {
                    step(At180, row, c);
                    step(At270, row, sn);
                } else if (q >= -89 && q <= 0) {
                    step(At0, row, c);
                    step(At270, row, -sn);
                }
                observed[row] = readings[static_cast<std::size_t>(i)];
            }
        }

        std::vector<float> P(rows * static_cast<std::size_t>(m), 0.0f);
        KelvoxCalcPinv(P.data(), X.data(), m, n);
        if (!AllFinite(P))
            throw AppError::invalidCall(QStringLiteral("The reversal segments leave the detrending fit singular"));
        std::array<double, kTrendColumns + 4> coef{};
        for (std::size_t j = 0; j < rows; ++j) {
            const float* column = &P[j * static_cast<std::size_t>(m)];
            for (int k = 0; k < m; ++k)
                coef[static_cast<std::size_t>(k)] += column[k] * observed[j];
        }
        y.assign(rows, 0.0f);
        for (std::size_t j = 0; j < rows; ++j) {
            double fitted = 0;
            for (int k = 0; k < m; ++k)
                fitted += coef[static_cast<std::size_t>(k)] * at(k, j);
            y[j] = CheckedSingle(observed[j] - fitted);
        }
    });
}

Outcome GetPitchFit(Case& c, StepFailures& failures, Progress* progress)
{
    ErrorParams& ev = c.Results.ErrorValues;
    // Every axis starts without a pitch: a failure or an axis without segments never keeps the
    // previous case's.
    ev.PitchH = 0;
    ev.PitchV = 0;
    auto report = [&](int percent) {
        if (progress)
            progress->setPercent(percent);
    };
    return Trapped(QStringLiteral("Formulae(GetPitchFit)"), [&] {
        const CaseData& d = c.Data;
        const std::array<float, 19> candidates = PitchConstants();
        const int w = PitchWindow(d.TestRadius);
        const double radius = c.Results.LscResult.Radius;
        const int runPoints = CheckedTargets(d, 1);

        for (const bool vertical : {false, true}) {
            const std::vector<PitchSegment> segments = PitchSegments(d, w, vertical);
            std::array<int, 4> columnOf{};
            const int trend = StepColumns(d, runPoints, segments, columnOf);
            const int n = SampleCount(segments);
            std::vector<float> y;
            // Too few samples to tell the cyclic model from the trend: the axis has no pitch.
            const bool usable = n >= trend + kCyclicColumns && failures.add(GetPitchPrep(d, segments, y));
            report(vertical ? 20 : 10);
            if (usable) {
                // Assigned by name: a packed field takes no reference.
                const double pitch = BestPitch(d, segments, y, vertical, radius, candidates, failures);
                if (vertical)
                    ev.PitchV = pitch;
                else
                    ev.PitchH = pitch;
            }
            if (!vertical)
                report(15);
        }
    });
}

} // namespace sarvo
