#pragma once
// The steps that follow a change of the open case: after a measurement file was read, a new
// measurement begun, a capture handed over, a stored case loaded without results, or the case
// view closed.

#include <QString>

namespace sarvo {

// What the case-information panel does when the open case changes.
enum class CasePanel {
    Refill, // the new case has its information: the panel shows it
    Close,  // the new case has nothing to show yet
    Leave,  // the panel is closing itself, or its road fills it later
};

// The open case that now stands in place of the one before.
struct CaseChange {
    bool caseOpen = false;       // the new case can be shown, saved and printed already
    bool captureUnsaved = false; // the new case is a capture not yet saved
    CasePanel panel = CasePanel::Leave;
};

// The one step of every road that replaces the open case or closes its view: the results and
// both graph windows of the case before close, the panel as the change says, the case flags
// and commands follow, and the keyboard stays in a window.
void CaseReplaced(const CaseChange& change);

// After a successful read closes the windows of the previous case, runs the first analysis
// stages, sets the case commands, puts the file on the recent list and shows the case
// information. A failed read left the open case as it was, so its windows and commands stay.
void RunAfterFileRead(bool ok, const QString& name);

} // namespace sarvo
