#include "casedb/sql_engine.h"

#include "casedb/sql_error.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

#include <memory>

namespace sarvo::casedb::engine {

namespace {

// The engine's own connection behind Qt's, or nullptr when the driver is another one.
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

AppError sqliteFailure(sqlite3* db)
{
    return AppError::database(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

class SqliteRow final : public RowView {
public:
    explicit SqliteRow(sqlite3_stmt* statement) : statement_(statement) {}
    bool isNull(int column) const override { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    double number(int column) const override { return sqlite3_column_double(statement_, column); }
    QString text(int column) const override
    {
        // The file holds UTF-8: Qt's conversion is quicker than the engine's.
        const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return QString::fromUtf8(chars, sqlite3_column_bytes(statement_, column));
    }
    std::optional<double> numberOrNull(int column) const override
    {
        // Only a 0 can be a Null: most values take one call into the engine.
        const double value = sqlite3_column_double(statement_, column);
        if (value == 0 && isNull(column))
            return std::nullopt;
        return value;
    }

private:
    sqlite3_stmt* statement_;
};

void bind(sqlite3* db, sqlite3_stmt* statement, int place, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(statement, place);
    } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        rc = sqlite3_bind_double(statement, place, value.toDouble());
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
               value.typeId() == QMetaType::Bool) {
        rc = sqlite3_bind_int64(statement, place, value.toLongLong());
    } else {
        const QString text = value.toString();
        rc = sqlite3_bind_text16(statement, place, text.utf16(), int(text.size() * qsizetype(sizeof(QChar))),
                                 SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        throw sqliteFailure(db);
}

void forEachSqliteRow(sqlite3* db, const QString& sql, const QVariantList& values,
                      const std::function<void(const RowView&)>& visit)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * qsizetype(sizeof(QChar))), &raw, nullptr) != SQLITE_OK)
        throw sqliteFailure(db);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        bind(db, raw, i + 1, values[i]);
    const SqliteRow row(raw);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
        visit(row);
    if (rc != SQLITE_DONE)
        throw sqliteFailure(db);
}

class QueryRow final : public RowView {
public:
    explicit QueryRow(const QSqlQuery& query) : query_(query) {}
    bool isNull(int column) const override { return query_.isNull(column); }
    double number(int column) const override { return query_.value(column).toDouble(); }
    QString text(int column) const override { return query_.value(column).toString(); }
    std::optional<double> numberOrNull(int column) const override
    {
        return isNull(column) ? std::nullopt : std::optional<double>(number(column));
    }

private:
    const QSqlQuery& query_;
};

QStringList listNames(QSqlDatabase& db, const char* type)
{
    QSqlQuery query(db);
    // The prepare reads the catalogue already: a damaged file fails here.
    if (!query.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = ? AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")))
        throw SqlFailure(query.lastError());
    query.addBindValue(QString::fromLatin1(type));
    if (!query.exec())
        throw SqlFailure(query.lastError());
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

} // namespace

QString DriverName()
{
    return QStringLiteral("QSQLITE");
}

QString ConnectOptions(bool readOnly)
{
    // Another program saving at the same moment holds the lock for a short while: wait for it.
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    return options;
}

QStringList SessionStatements(bool readOnly)
{
    QStringList statements{QStringLiteral("PRAGMA foreign_keys = ON")};
    if (readOnly)
        statements << QStringLiteral("PRAGMA query_only = 1");
    else
        statements << QStringLiteral("PRAGMA synchronous = FULL"); // a commit survives a power cut
    return statements;
}

QStringList ListTables(QSqlDatabase& db)
{
    return listNames(db, "table");
}

QStringList ListIndexes(QSqlDatabase& db)
{
    return listNames(db, "index");
}

namespace {

// The engine's primary code of a failure: Qt hands on extended codes, whose low byte it is.
int primaryCode(const AppError& failure)
{
    return failure.number() & 0xff;
}

} // namespace

bool IsDiskFull(const AppError& failure)
{
    return primaryCode(failure) == SQLITE_FULL;
}

QString JournalPath(const QString& path)
{
    return path + QStringLiteral("-journal");
}

bool BlockedByUnfinishedWrite(const QString& path, const AppError& failure)
{
    return primaryCode(failure) == SQLITE_READONLY && QFileInfo(JournalPath(path)).size() > 0;
}

QString BeginWriteStatement()
{
    return QStringLiteral("BEGIN IMMEDIATE");
}

void ForEachRow(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                const std::function<void(const RowView&)>& visit)
{
    if (sqlite3* handle = sqliteHandle(db)) {
        forEachSqliteRow(handle, sql, values, visit);
        return;
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw SqlFailure(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw SqlFailure(query.lastError());
    const QueryRow row(query);
    while (query.next())
        visit(row);
}

QString CaselessOrder(const QString& quotedColumn)
{
    // NOCASE folds the ASCII letters, which machine and session names are as a rule.
    return QStringLiteral("%1 COLLATE NOCASE").arg(quotedColumn);
}

bool SameName(const QString& a, const QString& b)
{
    // SQLite matches names without regard to case, quoted or not.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace sarvo::casedb::engine
