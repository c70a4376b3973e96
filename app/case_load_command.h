#pragma once
// The program's loading of a stored case: the case store's load into the open case, then the
// windows, commands and recent list brought up to date.

#include <cstdint>

namespace sarvo {

// Loads the stored case from the program's case database into the open case. A failure is
// reported with "Reading measuring" and leaves the open case, its windows, the commands and the
// recent list as they were.
bool LoadProgramCase(int32_t measId);

// Installs LoadProgramCase as services().loadCaseFromDb unless a handler is installed already.
void InstallCaseLoadService();

} // namespace sarvo
