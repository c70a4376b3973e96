#include "core/sql_script.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

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

QString CreateDatabaseFromScript(const QString& path, const QString& script)
{
    const QString connection = "create-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(path);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            db.transaction();
            QSqlQuery query(db);
            for (const QString& statement : SplitSqlScript(script)) {
                if (!query.exec(statement)) {
                    error = query.lastError().text() + " in: " + statement.left(200);
                    break;
                }
            }
            if (error.isEmpty())
                db.commit();
            else
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (error.isEmpty() && !QFile::exists(path))
        error = "database file was not created: " + path;
    return error;
}

QString ShippedScript(const QString& name)
{
    QFile f(":/data/" + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace sarvo
