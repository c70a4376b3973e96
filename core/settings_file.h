#pragma once
// Sarvotex.ini read into settings and written back from them; the program applies them.

#include "core/outcome.h"
#include "core/settings.h"

#include <QString>
#include <QStringList>

namespace sarvo {

// The settings read from the file, and what went wrong on the way.
struct SettingsReadResult {
    Settings settings;
    bool fileReadable = true; // false: the file exists but could not be read
    QStringList badKeys;      // keys whose values were unreadable and took their defaults
    // Failed under "gsReadIni(RENI)" for an unreadable file or for the first bad value.
    Outcome outcome;
};

// Reads every key from the file. A bad value takes its default and reading goes on.
SettingsReadResult ReadSettings(const QString& appPath, const QString& iniPath);

// Writes every key back in one atomic rewrite; fails under "Writing ini-file".
Outcome WriteSettings(const Settings& settings, const QString& iniPath);

} // namespace sarvo
