// The results window and the case-information panel as the program shows them: filled from the
// open case, refilled in the new units, and the case view closing with its windows and commands.
#include "analysis/analyse_case.h"
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/display_commands.h"
#include "app/fit_command.h"
#include "display/graphs.h"
#include "app/file_commands.h"
#include "app/startup.h"
#include "app/main_commands.h"
#include "app/program_state.h"
#include "core/number_format.h"
#include "display/ui/case_info_panel.h"
#include "display/ui/graph_windows.h"
#include "display/ui/results_window.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace sarvo;
using sarvo::test::AppTest;

namespace {

class ProgramDisplay : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        services() = ProgramServices();
        services().showResults = ShowProgramResults;
        services().showBasicInfo = ShowProgramCaseInfo;
        RegisterDisplayWindows();
        RegisterFileWindows();
        // The graphs come with their own subsystem: plain windows stand in for them.
        for (WindowId id : {WindowId::Graph, WindowId::AnalysisGraph})
            windows().registerWindow(id, [](QWidget*) { return new QWidget; }, false);
        SetUnits();
        Case& c = app().OpenCase;
        test::FillTwoWayCircle(c, true);
        c.Header[HdrFeedrate] = "1000";
        c.Header[HdrMachine] = "Mill 3";
        NoProgress none;
        const AnalysisOutcome analysis = AnalyseCase(c, app().Settings, {.measurement = true}, none);
        ASSERT_TRUE(analysis.ok() && analysis.stepFailures.empty());
        app().State.CaseOpen = true;
        UpdateCaseCommands();
    }
    void TearDown() override
    {
        services() = ProgramServices();
        AppTest::TearDown();
    }
    display::ResultsWindow* results() const
    {
        return qobject_cast<display::ResultsWindow*>(windows().loaded(WindowId::Results));
    }
    QString caption(const QString& key) const
    {
        auto* label = qobject_cast<QLabel*>(results()->control(key));
        return label ? label->text() : QStringLiteral("<no label>");
    }
};

} // namespace

TEST_F(ProgramDisplay, ResultsAreFittedRankedAndShownAndTheUnitSwitchRefillsThem)
{
    ShowProgramResults();
    ASSERT_NE(results(), nullptr);
    EXPECT_TRUE(app().State.ResultShown);
    EXPECT_TRUE(app().OpenCase.Results.ResultsValid);
    EXPECT_FALSE(app().OpenCase.Results.InfluenceName[0].isEmpty());
    const double circularity = app().OpenCase.Results.LscResult.Circularity;
    ASSERT_GT(circularity, 0.5);
    EXPECT_EQ(caption("LblCirV(2)"), FormatNumber(circularity, "####0"));
    EXPECT_EQ(caption("LblUnit(0)"), QString::fromUtf8("µm"));

    CmdUnits(true);
    RefreshUnitDisplays(); // as the main window does when the units change
    ASSERT_NE(results(), nullptr);
    EXPECT_EQ(caption("LblCirV(2)"), FormatNumber(circularity / 25400.0, "####0.####0"));
    EXPECT_EQ(caption("LblUnit(0)"), "in");

    windows().unload(WindowId::Results);
    EXPECT_FALSE(app().State.ResultShown);
}

TEST_F(ProgramDisplay, ThePanelShowsTheCaseAndClosingItClosesTheCaseViewAndItsCommands)
{
    ShowProgramCaseInfo();
    auto* panel = qobject_cast<CaseInfoPanel*>(windows().loaded(WindowId::CaseInfo));
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(app().State.CaseInfoShown);
    EXPECT_EQ(panel->field(1)->text(), "Mill 3");
    ShowProgramResults();
    windows().show(WindowId::Graph);
    windows().show(WindowId::AnalysisGraph);
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::Results));
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::SaveToFile));

    panel->closeButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph, WindowId::CaseInfo})
        EXPECT_FALSE(windows().isLoaded(id)) << WindowName(id).toStdString();
    EXPECT_FALSE(app().State.CaseInfoShown);
    EXPECT_FALSE(app().State.ResultShown);
    for (CommandId id : {CommandId::SaveToDatabase, CommandId::SaveToFile, CommandId::Results, CommandId::Graph,
                         CommandId::Print, CommandId::Combine, CommandId::ResultGraph})
        EXPECT_FALSE(recordingShell.menuEnabled(id)) << CommandName(id).toStdString();
    for (ButtonId id : {ButtonId::SaveDb, ButtonId::Result, ButtonId::Graph, ButtonId::Print})
        EXPECT_FALSE(recordingShell.buttonEnabled(id)) << ButtonKey(id).toStdString();
    // Opening another file is still possible.
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::OpenFromFile));
}

// The one step after a replaced case, as each road takes it: the case before's results and graphs
// close, the panel is refilled, closed or left, and the case flags and commands follow.
TEST_F(ProgramDisplay, AReplacedCaseClosesTheWindowsOfTheCaseBeforeOnEveryRoad)
{
    const struct {
        CaseChange change;
        bool panelLoaded, resultsCommand;
    } roads[] = {{{.caseOpen = false, .captureUnsaved = false, .panel = CasePanel::Close}, false, false},  // a new case
                 {{.caseOpen = true, .captureUnsaved = true, .panel = CasePanel::Refill}, true, true},    // runs handed over
                 {{.caseOpen = false, .captureUnsaved = false, .panel = CasePanel::Leave}, true, false}}; // a read begins
    for (const auto& road : roads) {
        SCOPED_TRACE(int(road.change.panel));
        app().State.CaseOpen = true;
        app().State.CaptureUnsaved = !road.change.captureUnsaved;
        ShowProgramCaseInfo();
        ShowProgramResults();
        windows().show(WindowId::Graph);
        windows().show(WindowId::AnalysisGraph);
        app().OpenCase.Header[HdrMachine] = "Mill 4"; // the new case
        CaseReplaced(road.change);
        for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph})
            EXPECT_FALSE(windows().isLoaded(id)) << WindowName(id).toStdString();
        auto* panel = qobject_cast<CaseInfoPanel*>(windows().loaded(WindowId::CaseInfo));
        EXPECT_EQ(panel != nullptr, road.panelLoaded);
        if (panel && road.change.panel == CasePanel::Refill)
            EXPECT_EQ(panel->field(1)->text(), "Mill 4");
        EXPECT_EQ(std::pair(app().State.CaseOpen, app().State.CaptureUnsaved),
                  std::pair(road.change.caseOpen, road.change.captureUnsaved));
        EXPECT_EQ(recordingShell.menuEnabled(CommandId::Results), road.resultsCommand);
        app().OpenCase.Header[HdrMachine] = "Mill 3";
    }
}

namespace {

// The graph windows as they come with the program.
class ProgramGraphs : public ProgramDisplay {
protected:
    void SetUp() override
    {
        ProgramDisplay::SetUp();
        windows().reset();
        RegisterDisplayWindows();
        RegisterFileWindows();
        services().drawGraph = DrawProgramGraph;
        UpdateCaseCommands();
    }
};

} // namespace

TEST_F(ProgramGraphs, GraphAndResultGraphOpenAndCombineShowsTheModelOverTheRuns)
{
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::Graph));
    EXPECT_FALSE(recordingShell.menuEnabled(CommandId::Combine)); // no model yet
    CmdGraph();
    QWidget* graph = windows().loaded(WindowId::Graph);
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(app().State.GraphShown);
    EXPECT_EQ(graph->windowTitle(), display::OriginalGraphCaption(false));

    ASSERT_TRUE(RunErrorFit(app().OpenCase)); // the fit switches the model commands on
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::Combine));
    EXPECT_TRUE(recordingShell.menuEnabled(CommandId::ResultGraph));
    CmdCombine();
    EXPECT_TRUE(recordingShell.isMenuChecked(CommandId::Combine));
    EXPECT_EQ(graph->windowTitle(), display::OriginalGraphCaption(true));

    CmdResultGraph();
    EXPECT_TRUE(app().State.AnaGraphShown);
    // Closing the original graph takes the analysis graph with it.
    CmdCombine(); // back to the runs alone
    windows().unload(WindowId::Graph);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(app().State.GraphShown);
    EXPECT_FALSE(windows().isLoaded(WindowId::AnalysisGraph));
    EXPECT_FALSE(app().State.AnaGraphShown);
}

TEST_F(ProgramGraphs, ResultGraphWithTheGraphClosedOpensOnlyTheAnalysisGraphAndFollowsTheGraphOnceOpen)
{
    ASSERT_TRUE(RunErrorFit(app().OpenCase));
    CmdResultGraph();
    auto* analysis = dynamic_cast<display::GraphWindow*>(windows().loaded(WindowId::AnalysisGraph));
    ASSERT_NE(analysis, nullptr);
    EXPECT_TRUE(analysis->isVisible());
    EXPECT_FALSE(windows().isLoaded(WindowId::Graph));
    EXPECT_FALSE(app().State.GraphShown);
    EXPECT_EQ(windows().loadedWindows(), QList<WindowId>{WindowId::AnalysisGraph});

    // Without the graph the analysis graph keeps its own choice.
    analysis->directionOption(display::DirectionFilter::Cw)->click();
    CmdResultGraph();
    EXPECT_EQ(analysis->filter(), display::DirectionFilter::Cw);

    // A kind chosen in the graph reaches the analysis graph without its direction; Result Graph
    // copies the whole set.
    CmdGraph();
    auto* graph = dynamic_cast<display::GraphWindow*>(windows().loaded(WindowId::Graph));
    ASSERT_NE(graph, nullptr);
    graph->linearOption()->click();
    EXPECT_TRUE(analysis->linearOption()->isChecked());
    EXPECT_EQ(analysis->filter(), display::DirectionFilter::Cw);
    CmdResultGraph();
    EXPECT_TRUE(analysis->linearOption()->isChecked());
    EXPECT_EQ(analysis->filter(), display::DirectionFilter::Both);
}
