#include "tests/casedb/casedb_fixture.h"

#include "core/sql_script.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <cmath>
#include <cstring>

namespace sarvo::test {

using namespace sarvo::casedb;

Inspector::Inspector(const QString& path, bool writable)
    : name_("inspect-" + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    db = QSqlDatabase::addDatabase("QSQLITE", name_);
    db.setDatabaseName(path);
    if (!writable)
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
}

Inspector::~Inspector()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void Inspector::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    ASSERT_TRUE(query.prepare(sql)) << query.lastError().text().toStdString() << " in " << sql.toStdString();
    for (const QVariant& v : values)
        query.addBindValue(v);
    ASSERT_TRUE(query.exec()) << query.lastError().text().toStdString() << " in " << sql.toStdString();
}

QList<QVariantList> Inspector::rows(const QString& sql, const QVariantList& values)
{
    QList<QVariantList> result;
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        ADD_FAILURE() << query.lastError().text().toStdString() << " in " << sql.toStdString();
        return result;
    }
    const int count = query.record().count();
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < count; ++i)
            row << query.value(i);
        result << row;
    }
    return result;
}

QVariant Inspector::value(const QString& sql, const QVariantList& values)
{
    const auto all = rows(sql, values);
    return all.isEmpty() || all.first().isEmpty() ? QVariant() : all.first().first();
}

QList<std::pair<QString, QString>> Inspector::columns(const QString& table)
{
    QList<std::pair<QString, QString>> result;
    for (const QVariantList& row : rows("PRAGMA table_info(" + QuoteName(table) + ")"))
        result.push_back({row.value(1).toString(), row.value(2).toString()});
    return result;
}

QStringList Inspector::columnNames(const QString& table)
{
    QStringList names;
    for (const auto& [name, type] : columns(table))
        names << name;
    return names;
}

int Inspector::schemaVersion()
{
    return value("PRAGMA schema_version").toInt();
}

// ---------------------------------------------------------------------------------------------

void CaseDbTest::TearDown()
{
    store.close();
    for (const auto& [file, permissions] : restore_)
        QFile::setPermissions(file, permissions);
    restore_.clear();
    CoreTest::TearDown();
}

void CaseDbTest::makeFileReadOnly(const QString& file)
{
    const auto before = QFile::permissions(file);
    restore_.push_back({file, before});
    ASSERT_TRUE(QFile::setPermissions(file, before & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther)));
}

void CaseDbTest::makeFolderReadOnly()
{
    QString folder = appPath;
    folder.chop(1);
    makeFileReadOnly(folder);
}

void CaseDbTest::writeOldDatabase(const QSet<QString>& omit, const QSet<QString>& omitTables,
                                  const QMap<QString, int>& spareColumns)
{
    QString script;
    for (const Table& table : CaseTables()) {
        const QString tableName = QString::fromLatin1(table.name);
        if (omitTables.contains(tableName))
            continue;
        QStringList definitions;
        for (const Column& column : table.columns) {
            const QString name = QString::fromLatin1(column.name);
            if (omit.contains(tableName + "." + name))
                continue;
            QString definition = QuoteName(name) + " " + SqlType(column);
            if (column.type == FieldType::AutoNumber)
                definition = QuoteName(name) + (tableName == QLatin1String(tbl::Measure) ? " INTEGER PRIMARY KEY AUTOINCREMENT"
                                                                                         : " INTEGER PRIMARY KEY");
            definitions << definition;
        }
        for (int i = 0; i < spareColumns.value(tableName); ++i)
            definitions << QStringLiteral("\"Spare%1\" INTEGER").arg(i);
        script += "CREATE TABLE " + QuoteName(tableName) + " (" + definitions.join(", ") + ");\n";
    }
    QFile::remove(dbPath());
    ASSERT_EQ(CreateDatabaseFromScript(dbPath(), script), QString());
}

void CaseDbTest::addSampleCases()
{
    Inspector file(dbPath(), true);
    // A value of the column's type that differs from column to column and case to case, so that a
    // column moved or lost shows.
    auto sample = [&](const QString& table, const QString& column, const QString& type, int caseNo, int index) -> QVariant {
        if (column == QLatin1String(col::Date))
            return QStringLiteral("2004-03-%1 09:05:%2").arg(caseNo + 6, 2, 10, QChar('0')).arg(index % 60, 2, 10, QChar('0'));
        if (type.startsWith("VARCHAR"))
            return QStringLiteral("%1 %2 %3").arg(table, column).arg(caseNo);
        if (type == "INTEGER" || type == "SMALLINT")
            return caseNo * 100 + index;
        return caseNo * 1000.0 + index + 0.25;
    };
    auto insert = [&](const QString& table, const QVariantMap& fixed, int caseNo, int index0) {
        QStringList names, marks;
        QVariantList values;
        int index = index0;
        for (const auto& [name, type] : file.columns(table)) {
            if (name == QLatin1String(col::ID) || (table == QLatin1String(tbl::Measure) && name == QLatin1String(col::Meas_ID)))
                continue;
            names << QuoteName(name);
            marks << "?";
            values << (fixed.contains(name) ? fixed.value(name) : sample(table, name, type, caseNo, index++));
        }
        file.exec("INSERT INTO " + QuoteName(table) + " (" + names.join(", ") + ") VALUES (" + marks.join(", ") + ")", values);
    };
    for (int caseNo = 1; caseNo <= 2; ++caseNo) {
        insert(tbl::Measure, {}, caseNo, 0);
        const QVariant id = file.value("SELECT max(\"Meas_ID\") FROM \"Measure\"");
        insert(tbl::Reliability, {{col::Meas_ID, id}}, caseNo, 0);
        for (int run = 1; run <= 3; ++run) {
            insert(tbl::Direction, {{col::Meas_ID, id}, {col::Dim, run}}, caseNo, run * 10);
            for (int point = 0; point < 5; ++point)
                insert(tbl::Targets, {{col::Meas_ID, id}, {col::Dim, run}, {col::Meas, run + point * 0.001}}, caseNo, 0);
        }
    }
}

static void setParam(ErrorParams& p, const ErrorParamField& field, double value)
{
    auto* bytes = reinterpret_cast<unsigned char*>(&p) + field.offset;
    if (field.integer) {
        const auto v = static_cast<int16_t>(value);
        std::memcpy(bytes, &v, sizeof v);
    } else {
        std::memcpy(bytes, &value, sizeof value);
    }
}

Case MakeCase(int runs, int points, int variant)
{
    Case c;
    CaseHeader& h = c.Header;
    h[HdrFilename] = QStringLiteral("/home/anna/data/t%1.rtb").arg(variant);
    h[HdrMachine] = QStringLiteral("Mill 3");
    h[HdrBy] = QStringLiteral("Anna");
    h[HdrPlane] = QStringLiteral("xy");
    h[HdrFeedrate] = QStringLiteral("1000");
    h[HdrStatDyn] = QStringLiteral("D");
    h[HdrSampling] = QStringLiteral("250.3");
    h[HdrCustomer] = QStringLiteral("Works Ltd");
    h[HdrComment] = QStringLiteral("after the spindle change");
    h[HdrOrigX] = QStringLiteral("1.5");
    h[HdrOrigY] = QStringLiteral("-2.25");
    h[HdrOrigZ] = QStringLiteral("3.125");
    h[HdrGaugeExp] = QStringLiteral("11.6");
    h[HdrMachineExp] = QStringLiteral("12.7");
    h[HdrEquipmentManufacturer] = QStringLiteral("Maker");
    h[HdrEquipmentModel] = QStringLiteral("Bar 9");
    h[HdrEquipmentSerial] = QStringLiteral("SN 42");
    CaseData& d = c.Data;
    d.TestDate = QDateTime(QDate(2004, 3, 7), QTime(9, 5, 3, 456), Qt::UTC).addSecs(variant);
    d.TestRadius = 150.25;
    d.BallBarLength = 150.1f;
    d.MaxTargets = static_cast<int16_t>(points);
    d.Calibrated = true;
    d.OptionFlag = true;
    d.StartAngle = -45;
    d.StopAngle = 315;
    d.RunCount = static_cast<int16_t>(runs);
    d.MeasuredFeedrateAverage = 999.3f;
    d.ScaleFactor = 1.0005;
    d.Dynamic = true;
    for (int r = 1; r <= runs; ++r) {
        const auto i = static_cast<std::size_t>(r);
        d.RunDirection[i] = r % 2 ? 1 : -1;
        d.RunTargets[i] = static_cast<int16_t>(points);
        d.GaugeTemp[i] = 20.1 + r;
        d.MachineTemp[i] = 21.3 + r;
        d.RunFeedrate[i] = 997.7f + float(r);
        for (int p = 0; p < points; ++p)
            d.Readings(r, p) = 0.001 * r + 0.002 * std::sin(p * 0.01 + variant) + 1e-9 * p;
    }
    AnalysisResults& res = c.Results;
    int n = 0;
    for (const ErrorParamField& field : kErrorParamFields) {
        ++n;
        setParam(res.ErrorValues, field, field.integer ? 100 + n : 0.1 * n + 0.0001);
        setParam(res.ErrorReliability, field, field.integer ? 200 + n : 0.01 * n + 0.00003);
    }
    res.LscResult = {1.1, 150.0011, 2.2, 33.3, -3.3, 210.4, 0.41, -0.42, 1, 2, 3, 4};
    res.MzcResult = {1.05, 150.0012, 2.1, 34.3, -3.2, 211.4, 0.43, -0.44, 1, 2, 3, 4};
    res.Iso.IsoH = 0.71;
    res.Iso.IsoGb = 0.72;
    res.Iso.IsoD = 0.73;
    for (int r = 1; r <= runs; ++r) {
        const auto i = static_cast<std::size_t>(r);
        res.Iso.IsoG[i] = 0.81 + r;
        res.Iso.IsoFmin[i] = -0.82 - r;
        res.Iso.IsoFmax[i] = 0.83 + r;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        res.ProfileH[i] = 0.11f * float(i + 1);
        res.ProfileV[i] = -0.13f * float(i + 1);
    }
    return c;
}

} // namespace sarvo::test
