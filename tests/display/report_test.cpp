// The printed report through the recording canvas: the page header with its logo, the case data
// and ISO blocks in their columns with italic values, the rules between the blocks, the error
// rows that only non-zero terms print, the polar and linear graphs with their pens, clipped to
// their band, the legend, the comment at the foot, the notes of what was left out, and the whole
// page inside its printable area with no text over another.
#include "display/report.h"

#include "core/language_db.h"
#include "core/sql_script.h"
#include "display/canvas.h"
#include "tests/display/display_test.h"
#include "tests/display/wmf_builder.h"
#include "tests/support/sample_cases.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace sarvo;
using namespace sarvo::display;
using namespace sarvo::test;

namespace {

using Text = RecordingCanvas::Text;
using Line = RecordingCanvas::Line;

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);

// The printable area of an A4 sheet with small margins, in centimetres, at 96 dots per inch.
constexpr double kW = 20.3;
constexpr double kH = 29.0;
constexpr double kPxPerCm = 96 / 2.54;

// A text line of the font size, in centimetres, as the recording canvas measures it.
double Th(double points)
{
    return RecordingCanvas::kLineHeight * points * 96 / 72 / kPxPerCm;
}

double Column(int i)
{
    const double quarter = (kW - 1.5) / 4;
    const double columns[] = {1.5, 1.6, quarter + 1.6, 2 * quarter + 1.6, 3 * quarter + 1.6, kW - 0.1};
    return columns[i];
}

// A dynamic case of two runs, counter-clockwise first, with results of hand-picked values.
Case DynamicCase()
{
    Case c;
    FillTwoWayCircle(c, true);
    CaseHeader& h = c.Header;
    h[HdrCustomer] = "ACME";
    h[HdrMachine] = "Mill 7";
    h[HdrName] = "Spindle warm-up";
    h[HdrDate] = "2024-03-14 10:42:00";
    h[HdrBy] = "Ann";
    h[HdrFilename] = "C:\\data\\today/run.rtb";
    h[HdrMaxTargets] = "360";
    h[HdrSampling] = "6.3662";
    h[HdrFeedrate] = "1000";
    h[HdrOrigX] = "10";
    h[HdrOrigY] = "-20";
    h[HdrOrigZ] = "300";
    c.Data.MeasuredFeedrateAverage = 998;
    AnalysisResults& r = c.Results;
    r.ResultsValid = true;
    r.LscResult.Radius = 149.998;
    r.LscResult.Circularity = 8.4;
    r.MzcResult.Circularity = 7.6;
    r.MzcResult.Min = -3;
    r.MzcResult.Max = 4;
    r.Iso.IsoGb = 9;
    r.Iso.IsoD = -1.2;
    r.Iso.IsoG[1] = 7;
    r.Iso.IsoFmin[1] = -5;
    r.Iso.IsoFmax[1] = 3;
    r.Iso.IsoG[2] = 6;
    ErrorParams& e = r.ErrorValues;
    e.ScaleH = 20;
    e.ScaleV = 4;
    e.ServoH = 101;
    e.ServoV = 99;
    e.Squareness = 10;
    e.Random = 0;
    e.SpikeV = 3;
    e.Back0 = 4;
    e.Back180 = 6;
    e.Back90 = 4;
    e.Back270 = 4;
    e.CyclicH = 2;
    e.PlayH = 1.2;
    e.SlipV = 2.2;
    e.StraightV = 7.6;
    return c;
}

class ReportTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        settings.GraphScale = 10;
        logo = writeFile("logo.wmf", WmfBuilder(0, 0, 200, 100).pen(0, 1, Qt::blue).select(0).lineTo(200, 100).bytes());
        request.logoPath = logo;
        request.version = "1.2.3";
    }

    ReportOutcome draw(const Case& c, double height = kH)
    {
        page = std::make_unique<RecordingCanvas>(QSizeF(kW * kPxPerCm, height * kPxPerCm));
        page->setScale(0, 0, kW, height);
        return DrawReport(*page, c, settings, units, request);
    }

    const Text* text(const QString& s) const
    {
        for (const Text& t : page->texts) {
            if (t.text == s)
                return &t;
        }
        return nullptr;
    }
    bool has(const QString& s) const { return text(s) != nullptr; }
    bool hasPrefix(const QString& s) const
    {
        return std::any_of(page->texts.begin(), page->texts.end(), [&](const Text& t) { return t.text.startsWith(s); });
    }
    std::vector<QString> texts() const
    {
        std::vector<QString> out;
        for (const Text& t : page->texts)
            out.push_back(t.text);
        return out;
    }
    // The rules: lines from the left end to the right end of the page's columns.
    std::vector<Line> rules() const
    {
        std::vector<Line> out;
        for (const Line& l : page->lines) {
            if (std::abs(l.from.x() - Column(0)) < 1e-9 && std::abs(l.to.x() - Column(5)) < 1e-9 && l.from.y() == l.to.y())
                out.push_back(l);
        }
        return out;
    }
    std::vector<Line> linesIn(const QColor& colour) const
    {
        std::vector<Line> out;
        for (const Line& l : page->lines) {
            if (l.pen.colour == colour)
                out.push_back(l);
        }
        return out;
    }

    QString logo;
    ReportRequest request;
    std::unique_ptr<RecordingCanvas> page;
};

struct Item {
    const char* text;
    int column;
    bool italic;
};

// Texts in order from "from" on, each at its column with its slant.
void ExpectSequence(const std::vector<Text>& texts, const QString& from, const std::vector<Item>& items)
{
    auto at = std::find_if(texts.begin(), texts.end(), [&](const Text& t) { return t.text == from; });
    ASSERT_NE(at, texts.end()) << from.toStdString();
    for (const Item& item : items) {
        ASSERT_NE(at, texts.end()) << "ran out before " << item.text;
        EXPECT_EQ(at->text, QString::fromUtf8(item.text));
        EXPECT_NEAR(at->topLeft.x(), Column(item.column), 1e-9) << item.text;
        EXPECT_EQ(at->font.italic, item.italic) << item.text;
        ++at;
    }
}

} // namespace

TEST_F(ReportTest, TheHeaderThenTheCaseDataStandInTheirColumnsWithItalicValues)
{
    draw(DynamicCase());
    const auto& t = page->texts;
    ASSERT_GE(t.size(), 2u);
    const double middle = 1.6 + 2 * (kW - 1.5) / 4;
    EXPECT_EQ(t[0].text, "Sarvotrenk");
    EXPECT_NEAR(t[0].topLeft.x(), middle, 1e-9);
    EXPECT_NEAR(t[0].topLeft.y(), 0.1, 1e-9);
    EXPECT_EQ(t[0].font.size, 20);
    EXPECT_TRUE(t[0].font.bold);
    EXPECT_EQ(t[1].text, "Version: 1.2.3");
    EXPECT_NEAR(t[1].topLeft.x(), middle, 1e-9);
    EXPECT_NEAR(t[1].topLeft.y(), 0.1 + Th(20), 1e-9);
    EXPECT_EQ(t[1].font.size, 10);
    EXPECT_FALSE(t[1].font.bold);
    // The logo: 1.3 cm high, as wide as its 2:1 frame makes it.
    ASSERT_EQ(page->pictures.size(), 1u);
    EXPECT_NEAR(page->pictures[0].left(), 1.5, 1e-9);
    EXPECT_NEAR(page->pictures[0].top(), 0.2, 1e-9);
    EXPECT_NEAR(page->pictures[0].width(), 2.6, 1e-9);
    EXPECT_NEAR(page->pictures[0].height(), 1.3, 1e-9);

    ExpectSequence(t, "Customer:",
                   {{"Customer:", 1, false}, {"ACME", 2, true}, {"Plane:", 3, false}, {"xy", 4, true},
                    {"Machine:", 1, false}, {"Mill 7", 2, true}, {"Feedrate:(Prog./Meas.)", 3, false},
                    {"1000/998 mm/min", 4, true},
                    {"Measurement Session:", 1, false}, {"Spindle warm-up", 2, true}, {"Ball Bar Length:", 3, false},
                    {"150.000 mm", 4, true},
                    {"Date:", 1, false}, {"2024-03-14 10:42:00", 2, true}, {"Best Radius:", 3, false},
                    {"149.998 mm", 4, true},
                    {"Measured By:", 1, false}, {"Ann", 2, true}, {"Sampling Rate:", 3, false}, {"6.3662", 4, true},
                    {"File Name:", 1, false}, {"run.rtb", 2, true}, {"Maximum Targets:", 3, false}, {"360", 4, true},
                    {"Origin of Measurement:", 1, false}, {"x:10 , y:-20 , z:300", 2, true},
                    {"Calibration:", 3, false}, {"Non-Calibrated", 4, true},
                    {"ISO230-4 results", 1, false},
                    {"Bi-dir. circular deviation G(b):", 1, false}, {"9 µm", 2, true},
                    {"Bi-dir. mean rad. deviation D:", 3, false}, {"-1 µm", 4, true},
                    {"Circular Deviation G, 1.ccw:", 1, false}, {"7 µm", 2, true},
                    {"Radial Deviation F, 1.ccw:", 3, false}, {"min: ", 4, true}});
    // The rows stand one 10-point line apart below the first gap under 1.8 cm.
    const double gap = Th(10) / 4;
    const char* const firstOfRow[] = {"Customer:", "Machine:", "Measurement Session:", "Date:", "Measured By:",
                                      "File Name:", "Origin of Measurement:"};
    for (int row = 0; row < 7; ++row)
        EXPECT_NEAR(text(firstOfRow[row])->topLeft.y(), 1.8 + gap + row * Th(10), 1e-9) << firstOfRow[row];
    EXPECT_NEAR(text("ISO230-4 results")->topLeft.y(), 1.8 + gap + 7 * Th(10) + 2 * gap, 1e-9);
}

TEST_F(ReportTest, TheBlocksAreClosedByRulesOfFourAndTwoDots)
{
    for (const ReportType type : {ReportType::ErrorsAndGraph, ReportType::OnlyGraph}) {
        SCOPED_TRACE(type == ReportType::OnlyGraph ? "only graph" : "errors and graph");
        request.type = type;
        draw(DynamicCase());
        const std::vector<Line> r = rules();
        std::vector<int> widths;
        for (const Line& l : r)
            widths.push_back(l.pen.width);
        // Case block top and bottom, ISO block top (the bottom drawn again) and bottom, then
        // with the errors the thin rule between their blocks, the closing rule, and the legend's.
        if (type == ReportType::ErrorsAndGraph)
            EXPECT_EQ(widths, (std::vector<int>{4, 2, 4, 2, 2, 4, 4}));
        else
            EXPECT_EQ(widths, (std::vector<int>{4, 2, 4, 2, 4, 4}));
        ASSERT_GE(r.size(), 4u);
        const double gap = Th(10) / 4;
        EXPECT_NEAR(r[0].from.y(), 1.8, 1e-9);
        EXPECT_NEAR(r[1].from.y(), 1.8 + gap + 7 * Th(10) + gap, 1e-9);
        EXPECT_EQ(r[2].from.y(), r[1].from.y());
        // The circularity row stands one gap under the ISO block's bottom rule.
        EXPECT_NEAR(text("Circularity LSC:")->topLeft.y(), r[3].from.y() + gap, 1e-9);
        if (type == ReportType::OnlyGraph) {
            EXPECT_NEAR(r[4].from.y(), r[3].from.y() + gap + Th(10) + gap, 1e-9);
        }
    }
}

TEST_F(ReportTest, AStaticCaseHasNoFeedrateAndNoSamplingRateButKeepsItsRows)
{
    Case c = DynamicCase();
    c.Data.Dynamic = false;
    draw(c);
    EXPECT_FALSE(hasPrefix("Feedrate:"));
    EXPECT_FALSE(has("Sampling Rate:"));
    EXPECT_FALSE(has("6.3662"));
    EXPECT_NEAR(text("Measurement Session:")->topLeft.y() - text("Machine:")->topLeft.y(), Th(10), 1e-9);
    EXPECT_NEAR(text("File Name:")->topLeft.y() - text("Measured By:")->topLeft.y(), Th(10), 1e-9);
}

TEST_F(ReportTest, ADynamicCaseWithoutMeasuredFeedratePrintsTheProgrammedOneAlone)
{
    Case c = DynamicCase();
    c.Data.RunFeedrate = {};
    c.Data.MeasuredFeedrateAverage = 0;
    draw(c);
    ExpectSequence(page->texts, "Machine:",
                   {{"Machine:", 1, false}, {"Mill 7", 2, true}, {"Feedrate:", 3, false}, {"1000 mm/min", 4, true},
                    {"Measurement Session:", 1, false}});
}

TEST_F(ReportTest, TheFileNameIsTheTextAfterTheLastSlashOfEitherKind)
{
    const std::pair<const char*, const char*> names[] = {
        {"C:\\data\\run.rtb", "run.rtb"}, {"/home/ann/cases/run2.rtb", "run2.rtb"}, {"a/b\\c.rtb", "c.rtb"},
        {"plain.rtb", "plain.rtb"}};
    for (const auto& [stored, printed] : names) {
        Case c = DynamicCase();
        c.Header[HdrFilename] = stored;
        draw(c);
        const auto all = texts();
        const auto label = std::find(all.begin(), all.end(), QString("File Name:"));
        ASSERT_NE(label, all.end());
        EXPECT_EQ(*(label + 1), printed);
    }
}

TEST_F(ReportTest, AValueTooLongForItsColumnIsSetSmallerAndNeverReachesTheNextColumn)
{
    Case c = DynamicCase();
    c.Header[HdrFilename] = "/cases/" + QString(60, u'a') + ".rtb";
    c.Header[HdrMachine] = QString(300, u'M');
    draw(c);
    const double room = Column(3) - Column(2) - 0.1;
    for (const Text& t : page->texts) {
        if (t.topLeft.x() == Column(2) && t.font.italic) {
            const double width = RecordingCanvas::kCharWidth * t.font.size * 96 / 72 * t.text.size() / kPxPerCm;
            EXPECT_LE(width, room + 1e-9) << t.text.toStdString();
            EXPECT_GE(t.font.size, 6);
        }
    }
    EXPECT_TRUE(hasPrefix(QString(60, u'a').left(10)));
    EXPECT_TRUE(std::any_of(page->texts.begin(), page->texts.end(), [](const Text& t) { return t.text.endsWith(QChar(0x2026)); }));
}

TEST_F(ReportTest, IsoRowsArePrintedOnlyForValuesThatAreThere)
{
    Case c = DynamicCase();
    draw(c);
    // Run 1 has its deviation F, with the words in 8 point and the numbers in 10; run 2 only G.
    ExpectSequence(page->texts, "Radial Deviation F, 1.ccw:",
                   {{"Radial Deviation F, 1.ccw:", 3, false}, {"min: ", 4, true}});
    const auto all = texts();
    const auto min = std::find(all.begin(), all.end(), QString("min: ")) - all.begin();
    const std::vector<std::pair<QString, double>> parts = {{"min: ", 8}, {"-5", 10}, {" max: ", 8}, {"3 µm", 10}};
    double x = Column(4);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Text& t = page->texts[std::size_t(min) + i];
        EXPECT_EQ(t.text, parts[i].first);
        EXPECT_EQ(t.font.size, parts[i].second);
        EXPECT_TRUE(t.font.italic);
        EXPECT_NEAR(t.topLeft.x(), x, 1e-9);
        x += RecordingCanvas::kCharWidth * t.font.size * 96 / 72 * t.text.size() / kPxPerCm;
    }
    EXPECT_TRUE(has("Circular Deviation G, 2.cw:"));
    EXPECT_FALSE(has("Radial Deviation F, 2.cw:"));
    const double withBoth = text("Circularity LSC:")->topLeft.y();

    // G(b) 0 leaves out its row, D included; a run of three zeros leaves no line.
    c.Results.Iso.IsoGb = 0;
    c.Results.Iso.IsoG[2] = 0;
    draw(c);
    EXPECT_TRUE(has("ISO230-4 results"));
    EXPECT_FALSE(hasPrefix("Bi-dir."));
    EXPECT_FALSE(hasPrefix("Circular Deviation G, 2."));
    EXPECT_NEAR(text("Circularity LSC:")->topLeft.y(), withBoth - 2 * Th(10), 1e-9);
    EXPECT_EQ(rules().size(), 7u);

    // No runs: heading and rules alone.
    c.Data.RunCount = 0;
    draw(c);
    EXPECT_FALSE(hasPrefix("Circular Deviation G"));
    EXPECT_EQ(rules().size(), 7u);
}

TEST_F(ReportTest, TheCircularityRowFollowsTheIsoBlock)
{
    draw(DynamicCase());
    ExpectSequence(page->texts, "Circularity LSC:",
                   {{"Circularity LSC:", 1, false}, {"8 µm", 2, true}, {"Circularity MZC:", 3, false}, {"8 µm", 4, true}});
}

TEST_F(ReportTest, OnlyGraphAndAReportWithoutCurrentResultsHaveNoErrorRows)
{
    draw(DynamicCase());
    for (const char* prefix : {"Scale Error (x-y):", "Servo Mismatch (x-y):", "Squareness Error:", "Axis Spike",
                               "Backlash Step", "Cyclic Error", "Pitch", "Lateral Play", "Stick Slip", "Straightness"})
        EXPECT_TRUE(hasPrefix(prefix)) << prefix;

    request.type = ReportType::OnlyGraph;
    draw(DynamicCase());
    EXPECT_FALSE(hasPrefix("Axis Spike"));
    EXPECT_FALSE(hasPrefix("Servo Mismatch"));
    EXPECT_FALSE(hasPrefix("Backlash"));
    EXPECT_TRUE(has("Circularity MZC:"));

    // Terms of an earlier analysis are not printed as this case's.
    request.type = ReportType::ErrorsAndGraph;
    Case stale = DynamicCase();
    stale.Results.ResultsValid = false;
    draw(stale);
    EXPECT_FALSE(hasPrefix("Backlash"));
    EXPECT_TRUE(has("Circularity MZC:"));
}

TEST_F(ReportTest, TheErrorRowsCarryTheResultsCaptionsAndTheirValues)
{
    draw(DynamicCase());
    // The diameter 300 mm: the scale mismatch 16 µm/m over it with 0.1 added to the diameter
    // term, the squareness over the diameter itself.
    ExpectSequence(page->texts, "Scale Error (x-y):",
                   {{"Scale Error (x-y):", 1, false}, {"5 µm/300mm", 2, true}, {"Servo Mismatch (x-y):", 3, false},
                    {"2 %", 4, true}, {"Squareness Error:", 1, false}, {"15 µm/300mm", 2, true},
                    {"Axis Spike x:", 1, false}, {"Axis Spike y:", 3, false}, {"3 µm", 4, true}});
    // Cyclic error brings its pitch line, labels only when the pitch is 0.
    ExpectSequence(page->texts, "Cyclic Error x:",
                   {{"Cyclic Error x:", 1, false}, {"2 µm", 2, true}, {"Cyclic Error y:", 3, false},
                    {"Pitch x:", 1, false}, {"Pitch y:", 3, false},
                    {"Lateral Play x:", 1, false}, {"1 µm", 2, true}, {"Lateral Play y:", 3, false},
                    {"Stick Slip x:", 1, false}, {"Stick Slip y:", 3, false}, {"2 µm", 4, true},
                    {"Straightness x:", 1, false}, {"Straightness y:", 3, false}, {"8 µm", 4, true}});

    // Zero pairs leave out their rows; matched servos leave out the mismatch.
    Case c = DynamicCase();
    c.Results.ErrorValues.SpikeV = 0;
    c.Results.ErrorValues.CyclicH = 0;
    c.Results.ErrorValues.ServoH = 100;
    c.Results.ErrorValues.ServoV = 100;
    draw(c);
    EXPECT_FALSE(hasPrefix("Axis Spike"));
    EXPECT_FALSE(hasPrefix("Cyclic Error"));
    EXPECT_FALSE(hasPrefix("Pitch"));
    EXPECT_FALSE(hasPrefix("Servo Mismatch"));
    EXPECT_TRUE(has("Scale Error (x-y):"));
}

TEST_F(ReportTest, BacklashShowsPlusAndMinusOnlyWhereTheTwoSidesDiffer)
{
    draw(DynamicCase()); // x: 4 and 6, y: 4 and 4
    ExpectSequence(page->texts, "Backlash Step x+:",
                   {{"Backlash Step x+:", 1, false}, {"4 µm", 2, true}, {"Backlash Step y:", 3, false},
                    {"4 µm", 4, true}, {"Backlash Step x-:", 1, false}, {"6 µm", 2, true}});
    EXPECT_FALSE(hasPrefix("Backlash Step y-"));
    EXPECT_NEAR(text("Backlash Step x-:")->topLeft.y() - text("Backlash Step x+:")->topLeft.y(), Th(10), 1e-9);

    // The vertical side differs alone: its second line has columns 3 and 4 only.
    Case c = DynamicCase();
    c.Results.ErrorValues.Back180 = 4;
    c.Results.ErrorValues.Back270 = -2;
    draw(c);
    ExpectSequence(page->texts, "Backlash Step x:",
                   {{"Backlash Step x:", 1, false}, {"4 µm", 2, true}, {"Backlash Step y+:", 3, false},
                    {"4 µm", 4, true}, {"Backlash Step y-:", 3, false}, {"-2 µm", 4, true}});

    // All four 0: one line, labels with empty value columns.
    for (double* v : {&c.Results.ErrorValues.Back0, &c.Results.ErrorValues.Back90, &c.Results.ErrorValues.Back180,
                      &c.Results.ErrorValues.Back270})
        *v = 0;
    draw(c);
    ExpectSequence(page->texts, "Backlash Step x:",
                   {{"Backlash Step x:", 1, false}, {"Backlash Step y:", 3, false}, {"Cyclic Error x:", 1, false}});
}

TEST_F(ReportTest, RandomVibrationBringsTheDirectionalVibrationAndAnEmptyLine)
{
    const auto thinRule = [this] { return rules()[4].from.y(); };
    draw(DynamicCase()); // Random 0
    EXPECT_FALSE(has("Random Vibration:"));
    EXPECT_FALSE(has("Directional Vibration:"));
    const double gap = Th(10) / 4;
    EXPECT_NEAR(thinRule(), text("Squareness Error:")->topLeft.y() + Th(10) + gap, 1e-9);

    Case c = DynamicCase();
    c.Results.ErrorValues.Random = 1.4;
    c.Results.ErrorValues.PolarVibration = 2.6;
    c.Results.ErrorValues.VibrationAngle = 30;
    c.Results.ErrorValues.Squareness = 0;
    draw(c);
    // Squareness 0 leaves its value column empty; random vibration stands on its line.
    ExpectSequence(page->texts, "Squareness Error:",
                   {{"Squareness Error:", 1, false}, {"Random Vibration:", 3, false}, {"1 µm", 4, true},
                    {"Directional Vibration:", 3, false}, {"3 µm   (30°)", 4, true}});
    EXPECT_EQ(text("Random Vibration:")->topLeft.y(), text("Squareness Error:")->topLeft.y());
    EXPECT_NEAR(text("Directional Vibration:")->topLeft.y(), text("Squareness Error:")->topLeft.y() + Th(10), 1e-9);
    EXPECT_NEAR(thinRule(), text("Directional Vibration:")->topLeft.y() + 2 * Th(10) + gap, 1e-9);
}

TEST_F(ReportTest, ACalibratedCaseAddsTheScaleErrorOfEachAxis)
{
    draw(DynamicCase());
    EXPECT_FALSE(has("Scale Error x:"));
    Case c = DynamicCase();
    c.Data.Calibrated = true;
    draw(c);
    ExpectSequence(page->texts, "Scale Error x:",
                   {{"Scale Error x:", 1, false}, {"20 µm/m", 2, true}, {"Scale Error y:", 3, false}, {"4 µm/m", 4, true}});
    EXPECT_TRUE(has("Calibrated"));
}

TEST_F(ReportTest, InInchesEveryLengthPassesThroughTheInchUnits)
{
    useUnits(true);
    draw(DynamicCase());
    EXPECT_TRUE(has("5.90551 in"));        // the ball bar, long format
    EXPECT_TRUE(has("39.37/39.29 in/min")); // programmed and measured feedrate, large format
    // The mismatch over the diameter, 11.811 in, with 0.1 added.
    EXPECT_TRUE(std::any_of(page->texts.begin(), page->texts.end(), [](const Text& t) { return t.text.endsWith(" in/11.9in"); }));
    EXPECT_TRUE(has("0.00039 in"));        // the legend's scale
}

TEST_F(ReportTest, ThePolarGraphDrawsEveryRunWithItsDirectionsPenAndBoldLetters)
{
    draw(DynamicCase());
    const auto blue = linesIn(kBlue);
    const auto red = linesIn(kRed);
    // The sample of the legend is one line of each; 360 points make 360 lines with the closing one.
    ASSERT_EQ(blue.size(), 361u);
    ASSERT_EQ(red.size(), 361u);
    for (const Line& l : blue) {
        EXPECT_EQ(l.pen.style, DrawStyle::Solid);
        EXPECT_EQ(l.pen.width, 1);
    }
    for (const Line& l : red) {
        EXPECT_EQ(l.pen.style, DrawStyle::Dotted);
        EXPECT_EQ(l.pen.width, 1);
    }
    EXPECT_TRUE(linesIn(kGreen).empty());
    // The nominal circle over the runs, 3 divisions of 10 µm at 9.7 divisions across the band.
    ASSERT_EQ(page->circles.size(), 1u);
    const Line closing = rules()[5];
    const double y0 = closing.from.y();
    const double w = kW - 1.5;
    const double cy = y0 + (kH - y0 - 3 * Th(10)) / 2;
    const double h = 2 * (kH - cy - 3 * Th(10));
    const double k = std::min(w, h) / (0.01 * 9.7);
    EXPECT_NEAR(page->circles[0].radius, 0.03 * k, 1e-6);
    EXPECT_NEAR(page->circles[0].centre.x(), 1.5 + w / 2, 1e-9);
    EXPECT_NEAR(page->circles[0].centre.y(), cy, 1e-9);
    EXPECT_EQ(page->circles[0].pen.width, 3);
    EXPECT_EQ(page->circles[0].pen.colour, QColor(Qt::black));
    for (const char* letter : {"x-", "x+", "y+", "y-"}) {
        ASSERT_TRUE(has(letter)) << letter;
        EXPECT_TRUE(text(letter)->font.bold) << letter;
    }
    EXPECT_LT(text("y+")->topLeft.y(), cy);
    EXPECT_GT(text("y-")->topLeft.y(), cy);
    EXPECT_FALSE(has("180"));

    // In the xz plane the vertical letters change places.
    Case xz = DynamicCase();
    xz.Header[HdrPlane] = "xz";
    draw(xz);
    EXPECT_LT(text("z-")->topLeft.y(), cy);
    EXPECT_GT(text("z+")->topLeft.y(), cy);

    // The minimum-zone circles only when the graph window shows them: green, 3 dots, 361
    // points each.
    request.mzcCircles = true;
    draw(DynamicCase());
    const auto green = linesIn(kGreen);
    EXPECT_EQ(green.size(), 2u * 361u);
    for (const Line& l : green)
        EXPECT_EQ(l.pen.width, 3);
}

TEST_F(ReportTest, TheLinearGraphIsPrintedOnlyWhenAsked)
{
    request.linearGraph = true;
    draw(DynamicCase());
    EXPECT_FALSE(has("x+"));
    EXPECT_TRUE(page->circles.empty());
    for (const char* angle : {"0", "90", "180", "270"}) {
        ASSERT_TRUE(has(angle)) << angle;
        EXPECT_EQ(text(angle)->font.size, 8);
    }
    // No label at the arc's end (the 360 of the case data is 10 point).
    for (const Text& t : page->texts)
        EXPECT_FALSE(t.text == "360" && t.font.size == 8);
    // Runs thin, counter-clockwise dotted: 359 lines each plus the legend's sample.
    const auto red = linesIn(kRed);
    ASSERT_EQ(red.size(), 360u);
    for (const Line& l : red)
        EXPECT_EQ(l.pen.style, DrawStyle::Dotted);
    const auto blue = linesIn(kBlue);
    ASSERT_EQ(blue.size(), 360u);
    // The frame: zero line from 0 to 360 degrees, 3 dots wide, after the runs.
    const auto zero = std::find_if(page->lines.begin(), page->lines.end(), [](const Line& l) {
        return l.from == QPointF(0, 0) && l.to == QPointF(360, 0);
    });
    ASSERT_NE(zero, page->lines.end());
    EXPECT_EQ(zero->pen.width, 3);
    // The run lines (readings of a few µm) all come before it.
    std::ptrdiff_t lastRun = -1;
    for (std::size_t i = 0; i < page->lines.size(); ++i) {
        const Line& l = page->lines[i];
        if ((l.pen.colour == kRed || l.pen.colour == kBlue) && std::abs(l.from.y()) < 0.01)
            lastRun = std::ptrdiff_t(i);
    }
    EXPECT_GT(lastRun, 0);
    EXPECT_LT(lastRun, zero - page->lines.begin());
    // The deviation labels at the 360-degree end, ±1 to ±3 divisions.
    for (const char* label : {"10", "20", "30", "-10", "-20", "-30"})
        EXPECT_TRUE(has(label)) << label;
}

TEST_F(ReportTest, TheLegendShowsBothPensAndTheScaleInUse)
{
    settings.GraphScale = 5;
    for (const bool linear : {false, true}) {
        SCOPED_TRACE(linear ? "linear" : "polar");
        request.linearGraph = linear;
        draw(DynamicCase());
        // The legend's font: 10 point after the polar graph, 8 after the linear one.
        const double h = Th(linear ? 8 : 10);
        const double ly = kH - 2 * h;
        const Line separator = rules().back();
        EXPECT_NEAR(separator.from.y(), kH - 3 * h, 1e-9);
        EXPECT_EQ(separator.pen.width, 4);
        const auto blue = linesIn(kBlue);
        const auto red = linesIn(kRed);
        EXPECT_EQ(blue.back().from, QPointF(2.0, ly + 0.25));
        EXPECT_EQ(blue.back().to, QPointF(3.0, ly - 0.25));
        EXPECT_EQ(blue.back().pen.style, DrawStyle::Solid);
        EXPECT_NEAR(red.back().from.x(), kW / 3, 1e-9);
        EXPECT_EQ(red.back().pen.style, DrawStyle::Dotted);
        const auto all = texts();
        const std::vector<QString> tail(all.end() - 4, all.end());
        EXPECT_EQ(tail, (std::vector<QString>{"CW", "CCW", "Scale ", "5 µm"}));
        EXPECT_NEAR(text("CW")->topLeft.x(), 3.0, 1e-9);
        EXPECT_NEAR(text("CW")->topLeft.y(), ly, 1e-9);
        EXPECT_NEAR(text("CCW")->topLeft.x(), kW / 3 + 1, 1e-9);
        EXPECT_NEAR(text("Scale ")->topLeft.x(), 2 * kW / 3, 1e-9);
        EXPECT_EQ(text("CW")->colour, QColor(Qt::black));
    }
}

TEST_F(ReportTest, TheCommentStandsAtTheFootFourLinesAboveTheBottom)
{
    Case c = DynamicCase();
    c.Header[HdrComment] = "Spindle warm, coolant on";
    draw(c);
    const Text* comment = text("Spindle warm, coolant on");
    ASSERT_TRUE(comment);
    EXPECT_NEAR(comment->topLeft.y(), kH - 4 * Th(10), 1e-9);
    EXPECT_NEAR(comment->topLeft.x(), 1.5, 1e-9);
    EXPECT_TRUE(comment->font.italic);
    EXPECT_EQ(comment->font.size, 10);
    EXPECT_EQ(page->texts.back().text, c.Header[HdrComment]);

    // Also below the linear graph, whose legend leaves the font at 8 point.
    request.linearGraph = true;
    draw(c);
    EXPECT_NEAR(text("Spindle warm, coolant on")->topLeft.y(), kH - 4 * Th(10), 1e-9);

    // Without a comment the legend's scale is the last text.
    draw(DynamicCase());
    EXPECT_EQ(page->texts.back().text, "10 µm");
}

// Readings far beyond the scale: every piece of every trace stays in its band, below the text
// and above the comment's line, and the runs are still drawn there.
TEST_F(ReportTest, TracesAreClippedToTheirBandAndNeverReachTheText)
{
    Case c = DynamicCase();
    c.Header[HdrComment] = "comment";
    for (int r = 1; r <= 2; ++r) {
        for (int p = 0; p < 360; ++p)
            c.Data.Readings(r, p) = p % 2 ? 1.0 : -1.0;
    }
    for (const bool linear : {false, true}) {
        SCOPED_TRACE(linear ? "linear" : "polar");
        request.linearGraph = linear;
        draw(c);
        const double top = rules()[5].from.y();
        const double floor = kH - 4 * Th(10);
        int inBand = 0;
        for (const Line& l : page->lines) {
            if (l.pen.colour != kBlue && l.pen.colour != kRed)
                continue;
            if (l.from.y() > kH - 3 * Th(linear ? 8 : 10) - 1e-9)
                continue; // the legend's samples
            // The linear graph's lines are in its own scale: compare their page positions.
            const auto pageY = [&](const QPointF& p) {
                if (!linear)
                    return p.y();
                const double g = 0.01;
                const double band = kH - top - 3 * Th(10);
                return top + (3.5 * g - p.y()) / (7 * g) * band;
            };
            for (const QPointF& p : {l.from, l.to}) {
                EXPECT_GE(pageY(p), top - 1e-6);
                EXPECT_LE(pageY(p), floor + 1e-6);
            }
            ++inBand;
        }
        EXPECT_GT(inBand, 100);
    }
}

// A reading that is no number is left out of its trace, also the first: the rest is drawn.
TEST_F(ReportTest, ReadingsThatAreNoNumbersAreLeftOutOfTheirTrace)
{
    Case c = DynamicCase();
    c.Data.Readings(1, 0) = std::nan("");
    c.Data.Readings(1, 10) = INFINITY;
    for (const bool linear : {false, true}) {
        SCOPED_TRACE(linear ? "linear" : "polar");
        request.linearGraph = linear;
        draw(c);
        // Run 1, the counter-clockwise one, starts at point 1 and bridges point 10 with one
        // line: 357 lines of its 359 in the linear graph; the polar one also loses the line that
        // closes the circle at the missing first point, of its 360. Plus the legend's sample.
        EXPECT_EQ(linesIn(kRed).size(), 358u);
        for (const Line& l : page->lines) {
            EXPECT_TRUE(std::isfinite(l.from.x()) && std::isfinite(l.from.y()) && std::isfinite(l.to.x()) &&
                        std::isfinite(l.to.y()));
        }
    }
}

TEST_F(ReportTest, AGraphWithoutRoomIsLeftOutWithANoteAndTheTextIsPrinted)
{
    for (const bool linear : {false, true}) {
        SCOPED_TRACE(linear ? "linear" : "polar");
        request.linearGraph = linear;
        // A page that the text alone fills.
        const ReportOutcome outcome = draw(DynamicCase(), 12);
        ASSERT_EQ(outcome.notes.size(), 1);
        EXPECT_TRUE(outcome.notes[0].contains("graph")) << outcome.notes[0].toStdString();
        EXPECT_TRUE(linesIn(kBlue).empty());
        EXPECT_TRUE(linesIn(kRed).empty());
        EXPECT_FALSE(has("CW"));
        EXPECT_TRUE(has("Straightness y:"));
    }
    EXPECT_TRUE(draw(DynamicCase()).notes.isEmpty());
}

TEST_F(ReportTest, AZeroSweepPrintsTheLinearFrameOverAFullCircleAndNoTraces)
{
    Case c = DynamicCase();
    c.Data.SweepAngle = 0;
    c.Data.StopAngle = 0;
    request.linearGraph = true;
    const ReportOutcome outcome = draw(c);
    EXPECT_TRUE(outcome.notes.isEmpty());
    for (const char* angle : {"90", "180", "270"})
        EXPECT_TRUE(has(angle)) << angle;
    EXPECT_EQ(linesIn(kRed).size(), 1u); // the legend's sample
    for (const Line& l : page->lines) {
        EXPECT_TRUE(std::isfinite(l.from.x()) && std::isfinite(l.to.x()));
    }
}

TEST_F(ReportTest, AMissingOrDamagedLogoLeavesThePageWithoutIt)
{
    const QByteArray good = WmfBuilder(0, 0, 200, 100).lineTo(1, 1).bytes();
    const std::pair<QString, QByteArray> logos[] = {
        {"cut.wmf", good.left(good.size() - 3)},
        {"emf.wmf", EnhancedHeader(0, 0, 100, 50)},
        {"flat.wmf", WmfBuilder(0, 0, 200, 0).bytes()},
        {"text.wmf", "not a picture at all, only some words"},
    };
    std::vector<QString> paths = {path("missing.wmf")};
    for (const auto& [name, bytes] : logos)
        paths.push_back(writeFile(name, bytes));
    for (const QString& p : paths) {
        SCOPED_TRACE(p.toStdString());
        request.logoPath = p;
        const ReportOutcome outcome = draw(DynamicCase());
        EXPECT_TRUE(page->pictures.empty());
        ASSERT_EQ(outcome.notes.size(), 1);
        EXPECT_TRUE(outcome.notes[0].contains(QFileInfo(p).fileName()));
        EXPECT_EQ(page->texts[0].text, "Sarvotrenk");
        EXPECT_TRUE(has("Circularity MZC:"));
    }
    // No logo asked for: none drawn and nothing to say.
    request.logoPath.clear();
    EXPECT_TRUE(draw(DynamicCase()).notes.isEmpty());
    EXPECT_TRUE(page->pictures.empty());
}

TEST_F(ReportTest, ACaseBeyondItsLimitsOrAPageNotMeasuredFromItsCornerIsRefused)
{
    Case c = DynamicCase();
    c.Data.RunCount = 9;
    EXPECT_THROW(draw(c), AppError);
    RecordingCanvas shifted(QSizeF(800, 1100));
    shifted.setScale(1, 0, kW, kH);
    EXPECT_THROW(DrawReport(shifted, DynamicCase(), settings, units, request), AppError);
}

// Every text of the report has its German row in the shipped language database: drawing it in
// German adds no text to translate.
TEST_F(ReportTest, TheShippedLanguageDatabaseHasGermanForEveryTextOfTheReport)
{
    ASSERT_EQ(CreateDatabaseFromScript(path(kLangDbFileName), ShippedScript("lang.sql")), QString());
    OpenLanguageDatabase(appPath);
    ASSERT_TRUE(languageDb().isOpen());
    const int rows = languageRowCount("Languages");
    SetTextLanguage("German");
    useUnits(false);
    Case c = DynamicCase();
    c.Data.Calibrated = true;
    c.Results.ErrorValues.Random = 1;
    c.Results.ErrorValues.Squareness = 3;
    draw(c);
    request.logoPath = path("missing.wmf");
    request.linearGraph = true;
    const ReportOutcome outcome = draw(c, 12);
    EXPECT_EQ(outcome.notes.size(), 2);
    EXPECT_EQ(languageRowCount("Languages"), rows) << "a text of the report has no row in the shipped database";
    EXPECT_TRUE(has("Kunde:"));
    EXPECT_TRUE(hasPrefix("Umkehr"));
    CloseLanguageDatabase();
}

namespace {

// The page as the device gets it: every mark as its box in device pixels, whichever scale drew
// it, and the texts' boxes apart.
class DeviceBoxes : public RecordingCanvas {
public:
    using RecordingCanvas::RecordingCanvas;

    std::vector<std::pair<QString, QRectF>> textBoxes;
    std::vector<QRectF> marks;

protected:
    void paintText(const QPointF& topLeft, const QString& text, const QColor& colour, const CanvasFont& font) override
    {
        RecordingCanvas::paintText(topLeft, text, colour, font);
        const QRectF box(toDevice(topLeft), measure(text, font));
        textBoxes.emplace_back(text, box);
        marks.push_back(box);
    }
    void paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen) override
    {
        RecordingCanvas::paintLine(from, to, pen);
        marks.push_back(QRectF(toDevice(from), toDevice(to)).normalized());
    }
    void paintCircle(const QPointF& centre, double radius, const CanvasPen& pen) override
    {
        RecordingCanvas::paintCircle(centre, radius, pen);
        const double r = radius * std::abs(pixelsPerUnitX());
        marks.push_back(QRectF(toDevice(centre) - QPointF(r, r), QSizeF(2 * r, 2 * r)));
    }
    void paintPicture(const QRectF& userBox, const QRectF& deviceBox, const PicturePainter& paint) override
    {
        RecordingCanvas::paintPicture(userBox, deviceBox, paint);
        marks.push_back(deviceBox.normalized());
    }
};

} // namespace

// The report's own page, in English and German, under either graph, with every row a case can
// have, long names and the longest comment: all of it inside the printable area and no text over
// another.
TEST_F(ReportTest, OnTheReportsPageNothingLeavesThePrintableAreaAndNoTextRunsIntoAnother)
{
    ASSERT_EQ(CreateDatabaseFromScript(path(kLangDbFileName), ShippedScript("lang.sql")), QString());
    OpenLanguageDatabase(appPath);
    Case c = DynamicCase();
    c.Data.Calibrated = true;
    ErrorParams& e = c.Results.ErrorValues;
    e.Random = 1;
    e.CyclicV = 1;
    e.PitchH = 12;
    e.PlayV = 2;
    e.StraightH = 3;
    e.SlipH = 1;
    e.SpikeH = 2;
    c.Header[HdrMachine] = "Horizontal machining centre with rotary table, bay 4";
    c.Header[HdrFilename] = "/data/" + QString(60, u'w') + ".rtb";
    c.Header[HdrComment] = QString("Coolant on, spindle warm after forty minutes, ").repeated(3).left(100);

    const QSizeF cm = ReportPageLayout().paintRect(QPageLayout::Millimeter).size() / 10;
    for (const char* language : {"English", "German"}) {
        SetTextLanguage(language);
        for (const bool linear : {false, true}) {
            SCOPED_TRACE(std::string(language) + (linear ? " linear" : " polar"));
            request.linearGraph = linear;
            DeviceBoxes page(cm * kPxPerCm);
            page.setScale(0, 0, cm.width(), cm.height());
            EXPECT_TRUE(DrawReport(page, c, settings, units, request).notes.isEmpty());
            EXPECT_TRUE(std::any_of(page.textBoxes.begin(), page.textBoxes.end(),
                                    [](const auto& t) { return t.first.startsWith("Coolant on"); }));
            const QRectF area = QRectF(QPointF(0, 0), page.sizePx()).adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
            for (const QRectF& mark : page.marks)
                EXPECT_TRUE(area.contains(mark.topLeft()) && area.contains(mark.bottomRight()))
                    << mark.x() << "," << mark.y() << " " << mark.width() << "x" << mark.height();
            const auto& boxes = page.textBoxes;
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                    const QRectF both = boxes[i].second.intersected(boxes[j].second);
                    EXPECT_FALSE(both.width() > 1e-6 && both.height() > 1e-6)
                        << boxes[i].first.toStdString() << " | " << boxes[j].first.toStdString();
                }
            }
        }
    }
    CloseLanguageDatabase();
}
