// The open case: checked indexes and what a new source leaves behind.
#include "app/app_context.h"
#include "app/case.h"

#include <gtest/gtest.h>

using namespace sarvo;

TEST(CaseHeader, SlotsOutsideZeroToThirtyAreRefused)
{
    CaseHeader h;
    h[30] = "last";
    EXPECT_EQ(h[30], "last");
    EXPECT_THROW(h[31], AppError);
    EXPECT_THROW(h[-1], AppError);
}

TEST(Readings, IndexesAreCheckedAndRowsContiguous)
{
    Case c;
    c.Data.Readings(7, 8000) = 0.5;
    EXPECT_EQ(c.Data.Readings(7, 8000), 0.5);
    EXPECT_EQ(c.Data.Readings.row(7)[8000], 0.5);
    EXPECT_EQ(&c.Data.Readings(2, 3), c.Data.Readings.row(2) + 3);
    try {
        c.Data.Readings(8, 0) = 1;
        FAIL() << "run 8 must be out of range";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kSubscriptOutOfRange);
    }
    EXPECT_THROW(c.Data.Readings(1, 8001), AppError);
    EXPECT_THROW(c.Data.Readings(1, -1), AppError);
}

TEST(Case, ClearRunsEmptiesReadingsAndCountsOnly)
{
    Case c;
    c.Header[HdrMachine] = "Mill 1";
    c.Data.RunCount = 3;
    c.Data.MaxTargets = 100;
    c.Data.RunTargets[2] = 100;
    c.Data.Readings(2, 50) = 0.01;
    c.Data.TestRadius = 150;
    c.Data.clearRuns();
    EXPECT_EQ(c.Data.RunCount, 0);
    EXPECT_EQ(c.Data.MaxTargets, 0);
    EXPECT_EQ(c.Data.RunTargets[2], 0);
    EXPECT_EQ(c.Data.Readings(2, 50), 0.0);
    EXPECT_EQ(c.Data.TestRadius, 150);
    EXPECT_EQ(c.Header[HdrMachine], "Mill 1");
}

TEST(AppContext, StartsZeroedAndResets)
{
    app().OpenCase.Data.RunCount = 4;
    app().State.BatchRunning = true;
    ResetAppContext();
    EXPECT_EQ(app().OpenCase.Data.RunCount, 0);
    EXPECT_FALSE(app().State.BatchRunning);
    EXPECT_FALSE(app().OpenCase.Results.ResultsValid);
    EXPECT_TRUE(app().OpenCase.Header[HdrFilename].isEmpty());
}
