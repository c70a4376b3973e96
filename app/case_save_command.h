#pragma once
// The program's saving of the open case: the case store's save under a session, the overwrite
// question through the program's prompts, the database opened again and the recent list.

#include "casedb/case_save.h"

#include <QString>

namespace sarvo {

// Saves the open case under the session (header slot 11 takes it) into the program's case
// database. The overwrite question goes to the user; a saved or overwritten case goes to the top
// of the recent list. Failures are reported under "Saving"; the outcome is returned for
// the windows that save (the session window, the save window after a measurement, batch import).
casedb::SaveResult SaveCaseToDb(const QString& session);

} // namespace sarvo
