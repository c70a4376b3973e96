#include "app/display_commands.h"

#include "analysis/analyse_case.h"
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/case_commands.h"
#include "app/fit_command.h"
#include "core/app_error.h"
#include "core/ini_file.h"
#include "core/progress.h"
#include "display/case_info.h"
#include "display/results_view.h"
#include "display/ui/case_info_panel.h"
#include "display/ui/graph_windows.h"
#include "display/ui/results_window.h"
#include "display/ui/tree_window.h"
#include "gui/window_registry.h"

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QPushButton>

namespace sarvo {

namespace {

// The window flag follows the window's life: set when it is made, cleared when it goes.
template <class Window>
Window* flagged(Window* w, bool AppState::*flag)
{
    app().State.*flag = true;
    QObject::connect(w, &QObject::destroyed, [flag] { app().State.*flag = false; });
    return w;
}

// Closing the case view closes the case's windows, and its commands wait for the next case.
void caseViewClosed()
{
    app().State.CaseInfoShown = false;
    // A capture in hand stays unsaved: only its view closed.
    CaseReplaced({.caseOpen = false, .captureUnsaved = app().State.CaptureUnsaved, .panel = CasePanel::Leave});
}

// The graph windows' questions to the program: the combined display is the Combine item checked
// while it is enabled; the two windows reach each other through the registry.
class ProgramGraphHost : public display::GraphWindowHost {
public:
    bool combined() const override
    {
        const CommandStates states = CaseCommandStates(app().OpenCase, app().State,
                                                       [](WindowId id) { return windows().isRegistered(id); });
        return states[CommandId::Combine] && shell().isMenuChecked(CommandId::Combine);
    }
    void setCombined(bool on) override { shell().setMenuChecked(CommandId::Combine, on); }
    void showCombinedOriginal() override
    {
        QWidget* graph = windows().ensureLoaded(WindowId::Graph);
        if (!graph)
            return;
        windows().show(WindowId::Graph);
        if (auto* sub = qobject_cast<QMdiSubWindow*>(graph->parentWidget()))
            sub->showMaximized();
        else
            graph->showMaximized();
        redraw(WindowId::Graph);
    }
    void refreshAnalysisGraph() override { redraw(WindowId::AnalysisGraph); }
    void syncAnalysisOptions(const GraphViewOptions& options) override
    {
        if (auto* analysis = dynamic_cast<GraphView*>(windows().loaded(WindowId::AnalysisGraph)))
            analysis->setViewOptions(options);
    }
    void printGraph() override { windows().showModal(WindowId::Print); }
    void originalGraphClosed() override { windows().unload(WindowId::AnalysisGraph); }

    static void redraw(WindowId id)
    {
        if (auto* window = dynamic_cast<display::GraphWindow*>(windows().loaded(id)))
            window->redraw();
    }
};

ProgramGraphHost& graphHost()
{
    static ProgramGraphHost host;
    return host;
}

} // namespace

void DrawProgramGraph(WindowId window)
{
    ProgramGraphHost::redraw(window);
}

void ShowProgramResults()
{
    RunTrapped(QStringLiteral("Preparing results"), [] {
        BusyCursor busy;
        Case& c = app().OpenCase;
        if (!c.Results.ResultsValid)
            RunErrorFit(c);
        QCoreApplication::processEvents();
        NoProgress none;
        const AnalysisOutcome ranking = AnalyseCase(c, app().Settings, {.ranking = true}, none);
        for (const Outcome& failure : ranking.stepFailures)
            ReportOutcome(failure);
        ReportOutcome(ranking.outcome);
        QWidget* loaded = windows().ensureLoaded(WindowId::Results);
        if (auto* window = qobject_cast<display::ResultsWindow*>(loaded))
            window->fill(display::BuildResultsView(c, app().Units, app().Settings));
        windows().show(WindowId::Results);
    });
}

void ShowProgramCaseInfo()
{
    RunTrapped(QStringLiteral("Loading form"), [] {
        QWidget* loaded = windows().ensureLoaded(WindowId::CaseInfo);
        if (auto* panel = qobject_cast<CaseInfoPanel*>(loaded)) {
            const AppContext& a = app();
            panel->fill(display::BuildCaseInfoView(a.OpenCase, a.Settings, a.Units, IniFile(a.State.IniFile)));
        }
        windows().show(WindowId::CaseInfo);
    });
}

void RegisterDisplayWindows()
{
    windows().registerWindow(
        WindowId::Results,
        [](QWidget* parent) {
            auto* window = new display::ResultsWindow(app().State.AppPath, app().State.ErrHelpFile, parent);
            window->setFaultTreeHandOver([window](const QString& jumpKey) {
                display::StartFaultTree(*window, jumpKey, app().Settings.FaultTreePath, app().State.AppPath,
                                        std::make_unique<display::LocalSocketFaultTreeLink>(),
                                        [](const QString& path) { app().Settings.FaultTreePath = path; });
            });
            return flagged(window, &AppState::ResultShown);
        },
        true);
    windows().registerWindow(
        WindowId::Graph,
        [](QWidget* parent) {
            auto* window = new display::OriginalGraphWindow(app().OpenCase, app().Settings, app().Units, graphHost(), parent);
            // Printing comes with its own window.
            window->printButton()->setEnabled(windows().isRegistered(WindowId::Print));
            return flagged(window, &AppState::GraphShown);
        },
        true);
    windows().registerWindow(
        WindowId::AnalysisGraph,
        [](QWidget* parent) {
            auto* window = new display::AnalysisGraphWindow(app().OpenCase, app().Settings, app().Units, graphHost(), parent);
            return flagged(window, &AppState::AnaGraphShown);
        },
        true);
    windows().registerWindow(
        WindowId::CaseInfo,
        [](QWidget* parent) {
            auto* panel = new CaseInfoPanel(app().OpenCase, app().Units, parent);
            QObject::connect(panel, &CaseInfoPanel::closed, [] { caseViewClosed(); });
            return flagged(panel, &AppState::CaseInfoShown);
        },
        true);
}

} // namespace sarvo
