// The program's loading of a stored case from its case database: the open case, the windows,
// the commands and the recent list after a load, and none of them touched by a failed one.
#include "app/app_context.h"
#include "app/case_load_command.h"
#include "app/main_commands.h"
#include "app/program_db.h"
#include "app/startup.h"
#include "casedb/case_columns.h"
#include "core/settings.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/test_env.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class ProgramCaseLoad : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph, WindowId::Print, WindowId::Session})
            windows().registerWindow(id, [](QWidget*) { return new QWidget; }, false);
        services().showBasicInfo = [this] { ++basicInfoShown; };
        services().showResults = [this] { ++resultsShown; };
        services().drawGraph = [this](WindowId id) { drawn << id; };
        InstallFrameServices();
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
    }
    void TearDown() override
    {
        closeDB();
        services() = ProgramServices{};
        AppTest::TearDown();
    }

    // A stored case of one run of four readings, written with plain statements.
    int storeCase(bool calced, const QString& statDyn = "Dynamic")
    {
        QSqlDatabase db = QSqlDatabase::database(app().State.MainDb, false);
        auto exec = [&](const QString& sql, const QVariantList& values) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString();
            for (const QVariant& v : values)
                q.addBindValue(v);
            EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
            return q.lastInsertId().toInt();
        };
        auto insertAll = [&](const Table& table, const QVariantMap& fixed) {
            QStringList names, marks;
            QVariantList values;
            for (const Column& column : table.columns) {
                if (column.type == FieldType::AutoNumber)
                    continue;
                names << QuoteName(column.name);
                marks << "?";
                if (fixed.contains(column.name))
                    values << fixed.value(column.name);
                else if (column.type == FieldType::Text)
                    values << QStringLiteral("text");
                else
                    values << 2;
            }
            return exec("INSERT INTO " + QuoteName(table.name) + " (" + names.join(", ") + ") VALUES (" + marks.join(", ") + ")",
                        values);
        };
        const int id = insertAll(MeasureTable(), {{col::Name, "Weekly"}, {col::Plane, "xy"}, {col::Feedrate, 1000.0},
                                                  {col::StatDyn, statDyn}, {col::Date, "2004-03-07 09:05:03"},
                                                  {col::MaxTargets, 4}, {col::StartAngle, 0}, {col::StopAngle, 360},
                                                  {col::DimCount, 1}, {col::Calced, calced ? 1 : 0}});
        insertAll(ReliabilityTable(), {{col::Meas_ID, id}});
        insertAll(DirectionTable(), {{col::Meas_ID, id}, {col::Dim, 1}, {col::MeasuredTargets, 4}});
        for (int p = 0; p < 4; ++p)
            exec("INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\") VALUES (?, ?, ?)", {id, 1, 0.001 * p});
        return id;
    }

    int basicInfoShown = 0;
    int resultsShown = 0;
    QList<WindowId> drawn;
};

TEST_F(ProgramCaseLoad, ACaseWithResultsOpensWithEveryCommandAndHeadsTheRecentList)
{
    const int id = storeCase(true);
    app().State.ResultShown = app().State.GraphShown = app().State.AnaGraphShown = true;
    ASSERT_TRUE(LoadCaseFromDb(id));
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Weekly");
    EXPECT_EQ(app().OpenCase.Data.Readings(1, 3), 0.001 * 3);
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_TRUE(app().State.CaseOpen);
    EXPECT_EQ(basicInfoShown, 1);
    EXPECT_EQ(resultsShown, 1);
    EXPECT_EQ(drawn, QList<WindowId>({WindowId::Graph, WindowId::AnalysisGraph}));
    for (CommandId c : {CommandId::Results, CommandId::Graph, CommandId::Print, CommandId::SaveToDatabase,
                        CommandId::SaveToFile, CommandId::ResultGraph, CommandId::Combine})
        EXPECT_TRUE(recordingShell.menuEnabled(c)) << int(c);
    EXPECT_EQ(app().Settings.RecentFile[0], "Weekly xy 1000mm/min");
    EXPECT_EQ(app().Settings.RecentID[0], id);
    EXPECT_EQ(reportsAt("Reading measuring"), 0);
}

TEST_F(ProgramCaseLoad, ACaseWithoutResultsClosesTheResultWindowsAndLeavesSavingOff)
{
    const int id = storeCase(false, "Static");
    windows().show(WindowId::Results);
    windows().show(WindowId::Graph);
    ASSERT_TRUE(windows().isLoaded(WindowId::Results));
    ASSERT_TRUE(LoadCaseFromDb(id));
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    EXPECT_FALSE(windows().isLoaded(WindowId::Results));
    EXPECT_FALSE(windows().isLoaded(WindowId::Graph));
    EXPECT_EQ(resultsShown, 0);
    for (CommandId c : {CommandId::Results, CommandId::Graph, CommandId::SaveToFile})
        EXPECT_TRUE(recordingShell.menuEnabled(c)) << int(c);
    for (CommandId c : {CommandId::Print, CommandId::SaveToDatabase, CommandId::ResultGraph, CommandId::Combine})
        EXPECT_FALSE(recordingShell.menuEnabled(c)) << int(c);
    EXPECT_EQ(app().Settings.RecentFile[0], "Weekly xy Static");
}

TEST_F(ProgramCaseLoad, AFailedLoadKeepsTheOpenCaseItsCommandsAndTheRecentList)
{
    const int id = storeCase(true);
    app().OpenCase.Header[HdrName] = "open";
    app().OpenCase.Data.RunCount = 2;
    app().State.CaseOpen = false;
    app().Settings.RecentFile[0] = "/data/t1.rtb";
    app().Settings.RecentID[0] = 0;
    {
        QSqlQuery q(QSqlDatabase::database(app().State.MainDb, false));
        ASSERT_TRUE(q.exec("UPDATE \"Measure\" SET \"DimCount\" = 8"));
    }
    EXPECT_FALSE(LoadCaseFromDb(id));
    EXPECT_FALSE(LoadCaseFromDb(id + 1)); // never stored
    EXPECT_EQ(reportsAt("Reading measuring"), 2);
    EXPECT_EQ(app().OpenCase.Header[HdrName], "open");
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_FALSE(app().State.CaseOpen);
    EXPECT_EQ(basicInfoShown, 0);
    EXPECT_EQ(app().Settings.RecentFile[0], "/data/t1.rtb");
    EXPECT_EQ(app().Settings.RecentID[0], 0);
    EXPECT_TRUE(app().Settings.RecentFile[1].isEmpty());
}

TEST_F(ProgramCaseLoad, TheRecentEntryOfALoadedCaseLoadsItAgain)
{
    const int id = storeCase(true);
    ASSERT_TRUE(LoadCaseFromDb(id));
    app().OpenCase.Header[HdrName] = "changed";
    CmdReopenRecent(0);
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Weekly");
    // Loaded again, the entry stays the only one.
    EXPECT_EQ(app().Settings.RecentID[0], id);
    EXPECT_TRUE(app().Settings.RecentFile[1].isEmpty());
}

TEST_F(ProgramCaseLoad, AHandlerInstalledBeforeTheStartIsKept)
{
    int asked = 0;
    services().loadCaseFromDb = [&](int32_t) { return ++asked > 0; };
    InstallFrameServices();
    EXPECT_TRUE(LoadCaseFromDb(5));
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace sarvo::test
