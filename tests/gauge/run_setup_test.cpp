// The set-up of a capture run and the bookkeeping after it, on an open case without the window.

#include "gauge/run_setup.h"

#include "core/dates.h"
#include "core/ini_file.h"
#include "tests/support/core_test.h"

#include <deque>

namespace sarvo::gauge {
namespace {

class RunSetup : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.DefaultTestRadius = 150;
        settings.GaugeExpCoeff = 0.8;
        settings.MachineExpCoeff = 11.5;
        settings.BallBarType = 3;
        units.LargeFactor = 1;
        fields.startPos = QStringLiteral("0");
        fields.endPos = QStringLiteral("360");
        fields.overshoot = QStringLiteral("180");
        fields.feedrate = QStringLiteral("1000");
        fields.samplingRate = SamplingRateItem{1000, 2500000};
        fields.centre = {QStringLiteral("12,5"), QStringLiteral("-3"), QStringLiteral("0")};
    }

    std::optional<QString> prepare() { return PrepareRun(openCase, fields, settings, units, now); }

    // Stores a run as a capture would.
    void addRun(int16_t targets, double value = 0.01, float feedrate = 1000)
    {
        CaseData& d = openCase.Data;
        const auto run = static_cast<std::size_t>(++d.RunCount);
        d.RunTargets[run] = targets;
        d.RunFeedrate[run] = feedrate;
        d.MaxTargets = std::max(d.MaxTargets, targets);
        std::fill_n(d.Readings.row(d.RunCount), targets, value);
    }

    Case openCase;
    Settings settings;
    UnitState units;
    RunFields fields;
    QDateTime now = QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7), Qt::UTC);
};

TEST_F(RunSetup, StaticArcsCountEveryPositionTwice)
{
    struct Row { int startIndex, endIndex, startBefore, wantStart, wantStop, wantSweep, wantPoints; };
    const Row rows[] = {
        {0, 0, 0, 0, 360, 360, 16}, {2, 0, 0, 90, 360, 270, 14}, {0, 2, 0, 0, 90, 90, 6},
        {1, 3, 0, 180, 270, 90, 6}, {-1, 3, 90, 90, 270, 180, 10}, // outside the list: kept
    };
    fields.dynamic = false;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.startIndex * 10 + row.endIndex);
        openCase.Data.StartAngle = static_cast<int16_t>(row.startBefore);
        fields.startAxisIndex = row.startIndex;
        fields.endAxisIndex = row.endIndex;
        ASSERT_FALSE(prepare());
        const CaseData& d = openCase.Data;
        EXPECT_EQ(std::tuple(d.StartAngle, d.StopAngle, d.SweepAngle, d.PointsPerRun),
                  std::tuple(row.wantStart, row.wantStop, row.wantSweep, row.wantPoints));
        EXPECT_EQ(std::tuple(d.AngleStep, d.SamplingInterval, d.OvershootAngle, d.Dynamic), std::tuple(45.0, 100, 0.0f, false));
        EXPECT_EQ(openCase.Header[HdrStatDyn], "S");
        EXPECT_EQ(openCase.Header[HdrSampling], "");
        EXPECT_EQ(openCase.Results.AnalysisStep, 45);
    }
}

TEST_F(RunSetup, DynamicRunTakesTheSelectedRate)
{
    struct Row { int points, rateCode; const char* wantText; int wantInterval; };
    const Row rows[] = {{1000, 2500000, "250.0000", 4}, {3181, 14400000, "1440.0000", 1}, {69, 4883, "0.4883", 2048}};
    for (const Row& row : rows) {
        fields.samplingRate = SamplingRateItem{row.points, row.rateCode};
        ASSERT_FALSE(prepare());
        const CaseData& d = openCase.Data;
        EXPECT_EQ(openCase.Header[HdrSampling], row.wantText);
        EXPECT_EQ(d.SamplingInterval, row.wantInterval);
        EXPECT_EQ(d.PointsPerRun, row.points);
        EXPECT_DOUBLE_EQ(d.AngleStep, 360.0 / row.points);
        EXPECT_EQ(std::tuple(d.StartAngle, d.StopAngle, d.SweepAngle, d.OvershootAngle, d.Dynamic),
                  std::tuple(0, 360, 360, 180.0f, true));
        EXPECT_EQ(openCase.Header[HdrStatDyn], "D");
        EXPECT_EQ(openCase.Results.AnalysisStep, 1);
    }
}

TEST_F(RunSetup, HeaderSlotsInMillimetresAndEquipmentByGauge)
{
    openCase.Header[HdrFilename] = QStringLiteral("old.brv");
    openCase.Header[HdrComment] = QStringLiteral("old comment");
    openCase.Header[HdrEquipmentSerial] = QStringLiteral("A123");
    fields.plane = TestPlane::YZ;
    ASSERT_FALSE(prepare());
    const CaseHeader& h = openCase.Header;
    EXPECT_EQ(h[HdrDate], GeneralDateText(now));
    EXPECT_EQ(openCase.Data.TestDate, now);
    EXPECT_EQ(openCase.Data.TestRadius, 150);
    EXPECT_EQ(h[HdrFilename] + h[HdrComment], "");
    EXPECT_EQ(h[HdrPlane], "yz");
    EXPECT_EQ(h[HdrFeedrate], "1000");
    EXPECT_EQ((QStringList{h[HdrOrigX], h[HdrOrigY], h[HdrOrigZ]}), (QStringList{"12.5", "-3.0", "0.0"}));
    EXPECT_EQ((QStringList{h[HdrGaugeExp], h[HdrMachineExp]}), (QStringList{"0.80", "11.50"}));

    const std::pair<int16_t, QStringList> gauges[] = {
        {0, {"Renishaw", "QC10", ""}}, {1, {"Heidenhain", "IK110", ""}}, {2, {"Heidenhain", "IK121", ""}},
        {3, {"Dorvell", "Brintovale", ""}}, {9, {"Dorvell", "Brintovale", "kept"}}, // unknown: unchanged
    };
    for (const auto& [type, equipment] : gauges) {
        settings.BallBarType = type;
        openCase.Header[HdrEquipmentSerial] = QStringLiteral("kept");
        ASSERT_FALSE(prepare());
        EXPECT_EQ((QStringList{h[HdrEquipmentManufacturer], h[HdrEquipmentModel], h[HdrEquipmentSerial]}), equipment);
    }

    units.LargeFactor = 1 / 25.4; // inch display: the case holds mm
    fields.feedrate = QStringLiteral("15");
    fields.centre[0] = QStringLiteral("1");
    ASSERT_FALSE(prepare());
    EXPECT_EQ(h[HdrFeedrate], "381");
    EXPECT_EQ(h[HdrOrigX], "25.4");
}

TEST_F(RunSetup, DirectionsAndCounters)
{
    using enum DirectionChoice;
    struct Row { DirectionChoice choice; int runCount; int16_t direction; RunCounter counterAfter; };
    const Row rows[] = {{Cw, 0, -1, RunCounter::Cw}, {Cw, 3, -1, RunCounter::Cw},   {Ccw, 0, 1, RunCounter::Ccw},
                        {Both, 0, -1, RunCounter::Ccw}, {Both, 1, 1, RunCounter::Cw}, {Both, 2, -1, RunCounter::Ccw}};
    for (const Row& row : rows) {
        EXPECT_EQ(DirectionOfNextRun(row.choice, row.runCount), row.direction);
        EXPECT_EQ(CounterToGrow(row.choice, row.runCount), row.counterAfter);
    }
    fields.direction = Both;
    addRun(10);
    ASSERT_FALSE(prepare());
    EXPECT_EQ(openCase.Data.RunDirection[2], 1);
}

TEST_F(RunSetup, RefusesWithoutARateOrBeyondFiveRunsAndLeavesTheCase)
{
    using enum DirectionChoice;
    struct Row { bool dynamic; DirectionChoice choice; int runs; std::optional<SamplingRateItem> rate; bool refused; };
    const SamplingRateItem rate{400, 1250000};
    const Row rows[] = {
        {true, Cw, 0, std::nullopt, true}, {true, Cw, 0, SamplingRateItem{400, 0}, true}, {false, Cw, 0, std::nullopt, false},
        {true, Cw, 4, rate, false},        {true, Cw, 5, rate, true},  {false, Cw, 3, rate, false},
        {false, Both, 4, rate, true},      {true, Both, 3, rate, false}, {true, Both, 4, rate, true}, // no room for the partner
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.runs);
        openCase = Case{};
        for (int run = 0; run < row.runs; ++run)
            addRun(10);
        fields.dynamic = row.dynamic;
        fields.direction = row.choice;
        fields.samplingRate = row.rate;
        const CaseHeader before = openCase.Header;
        const std::optional<QString> refusal = prepare();
        EXPECT_EQ(refusal.has_value(), row.refused);
        if (row.refused) {
            EXPECT_FALSE(refusal->isEmpty());
            EXPECT_EQ(openCase.Header, before);
            EXPECT_EQ(openCase.Data.RunDirection[static_cast<std::size_t>(std::min(row.runs + 1, 7))], 0);
        }
    }
}

TEST_F(RunSetup, InputIsRememberedUnderBasicInput)
{
    const IniFile ini(iniFile);
    SaveRunInput(ini, fields, 3);
    const QString section = QStringLiteral("BasicInput");
    EXPECT_EQ((QStringList{ini.get(section, "StartPosition", "-"), ini.get(section, "EndPosition", "-"),
                           ini.get(section, "AngularOvershoot", "-"), ini.get(section, "Feedrate", "-"),
                           ini.get(section, "SamplingRate", "-")}),
              (QStringList{"0", "360", "180", "1000", "3"}));
}

TEST_F(RunSetup, AfterRunDecisions)
{
    using enum DirectionChoice;
    using enum AfterRunStep;
    struct Row { bool dynamic; DirectionChoice choice; bool added; int runCount; AfterRunStep step; };
    const Row rows[] = {
        {true, Both, true, 1, CapturePartner}, {true, Both, true, 2, Finish},      {true, Both, false, 1, DropThisClick},
        {true, Both, false, 0, Finish},        {true, Cw, true, 1, AskChangeDirection}, {true, Ccw, false, 2, AskChangeDirection},
        {true, Cw, false, 0, Finish},          {true, Cw, true, 5, Finish},        {false, Both, true, 2, Finish},
        {false, Cw, true, 4, Finish},
    };
    for (const Row& row : rows)
        EXPECT_EQ(NextStepAfterRun(row.dynamic, row.choice, row.added, row.runCount), row.step) << row.runCount;
}

TEST_F(RunSetup, AFailedPartnerDropsOnlyThisClicksRuns)
{
    fields.direction = DirectionChoice::Both;
    // One click as the window runs it; each capture adds its run of that many points or fails (0).
    auto click = [&](std::deque<int16_t> captures) {
        const int16_t atClick = openCase.Data.RunCount;
        for (;;) {
            if (prepare())
                return;
            const int16_t before = openCase.Data.RunCount;
            if (const int16_t points = captures.front(); points > 0)
                addRun(points, before + 1.0);
            captures.pop_front();
            RecordRunsAdded(openCase, before, 21.5, 20.0);
            const bool added = openCase.Data.RunCount > before;
            const AfterRunStep step = NextStepAfterRun(true, fields.direction, added, openCase.Data.RunCount);
            if (step == AfterRunStep::DropThisClick)
                DropRunsSince(openCase, atClick);
            if (step != AfterRunStep::CapturePartner)
                return;
        }
    };
    click({300, 200});
    click({500, 0}); // the partner fails
    const CaseData& d = openCase.Data;
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.MaxTargets, 300);
    EXPECT_EQ(openCase.Header[HdrMaxTargets], "300");
    EXPECT_EQ(std::tuple(d.Readings(1, 0), d.Readings(2, 199), d.Readings(3, 0), d.Readings(3, 499)), std::tuple(1.0, 2.0, 0.0, 0.0));
    EXPECT_EQ(std::tuple(d.RunDirection[1], d.RunDirection[2], d.RunDirection[3]), std::tuple(-1, 1, 0));
    EXPECT_EQ(std::tuple(d.GaugeTemp[2], d.MachineTemp[2], d.GaugeTemp[3], d.RunTargets[3]), std::tuple(21.5, 20.0, 0.0, 0));
}

TEST_F(RunSetup, MeanFeedrateIsSummedInSinglePrecision)
{
    EXPECT_EQ(MeanMeasuredFeedrate(openCase.Data), 0.0f);
    for (float feedrate : {16777216.0f, 1.0f, 1.0f})
        addRun(10, 0, feedrate);
    EXPECT_FLOAT_EQ(MeanMeasuredFeedrate(openCase.Data), 16777216.0f / 3); // a double sum would give 5592406
}

} // namespace
} // namespace sarvo::gauge
