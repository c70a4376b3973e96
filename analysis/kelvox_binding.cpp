#include "analysis/kelvox_binding.h"

#include "core/app_error.h"
#include "core/library_binding.h"
#include "kelvox/kelvox.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace sarvo {

// The record crosses as bytes: the library's own declaration must agree with the program's
// field by field, in offset, size and type.
static_assert(sizeof(ErrorParams) == sizeof(KelvoxErrorParams));
#define SARVOTEX_SAME_AS_KELVOX(member, ...) \
    static_assert(offsetof(ErrorParams, member) == offsetof(KelvoxErrorParams, member), #member); \
    static_assert(sizeof(ErrorParams::member) == sizeof(KelvoxErrorParams::member), #member); \
    static_assert(std::is_same_v<decltype(ErrorParams::member), decltype(KelvoxErrorParams::member)>, #member);
SARVOTEX_ERROR_PARAMS(SARVOTEX_SAME_AS_KELVOX, SARVOTEX_SAME_AS_KELVOX)
#undef SARVOTEX_SAME_AS_KELVOX

namespace {

enum class Export { CalcInv, CalcPinv, Dft, CalcDBB, CalcInnerPly };

LibraryBinding& binding()
{
    static LibraryBinding library(QString::fromLatin1(kKelvoxLibraryName),
                                  {"CalcInv", "CalcPinv", "Dft", "CalcDBB", "CalcInnerPly"});
    return library;
}

template <class Function>
Function bound(Export which)
{
    return reinterpret_cast<Function>(binding().entry(static_cast<std::size_t>(which)));
}

} // namespace

void KelvoxCalcInv(float* A, int32_t M)
{
    bound<decltype(&::CalcInv)>(Export::CalcInv)(A, M);
}

void KelvoxCalcPinv(float* P, const float* X, int32_t M, int32_t N)
{
    bound<decltype(&::CalcPinv)>(Export::CalcPinv)(P, X, M, N);
}

void KelvoxCalcInnerPly(float* G, const float* X, int32_t M, int32_t N)
{
    bound<decltype(&::CalcInnerPly)>(Export::CalcInnerPly)(G, X, M, N);
}

void KelvoxDft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0)
{
    bound<decltype(&::Dft)>(Export::Dft)(x, X, N, cos0, sin0);
}

void KelvoxCalcDBB(float* trace0, int32_t dynamic, double R, double F, const ErrorParams* params,
                   const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                   const float* profH, const float* profV)
{
    const auto function = bound<decltype(&::CalcDBB)>(Export::CalcDBB);
    // The library receives a copy of the record, never the program's own.
    KelvoxErrorParams copy;
    const KelvoxErrorParams* passed = nullptr;
    if (params != nullptr) {
        std::memcpy(&copy, params, sizeof copy);
        passed = &copy;
    }
    function(trace0, dynamic, R, F, passed, cos0, sin0, first, end, step, profH, profV);
}

void SetKelvoxLibraryPath(const QString& path)
{
    binding().setPath(path);
}

QString KelvoxLibraryFile()
{
    return binding().libraryFile();
}

bool AllFinite(std::span<const float> values)
{
    // 0 * v is NaN for an infinite or undefined v and 0 otherwise: one sum tells for all.
    float probe = 0;
    const float* v = values.data();
    const std::size_t n = values.size();
#pragma omp simd reduction(+ : probe)
    for (std::size_t i = 0; i < n; ++i)
        probe += 0.0f * v[i];
    return probe == 0.0f;
}

} // namespace sarvo
