// Bringing an older case database up to date: every missing column is added with its type in
// one transaction, the rows stay as they were, a second run changes nothing, and a failure or a
// read-only file leaves the file untouched.

#include "casedb/case_store.h"
#include "casedb/sql_error.h"
#include "tests/casedb/casedb_fixture.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

// The columns that later versions of the format added, with the types they were added with.
const QList<std::pair<QString, QString>> kLaterColumns = {
    {"Measure.MeasuredFeedrateAverage", "REAL"},
    {"Direction.MeasuredFeedrate", "REAL"},
    {"Measure.PlayH", "DOUBLE PRECISION"},
    {"Measure.PlayV", "DOUBLE PRECISION"},
    {"Measure.Option", "INTEGER"},
    {"Measure.IsoH", "DOUBLE PRECISION"},
    {"Direction.IsoG", "DOUBLE PRECISION"},
    {"Direction.IsoFmin", "DOUBLE PRECISION"},
    {"Direction.IsoFmax", "DOUBLE PRECISION"},
    {"Measure.IsoGb", "DOUBLE PRECISION"},
    {"Measure.IsoD", "DOUBLE PRECISION"},
    {"Measure.EquipmentManufacturer", "VARCHAR(50)"},
    {"Measure.EquipmentModel", "VARCHAR(50)"},
    {"Measure.EquipmentSerial", "VARCHAR(50)"},
    {"Measure.ScaleFactor", "DOUBLE PRECISION"},
};

QSet<QString> laterColumnNames()
{
    QSet<QString> names;
    for (const auto& [name, type] : kLaterColumns)
        names.insert(name);
    return names;
}

// The most columns the engine allows in one table.
int engineColumnLimit()
{
    const QString name = "limit-probe";
    int limit = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(":memory:");
        db.open();
        QSqlQuery query(db);
        auto fits = [&](int count) {
            QStringList columns;
            for (int i = 0; i < count; ++i)
                columns << QStringLiteral("c%1").arg(i);
            const bool ok = query.exec("CREATE TABLE probe (" + columns.join(", ") + ")");
            query.exec("DROP TABLE IF EXISTS probe");
            return ok;
        };
        int low = 1, high = 40000; // fits(low), !fits(high)
        while (high - low > 1) {
            const int middle = (low + high) / 2;
            (fits(middle) ? low : high) = middle;
        }
        limit = low;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return limit;
}

class UpgradingTheCaseDatabase : public CaseDbTest {
protected:
    // Every row of a table in the given columns, in the order of the rows.
    QList<QVariantList> snapshot(Inspector& file, const QString& table, const QStringList& columns)
    {
        QStringList quoted;
        for (const QString& column : columns)
            quoted << QuoteName(column);
        return file.rows("SELECT " + quoted.join(", ") + " FROM " + QuoteName(table) + " ORDER BY rowid");
    }

    struct Snapshot {
        QMap<QString, QStringList> columns;
        QMap<QString, QList<QVariantList>> rows;
    };
    Snapshot takeSnapshot()
    {
        Inspector file(dbPath());
        Snapshot s;
        for (const Table& table : CaseTables()) {
            const QStringList names = file.columnNames(table.name);
            if (names.isEmpty())
                continue;
            s.columns[table.name] = names;
            s.rows[table.name] = snapshot(file, table.name, names);
        }
        return s;
    }
    void expectRowsKept(const Snapshot& before)
    {
        Inspector file(dbPath());
        for (auto it = before.columns.cbegin(); it != before.columns.cend(); ++it) {
            EXPECT_EQ(snapshot(file, it.key(), it.value()), before.rows.value(it.key())) << it.key().toStdString();
            const int rowCount = before.rows.value(it.key()).size();
            for (const QString& column : file.columnNames(it.key())) {
                if (it.value().contains(column))
                    continue;
                const QVariant nulls = file.value("SELECT count(*) FROM " + QuoteName(it.key()) + " WHERE " +
                                                  QuoteName(column) + " IS NULL");
                EXPECT_EQ(nulls.toInt(), rowCount) << "added column " << column.toStdString() << " holds values";
            }
        }
    }
    int schemaVersion()
    {
        Inspector file(dbPath());
        return file.schemaVersion();
    }
    QString declaredType(const QString& qualified)
    {
        Inspector file(dbPath());
        const QString table = qualified.section('.', 0, 0);
        const QString column = qualified.section('.', 1);
        for (const auto& [name, type] : file.columns(table)) {
            if (name == column)
                return type;
        }
        return {};
    }
};

TEST_F(UpgradingTheCaseDatabase, ACurrentFileGainsNothing)
{
    store.open(dbPath());
    const int version = schemaVersion();
    EXPECT_TRUE(store.upgradeSchema().isEmpty());
    EXPECT_EQ(schemaVersion(), version);
    EXPECT_TRUE(store.upgradeSchema().isEmpty());
}

TEST_F(UpgradingTheCaseDatabase, AnOldFileGainsEveryLaterColumnWithItsTypeAndKeepsItsRows)
{
    writeOldDatabase(laterColumnNames());
    addSampleCases();
    const Snapshot before = takeSnapshot();
    ASSERT_EQ(before.rows.value("Targets").size(), 30);

    store.open(dbPath());
    ASSERT_FALSE(store.isReadOnly());
    const auto gap = store.missingSchema();
    EXPECT_EQ(gap.columns.size(), kLaterColumns.size());
    EXPECT_NO_THROW(store.upgradeSchema());

    for (const auto& [column, type] : kLaterColumns)
        EXPECT_EQ(declaredType(column), type) << column.toStdString();
    expectRowsKept(before);
    EXPECT_TRUE(store.missingSchema().isEmpty());

    // A second start changes nothing.
    const int version = schemaVersion();
    const Snapshot after = takeSnapshot();
    store.close();
    store.open(dbPath());
    EXPECT_TRUE(store.upgradeSchema().isEmpty());
    EXPECT_EQ(schemaVersion(), version);
    expectRowsKept(after);
}

TEST_F(UpgradingTheCaseDatabase, EveryMissingColumnIsAddedEvenWhenOthersOfItsGroupExist)
{
    // IsoH without the per-run ISO values, a maker without model and serial, PlayH without PlayV.
    writeOldDatabase({"Direction.IsoG", "Direction.IsoFmin", "Direction.IsoFmax", "Measure.EquipmentModel",
                      "Measure.EquipmentSerial", "Measure.PlayV", "Reliability.VibrationAngle"});
    addSampleCases();
    const Snapshot before = takeSnapshot();
    store.open(dbPath());
    const QStringList added = store.upgradeSchema();
    EXPECT_EQ(QSet<QString>(added.begin(), added.end()),
              (QSet<QString>{"Direction.IsoG", "Direction.IsoFmin", "Direction.IsoFmax", "Measure.EquipmentModel",
                             "Measure.EquipmentSerial", "Measure.PlayV", "Reliability.VibrationAngle",
                             "index Measure_Machine_Plane_Date", "index Measure_Name_Date", "index Measure_Date",
                             "index Targets_Meas_ID_Dim"}));
    EXPECT_EQ(declaredType("Direction.IsoG"), "DOUBLE PRECISION");
    EXPECT_EQ(declaredType("Measure.EquipmentModel"), "VARCHAR(50)");
    EXPECT_EQ(declaredType("Reliability.VibrationAngle"), "SMALLINT");
    expectRowsKept(before);
}

TEST_F(UpgradingTheCaseDatabase, MissingTablesAndIndexesAreCreated)
{
    writeOldDatabase({}, {"Machines"});
    addSampleCases();
    const Snapshot before = takeSnapshot();
    store.open(dbPath());
    EXPECT_NO_THROW(store.upgradeSchema());
    EXPECT_TRUE(store.missingSchema().isEmpty());
    QSqlQuery query(store.database());
    EXPECT_TRUE(query.exec("INSERT INTO \"Machines\" (\"Name\") VALUES ('Mill 3')"));
    EXPECT_FALSE(query.exec("INSERT INTO \"Machines\" (\"Name\") VALUES ('Mill 3')")); // the key holds
    expectRowsKept(before);
}

TEST_F(UpgradingTheCaseDatabase, NamesDifferingOnlyInCaseAreTheSameColumn)
{
    writeOldDatabase({"Measure.PlayH", "Measure.PlayV"});
    {
        Inspector file(dbPath(), true);
        file.exec("ALTER TABLE \"Measure\" ADD COLUMN \"playh\" DOUBLE PRECISION");
        file.exec("ALTER TABLE \"Measure\" ADD COLUMN \"PLAYV\" DOUBLE PRECISION");
    }
    store.open(dbPath());
    const auto gap = store.missingSchema();
    EXPECT_TRUE(gap.columns.isEmpty()) << gap.describe().join(", ").toStdString();
    EXPECT_NO_THROW(store.upgradeSchema());
    EXPECT_TRUE(store.hasColumn("Measure", "PlayH"));
}

TEST_F(UpgradingTheCaseDatabase, AReadOnlyOldFileIsRefusedAndLeftAlone)
{
    writeOldDatabase({"Measure.PlayH", "Measure.PlayV", "Direction.MeasuredFeedrate"});
    addSampleCases();
    makeFileReadOnly(dbPath());
    const QByteArray before = dbBytes();
    store.open(dbPath());
    ASSERT_TRUE(store.isReadOnly());
    try {
        store.upgradeSchema();
        ADD_FAILURE() << "a read-only store took an upgrade";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kDatabaseReadOnly);
        // What it lacks is named.
        EXPECT_TRUE(e.description().contains("Measure.PlayH")) << e.description().toStdString();
    }
    EXPECT_FALSE(store.hasColumn("Measure", "PlayH"));
    EXPECT_TRUE(store.hasColumn("Measure", "Machine"));
    store.close();
    EXPECT_EQ(dbBytes(), before);
}

TEST_F(UpgradingTheCaseDatabase, AReadOnlyCurrentFileIsNotRefused)
{
    store.open(dbPath());
    store.close();
    makeFileReadOnly(dbPath());
    store.open(dbPath());
    ASSERT_TRUE(store.isReadOnly());
    QStringList added;
    EXPECT_NO_THROW(added = store.upgradeSchema());
    EXPECT_TRUE(added.isEmpty());
}

TEST_F(UpgradingTheCaseDatabase, AFailedAdditionAddsNothingAndLeavesNoLock)
{
    // Direction one column short of the engine's limit: its first addition fits, the second cannot,
    // after the additions to Measure have run.
    const int limit = engineColumnLimit();
    ASSERT_GT(limit, 20);
    const QSet<QString> omitted = {"Measure.PlayH", "Measure.PlayV", "Direction.IsoG", "Direction.IsoFmin",
                                   "Direction.IsoFmax", "Direction.MeasuredFeedrate"};
    const int directionColumns = int(DirectionTable().columns.size()) - 4;
    writeOldDatabase(omitted, {}, {{"Direction", limit - 1 - directionColumns}});
    {
        Inspector file(dbPath());
        ASSERT_EQ(file.columnNames("Direction").size(), limit - 1);
    }
    addSampleCases();
    const Snapshot before = takeSnapshot();
    const int version = schemaVersion();

    store.open(dbPath());
    EXPECT_THROW(store.upgradeSchema(), AppError);
    EXPECT_FALSE(store.hasColumn("Measure", "PlayH"));
    EXPECT_FALSE(store.hasColumn("Direction", "IsoG"));
    EXPECT_EQ(schemaVersion(), version);
    expectRowsKept(before);

    // Another program can take the write lock at once: the failed upgrade holds nothing.
    Inspector other(dbPath(), true);
    QSqlQuery query(other.db);
    EXPECT_TRUE(query.exec("BEGIN IMMEDIATE")) << query.lastError().text().toStdString();
    query.exec("ROLLBACK");
    // And the store's own connection writes normally again.
    QSqlQuery own(store.database());
    EXPECT_TRUE(own.exec("INSERT INTO \"Machines\" (\"Name\") VALUES ('Mill 3')"));
}

TEST_F(UpgradingTheCaseDatabase, ATableWithoutItsKeyIsRefusedAndNothingIsAdded)
{
    writeOldDatabase({"Targets.Dim", "Measure.PlayH"});
    store.open(dbPath());
    ASSERT_TRUE(store.isOpen());
    const int version = schemaVersion();
    try {
        store.upgradeSchema();
        ADD_FAILURE() << "upgraded a table without its key";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kNotACaseDatabase);
    }
    EXPECT_FALSE(store.hasColumn("Measure", "PlayH"));
    EXPECT_EQ(schemaVersion(), version);
}

TEST_F(UpgradingTheCaseDatabase, WithoutADatabaseTheUpgradeIsRefused)
{
    try {
        store.upgradeSchema();
        ADD_FAILURE() << "upgraded a closed store";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kDatabaseNotOpen);
    }
    EXPECT_FALSE(QFileInfo::exists(dbPath()));
}

} // namespace
} // namespace sarvo::test
