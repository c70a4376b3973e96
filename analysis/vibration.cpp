#include "analysis/vibration.h"

#include "analysis/run_geometry.h"
#include "core/checked_math.h"
#include "analysis/kelvox_binding.h"
#include "analysis/trig_tables.h"

#include <QString>

#include <cmath>

namespace sarvo {

namespace {

constexpr int kLongestTransform = 256;

void ClearVibration(ErrorParams& ev)
{
    ev.SlipH = ev.SlipV = 0;
    ev.Random = ev.PolarVibration = 0;
    ev.VibrationAngle = 0;
}

// Whole part toward minus infinity, of a whole-degree expression.
int Floor(double x)
{
    return static_cast<int>(std::floor(x));
}

} // namespace

Outcome HighPassOld(std::vector<float>& y, std::span<const float> x, float k)
{
    return Trapped(QStringLiteral("Formulae(HighPassOld)"), [&] {
        if (y.size() < x.size())
            throw AppError::subscriptOutOfRange();
        const float a = 1.0f - k;
        const float b = 1.0f + k;
        for (std::size_t i = 1; i < x.size(); ++i)
            y[i] = CheckedSingle(CheckedDiv(static_cast<double>(x[i]) - x[i - 1] + static_cast<double>(a) * y[i - 1], b));
    });
}

Outcome CalcVibration(Case& c, std::span<const float> y)
{
    return Trapped(QStringLiteral("Formulae(CalcVibration)"), [&] {
        const CaseData& d = c.Data;
        ErrorParams& ev = c.Results.ErrorValues;
        const int n = CheckedTargets(d, 1);
        if (n < 1 || y.size() < static_cast<std::size_t>(n))
            throw AppError::subscriptOutOfRange();
        const int start = d.StartAngle, stop = d.StopAngle;
        const double perDegree = CheckedDiv(n, d.SweepAngle);
        if (stop < start)
            throw AppError::subscriptOutOfRange();

        // Three-sigma scatter (µm, both sides) of the 21 samples about each whole degree; cut
        // to the samples there are at the ends of the run.
        std::vector<double> V(static_cast<std::size_t>(stop - start + 1));
        for (int a = start; a <= stop; ++a) {
            long long p = static_cast<long long>(std::nearbyint((a - start) * perDegree - 10.0));
            long long q = p + 20;
            p = std::max(p, 0LL);
            q = std::min(q, static_cast<long long>(n) - 1);
            double s1 = 0, s2 = 0;
            for (long long j = p; j <= q; ++j) {
                const double v = y[static_cast<std::size_t>(j)];
                s1 += v;
                s2 += v * v;
            }
            const double m = static_cast<double>(q - p + 1);
            const double mean = s1 / m;
            V[static_cast<std::size_t>(a - start)] = std::sqrt(std::fabs(s2 / m - mean * mean)) * 3.0 * 2000.0;
        }
        auto at = [&](int a) { return V[static_cast<std::size_t>(a - start)]; };

        // 15 degrees past a reversal of each axis, where stick-slip shows; and away from all four
        // axis directions, where the vibration is free of both.
        double countH = 0, sumH = 0, countV = 0, sumV = 0, countFree = 0, sumFree = 0;
        int polarAngle = 0;
        double polar = 0;
        for (int a = start; a <= stop; ++a) {
            if (std::abs(a - 180 * Floor(a / 180.0 + 0.5)) == 15) {
                ++countH;
                sumH += at(a);
            } else if (std::abs((a + 90) - 180 * Floor((a + 90) / 180.0 + 0.5)) == 15) {
                ++countV;
                sumV += at(a);
            } else if (std::abs(a - 90 * Floor(a / 90.0 + 0.5)) > 15) {
                ++countFree;
                sumFree += at(a);
                double t = at(a);
                if (a + 180 < stop)
                    t = (at(a) + at(a + 180)) / 2.0;
                if (t > polar) {
                    polarAngle = a;
                    polar = t;
                }
            }
        }
        double random = countFree > 0 ? sumFree / countFree : 0.0;
        ev.SlipH = countH > 0 ? sumH / countH : 0.0;
        ev.SlipV = countV > 0 ? sumV / countV : 0.0;
        // Stick-slip must stand out of the general scatter to count.
        if (1.2 * random > ev.SlipH)
            ev.SlipH = 0.01;
        if (1.2 * random > ev.SlipV)
            ev.SlipV = 0.01;
        if (static_cast<float>(2.0 * random) < polar) {
            ev.PolarVibration = polar;
            ev.VibrationAngle = CheckedInt16(polarAngle);
            random -= polar * 0.5;
        } else {
            ev.PolarVibration = 0.01;
            ev.VibrationAngle = 0;
        }
        if (random < 0)
            random = 0.01;
        ev.Random = random;
    });
}

Outcome CalcSpectrum(Case& c, StepFailures& failures)
{
    return Trapped(QStringLiteral("Formulae(CalcSpectrum)"), [&] {
        const CaseData& d = c.Data;
        std::array<float, kSpectrumSize>& spectrum = c.Results.Spectrum;
        // Lines above this case's count never keep an earlier case's amplitudes.
        spectrum.fill(0.0f);
        const std::span<const double> readings = RunReadings(d, 1);
        const int n = static_cast<int>(readings.size());
        if (n < 2) {
            ClearVibration(c.Results.ErrorValues);
            return;
        }
        int N = kLongestTransform;
        while (N > n)
            N /= 2;

        std::vector<float> x(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            x[static_cast<std::size_t>(i)] = CheckedSingle(readings[static_cast<std::size_t>(i)]);
        // k = 5 R / n puts the cut-off near a wavelength of 2 pi^2 / 5, about 4 mm of path.
        const float k = CheckedSingle(d.TestRadius * 50.0 / 5.0 / (2.0 * n));
        std::vector<float> y(static_cast<std::size_t>(n), 0.0f);
        failures.add(HighPassOld(y, x, k));

        std::vector<float> transform(2 * static_cast<std::size_t>(N), 0.0f);
        KelvoxDft(y.data(), transform.data(), N, CosTabZero(), SinTabZero());
        const int lines = N / 2 - 1;
        spectrum[0] = static_cast<float>(lines);
        for (int line = 1; line <= lines; ++line) {
            const double re = transform[2 * static_cast<std::size_t>(line)];
            const double im = transform[2 * static_cast<std::size_t>(line) + 1];
            spectrum[static_cast<std::size_t>(line)] = CheckedSingle(1000.0 * std::sqrt(re * re + im * im));
        }
        failures.add(CalcVibration(c, y));
    });
}

} // namespace sarvo
