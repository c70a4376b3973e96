#include "app/ui/main_commands.h"

#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "app/app_context.h"
#include "app/app_error.h"
#include "app/app_shell.h"
#include "app/help.h"
#include "app/language_db.h"
#include "app/program_services.h"
#include "app/prompts.h"
#include "app/settings.h"
#include "app/ui/form_utilities.h"
#include "app/ui/main_window.h"
#include "app/ui/window_registry.h"
#include "app/units.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>

namespace sarvo {

namespace {

const QStringList kCaseMenus = {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph", "MSimuGraph", "MSimuShow"};
const QStringList kCaseButtons = {"Result", "SaveDb", "Print", "Graph"};

// Opens a window with the hourglass shown while it loads.
void showBusy(const QString& name, bool modal)
{
    BusyCursor busy;
    if (modal)
        windows().showModal(name);
    else
        windows().show(name);
}

// The frame a window is placed by: its MDI sub-window, or the window itself.
QWidget* placeable(QWidget* w)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        return sub;
    return w;
}

} // namespace

int MaxPointsOfItem(int item)
{
    static constexpr int values[] = {500, 1000, 2000, 4000, 8000};
    return values[std::clamp(item, 0, 4)];
}

void CmdNewMeasurement()
{
    BusyCursor busy;
    for (const char* name : {"Basic", "Batch", "frmConfig", "DbLoad"})
        windows().unload(name);
    app().OpenCase.Results.ResultsValid = false;
    for (const QString& item : kCaseMenus)
        shell().setMenuEnabled(item, false);
    for (const QString& key : kCaseButtons)
        shell().setButtonEnabled(key, false);
    // The case-information dialog and the measurement window enable these again when they close.
    for (const char* item : {"MConfigure", "MNew", "MOpen", "MOpenDB", "MBatch"})
        shell().setMenuEnabled(item, false);
    for (int i = 0; i < kRecentListed; ++i)
        shell().setMenuEnabled(QString("MRecent(%1)").arg(i), false);
    for (const char* key : {"New", "OpenFile", "OpenDb"})
        shell().setButtonEnabled(key, false);
    windows().show("frmBasic");
}

void CmdOpenFromFile()
{
    windows().showModal("frmOpenfile");
}

void CmdOpenFromDatabase()
{
    showBusy("DbLoad", true);
}

void CmdSaveToDatabase()
{
    if (app().OpenCase.Header[HdrPlane].isEmpty()) {
        prompts().message(app().State.AppTitle, Translate("Set the plane first, please."), MessageIcon::None);
        return;
    }
    showBusy("frmSession", false);
}

void CmdSaveToFile()
{
    Case& c = app().OpenCase;
    // The readings leave this command exactly as they entered it, whether a file was written, the
    // dialog was cancelled or a writer failed: the writers see the readings as they were read.
    const ReadingsTable entered = c.Data.Readings;
    RunTrapped("Saving to file", [&] {
        const double shift = c.Results.LscResult.Radius - c.Data.TestRadius;
        for (int r = 1; r <= c.Data.RunCount; ++r)
            for (int j = 0; j < c.Data.RunTargets[static_cast<std::size_t>(r)]; ++j)
                c.Data.Readings(r, j) += shift;
        RemoveTempCompensation(c, app().Settings);

        const QStringList filters = {"Brintovale (*.brv)", "Renishaw (*.rtb)", "Text (*.txt)"};
        for (;;) {
            QString filter = filters[1];
            QString name = prompts().chooseSaveFile(Translate("Save case to file"), app().Settings.DataPath, filters, &filter);
            if (name.isEmpty())
                break; // Cancel ends the command without a message
            const QString suffix = filter == filters[0] ? "brv" : filter == filters[2] ? "txt" : "rtb";
            if (QFileInfo(name).suffix().isEmpty())
                name += "." + suffix;
            // A text file gets the .rtb contents under its own name.
            const bool saved = filter == filters[0] ? SaveBrvFile(name) : SaveRtb(name);
            if (saved)
                break;
        }
    });
    c.Data.Readings = entered;
}

void CmdBatch()
{
    showBusy("Batch", false);
}

void CmdPrint()
{
    windows().showModal("frmPrint");
}

void CmdReopenRecent(int index)
{
    const auto i = static_cast<std::size_t>(std::clamp(index, 0, kRecentListed - 1));
    RunTrapped("Retrieving recent case", [i] {
        if (app().State.MeasureShown)
            windows().unload("frmMeasure");
        const Settings& s = app().Settings;
        const bool ok = s.RecentID[i] != 0 ? LoadCaseFromDb(s.RecentID[i]) : OpenMeasurementFile(s.RecentFile[i]);
        // A case that failed to read or load is never fitted, so it can never be saved.
        if (ok)
            ShowResults();
    });
}

void CmdGraph()
{
    windows().show("frmGraph");
}

void CmdResults()
{
    ShowResults();
}

void CmdResultGraph()
{
    QWidget* graph = windows().ensureLoaded("frmGraph");
    QWidget* analysis = windows().ensureLoaded("frmAnaGraph");
    if (graph && analysis) {
        for (const char* option : {"OptPolar", "OptLinear", "OptDir(0)", "OptDir(1)"}) {
            auto* from = graph->findChild<QAbstractButton*>(option);
            auto* to = analysis->findChild<QAbstractButton*>(option);
            if (from && to)
                to->setChecked(from->isChecked());
        }
    }
    windows().show("frmAnaGraph");
}

void CmdTrend()
{
    showBusy("History", false);
}

void CmdCombine()
{
    const bool combined = !shell().isMenuChecked("MSimuShow");
    shell().setMenuChecked("MSimuShow", combined);
    if (QWidget* graph = windows().ensureLoaded("frmGraph")) {
        QWidget* polar = graph->findChild<QWidget*>("Polar");
        if (polar)
            polar->setVisible(false);
        QWidget* frame = placeable(graph);
        if (combined)
            frame->showMaximized();
        else
            frame->showNormal();
        if (polar)
            polar->setVisible(true);
    }
    DrawGraph("frmGraph");
}

void CmdToolbar()
{
    const bool visible = !shell().isMenuChecked("MToolbar");
    shell().setMenuChecked("MToolbar", visible);
    shell().setToolbarVisible(visible);
}

void CmdMaxPoints(int item)
{
    for (int i = 0; i < 5; ++i)
        shell().setMenuChecked(QString("MPoint(%1)").arg(i), i == item);
    app().Settings.MaxPoints = MaxPointsOfItem(item);
}

void CmdUnits(bool inch)
{
    app().Settings.UnitsInch = inch;
    SetUnits();
}

void CmdLanguage()
{
    showBusy("frmLang", true);
}

void CmdConfigure()
{
    showBusy("frmConfig", false);
}

void CmdArrange(MainWindow& main)
{
    QMdiArea* area = main.mdiArea();
    const auto width = [area] { return area->viewport()->width(); };
    const auto height = [area] { return area->viewport()->height(); };
    const QStringList names = windows().loadedNames(); // taken once
    for (const QString& name : names) {
        QWidget* w = windows().loaded(name);
        if (!w)
            continue;
        QWidget* frame = placeable(w);
        frame->showNormal();
        QCoreApplication::processEvents();
        if (name == "Basic") {
            frame->move(0, 0);
        } else if (name == "frmGraph") {
            frame->setGeometry(width() / 2, 0, width() / 2, height());
        } else if (name == "frmAnaGraph") {
            frame->setGeometry(0, 0, width() / 2, height());
        } else if (name == "HistGraph") {
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
        if (QWidget* result = windows().loaded("result")) {
            if (auto* tabs = result->findChild<QTabWidget*>("tabResult")) {
                const QString frame = QString("frmType(%1)").arg(tabs->currentIndex());
                if (QWidget* type = result->findChild<QWidget*>(frame))
                    context = type->property("tag").toString().toInt();
            }
        }
    }
    help().showContext(app().State.AppPath + app().State.ErrHelpFile, context);
}

void CmdHelpForActiveWindow(MainWindow& main)
{
    BusyCursor busy;
    int context = main.property("helpContext").toInt();
    if (QMdiSubWindow* active = main.mdiArea()->activeSubWindow(); active && active->widget())
        context = active->widget()->property("helpContext").toInt();
    help().showContext(app().State.AppPath + app().State.HelpFile, context);
}

void CmdAbout()
{
    showBusy("frmAbout", true);
}

} // namespace sarvo
