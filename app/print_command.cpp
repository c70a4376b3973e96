#include "app/print_command.h"

#include "app/app_context.h"
#include "display/print_options.h"
#include "display/ui/case_info_panel.h"
#include "display/ui/print_window.h"
#include "gui/print_context.h"
#include "gui/window_registry.h"
#include "gui/window_views.h"

#include <QDir>

namespace sarvo {

namespace {

class ProgramPrintHost : public display::PrintWindowHost {
public:
    display::GraphPrintState graphState() const override
    {
        const auto* view = dynamic_cast<const GraphView*>(windows().loaded(WindowId::Graph));
        if (!view)
            return {};
        return {true, view->viewOptions().linear, view->minimumZoneShown()};
    }
    QString logoPath() const override { return ReportLogoPath(); }
    QString version() const override { return app().State.VersionString; }
    bool choosePrinter(QWidget* owner) override { return ShowPrintDialog(owner); }
    void printReport(const display::ReportRequest& request) override
    {
        const AppContext& a = app();
        PrintReport(a.OpenCase, a.Settings, a.Units, request);
    }
    void printWindowClosed() override
    {
        // The panel shows the comment as the print window left it.
        if (!app().State.CaseInfoShown)
            return;
        if (auto* panel = qobject_cast<CaseInfoPanel*>(windows().loaded(WindowId::CaseInfo)))
            panel->showComment();
    }
};

ProgramPrintHost& printHost()
{
    static ProgramPrintHost host;
    return host;
}

} // namespace

QString ReportLogoPath()
{
    return app().State.AppPath + QStringLiteral("logo.wmf");
}

QString DefaultReportPdf()
{
    const AppContext& a = app();
    const QString dataPath = QDir::fromNativeSeparators(a.Settings.DataPath.trimmed());
    const QDir folder(!dataPath.isEmpty() && QDir(dataPath).exists() ? dataPath : a.State.AppPath);
    return folder.absoluteFilePath(display::ReportPdfName(a.OpenCase));
}

void RegisterPrintWindow()
{
    windows().registerWindow(
        WindowId::Print, [](QWidget* parent) { return new display::PrintWindow(app().OpenCase, printHost(), parent); },
        false);
}

void InstallPrintServices()
{
    printContext().setDefaultOutputFile(DefaultReportPdf);
}

} // namespace sarvo
