// Opening the case database: a missing file is built from the shipped schema, a file that may not
// be written opens read-only, and a file that cannot be opened is refused with the engine's word
// for it, leaving the file as it was and no connection behind.

#include "core/sql_script.h"
#include "casedb/case_store.h"
#include "casedb/sql_error.h"
#include "tests/casedb/casedb_fixture.h"

#include <QDir>
#include <QSqlQuery>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class OpeningTheCaseDatabase : public CaseDbTest {
protected:
    // A write through the store's connection.
    bool addMachine(const QString& name)
    {
        QSqlQuery query(store.database());
        query.prepare("INSERT INTO \"Machines\" (\"Name\") VALUES (?)");
        query.addBindValue(name);
        return query.exec();
    }
    QStringList machines()
    {
        QStringList names;
        QSqlQuery query(store.database());
        if (query.exec("SELECT \"Name\" FROM \"Machines\" ORDER BY \"Name\""))
            while (query.next())
                names << query.value(0).toString();
        return names;
    }
};

TEST_F(OpeningTheCaseDatabase, AMissingFileIsBuiltFromTheSchemaAndOpenedForWriting)
{
    ASSERT_FALSE(QFileInfo::exists(dbPath()));
    store.open(dbPath());
    ASSERT_TRUE(store.isOpen());
    EXPECT_FALSE(store.isReadOnly());
    EXPECT_EQ(store.path(), dbPath());
    EXPECT_TRUE(store.missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Mill 3"));
    // Built under another name and renamed into place: nothing else is left in the folder.
    EXPECT_EQ(QDir(appPath).entryList(QDir::Files), QStringList{kCaseDbFileName});
}

TEST_F(OpeningTheCaseDatabase, ReopeningKeepsTheRowsAndClosingEndsTheConnection)
{
    store.open(dbPath());
    ASSERT_TRUE(addMachine("Mill 3"));
    store.open(dbPath());
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(machines(), (QStringList{"Demo Mill", "Mill 3"})); // the examples' machine comes with the file
    store.close();
    EXPECT_FALSE(store.isOpen());
    EXPECT_TRUE(store.path().isEmpty());
    EXPECT_FALSE(store.database().isValid());
    EXPECT_FALSE(storeConnected());
}

TEST_F(OpeningTheCaseDatabase, AnEmptyFileIsTreatedAsMissing)
{
    writeFile(kCaseDbFileName, {});
    store.open(dbPath());
    ASSERT_TRUE(store.isOpen());
    EXPECT_TRUE(store.missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Lathe"));
}

TEST_F(OpeningTheCaseDatabase, AStoreOpenedReadOnlyRefusesEveryWrite)
{
    store.open(dbPath());
    store.close();
    const QByteArray before = dbBytes();
    CaseStore readOnly("read-only-test");
    readOnly.open(dbPath(), {.readOnly = true});
    ASSERT_TRUE(readOnly.isOpen());
    EXPECT_TRUE(readOnly.isReadOnly());
    QSqlQuery query(readOnly.database());
    EXPECT_TRUE(query.exec("SELECT count(*) FROM \"Measure\""));
    EXPECT_FALSE(query.exec("INSERT INTO \"Machines\" (\"Name\") VALUES ('Mill 3')"));
    EXPECT_FALSE(query.exec("CREATE TABLE \"Extra\" (\"A\" INTEGER)"));
    try {
        CaseStore::WriteTransaction transaction(readOnly);
        ADD_FAILURE() << "a write transaction began on a read-only store";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kDatabaseReadOnly);
    }
    EXPECT_TRUE(readOnly.upgradeSchema().isEmpty());
    query.finish();
    readOnly.close();
    EXPECT_EQ(dbBytes(), before);
    // The read-only option never creates a file.
    QFile::remove(dbPath());
    EXPECT_THROW(readOnly.open(dbPath(), {.readOnly = true}), AppError);
    EXPECT_FALSE(QFileInfo::exists(dbPath()));
    EXPECT_FALSE(readOnly.isOpen());
}

TEST_F(OpeningTheCaseDatabase, AFileWithoutWritePermissionOpensReadOnly)
{
    store.open(dbPath());
    ASSERT_TRUE(addMachine("Mill 3"));
    store.close();
    makeFileReadOnly(dbPath());
    const QByteArray before = dbBytes();

    store.open(dbPath());
    ASSERT_TRUE(store.isOpen());
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_EQ(machines(), (QStringList{"Demo Mill", "Mill 3"})); // the examples' machine comes with the file
    EXPECT_FALSE(addMachine("Lathe"));
    store.close();
    EXPECT_EQ(dbBytes(), before);

    // The decision is taken anew at each opening.
    QFile::setPermissions(dbPath(), QFile::permissions(dbPath()) | QFile::WriteOwner);
    store.open(dbPath());
    EXPECT_FALSE(store.isReadOnly());
    EXPECT_TRUE(addMachine("Lathe"));
}

TEST_F(OpeningTheCaseDatabase, AFolderThatTakesNoNewFilesCountsAsReadOnly)
{
    store.open(dbPath());
    store.close();
    makeFolderReadOnly();
    store.open(dbPath());
    EXPECT_TRUE(store.isReadOnly());
    EXPECT_FALSE(addMachine("Lathe"));
    EXPECT_FALSE(FileAllowsWriting(dbPath()));
}

TEST_F(OpeningTheCaseDatabase, AMissingFileThatCannotBeBuiltIsRefused)
{
    makeFolderReadOnly();
    EXPECT_THROW(store.open(dbPath()), AppError);
    EXPECT_TRUE(prompts.messages.empty()); // the caller reports it
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(QFileInfo::exists(dbPath()));
    EXPECT_FALSE(storeConnected());
}

TEST_F(OpeningTheCaseDatabase, ADamagedFileIsRefusedAndLeftAsItIs)
{
    QByteArray junk;
    for (int i = 0; i < 64; ++i)
        junk += "not a database, just a damaged file ";
    writeFile(kCaseDbFileName, junk);
    try {
        store.open(dbPath());
        ADD_FAILURE() << "opened a damaged file";
    } catch (const AppError& e) {
        // The engine's own word for it is what the user gets to read.
        EXPECT_TRUE(e.description().contains("not a database")) << e.description().toStdString();
    }
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(store.isReadOnly());
    EXPECT_EQ(dbBytes(), junk);
    EXPECT_FALSE(storeConnected());
}

TEST_F(OpeningTheCaseDatabase, AnotherProgramsDatabaseIsNoCaseDatabase)
{
    ASSERT_EQ(CreateDatabaseFromScript(dbPath(), "CREATE TABLE Languages (Form TEXT, English TEXT);"), QString());
    const QByteArray before = dbBytes();
    try {
        store.open(dbPath());
        ADD_FAILURE() << "opened a database without case tables";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kNotACaseDatabase);
    }
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(storeConnected());
    EXPECT_EQ(dbBytes(), before);
}

} // namespace
} // namespace sarvo::test
