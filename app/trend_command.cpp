#include "app/trend_command.h"

#include "app/app_context.h"
#include "app/print_command.h"
#include "app/program_db.h"
#include "casedb/ui/trend_windows.h"
#include "gui/window_registry.h"

#include <QMdiSubWindow>

namespace sarvo {

namespace {

// The graph window loaded, shown and, when minimised, set back to normal.
TrendGraphWindow* shownTrendGraph()
{
    auto* graph = qobject_cast<TrendGraphWindow*>(windows().ensureLoaded(WindowId::HistoryGraph));
    if (!graph)
        return nullptr;
    windows().show(WindowId::HistoryGraph);
    QWidget* frame = graph->parentWidget() ? qobject_cast<QMdiSubWindow*>(graph->parentWidget()) : nullptr;
    if (!frame)
        frame = graph;
    if (frame->isMinimized())
        frame->showNormal();
    return graph;
}

} // namespace

void RegisterTrendWindows()
{
    windows().registerWindow(
        WindowId::History,
        [](QWidget* parent) {
            TrendSources sources{[]() -> const casedb::CaseStore* { return mainCaseStore(); },
                                 [] { return app().Units; }, shownTrendGraph};
            return new TrendWindow(std::move(sources), parent);
        },
        false);
    windows().registerWindow(
        WindowId::HistoryGraph,
        [](QWidget* parent) {
            auto* graph = new TrendGraphWindow(
                [] { return display::TrendPrint{ReportLogoPath(), app().State.VersionString, {}}; }, parent);
            return graph;
        },
        true);
}

} // namespace sarvo
