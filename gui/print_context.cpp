#include "gui/print_context.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "core/prompts.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cstdio>

namespace sarvo {

// --- page range --------------------------------------------------------------------------------

namespace {
int pageValue(int value)
{
    return std::max(value, 0);
}
} // namespace

void PrintPageRange::setMin(int value)
{
    min_ = pageValue(value);
    from_ = std::max(from_, min_);
    to_ = std::max(to_, min_);
    max_ = std::max(max_, min_);
}

void PrintPageRange::setFromPage(int value)
{
    from_ = pageValue(value);
    to_ = std::max(to_, from_);
    max_ = std::max(max_, from_);
    min_ = std::min(min_, from_);
}

void PrintPageRange::setToPage(int value)
{
    to_ = pageValue(value);
    max_ = std::max(max_, to_);
    from_ = std::min(from_, to_);
    min_ = std::min(min_, to_);
}

void PrintPageRange::setMax(int value)
{
    max_ = pageValue(value);
    to_ = std::min(to_, max_);
    from_ = std::min(from_, max_);
    min_ = std::min(min_, max_);
}

void PrintPageRange::storeChosen(int fromPage, int toPage)
{
    from_ = fromPage;
    to_ = toPage;
}

// --- dialog providers --------------------------------------------------------------------------

PrintDialogProvider QtPrintDialog()
{
    return [](QPrinter& printer, PrintPageRange& range, QWidget* owner) {
        const bool pages = range.max() > 0;
        if (pages) {
            printer.setFromTo(range.fromPage(), range.toPage());
            printer.setPrintRange(range.fromPage() > 0 ? QPrinter::PageRange : QPrinter::AllPages);
        }
        QPrintDialog dialog(&printer, owner);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, pages);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (pages)
            dialog.setMinMax(range.min(), range.max());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (pages)
            range.storeChosen(printer.fromPage(), printer.toPage());
        return true;
    };
}

PrintDialogProvider AutoConfirmPdf(const QString& pdfPath)
{
    return [pdfPath](QPrinter& printer, PrintPageRange&, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return true;
    };
}

// --- the context -------------------------------------------------------------------------------

PrintContext::PrintContext() = default;
PrintContext::~PrintContext() = default;

QPrinter& PrintContext::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setResolution(display::kReportDotsPerInch);
        printer_->setPageLayout(display::ReportPageLayout());
        suggested_.clear();
    }
    return *printer_;
}

void PrintContext::setDialogProvider(PrintDialogProvider provider)
{
    provider_ = std::move(provider);
}

void PrintContext::setDefaultOutputFile(std::function<QString()> defaultFile)
{
    defaultFile_ = std::move(defaultFile);
}

void PrintContext::suggestOutputFile()
{
    QPrinter& p = printer();
    // A real printer has no file; a file the user chose stays chosen.
    if (p.outputFormat() != QPrinter::PdfFormat)
        return;
    if (!p.outputFileName().isEmpty() && p.outputFileName() != suggested_)
        return;
    QString file = defaultFile_ ? defaultFile_() : QString();
    if (file.isEmpty())
        file = QDir::current().absoluteFilePath(QStringLiteral("Report.pdf"));
    p.setOutputFileName(file);
    suggested_ = file;
}

bool PrintContext::showPrintDialog(QWidget* owner)
{
    try {
        suggestOutputFile();
        PrintDialogProvider show = provider_;
        if (!show) {
            const QString unattended = qEnvironmentVariable(kAutoPrintPdfVariable);
            show = unattended.isEmpty() ? QtPrintDialog() : AutoConfirmPdf(unattended);
        }
        // The printer-setup form: printer, paper and orientation, no page range.
        PrintPageRange range;
        return show(printer(), range, owner);
    } catch (...) {
        return false;
    }
}

void PrintContext::reset()
{
    printer_.reset();
    provider_ = nullptr;
    defaultFile_ = nullptr;
    suggested_.clear();
}

PrintContext& printContext()
{
    static PrintContext context;
    return context;
}

bool ShowPrintDialog(QWidget* owner)
{
    return printContext().showPrintDialog(owner);
}

// --- printing the report -----------------------------------------------------------------------

namespace {

// The printer writes into a temporary file beside the target, which takes the target's place only
// once the report is complete; the printer keeps the target as its file.
display::ReportOutcome printToPdf(QPrinter& printer, const PageRenderer& render)
{
    const QString target = printer.outputFileName();
    if (target.isEmpty())
        throw AppError::standard(AppError::kBadFileName);
    const QFileInfo info(target);
    if (!info.absoluteDir().exists())
        throw AppError::standard(AppError::kPathNotFound);
    // Made by the printer itself, so the report gets the permissions of any new file.
    const QString temporary = info.absoluteDir().filePath(
        QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(QCoreApplication::applicationPid()));
    QFile::remove(temporary);

    struct RestoreTarget {
        QPrinter& printer;
        QString target;
        ~RestoreTarget() { printer.setOutputFileName(target); }
    } restore{printer, target};
    printer.setOutputFileName(temporary);
    display::ReportOutcome outcome;
    try {
        outcome = render(printer);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    // One step, so an earlier file of that name is replaced whole or not at all.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temporary);
        throw AppError::standard(AppError::kPathFileAccess);
    }
    return outcome;
}

// A page sent to a printer cannot be taken back (a print job of the usual printer systems cannot
// be aborted once its page is ended): the report is drawn once on a throw-away page of the same
// size first, and only a report that completes there goes to the printer.
display::ReportOutcome printToPrinter(QPrinter& printer, const PageRenderer& render)
{
    {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QPdfWriter trial(&sink);
        trial.setResolution(printer.resolution());
        trial.setPageLayout(printer.pageLayout());
        render(trial);
    }
    return render(printer);
}

} // namespace

bool PrintPages(QPrinter& printer, const PageRenderer& render)
{
    const BusyCursor busy;
    try {
        const display::ReportOutcome outcome =
            printer.outputFormat() == QPrinter::PdfFormat ? printToPdf(printer, render) : printToPrinter(printer, render);
        if (!outcome.notes.isEmpty())
            prompts().message(QStringLiteral("Sarvotrenk"), outcome.notes.join(u'\n'), MessageIcon::Information);
        return true;
    } catch (...) {
        ReportError(QString::fromLatin1(display::kPrintLocation), AppError::fromException(std::current_exception()));
        return false;
    }
}

bool PrintReport(QPrinter& printer, const Case& c, const Settings& settings, const UnitState& units,
                 const display::ReportRequest& request)
{
    return PrintPages(printer, [&](QPagedPaintDevice& device) {
        return display::RenderReport(device, c, settings, units, request);
    });
}

bool PrintReport(const Case& c, const Settings& settings, const UnitState& units, const display::ReportRequest& request)
{
    return PrintReport(printContext().printer(), c, settings, units, request);
}

} // namespace sarvo
