#pragma once
// The windows of the case database that the program opens: the case browser (Open case from
// database), the session window (Save) and what the save window after a measurement needs of
// the program.

#include "casedb/ui/save_window.h"

namespace sarvo {

// Registers the case browser "DbLoad" and the session window "frmSession" over the program's
// case database and open case.
void RegisterCaseDbWindows();

// The program's analysis, database save, machine list and file writers for the save window
// after a measurement.
CaptureSaving ProgramCaptureSaving();

// The analysis of captured runs with the progress window: the circles, the ISO values and the
// error model, from the readings as captured, which the case keeps as its readings as read;
// reports its failures and brings the commands up to date. True when the results are valid.
bool AnalyseCapturedCase(Case& c);

} // namespace sarvo
