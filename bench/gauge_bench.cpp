// The time of ten readings of the own gauge on the simulator, as the live display and a static
// point take them: the stream started, about 800 bytes awaited, stopped, its tail taken until the
// line is quiet. On time, from a gauge whose stream begins 20 ms late, and from a bar resting in a
// band whose records take five bytes: a late stream costs its lateness, not a wait to a limit
// (ten late readings well under 0.8 s longer than ten on time).

#include "gauge/device.h"

#include <benchmark/benchmark.h>

#include <QProcess>
#include <QStringList>

namespace {

const QStringList kGauges[] = {
    {"owngauge", "--mark-ms", "0"},
    {"owngauge", "--mark-ms", "0", "--start-late-ms", "20"},
    {"owngauge", "--mark-ms", "0", "--rest-mm", "0.0169"},
};

void BM_TenOwnGaugeReadings(benchmark::State& state)
{
    QProcess sim;
    sim.start(SARVOTEX_GAUGE_SIM, kGauges[state.range(0)]);
    while (!sim.canReadLine() && sim.waitForReadyRead(10000)) {
    }
    sarvo::Settings settings;
    settings.BallBarType = static_cast<int16_t>(sarvo::gauge::GaugeType::OwnGauge);
    settings.CommPort = QString::fromLocal8Bit(sim.readLine()).trimmed();
    settings.AutoDetect = false;
    auto device = sarvo::gauge::MakeGaugeDevice(settings);
    if (device->open() != 0) {
        state.SkipWithError("the simulated gauge did not answer");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const sarvo::gauge::GaugeReading reading = device->readOne();
            if (!reading.ok()) {
                state.SkipWithError("a reading failed");
                break;
            }
            benchmark::DoNotOptimize(reading.mm);
        }
    }
    device->close();
    sim.kill();
    sim.waitForFinished(10000);
}
// 0 on time, 1 begun 20 ms late, 2 in a five-byte band.
BENCHMARK(BM_TenOwnGaugeReadings)->ArgName("gauge")->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
