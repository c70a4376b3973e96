#pragma once
// Runs that must outlive an end nobody can answer (a signal, the end of the desktop session): they
// are kept in a measurement file where the program can write, and the next start says where (or
// that no folder could hold them).

#include <QString>

namespace sarvo {

// The runs that would be lost if the program ended now: those the measurement window holds, or a
// captured case that was never saved.
bool HoldsUnsavedRuns();

// Writes the open case as a new *.brv in the program folder, else in the per-user data folder,
// when it holds unsaved runs, and remembers its path for the next start (or, when neither could
// be written, the folders tried). Asks and shows nothing; returns the file written, empty when
// nothing needed keeping or no folder could be written.
QString KeepUnsavedRuns();

// Once, at the start after such an end: where the runs were kept, or that they were lost.
void TellOfKeptRuns();

} // namespace sarvo
