// The two charts drawn into images: where the bars stand and how tall, what a point hits, long
// bar texts kept in their columns, where the spectrum's x labels go, and data without a range
// drawing an empty frame.
#include "display/charts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sarvo::display {
namespace {

constexpr QRgb kWhite = 0xffffffff;

QImage Blank(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black); // the chart must paint its own background
    return image;
}

BarChartGeometry Draw(QImage& image, const BarChart& chart)
{
    QPainter painter(&image);
    return DrawBarChart(painter, chart, QRectF(image.rect()));
}

LineChartGeometry Draw(QImage& image, const LineChart& chart)
{
    QPainter painter(&image);
    return DrawLineChart(painter, chart, QRectF(image.rect()));
}

QRgb At(const QImage& image, const QPointF& p)
{
    return image.pixel(int(std::floor(p.x())), int(std::floor(p.y())));
}

// Whether a pixel within one of p is not white: a line of about a pixel drawn through p.
bool InkNear(const QImage& image, const QPointF& p)
{
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (At(image, p + QPointF(dx, dy)) != kWhite)
                return true;
        }
    }
    return false;
}

// How many pixels of the colour the column x holds from top to bottom of rect.
int RunOf(const QImage& image, int x, const QRectF& rect, QRgb colour)
{
    int n = 0;
    for (int y = int(rect.top()); y <= int(rect.bottom()) && y < image.height(); ++y)
        n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

QRectF Between(double left, double top, double right, double bottom)
{
    return QRectF(QPointF(left, top), QPointF(std::max(left, right), std::max(top, bottom)));
}

BarChart FiveInfluences()
{
    BarChart chart;
    chart.values = {40, 30, 20, 10, 5};
    chart.labels = {"Backlash x+", "Squareness", "Mismatch y", "Servo", "Dir. Vibration"};
    chart.axisTitle = "µm";
    return chart;
}

TEST(BarChart, BarsStandLeftToRightInTheirOrderOnOneBaselineWithHeightsProportionalToTheValues)
{
    QImage image = Blank(486, 242);
    const BarChart chart = FiveInfluences();
    const BarChartGeometry g = Draw(image, chart);

    ASSERT_EQ(g.bars.size(), 5u);
    ASSERT_EQ(g.labels.size(), 5u);
    for (std::size_t i = 0; i + 1 < g.bars.size(); ++i)
        EXPECT_LT(g.bars[i].right(), g.bars[i + 1].left()) << "bar " << i << " must stand left of the next, with a gap";
    for (std::size_t i = 0; i < g.bars.size(); ++i) {
        EXPECT_TRUE(g.plot.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(g.bars[i])) << i;
        EXPECT_DOUBLE_EQ(g.bars[i].bottom(), g.bars[0].bottom()) << i;
        EXPECT_NEAR(g.bars[i].height() / g.bars[0].height(), chart.values[i] / chart.values[0], 1e-9) << i;
        EXPECT_GE(g.labels[i].top(), g.plot.bottom()) << "the texts stand under the plot";
    }
    // The axis holds the largest value and starts at zero.
    EXPECT_EQ(g.axisMin, 0);
    EXPECT_GE(g.axisMax, 40);
    EXPECT_LE(g.bars[0].top() - g.plot.top(), g.plot.height() / 2) << "the largest bar uses most of the height";

    // What was painted is what the geometry says: every bar one colour, as tall as its rectangle.
    const QRgb bar = At(image, g.bars[0].center());
    EXPECT_NE(bar, kWhite);
    for (std::size_t i = 0; i < g.bars.size(); ++i) {
        EXPECT_EQ(At(image, g.bars[i].center()), bar) << i;
        const int x = int(g.bars[i].center().x());
        EXPECT_NEAR(RunOf(image, x, g.plot, bar), g.bars[i].height(), 2.0) << i;
    }
    const QPointF gap((g.bars[0].right() + g.bars[1].left()) / 2, g.bars[4].top() - 1);
    EXPECT_NE(At(image, gap), bar);
    EXPECT_EQ(At(image, QPointF(gap.x(), g.plot.top() + 2)), kWhite) << "the background is painted white";
}

TEST(BarChart, APointHitsTheBarOfItsColumnAndNothingInTheGapsOnTheEdgesOrOutside)
{
    const BarChartGeometry g = LayoutBarChart(FiveInfluences(), QRectF(0, 0, 486, 242), QFont());
    ASSERT_EQ(g.bars.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const QRectF& b = g.bars[std::size_t(i)];
        EXPECT_EQ(g.barAt(b.center()), std::optional<int>(i)) << i;
        // Above a short bar and on its text it still counts: the column is the target.
        EXPECT_EQ(g.barAt(QPointF(b.center().x(), g.plot.top() + 1)), std::optional<int>(i)) << i;
        EXPECT_EQ(g.barAt(QPointF(b.center().x(), g.labels[std::size_t(i)].center().y())), std::optional<int>(i)) << i;
        EXPECT_EQ(g.barAt(QPointF(b.left(), b.center().y())), std::nullopt) << "left edge of " << i;
        EXPECT_EQ(g.barAt(QPointF(b.right(), b.center().y())), std::nullopt) << "right edge of " << i;
    }
    for (int i = 0; i + 1 < 5; ++i) {
        const double x = (g.bars[std::size_t(i)].right() + g.bars[std::size_t(i) + 1].left()) / 2;
        EXPECT_EQ(g.barAt(QPointF(x, g.plot.center().y())), std::nullopt) << "gap after " << i;
    }
    const double y = g.bars[0].center().y();
    EXPECT_EQ(g.barAt(QPointF(g.plot.left() + 1, y)), std::nullopt) << "left of the first bar";
    EXPECT_EQ(g.barAt(QPointF(g.plot.right() - 1, y)), std::nullopt) << "right of the last bar";
    EXPECT_EQ(g.barAt(QPointF(g.bars[0].center().x(), g.plot.top() - 1)), std::nullopt) << "above the plot";
    EXPECT_EQ(g.barAt(QPointF(g.bars[0].center().x(), g.labels[0].bottom() + 1)), std::nullopt) << "under the texts";
}

// German influence names, some wider than a bar's column.
BarChart LongGermanNames()
{
    BarChart chart;
    chart.values = {40, 30, 20, 10, 5};
    chart.labels = {"Maßstabsabweichung y", "Rechtwinkligkeit", "Gerichtete Schwingung", "Servo", "Umkehrspiel x+"};
    chart.axisTitle = "µm";
    return chart;
}

TEST(BarChart, AWordWiderThanItsColumnBreaksAfterItsOwnHyphenFirst)
{
    QFont font;
    font.setPixelSize(12);
    QImage probe = Blank(1, 1);
    const QFontMetricsF fm(font, &probe);
    BarChart chart;
    chart.values = {10};
    chart.labels = {"Servo-Fehlanpassung"};
    const double column = fm.horizontalAdvance("Fehlanpassung") + 2;
    ASSERT_GT(fm.horizontalAdvance("Servo-Fehlanpassung"), column);
    int width = 20;
    while (width < 2000 && LayoutBarChart(chart, QRectF(0, 0, width, 242), font, &probe).labels.at(0).width() < column)
        ++width;
    const BarChartGeometry g = LayoutBarChart(chart, QRectF(0, 0, width, 242), font, &probe);
    EXPECT_EQ(g.labelLines.at(0), (std::vector<QString>{"Servo-", "Fehlanpassung"}));
}

TEST(BarChart, LongTextsWrapAtBlanksOntoTwoLinesAndStayInTheirColumns)
{
    QFont font;
    font.setPixelSize(12);
    QImage probe = Blank(1, 1);
    const QFontMetricsF fm(font, &probe);
    const BarChart chart = LongGermanNames();
    // Columns wide enough for either word of "Gerichtete Schwingung" but not for both, nor for
    // "Maßstabsabweichung", whatever font the system gives.
    const double column = std::max(fm.horizontalAdvance("Gerichtete"), fm.horizontalAdvance("Schwingung")) + 2;
    ASSERT_GT(fm.horizontalAdvance("Gerichtete Schwingung"), column);
    ASSERT_GT(fm.horizontalAdvance("Maßstabsabweichung"), column);
    int width = 100;
    while (width < 2000 && LayoutBarChart(chart, QRectF(0, 0, width, 242), font, &probe).labels.at(0).width() < column)
        ++width;
    QImage image = Blank(width, 242);
    BarChartGeometry g;
    {
        QPainter painter(&image);
        painter.setFont(font);
        g = DrawBarChart(painter, chart, QRectF(image.rect()));
    }
    ASSERT_EQ(g.labels.size(), 5u);
    ASSERT_EQ(g.labelLines.size(), 5u);
    ASSERT_GE(g.labels[0].width(), column);
    ASSERT_LT(g.labels[0].width(), fm.horizontalAdvance("Gerichtete Schwingung"));

    using Lines = std::vector<QString>;
    EXPECT_EQ(g.labelLines[2], (Lines{"Gerichtete", "Schwingung"})) << "wrapped at the blank";
    EXPECT_EQ(g.labelLines[3], (Lines{"Servo"})) << "a short text stays on one line";
    // A word wider than its column is broken with a hyphen: a single word keeps every letter; a
    // text that two lines of this column cannot hold loses only its end.
    for (const auto& [index, text] : {std::pair<int, QString>{0, "Maßstabsabweichung y"}, {1, "Rechtwinkligkeit"}}) {
        const Lines& lines = g.labelLines[std::size_t(index)];
        ASSERT_EQ(lines.size(), 2u) << index;
        EXPECT_TRUE(lines[0].endsWith(u'-')) << lines[0].toStdString();
        EXPECT_GE(lines[0].size(), 3) << lines[0].toStdString();
        QString joined = lines[0].chopped(1) + lines[1];
        if (index == 1)
            EXPECT_EQ(joined, text);
        else
            EXPECT_TRUE(text.startsWith(joined.remove(u'…'))) << joined.toStdString();
    }
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_LE(g.labelLines[i].size(), 2u) << i;
        for (const QString& line : g.labelLines[i]) {
            EXPECT_FALSE(line.isEmpty()) << i;
            EXPECT_LE(fm.horizontalAdvance(line), g.labels[i].width() + 1e-9) << i << " " << line.toStdString();
        }
        EXPECT_GT(g.bars[i].center().x(), g.labels[i].left()) << "each text under its own bar: " << i;
        EXPECT_LT(g.bars[i].center().x(), g.labels[i].right()) << i;
        if (i + 1 < 5) {
            EXPECT_LT(g.labels[i].right(), g.labels[i + 1].left()) << "the texts " << i << " and " << i + 1 << " overlap";
        }
        // The second line still belongs to its bar.
        EXPECT_EQ(g.barAt(QPointF(g.bars[i].center().x(), g.labels[i].bottom() - 1)), std::optional<int>(int(i))) << i;
    }

    // What was painted: ink in every text's rectangle and none beside them under the plot.
    const auto inkIn = [&](const QRectF& r) {
        for (int y = int(std::ceil(r.top())); y <= int(std::floor(r.bottom())) && y < image.height(); ++y) {
            for (int x = int(std::ceil(r.left())); x <= int(std::floor(r.right())); ++x) {
                if (image.pixel(x, y) != kWhite)
                    return true;
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(inkIn(g.labels[i])) << "text " << i << " is drawn";
    const double top = g.labels[0].top() + 1;
    const double bottom = g.labels[0].bottom();
    std::vector<QRectF> besides{Between(g.plot.left() + 2, top, g.labels[0].left() - 1, bottom),
                                Between(g.labels[4].right() + 1, top, g.plot.right() - 2, bottom)};
    for (std::size_t i = 0; i + 1 < 5; ++i)
        besides.push_back(Between(g.labels[i].right() + 1, top, g.labels[i + 1].left() - 1, bottom));
    for (std::size_t i = 0; i < besides.size(); ++i)
        EXPECT_FALSE(inkIn(besides[i])) << "ink between the texts, gap " << i;
}

TEST(BarChart, DataWithoutARangeDrawsAnEmptyFrame)
{
    struct Case {
        const char* what;
        std::vector<double> values;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {{"no bars", {}},
                          {"all zero", {0, 0, 0, 0, 0}},
                          {"one zero bar", {0}},
                          {"not numbers", {nan, inf, -inf}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage image = Blank(300, 160);
        BarChart chart;
        chart.values = c.values;
        chart.axisTitle = "µm";
        const BarChartGeometry g = Draw(image, chart);
        EXPECT_EQ(g.bars.size(), c.values.size());
        EXPECT_TRUE(g.ticks.empty());
        for (const QRectF& bar : g.bars)
            EXPECT_EQ(bar.height(), 0);
        // A frame on a white ground, and nothing inside it.
        EXPECT_EQ(At(image, g.plot.center()), kWhite);
        EXPECT_TRUE(InkNear(image, QPointF(g.plot.left(), g.plot.center().y())));
        EXPECT_TRUE(InkNear(image, QPointF(g.plot.center().x(), g.plot.bottom())));
    }
}

TEST(BarChart, ATargetTooSmallForTheTextsStillLaysOutWithoutNegativeSizes)
{
    QImage image = Blank(12, 10);
    const BarChartGeometry g = Draw(image, FiveInfluences());
    EXPECT_GE(g.plot.width(), 0);
    EXPECT_GE(g.plot.height(), 0);
    for (const QRectF& bar : g.bars) {
        EXPECT_GE(bar.width(), 0);
        EXPECT_GE(bar.height(), 0);
    }
}

TEST(BarChart, TheValueAxisIsLabelledInRoundStepsOverTheValues)
{
    struct Case {
        std::vector<double> values;
        double step;
    };
    // Inch values are tiny; the steps still come out round.
    const Case cases[] = {{{40, 30, 20}, 10}, {{0.0016, 0.0009}, 0.0005}, {{3}, 1}};
    for (const Case& c : cases) {
        BarChart chart;
        chart.values = c.values;
        const BarChartGeometry g = LayoutBarChart(chart, QRectF(0, 0, 486, 242), QFont());
        ASSERT_GE(g.ticks.size(), 2u);
        EXPECT_EQ(g.ticks.front(), 0);
        EXPECT_NEAR(g.ticks[1] - g.ticks[0], c.step, c.step * 1e-9);
        EXPECT_GE(g.axisMax, c.values.front());
        EXPECT_LT(g.axisMax - c.step, c.values.front()) << "no empty step above the largest value";
    }
}

// The spectrum of 127 lines over a 5 s window: line i at i / 5 Hz.
LineChart Spectrum(int lines = 127)
{
    LineChart chart;
    for (int i = 1; i <= lines; ++i)
        chart.points.emplace_back(i / 5.0, 1 + std::sin(i / 7.0));
    chart.xTitle = "Hz";
    chart.yTitle = "µm";
    return chart;
}

TEST(LineChart, TheXAxisIsLabelledAtEveryTwentiethPointWhereThereIsRoom)
{
    const LineChartGeometry wide = LayoutLineChart(Spectrum(), QRectF(0, 0, 2000, 300), QFont());
    EXPECT_FALSE(wide.empty);
    EXPECT_EQ(wide.labelInterval, 20);
    EXPECT_EQ(wide.xLabelPoints, (std::vector<int>{19, 39, 59, 79, 99, 119})) << "points 20, 40, ... 120";

    // Crowded, the interval grows by whole multiples and the labels keep apart.
    const LineChartGeometry narrow = LayoutLineChart(Spectrum(), QRectF(0, 0, 160, 120), QFont());
    ASSERT_FALSE(narrow.empty);
    EXPECT_GT(narrow.labelInterval, 20);
    EXPECT_EQ(narrow.labelInterval % 20, 0);
    ASSERT_FALSE(narrow.xLabelPoints.empty());
    for (std::size_t i = 0; i < narrow.xLabelPoints.size(); ++i)
        EXPECT_EQ((narrow.xLabelPoints[i] + 1) % narrow.labelInterval, 0) << i;

    // Fewer than twenty points: a plot without x labels.
    const LineChartGeometry few = LayoutLineChart(Spectrum(10), QRectF(0, 0, 600, 300), QFont());
    EXPECT_FALSE(few.empty);
    EXPECT_TRUE(few.xLabelPoints.empty());
}

TEST(LineChart, PointsArePlacedOnTheAxesTheyAreDrawnOn)
{
    LineChart chart;
    for (int i = 0; i <= 100; ++i)
        chart.points.emplace_back(i, 3.5);
    chart.points.front().setY(0);
    QImage image = Blank(400, 200);
    const LineChartGeometry g = Draw(image, chart);
    ASSERT_FALSE(g.empty);
    EXPECT_EQ(g.xMin, 0);
    EXPECT_EQ(g.xMax, 100);
    EXPECT_EQ(g.yMin, 0);
    EXPECT_GE(g.yMax, 3.5);
    // The ends of the x range are the plot's sides, zero its bottom.
    EXPECT_DOUBLE_EQ(g.map(QPointF(0, 0)).x(), g.plot.left());
    EXPECT_DOUBLE_EQ(g.map(QPointF(100, 0)).x(), g.plot.right());
    EXPECT_DOUBLE_EQ(g.map(QPointF(0, 0)).y(), g.plot.bottom());

    const QPointF on = g.map(QPointF(50, 3.5));
    EXPECT_TRUE(InkNear(image, on));
    EXPECT_EQ(At(image, QPointF(on.x(), (on.y() + g.map(QPointF(50, 0)).y()) / 2)), kWhite) << "under the line";
}

TEST(LineChart, DataWithoutARangeDrawsAnEmptyFrame)
{
    struct Case {
        const char* what;
        std::vector<QPointF> points;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {{"no points", {}},
                          {"one point", {{1, 5}}},
                          {"all zero", {{1, 0}, {2, 0}, {3, 0}}},
                          {"one x", {{2, 1}, {2, 3}}},
                          {"not numbers", {{nan, 1}, {1, nan}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LineChart chart;
        chart.points = c.points;
        chart.yTitle = "µm";
        QImage image = Blank(300, 160);
        const LineChartGeometry g = Draw(image, chart);
        EXPECT_TRUE(g.empty);
        EXPECT_TRUE(g.yTicks.empty());
        EXPECT_TRUE(g.xLabelPoints.empty());
        EXPECT_EQ(At(image, g.plot.center()), kWhite);
        EXPECT_TRUE(InkNear(image, QPointF(g.plot.left(), g.plot.center().y())));
    }
}

TEST(LineChart, APointThatIsNotANumberBreaksTheLineWithoutSpoilingTheRange)
{
    LineChart chart = Spectrum();
    chart.points[50].setY(std::numeric_limits<double>::quiet_NaN());
    chart.points[60].setY(std::numeric_limits<double>::infinity());
    const LineChartGeometry g = LayoutLineChart(chart, QRectF(0, 0, 600, 300), QFont());
    ASSERT_FALSE(g.empty);
    EXPECT_TRUE(std::isfinite(g.yMax));
    EXPECT_LE(g.yMax, 3);
    QImage image = Blank(600, 300);
    Draw(image, chart);
}

} // namespace
} // namespace sarvo::display
