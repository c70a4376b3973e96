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

#include <QHash>

#include <memory>

namespace sarvo {

casedb::BatchServices ProgramBatchServices()
{
    casedb::BatchServices services;
    services.store = [] { return static_cast<const casedb::CaseStore*>(mainCaseStore()); };
    services.settings = app().Settings;
    services.readContext = ProgramReadContext();
    // A machine the case database does not know is put to the user as every read puts it; within
    // one batch the first answer for a name serves its other files. Otherwise a batch asks
    // nothing while it reads: a .dbb file is its one run, and a failure is the row's.
    auto answers = std::make_shared<QHash<QString, QString>>();
    services.readContext.resolveMachine = [answers](const QString& name) {
        if (const auto known = answers->constFind(name); known != answers->constEnd())
            return *known;
        QString machine = name;
        CheckProgramMachine(machine);
        if (machine != name)
            answers->insert(name, machine);
        return machine;
    };
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
            // The case-information panel closes as the batch window opens: its edits would reach
            // none of the cases the batch stores.
            windows().unload(WindowId::CaseInfo);
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
