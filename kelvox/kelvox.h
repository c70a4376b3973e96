/* Kelvox: the numerical kernels of Sarvotex, shipped as libkelvox.so next to the program.
 *
 * Five functions with C linkage, exported by name (ELF has no ordinals; the historic order was
 * CalcInv 1, CalcPinv 2, Dft 3, CalcDBB 4, CalcInnerPly 5). None returns a value, none keeps state
 * between calls or owns memory after it returns, none throws.
 *
 * Conventions shared by all five:
 * - Matrices are single-precision arrays stored column by column: element (i, j) of a matrix with
 *   R rows lies at index i + j * R. Work inside is done in double precision.
 * - M is the number of unknowns (1 to 20), N the number of samples (rows of a design matrix).
 * - An argument outside these limits (M outside 1..20, N < 0, a null array, a Dft length that is
 *   not a power of two of at least 2, a CalcDBB radius that is not positive, a step below 1) makes
 *   the call return without writing anything.
 * - A singular or badly ordered system (a pivot at most 1e-12 times its original diagonal element)
 *   fills the whole result with NaN; callers check the result with isfinite.
 */
#ifndef KELVOX_KELVOX_H
#define KELVOX_KELVOX_H

#include <stddef.h>
#include <stdint.h>

#if defined(KELVOX_BUILDING_LIBRARY)
#define KELVOX_API __attribute__((visibility("default")))
#else
#define KELVOX_API
#endif

#ifdef __cplusplus
#define KELVOX_NOEXCEPT noexcept
extern "C" {
#else
#define KELVOX_NOEXCEPT
#endif

/* The fitted error parameters as the program holds them: 27 doubles, the vibration angle as a
 * signed 16-bit value followed by two zero bytes, then the centre offsets at 4-byte alignment;
 * 236 bytes with 4-byte packing. Read the fields by value only: CentreH and CentreV are not
 * 8-byte aligned. */
#pragma pack(push, 4)
typedef struct KelvoxErrorParams {
    double Back0, Back90, Back180, Back270;  /* µm */
    double BacklashBaseA, BacklashBaseB;      /* µm */
    double PlayH, PlayV;                      /* µm */
    double ScaleH, ScaleV;                    /* µm/m */
    double CyclicH, CyclicV;                  /* µm */
    double PitchH, PitchV;                    /* mm, 0 = no cyclic error */
    double PhaseH, PhaseV;                    /* degrees */
    double ServoH, ServoV;                    /* percent */
    double SlipH, SlipV;                      /* µm */
    double SpikeH, SpikeV;                    /* µm */
    double Squareness;                        /* arc seconds */
    double StraightH, StraightV;              /* µm */
    double Random, PolarVibration;            /* µm */
    int16_t VibrationAngle;                   /* degrees, signed */
    int16_t Padding;
    double CentreH, CentreV;                  /* µm */
} KelvoxErrorParams;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(KelvoxErrorParams) == 236, "KelvoxErrorParams must be 236 bytes");
static_assert(offsetof(KelvoxErrorParams, VibrationAngle) == 216, "VibrationAngle at 216");
static_assert(offsetof(KelvoxErrorParams, CentreH) == 220, "CentreH at 220");
static_assert(offsetof(KelvoxErrorParams, CentreV) == 228, "CentreV at 228");
#else
_Static_assert(sizeof(KelvoxErrorParams) == 236, "KelvoxErrorParams must be 236 bytes");
_Static_assert(offsetof(KelvoxErrorParams, CentreH) == 220, "CentreH at 220");
#endif

/* A := A^-1 in place; A is M x M. Gauss-Jordan without row exchanges. */
KELVOX_API void CalcInv(float* A, int32_t M) KELVOX_NOEXCEPT;

/* P := (X^T X)^-1 X^T, the least-squares left inverse. X is N x M (one row per sample), P is
 * M x N (the unknown index varies fastest). The coefficients of a fit are a(r) = sum_k P(r,k) y(k).
 * N = 0 leaves P untouched. */
KELVOX_API void CalcPinv(float* P, const float* X, int32_t M, int32_t N) KELVOX_NOEXCEPT;

/* Unnormalised forward transform of N real samples x into N complex values X, stored as
 * (re, im) pairs (2N floats). N is a power of two of at least 2. Twiddle angles are 360 k / N
 * truncated to whole degrees, taken from the tables at cos0/sin0 (entries 0..359 are read). x and
 * X must not overlap. */
KELVOX_API void Dft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0) KELVOX_NOEXCEPT;

/* Model traces of a ball-bar test at whole degrees. trace0 points at the pair (curve 0, curve 1)
 * of degree 0 of an array holding degrees -360..720; cos0/sin0 at degree 0 of the whole-degree
 * tables (-360..720). Degrees first, first + step, ... below end are written; spikes and stick-slip
 * add into neighbouring degrees. Degrees outside -360..720 are never touched. profH/profV hold
 * five polynomial coefficients each. The noise terms come from a generator of this call seeded
 * with the current time in seconds. */
KELVOX_API void CalcDBB(float* trace0, int32_t dynamic, double R, double F, const KelvoxErrorParams* params,
                        const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                        const float* profH, const float* profV) KELVOX_NOEXCEPT;

/* G := X^T X; X is N x M, G is M x M. */
KELVOX_API void CalcInnerPly(float* G, const float* X, int32_t M, int32_t N) KELVOX_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* KELVOX_KELVOX_H */
