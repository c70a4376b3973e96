// One reading of the own gauge on the simulator, as the live display and a static point take it:
// the stream started, about 800 bytes awaited, stopped. A line that holds no bytes is not drained
// first, so back-to-back readings cost the streaming alone.

#include "gauge/device.h"

#include <benchmark/benchmark.h>

#include <QProcess>

namespace {

void BM_OwnGaugeReading(benchmark::State& state)
{
    QProcess sim;
    sim.start(SARVOTEX_GAUGE_SIM, {"owngauge", "--mark-ms", "0"});
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
        const sarvo::gauge::GaugeReading reading = device->readOne();
        if (!reading.ok()) {
            state.SkipWithError("a reading failed");
            break;
        }
        benchmark::DoNotOptimize(reading.mm);
    }
    device->close();
    sim.kill();
    sim.waitForFinished(10000);
}
BENCHMARK(BM_OwnGaugeReading)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
