// Opening the case database: a missing file is built from the shipped schema, a file that may not
// be written opens read-only with the status panel, and a file that cannot be opened is reported
// once while the program keeps the connection it had.

#include "app/app_context.h"
#include "app/sql_script.h"
#include "casedb/case_db.h"
#include "casedb/case_store.h"
#include "casedb/sql_error.h"
#include "tests/casedb/casedb_fixture.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlQuery>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class OpeningTheCaseDatabase : public CaseDbTest {
protected:
    // A write through the program's connection.
    bool addMachine(const QString& name)
    {
        QSqlQuery query(QSqlDatabase::database(app().State.MainDb, false));
        query.prepare("INSERT INTO \"Machines\" (\"Name\") VALUES (?)");
        query.addBindValue(name);
        return query.exec();
    }
    QStringList machines()
    {
        QStringList names;
        QSqlQuery query(QSqlDatabase::database(app().State.MainDb, false));
        if (query.exec("SELECT \"Name\" FROM \"Machines\" ORDER BY \"Name\"")) {
            while (query.next())
                names << query.value(0).toString();
        }
        return names;
    }
    QStringList mainConnections() const
    {
        return QSqlDatabase::connectionNames().filter(QRegularExpression("^MainDb"));
    }
};

TEST_F(OpeningTheCaseDatabase, AMissingFileIsBuiltFromTheSchemaAndOpenedForWriting)
{
    ASSERT_FALSE(QFileInfo::exists(dbPath()));
    openDB();
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_FALSE(app().State.MainDb.isEmpty());
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_TRUE(recordingShell.statusText("ReadOnly").isEmpty());
    ASSERT_NE(mainCaseStore(), nullptr);
    EXPECT_TRUE(mainCaseStore()->missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Mill 3"));
    // Built under another name and renamed into place: nothing else is left in the folder.
    EXPECT_EQ(QDir(app().State.AppPath).entryList(QDir::Files), QStringList{kCaseDbFileName});
}

TEST_F(OpeningTheCaseDatabase, ReopeningKeepsTheRowsAndReplacesTheConnection)
{
    openDB();
    ASSERT_TRUE(addMachine("Mill 3"));
    const QString first = app().State.MainDb;
    openDB();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_NE(app().State.MainDb, first);
    EXPECT_EQ(mainConnections(), QStringList{app().State.MainDb});
    EXPECT_EQ(machines(), QStringList{"Mill 3"});
    closeDB();
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_EQ(mainCaseStore(), nullptr);
    EXPECT_TRUE(mainConnections().isEmpty());
}

TEST_F(OpeningTheCaseDatabase, AnEmptyFileIsTreatedAsMissing)
{
    writeFile(kCaseDbFileName, {});
    openDB();
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_NE(mainCaseStore(), nullptr);
    EXPECT_TRUE(mainCaseStore()->missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Lathe"));
}

TEST_F(OpeningTheCaseDatabase, AStoreOpenedReadOnlyRefusesEveryWrite)
{
    openDB();
    closeDB();
    const QByteArray before = dbBytes();
    CaseStore store("read-only-test");
    store.open(dbPath(), {.readOnly = true});
    ASSERT_TRUE(store.isOpen());
    EXPECT_TRUE(store.isReadOnly());
    QSqlQuery query(store.database());
    EXPECT_TRUE(query.exec("SELECT count(*) FROM \"Measure\""));
    EXPECT_FALSE(query.exec("INSERT INTO \"Machines\" (\"Name\") VALUES ('Mill 3')"));
    EXPECT_FALSE(query.exec("CREATE TABLE \"Extra\" (\"A\" INTEGER)"));
    try {
        CaseStore::WriteTransaction transaction(store);
        ADD_FAILURE() << "a write transaction began on a read-only store";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kDatabaseReadOnly);
    }
    EXPECT_TRUE(store.upgradeSchema().isEmpty());
    query.finish();
    store.close();
    EXPECT_EQ(dbBytes(), before);
    // The read-only option never creates a file.
    QFile::remove(dbPath());
    EXPECT_THROW(store.open(dbPath(), {.readOnly = true}), AppError);
    EXPECT_FALSE(QFileInfo::exists(dbPath()));
    EXPECT_FALSE(store.isOpen());
}

TEST_F(OpeningTheCaseDatabase, AFileWithoutWritePermissionOpensReadOnlyWithThePanel)
{
    openDB();
    ASSERT_TRUE(addMachine("Mill 3"));
    closeDB();
    makeFileReadOnly(dbPath());
    const QByteArray before = dbBytes();

    openDB();
    EXPECT_TRUE(prompts.messages.empty()); // the panel is the only sign
    ASSERT_FALSE(app().State.MainDb.isEmpty());
    EXPECT_TRUE(app().State.MainDbReadOnly);
    EXPECT_FALSE(recordingShell.statusText("ReadOnly").isEmpty());
    EXPECT_EQ(machines(), QStringList{"Mill 3"});
    EXPECT_FALSE(addMachine("Lathe"));
    closeDB();
    EXPECT_EQ(dbBytes(), before);

    // The decision is taken anew at each opening, and the panel follows it.
    QFile::setPermissions(dbPath(), QFile::permissions(dbPath()) | QFile::WriteOwner);
    openDB();
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_TRUE(recordingShell.statusText("ReadOnly").isEmpty());
    EXPECT_TRUE(addMachine("Lathe"));
}

TEST_F(OpeningTheCaseDatabase, AFolderThatTakesNoNewFilesCountsAsReadOnly)
{
    openDB();
    closeDB();
    makeFolderReadOnly();
    openDB();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(app().State.MainDbReadOnly);
    EXPECT_FALSE(recordingShell.statusText("ReadOnly").isEmpty());
    EXPECT_FALSE(addMachine("Lathe"));
    EXPECT_FALSE(FileAllowsWriting(dbPath()));
}

TEST_F(OpeningTheCaseDatabase, AMissingFileThatCannotBeBuiltIsReportedOnce)
{
    makeFolderReadOnly();
    openDB();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("openDB "), 1);
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_EQ(mainCaseStore(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(dbPath()));
    EXPECT_TRUE(mainConnections().isEmpty());
}

TEST_F(OpeningTheCaseDatabase, ADamagedFileIsReportedAndLeftAsItIs)
{
    QByteArray junk;
    for (int i = 0; i < 64; ++i)
        junk += "not a database, just a damaged file ";
    writeFile(kCaseDbFileName, junk);
    openDB();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("openDB "), 1);
    // The engine's own word for it reaches the user.
    EXPECT_TRUE(prompts.messages.front().text.contains("not a database")) << prompts.messages.front().text.toStdString();
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_TRUE(recordingShell.statusText("ReadOnly").isEmpty());
    EXPECT_EQ(dbBytes(), junk);
    EXPECT_TRUE(mainConnections().isEmpty());
}

TEST_F(OpeningTheCaseDatabase, AnotherProgramsDatabaseIsNoCaseDatabase)
{
    ASSERT_EQ(CreateDatabaseFromScript(dbPath(), "CREATE TABLE Languages (Form TEXT, English TEXT);"), QString());
    const QByteArray before = dbBytes();
    openDB();
    EXPECT_EQ(reportsAt("openDB "), 1);
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_EQ(dbBytes(), before);

    CaseStore store("foreign-test");
    try {
        store.open(dbPath());
        ADD_FAILURE() << "opened a database without case tables";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kNotACaseDatabase);
    }
    EXPECT_FALSE(store.isOpen());
}

TEST_F(OpeningTheCaseDatabase, AFailedReopenKeepsTheWorkingConnection)
{
    openDB();
    ASSERT_TRUE(addMachine("Mill 3"));
    const QString working = app().State.MainDb;
    // The file is replaced by a damaged one; the open connection still reads the old file.
    const QString damaged = writeFile("damaged.db", QByteArray(4096, 'x'));
    ASSERT_TRUE(QFile::remove(dbPath()));
    ASSERT_TRUE(QFile::rename(damaged, dbPath()));
    openDB();
    EXPECT_EQ(reportsAt("openDB "), 1);
    EXPECT_EQ(app().State.MainDb, working);
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_NE(mainCaseStore(), nullptr);
    EXPECT_EQ(machines(), QStringList{"Mill 3"});
    EXPECT_EQ(mainConnections(), QStringList{working});
}

} // namespace
} // namespace sarvo::test
