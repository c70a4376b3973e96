// Batch import of 200 measurement files, each a dynamic case of 2 x 2500 readings written by our
// own .rtb writer, into a fresh case database: every file read in full, analysed with the error
// model and saved with the duplicate check. The figure that matters is ms_per_file.

#include "analysis/kelvox_binding.h"
#include "bench/case_db_bench.h"
#include "bench/measurement_files.h"
#include "casedb/batch_model.h"
#include "casedb/case_columns.h"

#include <QDir>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace sarvo;

namespace {

constexpr int kFiles = 200;
constexpr int kPoints = 2500;

Case makeMeasurement(int index)
{
    return bench::DynamicMeasurement(index, kPoints, 7, 600);
}

struct Fixture {
    Fixture() { SetKelvoxLibraryPath(QStringLiteral(SARVOTEX_KELVOX_DIR)); }
    bench::RtbFolder measurements{kFiles, 3, QStringLiteral("case"), makeMeasurement};
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_BatchImport200Files(benchmark::State& state)
{
    Fixture& f = fixture();
    files::DiskFiles disk;
    int run = 0;
    for (auto _ : state) {
        const QString folder = QDir(f.measurements.folder()).filePath(QStringLiteral("db%1").arg(run++));
        QDir().mkpath(folder);
        casedb::CaseStore store(QStringLiteral("bench-batch"));
        store.open(QDir(folder).filePath(QString::fromLatin1(casedb::kCaseDbFileName)));

        casedb::BatchServices services;
        services.store = [&store] { return &store; };
        services.readContext.files = &disk;
        services.askOverwrite = [](const QString&) { return true; };
        casedb::BatchModel model;
        for (const QString& file : f.measurements.files)
            model.addFile(file, services.readContext);
        casedb::BatchRun batch(model, QStringLiteral("Bench"), services);

        const auto start = std::chrono::steady_clock::now();
        while (batch.step()) {
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        if (batch.storedCount() != kFiles)
            state.SkipWithError(qPrintable(model.rows().front().failure));
        state.counters["ms_per_file"] = elapsed.count() * 1000 / kFiles;
        store.close();
    }
}
BENCHMARK(BM_BatchImport200Files)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return sarvo::bench::RunWithFixture(argc, argv, fixture);
}
