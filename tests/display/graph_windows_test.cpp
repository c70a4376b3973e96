// The two graph windows offscreen over cases filled by hand and a host that records what the
// windows ask of the program: the scale steps, keys and typed scales, the rescale notice, the
// graph kind and direction options, Close in combined mode, Combine, the placement in the client
// area, the colours of the two directions in the picture, and the first shipped example's linear
// graph with no trace over a label.
#include "display/ui/graph_windows.h"

#include "analysis/analyse_case.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "files/rtb_reader.h"
#include "tests/display/display_test.h"
#include "tests/support/sample_cases.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>

namespace sarvo::display {
namespace {

class RecordingHost : public GraphWindowHost {
public:
    bool combined() const override { return combinedOn; }
    void setCombined(bool on) override
    {
        combinedOn = on;
        calls << QStringLiteral("setCombined(%1)").arg(on);
    }
    void showCombinedOriginal() override { calls << QStringLiteral("showCombinedOriginal"); }
    void refreshAnalysisGraph() override { ++analysisRefreshes; }
    void syncAnalysisOptions(const GraphViewOptions& options) override { synced.push_back(options); }
    void printGraph() override
    {
        ++prints;
        if (failPrint)
            throw std::runtime_error("no printer");
    }
    void originalGraphClosed() override { ++closed; }

    bool combinedOn = false;
    QStringList calls;
    int analysisRefreshes = 0;
    std::vector<GraphViewOptions> synced;
    int prints = 0;
    bool failPrint = false;
    int closed = 0;
};

struct Colours {
    int blue = 0;
    int red = 0;
};

Colours CountTraceColours(const QImage& image)
{
    Colours n;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y) & 0xFFFFFF;
            n.blue += p == 0x0000FF ? 1 : 0;
            n.red += p == 0xFF0000 ? 1 : 0;
        }
    }
    return n;
}

class GraphWindowsTest : public test::DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        test::FillTwoWayCircle(c); // within ±3 µm: no rescale at 10 µm per division
        settings.GraphScale = 10;
    }
    void TearDown() override
    {
        original.reset();
        analysis.reset();
        DisplayTest::TearDown();
    }

    // The window shown and active, so that it takes the keyboard.
    OriginalGraphWindow& openOriginal()
    {
        original = std::make_unique<OriginalGraphWindow>(c, settings, units, host);
        original->show();
        QApplication::setActiveWindow(original.get());
        return *original;
    }
    AnalysisGraphWindow& openAnalysis()
    {
        analysis = std::make_unique<AnalysisGraphWindow>(c, settings, units, host);
        analysis->show();
        return *analysis;
    }
    // Types over the whole scale text, without leaving the box.
    void typeScale(const QString& text)
    {
        QLineEdit* box = original->scaleBox();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void leaveScaleBox() { original->closeButton()->setFocus(); }
    double displayedScale() const { return settings.GraphScale * units.SmallFactor; }

    Case c;
    RecordingHost host;
    std::unique_ptr<OriginalGraphWindow> original;
    std::unique_ptr<AnalysisGraphWindow> analysis;
};

// --- scale ------------------------------------------------------------------------------------

TEST_F(GraphWindowsTest, MetricScaleStepsFollowTheStepSeries)
{
    struct Row {
        double set;      // scale in the settings at load
        QString typed;   // typed before the step, when not empty
        bool up;
        double expected; // µm per division
    };
    const Row rows[] = {
        {200, {}, true, 200},     // the greatest step stays
        {1, {}, false, 1},        // the least step stays
        {10, "0.5", false, 1},    // below the least step: down to it
        {10, "0.5", true, 2},     // ... and up to the second step
        {10, "150", false, 100},  // between steps
        {10, "150", true, 200},
        {10, {}, true, 20},
        {10, {}, false, 5},
        {2, {}, false, 1},
        {310.345, {}, false, 200}, // off the series after a rescale
    };
    for (const Row& row : rows) {
        settings.GraphScale = row.set;
        OriginalGraphWindow& w = openOriginal();
        if (!row.typed.isEmpty())
            typeScale(row.typed);
        const int refreshes = host.analysisRefreshes;
        QTest::mouseClick(row.up ? w.scaleUpButton() : w.scaleDownButton(), Qt::LeftButton);
        EXPECT_DOUBLE_EQ(settings.GraphScale, row.expected) << row.set << " " << row.typed.toStdString() << row.up;
        // The step redraws the analysis graph too and leaves the focus in the box.
        EXPECT_EQ(host.analysisRefreshes, refreshes + 1);
        EXPECT_TRUE(w.scaleBox()->hasFocus());
    }
    settings.GraphScale = 20;
    openOriginal();
    QTest::mouseClick(original->scaleUpButton(), Qt::LeftButton);
    EXPECT_EQ(original->scaleBox()->text(), "50");
}

TEST_F(GraphWindowsTest, InchScaleStepsFollowTheInchSeries)
{
    useUnits(true);
    struct Row {
        double setInch;
        QString typed;
        bool up;
        double expectedInch;
    };
    const Row rows[] = {
        {0.01, {}, true, 0.01},
        {0.00005, {}, false, 0.00005},
        {0.001, "0.00003", true, 0.0001},
        {0.001, "0.0003", false, 0.0002},
        {0.001, "0.0003", true, 0.0005},
        {0.001, {}, false, 0.0005},
        {0.001, {}, true, 0.002},
    };
    for (const Row& row : rows) {
        settings.GraphScale = row.setInch * 25400; // µm
        OriginalGraphWindow& w = openOriginal();
        if (!row.typed.isEmpty())
            typeScale(row.typed);
        QTest::mouseClick(row.up ? w.scaleUpButton() : w.scaleDownButton(), Qt::LeftButton);
        EXPECT_NEAR(displayedScale(), row.expectedInch, row.expectedInch * 1e-9)
            << row.setInch << " " << row.typed.toStdString() << row.up;
        EXPECT_NEAR(settings.GraphScale, row.expectedInch * 25400, 1e-6);
    }
}

TEST_F(GraphWindowsTest, ArrowKeysInTheScaleBoxStepLikeTheSpinButton)
{
    settings.GraphScale = 10;
    OriginalGraphWindow& w = openOriginal();
    QLineEdit* box = w.scaleBox();
    box->setFocus();
    const double expected[] = {20, 50, 20, 10, 5, 2, 1, 1};
    const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down,
                            Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down};
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        QTest::keyClick(box, keys[i]);
        EXPECT_DOUBLE_EQ(settings.GraphScale, expected[i]) << i;
    }
    EXPECT_EQ(box->text(), "1");

    // A typed value is where the key steps from, as the spin button does.
    typeScale("150");
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(settings.GraphScale, 100);
    typeScale("0.5");
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(settings.GraphScale, 2);
}

TEST_F(GraphWindowsTest, TypedScaleIsTakenWhenPositiveAndOtherwiseRestoredTextThatIsNoNumberTold)
{
    settings.GraphScale = 20;
    OriginalGraphWindow& w = openOriginal();
    QLineEdit* box = w.scaleBox();
    for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("0"), QStringLiteral("abc")}) {
        typeScale(bad);
        leaveScaleBox();
        EXPECT_EQ(box->text(), "20") << bad.toStdString();
        EXPECT_DOUBLE_EQ(settings.GraphScale, 20) << bad.toStdString();
    }
    // Only the text that is no number is told.
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Invalid Value. Scale = abc");
    // And a number the reading would cut ("1,250.5" reads 1.5), told alike.
    for (const QString& cut : {QStringLiteral("1,250.5"), QStringLiteral("1,000,000")}) {
        prompts.messages.clear();
        typeScale(cut);
        leaveScaleBox();
        EXPECT_EQ(box->text(), "20") << cut.toStdString();
        ASSERT_EQ(prompts.messages.size(), 1u) << cut.toStdString();
        EXPECT_EQ(prompts.messages[0].text, "Invalid Value. Scale = " + cut);
    }
    EXPECT_DOUBLE_EQ(settings.GraphScale, 20);
    prompts.messages.clear();

    // Leaving the box takes the value but does not redraw; Enter takes it and redraws both.
    const int refreshes = host.analysisRefreshes;
    typeScale("35");
    leaveScaleBox();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 35);
    EXPECT_EQ(host.analysisRefreshes, refreshes);
    typeScale("40");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(settings.GraphScale, 40);
    EXPECT_EQ(host.analysisRefreshes, refreshes + 1);

    // Scales that could not be drawn sensibly are held to the limits.
    typeScale("0.0001");
    leaveScaleBox();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 0.01);
    typeScale("1E9");
    leaveScaleBox();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 100000);

    // Moving through the box changes nothing, though it shows the scale rounded.
    settings.GraphScale = 310.345;
    w.refreshUnits();
    box->setFocus();
    leaveScaleBox();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 310.345);
}

TEST_F(GraphWindowsTest, ScaleThatIsNotPositiveBecomesTen)
{
    for (const double bad : {0.0, -3.0, std::numeric_limits<double>::quiet_NaN()}) {
        settings.GraphScale = bad;
        openOriginal();
        EXPECT_DOUBLE_EQ(settings.GraphScale, 10) << bad;
        EXPECT_EQ(original->scaleBox()->text(), "10") << bad;
    }
    settings.GraphScale = 0;
    AnalysisGraphWindow analysisOnly(c, settings, units, host);
    EXPECT_DOUBLE_EQ(settings.GraphScale, 10);
}

TEST_F(GraphWindowsTest, UnitSwitchRewritesScaleAndUnit)
{
    settings.GraphScale = 254;
    OriginalGraphWindow& w = openOriginal();
    EXPECT_EQ(w.unitLabel()->text(), QStringLiteral("µm"));
    EXPECT_EQ(w.scaleBox()->text(), "254");
    useUnits(true);
    w.refreshUnits();
    EXPECT_EQ(w.unitLabel()->text(), units.SmallCaption);
    EXPECT_NE(w.unitLabel()->text(), QStringLiteral("µm"));
    EXPECT_DOUBLE_EQ(StrToDbl(w.scaleBox()->text()), 0.01);
}

// --- rescale notice ---------------------------------------------------------------------------

TEST_F(GraphWindowsTest, OversizeReadingRescalesAndShowsTruncatedForASecond)
{
    OriginalGraphWindow& w = openOriginal();
    QLabel* clip = w.clipPanel();
    EXPECT_FALSE(clip->isVisible());
    EXPECT_DOUBLE_EQ(settings.GraphScale, 10);

    // 100 µm at 10 µm per division lies beyond the three divisions; 100 / 3 µm per division
    // rounds up to the step 50.
    c.Data.Readings(1, 2) = 0.1;
    const int refreshes = host.analysisRefreshes;
    w.redraw();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 50);
    EXPECT_EQ(w.scaleBox()->text(), "50");
    EXPECT_EQ(host.analysisRefreshes, refreshes + 1); // the analysis graph follows the one scale
    ASSERT_TRUE(clip->isVisible());
    EXPECT_EQ(clip->text(), "Truncated!");
    EXPECT_LE((clip->geometry().center() - w.picture()->rect().center()).manhattanLength(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !clip->isVisible(); }, 10000));
    EXPECT_DOUBLE_EQ(settings.GraphScale, 50);

    // 300 µm: 100 µm per division. A drawing within the second fits the data and does not cut
    // the notice short.
    c.Data.Readings(2, 5) = -0.3;
    w.redraw();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 100);
    w.redraw();
    EXPECT_DOUBLE_EQ(settings.GraphScale, 100);
    EXPECT_TRUE(clip->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !clip->isVisible(); }, 10000));
}

TEST_F(GraphWindowsTest, ModelTraceBeyondTheGraphKeepsTruncatedAndTheScale)
{
    AnalysisResults& r = c.Results;
    r.AnalysisCurveCount = 1;
    r.AnalysisCurveDir[1] = -1;
    r.AnalysisStep = 1;
    for (int d = 0; d <= 360; ++d)
        r.AnalysisCurve(0, d) = 0.05f; // 50 µm against 30 µm at three divisions
    AnalysisGraphWindow& w = openAnalysis();
    EXPECT_TRUE(w.clipPanel()->isVisible());
    QTest::qWait(1200);
    EXPECT_TRUE(w.clipPanel()->isVisible());
    EXPECT_DOUBLE_EQ(settings.GraphScale, 10);

    for (int d = 0; d <= 360; ++d)
        r.AnalysisCurve(0, d) = 0.001f;
    w.redraw();
    EXPECT_FALSE(w.clipPanel()->isVisible());
}

// --- options ----------------------------------------------------------------------------------

TEST_F(GraphWindowsTest, LinearHidesTheMzcCheckBoxAndPolarBringsItBack)
{
    OriginalGraphWindow& w = openOriginal();
    EXPECT_TRUE(w.polarOption()->isChecked());
    EXPECT_TRUE(w.directionOption(DirectionFilter::Both)->isChecked());
    EXPECT_FALSE(w.mzcCheck()->isChecked());
    ASSERT_TRUE(w.mzcCheck()->isVisible());
    w.mzcCheck()->click();
    ASSERT_TRUE(w.mzcCheck()->isChecked());

    w.linearOption()->click();
    EXPECT_FALSE(w.mzcCheck()->isVisible());
    EXPECT_TRUE(w.linearOption()->font().bold());
    EXPECT_FALSE(w.polarOption()->font().bold());

    w.polarOption()->click();
    EXPECT_TRUE(w.mzcCheck()->isVisible());
    EXPECT_TRUE(w.mzcCheck()->isChecked());
    EXPECT_TRUE(w.polarOption()->font().bold());
    EXPECT_FALSE(w.linearOption()->font().bold());
}

TEST_F(GraphWindowsTest, AClickPassesOnlyWhatItChoseToTheAnalysisGraph)
{
    OriginalGraphWindow& w = openOriginal();
    w.directionOption(DirectionFilter::Cw)->click();
    ASSERT_EQ(host.synced.size(), 1u);
    EXPECT_FALSE(host.synced.back().polar || host.synced.back().linear) << "a direction click passes no kind";
    EXPECT_TRUE(host.synced.back().clockwise);
    EXPECT_FALSE(host.synced.back().counterClockwise);
    EXPECT_TRUE(w.directionOption(DirectionFilter::Cw)->font().bold());
    EXPECT_FALSE(w.directionOption(DirectionFilter::Both)->font().bold());

    w.linearOption()->click();
    ASSERT_EQ(host.synced.size(), 2u);
    EXPECT_TRUE(host.synced.back().linear);
    EXPECT_FALSE(host.synced.back().polar);
    EXPECT_FALSE(host.synced.back().clockwise || host.synced.back().counterClockwise) << "a kind click passes no direction";

    // CCW chosen in the analysis graph stays when the original graph turns polar, and the kind
    // stays when it turns to both directions.
    AnalysisGraphWindow& a = openAnalysis();
    a.directionOption(DirectionFilter::Ccw)->click();
    EXPECT_EQ(host.synced.size(), 2u); // the analysis graph reports nothing back
    w.polarOption()->click();
    a.setViewOptions(host.synced.back()); // as the program passes it on
    EXPECT_TRUE(a.polarOption()->isChecked());
    EXPECT_EQ(a.filter(), DirectionFilter::Ccw);
    a.linearOption()->click();
    w.directionOption(DirectionFilter::Both)->click();
    a.setViewOptions(host.synced.back());
    EXPECT_TRUE(a.linearOption()->isChecked());
    EXPECT_EQ(a.filter(), DirectionFilter::Both);
    EXPECT_TRUE(a.directionOption(DirectionFilter::Both)->font().bold());

    // The whole set, as Result Graph copies it, sets both.
    a.setViewOptions(w.viewOptions());
    EXPECT_TRUE(a.polarOption()->isChecked());
    EXPECT_EQ(a.filter(), DirectionFilter::Both);
}

TEST_F(GraphWindowsTest, PictureDrawsEachDirectionInItsColour)
{
    // The counter-clockwise run 8 µm further out, so that the later run cannot cover it.
    for (int j = 0; j < c.Data.RunTargets[1]; ++j)
        c.Data.Readings(1, j) += 0.008;
    OriginalGraphWindow& w = openOriginal();
    ASSERT_EQ(w.picture()->image().size(), w.picture()->size() * w.picture()->devicePixelRatioF());
    Colours both = CountTraceColours(w.picture()->image());
    EXPECT_GT(both.blue, 50);
    EXPECT_GT(both.red, 50);

    w.directionOption(DirectionFilter::Cw)->click();
    Colours cw = CountTraceColours(w.picture()->image());
    EXPECT_GT(cw.blue, 50);
    EXPECT_EQ(cw.red, 0);

    w.directionOption(DirectionFilter::Ccw)->click();
    Colours ccw = CountTraceColours(w.picture()->image());
    EXPECT_EQ(ccw.blue, 0);
    EXPECT_GT(ccw.red, 50);

    // The analysis graph draws no measured runs.
    AnalysisGraphWindow& a = openAnalysis();
    Colours model = CountTraceColours(a.picture()->image());
    EXPECT_EQ(model.blue + model.red, 0);
}

TEST_F(GraphWindowsTest, PictureFollowsTheWindowSizeUnlessSuspended)
{
    OriginalGraphWindow& w = openOriginal();
    w.resize(500, 400);
    const QSize drawn = w.picture()->image().size();
    EXPECT_EQ(drawn, w.picture()->size() * w.picture()->devicePixelRatioF());

    w.setDrawingSuspended(true);
    w.resize(640, 480);
    EXPECT_EQ(w.picture()->image().size(), drawn);
    w.setDrawingSuspended(false);
    EXPECT_EQ(w.picture()->image().size(), w.picture()->size() * w.picture()->devicePixelRatioF());
}

TEST_F(GraphWindowsTest, DrawingErrorsAreReportedPerGraphKind)
{
    c.Data.RunCount = 9; // beyond the runs a case holds
    OriginalGraphWindow& w = openOriginal();
    const int polarReports = reportsAt("Making polar graph");
    EXPECT_GE(polarReports, 1);
    w.redraw();
    EXPECT_EQ(reportsAt("Making polar graph"), polarReports + 1);
    w.linearOption()->click();
    EXPECT_EQ(reportsAt("Making linear graph"), 1);
    EXPECT_TRUE(w.isVisible());
}

// --- close, combine, print --------------------------------------------------------------------

TEST_F(GraphWindowsTest, CloseInCombinedModeOnlyLeavesIt)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    auto* w = new OriginalGraphWindow(c, settings, units, host);
    QMdiSubWindow* sub = area.addSubWindow(w);
    sub->showMaximized();
    host.combinedOn = true;
    w->redraw();
    EXPECT_EQ(w->windowTitle(), "Original Measurement & Analysis Result Graph");

    const int refreshes = host.analysisRefreshes;
    QTest::mouseClick(w->closeButton(), Qt::LeftButton);
    EXPECT_EQ(host.calls, QStringList{"setCombined(0)"});
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_EQ(w->windowTitle(), "Original Measurement Graph");
    EXPECT_EQ(host.analysisRefreshes, refreshes + 1);
    EXPECT_EQ(host.closed, 0);

    // Out of combined mode Esc closes it, and the analysis graph goes with it.
    QTest::keyClick(w->scaleBox(), Qt::Key_Escape);
    EXPECT_FALSE(sub->isVisible());
    EXPECT_EQ(host.closed, 1);
}

TEST_F(GraphWindowsTest, CombineAsksForTheCombinedOriginalGraph)
{
    AnalysisGraphWindow& a = openAnalysis();
    EXPECT_EQ(a.windowTitle(), "Analysis Result Graph");
    QTest::mouseClick(a.combineButton(), Qt::LeftButton);
    EXPECT_EQ(host.calls, (QStringList{"setCombined(1)", "showCombinedOriginal"}));
    EXPECT_TRUE(a.isVisible());

    QTest::mouseClick(a.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(host.closed, 0);
}

TEST_F(GraphWindowsTest, PrintOpensThePrintOptionsAndReportsAFailure)
{
    OriginalGraphWindow& w = openOriginal();
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    EXPECT_EQ(host.prints, 1);
    EXPECT_EQ(reportsAt("Printing graph"), 0);
    host.failPrint = true;
    QTest::mouseClick(w.printButton(), Qt::LeftButton);
    EXPECT_EQ(host.prints, 2);
    EXPECT_EQ(reportsAt("Printing graph"), 1);
}

// --- placement --------------------------------------------------------------------------------

TEST_F(GraphWindowsTest, WindowsTakeTheirHalfOfTheClientArea)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    const QSize client = area.viewport()->size();
    QMdiSubWindow* right = area.addSubWindow(new OriginalGraphWindow(c, settings, units, host));
    QMdiSubWindow* left = area.addSubWindow(new AnalysisGraphWindow(c, settings, units, host));
    right->show();
    left->show();
    EXPECT_EQ(right->geometry(), QRect(client.width() / 2, 0, client.width() / 2, client.height()));
    EXPECT_EQ(left->geometry(), QRect(0, 0, client.width() / 2, client.height()));
}

TEST_F(GraphWindowsTest, MinimisedWindowDrawsNothingUntilRestored)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    auto* w = new OriginalGraphWindow(c, settings, units, host);
    QMdiSubWindow* sub = area.addSubWindow(w);
    sub->show();
    const qint64 shown = w->picture()->image().cacheKey();
    sub->showMinimized();
    w->refreshUnits();
    EXPECT_EQ(w->picture()->image().cacheKey(), shown);

    // The full redraw brings it back to its normal size first.
    w->redraw();
    EXPECT_FALSE(sub->isMinimized());
    EXPECT_NE(w->picture()->image().cacheKey(), shown);
    EXPECT_EQ(w->picture()->image().size(), w->picture()->size() * w->picture()->devicePixelRatioF());
}

// --- labels of the linear graph --------------------------------------------------------------

// Where each text lands, in device pixels: the line box of its font.
class TextPlaces : public PainterCanvas {
public:
    using PainterCanvas::PainterCanvas;
    std::vector<std::pair<QString, QRectF>> places;

protected:
    void paintText(const QPointF& topLeft, const QString& text, const QColor& colour, const CanvasFont& font) override
    {
        places.emplace_back(text, QRectF(toDevice(topLeft), measure(text, font)));
        PainterCanvas::paintText(topLeft, text, colour, font);
    }
};

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& what)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += what(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

bool IsTraceColour(QRgb p)
{
    return (p & 0xFFFFFF) == 0x0000FF || (p & 0xFFFFFF) == 0xFF0000;
}

// The first shipped example, read and analysed as the program does: its traces, with their
// steps at the axis reversals, pass the angle labels 90 and 270.
class LinearGraphLabels : public GraphWindowsTest {
protected:
    void SetUp() override
    {
        GraphWindowsTest::SetUp();
        c = Case{};
        files::DiskFiles disk;
        files::ReadContext ctx = files::ReadContext::fromSettings(settings);
        ctx.files = &disk;
        c.Header[HdrFilename] = SARVOTEX_SOURCE_DIR "/data/examples/01_dynamic_xy_both_directions.rtb";
        ASSERT_TRUE(files::ReadRtb(c, ctx).ok());
        NoProgress none;
        ASSERT_TRUE(AnalyseCase(c, settings, {.measurement = true, .errorModel = true}, none).ok());
    }

    // Every label of the window's linear graph holds its ink and no trace colour, while the
    // traces are met in the columns of 90 and 270 within three lines above or below them.
    void expectLabelsClear(GraphWindow& w, const char* view)
    {
        SCOPED_TRACE(view);
        ASSERT_FALSE(w.polar());
        const QImage image = w.picture()->image().convertToFormat(QImage::Format_RGB32);
        // Where the labels stand: the same graph without traces, at the scale the window drew.
        QImage scratch(image.size(), QImage::Format_RGB32);
        QPainter painter(&scratch);
        TextPlaces frame(painter, QSizeF(image.size()));
        GraphRequest none;
        none.polar = false;
        none.showMeasured = false;
        double scale = settings.GraphScale;
        DrawGraphPicture(frame, c, scale, none, units, settings.UnitsInch);
        ASSERT_EQ(frame.places.size(), 10u); // six deviation and four angle labels
        int passed = 0;
        for (const auto& [text, box] : frame.places) {
            const QRect inside(QPoint(int(std::ceil(box.left())), int(std::ceil(box.top()))),
                               QPoint(int(std::floor(box.right())) - 1, int(std::floor(box.bottom())) - 1));
            EXPECT_EQ(CountPixels(image, inside, IsTraceColour), 0) << text.toStdString() << " is covered";
            EXPECT_GT(CountPixels(image, inside, [](QRgb p) { return qGray(p) < 100; }), 5) << text.toStdString();
            if (text == "90" || text == "270")
                passed += CountPixels(image, inside.adjusted(0, -3 * inside.height(), 0, 3 * inside.height()),
                                      IsTraceColour) > 0;
        }
        EXPECT_EQ(passed, 2) << "the traces no longer pass the angle labels: the case proves nothing";
    }
};

TEST_F(LinearGraphLabels, NoTraceCoversALabelInEitherGraphWindowOrTheCombinedView)
{
    // Each window in its half of a 1280 x 1024 screen's client area.
    openOriginal().resize(640, 900);
    QTest::mouseClick(original->linearOption(), Qt::LeftButton);
    expectLabelsClear(*original, "original graph");

    openAnalysis().resize(640, 900);
    QTest::mouseClick(analysis->linearOption(), Qt::LeftButton);
    expectLabelsClear(*analysis, "analysis graph");

    // Combine, and the program's answer: the original graph window maximised and drawn with both.
    QTest::mouseClick(analysis->combineButton(), Qt::LeftButton);
    ASSERT_EQ(host.calls, (QStringList{"setCombined(1)", "showCombinedOriginal"}));
    original->showMaximized();
    original->resize(1280, 900);
    original->redraw();
    ASSERT_EQ(original->windowTitle(), OriginalGraphCaption(true));
    expectLabelsClear(*original, "combined view");
}

} // namespace
} // namespace sarvo::display
