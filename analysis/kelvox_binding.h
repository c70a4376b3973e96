#pragma once
// The program's side of the computation library libkelvox.so. Each function binds its export by
// name at its first call, from the program's folder; only a successful binding is kept, so a
// library that appears later binds on a later call.
//
// A missing library raises AppError 48 ("Error in loading DLL"), a missing export AppError 453
// ("Specified DLL function not found"); the calling procedure reports it like any run-time error.
//
// Argument conventions (the library keeps no state and writes only into the caller's arrays):
// - Matrices are single precision, column by column: element (i, j) of a matrix with R rows is at
//   index i + j * R. Pass the first element. M counts the unknowns (1 to 20), N the samples.
// - A design matrix X is N x M (one row per sample); a left inverse P is M x N (the unknown index
//   varies fastest, so P + k * M is the column of sample k); inner products and inverses are M x M.
// - Trig tables and traces are passed at their element for degree 0 (CosTabZero(), SinTabZero(),
//   AnalysisCurveTable::degreeZero()); the library reads and writes degrees -360..720 from there.
// - The library never writes out of bounds: arguments outside these limits leave every array as
//   it was. A singular system gives NaN throughout the result; check it with AllFinite.

#include "core/results.h"

#include <QString>

#include <cstdint>
#include <span>

namespace sarvo {

// Whether no value is infinite or undefined: one vectorised pass, for the library's results.
bool AllFinite(std::span<const float> values);

// The library's file name in the program folder.
inline constexpr const char* kKelvoxLibraryName = "libkelvox.so";

// A := A^-1 in place; A is M x M.
void KelvoxCalcInv(float* A, int32_t M);

// P := (X^T X)^-1 X^T. X is N x M, P is M x N; the fit's coefficients are a(r) = sum_k P(r,k) y(k).
// N = 0 leaves P untouched.
void KelvoxCalcPinv(float* P, const float* X, int32_t M, int32_t N);

// G := X^T X. X is N x M, G is M x M (not inverted here).
void KelvoxCalcInnerPly(float* G, const float* X, int32_t M, int32_t N);

// Unnormalised forward transform of N real samples x (N a power of two, at least 2) into N
// complex values X, stored as (re, im) pairs: X holds 2N floats. Twiddle angles are whole degrees
// taken from the tables at cos0/sin0.
void KelvoxDft(const float* x, float* X, int32_t N, const float* cos0, const float* sin0);

// Model traces at whole degrees: trace0 is the pair (curve 0, curve 1) of degree 0 of an array
// holding degrees -360..720; degrees first, first + step, ... below end are written (dynamic:
// non-zero for a continuous test), spikes and stick-slip add into neighbouring degrees. R in mm,
// F in mm/min; profH and profV hold five polynomial coefficients each. The library works on a copy
// of params.
void KelvoxCalcDBB(float* trace0, int32_t dynamic, double R, double F, const ErrorParams* params,
                   const float* cos0, const float* sin0, int32_t first, int32_t end, int32_t step,
                   const float* profH, const float* profV);

// Where the library is loaded from: a folder (the library file inside it) or a library file.
// Empty, the default, means the program's folder. Changing it drops every binding made so far.
void SetKelvoxLibraryPath(const QString& path);

// The library file that the next binding loads.
QString KelvoxLibraryFile();

} // namespace sarvo
