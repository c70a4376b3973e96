// The results model: every caption by control and index in metric and inch units, the blanking
// of terms the fit did not find, page availability and row visibility computed whole on every
// build, the sign pictures, the spectrum and the Pareto bars, and the page and help tables.
#include "display/results_view.h"

#include "analysis/influence.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "tests/display/display_test.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

using namespace sarvo;
using namespace sarvo::display;
using namespace sarvo::test;

namespace {

struct Expected {
    const char* control;
    int index;
    const char* text; // UTF-8
};

// Two runs of 512 points at 1000 mm/min on a 150 mm radius, clockwise first, with a fitted
// error model of hand-picked values (the expected captions below are worked out from these).
Case DynamicCase(int runs = 2)
{
    Case c;
    c.Header[HdrPlane] = "xy";
    c.Header[HdrFeedrate] = "1000";
    CaseData& d = c.Data;
    d.Dynamic = true;
    d.RunCount = static_cast<int16_t>(runs);
    d.TestRadius = 150;
    d.SweepAngle = 360;
    d.MeasuredFeedrateAverage = 1000;
    for (int r = 1; r <= std::min(runs, kMaxRuns); ++r) {
        const auto i = static_cast<std::size_t>(r);
        d.RunDirection[i] = r % 2 ? -1 : 1;
        d.RunTargets[i] = 512;
        d.RunFeedrate[i] = r == 1 ? 998.4f : 1001.6f;
    }
    AnalysisResults& res = c.Results;
    res.ResultsValid = true;
    ErrorParams& e = res.ErrorValues;
    e.SpikeH = 0;
    e.SpikeV = 3;
    e.Back0 = 4;
    e.Back180 = 6;
    e.Back90 = 4;
    e.Back270 = 0;
    e.Squareness = 10;
    e.SlipH = 0;
    e.SlipV = 2.2;
    e.PlayH = 1.2;
    e.PlayV = 0;
    e.ScaleH = 20;
    e.ScaleV = 4;
    e.CyclicH = 2;
    e.CyclicV = 0;
    e.PitchH = 12;
    e.PitchV = 0;
    e.PhaseH = 45.4;
    e.PhaseV = 0;
    e.Random = 1.4;
    e.PolarVibration = 2.6;
    e.VibrationAngle = 30;
    e.ServoH = 101.6;
    e.ServoV = 99.2;
    e.StraightH = 0;
    e.StraightV = 7.6;
    e.CentreH = 2.2;
    e.CentreV = -1.7;
    res.LscResult.Circularity = 12.3;
    res.LscResult.Radius = 150.0012;
    res.LscResult.Max = 6.7;
    res.LscResult.MaxPos = 123.4;
    res.LscResult.Min = -5.6;
    res.LscResult.MinPos = 301.6;
    res.MzcResult.Circularity = 10.2;
    res.MzcResult.Radius = 149.9984;
    res.MzcResult.MaxPos = 118.6;
    res.MzcResult.MinPos = 299.2;
    res.MzcResult.CentreH = 2.6;
    res.MzcResult.CentreV = -0.4;
    res.Iso.IsoGb = 9.6;
    res.Iso.IsoD = 0;
    res.Iso.IsoG[1] = 7;
    res.Iso.IsoG[2] = 8.2;
    res.Iso.IsoFmin[2] = -3.3;
    res.Iso.IsoFmax[2] = 4.4;
    // A ranking as SetInfluence leaves it: codes by value, largest first.
    const std::pair<int, float> ranked[] = {{15, 9}, {2, 7}, {0, 5}, {6, 3}, {10, 1}};
    for (std::size_t k = 0; k < 5; ++k) {
        const auto code = static_cast<std::size_t>(ranked[k].first);
        res.InfluenceOrder[k] = static_cast<int16_t>(code);
        res.InfluenceValue[code] = ranked[k].second;
        res.InfluenceName[code] = QStringLiteral("name %1").arg(code);
    }
    return c;
}

// Eight points every 45 degrees per run, no feedrate and no spectrum: what a static fit leaves.
Case StaticCase()
{
    Case c = DynamicCase();
    c.Header[HdrFeedrate].clear();
    CaseData& d = c.Data;
    d.Dynamic = false;
    d.MeasuredFeedrateAverage = 0;
    for (int r = 1; r <= 2; ++r) {
        d.RunTargets[static_cast<std::size_t>(r)] = 8;
        d.RunFeedrate[static_cast<std::size_t>(r)] = 0;
    }
    ErrorParams& e = c.Results.ErrorValues;
    e.SlipV = e.Random = e.PolarVibration = 0;
    e.CyclicH = e.PitchH = e.PhaseH = 0;
    e.SpikeV = 0;
    e.ServoH = e.ServoV = 100;
    return c;
}

// A spectrum of n lines of amplitude i / 100 µm.
void FillSpectrum(Case& c, int n)
{
    c.Results.Spectrum.fill(0);
    c.Results.Spectrum[0] = static_cast<float>(n);
    for (int i = 1; i <= std::min(n, kSpectrumSize - 1); ++i)
        c.Results.Spectrum[static_cast<std::size_t>(i)] = static_cast<float>(i) / 100;
}

std::vector<bool> PagesOn(const ResultsView& v)
{
    return std::vector<bool>(v.pageEnabled.begin(), v.pageEnabled.end());
}

// Pages on, by number, for readable expectations.
std::vector<bool> PagesExcept(std::initializer_list<int> off)
{
    std::vector<bool> on(kResultPages, true);
    for (int p : off)
        on[static_cast<std::size_t>(p)] = false;
    return on;
}

class ResultsViewTest : public test::DisplayTest {
protected:
    ResultsView build(const Case& c) const { return BuildResultsView(c, units, settings); }

    static QString text(const ResultsView& v, const char* control, int index = -1)
    {
        const auto t = v.caption(QString::fromLatin1(control), index);
        EXPECT_TRUE(t.has_value()) << ControlKey(control, index).toStdString() << " has no caption";
        return t.value_or(QStringLiteral("<none>"));
    }
    static void expectCaptions(const ResultsView& v, std::initializer_list<Expected> rows, const char* what = "")
    {
        for (const Expected& row : rows)
            EXPECT_EQ(text(v, row.control, row.index), QString::fromUtf8(row.text))
                << what << " " << ControlKey(row.control, row.index).toStdString();
    }
    // Every caption of the control at those indexes is blank.
    static void expectBlank(const ResultsView& v, const char* control, std::initializer_list<int> indexes, const char* what = "")
    {
        for (int i : indexes)
            EXPECT_EQ(text(v, control, i), QString()) << what << " " << ControlKey(control, i).toStdString();
    }
    static double number(const ResultsView& v, const char* control, int index = -1)
    {
        bool ok = false;
        const double value = text(v, control, index).toDouble(&ok);
        EXPECT_TRUE(ok) << ControlKey(control, index).toStdString();
        return value;
    }
};

// Squareness of 10 arc seconds per metre: tan(10" in radians) x 10^6 µm/m.
const double kSquarenessPerMetre = std::tan(10.0 / 3600 * std::numbers::pi / 180) * 1e6; // 48.4814

TEST_F(ResultsViewTest, ADynamicCaseFillsEveryPageInMetricUnits)
{
    const ResultsView v = build(DynamicCase());
    expectCaptions(v, {
        // circularity: µm in "####0"; angles in "##0"; radii in "###0.##0"
        {"LblCentH", 0, "2"}, {"LblCentV", 0, "-2"}, {"LblCentH", 1, "3"}, {"LblCentV", 1, "0"},
        {"LblCirV", 0, "12"}, {"LblCirV", 1, "10"}, {"LblCirV", 2, "12"}, {"LblCirV", 3, "12"},
        {"LblCirMaV", -1, "7"}, {"LblCirMaP", 0, "123"}, {"LblCirMaP", 1, "119"},
        {"LblCirMiV", -1, "-6"}, {"LblCirMiP", 0, "302"}, {"LblCirMiP", 1, "299"},
        {"LblBestR", 0, "150.001"}, {"LblBestR", 2, "150.001"}, {"LblBestR", 1, "149.998"},
        // spike 0 / 3; backlash x: (4 + 6) / 2, y: 4 alone
        {"LblSpikeH", 0, ""}, {"LblSpikeH", 1, ""}, {"LblSpikeV", 0, "3"}, {"LblSpikeV", 1, "3"},
        {"LblBlashH", -1, "5"}, {"LblBlashV", -1, "4"},
        {"LblBVal0", -1, "4"}, {"LblBVal180", -1, "6"}, {"LblBVal90", -1, "4"}, {"LblBVal270", -1, ""},
        // 48.48 µm/m over 300 mm = 14.5 µm
        {"LblSqEr", 0, "15"}, {"LblSqEr", 1, "15"}, {"LblSqEr", 2, "10"},
        {"LblSlipH", 0, ""}, {"LblSlipH", 1, ""}, {"LblSlipV", 0, "2"}, {"LblSlipV", 1, "2"},
        {"LblPlayH", 0, "1"}, {"LblPlayH", 1, "1"}, {"LblPlayV", 0, ""}, {"LblPlayV", 1, ""},
        // (20 - 4) µm/m over 300 mm = 4.8 µm; not calibrated: the mismatch only
        {"LblScEr", -1, "5"}, {"LblScErH", 0, "5"}, {"LblScErV", 0, ""},
        // one cyclic value found: both shown, the missing pitch blank, both phases shown
        {"LblCyclicH", 0, "2"}, {"LblCyclicH", 1, "2"}, {"LblCyclicV", 0, "0"}, {"LblCyclicV", 1, "0"},
        {"LblPitchH", -1, "12"}, {"LblPitchV", -1, ""}, {"LblPhaseH", -1, "45"}, {"LblPhaseV", -1, "0"},
        {"LblRandom", 0, "1"}, {"LblRandom", 1, "1"}, {"LblPolarVib", 0, "3"}, {"LblPolarVib", 1, "3"},
        {"LblPolarAngle", -1, "30"},
        {"LblServoH", 0, "2"}, {"LblServoH", 1, "2"},
        {"LblStraightH", 0, ""}, {"LblStraightH", 1, ""}, {"LblStraightV", 0, "8"}, {"LblStraightV", 1, "8"},
        // ISO: D = 0 blank; run 1 has G only
        {"LblIsoGb", -1, "10"}, {"lblIsoD", -1, ""},
        {"LblRound", 0, "1.CW"}, {"LblRound", 1, "2.CCW"}, {"LblIsoG", 0, "7"}, {"LblIsoG", 1, "8"},
        {"LblIsoF", 0, ""}, {"LblIsoF", 1, "-3 / 4"},
        {"LblRoundServo", 0, "1.CW"}, {"LblRoundServo", 1, "2.CCW"},
        {"lblRunFeedrate", 0, "998"}, {"lblRunFeedrate", 1, "1002"},
        {"lblAverageFeedrate", -1, "1000"},
        // axes and units
        {"LblAxesH", 0, "x"}, {"LblAxesH", 15, "x"}, {"LblAxesV", 0, "y"}, {"LblAxesV", 15, "y"},
        {"LblAxesHB", 0, "x+"}, {"LblAxesVB", 0, "y+"}, {"LblAxesHB", 1, "x-"}, {"LblAxesVB", 1, "y-"},
        {"LblScaleAxis", 0, "(x-y)"}, {"LblScaleAxis", 2, "(x-y)"},
        {"LblUnit", 0, "µm"}, {"LblUnit", 40, "µm"}, {"lblMMUnit", 0, "mm"}, {"lblMMUnit", 5, "mm"},
        {"lblSqUnit", 0, "µm/300mm"}, {"lblSqUnit", 4, "µm/300mm"},
    });
    EXPECT_FALSE(v.caption("LblUnit", 41));
    EXPECT_FALSE(v.caption("LblAxesH", 16));
    EXPECT_EQ(PagesOn(v), PagesExcept({}));
    EXPECT_EQ(v.paretoAxisTitle, "µm");

    // Two runs: rows 1 and 2 of the servo and ISO pages shown, 3 and 4 hidden.
    for (int row = 0; row < 4; ++row) {
        for (const char* control : {"LblRoundServo", "lblRunFeedrate", "LblRound", "PnlIsoG", "PnlIsoF"})
            EXPECT_EQ(v.isVisible(ControlKey(control, row)), row < 2) << control << row;
    }
    EXPECT_TRUE(v.isVisible("PnlHide"));
    EXPECT_TRUE(v.isVisible("LblScaleAxis(2)"));
    EXPECT_FALSE(v.isVisible("LblAxesH(10)"));

    // The five largest influences, largest first, in µm.
    ASSERT_EQ(v.pareto.size(), 5u);
    const int codes[] = {15, 2, 0, 6, 10};
    const double values[] = {9, 7, 5, 3, 1};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(v.pareto[k].code, codes[k]);
        EXPECT_EQ(v.pareto[k].name, QStringLiteral("name %1").arg(codes[k]));
        EXPECT_DOUBLE_EQ(v.pareto[k].value, values[k]);
    }
}

TEST_F(ResultsViewTest, TheTabAndFrameCaptionsAreThePagesTitles)
{
    const ResultsView v = build(DynamicCase());
    expectCaptions(v, {
        {"lblType", 0, "All"}, {"frmType", 0, "All"},
        {"lblType", 1, "A&xis Spike "}, {"frmType", 1, "Axis Spike"},
        {"lblType", 2, "&Backlash"}, {"frmType", 2, "Backlash Step"},
        {"lblType", 5, "IS&O"}, {"frmType", 5, "Circularity according ISO 230-4"},
        {"lblType", 12, "&Vibration"}, {"frmType", 12, "Random Vibration"},
        {"lblType", 13, "&Pareto"}, {"frmType", 13, " The most important error sources"},
    });
    EXPECT_FALSE(v.caption("lblType", 14));
}

// Every view holds the same captions, each once, whatever the case: a window that writes them
// all keeps nothing of the case before.
TEST_F(ResultsViewTest, EveryViewHoldsTheSameCaptionsOnce)
{
    auto keys = [](const ResultsView& v) {
        std::vector<QString> out;
        for (const ResultCaption& c : v.captions)
            out.push_back(ControlKey(c.control, c.index));
        return out;
    };
    const std::vector<QString> dynamic = keys(build(DynamicCase()));
    EXPECT_EQ(std::set<QString>(dynamic.begin(), dynamic.end()).size(), dynamic.size());
    Case failed = DynamicCase();
    failed.Results.ResultsValid = false;
    Case calibrated = DynamicCase();
    calibrated.Data.Calibrated = true;
    Case empty;
    for (const Case& c : {StaticCase(), DynamicCase(1), DynamicCase(6), failed, calibrated, empty})
        EXPECT_EQ(keys(build(c)), dynamic);
}

TEST_F(ResultsViewTest, AStaticCaseSwitchesTheDynamicPagesOffAndHasNoSpectrum)
{
    Case c = StaticCase();
    const ResultsView v = build(c);
    // spike, cyclic, servo (also 100 / 100), stick-slip, vibration
    EXPECT_EQ(PagesOn(v), PagesExcept({1, 4, 8, 10, 12}));
    EXPECT_TRUE(v.spectrum.empty());
    expectCaptions(v, {{"LblServoH", 0, ""}, {"LblCyclicH", 0, ""}, {"LblPitchH", -1, ""}, {"LblPhaseH", -1, ""},
                       {"LblRandom", 0, ""}, {"LblPolarAngle", -1, ""}, {"lblRunFeedrate", 0, ""},
                       {"LblPlayH", 0, "1"}, {"LblRound", 0, "1.CW"}});

    // Servo found in a static case: page 8 stays off all the same.
    c.Results.ErrorValues.ServoH = 98;
    EXPECT_EQ(PagesOn(build(c)), PagesExcept({1, 4, 8, 10, 12}));
}

// Availability is computed whole for each case: a dynamic case after a static one has every
// page again, and pages 6 and 8 go off only by their own conditions.
TEST_F(ResultsViewTest, ADynamicCaseAfterAStaticOneHasEveryPageAgain)
{
    Case noPlay = StaticCase();
    noPlay.Results.ErrorValues.PlayH = 0;
    EXPECT_EQ(PagesOn(build(noPlay)), PagesExcept({1, 4, 6, 8, 10, 12}));
    EXPECT_EQ(PagesOn(build(DynamicCase())), PagesExcept({}));

    Case c = DynamicCase();
    c.Results.ErrorValues.PlayH = 0; // PlayV is 0 already
    EXPECT_EQ(PagesOn(build(c)), PagesExcept({6}));
    c.Results.ErrorValues.ServoH = c.Results.ErrorValues.ServoV = 100;
    EXPECT_EQ(PagesOn(build(c)), PagesExcept({6, 8}));
    c.Results.ErrorValues.PlayV = -0.5;
    EXPECT_EQ(PagesOn(build(c)), PagesExcept({8}));
}

// Fewer runs after more: the rows of the missing runs are hidden and hold no text.
TEST_F(ResultsViewTest, RowsBeyondTheRunsAreHiddenAndBlankAtMostFourShown)
{
    const ResultsView four = build(DynamicCase(4));
    const ResultsView one = build(DynamicCase(1));
    const ResultsView six = build(DynamicCase(6));
    for (int row = 0; row < 4; ++row) {
        for (const char* control : {"LblRoundServo", "lblRunFeedrate", "LblRound", "PnlIsoG", "PnlIsoF"}) {
            EXPECT_TRUE(four.isVisible(ControlKey(control, row))) << control << row;
            EXPECT_EQ(one.isVisible(ControlKey(control, row)), row == 0) << control << row;
            EXPECT_TRUE(six.isVisible(ControlKey(control, row))) << control << row;
        }
    }
    expectCaptions(four, {{"LblRound", 3, "4.CCW"}, {"LblRoundServo", 2, "3.CW"}, {"lblRunFeedrate", 3, "1002"}});
    expectCaptions(six, {{"LblRound", 3, "4.CCW"}, {"LblRoundServo", 3, "4.CCW"}});
    expectBlank(one, "LblRound", {1, 2, 3});
    expectBlank(one, "LblRoundServo", {1, 2, 3});
    expectBlank(one, "lblRunFeedrate", {1, 2, 3});
    expectBlank(one, "LblIsoG", {1, 2, 3});
    expectBlank(one, "LblIsoF", {1, 2, 3});
    // Runs 5 and 6 have no row of their own.
    EXPECT_FALSE(six.caption("LblRound", 4));
    EXPECT_FALSE(six.caption("LblRoundServo", 5));

    Case none = DynamicCase(0);
    const ResultsView empty = build(none);
    for (int row = 0; row < 4; ++row)
        EXPECT_FALSE(empty.isVisible(ControlKey("LblRound", row)));
}

TEST_F(ResultsViewTest, RunCaptionsNameTheDirection)
{
    Case c = DynamicCase(3);
    c.Data.RunDirection[1] = -1;
    c.Data.RunDirection[2] = 0;
    c.Data.RunDirection[3] = 1;
    const ResultsView v = build(c);
    expectCaptions(v, {{"LblRound", 0, "1.CW"}, {"LblRound", 1, "2.CCW"}, {"LblRound", 2, "3.CCW"},
                       {"LblRoundServo", 0, "1.CW"}, {"LblRoundServo", 1, "2.CCW"}, {"LblRoundServo", 2, "3.CCW"}});
}

// A file without measured feedrates (every .rtb) shows no feedrate rather than a measured 0;
// one run measured is enough for every run and the average to be shown, zeros included.
TEST_F(ResultsViewTest, FeedratesThatWereNeverMeasuredLeaveTheirCaptionsEmpty)
{
    Case c = DynamicCase();
    c.Data.RunFeedrate = {};
    c.Data.MeasuredFeedrateAverage = 0;
    ResultsView v = build(c);
    expectCaptions(v, {{"lblRunFeedrate", 0, ""}, {"lblRunFeedrate", 1, ""}, {"lblAverageFeedrate", -1, ""},
                       {"LblRoundServo", 0, "1.CW"}});
    EXPECT_TRUE(v.isVisible("lblRunFeedrate(0)")) << "the rows of the runs stay";

    c.Data.RunFeedrate[2] = 1001;
    v = build(c);
    expectCaptions(v, {{"lblRunFeedrate", 0, "0"}, {"lblRunFeedrate", 1, "1001"}, {"lblAverageFeedrate", -1, "0"}});

    // A run beyond the case's runs counts for nothing.
    c.Data.RunFeedrate = {};
    c.Data.RunFeedrate[5] = 990;
    v = build(c);
    expectCaptions(v, {{"lblRunFeedrate", 0, ""}, {"lblAverageFeedrate", -1, ""}});
}

// Zero values are blank in every build: nothing keeps the text of a case with values.
TEST_F(ResultsViewTest, ZeroTermsAndZeroIsoValuesAreBlank)
{
    Case c = DynamicCase();
    ErrorParams zero;
    zero.ServoH = zero.ServoV = 100;
    c.Results.ErrorValues = zero;
    c.Results.Iso = IsoResults{};
    const ResultsView v = build(c);
    for (const char* control : {"LblSpikeH", "LblSpikeV", "LblSlipH", "LblSlipV", "LblPlayH", "LblPlayV", "LblCyclicH",
                                "LblCyclicV", "LblRandom", "LblPolarVib", "LblServoH", "LblStraightH", "LblStraightV"})
        expectBlank(v, control, {0, 1});
    for (const char* control : {"LblBlashH", "LblBlashV", "LblBVal0", "LblBVal90", "LblBVal180", "LblBVal270", "LblPitchH",
                                "LblPitchV", "LblPhaseH", "LblPhaseV", "LblPolarAngle", "LblIsoGb", "lblIsoD"})
        expectBlank(v, control, {-1});
    expectBlank(v, "LblIsoG", {0, 1});
    expectBlank(v, "LblIsoF", {0, 1});
    // Squareness and scale are shown as they are, also when 0; the rows stay shown.
    expectCaptions(v, {{"LblSqEr", 0, "0"}, {"LblSqEr", 2, "0"}, {"LblScEr", -1, "0"}, {"LblScErH", 0, "0"}});
    EXPECT_TRUE(v.isVisible("PnlIsoG(1)"));
}

TEST_F(ResultsViewTest, BacklashIsTheMeanOfBothStepsOrTheOneFoundAndBlankOnlyWithoutSteps)
{
    struct Row {
        double plus, minus;
        const char* shown;
    };
    for (const Row& r : {Row{4, 0, "4"}, Row{4, 6, "5"}, Row{0, 6, "6"}, Row{0, 0, ""}, Row{-4, -6, "-5"},
                        Row{4, -4, "0"}}) { // steps that cancel are a value, not a blank
        Case c = DynamicCase();
        c.Results.ErrorValues.Back0 = r.plus;
        c.Results.ErrorValues.Back180 = r.minus;
        c.Results.ErrorValues.Back90 = r.plus;
        c.Results.ErrorValues.Back270 = r.minus;
        const ResultsView v = build(c);
        EXPECT_EQ(text(v, "LblBlashH"), r.shown) << r.plus << "/" << r.minus;
        EXPECT_EQ(text(v, "LblBlashV"), r.shown) << r.plus << "/" << r.minus;
    }
}

// 100 % on either axis means the fit found no servo mismatch; on both, the page goes off.
TEST_F(ResultsViewTest, AServoValueOfExactlyOneHundredIsNotFound)
{
    struct Row {
        double h, v;
        const char* shown;
        bool page;
    };
    for (const Row& r : {Row{100, 98, "", true}, Row{98, 100, "", true}, Row{100, 100, "", false},
                         Row{100.0001, 100, "", true}, Row{98, 99.4, "-1", true}, Row{100.0001, 99.9999, "0", true}}) {
        Case c = DynamicCase();
        c.Results.ErrorValues.ServoH = r.h;
        c.Results.ErrorValues.ServoV = r.v;
        const ResultsView v = build(c);
        EXPECT_EQ(text(v, "LblServoH", 0), r.shown) << r.h << "/" << r.v;
        EXPECT_EQ(text(v, "LblServoH", 1), r.shown) << r.h << "/" << r.v;
        EXPECT_EQ(v.pageEnabled[static_cast<std::size_t>(ResultPage::Servo)], r.page) << r.h << "/" << r.v;
    }
}

TEST_F(ResultsViewTest, NoCyclicErrorBlanksPitchAndPhase)
{
    Case c = DynamicCase();
    c.Results.ErrorValues.CyclicH = 0;
    c.Results.ErrorValues.CyclicV = 0;
    c.Results.ErrorValues.PitchH = 12;
    c.Results.ErrorValues.PhaseH = 45;
    const ResultsView v = build(c);
    expectBlank(v, "LblCyclicH", {0, 1});
    expectBlank(v, "LblCyclicV", {0, 1});
    for (const char* control : {"LblPitchH", "LblPitchV", "LblPhaseH", "LblPhaseV"})
        expectBlank(v, control, {-1});
}

TEST_F(ResultsViewTest, ACalibratedBarShowsTheAbsoluteScaleErrors)
{
    Case c = DynamicCase();
    c.Data.Calibrated = true;
    const ResultsView v = build(c);
    // 20 and 4 µm/m over 300 mm: 6 and 1.2 µm; the mismatch stays on page 0.
    expectCaptions(v, {{"LblScErH", 0, "6"}, {"LblScErV", 0, "1"}, {"LblScEr", -1, "5"}});
    EXPECT_FALSE(v.isVisible("PnlHide"));
    EXPECT_FALSE(v.isVisible("LblScaleAxis(2)"));
    EXPECT_TRUE(v.isVisible("LblAxesH(10)"));
}

TEST_F(ResultsViewTest, InchUnitsShowInchesAndThePerDiameterText)
{
    useUnits(true);
    const ResultsView v = build(DynamicCase());
    // µm / 25400 in "####0.####0", mm / 25.4 in "###0.#0" (large) and "###0.####0" (long).
    expectCaptions(v, {
        {"LblSpikeV", 0, "0.00012"},          // 3 µm
        {"LblCirV", 0, "0.00048"},            // 12.3 µm
        {"LblSqEr", 0, "0.00057"},            // 14.544 µm
        {"LblSqEr", 2, "10"},                 // arc seconds have no unit factor
        {"LblServoH", 0, "2"},                // nor percentages
        {"LblPolarAngle", -1, "30"},          // nor degrees
        {"LblBestR", 0, "5.90556"},           // 150.0012 mm
        {"LblPitchH", -1, "0.47"},            // 12 mm
        {"lblRunFeedrate", 0, "39.31"},       // 998.4 mm/min
        {"lblAverageFeedrate", -1, "39.37"},  // 1000 mm/min
        {"LblUnit", 0, "in"}, {"lblMMUnit", 0, "in"},
        // D = 300 / 25.4 = 11.811 in, shown with one decimal
        {"lblSqUnit", 0, "in/11.8in"}, {"lblSqUnit", 4, "in/11.8in"},
    });
    EXPECT_EQ(v.paretoAxisTitle, "in");
    ASSERT_EQ(v.pareto.size(), 5u);
    EXPECT_NEAR(v.pareto[0].value, 9.0 / 25400, 1e-12);
}

// With enough decimals the per-diameter values are the error over 2 x TestRadius: in µm
// metric, and the same divided by 25400 in inches.
TEST_F(ResultsViewTest, PerDiameterValuesInInchesAreTheMetricOnesOver25400)
{
    writeFile("Sarvotex.ini", "[Format]\nMetric small format=0.000000\nInch small format=0.000000000000\n");
    Case c = DynamicCase();
    c.Data.Calibrated = true;
    c.Data.TestRadius = 100;
    c.Results.ErrorValues.Squareness = -10;
    useUnits(false);
    const ResultsView metric = build(c);
    useUnits(true);
    const ResultsView inch = build(c);
    const double overDiameter = 2 * 100.0 / 1000; // m
    struct Row {
        const char* control;
        int index;
        double microns;
    };
    for (const Row& r : {Row{"LblSqEr", 0, -kSquarenessPerMetre * overDiameter}, Row{"LblSqEr", 1, -kSquarenessPerMetre * overDiameter},
                         Row{"LblScEr", -1, 16 * overDiameter}, Row{"LblScErH", 0, 20 * overDiameter},
                         Row{"LblScErV", 0, 4 * overDiameter}}) {
        EXPECT_NEAR(number(metric, r.control, r.index), r.microns, 1e-6) << r.control;
        EXPECT_NEAR(number(inch, r.control, r.index), r.microns / 25400, 1e-11) << r.control;
    }
    EXPECT_EQ(text(metric, "lblSqUnit", 0), "µm/200mm");
    EXPECT_EQ(text(inch, "lblSqUnit", 0), "in/7.9in"); // 7.874 in
}

// The diameter text is D + 0.1 mm in whole millimetres, or D + 0.01 in with one decimal.
TEST_F(ResultsViewTest, TheDiameterTextOfThePerDiameterUnit)
{
    struct Row {
        double radius;
        bool inch;
        const char* shown;
    };
    const Row rows[] = {
        {150, false, "µm/300mm"}, {149.725, false, "µm/300mm"}, {149.65, false, "µm/299mm"}, {12.5, false, "µm/25mm"},
        {150, true, "in/11.8in"}, {100.838, true, "in/8.0in"}, {100.7, true, "in/7.9in"}, {0, true, "in/0.0in"},
    };
    for (const Row& r : rows) {
        useUnits(r.inch);
        Case c = DynamicCase();
        c.Data.TestRadius = r.radius;
        EXPECT_EQ(text(build(c), "lblSqUnit", 2), QString::fromUtf8(r.shown)) << r.radius;
    }
}

// The squareness per metre: tan of the angle, times 10^6.
TEST_F(ResultsViewTest, SquarenessOverTheDiameter)
{
    writeFile("Sarvotex.ini", "[Format]\nMetric small format=0.0000\n");
    useUnits(false);
    Case c = DynamicCase();
    for (double arcsec : {10.0, -3.5, 360.0}) {
        c.Results.ErrorValues.Squareness = arcsec;
        const double perMetre = std::tan(arcsec / 3600 * std::numbers::pi / 180) * 1e6;
        EXPECT_NEAR(number(build(c), "LblSqEr", 0), perMetre * 0.3, 1e-4) << arcsec;
    }
}

TEST_F(ResultsViewTest, SignPicturesFollowTheSignsAndThePlane)
{
    struct Row {
        const char* plane;
        double scaleH, scaleV, squareness;
        const char* scalePicture;
        const char* squarePicture;
    };
    const Row rows[] = {
        {"xy", 20, 4, 10, "ImgScalePlus", "ImgPlus"},
        {"xy", 4, 20, -10, "ImgScaleMinus", "ImgMinus"},
        {"xy", 5, 5, 0, "ImgScalePlus", "ImgPlus"}, // exactly 0 shows plus
        {"xz", 4, 20, -10, "ImgScaleMinusXZ", "ImgMinusXZ"},
        {"xz", 20, 4, 0, "ImgScalePlusXZ", "ImgPlusXZ"},
        {"yz", 4, 20, 10, "ImgScaleMinus", "ImgPlus"},
        {"XZ", 4, 20, -10, "ImgScaleMinus", "ImgMinus"}, // the plane is compared exactly
    };
    const char* const all[] = {"ImgScaleMinus", "ImgScalePlus", "ImgScaleMinusXZ", "ImgScalePlusXZ",
                               "ImgMinus",      "ImgPlus",      "ImgMinusXZ",      "ImgPlusXZ"};
    for (const Row& r : rows) {
        Case c = DynamicCase();
        c.Header[HdrPlane] = r.plane;
        c.Results.ErrorValues.ScaleH = r.scaleH;
        c.Results.ErrorValues.ScaleV = r.scaleV;
        c.Results.ErrorValues.Squareness = r.squareness;
        const ResultsView v = build(c);
        for (const char* picture : all) {
            const bool expected = QLatin1String(picture) == QLatin1String(r.scalePicture) ||
                                  QLatin1String(picture) == QLatin1String(r.squarePicture);
            ASSERT_TRUE(v.visible.contains(picture)) << picture;
            EXPECT_EQ(v.isVisible(picture), expected) << r.plane << " " << picture;
        }
    }
}

TEST_F(ResultsViewTest, TheAxisLettersComeFromThePlane)
{
    Case c = DynamicCase();
    c.Header[HdrPlane] = "yz";
    ResultsView v = build(c);
    expectCaptions(v, {{"LblAxesH", 3, "y"}, {"LblAxesV", 7, "z"}, {"LblAxesHB", 1, "y-"}, {"LblAxesVB", 0, "z+"},
                       {"LblScaleAxis", 1, "(y-z)"}});
    c.Header[HdrPlane] = "xz";
    v = build(c);
    expectCaptions(v, {{"LblAxesV", 0, "z"}, {"LblScaleAxis", 0, "(x-z)"}});
    // No plane: empty letters, no failure.
    c.Header[HdrPlane].clear();
    v = build(c);
    expectCaptions(v, {{"LblAxesH", 0, ""}, {"LblAxesVB", 1, "-"}, {"LblScaleAxis", 0, "(-)"}});
}

// 127 lines from N = 256 samples of a run of 512 points measured in T = 10 s: the samples take
// W = 5 s, and line i lies at i / 5 Hz. Amplitudes are µm in both unit systems.
TEST_F(ResultsViewTest, SpectrumLinesLieAtTheirFrequencies)
{
    Case c = DynamicCase();
    c.Data.SweepAngle = 360;
    c.Data.TestRadius = 150;
    c.Data.RunTargets[1] = 512;
    // 2 pi 150 mm at F mm/min takes 10 s: F = 2 pi 150 x 6.
    c.Header[HdrFeedrate] = QString::number(2 * std::numbers::pi * 150 * 6, 'f', 6);
    FillSpectrum(c, 127);
    for (bool inch : {false, true}) {
        useUnits(inch);
        const ResultsView v = build(c);
        EXPECT_TRUE(v.spectrumInHertz);
        ASSERT_EQ(v.spectrum.size(), 127u);
        for (int i = 1; i <= 127; ++i) {
            EXPECT_NEAR(v.spectrum[static_cast<std::size_t>(i - 1)].x(), i / 5.0, 1e-5) << i;
            EXPECT_FLOAT_EQ(static_cast<float>(v.spectrum[static_cast<std::size_t>(i - 1)].y()), i / 100.0f) << i;
        }
    }
}

// No feedrate, a feedrate text without a number, or an empty first run: the arc time is unknown,
// so the lines stand at their numbers; nothing divides by zero.
TEST_F(ResultsViewTest, WithoutAnArcTimeTheLinesStandAtTheirNumbers)
{
    struct Row {
        const char* feedrate;
        int targets;
    };
    for (const Row& r : {Row{"0", 512}, Row{"", 512}, Row{"fast", 512}, Row{"-400", 512}, Row{"1000", 0}}) {
        Case c = DynamicCase();
        c.Header[HdrFeedrate] = r.feedrate;
        c.Data.RunTargets[1] = static_cast<int16_t>(r.targets);
        FillSpectrum(c, 20);
        const ResultsView v = build(c);
        EXPECT_FALSE(v.spectrumInHertz) << r.feedrate << " " << r.targets;
        ASSERT_EQ(v.spectrum.size(), 20u);
        for (int i = 1; i <= 20; ++i) {
            EXPECT_EQ(v.spectrum[static_cast<std::size_t>(i - 1)].x(), i);
            EXPECT_FLOAT_EQ(static_cast<float>(v.spectrum[static_cast<std::size_t>(i - 1)].y()), i / 100.0f);
        }
    }
}

// A line count beyond the 512 lines the array holds is cut to 512; one that is no count at all
// gives no lines.
TEST_F(ResultsViewTest, AnOversizedSpectrumIsCutToTheArray)
{
    Case c = DynamicCase();
    FillSpectrum(c, 512);
    c.Results.Spectrum[0] = 100000;
    ResultsView v = build(c);
    ASSERT_EQ(v.spectrum.size(), 512u);
    EXPECT_FLOAT_EQ(static_cast<float>(v.spectrum.back().y()), 5.12f);
    EXPECT_TRUE(v.spectrumInHertz);
    for (float count : {-5.0f, 0.5f, std::nanf(""), -INFINITY, INFINITY}) {
        c.Results.Spectrum[0] = count;
        EXPECT_TRUE(build(c).spectrum.empty()) << count;
    }
}

// After a failed fit the error model is partly new and partly old: none of it is shown. The
// circle evaluations and ISO 230-4 come from the measurement and stay.
TEST_F(ResultsViewTest, AFailedFitShowsCircularityAndIsoOnly)
{
    Case c = DynamicCase();
    ErrorParams& e = c.Results.ErrorValues;
    // Terms the good fit did not find are found too, so that only the failure blanks them.
    e.SpikeH = 1.7;
    e.Back270 = 1.7;
    e.SlipH = 1.7;
    e.PlayV = 1.7;
    e.CyclicV = 1.7;
    e.PitchV = 1.7;
    e.PhaseV = 1.7;
    e.StraightH = 1.7;
    c.Data.Calibrated = true;
    FillSpectrum(c, 127);
    c.Results.ResultsValid = false;
    const ResultsView v = build(c);

    for (const char* control : {"LblSpikeH", "LblSpikeV", "LblSqEr", "LblSlipH", "LblSlipV", "LblPlayH", "LblPlayV",
                                "LblCyclicH", "LblCyclicV", "LblRandom", "LblPolarVib", "LblServoH", "LblStraightH",
                                "LblStraightV"})
        expectBlank(v, control, {0, 1}, "failed fit");
    expectBlank(v, "LblSqEr", {2}, "failed fit");
    for (const char* control : {"LblBlashH", "LblBlashV", "LblBVal0", "LblBVal90", "LblBVal180", "LblBVal270", "LblScEr",
                                "LblPitchH", "LblPitchV", "LblPhaseH", "LblPhaseV", "LblPolarAngle"})
        expectBlank(v, control, {-1}, "failed fit");
    expectBlank(v, "LblScErH", {0}, "failed fit");
    expectBlank(v, "LblScErV", {0}, "failed fit");

    expectCaptions(v, {{"LblCirV", 0, "12"}, {"LblCirV", 1, "10"}, {"LblCirV", 2, "12"}, {"LblCirV", 3, "12"},
                       {"LblCentH", 0, "2"}, {"LblCentV", 1, "0"}, {"LblCirMaV", -1, "7"}, {"LblCirMiP", 0, "302"},
                       {"LblBestR", 0, "150.001"}, {"LblBestR", 1, "149.998"},
                       {"LblIsoGb", -1, "10"}, {"LblIsoG", 1, "8"}, {"LblIsoF", 1, "-3 / 4"}, {"LblRound", 0, "1.CW"},
                       {"lblRunFeedrate", 0, "998"}, {"lblAverageFeedrate", -1, "1000"}, {"LblScaleAxis", 0, "(x-y)"}},
                   "failed fit");
    EXPECT_TRUE(v.pareto.empty());
    EXPECT_TRUE(v.spectrum.empty());
    for (const auto& [key, shown] : v.visible) {
        if (key.startsWith("Img")) {
            EXPECT_FALSE(shown) << key.toStdString();
        }
    }
    // No play and no servo mismatch were found.
    EXPECT_EQ(PagesOn(v), PagesExcept({6, 8}));
}

// The bars take the ranking as SetInfluence leaves it.
TEST_F(ResultsViewTest, TheParetoBarsAreTheFiveLargestInfluences)
{
    Case c = DynamicCase();
    ErrorParams zero;
    zero.ServoH = zero.ServoV = 100;
    c.Results.ErrorValues = zero;
    ErrorParams& e = c.Results.ErrorValues;
    e.Back0 = 9;
    e.PlayV = -8;
    e.SpikeH = 7;
    e.Random = 6;
    e.StraightV = 10; // half of it counts: 5
    e.CyclicH = 1;
    c.Results.LscResult.Radius = 150;
    ASSERT_TRUE(SetInfluence(c));
    const ResultsView v = build(c);
    ASSERT_EQ(v.pareto.size(), 5u);
    const std::pair<int, double> expected[] = {{0, 9}, {5, 8}, {13, 7}, {18, 6}, {17, 5}};
    const char* names[] = {"Backlash x+", "Lateral Play y", "Axis Spike x", "Vibration", "Straightness y"};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(v.pareto[k].code, expected[k].first) << k;
        EXPECT_NEAR(v.pareto[k].value, expected[k].second, 1e-6) << k;
        EXPECT_EQ(v.pareto[k].name, names[k]) << k;
    }
    // A code outside the table has no bar.
    c.Results.InfluenceOrder[1] = 25;
    EXPECT_EQ(build(c).pareto.size(), 4u);
}

TEST_F(ResultsViewTest, TextsAreShownInTheUsersLanguage)
{
    openFixtureLanguageDb({{"Message", "CW", "UZS"},
                           {"Message", "CCW", "GUZS"},
                           {"result", "&Backlash", "&Umkehrspiel"},
                           {"result", "Backlash Step", "Umkehrspanne"},
                           {"Message", "µm", "my"}});
    SetTextLanguage("German");
    useUnits(false);
    const ResultsView v = build(DynamicCase());
    expectCaptions(v, {{"LblRound", 0, "1.UZS"}, {"LblRound", 1, "2.GUZS"}, {"LblRoundServo", 1, "2.GUZS"},
                       {"lblType", 2, "&Umkehrspiel"}, {"frmType", 2, "Umkehrspanne"},
                       {"lblType", 0, "All"}, {"LblUnit", 3, "my"}, {"lblSqUnit", 0, "my/300mm"}});
    EXPECT_EQ(v.paretoAxisTitle, "my");
    // The page titles are the results window's texts: a missing one is added under its form.
    EXPECT_TRUE(languageRow("result", "Circularity according ISO 230-4").has_value());
    EXPECT_FALSE(languageRow("Message", "Circularity according ISO 230-4").has_value());
}

TEST(ResultPages, EveryFaultCodeLeadsToItsPage)
{
    using P = ResultPage;
    const std::pair<int, P> rows[] = {
        {0, P::Backlash},   {3, P::Backlash},  {4, P::LateralPlay}, {5, P::LateralPlay}, {6, P::Scale},
        {7, P::Scale},      {8, P::Cyclic},    {9, P::Cyclic},      {10, P::Servo},      {11, P::StickSlip},
        {12, P::StickSlip}, {13, P::AxisSpike}, {14, P::AxisSpike}, {15, P::Squareness}, {16, P::Straightness},
        {17, P::Straightness}, {18, P::Vibration}, {19, P::Vibration},
    };
    for (const auto& [code, page] : rows)
        EXPECT_EQ(PageOfFaultCode(code), page) << code;
    for (int code : {-1, 20, 21, 32767})
        EXPECT_FALSE(PageOfFaultCode(code)) << code;
    // The page numbers are the window's tab numbers.
    EXPECT_EQ(static_cast<int>(P::Squareness), 9);
    EXPECT_EQ(static_cast<int>(P::Vibration), 12);
}

TEST(ResultPages, HelpContextsOfThePages)
{
    const int contexts[kResultPages] = {0, 1, 2, 3, 4, 3, 5, 6, 7, 8, 9, 10, 11, 0};
    for (int page = 0; page < kResultPages; ++page)
        EXPECT_EQ(HelpContextOfPage(static_cast<ResultPage>(page)), contexts[page]) << page;
}

TEST(ResultKeys, ControlKeysNameTheIndex)
{
    EXPECT_EQ(ControlKey("LblCirV", 2), "LblCirV(2)");
    EXPECT_EQ(ControlKey("LblCirMaV"), "LblCirMaV");
    EXPECT_EQ(ControlKey("LblUnit", 0), "LblUnit(0)");
}

} // namespace
