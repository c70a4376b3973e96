#include "casedb/machine_list.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "casedb/case_store.h"
#include "casedb/sql_engine.h"
#include "casedb/sql_error.h"

#include <QSqlQuery>
#include <QVariant>

namespace sarvo {

namespace casedb {

QStringList MachineNames(const CaseStore& store)
{
    QSqlQuery query = store.run(
        QStringLiteral(R"(SELECT "Name" FROM "Machines" ORDER BY %1, "Name")").arg(engine::CaselessOrder(QStringLiteral(R"("Name")"))));
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

bool MachineExists(const CaseStore& store, const QString& name)
{
    QSqlQuery query = store.run(QStringLiteral(R"(SELECT 1 FROM "Machines" WHERE "Name" = ?)"), {name});
    return query.next();
}

void AddMachine(const CaseStore& store, const QString& name)
{
    if (name.trimmed().isEmpty())
        throw AppError::invalidCall(Translate("A machine needs a name."));
    CaseStore::WriteTransaction transaction(store);
    // The key refuses a name already listed.
    store.run(QStringLiteral(R"(INSERT INTO "Machines" ("Name") VALUES (?))"), {name});
    transaction.commit();
}

bool AddMachineIfMissing(const CaseStore& store, const QString& name)
{
    if (name.trimmed().isEmpty())
        return false;
    CaseStore::WriteTransaction transaction(store);
    // The look-up and the insert in one write transaction, so two programs adding the same name
    // at once add it once.
    if (store.run(QStringLiteral(R"(SELECT 1 FROM "Machines" WHERE "Name" = ?)"), {name}).next())
        return false;
    store.run(QStringLiteral(R"(INSERT INTO "Machines" ("Name") VALUES (?))"), {name});
    transaction.commit();
    return true;
}

} // namespace casedb

MachineCheck CheckForMachine(const casedb::CaseStore* store, QString& machineName, const MachineChooser& chooser)
{
    MachineCheck check;
    check.outcome = Trapped(QStringLiteral("CheckForMachine(Reni)"), [&] {
        if (!store)
            throw AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen));
        if (casedb::MachineExists(*store, machineName))
            return;
        const QString answer = chooser ? chooser(machineName) : QString();
        check.answer = answer;
        machineName = answer;
    });
    return check;
}

} // namespace sarvo
