#pragma once
// Synthetic ball-bar cases and independent references for the analysis tests: runs generated
// from the bar's geometry, a double-precision least-squares circle (Eigen) and a brute-force
// minimum-zone search on a refined grid.

#include "analysis/step_failures.h"
#include "core/case.h"
#include "core/outcome.h"
#include "core/settings.h"
#include "analysis/trig_tables.h"

#include <Eigen/Dense>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <span>
#include <vector>

namespace sarvo::test {

// Does with outcomes what the program does: the failures a step went on past are reported, then
// its own, so that a test reads the messages a user would meet. True when the step succeeded.
struct Reporter {
    StepFailures failures;
    bool operator()(const Outcome& own = {})
    {
        for (const Outcome& failure : failures)
            ReportOutcome(failure);
        failures = {};
        return ReportOutcome(own);
    }
};

inline double Radians(double degrees)
{
    return degrees * kPi12 / 180.0;
}

// One run of the ball bar: the ball travels round the centre (ex, ey) (mm, from the pivot) at
// radius + shape(theta) along its parametric angle theta; the bar reads its distance from the
// pivot less the test radius.
struct RunModel {
    int points = 360;
    int direction = 1;
    double ex = 0;
    double ey = 0;
    double radius = 150;
    std::function<double(double)> shape; // mm, of theta in radians; none = a true circle
};

inline double BallBarReading(const RunModel& run, double theta, double testRadius)
{
    const double rho = run.radius + (run.shape ? run.shape(theta) : 0.0);
    return std::hypot(run.ex + rho * std::cos(theta), run.ey + rho * std::sin(theta)) - testRadius;
}

// A calibrated case at the base temperature whose bar length equals the test radius, so the
// temperature compensation leaves the readings as generated. A dynamic run's points are spread
// over the arc, a static run's lie every 45 degrees from the start.
inline Case MakeCase(int startAngle, int sweepAngle, double testRadius, const std::vector<RunModel>& runs,
                     bool dynamic = true)
{
    Case c;
    CaseData& d = c.Data;
    d.StartAngle = static_cast<int16_t>(startAngle);
    d.SweepAngle = static_cast<int16_t>(sweepAngle);
    d.StopAngle = static_cast<int16_t>(startAngle + sweepAngle);
    d.TestRadius = testRadius;
    d.BallBarLength = static_cast<float>(testRadius);
    d.Calibrated = true;
    d.Dynamic = dynamic;
    d.RunCount = static_cast<int16_t>(runs.size());
    int16_t most = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        const RunModel& run = runs[i];
        d.RunTargets[static_cast<std::size_t>(r)] = static_cast<int16_t>(run.points);
        d.RunDirection[static_cast<std::size_t>(r)] = static_cast<int16_t>(run.direction);
        d.GaugeTemp[static_cast<std::size_t>(r)] = 20;
        d.MachineTemp[static_cast<std::size_t>(r)] = 20;
        most = std::max<int16_t>(most, static_cast<int16_t>(run.points));
        for (int j = 0; j < run.points; ++j) {
            const double step = dynamic ? static_cast<double>(sweepAngle) / run.points : 45.0;
            const double theta = Radians(startAngle + j * step);
            d.Readings(r, j) = BallBarReading(run, theta, testRadius);
        }
    }
    d.MaxTargets = most;
    return c;
}

inline Settings BaseSettings()
{
    Settings s;
    s.BaseTemperature = 20;
    return s;
}

// A smooth random trace: harmonics 2..12 with amplitudes falling as 1/k, plus a fixed noise per
// point when noise > 0 (mm). Same seed, same shape.
struct RandomShape {
    std::vector<double> amplitude, phase;
    explicit RandomShape(unsigned seed, double scale = 0.003)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k <= 12; ++k) {
            amplitude.push_back(k < 2 ? 0.0 : scale * unit(rng) / k);
            phase.push_back(2 * M_PI * unit(rng));
        }
    }
    double operator()(double theta) const
    {
        double s = 0;
        for (std::size_t k = 2; k < amplitude.size(); ++k)
            s += amplitude[k] * std::cos(static_cast<double>(k) * theta + phase[k]);
        return s;
    }
};

// Least-squares circle of points at distance radius + reading from the pivot, in double
// precision: (radius + r)^2 = 2 c0 cos + 2 c1 sin + c2.
struct ReferenceCircle {
    double cx, cy, r;
};
inline ReferenceCircle ReferenceLsc(std::span<const double> readings, std::span<const double> anglesRad, double radius)
{
    const auto n = static_cast<Eigen::Index>(readings.size());
    Eigen::MatrixXd X(n, 3);
    Eigen::VectorXd y(n);
    for (Eigen::Index j = 0; j < n; ++j) {
        X(j, 0) = 2 * std::cos(anglesRad[static_cast<std::size_t>(j)]);
        X(j, 1) = 2 * std::sin(anglesRad[static_cast<std::size_t>(j)]);
        X(j, 2) = 1;
        const double rho = radius + readings[static_cast<std::size_t>(j)];
        y(j) = rho * rho;
    }
    const Eigen::Vector3d c = X.colPivHouseholderQr().solve(y);
    const double r = std::sqrt((c(2) + std::sqrt(c(2) * c(2) - 4 * (c(0) * c(0) + c(1) * c(1)))) / 2);
    return {c(0) / r, c(1) / r, r};
}

// Zone width about (cx, cy): largest less smallest distance.
inline double ZoneWidth(std::span<const double> x, std::span<const double> y, double cx, double cy)
{
    double lo = INFINITY, hi = -INFINITY;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double dx = x[i] - cx;
        const double dy = y[i] - cy;
        const double d = std::sqrt(dx * dx + dy * dy);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    return hi - lo;
}

// Brute-force minimum zone: a 41 x 41 grid of centres, refined eight times per level round the
// best centre until the spacing is below 1e-8 mm. Every value it returns is a width some centre
// achieves, so it can only err on the wide side.
struct GridZone {
    double width, cx, cy;
};
inline GridZone ReferenceMinimumZone(std::span<const double> x, std::span<const double> y, double cx, double cy,
                                     double halfSpan)
{
    double best = ZoneWidth(x, y, cx, cy);
    for (double h = halfSpan / 20; h > 1e-8; h /= 8) {
        double bx = cx, by = cy;
        for (int a = -20; a <= 20; ++a)
            for (int b = -20; b <= 20; ++b) {
                const double w = ZoneWidth(x, y, cx + a * h, cy + b * h);
                if (w < best) {
                    best = w;
                    bx = cx + a * h;
                    by = cy + b * h;
                }
            }
        cx = bx;
        cy = by;
    }
    return {best, cx, cy};
}

// The points a minimum-zone search of the case sees: distance radius + reading at the point
// angle of runs first..last.
inline void CasePoints(const Case& c, int first, int last, double radius, std::vector<double>& x,
                       std::vector<double>& y)
{
    x.clear();
    y.clear();
    const CaseData& d = c.Data;
    for (int r = first; r <= last; ++r) {
        const int n = d.RunTargets[static_cast<std::size_t>(r)];
        for (int j = 0; j < n; ++j) {
            const double theta = Radians(d.StartAngle + static_cast<double>(j) * d.SweepAngle / n);
            const double rho = radius + d.Readings(r, j);
            x.push_back(rho * std::cos(theta));
            y.push_back(rho * std::sin(theta));
        }
    }
}

} // namespace sarvo::test
