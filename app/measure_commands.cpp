#include "app/measure_commands.h"

#include "app/after_load.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/case_commands.h"
#include "app/case_db_commands.h"
#include "app/case_load_command.h"
#include "app/program_db.h"
#include "app/display_commands.h"
#include "app/program_state.h"
#include "casedb/ui/save_window.h"
#include "core/ini_file.h"
#include "display/ui/view_window.h"
#include "gauge/device.h"
#include "gauge/ui/case_info_window.h"
#include "gauge/ui/measure_window.h"
#include "gui/form_utilities.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

#include <QPointer>

namespace sarvo {

namespace {

// The save window's view of the measurement window. It belongs to the save window, which is not
// the measurement window's child: disabling the measurement window would disable it too.
class MeasureCaptureHost : public QObject, public CaptureHost {
public:
    MeasureCaptureHost(gauge::frmMeasure& window, QObject* owner) : QObject(owner), window_(&window) {}

    Case& capturedCase() override { return app().OpenCase; }
    void setCaptureEnabled(bool enabled) override
    {
        if (window_)
            window_->setEnabled(enabled);
    }
    void clearForNextMeasurement() override
    {
        if (window_)
            window_->clearForNextMeasurement();
    }
    void caseStored(int measId) override
    {
        app().State.MeasureSaved = true;
        app().State.CaptureUnsaved = false;
        if (window_)
            window_->caseStored(measId);
    }
    void caseWritten(const Case& written) override
    {
        app().State.MeasureSaved = false;
        app().State.CaptureUnsaved = false;
        if (window_)
            window_->caseWritten(written);
    }

private:
    QPointer<gauge::frmMeasure> window_;
};

// The program's commands come back once neither window of the measurement is open.
void MeasurementWindowsClosed()
{
    AppState& state = app().State;
    if (state.MeasureShown || state.BasicShown)
        return;
    state.NewMeasurementOpen = false;
    UpdateCaseCommands();
}

gauge::frmMeasure* MeasureWindow()
{
    return dynamic_cast<gauge::frmMeasure*>(windows().loaded(WindowId::Measure));
}

// The case-information dialog has replaced the open case by the new, empty one: the windows and
// commands of the case before it go until the new one is analysed.
void NewCaseBegun()
{
    CaseReplaced({.caseOpen = false, .captureUnsaved = false, .panel = CasePanel::Close});
}

gauge::MeasureServices ProgramMeasureServices()
{
    gauge::MeasureServices services;
    services.makeDevice = [settings = app().Settings] { return gauge::MakeGaugeDevice(settings); };
    services.store = mainCaseStore();
    services.analyse = [] { return AnalyseCapturedCase(app().OpenCase); };
    services.runsAnalysed = [] { CaseReplaced({.caseOpen = true, .captureUnsaved = true, .panel = CasePanel::Refill}); };
    services.reloadSaved = [](int measId) { return LoadProgramCase(measId); };
    services.showWritten = [](const Case& written) {
        app().OpenCase = written;
        CaseReplaced({.caseOpen = true, .captureUnsaved = false, .panel = CasePanel::Refill});
        return true;
    };
    services.openSave = [] {
        gauge::frmMeasure* window = MeasureWindow();
        if (!window)
            return;
        auto* host = new MeasureCaptureHost(*window, nullptr);
        auto* save = new frmSave(*host, ProgramCaptureSaving());
        host->setParent(save); // the host goes with the save window
        save->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &QObject::destroyed, save, &QWidget::close);
        KeepAbove(*save, *window);
        save->show();
    };
    services.openCaseInfo = [] {
        if (QWidget* dialog = windows().loaded(WindowId::NewCase)) {
            dialog->raise();
            dialog->activateWindow();
            return;
        }
        // Opened from the measurement window, it stays above it.
        if (QWidget* dialog = windows().ensureLoaded(WindowId::NewCase); dialog && MeasureWindow())
            KeepAbove(*dialog, *MeasureWindow());
        windows().show(WindowId::NewCase);
    };
    services.openView = [](std::function<display::ViewParams()> params, std::function<void(bool)> opened) {
        // A window of its own beside the measurement window (which closes it), placed where it
        // was last; as a child it would be placed inside its parent.
        auto* view = new display::ViewWindow(std::move(params), app().State.IniFile, std::move(opened));
        view->setAttribute(Qt::WA_DeleteOnClose);
        app().State.ViewShown = true;
        QObject::connect(view, &QObject::destroyed, [] { app().State.ViewShown = false; });
        if (gauge::frmMeasure* window = MeasureWindow())
            KeepAbove(*view, *window);
        view->show();
        return view;
    };
    services.clearStatus = [] { shell().setStatusText(StatusPanel::Info, QString()); };
    services.closed = [] {
        app().State.MeasureShown = false;
        windows().unload(WindowId::NewCase);
        MeasurementWindowsClosed();
    };
    return services;
}

} // namespace

void RegisterMeasureWindows()
{
    windows().registerWindow(
        WindowId::NewCase,
        [](QWidget* parent) -> QWidget* {
            // Opened by File > New measurement, it begins a new case; from the measurement
            // window, it edits the case in work.
            const bool newCase = MeasureWindow() == nullptr;
            const auto accepted = [newCase] {
                if (newCase)
                    NewCaseBegun();
                app().State.MeasureShown = true;
                if (gauge::frmMeasure* measure = MeasureWindow())
                    measure->refresh();
                else
                    windows().show(WindowId::Measure);
            };
            auto* dialog = new gauge::frmBasic(app().OpenCase, app().Settings, app().Units, IniFile(app().State.IniFile),
                                               mainCaseStore(), accepted, newCase, parent);
            app().State.BasicShown = true;
            QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
            QObject::connect(dialog, &QObject::destroyed, [] {
                app().State.BasicShown = false;
                MeasurementWindowsClosed();
            });
            return dialog;
        },
        false);
    windows().registerWindow(
        WindowId::Measure,
        [](QWidget* parent) -> QWidget* {
            auto* window = new gauge::frmMeasure(app().OpenCase, app().Settings, app().Units,
                                                 IniFile(app().State.IniFile), ProgramMeasureServices(), parent);
            // It and the windows it opens stay above the main window while it is open.
            if (parent)
                KeepAbove(*window, *parent);
            app().State.MeasureShown = true;
            return window;
        },
        false);
}

} // namespace sarvo
