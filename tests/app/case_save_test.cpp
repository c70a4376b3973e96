// The program's save of the open case: under its session into the program's database, the
// overwrite question to the user, the recent entry, and a saved case loading back.
#include "app/app_context.h"
#include "app/case_load_command.h"
#include "app/case_save_command.h"
#include "app/program_db.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace sarvo;
using sarvo::test::AppTest;

namespace {

class ProgramCaseSave : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        Case& c = app().OpenCase;
        test::FillTwoWayCircle(c, false);
        c.Header[HdrMachine] = "Mill 3";
        c.Header[HdrFilename] = "/data/o'brien.rtb";
        c.Header[HdrStatDyn] = "S";
        c.Data.MaxTargets = 360;
        c.Data.TestDate = QDateTime(QDate(2024, 3, 14), QTime(10, 42, 0));
    }
    void TearDown() override
    {
        closeDB();
        AppTest::TearDown();
    }
    int storedCases() const
    {
        QSqlQuery q(mainCaseStore()->database());
        q.exec("SELECT COUNT(*) FROM \"Measure\"");
        q.next();
        return q.value(0).toInt();
    }
};

} // namespace

TEST_F(ProgramCaseSave, TheCaseIsSavedUnderItsSessionAsksBeforeOverwritingAndLoadsBack)
{
    const casedb::SaveResult first = SaveCaseToDb("Acceptance; 'A'");
    ASSERT_EQ(first.outcome, casedb::SaveOutcome::Saved) << (prompts.messages.empty() ? "" : prompts.messages.front().text.toStdString());
    EXPECT_GT(first.measId, 0);
    EXPECT_EQ(app().OpenCase.Header[HdrName], "Acceptance; 'A'");
    EXPECT_EQ(app().Settings.RecentID[0], first.measId);
    EXPECT_TRUE(app().Settings.RecentFile[0].startsWith("Acceptance; 'A' xy")) << app().Settings.RecentFile[0].toStdString();
    EXPECT_EQ(storedCases(), 1);

    // The same case again: the user is asked; No keeps the stored one, Yes overwrites in place.
    prompts.yesNoAnswers = {false};
    const casedb::SaveResult declined = SaveCaseToDb("Acceptance; 'A'");
    EXPECT_EQ(declined.outcome, casedb::SaveOutcome::Declined);
    EXPECT_EQ(declined.measId, first.measId); // the case kept, for loading it back
    ASSERT_EQ(prompts.questions.size(), 1);
    prompts.yesNoAnswers = {true};
    const casedb::SaveResult again = SaveCaseToDb("Acceptance; 'A'");
    EXPECT_EQ(again.outcome, casedb::SaveOutcome::Overwritten);
    EXPECT_EQ(again.measId, first.measId);
    EXPECT_EQ(storedCases(), 1);

    const double reading = app().OpenCase.Data.Readings(2, 100);
    app().OpenCase = Case{};
    ASSERT_TRUE(LoadProgramCase(first.measId));
    EXPECT_EQ(app().OpenCase.Header[HdrMachine], "Mill 3");
    EXPECT_EQ(app().OpenCase.Header[HdrFilename], "/data/o'brien.rtb");
    EXPECT_EQ(app().OpenCase.Data.RunCount, 2);
    EXPECT_FLOAT_EQ(float(app().OpenCase.Data.Readings(2, 100)), float(reading)); // stored in single precision
}

TEST_F(ProgramCaseSave, WithoutADatabaseTheSaveFailsWithAMessage)
{
    closeDB();
    EXPECT_EQ(SaveCaseToDb("S").outcome, casedb::SaveOutcome::Failed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Saving"));
}

TEST_F(ProgramCaseSave, AFailedSaveIsReportedOnceUnderSaving)
{
    QSqlQuery inject(mainCaseStore()->database());
    ASSERT_TRUE(inject.exec("CREATE TRIGGER \"injected\" BEFORE INSERT ON \"Measure\""
                            " BEGIN SELECT RAISE(ABORT, 'injected failure'); END"));
    EXPECT_EQ(SaveCaseToDb("S").outcome, casedb::SaveOutcome::Failed);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Saving"));
    EXPECT_TRUE(prompts.messages[0].text.contains("injected failure"));
    EXPECT_EQ(storedCases(), 0);
}
