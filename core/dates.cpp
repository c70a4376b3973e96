#include "core/dates.h"

#include "core/app_error.h"
#include "core/language_db.h"

#include <QRegularExpression>

#include <array>

namespace sarvo {

namespace {

QDateTime naive(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

// 00-29 are this century, 30-99 the last, as the old two-digit year window had it.
int fullYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// An English month name, whole or shortened to at least three letters ("Jan", "Sept", "January"),
// with an optional full stop; 0 for anything else.
int monthOfName(QString name)
{
    static constexpr std::array<const char*, 12> kMonths = {"january", "february", "march",     "april",
                                                            "may",     "june",     "july",      "august",
                                                            "september", "october", "november", "december"};
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name.size() < 3)
        return 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (QLatin1String(kMonths[i]).startsWith(name, Qt::CaseInsensitive))
            return int(i) + 1;
    }
    return 0;
}

bool isDigits(const QString& text, qsizetype minLength, qsizetype maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// A year of two or four digits; 0 for anything else.
int yearOf(const QString& text)
{
    if (!isDigits(text, 2, 2) && !isDigits(text, 4, 4))
        return 0;
    return fullYear(text.toInt(), text.size());
}

// The date part alone: numbers with "-", "/" or "." (year first when it has four digits; else
// "/" is month/day/year and "." or "-" day.month.year), or a month name with the day and year
// around it in any of the usual orders.
QDate parseDatePart(const QString& text)
{
    static const QRegularExpression numeric(QStringLiteral(R"(^([0-9]+)([-/.])([0-9]{1,2})\2([0-9]+)$)"));
    if (const auto m = numeric.match(text); m.hasMatch()) {
        const QString first = m.captured(1), last = m.captured(4);
        const QChar separator = m.captured(2).front();
        const int middle = m.captured(3).toInt();
        if (isDigits(first, 4, 4))
            return isDigits(last, 1, 2) ? QDate(first.toInt(), middle, last.toInt()) : QDate();
        if (!isDigits(first, 1, 2) || yearOf(last) == 0)
            return {};
        // "05-03-07" could be year-month-day as well: with dashes only a four-digit year is a date.
        if (separator == u'-' && last.size() != 4)
            return {};
        if (separator == u'/')
            return QDate(yearOf(last), first.toInt(), middle);
        return QDate(yearOf(last), middle, first.toInt());
    }

    static const QRegularExpression separators(QStringLiteral(R"([\s,/-]+)"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return {};
    int monthAt = -1;
    for (int i = 0; i < 3; ++i) {
        if (monthOfName(parts[i]) != 0) {
            if (monthAt >= 0)
                return {};
            monthAt = i;
        }
    }
    QString day, year;
    if (monthAt == 0) { // Jan 05 2000, January 5, 2000
        day = parts[1];
        year = parts[2];
    } else if (monthAt == 1 && isDigits(parts[0], 4, 4)) { // 2000 Jan 05
        year = parts[0];
        day = parts[2];
    } else if (monthAt == 1) { // 05 Jan 2000, 5-Jan-00
        day = parts[0];
        year = parts[2];
    } else {
        return {};
    }
    if (!isDigits(day, 1, 2) || yearOf(year) == 0)
        return {};
    return QDate(yearOf(year), monthOfName(parts[monthAt]), day.toInt());
}

bool isHalfDay(const QString& token)
{
    return token.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0
           || token.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0;
}

// "H:mm[:ss]" with an optional AM/PM; nullopt when the text is no time of day.
std::optional<QTime> parseTime(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?(?:\s*([AaPp][Mm]))?$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.capturedLength(3) > 0 ? match.captured(3).toInt() : 0;
    const QString half = match.captured(4).toUpper();
    if (!half.isEmpty()) {
        if (hour > 12)
            return std::nullopt;
        if (half == QLatin1String("AM") && hour == 12)
            hour = 0;
        else if (half == QLatin1String("PM") && hour < 12)
            hour += 12;
    }
    if (!QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QTime(hour, minute, second);
}

} // namespace

QString GeneralDateText(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return ShortDateText(when);
    return when.date().toString(QStringLiteral("yyyy-MM-dd")) + u' ' + t.toString(QStringLiteral("HH:mm:ss"));
}

QString ShortDateText(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    return when.date().toString(QStringLiteral("yyyy-MM-dd"));
}

std::optional<QDateTime> ParseDateText(const QString& text)
{
    QString trimmed = text.trimmed();
    // ISO with "T" between date and time.
    static const QRegularExpression isoT(QStringLiteral(R"(^([0-9]{4}-[0-9]{1,2}-[0-9]{1,2})T(\S.*)$)"));
    if (const auto m = isoT.match(trimmed); m.hasMatch())
        trimmed = m.captured(1) + u' ' + m.captured(2);

    // The time is the first word with a ":", with the AM/PM word after it if there is one; it
    // stands before the date ("2:05 PM Jan 05 2000") or after it.
    static const QRegularExpression blanks(QStringLiteral(R"(\s+)"));
    QStringList words = trimmed.split(blanks, Qt::SkipEmptyParts);
    qsizetype timeAt = -1;
    for (qsizetype i = 0; i < words.size() && timeAt < 0; ++i) {
        if (words[i].contains(u':'))
            timeAt = i;
    }
    QString timeText;
    if (timeAt >= 0) {
        qsizetype timeEnd = timeAt + 1;
        if (timeEnd < words.size() && isHalfDay(words[timeEnd]))
            ++timeEnd;
        // Before the date or at the end; never in its middle.
        if (timeAt != 0 && timeEnd != words.size())
            return std::nullopt;
        timeText = words.mid(timeAt, timeEnd - timeAt).join(u' ');
        words.remove(timeAt, timeEnd - timeAt);
    }

    const QDate date = parseDatePart(words.join(u' '));
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (!timeText.isEmpty()) {
        const auto parsed = parseTime(timeText);
        if (!parsed)
            return std::nullopt;
        time = *parsed;
    }
    return naive(date, time);
}

FileDate ReadFileDate(const QString& text, const QDateTime& now, const QString& fileName)
{
    if (text.trimmed().isEmpty())
        return {now, {}};
    try {
        return {DateFix1980(text), {}};
    } catch (const AppError&) {
        return {now, Translate("The date \"%1\" in %2 cannot be read; the measurement takes the current date and time.")
                         .arg(text.trimmed(), fileName)};
    }
}

QDateTime DateFix1980(const QString& text)
{
    const auto parsed = ParseDateText(text);
    if (!parsed)
        throw AppError::typeMismatch();
    const QDate date = parsed->date();
    if (date.year() >= 1980)
        return *parsed;
    // Files written with a two-digit year outside the window; only 29 February can be missing
    // a century later.
    QDate later(date.year() + 100, date.month(), date.day());
    if (!later.isValid())
        later = date.addYears(100);
    return naive(later, parsed->time());
}

QDateTime ParseFixedDateTime(const QString& stamp)
{
    constexpr qsizetype kStampLength = 21;
    if (stamp.size() < kStampLength)
        return NaiveNow();
    bool ok = true;
    auto field = [&](qsizetype start, qsizetype length) {
        const QString part = stamp.mid(start, length).trimmed();
        if (part.isEmpty()) {
            ok = false;
            return 0;
        }
        for (QChar c : part) {
            if (c < u'0' || c > u'9') {
                ok = false;
                return 0;
            }
        }
        return part.toInt();
    };
    const int day = field(0, 2);
    const int month = field(3, 2);
    const qsizetype yearDigits = stamp.mid(6, 4).trimmed().size();
    const int year = fullYear(field(6, 4), yearDigits);
    const int hour = field(13, 2);
    const int minute = field(16, 2);
    const int second = field(19, 2);
    if (!ok)
        return NaiveNow();

    // Parts out of range carry into the next larger one (month 13 is January of the next year).
    const QDate date = QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
    if (!date.isValid())
        return NaiveNow();
    return naive(date, QTime(0, 0)).addSecs(qint64(hour) * 3600 + qint64(minute) * 60 + second);
}

bool IsTimeText(const QString& text)
{
    return parseTime(text.trimmed()).has_value();
}

QString DateToSqlText(const QDateTime& when)
{
    if (!when.isValid())
        return QStringLiteral("01/01/1900");
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(d.month())
        .arg(d.day())
        .arg(d.year())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QDateTime NaiveNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    // Whole seconds, as every text form of a date holds them.
    const QTime t = now.time();
    return naive(now.date(), QTime(t.hour(), t.minute(), t.second()));
}

std::optional<QDateTime> ParseStampDateTime(const QString& stamp)
{
    const QString text = stamp.trimmed();
    const auto part = [&text](qsizetype start, qsizetype length) -> std::optional<int> {
        bool ok = false;
        const int value = text.mid(start, length).trimmed().toInt(&ok);
        return ok ? std::optional<int>(value) : std::nullopt;
    };
    const auto year = part(0, 4);
    const auto month = part(4, 2);
    const auto day = part(6, 2);
    if (!year || !month || !day)
        return std::nullopt;
    int y = *year;
    if (y >= 0 && y < 30)
        y += 2000;
    else if (y >= 30 && y < 100)
        y += 1900;
    if (y < 100 || y > 9999)
        return std::nullopt;
    const QDate date = QDate(y, 1, 1).addMonths(*month - 1).addDays(*day - 1);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    const QDateTime midnight(date, QTime(0, 0), Qt::UTC);
    const auto hour = part(9, 2);
    const auto minute = part(11, 2);
    const auto second = part(13, 2);
    if (!hour || !minute || !second)
        return midnight;
    const QDateTime when = midnight.addSecs(qint64(*hour) * 3600 + qint64(*minute) * 60 + *second);
    return when.isValid() ? when : midnight;
}

} // namespace sarvo
