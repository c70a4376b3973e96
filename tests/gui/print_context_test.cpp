// The program's printer: the page-range setters, the defaults, the dialog confirmed, cancelled or
// failing through a stand-in provider and the unattended switch, the default file, and the
// report printed to a PDF (checked with pdfinfo, its page with pdftoppm) or failing without
// leaving a file behind.
#include "gui/print_context.h"

#include "core/ini_file.h"
#include "tests/support/core_test.h"
#include "tests/support/sample_cases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <stdexcept>

namespace sarvo {
namespace {

TEST(PrintPageRange, TheSettersKeepMinFromToMaxInOrder)
{
    enum class Set { Min, From, To, Max };
    struct Row {
        const char* what;
        Set set;
        int value;
        int min, from, to, max;
    };
    // Every row starts from 0, 2, 3, 4.
    const Row rows[] = {
        {"Min 5 raises all", Set::Min, 5, 5, 5, 5, 5},
        {"Min 1 raises nothing", Set::Min, 1, 1, 2, 3, 4},
        {"Max 0 lowers all", Set::Max, 0, 0, 0, 0, 0},
        {"Max -3 counts as 0", Set::Max, -3, 0, 0, 0, 0},
        {"Max 2 lowers To", Set::Max, 2, 0, 2, 2, 2},
        {"To 1 lowers From", Set::To, 1, 0, 1, 1, 4},
        {"To 9 raises Max", Set::To, 9, 0, 2, 9, 9},
        {"From 7 raises To and Max", Set::From, 7, 0, 7, 7, 7},
        {"From 0 leaves the rest", Set::From, 0, 0, 0, 3, 4},
        {"From -1 counts as 0", Set::From, -1, 0, 0, 3, 4},
        {"To 0 lowers From and Min", Set::To, 0, 0, 0, 0, 4},
    };
    for (const Row& row : rows) {
        PrintPageRange r;
        r.setMax(4);
        r.setToPage(3);
        r.setFromPage(2);
        ASSERT_EQ(r.min(), 0);
        ASSERT_EQ(r.fromPage(), 2);
        ASSERT_EQ(r.toPage(), 3);
        ASSERT_EQ(r.max(), 4);
        switch (row.set) {
        case Set::Min: r.setMin(row.value); break;
        case Set::From: r.setFromPage(row.value); break;
        case Set::To: r.setToPage(row.value); break;
        case Set::Max: r.setMax(row.value); break;
        }
        EXPECT_EQ(r.min(), row.min) << row.what;
        EXPECT_EQ(r.fromPage(), row.from) << row.what;
        EXPECT_EQ(r.toPage(), row.to) << row.what;
        EXPECT_EQ(r.max(), row.max) << row.what;
    }
    // A confirmed dialog's range is stored as it came.
    PrintPageRange chosen;
    chosen.setMax(4);
    chosen.storeChosen(5, 1);
    EXPECT_EQ(chosen.fromPage(), 5);
    EXPECT_EQ(chosen.toPage(), 1);
}

// pdfinfo's "Pages:" of the file; -1 when it cannot be read.
int PdfPages(const QString& file)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    if (!info.waitForFinished(30000) || info.exitCode() != 0)
        return -1;
    for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

class PrintContextTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        printContext().reset();
        qunsetenv(kAutoPrintPdfVariable);
        test::FillTwoWayCircle(c, true);
        c.Header[HdrComment] = QStringLiteral("report comment");
        ComputeUnits(units, settings, IniFile(iniFile));
        request.type = display::ReportType::OnlyGraph;
        request.version = QStringLiteral("1.2.3");
    }
    void TearDown() override
    {
        printContext().reset();
        qunsetenv(kAutoPrintPdfVariable);
        CoreTest::TearDown();
    }
    // The files of the program folder, the settings file aside.
    QStringList folderFiles() const
    {
        QStringList files = QDir(appPath).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QStringLiteral("Sarvotex.ini"));
        return files;
    }
    // A provider that records its calls and answers as told.
    void useProvider(bool confirm, const QString& pdf = {})
    {
        printContext().setDialogProvider([this, confirm, pdf](QPrinter& printer, PrintPageRange& range, QWidget*) {
            ++dialogs;
            fileAtDialog = printer.outputFileName();
            rangeOffered = range.max() > 0;
            if (!pdf.isEmpty())
                printer.setOutputFileName(pdf);
            return confirm;
        });
    }

    Case c;
    Settings settings;
    UnitState units;
    display::ReportRequest request;
    int dialogs = 0;
    QString fileAtDialog;
    bool rangeOffered = true;
};

TEST_F(PrintContextTest, TheProgramStartsWithAnA4PortraitPdfAt600DpiInsideTheReportsMargins)
{
    QPrinter& p = printContext().printer();
    EXPECT_EQ(p.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(p.resolution(), 600);
    EXPECT_EQ(p.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(p.pageLayout().orientation(), QPageLayout::Portrait);
    // The report's own margins, the page the dump's PDF has too.
    EXPECT_EQ(p.pageLayout().margins(QPageLayout::Millimeter),
              display::ReportPageLayout().margins(QPageLayout::Millimeter));
    EXPECT_EQ(&printContext().printer(), &p);
}

TEST_F(PrintContextTest, TheDialogStartsFromTheDefaultFileUntilTheUserChoosesOne)
{
    QString next = appPath + "first.pdf";
    printContext().setDefaultOutputFile([&next] { return next; });
    useProvider(true);
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    EXPECT_EQ(fileAtDialog, appPath + "first.pdf");
    EXPECT_FALSE(rangeOffered) << "the setup form offers no page range";
    // Another case: the default follows it while the user kept the default.
    next = appPath + "second.pdf";
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    EXPECT_EQ(fileAtDialog, appPath + "second.pdf");
    // A file the user chose stays.
    useProvider(true, appPath + "mine.pdf");
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    next = appPath + "third.pdf";
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    EXPECT_EQ(fileAtDialog, appPath + "mine.pdf");

    // Without a default file: "Report.pdf" in the current folder.
    printContext().reset();
    useProvider(true);
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    EXPECT_EQ(fileAtDialog, QDir::current().absoluteFilePath("Report.pdf"));
}

TEST_F(PrintContextTest, ACancelledOrFailingDialogLeavesThePrinterAsItWas)
{
    printContext().setDefaultOutputFile([this] { return appPath + "report.pdf"; });
    useProvider(false);
    EXPECT_FALSE(ShowPrintDialog(nullptr));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(printContext().printer().outputFileName(), appPath + "report.pdf");

    printContext().setDialogProvider([](QPrinter&, PrintPageRange&, QWidget*) -> bool {
        throw std::runtime_error("no print system");
    });
    EXPECT_FALSE(ShowPrintDialog(nullptr));
    EXPECT_TRUE(prompts.messages.empty()) << "a failing dialog answers false without a message";
    EXPECT_TRUE(folderFiles().isEmpty());
}

TEST_F(PrintContextTest, TheUnattendedSwitchConfirmsToItsPdf)
{
    const QString pdf = appPath + "unattended.pdf";
    qputenv(kAutoPrintPdfVariable, pdf.toLocal8Bit());
    EXPECT_TRUE(ShowPrintDialog(nullptr));
    EXPECT_EQ(printContext().printer().outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printContext().printer().outputFileName(), pdf);
    // An installed provider (a test's) comes first.
    useProvider(false);
    EXPECT_FALSE(ShowPrintDialog(nullptr));
    EXPECT_EQ(dialogs, 1);
}

TEST_F(PrintContextTest, TheConfirmedReportIsOneWholePdfPage)
{
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    const QString pdf = appPath + "case.pdf";
    useProvider(true, pdf);
    ASSERT_TRUE(ShowPrintDialog(nullptr));
    for (const auto type : {display::ReportType::OnlyGraph, display::ReportType::ErrorsAndGraph}) {
        request.type = type;
        QFile::remove(pdf);
        EXPECT_TRUE(PrintReport(c, settings, units, request));
        EXPECT_EQ(PdfPages(pdf), 1);
        // The partial file took the report's place: nothing else is left.
        EXPECT_EQ(folderFiles(), QStringList{"case.pdf"});
        EXPECT_EQ(printContext().printer().outputFileName(), pdf);
    }
    // The report may be read like any file the user makes there.
    const QString plain = writeFile("plain.txt", "x");
    EXPECT_EQ(QFileInfo(pdf).permissions(), QFileInfo(plain).permissions());
}

// The page the program prints, looked at as an image: blank in the report's 10 mm margins, also
// when the user's paper has none, and the report inside them.
TEST_F(PrintContextTest, ThePrintedPageKeepsTheReportsMarginsBlankWhateverThePapersOwn)
{
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const QString pdf = appPath + "case.pdf";
    useProvider(true, pdf);
    ASSERT_TRUE(ShowPrintDialog(nullptr));
    request.type = display::ReportType::ErrorsAndGraph;
    c.Results.ResultsValid = true;
    for (const bool paperMargins : {true, false}) {
        SCOPED_TRACE(paperMargins ? "the report's page" : "paper without margins");
        if (!paperMargins) {
            ASSERT_TRUE(printContext().printer().setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        }
        ASSERT_TRUE(PrintReport(c, settings, units, request));
        QProcess raster;
        raster.start("pdftoppm", {"-r", "100", "-png", "-singlefile", pdf, appPath + "page"});
        ASSERT_TRUE(raster.waitForFinished(60000));
        const QImage page(appPath + "page.png");
        ASSERT_FALSE(page.isNull());
        const QRect inside = page.rect().adjusted(38, 38, -38, -38); // 10 mm at 100 dpi, less a dot
        int inMargin = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x)
                inMargin += !inside.contains(x, y) && qGray(page.pixel(x, y)) < 250 ? 1 : 0;
        }
        EXPECT_EQ(inMargin, 0);
    }
}

TEST_F(PrintContextTest, AFailedReportLeavesNoFileAndIsReportedOnce)
{
    const QString pdf = appPath + "case.pdf";
    const QByteArray earlier = "an earlier report";
    writeFile("case.pdf", earlier);
    QPrinter& p = printContext().printer();
    p.setOutputFileName(pdf);
    // Margins that leave the page no printable width: the report fails once it has begun the page.
    ASSERT_TRUE(p.setPageMargins(QMarginsF(209.8, 0, 0, 0), QPageLayout::Millimeter));
    ASSERT_EQ(p.width(), 0);
    EXPECT_FALSE(PrintReport(c, settings, units, request));
    EXPECT_EQ(reportsAt("Printing"), 1);
    EXPECT_EQ(prompts.messages.size(), 1u);
    // The earlier file is as it was, and no partial file is left beside it.
    EXPECT_EQ(readFile("case.pdf"), earlier);
    EXPECT_EQ(folderFiles(), QStringList{"case.pdf"});
    EXPECT_EQ(p.outputFileName(), pdf);

    // A file in a folder that does not exist: reported, nothing made.
    QFile::remove(pdf);
    p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    p.setOutputFileName(appPath + "missing/case.pdf");
    EXPECT_FALSE(PrintReport(c, settings, units, request));
    EXPECT_EQ(reportsAt("Printing"), 2);
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_FALSE(QDir(appPath + "missing").exists());
}

} // namespace
} // namespace sarvo
