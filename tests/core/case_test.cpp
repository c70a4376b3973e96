// The open case: checked indexes, what a new source leaves behind, and the model traces' table.
#include "core/app_error.h"
#include "core/case.h"
#include "core/results.h"

#include <gtest/gtest.h>

using namespace sarvo;

TEST(CaseHeader, IndexesAreChecked)
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

// Every field of the case empties; the next measurement of a window keeps only the information
// typed for it and the calibration of its bar.
TEST(Case, ClearingEmptiesEveryFieldAndTheNextMeasurementKeepsItsInformation)
{
    Case c;
    for (int slot = 0; slot < kHeaderSlots; ++slot)
        c.Header[slot] = QStringLiteral("slot %1").arg(slot);
    c.Data.RunCount = 2;
    c.Data.RunTargets[1] = 8;
    c.Data.Readings(1, 3) = 0.1;
    c.Data.ReadingsAsRead = std::make_shared<const ReadingsTable>(c.Data.Readings);
    c.Data.RunFeedrate[1] = 3955;
    c.Data.MeasuredFeedrateAverage = 3955;
    c.Data.TestDate = QDateTime(QDate(2026, 3, 4), QTime(9, 30), Qt::UTC);
    c.Data.BallBarLength = 150;
    c.Data.ZeroOffset = 0.4;
    c.Data.Calibrated = true;
    c.Data.ScaleFactor = 1.0002;
    c.Results.ResultsValid = true;
    c.Results.LscResult.Circularity = 12.5;

    Case next = c;
    ClearCaseForNextMeasurement(next);
    Case expected;
    for (const int slot : {HdrCustomer, HdrMachine, HdrName, HdrBy, HdrDate, HdrLength})
        expected.Header[slot] = c.Header[slot];
    expected.Data.TestDate = c.Data.TestDate;
    expected.Data.BallBarLength = 150;
    expected.Data.ZeroOffset = 0.4;
    expected.Data.Calibrated = true;
    EXPECT_EQ(next.Header, expected.Header);
    EXPECT_TRUE(next.Data.Readings == expected.Data.Readings);
    EXPECT_EQ(std::tuple(next.Data.RunCount, next.Data.RunFeedrate, next.Data.MeasuredFeedrateAverage, next.Data.ScaleFactor),
              std::tuple(expected.Data.RunCount, expected.Data.RunFeedrate, 0.0f, 1.0));
    EXPECT_EQ(std::tuple(next.Data.TestDate, next.Data.BallBarLength, next.Data.ZeroOffset, next.Data.Calibrated),
              std::tuple(expected.Data.TestDate, 150.0f, 0.4, true));
    EXPECT_EQ(next.Data.ReadingsAsRead, nullptr);
    EXPECT_EQ(std::tuple(next.Results.ResultsValid, next.Results.LscResult.Circularity), std::tuple(false, 0.0));

    ClearCase(c);
    EXPECT_EQ(c.Header, CaseHeader{});
    EXPECT_EQ(std::tuple(c.Data.BallBarLength, c.Data.ZeroOffset, c.Data.Calibrated, c.Data.TestDate.isValid()),
              std::tuple(0.0f, 0.0, false, false));
    EXPECT_EQ(c.Data.ReadingsAsRead, nullptr);
}

// The computation library reads and writes the traces from degree 0 as (trace 0, trace 1) pairs.
TEST(AnalysisCurveTable, PairsPerDegreeAndCheckedBounds)
{
    AnalysisResults r;
    r.AnalysisCurve(0, -360) = 1.0f;
    r.AnalysisCurve(1, 0) = 2.0f;
    r.AnalysisCurve(0, 1) = 3.0f;
    r.AnalysisCurve(1, 720) = 4.0f;
    const float* zero = r.AnalysisCurve.degreeZero();
    EXPECT_EQ(zero[1], 2.0f);        // trace 1 at degree 0
    EXPECT_EQ(zero[2], 3.0f);        // trace 0 at degree 1
    EXPECT_EQ(zero[-720], 1.0f);     // trace 0 at degree -360
    EXPECT_EQ(zero[2 * 720 + 1], 4.0f);
    EXPECT_THROW(r.AnalysisCurve(0, 721), AppError);
    EXPECT_THROW(r.AnalysisCurve(2, 0), AppError);
    EXPECT_THROW(r.AnalysisCurve(0, -361), AppError);
}
