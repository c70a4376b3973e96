#include "core/dates.h"

#include "core/app_error.h"

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

int monthOfAbbreviation(const QString& name)
{
    static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                            "jul", "aug", "sep", "oct", "nov", "dec"};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (name.compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0)
            return int(i) + 1;
    }
    return 0;
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
    // Each form: the date at the start, then nothing or a separator and a time.
    static const QRegularExpression iso(QStringLiteral(R"(^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})(?:(?:\s+|T)(.+))?$)"));
    static const QRegularExpression dotted(QStringLiteral(R"(^([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{4}|[0-9]{2})(?:\s+(.+))?$)"));
    static const QRegularExpression slashed(QStringLiteral(R"(^([0-9]{1,2})/([0-9]{1,2})/([0-9]{4}|[0-9]{2})(?:\s+(.+))?$)"));
    static const QRegularExpression named(
        QStringLiteral(R"(^([0-9]{1,2})-([A-Za-z]{3})-([0-9]{4}|[0-9]{2})(?:\s+(.+))?$)"));

    const QString trimmed = text.trimmed();
    int year = 0;
    int month = 0;
    int day = 0;
    QString timeText;
    QRegularExpressionMatch m;
    if ((m = iso.match(trimmed)).hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
    } else if ((m = dotted.match(trimmed)).hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = fullYear(m.captured(3).toInt(), m.capturedLength(3));
    } else if ((m = slashed.match(trimmed)).hasMatch()) {
        month = m.captured(1).toInt();
        day = m.captured(2).toInt();
        year = fullYear(m.captured(3).toInt(), m.capturedLength(3));
    } else if ((m = named.match(trimmed)).hasMatch()) {
        day = m.captured(1).toInt();
        month = monthOfAbbreviation(m.captured(2));
        year = fullYear(m.captured(3).toInt(), m.capturedLength(3));
    } else {
        return std::nullopt;
    }
    timeText = m.captured(4);

    const QDate date(year, month, day);
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
