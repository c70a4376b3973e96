#include "app/trend_command.h"

#include "app/app_context.h"
#include "app/print_command.h"
#include "app/program_db.h"
#include "casedb/ui/trend_windows.h"
#include "gui/window_registry.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace sarvo {

namespace {

// The graph window loaded, shown and, when minimised, set back to normal. A new one fills the
// main window's client area.
TrendGraphWindow* shownTrendGraph()
{
    const bool fresh = !windows().isLoaded(WindowId::HistoryGraph);
    auto* graph = qobject_cast<TrendGraphWindow*>(windows().ensureLoaded(WindowId::HistoryGraph));
    if (!graph)
        return nullptr;
    windows().show(WindowId::HistoryGraph);
    auto* sub = qobject_cast<QMdiSubWindow*>(graph->parentWidget());
    QWidget* frame = sub ? static_cast<QWidget*>(sub) : graph;
    if (fresh && sub && sub->mdiArea())
        sub->setGeometry(QRect(QPoint(0, 0), sub->mdiArea()->viewport()->size()));
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
