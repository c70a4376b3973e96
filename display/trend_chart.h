#pragma once
// The trend's chart and its printed pages. One drawing path for the screen, an image and paper:
// the chart as bars grouped per point or as one line per series, with legend, titles and the x
// axis of dates (fixed spacing) or of days (variable spacing); the table printed page by page
// under the page header.

#include "casedb/trend.h"
#include "display/canvas.h"
#include "display/report.h"

#include <QPagedPaintDevice>
#include <QRectF>
#include <QString>

class QPainter;

namespace sarvo::display {

enum class TrendChartType { Bar, Line };

// Paints the chart over target (user units of a scale whose y runs downward) with the canvas's
// font; an empty chart gives its frame alone. With variable spacing each day stands at its place
// on a day scale and its bars side by side around it, each wide enough to be seen however many
// days the range holds, the first and the last day's inside the plot; where days stand closer
// than their bars, the bars are narrower, and where not even bars of one device dot fit, the
// points are placed as fixed spacing places them: no bar ever covers another. The canvas's
// position, colour and pen width are kept.
void DrawTrendChart(Canvas& canvas, const casedb::TrendChart& chart, TrendChartType type, const QRectF& target);
// The same over a painter, target in its device pixels, with the painter's font.
void DrawTrendChart(QPainter& painter, const casedb::TrendChart& chart, TrendChartType type, const QRectF& target);

// Pages for rows at linesPerPage rows a page (taken as at least 1); no rows still print one page
// of headers.
int TrendTablePageCount(int rows, int linesPerPage);

// What every trend print needs beside its content.
struct TrendPrint {
    QString logoPath;    // the page header's logo; empty for none
    QString version;     // the program's version
    QString caption;     // the window's caption, above the table
};

// The chart page: page header, then the chart filling the rest of the page.
ReportOutcome DrawTrendChartPage(Canvas& page, const casedb::TrendChart& chart, TrendChartType type,
                                 const TrendPrint& print);

// The table rows that fit a page of that printable height (cm) under its header and title; at
// least 1.
int TrendTableLinesPerPage(double pageHeightCm);
// Page index (from 0) of the table: page header, the caption (with "(n)" from the second page
// on), the header row and that page's rows.
ReportOutcome DrawTrendTablePage(Canvas& page, const casedb::TrendTable& table, int index, const TrendPrint& print);

// The whole chart or table print on a paged device; raises AppError as RenderPages does.
ReportOutcome RenderTrendChart(QPagedPaintDevice& device, const casedb::TrendChart& chart, TrendChartType type,
                               const TrendPrint& print);
ReportOutcome RenderTrendTable(QPagedPaintDevice& device, const casedb::TrendTable& table, const TrendPrint& print);

} // namespace sarvo::display
