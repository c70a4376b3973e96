#pragma once
// The summary read of many stored cases at once, for the case browser, the batch list and the
// trend: one row per case straight from the Measure table, without building a case and without
// the computation library.

#include "casedb/case_columns.h"
#include "casedb/case_store.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sarvo::casedb {

// Which stored cases to list; an unset filter takes every case. An empty text matches the cases
// stored without one.
struct StoredCaseFilter {
    std::optional<QString> session;
    std::optional<QString> machine;
    std::optional<QString> plane;
    QDateTime from;  // test dates from this one on (invalid: no lower bound)
    QDateTime until; // test dates before this one (invalid: no upper bound)
};

struct StoredCaseSummary {
    int measId = 0;
    QString session;
    QString machine;
    QString plane;
    QDateTime date;
    QString fileName;
    std::optional<double> feedrate; // mm/min as stored
    QString statDyn;                // the stored letter, "D" or "S" as a rule
    bool dynamic = false;           // the letter is "D", as the case loader takes it
    bool withResults = false;
    // The stored results of kTrendResultColumns, in that order; Null stays unset.
    std::array<std::optional<double>, kTrendResultColumns.size()> results;
};

enum class StoredCaseOrder {
    ByDate,    // test date, then number
    BySession, // the cases without a session first, then by session name, each by test date and number
};

// The matching stored cases in the order asked for. The statement is finished when this returns,
// so a write may follow on the same connection. Raises AppError on an engine failure or a closed
// store.
std::vector<StoredCaseSummary> ListStoredCases(const CaseStore& store, const StoredCaseFilter& filter,
                                               StoredCaseOrder order = StoredCaseOrder::ByDate);

} // namespace sarvo::casedb
