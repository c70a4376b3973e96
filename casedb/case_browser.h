#pragma once
// What the case browser and the session window show and do, without widgets: the stored cases
// grouped by session as lines, the session names, and the removal of one case or of a whole
// session, each in one write transaction so that a failure removes nothing.

#include "casedb/case_store.h"
#include "casedb/stored_cases.h"
#include "core/outcome.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace sarvo {
struct UnitState;
}

namespace sarvo::casedb {

inline constexpr char kReadingCasesLocation[] = "Reading measurings";
inline constexpr char kRemovingCaseLocation[] = "Removing case";
inline constexpr char kReadingSessionsLocation[] = "Reading sessions";

// A session line, or a case line under the session line above it. The cases stored without a
// session come first, under no session line.
struct BrowserLine {
    bool session = false;
    QString text;
    int measId = 0; // case lines only
    QString sessionName;
};

// The browser's lines of every stored case; raises AppError on an engine failure.
std::vector<BrowserLine> ReadBrowserLines(const CaseStore& store, const UnitState& units);
// The lines of the cases, which must be in the order StoredCaseOrder::BySession.
std::vector<BrowserLine> BrowserLines(const std::vector<StoredCaseSummary>& cases, const UnitState& units);
// "<short date>   <machine>  <plane>  <feedrate> <unit>/min|Static  (<file name>)", the file's
// name without its folder ("/" or "\").
QString BrowserCaseText(const StoredCaseSummary& c, const UnitState& units);

// The sessions that hold cases, sorted; raises AppError on an engine failure.
QStringList StoredSessionNames(const CaseStore& store);

struct RemovalResult {
    int removed = 0; // cases removed; 0 after a failure
    Outcome outcome; // a failure located at "Removing case"; the file is then unchanged
};

// Removes the case with all its readings, runs and uncertainties.
RemovalResult RemoveStoredCase(const CaseStore& store, int measId);
// Removes every case of the session (the empty name: the cases stored without one) at once.
RemovalResult RemoveStoredSession(const CaseStore& store, const QString& session);

} // namespace sarvo::casedb
