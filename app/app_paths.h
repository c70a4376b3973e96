#pragma once

#include <QString>

namespace sarvo {

// The program folder, ending in "/": $SARVOTEX_HOME when set, else the program's own folder when
// it is writable, else the per-user data folder (created when missing).
QString ResolveAppPath(const QString& executableFolder);

// Copies the shipped files that the program folder lacks (Lang.db) from the program's own folder.
void ProvideShippedFiles(const QString& appPath, const QString& executableFolder);

} // namespace sarvo
