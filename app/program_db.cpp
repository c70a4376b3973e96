#include "app/program_db.h"

#include "app/app_context.h"
#include "app/app_shell.h"
#include "casedb/case_columns.h"
#include "casedb/machine_list.h"
#include "casedb/sql_error.h"
#include "casedb/ui/mac_list_window.h"
#include "core/app_error.h"
#include "core/language_db.h"

namespace sarvo {

namespace {

// Each opening gets a connection of its own, so the old one serves until the new one works.
QString nextConnectionName()
{
    static int count = 0;
    return QStringLiteral("MainDb-%1").arg(++count);
}

} // namespace

void openDB()
{
    RunTrapped(QStringLiteral("openDB "), [] {
        auto store = std::make_unique<casedb::CaseStore>(nextConnectionName());
        store->open(app().State.AppPath + QString::fromLatin1(casedb::kCaseDbFileName));
        app().CaseDb = std::move(store);
        AppState& state = app().State;
        state.MainDb = app().CaseDb->connectionName();
        state.MainDbReadOnly = app().CaseDb->isReadOnly();
        shell().setStatusText(StatusPanel::ReadOnly,
                              state.MainDbReadOnly ? Translate(QStringLiteral("Read only")) : QString());
    });
}

void CheckDbFields()
{
    RunTrapped(QStringLiteral("Checking database fields"), [] {
        casedb::CaseStore* store = mainCaseStore();
        if (!store)
            throw AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen));
        store->upgradeSchema();
    });
}

void closeDB()
{
    app().CaseDb.reset();
    app().State.MainDb.clear();
    app().State.MainDbReadOnly = false;
}

casedb::CaseStore* mainCaseStore()
{
    const auto& store = app().CaseDb;
    if (!store || !store->isOpen() || store->connectionName() != app().State.MainDb)
        return nullptr;
    return store.get();
}

void CheckProgramMachine(QString& machineName)
{
    const casedb::CaseStore* store = mainCaseStore();
    const auto chooser = [store](const QString& name) { return ChooseMachine(store, name); };
    const MachineCheck check = CheckForMachine(store, machineName, chooser);
    ReportOutcome(check.outcome);
    if (check.answer)
        app().State.InputAnswer = *check.answer;
}

} // namespace sarvo
