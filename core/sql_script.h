#pragma once
// Builds a database file from an SQL script: the shipped databases are created this way at
// build time and again on a first start when a file is missing.

#include <QString>
#include <QStringList>

namespace sarvo {

// Splits a script into statements at ";" outside quotes; "--" comments are dropped.
QStringList SplitSqlScript(const QString& script);

// Creates the SQLite database at path by running the script in one transaction; a file already
// there is completed in place. A new file is built under a temporary name beside it and renamed
// into place only once its commit has landed: a failure (a full disk, say) leaves no file behind,
// and no half-built file is ever found under the name. Another program's file that appears
// meanwhile is kept. Raises AppError naming the file: "Disk full" (61) when the disk is full, else
// the database's error.
void BuildDatabaseFromScript(const QString& path, const QString& script);
// The same, returning an empty text on success, else the error's description.
QString CreateDatabaseFromScript(const QString& path, const QString& script);

// The shipped scripts, compiled into the program: ":/data/lang.sql".
QString ShippedScript(const QString& name);

} // namespace sarvo
