// The computation library's kernels at the sizes the analysis uses them: the error model's
// 18 unknowns over two runs of 8001 points, the 256-point spectrum and a full dynamic trace.
#include "analysis/trig_tables.h"
#include "kelvox/kelvox.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kUnknowns = 18;
constexpr int kSamples = 16002;

std::vector<float> DesignMatrix(int N, int M)
{
    std::vector<float> X(static_cast<std::size_t>(N) * M);
    for (int c = 0; c < M; ++c)
        for (int k = 0; k < N; ++k)
            X[k + static_cast<std::size_t>(c) * N] =
                static_cast<float>(std::cos((c + 1) * 6.283185307179586 * k / N + 0.1 * c) + (c == 0 ? 1.0 : 0.0));
    return X;
}

void BM_CalcPinv(benchmark::State& state)
{
    const std::vector<float> X = DesignMatrix(kSamples, kUnknowns);
    std::vector<float> P(X.size());
    for (auto _ : state) {
        CalcPinv(P.data(), X.data(), kUnknowns, kSamples);
        benchmark::DoNotOptimize(P.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalcPinv)->Unit(benchmark::kMillisecond);

void BM_CalcInnerPly(benchmark::State& state)
{
    const std::vector<float> X = DesignMatrix(kSamples, kUnknowns);
    std::vector<float> G(kUnknowns * kUnknowns);
    for (auto _ : state) {
        CalcInnerPly(G.data(), X.data(), kUnknowns, kSamples);
        benchmark::DoNotOptimize(G.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalcInnerPly)->Unit(benchmark::kMillisecond);

void BM_Dft256(benchmark::State& state)
{
    std::vector<float> x(256), X(512);
    for (int n = 0; n < 256; ++n)
        x[n] = static_cast<float>(std::sin(0.3 * n) + 0.2 * std::cos(1.7 * n));
    for (auto _ : state) {
        Dft(x.data(), X.data(), 256, sarvo::CosTabZero(), sarvo::SinTabZero());
        benchmark::DoNotOptimize(X.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Dft256)->Unit(benchmark::kMicrosecond);

void BM_CalcDBBDynamic(benchmark::State& state)
{
    KelvoxErrorParams p;
    std::memset(&p, 0, sizeof p);
    p.Back0 = 3, p.Back90 = -2, p.Back180 = 4, p.Back270 = 1;
    p.PlayH = 1, p.PlayV = 0.5, p.ScaleH = 15, p.ScaleV = -8;
    p.CyclicH = 0.7, p.CyclicV = 0.4, p.PitchH = 5, p.PitchV = 10, p.PhaseH = 20, p.PhaseV = -40;
    p.ServoH = 99, p.ServoV = 102, p.SlipH = 1.5, p.SlipV = 1, p.SpikeH = 2, p.SpikeV = 3;
    p.Squareness = 6, p.StraightH = 3, p.StraightV = -2, p.Random = 0.8, p.PolarVibration = 0.5;
    p.VibrationAngle = -30, p.CentreH = 1, p.CentreV = -1;
    const float profH[5] = {0, 0, 100, 0, 0}, profV[5] = {0, 0, 100, 0, 0};
    std::vector<float> traces(2 * 1081);
    float* degreeZero = traces.data() + 2 * 360;
    for (auto _ : state) {
        CalcDBB(degreeZero, 1, 150, 1000, &p, sarvo::CosTabZero(), sarvo::SinTabZero(), 0, 361, 1, profH, profV);
        benchmark::DoNotOptimize(traces.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CalcDBBDynamic)->Unit(benchmark::kMicrosecond);

} // namespace
