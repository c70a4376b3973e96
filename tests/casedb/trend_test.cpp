// The trend's builder: stored case rows to the chart (one point per session, one series per
// whole feedrate and one for static cases) and to the table, and its captions and day counts.
#include "casedb/trend.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using namespace sarvo::casedb;

constexpr int kCircularity = 6;

UnitState MetricUnits()
{
    UnitState u;
    u.SmallFactor = 1;
    u.ScaleErrFactor = 1;
    u.LargeFactor = 1;
    u.SmallFormat = QStringLiteral("0.0");
    u.LargeFormat = QStringLiteral("0");
    u.SmallCaption = QStringLiteral("µm");
    u.ScaleErrCaption = QStringLiteral("µm/m");
    u.LargeCaption = QStringLiteral("mm");
    return u;
}

StoredCaseSummary Row(const QString& session, const QDateTime& date, std::optional<double> feedrate, bool dynamic,
                      std::optional<double> circularity)
{
    StoredCaseSummary s;
    s.session = session;
    s.date = date;
    s.feedrate = feedrate;
    s.dynamic = dynamic;
    s.withResults = true;
    s.results[kCircularity] = circularity;
    return s;
}

QDateTime Day(int day, int hour = 8)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, 0));
}

TrendView Build(const std::vector<StoredCaseSummary>& cases, const std::vector<double>& feedrates,
                TrendSpacing spacing = TrendSpacing::Fixed, const QString& machine = {})
{
    const TrendRequest request{QStringLiteral("xy"), machine, QDate(2026, 1, 1), QDate(2026, 12, 31)};
    const TrendOptions options{kCircularity, QStringLiteral("Circularity LSC"), spacing};
    return BuildTrend({cases, feedrates}, request, options, MetricUnits(), QLocale::c());
}

TEST(TrendBuilder, SessionsArePointsAndEachWholeFeedrateASeriesWithStaticLast)
{
    // Session A has two feedrates; B an inch feedrate (787.4 mm/min) and a static case; A comes
    // back later, its later 1000 case replacing the earlier value.
    const std::vector<StoredCaseSummary> cases = {
        Row("A", Day(2), 1000, true, 5.0), Row("A", Day(2, 9), 2000, true, 6.0), Row("B", Day(3), 787.4, true, 7.0),
        Row("B", Day(3, 9), std::nullopt, false, 8.0), Row("A", Day(4), 1000, true, 9.0)};
    const TrendView view = Build(cases, {787.4, 1000, 2000});
    const TrendChart& chart = view.chart;
    ASSERT_EQ(chart.series.size(), 4u);
    EXPECT_EQ(chart.series[0].legend, "787 mm/min");
    EXPECT_EQ(chart.series[1].legend, "1000 mm/min");
    EXPECT_EQ(chart.series[3].legend, "Static");
    ASSERT_EQ(chart.pointCount(), 2);
    EXPECT_EQ(chart.pointLabels[0], QLocale::c().toString(QDate(2026, 3, 2), QLocale::ShortFormat));
    // Point A: 1000 and 2000 filled, the others marked empty.
    EXPECT_FALSE(chart.series[0].cells[0].filled);
    EXPECT_TRUE(chart.series[1].cells[0].filled);
    EXPECT_DOUBLE_EQ(chart.series[1].cells[0].value, 9.0);
    EXPECT_DOUBLE_EQ(chart.series[2].cells[0].value, 6.0);
    EXPECT_FALSE(chart.series[3].cells[0].filled);
    // Point B: the fractional feedrate has its own series, never the static one.
    EXPECT_DOUBLE_EQ(chart.series[0].cells[1].value, 7.0);
    EXPECT_DOUBLE_EQ(chart.series[3].cells[1].value, 8.0);
    // The table lists the cases session by session, each session in date order.
    ASSERT_EQ(view.table.rows.size(), 5u);
    const QStringList sessions = {view.table.rows[0][0], view.table.rows[1][0], view.table.rows[2][0],
                                  view.table.rows[3][0], view.table.rows[4][0]};
    EXPECT_EQ(sessions, QStringList({"A", "A", "A", "B", "B"}));
    EXPECT_EQ(view.table.rows[2][4], "9.0");
    EXPECT_EQ(view.table.rows[4], QStringList({"B", view.table.rows[4][1], "Static", "", "8.0"}));
    EXPECT_EQ(chart.title, "xy");

    // Halves go to the even whole number.
    EXPECT_EQ(WholeFeedrate(2.5), 2);
    EXPECT_EQ(WholeFeedrate(3.5), 4);
    EXPECT_EQ(WholeFeedrate(-2.5), -2);
}

TEST(TrendBuilder, OneSessionShowsTwoPointsAndFewerThanTwoCasesNothing)
{
    const TrendView one = Build({Row("A", Day(2), 1000, true, 5.0), Row("A", Day(5), 1000, true, 6.0)}, {1000});
    ASSERT_EQ(one.chart.pointCount(), 2);
    ASSERT_EQ(one.chart.series.size(), 1u) << "no static case, no static series";
    EXPECT_TRUE(one.chart.series[0].cells[0].filled);
    EXPECT_FALSE(one.chart.series[0].cells[1].filled);
    EXPECT_TRUE(one.chart.pointLabels[1].isEmpty());

    const TrendView single = Build({Row("A", Day(2), 1000, true, 5.0)}, {1000});
    EXPECT_TRUE(single.chart.empty());
    EXPECT_TRUE(single.table.rows.empty());
    EXPECT_EQ(single.table.headers.size(), 5);
    EXPECT_EQ(single.table.headers[4], "Circularity LSC");
}

TEST(TrendBuilder, AMissingValueDrawsZeroAndLeavesItsCellsEmpty)
{
    const TrendView view = Build({Row("A", Day(2), std::nullopt, false, std::nullopt), Row("B", Day(3), 1000, true, 2.0)},
                                 {1000}, TrendSpacing::Fixed, QStringLiteral("Mill 'North'"));
    ASSERT_EQ(view.chart.series.size(), 2u);
    const TrendCell& cell = view.chart.series[1].cells[0];
    EXPECT_TRUE(cell.filled);
    EXPECT_DOUBLE_EQ(cell.value, 0.0);
    EXPECT_EQ(view.table.rows[0][3], "");
    EXPECT_EQ(view.table.rows[0][4], "");
    EXPECT_EQ(view.chart.title, "Mill 'North' - xy");
    // The clipboard's statement quotes the name with its apostrophes doubled.
    const TrendRequest request{QStringLiteral("xy"), QStringLiteral("Mill 'North'"), QDate(2026, 1, 1), QDate(2026, 1, 31)};
    EXPECT_EQ(TrendStatementText(request),
              "SELECT * FROM Measure WHERE Calced <> 0 AND Date >= '2026-01-01 00:00:00' AND Date < '2026-02-01 00:00:00'"
              " AND Plane = 'xy' AND Machine = 'Mill ''North''' ORDER BY Date");
}

TEST(TrendBuilder, DaysAreCountedOnTheWallClockAcrossADaylightSavingChange)
{
    // Berlin moves its clocks on 29 March 2026: noon to noon three days later is 71 hours.
    const QTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(berlin.isValid());
    const QDateTime before(QDate(2026, 3, 27), QTime(12, 0), berlin);
    EXPECT_EQ(WholeDaysBetween(before, QDateTime(QDate(2026, 3, 30), QTime(12, 0), berlin)), 3);
    EXPECT_EQ(WholeDaysBetween(before, QDateTime(QDate(2026, 3, 31), QTime(8, 0), berlin)), 3);
    EXPECT_EQ(WholeDaysBetween(before, QDateTime(QDate(2026, 3, 27), QTime(11, 0), berlin)), -1);

    // With variable spacing a case 3 days and 20 hours after the earliest stands at day 3.
    const TrendView view = Build({Row("A", Day(2, 8), 1000, true, 1.0), Row("B", Day(6, 4), 1000, true, 2.0)}, {1000},
                                 TrendSpacing::Variable);
    EXPECT_DOUBLE_EQ(view.chart.series[0].cells[1].days, 3.0);
    EXPECT_TRUE(view.chart.pointLabels[0].isEmpty());
    EXPECT_EQ(view.chart.title, "xy  01/01/2026 - 31/12/2026");
}

TEST(TrendBuilder, TheAxisLetterFollowsThePlane)
{
    EXPECT_EQ(CaptionForPlane("Lateral play y", TrendAxis::Vertical, "xz"), "Lateral play z");
    EXPECT_EQ(CaptionForPlane("Axis spike x", TrendAxis::Horizontal, "xz"), "Axis spike x");
    EXPECT_EQ(CaptionForPlane("Lateral play x", TrendAxis::Horizontal, "yz"), "Lateral play y");
    EXPECT_EQ(CaptionForPlane("Circularity LSC", TrendAxis::None, "yz"), "Circularity LSC");
    // A translation that puts the letter first keeps working.
    EXPECT_EQ(WithAxisLetter("x Spiel", u'z'), "z Spiel");
}

} // namespace
} // namespace sarvo::test
