#pragma once
// What the case store asks of the database engine beyond portable SQL: driver, connection
// options, catalogue queries and the start of a write transaction. Everything SQLite-specific
// stands here, so that another engine is a change of this one file.

#include "core/app_error.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>

namespace sarvo::casedb::engine {

QString DriverName();

// Options for QSqlDatabase::setConnectOptions.
QString ConnectOptions(bool readOnly);

// Statements run once on every new connection, before anything else.
QStringList SessionStatements(bool readOnly);

// The tables and the indexes that the database holds. Reading the catalogue is the first real
// read of the file, so a damaged file fails here: AppError.
QStringList ListTables(QSqlDatabase& db);
QStringList ListIndexes(QSqlDatabase& db);

// Whether a failure says that the disk is full.
bool IsDiskFull(const AppError& failure);

// The journal a write keeps beside the file until its commit has landed.
QString JournalPath(const QString& path);

// Whether a read-only connection failed because the file carries the journal of a write cut
// short (a kill or a power cut inside a commit), which only a connection that may write can roll
// back.
bool BlockedByUnfinishedWrite(const QString& path, const AppError& failure);

// Starts a write transaction that takes the write lock at once, so that two programs writing
// the same file wait for each other instead of failing half-way.
QString BeginWriteStatement();

// An ORDER BY term that sorts a text column without regard to case ("alpha", "Beta", "S1"), as
// the lists have always stood; names equal but for case keep one order between them. Takes the
// column quoted; the direction and Null placement may follow.
QString CaselessOrder(const QString& quotedColumn);

// Whether two table or column names name the same thing to the engine.
bool SameName(const QString& a, const QString& b);

// One row of ForEachRow, its values by position in the statement's column list.
class RowView {
public:
    virtual ~RowView() = default;
    virtual bool isNull(int column) const = 0;
    virtual double number(int column) const = 0;    // Null reads 0
    virtual QString text(int column) const = 0;     // Null reads empty
    virtual std::optional<double> numberOrNull(int column) const = 0;
};

// Runs a read statement with its bound values and hands every row to visit. On SQLite the
// values come straight from the engine: over thousands of rows Qt's conversion of each value
// costs more than the read itself. Raises AppError on a failure.
void ForEachRow(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                const std::function<void(const RowView&)>& visit);

} // namespace sarvo::casedb::engine
