#include "tests/casedb/casedb_fixture.h"

#include "core/sql_script.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

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

} // namespace sarvo::test
