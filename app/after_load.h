#pragma once
// The closing step after a measurement file was read into the open case.

#include <QString>

namespace sarvo {

// After a successful read closes the windows of the previous case, runs the first analysis
// stages, sets the case commands, puts the file on the recent list and shows the case
// information. A failed read left the open case as it was, so its windows and commands stay.
void RunAfterFileRead(bool ok, const QString& name);

} // namespace sarvo
