#include "display/trend_chart.h"

#include "display/charts.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
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

QPen Pen(const QFontMetricsF& fm, const QColor& colour, double widthInLines = 1.0 / 14)
{
    return QPen(colour, std::max(1.0, fm.height() * widthInLines));
}

// The x axis: the middle of each point's slot with fixed spacing, the day scale with variable.
struct XAxis {
    QRectF plot;
    int points = 0;
    TrendSpacing spacing = TrendSpacing::Fixed;
    ValueAxis days;

    double slot() const { return plot.width() / std::max(1, points); }
    double of(int point, const TrendCell& cell) const
    {
        if (spacing == TrendSpacing::Fixed || !(days.max > days.min))
            return plot.left() + (point + 0.5) * slot();
        const double inset = plot.width() * 0.05;
        return plot.left() + inset + (cell.days - days.min) / (days.max - days.min) * (plot.width() - 2 * inset);
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

} // namespace

void DrawTrendChart(QPainter& painter, const TrendChart& chart, TrendChartType type, const QRectF& target)
{
    painter.save();
    painter.fillRect(target, Qt::white);
    const QFontMetricsF fm(painter.font(), painter.device());
    const double line = fm.height();
    const double margin = line * 0.5;

    painter.setPen(Pen(fm, kInk));
    double top = target.top() + margin;
    if (!chart.title.isEmpty()) {
        painter.drawText(QRectF(target.left(), top, target.width(), line), Qt::AlignHCenter | Qt::AlignVCenter, chart.title);
        top += line;
    }
    QString yTitle = chart.caption;
    if (!chart.unit.isEmpty())
        yTitle += QStringLiteral(" (%1)").arg(chart.unit);
    if (!yTitle.isEmpty()) {
        painter.drawText(QRectF(target.left() + margin, top, target.width() - 2 * margin, line),
                         Qt::AlignLeft | Qt::AlignVCenter, yTitle);
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
        tickWidth = std::max(tickWidth, fm.horizontalAdvance(tickTexts.back()));
    }

    double legendWidth = 0;
    for (const TrendSeries& s : chart.series)
        legendWidth = std::max(legendWidth, fm.horizontalAdvance(s.legend) + line * 2);
    legendWidth = std::min(legendWidth, target.width() / 3);

    const double left = target.left() + margin + tickWidth + line * 0.6;
    const double right = target.right() - margin - (legendWidth > 0 ? legendWidth + margin : 0);
    const double bottom = target.bottom() - margin - line * 1.2;
    const QRectF plot(QPointF(left, top), QPointF(std::max(left + 1, right), std::max(top + 1, bottom)));

    painter.setPen(Pen(fm, kInk));
    painter.drawRect(plot);
    if (chart.empty()) {
        painter.restore();
        return;
    }

    const auto mapY = [&](double v) {
        return plot.bottom() - (v - values.min) / (values.max - values.min) * plot.height();
    };
    for (std::size_t i = 0; i < values.ticks.size(); ++i) {
        const double y = mapY(values.ticks[i]);
        painter.setPen(Pen(fm, kGrid));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Pen(fm, kInk));
        painter.drawText(QRectF(target.left(), y - line / 2, plot.left() - target.left() - line * 0.3, line),
                         Qt::AlignRight | Qt::AlignVCenter, tickTexts[i]);
    }

    XAxis x{plot, chart.pointCount(), chart.spacing, {}};
    if (chart.spacing == TrendSpacing::Variable && dayHi >= dayLo) {
        x.days = NiceAxis(dayLo, std::max(dayHi, dayLo + 1), 8);
        for (double d : x.days.ticks) {
            const double at = x.of(0, TrendCell{true, 0, d});
            painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + line * 0.3));
            painter.drawText(QRectF(at - line * 3, plot.bottom() + line * 0.2, line * 6, line), Qt::AlignCenter,
                             QLocale().toString(d, 'f', x.days.decimals));
        }
    } else {
        // Every step-th date, so that the labels never overlap.
        double widest = 0;
        for (const QString& label : chart.pointLabels)
            widest = std::max(widest, fm.horizontalAdvance(label) + line * 0.5);
        const int step = std::max(1, int(std::ceil(widest / std::max(1.0, x.slot()))));
        for (int p = 0; p < chart.pointCount(); p += step) {
            const double at = x.of(p, {});
            painter.drawText(QRectF(at - widest / 2, plot.bottom() + line * 0.2, widest, line), Qt::AlignCenter,
                             chart.pointLabels[std::size_t(p)]);
        }
    }

    painter.save();
    painter.setClipRect(plot);
    const std::size_t seriesCount = chart.series.size();
    if (type == TrendChartType::Bar) {
        // Side by side in each point's slot; with variable spacing as narrow as the densest day.
        const double group = (chart.spacing == TrendSpacing::Fixed ? x.slot() : plot.width() / std::max(2, chart.pointCount() * 2)) * 0.8;
        const double width = group / double(std::max<std::size_t>(1, seriesCount));
        ForEachFilled(chart, [&](std::size_t s, int p, const TrendCell& cell) {
            const double from = x.of(p, cell) - group / 2 + double(s) * width;
            const QRectF bar(QPointF(from, std::min(mapY(0), mapY(cell.value))), QPointF(from + width, std::max(mapY(0), mapY(cell.value))));
            painter.fillRect(bar, SeriesColour(s));
        });
    } else {
        for (std::size_t s = 0; s < seriesCount; ++s) {
            painter.setPen(Pen(fm, SeriesColour(s), 1.0 / 8));
            std::optional<QPointF> previous;
            const std::vector<TrendCell>& cells = chart.series[s].cells;
            for (std::size_t p = 0; p < cells.size(); ++p) {
                if (!cells[p].filled)
                    continue;
                const QPointF point(x.of(int(p), cells[p]), mapY(cells[p].value));
                if (previous)
                    painter.drawLine(*previous, point);
                const double mark = line * 0.2;
                painter.fillRect(QRectF(point.x() - mark, point.y() - mark, 2 * mark, 2 * mark), SeriesColour(s));
                previous = point;
            }
        }
    }
    painter.restore();
    painter.setPen(Pen(fm, kInk));
    painter.drawLine(QPointF(plot.left(), mapY(0)), QPointF(plot.right(), mapY(0)));

    // The legend beside the plot, one swatch and text per series.
    for (std::size_t s = 0; s < seriesCount; ++s) {
        const double y = plot.top() + double(s) * line * 1.2;
        const double swatch = line * 0.7;
        painter.fillRect(QRectF(plot.right() + margin, y + (line - swatch) / 2, swatch, swatch), SeriesColour(s));
        painter.setPen(Pen(fm, kInk));
        const QString legend = fm.elidedText(chart.series[s].legend, Qt::ElideRight, legendWidth - line);
        painter.drawText(QRectF(plot.right() + margin + line, y, legendWidth - line, line), Qt::AlignLeft | Qt::AlignVCenter, legend);
    }
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
        page.picture(box, [&](QPainter& painter, const QRectF& device) { DrawTrendChart(painter, chart, type, device); });
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
