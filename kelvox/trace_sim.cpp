// CalcDBB: the two model traces of a ball-bar test (curve 0 clockwise, curve 1 counter-clockwise)
// synthesised from the fitted error parameters at whole degrees.

#include "kelvox/kernels.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

namespace kelvox {

namespace {

// The literals below carry the rounded pi 3.1415 of the fit's conversions, so that a fitted
// parameter comes back as the same trace; they must not be "corrected".
constexpr double kArcsecToRad = 4.847993827160494e-6; // 3.1415 / 648000
constexpr double kRadToDeg = 57.297469361769856;      // 180 / 3.1415
constexpr double kDecayPerDegree = 0.0017452777777777779;
constexpr double kNoiseScale = 1.52587890625e-8;      // 1/65536 of a µm, in mm
constexpr double kPhaseScale = 0.0054931640625;       // 0..32767 -> 0..179 degrees
constexpr int kMaxSpikeExtent = 89;                   // keeps spike copies inside -360..720

// Derived coefficients, single precision like the traces they build.
struct Coefficients {
    float a1 = 0, a0 = 0, b1 = 0, b0 = 0;
    float ph = 0, pv = 0;
    float sth = 0, stv = 0;
    float sch = 0, scv = 0;
    float sq = 0, sv = 0;
    float ch = 0, cv = 0, kh = 0, kv = 0;
    bool cyclicH = false, cyclicV = false;
    float ra = 0, rp = 0;
    float oh = 0, ov = 0;
    int spikeExtent = 0; // 0: no spikes
    float gh = 0, gv = 0;
    int slipLength = 0;  // 0: no stick-slip
    float uh = 0, uv = 0, decay = 0, rate = 0;
};

float Single(double v) { return static_cast<float>(v); }

Coefficients Derive(const KelvoxErrorParams& p, bool dynamic, double R, double F, const float* cos0)
{
    Coefficients k;
    k.a1 = Single((p.Back0 - p.Back180) * 0.00025);
    k.a0 = Single(((p.Back180 + p.Back0) * 0.5 - p.BacklashBaseA) * 0.0005 + (dynamic ? 0.0 : p.PlayV * 0.0005));
    k.b1 = Single((p.Back90 - p.Back270) * 0.00025);
    k.b0 = Single(((p.Back90 + p.Back270) * 0.5 - p.BacklashBaseB) * 0.0005 + (dynamic ? 0.0 : p.PlayH * 0.0005));
    if (dynamic) {
        k.ph = Single(p.PlayH * 0.0005);
        k.pv = Single(p.PlayV * 0.0005);
    }
    k.sth = Single(p.StraightH * 0.00001);
    k.stv = Single(p.StraightV * 0.00001);
    k.sch = Single(p.ScaleH * 0.0005);
    k.scv = Single(p.ScaleV * 0.0005);
    k.sq = Single(R * p.Squareness * -kArcsecToRad);
    k.sv = Single((p.ServoV - p.ServoH) * (F * (1.0 / 60.0)) * 0.5 / R * 0.01);
    k.ch = Single(p.CyclicH * 0.0005);
    k.cv = Single(p.CyclicV * 0.0005);
    k.cyclicH = p.PitchH != 0;
    k.cyclicV = p.PitchV != 0;
    if (k.cyclicH)
        k.kh = Single(R / p.PitchH * 360.0);
    if (k.cyclicV)
        k.kv = Single(R / p.PitchV * 360.0);
    k.ra = Single(p.Random * kNoiseScale);
    k.rp = Single(p.PolarVibration * kNoiseScale);
    k.oh = Single(p.CentreH * 0.001);
    k.ov = Single(p.CentreV * 0.001);

    // Spikes and stick-slip scale with the feedrate; without a positive one they are left out
    // rather than dividing by zero.
    if ((p.SpikeH != 0 || p.SpikeV != 0) && F > 0) {
        double e = std::trunc(std::pow(F * (1.0 / 1200.0) / (R * R), 0.333333) * kRadToDeg);
        e = std::clamp(e, 1.0, static_cast<double>(kMaxSpikeExtent));
        k.spikeExtent = static_cast<int>(e);
        const float c = cos0[k.spikeExtent];
        const float shape = (1.0f - c) * c;
        k.gh = Single(p.SpikeH / shape * 0.001);
        k.gv = Single(p.SpikeV / shape * 0.001);
    }
    if ((p.SlipH != 0 || p.SlipV != 0) && F > 0) {
        k.uh = Single(p.SlipH * 0.0005);
        k.uv = Single(p.SlipV * 0.0005);
        k.decay = Single(R * 588.6 / F * kDecayPerDegree);
        k.rate = Single(std::min(300.0 * R / F, 135.0));
        k.slipLength = F <= 100 ? 45 : static_cast<int>(std::trunc(std::asin(70.0 / F) * kRadToDeg));
    }
    return k;
}

// Sine table entry of a whole-degree angle given as a real number: truncated, then the remainder
// of 360 with the sign of the angle. A non-finite angle gives NaN instead of reading off the table.
double SineOfTruncated(const float* sin0, double angle)
{
    if (!std::isfinite(angle))
        return std::numeric_limits<double>::quiet_NaN();
    return sin0[static_cast<int>(std::fmod(std::trunc(angle), 360.0))];
}

class Simulation {
public:
    Simulation(float* trace0, const KelvoxErrorParams& p, const Coefficients& k, bool dynamic, const float* cos0,
               const float* sin0, const float* profH, const float* profV, uint32_t seed)
        : trace0_(trace0), p_(p), k_(k), dynamic_(dynamic), cos0_(cos0), sin0_(sin0), profH_(profH),
          profV_(profV), random_(seed)
    {
    }

    void run(int first, int end, int step)
    {
        for (int curve = 0; curve < 2; ++curve) {
            for (int d = first; d < end; d += step)
                at(d, curve) = value(d, curve);
            if (k_.spikeExtent > 0)
                addSpikes(curve, step);
            if (k_.slipLength > 0)
                addStickSlip(curve, step);
        }
    }

private:
    float& at(int degree, int curve)
    {
        assert(degree >= kFirstDegree && degree <= kLastDegree);
        return trace0_[2 * degree + curve];
    }

    // rnd() - rnd(), the first draw minus the second.
    int noise()
    {
        const int a = random_.next();
        const int b = random_.next();
        return a - b;
    }

    static double backlash(int degree, int curve, bool dynamic, double A, double B)
    {
        if (!dynamic)
            return curve == 0 ? -A - B : A + B;
        const int r = (degree + 360) % 360;
        if (curve == 0) {
            if (r < 90)
                return -A + B;
            if (r < 180)
                return -A - B;
            if (r < 270)
                return A - B;
            return A + B;
        }
        if (r >= 1 && r <= 90)
            return A - B;
        if (r >= 91 && r <= 180)
            return A + B;
        if (r >= 181 && r <= 270)
            return -A + B;
        return -A - B;
    }

    double value(int d, int curve)
    {
        const double c = cos0_[d];
        const double s = sin0_[d];
        const double A = (k_.a1 * c + k_.a0) * c;
        const double B = (k_.b1 * s + k_.b0) * s;
        double v = backlash(d, curve, dynamic_, A, B);

        if (k_.sth != 0 || k_.stv != 0) {
            const double h = profH_[0] + profH_[1] * c + profH_[2] * c * c + profH_[3] * c * c * c
                + profH_[4] * c * c * c * c;
            const double w = profV_[0] + profV_[1] * s + profV_[2] * s * s + profV_[3] * s * s * s
                + profV_[4] * s * s * s * s;
            v += k_.sth * h * s + k_.stv * w * c;
        }
        const double play = std::fabs(s) * k_.ph - std::fabs(c) * k_.pv;
        v += curve == 0 ? play : -play;
        v += k_.sch * c * c + k_.scv * s * s;
        v += k_.sq * c * s;
        v += k_.oh * c + k_.ov * s;
        v += noise() * static_cast<double>(k_.ra);
        // The remainder keeps the sign of the difference: the table reaches down to -359.
        v += noise() * static_cast<double>(k_.rp) * cos0_[(d - p_.VibrationAngle) % 360];

        if (dynamic_) {
            const double servo = 2.0 * c * s * k_.sv;
            v += curve == 0 ? -servo : servo;
        }
        if (k_.cyclicH)
            v += k_.ch * c * SineOfTruncated(sin0_, k_.kh * c + p_.PhaseH);
        if (k_.cyclicV)
            v += k_.cv * s * SineOfTruncated(sin0_, k_.kv * s + p_.PhaseV);
        return v;
    }

    void add(int degree, int curve, double v) { at(degree, curve) = static_cast<float>(at(degree, curve) + v); }

    // Reversal spikes: curve 0 just below each axis reversal, curve 1 just above it, each value
    // also at one copy a full turn away.
    void addSpikes(int curve, int step)
    {
        const int e = k_.spikeExtent;
        auto nearZero = [&](int x) { const double c = cos0_[x]; return (1.0 - c) * c * k_.gh; };
        auto nearQuarter = [&](int x) { const double s = sin0_[x]; return (1.0 - s) * s * k_.gv; };
        auto nearHalf = [&](int x) { const double c = cos0_[x]; return (c + 1.0) * c * k_.gh; };
        auto nearThreeQuarter = [&](int x) { const double s = sin0_[x]; return (s + 1.0) * s * k_.gv; };
        if (curve == 0) {
            for (int x = -e; x <= -step; x += step) {
                add(x, 0, nearZero(x));
                add(x + 360, 0, nearZero(x));
            }
            for (int x = 90 - e; x <= 90 - step; x += step) {
                add(x, 0, nearQuarter(x));
                add(x + 360, 0, nearQuarter(x));
            }
            for (int x = 180 - e; x <= 180 - step; x += step) {
                add(x, 0, -nearHalf(x));
                add(x + 360, 0, -nearHalf(x));
            }
            for (int x = 270 - e; x <= 270 - step; x += step) {
                add(x, 0, -nearThreeQuarter(x));
                add(x - 360, 0, -nearThreeQuarter(x));
            }
        } else {
            for (int x = step; x <= e; x += step) {
                add(x, 1, nearZero(x));
                add(x + 360, 1, nearZero(x));
            }
            for (int x = 90 + step; x <= 90 + e; x += step) {
                add(x, 1, nearQuarter(x));
                add(x + 360, 1, nearQuarter(x));
            }
            for (int x = 180 + step; x <= 180 + e; x += step) {
                add(x, 1, -nearHalf(x));
                add(x - 360, 1, -nearHalf(x));
            }
            for (int x = 270 + step; x <= 270 + e; x += step) {
                add(x, 1, -nearThreeQuarter(x));
                add(x - 360, 1, -nearThreeQuarter(x));
            }
        }
    }

    void addStickSlip(int curve, int step)
    {
        const int n = k_.slipLength;
        const int phase = static_cast<int>(std::trunc(random_.next() * kPhaseScale));
        for (int i = 0; i < n; i += step) {
            const double f = 1.0 - 1.0 / std::exp(i * static_cast<double>(k_.decay));
            const int m1 = static_cast<int>(std::trunc(i * static_cast<double>(k_.rate) + phase)) % 360;
            const int m2 = static_cast<int>(std::trunc((2 * n - i) * static_cast<double>(k_.rate) + phase)) % 360;
            const double u = cos0_[n - i];
            const double y1 = f * u * sin0_[m1] * k_.uh;
            const double y2 = sin0_[m2] * u * f * k_.uh;
            const double y3 = u * sin0_[m1] * f * k_.uv;
            const double y4 = sin0_[m2] * u * f * k_.uv;
            // The two curves differ only at i - n + 540 and i - n + 450.
            const double lateSign = curve == 0 ? -1.0 : 1.0;
            add(i - n, curve, y1);
            add(i - n + 180, curve, -y1);
            add(i - n + 360, curve, y1);
            add(i - n + 540, curve, lateSign * y1);
            add(n - i - 180, curve, -y2);
            add(n - i, curve, y2);
            add(n - i + 180, curve, -y2);
            add(n - i + 360, curve, -y2);
            add(i - n - 90, curve, y3);
            add(i - n + 90, curve, y3);
            add(i - n + 270, curve, -y3);
            add(i - n + 450, curve, lateSign * y3);
            add(n - i - 90, curve, -y4);
            add(n - i + 90, curve, y4);
            add(n - i + 270, curve, -y4);
            add(n - i + 450, curve, -y4);
        }
    }

    float* trace0_;
    const KelvoxErrorParams& p_;
    const Coefficients& k_;
    bool dynamic_;
    const float* cos0_;
    const float* sin0_;
    const float* profH_;
    const float* profV_;
    Random15 random_;
};

} // namespace

void CalcDBBSeeded(float* trace0, int32_t dynamic, double R, double F, const KelvoxErrorParams* params,
                   const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                   const float* profH, const float* profV, uint32_t seed) noexcept
{
    if (trace0 == nullptr || params == nullptr || cos0 == nullptr || sin0 == nullptr || profH == nullptr
        || profV == nullptr)
        return;
    if (step < 1 || !(R > 0) || !std::isfinite(R) || !std::isfinite(F))
        return;

    // Degrees outside the caller's array are skipped; the first one kept stays on the step grid.
    int64_t lo = first;
    if (lo < kFirstDegree)
        lo += (kFirstDegree - lo + step - 1) / step * step;
    const int64_t hi = std::min<int64_t>(end, kLastDegree + 1);
    if (lo >= hi)
        lo = hi; // no loop degree; spikes and stick-slip are still added, as for any range
    // A step wider than the whole table behaves like one of the table's width; this keeps the
    // degree arithmetic far from overflow.
    const int stride = std::min(step, 2 * (kLastDegree - kFirstDegree + 1));

    KelvoxErrorParams p;
    std::memcpy(&p, params, sizeof p);
    const bool isDynamic = dynamic != 0;
    const Coefficients k = Derive(p, isDynamic, R, F, cos0);
    Simulation(trace0, p, k, isDynamic, cos0, sin0, profH, profV, seed)
        .run(static_cast<int>(lo), static_cast<int>(hi), stride);
}

} // namespace kelvox
