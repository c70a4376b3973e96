#include "casedb/case_load.h"

#include "analysis/analyse_case.h"
#include "casedb/case_columns.h"
#include "casedb/sql_error.h"
#include "casedb/stored_row.h"
#include "core/checked_math.h"
#include "core/language_db.h"
#include "core/settings.h"
#include "core/utilities.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

namespace sarvo::casedb {

namespace {

AppError damaged(const QString& what)
{
    return AppError(kDamagedCase, QStringLiteral("The stored case is damaged: ") + what);
}

QSqlQuery run(const CaseStore& store, const QString& sql, int32_t measId)
{
    QSqlQuery q(store.database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw SqlFailure(q.lastError());
    q.addBindValue(measId);
    if (!q.exec())
        throw SqlFailure(q.lastError());
    return q;
}

QString selectAll(const char* table, const QString& tail = {})
{
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = ?%3")
        .arg(QuoteName(QLatin1String(table)), QuoteName(QLatin1String(col::Meas_ID)), tail);
}

// A read transaction for the lifetime of the object, so that the four queries see one state of
// the file even while another program removes the case.
class ReadTransaction {
public:
    explicit ReadTransaction(QSqlDatabase db) : db_(std::move(db))
    {
        if (!db_.transaction())
            throw SqlFailure(db_.lastError());
    }
    ~ReadTransaction() { db_.rollback(); }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    QSqlDatabase db_;
};

void readRuns(const CaseStore& store, int32_t measId, Case& c, bool withIso)
{
    CaseData& d = c.Data;
    const int runs = d.RunCount;

    {
        QSqlQuery q = run(store, selectAll(tbl::Direction, QStringLiteral(" ORDER BY %1").arg(QuoteName(col::Dim))), measId);
        std::array<bool, kRunSlots> seen{};
        while (q.next()) {
            const StoredRow r(QLatin1String(tbl::Direction), q.record());
            const double dim = r.number(col::Dim);
            if (dim != std::floor(dim) || dim < 1 || dim > runs)
                throw damaged(QStringLiteral("a run row of run %1 in a case of %2 runs").arg(dim).arg(runs));
            const auto i = static_cast<std::size_t>(dim);
            seen[i] = true;
            if (!r.isNull(col::MeasuredFeedrate))
                d.RunFeedrate[i] = static_cast<float>(r.number(col::MeasuredFeedrate));
            d.RunDirection[i] = CheckedInt16(r.number(col::Direction));
            d.RunTargets[i] = CheckedInt16(r.number(col::MeasuredTargets));
            d.GaugeTemp[i] = r.number(col::GaugeTemp);
            d.MachineTemp[i] = r.number(col::MacTemp);
            if (d.RunTargets[i] < 0 || d.RunTargets[i] > kPointSlots)
                throw AppError::subscriptOutOfRange();
            if (withIso) {
                IsoResults& iso = c.Results.Iso;
                iso.IsoG[i] = r.numberOr(col::IsoG, 0);
                iso.IsoFmin[i] = r.numberOr(col::IsoFmin, 0);
                iso.IsoFmax[i] = r.numberOr(col::IsoFmax, 0);
            }
        }
        for (int run = 1; run <= runs; ++run) {
            if (!seen[static_cast<std::size_t>(run)])
                throw AppError(kNoCurrentRecord, QStringLiteral("No run row for run %1").arg(run));
        }
    }

    const QString readings = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ? ORDER BY %1, %5")
                                 .arg(QuoteName(col::Dim), QuoteName(col::Meas), QuoteName(tbl::Targets),
                                      QuoteName(col::Meas_ID), QuoteName(col::ID));
    QSqlQuery q = run(store, readings, measId);
    std::array<int, kRunSlots> count{};
    const QString targets = QLatin1String(tbl::Targets);
    while (q.next()) {
        if (q.isNull(0) || q.isNull(1))
            throw StoredRow::nullField(targets, q.isNull(0) ? col::Dim : col::Meas);
        bool ok = false;
        const int dim = q.value(0).toInt(&ok);
        if (!ok || dim < 1 || dim > runs)
            throw damaged(QStringLiteral("readings of run %1 in a case of %2 runs").arg(q.value(0).toString()).arg(runs));
        const auto i = static_cast<std::size_t>(dim);
        // Raises error 9 at the first reading beyond the table (8001 per run).
        d.Readings(dim, count[i]) = StoredRow::toNumber(targets, col::Meas, q.value(1));
        ++count[i];
    }
    for (int run = 1; run <= runs; ++run) {
        const auto i = static_cast<std::size_t>(run);
        if (count[i] != d.RunTargets[i])
            throw damaged(QStringLiteral("run %1 holds %2 readings instead of %3").arg(run).arg(count[i]).arg(d.RunTargets[i]));
    }
}

void readReliability(const StoredRow& row, ErrorParams& reliability)
{
    for (const Column& column : ReliabilityTable().columns) {
        if (std::strcmp(column.name, col::Meas_ID) != 0)
            SetStoredParam(reliability, StoredParam(column.name), row.number(column.name));
    }
}

// What the stored columns imply: the sweep and the analysis step.
void deriveAngles(CaseData& d, AnalysisResults& res)
{
    d.SweepAngle = CheckedInt16(double(d.StopAngle) - d.StartAngle);
    if (d.Dynamic) {
        if (d.MaxTargets == 0)
            throw AppError::divisionByZero();
        res.AnalysisStep = 1;
    } else {
        res.AnalysisStep = kStaticStepDeg;
    }
    d.AngleStep = d.StepOfRuns();
}

// Fills a fresh case from the stored rows; raises AppError on anything missing or out of range.
// The failures of the regenerated traces that let the load go on are kept in stepFailures.
void ReadCase(const CaseStore& store, int32_t measId, Case& c, StepFailures& stepFailures)
{
    ReadTransaction transaction(store.database());

    QSqlQuery mq = run(store, selectAll(tbl::Measure), measId);
    if (!mq.next())
        throw AppError(kNoCurrentRecord, QStringLiteral("No stored case %1").arg(measId));
    const StoredRow m(QLatin1String(tbl::Measure), mq.record());
    const bool calced = m.numberOr(col::Calced, 0) != 0;
    LoadMeasureColumns(m, c, calced);
    deriveAngles(c.Data, c.Results);
    if (!calced) {
        readRuns(store, measId, c, false);
        return;
    }
    {
        QSqlQuery rq = run(store, selectAll(tbl::Reliability), measId);
        if (!rq.next())
            throw AppError(kNoCurrentRecord, QStringLiteral("No uncertainties stored for case %1").arg(measId));
        readReliability(StoredRow(QLatin1String(tbl::Reliability), rq.record()), c.Results.ErrorReliability);
    }
    readRuns(store, measId, c, true);
    c.Results.ResultsValid = true;
    c.Results.MeasurementValid = true;

    NoProgress none;
    const AnalysisOutcome traces = AnalyseCase(c, Settings{}, {.storedTraces = true}, none);
    for (const Outcome& failure : traces.stepFailures)
        stepFailures.add(failure);
    if (!traces.ok())
        throw traces.outcome.error();
}

} // namespace

LoadResult LoadCase(const CaseStore& store, int32_t measId, Case& target, Settings& settings)
{
    LoadResult result;
    try {
        if (!store.isOpen())
            throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
        // A fresh case: nothing of the case open before (readings past the stored ones, results
        // of a case stored without them) may show as part of the stored one.
        auto scratch = std::make_unique<Case>();
        ReadCase(store, measId, *scratch, result.stepFailures);
        result.withResults = scratch->Results.ResultsValid;
        target = std::move(*scratch);
        settings.ScaleFactor = target.Data.ScaleFactor;
        result.ok = true;
    } catch (...) {
        const AppError e = AppError::fromException(std::current_exception());
        result.number = e.number();
        result.message = e.description();
    }
    return result;
}

QString LoadedCaseRecentText(const Case& c)
{
    const CaseHeader& h = c.Header;
    const QString start = h[HdrName] + QLatin1Char(' ') + h[HdrPlane] + QLatin1Char(' ');
    if (c.Data.Dynamic)
        return start + h[HdrFeedrate] + QStringLiteral("mm/min");
    return start + QStringLiteral("Static");
}

} // namespace sarvo::casedb
