#pragma once
// The one-page measurement report: page header with the logo, case data, ISO 230-4 values,
// circularity, the error terms, the printed polar or linear graph with its legend, and the
// comment at the foot. Drawn on a Canvas in centimetres, so a printer, a PDF file and the
// recording canvas of the tests get the same page. Reads the case, its results and the units;
// never a window.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "display/canvas.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QString>
#include <QStringList>

#include <functional>

namespace sarvo::display {

inline constexpr char kPrintLocation[] = "Printing";
// The logo of the page header, shipped beside the program.
inline constexpr char kLogoFileName[] = "logo.wmf";

// The page a report is printed on until the user chooses other paper: A4 portrait at 600 dots
// per inch (so pens of 3 or 4 dots stay visible), inside margins of kReportMarginMm on every side.
// The program's printer and the PDF writer both start from it.
inline constexpr int kReportDotsPerInch = 600;
inline constexpr double kReportMarginMm = 10;
QPageLayout ReportPageLayout();

// The print options window's choice: "Errors && Graph" or "Only Graph".
enum class ReportType { ErrorsAndGraph, OnlyGraph };

struct ReportRequest {
    ReportType type = ReportType::ErrorsAndGraph;
    bool linearGraph = false; // the original graph window is open and shows the linear graph
    bool mzcCircles = false;  // the original graph window is open with its minimum-zone circles
    QString logoPath;         // the page header's logo (kLogoFileName beside the program); a missing
                              // or damaged one is left out, empty for none
    QString version;          // the program's version, "1.2.3"
};

// What the report left out and why (a graph band without height), for the user.
struct ReportOutcome {
    QStringList notes;
};

// The header every printed page begins with: the logo at the top left, the product name in 20 pt
// bold and "Version: " and the version in 10 pt in the page's middle column. Leaves the font
// at 10 pt regular and the current position 1.8 cm from the top. The canvas's scale is
// centimetres from the top-left corner of the printable area.
ReportOutcome PrintPageHeader(Canvas& page, const QString& logoPath, const QString& version);

// Draws the whole report on a canvas whose device is one page, its scale in centimetres from
// the top-left corner of the printable area (the graphs change it and set it back). Raises
// AppError on failure: a scale that does not start at the corner, a case beyond its limits.
ReportOutcome DrawReport(Canvas& page, const Case& c, const Settings& settings, const UnitState& units,
                         const ReportRequest& request);

// Pages drawn one after another on a paged device (a printer or a PDF writer) that has not begun
// painting: each on a canvas in centimetres from the top-left corner of the printable area, which
// lies at least kReportMarginMm inside every paper edge. index counts from 0; the number of pages
// (at least 1) is asked once, of the first page's canvas. Raises AppError when the device cannot be
// painted on or leaves no printable area, or passes on the drawer's failure.
using PageDrawer = std::function<auto(Canvas& page, int index)->ReportOutcome>;
using PageCount = std::function<int(const Canvas& page)>;
ReportOutcome RenderPages(QPagedPaintDevice& device, const PageCount& pageCount, const PageDrawer& draw);

// The report as the one page of a paged device (a printer or a PDF writer) that has not begun
// painting. The page's printable area lies at least kReportMarginMm inside every paper edge,
// whatever smaller margins the device has (a PDF printer set to none), and nothing is drawn
// outside it. Raises AppError when the device cannot be painted on, leaves no printable area, or
// the report fails.
ReportOutcome RenderReport(QPagedPaintDevice& device, const Case& c, const Settings& settings,
                           const UnitState& units, const ReportRequest& request);

// The report as a PDF file on the page of ReportPageLayout, as the program's own print gives it.
// Written beside the target and moved into place only when complete: a failure leaves no file
// (and any earlier file of that name as it was) and raises AppError.
ReportOutcome WriteReportPdf(const QString& path, const Case& c, const Settings& settings, const UnitState& units,
                             const ReportRequest& request);

} // namespace sarvo::display
