// Adding a folder of 2,000 measurement files to the batch, as a user does it: Ctrl+A in the file
// list and Add. Each file is a dynamic case of 2 x 360 readings (the format's default of 360
// targets a run) written by our own .rtb writer. Three figures:
// - HeaderReads: the header read of every file alone, the least an add can cost;
// - ModelAdd: the batch's own model adding every file (header read and the check for a file
//   listed already);
// - WindowAdd: the batch window from the click until every row is in its grid, with the longest
//   stretch in which its event loop did not run (longest_block_ms): how long the window froze.

#include "casedb/batch_model.h"
#include "casedb/ui/batch_window.h"
#include "files/rtb_reader.h"
#include "bench/case_db_bench.h"
#include "bench/measurement_files.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace sarvo;

namespace {

constexpr int kFiles = 2000;
constexpr int kPoints = 360;

// Twenty machines, a case a day.
Case makeMeasurement(int index)
{
    return bench::DynamicMeasurement(index, kPoints, 20, 24 * 3600);
}

struct Fixture {
    bench::RtbFolder measurements{kFiles, 4, QStringLiteral("case"), makeMeasurement};
};

// Header reads from the disk, as the batch window makes them.
files::ReadContext DiskContext(files::DiskFiles& disk)
{
    files::ReadContext ctx;
    ctx.files = &disk;
    return ctx;
}

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_HeaderReads2000Files(benchmark::State& state)
{
    Fixture& f = fixture();
    files::DiskFiles disk;
    const files::ReadContext ctx = DiskContext(disk);
    for (auto _ : state) {
        int read = 0;
        for (const QString& path : f.measurements.files) {
            Case c;
            c.Header[HdrFilename] = path;
            read += files::ReadRtbHeader(c, ctx).ok() ? 1 : 0;
        }
        if (read != kFiles)
            state.SkipWithError("a header could not be read");
    }
}
BENCHMARK(BM_HeaderReads2000Files)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

void BM_BatchModelAdd2000Files(benchmark::State& state)
{
    Fixture& f = fixture();
    files::DiskFiles disk;
    const files::ReadContext ctx = DiskContext(disk);
    for (auto _ : state) {
        casedb::BatchModel model;
        for (const QString& path : f.measurements.files)
            model.addFile(path, ctx);
        if (model.rows().size() != std::size_t(kFiles))
            state.SkipWithError("a file got no row");
    }
}
BENCHMARK(BM_BatchModelAdd2000Files)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

void BM_BatchWindowAdd2000Files(benchmark::State& state)
{
    Fixture& f = fixture();
    files::DiskFiles disk;
    for (auto _ : state) {
        state.PauseTiming();
        BatchWindowSetup setup;
        setup.startFolder = f.measurements.folder();
        setup.units.LargeFactor = 1;
        setup.units.LargeFormat = QStringLiteral("0");
        setup.services = [&disk] {
            casedb::BatchServices services;
            services.readContext = DiskContext(disk);
            return services;
        };
        BatchWindow window(std::move(setup));
        window.show();
        QApplication::processEvents();
        if (window.fileList()->count() != kFiles) {
            state.SkipWithError("the folder does not list every file");
            break;
        }
        window.fileList()->setFocus();
        window.fileList()->selectAll();
        state.ResumeTiming();

        QElapsedTimer total;
        total.start();
        QElapsedTimer block;
        block.start();
        window.addButton()->click();
        qint64 longest = block.nsecsElapsed();
        // Whatever the click left to the event loop, until every row is in the grid.
        while (window.grid()->rowCount() < kFiles && total.elapsed() < 600000) {
            block.restart();
            QApplication::processEvents();
            longest = std::max(longest, block.nsecsElapsed());
        }
        const double totalMs = double(total.nsecsElapsed()) / 1e6;

        state.PauseTiming();
        if (window.grid()->rowCount() != kFiles)
            state.SkipWithError("not every file got a row");
        state.counters["total_ms"] = totalMs;
        state.counters["longest_block_ms"] = double(longest) / 1e6;
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BatchWindowAdd2000Files)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("SARVOTEX_HOME", home.path().toUtf8());
    return sarvo::bench::RunWithFixture<Fixture, QApplication>(argc, argv, fixture);
}
