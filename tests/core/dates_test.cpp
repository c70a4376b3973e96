#include "core/dates.h"

#include "core/app_error.h"

#include <gtest/gtest.h>

namespace sarvo {
namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// A result that must be "now": between two readings of the clock taken around the call.
template <class Fn>
void expectNow(Fn&& call, const QString& input)
{
    const QDateTime before = NaiveNow();
    const QDateTime result = call();
    const QDateTime after = NaiveNow();
    EXPECT_GE(result, before) << input.toStdString();
    EXPECT_LE(result, after) << input.toStdString();
}

TEST(DatesText, GeneralAndShortForms)
{
    EXPECT_EQ(GeneralDateText(at(2005, 3, 7, 14, 25, 30)), "2005-03-07 14:25:30");
    EXPECT_EQ(GeneralDateText(at(2005, 3, 7, 0, 0, 1)), "2005-03-07 00:00:01");
    EXPECT_EQ(GeneralDateText(at(2005, 3, 7)), "2005-03-07");
    EXPECT_EQ(ShortDateText(at(1999, 12, 31, 23, 59, 59)), "1999-12-31");
    EXPECT_EQ(GeneralDateText(QDateTime()), "");
    // The fields are naive: a local-time value is written as it reads, not shifted.
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2010, 6, 1), QTime(8, 0), Qt::LocalTime)), "2010-06-01 08:00:00");
}

TEST(DatesText, GeneralFormReadsBack)
{
    for (const QDateTime& when : {at(1980, 1, 1), at(2005, 3, 7, 14, 25, 30), at(2024, 2, 29, 23, 59, 59),
                                  at(2099, 12, 31, 0, 0, 1), at(2031, 3, 30, 2, 30)}) {
        EXPECT_EQ(DateFix1980(GeneralDateText(when)), when) << GeneralDateText(when).toStdString();
        EXPECT_EQ(ParseDateText(ShortDateText(when)), QDateTime(when.date(), QTime(0, 0), Qt::UTC));
    }
}

TEST(DatesParse, FormsOfFileHeaders)
{
    const QDateTime expected = at(2005, 3, 7, 14, 25, 30);
    for (const char* text : {"2005-03-07 14:25:30", "2005-03-07T14:25:30", "  2005-3-7 14:25:30  ", "07.03.2005 14:25:30",
                             "7.3.05   14:25:30", "3/7/2005 2:25:30 PM", "3/7/2005 14:25:30", "03/07/05 2:25:30pm",
                             "7-Mar-2005 14:25:30", "07-MAR-05 14:25:30", "7-mar-2005 02:25:30 pm"})
        EXPECT_EQ(ParseDateText(text), expected) << text;

    EXPECT_EQ(ParseDateText("2005-03-07 14:25"), at(2005, 3, 7, 14, 25));
    EXPECT_EQ(ParseDateText("07.03.2005"), at(2005, 3, 7));
    EXPECT_EQ(ParseDateText("12/31/1999 12:00 AM"), at(1999, 12, 31, 0, 0));
    EXPECT_EQ(ParseDateText("12/31/1999 12:00 PM"), at(1999, 12, 31, 12, 0));
    EXPECT_EQ(ParseDateText("1.1.29"), at(2029, 1, 1));
    EXPECT_EQ(ParseDateText("1.1.30"), at(1930, 1, 1));
    EXPECT_EQ(ParseDateText("29.02.2024"), at(2024, 2, 29));
}

TEST(DatesParse, MonthNamesInEitherOrderYearFirstAndTwelveHourTimes)
{
    const QDateTime day = at(2000, 1, 5);
    for (const char* text : {"Jan 05 2000", "05 Jan 2000", "January 5, 2000", "2000/01/05", "5 Jan 2000",
                             "jan. 5 2000", "5-January-2000", "2000 Jan 05", "2000.01.05", "2000-1-5", "05-01-2000",
                             "05.01.2000", "1/5/2000", "Jan 5, 00"})
        EXPECT_EQ(ParseDateText(text), day) << text;
    EXPECT_EQ(ParseDateText("Sept 9 2000"), at(2000, 9, 9));
    EXPECT_EQ(ParseDateText("2:05 PM Jan 05 2000"), at(2000, 1, 5, 14, 5));
    EXPECT_EQ(ParseDateText("14:05 Jan 05 2000"), at(2000, 1, 5, 14, 5));
    EXPECT_EQ(ParseDateText("12:30:15 am 5 January 2000"), at(2000, 1, 5, 0, 30, 15));
    EXPECT_EQ(ParseDateText("January 5, 2000 2:05:09 PM"), at(2000, 1, 5, 14, 5, 9));
    EXPECT_EQ(ParseDateText("2000/01/05 23:59"), at(2000, 1, 5, 23, 59));

    for (const char* text : {"Jan 2000", "Jan Feb 2000", "5 2000 Jan", "Ja 5 2000", "Jan 32 2000", "Jan 05 2000 x",
                             "Jan 14:05 05 2000", "2000/13/05", "2000/01/5/1", "2:05 PM", "5 Jan 200"})
        EXPECT_FALSE(ParseDateText(text).has_value()) << text;
}

TEST(DatesFileDate, AnUnreadableDateIsNowWithANoteNamingTheFile)
{
    const QDateTime now = at(2024, 6, 1, 12);
    const FileDate read = ReadFileDate("05 Jan 1975", now, "/m/run.rtb");
    EXPECT_EQ(read.when, at(2075, 1, 5));
    EXPECT_TRUE(read.note.isEmpty());
    const FileDate empty = ReadFileDate("  ", now, "/m/run.rtb");
    EXPECT_EQ(empty.when, now);
    EXPECT_TRUE(empty.note.isEmpty());
    const FileDate unread = ReadFileDate("Mittwoch", now, "/m/run.rtb");
    EXPECT_EQ(unread.when, now);
    EXPECT_TRUE(unread.note.contains("\"Mittwoch\"")) << unread.note.toStdString();
    EXPECT_TRUE(unread.note.contains("/m/run.rtb"));
}

TEST(DatesParse, RejectsWhatIsNoDate)
{
    for (const char* text : {"", "abc", "31.02.2005", "29.02.2023", "13/1/2005", "7-Mrz-2005", "2005-13-01",
                             "07.03.2005 25:00", "07.03.2005 14:60", "07.03.2005 13:00 PM", "07.03.2005 x",
                             "14:25", "7.3.205", "2005-03-07T", "05-03-07"})
        EXPECT_FALSE(ParseDateText(text).has_value()) << text;
}

TEST(DatesFix1980, MovesOldYearsOneCentury)
{
    EXPECT_EQ(DateFix1980("1935-06-15 10:00:00"), at(2035, 6, 15, 10));
    EXPECT_EQ(DateFix1980("15.06.1935"), at(2035, 6, 15));
    EXPECT_EQ(DateFix1980("1980-01-01"), at(1980, 1, 1));
    EXPECT_EQ(DateFix1980("1979-12-31 23:59:59"), at(2079, 12, 31, 23, 59, 59));
    EXPECT_EQ(DateFix1980("29.02.1936"), at(2036, 2, 29));
    EXPECT_EQ(DateFix1980("1.1.45"), at(2045, 1, 1));
    try {
        DateFix1980("not a date");
        ADD_FAILURE() << "no error raised";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), AppError::kTypeMismatch);
    }
}

TEST(DatesFixedStamp, ReadsFieldsByPosition)
{
    EXPECT_EQ(ParseFixedDateTime("07.03.2005   14:25:30"), at(2005, 3, 7, 14, 25, 30));
    EXPECT_EQ(ParseFixedDateTime("07.03.2005   14:25:30 trailing"), at(2005, 3, 7, 14, 25, 30));
    EXPECT_EQ(ParseFixedDateTime("07/03/2005 - 14h25m30"), at(2005, 3, 7, 14, 25, 30));
    EXPECT_EQ(ParseFixedDateTime(" 7. 3.2005    9: 5: 0"), at(2005, 3, 7, 9, 5, 0));
    // Parts out of range carry over.
    EXPECT_EQ(ParseFixedDateTime("15.13.2005   00:00:00"), at(2006, 1, 15));
    EXPECT_EQ(ParseFixedDateTime("32.01.2005   00:00:00"), at(2005, 2, 1));
    EXPECT_EQ(ParseFixedDateTime("31.12.2005   24:00:00"), at(2006, 1, 1));
    EXPECT_EQ(ParseFixedDateTime("28.02.2005   23:59:60"), at(2005, 3, 1));
    EXPECT_EQ(ParseFixedDateTime("00.03.2024   00:99:00"), at(2024, 2, 29, 1, 39));

    for (const char* bad : {"", "07.03.2005   14:25:3", "O7.03.2005   14:25:30", "07.03.2005   14:2x:30",
                            "07.03.    5   14:25:30", "07.03.2005         30"})
        expectNow([&] { return ParseFixedDateTime(bad); }, bad);
}

TEST(DatesTime, RecognisesTimesOfDay)
{
    for (const char* good : {"14:25", "2:05:09 PM", "14:25:30", "0:00", "23:59:59", "12:00 am", " 9:30 "})
        EXPECT_TRUE(IsTimeText(good)) << good;
    for (const char* bad : {"25:00", "abc", "", "14", "14:60", "13:00 PM", "14:25:30:00", "2005-03-07", "-1:00"})
        EXPECT_FALSE(IsTimeText(bad)) << bad;
}

TEST(DatesSql, PlainNumbersMonthFirst)
{
    EXPECT_EQ(DateToSqlText(at(2005, 3, 7, 9, 5, 0)), "3/7/2005 9:5:0");
    EXPECT_EQ(DateToSqlText(at(1999, 12, 31, 23, 59, 59)), "12/31/1999 23:59:59");
    EXPECT_EQ(DateToSqlText(QDateTime()), "01/01/1900");
    EXPECT_EQ(DateToSqlText(QDateTime(QDate(2005, 2, 30), QTime(0, 0), Qt::UTC)), "01/01/1900");
    // The text is one of the forms the parser reads.
    EXPECT_EQ(ParseDateText(DateToSqlText(at(2011, 11, 2, 16, 7, 8))), at(2011, 11, 2, 16, 7, 8));
}

TEST(DatesNow, NaiveLocalWholeSeconds)
{
    auto naive = [](const QDateTime& local) { return QDateTime(local.date(), local.time(), Qt::UTC); };
    const QDateTime before = naive(QDateTime::currentDateTime());
    const QDateTime now = NaiveNow();
    const QDateTime after = naive(QDateTime::currentDateTime());
    EXPECT_EQ(now.timeSpec(), Qt::UTC);
    EXPECT_EQ(now.time().msec(), 0);
    // Whole seconds: the second it was taken in, however long the machine took between the calls.
    EXPECT_GE(now, before.addMSecs(-before.time().msec()));
    EXPECT_LE(now, after);
}

} // namespace
} // namespace sarvo
