// The print options window as the program opens it: the Print command and button follow the
// fitted case, the command and the graph window's Print button open "frmPrint" modally, the
// window takes the graph window's view, and a confirmed print writes the report of the open
// case into the chosen PDF while the case-information panel shows the comment typed.
#include "analysis/analyse_case.h"
#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/display_commands.h"
#include "app/fit_command.h"
#include "app/main_commands.h"
#include "app/print_command.h"
#include "app/program_state.h"
#include "display/ui/case_info_panel.h"
#include "display/ui/graph_windows.h"
#include "display/ui/print_window.h"
#include "gui/print_context.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace sarvo;
using sarvo::test::AppTest;

namespace {

class ProgramPrint : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        printContext().reset();
        services() = ProgramServices();
        services().showResults = ShowProgramResults;
        services().showBasicInfo = ShowProgramCaseInfo;
        services().drawGraph = DrawProgramGraph;
        RegisterDisplayWindows();
        RegisterPrintWindow();
        InstallPrintServices();
        SetUnits();
        app().State.VersionString = QStringLiteral("2.3.4");
        Case& c = app().OpenCase;
        test::FillTwoWayCircle(c, true);
        c.Header[HdrFilename] = QStringLiteral("/measurements/mill 3.rtb");
        c.Header[HdrComment] = QStringLiteral("first");
        c.Header[HdrFeedrate] = "1000";
        NoProgress none;
        const AnalysisOutcome analysis = AnalyseCase(c, app().Settings, {.measurement = true}, none);
        ASSERT_TRUE(analysis.ok() && analysis.stepFailures.empty());
        app().State.CaseOpen = true;
        UpdateCaseCommands();
    }
    void TearDown() override
    {
        guard.reset();
        printContext().reset();
        services() = ProgramServices();
        AppTest::TearDown();
    }

    // Runs action on the print window as soon as it is up modally; a watchdog closes a window
    // left open, so a broken window fails the test instead of hanging it.
    void onPrintWindow(std::function<void(display::PrintWindow&)> action)
    {
        driven = false;
        auto* poll = new QTimer(guard.get());
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, action, tries = 0]() mutable {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll->stop();
                poll->deleteLater();
                auto* window = qobject_cast<display::PrintWindow*>(modal);
                if (!window) {
                    ADD_FAILURE() << "modal window " << modal->objectName().toStdString();
                    modal->close();
                    return;
                }
                driven = true;
                action(*window);
            } else if (++tries > 2000) {
                poll->stop();
                ADD_FAILURE() << "no modal window appeared";
            }
        });
        poll->start();
        QTimer::singleShot(8000, guard.get(), [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "modal window " << modal->objectName().toStdString() << " left open";
                modal->close();
            }
        });
    }

    std::unique_ptr<QObject> guard = std::make_unique<QObject>();
    bool driven = false;
};

} // namespace

TEST_F(ProgramPrint, PrintIsOnForAFittedCaseOnly)
{
    EXPECT_FALSE(recordingShell.menuEnabled(CommandId::Print)) << "no results yet";
    EXPECT_FALSE(recordingShell.buttonEnabled(ButtonId::Print));
    ASSERT_TRUE(RunErrorFit(app().OpenCase));
    UpdateCaseCommands();
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::Print));
    EXPECT_TRUE(recordingShell.buttonEnabled(ButtonId::Print));
}

TEST_F(ProgramPrint, ThePrintCommandOpensThePrintWindowModally)
{
    ASSERT_TRUE(RunErrorFit(app().OpenCase));
    onPrintWindow([](display::PrintWindow& w) {
        EXPECT_EQ(w.objectName(), "frmPrint");
        EXPECT_TRUE(w.isModal());
        EXPECT_EQ(w.commentBox()->text(), "first");
        EXPECT_EQ(w.reportType(), display::ReportType::ErrorsAndGraph);
        EXPECT_EQ(w.request().version, "2.3.4");
        EXPECT_EQ(w.request().logoPath, app().State.AppPath + "logo.wmf");
        QTest::keyClick(w.commentBox(), Qt::Key_Escape);
    });
    CmdPrint();
    EXPECT_TRUE(driven);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(windows().isLoaded(WindowId::Print));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ProgramPrint, TheGraphWindowsPrintButtonOpensTheWindowWithTheGraphsView)
{
    // The graph is open before any fit: only the graph can be printed.
    CmdGraph();
    auto* graph = qobject_cast<display::OriginalGraphWindow*>(windows().loaded(WindowId::Graph));
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(graph->printButton()->isEnabled());
    graph->linearOption()->click();
    onPrintWindow([](display::PrintWindow& w) {
        EXPECT_FALSE(w.typeOption(display::ReportType::ErrorsAndGraph)->isEnabled());
        const display::ReportRequest r = w.request();
        EXPECT_EQ(r.type, display::ReportType::OnlyGraph);
        EXPECT_TRUE(r.linearGraph);
        EXPECT_FALSE(r.mzcCircles);
        w.closeButton()->click();
    });
    graph->printButton()->click();
    EXPECT_TRUE(driven);

    graph->polarOption()->click();
    graph->mzcCheck()->setChecked(true);
    onPrintWindow([](display::PrintWindow& w) {
        EXPECT_FALSE(w.request().linearGraph);
        EXPECT_TRUE(w.request().mzcCircles);
        w.closeButton()->click();
    });
    graph->printButton()->click();
    EXPECT_TRUE(driven);
}

TEST_F(ProgramPrint, AConfirmedPrintWritesTheReportAndThePanelShowsTheTypedComment)
{
    // The logo ships beside the program and is found in the program folder.
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/logo.wmf", appPath + "logo.wmf"));
    ASSERT_TRUE(RunErrorFit(app().OpenCase));
    ShowProgramCaseInfo();
    auto* panel = qobject_cast<CaseInfoPanel*>(windows().loaded(WindowId::CaseInfo));
    ASSERT_NE(panel, nullptr);
    const QString pdf = appPath + "chosen.pdf";
    QString offered;
    printContext().setDialogProvider([&](QPrinter& printer, PrintPageRange&, QWidget* owner) {
        offered = printer.outputFileName();
        EXPECT_EQ(qobject_cast<display::PrintWindow*>(owner), qobject_cast<display::PrintWindow*>(
                                                                  QApplication::activeModalWidget()));
        printer.setOutputFileName(pdf);
        return true;
    });
    onPrintWindow([](display::PrintWindow& w) {
        QTest::keyClicks(w.commentBox(), QStringLiteral(" and second"));
        QTest::keyClick(w.commentBox(), Qt::Key_Return);
    });
    CmdPrint();
    EXPECT_TRUE(driven);
    // Without a data folder in the settings the program folder takes the case's report.
    EXPECT_EQ(offered, QDir(appPath).absoluteFilePath("mill 3.pdf"));
    EXPECT_TRUE(QFileInfo(pdf).isFile());
    // The comment typed is the one printed.
    if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        ASSERT_TRUE(text.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("first and second"));
    }
    EXPECT_EQ(app().OpenCase.Header[HdrComment], "first and second");
    EXPECT_EQ(panel->field(HdrComment)->text(), "first and second");
}

TEST_F(ProgramPrint, TheDefaultReportGoesIntoTheDataFolderWhenItExists)
{
    QDir(appPath).mkdir("data");
    app().Settings.DataPath = appPath + "data";
    EXPECT_EQ(DefaultReportPdf(), appPath + "data/mill 3.pdf");
    app().Settings.DataPath = appPath + "gone";
    EXPECT_EQ(DefaultReportPdf(), QDir(appPath).absoluteFilePath("mill 3.pdf"));
    app().OpenCase.Header[HdrFilename].clear();
    EXPECT_EQ(DefaultReportPdf(), QDir(appPath).absoluteFilePath("Report.pdf"));
}

TEST_F(ProgramPrint, OtherPrintsShowTheWaitPanelForTheirDuration)
{
    {
        const display::PrintWaitScope wait;
        auto* window = qobject_cast<display::PrintWindow*>(windows().loaded(WindowId::Print));
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->waitShown());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_FALSE(windows().isLoaded(WindowId::Print));

    // A program without the window shows nothing.
    windows().reset();
    {
        const display::PrintWaitScope wait;
        EXPECT_FALSE(windows().isLoaded(WindowId::Print));
    }
}
