#include "casedb/case_save.h"

#include "casedb/case_columns.h"
#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/utilities.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

namespace sarvo::casedb {

namespace {

// Within this the stored numbers of the key count as equal: the five decimals of the original
// comparison, and above the rounding of a length stored in single precision.
constexpr double kKeyTolerance = 5e-6;

QVariant singleValue(double value)
{
    return double(float(value));
}

// The key of a case as the save stores it.
struct CaseKey {
    QVariant machine, date, plane, name, filename;
    double length = 0;
    double feedrate = 0;
};

QVariant storedValue(const char* column, const Case& c, const QString& session)
{
    const Column* stored = FindColumn(MeasureTable(), QLatin1String(column));
    return stored ? SavedValue(*stored, c, session).value_or(QVariant()) : QVariant();
}

CaseKey keyOf(const Case& c, const QString& session)
{
    CaseKey key;
    key.machine = storedValue(col::Machine, c, session);
    key.date = storedValue(col::Date, c, session);
    key.plane = storedValue(col::Plane, c, session);
    key.name = storedValue(col::Name, c, session);
    key.filename = storedValue(col::Filename, c, session);
    key.length = storedValue(col::Length, c, session).toDouble();
    key.feedrate = storedValue(col::Feedrate, c, session).toDouble();
    return key;
}

QSqlQuery prepared(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.prepare(sql))
        throw SqlFailure(query.lastError());
    return query;
}

void run(QSqlQuery& query)
{
    if (!query.exec())
        throw SqlFailure(query.lastError());
}

std::optional<StoredCaseMatch> findByKey(const QSqlDatabase& db, const CaseKey& key)
{
    QString sql = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IS ? AND %5 IS ? AND %6 IS ? AND %7 IS ?"
                                 " AND abs(%8 - ?) < ? AND abs(%9 - ?) < ?")
                      .arg(QuoteName(col::Meas_ID), QuoteName(col::Calced), QuoteName(tbl::Measure),
                           QuoteName(col::Machine), QuoteName(col::Plane), QuoteName(col::Date),
                           QuoteName(col::Name), QuoteName(col::Length), QuoteName(col::Feedrate));
    // A captured case (no file name) matches a stored case whatever its file name.
    const bool withFile = !key.filename.isNull();
    if (withFile)
        sql += QStringLiteral(" AND %1 IS ?").arg(QuoteName(col::Filename));
    sql += QStringLiteral(" ORDER BY %1 LIMIT 1").arg(QuoteName(col::Meas_ID));
    QSqlQuery query = prepared(db, sql);
    query.setForwardOnly(true);
    for (const QVariant& v : {key.machine, key.plane, key.date, key.name})
        query.addBindValue(v);
    query.addBindValue(key.length);
    query.addBindValue(kKeyTolerance);
    query.addBindValue(key.feedrate);
    query.addBindValue(kKeyTolerance);
    if (withFile)
        query.addBindValue(key.filename);
    run(query);
    if (!query.next())
        return std::nullopt;
    return StoredCaseMatch{query.value(0).toInt(), query.value(1).toInt() != 0};
}

using Values = std::vector<std::pair<const char*, QVariant>>;

// The Measure row of the case, in the order of the table, less the columns a save leaves alone.
Values measureValues(const Case& c, const QString& session)
{
    Values values;
    values.reserve(MeasureTable().columns.size());
    for (const Column& column : MeasureTable().columns) {
        if (std::optional<QVariant> value = SavedValue(column, c, session))
            values.emplace_back(column.name, std::move(*value));
    }
    return values;
}

int insertMeasure(const QSqlDatabase& db, const Values& values)
{
    QStringList names, marks;
    for (const auto& [name, value] : values) {
        names << QuoteName(QLatin1String(name));
        marks << QStringLiteral("?");
    }
    QSqlQuery query = prepared(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(QuoteName(tbl::Measure), names.join(u','), marks.join(u',')));
    for (const auto& [name, value] : values)
        query.addBindValue(value);
    run(query);
    bool ok = false;
    const int id = query.lastInsertId().toInt(&ok);
    if (!ok || id <= 0)
        throw AppError::database(AppError::kDatabaseError, QStringLiteral("The new case has no number"));
    return id;
}

void updateMeasure(const QSqlDatabase& db, const Values& values, int measId)
{
    QStringList sets;
    for (const auto& [name, value] : values)
        sets << QuoteName(QLatin1String(name)) + QStringLiteral(" = ?");
    QSqlQuery query = prepared(db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                       .arg(QuoteName(tbl::Measure), sets.join(u','), QuoteName(col::Meas_ID)));
    for (const auto& [name, value] : values)
        query.addBindValue(value);
    query.addBindValue(measId);
    run(query);
    if (query.numRowsAffected() != 1)
        throw AppError::database(AppError::kDatabaseError, QStringLiteral("The stored case %1 is gone").arg(measId));
}

void deleteRows(const QSqlDatabase& db, const char* table, int measId)
{
    QSqlQuery query = prepared(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                                       .arg(QuoteName(table), QuoteName(col::Meas_ID)));
    query.addBindValue(measId);
    run(query);
}

// The Reliability row is replaced whole, so an overwritten case that lacks it gains one.
void writeReliability(const QSqlDatabase& db, const ErrorParams& reliability, int measId)
{
    deleteRows(db, tbl::Reliability, measId);
    QStringList names, marks;
    QVariantList values;
    for (const Column& column : ReliabilityTable().columns) {
        names << QuoteName(QLatin1String(column.name));
        marks << QStringLiteral("?");
        if (qstrcmp(column.name, col::Meas_ID) == 0) {
            values << measId;
            continue;
        }
        const double value = ErrorParamValue(reliability, StoredParam(column.name));
        values << (column.type == FieldType::Integer ? QVariant(int(value)) : QVariant(value));
    }
    QSqlQuery query = prepared(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(QuoteName(tbl::Reliability), names.join(u','), marks.join(u',')));
    for (const QVariant& v : values)
        query.addBindValue(v);
    run(query);
}

void writeReadings(const QSqlDatabase& db, const Case& c, int measId)
{
    QSqlQuery query = prepared(db, QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?)")
                                       .arg(QuoteName(tbl::Targets), QuoteName(col::Meas_ID),
                                            QuoteName(col::Dim), QuoteName(col::Meas)));
    const CaseData& d = c.Data;
    for (int r = 1; r <= d.RunCount; ++r) {
        const int points = d.RunTargets[static_cast<std::size_t>(r)];
        for (int p = 0; p < points; ++p) {
            query.bindValue(0, measId);
            query.bindValue(1, r);
            query.bindValue(2, singleValue(d.Readings(r, p)));
            run(query);
        }
    }
}

void writeRuns(const QSqlDatabase& db, const Case& c, int measId)
{
    QSqlQuery query = prepared(db, QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8, %9, %10, %11)"
                                                  " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                       .arg(QuoteName(tbl::Direction), QuoteName(col::Meas_ID), QuoteName(col::Dim),
                                            QuoteName(col::Direction), QuoteName(col::MeasuredTargets),
                                            QuoteName(col::GaugeTemp), QuoteName(col::MacTemp), QuoteName(col::IsoG),
                                            QuoteName(col::IsoFmin), QuoteName(col::IsoFmax))
                                       .arg(QuoteName(col::MeasuredFeedrate)));
    const CaseData& d = c.Data;
    const IsoResults& iso = c.Results.Iso;
    for (int r = 1; r <= d.RunCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        const QVariantList values{measId, r, int(d.RunDirection[i]), int(d.RunTargets[i]), d.GaugeTemp[i],
                                  d.MachineTemp[i], iso.IsoG[i], iso.IsoFmin[i], iso.IsoFmax[i],
                                  singleValue(d.RunFeedrate[i])};
        for (int k = 0; k < values.size(); ++k)
            query.bindValue(k, values[k]);
        run(query);
    }
}

// Runs in the readings' tables would overflow their 16-bit columns or the case's tables.
void checkShape(const CaseData& d)
{
    if (d.RunCount < 0 || d.RunCount > kMaxRuns)
        throw AppError::subscriptOutOfRange();
    for (int r = 1; r <= d.RunCount; ++r) {
        const int points = d.RunTargets[static_cast<std::size_t>(r)];
        if (points < 0 || points > kPointSlots)
            throw AppError::subscriptOutOfRange();
    }
}

} // namespace

QString OverwriteQuestion()
{
    return Translate(QStringLiteral("This case has already been saved.")) + u' ' +
           Translate(QStringLiteral("Do you want to overwrite?"));
}

std::optional<StoredCaseMatch> FindStoredCase(const CaseStore& store, const Case& snapshot, const QString& session)
{
    if (!store.isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    return findByKey(store.database(), keyOf(snapshot, session));
}

SaveResult SaveCase(const CaseStore& store, const Case& snapshot, const QString& session,
                    const AskOverwrite& askOverwrite)
{
    SaveResult result;
    try {
        if (!store.isOpen())
            throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
        if (store.isReadOnly())
            throw AppError::database(kDatabaseReadOnly, QStringLiteral("The case database is open read-only"));
        checkShape(snapshot.Data);
        const QSqlDatabase db = store.database();
        const CaseKey key = keyOf(snapshot, session);
        const Values values = measureValues(snapshot, session);

        // Asked before the write lock is taken, so that no other program waits on the answer.
        bool asked = false;
        bool agreed = false;
        if (const auto before = findByKey(db, key); before && before->calced) {
            asked = true;
            agreed = askOverwrite && askOverwrite(OverwriteQuestion());
            if (!agreed) {
                result.outcome = SaveOutcome::Declined;
                result.measId = before->measId;
                return result;
            }
        }

        CaseStore::WriteTransaction transaction(store);
        // Another program may have stored the same case meanwhile: the check again, under the lock.
        const auto match = findByKey(db, key);
        if (match && match->calced && !asked) {
            agreed = askOverwrite && askOverwrite(OverwriteQuestion());
            if (!agreed) {
                result.outcome = SaveOutcome::Declined;
                result.measId = match->measId;
                return result;
            }
        }
        int measId = 0;
        if (match) {
            measId = match->measId;
            updateMeasure(db, values, measId);
            // The readings and runs of the first save belong to the results just replaced.
            deleteRows(db, tbl::Targets, measId);
            deleteRows(db, tbl::Direction, measId);
        } else {
            measId = insertMeasure(db, values);
        }
        writeReliability(db, snapshot.Results.ErrorReliability, measId);
        writeReadings(db, snapshot, measId);
        writeRuns(db, snapshot, measId);
        transaction.commit();
        result.outcome = match ? SaveOutcome::Overwritten : SaveOutcome::Saved;
        result.measId = measId;
    } catch (...) {
        result = SaveResult{};
        result.failure = Outcome::fromCurrentException(QString::fromLatin1(kSavingLocation));
    }
    return result;
}

} // namespace sarvo::casedb
