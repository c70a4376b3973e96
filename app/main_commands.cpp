#include "app/main_commands.h"

#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "app/app_context.h"
#include "core/app_error.h"
#include "app/app_shell.h"
#include "core/help.h"
#include "core/language_db.h"
#include "gui/program_services.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "gui/form_utilities.h"
#include "app/main_window.h"
#include "gui/window_registry.h"
#include "gui/window_views.h"
#include "core/units.h"
#include "files/dispatch.h"
#include "app/case_commands.h"
#include "app/program_state.h"
#include "app/fit_command.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace sarvo {

namespace {

// Opens a window with the hourglass shown while it loads.
void showBusy(WindowId id, bool modal)
{
    BusyCursor busy;
    if (modal)
        windows().showModal(id);
    else
        windows().show(id);
}

// The frame a window is placed by: its MDI sub-window, or the window itself.
QWidget* placeable(QWidget* w)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        return sub;
    return w;
}

} // namespace

void CmdNewMeasurement()
{
    // Without its window the command is disabled; never leave the program waiting for a window
    // that cannot open.
    if (!windows().isRegistered(WindowId::NewCase))
        return;
    BusyCursor busy;
    for (WindowId id : {WindowId::CaseInfo, WindowId::Batch, WindowId::Configure, WindowId::DbLoad})
        windows().unload(id);
    app().OpenCase.Results.invalidate();
    // The case-information dialog and the measurement window clear this when they close.
    app().State.NewMeasurementOpen = true;
    UpdateCaseCommands();
    windows().show(WindowId::NewCase);
}

void CmdOpenFromFile()
{
    windows().showModal(WindowId::OpenFile);
}

void CmdOpenFromDatabase()
{
    showBusy(WindowId::DbLoad, true);
}

void CmdSaveToDatabase()
{
    if (app().OpenCase.Header[HdrPlane].isEmpty()) {
        prompts().message(app().State.AppTitle, Translate("Set the plane first, please."), MessageIcon::None);
        return;
    }
    showBusy(WindowId::Session, false);
}

void CmdSaveToFile()
{
    Case& c = app().OpenCase;
    // The writers take the readings as they were read (Data.ReadingsAsRead); the open readings
    // stay analysed as they are.
    RunTrapped("Saving to file", [&] {
        const QList<files::SaveType> types = {files::SaveTypeOf(files::FileType::Brv), files::SaveTypeOf(files::FileType::Rtb),
                                              {QStringLiteral("Text (*.txt)"), QStringLiteral("txt"), files::FileType::Rtb}};
        for (;;) {
            QString filter = types[1].filter;
            const QString typed =
                prompts().chooseSaveFile(Translate("Save case to file"), app().Settings.DataPath, files::SaveFilters(types), &filter);
            if (typed.isEmpty())
                break; // Cancel ends the command without a message
            const files::SaveTarget target = files::ChosenSaveTarget(typed, types, filter);
            const QString& name = target.fileName;
            const bool brv = target.contents == files::FileType::Brv;
            bool saved = false;
            if (brv) {
                // The own file carries the error model: fit it first when it is not current. The
                // fit reads the analysed readings and changes none of them.
                if (!c.Results.ResultsValid) {
                    RunErrorFit(c);
                    ShowBasicInfo();
                }
                saved = SaveBrvFile(name);
            } else {
                // A text file gets the .rtb contents under its own name.
                saved = SaveRtb(name);
            }
            if (saved) {
                app().State.CaptureUnsaved = false;
                break;
            }
        }
    });
}

void CmdBatch()
{
    showBusy(WindowId::Batch, false);
}

void CmdPrint()
{
    windows().showModal(WindowId::Print);
}

void CmdReopenRecent(int index)
{
    const auto i = static_cast<std::size_t>(std::clamp(index, 0, kRecentListed - 1));
    RunTrapped("Retrieving recent case", [i] {
        if (app().State.MeasureShown)
            windows().unload(WindowId::Measure);
        const Settings& s = app().Settings;
        const bool ok = s.RecentID[i] != 0 ? LoadCaseFromDb(s.RecentID[i]) : OpenMeasurementFile(s.RecentFile[i]);
        // A case that failed to read or load is never fitted, so it can never be saved.
        if (ok)
            ShowResults();
    });
}

void CmdGraph()
{
    windows().show(WindowId::Graph);
}

void CmdResults()
{
    ShowResults();
}

void CmdResultGraph()
{
    // The original graph is only read when it is open: loaded here it would stay hidden and yet
    // count as open. Without it the analysis graph keeps its own options.
    auto* graph = dynamic_cast<GraphView*>(windows().loaded(WindowId::Graph));
    auto* analysis = dynamic_cast<GraphView*>(windows().ensureLoaded(WindowId::AnalysisGraph));
    if (graph && analysis)
        analysis->setViewOptions(graph->viewOptions());
    windows().show(WindowId::AnalysisGraph);
}

void CmdTrend()
{
    showBusy(WindowId::History, false);
}

void CmdCombine()
{
    const bool combined = !shell().isMenuChecked(CommandId::Combine);
    shell().setMenuChecked(CommandId::Combine, combined);
    if (QWidget* graph = windows().ensureLoaded(WindowId::Graph)) {
        auto* view = dynamic_cast<GraphView*>(graph);
        if (view)
            view->setDrawingSuspended(true);
        QWidget* frame = placeable(graph);
        if (combined)
            frame->showMaximized();
        else
            frame->showNormal();
        if (view)
            view->setDrawingSuspended(false);
    }
    DrawGraph(WindowId::Graph);
}

void CmdToolbar()
{
    const bool visible = !shell().isMenuChecked(CommandId::Toolbar);
    shell().setMenuChecked(CommandId::Toolbar, visible);
    shell().setToolbarVisible(visible);
}

void CmdMaxPoints(int item)
{
    app().Settings.MaxPoints = MaxPointsOfItem(item);
    ShowMaxPointsItem(app().Settings.MaxPoints);
}

void CmdUnits(bool inch)
{
    app().Settings.UnitsInch = inch;
    SetUnits();
}

void CmdLanguage()
{
    showBusy(WindowId::Language, true);
}

void CmdConfigure()
{
    showBusy(WindowId::Configure, false);
}

void CmdArrange(MainWindow& main)
{
    QMdiArea* area = main.mdiArea();
    const auto width = [area] { return area->viewport()->width(); };
    const auto height = [area] { return area->viewport()->height(); };
    const QList<WindowId> ids = windows().loadedWindows(); // taken once
    for (const WindowId id : ids) {
        QWidget* w = windows().loaded(id);
        if (!w)
            continue;
        QWidget* frame = placeable(w);
        frame->showNormal();
        if (id == WindowId::CaseInfo) {
            frame->move(0, 0);
        } else if (id == WindowId::Graph) {
            frame->setGeometry(width() / 2, 0, width() / 2, height());
        } else if (id == WindowId::AnalysisGraph) {
            frame->setGeometry(0, 0, width() / 2, height());
        } else if (id == WindowId::HistoryGraph) {
            frame->setGeometry(0, height() / 2, width(), height() / 2);
        } else {
            CenterForm(*w); // the results, trend and every other window
        }
    }
}

void CmdHelpContents()
{
    BusyCursor busy;
    help().showContext(app().State.AppPath + app().State.HelpFile, 0);
}

void CmdHelpOnHelp()
{
    help().helpOnHelp();
}

void CmdErrorTypesHelp()
{
    BusyCursor busy;
    int context = 0;
    if (app().State.ResultShown) {
        if (auto* result = dynamic_cast<HelpContextSource*>(windows().loaded(WindowId::Results)))
            context = result->helpContext();
    }
    help().showContext(app().State.AppPath + app().State.ErrHelpFile, context);
}

void CmdHelpForActiveWindow(MainWindow& main)
{
    QMdiSubWindow* active = main.mdiArea()->activeSubWindow();
    CmdHelpForWidget(active && active->widget() ? *active->widget() : static_cast<QWidget&>(main));
}

void CmdHelpForWidget(QWidget& widget)
{
    BusyCursor busy;
    // The context of the nearest window around the widget that names one.
    int context = 0;
    for (const QWidget* w = &widget; w; w = w->parentWidget()) {
        if (const QVariant value = w->property("helpContext"); value.isValid()) {
            context = value.toInt();
            break;
        }
    }
    help().showContext(app().State.AppPath + app().State.HelpFile, context);
}

void CmdAbout()
{
    showBusy(WindowId::About, true);
}

} // namespace sarvo
