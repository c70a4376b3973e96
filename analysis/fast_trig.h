#pragma once
// Trigonometry for the loops of the error-model fit that evaluate it hundreds of thousands of
// times (the screw phase of every candidate pitch at every sample). Inline arithmetic, no call
// into libm: besides the call itself, libm's VEX-coded trigonometry pays a state transition
// after the C library's AVX-512 block copies have left the upper vector halves dirty, which on
// current Xeons made the fit's trigonometry five to ten times dearer.

#include "analysis/trig_tables.h"

namespace sarvo {

// sin and cos of x whole turns (2 pi x radians), without a library call and without branches, so
// that loops over samples vectorise. The nearest whole turn drops out exactly; the rest, at most
// half a turn, goes through Taylor series whose truncation error (below 2e-13) lies far under the
// single precision the design matrices keep. For |x| below 2^51.
inline void SinCosTurns(double x, double& s, double& c)
{
    constexpr double kRound = 6755399441055744.0; // 1.5 x 2^52: the addition rounds to a whole number
    const double y = (x - ((x + kRound) - kRound)) * 6.283185307179586;
    const double y2 = y * y;
    // Coefficients 1/k! with alternating signs, highest first.
    constexpr double kSin[] = {1.0 / 25852016738884976640000.0, -1.0 / 51090942171709440000.0,
                               1.0 / 121645100408832000.0,       -1.0 / 355687428096000.0,
                               1.0 / 1307674368000.0,            -1.0 / 6227020800.0,
                               1.0 / 39916800.0,                 -1.0 / 362880.0,
                               1.0 / 5040.0,                     -1.0 / 120.0,
                               1.0 / 6.0};
    constexpr double kCos[] = {1.0 / 620448401733239439360000.0, -1.0 / 1124000727777607680000.0,
                               1.0 / 2432902008176640000.0,       -1.0 / 6402373705728000.0,
                               1.0 / 20922789888000.0,            -1.0 / 87178291200.0,
                               1.0 / 479001600.0,                 -1.0 / 3628800.0,
                               1.0 / 40320.0,                     -1.0 / 720.0,
                               1.0 / 24.0,                        -1.0 / 2.0};
    double ps = 0;
    for (double k : kSin)
        ps = ps * y2 + k;
    s = y * (1.0 - y2 * ps);
    double pc = 0;
    for (double k : kCos)
        pc = pc * y2 + k;
    c = 1.0 + y2 * pc;
}

// sin and cos of an angle in degrees converted with the program's twelve-digit pi, as SinDeg and
// CosDeg give them, to within 2e-13.
inline void SinCosDeg(double degrees, double& s, double& c)
{
    SinCosTurns(degrees * (kPi12 / 180.0 / 6.283185307179586), s, c);
}

} // namespace sarvo
