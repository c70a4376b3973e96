#pragma once
// The measurement-file subsystem tied to the open case: the read context over the program's
// settings, prompts and case database, the reads of the command line, the recent list and the
// open-file window, and the handlers installed for the windows.

#include "files/dispatch.h"

namespace sarvo {

// Settings from the program, the machine check against the case database, the "more files?"
// question and the file dialog through prompts(), failures of later files reported at once, the
// disk.
files::ReadContext ProgramReadContext();

// Reads the file (or Optodyne file set) named by the command-line or recent-list text into the
// open case, reports a failure and runs the after-load step; true when the case was read. An
// empty text does nothing.
bool OpenProgramFile(const QString& commandText, const files::ReadContext& ctx);

// Installs services().openMeasurementFile (the command line and the recent list) and
// services().saveRtb and services().saveBrvFile (Save case to file).
void InstallFileServices();

// Registers the open-file window ("frmOpenfile", shown modal by the open command) over the open
// case.
void RegisterFileWindows();

} // namespace sarvo
