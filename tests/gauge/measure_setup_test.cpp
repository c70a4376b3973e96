// The measurement set-up without the window: the sampling-rate list, the field checks, the
// compensation, the calibration state of the bar length and the last origin of a plane.

#include "gauge/measure_setup.h"

#include "casedb/case_store.h"
#include "gauge/device.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

std::vector<int> Points(const SamplingRates& rates)
{
    std::vector<int> points;
    for (const SamplingRateItem& item : rates.items)
        points.push_back(item.points);
    return points;
}

SamplingRequest Circle(double feedrate, bool ownGauge = false)
{
    SamplingRequest request;
    request.feedrateMmPerMin = feedrate;
    request.radiusMm = 150;
    request.ownGauge = ownGauge;
    return request;
}

TEST(SamplingRates, ListStopsBelowHalfAHertzOrFiftyPointsAndLeavesOutLongRuns)
{
    const SamplingRates qc10 = BuildSamplingRates(Circle(400));
    EXPECT_EQ(Points(qc10), (std::vector<int>{2209, 1104, 552, 276, 138, 69}));
    EXPECT_EQ(qc10.items.front().rateCode, 156250);
    EXPECT_EQ(qc10.items.back().rateCode, 4883);
    EXPECT_EQ(qc10.selected, 2); // the smallest count of at least the 400 selected before

    const SamplingRates fast = BuildSamplingRates(Circle(2000));
    EXPECT_EQ(Points(fast), (std::vector<int>{3534, 1767, 884, 442, 221, 110, 55, 28}));
    EXPECT_EQ(fast.items.front().rateCode, 1250000);

    const SamplingRates own = BuildSamplingRates(Circle(400, true));
    EXPECT_EQ(Points(own), (std::vector<int>{3181, 1590, 795, 398, 199, 99, 50}));
    EXPECT_EQ(own.items.front().rateCode, 225000);
    EXPECT_EQ(own.items.back().rateCode, 3516);

    SamplingRequest fewer = Circle(400);
    fewer.previousPoints = 5000; // no count that large: the first item
    EXPECT_EQ(BuildSamplingRates(fewer).selected, 0);
}

TEST(SamplingRates, MissingArcFeedrateAndIndexGetDefaults)
{
    SamplingRequest noArc = Circle(400);
    noArc.startDeg = noArc.endDeg = 90;
    const SamplingRates rates = BuildSamplingRates(noArc);
    EXPECT_EQ(rates.startDeg, 0);
    EXPECT_EQ(rates.endDeg, 360);
    EXPECT_EQ(rates.items.front().points, 2209);

    EXPECT_EQ(BuildSamplingRates(Circle(0)).feedrateMmPerMin, 400);
    SamplingRequest inch = Circle(-3);
    inch.unitsInch = true;
    EXPECT_NEAR(BuildSamplingRates(inch).feedrateMmPerMin, 381, 1e-9);

    EXPECT_EQ(ClampedRateIndex(7, 6), 5);
    EXPECT_EQ(ClampedRateIndex(-2, 6), 0);
    EXPECT_EQ(ClampedRateIndex(1, 0), -1);
}

TEST(SamplingRates, TooLongARunRaisesTheFeedrateOnceEvenWhenTheShownValueRoundsDown)
{
    SamplingRequest slow;
    slow.feedrateMmPerMin = 1;
    slow.endDeg = 720;
    slow.radiusMm = 300;
    const SamplingRates raised = BuildSamplingRates(slow);
    EXPECT_EQ(raised.feedrateMmPerMin, 29);
    ASSERT_FALSE(raised.items.empty());
    EXPECT_LT(raised.items.front().points, kMaxPointsPerRun);

    // A feedrate just below the need, as an inch text rounded to hundredths reads back
    // (1.11 in/min < 28.27 mm/min): one raise to the same 29 mm/min, no further one.
    slow.feedrateMmPerMin = 1.11 * 25.4;
    slow.unitsInch = true;
    const SamplingRates again = BuildSamplingRates(slow);
    EXPECT_EQ(again.feedrateMmPerMin, 29);
    EXPECT_EQ(Points(again), Points(raised));
}

TEST(MeasureFields, AnglesStayApartAndInRangeOvershootNeverNegative)
{
    EXPECT_EQ(CheckedEndAngle(QStringLiteral("400"), QStringLiteral("350")), 440);
    EXPECT_EQ(CheckedEndAngle(QStringLiteral("600"), QStringLiteral("0")), 540);
    EXPECT_EQ(CheckedStartAngle(QStringLiteral("500"), QStringLiteral("540")), 450);
    EXPECT_EQ(CheckedStartAngle(QStringLiteral("-300"), QStringLiteral("0 deg")), -180);
    EXPECT_EQ(CheckedFeedrate(QStringLiteral("abc"), 1, false), 400);
    EXPECT_NEAR(CheckedFeedrate(QStringLiteral("20"), 1 / 25.4, true), 508, 1e-9);
    EXPECT_EQ(CheckedOvershootWhileTyping(QStringLiteral("-5")), QStringLiteral("0"));
    EXPECT_EQ(CheckedOvershootWhileTyping(QStringLiteral("15")), QStringLiteral("15"));
}

TEST(MeasureReading, CompensationAndBarLengthCalibrationState)
{
    EXPECT_NEAR(CompensatedLength(150, 21, 20, 20, 11.5, 11.5), 150.001725, 1e-9);

    Settings settings;
    settings.ScaleFactor = 1;
    settings.BallBarLength = 150;
    settings.BaseTemperature = 20;
    settings.GaugeExpCoeff = 0;
    settings.MachineExpCoeff = 11.5;
    // Machine at the base temperature and no gauge expansion: the reading is the length itself.
    EXPECT_NEAR(LiveLengthMm(0.25, 0.0123, 35, 20, settings), 150.2377, 1e-9);

    settings.Calibration.CalibratorCount = 2;
    settings.Calibration.NominalLength = {100, 150};
    settings.Calibration.LengthOffset = {0, 0.0123};
    settings.Calibration.LengthCalibrated = {0, -1};
    const BarLengthCalibration calibrated = LookUpBarLength(settings);
    EXPECT_EQ(calibrated.panel, CalibrationPanel::Calibrated);
    EXPECT_EQ(calibrated.zeroOffsetMm, 0.0123);

    settings.Calibration.LengthCalibrated = {-1, 0};
    settings.BallBarType = static_cast<int16_t>(GaugeType::Ik121);
    const BarLengthCalibration referenced = LookUpBarLength(settings);
    EXPECT_EQ(referenced.panel, CalibrationPanel::Referenced);
    EXPECT_TRUE(referenced.calibrated);
    EXPECT_EQ(referenced.zeroOffsetMm, 0);
    settings.BallBarType = static_cast<int16_t>(GaugeType::Qc10);
    EXPECT_EQ(LookUpBarLength(settings).panel, CalibrationPanel::NonCalibrated);
    EXPECT_FALSE(LookUpBarLength(settings).calibrated);
}

class LastOriginTest : public test::CoreTest {};

TEST_F(LastOriginTest, LatestOfPlaneAndMachineWithQuotesInTheName)
{
    casedb::CaseStore store(QStringLiteral("last-origin"));
    store.open(path(QStringLiteral("cases.db")));
    const QString machine = QStringLiteral("Mill 'A'");
    const auto add = [&](const char* plane, const char* date, double x) {
        casedb::CaseStore::WriteTransaction transaction(store);
        store.run(QStringLiteral(R"(INSERT INTO "Measure" ("Machine", "Plane", "Date", "OrigX", "OrigY", "OrigZ"))"
                                 R"( VALUES (?, ?, ?, ?, 2, 3))"),
                  {machine, QString::fromLatin1(plane), QString::fromLatin1(date), x});
        transaction.commit();
    };
    add("xz", "2026-03-01 10:00:00", 7);
    add("xz", "2026-05-01 10:00:00", 9);
    add("xz", "2026-04-01 10:00:00", 8);
    add("xy", "2026-06-01 10:00:00", 1);

    const auto origin = LastMeasurementOrigin(store, TestPlane::XZ, machine);
    ASSERT_TRUE(origin.has_value());
    EXPECT_EQ(*origin, (std::array<double, 3>{9, 2, 3}));
    EXPECT_FALSE(LastMeasurementOrigin(store, TestPlane::YZ, machine).has_value());
    EXPECT_FALSE(LastMeasurementOrigin(store, TestPlane::XZ, QStringLiteral("Mill")).has_value());
    store.close();
    EXPECT_FALSE(LastMeasurementOrigin(store, TestPlane::XZ, machine).has_value());
}

} // namespace
} // namespace sarvo::gauge
