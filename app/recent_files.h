#pragma once
// The recent list: the four most recently opened cases, files (id 0) or database cases (id =
// Meas_ID), at the foot of the File menu ("MRecent(0)" .. "MRecent(3)") and kept in the settings.

#include <QString>

#include <cstdint>

namespace sarvo {

struct Settings;

// Puts the entry at the top: an entry already listed moves up, a new one pushes the last off.
void AddRecentFile(Settings& settings, const QString& text, int32_t id);
// Sets the four menu items from the list: "&<n> text", hidden when empty; a stored case's "Static"
// in the current language.
void ShowRecentFiles(const Settings& settings);

} // namespace sarvo
