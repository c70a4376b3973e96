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

// An empty text is stored as Null, so that "no session" or "no file" matches with IS.
QVariant textValue(const QString& text, int size = 0)
{
    const QString cut = size > 0 ? text.left(size) : text;
    if (cut.isEmpty())
        return QVariant(QMetaType(QMetaType::QString));
    return cut;
}

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

CaseKey keyOf(const Case& c, const QString& session)
{
    const CaseHeader& h = c.Header;
    CaseKey key;
    key.machine = textValue(h[HdrMachine]);
    const QString date = DbDateText(c.Data.TestDate);
    key.date = date.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(date);
    key.plane = textValue(h[HdrPlane], 30);
    key.name = textValue(session);
    key.filename = textValue(h[HdrFilename], 100);
    key.length = float(c.Data.BallBarLength);
    key.feedrate = StrToDbl(h[HdrFeedrate]);
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

double param(const ErrorParams& p, const char* name)
{
    for (const ErrorParamField& field : kErrorParamFields) {
        if (qstrcmp(field.name, name) == 0)
            return ErrorParamValue(p, field);
    }
    throw AppError::invalidCall(QStringLiteral("No parameter %1").arg(QLatin1String(name)));
}

using Values = std::vector<std::pair<const char*, QVariant>>;

// The Measure row of the case, in the order of the table, less the columns a save leaves alone.
Values measureValues(const Case& c, const QString& session, double scaleFactor)
{
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    const AnalysisResults& r = c.Results;
    const CaseKey key = keyOf(c, session);
    Values v;
    v.reserve(96);
    for (const Column& column : MeasureTable().columns) {
        const QString name = QLatin1String(column.name);
        auto put = [&](QVariant value) { v.emplace_back(column.name, std::move(value)); };
        auto origin = [&](int slot) {
            if (!h[slot].isEmpty())
                put(StrToDbl(h[slot]));
        };
        const CircleResult& lsc = r.LscResult;
        const CircleResult& mzc = r.MzcResult;
        if (column.type == FieldType::AutoNumber)
            continue;
        else if (name == col::Machine) put(key.machine);
        else if (name == col::Name) put(key.name);
        else if (name == col::Date) put(key.date);
        else if (name == col::Filename) put(key.filename);
        else if (name == col::By) put(textValue(h[HdrBy], 30));
        else if (name == col::Radius) put(d.TestRadius);
        else if (name == col::Length) put(key.length);
        else if (name == col::Plane) put(key.plane);
        else if (name == col::Feedrate) put(key.feedrate);
        else if (name == col::StatDyn) put(textValue(h[HdrStatDyn], 30));
        else if (name == col::MaxTargets) put(int(d.MaxTargets));
        // A static case has no sampling rate: Null, which loads back as the empty text.
        else if (name == col::Sampling)
            put(h[HdrSampling].trimmed().isEmpty() ? QVariant() : singleValue(StrToDbl(h[HdrSampling])));
        else if (name == col::Customer) put(textValue(h[HdrCustomer], 30));
        else if (name == col::Comment) put(textValue(h[HdrComment], 100));
        else if (name == col::Calibrated) put(d.Calibrated ? 1 : 0);
        else if (name == col::Option) put(d.OptionFlag ? 1 : 0);
        else if (name == col::OrigX) origin(HdrOrigX);
        else if (name == col::OrigY) origin(HdrOrigY);
        else if (name == col::OrigZ) origin(HdrOrigZ);
        else if (name == col::GaugeExp) put(StrToDbl(h[HdrGaugeExp]));
        else if (name == col::MachineExp) put(StrToDbl(h[HdrMachineExp]));
        else if (name == col::StartAngle) put(int(d.StartAngle));
        else if (name == col::StopAngle) put(int(d.StopAngle));
        else if (name == col::Calced) put(1);
        else if (name == col::CentreOffV) put(lsc.CentreV);
        else if (name == col::CentreOffH) put(lsc.CentreH);
        else if (name == col::Circularity) put(lsc.Circularity);
        else if (name == col::CircMax) put(lsc.Max);
        else if (name == col::CircMaxPoint) put(lsc.MaxPos);
        else if (name == col::CircMin) put(lsc.Min);
        else if (name == col::CircMinPoint) put(lsc.MinPos);
        else if (name == col::LSCRadius) put(lsc.Radius);
        else if (name == col::MZCCentreOffV) put(mzc.CentreV);
        else if (name == col::MZCCentreOffH) put(mzc.CentreH);
        else if (name == col::MZClarity) put(mzc.Circularity);
        else if (name == col::MZCMax) put(mzc.Max);
        else if (name == col::MZCMaxPoint) put(mzc.MaxPos);
        else if (name == col::MZCMin) put(mzc.Min);
        else if (name == col::MZCMinPoint) put(mzc.MinPos);
        else if (name == col::MZCRadius) put(mzc.Radius);
        else if (name == col::IsoH) put(r.Iso.IsoH);
        else if (name == col::IsoGb) put(r.Iso.IsoGb);
        else if (name == col::IsoD) put(r.Iso.IsoD);
        else if (name == col::Scale) put(param(r.ErrorValues, "ScaleH") - param(r.ErrorValues, "ScaleV"));
        else if (name == QLatin1String("ScaleH") || name == QLatin1String("ScaleV")) {
            // The axis scales are known only after a calibration; Scale carries their difference.
            if (d.Calibrated)
                put(param(r.ErrorValues, column.name));
        } else if (name.startsWith(QLatin1String("ProfileH")) || name.startsWith(QLatin1String("ProfileV"))) {
            const auto i = static_cast<std::size_t>(name.right(1).toInt());
            put(singleValue(name.startsWith(QLatin1String("ProfileH")) ? r.ProfileH[i] : r.ProfileV[i]));
        } else if (name == col::DimCount) put(int(d.RunCount));
        else if (name == col::MeasuredFeedrateAverage) put(singleValue(d.MeasuredFeedrateAverage));
        else if (name == col::EquipmentManufacturer) put(textValue(h[HdrEquipmentManufacturer]));
        else if (name == col::EquipmentModel) put(textValue(h[HdrEquipmentModel]));
        else if (name == col::EquipmentSerial) put(textValue(h[HdrEquipmentSerial]));
        else if (name == col::ScaleFactor) put(scaleFactor);
        else {
            bool found = false;
            for (const ErrorParamField& field : kErrorParamFields) {
                if (field.column > 0 && name == QLatin1String(field.name)) {
                    const double value = ErrorParamValue(r.ErrorValues, field);
                    put(field.integer ? QVariant(int(value)) : QVariant(value));
                    found = true;
                }
            }
            if (!found)
                throw AppError::invalidCall("No value for the column " + name);
        }
    }
    return v;
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
        const double value = param(reliability, column.name);
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
                    const AskOverwrite& askOverwrite, double scaleFactor)
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
        const Values values = measureValues(snapshot, session, scaleFactor);

        // Asked before the write lock is taken, so that no other program waits on the answer.
        bool asked = false;
        bool agreed = false;
        if (const auto before = findByKey(db, key); before && before->calced) {
            asked = true;
            agreed = askOverwrite && askOverwrite(OverwriteQuestion());
            if (!agreed) {
                result.outcome = SaveOutcome::Declined;
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
        ReportError(QString::fromLatin1(kSavingLocation), AppError::fromException(std::current_exception()));
        result = SaveResult{};
    }
    return result;
}

} // namespace sarvo::casedb
