#pragma once
// Qt's own texts (standard buttons, file and print dialogs) in the program's language: one
// translator for Qt's catalogue, owned by the application and replaced when the language changes.
// A missing catalogue leaves Qt's texts English. Nothing here ever shows a message.

#include <QString>

namespace sarvo {

// The Qt locale name of a language of the language database ("German" gives "de"); the empty
// text for a language not in the table.
QString QtLocaleName(const QString& language);

// Where this installation keeps Qt's catalogues.
QString QtTranslationsFolder();

// Makes Qt's texts follow the language: drops the translator of the previous language and loads
// the language's catalogue from folder. True when one was loaded.
bool InstallQtTranslations(const QString& language, const QString& folder = QtTranslationsFolder());

} // namespace sarvo
