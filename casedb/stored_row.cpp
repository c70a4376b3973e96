#include "casedb/stored_row.h"

#include <cmath>
#include <utility>

namespace sarvo::casedb {

StoredRow::StoredRow(QString table, QSqlRecord record) : table_(std::move(table)), record_(std::move(record)) {}

AppError StoredRow::nullField(const QString& table, const char* column)
{
    return AppError(kInvalidUseOfNull, QStringLiteral("Invalid use of Null: %1.%2").arg(table, QLatin1String(column)));
}

QVariant StoredRow::value(const char* column) const
{
    const int at = record_.indexOf(QLatin1String(column));
    return at < 0 ? QVariant() : record_.value(at);
}

QVariant StoredRow::required(const char* column) const
{
    QVariant v = value(column);
    if (v.isNull())
        throw nullField(table_, column);
    return v;
}

double StoredRow::number(const char* column) const { return toNumber(table_, column, required(column)); }

double StoredRow::numberOr(const char* column, double fallback) const
{
    const QVariant v = value(column);
    return v.isNull() ? fallback : toNumber(table_, column, v);
}

QString StoredRow::textOr(const char* column, const QString& fallback) const
{
    const QVariant v = value(column);
    return v.isNull() ? fallback : v.toString();
}

double StoredRow::toNumber(const QString& table, const char* column, const QVariant& v)
{
    bool ok = false;
    // A blob is never a number the program stored, whatever its bytes spell.
    const double d = v.typeId() == QMetaType::QByteArray ? 0 : v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw AppError(AppError::kTypeMismatch, QStringLiteral("Type mismatch: %1.%2").arg(table, QLatin1String(column)));
    return d;
}

} // namespace sarvo::casedb
