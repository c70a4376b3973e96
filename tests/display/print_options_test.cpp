// The print options without their window: the report type a case allows, the request built from
// the choice and the graph window's view, the comment cut to its length and the default PDF name.
#include "display/print_options.h"

#include <gtest/gtest.h>

namespace sarvo::display {
namespace {

TEST(PrintOptions, TheRequestFollowsTheResultsAndTheOpenGraphWindow)
{
    struct Row {
        const char* what;
        bool resultsValid;
        ReportType chosen;
        GraphPrintState graph;
        ReportType type;
        bool linear;
        bool mzc;
    };
    const Row rows[] = {
        {"results, errors chosen, no graph window", true, ReportType::ErrorsAndGraph, {}, ReportType::ErrorsAndGraph,
         false, false},
        {"results, only graph chosen", true, ReportType::OnlyGraph, {}, ReportType::OnlyGraph, false, false},
        {"no results: errors cannot be printed", false, ReportType::ErrorsAndGraph, {}, ReportType::OnlyGraph, false,
         false},
        {"graph window open, linear", true, ReportType::ErrorsAndGraph, {true, true, false},
         ReportType::ErrorsAndGraph, true, false},
        {"graph window open, polar with circles", false, ReportType::OnlyGraph, {true, false, true},
         ReportType::OnlyGraph, false, true},
        // A window that is not open shows nothing, whatever its options were.
        {"graph window closed", true, ReportType::ErrorsAndGraph, {false, true, true}, ReportType::ErrorsAndGraph,
         false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Case c;
        c.Results.ResultsValid = row.resultsValid;
        EXPECT_EQ(ErrorsAndGraphAvailable(c), row.resultsValid);
        EXPECT_EQ(InitialReportType(c), row.resultsValid ? ReportType::ErrorsAndGraph : ReportType::OnlyGraph);
        const ReportRequest r = BuildReportRequest(c, row.chosen, row.graph, "/opt/logo.wmf", "1.2.3");
        EXPECT_EQ(r.type, row.type);
        EXPECT_EQ(r.linearGraph, row.linear);
        EXPECT_EQ(r.mzcCircles, row.mzc);
        EXPECT_EQ(r.logoPath, "/opt/logo.wmf");
        EXPECT_EQ(r.version, "1.2.3");
    }
}

TEST(PrintOptions, TheCommentKeepsItsFirstHundredCharacters)
{
    Case c;
    CommitComment(c, QString(150, u'x'));
    EXPECT_EQ(c.Header[HdrComment], QString(100, u'x'));
    CommitComment(c, QStringLiteral("spindle warm"));
    EXPECT_EQ(c.Header[HdrComment], "spindle warm");
    CommitComment(c, QString());
    EXPECT_EQ(c.Header[HdrComment], QString());
}

TEST(PrintOptions, TheDefaultPdfIsNamedAfterTheCaseFile)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/home/anna/mill 3.rtb", "mill 3.pdf"},
        {"C:\\Messungen\\Fraese.DBB", "Fraese.pdf"},
        {"D:/mixed\\dir/run.b.rtb", "run.b.pdf"},
        {"noext", "noext.pdf"},
        {".hidden", ".hidden.pdf"},
        {"", "Report.pdf"},
        {"/only/a/folder/", "Report.pdf"},
    };
    for (const auto& [file, pdf] : rows) {
        Case c;
        c.Header[HdrFilename] = QString::fromUtf8(file);
        EXPECT_EQ(ReportPdfName(c), QString::fromUtf8(pdf)) << file;
    }
}

} // namespace
} // namespace sarvo::display
