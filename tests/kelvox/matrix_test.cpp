// CalcInv, CalcPinv and CalcInnerPly through the exports of libkelvox.so, checked against
// double-precision Eigen references of the same single-precision inputs.
#include "kelvox/kelvox.h"
#include "tests/kelvox/kelvox_test_util.h"

#include <cmath>
#include <numeric>

using namespace kelvox::test;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The least-squares circle's design: (cos, sin, 1) per sample on an arc.
std::vector<float> CircleDesign(int N, double startDeg, double sweepDeg)
{
    std::vector<float> X(static_cast<std::size_t>(3) * N);
    for (int k = 0; k < N; ++k) {
        const double a = (startDeg + sweepDeg * k / N) * kPi / 180.0;
        X[k] = static_cast<float>(std::cos(a));
        X[k + N] = static_cast<float>(std::sin(a));
        X[k + 2 * N] = 1.0f;
    }
    return X;
}

// A design as large as the error model's: harmonics up to the eighth and a reversal column,
// 18 unknowns, with a little noise so that no column is an exact function of another.
std::vector<float> ErrorModelLikeDesign(int N, int M = 18)
{
    std::vector<float> X(static_cast<std::size_t>(M) * N);
    const std::vector<float> jitter = RandomValues(static_cast<std::size_t>(M) * N, 7);
    for (int k = 0; k < N; ++k) {
        const double a = 2.0 * kPi * k / N;
        for (int c = 0; c < M; ++c) {
            double v;
            if (c == 0)
                v = 1.0;
            else if (c == M - 1)
                v = std::sin(a) >= 0 ? 1.0 : -1.0;
            else {
                const int harmonic = (c + 1) / 2;
                v = (c % 2 == 1) ? std::cos(harmonic * a) : std::sin(harmonic * a);
            }
            X[k + static_cast<std::size_t>(c) * N] = static_cast<float>(v + 0.01 * jitter[k + static_cast<std::size_t>(c) * N]);
        }
    }
    return X;
}

MatrixD PinvReference(const std::vector<float>& X, int N, int M)
{
    const MatrixD x = ToEigen(X.data(), N, M);
    return (x.transpose() * x).inverse() * x.transpose();
}

// A symmetric positive definite matrix of the kind the fits produce.
MatrixD SpdMatrix(int M, unsigned seed)
{
    const std::vector<float> b = RandomValues(static_cast<std::size_t>(M) * M, seed);
    const MatrixD B = ToEigen(b.data(), M, M);
    return B * B.transpose() + MatrixD::Identity(M, M) * 0.5;
}

bool AllNaN(const float* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isnan(values[i]))
            return false;
    return true;
}

} // namespace

// ---- CalcInv ---------------------------------------------------------------------------------

TEST(KelvoxCalcInv, IdentityAndDiagonalMatrices)
{
    for (int M : {1, 4, 20}) {
        std::vector<float> A(static_cast<std::size_t>(M) * M, 0.0f);
        for (int i = 0; i < M; ++i)
            A[i + i * M] = 1.0f;
        const std::vector<float> identity = A;
        CalcInv(A.data(), M);
        EXPECT_EQ(A, identity) << "M = " << M;
    }
    const float diagonal[] = {2.0f, -4.0f, 0.5f, 3.0f, 1e-3f};
    const int M = 5;
    std::vector<float> A(M * M, 0.0f);
    for (int i = 0; i < M; ++i)
        A[i + i * M] = diagonal[i];
    CalcInv(A.data(), M);
    for (int i = 0; i < M; ++i)
        for (int j = 0; j < M; ++j) {
            if (i == j)
                EXPECT_FLOAT_EQ(A[i + j * M], 1.0f / diagonal[i]);
            else
                EXPECT_EQ(A[i + j * M], 0.0f);
        }
}

TEST(KelvoxCalcInv, MatchesDoubleReferenceForEverySize)
{
    for (int M = 1; M <= 20; ++M) {
        // Symmetric positive definite, as the normal equations are.
        std::vector<float> A = FromEigen(SpdMatrix(M, 100 + M));
        MatrixD reference = ToEigen(A.data(), M, M).inverse();
        CalcInv(A.data(), M);
        EXPECT_LT(RelativeError(ToEigen(A.data(), M, M), reference), 1e-6) << "SPD, M = " << M;

        // Not symmetric, but with a dominant diagonal so that no row exchange is needed.
        MatrixD general = ToEigen(RandomValues(static_cast<std::size_t>(M) * M, 300 + M).data(), M, M);
        general += MatrixD::Identity(M, M) * M;
        A = FromEigen(general);
        reference = ToEigen(A.data(), M, M).inverse();
        CalcInv(A.data(), M);
        EXPECT_LT(RelativeError(ToEigen(A.data(), M, M), reference), 1e-6) << "general, M = " << M;
    }
}

TEST(KelvoxCalcInv, RowsWithZeroInThePivotColumnAreLeftUntouched)
{
    // Row 0 carries a NaN into its own row only: the other rows hold exact zeros in every pivot
    // column they meet, so no arithmetic may touch them.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Column by column: A = [1 0 NaN; 0 1 0; 0 0 1].
    float A[9] = {1, 0, 0, 0, 1, 0, nan, 0, 1};
    CalcInv(A, 3);
    for (int j = 0; j < 3; ++j)
        EXPECT_TRUE(std::isnan(A[0 + 3 * j])) << "row 0, column " << j;
    const float rows12[2][3] = {{0, 1, 0}, {0, 0, 1}};
    for (int i = 1; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(A[i + 3 * j], rows12[i - 1][j]) << "row " << i << ", column " << j;
}

TEST(KelvoxCalcInv, VanishingPivotFillsTheResultWithNaN)
{
    // A leading zero would need a row exchange; the next two are singular (their elimination
    // reaches an exact zero); the last is all zero.
    std::vector<std::vector<float>> cases = {
        {0, 1, 1, 0},
        {1, 2, 2, 4},
        {1, 4, 7, 2, 5, 8, 3, 6, 9},
        {0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (std::vector<float>& A : cases) {
        const int M = static_cast<int>(std::lround(std::sqrt(A.size())));
        GuardedBuffer out(A.size());
        std::copy(A.begin(), A.end(), out.data());
        CalcInv(out.data(), M);
        EXPECT_TRUE(AllNaN(out.data(), A.size())) << "M = " << M;
        EXPECT_TRUE(out.guardsIntact());
    }
}

TEST(KelvoxCalcInv, PivotVanishingAgainstItsDiagonalCountsAsZero)
{
    // [1 b; b c] with b = 1 + 2^-23 and c = 1 + 2^-22: the second pivot c - b^2 is -2^-46, a
    // rounding remnant, not information; an inverse of order 1e14 would be noise.
    const float b = 1.0f + std::ldexp(1.0f, -23);
    const float c = 1.0f + std::ldexp(1.0f, -22);
    float A[4] = {1.0f, b, b, c};
    CalcInv(A, 2);
    EXPECT_TRUE(AllNaN(A, 4));

    // A small pivot that is large against its own diagonal is a genuine one.
    float B[4] = {1.0f, 0.0f, 0.0f, 1e-30f};
    CalcInv(B, 2);
    EXPECT_FLOAT_EQ(B[3], 1e30f);
}

TEST(KelvoxCalcInv, ArgumentsOutsideTheModelWriteNothing)
{
    for (int M : {0, -1, 21, 1000}) {
        GuardedBuffer A(21 * 21, 2.0f);
        GuardedBuffer before(21 * 21, 2.0f);
        CalcInv(A.data(), M);
        EXPECT_TRUE(A.bitwiseEqual(before)) << "M = " << M;
    }
    CalcInv(nullptr, 3); // must simply return
}

TEST(KelvoxCalcInv, WritesOnlyTheMatrix)
{
    const int M = 20;
    GuardedBuffer A(M * M);
    const std::vector<float> values = FromEigen(SpdMatrix(M, 5));
    std::copy(values.begin(), values.end(), A.data());
    CalcInv(A.data(), M);
    EXPECT_TRUE(A.guardsIntact());
}

// ---- CalcPinv --------------------------------------------------------------------------------

TEST(KelvoxCalcPinv, MatchesNormalEquationReference)
{
    struct Case {
        const char* name;
        std::vector<float> X;
        int N;
        int M;
    };
    const Case cases[] = {
        {"full circle", CircleDesign(3600, 0, 360), 3600, 3},
        {"90 degree arc", CircleDesign(900, 30, 90), 900, 3},
        {"20 degree arc", CircleDesign(200, -10, 20), 200, 3},
        {"error model 18 x 16002", ErrorModelLikeDesign(16002), 16002, 18},
        {"20 unknowns, odd block tail", ErrorModelLikeDesign(333, 20), 333, 20},
    };
    for (const Case& c : cases) {
        GuardedBuffer P(static_cast<std::size_t>(c.M) * c.N);
        CalcPinv(P.data(), c.X.data(), c.M, c.N);
        EXPECT_TRUE(P.guardsIntact()) << c.name;
        const MatrixD reference = PinvReference(c.X, c.N, c.M);
        // P is M x N with the unknown index fastest.
        const MatrixD actual = ToEigen(P.data(), c.M, c.N);
        // Double work inside: the only sizeable error is the final rounding to single.
        const double tolerance = c.N == 200 ? 1e-5 : 1e-6;
        EXPECT_LT(RelativeError(actual, reference), tolerance) << c.name;
    }
}

TEST(KelvoxCalcPinv, SingleUnknownDividesBySumOfSquares)
{
    const int N = 1000;
    const std::vector<float> X = RandomValues(N, 11);
    double sumOfSquares = 0;
    for (float x : X)
        sumOfSquares += static_cast<double>(x) * x;
    std::vector<float> P(N);
    CalcPinv(P.data(), X.data(), 1, N);
    for (int k = 0; k < N; ++k)
        EXPECT_NEAR(P[k], X[k] / sumOfSquares, 1e-7 * std::fabs(X[k] / sumOfSquares) + 1e-12) << k;
}

TEST(KelvoxCalcPinv, FitRecoversTheCoefficientsOfExactData)
{
    // A circle of radius 0.02 mm error offset by (0.003, -0.004): y = a0 cos + a1 sin + a2.
    const int N = 720;
    const std::vector<float> X = CircleDesign(N, 0, 360);
    const double a[3] = {0.003, -0.004, 0.02};
    std::vector<double> y(N);
    for (int k = 0; k < N; ++k)
        y[k] = a[0] * X[k] + a[1] * X[k + N] + a[2] * X[k + 2 * N];
    std::vector<float> P(3 * N);
    CalcPinv(P.data(), X.data(), 3, N);
    for (int r = 0; r < 3; ++r) {
        double fitted = 0;
        for (int k = 0; k < N; ++k)
            fitted += P[r + 3 * k] * y[k];
        EXPECT_NEAR(fitted, a[r], 1e-8) << "unknown " << r;
    }
}

TEST(KelvoxCalcPinv, NoSamplesLeavesPAsPassed)
{
    GuardedBuffer P(3 * 4, 7.0f);
    GuardedBuffer before(3 * 4, 7.0f);
    const std::vector<float> X = CircleDesign(4, 0, 360);
    CalcPinv(P.data(), X.data(), 3, 0);
    EXPECT_TRUE(P.bitwiseEqual(before));
}

TEST(KelvoxCalcPinv, RankDeficientDesignGivesNaNEverywhere)
{
    const int N = 50;
    std::vector<float> duplicate = CircleDesign(N, 0, 360);
    std::copy(duplicate.begin(), duplicate.begin() + N, duplicate.begin() + N); // sin := cos
    std::vector<float> zeroColumn = CircleDesign(N, 0, 360);
    std::fill(zeroColumn.begin() + 2 * N, zeroColumn.end(), 0.0f);
    for (const std::vector<float>* X : {&duplicate, &zeroColumn}) {
        GuardedBuffer P(3 * N, 0.0f);
        CalcPinv(P.data(), X->data(), 3, N);
        EXPECT_TRUE(AllNaN(P.data(), P.size()));
        EXPECT_TRUE(P.guardsIntact());
    }
}

TEST(KelvoxCalcPinv, ArgumentsOutsideTheModelWriteNothing)
{
    const int N = 10;
    const std::vector<float> X = RandomValues(21 * N, 3);
    struct Call {
        int M;
        int N;
    };
    for (const Call call : {Call{0, N}, Call{21, N}, Call{-3, N}, Call{3, -1}}) {
        GuardedBuffer P(21 * N, 1.0f);
        GuardedBuffer before(21 * N, 1.0f);
        CalcPinv(P.data(), X.data(), call.M, call.N);
        EXPECT_TRUE(P.bitwiseEqual(before)) << "M = " << call.M << ", N = " << call.N;
    }
    GuardedBuffer P(3 * N, 1.0f);
    GuardedBuffer before(3 * N, 1.0f);
    CalcPinv(P.data(), nullptr, 3, N);
    EXPECT_TRUE(P.bitwiseEqual(before));
    CalcPinv(nullptr, X.data(), 3, N);
}

// ---- CalcInnerPly ----------------------------------------------------------------------------

TEST(KelvoxCalcInnerPly, MatchesReferenceAndIsExactlySymmetric)
{
    for (const auto& [N, M] : {std::pair{16002, 18}, std::pair{7, 20}, std::pair{129, 1}}) {
        const std::vector<float> X = ErrorModelLikeDesign(N, M);
        GuardedBuffer G(static_cast<std::size_t>(M) * M);
        CalcInnerPly(G.data(), X.data(), M, N);
        EXPECT_TRUE(G.guardsIntact());
        const MatrixD x = ToEigen(X.data(), N, M);
        const MatrixD reference = x.transpose() * x;
        for (int i = 0; i < M; ++i)
            for (int j = 0; j < M; ++j) {
                // Summed in double: only the final rounding to single remains.
                EXPECT_NEAR(G[i + j * M], reference(i, j), 1e-7 * std::fabs(reference(i, j)) + 1e-9 * N)
                    << i << ", " << j << " of " << M << " x " << N;
                EXPECT_EQ(G[i + j * M], G[j + i * M]);
            }
    }
}

TEST(KelvoxCalcInnerPly, SumsInDoublePrecision)
{
    // A running single-precision sum of 300000 equal terms drifts by far more than one rounding.
    const int N = 300000;
    const std::vector<float> X(N, 0.1f);
    const double exact = N * static_cast<double>(0.1f) * static_cast<double>(0.1f);
    float G = 0;
    CalcInnerPly(&G, X.data(), 1, N);
    EXPECT_EQ(G, static_cast<float>(exact));

    float singleSum = 0;
    for (float x : X)
        singleSum += x * x;
    EXPECT_NE(singleSum, static_cast<float>(exact)); // the fault this guards against is real
}

TEST(KelvoxCalcInnerPly, FeedsCalcInvLikeTheErrorModelFit)
{
    const int N = 16002, M = 18;
    const std::vector<float> X = ErrorModelLikeDesign(N, M);
    std::vector<float> G(M * M);
    CalcInnerPly(G.data(), X.data(), M, N);
    CalcInv(G.data(), M);
    const MatrixD x = ToEigen(X.data(), N, M);
    const MatrixD reference = (x.transpose() * x).inverse();
    EXPECT_LT(RelativeError(ToEigen(G.data(), M, M), reference), 1e-5);
}

TEST(KelvoxCalcInnerPly, NoSamplesGiveZerosAndBadArgumentsWriteNothing)
{
    const std::vector<float> X = RandomValues(60, 4);
    GuardedBuffer G(9, 5.0f);
    CalcInnerPly(G.data(), X.data(), 3, 0);
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(G[i], 0.0f);

    for (const auto& [M, N] : {std::pair{0, 20}, std::pair{21, 2}, std::pair{3, -2}}) {
        GuardedBuffer out(21 * 21, 5.0f);
        GuardedBuffer before(21 * 21, 5.0f);
        CalcInnerPly(out.data(), X.data(), M, N);
        EXPECT_TRUE(out.bitwiseEqual(before)) << "M = " << M << ", N = " << N;
    }
    GuardedBuffer out(9, 5.0f);
    GuardedBuffer before(9, 5.0f);
    CalcInnerPly(out.data(), nullptr, 3, 20);
    EXPECT_TRUE(out.bitwiseEqual(before));
}
