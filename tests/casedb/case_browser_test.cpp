// The case browser's content without widgets, its removals (one transaction each, all or
// nothing) and the dump's views of them.
#include "casedb/case_browser.h"
#include "casedb/case_save.h"
#include "casedb/machine_list.h"
#include "casedb/trend.h"
#include "core/units.h"
#include "tests/casedb/casedb_fixture.h"

#include <QProcess>
#include <QSqlQuery>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class CaseBrowserTest : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
        units.LargeFactor = 1;
        units.LargeFormat = "###0.0";
        units.LargeCaption = "mm";
    }

    // A small case of its own test date (minutes after a fixed time) under the session.
    int save(const QString& session, int minutes, int variant)
    {
        Case c = MakeCase(1, 10, variant);
        c.Data.TestDate = QDateTime(QDate(2024, 5, 2), QTime(8, 0), Qt::UTC).addSecs(60 * minutes);
        const SaveResult r = SaveCase(store, c, session, {});
        EXPECT_EQ(r.outcome, SaveOutcome::Saved);
        return r.measId;
    }

    // Rows of the case in each of the four tables.
    QList<int> rowsOf(const QString& where, const QVariantList& values = {})
    {
        QList<int> counts;
        for (const char* table : {"Measure", "Targets", "Direction", "Reliability"}) {
            QSqlQuery q(store.database());
            q.prepare(QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE %2").arg(table, where));
            for (const QVariant& v : values)
                q.addBindValue(v);
            EXPECT_TRUE(q.exec() && q.next());
            counts << q.value(0).toInt();
        }
        return counts;
    }

    UnitState units;
};

TEST_F(CaseBrowserTest, CasesWithoutSessionComeFirstThenEachSessionByDate)
{
    const int weeklyLate = save("Weekly", 30, 1);
    const int loose = save("", 50, 2);
    const int acceptance = save("O'Brien; --", 40, 3);
    const int weeklyEarly = save("Weekly", 10, 4);

    std::vector<std::pair<bool, int>> shape;
    QStringList sessions;
    for (const BrowserLine& line : ReadBrowserLines(store, units)) {
        shape.emplace_back(line.session, line.measId);
        if (line.session)
            sessions << line.text;
    }
    const std::vector<std::pair<bool, int>> expected = {{false, loose},      {true, 0}, {false, acceptance},
                                                         {true, 0},          {false, weeklyEarly},
                                                         {false, weeklyLate}};
    EXPECT_EQ(shape, expected);
    EXPECT_EQ(sessions, (QStringList{"O'Brien; --", "Weekly"}));
    // The session window lists the named sessions only.
    EXPECT_EQ(StoredSessionNames(store), sessions);
}

// Names sort as the database has always sorted text: without regard to case, in every list that
// shows them.
TEST_F(CaseBrowserTest, SessionAndMachineNamesSortWithoutRegardToCase)
{
    const char* const names[] = {"S1", "alpha", "Beta"};
    int minutes = 0;
    for (const char* name : names) {
        Case c = MakeCase(1, 10, minutes);
        c.Data.TestDate = QDateTime(QDate(2024, 5, 2), QTime(8, 0), Qt::UTC).addSecs(60 * ++minutes);
        c.Header[HdrMachine] = QString::fromLatin1(name);
        ASSERT_EQ(SaveCase(store, c, QString::fromLatin1(name), {}).outcome, SaveOutcome::Saved);
        AddMachine(store, QString::fromLatin1(name));
    }
    const QStringList sorted = {"alpha", "Beta", "S1"};
    EXPECT_EQ(StoredSessionNames(store), sorted);
    EXPECT_EQ(StoredMachines(store), sorted);
    // The machine list holds the machine every new database starts with as well.
    EXPECT_EQ(MachineNames(store), (QStringList{"alpha", "Beta", "Demo Mill", "S1"}));
    QStringList sessions;
    for (const BrowserLine& line : ReadBrowserLines(store, units)) {
        if (line.session)
            sessions << line.text;
    }
    EXPECT_EQ(sessions, sorted);

    // A stored lower-case "d" lists the feedrate, not "Static".
    Inspector(dbPath(), true).exec(R"(UPDATE "Measure" SET "Stat/Dyn" = 'd', "Feedrate" = 1250)");
    for (const BrowserLine& line : ReadBrowserLines(store, units))
        EXPECT_TRUE(line.session || line.text.contains("1250.0 mm/min")) << line.text.toStdString();
}

TEST_F(CaseBrowserTest, CaseLineShowsDateMachinePlaneFeedrateOrStaticAndTheFilesWholeName)
{
    StoredCaseSummary c;
    c.date = QDateTime(QDate(2004, 3, 7), QTime(9, 5, 3));
    c.machine = "Mill 3";
    c.plane = "xy";
    c.statDyn = "D";
    c.dynamic = true;
    c.feedrate = 1000;
    c.fileName = "D:\\data\\measure1.rtb";
    EXPECT_EQ(BrowserCaseText(c, units), "2004-03-07   Mill 3  xy  1000.0 mm/min  (measure1.rtb)");
    units.LargeFactor = 1 / 25.4;
    units.LargeFormat = "##0.00";
    units.LargeCaption = "in";
    c.statDyn = "S";
    c.dynamic = false;
    c.fileName.clear();
    EXPECT_EQ(BrowserCaseText(c, units), "2004-03-07   Mill 3  xy  Static");
    c.statDyn = "D";
    c.dynamic = true;
    EXPECT_EQ(BrowserCaseText(c, units), "2004-03-07   Mill 3  xy  39.37 in/min");
    // The stored letter in lower case is dynamic to the list too.
    c.statDyn = "d";
    c.dynamic = false;
    EXPECT_EQ(BrowserCaseText(c, units), "2004-03-07   Mill 3  xy  39.37 in/min");
    // Without its folder, whichever separator the stored name holds.
    for (const char* stored : {"37_ALPHA_RUN_xy_1000.rtb", "/x/37_ALPHA_RUN_xy_1000.rtb", "C:\\a/b\\37_ALPHA_RUN_xy_1000.rtb"}) {
        c.fileName = stored;
        EXPECT_TRUE(BrowserCaseText(c, units).endsWith("in/min  (37_ALPHA_RUN_xy_1000.rtb)")) << stored;
    }
}

TEST_F(CaseBrowserTest, RemovalTakesEveryRowOfItsCasesOrNothing)
{
    const int kept = save("Daily", 1, 1);
    const int single = save("Daily", 2, 2);
    save("Weekly", 3, 3);
    save("Weekly", 4, 4);
    const QList<int> keptRows = rowsOf("\"Meas_ID\" = ?", {kept});

    // A failure at the Measure rows, after every other table's rows went, removes nothing.
    const QList<int> before = rowsOf("1");
    QSqlQuery trigger(store.database());
    ASSERT_TRUE(trigger.exec("CREATE TEMP TRIGGER refuse BEFORE DELETE ON \"Measure\" "
                             "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    for (const RemovalResult& r : {RemoveStoredSession(store, "Weekly"), RemoveStoredCase(store, single)}) {
        EXPECT_EQ(r.outcome.location(), kRemovingCaseLocation);
        EXPECT_TRUE(r.outcome.error().description().contains("disk full"));
        EXPECT_EQ(r.removed, 0);
        EXPECT_EQ(rowsOf("1"), before);
    }
    ASSERT_TRUE(trigger.exec("DROP TRIGGER temp.refuse"));

    EXPECT_EQ(RemoveStoredCase(store, single).removed, 1);
    EXPECT_EQ(RemoveStoredSession(store, "Weekly").removed, 2);
    EXPECT_EQ(rowsOf("\"Meas_ID\" <> ?", {kept}), (QList<int>{0, 0, 0, 0}));
    EXPECT_EQ(rowsOf("\"Meas_ID\" = ?", {kept}), keptRows);

    // A read-only database refuses at once.
    store.close();
    store.open(dbPath(), {.readOnly = true, .createWhenMissing = false});
    EXPECT_FALSE(RemoveStoredSession(store, "Daily").outcome.ok());
    EXPECT_EQ(rowsOf("1")[0], 1);
}

TEST_F(CaseBrowserTest, DumpListsInTheBrowsersOrderAndRemovesCasesAndSessions)
{
    const int weekly = save("Weekly", 20, 1);
    const int loose = save("", 30, 2);
    const int daily = save("Däily 'A'", 10, 3);
    store.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SARVOTEX_HOME", appPath);
    const auto dump = [&](const QStringList& args, int* exitCode = nullptr, QString* errors = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(SARVOTEX_DUMP), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (exitCode)
            *exitCode = p.exitCode();
        if (errors)
            *errors = QString::fromUtf8(p.readAllStandardError());
        return QString::fromUtf8(p.readAllStandardOutput());
    };

    const QStringList lines = dump({"--list-db"}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3 * 6 + 1);
    EXPECT_EQ(lines[0], QString("Case(1).Id = %1").arg(loose));
    EXPECT_EQ(lines.mid(6, 6), (QStringList{QString("Case(2).Id = %1").arg(daily), "Case(2).Session = \"Däily 'A'\"",
                                            "Case(2).Machine = \"Mill 3\"", "Case(2).Plane = \"xy\"",
                                            "Case(2).Date = \"2024-05-02 08:10:00\"",
                                            "Case(2).File = \"/home/anna/data/t3.rtb\""}));
    EXPECT_EQ(lines[12], QString("Case(3).Id = %1").arg(weekly));
    EXPECT_EQ(lines[18], "Cases = 3");

    EXPECT_EQ(dump({"--remove-session", "Däily 'A'"}), "Removed = 1\n");
    EXPECT_EQ(dump({"--remove-db", QString::number(weekly)}), "Removed = 1\n");
    EXPECT_EQ(dump({"--remove-db", QString::number(weekly)}), "Removed = 0\n");
    EXPECT_TRUE(dump({"--list-db"}).endsWith("Cases = 1\n"));

    // Failures: one line on standard error and a status not 0.
    int status = 0;
    QString errors;
    dump({"--remove-db", "x"}, &status, &errors);
    EXPECT_NE(status, 0);
    EXPECT_EQ(errors.count(u'\n'), 1) << errors.toStdString();
    env.insert("SARVOTEX_HOME", appPath + "missing/");
    for (const QStringList& args : {QStringList{"--list-db"}, QStringList{"--remove-session", "Weekly"}}) {
        EXPECT_EQ(dump(args, &status, &errors), "");
        EXPECT_EQ(status, 1);
        EXPECT_EQ(errors.count(u'\n'), 1) << errors.toStdString();
    }
}

} // namespace
} // namespace sarvo::test
