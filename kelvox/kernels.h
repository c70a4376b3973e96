#pragma once
// The kernels behind the five exports, in C++ and without export attributes, so that the exports
// stay thin and the tests can reach the one thing the exports hide: the seed of CalcDBB's noise.

#include "kelvox/kelvox.h"

#include <cstdint>

namespace kelvox {

constexpr int kMaxUnknowns = 20;         // the work matrix holds 20 rows of 40 doubles
constexpr int kFirstDegree = -360;       // bounds of the caller's trace and trig arrays
constexpr int kLastDegree = 720;
constexpr double kPivotTolerance = 1e-12; // relative to the pivot's original diagonal element

void CalcInv(float* A, int32_t M) noexcept;
void CalcPinv(float* P, const float* X, int32_t M, int32_t N) noexcept;
void CalcInnerPly(float* G, const float* X, int32_t M, int32_t N) noexcept;
void Dft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0) noexcept;

// CalcDBB with the noise generator seeded by the caller; the export seeds it with the time.
void CalcDBBSeeded(float* trace0, int32_t dynamic, double R, double F, const KelvoxErrorParams* params,
                   const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                   const float* profH, const float* profV, uint32_t seed) noexcept;

// A 15-bit linear congruential generator (values 0..32767), one per CalcDBB call, so that no
// process-wide generator is reseeded and a given seed always gives the same traces.
class Random15 {
public:
    explicit Random15(uint32_t seed) : state_(seed) {}
    int next()
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_;
};

} // namespace kelvox
