// The program's ties of the case database and the measurement files to the open case: the case
// database opened with the "ReadOnly" panel and reported failures, its upgrade at start-up, the
// machine check through the machine-list window, the reads of the command line and the recent
// list with their report and after-load step, the installed services and the open-file window.
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/main_commands.h"
#include "app/file_commands.h"
#include "app/program_db.h"
#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/machine_list.h"
#include "casedb/ui/mac_list_window.h"
#include "core/dates.h"
#include "core/ini_file.h"
#include "core/sql_script.h"
#include "files/dispatch.h"
#include "files/ui/open_file_window.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <vector>

namespace sarvo::test {
namespace {

using casedb::kCaseDbFileName;

// A hand-written sample of tests/data.
QByteArray SampleBytes(const QString& name)
{
    QFile f(QStringLiteral(SARVOTEX_TEST_DATA "/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
    return f.readAll();
}

// What every test here shares: the program's case database file, write permissions taken away
// and given back, the reports by location, and the answers given to the machine-list window.
class ProgramTest : public AppTest {
protected:
    void TearDown() override
    {
        timers_.clear();
        closeDB();
        for (const auto& [file, permissions] : restore_)
            QFile::setPermissions(file, permissions);
        restore_.clear();
        services() = ProgramServices{};
        AppTest::TearDown();
    }

    QString dbPath() const { return path(QString::fromLatin1(kCaseDbFileName)); }
    QByteArray dbBytes() const { return readFile(QString::fromLatin1(kCaseDbFileName)); }

    void makeFileReadOnly(const QString& file)
    {
        const auto before = QFile::permissions(file);
        restore_.push_back({file, before});
        ASSERT_TRUE(QFile::setPermissions(
            file, before & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther)));
    }
    void makeFolderReadOnly()
    {
        QString folder = app().State.AppPath;
        folder.chop(1);
        makeFileReadOnly(folder);
    }

    // Messages whose text ends in the location given, as ReportError words it.
    int reportsAt(const QString& location) const
    {
        int count = 0;
        for (const auto& message : prompts.messages) {
            if (message.text.endsWith("\r\n" + location + "."))
                ++count;
        }
        return count;
    }

    // Answers the next machine-list window once it is up: selects the row with the text given
    // (none for ""), then closes the window so. The name the window shows is added to asked.
    enum class Close { Ok, Cancel, CloseBox };
    void answerMachineList(const QString& row, Close how = Close::Ok)
    {
        auto timer = std::make_unique<QTimer>();
        QTimer* t = timer.get();
        t->setInterval(5);
        QObject::connect(t, &QTimer::timeout, [this, t, row, how] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* window = qobject_cast<MacList*>(top);
                if (!window || !window->isVisible())
                    continue;
                t->stop();
                asked << window->machineBox()->text();
                for (int i = 0; i < window->machineList()->count(); ++i) {
                    if (window->machineList()->item(i)->text() == row)
                        window->machineList()->item(i)->setSelected(true);
                }
                if (how == Close::Ok)
                    window->findChild<QPushButton*>("cmdClose")->click();
                else if (how == Close::Cancel)
                    window->findChild<QPushButton*>("CmdCancel")->click();
                else
                    window->close();
                return;
            }
        });
        t->start();
        timers_.push_back(std::move(timer));
    }

    // The names the machine-list window was shown for.
    QStringList asked;

private:
    QList<std::pair<QString, QFile::Permissions>> restore_;
    std::vector<std::unique_ptr<QTimer>> timers_;
};

// ---------------------------------------------------------------------------------------------
// The program's case database.

class ProgramCaseDatabase : public ProgramTest {
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
    // An older file: the current schema without the column named, which a later version added.
    void writeFileWithout(const QString& table, const QString& column)
    {
        openDB();
        closeDB();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old-file");
            db.setDatabaseName(dbPath());
            ASSERT_TRUE(db.open());
            QSqlQuery query(db);
            EXPECT_TRUE(query.exec("ALTER TABLE \"" + table + "\" DROP COLUMN \"" + column + "\""));
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase("old-file");
    }
};

TEST_F(ProgramCaseDatabase, AMissingFileIsBuiltAndOpenedForWritingWithoutThePanel)
{
    ASSERT_FALSE(QFileInfo::exists(dbPath()));
    openDB();
    ASSERT_FALSE(app().State.MainDb.isEmpty());
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_TRUE(recordingShell.statusText(StatusPanel::ReadOnly).isEmpty());
    ASSERT_NE(mainCaseStore(), nullptr);
    EXPECT_EQ(mainCaseStore()->connectionName(), app().State.MainDb);
    EXPECT_TRUE(mainCaseStore()->missingSchema().isEmpty());
    EXPECT_TRUE(addMachine("Mill 3"));
    EXPECT_EQ(QDir(app().State.AppPath).entryList(QDir::Files), QStringList{kCaseDbFileName});
}

TEST_F(ProgramCaseDatabase, ReopeningKeepsTheRowsAndReplacesTheConnection)
{
    openDB();
    ASSERT_TRUE(addMachine("Mill 3"));
    const QString first = app().State.MainDb;
    openDB();
    EXPECT_NE(app().State.MainDb, first);
    EXPECT_EQ(mainConnections(), QStringList{app().State.MainDb});
    EXPECT_EQ(machines(), (QStringList{"Demo Mill", "Mill 3"})); // the examples' machine comes with the file
    closeDB();
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_EQ(mainCaseStore(), nullptr);
    EXPECT_TRUE(mainConnections().isEmpty());
}

TEST_F(ProgramCaseDatabase, AFileWithoutWritePermissionOpensReadOnlyWithThePanel)
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
    EXPECT_FALSE(recordingShell.statusText(StatusPanel::ReadOnly).isEmpty());
    EXPECT_EQ(machines(), (QStringList{"Demo Mill", "Mill 3"})); // the examples' machine comes with the file
    EXPECT_FALSE(addMachine("Lathe"));
    closeDB();
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_EQ(dbBytes(), before);

    // The decision is taken anew at each opening, and the panel follows it.
    QFile::setPermissions(dbPath(), QFile::permissions(dbPath()) | QFile::WriteOwner);
    openDB();
    EXPECT_FALSE(app().State.MainDbReadOnly);
    EXPECT_TRUE(recordingShell.statusText(StatusPanel::ReadOnly).isEmpty());
    EXPECT_TRUE(addMachine("Lathe"));
}

TEST_F(ProgramCaseDatabase, AFolderThatTakesNoNewFilesShowsThePanel)
{
    openDB();
    closeDB();
    makeFolderReadOnly();
    openDB();
    EXPECT_TRUE(app().State.MainDbReadOnly);
    EXPECT_FALSE(recordingShell.statusText(StatusPanel::ReadOnly).isEmpty());
    EXPECT_FALSE(addMachine("Lathe"));
}

TEST_F(ProgramCaseDatabase, AMissingFileThatCannotBeBuiltIsReportedOnce)
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

TEST_F(ProgramCaseDatabase, ADamagedFileIsReportedAndLeftAsItIs)
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
    EXPECT_TRUE(recordingShell.statusText(StatusPanel::ReadOnly).isEmpty());
    EXPECT_EQ(dbBytes(), junk);
    EXPECT_TRUE(mainConnections().isEmpty());
}

TEST_F(ProgramCaseDatabase, AnotherProgramsDatabaseIsReportedAndLeftAsItIs)
{
    ASSERT_EQ(CreateDatabaseFromScript(dbPath(), "CREATE TABLE Languages (Form TEXT, English TEXT);"), QString());
    const QByteArray before = dbBytes();
    openDB();
    EXPECT_EQ(reportsAt("openDB "), 1);
    EXPECT_TRUE(app().State.MainDb.isEmpty());
    EXPECT_EQ(mainCaseStore(), nullptr);
    EXPECT_EQ(dbBytes(), before);
}

TEST_F(ProgramCaseDatabase, AFailedReopenKeepsTheWorkingConnection)
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
    EXPECT_EQ(machines(), (QStringList{"Demo Mill", "Mill 3"})); // the examples' machine comes with the file
    EXPECT_EQ(mainConnections(), QStringList{working});
}

TEST_F(ProgramCaseDatabase, ACurrentFileIsNotReportedWritableOrReadOnly)
{
    openDB();
    CheckDbFields();
    closeDB();
    makeFileReadOnly(dbPath());
    openDB();
    ASSERT_TRUE(app().State.MainDbReadOnly);
    CheckDbFields();
}

TEST_F(ProgramCaseDatabase, AnOldFileGainsItsMissingColumnsWithoutAWord)
{
    writeFileWithout("Measure", "PlayH");
    openDB();
    ASSERT_NE(mainCaseStore(), nullptr);
    ASSERT_FALSE(mainCaseStore()->hasColumn("Measure", "PlayH"));
    CheckDbFields();
    EXPECT_TRUE(mainCaseStore()->hasColumn("Measure", "PlayH"));
    EXPECT_TRUE(mainCaseStore()->missingSchema().isEmpty());
}

TEST_F(ProgramCaseDatabase, AReadOnlyOldFileIsReportedOnceAndLeftAlone)
{
    writeFileWithout("Measure", "PlayH");
    makeFileReadOnly(dbPath());
    const QByteArray before = dbBytes();
    openDB();
    ASSERT_TRUE(app().State.MainDbReadOnly);
    EXPECT_TRUE(prompts.messages.empty());
    CheckDbFields();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("Checking database fields"), 1);
    EXPECT_FALSE(mainCaseStore()->hasColumn("Measure", "PlayH"));
    EXPECT_TRUE(mainCaseStore()->hasColumn("Measure", "Machine"));
    closeDB();
    EXPECT_EQ(dbBytes(), before);
}

TEST_F(ProgramCaseDatabase, ATableWithoutItsKeyIsReportedAndNothingIsAdded)
{
    ASSERT_EQ(CreateDatabaseFromScript(dbPath(), "CREATE TABLE \"Measure\" (\"Machine\" VARCHAR(50));"), QString());
    openDB();
    ASSERT_NE(mainCaseStore(), nullptr);
    CheckDbFields();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("Checking database fields"), 1);
    EXPECT_FALSE(mainCaseStore()->hasColumn("Measure", "PlayH"));
    EXPECT_FALSE(mainCaseStore()->database().tables().contains("Machines"));
}

TEST_F(ProgramCaseDatabase, WithoutADatabaseTheUpgradeIsReported)
{
    CheckDbFields();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("Checking database fields"), 1);
}

// ---------------------------------------------------------------------------------------------
// The program's machine check: the machine-list window over the program's case database, its
// answer kept in InputAnswer.

class ProgramMachineCheck : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        for (const char* name : {"Mill 2", "Lathe", "Mill 10"})
            casedb::AddMachine(*mainCaseStore(), name);
    }
};

TEST_F(ProgramMachineCheck, AKnownNamePassesAndTheWindowsAnswerIsKept)
{
    app().State.InputAnswer = "earlier";
    answerMachineList("Mill 10");
    QString name = "Mill 2";
    CheckProgramMachine(name);
    EXPECT_EQ(name, "Mill 2");
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(app().State.InputAnswer, "earlier");

    // The window that stayed unanswered serves the next unknown name.
    name = "MILL 2"; // the key compares letters exactly
    CheckProgramMachine(name);
    EXPECT_EQ(asked, QStringList{"MILL 2"});
    EXPECT_EQ(name, "Mill 10");
    EXPECT_EQ(app().State.InputAnswer, "Mill 10");
}

TEST_F(ProgramMachineCheck, CancelAndTheCloseBoxAnswerAsTheWindowSays)
{
    app().State.InputAnswer = "earlier";
    answerMachineList("Lathe", Close::Cancel);
    QString name = "Unknown";
    CheckProgramMachine(name);
    EXPECT_EQ(asked, QStringList{"Unknown"});
    EXPECT_EQ(name, "");
    EXPECT_EQ(app().State.InputAnswer, "");

    // The close box with a row selected answers that row.
    answerMachineList("Mill 10", Close::CloseBox);
    name = "Other";
    CheckProgramMachine(name);
    EXPECT_EQ(name, "Mill 10");
    EXPECT_EQ(app().State.InputAnswer, "Mill 10");

    // And without one, no machine.
    answerMachineList("", Close::CloseBox);
    name = "Third";
    CheckProgramMachine(name);
    EXPECT_EQ(name, "");
    EXPECT_EQ(app().State.InputAnswer, "");
}

TEST_F(ProgramMachineCheck, WithoutADatabaseTheCheckReportsAndKeepsTheName)
{
    closeDB();
    app().State.InputAnswer = "earlier";
    QString name = "Mill 9";
    CheckProgramMachine(name);
    EXPECT_EQ(name, "Mill 9");
    EXPECT_EQ(reportsAt("CheckForMachine(Reni)"), 1);
    EXPECT_EQ(app().State.InputAnswer, "earlier");
}

// ---------------------------------------------------------------------------------------------
// The reads of the command line and the recent list into the open case.

class ProgramFileRead : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        services().afterFileRead = [this](bool ok, const QString& name) { afterLoads.append({ok, name}); };
        ctx.maxPoints = 2500;
        ctx.baseTemperature = 20;
        ctx.resolveMachine = [](const QString& name) { return name; };
        ctx.files = &disk;
        app().Settings.DefaultExtension = "b5r";
        // A previous case that a failed read must leave exactly as it was.
        Case& c = app().OpenCase;
        c.Header[HdrMachine] = "Previous";
        c.Header[HdrFilename] = "/old.rtb";
        c.Data.RunCount = 1;
        c.Data.RunTargets[1] = 4;
        c.Data.Readings(1, 2) = 0.25;
        c.Results.LscResult.Circularity = 12.5;
        before = c;
    }
    void expectUnchanged()
    {
        const Case& c = app().OpenCase;
        EXPECT_EQ(c.Header, before.Header);
        EXPECT_EQ(c.Data.Readings, before.Data.Readings);
        EXPECT_EQ(c.Data.RunCount, before.Data.RunCount);
        EXPECT_EQ(c.Data.RunTargets, before.Data.RunTargets);
        EXPECT_EQ(c.Results.LscResult.Circularity, before.Results.LscResult.Circularity);
    }

    files::DiskFiles disk;
    files::ReadContext ctx;
    Case before;
    QList<std::pair<bool, QString>> afterLoads;
};

TEST_F(ProgramFileRead, ASuccessfulReadIsAdoptedAndHandedToTheAfterLoadStep)
{
    // Values of the case before that no file carries: the read starts from an empty case.
    app().OpenCase.Data.ZeroOffset = 0.4;
    app().OpenCase.Data.ReadingsAsRead = std::make_shared<const ReadingsTable>(app().OpenCase.Data.Readings);
    const QString file = writeFile("good.rtb", SampleBytes("rtb_dynamic_both.rtb"));
    EXPECT_TRUE(OpenProgramFile(file, ctx));
    EXPECT_EQ(app().OpenCase.Data.ZeroOffset, 0.0);
    ASSERT_TRUE(app().OpenCase.Data.ReadingsAsRead);
    EXPECT_EQ((*app().OpenCase.Data.ReadingsAsRead)(1, 2), app().OpenCase.Data.Readings(1, 2));
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(app().OpenCase.Header[HdrFilename], file);
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_EQ(app().Settings.DefaultExtension, "rtb");
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{true, file}}));
    EXPECT_EQ(busyDepth(), 0);

    // A quoted name reaches the after-load step without its quotes.
    const QString dbb = writeFile("quoted.dbb", SampleBytes("dbb_text_ccw.dbb"));
    EXPECT_TRUE(OpenProgramFile('"' + dbb + '"', ctx));
    EXPECT_EQ(app().OpenCase.Header[HdrFilename], dbb);
    EXPECT_EQ(afterLoads.value(1), (std::pair<bool, QString>{true, dbb}));
    EXPECT_EQ(app().Settings.DefaultExtension, "dbb");
}

TEST_F(ProgramFileRead, AFailedReadIsReportedOnceAndLeavesTheOpenCaseAsItWas)
{
    // A radius of zero stops the read in the header.
    const QString broken =
        writeFile("broken.rtb", SampleBytes("rtb_dynamic_both.rtb").replace("Radius: 100.00000", "Radius: 0"));
    EXPECT_FALSE(OpenProgramFile(broken, ctx));
    expectUnchanged();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(reportsAt("Reading header4"), 1);
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{false, broken}}));
    // The extension is remembered whatever the outcome.
    EXPECT_EQ(app().Settings.DefaultExtension, "rtb");

    // A file that is not there.
    prompts.messages.clear();
    EXPECT_FALSE(OpenProgramFile(path("missing.dbb"), ctx));
    expectUnchanged();
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(app().Settings.DefaultExtension, "dbb");
}

TEST_F(ProgramFileRead, ADateThatCannotBeReadIsTakenAsNowAndSaidSo)
{
    const QString file =
        writeFile("undated.rtb", SampleBytes("rtb_dynamic_both.rtb").replace("14:05 Jan 05 2000", "Mittwoch"));
    const QDateTime before = NaiveNow();
    EXPECT_TRUE(OpenProgramFile(file, ctx));
    EXPECT_GE(app().OpenCase.Data.TestDate, before);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("\"Mittwoch\"")) << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(prompts.messages[0].text.contains(file));
}

TEST_F(ProgramFileRead, AnEmptyNameDoesNothing)
{
    EXPECT_FALSE(OpenProgramFile(QString(), ctx));
    EXPECT_EQ(app().Settings.DefaultExtension, "b5r");
    EXPECT_TRUE(afterLoads.isEmpty());
    expectUnchanged();
}

TEST_F(ProgramFileRead, InstalledServicesReadThroughTheMachineCheckAndSave)
{
    openDB();
    ASSERT_NE(mainCaseStore(), nullptr);
    casedb::AddMachine(*mainCaseStore(), "Mill A");
    InstallFileServices();
    app().Settings.MaxPoints = 2500;
    const QString file = writeFile("good.rtb", SampleBytes("rtb_dynamic_both.rtb"));
    answerMachineList("Mill A");
    EXPECT_TRUE(OpenMeasurementFile(file));
    EXPECT_EQ(asked, QStringList{"Mill 1"});
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill A");
    EXPECT_EQ(app().State.InputAnswer, "Mill A");
    EXPECT_EQ(afterLoads, (QList<std::pair<bool, QString>>{{true, file}}));

    ASSERT_TRUE(SaveRtb(path("saved.rtb")));
    EXPECT_TRUE(readFile("saved.rtb").contains("Machine: Mill A\r\n"));

    // No machine chosen: nothing is read, and one message says so and names the file.
    const Case kept = app().OpenCase;
    answerMachineList("", Close::Cancel);
    const QString other = writeFile("other.rtb", SampleBytes("rtb_static.rtb"));
    EXPECT_FALSE(OpenMeasurementFile(other));
    EXPECT_EQ(asked, (QStringList{"Mill 1", "Mill 2"}));
    EXPECT_EQ(app().OpenCase.Header, kept.Header);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, other + "\r\nThe file was not read because no machine was chosen for it.");
}

// The lines of an .rtb file from "Key: " on, for comparing what a save kept.
QStringList RtbLinesFrom(const QByteArray& bytes, const QString& firstKey)
{
    const QStringList lines = QString::fromLatin1(bytes).split("\r\n");
    return lines.mid(std::max<qsizetype>(0, lines.indexOf(QRegularExpression("^" + QRegularExpression::escape(firstKey)))));
}

TEST_F(ProgramFileRead, SaveToFileWritesTheReadingsAsReadNotTheAnalysedOnes)
{
    InstallFileServices();
    QFile example(QStringLiteral(SARVOTEX_TEST_DATA "/../../data/examples/02_static_xy.rtb"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    const QString file = writeFile("static.rtb", example.readAll());
    ASSERT_TRUE(OpenProgramFile(file, ctx));
    RunAfterFileRead(true, file); // the analysis shifts, compensates and re-centres the readings
    const Case analysed = app().OpenCase;
    ASSERT_NE(analysed.Data.Readings, *analysed.Data.ReadingsAsRead);

    // As .rtb: every run block (its "Best X" included) and every point as in the file read.
    prompts.fileAnswers = {path("again.rtb")};
    prompts.filterAnswers = {1};
    CmdSaveToFile();
    EXPECT_EQ(RtbLinesFrom(readFile("again.rtb"), "DATA::"), RtbLinesFrom(readFile("static.rtb"), "DATA::"));

    // As .brv: the error model is fitted first (the open readings stay as they are) and the file
    // reads back with the readings as read.
    prompts.fileAnswers = {path("again.brv")};
    prompts.filterAnswers = {0};
    CmdSaveToFile();
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_EQ(app().OpenCase.Data.Readings, analysed.Data.Readings);
    Case back;
    ASSERT_TRUE(files::ReadInto(back, path("again.brv"), files::ReaderKind::Brv, ctx).ok());
    ASSERT_EQ(back.Data.RunCount, analysed.Data.RunCount);
    for (int r = 1; r <= back.Data.RunCount; ++r)
        for (int j = 0; j < back.Data.RunTargets[static_cast<std::size_t>(r)]; ++j)
            EXPECT_NEAR(back.Data.Readings(r, j), (*analysed.Data.ReadingsAsRead)(r, j), 0.5e-5) << r << "," << j;
}

TEST_F(ProgramFileRead, ATypedBrvOrRtbSaysTheFileTypeWhateverFilterIsChosen)
{
    InstallFileServices();
    const QString file = writeFile("static.rtb", SampleBytes("rtb_static.rtb"));
    ASSERT_TRUE(OpenProgramFile(file, ctx));
    RunAfterFileRead(true, file);
    // The dialog opens on the Renishaw filter; -1: the user leaves the filter as it opens.
    const struct {
        const char *typed, *written;
        int filter;
        bool brv;
    } saves[] = {
        {"typed.brv", "typed.brv", -1, true},  {"typed.RTB", "typed.RTB", 0, false}, {"plain", "plain.brv", 0, true},
        {"plain", "plain.rtb", -1, false},     {"notes.txt", "notes.txt", 0, true},  {"notes.txt", "notes.txt", 2, false},
    };
    for (const auto& save : saves) {
        prompts.fileAnswers = {path(save.typed)};
        prompts.filterAnswers = save.filter < 0 ? QList<int>() : QList<int>{save.filter};
        CmdSaveToFile();
        EXPECT_EQ(readFile(save.written).startsWith("<?xml"), save.brv) << save.typed << " with filter " << save.filter;
        QFile::remove(path(save.written));
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ProgramFileRead, TheProgramsDbbReadAsksForMoreFilesThroughThePrompts)
{
    openDB();
    ASSERT_NE(mainCaseStore(), nullptr);
    casedb::AddMachine(*mainCaseStore(), "Mill 3");
    const QString first = writeFile("1.dbb", SampleBytes("dbb_text_ccw.dbb"));
    const QString second = writeFile("2.dbb", SampleBytes("dbb_text_ccw.dbb"));
    prompts.yesNoAnswers = {true, false};
    prompts.fileAnswers = {second};
    app().Settings.MaxPoints = 2500;
    const files::ReadContext programCtx = ProgramReadContext();
    EXPECT_EQ(programCtx.maxPoints, 2500);
    EXPECT_TRUE(OpenProgramFile(first, programCtx));
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 3");
    EXPECT_EQ(prompts.questions,
              (QStringList{"Do you want to read more files to this measurement?",
                           "Do you want to read more files to this measurement?"}));
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(ProgramFileRead, TheFrameOpensTheOpenFileWindowById)
{
    RegisterFileWindows();
    EXPECT_TRUE(windows().isRegistered(WindowId::OpenFile));
    QWidget* w = windows().ensureLoaded(WindowId::OpenFile);
    ASSERT_NE(qobject_cast<OpenFileWindow*>(w), nullptr);
    EXPECT_EQ(w->objectName(), "frmOpenfile");
    EXPECT_TRUE(windows().unload(WindowId::OpenFile));
    EXPECT_FALSE(windows().isLoaded(WindowId::OpenFile));
}

void WriteBytes(const QString& file, const QByteArray& bytes)
{
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << file.toStdString();
    out.write(bytes);
}

// The program itself with its program folder home, its windows offscreen.
void StartProgram(QProcess& program, const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SARVOTEX_HOME", home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(SARVOTEX_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(60000));
}

// The program itself, ended from outside as a desktop or service manager ends it.
TEST(ProgramEnd, SigtermWritesTheSettings)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString ini = home.filePath("Sarvotex.ini");
    WriteBytes(ini, "[Universal]\nLanguage=English\n");

    QProcess program;
    StartProgram(program, home.path());
    // The case database is opened after the end signals are watched, before the event loop runs.
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(home.filePath(QString::fromLatin1(kCaseDbFileName))) && clock.elapsed() < 60000
           && program.state() == QProcess::Running)
        program.waitForReadyRead(50);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    ASSERT_TRUE(QFileInfo::exists(home.filePath(QString::fromLatin1(kCaseDbFileName))));
    ASSERT_EQ(IniFile(ini).get("Configure", "Serial Number", "<none>"), "<none>"); // only the shutdown writes it

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(IniFile(ini).get("Configure", "Serial Number", ""), "123456789");
    EXPECT_EQ(IniFile(ini).get("Universal", "Language", ""), "English");
}

// The program ended from outside (a logout, a service stop) while a box of its start-up waits
// for an answer: the box goes as if dismissed and the program ends in order at once, each end
// signal and each kind of box alike. The boxes come after the shipped files are copied in.
TEST(ProgramEnd, ASignalWhileAStartUpBoxIsOpenEndsTheProgramInOrderWithinASecond)
{
    const struct {
        int signal;
        const char* settings; // nullptr: a folder in the settings file's place
        bool damagedCaseDb;
    } cases[] = {
        {SIGTERM, "[Configure]\nBall Bar Type=9\n[Others]\nUnsaved Measurement=/runs/kept.brv\n", false},
        {SIGINT, "[Universal]\nLanguage=English\n", true},
        {SIGHUP, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString ini = home.filePath("Sarvotex.ini");
        if (c.settings)
            WriteBytes(ini, c.settings);
        else
            ASSERT_TRUE(QDir(home.path()).mkdir("Sarvotex.ini"));
        const QString caseDb = home.filePath(QString::fromLatin1(kCaseDbFileName));
        const QByteArray junk(4096, 'x');
        if (c.damagedCaseDb)
            WriteBytes(caseDb, junk);
        QProcess program;
        StartProgram(program, home.path());
        // The logo is the last shipped file copied in; no event loop runs from there to the box.
        const QString logo = home.filePath("logo.wmf");
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(logo) || program.state() != QProcess::Running; }, 60000));
        ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();

        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(program.processId()), c.signal);
        ASSERT_TRUE(program.waitForFinished(30000)) << "still waiting for an answer";
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        if (c.settings) {
            EXPECT_EQ(IniFile(ini).get("Configure", "Serial Number", ""), "123456789"); // written at the end
            EXPECT_EQ(IniFile(ini).get("Configure", "Ball Bar Type", ""), "0");
        } else {
            EXPECT_TRUE(QFileInfo(ini).isDir());
        }
        if (c.signal == SIGTERM) // the start never got to tell it: the next one will
            EXPECT_EQ(IniFile(ini).get("Others", "Unsaved Measurement", ""), "/runs/kept.brv");
        if (c.damagedCaseDb) {
            QFile db(caseDb);
            ASSERT_TRUE(db.open(QIODevice::ReadOnly));
            EXPECT_EQ(db.readAll(), junk);
        }
    }
}

} // namespace
} // namespace sarvo::test
