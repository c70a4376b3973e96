#pragma once
// Builds a database file from an SQL script: the shipped databases are created this way at
// build time and again on a first start when a file is missing.

#include <QString>
#include <QStringList>

namespace sarvo {

// Splits a script into statements at ";" outside quotes; "--" comments are dropped.
QStringList SplitSqlScript(const QString& script);

// Creates (or completes) the SQLite database at path by running the script in one transaction.
// Returns an empty text on success, else the database's error text.
QString CreateDatabaseFromScript(const QString& path, const QString& script);

// The shipped scripts, compiled into the program: ":/data/lang.sql".
QString ShippedScript(const QString& name);

} // namespace sarvo
