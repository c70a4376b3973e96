// CalcInv, CalcPinv and CalcInnerPly: Gauss-Jordan inversion without row exchanges on a per-call
// 20 x 40 work matrix, and the normal-equation products they are used with.

#include "kelvox/kernels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace kelvox {

namespace {

constexpr int kWidth = 2 * kMaxUnknowns;
// Rows of X handled per block: the block, converted to double, stays in the L1 cache.
constexpr int kBlockRows = 128;

using WorkMatrix = double[kMaxUnknowns][kWidth];
using Square = double[kMaxUnknowns][kMaxUnknowns];

bool ValidUnknowns(int32_t M) { return M >= 1 && M <= kMaxUnknowns; }

void FillNaN(float* out, std::size_t count)
{
    std::fill(out, out + count, std::numeric_limits<float>::quiet_NaN());
}

// Right half := identity.
void SetIdentity(WorkMatrix& W, int M)
{
    for (int i = 0; i < M; ++i)
        for (int j = 0; j < M; ++j)
            W[i][M + j] = (i == j) ? 1.0 : 0.0;
}

// Gauss-Jordan on the M x 2M work matrix; the right half then holds the inverse. No row is ever
// exchanged, so that symmetric positive definite inputs give exactly the classic elimination.
// Returns false when a pivot vanishes against its original diagonal element (NaN included).
bool Eliminate(WorkMatrix& W, int M, const double* originalDiagonal)
{
    const int width = 2 * M;
    for (int i = 0; i < M; ++i) {
        const double pivot = W[i][i];
        if (!(std::fabs(pivot) > kPivotTolerance * std::fabs(originalDiagonal[i])))
            return false;
        const double t = 1.0 / pivot;
        for (int k = 0; k < width; ++k)
            W[i][k] *= t;
        for (int j = 0; j < M; ++j) {
            if (j == i || W[j][i] == 0.0)
                continue; // a row already zero in the pivot column stays untouched
            const double f = -W[j][i];
            // Columns left of i are already zero in row i.
            for (int k = i; k < width; ++k)
                W[j][k] = f * W[i][k] + W[j][k];
        }
    }
    return true;
}

// Sum of a[k] * b[k] with four partial sums, which lets the compiler pair them in vector registers.
double Dot(const double* a, const double* b, int n)
{
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        s0 += a[k] * b[k];
        s1 += a[k + 1] * b[k + 1];
        s2 += a[k + 2] * b[k + 2];
        s3 += a[k + 3] * b[k + 3];
    }
    for (; k < n; ++k)
        s0 += a[k] * b[k];
    return (s0 + s1) + (s2 + s3);
}

// G := X^T X in double (both triangles). X is N x M, column by column.
void Gram(const float* X, int M, std::ptrdiff_t N, Square& G)
{
    for (int r = 0; r < M; ++r)
        for (int c = 0; c < M; ++c)
            G[r][c] = 0.0;
    alignas(64) double block[kMaxUnknowns][kBlockRows];
    for (std::ptrdiff_t k0 = 0; k0 < N; k0 += kBlockRows) {
        const int rows = static_cast<int>(std::min<std::ptrdiff_t>(kBlockRows, N - k0));
        for (int c = 0; c < M; ++c) {
            const float* column = X + static_cast<std::ptrdiff_t>(c) * N + k0;
            for (int k = 0; k < rows; ++k)
                block[c][k] = column[k];
        }
        for (int r = 0; r < M; ++r)
            for (int c = r; c < M; ++c)
                G[r][c] += Dot(block[r], block[c], rows);
    }
    for (int r = 0; r < M; ++r)
        for (int c = 0; c < r; ++c)
            G[r][c] = G[c][r];
}

// P(:, k) := Inv * X(k, :)^T for every sample k, accumulated in double and rounded once.
// inverseByColumn[c][r] holds Inv(r, c).
template <int M>
void ApplyInverseFixed(float* P, const float* X, std::ptrdiff_t N, const Square& inverseByColumn)
{
    alignas(64) double block[kBlockRows][M];
    for (std::ptrdiff_t k0 = 0; k0 < N; k0 += kBlockRows) {
        const int rows = static_cast<int>(std::min<std::ptrdiff_t>(kBlockRows, N - k0));
        for (int c = 0; c < M; ++c) {
            const float* column = X + static_cast<std::ptrdiff_t>(c) * N + k0;
            for (int k = 0; k < rows; ++k)
                block[k][c] = column[k];
        }
        for (int k = 0; k < rows; ++k) {
            double sum[M] = {};
            for (int c = 0; c < M; ++c) {
                const double x = block[k][c];
                for (int r = 0; r < M; ++r)
                    sum[r] += x * inverseByColumn[c][r];
            }
            float* out = P + (k0 + k) * M;
            for (int r = 0; r < M; ++r)
                out[r] = static_cast<float>(sum[r]);
        }
    }
}

// The unknown count as a compile-time constant, so that the sums of one sample live in registers.
template <int... Ms>
void ApplyInverse(float* P, const float* X, int M, std::ptrdiff_t N, const Square& inverseByColumn,
                  std::integer_sequence<int, Ms...>)
{
    ((M == Ms + 1 ? ApplyInverseFixed<Ms + 1>(P, X, N, inverseByColumn) : void()), ...);
}

} // namespace

void CalcInv(float* A, int32_t M) noexcept
{
    if (A == nullptr || !ValidUnknowns(M))
        return;
    WorkMatrix W;
    double diagonal[kMaxUnknowns];
    for (int i = 0; i < M; ++i) {
        for (int j = 0; j < M; ++j)
            W[i][j] = A[i + j * M];
        diagonal[i] = W[i][i];
    }
    SetIdentity(W, M);
    if (!Eliminate(W, M, diagonal)) {
        FillNaN(A, static_cast<std::size_t>(M) * M);
        return;
    }
    for (int i = 0; i < M; ++i)
        for (int j = 0; j < M; ++j)
            A[i + j * M] = static_cast<float>(W[i][M + j]);
}

void CalcPinv(float* P, const float* X, int32_t M, int32_t N) noexcept
{
    // Without samples P stays as the caller passed it.
    if (P == nullptr || X == nullptr || !ValidUnknowns(M) || N < 1)
        return;
    Square G;
    Gram(X, M, N, G);
    WorkMatrix W;
    double diagonal[kMaxUnknowns];
    for (int i = 0; i < M; ++i) {
        for (int j = 0; j < M; ++j)
            W[i][j] = G[i][j];
        diagonal[i] = G[i][i];
    }
    SetIdentity(W, M);
    if (!Eliminate(W, M, diagonal)) {
        FillNaN(P, static_cast<std::size_t>(M) * static_cast<std::size_t>(N));
        return;
    }
    Square inverseByColumn;
    for (int r = 0; r < M; ++r)
        for (int c = 0; c < M; ++c)
            inverseByColumn[c][r] = W[r][M + c];
    ApplyInverse(P, X, M, N, inverseByColumn, std::make_integer_sequence<int, kMaxUnknowns>{});
}

void CalcInnerPly(float* G, const float* X, int32_t M, int32_t N) noexcept
{
    if (G == nullptr || X == nullptr || !ValidUnknowns(M) || N < 0)
        return;
    Square sums;
    Gram(X, M, N, sums);
    for (int j = 0; j < M; ++j)
        for (int i = 0; i < M; ++i)
            G[j + i * M] = static_cast<float>(sums[j][i]);
}

} // namespace kelvox
