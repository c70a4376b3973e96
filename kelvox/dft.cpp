// Dft: recursive radix-2 decimation in time with whole-degree twiddles from the caller's tables.

#include "kelvox/kernels.h"

#include <cmath>
#include <cstddef>

namespace kelvox {

namespace {

// Transform of the n samples x[0], x[stride], ... into out (n pairs). The even half lands in the
// first n/2 pairs and the odd half in the last, so the butterflies work in place and no scratch
// memory is needed.
void Transform(const float* x, std::ptrdiff_t stride, int n, float* out, const float* cos0, const float* sin0)
{
    if (n == 2) {
        out[0] = x[0] + x[stride];
        out[1] = 0.0f;
        out[2] = x[0] - x[stride];
        out[3] = 0.0f;
        return;
    }
    const int h = n / 2;
    Transform(x, 2 * stride, h, out, cos0, sin0);
    Transform(x + stride, 2 * stride, h, out + 2 * h, cos0, sin0);
    const double degreesPerIndex = 360.0 / n;
    for (int k = 0; k < h; ++k) {
        // The angle is truncated to whole degrees on purpose: the spectrum is defined on it.
        const int d = static_cast<int>(std::trunc(degreesPerIndex * k)) % 360;
        const double c = cos0[d];
        const double s = -static_cast<double>(sin0[d]);
        float* e = out + 2 * k;
        float* o = out + 2 * (k + h);
        const double eRe = e[0], eIm = e[1], oRe = o[0], oIm = o[1];
        e[0] = static_cast<float>(eRe + c * oRe - s * oIm);
        e[1] = static_cast<float>(eIm + (s * oRe + c * oIm));
        o[0] = static_cast<float>(eRe - c * oRe + s * oIm);
        o[1] = static_cast<float>(eIm - c * oIm - s * oRe);
    }
}

} // namespace

void Dft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0) noexcept
{
    // Any other length would never reach the two-point case.
    if (x == nullptr || X == nullptr || cos0 == nullptr || sin0 == nullptr || N < 2 || (N & (N - 1)) != 0)
        return;
    Transform(x, 1, N, X, cos0, sin0);
}

} // namespace kelvox
