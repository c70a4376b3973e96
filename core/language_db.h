#pragma once
// The language database (Lang.db): every text the user sees is written in English in the code
// and translated when it is shown. Table Languages (Form, English, one column per language),
// LangMemo (Form, Tag, one column per language) for long control texts, Errors (ErrNo, one column
// per language) for device error texts. A text looked up and not found is added with its English
// key, ready for a translator. Nothing here ever shows a message.

#include <QString>
#include <QList>
#include <QStringList>
#include <QVariantList>

#include <cstdint>
#include <optional>
#include <utility>

namespace sarvo {

constexpr const char* kLangDbConnection = "LangDb";
constexpr const char* kLangDbFileName = "Lang.db";

// Texts longer than a key column holds, and the empty text, are never keys: they are not found
// and not added.
constexpr int kMaxKeyLength = 255;

// The language database on one Qt SQL connection.
class LanguageDb {
public:
    explicit LanguageDb(QString connectionName) : connection_(std::move(connectionName)) {}

    // Opens the file writable, or read-only when it cannot be written. False when it cannot be
    // opened at all or holds no table Languages.
    bool open(const QString& path, bool* readOnly = nullptr);
    void close();
    bool isOpen() const;

    // The language columns of table Languages (every column but Form), as the database holds them.
    QStringList languages() const;
    // The column of the language when it is one, else nullopt. Hostile names never reach SQL.
    std::optional<QString> languageColumn(const QString& language) const;

    // (form, english) in Languages: the row's column for language. nullopt when the row is
    // missing, the language is not a column, or the cell is Null. found tells whether the row exists.
    std::optional<QString> lookup(const QString& form, const QString& english, const QString& language,
                                  bool* found = nullptr) const;
    // Adds (form, english) with empty language columns; false when it cannot (read-only database).
    bool addKey(const QString& form, const QString& english) const;
    // (form, tag) in LangMemo.
    std::optional<QString> lookupMemo(const QString& form, const QString& tag, const QString& language) const;
    // ErrNo in Errors.
    std::optional<QString> lookupError(int number, const QString& language) const;

    const QString& connectionName() const { return connection_; }

private:
    // The current language's cell of the one row of table that matches where (bound keys).
    std::optional<QString> languageCell(const QString& table, const QString& where, const QVariantList& keys,
                                        const QString& language) const;

    QString connection_;
    mutable QStringList columns_; // the columns of Languages, read once per open
};

// The language database texts are looked up in.
LanguageDb& languageDb();

// The language column texts are shown in (the settings' "Language"); the program sets it when
// it reads its settings and whenever the user picks another.
void SetTextLanguage(const QString& language);
const QString& TextLanguage();

// Translate(text): the text in the current language; added to Languages under "Message" when
// missing; unchanged when there is no database, no such language or no translation yet.
QString Translate(const QString& text);
// The same under another translation group (a window's Tag).
QString TranslateIn(const QString& form, const QString& text);

// The text of a device error number in the current language; the standard English message when
// the database has none.
QString GetErrorText(int16_t errNo);

// One option of the language window: a language column, its icon file and its place in rows of
// three.
struct LanguageOption {
    QString language; // the column's name, whole
    QString iconFile; // the program folder's icon named after the first eight characters
    int row = 0;
    int column = 0;
};

// What the language window chooses from and what it has chosen: the language in force when it
// opened and the one chosen since (previewed, not yet switched to).
class LanguageChoice {
public:
    static constexpr int kOptionsPerRow = 3;
    static constexpr int kIconNameLength = 8;

    // languages in column order (LanguageDb::languages()); programFolder ends in "/".
    LanguageChoice(const QStringList& languages, const QString& current, const QString& programFolder);

    const QList<LanguageOption>& options() const { return options_; }
    const QString& atOpening() const { return atOpening_; }
    const QString& chosen() const { return chosen_; }
    bool changed() const { return chosen_ != atOpening_; }

    // Chooses one of the options; false when it is the one chosen already or no option.
    bool choose(const QString& language);

private:
    QList<LanguageOption> options_;
    QString atOpening_;
    QString chosen_;
};

// Opens appPath + "Lang.db" as the language database; creates it from the shipped SQL when the
// file is missing. True when it could be opened for reading only. Raises AppError when it cannot
// be opened at all.
bool OpenLanguageDatabase(const QString& appPath);
void CloseLanguageDatabase();

} // namespace sarvo
