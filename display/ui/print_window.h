#pragma once
// "frmPrint", "Print graph": the step before the printed report. The user chooses "Errors &&
// Graph" or "Only Graph", may change the case's comment and prints; Print asks for the printer
// first and closes the window either way. The comment goes into the case with every edit, so the
// report and the case get the text as typed however the window is left (Enter, Print, Esc, Close).
// Other windows that print show it modeless with only its wait panel.

#include "core/case.h"
#include "display/print_options.h"
#include "display/report.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sarvo::display {

// What the window asks of the program.
class PrintWindowHost {
public:
    virtual ~PrintWindowHost() = default;
    // The original graph window: open, and whether it shows the linear graph or the circles.
    virtual GraphPrintState graphState() const = 0;
    // The page header's logo and the program's version, for the report.
    virtual QString logoPath() const = 0;
    virtual QString version() const = 0;
    // The print dialog over the window; true when the user confirmed a printer.
    virtual bool choosePrinter(QWidget* owner) = 0;
    // The report of the open case on the chosen printer; a failure is reported there.
    virtual void printReport(const ReportRequest& request) = 0;
    // The window closed: the comment in the case may have changed.
    virtual void printWindowClosed() = 0;
};

class PrintWindow : public QDialog {
    Q_OBJECT
public:
    // The window edits the comment of openCase; both must outlive the window. Centred and
    // translated; "Only Graph" alone when the case has no analysis results.
    PrintWindow(Case& openCase, PrintWindowHost& host, QWidget* parent = nullptr);
    ~PrintWindow() override;

    // The chosen report type.
    ReportType reportType() const;
    // The request Print would pass now.
    ReportRequest request() const;

    // Print: the printer dialog, and when confirmed the wait panel and the report; then the
    // window closes.
    void print();

    // Shown modeless with only its wait panel, for a print another window runs; that window
    // unloads it when the print ends.
    void showWaitOnly();
    bool waitShown() const;

    QRadioButton* typeOption(ReportType type) const;
    QLineEdit* commentBox() const { return txtInfo_; }
    QPushButton* printButton() const { return cmdPrint_; }
    QPushButton* closeButton() const { return cmdClose_; }
    QFrame* waitPanel() const { return pnlWait_; }

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The caption of the chosen option in bold, the other one regular.
    void boldChoice();
    void showWaitPanel();

    Case& case_;
    PrintWindowHost& host_;
    QRadioButton* optType_[2];
    QLineEdit* txtInfo_;
    QPushButton* cmdPrint_;
    QPushButton* cmdClose_;
    QFrame* pnlWait_;
    QLabel* lblItem_;
    bool printing_ = false;
    bool closedSent_ = false;
};

// The print wait panel for as long as the object lives: the print options window shown modeless
// with only its wait panel, and unloaded again at the end. Without a print window in the
// program's registry nothing is shown.
class PrintWaitScope {
public:
    PrintWaitScope();
    ~PrintWaitScope();
    PrintWaitScope(const PrintWaitScope&) = delete;
    PrintWaitScope& operator=(const PrintWaitScope&) = delete;
};

} // namespace sarvo::display
