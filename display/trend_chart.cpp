#include "display/trend_chart.h"

#include "display/charts.h"

#include <QLocale>
#include <QPainter>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace sarvo::display {

namespace {

using casedb::TrendCell;
using casedb::TrendChart;
using casedb::TrendSeries;
using casedb::TrendSpacing;

const QColor kInk(Qt::black);
const QColor kGrid(220, 220, 220);
const QColor kSeriesColours[] = {QColor(40, 90, 180), QColor(200, 60, 40),  QColor(40, 150, 70),
                                 QColor(230, 150, 20), QColor(130, 60, 160), QColor(20, 160, 170),
                                 QColor(150, 110, 60), QColor(90, 90, 90)};

QColor SeriesColour(std::size_t series)
{
    return kSeriesColours[series % std::size(kSeriesColours)];
}

// The x axis: the middle of each point's slot with fixed spacing; with variable spacing a day
// scale, a step a day, with room at either end for half the widest day's bars.
struct XAxis {
    QRectF plot;
    int points = 0;
    TrendSpacing spacing = TrendSpacing::Fixed;
    ValueAxis days;
    double dayStep = 0;
    double dayMargin = 0;
    double minBar = 0;   // the narrowest bar that shows well
    double deviceDot = 0; // the narrowest bar that still shows at all
    // The widest bar that neighbouring days leave room for, their bars side by side.
    double roomWidth = std::numeric_limits<double>::max();
    // Days so close that not even bars of one dot fit side by side: placed as fixed spacing does.
    bool crowded = false;

    bool byDay() const { return spacing == TrendSpacing::Variable && days.max > days.min && !crowded; }
    double slot() const { return plot.width() / std::max(1, points); }
    double ofDay(double day) const { return plot.left() + dayMargin + (day - days.min) * dayStep; }
    double of(int point, const TrendCell& cell) const
    {
        return byDay() ? ofDay(cell.days) : plot.left() + (point + 0.5) * slot();
    }
    // The width of each of a day's bars: its share of most of a day, but never narrower than
    // minBar, so that a range of many days still shows every bar; where neighbouring days stand
    // closer, narrower, so that no bar covers another.
    double barWidth(std::size_t barsOnDay) const
    {
        return std::min(std::max(dayStep * 0.8 / double(std::max<std::size_t>(1, barsOnDay)), minBar), roomWidth);
    }
};

template <class Fn>
void ForEachFilled(const TrendChart& chart, Fn fn)
{
    for (std::size_t s = 0; s < chart.series.size(); ++s) {
        const std::vector<TrendCell>& cells = chart.series[s].cells;
        for (std::size_t p = 0; p < cells.size(); ++p) {
            if (cells[p].filled)
                fn(s, int(p), cells[p]);
        }
    }
}

// The filled cells of each whole day (variable spacing), as (series, point) in series order.
std::map<long long, std::vector<std::pair<std::size_t, int>>> CellsByDay(const TrendChart& chart)
{
    std::map<long long, std::vector<std::pair<std::size_t, int>>> byDay;
    ForEachFilled(chart, [&](std::size_t s, int p, const TrendCell& cell) { byDay[std::llround(cell.days)].push_back({s, p}); });
    for (auto& [day, cells] : byDay)
        std::sort(cells.begin(), cells.end());
    return byDay;
}

// Variable spacing: a day a slot of the plot's width when its bars fit there; else the scale
// narrows so that the widest day's bars, at their least width, stand inside the plot at either end.
void PlaceDays(XAxis& x, const TrendChart& chart)
{
    const double span = x.days.max - x.days.min;
    std::size_t mostBars = 1;
    for (const auto& [day, cells] : CellsByDay(chart))
        mostBars = std::max(mostBars, cells.size());
    x.dayStep = x.plot.width() / (span + 1);
    const double widest = double(mostBars) * x.barWidth(mostBars);
    if (widest <= x.dayStep) {
        x.dayMargin = x.dayStep / 2;
        return;
    }
    // Half a bar of room between the outer bars and the frame.
    x.dayMargin = std::min(widest + x.minBar, x.plot.width()) / 2;
    x.dayStep = std::max(0.0, x.plot.width() - 2 * x.dayMargin) / span;
    // Two neighbouring days' bars, each group centred on its day, just meet at this width.
    const auto byDay = CellsByDay(chart);
    for (auto day = byDay.begin(), next = std::next(day); next != byDay.end(); ++day, ++next) {
        const double gap = double(next->first - day->first) * x.dayStep;
        x.roomWidth = std::min(x.roomWidth, 2 * gap / double(day->second.size() + next->second.size()));
    }
    x.crowded = x.roomWidth < x.deviceDot;
}

// One bar: its left edge and width on the x axis.
struct BarSpan {
    std::size_t series = 0;
    int point = 0;
    double from = 0;
    double width = 0;
};

// Fixed spacing: side by side in each point's slot, a place per series. Variable spacing: the
// bars of one day side by side around that day, so that a value stays on its day.
std::vector<BarSpan> BarSpans(const TrendChart& chart, const XAxis& x)
{
    std::vector<BarSpan> spans;
    if (!x.byDay()) {
        const double group = x.slot() * 0.8;
        const double width = group / double(std::max<std::size_t>(1, chart.series.size()));
        ForEachFilled(chart, [&](std::size_t s, int p, const TrendCell& cell) {
            spans.push_back({s, p, x.of(p, cell) - group / 2 + double(s) * width, width});
        });
        return spans;
    }
    for (const auto& [day, bars] : CellsByDay(chart)) {
        const double width = x.barWidth(bars.size());
        const double group = width * double(bars.size());
        for (std::size_t k = 0; k < bars.size(); ++k)
            spans.push_back({bars[k].first, bars[k].second, x.ofDay(double(day)) - group / 2 + double(k) * width, width});
    }
    return spans;
}

// Texts placed in a box as a label control would: left, centred or right, middle height.
void DrawText(Canvas& canvas, const QRectF& box, Qt::Alignment align, const QString& text, const QColor& colour)
{
    const double width = canvas.textWidth(text);
    double left = box.left();
    if (align & Qt::AlignHCenter)
        left = box.center().x() - width / 2;
    else if (align & Qt::AlignRight)
        left = box.right() - width;
    canvas.setForeColor(colour);
    canvas.moveTo(QPointF(left, box.center().y() - canvas.textHeight(text) / 2));
    canvas.print(text, false);
}

QString Elided(const Canvas& canvas, const QString& text, double width)
{
    if (canvas.textWidth(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    QString cut = text;
    while (!cut.isEmpty() && canvas.textWidth(cut + ellipsis) > width)
        cut.chop(1);
    return cut + ellipsis;
}

} // namespace

void DrawTrendChart(Canvas& canvas, const TrendChart& chart, TrendChartType type, const QRectF& target)
{
    const QPointF start = canvas.current();
    const CanvasPen pen = canvas.pen();
    canvas.fillBox(target, Qt::white);
    const double line = canvas.textHeight(QStringLiteral("Ag"));
    const double margin = line * 0.5;
    // Pens as wide as a fraction of a text line, in device dots.
    const double dotsPerUnit = std::abs(canvas.toDevice(QPointF(1, 0)).x() - canvas.toDevice(QPointF(0, 0)).x());
    const auto setPen = [&](double widthInLines) { canvas.setDrawWidth(int(std::lround(std::max(1.0, line * dotsPerUnit * widthInLines)))); };
    setPen(1.0 / 14);
    canvas.setDrawStyle(DrawStyle::Solid);

    double top = target.top() + margin;
    if (!chart.title.isEmpty()) {
        DrawText(canvas, QRectF(target.left(), top, target.width(), line), Qt::AlignHCenter, chart.title, kInk);
        top += line;
    }
    QString yTitle = chart.caption;
    if (!chart.unit.isEmpty())
        yTitle += QStringLiteral(" (%1)").arg(chart.unit);
    if (!yTitle.isEmpty()) {
        DrawText(canvas, QRectF(target.left() + margin, top, target.width() - 2 * margin, line), Qt::AlignLeft, yTitle, kInk);
        top += line;
    }
    top += line * 0.6; // room for the top tick's label

    // The value range, 0 included so bars stand on the axis.
    double lo = 0, hi = 0, dayLo = std::numeric_limits<double>::max(), dayHi = std::numeric_limits<double>::lowest();
    ForEachFilled(chart, [&](std::size_t, int, const TrendCell& cell) {
        lo = std::min(lo, cell.value);
        hi = std::max(hi, cell.value);
        dayLo = std::min(dayLo, cell.days);
        dayHi = std::max(dayHi, cell.days);
    });
    ValueAxis values = NiceAxis(lo, hi, 6);
    if (values.ticks.empty())
        values = NiceAxis(lo, lo + 1, 6);
    std::vector<QString> tickTexts;
    double tickWidth = 0;
    for (double v : values.ticks) {
        tickTexts.push_back(QLocale().toString(v, 'f', values.decimals));
        tickWidth = std::max(tickWidth, canvas.textWidth(tickTexts.back()));
    }

    double legendWidth = 0;
    for (const TrendSeries& s : chart.series)
        legendWidth = std::max(legendWidth, canvas.textWidth(s.legend) + line * 2);
    legendWidth = std::min(legendWidth, target.width() / 3);

    const double left = target.left() + margin + tickWidth + line * 0.6;
    const double right = target.right() - margin - (legendWidth > 0 ? legendWidth + margin : 0);
    const double bottom = target.bottom() - margin - line * 1.2;
    const QRectF plot(QPointF(left, top), QPointF(std::max(left + line * 0.1, right), std::max(top + line * 0.1, bottom)));

    const auto frame = [&] {
        canvas.line(plot.topLeft(), plot.topRight(), kInk);
        canvas.line(plot.topRight(), plot.bottomRight(), kInk);
        canvas.line(plot.bottomRight(), plot.bottomLeft(), kInk);
        canvas.line(plot.bottomLeft(), plot.topLeft(), kInk);
    };
    if (chart.empty()) {
        frame();
        canvas.moveTo(start);
        canvas.setForeColor(pen.colour);
        canvas.setDrawWidth(pen.width);
        return;
    }

    const auto mapY = [&](double v) {
        return plot.bottom() - (v - values.min) / (values.max - values.min) * plot.height();
    };
    for (std::size_t i = 0; i < values.ticks.size(); ++i) {
        const double y = mapY(values.ticks[i]);
        canvas.line(QPointF(plot.left(), y), QPointF(plot.right(), y), kGrid);
        DrawText(canvas, QRectF(target.left(), y - line / 2, plot.left() - target.left() - line * 0.3, line),
                 Qt::AlignRight, tickTexts[i], kInk);
    }
    frame();

    XAxis x{plot, chart.pointCount(), chart.spacing, {}};
    // A third of a text line, and never less than three dots of the device.
    x.deviceDot = 1.0 / std::max(dotsPerUnit, 1e-9);
    x.minBar = std::max(line / 3, 3 * x.deviceDot);
    if (chart.spacing == TrendSpacing::Variable && dayHi >= dayLo) {
        x.days = NiceAxis(dayLo, std::max(dayHi, dayLo + 1), 8);
        PlaceDays(x, chart);
    }
    if (x.byDay()) {
        for (double d : x.days.ticks) {
            const double at = x.ofDay(d);
            canvas.line(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + line * 0.3), kInk);
            DrawText(canvas, QRectF(at - line * 3, plot.bottom() + line * 0.2, line * 6, line), Qt::AlignHCenter,
                     QLocale().toString(d, 'f', x.days.decimals), kInk);
        }
    } else {
        // Every step-th date, so that the labels never overlap however narrow a point's slot: the
        // step's slots are at least as wide as the widest label with its gap.
        double widest = 0;
        for (const QString& label : chart.pointLabels)
            widest = std::max(widest, canvas.textWidth(label) + line * 0.5);
        const double slot = x.slot();
        const int points = chart.pointCount();
        const int step = slot > 0 ? std::max(1, int(std::min(std::ceil(widest / slot), double(points)))) : points;
        for (int p = 0; p < points; p += step) {
            DrawText(canvas, QRectF(x.of(p, {}) - widest / 2, plot.bottom() + line * 0.2, widest, line), Qt::AlignHCenter,
                     chart.pointLabels[std::size_t(p)], kInk);
        }
    }

    canvas.setClip(plot);
    const std::size_t seriesCount = chart.series.size();
    if (type == TrendChartType::Bar) {
        for (const BarSpan& bar : BarSpans(chart, x)) {
            const double value = chart.series[bar.series].cells[std::size_t(bar.point)].value;
            canvas.fillBox(QRectF(QPointF(bar.from, std::min(mapY(0), mapY(value))),
                                  QPointF(bar.from + bar.width, std::max(mapY(0), mapY(value)))),
                           SeriesColour(bar.series));
        }
    } else {
        setPen(1.0 / 8);
        for (std::size_t s = 0; s < seriesCount; ++s) {
            std::optional<QPointF> previous;
            const std::vector<TrendCell>& cells = chart.series[s].cells;
            for (std::size_t p = 0; p < cells.size(); ++p) {
                if (!cells[p].filled)
                    continue;
                const QPointF point(x.of(int(p), cells[p]), mapY(cells[p].value));
                if (previous)
                    canvas.line(*previous, point, SeriesColour(s));
                const double mark = line * 0.2;
                canvas.fillBox(QRectF(point.x() - mark, point.y() - mark, 2 * mark, 2 * mark), SeriesColour(s));
                previous = point;
            }
        }
        setPen(1.0 / 14);
    }
    canvas.clearClip();
    canvas.line(QPointF(plot.left(), mapY(0)), QPointF(plot.right(), mapY(0)), kInk);

    // The legend beside the plot, one swatch and text per series.
    for (std::size_t s = 0; s < seriesCount; ++s) {
        const double y = plot.top() + double(s) * line * 1.2;
        const double swatch = line * 0.7;
        canvas.fillBox(QRectF(plot.right() + margin, y + (line - swatch) / 2, swatch, swatch), SeriesColour(s));
        DrawText(canvas, QRectF(plot.right() + margin + line, y, legendWidth - line, line), Qt::AlignLeft,
                 Elided(canvas, chart.series[s].legend, legendWidth - line), kInk);
    }
    canvas.moveTo(start);
    canvas.setForeColor(pen.colour);
    canvas.setDrawWidth(pen.width);
}

void DrawTrendChart(QPainter& painter, const TrendChart& chart, TrendChartType type, const QRectF& target)
{
    painter.save();
    // Device pixels as the canvas's scale, the painter's font as its font.
    PainterCanvas canvas(painter, QSizeF(std::max(1.0, target.right()), std::max(1.0, target.bottom())));
    const QFont font = painter.font();
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    canvas.setFontSize(font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / dpi);
    DrawTrendChart(canvas, chart, type, target);
    painter.restore();
}

int TrendTablePageCount(int rows, int linesPerPage)
{
    const int lines = std::max(1, linesPerPage);
    return std::max(1, (std::max(0, rows) + lines - 1) / lines);
}

namespace {

// The table's page in centimetres: the caption block under the page header, then rows of this
// height; the bottom margin as the table has always kept it (1600 twips).
constexpr double kRowHeight = 0.55;
constexpr double kCaptionLine = 0.85;
constexpr double kTableTop = 1.8 + 4 * kCaptionLine;
constexpr double kBottomMargin = 1600.0 / 1440.0 * 2.54;
constexpr int kTableColumns = 5;

} // namespace

int TrendTableLinesPerPage(double pageHeightCm)
{
    return std::max(1, int(std::floor((pageHeightCm - kBottomMargin - kTableTop) / kRowHeight)) - 1);
}

ReportOutcome DrawTrendChartPage(Canvas& page, const TrendChart& chart, TrendChartType type, const TrendPrint& print)
{
    ReportOutcome outcome = PrintPageHeader(page, print.logoPath, print.version);
    page.print(QString());
    const double top = page.currentY();
    const QRectF box(1.5, top, page.scaleWidth() - 3.0, page.scaleHeight() - top - 1.5);
    if (box.width() > 0 && box.height() > 0) {
        page.setFontSize(10);
        page.setFontBold(false);
        DrawTrendChart(page, chart, type, box);
    }
    return outcome;
}

ReportOutcome DrawTrendTablePage(Canvas& page, const casedb::TrendTable& table, int index, const TrendPrint& print)
{
    ReportOutcome outcome = PrintPageHeader(page, print.logoPath, print.version);
    const int lines = TrendTableLinesPerPage(page.scaleHeight());
    const double width = page.scaleWidth();
    // Six column widths across the page: the five columns start half a column in.
    const double column = (width - 1.5) / 6;

    page.setFontSize(20);
    const QString caption = index == 0 ? print.caption : print.caption + QStringLiteral("(%1)").arg(index + 1);
    page.setCurrentX((width - page.textWidth(caption)) / 2);
    page.setCurrentY(1.8 + 2 * kCaptionLine);
    page.print(caption);
    page.setFontSize(10);

    const auto drawRow = [&](const QStringList& cells, double y, bool header) {
        page.setFontBold(header);
        for (int c = 0; c < kTableColumns; ++c) {
            const double x = column / 2 + c * column;
            page.line(QPointF(x, y), QPointF(x, y + kRowHeight));
            QString text = cells.value(c);
            while (!text.isEmpty() && page.textWidth(text) > column - 0.2)
                text.chop(1);
            page.setCurrentX(x + 0.1);
            page.setCurrentY(y + (kRowHeight - page.textHeight(QStringLiteral("Ag"))) / 2);
            page.print(text, false);
        }
        const double end = column / 2 + kTableColumns * column;
        page.line(QPointF(end, y), QPointF(end, y + kRowHeight));
        page.line(QPointF(column / 2, y + kRowHeight), QPointF(end, y + kRowHeight));
        if (header)
            page.line(QPointF(column / 2, y), QPointF(end, y));
    };
    drawRow(table.headers, kTableTop, true);
    const std::size_t first = std::size_t(index) * std::size_t(lines);
    for (std::size_t r = first; r < std::min(table.rows.size(), first + std::size_t(lines)); ++r)
        drawRow(table.rows[r], kTableTop + double(r - first + 1) * kRowHeight, false);
    page.setFontBold(false);
    return outcome;
}

ReportOutcome RenderTrendChart(QPagedPaintDevice& device, const TrendChart& chart, TrendChartType type, const TrendPrint& print)
{
    return RenderPages(device, [](const Canvas&) { return 1; },
                       [&](Canvas& page, int) { return DrawTrendChartPage(page, chart, type, print); });
}

ReportOutcome RenderTrendTable(QPagedPaintDevice& device, const casedb::TrendTable& table, const TrendPrint& print)
{
    const auto pages = [&](const Canvas& page) {
        return TrendTablePageCount(int(table.rows.size()), TrendTableLinesPerPage(page.scaleHeight()));
    };
    return RenderPages(device, pages, [&](Canvas& page, int index) { return DrawTrendTablePage(page, table, index, print); });
}

} // namespace sarvo::display
