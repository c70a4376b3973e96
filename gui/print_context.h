#pragma once
// The program's one printer. It keeps what the user last confirmed in the print dialog (the
// printer or PDF file, paper, orientation, copies, duplex), so the next print starts from it; the
// report and the trend prints all print on it. Until the user chooses otherwise it writes a PDF
// file on the report's page (display::ReportPageLayout, the page of every report PDF), named by
// the program's default output file (see setDefaultOutputFile).
//
// The dialog is shown by a provider that tests replace. For unattended runs the environment
// variable SARVOTEX_PRINT_PDF switches the dialog off: when it names a file, every print dialog
// is confirmed at once with PDF output to that file.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "display/report.h"

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace sarvo {

// The environment variable of the unattended print: the PDF file every print dialog confirms.
inline constexpr char kAutoPrintPdfVariable[] = "SARVOTEX_PRINT_PDF";

// The page range a print dialog offers. Every setter keeps Min <= FromPage <= ToPage <= Max and
// none below 0: a value below 1 becomes 0, and the other three follow the new one where they
// would break the order.
class PrintPageRange {
public:
    int min() const { return min_; }
    int fromPage() const { return from_; }
    int toPage() const { return to_; }
    int max() const { return max_; }
    void setMin(int value);
    void setFromPage(int value);
    void setToPage(int value);
    void setMax(int value);
    // The range the user chose in a confirmed dialog, stored as it came.
    void storeChosen(int fromPage, int toPage);

private:
    int min_ = 0;
    int from_ = 0;
    int to_ = 0;
    int max_ = 0;
};

// Shows a print dialog for the printer, starting from its settings; true when the user
// confirmed, the printer then holding the chosen printer and settings (and range the chosen
// pages). A range whose Max is 0 offers no page range.
using PrintDialogProvider = std::function<bool(QPrinter& printer, PrintPageRange& range, QWidget* owner)>;

// Qt's print dialog.
PrintDialogProvider QtPrintDialog();
// Confirms at once, with PDF output to the file.
PrintDialogProvider AutoConfirmPdf(const QString& pdfPath);

class PrintContext {
public:
    PrintContext();
    ~PrintContext();
    PrintContext(const PrintContext&) = delete;
    PrintContext& operator=(const PrintContext&) = delete;

    // The current printer, made with the defaults on first use.
    QPrinter& printer();

    // The dialog to show; empty: AutoConfirmPdf($SARVOTEX_PRINT_PDF) when that is set, else Qt's.
    void setDialogProvider(PrintDialogProvider provider);
    // The PDF file a print writes while the user has not chosen one: asked each time the dialog
    // opens (the open case may have changed). Empty, or giving an empty text: "Report.pdf" in the
    // current folder.
    void setDefaultOutputFile(std::function<QString()> defaultFile);

    // The printer-setup form of the dialog (no page range), pre-set from the current printer;
    // true when the user confirmed, and the printer then holds the choice. A cancelled or failed
    // dialog leaves the printer as it was and gives false, without a message.
    bool showPrintDialog(QWidget* owner);

    // A printer with the defaults and no providers: the state before the program started (tests).
    void reset();

private:
    void suggestOutputFile();

    std::unique_ptr<QPrinter> printer_;
    PrintDialogProvider provider_;
    std::function<QString()> defaultFile_;
    QString suggested_; // the output file the program last put in, as opposed to the user
};

PrintContext& printContext();

// The print dialog over the owner window: printContext().showPrintDialog(owner).
bool ShowPrintDialog(QWidget* owner);

// Draws a whole print job on a paged device (see display::RenderPages); raises AppError on failure.
using PageRenderer = std::function<display::ReportOutcome(QPagedPaintDevice& device)>;
// Prints the pages on the printer as PrintReport prints the report: the same safeguards, the same
// report of a failure under "Printing" and of what was left out. True when printed.
bool PrintPages(QPrinter& printer, const PageRenderer& render);

// Prints the report on the printer. A failure aborts the job and is reported once under
// "Printing": a PDF is written beside its file and put in place only when complete, so no half
// report is left (and an earlier file of that name stays as it was); for a printer the page is
// drawn once off the printer first, so a report that fails never reaches the printer. What the
// report left out is told to the user. True when the report was printed.
bool PrintReport(QPrinter& printer, const Case& c, const Settings& settings, const UnitState& units,
                 const display::ReportRequest& request);
// The same on the current printer.
bool PrintReport(const Case& c, const Settings& settings, const UnitState& units,
                 const display::ReportRequest& request);

} // namespace sarvo
