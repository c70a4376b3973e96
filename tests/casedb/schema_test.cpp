// The tables that the shipped schema builds: the shared column list, the error-parameter table
// and the file agree, keys and references hold, case numbers are never reused, and the queries of
// the browser, the trend and the loader find an index.

#include "core/results.h"
#include "core/sql_script.h"
#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "tests/casedb/casedb_fixture.h"

#include <QSqlQuery>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class CaseSchema : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        ASSERT_EQ(CreateDatabaseFromScript(dbPath(), ShippedScript("schema.sql")), QString());
    }

    // The plan of a query, all its lines joined.
    QString plan(Inspector& file, const QString& sql)
    {
        QStringList lines;
        for (const QVariantList& row : file.rows("EXPLAIN QUERY PLAN " + sql))
            lines << row.value(3).toString();
        return lines.join(" | ");
    }
};

TEST_F(CaseSchema, TheFileHasExactlyTheListedColumnsWithTheirTypes)
{
    Inspector file(dbPath());
    for (const Table& table : CaseTables()) {
        QList<std::pair<QString, QString>> expected;
        for (const Column& column : table.columns)
            expected.push_back({QString::fromLatin1(column.name), SqlType(column)});
        EXPECT_EQ(file.columns(table.name), expected) << table.name;
    }
    // The case row of the original format has 87 fields, the uncertainty row 27.
    EXPECT_EQ(MeasureTable().columns.size(), 87u);
    EXPECT_EQ(ReliabilityTable().columns.size(), 27u);
    EXPECT_EQ(file.value("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'").toInt(),
              int(CaseTables().size()));
}

// The error-parameter columns of the shipped file against the ErrorParams field table: named as
// the members, SMALLINT for the angle and DOUBLE PRECISION for the rest, in the table's stored
// order; Reliability holds nothing else after its key, and unstored fields have no column.
TEST_F(CaseSchema, TheErrorParameterColumnsFollowTheFieldTable)
{
    Inspector file(dbPath());
    QMap<int, std::pair<QString, QString>> byPlace;
    QSet<QString> unstored;
    for (const ErrorParamField& field : kErrorParamFields) {
        if (field.column == 0) {
            unstored.insert(field.name);
            continue;
        }
        EXPECT_FALSE(byPlace.contains(field.column)) << field.name;
        byPlace.insert(field.column, {field.name, field.integer ? "SMALLINT" : "DOUBLE PRECISION"});
    }
    const QList<std::pair<QString, QString>> params = byPlace.values();
    ASSERT_FALSE(params.isEmpty());
    EXPECT_EQ(byPlace.firstKey(), 1);
    EXPECT_EQ(byPlace.lastKey(), params.size()); // no place left out

    const QList<std::pair<QString, QString>> reliability = file.columns(tbl::Reliability);
    ASSERT_FALSE(reliability.isEmpty());
    EXPECT_EQ(reliability.front().first, col::Meas_ID);
    EXPECT_EQ(reliability.mid(1), params);

    QSet<QString> paramNames;
    for (const auto& param : params)
        paramNames.insert(param.first);
    QList<std::pair<QString, QString>> inMeasure;
    for (const auto& column : file.columns(tbl::Measure)) {
        EXPECT_FALSE(unstored.contains(column.first)) << column.first.toStdString();
        if (paramNames.contains(column.first))
            inMeasure << column;
    }
    EXPECT_EQ(inMeasure, params);
}

TEST_F(CaseSchema, ColumnListIsConsistent)
{
    for (const Table& table : CaseTables()) {
        QSet<QString> seen;
        for (const Column& column : table.columns) {
            const QString name = QString::fromLatin1(column.name);
            EXPECT_FALSE(seen.contains(name.toLower())) << table.name << "." << column.name << " twice";
            seen.insert(name.toLower());
            EXPECT_EQ(column.type == FieldType::Text, column.size > 0) << column.name;
            EXPECT_EQ(FindColumn(table, name), &column);
        }
        EXPECT_EQ(FindTable(table.name), &table);
    }
    EXPECT_EQ(FindTable("measure"), nullptr); // exact spelling only
    for (int i = 0; i <= 4; ++i) {
        for (const char* name : {ProfileHColumn(i), ProfileVColumn(i)}) {
            ASSERT_NE(name, nullptr);
            const Column* column = FindColumn(MeasureTable(), name);
            ASSERT_NE(column, nullptr) << name;
            EXPECT_EQ(column->type, FieldType::Single);
            EXPECT_TRUE(QString(name).endsWith(QString::number(i)));
        }
    }
    EXPECT_EQ(ProfileHColumn(5), nullptr);
    EXPECT_EQ(ProfileVColumn(-1), nullptr);
}

TEST_F(CaseSchema, KeysAndRequiredColumnsAgree)
{
    Inspector file(dbPath());
    auto keyColumns = [&](const QString& table) {
        QStringList keys;
        for (const QVariantList& row : file.rows("PRAGMA table_info(" + QuoteName(table) + ")")) {
            if (row.value(5).toInt() > 0)
                keys << row.value(1).toString();
        }
        return keys;
    };
    EXPECT_EQ(keyColumns(tbl::Measure), QStringList{col::Meas_ID});
    EXPECT_EQ(keyColumns(tbl::Reliability), QStringList{col::Meas_ID});
    EXPECT_EQ(keyColumns(tbl::Targets), QStringList{col::ID});
    EXPECT_EQ(keyColumns(tbl::Direction), (QStringList{col::Meas_ID, col::Dim}));
    EXPECT_EQ(keyColumns(tbl::Machines), QStringList{col::Name});
    // A column the upgrade may not add is a key or cannot be empty.
    for (const Table& table : CaseTables()) {
        for (const QVariantList& row : file.rows("PRAGMA table_info(" + QuoteName(table.name) + ")")) {
            const Column* column = FindColumn(table, row.value(1).toString());
            ASSERT_NE(column, nullptr);
            const bool keyOrNotNull = row.value(5).toInt() > 0 || row.value(3).toInt() != 0;
            EXPECT_EQ(column->required, keyOrNotNull) << table.name << "." << column->name;
        }
    }
}

TEST_F(CaseSchema, CaseNumbersAreNeverGivenTwiceAndRemovalTakesEveryRowOfTheCase)
{
    store.open(dbPath());
    ASSERT_FALSE(store.isReadOnly());
    QSqlQuery query(store.database());
    auto addCase = [&] {
        EXPECT_TRUE(query.exec("INSERT INTO \"Measure\" (\"Machine\") VALUES ('Mill 3')"));
        const qint64 id = query.lastInsertId().toLongLong();
        EXPECT_TRUE(query.exec(QStringLiteral("INSERT INTO \"Reliability\" (\"Meas_ID\") VALUES (%1)").arg(id)));
        EXPECT_TRUE(query.exec(QStringLiteral("INSERT INTO \"Direction\" (\"Meas_ID\", \"Dim\") VALUES (%1, 1)").arg(id)));
        EXPECT_TRUE(query.exec(QStringLiteral("INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\") VALUES (%1, 1, 0.5)").arg(id)));
        return id;
    };
    const qint64 first = addCase();
    const qint64 second = addCase();
    ASSERT_TRUE(query.exec(QStringLiteral("DELETE FROM \"Measure\" WHERE \"Meas_ID\" = %1").arg(second)));
    for (const char* table : {tbl::Reliability, tbl::Direction, tbl::Targets}) {
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM %1 WHERE \"Meas_ID\" = %2").arg(QuoteName(table)).arg(second)));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 0) << table;
    }
    // The newest case removed, the next one still gets a number of its own.
    const qint64 third = addCase();
    EXPECT_GT(third, second);
    EXPECT_GT(second, first);
    // Rows of a case that does not exist are refused.
    EXPECT_FALSE(query.exec("INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\") VALUES (9999, 1, 0.5)"));
    EXPECT_FALSE(query.exec("INSERT INTO \"Direction\" (\"Meas_ID\", \"Dim\") VALUES (9999, 1)"));
    // A run is stored once per case.
    EXPECT_FALSE(query.exec(QStringLiteral("INSERT INTO \"Direction\" (\"Meas_ID\", \"Dim\") VALUES (%1, 1)").arg(first)));
}

TEST_F(CaseSchema, TheQueriesOfLoaderBrowserAndTrendUseAnIndex)
{
    Inspector file(dbPath());
    const QString readings = plan(file, "SELECT * FROM \"Targets\" WHERE \"Meas_ID\" = 5 AND \"Dim\" = 2 ORDER BY \"ID\"");
    EXPECT_TRUE(readings.contains("Targets_Meas_ID_Dim")) << readings.toStdString();
    EXPECT_FALSE(readings.contains("TEMP B-TREE")) << readings.toStdString();

    const QString trend = plan(file, "SELECT * FROM \"Measure\" WHERE \"Calced\" <> 0 AND \"Date\" >= '2004-01-01 00:00:00'"
                                     " AND \"Date\" < '2005-01-01 00:00:00' AND \"Plane\" = 'xy' AND \"Machine\" = 'Mill 3'"
                                     " ORDER BY \"Date\"");
    EXPECT_TRUE(trend.contains("Measure_Machine_Plane_Date")) << trend.toStdString();
    EXPECT_FALSE(trend.contains("TEMP B-TREE")) << trend.toStdString();

    const QString browser = plan(file, "SELECT * FROM \"Measure\" ORDER BY \"Name\", \"Date\"");
    EXPECT_FALSE(browser.contains("TEMP B-TREE")) << browser.toStdString();

    const QString sessions = plan(file, "SELECT DISTINCT \"Name\" FROM \"Measure\" WHERE \"Name\" IS NOT NULL ORDER BY \"Name\"");
    EXPECT_FALSE(sessions.contains("TEMP B-TREE")) << sessions.toStdString();

    const QString origin = plan(file, "SELECT \"Meas_ID\", \"OrigX\" FROM \"Measure\" WHERE \"Plane\" = 'xy'"
                                      " AND \"Machine\" = 'Mill 3' ORDER BY \"Date\"");
    EXPECT_FALSE(origin.contains("TEMP B-TREE")) << origin.toStdString();

    const QString reliability = plan(file, "SELECT * FROM \"Reliability\" WHERE \"Meas_ID\" = 5");
    EXPECT_FALSE(reliability.contains("SCAN")) << reliability.toStdString();
}

TEST_F(CaseSchema, QuotedNamesSurviveSlashesKeywordsAndQuotes)
{
    Inspector file(dbPath(), true);
    const QString awkward = QStringLiteral("Odd \"Name\"");
    file.exec("CREATE TABLE " + QuoteName("By") + " (" + QuoteName(col::StatDyn) + " VARCHAR(30), " +
              QuoteName(awkward) + " INTEGER, " + QuoteName(col::Option) + " INTEGER)");
    file.exec("INSERT INTO " + QuoteName("By") + " VALUES (?, ?, ?)", {"D", 7, 1});
    EXPECT_EQ(file.columnNames("By"), (QStringList{col::StatDyn, awkward, col::Option}));
    EXPECT_EQ(file.value("SELECT " + QuoteName(awkward) + " FROM " + QuoteName("By") + " WHERE " + QuoteName(col::StatDyn) + " = ?",
                         {"D"}).toInt(), 7);
}

TEST_F(CaseSchema, StoredDatesCompareAndSortAsTimes)
{
    const QDateTime t(QDate(2004, 3, 7), QTime(9, 5, 3), Qt::UTC);
    const QString text = DbDateText(t);
    EXPECT_EQ(text.size(), 19);
    EXPECT_EQ(DbDateFromValue(text), t);
    // A time stored by binding a date-time value comes back to the same second.
    EXPECT_EQ(DbDateFromValue(QStringLiteral("2004-03-07T09:05:03.000")), t);
    EXPECT_EQ(DbDateFromValue(QStringLiteral("2004-03-07")), QDateTime(QDate(2004, 3, 7), QTime(0, 0), Qt::UTC));
    EXPECT_FALSE(DbDateFromValue(QVariant()).isValid());
    EXPECT_FALSE(DbDateFromValue(QStringLiteral("3/7/2004 9:5:3")).isValid());
    EXPECT_FALSE(DbDateFromValue(QStringLiteral("2004-02-30 10:00:00")).isValid());
    EXPECT_TRUE(DbDateText(QDateTime()).isEmpty());

    // Text order is time order, across hours, days, months and years.
    const QList<QDateTime> times = {
        QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::UTC), QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC),
        QDateTime(QDate(2000, 1, 1), QTime(9, 0, 0), Qt::UTC),     QDateTime(QDate(2000, 1, 1), QTime(10, 0, 0), Qt::UTC),
        QDateTime(QDate(2000, 2, 1), QTime(0, 0, 0), Qt::UTC),     QDateTime(QDate(2000, 10, 1), QTime(0, 0, 0), Qt::UTC),
    };
    for (qsizetype i = 1; i < times.size(); ++i)
        EXPECT_LT(DbDateText(times[i - 1]), DbDateText(times[i]));

    // And the engine compares the stored texts the same way.
    Inspector file(dbPath(), true);
    for (const QDateTime& when : times)
        file.exec("INSERT INTO \"Measure\" (\"Date\") VALUES (?)", {DbDateText(when)});
    EXPECT_EQ(file.value("SELECT count(*) FROM \"Measure\" WHERE \"Date\" >= ? AND \"Date\" < ?",
                         {DbDateText(times[1]), DbDateText(times[4])}).toInt(), 3);
    EXPECT_EQ(file.value("SELECT count(*) FROM \"Measure\" WHERE \"Date\" = ?", {text}).toInt(), 0);
}

} // namespace
} // namespace sarvo::test
