#include "app/batch_command.h"

#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/file_commands.h"
#include "app/program_db.h"
#include "app/recent_files.h"
#include "casedb/case_load.h"
#include "casedb/ui/batch_window.h"
#include "core/prompts.h"
#include "gui/window_registry.h"

namespace sarvo {

casedb::BatchServices ProgramBatchServices()
{
    casedb::BatchServices services;
    services.store = [] { return static_cast<const casedb::CaseStore*>(mainCaseStore()); };
    services.settings = app().Settings;
    services.readContext = ProgramReadContext();
    // A batch asks nothing while it reads: the machine is added under its own name when it is
    // stored, a .dbb file is its one run, and a failure is the row's.
    services.readContext.resolveMachine = [](const QString& name) { return name; };
    services.readContext.moreFiles = [](const QString&) { return QString(); };
    services.readContext.report = nullptr;
    services.askOverwrite = [](const QString& question) { return prompts().askYesNo(app().State.AppTitle, question); };
    services.onStored = [](const Case& stored, int measId) {
        AddRecentFile(app().Settings, casedb::LoadedCaseRecentText(stored), measId);
    };
    return services;
}

void SetBatchRunning(bool running)
{
    app().State.BatchRunning = running;
    UpdateCaseCommands();
}

void RegisterBatchWindow()
{
    windows().registerWindow(
        WindowId::Batch,
        [](QWidget* parent) -> QWidget* {
            BatchWindowSetup setup;
            setup.startFolder = app().Settings.DataPath;
            setup.units = app().Units;
            setup.store = [] { return static_cast<const casedb::CaseStore*>(mainCaseStore()); };
            setup.services = ProgramBatchServices;
            setup.setRunning = SetBatchRunning;
            return new BatchWindow(std::move(setup), parent);
        },
        false);
}

} // namespace sarvo
