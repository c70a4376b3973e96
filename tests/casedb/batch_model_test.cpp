// Batch import without a window: the type of a file by its name, each row's real outcome (read,
// analysis and save failures), no row limit, the cancel between files, and session names that
// would break a pasted query.

#include "casedb/batch_model.h"
#include "casedb/case_browser.h"
#include "casedb/case_columns.h"
#include "casedb/machine_list.h"
#include "tests/casedb/casedb_fixture.h"

#include <QDir>
#include <QFile>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class BatchImport : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
        files.files = &disk;
        files.resolveMachine = [](const QString& name) { return name; };
    }

    // A copy of a sample under a name of its own in the folder (made when missing).
    QString copySample(const QString& folder, const QString& name, const char* sample = "rtb_dynamic_both.rtb")
    {
        QDir().mkpath(path(folder));
        const QString target = path(folder + "/" + name);
        EXPECT_TRUE(QFile::copy(QStringLiteral(SARVOTEX_TEST_DATA "/") + sample, target));
        return target;
    }
    void add(BatchModel& model, const QString& file)
    {
        const auto added = model.addFile(file, files);
        ASSERT_EQ(added.result, BatchModel::AddResult::Added) << added.refusalText().toStdString();
    }
    BatchServices services()
    {
        BatchServices s;
        s.store = [this] { return &store; };
        s.readContext = files;
        s.askOverwrite = [](const QString&) { return true; };
        return s;
    }
    int storedCases(const QString& session)
    {
        return Inspector(dbPath()).value("SELECT count(*) FROM Measure WHERE Name = ?", {session}).toInt();
    }

    files::DiskFiles disk;
    files::ReadContext files;
};

TEST(BatchFileKindTest, TheFileNameDecidesNeverADotInTheFolder)
{
    EXPECT_EQ(BatchFileKind("/data/my.g.dir/run.RTB"), files::ReaderKind::Rtb);
    EXPECT_EQ(BatchFileKind("/home/u/.config/RUN.Dbb"), files::ReaderKind::Dbb);
    EXPECT_EQ(BatchFileKind("/data/v1.0/case.b5r"), files::ReaderKind::B5r);
    EXPECT_EQ(BatchFileKind("/data/v1.0/case.BRV"), files::ReaderKind::Brv);
    EXPECT_EQ(BatchFileKind("/data/tabg.01"), files::ReaderKind::ContiSure);
    // The folder's "g." would make a ContiSure set of any file under it by the first dot of the path.
    EXPECT_EQ(BatchFileKind("/data/long.dir/readme"), files::ReaderKind::Unknown);
    EXPECT_EQ(BatchFileKind("/data/x.2d2"), files::ReaderKind::Unknown);
}

// One file gone before the save (cannot be read), one refused by the database (cannot be
// saved), one whose error model cannot be fitted: all three failed with their reasons, never
// stored, and saved by a second run once the fault is gone; the others stored.
TEST_F(BatchImport, EveryRowCarriesItsRealOutcome)
{
    BatchModel model;
    const QString folder = "my.data/.config";
    const QString good = copySample(folder, "first.rtb");
    const QString gone = copySample(folder, "gone.rtb");
    const QString refused = copySample(folder, "refused.RTB");
    const QString unfitted = copySample(folder, "partial.dbb", "heid_cw.dbb");
    const QString last = copySample(folder, "last.rtb", "rtb_static.rtb");
    for (const QString& f : {good, gone, refused, unfitted, last})
        add(model, f);
    EXPECT_EQ(model.addFile(good, files).result, BatchModel::AddResult::Duplicate);
    ASSERT_TRUE(QFile::remove(gone));
    Inspector(dbPath(), true)
        .exec("CREATE TRIGGER refuse BEFORE INSERT ON Measure WHEN NEW.Filename LIKE '%refused%'"
              " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");

    BatchRun run(model, "Week 12", services());
    while (run.step()) {
    }
    const auto& rows = model.rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].state, BatchRowState::Stored);
    EXPECT_EQ(rows[4].state, BatchRowState::Stored);
    for (std::size_t r : {1u, 2u, 3u})
        EXPECT_EQ(rows[r].state, BatchRowState::Failed) << r;
    EXPECT_TRUE(rows[1].failure.contains("not found")) << rows[1].failure.toStdString();
    EXPECT_TRUE(rows[2].failure.contains("refused by the test")) << rows[2].failure.toStdString();
    EXPECT_TRUE(rows[3].failure.contains("error model")) << rows[3].failure.toStdString();
    EXPECT_TRUE(rows[3].statusText().startsWith("failed: "));
    EXPECT_EQ(run.storedCount(), 2);
    EXPECT_EQ(run.failedCount(), 3);
    EXPECT_EQ(run.closingText(), "3 of the selected cases could not be stored into the database.");
    EXPECT_EQ(storedCases("Week 12"), 2);
    EXPECT_TRUE(MachineExists(store, "Mill 2")); // the files' machine, added under its own name

    Inspector(dbPath(), true).exec("DROP TRIGGER refuse");
    QFile::copy(good, gone);
    BatchRun retry(model, "Week 12", services());
    while (retry.step()) {
    }
    EXPECT_EQ(retry.storedCount(), 2);
    EXPECT_EQ(retry.failedCount(), 1); // the fit still fails
    EXPECT_EQ(storedCases("Week 12"), 4);
    model.removeRows(0, 4);
    ASSERT_EQ(model.rows().size(), 4u); // only the failed row goes
    EXPECT_FALSE(model.hasPending());
}

TEST_F(BatchImport, HoldsMoreThan99FilesAndStopsBetweenFilesWhenCancelled)
{
    BatchModel model;
    for (int i = 0; i < 105; ++i)
        add(model, copySample("many", QString("case%1.rtb").arg(i, 3, 10, QChar('0')), "rtb_static.rtb"));
    ASSERT_EQ(model.pendingCount(), 105);

    BatchRun run(model, "Many", services());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(run.step());
    run.cancel();
    EXPECT_FALSE(run.step());
    EXPECT_EQ(storedCases("Many"), 3);
    EXPECT_EQ(model.pendingCount(), 102);
    EXPECT_EQ(model.rows()[3].state, BatchRowState::Collected);
    EXPECT_EQ(run.closingText(), "Saving was cancelled after 3 of 105 cases.");

    BatchRun rest(model, "Many", services());
    while (rest.step()) {
    }
    EXPECT_EQ(rest.percent(), 100);
    EXPECT_EQ(storedCases("Many"), 105);
    EXPECT_EQ(rest.closingText(), "All selected cases have now been stored into the database.");
    EXPECT_TRUE(model.sessionRowsShown());
}

// The check for a file listed already follows the rows: a removed or cleared file can be added
// again. A folder named like a measurement file is told as a folder, when it is added and when it
// took a listed file's place before the save.
TEST_F(BatchImport, AFileCanBeAddedAgainOnceItsRowIsGoneAndAFolderIsToldAsAFolder)
{
    BatchModel model;
    const QString first = copySample("f", "first.rtb", "rtb_static.rtb");
    const QString second = copySample("f", "second.rtb", "rtb_static.rtb");
    add(model, first);
    add(model, second);
    model.removeRows(0, 0);
    EXPECT_FALSE(model.contains(first));
    EXPECT_TRUE(model.contains(second));
    add(model, first);
    EXPECT_EQ(model.addFile(second, files).result, BatchModel::AddResult::Duplicate);
    model.clear();
    add(model, second);

    const QString folder = path("f/x.rtb");
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto added = model.addFile(folder, files);
    EXPECT_EQ(added.result, BatchModel::AddResult::Folder);
    EXPECT_EQ(added.refusalText(), folder + " is a folder, not a measurement file.");
    EXPECT_EQ(model.rows().size(), 1u);

    ASSERT_TRUE(QFile::remove(second) && QDir().mkpath(second));
    BatchRun run(model, "Week 1", services());
    while (run.step()) {
    }
    EXPECT_EQ(model.rows()[0].failure, second + " is a folder, not a measurement file.");
}

TEST_F(BatchImport, SessionNamesAreBoundValues)
{
    const QString session = "O'Brien; DROP TABLE Measure; -- Prüfung \"Süd\"";
    BatchModel model;
    add(model, copySample("s", "dyn.rtb"));
    add(model, copySample("s", "stat.rtb", "rtb_static.rtb"));
    EXPECT_EQ(model.saveRefusal(""), "Set first the name of the session, please.");
    EXPECT_EQ(model.saveRefusal(session), "");
    BatchRun run(model, session, services());
    while (run.step()) {
    }
    EXPECT_EQ(run.storedCount(), 2);
    EXPECT_TRUE(StoredSessionNames(store).contains(session));

    BatchModel listed;
    add(listed, copySample("s", "collected.rtb"));
    ASSERT_TRUE(listed.listSession(store, session).ok());
    ASSERT_EQ(listed.rows().size(), 2u); // the collected row is dropped
    EXPECT_EQ(listed.rows()[0].statDyn, "D"); // dynamic before static
    EXPECT_EQ(listed.rows()[0].fileName, "dyn.rtb");
    EXPECT_EQ(listed.rows()[1].statusText(), "Analysed");
    listed.removeRows(0, 1);
    EXPECT_EQ(listed.rows().size(), 2u); // stored rows stay
}

} // namespace
} // namespace sarvo::test
