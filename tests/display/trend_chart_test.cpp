// The trend's chart drawn offscreen, the table's paging, and both printed as PDF pages.
#include "display/trend_chart.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

using namespace sarvo;
using namespace sarvo::display;

namespace {

const QColor kFirstSeries(40, 90, 180);
const QColor kSecondSeries(200, 60, 40);

casedb::TrendChart TwoSeries(casedb::TrendSpacing spacing)
{
    casedb::TrendChart chart;
    chart.spacing = spacing;
    chart.title = QStringLiteral("Mill 3 - xy");
    chart.caption = QStringLiteral("Circularity LSC");
    chart.unit = QStringLiteral("µm");
    chart.pointLabels = {QStringLiteral("2026-03-02"), QStringLiteral("2026-03-09"), QStringLiteral("2026-03-16")};
    chart.series = {{QStringLiteral("1000 mm/min"), {{true, 4, 0}, {true, 6, 7}, {false, 0, 0}}},
                    {QStringLiteral("Static"), {{false, 0, 0}, {true, 3, 7}, {true, 5, 14}}}};
    return chart;
}

int PixelsOf(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return count;
}

QImage Render(const casedb::TrendChart& chart, TrendChartType type)
{
    QImage image(640, 420, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawTrendChart(painter, chart, type, QRectF(0, 0, 640, 420));
    return image;
}

QString PdfTool(const QString& tool, const QStringList& args)
{
    const QString program = QStandardPaths::findExecutable(tool);
    EXPECT_FALSE(program.isEmpty()) << tool.toStdString() << " is missing: run tools/install-deps.sh";
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(TrendChart, BarsAndLinesShowEverySeriesAndAnEmptyChartOnlyItsFrame)
{
    for (const casedb::TrendSpacing spacing : {casedb::TrendSpacing::Fixed, casedb::TrendSpacing::Variable}) {
        for (const TrendChartType type : {TrendChartType::Bar, TrendChartType::Line}) {
            const QImage image = Render(TwoSeries(spacing), type);
            // More than the legend's swatch of each series.
            const int swatch = 12 * 12;
            EXPECT_GT(PixelsOf(image, kFirstSeries), swatch) << int(spacing) << "/" << int(type);
            EXPECT_GT(PixelsOf(image, kSecondSeries), swatch) << int(spacing) << "/" << int(type);
            EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white)) << "the background is painted";
        }
    }
    const QImage empty = Render(casedb::TrendChart{}, TrendChartType::Bar);
    EXPECT_EQ(PixelsOf(empty, kFirstSeries), 0);
    EXPECT_GT(PixelsOf(empty, Qt::white), 640 * 420 / 2);
}

TEST(TrendChart, TheTablePagesHoldEveryRowOnceWithoutAnEmptyPage)
{
    EXPECT_EQ(TrendTablePageCount(34, 34), 1);
    EXPECT_EQ(TrendTablePageCount(68, 34), 2);
    EXPECT_EQ(TrendTablePageCount(35, 34), 2);
    EXPECT_EQ(TrendTablePageCount(0, 34), 1) << "the headers alone";
    EXPECT_EQ(TrendTablePageCount(5, 0), 5) << "at least one line a page";
    EXPECT_EQ(TrendTablePageCount(5, -3), 5);
    EXPECT_EQ(TrendTableLinesPerPage(1.0), 1);
    EXPECT_GT(TrendTableLinesPerPage(27.7), 20);
}

TEST(TrendChart, TheChartAndTheTablePrintAsPdfPages)
{
    QTemporaryDir dir;
    const TrendPrint print{QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf"), QStringLiteral("1.2.3"),
                           QStringLiteral("Trend Query Results")};
    const QString chartPdf = dir.filePath("chart.pdf");
    {
        QPdfWriter writer(chartPdf);
        writer.setResolution(kReportDotsPerInch);
        writer.setPageLayout(ReportPageLayout());
        EXPECT_TRUE(RenderTrendChart(writer, TwoSeries(casedb::TrendSpacing::Fixed), TrendChartType::Bar, print).notes.isEmpty());
    }
    EXPECT_TRUE(PdfTool("pdfinfo", {chartPdf}).contains(QRegularExpression(R"(Pages:\s+1\n)")));
    const QString chartText = PdfTool("pdftotext", {chartPdf, "-"});
    for (const char* text : {"Sarvotrenk", "Version: 1.2.3", "Mill 3 - xy", "Circularity LSC (µm)", "1000 mm/min", "Static"})
        EXPECT_TRUE(chartText.contains(QString::fromUtf8(text))) << text << "\n" << chartText.toStdString();

    // One row more than a page holds: two pages, the second titled "(2)".
    casedb::TrendTable table;
    table.headers = {"Session", "Date", "Type", "Feedrate", "Circularity LSC"};
    const int lines = TrendTableLinesPerPage(ReportPageLayout().paintRect(QPageLayout::Millimeter).height() / 10);
    for (int r = 0; r <= lines; ++r)
        table.rows.push_back({QStringLiteral("Week %1").arg(r), "3/2/26", "Dynamic", "1000", QString::number(r)});
    const QString tablePdf = dir.filePath("table.pdf");
    {
        QPdfWriter writer(tablePdf);
        writer.setResolution(kReportDotsPerInch);
        writer.setPageLayout(ReportPageLayout());
        RenderTrendTable(writer, table, print);
    }
    EXPECT_TRUE(PdfTool("pdfinfo", {tablePdf}).contains(QRegularExpression(R"(Pages:\s+2\n)")));
    const QStringList pages = PdfTool("pdftotext", {tablePdf, "-"}).split(u'\f');
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains("Week 0") && pages[0].contains(QStringLiteral("Week %1").arg(lines - 1)));
    EXPECT_FALSE(pages[0].contains("(2)"));
    EXPECT_TRUE(pages[1].contains("Trend Query Results(2)")) << pages[1].toStdString();
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Week %1").arg(lines)));
    EXPECT_TRUE(pages[1].contains("Circularity LSC")) << "every page has the header row";
}

// Variable spacing through the recording canvas: every bar stands within the slot of its own day,
// the bars of one day side by side without covering each other, each as high as its value; a line
// joins the middles of its days.
TEST(TrendChart, WithVariableSpacingEveryBarStandsWithinItsOwnDay)
{
    casedb::TrendChart chart;
    chart.spacing = casedb::TrendSpacing::Variable;
    chart.caption = QStringLiteral("Circularity LSC");
    chart.pointLabels = {QString(), QString(), QString(), QString()};
    // Four sessions; the cells carry the day of their case.
    chart.series = {{QStringLiteral("1000 mm/min"), {{false, 0, 0}, {true, 5, 3}, {true, 6, 5}, {false, 0, 0}}},
                    {QStringLiteral("2000 mm/min"), {{true, 8, 0}, {false, 0, 0}, {false, 0, 0}, {true, 7, 8}}},
                    {QStringLiteral("Static"), {{true, 3, 0}, {false, 0, 0}, {true, 4, 5}, {false, 0, 0}}}};
    const QColor colours[] = {kFirstSeries, kSecondSeries, QColor(40, 150, 70)};

    RecordingCanvas canvas(QSizeF(640, 420));
    canvas.moveTo(QPointF(7, 9));
    DrawTrendChart(canvas, chart, TrendChartType::Bar, QRectF(0, 0, 640, 420));
    EXPECT_EQ(canvas.current(), QPointF(7, 9)) << "the position is kept";

    // The day labels are the lowest texts; their middles give the day scale.
    const double em = canvas.font().size * 96.0 / 72.0;
    double lowest = 0, legendLeft = 640;
    for (const auto& t : canvas.texts) {
        lowest = std::max(lowest, t.topLeft.y());
        for (const auto& s : chart.series)
            legendLeft = t.text == s.legend ? std::min(legendLeft, t.topLeft.x()) : legendLeft;
    }
    std::vector<std::pair<double, double>> dayAt; // day, x
    for (const auto& t : canvas.texts) {
        if (std::abs(t.topLeft.y() - lowest) < 1e-9)
            dayAt.emplace_back(t.text.toDouble(), t.topLeft.x() + RecordingCanvas::kCharWidth * em * t.text.size() / 2);
    }
    ASSERT_GE(dayAt.size(), 2u);
    const double slot = (dayAt.back().second - dayAt.front().second) / (dayAt.back().first - dayAt.front().first);
    const auto xOf = [&](double day) { return dayAt.front().second + (day - dayAt.front().first) * slot; };
    ASSERT_GT(slot, 10.0);

    std::map<int, int> onDay{{0, 2}, {3, 1}, {5, 2}, {8, 1}}; // bars per day
    std::vector<QRectF> bars;
    std::optional<double> perValue;
    for (const auto& box : canvas.boxes) {
        const std::size_t s = std::size_t(std::find(std::begin(colours), std::end(colours), box.colour) - colours);
        if (s == std::size(colours) || box.rect.right() >= legendLeft - em)
            continue; // the legend's swatches stand right of the plot
        const QRectF& bar = box.rect;
        const int day = int(std::lround((bar.center().x() - xOf(0)) / slot));
        SCOPED_TRACE(testing::Message() << "series " << s << " day " << day);
        // The bar is one of its series' cells of that day, as high as that cell's value.
        const auto& cells = chart.series[s].cells;
        const auto cell = std::find_if(cells.begin(), cells.end(), [&](const casedb::TrendCell& c) { return c.filled && int(c.days) == day; });
        ASSERT_NE(cell, cells.end());
        if (!perValue)
            perValue = bar.height() / cell->value;
        EXPECT_NEAR(bar.height(), cell->value * *perValue, 1e-6);
        EXPECT_GE(bar.left(), xOf(day) - slot / 2 - 1e-9);
        EXPECT_LE(bar.right(), xOf(day) + slot / 2 + 1e-9);
        EXPECT_NEAR(bar.width(), slot * 0.8 / onDay[day], 1e-6) << "a day's bars share its slot, none is cut";
        for (const QRectF& other : bars)
            EXPECT_LE(std::min(bar.right(), other.right()) - std::max(bar.left(), other.left()), 1e-9) << "overlap";
        bars.push_back(bar);
    }
    EXPECT_EQ(bars.size(), 6u);

    RecordingCanvas lines(QSizeF(640, 420));
    DrawTrendChart(lines, chart, TrendChartType::Line, QRectF(0, 0, 640, 420));
    std::vector<std::pair<double, double>> joins;
    for (const auto& l : lines.lines) {
        if (l.pen.colour == kFirstSeries)
            joins.emplace_back(l.from.x(), l.to.x());
    }
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_NEAR(joins[0].first, xOf(3), 1e-6);
    EXPECT_NEAR(joins[0].second, xOf(5), 1e-6);
}

// Over a range of many days a day is narrower than a bar that shows: every bar is still a third of
// a text line wide, a day's bars stand side by side around it, as far along as the day is, and
// the first and the last day's bars stand inside the frame, clear of the axis.
TEST(TrendChart, OverManyDaysEveryBarCanBeSeenAndStaysInsideThePlot)
{
    for (const auto& [lastDay, width] : {std::pair{8, 640.0}, {90, 640.0}, {364, 640.0}, {364, 300.0}, {1500, 900.0}}) {
        SCOPED_TRACE(testing::Message() << lastDay << " days over " << width);
        const double middle = lastDay / 3;
        casedb::TrendChart chart;
        chart.spacing = casedb::TrendSpacing::Variable;
        chart.pointLabels = {QString(), QString(), QString()};
        chart.series = {{QStringLiteral("1000 mm/min"), {{true, 5, 0}, {true, 6, middle}, {true, 4, double(lastDay)}}},
                        {QStringLiteral("Static"), {{true, 3, 0}, {true, 2, middle}, {false, 0, 0}}}};
        RecordingCanvas canvas(QSizeF(width, width * 2 / 3));
        DrawTrendChart(canvas, chart, TrendChartType::Bar, QRectF(0, 0, width, width * 2 / 3));
        // The frame's sides are the longest upright lines; the legend's swatches stand right of it.
        std::map<double, std::vector<double>> uprightsByLength;
        for (const auto& l : canvas.lines) {
            if (l.from.x() == l.to.x())
                uprightsByLength[std::abs(l.to.y() - l.from.y())].push_back(l.from.x());
        }
        const auto [left, right] = std::ranges::minmax(uprightsByLength.rbegin()->second);
        std::vector<QRectF> bars;
        for (const auto& box : canvas.boxes) {
            if ((box.colour == kFirstSeries || box.colour == kSecondSeries) && box.rect.right() < right)
                bars.push_back(box.rect);
        }
        std::ranges::sort(bars, {}, &QRectF::left);
        ASSERT_EQ(bars.size(), 5u);
        const double least = canvas.textHeight(QStringLiteral("Ag")) / 3;
        for (const QRectF& bar : bars) {
            EXPECT_GE(bar.width(), least - 1e-9);
            EXPECT_TRUE(bar.left() > left + least / 4 && bar.right() < right - least / 4) << bar.left() << ".." << bar.right();
        }
        EXPECT_NEAR(bars[0].right(), bars[1].left(), 1e-6);
        EXPECT_NEAR(bars[2].right(), bars[3].left(), 1e-6);
        EXPECT_NEAR((bars[3].left() - bars[1].left()) / (bars[4].center().x() - bars[1].left()), middle / lastDay, 1e-6);
    }
}

// Ninety weekly sessions of three feedrates: every bar keeps pixel columns of its own colour, so
// no series hides behind another: a week narrower than three bars of the least width, and two
// sessions a day apart, too close for three bars of one dot.
TEST(TrendChart, ThreeSeriesOverNinetyWeeksEachStayVisible)
{
    casedb::TrendChart chart;
    chart.spacing = casedb::TrendSpacing::Variable;
    const QColor colours[] = {kFirstSeries, kSecondSeries, QColor(40, 150, 70)};
    for (int s = 0; s < 3; ++s) {
        chart.series.push_back({QStringLiteral("%1000 mm/min").arg(s + 1), {}});
        for (int week = 0; week < 90; ++week)
            chart.series.back().cells.push_back({true, 5.0 + (week + s) % 4, 7.0 * week});
    }
    chart.pointLabels.resize(90);
    for (const auto& [width, secondDay] : {std::pair{640, 7.0}, {480, 7.0}, {900, 7.0}, {640, 1.0}}) {
        SCOPED_TRACE(testing::Message() << width << " wide, second session on day " << secondDay);
        for (auto& series : chart.series)
            series.cells[1].days = secondDay;
        QImage image(width, 420, QImage::Format_RGB32);
        {
            QPainter painter(&image);
            DrawTrendChart(painter, chart, TrendChartType::Bar, QRectF(0, 0, width, 420));
        }
        // Below the legend only bars carry a series' colour.
        for (const QColor& colour : colours) {
            int columns = 0;
            for (int x = 0; x < width; ++x) {
                bool found = false;
                for (int y = 250; y < 420 && !found; ++y)
                    found = image.pixelColor(x, y) == colour;
                columns += found ? 1 : 0;
            }
            EXPECT_GE(columns, 90) << colour.name().toStdString();
        }
    }
}

// Weekly sessions over twenty years: on the screen and on the printed page the dates below the
// plot are every step-th session's, from the first on, none overlapping its neighbour, and thinned
// no further than the widest date needs, at a hundred sessions as at 1,100.
TEST(TrendChart, SessionDatesNeverOverlapOnTheScreenOrThePage)
{
    for (const int sessions : {100, 1100}) {
        casedb::TrendChart chart;
        chart.caption = QStringLiteral("Circularity LSC");
        chart.series = {{QStringLiteral("1000 mm/min"), {}}};
        for (int i = 0; i < sessions; ++i) {
            chart.pointLabels.push_back(QDate(2006, 1, 2).addDays(7 * i).toString("yyyy-MM-dd"));
            chart.series[0].cells.push_back({true, 5.0 + i % 3, 0});
        }
        // The screen in pixels; the page in centimetres, 96 dots an inch, as the print sets it up.
        RecordingCanvas screen(QSizeF(1280, 720));
        DrawTrendChart(screen, chart, TrendChartType::Bar, QRectF(0, 0, 1280, 720));
        RecordingCanvas page(QSizeF(19.0 / 2.54 * 96, 27.7 / 2.54 * 96));
        page.setScale(0, 0, 19.0, 27.7);
        DrawTrendChartPage(page, chart, TrendChartType::Bar, TrendPrint{});
        for (RecordingCanvas* canvas : {&screen, &page}) {
            SCOPED_TRACE(testing::Message() << sessions << " sessions on the " << (canvas == &screen ? "screen" : "page"));
            std::vector<std::pair<int, QRectF>> dates; // session, label box
            const double height = canvas->textHeight(QStringLiteral("Ag"));
            for (const auto& t : canvas->texts) {
                const auto at = std::find(chart.pointLabels.begin(), chart.pointLabels.end(), t.text);
                if (at != chart.pointLabels.end())
                    dates.emplace_back(int(at - chart.pointLabels.begin()), QRectF(t.topLeft, QSizeF(canvas->textWidth(t.text), height)));
            }
            ASSERT_GE(dates.size(), 5u);
            const int step = dates[1].first;
            ASSERT_GE(step, 1);
            const double dateWidth = dates[0].second.width();
            for (std::size_t k = 0; k < dates.size(); ++k) {
                EXPECT_EQ(dates[k].first, int(k) * step) << k;
                EXPECT_DOUBLE_EQ(dates[k].second.top(), dates[0].second.top()) << k;
                if (k > 0) {
                    const double gap = dates[k].second.left() - dates[k - 1].second.right();
                    EXPECT_GT(gap, 0) << "session " << dates[k].first << " overlaps its neighbour";
                    EXPECT_LT(gap, 2 * dateWidth) << "thinned further than the dates need";
                }
            }
            EXPECT_GT(dates.back().first + step, sessions - 1) << "the dates reach the last sessions";
        }
    }
}
