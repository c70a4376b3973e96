#pragma once
// One stored row read by column name, with the load's rules: a field every save writes fails the
// load when Null instead of reading as 0, a number must be finite, and a column the file lacks
// (an old read-only file) reads as Null.

#include "core/app_error.h"

#include <QSqlRecord>
#include <QString>
#include <QVariant>

namespace sarvo::casedb {

// Error numbers of a failed load where no arithmetic or engine error gives one.
inline constexpr int kNoCurrentRecord = 3021; // the case (or one of its rows) is not stored
inline constexpr int kInvalidUseOfNull = 94;  // a field every save writes is Null
inline constexpr int kDamagedCase = 3049;     // the rows do not fit together

class StoredRow {
public:
    StoredRow(QString table, QSqlRecord record);

    QVariant value(const char* column) const;
    bool isNull(const char* column) const { return value(column).isNull(); }

    // A field every save writes: Null raises "Invalid use of Null".
    QVariant required(const char* column) const;
    double number(const char* column) const;
    double numberOr(const char* column, double fallback) const;
    QString textOr(const char* column, const QString& fallback) const;

    // The error a Null in a required field raises.
    static AppError nullField(const QString& table, const char* column);
    // A stored value as a number: text that reads as no number, a blob or a value that is not
    // finite raises "Type mismatch: Table.Column".
    static double toNumber(const QString& table, const char* column, const QVariant& v);

private:
    QString table_;
    QSqlRecord record_;
};

} // namespace sarvo::casedb
