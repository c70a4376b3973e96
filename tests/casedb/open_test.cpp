// Opening the case database: a missing or empty file is built from the shipped schema, a file
// that may not be written opens read-only, a file that cannot be opened is refused with the
// engine's word for it and its name, leaving the file as it was and no connection behind; a full
// disk at the building leaves no file; a journal left by a save cut short is rolled back.

#include "core/language_db.h"
#include "core/sql_script.h"
#include "casedb/case_save.h"
#include "casedb/case_store.h"
#include "casedb/sql_error.h"
#include "casedb/stored_cases.h"
#include "tests/casedb/casedb_fixture.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>

#include <sqlite3.h>

#include <functional>

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
        EXPECT_TRUE(e.description().contains(QDir::toNativeSeparators(dbPath()))) << e.description().toStdString();
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

// A disk with no room left, as the engine meets it: while installed as the engine's default, every
// write of a database file fails as on a full disk, however much room the real disk has.
class FullDisk {
public:
    FullDisk() : real_(sqlite3_vfs_find(nullptr))
    {
        vfs_ = *real_;
        vfs_.zName = "full-disk";
        vfs_.pAppData = this;
        vfs_.xOpen = &FullDisk::open;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~FullDisk() { sqlite3_vfs_unregister(&vfs_); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* self = static_cast<FullDisk*>(vfs->pAppData);
        const int rc = self->real_->xOpen(self->real_, name, file, flags, outFlags);
        // The engine's own file methods, but for the write; every file of the engine shares them.
        if (rc == SQLITE_OK && file->pMethods && (!self->realMethods_ || self->realMethods_ == file->pMethods)) {
            self->realMethods_ = file->pMethods;
            self->methods_ = *file->pMethods;
            self->methods_.xWrite = [](sqlite3_file*, const void*, int, sqlite3_int64) { return SQLITE_FULL; };
            file->pMethods = &self->methods_;
        }
        return rc;
    }

    sqlite3_vfs* real_;
    sqlite3_vfs vfs_{};
    const sqlite3_io_methods* realMethods_ = nullptr;
    sqlite3_io_methods methods_{};
};

TEST_F(OpeningTheCaseDatabase, AFullDiskWhileBuildingSaysSoAndLeavesNoFile)
{
    const auto expectDiskFull = [](const std::function<void()>& build, const QString& file) {
        try {
            build();
            ADD_FAILURE() << "built " << file.toStdString() << " on a full disk";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), AppError::kDiskFull) << e.description().toStdString();
            EXPECT_EQ(e.description(), "Disk full: " + QDir::toNativeSeparators(file));
        }
    };
    {
        FullDisk full;
        expectDiskFull([&] { store.open(dbPath()); }, dbPath());
        EXPECT_FALSE(store.isOpen());
        EXPECT_TRUE(QDir(appPath).entryList(QDir::Files).isEmpty());
        // The language database is built by the same function.
        expectDiskFull([&] { OpenLanguageDatabase(appPath); }, path(kLangDbFileName));
        EXPECT_TRUE(QDir(appPath).entryList(QDir::Files).isEmpty());
        // An empty file is built in place: it stays as empty as it was.
        writeFile(kCaseDbFileName, {});
        expectDiskFull([&] { store.open(dbPath()); }, dbPath());
        EXPECT_EQ(QDir(appPath).entryList(QDir::Files), QStringList{kCaseDbFileName});
        EXPECT_TRUE(dbBytes().isEmpty());
    }
    // With room again, the same file is built.
    store.open(dbPath());
    EXPECT_TRUE(store.missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Lathe"));
}

// A real small disk: a tmpfs of 64 KB with 8 KB free, mounted in a mount namespace of its own so
// that nothing outlives the test. Where the system lets no one mount (no root, a container),
// the test is skipped.
TEST_F(OpeningTheCaseDatabase, OnASmallDiskTheFirstSaveSaysTheDiskIsFullAndLeavesNoFile)
{
    const QString disk = path("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    const QString script = QStringLiteral(
        "mount -t tmpfs -o size=64k tmpfs \"$1\" || exit 77\n"
        "dd if=/dev/zero of=\"$1/filler\" bs=4096 count=14 2>/dev/null || exit 77\n"
        "SARVOTEX_HOME=\"$1\" \"$2\" --save-db Weekly \"$3\"\n"
        "echo \"status $?\"\n"
        "ls -A \"$1\"\n");
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start("unshare", {"--mount", "--propagation", "private", "sh", "-c", script, "sh", disk,
                            QStringLiteral(SARVOTEX_DUMP), QStringLiteral(SARVOTEX_TEST_DATA "/rtb_static.rtb")});
    if (!shell.waitForStarted())
        GTEST_SKIP() << "no unshare";
    ASSERT_TRUE(shell.waitForFinished(60000));
    const QString out = QString::fromUtf8(shell.readAll());
    if (!out.contains("status "))
        GTEST_SKIP() << "no small disk can be mounted here: " << out.toStdString();
    EXPECT_TRUE(out.contains("status 1\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("61:Disk full: " + disk + "/" + kCaseDbFileName)) << out.toStdString();
    EXPECT_TRUE(out.endsWith("status 1\nfiller\n")) << out.toStdString();
}

// A first page that reads as an empty leaf: the catalogue lists no tables, though every case's
// pages are still in the file.
TEST_F(OpeningTheCaseDatabase, AFileWhoseCatalogueListsNoTablesIsRefusedAndNeverWritten)
{
    store.open(dbPath());
    ASSERT_TRUE(addMachine("Mill 3"));
    store.close();
    QByteArray damaged = dbBytes();
    ASSERT_GT(damaged.size(), 4096);
    damaged.replace(100, 8, QByteArray::fromHex("0D00000000100000"));
    writeFile(kCaseDbFileName, damaged);
    {
        Inspector check(dbPath());
        ASSERT_EQ(check.value("SELECT count(*) FROM sqlite_master").toInt(), 0);
    }
    // As the program opens it, as a save of the tool does, and as the read-only views do.
    for (const CaseStore::OpenOptions& options : {CaseStore::OpenOptions{}, CaseStore::OpenOptions{.readOnly = true}}) {
        try {
            store.open(dbPath(), options);
            ADD_FAILURE() << "took a damaged file for a new one";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), kNotACaseDatabase);
            EXPECT_TRUE(e.description().contains("damaged")) << e.description().toStdString();
            EXPECT_TRUE(e.description().endsWith(QDir::toNativeSeparators(dbPath()))) << e.description().toStdString();
        }
        EXPECT_FALSE(store.isOpen());
        EXPECT_FALSE(storeConnected());
        EXPECT_EQ(dbBytes(), damaged);
        EXPECT_EQ(QDir(appPath).entryList(QDir::Files), QStringList{kCaseDbFileName});
    }
}

// A save cut short inside its commit leaves the file with some of its new pages and the journal
// that takes them back: taken here as a copy of both in the middle of a transaction that has
// already written pages into the file.
TEST_F(OpeningTheCaseDatabase, AJournalLeftByASaveCutShortIsRolledBackForTheReadOnlyViews)
{
    store.open(dbPath());
    for (int variant = 0; variant < 2; ++variant)
        ASSERT_EQ(SaveCase(store, MakeCase(3, 2500, variant), "Weekly", [](const QString&) { return true; }).outcome,
                  SaveOutcome::Saved);
    const auto listed = [](const CaseStore& s) {
        QStringList cases;
        for (const StoredCaseSummary& c : ListStoredCases(s, {}, StoredCaseOrder::BySession))
            cases << QString::number(c.measId) + " " + c.machine + " " + c.fileName;
        return cases;
    };
    const QStringList before = listed(store);
    ASSERT_EQ(before.size(), 2);
    store.close();
    const QByteArray committed = dbBytes();

    const QString cut = path("cut/");
    ASSERT_TRUE(QDir().mkpath(cut));
    {
        Inspector writer(dbPath(), true);
        writer.exec("PRAGMA cache_size = 2"); // the pages spill into the file before the commit
        writer.exec("BEGIN");
        writer.exec("DELETE FROM \"Targets\"");
        writer.exec("UPDATE \"Measure\" SET \"Machine\" = 'half saved'");
        for (const QString& name : QStringList{kCaseDbFileName, kCaseDbFileName + QStringLiteral("-journal")})
            ASSERT_TRUE(QFile::copy(path(name), cut + name)) << name.toStdString();
        writer.exec("ROLLBACK");
    }
    const QString file = cut + kCaseDbFileName;
    ASSERT_NE(readFile("cut/" + QString(kCaseDbFileName)), committed);
    makeFileReadOnly(file);

    // The file may not be written: nothing can roll the journal back, and the message says what to do.
    CaseStore view(QStringLiteral("view"));
    try {
        view.open(file, {.readOnly = true, .createWhenMissing = false});
        ADD_FAILURE() << "read a file whose journal was not rolled back";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.description().contains("write permission")) << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(file + "-journal")) << e.description().toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(file + "-journal"));

    // Writable: the read-only views roll it back as any writer would and read the committed cases.
    QFile::setPermissions(file, QFile::permissions(file) | QFile::WriteOwner);
    view.open(file, {.readOnly = true, .createWhenMissing = false});
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_EQ(listed(view), before);
    view.close();
    EXPECT_FALSE(QFileInfo::exists(file + "-journal"));
    EXPECT_EQ(readFile("cut/" + QString(kCaseDbFileName)), committed);
}

} // namespace
} // namespace sarvo::test
