#include "casedb/trend.h"

#include "casedb/case_columns.h"
#include "casedb/sql_engine.h"
#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/number_format.h"

#include <QHash>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace sarvo::casedb {

namespace {

using U = TrendUnit;
using A = TrendAxis;

constexpr TrendResultOption kOptions[] = {
    {"Axis spike x", U::Small, A::Horizontal},
    {"Axis spike y", U::Small, A::Vertical},
    {"Backlash positive x", U::Small, A::Horizontal},
    {"Backlash negative x", U::Small, A::Horizontal},
    {"Backlash positive y", U::Small, A::Vertical},
    {"Backlash negative y", U::Small, A::Vertical},
    {"Circularity LSC", U::Small, A::None},
    {"Circularity MZC", U::Small, A::None},
    {"Cyclic error x", U::Small, A::Horizontal},
    {"Pitch of cyclic error x", U::Large, A::Horizontal},
    {"Cyclic error y", U::Small, A::Vertical},
    {"Pitch of cyclic error y", U::Large, A::Vertical},
    {"Lateral play x", U::Small, A::Horizontal},
    {"Lateral play y", U::Small, A::Vertical},
    {"Scale error x", U::ScaleError, A::Horizontal},
    {"Scale error y", U::ScaleError, A::Vertical},
    {"Scale mismatch", U::ScaleError, A::None},
    {"Servo response x", U::Percent, A::Horizontal},
    {"Servo response y", U::Percent, A::Vertical},
    {"Squareness error", U::ArcSeconds, A::None},
    {"Stick slip x", U::Small, A::Horizontal},
    {"Stick slip y", U::Small, A::Vertical},
    {"Straightness x", U::Small, A::Horizontal},
    {"Straightness y", U::Small, A::Vertical},
    {"Directional vibration", U::Small, A::None},
    {"Vibration", U::Small, A::None},
    {"Measured Feedrate", U::Feedrate, A::None},
};
static_assert(std::size(kOptions) == kTrendResultColumns.size());

QString FeedrateCaption(const UnitState& units)
{
    return units.LargeCaption + QStringLiteral("/min");
}

// The range of the request: from the first day's midnight to the midnight after the last day.
StoredCaseFilter FilterOf(const TrendRequest& request)
{
    StoredCaseFilter filter;
    filter.plane = request.plane;
    if (!request.machine.isEmpty())
        filter.machine = request.machine;
    // An invalid date leaves that end open.
    filter.from = request.from.isValid() ? request.from.startOfDay() : QDateTime();
    filter.until = request.to.isValid() ? request.to.addDays(1).startOfDay() : QDateTime();
    return filter;
}

QString Quoted(const QString& text)
{
    QString doubled = text;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

} // namespace

const TrendResultOption& TrendResult(int index)
{
    return kOptions[std::clamp(index, 0, kTrendResultCount - 1)];
}

QString WithAxisLetter(const QString& caption, QChar letter)
{
    if (caption.isEmpty())
        return caption;
    QString changed = caption;
    const QString start = caption.left(2).toLower();
    if (start == QLatin1String("x ") || start == QLatin1String("y ") || start == QLatin1String("z "))
        changed[0] = letter;
    else
        changed[changed.size() - 1] = letter;
    return changed;
}

QString CaptionForPlane(const QString& caption, TrendAxis axis, const QString& plane)
{
    if (axis == TrendAxis::None || plane.isEmpty())
        return caption;
    return WithAxisLetter(caption, axis == TrendAxis::Horizontal ? plane.front() : plane.back());
}

TrendScale ScaleOf(TrendUnit unit, const UnitState& units)
{
    switch (unit) {
    case TrendUnit::Small:
        return {units.SmallFactor, units.SmallFormat, units.SmallCaption};
    case TrendUnit::Large:
        return {units.LargeFactor, units.LargeFormat, units.LargeCaption};
    case TrendUnit::ScaleError:
        return {units.ScaleErrFactor, units.SmallFormat, units.ScaleErrCaption};
    case TrendUnit::Percent:
        return {1, QStringLiteral("####0"), QStringLiteral("%")};
    case TrendUnit::ArcSeconds:
        return {1, QStringLiteral("####0"), QStringLiteral("arcsec")};
    case TrendUnit::Feedrate:
        return {units.LargeFactor, units.LargeFormat, FeedrateCaption(units)};
    }
    return {};
}

QStringList StoredMachines(const CaseStore& store)
{
    if (!store.isOpen())
        throw AppError(kDatabaseNotOpen, StandardErrorText(kDatabaseNotOpen));
    const QString machine = QuoteName(QLatin1String(col::Machine));
    const QString sql = QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL ORDER BY %3, %1")
                            .arg(machine, QuoteName(QLatin1String(tbl::Measure)), engine::CaselessOrder(machine));
    QStringList names;
    engine::ForEachRow(store.database(), sql, {}, [&names](const engine::RowView& row) { names << row.text(0); });
    return names;
}

TrendRows QueryTrend(const CaseStore& store, const TrendRequest& request)
{
    // One read serves both lists: the feedrates count every case of the range, the points only
    // the analysed ones.
    std::vector<StoredCaseSummary> all = ListStoredCases(store, FilterOf(request));
    TrendRows rows;
    for (const StoredCaseSummary& s : all) {
        if (s.feedrate && std::isfinite(*s.feedrate))
            rows.feedrates.push_back(*s.feedrate);
    }
    std::sort(rows.feedrates.begin(), rows.feedrates.end());
    rows.feedrates.erase(std::unique(rows.feedrates.begin(), rows.feedrates.end()), rows.feedrates.end());
    for (StoredCaseSummary& s : all) {
        if (s.withResults)
            rows.cases.push_back(std::move(s));
    }
    return rows;
}

QString TrendStatementText(const TrendRequest& request)
{
    const StoredCaseFilter filter = FilterOf(request);
    QString sql = QStringLiteral("SELECT * FROM Measure WHERE Calced <> 0");
    if (filter.from.isValid())
        sql += QStringLiteral(" AND Date >= ") + Quoted(DbDateText(filter.from));
    if (filter.until.isValid())
        sql += QStringLiteral(" AND Date < ") + Quoted(DbDateText(filter.until));
    sql += QStringLiteral(" AND Plane = ") + Quoted(request.plane);
    if (filter.machine)
        sql += QStringLiteral(" AND Machine = ") + Quoted(*filter.machine);
    return sql + QStringLiteral(" ORDER BY Date");
}

long long WholeFeedrate(double feedrate)
{
    // nearbyint rounds in the default mode, to nearest with halves to even.
    return std::llrint(feedrate);
}

int WholeDaysBetween(const QDateTime& from, const QDateTime& to)
{
    const auto wallClock = [](const QDateTime& t) { return QDateTime(t.date(), t.time(), QTimeZone::utc()); };
    const qint64 seconds = wallClock(from).secsTo(wallClock(to));
    return int(std::floor(double(seconds) / 86400.0));
}

TrendView BuildTrend(const TrendRows& rows, const TrendRequest& request, const TrendOptions& options,
                     const UnitState& units, const QLocale& locale)
{
    const int result = std::clamp(options.result, 0, kTrendResultCount - 1);
    const TrendScale scale = ScaleOf(TrendResult(result).unit, units);
    TrendView view;
    view.table.headers = {Translate(QStringLiteral("Session")), Translate(QStringLiteral("Date")),
                          Translate(QStringLiteral("Type")), Translate(QStringLiteral("Feedrate")),
                          options.resultCaption};
    const std::vector<StoredCaseSummary>& cases = rows.cases;
    if (cases.size() < 2)
        return view;

    // The series: the whole feedrates in ascending order, then the static one.
    std::vector<long long> feedrates;
    for (double f : rows.feedrates)
        feedrates.push_back(WholeFeedrate(f));
    std::sort(feedrates.begin(), feedrates.end());
    feedrates.erase(std::unique(feedrates.begin(), feedrates.end()), feedrates.end());
    QHash<long long, int> seriesOfFeedrate;
    for (std::size_t i = 0; i < feedrates.size(); ++i)
        seriesOfFeedrate.insert(feedrates[i], int(i));
    const int staticSeries = int(feedrates.size());

    // The points: one per session, in the order of each session's earliest case.
    QHash<QString, int> pointOfSession;
    std::vector<std::vector<std::size_t>> casesOfPoint;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto it = pointOfSession.constFind(cases[i].session);
        if (it == pointOfSession.constEnd()) {
            it = pointOfSession.insert(cases[i].session, int(casesOfPoint.size()));
            casesOfPoint.emplace_back();
        }
        casesOfPoint[std::size_t(it.value())].push_back(i);
    }
    // A single session still gets a second, empty point, so the chart has an x range.
    const std::size_t points = std::max<std::size_t>(casesOfPoint.size(), 2);

    TrendChart& chart = view.chart;
    chart.spacing = options.spacing;
    chart.series.resize(std::size_t(staticSeries) + 1);
    for (TrendSeries& s : chart.series)
        s.cells.resize(points);
    chart.pointLabels.resize(points);

    const QDateTime& reference = cases.front().date;
    bool staticPlaced = false;
    for (std::size_t point = 0; point < casesOfPoint.size(); ++point) {
        for (const std::size_t i : casesOfPoint[point]) {
            const StoredCaseSummary& s = cases[i];
            int series = staticSeries;
            if (!s.dynamic) {
                staticPlaced = true;
            } else if (s.feedrate && std::isfinite(*s.feedrate)) {
                series = seriesOfFeedrate.value(WholeFeedrate(*s.feedrate), staticSeries);
            }
            TrendCell& cell = chart.series[std::size_t(series)].cells[point];
            cell.filled = true;
            const std::optional<double>& value = s.results[std::size_t(result)];
            if (value)
                cell.value = *value * scale.factor;
            if (options.spacing == TrendSpacing::Variable)
                cell.days = WholeDaysBetween(reference, s.date);

            const QString feedrate = s.feedrate ? FormatNumber(*s.feedrate * units.LargeFactor, units.LargeFormat, locale) : QString();
            view.table.rows.push_back({s.session, locale.toString(s.date.date(), QLocale::ShortFormat),
                                       s.dynamic ? Translate(QStringLiteral("Dynamic")) : Translate(QStringLiteral("Static")),
                                       feedrate, value ? FormatNumber(*value * scale.factor, scale.format, locale) : QString()});
        }
        if (options.spacing == TrendSpacing::Fixed) {
            const QDateTime& sessionDate = cases[casesOfPoint[point].front()].date;
            chart.pointLabels[point] = locale.toString(sessionDate.date(), QLocale::ShortFormat);
        }
    }

    for (std::size_t i = 0; i < feedrates.size(); ++i) {
        chart.series[i].legend =
            FormatNumber(double(feedrates[i]) * units.LargeFactor, units.LargeFormat, locale) + u' ' + FeedrateCaption(units);
    }
    if (staticPlaced)
        chart.series.back().legend = Translate(QStringLiteral("Static"));
    else
        chart.series.pop_back();

    chart.caption = options.resultCaption;
    chart.unit = scale.unitCaption;
    chart.title = request.machine.isEmpty() ? request.plane : request.machine + QStringLiteral(" - ") + request.plane;
    if (options.spacing == TrendSpacing::Variable) {
        const QString pattern = QStringLiteral("dd/MM/yyyy");
        chart.title += QStringLiteral("  ") + request.from.toString(pattern) + QStringLiteral(" - ") + request.to.toString(pattern);
    }
    return view;
}

} // namespace sarvo::casedb
