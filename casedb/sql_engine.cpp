#include "casedb/sql_engine.h"

#include "casedb/sql_error.h"

#include <QSqlQuery>

namespace sarvo::casedb::engine {

namespace {

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

QString BeginWriteStatement()
{
    return QStringLiteral("BEGIN IMMEDIATE");
}

bool SameName(const QString& a, const QString& b)
{
    // SQLite matches names without regard to case, quoted or not.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace sarvo::casedb::engine
