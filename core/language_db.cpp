#include "core/language_db.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "core/sql_script.h"
#include "core/writable_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <algorithm>

namespace sarvo {

namespace {

QString quoteIdentifier(const QString& name)
{
    return '"' + QString(name).replace('"', "\"\"") + '"';
}

// Keys are texts, never Null: an unset caption is the empty text.
QString key(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

bool usableKey(const QString& text)
{
    return text.size() <= kMaxKeyLength;
}

// An empty text has nothing to translate: it is never a key.
bool usableText(const QString& english)
{
    return !english.isEmpty() && usableKey(english);
}

} // namespace

bool LanguageDb::open(const QString& path, bool* readOnly)
{
    close();
    if (!QFileInfo::exists(path))
        return false;
    // A file without write permission is opened read-only, also for root, whom the file system
    // would let write anyway: the missing write bit is the user's "read-only" mark. So is a file in
    // a read-only folder, where the engine's journal beside it would be a new file.
    const bool writable = IsWritablePath(path) && IsWritablePath(QFileInfo(path).absolutePath());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
        db.setDatabaseName(path);
        if (!writable)
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
        bool ok = db.open();
        if (ok) {
            // A file that is not a database, or one without the table of texts, is no language database.
            QSqlQuery probe(db);
            ok = probe.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Languages'") && probe.next();
        }
        if (!ok) {
            db.close();
        }
        if (!ok) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection_);
            return false;
        }
    }
    if (readOnly)
        *readOnly = !writable;
    return true;
}

void LanguageDb::close()
{
    columns_.clear();
    if (!QSqlDatabase::contains(connection_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool LanguageDb::isOpen() const
{
    return QSqlDatabase::contains(connection_) && QSqlDatabase::database(connection_, false).isOpen();
}

QStringList LanguageDb::languages() const
{
    if (!columns_.isEmpty() || !isOpen())
        return columns_;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (!query.exec("PRAGMA table_info(Languages)"))
        return {};
    while (query.next()) {
        const QString name = query.value(1).toString();
        if (name.compare("Form", Qt::CaseInsensitive) != 0)
            columns_ << name;
    }
    return columns_;
}

std::optional<QString> LanguageDb::languageColumn(const QString& language) const
{
    for (const QString& column : languages()) {
        if (column.compare(language, Qt::CaseInsensitive) == 0)
            return column;
    }
    return std::nullopt;
}

std::optional<QString> LanguageDb::lookup(const QString& form, const QString& english, const QString& language,
                                          bool* found) const
{
    if (found)
        *found = false;
    if (!isOpen() || !usableText(english) || !usableKey(form))
        return std::nullopt;
    const auto column = languageColumn(language);
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("SELECT %1 FROM Languages WHERE Form = ? AND English = ?")
                      .arg(column ? quoteIdentifier(*column) : QStringLiteral("NULL")));
    query.addBindValue(key(form));
    query.addBindValue(key(english));
    if (!query.exec() || !query.next())
        return std::nullopt;
    if (found)
        *found = true;
    const QVariant value = query.value(0);
    if (!column || value.isNull())
        return std::nullopt;
    return value.toString();
}

bool LanguageDb::addKey(const QString& form, const QString& english) const
{
    if (!isOpen() || !usableText(english) || !usableKey(form))
        return false;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare("INSERT INTO Languages (Form, English) VALUES (?, ?)");
    query.addBindValue(key(form));
    query.addBindValue(key(english));
    return query.exec();
}

std::optional<QString> LanguageDb::languageCell(const QString& table, const QString& where,
                                                const QVariantList& keys, const QString& language) const
{
    if (!isOpen())
        return std::nullopt;
    const auto column = languageColumn(language);
    if (!column)
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(quoteIdentifier(*column), table, where));
    for (const QVariant& k : keys)
        query.addBindValue(k);
    if (!query.exec() || !query.next() || query.value(0).isNull())
        return std::nullopt;
    return query.value(0).toString();
}

std::optional<QString> LanguageDb::lookupMemo(const QString& form, const QString& tag, const QString& language) const
{
    return languageCell("LangMemo", "Form = ? AND Tag = ?", {key(form), key(tag)}, language);
}

std::optional<QString> LanguageDb::lookupError(int number, const QString& language) const
{
    return languageCell("Errors", "ErrNo = ?", {number}, language);
}

LanguageDb& languageDb()
{
    static LanguageDb db(QString::fromLatin1(kLangDbConnection));
    return db;
}

namespace {
QString& textLanguage()
{
    static QString language;
    return language;
}
} // namespace

void SetTextLanguage(const QString& language)
{
    textLanguage() = language;
}

const QString& TextLanguage()
{
    return textLanguage();
}

QString TranslateIn(const QString& form, const QString& text)
{
    LanguageDb& db = languageDb();
    if (!db.isOpen())
        return text;
    bool found = false;
    const auto translated = db.lookup(form, text, TextLanguage(), &found);
    if (!found) {
        db.addKey(form, text);
        return text;
    }
    return translated.value_or(text);
}

QString Translate(const QString& text)
{
    return TranslateIn(QStringLiteral("Message"), text);
}

QString GetErrorText(int16_t errNo)
{
    BusyCursor busy;
    QString result = StandardErrorText(errNo);
    if (languageDb().isOpen()) {
        if (auto text = languageDb().lookupError(errNo, TextLanguage()))
            result = *text;
    }
    return result;
}

LanguageChoice::LanguageChoice(const QStringList& languages, const QString& current, const QString& programFolder)
    : atOpening_(current), chosen_(current)
{
    for (const QString& language : languages) {
        const int n = int(options_.size());
        options_.append({language, programFolder + language.left(kIconNameLength) + QStringLiteral(".ico"),
                         n / kOptionsPerRow, n % kOptionsPerRow});
    }
}

bool LanguageChoice::choose(const QString& language)
{
    // The option's name is compared exactly, as the settings hold it.
    const bool offered = std::any_of(options_.cbegin(), options_.cend(),
                                     [&language](const LanguageOption& o) { return o.language == language; });
    if (!offered || language == chosen_)
        return false;
    chosen_ = language;
    return true;
}

bool OpenLanguageDatabase(const QString& appPath)
{
    CloseLanguageDatabase();
    const QString path = appPath + QString::fromLatin1(kLangDbFileName);
    if (!QFileInfo::exists(path)) {
        // Never into a read-only folder, though root could.
        if (!IsWritablePath(appPath))
            throw AppError::standard(AppError::kPathFileAccess, QDir::toNativeSeparators(path));
        BuildDatabaseFromScript(path, ShippedScript("lang.sql"));
    }
    bool readOnly = false;
    if (!languageDb().open(path, &readOnly))
        throw AppError::database(0, "Cannot open the language database " + path);
    return readOnly;
}

void CloseLanguageDatabase()
{
    languageDb().close();
}

} // namespace sarvo
