#include "casedb/case_db.h"

#include "app/app_context.h"
#include "app/app_error.h"
#include "app/app_shell.h"
#include "app/language_db.h"
#include "casedb/case_columns.h"
#include "casedb/sql_error.h"

#include <memory>

namespace sarvo {

namespace {

std::unique_ptr<casedb::CaseStore>& currentStore()
{
    static std::unique_ptr<casedb::CaseStore> store;
    return store;
}

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
        currentStore() = std::move(store);
        AppState& state = app().State;
        state.MainDb = currentStore()->connectionName();
        state.MainDbReadOnly = currentStore()->isReadOnly();
        shell().setStatusText(QStringLiteral("ReadOnly"),
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
    currentStore().reset();
    app().State.MainDb.clear();
    app().State.MainDbReadOnly = false;
}

casedb::CaseStore* mainCaseStore()
{
    const auto& store = currentStore();
    if (!store || !store->isOpen() || store->connectionName() != app().State.MainDb)
        return nullptr;
    return store.get();
}

} // namespace sarvo
