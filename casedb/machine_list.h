#pragma once
// The machine list of the case database (table Machines) and the check that every measurement
// file reader makes on the machine name its file carries: a known name passes, an unknown one is
// put to the user, who names the known machine it stands for or adds it.

#include "core/outcome.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace sarvo {

namespace casedb {
class CaseStore;

// Every machine, in the order of the table's key.
QStringList MachineNames(const CaseStore& store);
bool MachineExists(const CaseStore& store, const QString& name);
// Adds a machine; raises AppError for an empty name, a name already listed or a read-only store.
void AddMachine(const CaseStore& store, const QString& name);
// Adds the machine under its own name when it is not listed yet (a blank name is never added);
// returns whether it was added. Raises AppError for a read-only store or a failed write.
bool AddMachineIfMissing(const CaseStore& store, const QString& name);
} // namespace casedb

// The answer for an unknown name: the machine chosen or added, or "" when none was chosen.
using MachineChooser = std::function<QString(const QString& name)>;

struct MachineCheck {
    std::optional<QString> answer; // the chooser's answer to an unknown name; nullopt otherwise
    Outcome outcome;               // a failure is located at "CheckForMachine(Reni)"
};

// Checks the name against the case database. An unknown name becomes the chooser's answer
// (without a chooser, no machine). A failure (no database) leaves the name as it was.
MachineCheck CheckForMachine(const casedb::CaseStore* store, QString& machineName, const MachineChooser& chooser);

} // namespace sarvo
