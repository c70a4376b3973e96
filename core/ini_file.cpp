#include "core/ini_file.h"

#include "core/utilities.h"
#include "core/writable_path.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace sarvo {

namespace {

QString unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value is one line: line breaks inside it would make new keys.
QString oneLine(QString value)
{
    value.replace("\r\n", " ");
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}

QString decode(const QByteArray& bytes)
{
    const QByteArray body = WithoutByteOrderMark(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(body); // files written by the old program
}

} // namespace

IniDocument::LoadStatus IniDocument::load(const QString& path)
{
    lines_.clear();
    eol_ = QStringLiteral("\n");
    QFile file(path);
    if (!file.exists())
        return LoadStatus::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return LoadStatus::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LoadStatus::Unreadable;
    parse(decode(bytes));
    return LoadStatus::Loaded;
}

void IniDocument::parse(const QString& text)
{
    lines_.clear();
    // Written back with the file's own line ends.
    const qsizetype cr = text.indexOf(u'\r');
    const qsizetype lf = text.indexOf(u'\n');
    eol_ = cr < 0 || (lf >= 0 && lf < cr) ? QStringLiteral("\n")
           : lf == cr + 1                  ? QStringLiteral("\r\n")
                                           : QStringLiteral("\r");
    QString section;
    for (const QString& line : TextLines(text)) {
        Line entry;
        entry.raw = line;
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            section = (close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1)).trimmed();
            entry.isSection = true;
        } else if (const qsizetype eq = line.indexOf('='); eq >= 0 && !trimmed.startsWith(';')) {
            entry.key = line.left(eq).trimmed();
        }
        entry.section = section;
        lines_.push_back(entry);
    }
}

int IniDocument::findSection(const QString& section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].isSection && sameName(lines_[i].section, section))
            return static_cast<int>(i);
    }
    return -1;
}

int IniDocument::findKey(const QString& section, const QString& key) const
{
    const int start = findSection(section);
    if (start < 0)
        return -1;
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < lines_.size() && !lines_[i].isSection; ++i) {
        if (!lines_[i].key.isEmpty() && sameName(lines_[i].key, key))
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const int i = findKey(section, key);
    if (i < 0)
        return std::nullopt;
    const QString& raw = lines_[static_cast<std::size_t>(i)].raw;
    return unquote(raw.mid(raw.indexOf('=') + 1));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString text = oneLine(value);
    if (const int i = findKey(section, key); i >= 0) {
        Line& line = lines_[static_cast<std::size_t>(i)];
        // A line that already reads so keeps its own spacing and quotes.
        if (unquote(line.raw.mid(line.raw.indexOf('=') + 1)) != text)
            line.raw = line.key + "=" + text;
        return;
    }
    Line entry;
    entry.key = key;
    entry.raw = key + "=" + text;
    const int start = findSection(section);
    if (start < 0) {
        if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty())
            lines_.push_back(Line{QString(), lines_.back().section, QString(), false});
        lines_.push_back(Line{"[" + section + "]", section, QString(), true});
        entry.section = section;
        lines_.push_back(entry);
        return;
    }
    // After the section's last key, so blank lines and comments before the next section stay there.
    std::size_t insertAt = static_cast<std::size_t>(start) + 1;
    for (std::size_t i = insertAt; i < lines_.size() && !lines_[i].isSection; ++i) {
        if (!lines_[i].raw.trimmed().isEmpty())
            insertAt = i + 1;
    }
    entry.section = lines_[static_cast<std::size_t>(start)].section;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

bool IniDocument::removeKey(const QString& section, const QString& key)
{
    const int i = findKey(section, key);
    if (i < 0)
        return false;
    lines_.erase(lines_.begin() + i);
    return true;
}

QString IniDocument::text() const
{
    QString out;
    for (const Line& line : lines_)
        out += line.raw + eol_;
    return out;
}

bool IniDocument::save(const QString& path) const
{
    // A read-only file is never replaced, nor one in a read-only folder, whoever runs the program.
    if (!IsWritablePath(path) || !IsWritablePath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text().toUtf8());
    return file.commit();
}

QString IniFile::get(const QString& section, const QString& key, const QString& defaultValue) const
{
    IniDocument doc;
    if (doc.load(path_) != IniDocument::LoadStatus::Loaded)
        return defaultValue;
    return doc.value(section, key).value_or(defaultValue);
}

bool IniFile::set(const QString& section, const QString& key, const QString& value) const
{
    return setMany({{{section, key}, value}});
}

bool IniFile::setMany(const std::vector<Entry>& entries) const
{
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(path_);
    if (status == IniDocument::LoadStatus::Unreadable)
        return false; // never replace a file we could not read
    const QString before = doc.text();
    for (const Entry& e : entries)
        doc.setValue(e.first.first, e.first.second, e.second);
    if (status == IniDocument::LoadStatus::Loaded && doc.text() == before)
        return true; // nothing to change: the file keeps its bytes and its time
    return doc.save(path_);
}

bool IniFile::remove(const std::vector<std::pair<QString, QString>>& keys) const
{
    IniDocument doc;
    if (doc.load(path_) != IniDocument::LoadStatus::Loaded)
        return true; // no file holds no keys; one that cannot be read is never replaced
    bool removed = false;
    for (const auto& [section, key] : keys)
        removed = doc.removeKey(section, key) || removed;
    return !removed || doc.save(path_);
}

QString getIni(const QString& section, const QString& key, const QString& defaultValue, const QString& path)
{
    return IniFile(path).get(section, key, defaultValue);
}

} // namespace sarvo
