// The screen graphs on synthetic cases: the polar frame (nominal circle, split axes, letters,
// ticks) on square and other surfaces, the traces at the pixels the polar formulas give, the
// direction filter, closed and open traces, the minimum-zone circles and the way they shift,
// the linear graph's frame and labels, the automatic rescale, and cases that cannot be drawn.
// Expected places are worked out by hand: 800 x 800 pixels at 10 µm per division is
// k = 800 / (0.01 * 10.5) = 7619.05 pixels per mm, so the nominal circle (0.03 mm) has a radius
// of 228.57 pixels about (400, 400).
#include "display/graphs.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "tests/display/display_test.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

using namespace sarvo;
using namespace sarvo::display;
using namespace sarvo::test;

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kGrey(0xC0, 0xC0, 0xC0);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kBlack(0x00, 0x00, 0x00);

using Line = RecordingCanvas::Line;

std::vector<Line> LinesIn(const RecordingCanvas& canvas, const QColor& colour)
{
    std::vector<Line> out;
    for (const Line& l : canvas.lines) {
        if (l.pen.colour == colour)
            out.push_back(l);
    }
    return out;
}

// The points a polyline passes through: its first line's start, then every line's end.
std::vector<QPointF> Vertices(const std::vector<Line>& lines)
{
    std::vector<QPointF> out;
    if (lines.empty())
        return out;
    out.push_back(lines.front().from);
    for (const Line& l : lines)
        out.push_back(l.to);
    return out;
}

const RecordingCanvas::Text* TextOf(const RecordingCanvas& canvas, const QString& text)
{
    for (const auto& t : canvas.texts) {
        if (t.text == text)
            return &t;
    }
    return nullptr;
}

class GraphsTest : public DisplayTest {
protected:
    // Run 1 counter-clockwise at ccw mm, run 2 clockwise at cw mm, n points from start on.
    void twoRuns(int start, int sweep, double angleStep, int n, double ccw, double cw)
    {
        CaseData& d = c.Data;
        d.RunCount = 2;
        d.StartAngle = int16_t(start);
        d.StopAngle = int16_t(start + sweep);
        d.SweepAngle = int16_t(sweep);
        d.AngleStep = angleStep;
        d.TestRadius = 100;
        for (int r = 1; r <= 2; ++r) {
            d.RunDirection[std::size_t(r)] = int16_t(r == 1 ? 1 : -1);
            d.RunTargets[std::size_t(r)] = int16_t(n);
            for (int p = 0; p < n; ++p)
                d.Readings(r, p) = r == 1 ? ccw : cw;
        }
        c.Header[HdrPlane] = "xy";
    }
    // The eight points of a static test all round, each way.
    void staticCircle(double ccw, double cw) { twoRuns(0, 360, 45, 8, ccw, cw); }

    // Trace 0 clockwise at cw mm, trace 1 counter-clockwise at ccw mm, at every degree.
    void twoModelTraces(int step, float cw, float ccw)
    {
        AnalysisResults& r = c.Results;
        r.AnalysisCurveCount = 2;
        r.AnalysisCurveDir[1] = -1;
        r.AnalysisCurveDir[2] = 1;
        r.AnalysisStep = int16_t(step);
        for (int deg = AnalysisCurveTable::kFirstDegree; deg <= AnalysisCurveTable::kLastDegree; ++deg) {
            r.AnalysisCurve(0, deg) = cw;
            r.AnalysisCurve(1, deg) = ccw;
        }
    }

    GraphOutcome draw(Canvas& canvas) { return DrawGraphPicture(canvas, c, scale, request, units, settings.UnitsInch); }

    Case c;
    double scale = 10;
    GraphRequest request;
};

// ---- polar frame

TEST_F(GraphsTest, TheNominalCircleSitsAtThreeDivisionsOfTheShorterSide)
{
    struct Surface {
        QSizeF size;
        double cx, cy, radius;
    };
    const Surface surfaces[] = {
        {{800, 800}, 400, 400, 228.5714},
        {{1000, 600}, 500, 300, 171.4286}, // wider: the height decides, centred across
        {{600, 1000}, 300, 500, 171.4286},
        {{803, 601}, 402, 300, 171.7143},  // 401.5 and 300.5 round to even
    };
    staticCircle(0, 0);
    for (const Surface& s : surfaces) {
        RecordingCanvas canvas(s.size);
        draw(canvas);
        ASSERT_EQ(canvas.circles.size(), 1u);
        const auto& circle = canvas.circles[0];
        EXPECT_EQ(circle.centre, QPointF(s.cx, s.cy)) << s.size.width();
        EXPECT_NEAR(circle.radius, s.radius, 1e-3);
        EXPECT_EQ(circle.pen.colour, kGrey);
        EXPECT_EQ(circle.pen.width, 1);
        EXPECT_EQ(canvas.clears, 1);
    }

    // The grey rim on a painted image, three divisions right of the centre of a wide picture.
    QImage image(1000, 600, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(image.size()));
        draw(canvas);
    }
    // At 22.5 degrees, clear of the axes and of the runs' octagon: (658.4, 234.4).
    int grey = 0;
    for (int x = 657; x <= 660; ++x) {
        for (int y = 233; y <= 236; ++y)
            grey += image.pixel(x, y) == kGrey.rgb() ? 1 : 0;
    }
    EXPECT_GE(grey, 1);
    EXPECT_NE(image.pixel(600, 200), kGrey.rgb());
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(GraphsTest, AxisLettersFollowThePlaneAndXzSwapsTheVerticalSigns)
{
    // 8-point bold letters of the recording: 12.8 pixels high, 6.4 wide a character; 5 divisions
    // are 380.95 pixels.
    struct Plane {
        const char* plane;
        const char* left;
        const char* right;
        const char* top;
        const char* bottom;
    };
    const Plane planes[] = {
        {"xy", "x-", "x+", "y+", "y-"},
        {"xz", "x-", "x+", "z-", "z+"},
        {"yz", "y-", "y+", "z+", "z-"},
        {"", "-", "+", "+", "-"},
    };
    staticCircle(0, 0);
    for (const Plane& p : planes) {
        c.Header[HdrPlane] = p.plane;
        RecordingCanvas canvas(QSizeF(800, 800));
        draw(canvas);
        ASSERT_EQ(canvas.texts.size(), 4u) << p.plane;
        const auto& left = canvas.texts[0];
        const auto& right = canvas.texts[1];
        const auto& top = canvas.texts[2];
        const auto& bottom = canvas.texts[3];
        EXPECT_EQ(left.text, p.left);
        EXPECT_EQ(right.text, p.right);
        EXPECT_EQ(top.text, p.top);
        EXPECT_EQ(bottom.text, p.bottom);
        const double w = 6.4 * double(QString(p.right).size());
        EXPECT_NEAR(left.topLeft.x(), 19.048, 0.01);
        EXPECT_NEAR(left.topLeft.y(), 400 - 1.1 * 12.8, 0.01);
        EXPECT_NEAR(right.topLeft.x(), 780.952 - w, 0.01);
        EXPECT_NEAR(right.topLeft.y(), 400 - 1.1 * 12.8, 0.01);
        EXPECT_NEAR(top.topLeft.x(), 400 + 0.1 * w, 0.01);
        EXPECT_NEAR(top.topLeft.y(), 19.048, 0.01);
        EXPECT_NEAR(bottom.topLeft.x(), 400 + 0.1 * w, 0.01);
        EXPECT_NEAR(bottom.topLeft.y(), 780.952 - 12.8, 0.01);
        for (const auto& t : canvas.texts) {
            EXPECT_TRUE(t.font.bold);
            EXPECT_EQ(t.colour, kBlack);
        }
    }
}

TEST_F(GraphsTest, SplitAxesStopADivisionShortOfTheCentreAndTicksMarkEveryDivision)
{
    staticCircle(0, 0);
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    const std::vector<Line> black = LinesIn(canvas, kBlack);
    ASSERT_EQ(black.size(), 4u + 22u);
    const auto near = [](const QPointF& a, double x, double y) {
        return std::abs(a.x() - x) < 0.01 && std::abs(a.y() - y) < 0.01;
    };
    // The four half-axes, one division (76.19 pixels) to five out.
    EXPECT_TRUE(near(black[0].from, 19.048, 400) && near(black[0].to, 323.810, 400));
    EXPECT_TRUE(near(black[1].from, 476.190, 400) && near(black[1].to, 780.952, 400));
    EXPECT_TRUE(near(black[2].from, 400, 19.048) && near(black[2].to, 400, 323.810));
    EXPECT_TRUE(near(black[3].from, 400, 476.190) && near(black[3].to, 400, 780.952));
    // Ticks a fifth of a division long (±7.62 pixels), from -5 to +5 divisions.
    const Line& firstAcrossVertical = black[4];
    EXPECT_TRUE(near(firstAcrossVertical.from, 392.381, 19.048) && near(firstAcrossVertical.to, 407.619, 19.048));
    const Line& lastAcrossHorizontal = black.back();
    EXPECT_TRUE(near(lastAcrossHorizontal.from, 780.952, 392.381) && near(lastAcrossHorizontal.to, 780.952, 407.619));
    const Line& centre = black[4 + 2 * 5];
    EXPECT_TRUE(near(centre.from, 392.381, 400) && near(centre.to, 407.619, 400));
    for (const Line& l : black)
        EXPECT_EQ(l.pen.width, 1);
}

// ---- traces

TEST_F(GraphsTest, MeasuredRunsLieAtThePolarFormulasPixelsInTheirDirectionsColours)
{
    // Run 1 (CCW) one division outside the nominal circle: 0.04 mm = 304.76 pixels; run 2 (CW)
    // one inside: 0.02 mm = 152.38 pixels.
    staticCircle(0.01, -0.01);
    RecordingCanvas canvas(QSizeF(800, 800));
    const GraphOutcome outcome = draw(canvas);
    EXPECT_FALSE(outcome.clipped);
    EXPECT_FALSE(outcome.rescaled);

    const std::vector<Line> red = LinesIn(canvas, kRed);
    const std::vector<Line> blue = LinesIn(canvas, kBlue);
    // Pen to the first point, a line to each of the 8, and back to the first: a closed trace.
    ASSERT_EQ(red.size(), 9u);
    ASSERT_EQ(blue.size(), 9u);
    const std::vector<QPointF> ccw = Vertices(red);
    EXPECT_EQ(ccw.front(), QPointF(705, 400));
    EXPECT_EQ(ccw[2], QPointF(615, 185)); // 45 degrees: 400 ± 215.50
    EXPECT_EQ(ccw[3], QPointF(400, 95));
    EXPECT_EQ(ccw[5], QPointF(95, 400));
    EXPECT_EQ(ccw[7], QPointF(400, 705));
    EXPECT_EQ(ccw.back(), QPointF(705, 400));
    const std::vector<QPointF> cw = Vertices(blue);
    EXPECT_EQ(cw[1], QPointF(552, 400));
    EXPECT_EQ(cw[3], QPointF(400, 248));
    EXPECT_EQ(cw[5], QPointF(248, 400));
    EXPECT_EQ(cw[7], QPointF(400, 552));
    for (const Line& l : red) {
        EXPECT_EQ(l.pen.width, 2);
        EXPECT_EQ(l.pen.style, DrawStyle::Solid);
    }

    // Sampled on a painted image: pure red and blue where the runs cross the horizontal axis.
    QImage image(800, 800, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PainterCanvas painted(painter, QSizeF(image.size()));
        draw(painted);
    }
    const auto colourNear = [&image](int x, int y, const QColor& colour) {
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                if (image.pixel(x + dx, y + dy) == colour.rgb())
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(colourNear(705, 400, kRed));
    EXPECT_TRUE(colourNear(400, 95, kRed));
    EXPECT_TRUE(colourNear(552, 400, kBlue));
    EXPECT_TRUE(colourNear(248, 400, kBlue));
    EXPECT_FALSE(colourNear(640, 400, kRed));
}

TEST_F(GraphsTest, TheDirectionFilterAndTheColoursOfTheRequest)
{
    staticCircle(0.01, -0.01);
    twoModelTraces(45, -0.01f, 0.01f);
    request.showAnalysis = true;
    struct Case_ {
        DirectionFilter filter;
        bool red, blue;
    };
    for (const auto& [filter, red, blue] : {Case_{DirectionFilter::Cw, false, true}, Case_{DirectionFilter::Ccw, true, false},
                                            Case_{DirectionFilter::Both, true, true}}) {
        request.filter = filter;
        RecordingCanvas canvas(QSizeF(800, 800));
        draw(canvas);
        // Runs (width 2) and model traces (width 1) alike.
        EXPECT_EQ(!LinesIn(canvas, kRed).empty(), red) << int(filter);
        EXPECT_EQ(!LinesIn(canvas, kBlue).empty(), blue) << int(filter);
        for (const int width : {1, 2}) {
            for (const QColor& colour : {kRed, kBlue}) {
                const auto lines = LinesIn(canvas, colour);
                const bool any = std::any_of(lines.begin(), lines.end(), [width](const Line& l) { return l.pen.width == width; });
                EXPECT_EQ(any, colour == kRed ? red : blue);
            }
        }
    }

    // The window's own colours.
    request.filter = DirectionFilter::Both;
    request.cw = QColor(0x11, 0x22, 0x33);
    request.ccw = QColor(0x44, 0x55, 0x66);
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    EXPECT_TRUE(LinesIn(canvas, kRed).empty());
    EXPECT_EQ(LinesIn(canvas, request.cw).size(), 9u + 8u);
    EXPECT_EQ(LinesIn(canvas, request.ccw).size(), 9u + 8u);
}

TEST_F(GraphsTest, ModelTracesAreThinAndOnlyAFullCircleIsClosed)
{
    request.showMeasured = false;
    request.showAnalysis = true;

    // Static, all round: the model at 45..315 degrees and back to 0.
    staticCircle(0, 0);
    twoModelTraces(45, -0.01f, 0.01f);
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.clipped);
        const std::vector<Line> red = LinesIn(canvas, kRed);
        ASSERT_EQ(red.size(), 8u);
        const auto v = Vertices(red);
        EXPECT_EQ(v.front(), QPointF(705, 400));
        EXPECT_EQ(v[2], QPointF(400, 95));
        EXPECT_EQ(v[6], QPointF(400, 705));
        EXPECT_EQ(v.back(), QPointF(705, 400));
        EXPECT_EQ(red.front().pen.width, 1);
        const auto blue = Vertices(LinesIn(canvas, kBlue));
        EXPECT_EQ(blue[4], QPointF(248, 400));
    }

    // Dynamic, all round: every degree up to 359, then closed.
    twoModelTraces(1, -0.01f, 0.01f);
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        draw(canvas);
        const std::vector<Line> red = LinesIn(canvas, kRed);
        ASSERT_EQ(red.size(), 360u);
        EXPECT_EQ(red[358].to, QPointF(705, 405)); // 359 degrees: 304.76 * sin(1°) = 5.32 below
        EXPECT_EQ(red.back().to, QPointF(705, 400));
    }

    // Three quarters: the runs and the model stop at 270 degrees, open.
    request.showMeasured = true;
    twoRuns(0, 270, 45, 7, 0.01, -0.01);
    twoModelTraces(45, -0.01f, 0.01f);
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    const std::vector<Line> red = LinesIn(canvas, kRed);
    std::vector<Line> runs;
    std::vector<Line> model;
    for (const Line& l : red)
        (l.pen.width == 2 ? runs : model).push_back(l);
    ASSERT_EQ(runs.size(), 7u);
    ASSERT_EQ(model.size(), 6u);
    EXPECT_EQ(runs.back().to, QPointF(400, 705));
    EXPECT_EQ(model.back().to, QPointF(400, 705));
    // Runs first, the model over them.
    std::size_t lastRun = 0;
    std::size_t firstModel = canvas.lines.size();
    for (std::size_t i = 0; i < canvas.lines.size(); ++i) {
        const Line& l = canvas.lines[i];
        if (l.pen.width == 2)
            lastRun = i;
        else if (l.pen.colour != kBlack)
            firstModel = std::min(firstModel, i);
    }
    EXPECT_LT(lastRun, firstModel);
}

// ---- minimum-zone circles

class MzcTest : public GraphsTest {
protected:
    void SetUp() override
    {
        GraphsTest::SetUp();
        staticCircle(0, 0);
        request.showMzc = true;
        // Least-squares radius 2 µm above the test radius: the zone's radii are -7 and +3 µm
        // against it, 23 and 33 µm out from the centre at 10 µm per division.
        CircleResult& lsc = c.Results.LscResult;
        lsc.Radius = 100.002;
        lsc.CentreH = 1.5;
        lsc.CentreV = -2.5;
        CircleResult& mzc = c.Results.MzcResult;
        mzc.Min = -5;
        mzc.Max = 5;
        mzc.CentreH = lsc.CentreH;
        mzc.CentreV = lsc.CentreV;
    }

    struct Zone {
        QPointF centre;
        double radius = 0;
    };
    // The inner and outer circle as drawn: the middle of their extremes and the mean radius
    // about it.
    std::pair<Zone, Zone> zones(const RecordingCanvas& canvas)
    {
        const std::vector<Line> green = LinesIn(canvas, kGreen);
        EXPECT_EQ(green.size(), 2u * 361u);
        const auto zone = [](std::vector<QPointF> points) {
            Zone z;
            const auto [minX, maxX] = std::minmax_element(points.begin(), points.end(), [](auto a, auto b) { return a.x() < b.x(); });
            const auto [minY, maxY] = std::minmax_element(points.begin(), points.end(), [](auto a, auto b) { return a.y() < b.y(); });
            z.centre = QPointF((minX->x() + maxX->x()) / 2, (minY->y() + maxY->y()) / 2);
            double sum = 0;
            for (const QPointF& p : points)
                sum += std::hypot(p.x() - z.centre.x(), p.y() - z.centre.y());
            z.radius = sum / double(points.size());
            return z;
        };
        std::vector<QPointF> inner;
        std::vector<QPointF> outer;
        for (std::size_t i = 0; i < green.size(); ++i)
            (i < 361 ? inner : outer).push_back(green[i].to);
        return {zone(inner), zone(outer)};
    }
};

TEST_F(MzcTest, TwoGreenCirclesOverThePolarGraphAboutItsCentre)
{
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    EXPECT_EQ(canvas.clears, 1);
    EXPECT_EQ(canvas.circles.size(), 1u); // the nominal circle is still there
    const auto [inner, outer] = zones(canvas);
    // 800 / 105 = 7.619 pixels per µm.
    EXPECT_NEAR(inner.centre.x(), 400, 0.6);
    EXPECT_NEAR(inner.centre.y(), 400, 0.6);
    EXPECT_NEAR(inner.radius, 23 * 7.619, 0.6);
    EXPECT_NEAR(outer.radius, 33 * 7.619, 0.6);
    for (const Line& l : LinesIn(canvas, kGreen))
        EXPECT_EQ(l.pen.width, 1);

    // Halving the scale doubles their distance from the nominal circle (15 µm out now).
    scale = 5;
    RecordingCanvas finer(QSizeF(800, 800));
    draw(finer);
    const auto [innerFine, outerFine] = zones(finer);
    const double nominal = 228.571;
    EXPECT_NEAR(nominal - innerFine.radius, 2 * (nominal - inner.radius), 1.2);
    EXPECT_NEAR(outerFine.radius - nominal, 2 * (outer.radius - nominal), 1.2);

    // None on the linear graph.
    request.polar = false;
    RecordingCanvas linear(QSizeF(800, 800));
    draw(linear);
    EXPECT_TRUE(LinesIn(linear, kGreen).empty());

    // Green on the inner circle's rim of a painted image, 175 pixels right of the centre.
    request.polar = true;
    scale = 10;
    QImage image(800, 800, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PainterCanvas painted(painter, QSizeF(image.size()));
        draw(painted);
    }
    bool green = false;
    for (int x = 573; x <= 577; ++x)
        green = green || image.pixel(x, 400) == kGreen.rgb();
    EXPECT_TRUE(green);
}

TEST_F(MzcTest, AZoneCentreRightOfAndAboveTheLeastSquaresOneMovesTheCirclesRightAndUp)
{
    c.Results.MzcResult.CentreH = c.Results.LscResult.CentreH + 4;
    RecordingCanvas right(QSizeF(800, 800));
    draw(right);
    const auto [innerRight, outerRight] = zones(right);
    EXPECT_NEAR(innerRight.centre.x(), 400 + 4 * 7.619, 1.0);
    EXPECT_NEAR(innerRight.centre.y(), 400, 1.0);
    EXPECT_NEAR(outerRight.centre.x(), 400 + 4 * 7.619, 1.0);

    c.Results.MzcResult.CentreH = c.Results.LscResult.CentreH;
    c.Results.MzcResult.CentreV = c.Results.LscResult.CentreV + 4;
    RecordingCanvas up(QSizeF(800, 800));
    draw(up);
    const auto [innerUp, outerUp] = zones(up);
    EXPECT_NEAR(innerUp.centre.x(), 400, 1.0);
    EXPECT_NEAR(innerUp.centre.y(), 400 - 4 * 7.619, 1.0); // screen y grows downward
    EXPECT_NEAR(outerUp.centre.y(), 400 - 4 * 7.619, 1.0);
}

// ---- linear graph

TEST_F(GraphsTest, TheLinearFrameLabelsAnArcFrom45To315)
{
    // 45..315 degrees: the scale is 297 degrees wide from 31.5, 0.07 mm high from +0.035 down.
    twoRuns(45, 270, 45, 7, 0, 0);
    request.polar = false;
    RecordingCanvas canvas(QSizeF(800, 800));
    const GraphOutcome outcome = draw(canvas);
    EXPECT_FALSE(outcome.clipped);
    EXPECT_DOUBLE_EQ(canvas.scaleLeft(), 31.5);
    EXPECT_DOUBLE_EQ(canvas.scaleWidth(), 297);
    EXPECT_DOUBLE_EQ(canvas.scaleTop(), 0.035);
    EXPECT_DOUBLE_EQ(canvas.scaleHeight(), -0.07);

    const std::vector<Line> black = LinesIn(canvas, kBlack);
    ASSERT_GE(black.size(), 2u);
    EXPECT_EQ(black[0].from, QPointF(45, 0)); // zero line
    EXPECT_EQ(black[0].to, QPointF(315, 0));
    EXPECT_EQ(black[1].from.x(), 315); // deviation axis, ±3 divisions
    EXPECT_NEAR(black[1].from.y(), -0.03, 1e-8);
    EXPECT_NEAR(black[1].to.y(), 0.03, 1e-8);

    // Text of the recording in units: a character is 6.4 px = 2.376 degrees wide, a line
    // 12.8 px = 0.00112 mm high.
    const double charW = 6.4 * 297 / 800;
    const double halfLine = 0.5 * 12.8 * 0.07 / 800;
    const double labelX = 315 - 2 * 2.7;
    for (const int division : {1, 2, 3}) {
        const QString value = QString::number(10 * division);
        for (const int sign : {1, -1}) {
            const QString text = sign > 0 ? value : "-" + value;
            const auto* t = TextOf(canvas, text);
            ASSERT_TRUE(t) << text.toStdString();
            EXPECT_NEAR(t->topLeft.x() + charW * double(text.size()), labelX, 1e-6); // right-aligned
            EXPECT_NEAR(t->topLeft.y(), sign * 0.01 * division + halfLine, 1e-8); // centred
            EXPECT_FALSE(t->font.bold);
            EXPECT_EQ(t->font.size, 8);
        }
    }
    EXPECT_FALSE(TextOf(canvas, "0"));

    // Angle labels centred under their ticks: 90, 180, 270 (45 and 315 are not multiples).
    QStringList angles;
    for (const auto& t : canvas.texts) {
        if (std::abs(t.topLeft.y() + 0.0005) < 1e-12)
            angles << t.text;
    }
    EXPECT_EQ(angles, QStringList({"90", "180", "270"}));
    EXPECT_NEAR(TextOf(canvas, "180")->topLeft.x(), 180 - 1.5 * charW, 1e-6);
    const bool tick = std::any_of(black.begin(), black.end(), [](const Line& l) {
        return l.from == QPointF(180, 0.0005) && l.to == QPointF(180, -0.0005);
    });
    EXPECT_TRUE(tick);
    const bool divisionTick = std::any_of(black.begin(), black.end(), [](const Line& l) {
        return std::abs(l.from.x() - 312.3) < 1e-4 && std::abs(l.to.x() - 317.7) < 1e-4 && std::abs(l.from.y() + 0.02) < 1e-8;
    });
    EXPECT_TRUE(divisionTick);
}

TEST_F(GraphsTest, LinearAngleLabelsForOtherArcsAndInchDeviationLabels)
{
    request.polar = false;
    const auto anglesOf = [this]() {
        RecordingCanvas canvas(QSizeF(800, 800));
        draw(canvas);
        QStringList out;
        const double t = scale / 20000;
        for (const auto& text : canvas.texts) {
            if (std::abs(text.topLeft.y() + t) < 1e-12)
                out << text.text;
        }
        return out;
    };
    twoRuns(0, 360, 45, 8, 0, 0);
    EXPECT_EQ(anglesOf(), QStringList({"0", "90", "180", "270"}));
    twoRuns(-270, 360, 45, 8, 0, 0);
    EXPECT_EQ(anglesOf(), QStringList({"-270", "-180", "-90", "0"}));
    twoRuns(10, 60, 1, 60, 0, 0);
    EXPECT_EQ(anglesOf(), QStringList());

    useUnits(true);
    twoRuns(0, 360, 45, 8, 0, 0);
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    // 10, 20, 30 µm in inch with the inch format: five decimals.
    for (const char* text : {"0.00039", "-0.00039", "0.00079", "-0.00079", "0.00118", "-0.00118"})
        EXPECT_TRUE(TextOf(canvas, text)) << text;
}

TEST_F(GraphsTest, LinearRunsAreOpenAndModelTracesStopADegreeShortOfAFullCircle)
{
    request.polar = false;
    request.showAnalysis = true;
    twoRuns(0, 360, 45, 8, 0, 0);
    for (int p = 0; p < 8; ++p)
        c.Data.Readings(1, p) = 0.001 * p;
    twoModelTraces(1, -0.005f, 0.005f);
    RecordingCanvas canvas(QSizeF(800, 800));
    draw(canvas);
    std::vector<Line> runs;
    std::vector<Line> model;
    for (const Line& l : LinesIn(canvas, kRed))
        (l.pen.width == 2 ? runs : model).push_back(l);
    ASSERT_EQ(runs.size(), 7u);
    EXPECT_EQ(runs.front().from, QPointF(0, 0));
    EXPECT_EQ(runs.front().to, QPointF(45, 0.001));
    EXPECT_EQ(runs.back().to, QPointF(315, 0.007)); // not back to the start
    ASSERT_EQ(model.size(), 359u);
    EXPECT_EQ(model.front().from, QPointF(0, 0.005f));
    EXPECT_EQ(model.back().to, QPointF(359, 0.005f));
    EXPECT_EQ(LinesIn(canvas, kBlue).size(), 7u + 359u);
}

// ---- rescale

TEST_F(GraphsTest, TheRescaleStepsInMetricAndInchUnits)
{
    struct Row {
        double largest; // mm
        double scale;   // µm per division
    };
    // v = largest / 3 in µm per division; the step above it, or beyond 200 the largest at 2.9.
    const Row metric[] = {
        {0.0059, 2},       {0.007, 5},   {0.012, 5},   {0.02, 10},  {0.05, 20},
        {0.1, 50},         {0.2, 100},   {0.5, 200},   {0.9, 900 / 2.9},
    };
    for (const Row& row : metric) {
        staticCircle(0, 0);
        c.Data.Readings(2, 5) = -row.largest; // negative readings count, clockwise runs too
        EXPECT_NEAR(AutoGraphScale(c.Data, units, false), row.scale, 1e-3) << row.largest;
    }
    EXPECT_NEAR(AutoGraphScale(c.Data, units, false), 310.345, 1e-3);

    // Inch: 0.0001 in = 2.54 µm, and so on up to 0.01 in; the result is in µm.
    useUnits(true);
    const Row inch[] = {
        {0.003, 2.54},   {0.012, 5.08},  {0.03, 12.7},  {0.06, 25.4},
        {0.12, 50.8},    {0.3, 127},     {0.5, 254},    {0.9, 900 / 2.9},
    };
    for (const Row& row : inch) {
        staticCircle(0, 0);
        c.Data.Readings(1, 0) = row.largest;
        EXPECT_NEAR(AutoGraphScale(c.Data, units, true), row.scale, 1e-4) << row.largest;
    }

    // Points past a run's end are stale and do not count.
    useUnits(false);
    staticCircle(0.001, 0);
    c.Data.Readings(1, 8) = 5;
    EXPECT_EQ(AutoGraphScale(c.Data, units, false), 2);
}

TEST_F(GraphsTest, APolarReadingBeyondThreeDivisionsEitherWayRescalesOnceBeforeDrawing)
{
    // Exactly three divisions: drawn as it is.
    staticCircle(0.03, 0);
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.clipped);
        EXPECT_FALSE(outcome.rescaled);
        EXPECT_EQ(scale, 10);
    }
    // Beyond, at the first point and below -3 divisions alike: 20 µm per division.
    for (const double reading : {0.0301, -0.0301}) {
        staticCircle(0, 0);
        c.Data.Readings(1, 0) = reading;
        scale = 10;
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_TRUE(outcome.clipped) << reading;
        EXPECT_FALSE(outcome.modelClipped);
        ASSERT_TRUE(outcome.rescaled);
        EXPECT_EQ(*outcome.rescaled, 20);
        EXPECT_EQ(scale, 20);
        EXPECT_EQ(canvas.clears, 1);
        // Drawn at the new scale: k = 3809.52, 0.06 + reading mm from the centre.
        const double x = std::nearbyint(400 + (0.06 + reading) * 800 / 0.21);
        EXPECT_EQ(Vertices(LinesIn(canvas, kRed)).front(), QPointF(x, 400));
    }
    EXPECT_EQ(std::nearbyint(400 + 0.0901 * 800 / 0.21), 743);

    // A hidden run does not rescale; a shown one rescales for the largest of all runs.
    staticCircle(0.01, 0.09);
    scale = 10;
    request.filter = DirectionFilter::Ccw;
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        EXPECT_FALSE(draw(canvas).clipped);
        EXPECT_EQ(scale, 10);
    }
    c.Data.Readings(1, 3) = 0.0301;
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        EXPECT_EQ(draw(canvas).rescaled, 50.0);
    }
}

TEST_F(GraphsTest, TheLinearRescaleTestsFromTheSecondPoint)
{
    request.polar = false;
    twoRuns(0, 360, 45, 8, 0, 0);
    c.Data.Readings(2, 0) = 0.05;
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.clipped);
        EXPECT_EQ(scale, 10);
    }
    c.Data.Readings(2, 0) = 0;
    c.Data.Readings(2, 1) = 0.03;
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        EXPECT_FALSE(draw(canvas).clipped);
    }
    c.Data.Readings(2, 1) = -0.05;
    RecordingCanvas canvas(QSizeF(800, 800));
    const GraphOutcome outcome = draw(canvas);
    EXPECT_TRUE(outcome.clipped);
    EXPECT_EQ(outcome.rescaled, 20.0);
    EXPECT_EQ(scale, 20);
    EXPECT_DOUBLE_EQ(canvas.scaleHeight(), -0.14);
    EXPECT_TRUE(TextOf(canvas, "60"));
}

TEST_F(GraphsTest, AModelTraceBeyondTheRangeIsClippedWithoutRescale)
{
    request.showAnalysis = true;
    staticCircle(0, 0);
    twoModelTraces(45, 0, 0);
    c.Results.AnalysisCurve(1, 90) = -0.031f;
    for (const bool polar : {true, false}) {
        request.polar = polar;
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_TRUE(outcome.clipped) << polar;
        EXPECT_TRUE(outcome.modelClipped);
        EXPECT_FALSE(outcome.rescaled);
        EXPECT_EQ(scale, 10);
    }
    // The analysis window's view: model traces only; a measured run beyond does not matter.
    request.polar = true;
    request.showMeasured = false;
    c.Results.AnalysisCurve(1, 90) = 0;
    c.Data.Readings(1, 2) = 1;
    RecordingCanvas canvas(QSizeF(800, 800));
    const GraphOutcome outcome = draw(canvas);
    EXPECT_FALSE(outcome.clipped);
    EXPECT_TRUE(LinesIn(canvas, kRed).size() == 8u && LinesIn(canvas, kBlue).size() == 8u);
    for (const Line& l : LinesIn(canvas, kRed))
        EXPECT_EQ(l.pen.width, 1);
}

// ---- cases that cannot be drawn as they are

TEST_F(GraphsTest, UnusableScalesDrawAtTenMicrometresPerDivision)
{
    EXPECT_EQ(UsableGraphScale(7.5), 7.5);
    EXPECT_EQ(UsableGraphScale(0.01), 0.01);
    for (const double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e-300, 1e300})
        EXPECT_EQ(UsableGraphScale(bad), 10) << bad;

    staticCircle(0.01, 0);
    for (const double bad : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        scale = bad;
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.rescaled);
        EXPECT_EQ(Vertices(LinesIn(canvas, kRed)).front(), QPointF(705, 400)) << bad;
    }
}

TEST_F(GraphsTest, AZeroSweepDrawsTheFrameOnly)
{
    staticCircle(0.05, -0.05);
    twoModelTraces(45, 0.05f, 0.05f);
    c.Data.SweepAngle = 0;
    c.Data.StopAngle = 0;
    c.Data.AngleStep = 0;
    request.showAnalysis = true;
    for (const bool polar : {true, false}) {
        request.polar = polar;
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.clipped);
        EXPECT_EQ(scale, 10);
        EXPECT_TRUE(LinesIn(canvas, kRed).empty()) << polar;
        EXPECT_TRUE(LinesIn(canvas, kBlue).empty());
        EXPECT_FALSE(LinesIn(canvas, kBlack).empty());
        EXPECT_FALSE(canvas.texts.empty());
        if (!polar) {
            // A full circle's frame from the start angle.
            EXPECT_DOUBLE_EQ(canvas.scaleWidth(), 396);
            EXPECT_EQ(LinesIn(canvas, kBlack).front().to, QPointF(360, 0));
        }
    }
}

TEST_F(GraphsTest, CasesBeyondTheLimitsRaiseAnErrorAndLeaveTheCanvasBlank)
{
    struct Bad {
        const char* what;
        std::function<void(Case&)> spoil;
        const char* says;
    };
    const Bad cases[] = {
        {"eight runs", [](Case& k) { k.Data.RunCount = 8; }, "8 runs"},
        {"negative runs", [](Case& k) { k.Data.RunCount = -1; }, "-1 runs"},
        {"too many points", [](Case& k) { k.Data.RunTargets[2] = 8002; }, "8002 points"},
        {"negative points", [](Case& k) { k.Data.RunTargets[1] = -3; }, "-3 points"},
        {"start below -360", [](Case& k) { k.Data.StartAngle = -361; }, "-361"},
        {"stop beyond 720", [](Case& k) { k.Data.StopAngle = 721; }, "721"},
        {"angle step 0", [](Case& k) { k.Data.AngleStep = 0; }, "angle step"},
        {"angle step nan", [](Case& k) { k.Data.AngleStep = std::numeric_limits<double>::quiet_NaN(); }, "angle step"},
        {"analysis step 0", [](Case& k) { k.Results.AnalysisStep = 0; }, "step is 0"},
        {"analysis step negative", [](Case& k) { k.Results.AnalysisStep = -45; }, "step is -45"},
        {"three model traces", [](Case& k) { k.Results.AnalysisCurveCount = 3; }, "3 model traces"},
    };
    request.showAnalysis = true;
    for (const Bad& bad : cases) {
        for (const bool polar : {true, false}) {
            staticCircle(0.01, -0.01);
            twoModelTraces(45, 0, 0);
            bad.spoil(c);
            request.polar = polar;
            RecordingCanvas canvas(QSizeF(800, 800));
            canvas.line(QPointF(1, 1), QPointF(2, 2)); // an earlier picture
            try {
                draw(canvas);
                ADD_FAILURE() << bad.what << " was drawn";
            } catch (const AppError& e) {
                EXPECT_TRUE(e.description().contains(QLatin1String(bad.says))) << bad.what << ": " << e.description().toStdString();
            }
            EXPECT_EQ(canvas.clears, 1) << bad.what;
            EXPECT_TRUE(canvas.lines.empty() && canvas.texts.empty() && canvas.circles.empty()) << bad.what;
        }
    }
}

TEST_F(GraphsTest, TheEdgesOfTheLimitsAndUndrawablePointsStillDraw)
{
    // The largest run, the widest angles, a step 0 the drawing does not use.
    staticCircle(0, 0);
    c.Data.RunTargets[1] = 8001;
    c.Data.RunCount = 7;
    c.Data.StartAngle = -360;
    c.Data.StopAngle = 0;
    c.Results.AnalysisStep = 0; // no model traces asked for
    for (const bool polar : {true, false}) {
        request.polar = polar;
        RecordingCanvas canvas(QSizeF(800, 800));
        EXPECT_NO_THROW(draw(canvas)) << polar;
    }
    request.polar = true;

    // Readings that are not numbers, or too large for a pixel, are left out of the trace and
    // never rescale to a scale that cannot be drawn.
    staticCircle(0.01, 0);
    c.Data.Readings(1, 2) = std::numeric_limits<double>::quiet_NaN();
    c.Data.Readings(1, 4) = std::numeric_limits<double>::infinity();
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_FALSE(outcome.clipped);
        const auto red = LinesIn(canvas, kRed);
        EXPECT_EQ(red.size(), 9u - 2u);
        for (const Line& l : red)
            EXPECT_TRUE(std::isfinite(l.to.x()) && std::isfinite(l.to.y()));
    }
    c.Data.Readings(1, 4) = 1e300;
    {
        RecordingCanvas canvas(QSizeF(800, 800));
        const GraphOutcome outcome = draw(canvas);
        EXPECT_TRUE(outcome.clipped);
        EXPECT_FALSE(outcome.rescaled);
        EXPECT_EQ(scale, 10);
        EXPECT_EQ(LinesIn(canvas, kRed).size(), 9u - 2u);
    }

    // An empty surface.
    staticCircle(0.01, -0.01);
    RecordingCanvas empty(QSizeF(0, 0));
    EXPECT_NO_THROW(draw(empty));
    request.polar = false;
    EXPECT_NO_THROW(draw(empty));
}

// ---- texts of the window

TEST_F(GraphsTest, CaptionAndScaleTextInTheCurrentLanguageAndUnits)
{
    EXPECT_EQ(OriginalGraphCaption(false), "Original Measurement Graph");
    EXPECT_EQ(OriginalGraphCaption(true), "Original Measurement & Analysis Result Graph");
    openFixtureLanguageDb({{"Message", "Original Measurement", "Originalmessung"},
                           {"Message", "Analysis Result", "Analyseergebnis"},
                           {"Message", "Graph", "Grafik"}});
    SetTextLanguage("German");
    EXPECT_EQ(OriginalGraphCaption(false), "Originalmessung Grafik");
    EXPECT_EQ(OriginalGraphCaption(true), "Originalmessung & Analyseergebnis Grafik");

    EXPECT_EQ(GraphScaleText(10, units), "10");
    EXPECT_EQ(GraphScaleText(310.3448, units), "310");
    useUnits(true);
    EXPECT_EQ(GraphScaleText(254, units), "0.01000");
    EXPECT_EQ(GraphScaleText(2.54, units), "0.00010");
}

} // namespace
