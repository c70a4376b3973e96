#pragma once
// Loading a stored case whole: its Measure, Reliability, Targets and Direction rows, read in one
// read transaction into a scratch copy of the open case, checked, and given the analysis curve
// (and, for a dynamic case, the spectrum) computed afresh from the stored results. The open case
// is replaced only when all of that worked, so a removed or damaged case leaves it as it was.

#include "analysis/step_failures.h"
#include "casedb/case_store.h"
#include "casedb/stored_row.h"
#include "core/case.h"

#include <QString>

#include <cstdint>

namespace sarvo {
struct Settings;
}

namespace sarvo::casedb {

// The location text of every failed load.
inline constexpr char kLoadCaseLocation[] = "Reading measuring";

struct LoadResult {
    bool ok = false;
    bool withResults = false; // the stored case carries results (Calced)
    int number = 0;           // a failure: the error number
    QString message;          // a failure: the description
    // Failures of the regenerated traces the load went on past (the spectrum's), to be reported
    // in this order.
    StepFailures stepFailures;
    AppError error() const { return AppError(number, message); }
};

// Loads the case with the Meas_ID into target and its stored scale factor also into
// settings.ScaleFactor. On a failure neither is changed. Needs the trigonometric tables and the
// computation library (a missing library fails the load of a case with results).
LoadResult LoadCase(const CaseStore& store, int32_t measId, Case& target, Settings& settings);

// The recent-list text of a loaded case: session, plane and "<feedrate>mm/min" (dynamic) or
// "Static", kept in English so that the list shows it in the language of each session.
QString LoadedCaseRecentText(const Case& c);

} // namespace sarvo::casedb
