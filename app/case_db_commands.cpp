#include "app/case_db_commands.h"

#include "analysis/analyse_case.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/case_commands.h"
#include "app/case_load_command.h"
#include "app/case_save_command.h"
#include "app/program_db.h"
#include "app/program_state.h"
#include "casedb/machine_list.h"
#include "casedb/sql_error.h"
#include "casedb/ui/case_browser_window.h"
#include "casedb/ui/session_window.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

namespace sarvo {

bool AnalyseCapturedCase(Case& c)
{
    // The analysis compensates and re-centres the readings in place: it always starts from the
    // readings as captured, which stay what a file of the case holds (also while a save asks its
    // questions, or after the analysis failed).
    c.Data.restoreReadingsAsRead();
    c.Data.keepReadingsAsRead();
    AnalysisOutcome analysis;
    {
        ProgressScope progress(!app().State.BatchRunning);
        analysis = AnalyseCase(c, app().Settings, {.measurement = true, .errorModel = true}, progress);
    }
    for (const Outcome& failure : analysis.stepFailures)
        ReportOutcome(failure);
    if (!analysis.cancelled())
        ReportOutcome(analysis.outcome);
    UpdateCaseCommands();
    return analysis.ok() && c.Results.ResultsValid;
}

CaptureSaving ProgramCaptureSaving()
{
    CaptureSaving saving;
    saving.analyse = AnalyseCapturedCase;
    saving.saveToDatabase = SaveCaseToDb;
    saving.addMachine = [](const QString& machine) {
        return Trapped(QStringLiteral("Adding a machine"), [&] {
            const casedb::CaseStore* store = mainCaseStore();
            if (!store)
                throw AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen));
            casedb::AddMachineIfMissing(*store, machine);
        });
    };
    saving.saveBrv = SaveBrvFile;
    saving.saveRtb = SaveRtb;
    saving.dataFolder = app().Settings.DataPath;
    return saving;
}

void RegisterCaseDbWindows()
{
    windows().registerWindow(
        WindowId::DbLoad,
        [](QWidget* parent) -> QWidget* {
            const auto open = [](int measId) {
                if (!LoadProgramCase(measId))
                    return false;
                // An open results window has been refreshed by the load.
                if (!app().State.ResultShown)
                    ShowResults();
                return true;
            };
            auto* browser = new DbLoad(mainCaseStore(), app().Units, open, parent);
            // Built afresh at every opening, so it lists what is stored now.
            QObject::connect(browser, &QDialog::finished, browser, &QObject::deleteLater);
            return browser;
        },
        false);
    windows().registerWindow(
        WindowId::Session,
        [](QWidget* parent) -> QWidget* {
            const auto saveUnder = [](const QString& session) {
                app().OpenCase.Header[HdrName] = session;
                ShowBasicInfo();
                SaveCaseToDb(session);
            };
            const auto askName = [](const QString& prompt) { return AskInput(prompt); };
            auto* window = new frmSession(mainCaseStore(), app().OpenCase.Header[HdrName], saveUnder, askName, parent);
            // The next Save lists the sessions as they are then.
            QObject::connect(window, &QDialog::finished, window, &QObject::deleteLater);
            return window;
        },
        false);
}

} // namespace sarvo
