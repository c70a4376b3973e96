#include "casedb/case_browser.h"

#include "casedb/case_columns.h"
#include "casedb/sql_engine.h"
#include "casedb/sql_error.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/units.h"
#include "core/utilities.h"

#include <QSqlQuery>
#include <QVariant>

namespace sarvo::casedb {

namespace {

QString quoted(const char* name)
{
    return QuoteName(QLatin1String(name));
}

void requireOpen(const CaseStore& store)
{
    if (!store.isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
}

// Removes the cases whose Measure row matches the condition on the one bound value: the rows
// that belong to them first, then their Measure rows, all in one transaction.
RemovalResult removeWhere(const CaseStore& store, const QString& condition, const QVariant& value)
{
    RemovalResult result;
    result.outcome = Trapped(QString::fromLatin1(kRemovingCaseLocation), [&] {
        requireOpen(store);
        CaseStore::WriteTransaction transaction(store);
        const QString ids =
            QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(quoted(col::Meas_ID), quoted(tbl::Measure), condition);
        for (const char* table : {tbl::Targets, tbl::Direction, tbl::Reliability}) {
            store.run(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(quoted(table), quoted(col::Meas_ID), ids),
                {value});
        }
        QSqlQuery measure =
            store.run(QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoted(tbl::Measure), condition), {value});
        const int removed = measure.numRowsAffected();
        measure.finish();
        transaction.commit();
        result.removed = removed;
    });
    return result;
}

} // namespace

QString BrowserCaseText(const StoredCaseSummary& c, const UnitState& units)
{
    QString text = ShortDateText(c.date) + QStringLiteral("   ") + c.machine + QStringLiteral("  ") + c.plane
                   + QStringLiteral("  ");
    // The stored letter in either case: the list has always compared it so.
    if (c.statDyn.startsWith(QLatin1Char('d'), Qt::CaseInsensitive))
        text += FormatNumber(c.feedrate.value_or(0) * units.LargeFactor, units.LargeFormat) + u' '
                + units.LargeCaption + QStringLiteral("/min");
    else
        text += Translate(QStringLiteral("Static"));
    // The whole name without its folder: the cases of one session often differ only in the
    // name's middle.
    if (!c.fileName.isEmpty())
        text += QStringLiteral("  (") + FileNameOfPath(c.fileName) + u')';
    return text;
}

std::vector<BrowserLine> BrowserLines(const std::vector<StoredCaseSummary>& cases, const UnitState& units)
{
    std::vector<BrowserLine> lines;
    QString lastSession;
    for (const StoredCaseSummary& c : cases) {
        // A case without a session never opens a session line.
        if (!c.session.isEmpty() && c.session != lastSession) {
            lines.push_back({.session = true, .text = c.session, .measId = 0, .sessionName = c.session});
            lastSession = c.session;
        }
        lines.push_back({.session = false, .text = BrowserCaseText(c, units), .measId = c.measId, .sessionName = c.session});
    }
    return lines;
}

std::vector<BrowserLine> ReadBrowserLines(const CaseStore& store, const UnitState& units)
{
    return BrowserLines(ListStoredCases(store, {}, StoredCaseOrder::BySession), units);
}

QStringList StoredSessionNames(const CaseStore& store)
{
    QSqlQuery query = store.run(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL ORDER BY %3, %1")
                                    .arg(quoted(col::Name), quoted(tbl::Measure), engine::CaselessOrder(quoted(col::Name))));
    QStringList names;
    while (query.next()) {
        if (const QString name = query.value(0).toString(); !name.isEmpty())
            names << name;
    }
    return names;
}

RemovalResult RemoveStoredCase(const CaseStore& store, int measId)
{
    return removeWhere(store, quoted(col::Meas_ID) + QStringLiteral(" = ?"), measId);
}

RemovalResult RemoveStoredSession(const CaseStore& store, const QString& session)
{
    // The save stores an empty session as Null: IS matches it.
    return removeWhere(store, quoted(col::Name) + QStringLiteral(" IS ?"),
                       session.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(session));
}

} // namespace sarvo::casedb
