// Saving into a case database that already holds 10,000 cases of 2 x 720 readings: the save of a
// dynamic case of 2 x 4,000 readings and the duplicate check that every save begins with.
// Each figure is the median over repetitions of single operations.

#include "analysis/kelvox_binding.h"
#include "bench/case_db_bench.h"
#include "casedb/case_columns.h"
#include "casedb/case_load.h"
#include "casedb/case_save.h"
#include "casedb/case_store.h"
#include "core/case.h"
#include "core/settings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace sarvo;
using namespace sarvo::casedb;
using sarvo::bench::execOrAbort;

namespace {

constexpr int kStoredCases = 10000;
constexpr int kStoredPoints = 720;

QDateTime baseDate()
{
    return QDateTime(QDate(2020, 1, 1), QTime(8, 0, 0), Qt::UTC);
}

Case makeCase(int runs, int points, int index)
{
    Case c;
    c.Header[HdrMachine] = QStringLiteral("Mill %1").arg(index % 40);
    c.Header[HdrPlane] = QStringLiteral("xy");
    c.Header[HdrFeedrate] = QStringLiteral("1000");
    c.Header[HdrFilename] = QStringLiteral("/data/cases/t%1.rtb").arg(index);
    c.Header[HdrStatDyn] = QStringLiteral("D");
    c.Data.TestDate = baseDate().addSecs(qint64(index) * 3600);
    c.Data.BallBarLength = 150;
    c.Data.TestRadius = 150;
    c.Data.RunCount = static_cast<int16_t>(runs);
    c.Data.Dynamic = true;
    for (int r = 1; r <= runs; ++r) {
        c.Data.RunTargets[std::size_t(r)] = static_cast<int16_t>(points);
        c.Data.RunDirection[std::size_t(r)] = r % 2 ? 1 : -1;
        for (int p = 0; p < points; ++p)
            c.Data.Readings(r, p) = 0.002 * std::sin(p * 0.01 + r);
    }
    return c;
}

// The file with its 10,000 cases, made once per run of the program.
struct Fixture {
    QTemporaryDir dir;
    CaseStore store{QStringLiteral("bench")};
    int next = kStoredCases;

    Fixture()
    {
        store.open(QDir(dir.path()).filePath(QString::fromLatin1(kCaseDbFileName)));
        QSqlDatabase db = store.database();
        execOrAbort(db, "BEGIN");
        // The stored cases straight in SQL: the save itself is what is measured below.
        execOrAbort(db, QStringLiteral(
                     "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                     " INSERT INTO \"Measure\" (\"Meas_ID\", \"Machine\", \"Name\", \"Date\", \"Filename\", \"Length\","
                     " \"Plane\", \"Feedrate\", \"Calced\", \"DimCount\")"
                     " SELECT i + 1, 'Mill ' || (i % 40), 'Session ' || (i / 20),"
                     " strftime('%Y-%m-%d %H:%M:%S', '2020-01-01 08:00:00', '+' || i || ' hours'),"
                     " '/data/cases/t' || i || '.rtb', 150, 'xy', 1000, 1, 2 FROM n")
                     .arg(kStoredCases - 1));
        execOrAbort(db, "INSERT INTO \"Reliability\" (\"Meas_ID\") SELECT \"Meas_ID\" FROM \"Measure\"");
        execOrAbort(db, "INSERT INTO \"Direction\" (\"Meas_ID\", \"Dim\", \"MeasuredTargets\")"
                 " SELECT \"Meas_ID\", d, 720 FROM \"Measure\", (SELECT 1 AS d UNION ALL SELECT 2)");
        execOrAbort(db, QStringLiteral("WITH RECURSIVE p(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM p WHERE j < %1)"
                                " INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\")"
                                " SELECT \"Meas_ID\", \"Dim\", 0.001 * j FROM \"Direction\", p"
                                " ORDER BY \"Meas_ID\", \"Dim\", j")
                     .arg(kStoredPoints - 1));
        execOrAbort(db, "COMMIT");
        execOrAbort(db, "ANALYZE");
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_SaveNewCase2x4000(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        const Case c = makeCase(2, 4000, f.next++);
        state.ResumeTiming();
        const SaveResult r = SaveCase(f.store, c, QStringLiteral("Bench"), {});
        if (r.outcome != SaveOutcome::Saved)
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveNewCase2x4000)->Iterations(1)->Repetitions(30)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DuplicateCheck(benchmark::State& state)
{
    Fixture& f = fixture();
    // A stored case (found) and one that is not stored (the search ends empty).
    Case stored = makeCase(2, 1, 4321);
    stored.Header[HdrFilename] = QStringLiteral("/data/cases/t4321.rtb");
    const bool present = state.range(0) != 0;
    if (!present)
        stored.Data.TestDate = stored.Data.TestDate.addSecs(1);
    const QString session = QStringLiteral("Session %1").arg(4321 / 20);
    for (auto _ : state) {
        const auto match = FindStoredCase(f.store, stored, session);
        if (match.has_value() != present)
            state.SkipWithError("wrong answer");
        benchmark::DoNotOptimize(match);
    }
}
BENCHMARK(BM_DuplicateCheck)->Arg(1)->Arg(0)->Iterations(200)->Repetitions(10)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMicrosecond);


// A stored case of 2 x 4000 points with its results, loaded whole: the four tables, the checks and
// the model trace regenerated by the computation library.
void BM_LoadCase2x4000(benchmark::State& state)
{
    SetKelvoxLibraryPath(QStringLiteral(SARVOTEX_KELVOX_DIR));
    Fixture& f = fixture();
    Case stored = makeCase(2, 4000, f.next++);
    stored.Data.MaxTargets = 4000;
    stored.Data.StartAngle = 0;
    stored.Data.StopAngle = 360;
    stored.Data.SweepAngle = 360;
    stored.Data.AngleStep = 360.0 / 4000;
    stored.Results.LscResult.Radius = 150;
    stored.Results.ResultsValid = true;
    const SaveResult saved = SaveCase(f.store, stored, QStringLiteral("Bench"), {});
    if (saved.outcome != SaveOutcome::Saved) {
        state.SkipWithError("save failed");
        return;
    }
    Settings settings;
    for (auto _ : state) {
        Case target;
        const LoadResult r = LoadCase(f.store, saved.measId, target, settings);
        if (!r.ok)
            state.SkipWithError(qPrintable(r.message));
        benchmark::DoNotOptimize(target.Data.RunCount);
    }
}
BENCHMARK(BM_LoadCase2x4000)->Iterations(5)->Repetitions(10)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return sarvo::bench::RunWithFixture(argc, argv, fixture);
}
