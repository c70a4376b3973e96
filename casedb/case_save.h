#pragma once
// Storing a case in the case database: the duplicate check, the overwrite question and the
// writing of every table of the case in one write transaction, so that a failure or a killed
// program leaves either the whole case or nothing.

#include "casedb/case_store.h"
#include "core/case.h"
#include "core/outcome.h"

#include <QString>

#include <functional>
#include <optional>

namespace sarvo::casedb {

// The location text under which a failed save is reported.
inline constexpr char kSavingLocation[] = "Saving";

enum class SaveOutcome {
    Saved,       // a new case
    Overwritten, // a stored case replaced in place (same Meas_ID)
    Declined,    // the user kept the stored case: nothing written
    Failed,      // nothing written; the error is in SaveResult::failure
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Failed;
    int measId = 0;  // the stored case (Declined: the one kept); 0 when Failed
    Outcome failure; // Failed: the error, under "Saving"; otherwise success
};

// Asked when the case is stored already with results; receives the translated question, returns
// true to overwrite.
using AskOverwrite = std::function<bool(const QString& question)>;

// A stored case that the duplicate check found.
struct StoredCaseMatch {
    int measId = 0;
    bool calced = false;
};

// The translated question "This case has already been saved. Do you want to overwrite?".
QString OverwriteQuestion();

// The stored case with the same machine, test date (to the second), bar length, plane, feedrate,
// session and, when the case has one, file name, compared as the save stores them (empty texts
// as Null), numbers within 5e-6. Raises AppError on an engine failure.
std::optional<StoredCaseMatch> FindStoredCase(const CaseStore& store, const Case& snapshot,
                                              const QString& session);

// Stores the case, its own scale factor included, under the session. A stored case with results
// is overwritten only when askOverwrite says so; one without results is overwritten without a
// question. An overwrite replaces the readings and runs too. A failure (a read-only store among
// them) leaves the file as it was and is returned for the caller to report.
SaveResult SaveCase(const CaseStore& store, const Case& snapshot, const QString& session,
                    const AskOverwrite& askOverwrite);

} // namespace sarvo::casedb
