#pragma once
// Database failures as run-time errors: the engine's own error number when it gives one, and
// its message as the description, so that the common error report shows what went wrong.

#include "core/app_error.h"

#include <QSqlError>

namespace sarvo::casedb {

// The numbers the case store raises itself where the engine has none to give.
inline constexpr int kNotACaseDatabase = 3343; // the file holds no case database
inline constexpr int kDatabaseReadOnly = 3027; // a write on a database opened read-only
inline constexpr int kDatabaseNotOpen = 91;    // no database open

inline AppError SqlFailure(const QSqlError& error, const QString& context = {})
{
    bool numeric = false;
    const int number = error.nativeErrorCode().toInt(&numeric);
    QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    if (text.isEmpty())
        text = StandardErrorText(AppError::kDatabaseError);
    if (!context.isEmpty())
        text = context + ": " + text;
    return AppError::database(numeric ? number : 0, text);
}

} // namespace sarvo::casedb
