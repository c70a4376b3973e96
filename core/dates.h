#pragma once
// Dates of the open case and of file headers. Times are naive local times, held as QDateTime in
// UTC so that no daylight-saving gap can shift or invalidate a test time.

#include <QDateTime>
#include <QString>

#include <optional>

namespace sarvo {

// The one text form of HdrDate and of "General Date": "yyyy-MM-dd HH:mm:ss" (the time part is
// left out at midnight, as the general form does).
QString GeneralDateText(const QDateTime& when);
// "Short Date": "yyyy-MM-dd".
QString ShortDateText(const QDateTime& when);

// Reads the date (and time) forms that file headers and the settings hold: numbers separated by
// "-", "/" or "." (yyyy-MM-dd and yyyy/MM/dd, dd.MM.yyyy, dd-MM-yyyy, M/d/yyyy), or an English
// month name, short or long, with the day and year around it ("Jan 05 2000", "05 Jan 2000",
// "January 5, 2000", "5-Jan-2000"); a time "H:mm[:ss]" with an optional AM/PM stands after the
// date (or after a "T") or before it. Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
std::optional<QDateTime> ParseDateText(const QString& text);

// ParseDateText; a year below 1980 gets the same month and day 100 years later. An unreadable
// text raises error 13 (type mismatch).
QDateTime DateFix1980(const QString& text);

// A measurement file's date: DateFix1980 of its text. An empty text gives now; a text that cannot
// be read gives now too, with a note for the user naming the file.
struct FileDate {
    QDateTime when;
    QString note; // empty when the date was read
};
FileDate ReadFileDate(const QString& text, const QDateTime& now, const QString& fileName);

// Stamp "dd?MM?yyyy???HH?mm?ss": fixed character positions; out-of-range parts roll over as date
// arithmetic does; any failure gives the current date and time.
QDateTime ParseFixedDateTime(const QString& stamp);

// "yyyymmdd-hhmmss" by character positions (blanks around it ignored), as the XML measurement
// files hold their dates; two-digit years as above. Parts out of range carry into the next larger
// one; nullopt when the date part cannot be read, the midnight when only the time part cannot.
std::optional<QDateTime> ParseStampDateTime(const QString& stamp);

// True when the text reads as a time of day (h:mm, h:mm:ss, optionally AM/PM).
bool IsTimeText(const QString& text);

// "M/d/yyyy h:m:s" without leading zeros, for date literals of database queries;
// an invalid date gives "01/01/1900".
QString DateToSqlText(const QDateTime& when);

// Now, as a naive local time.
QDateTime NaiveNow();

} // namespace sarvo
