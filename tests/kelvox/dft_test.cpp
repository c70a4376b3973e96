// Dft through the export of libkelvox.so, against the exact transform and against a plain
// double-precision recursion with the same whole-degree twiddles.
#include "analysis/trig_tables.h"
#include "kelvox/kelvox.h"
#include "tests/kelvox/kelvox_test_util.h"

#include <cmath>
#include <complex>
#include <limits>

using namespace kelvox::test;
using Complex = std::complex<double>;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<Complex> RunDft(const std::vector<float>& x)
{
    const int N = static_cast<int>(x.size());
    GuardedBuffer out(2 * static_cast<std::size_t>(N), 0.0f);
    Dft(x.data(), out.data(), N, sarvo::CosTabZero(), sarvo::SinTabZero());
    EXPECT_TRUE(out.guardsIntact());
    std::vector<Complex> X(N);
    for (int k = 0; k < N; ++k)
        X[k] = {out[2 * k], out[2 * k + 1]};
    return X;
}

std::vector<Complex> ExactDft(const std::vector<float>& x)
{
    const int N = static_cast<int>(x.size());
    std::vector<Complex> X(N);
    for (int k = 0; k < N; ++k)
        for (int n = 0; n < N; ++n)
            X[k] += static_cast<double>(x[n]) * std::polar(1.0, -2.0 * kPi * n * k / N);
    return X;
}

// The transform the spectrum is defined on: radix-2 decimation in time whose twiddle angle at
// every level is 360 k / length truncated to whole degrees.
std::vector<Complex> WholeDegreeReference(const std::vector<Complex>& x)
{
    const std::size_t N = x.size();
    if (N == 1)
        return x;
    std::vector<Complex> even(N / 2), odd(N / 2);
    for (std::size_t n = 0; n < N / 2; ++n) {
        even[n] = x[2 * n];
        odd[n] = x[2 * n + 1];
    }
    const std::vector<Complex> E = WholeDegreeReference(even);
    const std::vector<Complex> O = WholeDegreeReference(odd);
    std::vector<Complex> X(N);
    for (std::size_t k = 0; k < N / 2; ++k) {
        const double degrees = std::trunc(360.0 * k / N);
        const Complex w = std::polar(1.0, -degrees * kPi / 180.0);
        X[k] = E[k] + w * O[k];
        X[k + N / 2] = E[k] - w * O[k];
    }
    return X;
}

double MaxDifference(const std::vector<Complex>& a, const std::vector<Complex>& b)
{
    double worst = 0;
    for (std::size_t k = 0; k < a.size(); ++k)
        worst = std::max(worst, std::abs(a[k] - b[k]));
    return worst;
}

} // namespace

TEST(KelvoxDft, TwoAndFourPointExamples)
{
    const auto two = RunDft({3.0f, -1.5f});
    EXPECT_EQ(two[0], Complex(1.5, 0));
    EXPECT_EQ(two[1], Complex(4.5, 0));

    // The twelve-digit pi leaves about 1e-13 where exact zeros would be.
    const double tolerance = 1e-6;
    for (const Complex& v : RunDft({1, 0, 0, 0}))
        EXPECT_LT(std::abs(v - Complex(1, 0)), tolerance);
    const auto shifted = RunDft({0, 1, 0, 0});
    const Complex expected[] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};
    for (int k = 0; k < 4; ++k)
        EXPECT_LT(std::abs(shifted[k] - expected[k]), tolerance) << k;
}

TEST(KelvoxDft, ExactUpToEightPoints)
{
    for (int N : {2, 4, 8}) {
        const std::vector<float> constant(N, 2.5f);
        const auto X = RunDft(constant);
        EXPECT_NEAR(X[0].real(), N * 2.5, 1e-6);
        for (int k = 1; k < N; ++k)
            EXPECT_LT(std::abs(X[k]), 1e-6) << "N = " << N << ", k = " << k;

        const std::vector<float> x = RandomValues(N, 20 + N);
        EXPECT_LT(MaxDifference(RunDft(x), ExactDft(x)), 1e-5) << "N = " << N;
    }
}

TEST(KelvoxDft, MatchesWholeDegreeReference)
{
    for (int N : {16, 32, 64, 128, 256, 1024}) {
        const std::vector<float> x = RandomValues(N, 40 + N);
        const std::vector<Complex> input(x.begin(), x.end());
        const auto reference = WholeDegreeReference(input);
        // Single-precision storage at every level: error grows with log N and the magnitude.
        EXPECT_LT(MaxDifference(RunDft(x), reference), 2e-6 * N) << "N = " << N;
    }
}

TEST(KelvoxDft, TruncatedTwiddlesLeakALittle)
{
    // One period per 16 samples: the 22-degree twiddle (not 22.5) spreads a little energy into
    // other lines, which an exact transform would leave at zero.
    std::vector<float> x(16);
    for (int n = 0; n < 16; ++n)
        x[n] = static_cast<float>(std::cos(2.0 * kPi * n / 16));
    const auto X = RunDft(x);
    EXPECT_NEAR(std::abs(X[1]), 8.0, 0.1);
    double leak = 0;
    for (int k = 2; k <= 14; ++k)
        leak = std::max(leak, std::abs(X[k]));
    EXPECT_GT(leak, 1e-3);
    EXPECT_LT(leak, 0.05 * 8);

    // At the spectrum's length 256 the amplitude stays within 0.01 % and leakage below 1 %.
    std::vector<float> sine(256);
    for (int n = 0; n < 256; ++n)
        sine[n] = static_cast<float>(std::sin(2.0 * kPi * 5 * n / 256));
    const auto S = RunDft(sine);
    EXPECT_NEAR(std::abs(S[5]) / 128.0, 1.0, 1e-4);
    for (int k = 0; k < 256; ++k) {
        if (k == 5 || k == 251)
            continue;
        EXPECT_LT(std::abs(S[k]), 0.01 * 128) << k;
    }
}

TEST(KelvoxDft, ReadsOnlyTheTableEntriesFor0To359Degrees)
{
    // Tables poisoned outside 0..359 must give the same transform.
    std::vector<float> cosine(1081, std::numeric_limits<float>::quiet_NaN());
    std::vector<float> sine(1081, std::numeric_limits<float>::quiet_NaN());
    for (int d = 0; d < 360; ++d) {
        cosine[360 + d] = sarvo::CosTab(d);
        sine[360 + d] = sarvo::SinTab(d);
    }
    const std::vector<float> x = RandomValues(512, 2);
    std::vector<float> poisoned(1024), normal(1024);
    Dft(x.data(), poisoned.data(), 512, cosine.data() + 360, sine.data() + 360);
    Dft(x.data(), normal.data(), 512, sarvo::CosTabZero(), sarvo::SinTabZero());
    EXPECT_EQ(poisoned, normal);
}

TEST(KelvoxDft, LengthsThatAreNotPowersOfTwoLeaveXUntouched)
{
    const std::vector<float> x = RandomValues(64, 1);
    for (int N : {0, 1, 3, 6, 12, 48, 100, -8, std::numeric_limits<int32_t>::min()}) {
        GuardedBuffer X(128, 9.0f);
        GuardedBuffer before(128, 9.0f);
        Dft(x.data(), X.data(), N, sarvo::CosTabZero(), sarvo::SinTabZero());
        EXPECT_TRUE(X.bitwiseEqual(before)) << "N = " << N;
    }
    GuardedBuffer X(128, 9.0f);
    GuardedBuffer before(128, 9.0f);
    Dft(nullptr, X.data(), 64, sarvo::CosTabZero(), sarvo::SinTabZero());
    Dft(x.data(), X.data(), 64, nullptr, sarvo::SinTabZero());
    Dft(x.data(), X.data(), 64, sarvo::CosTabZero(), nullptr);
    EXPECT_TRUE(X.bitwiseEqual(before));
    Dft(x.data(), nullptr, 64, sarvo::CosTabZero(), sarvo::SinTabZero());
}
