#include "casedb/stored_cases.h"

#include "casedb/sql_engine.h"
#include "casedb/sql_error.h"
#include "core/app_error.h"

#include <QStringList>
#include <QVariant>

namespace sarvo::casedb {

namespace {

// The summary's own columns, read before the trend's results.
enum SummaryColumn { Id, Session, Machine, Plane, Date, FileName, Feedrate, StatDyn, Calced, FirstResult };
constexpr const char* kSummaryColumns[] = {col::Meas_ID, col::Name,     col::Machine, col::Plane,  col::Date,
                                           col::Filename, col::Feedrate, col::StatDyn, col::Calced};
static_assert(std::size(kSummaryColumns) == FirstResult);

} // namespace

std::vector<StoredCaseSummary> ListStoredCases(const CaseStore& store, const StoredCaseFilter& filter,
                                               StoredCaseOrder order)
{
    if (!store.isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    QStringList columns;
    for (const char* column : kSummaryColumns)
        columns << QuoteName(QLatin1String(column));
    for (const char* column : kTrendResultColumns)
        columns << QuoteName(QLatin1String(column));

    QStringList conditions;
    QVariantList values;
    // The save stores an empty text as Null: IS matches both.
    const auto text = [&](const char* column, const std::optional<QString>& wanted) {
        if (!wanted)
            return;
        conditions << QuoteName(QLatin1String(column)) + QStringLiteral(" IS ?");
        values << (wanted->isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(*wanted));
    };
    text(col::Name, filter.session);
    text(col::Machine, filter.machine);
    text(col::Plane, filter.plane);
    // The stored date text sorts as the time it names.
    if (filter.from.isValid()) {
        conditions << QuoteName(QLatin1String(col::Date)) + QStringLiteral(" >= ?");
        values << DbDateText(filter.from);
    }
    if (filter.until.isValid()) {
        conditions << QuoteName(QLatin1String(col::Date)) + QStringLiteral(" < ?");
        values << DbDateText(filter.until);
    }

    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), QuoteName(QLatin1String(tbl::Measure)));
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ");
    // Spelled out: engines differ in where they sort Null.
    if (order == StoredCaseOrder::BySession)
        sql += engine::CaselessOrder(QuoteName(QLatin1String(col::Name))) + QStringLiteral(" ASC NULLS FIRST, ")
               + QuoteName(QLatin1String(col::Name)) + QStringLiteral(", ");
    sql += QStringLiteral("%1, %2").arg(QuoteName(QLatin1String(col::Date)), QuoteName(QLatin1String(col::Meas_ID)));

    std::vector<StoredCaseSummary> cases;
    engine::ForEachRow(store.database(), sql, values, [&](const engine::RowView& row) {
        StoredCaseSummary& s = cases.emplace_back();
        s.measId = int(row.number(Id));
        s.session = row.text(Session);
        s.machine = row.text(Machine);
        s.plane = row.text(Plane);
        s.date = row.isNull(Date) ? QDateTime() : DbDateFromValue(row.text(Date));
        s.fileName = row.text(FileName);
        s.feedrate = row.numberOrNull(Feedrate);
        s.statDyn = row.text(StatDyn);
        s.dynamic = IsDynamicText(s.statDyn);
        s.withResults = row.number(Calced) != 0;
        for (std::size_t i = 0; i < s.results.size(); ++i)
            s.results[i] = row.numberOrNull(FirstResult + int(i));
    });
    return cases;
}

} // namespace sarvo::casedb
