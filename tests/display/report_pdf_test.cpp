// The report written as a PDF file: one page of the real painter path, put in place only when
// complete; a report that fails leaves no file and an earlier file of the name as it was.
#include "display/report.h"

#include "core/app_error.h"
#include "core/ini_file.h"
#include "core/units.h"
#include "tests/support/core_test.h"
#include "tests/support/sample_cases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

using namespace sarvo;
using namespace sarvo::display;

namespace {

class ReportPdfTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.GraphScale = 10;
        ComputeUnits(units, settings, IniFile(iniFile));
        test::FillTwoWayCircle(c, true);
        c.Results.ResultsValid = true;
        request.logoPath = QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf");
        request.version = "1.2.3";
    }

    // What stands in the folder besides the settings.
    QStringList filesIn(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    Settings settings;
    UnitState units;
    Case c;
    ReportRequest request;
};

} // namespace

TEST_F(ReportPdfTest, TheReportBecomesOnePdfFileInPlaceOfTheTarget)
{
    const QString out = path("report.pdf");
    const ReportOutcome outcome = WriteReportPdf(out, c, settings, units, request);
    EXPECT_TRUE(outcome.notes.isEmpty()) << outcome.notes.join("; ").toStdString();
    QFile pdf(out);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
    EXPECT_FALSE(filesIn(appPath).join(",").contains(".part"));

    // A second report replaces the first.
    c.Header[HdrComment] = "second";
    const qint64 before = QFileInfo(out).size();
    WriteReportPdf(out, c, settings, units, request);
    EXPECT_NE(QFileInfo(out).size(), before);
}

TEST_F(ReportPdfTest, AFailingReportLeavesNoFileAndAnEarlierOneAsItWas)
{
    Case broken = c;
    broken.Data.RunCount = 12;
    const QString fresh = path("fresh.pdf");
    EXPECT_THROW(WriteReportPdf(fresh, broken, settings, units, request), AppError);
    EXPECT_FALSE(QFileInfo::exists(fresh));

    const QString earlier = writeFile("earlier.pdf", "an earlier report");
    EXPECT_THROW(WriteReportPdf(earlier, broken, settings, units, request), AppError);
    EXPECT_EQ(readFile("earlier.pdf"), QByteArray("an earlier report"));
    for (const QString& name : filesIn(appPath))
        EXPECT_FALSE(name.endsWith(".part")) << name.toStdString();

    // A folder that cannot be written to, and a folder as the target.
    EXPECT_THROW(WriteReportPdf(path("no/such/folder/report.pdf"), c, settings, units, request), AppError);
    ASSERT_TRUE(QDir(appPath).mkdir("folder.pdf"));
    EXPECT_THROW(WriteReportPdf(path("folder.pdf"), c, settings, units, request), AppError);
    EXPECT_TRUE(QFileInfo(path("folder.pdf")).isDir());
}

TEST_F(ReportPdfTest, RenderingRaisesSoThatThePrinterCanBeAborted)
{
    QPdfWriter writer(path("aborted.pdf"));
    Case broken = c;
    broken.Data.RunTargets[1] = -4;
    EXPECT_THROW(RenderReport(writer, broken, settings, units, request), AppError);
    // The device is free again for the caller.
    QPainter after;
    EXPECT_TRUE(after.begin(&writer));
    after.end();
}
