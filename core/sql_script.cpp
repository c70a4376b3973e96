#include "core/sql_script.h"

#include "core/app_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <optional>

namespace sarvo {

QStringList SplitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    bool inQuote = false;
    QChar quote;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (inQuote) {
            current += c;
            if (c == quote)
                inQuote = false; // a doubled quote re-enters at the next character
            continue;
        }
        if (c == '\'' || c == '"') {
            inQuote = true;
            quote = c;
            current += c;
        } else if (c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
            while (i < script.size() && script[i] != '\n')
                ++i;
            current += '\n';
        } else if (c == ';') {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

namespace {

// SQLite's number for a write that found no room (SQLITE_FULL), the low byte of an extended code.
constexpr int kEngineDiskFull = 13;

// The failure as the user reads it, naming the file being made.
AppError scriptFailure(const QSqlError& error, const QString& shownPath, const QString& statement = {})
{
    const QString file = QDir::toNativeSeparators(shownPath);
    if ((error.nativeErrorCode().toInt() & 0xff) == kEngineDiskFull)
        return AppError::standard(AppError::kDiskFull, file);
    QString text = error.text().trimmed();
    if (!statement.isEmpty())
        text += " in: " + statement.left(200);
    return AppError::database(error.nativeErrorCode().toInt(), text + ": " + file);
}

// Runs the script in one transaction on the file at path; raises AppError naming shownPath when a
// statement or the commit fails (the transaction is then rolled back).
void runScript(const QString& path, const QString& script, const QString& shownPath)
{
    const QString connection = "create-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::optional<AppError> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = scriptFailure(db.lastError(), shownPath);
        } else {
            // BEGIN and COMMIT as statements, so that a failure keeps the engine's number.
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("BEGIN")))
                failure = scriptFailure(query.lastError(), shownPath);
            for (const QString& statement : SplitSqlScript(script)) {
                if (failure)
                    break;
                if (!query.exec(statement))
                    failure = scriptFailure(query.lastError(), shownPath, statement);
            }
            // The pages reach the file only now: on a full disk this is where it fails.
            if (!failure && !query.exec(QStringLiteral("COMMIT")))
                failure = scriptFailure(query.lastError(), shownPath);
            if (failure)
                query.exec(QStringLiteral("ROLLBACK"));
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (failure)
        throw *failure;
}

void removeDatabaseFile(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + "-journal");
}

} // namespace

void BuildDatabaseFromScript(const QString& path, const QString& script)
{
    if (QFileInfo::exists(path)) {
        runScript(path, script, path);
        return;
    }
    const QString temporary = path + ".new-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    try {
        runScript(temporary, script, path);
    } catch (...) {
        removeDatabaseFile(temporary);
        throw;
    }
    if (!QFileInfo::exists(temporary))
        throw AppError::standard(AppError::kPathFileAccess, QDir::toNativeSeparators(path));
    // Never over a file that another program has put there meanwhile: its file serves.
    if (!QFile::rename(temporary, path)) {
        removeDatabaseFile(temporary);
        if (!QFileInfo::exists(path))
            throw AppError::standard(AppError::kPathFileAccess, QDir::toNativeSeparators(path));
    }
}

QString CreateDatabaseFromScript(const QString& path, const QString& script)
{
    try {
        BuildDatabaseFromScript(path, script);
        return {};
    } catch (const AppError& e) {
        return e.description();
    }
}

QString ShippedScript(const QString& name)
{
    QFile f(":/data/" + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace sarvo
