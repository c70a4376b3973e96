// Batch import of 200 measurement files, each a dynamic case of 2 x 2500 readings written by our
// own .rtb writer, into a fresh case database: every file read in full, analysed with the error
// model and saved with the duplicate check. The figure that matters is ms_per_file.

#include "analysis/kelvox_binding.h"
#include "bench/case_db_bench.h"
#include "casedb/batch_model.h"
#include "casedb/case_columns.h"
#include "core/case.h"
#include "core/settings.h"
#include "files/rtb_writer.h"
#include "tests/support/sample_cases.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace sarvo;

namespace {

constexpr int kFiles = 200;
constexpr int kPoints = 2500;

// A dynamic case run both ways round on a 150 mm bar, a file of its own by machine and date.
Case makeMeasurement(int index)
{
    Case c;
    test::FillTwoWayCircle(c, true, kPoints);
    c.Header[HdrMachine] = QStringLiteral("Mill %1").arg(index % 7);
    c.Header[HdrFeedrate] = QStringLiteral("1000");
    c.Header[HdrStatDyn] = QStringLiteral("D");
    c.Data.TestDate = QDateTime(QDate(2025, 1, 1), QTime(8, 0, 0), Qt::UTC).addSecs(qint64(index) * 600);
    return c;
}

struct Fixture {
    QTemporaryDir dir;
    QStringList files;

    Fixture()
    {
        SetKelvoxLibraryPath(QStringLiteral(SARVOTEX_KELVOX_DIR));
        const Settings settings;
        for (int i = 0; i < kFiles; ++i) {
            const QString path = QDir(dir.path()).filePath(QStringLiteral("case%1.rtb").arg(i, 3, 10, QChar(u'0')));
            if (!files::SaveRtb(makeMeasurement(i), settings, path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                std::abort();
            }
            files << path;
        }
    }
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
        const QString folder = QDir(f.dir.path()).filePath(QStringLiteral("db%1").arg(run++));
        QDir().mkpath(folder);
        casedb::CaseStore store(QStringLiteral("bench-batch"));
        store.open(QDir(folder).filePath(QString::fromLatin1(casedb::kCaseDbFileName)));

        casedb::BatchServices services;
        services.store = [&store] { return &store; };
        services.readContext.files = &disk;
        services.askOverwrite = [](const QString&) { return true; };
        casedb::BatchModel model;
        for (const QString& file : f.files)
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
