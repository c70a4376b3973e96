#pragma once
// The measurement-file subsystem's part of the program: the read context over the program's
// settings, prompts and case database, and the handlers it installs for the other layers.

#include "files/read_context.h"

namespace sarvo {

namespace files {
// Settings from app(), the machine check against the case database, the "more files?" question
// and the file dialog through prompts(), failures of later files reported at once, the disk.
ReadContext ProgramReadContext();
} // namespace files

// Installs services().openMeasurementFile (the command line and the recent list) and
// services().saveRtb (Save case to file).
void InstallFileServices();

} // namespace sarvo
