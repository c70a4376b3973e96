#pragma once
// Runs that must outlive an end nobody can answer (a signal, the end of the desktop session): they
// are kept in a measurement file in the data folder, and the next start says where.

#include <QString>

namespace sarvo {

// The runs that would be lost if the program ended now: those the measurement window holds, or a
// captured case that was never saved.
bool HoldsUnsavedRuns();

// Writes the open case as a new *.brv in the data folder (the program folder when none is set)
// when it holds unsaved runs, and remembers its path for the next start. Asks and shows nothing;
// returns the file written, empty when nothing needed keeping or the file could not be written.
QString KeepUnsavedRuns();

// Once, at the start after such an end: where the runs were kept.
void TellOfKeptRuns();

} // namespace sarvo
