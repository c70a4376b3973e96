#pragma once
// Runs that must outlive an end nobody can answer (a signal, the end of the desktop session): they
// are kept in a measurement file where the program can write, and the next start says where (or
// that no folder could hold them).

#include <QString>

namespace sarvo {

// The runs that would be lost if the program ended now: those the measurement window holds, or a
// captured case that was never saved.
bool HoldsUnsavedRuns();

// Writes the open case as a new *.brv in the program folder, else in the per-user data folder
// (a folder without its owner's write bit is never written, whoever runs the program), when it
// holds unsaved runs, and leaves a note for the next start: its path, or, when neither folder
// could take it, the folders tried. The note goes into the settings file, else beside the runs,
// else (for lost runs) into the user's temporary folder. Asks and shows nothing; says on standard
// error what was lost. Returns the file written, empty when nothing needed keeping or no folder
// could be written.
QString KeepUnsavedRuns();

// Once, at the start after such an end: where the runs were kept, or that they were lost, from
// every note it finds (each is removed once told).
void TellOfKeptRuns();

} // namespace sarvo
