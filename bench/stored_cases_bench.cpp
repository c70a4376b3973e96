// Listing the stored cases of a case database of 10,000 cases, as the case browser, the batch
// list and the trend read them: every case, and the cases of one machine and plane in a date
// range; and the trend's query and build. Each figure is the median over repetitions of single
// listings.

#include "bench/case_db_bench.h"
#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/stored_cases.h"
#include "casedb/trend.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimeZone>

#include <benchmark/benchmark.h>


using namespace sarvo::casedb;
using sarvo::bench::execOrAbort;

namespace {

constexpr int kStoredCases = 10000;

// Every Measure column filled, as a save leaves a case with results: 40 machines, three planes,
// 20 cases per session, one case an hour.
QString sampleValue(const Column& column)
{
    const QString name = QLatin1String(column.name);
    if (name == QLatin1String(col::Machine))
        return QStringLiteral("'Mill ' || (i % 40)");
    if (name == QLatin1String(col::Name))
        return QStringLiteral("'Session ' || (i / 20)");
    if (name == QLatin1String(col::Plane))
        return QStringLiteral("CASE i % 3 WHEN 0 THEN 'xy' WHEN 1 THEN 'yz' ELSE 'xz' END");
    if (name == QLatin1String(col::StatDyn))
        return QStringLiteral("CASE WHEN i % 5 = 0 THEN 'S' ELSE 'D' END");
    if (name == QLatin1String(col::Calced))
        return QStringLiteral("1");
    switch (column.type) {
    case FieldType::AutoNumber:
        return QStringLiteral("i + 1");
    case FieldType::DateTime:
        return QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', '2020-01-01 08:00:00', '+' || i || ' hours')");
    case FieldType::Text:
        return QStringLiteral("'%1 ' || i").arg(name);
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return QStringLiteral("i % 100");
    case FieldType::Single:
    case FieldType::Double:
        return QStringLiteral("(i % 997) * 0.0125");
    }
    return QStringLiteral("NULL");
}

struct Fixture {
    QTemporaryDir dir;
    CaseStore store{QStringLiteral("bench")};

    Fixture()
    {
        store.open(QDir(dir.path()).filePath(QString::fromLatin1(kCaseDbFileName)));
        QStringList names, values;
        for (const Column& column : MeasureTable().columns) {
            names << QuoteName(QLatin1String(column.name));
            values << sampleValue(column);
        }
        QSqlDatabase db = store.database();
        execOrAbort(db, "BEGIN");
        execOrAbort(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                                " INSERT INTO %2 (%3) SELECT %4 FROM n")
                     .arg(kStoredCases - 1)
                     .arg(QuoteName(QLatin1String(tbl::Measure)), names.join(u','), values.join(u',')));
        execOrAbort(db, "COMMIT");
        execOrAbort(db, "ANALYZE");
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_ListEveryStoredCase(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        const auto cases = ListStoredCases(f.store, {});
        if (cases.size() != std::size_t(kStoredCases))
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(cases.data());
    }
}
BENCHMARK(BM_ListEveryStoredCase)->Iterations(5)->Repetitions(10)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

// The trend's query: one machine and plane over a year.
void BM_ListOneMachineAndPlaneInAYear(benchmark::State& state)
{
    Fixture& f = fixture();
    StoredCaseFilter filter;
    filter.machine = QStringLiteral("Mill 7");
    filter.plane = QStringLiteral("yz");
    filter.from = QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    filter.until = QDateTime(QDate(2021, 1, 1), QTime(0, 0), Qt::UTC);
    for (auto _ : state) {
        const auto cases = ListStoredCases(f.store, filter);
        if (cases.empty())
            state.SkipWithError("nothing found");
        benchmark::DoNotOptimize(cases.data());
    }
}
BENCHMARK(BM_ListOneMachineAndPlaneInAYear)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

// The trend over every machine of one plane and all dates: the query and the builder, as one
// Query click of the trend window (about 3,300 cases, 500 sessions).
void BM_TrendQueryAndBuild(benchmark::State& state)
{
    Fixture& f = fixture();
    const TrendRequest request{QStringLiteral("xy"), QString(), QDate(2020, 1, 1), QDate(2021, 12, 31)};
    const TrendOptions options{kDefaultTrendResult, QStringLiteral("Circularity LSC"), TrendSpacing::Fixed};
    sarvo::UnitState units;
    units.SmallFactor = units.LargeFactor = units.ScaleErrFactor = 1;
    units.SmallFormat = QStringLiteral("0.0");
    units.LargeFormat = QStringLiteral("0");
    for (auto _ : state) {
        const TrendView view = BuildTrend(QueryTrend(f.store, request), request, options, units);
        if (view.table.rows.size() < 3000)
            state.SkipWithError("too few cases");
        benchmark::DoNotOptimize(view.chart.series.data());
    }
}
BENCHMARK(BM_TrendQueryAndBuild)->Iterations(5)->Repetitions(10)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return sarvo::bench::RunWithFixture(argc, argv, fixture);
}
