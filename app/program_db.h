#pragma once
// The program's case database: AppPath + "Sarvotex.db", owned by the application context, on the
// connection named in app().State.MainDb, with the main window's "ReadOnly" status panel
// following each opening.

#include "casedb/case_store.h"

namespace sarvo {

// Opens (or reopens) the case database: read-write when the file allows it, else read-only with
// the "ReadOnly" panel shown; a missing file is created from the shipped schema. The new
// connection replaces the old one only once it works: on a failure, reported with "openDB ",
// MainDb keeps what it held. Callers must not keep QSqlDatabase or QSqlQuery objects of the old
// connection across a reopen.
void openDB();

// Brings the open case database up to the current schema in one transaction; reported with
// "Checking database fields" when there is no database, it is read-only and lacks something, or
// an addition fails (nothing is added then).
void CheckDbFields();

// Closes the case database; MainDb becomes empty.
void closeDB();

// The store behind app().State.MainDb; nullptr while none is open.
casedb::CaseStore* mainCaseStore();

// The machine check of a file read against the program's case database: an unknown name is put
// to the machine-list window, and its answer is kept in app().State.InputAnswer.
void CheckProgramMachine(QString& machineName);

} // namespace sarvo
