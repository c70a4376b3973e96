// The set-up of a capture run and the bookkeeping after it, on an open case without the window.

#include "gauge/run_setup.h"

#include "core/dates.h"

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

using enum DirectionChoice;

class RunSetup : public ::testing::Test {
protected:
    RunSetup()
    {
        settings.DefaultTestRadius = 150;
        settings.GaugeExpCoeff = 0.8;
        settings.MachineExpCoeff = 11.5;
        settings.BallBarType = 3;
        units.LargeFactor = 1;
        fields = {.startPos = "0", .endPos = "360", .overshoot = "180", .feedrate = "1000",
                  .samplingRate = SamplingRateItem{1000, 2500000}, .centre = {"12,5", "-3", "0"}};
    }

    std::optional<QString> prepare() { return PrepareRun(openCase, fields, settings, units, now); }

    // Stores a run as a capture would, every point at value.
    void addRun(int16_t targets, double value = 0.01)
    {
        CaseData& d = openCase.Data;
        d.RunTargets[static_cast<std::size_t>(++d.RunCount)] = targets;
        d.MaxTargets = std::max(d.MaxTargets, targets);
        std::fill_n(d.Readings.row(d.RunCount), targets, value);
    }

    Case openCase;
    Settings settings;
    UnitState units;
    RunFields fields;
    QDateTime now = QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7), Qt::UTC);
};

TEST_F(RunSetup, StaticArcsAndDynamicRates)
{
    struct Arc { int startIndex, endIndex, startBefore, start, stop, sweep, points; };
    const Arc arcs[] = {{0, 0, 0, 0, 360, 360, 16}, {2, 0, 0, 90, 360, 270, 14}, {1, 3, 0, 180, 270, 90, 6},
                        {-1, 3, 90, 90, 270, 180, 10}}; // an index outside the list keeps the angle
    fields.dynamic = false;
    for (const Arc& arc : arcs) {
        openCase.Data.StartAngle = static_cast<int16_t>(arc.startBefore);
        fields.startAxisIndex = arc.startIndex;
        fields.endAxisIndex = arc.endIndex;
        ASSERT_FALSE(prepare());
        const CaseData& d = openCase.Data;
        EXPECT_EQ(std::tuple(d.StartAngle, d.StopAngle, d.SweepAngle, d.PointsPerRun, d.AngleStep, d.SamplingInterval),
                  std::tuple(arc.start, arc.stop, arc.sweep, arc.points, 45.0, 100));
        EXPECT_EQ(openCase.Header[HdrStatDyn] + openCase.Header[HdrSampling], "S");
        EXPECT_EQ(std::tuple(openCase.Results.AnalysisStep, d.OvershootAngle, d.Dynamic), std::tuple(45, 0.0f, false));
    }

    // The chosen rate goes to the capture; the header holds the rate of runs held, none yet.
    struct Rate { int points, rateCode; double hz; int interval; };
    const Rate rates[] = {{1000, 2500000, 250.0, 4}, {69, 4883, 0.4883, 2048}};
    fields.dynamic = true;
    for (const Rate& rate : rates) {
        fields.samplingRate = SamplingRateItem{rate.points, rate.rateCode};
        ASSERT_FALSE(prepare());
        const CaseData& d = openCase.Data;
        EXPECT_EQ(std::tuple(openCase.Header[HdrSampling] + openCase.Header[HdrStatDyn], d.SetupSamplingRate,
                             d.SamplingInterval, d.PointsPerRun, d.AngleStep, d.SweepAngle, d.OvershootAngle,
                             openCase.Results.AnalysisStep),
                  std::tuple(QString("D"), rate.hz, rate.interval, rate.points, 360.0 / rate.points, 360, 180.0f, 1));
    }
}

TEST_F(RunSetup, HeaderSlotsInMillimetresAndEquipmentByGauge)
{
    openCase.Header[HdrFilename] = openCase.Header[HdrComment] = QStringLiteral("old");
    fields.plane = TestPlane::YZ;
    ASSERT_FALSE(prepare());
    const CaseHeader& h = openCase.Header;
    EXPECT_EQ(std::tuple(h[HdrDate], openCase.Data.TestDate, openCase.Data.TestRadius),
              std::tuple(GeneralDateText(now), now, 150.0));
    EXPECT_EQ((QStringList{h[HdrFilename], h[HdrComment], h[HdrPlane], h[HdrFeedrate], h[HdrOrigX], h[HdrOrigY],
                           h[HdrOrigZ], h[HdrGaugeExp], h[HdrMachineExp]}),
              (QStringList{"", "", "yz", "1000", "12.5", "-3.0", "0.0", "0.80", "11.50"}));

    // The serial the gauge reported, which the settings keep.
    settings.SerialNumber = QStringLiteral("BV-9");
    const std::pair<int16_t, QStringList> gauges[] = {
        {0, {"Renishaw", "QC10", "BV-9"}}, {2, {"Heidenhain", "IK121", "BV-9"}}, {3, {"Dorvell", "Brintovale", "BV-9"}},
        {9, {"Dorvell", "Brintovale", "kept"}}}; // an unknown gauge leaves the slots
    for (const auto& [type, equipment] : gauges) {
        settings.BallBarType = type;
        openCase.Header[HdrEquipmentSerial] = QStringLiteral("kept");
        ASSERT_FALSE(prepare());
        EXPECT_EQ((QStringList{h[HdrEquipmentManufacturer], h[HdrEquipmentModel], h[HdrEquipmentSerial]}), equipment);
    }

    units.LargeFactor = 1 / 25.4; // typed in inches, held in mm
    fields.feedrate = QStringLiteral("15");
    fields.centre[0] = QStringLiteral("1");
    ASSERT_FALSE(prepare());
    EXPECT_EQ(h[HdrFeedrate] + " " + h[HdrOrigX], "381 25.4");
}

TEST_F(RunSetup, DirectionsCountersAndRefusals)
{
    struct Direction { DirectionChoice choice; int runCount; int16_t direction; RunCounter counter; };
    const Direction directions[] = {{Cw, 3, -1, RunCounter::Cw},    {Ccw, 0, 1, RunCounter::Ccw},
                                    {Both, 0, -1, RunCounter::Ccw}, {Both, 1, 1, RunCounter::Cw}};
    for (const Direction& row : directions) {
        EXPECT_EQ(DirectionOfNextRun(row.choice, row.runCount), row.direction);
        EXPECT_EQ(CounterToGrow(row.choice, row.runCount), row.counter);
    }

    struct Refusal { bool dynamic; DirectionChoice choice; int runs; std::optional<SamplingRateItem> rate; bool refused; };
    const SamplingRateItem rate{400, 1250000};
    const Refusal refusals[] = {
        {true, Cw, 0, std::nullopt, true}, {true, Cw, 0, SamplingRateItem{400, 0}, true}, {false, Cw, 0, std::nullopt, false},
        {true, Cw, 4, rate, false}, {true, Cw, 5, rate, true}, {false, Cw, 3, rate, false}, {false, Both, 4, rate, true},
        {true, Both, 3, rate, false}, {true, Both, 4, rate, true}}; // a pair needs room for its partner
    for (const Refusal& row : refusals) {
        openCase = Case{};
        for (int run = 0; run < row.runs; ++run)
            addRun(10);
        fields = {.dynamic = row.dynamic, .samplingRate = row.rate, .direction = row.choice};
        const CaseHeader before = openCase.Header;
        const std::optional<QString> refusal = prepare();
        EXPECT_EQ(refusal.has_value(), row.refused) << row.runs;
        EXPECT_EQ(openCase.Header == before, row.refused);
        EXPECT_EQ(openCase.Data.RunDirection[static_cast<std::size_t>(row.runs + 1)],
                  row.refused ? 0 : DirectionOfNextRun(row.choice, row.runs));
    }
}

TEST_F(RunSetup, AfterRunDecisions)
{
    using enum AfterRunStep;
    struct Row { bool dynamic; DirectionChoice choice; bool added; int runCount; AfterRunStep step; };
    const Row rows[] = {{true, Both, true, 1, CapturePartner}, {true, Both, true, 2, Finish},
                        {true, Both, false, 1, DropThisClick}, {true, Both, false, 0, Finish},
                        {true, Cw, true, 1, AskChangeDirection}, {true, Ccw, false, 2, AskChangeDirection},
                        {true, Cw, true, 5, Finish}, {false, Both, true, 2, Finish}, {false, Cw, true, 4, Finish}};
    for (const Row& row : rows)
        EXPECT_EQ(NextStepAfterRun(row.dynamic, row.choice, row.added, row.runCount), row.step) << row.runCount;
}

// What a capture adds or drops makes the results out of date; a static case has no measured
// feedrate, whatever its per-run values hold; the case is measured with the gauge's scale factor.
TEST_F(RunSetup, RunsChangedMakeResultsStaleAndAStaticCaseHasNoFeedrate)
{
    settings.ScaleFactor = 1.0002;
    ASSERT_FALSE(prepare());
    EXPECT_EQ(openCase.Data.ScaleFactor, 1.0002);
    addRun(10);
    addRun(10);
    std::tie(openCase.Data.RunFeedrate[1], openCase.Data.RunFeedrate[2]) = std::tuple(900.0f, 1100.0f);
    for (const auto& [dynamic, mean] : {std::pair{true, 1000.0f}, std::pair{false, 0.0f}}) {
        openCase.Data.Dynamic = dynamic;
        EXPECT_EQ(MeanMeasuredFeedrate(openCase.Data), mean);
    }

    openCase.Results.ResultsValid = true;
    openCase.Data.Dynamic = true;
    RecordRunsAdded(openCase, 2, 20, 20); // nothing added
    EXPECT_TRUE(openCase.Results.ResultsValid);
    // The step and rate of its runs, not of the run set up: 10 points over 942.5 mm at 1000 mm/min.
    EXPECT_EQ(std::tuple(openCase.Data.AngleStep, openCase.Header[HdrSampling]), std::tuple(36.0, QString("0.1768")));
    // The next run set up at 250 Hz: runs kept before it is stored carry their own rate.
    ASSERT_FALSE(prepare());
    EXPECT_EQ(std::tuple(openCase.Data.SetupSamplingRate, openCase.Header[HdrSampling]), std::tuple(250.0, QString("0.1768")));
    openCase.Results.MeasurementValid = true;
    RecordRunsAdded(openCase, 0, 20, 20);
    EXPECT_FALSE(openCase.Results.MeasurementValid);
    EXPECT_FALSE(openCase.Results.ResultsValid);
    openCase.Results.ResultsValid = true;
    DropRunsSince(openCase, 1);
    EXPECT_FALSE(openCase.Results.ResultsValid);
}

} // namespace
} // namespace sarvo::gauge
