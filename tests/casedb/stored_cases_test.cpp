// The summary read of many stored cases: each case's key and the results the trend follows, as
// the save stored them, and the filters by session, machine, plane and dates.
#include "casedb/case_save.h"
#include "casedb/stored_cases.h"
#include "tests/casedb/casedb_fixture.h"

#include <QProcess>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstring>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

class ListingStoredCases : public CaseDbTest {
protected:
    void SetUp() override
    {
        CaseDbTest::SetUp();
        store.open(dbPath());
    }

    int save(const Case& c, const QString& session)
    {
        const SaveResult r = SaveCase(store, c, session, {});
        EXPECT_EQ(r.outcome, SaveOutcome::Saved);
        return r.measId;
    }

    QList<int> ids(const StoredCaseFilter& filter)
    {
        QList<int> found;
        for (const StoredCaseSummary& s : ListStoredCases(store, filter))
            found << s.measId;
        return found;
    }
};

int trendIndex(const char* column)
{
    for (std::size_t i = 0; i < kTrendResultColumns.size(); ++i) {
        if (std::strcmp(kTrendResultColumns[i], column) == 0)
            return int(i);
    }
    return -1;
}

TEST_F(ListingStoredCases, EachCaseComesWithItsKeyAndTheStoredResultsTheTrendFollows)
{
    const Case dynamic = MakeCase(1, 10, 0);
    Case uncalibrated = MakeCase(1, 10, 1);
    uncalibrated.Data.Calibrated = false;
    uncalibrated.Header[HdrStatDyn] = "S";
    uncalibrated.Header[HdrFilename].clear();
    const int first = save(dynamic, "Weekly");
    const int second = save(uncalibrated, "");

    const std::vector<StoredCaseSummary> cases = ListStoredCases(store, {});
    ASSERT_EQ(cases.size(), 2u);
    const StoredCaseSummary& s = cases[0];
    EXPECT_EQ(s.measId, first);
    EXPECT_EQ(s.session, "Weekly");
    EXPECT_EQ(s.machine, "Mill 3");
    EXPECT_EQ(s.plane, "xy");
    EXPECT_EQ(s.date, QDateTime(QDate(2004, 3, 7), QTime(9, 5, 3), Qt::UTC));
    EXPECT_EQ(s.fileName, "/home/anna/data/t0.rtb");
    EXPECT_EQ(s.feedrate, 1000.0);
    EXPECT_TRUE(s.dynamic);
    EXPECT_TRUE(s.withResults);
    // Every parameter the trend follows, as the case held it; the others by their meaning.
    const ErrorParams& e = dynamic.Results.ErrorValues;
    int parameters = 0;
    for (const ErrorParamField& field : kErrorParamFields) {
        const int at = trendIndex(field.name);
        if (at < 0)
            continue;
        ++parameters;
        EXPECT_EQ(s.results[std::size_t(at)], ErrorParamValue(e, field)) << field.name;
    }
    EXPECT_EQ(parameters, 23);
    EXPECT_EQ(s.results[6], dynamic.Results.LscResult.Circularity);
    EXPECT_EQ(s.results[7], dynamic.Results.MzcResult.Circularity);
    EXPECT_EQ(s.results[16], e.ScaleH - e.ScaleV);
    EXPECT_EQ(s.results[26], double(999.3f));

    const StoredCaseSummary& u = cases[1];
    EXPECT_EQ(u.measId, second);
    EXPECT_EQ(u.session, "");
    EXPECT_EQ(u.fileName, "");
    EXPECT_FALSE(u.dynamic);
    // The axis scales of an uncalibrated case are not stored.
    EXPECT_FALSE(u.results[std::size_t(trendIndex("ScaleH"))].has_value());
    EXPECT_FALSE(u.results[std::size_t(trendIndex("ScaleV"))].has_value());
    EXPECT_TRUE(u.results[std::size_t(trendIndex("Squareness"))].has_value());
}

TEST_F(ListingStoredCases, FiltersTakeSessionMachinePlaneAndADateRangeInDateOrder)
{
    // Saved out of date order: day, session, machine, plane.
    struct Stored {
        int day;
        QString session, machine, plane;
    };
    const Stored stored[] = {
        {5, "A", "Mill 3", "xy"}, {1, "A", "Mill 3", "yz"}, {3, "B", "O'Brien's mill", "xy"},
        {2, "", "Mill 3", "xy"},  {4, "B", "Mill 3", "xy"},
    };
    QList<int> byDay(6);
    int variant = 0;
    for (const Stored& s : stored) {
        Case c = MakeCase(1, 10, variant++);
        c.Header[HdrMachine] = s.machine;
        c.Header[HdrPlane] = s.plane;
        c.Data.TestDate = QDateTime(QDate(2021, 6, s.day), QTime(12, 0, 0), Qt::UTC);
        byDay[s.day] = save(c, s.session);
    }
    EXPECT_EQ(ids({}), (QList<int>{byDay[1], byDay[2], byDay[3], byDay[4], byDay[5]}));
    StoredCaseFilter session;
    session.session = "A";
    EXPECT_EQ(ids(session), (QList<int>{byDay[1], byDay[5]}));
    session.session = "";
    EXPECT_EQ(ids(session), (QList<int>{byDay[2]}));
    StoredCaseFilter machine;
    machine.machine = "O'Brien's mill";
    EXPECT_EQ(ids(machine), (QList<int>{byDay[3]}));
    machine.machine = "Mill 3";
    machine.plane = "xy";
    EXPECT_EQ(ids(machine), (QList<int>{byDay[2], byDay[4], byDay[5]}));
    // From the first day on, before the last one.
    StoredCaseFilter range;
    range.from = QDateTime(QDate(2021, 6, 2), QTime(12, 0, 0), Qt::UTC);
    range.until = QDateTime(QDate(2021, 6, 4), QTime(12, 0, 0), Qt::UTC);
    EXPECT_EQ(ids(range), (QList<int>{byDay[2], byDay[3]}));
    range.plane = "yz";
    EXPECT_TRUE(ids(range).isEmpty());
}

TEST_F(ListingStoredCases, AClosedStoreIsAnError)
{
    store.close();
    EXPECT_THROW(ListStoredCases(store, {}), AppError);
}

// The tool's listing prints a stored text whole, a NUL in it too.
TEST_F(ListingStoredCases, TheToolListsATextWithANulWhole)
{
    Case c = MakeCase(1, 10, 0);
    c.Header[HdrMachine] = QStringLiteral("Mill") + QChar::Null + QStringLiteral(" 3");
    save(c, "Weekly");
    ASSERT_EQ(ListStoredCases(store, {}).front().machine, c.Header[HdrMachine]);
    store.close();
    QProcess list;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SARVOTEX_HOME", appPath);
    list.setProcessEnvironment(env);
    list.start(QStringLiteral(SARVOTEX_DUMP), {"--list-db"});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_EQ(list.exitCode(), 0);
    const QString out = QString::fromUtf8(list.readAllStandardOutput());
    EXPECT_TRUE(out.contains("Case(1).Machine = \"Mill\\0 3\"\nCase(1).Plane = ")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("Cases = 1\n")) << out.toStdString();
}

} // namespace
} // namespace sarvo::test
