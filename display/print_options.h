#pragma once
// What the print options window decides without its widgets: which report types the open case
// allows, the report request built from the choice and the graph window's view, the comment
// written into the case, and the PDF name a report of the case gets by default.

#include "core/case.h"
#include "display/report.h"

#include <QString>

namespace sarvo::display {

// The original graph window as the report needs it: open, and what it shows.
struct GraphPrintState {
    bool shown = false;
    bool linear = false; // the linear graph is chosen
    bool mzc = false;    // the minimum-zone circles are checked
};

// "Errors && Graph" needs the analysis results of the case.
bool ErrorsAndGraphAvailable(const Case& c);
// The report type the window starts with: "Errors && Graph" when the case has results, else
// "Only Graph". Each opening starts afresh; an earlier choice is not remembered.
ReportType InitialReportType(const Case& c);

// The request for the chosen type: "Only Graph" whenever the case has no results, the linear
// graph and the circles only while the graph window is open and shows them.
ReportRequest BuildReportRequest(const Case& c, ReportType chosen, const GraphPrintState& graph,
                                 const QString& logoPath, const QString& version);

// The longest comment the case keeps.
inline constexpr int kCommentLength = 100;
// The comment (header slot 12) := the text, cut to its 100 characters.
void CommitComment(Case& c, const QString& text);

// The file name of a report of the case as a PDF: the case's file name without its folder
// ("/" or "\") and its extension, with ".pdf"; "Report.pdf" when the case names no file.
QString ReportPdfName(const Case& c);

} // namespace sarvo::display
