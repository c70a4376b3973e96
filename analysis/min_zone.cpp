#include "analysis/min_zone.h"

#include "analysis/angles.h"
#include "core/checked_math.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace sarvo {

namespace {

// The zone is solved by successive linearisation: about a trial centre c each distance is
// d_i - u_i . delta for a small move delta (u_i the unit vector from c to point i), and the
// narrowest zone of that linear model is a linear programme whose optimum is exact. Its step is
// taken (shortened while the true width does not drop as the model predicts), and the model is
// rebuilt at the new centre until it promises no further gain. The error of the model is
// |delta|^2 / (2 d), so the last steps are exact to rounding.
constexpr double kGainTolerance = 1e-11;     // mm: a predicted gain below this ends the search
constexpr double kPricingTolerance = 1e-12;  // mm: a point this little outside the zone is inside
constexpr double kLooseTolerance = 1e-9;     // mm: the widest it may get on a stalled programme
constexpr double kPivotTolerance = 1e-12;
constexpr double kContactTolerance = 1e-10;  // mm: points this close to a circle lie on it
constexpr double kDegenerateArea = 1e-12;
constexpr int kMaxRelinearisations = 100;
constexpr int kMaxHalvings = 60;
constexpr int kMaxPivots = 20000;
constexpr int kStallBeforeBland = 50;
constexpr std::size_t kBandTarget = 256; // points priced at every pivot
constexpr std::size_t kAddPerSide = 16;  // violators brought in by one full pass, per circle
constexpr std::size_t kBasisSample = 256; // points looked at for the starting basis

constexpr double kMicrometresPerMm = 1000.0;

struct Extremes {
    double rFar = 0;
    double rNear = 0;
    int farthest = 0;
    int nearest = 0;
};

// Index of the first element equal to value; the caller knows one is.
std::size_t FirstEqual(const double* v, std::size_t n, double value)
{
    // Blocks without it are passed over in one vectorised test.
    constexpr std::size_t kBlock = 64;
    for (std::size_t first = 0; first < n; first += kBlock) {
        const std::size_t end = std::min(n, first + kBlock);
        int found = 0;
#pragma omp simd reduction(| : found)
        for (std::size_t i = first; i < end; ++i)
            found |= static_cast<int>(v[i] == value);
        if (!found)
            continue;
        for (std::size_t i = first; i < end; ++i)
            if (v[i] == value)
                return i;
    }
    return 0;
}

// The point loops below are written for the compiler's vector units: values first (with the
// extremes as reductions), indexes afterwards by a search for the first equal value.
Extremes Measure(std::span<const double> x, std::span<const double> y, double cx, double cy,
                 std::vector<double>& scratch)
{
    const std::size_t n = x.size();
    scratch.resize(n);
    double* __restrict d2 = scratch.data();
    const double* __restrict px = x.data();
    const double* __restrict py = y.data();
    double far2 = -1.0;
    double near2 = std::numeric_limits<double>::infinity();
#pragma omp simd reduction(max : far2) reduction(min : near2)
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = px[i] - cx;
        const double dy = py[i] - cy;
        const double v = dx * dx + dy * dy;
        d2[i] = v;
        far2 = v > far2 ? v : far2;
        near2 = v < near2 ? v : near2;
    }
    Extremes e;
    e.rFar = std::sqrt(CheckedFinite(far2));
    e.rNear = std::sqrt(CheckedFinite(near2));
    e.farthest = static_cast<int>(FirstEqual(d2, n, far2));
    e.nearest = static_cast<int>(FirstEqual(d2, n, near2));
    return e;
}

struct Linearisation {
    std::vector<double> d;
    std::vector<double> ux;
    std::vector<double> uy;
    // The programme works on d - mid, the mid-range distance: it then meets zone-sized numbers,
    // not radii of 150 mm (the constant cancels in the width).
    double mid = 0;
    std::size_t imax = 0; // first point at the largest distance
    std::size_t imin = 0; // first point at the smallest distance
    double width() const { return d[imax] - d[imin]; }
};

void Linearise(std::span<const double> x, std::span<const double> y, double cx, double cy, Linearisation& lin)
{
    const std::size_t n = x.size();
    lin.d.resize(n);
    lin.ux.resize(n);
    lin.uy.resize(n);
    double* __restrict d = lin.d.data();
    double* __restrict ux = lin.ux.data();
    double* __restrict uy = lin.uy.data();
    const double* __restrict px = x.data();
    const double* __restrict py = y.data();
    const double tiny = std::numeric_limits<double>::min();
    double dmax = -1.0;
    double dmin = std::numeric_limits<double>::infinity();
#pragma omp simd reduction(max : dmax) reduction(min : dmin)
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = px[i] - cx;
        const double dy = py[i] - cy;
        const double r = std::sqrt(dx * dx + dy * dy);
        const double inverse = 1.0 / (r + tiny); // equals 1 / r but for a point on the centre
        d[i] = r;
        ux[i] = dx * inverse;
        uy[i] = dy * inverse;
        dmax = r > dmax ? r : dmax;
        dmin = r < dmin ? r : dmin;
    }
    lin.imax = FirstEqual(d, n, dmax);
    lin.imin = FirstEqual(d, n, dmin);
    lin.mid = (dmax + dmin) / 2.0;
}

struct LinearStep {
    double dx = 0;
    double dy = 0;
    double width = 0; // the model's width after the step
};

// The narrowest zone of the linear model, min over delta of
//   max_i (d_i - u_i . delta) - min_i (d_i - u_i . delta),
// solved through its dual by the revised simplex method:
//   max sum l_i d_i - sum m_i d_i  s.t.  sum l_i = 1, sum m_i = 1, sum l_i u_i - sum m_i u_i = 0,
//   l, m >= 0.
// Column 2i is point i on the outer circle (1, 0, u_i; cost d_i), column 2i + 1 the point on the
// inner circle (0, 1, -u_i; cost -d_i). The simplex multipliers of a basis are (T, -S, delta):
// the outer and inner radii and the move, so a column prices in exactly when its point lies
// outside the zone. Pricing runs over a small set of points near the extremes; a full pass over
// all points then either confirms the optimum or brings in the worst violators.
class ZoneLp {
public:
    // marks: at least one zero per point, kept between programmes; they are all zero again when
    // the programme ends.
    ZoneLp(const Linearisation& lin, std::vector<char>& marks) : lin_(lin), n_(lin.d.size()), isCandidate_(marks)
    {
        if (isCandidate_.size() < n_)
            isCandidate_.resize(n_, 0);
    }
    ~ZoneLp()
    {
        for (std::size_t i : candidates_)
            isCandidate_[i] = 0;
    }
    ZoneLp(const ZoneLp&) = delete;
    ZoneLp& operator=(const ZoneLp&) = delete;

    // false when the points show fewer than three directions: the model then has no bounded step.
    bool solve(std::span<const std::size_t> hints, LinearStep& step)
    {
        if (!startBasis())
            return false;
        selectBand();
        for (std::size_t id : basis_)
            addCandidate(id / 2);
        for (std::size_t i : hints)
            if (i < n_)
                addCandidate(i);

        bool bland = false;
        int stall = 0;
        double tolerance = kPricingTolerance;
        double lastObjective = -std::numeric_limits<double>::infinity();
        for (int pivot = 0;; ++pivot) {
            if (pivot > kMaxPivots)
                throw AppError::invalidCall(QStringLiteral("The minimum-zone search did not converge"));
            invertBasis();
            std::array<double, 4> x{};
            std::array<double, 4> cost{};
            double objective = 0;
            for (int k = 0; k < 4; ++k) {
                x[k] = std::max(0.0, inverse_[k][0] + inverse_[k][1]); // B^-1 (1, 1, 0, 0)
                cost[k] = costOf(basis_[k]);
                objective += cost[k] * x[k];
            }
            if (objective > lastObjective + 1e-15) {
                lastObjective = objective;
                stall = 0;
            } else if (++stall > kStallBeforeBland) {
                // Bland's rule cannot cycle on a degenerate vertex. Should rounding on a nearly
                // singular basis still keep the objective from rising, the pricing tolerance
                // widens by decades, up to kLooseTolerance.
                if (bland) {
                    if (tolerance >= kLooseTolerance)
                        throw AppError::invalidCall(QStringLiteral("The minimum-zone search did not converge"));
                    tolerance *= 10.0;
                }
                bland = true;
                stall = 0;
            }
            std::array<double, 4> y{};
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 4; ++k)
                    y[r] += inverse_[k][r] * cost[k];

            std::size_t entering = price(candidates_, y, bland, tolerance);
            if (entering == kNone) {
                if (!bringInViolators(y, tolerance)) {
                    step.dx = y[2];
                    step.dy = y[3];
                    step.width = y[0] + y[1];
                    return true;
                }
                entering = price(candidates_, y, bland, tolerance);
                if (entering == kNone)
                    continue;
            }

            std::array<double, 4> a{};
            columnOf(entering, a);
            std::array<double, 4> w{};
            for (int k = 0; k < 4; ++k)
                for (int c = 0; c < 4; ++c)
                    w[k] += inverse_[k][c] * a[c];
            int leaving = -1;
            double bestRatio = std::numeric_limits<double>::infinity();
            for (int k = 0; k < 4; ++k) {
                if (w[k] <= kPivotTolerance)
                    continue;
                const double ratio = x[k] / w[k];
                const bool tie = leaving >= 0 && std::fabs(ratio - bestRatio) <= 1e-15;
                if (ratio < bestRatio && !tie) {
                    bestRatio = ratio;
                    leaving = k;
                } else if (tie && (bland ? basis_[k] < basis_[static_cast<std::size_t>(leaving)]
                                         : w[k] > w[static_cast<std::size_t>(leaving)])) {
                    leaving = k;
                }
            }
            if (leaving < 0) // the model's zone is always bounded below: only rounding gets here
                throw AppError::invalidCall(QStringLiteral("The minimum-zone search lost its basis"));
            basis_[static_cast<std::size_t>(leaving)] = entering;
        }
    }

    // The points of the final basis: where the next model's optimum most likely lies.
    std::vector<std::size_t> basisPoints() const
    {
        std::vector<std::size_t> points;
        for (std::size_t id : basis_)
            points.push_back(id / 2);
        return points;
    }

private:
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    bool inBasis(std::size_t id) const
    {
        return basis_[0] == id || basis_[1] == id || basis_[2] == id || basis_[3] == id;
    }

    double costOf(std::size_t id) const
    {
        const double d = lin_.d[id / 2] - lin_.mid;
        return (id % 2 == 0) ? d : -d;
    }

    void columnOf(std::size_t id, std::array<double, 4>& a) const
    {
        const std::size_t i = id / 2;
        if (id % 2 == 0)
            a = {1.0, 0.0, lin_.ux[i], lin_.uy[i]};
        else
            a = {0.0, 1.0, -lin_.ux[i], -lin_.uy[i]};
    }

    // Distance of point i in the model after the move of y.
    double moved(std::size_t i, const std::array<double, 4>& y) const
    {
        return (lin_.d[i] - lin_.mid) - lin_.ux[i] * y[2] - lin_.uy[i] * y[3];
    }

    // Outer circle through the farthest point and two others spread as widely as possible, inner
    // circle through the farthest point too: feasible for the dual (l = m = 1 at that point).
    // A sample of the points suffices; all of them are looked at only if the sample shows fewer
    // than three directions.
    bool startBasis()
    {
        const std::size_t sampled = std::max<std::size_t>(1, n_ / kBasisSample);
        return startBasis(sampled) || (sampled > 1 && startBasis(1));
    }

    bool startBasis(std::size_t stride)
    {
        const std::size_t i0 = lin_.imax;
        const double u0x = lin_.ux[i0];
        const double u0y = lin_.uy[i0];
        std::size_t i1 = i0;
        double lowest = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < n_; i += stride) {
            const double dot = lin_.ux[i] * u0x + lin_.uy[i] * u0y;
            if (dot < lowest) {
                lowest = dot;
                i1 = i;
            }
        }
        const double ax = lin_.ux[i1] - u0x;
        const double ay = lin_.uy[i1] - u0y;
        std::size_t i2 = i0;
        double area = 0;
        for (std::size_t i = 0; i < n_; i += stride) {
            const double cross = std::fabs(ax * (lin_.uy[i] - u0y) - ay * (lin_.ux[i] - u0x));
            if (cross > area) {
                area = cross;
                i2 = i;
            }
        }
        if (!(area > kDegenerateArea))
            return false;
        basis_ = {2 * i0, 2 * i0 + 1, 2 * i1, 2 * i2};
        return true;
    }

    // The points within a band of the largest and the smallest distance, as wide as a histogram
    // of the distances says holds about kBandTarget points.
    void selectBand()
    {
        const double* d = lin_.d.data();
        const double dmax = d[lin_.imax];
        const double dmin = d[lin_.imin];
        addCandidate(lin_.imax);
        addCandidate(lin_.imin);
        if (!(dmax > dmin))
            return;
        constexpr int kBins = 512;
        std::array<std::uint32_t, kBins> histogram{};
        const double scale = kBins / (dmax - dmin);
        for (std::size_t i = 0; i < n_; ++i)
            ++histogram[static_cast<std::size_t>(std::min(kBins - 1, static_cast<int>((d[i] - dmin) * scale)))];
        int top = kBins - 1;
        int bottom = 0;
        std::size_t count = histogram[static_cast<std::size_t>(top)] + histogram[0];
        while (top - bottom > 2) {
            const std::size_t wider = count + histogram[static_cast<std::size_t>(top - 1)]
                + histogram[static_cast<std::size_t>(bottom + 1)];
            if (wider > kBandTarget)
                break;
            count = wider;
            --top;
            ++bottom;
        }
        const double upper = dmin + top / scale;
        const double lower = dmin + (bottom + 1) / scale;
        // Nearly every point lies between the bounds: a block without one outside is passed over
        // in one vectorised test, and the others are taken in order as before.
        constexpr std::size_t kBlock = 64;
        for (std::size_t first = 0; first < n_ && candidates_.size() < 4 * kBandTarget; first += kBlock) {
            const std::size_t end = std::min(n_, first + kBlock);
            int outside = 0;
#pragma omp simd reduction(| : outside)
            for (std::size_t i = first; i < end; ++i)
                outside |= static_cast<int>(d[i] >= upper) | static_cast<int>(d[i] <= lower);
            if (!outside)
                continue;
            for (std::size_t i = first; i < end && candidates_.size() < 4 * kBandTarget; ++i)
                if (d[i] >= upper || d[i] <= lower)
                    addCandidate(i);
        }
    }

    void addCandidate(std::size_t i)
    {
        if (!isCandidate_[i]) {
            isCandidate_[i] = 1;
            candidates_.push_back(i);
        }
    }

    // The entering column among the points given: the largest reduced cost, or under Bland's
    // rule the lowest column number with a positive one.
    std::size_t price(std::span<const std::size_t> points, const std::array<double, 4>& y, bool bland,
                      double tolerance) const
    {
        std::size_t entering = kNone;
        double best = tolerance;
        for (std::size_t i : points) {
            const double e = moved(i, y);
            // A basic column prices at zero; rounding on a nearly singular basis must not let it
            // re-enter in place of itself.
            const double outer = inBasis(2 * i) ? 0.0 : e - y[0];      // beyond the outer circle
            const double inner = inBasis(2 * i + 1) ? 0.0 : -e - y[1]; // inside the inner circle
            if (bland) {
                if (outer > tolerance && 2 * i < entering)
                    entering = 2 * i;
                else if (inner > tolerance && 2 * i + 1 < entering)
                    entering = 2 * i + 1;
            } else {
                if (outer > best) {
                    best = outer;
                    entering = 2 * i;
                }
                if (inner > best) {
                    best = inner;
                    entering = 2 * i + 1;
                }
            }
        }
        return entering;
    }

    // A pass over every point: false when none lies outside the zone of y; otherwise the worst
    // violators of each circle join the candidates.
    bool bringInViolators(const std::array<double, 4>& y, double tolerance)
    {
        // Usually every point is inside: one vectorised pass over the moved distances tells.
        const double* d = lin_.d.data();
        const double* ux = lin_.ux.data();
        const double* uy = lin_.uy.data();
        const double mid = lin_.mid;
        double highest = -std::numeric_limits<double>::infinity();
        double lowest = std::numeric_limits<double>::infinity();
#pragma omp simd reduction(max : highest) reduction(min : lowest)
        for (std::size_t i = 0; i < n_; ++i) {
            const double e = (d[i] - mid) - ux[i] * y[2] - uy[i] * y[3];
            highest = e > highest ? e : highest;
            lowest = e < lowest ? e : lowest;
        }
        if (highest - y[0] <= tolerance && -lowest - y[1] <= tolerance)
            return false;

        std::vector<std::pair<double, std::size_t>> outer;
        std::vector<std::pair<double, std::size_t>> inner;
        for (std::size_t i = 0; i < n_; ++i) {
            const double e = moved(i, y);
            if (e - y[0] > tolerance && !inBasis(2 * i))
                outer.emplace_back(e - y[0], i);
            if (-e - y[1] > tolerance && !inBasis(2 * i + 1))
                inner.emplace_back(-e - y[1], i);
        }
        bool added = false;
        for (auto* side : {&outer, &inner}) {
            const std::size_t keep = std::min(kAddPerSide, side->size());
            std::partial_sort(side->begin(), side->begin() + static_cast<std::ptrdiff_t>(keep), side->end(),
                              [](const auto& a, const auto& b) { return a.first > b.first; });
            for (std::size_t k = 0; k < keep; ++k) {
                added = added || !isCandidate_[(*side)[k].second];
                addCandidate((*side)[k].second);
            }
        }
        return added;
    }

    // inverse_ := B^-1 by Gauss-Jordan with partial pivoting.
    void invertBasis()
    {
        double m[4][8];
        for (int c = 0; c < 4; ++c) {
            std::array<double, 4> a{};
            columnOf(basis_[static_cast<std::size_t>(c)], a);
            for (int r = 0; r < 4; ++r) {
                m[r][c] = a[static_cast<std::size_t>(r)];
                m[r][4 + c] = (r == c) ? 1.0 : 0.0;
            }
        }
        for (int i = 0; i < 4; ++i) {
            int pivotRow = i;
            for (int r = i + 1; r < 4; ++r)
                if (std::fabs(m[r][i]) > std::fabs(m[pivotRow][i]))
                    pivotRow = r;
            if (!(std::fabs(m[pivotRow][i]) > 1e-14))
                throw AppError::invalidCall(QStringLiteral("The minimum-zone search lost its basis"));
            if (pivotRow != i)
                for (int c = 0; c < 8; ++c)
                    std::swap(m[i][c], m[pivotRow][c]);
            const double t = 1.0 / m[i][i];
            for (int c = 0; c < 8; ++c)
                m[i][c] *= t;
            for (int r = 0; r < 4; ++r) {
                if (r == i || m[r][i] == 0.0)
                    continue;
                const double f = m[r][i];
                for (int c = 0; c < 8; ++c)
                    m[r][c] -= f * m[i][c];
            }
        }
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                inverse_[r][c] = m[r][4 + c];
    }

    const Linearisation& lin_;
    std::size_t n_;
    std::array<std::size_t, 4> basis_{};
    double inverse_[4][4] = {};
    std::vector<std::size_t> candidates_;
    std::vector<char>& isCandidate_;
};

void CheckPoints(std::span<const double> x, std::span<const double> y)
{
    if (x.empty() || x.size() != y.size())
        throw AppError::invalidCall();
    // 0 * v is NaN for an infinite or undefined v and 0 otherwise: one sum tells for all points.
    double probe = 0;
    const double* px = x.data();
    const double* py = y.data();
    const std::size_t n = x.size();
#pragma omp simd reduction(+ : probe)
    for (std::size_t i = 0; i < n; ++i)
        probe += 0.0 * px[i] + 0.0 * py[i];
    if (probe != 0.0) {
        for (std::size_t i = 0; i < x.size(); ++i) {
            CheckedFinite(x[i]);
            CheckedFinite(y[i]);
        }
    }
}

// The algebraic least-squares centre of the points (the circle x^2 + y^2 = 2 a x + 2 b y + c,
// fitted about the points' mean): a start near the zone's centre in whatever frame the points
// are given. False when the points lie on a line.
bool AlgebraicCentre(std::span<const double> x, std::span<const double> y, double& cx, double& cy)
{
    const std::size_t n = x.size();
    const double* px = x.data();
    const double* py = y.data();
    double mx = 0, my = 0;
#pragma omp simd reduction(+ : mx, my)
    for (std::size_t i = 0; i < n; ++i) {
        mx += px[i];
        my += py[i];
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double suu = 0, suv = 0, svv = 0, suz = 0, svz = 0;
#pragma omp simd reduction(+ : suu, suv, svv, suz, svz)
    for (std::size_t i = 0; i < n; ++i) {
        const double u = px[i] - mx;
        const double v = py[i] - my;
        const double z = u * u + v * v;
        suu += u * u;
        suv += u * v;
        svv += v * v;
        suz += u * z;
        svz += v * z;
    }
    const double det = suu * svv - suv * suv;
    if (!(det > 1e-12 * suu * svv))
        return false;
    cx = mx + (suz * svv - svz * suv) / (2.0 * det);
    cy = my + (svz * suu - suz * suv) / (2.0 * det);
    return std::isfinite(cx) && std::isfinite(cy);
}

// The zone about the centre of lin. At the minimum several points lie on each circle, equal but
// for rounding; the first of them (in the order given) is named, as with exact ties.
ZoneFit FitOf(const Linearisation& lin, double cx, double cy)
{
    ZoneFit fit;
    fit.cx = cx;
    fit.cy = cy;
    const double* d = lin.d.data();
    fit.rFar = d[lin.imax];
    fit.rNear = d[lin.imin];
    std::size_t i = 0;
    while (d[i] < fit.rFar - kContactTolerance)
        ++i;
    fit.farthest = static_cast<int>(i);
    i = 0;
    while (d[i] > fit.rNear + kContactTolerance)
        ++i;
    fit.nearest = static_cast<int>(i);
    return fit;
}

} // namespace

double CalcMZCf(std::span<const double> x, std::span<const double> y, double cx, double cy, int& nearest,
                int& farthest)
{
    CheckPoints(x, y);
    std::vector<double> scratch;
    const Extremes e = Measure(x, y, CheckedFinite(cx), CheckedFinite(cy), scratch);
    nearest = e.nearest;
    farthest = e.farthest;
    return e.rFar - e.rNear;
}

ZoneFit MinimumZone(std::span<const double> x, std::span<const double> y, double cx0, double cy0)
{
    CheckPoints(x, y);
    double cx = CheckedFinite(cx0);
    double cy = CheckedFinite(cy0);
    // The models of a large set run to megabytes: kept between searches, as faulting in fresh
    // pages for them cost more than the search itself. Linearise overwrites every element.
    thread_local Linearisation lin;
    thread_local Linearisation trial;
    thread_local std::vector<char> candidateMarks;

    if (x.size() == 2) {
        // Any centre on the perpendicular bisector gives width 0: take the one nearest the start.
        const double mx = (x[0] + x[1]) / 2.0;
        const double my = (y[0] + y[1]) / 2.0;
        const double vx = -(y[1] - y[0]);
        const double vy = x[1] - x[0];
        const double length2 = vx * vx + vy * vy;
        if (length2 > 0.0) {
            const double t = ((cx - mx) * vx + (cy - my) * vy) / length2;
            cx = mx + t * vx;
            cy = my + t * vy;
        }
        Linearise(x, y, cx, cy, lin);
        return FitOf(lin, cx, cy);
    }

    // Every trial centre is linearised at once: the distances give its width, and the model at
    // an accepted centre is the one the next round needs.
    Linearise(x, y, cx, cy, lin);
    std::vector<std::size_t> hints;
    for (int round = 0; round < kMaxRelinearisations && lin.width() > kGainTolerance; ++round) {
        ZoneLp lp(lin, candidateMarks);
        LinearStep step;
        if (!lp.solve(hints, step))
            break;
        hints = lp.basisPoints();
        const double width = lin.width();
        const double gain = width - step.width;
        if (!(gain > kGainTolerance))
            break;
        bool moved = false;
        double t = 1.0;
        for (int halving = 0; halving < kMaxHalvings; ++halving, t *= 0.5) {
            const double nx = cx + t * step.dx;
            const double ny = cy + t * step.dy;
            Linearise(x, y, nx, ny, trial);
            if (trial.width() <= width - 0.1 * t * gain) {
                cx = nx;
                cy = ny;
                std::swap(lin, trial);
                moved = true;
                break;
            }
        }
        if (!moved)
            break;
    }
    return FitOf(lin, cx, cy);
}

ZoneFit MinimumZone(std::span<const double> x, std::span<const double> y)
{
    CheckPoints(x, y);
    double cx = 0, cy = 0;
    if (x.size() > 2 && !AlgebraicCentre(x, y, cx, cy))
        cx = cy = 0;
    return MinimumZone(x, y, cx, cy);
}

Outcome CalcMZC(Case& c, CircleResult& result, int firstRun, int lastRun, PointTrig& trig)
{
    return Trapped(QStringLiteral("Formulae(CalcMZC)"), [&] {
        const CaseData& d = c.Data;
        const int runs = CheckedRunCount(d);
        if (firstRun < 1 || lastRun > runs || firstRun > lastRun)
            throw AppError::subscriptOutOfRange();
        const double radius = c.Results.LscResult.Radius;

        std::size_t total = 0;
        for (int r = firstRun; r <= lastRun; ++r)
            total += static_cast<std::size_t>(CheckedTargets(d, r));
        // Kept between calls like the search's own models; every element is written below.
        thread_local std::vector<double> x, y;
        x.resize(total);
        y.resize(total);
        std::array<std::size_t, kRunSlots + 1> firstPoint{}; // index of point 0 of each run
        std::size_t k = 0;
        for (int r = firstRun; r <= lastRun; ++r) {
            firstPoint[static_cast<std::size_t>(r)] = k;
            const std::span<const double> readings = RunReadings(d, r);
            const RunTrig& t = trig.forCount(static_cast<int>(readings.size()));
            for (std::size_t j = 0; j < readings.size(); ++j, ++k) {
                const double distance = radius + readings[j];
                x[k] = t.cos[j] * distance;
                y[k] = t.sin[j] * distance;
            }
        }
        firstPoint[static_cast<std::size_t>(lastRun + 1)] = k;

        const ZoneFit fit = MinimumZone(x, y);

        // The run and point of a point of the set, and its angle at that run's own step.
        auto locate = [&](int index, int16_t& run, int16_t& point) {
            int r = firstRun;
            while (static_cast<std::size_t>(index) >= firstPoint[static_cast<std::size_t>(r + 1)])
                ++r;
            run = static_cast<int16_t>(r);
            point = static_cast<int16_t>(static_cast<std::size_t>(index) - firstPoint[static_cast<std::size_t>(r)]);
            return PointAngleDeg(d.Arc(), d.RunTargets[static_cast<std::size_t>(r)], point);
        };
        CircleResult out = result;
        out.Circularity = (fit.rFar - fit.rNear) * kMicrometresPerMm;
        out.Radius = (fit.rNear + fit.rFar) / 2.0;
        out.Max = (fit.rFar - d.TestRadius) * kMicrometresPerMm;
        out.Min = (fit.rNear - d.TestRadius) * kMicrometresPerMm;
        out.MaxPos = locate(fit.farthest, out.MaxRun, out.MaxPoint);
        out.MinPos = locate(fit.nearest, out.MinRun, out.MinPoint);
        out.CentreH = fit.cx * kMicrometresPerMm + c.Results.ErrorValues.CentreH;
        out.CentreV = fit.cy * kMicrometresPerMm + c.Results.ErrorValues.CentreV;
        CheckedFinite(out.Radius);
        CheckedFinite(out.CentreH);
        CheckedFinite(out.CentreV);
        result = out;
    });
}

Outcome CalcMZC(Case& c, CircleResult& result, int firstRun, int lastRun)
{
    PointTrig trig(c.Data);
    return CalcMZC(c, result, firstRun, lastRun, trig);
}

} // namespace sarvo
