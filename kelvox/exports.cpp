// The five C exports of libkelvox.so. Everything else in the library is hidden.

#include "kelvox/kelvox.h"
#include "kelvox/kernels.h"

#include <ctime>

extern "C" {

KELVOX_API void CalcInv(float* A, int32_t M) noexcept
{
    kelvox::CalcInv(A, M);
}

KELVOX_API void CalcPinv(float* P, const float* X, int32_t M, int32_t N) noexcept
{
    kelvox::CalcPinv(P, X, M, N);
}

KELVOX_API void Dft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0) noexcept
{
    kelvox::Dft(x, X, N, cos0, sin0);
}

KELVOX_API void CalcDBB(float* trace0, int32_t dynamic, double R, double F, const KelvoxErrorParams* params,
                        const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                        const float* profH, const float* profV) noexcept
{
    // Seeded per call from the clock in seconds: the noise changes between calls, yet no
    // process-wide generator is touched.
    const auto seed = static_cast<uint32_t>(std::time(nullptr));
    kelvox::CalcDBBSeeded(trace0, dynamic, R, F, params, cos0, sin0, first, end, step, profH, profV, seed);
}

KELVOX_API void CalcInnerPly(float* G, const float* X, int32_t M, int32_t N) noexcept
{
    kelvox::CalcInnerPly(G, X, M, N);
}

} // extern "C"
