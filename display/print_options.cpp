#include "display/print_options.h"

#include <algorithm>

namespace sarvo::display {

bool ErrorsAndGraphAvailable(const Case& c)
{
    return c.Results.ResultsValid;
}

ReportType InitialReportType(const Case& c)
{
    return ErrorsAndGraphAvailable(c) ? ReportType::ErrorsAndGraph : ReportType::OnlyGraph;
}

ReportRequest BuildReportRequest(const Case& c, ReportType chosen, const GraphPrintState& graph,
                                 const QString& logoPath, const QString& version)
{
    ReportRequest r;
    r.type = ErrorsAndGraphAvailable(c) ? chosen : ReportType::OnlyGraph;
    r.linearGraph = graph.shown && graph.linear;
    r.mzcCircles = graph.shown && graph.mzc;
    r.logoPath = logoPath;
    r.version = version;
    return r;
}

void CommitComment(Case& c, const QString& text)
{
    c.Header[HdrComment] = text.left(kCommentLength);
}

QString ReportPdfName(const Case& c)
{
    QString name = c.Header[HdrFilename].trimmed();
    // Stored names may come from the old program with "\" as separator.
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    name = name.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Report");
    return name + QStringLiteral(".pdf");
}

} // namespace sarvo::display
