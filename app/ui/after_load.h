#pragma once
// The closing step after a measurement file was read into the open case.

#include <QString>

namespace sarvo {

// Closes the windows of the previous case; after a successful read runs the first analysis
// stages, sets the case commands, puts the file on the recent list and shows the case
// information; after a failed read disables the case commands. Errors of the analysis go to the
// caller.
void RunAfterFileRead(bool ok, const QString& name);

} // namespace sarvo
