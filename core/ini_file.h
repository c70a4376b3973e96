#pragma once
// The settings file format: sections and keys as the old private-profile files hold them.
// Section and key names match without regard to case; values are trimmed and lose surrounding
// quotes; a missing key gives the default, an empty value gives "". Lines end in CR LF, LF or a
// lone CR, and are written back with the file's own line end. Unknown lines and the order
// of the file are kept; a new key goes to the end of its section, a new section to the end of
// the file. Every write re-reads the file and replaces it atomically, so keys that another part
// of the program wrote in between survive. UTF-8 is written; files that are not UTF-8 are read as
// Windows-1252.

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace sarvo {

class IniDocument {
public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    LoadStatus load(const QString& path);
    void parse(const QString& text);

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    // False when the key was not there.
    bool removeKey(const QString& section, const QString& key);

    QString text() const;
    // Atomic replace; false when the file could not be written.
    bool save(const QString& path) const;

private:
    struct Line {
        QString raw;
        QString section; // the section the line belongs to (for section headers, its own name)
        QString key;     // empty unless the line is key=value
        bool isSection = false;
    };
    int findKey(const QString& section, const QString& key) const;
    int findSection(const QString& section) const;

    std::vector<Line> lines_;
    QString eol_ = QStringLiteral("\n");
};

// A settings file by path: each read looks at the file as it is now; each write re-reads,
// changes and replaces it.
class IniFile {
public:
    explicit IniFile(QString path = {}) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The value, or defaultValue when the file, section or key is missing.
    QString get(const QString& section, const QString& key, const QString& defaultValue) const;
    // One key; false when the file could not be written.
    bool set(const QString& section, const QString& key, const QString& value) const;
    // Several keys in one read-modify-replace. A file that would come out as it is stays untouched.
    using Entry = std::pair<std::pair<QString, QString>, QString>; // ((section, key), value)
    bool setMany(const std::vector<Entry>& entries) const;
    // Removes the keys that are there (section, key); a file without them stays untouched. False
    // when the file could not be written.
    bool remove(const std::vector<std::pair<QString, QString>>& keys) const;

private:
    QString path_;
};

// getIni: the value of the key in that section of the file, or the default.
QString getIni(const QString& section, const QString& key, const QString& defaultValue, const QString& path);

} // namespace sarvo
