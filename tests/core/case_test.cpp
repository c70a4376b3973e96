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

TEST(PointArc, StaticRunsHoldAPositionEvery45DegreesDynamicRunsSpreadOverTheArc)
{
    // A partial arc ends on a position of its own; a full circle ends where it began.
    for (const auto& [sweep, points] : {std::pair{90, 3}, {180, 5}, {270, 7}, {360, 8}, {720, 16}, {100, 3}, {400, 9},
                                        {0, 0}, {-90, 0}})
        EXPECT_EQ(StaticRunPoints(sweep), points) << sweep;
    const std::tuple<PointArc, int, int, double> angles[] = {
        {{0, 180, false}, 5, 4, 180}, {{90, 270, false}, 7, 6, 360},    {{-90, 180, false}, 5, 1, -45},
        {{0, 360, false}, 8, 7, 315}, {{90, 360, true}, 240, 100, 240}, {{0, 180, true}, 90, 1, 2},
        {{0, 180, true}, 5, 4, 144},
    };
    for (const auto& [arc, n, j, degrees] : angles)
        EXPECT_DOUBLE_EQ(PointAngleDeg(arc, n, j), degrees) << arc.startAngle << "+" << arc.sweepAngle;
    // A full static circle lies where an even spread would put it: its files read as before.
    for (int j = 0; j < 8; ++j)
        EXPECT_DOUBLE_EQ(PointAngleDeg({30, 360, false}, 8, j), PointAngleDeg({30, 360, true}, 8, j));
}

// The next measurement of a window keeps only the information typed for it and the calibration of
// its bar.
TEST(Case, TheNextMeasurementKeepsOnlyItsInformation)
{
    Case c;
    for (int slot = 0; slot < kHeaderSlots; ++slot)
        c.Header[slot] = QStringLiteral("slot %1").arg(slot);
    CaseData& d = c.Data;
    d.RunCount = 2;
    d.Readings(1, 3) = 0.1;
    d.ReadingsAsRead = std::make_shared<const ReadingsTable>(d.Readings);
    d.RunFeedrate[1] = d.MeasuredFeedrateAverage = 3955;
    d.TestDate = QDateTime(QDate(2026, 3, 4), QTime(9, 30), Qt::UTC);
    std::tie(d.BallBarLength, d.ZeroOffset, d.Calibrated, d.ScaleFactor) = std::tuple(150.0f, 0.4, true, 1.0002);
    c.Results.ResultsValid = true;

    Case next = c;
    ClearCaseForNextMeasurement(next);
    Case expected;
    for (const int slot : {HdrCustomer, HdrMachine, HdrName, HdrBy, HdrDate, HdrLength})
        expected.Header[slot] = c.Header[slot];
    CaseData& e = expected.Data;
    std::tie(e.TestDate, e.BallBarLength, e.ZeroOffset, e.Calibrated) = std::tuple(d.TestDate, 150.0f, 0.4, true);
    const auto fields = [](const Case& k) {
        const CaseData& x = k.Data;
        return std::tuple(k.Header, x.Readings == ReadingsTable(), x.ReadingsAsRead == nullptr, x.RunCount, x.RunFeedrate,
                          x.MeasuredFeedrateAverage, x.TestDate, x.BallBarLength, x.ZeroOffset, x.Calibrated,
                          x.ScaleFactor, k.Results.ResultsValid);
    };
    EXPECT_EQ(fields(next), fields(expected));
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
