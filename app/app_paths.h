#pragma once

#include "core/app_error.h"

#include <QString>

#include <optional>

namespace sarvo {

// The program folder, ending in "/": $SARVOTEX_HOME when set, else the program's own folder when
// it is writable, else the per-user data folder (created when missing).
QString ResolveAppPath(const QString& executableFolder);

// What keeps the program folder from serving: a file in its place, or a path where no folder could
// be made; the error names the folder. Nothing when it is a folder.
std::optional<AppError> ProgramFolderFault(const QString& appPath);

// Copies the shipped files that the program folder lacks (Lang.db) from the program's own folder;
// a read-only program folder stays as it is, also for root.
void ProvideShippedFiles(const QString& appPath, const QString& executableFolder);

} // namespace sarvo
