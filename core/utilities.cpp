#include "core/utilities.h"


#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <string>
#include <thread>

namespace sarvo {

namespace {

bool isSkippedBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Locale-free conversion of a text made only of digits and at most one "."; overflow gives 0.
double parsePlainDecimal(const std::string& digits)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

struct Leading {
    double magnitude = 0.0;
    bool negative = false; // a "-" sign was read, even when the digits give zero
};

// The old plain conversion: blanks, tabs and line feeds are skipped anywhere inside the number.
Leading readLeading(QStringView text)
{
    Leading result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isSkippedBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        result.negative = text[i] == u'-';
        ++i;
    }
    std::string digits;
    bool point = false;
    bool anyDigit = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isSkippedBlank(c))
            continue;
        if (isAsciiDigit(c)) {
            digits += char(c.unicode());
            anyDigit = true;
        } else if (c == u'.' && !point) {
            digits += '.';
            point = true;
        } else {
            break;
        }
    }
    if (anyDigit)
        result.magnitude = parsePlainDecimal(digits);
    return result;
}

} // namespace

double LeadingNumber(const QString& text)
{
    const Leading lead = readLeading(text);
    if (lead.magnitude == 0.0)
        return 0.0;
    return lead.negative ? -lead.magnitude : lead.magnitude;
}

double StrToDbl(const QString& text)
{
    if (text.isEmpty())
        return 0.0;

    // The sign may stand before or after the number ("3,5-" from old gauge printouts); a leading
    // "-0,5" is negative too, which is why the sign flag and not the value's sign is used.
    const QStringView trimmed = QStringView(text).trimmed();
    const bool negative = (!trimmed.isEmpty() && (trimmed.front() == u'-' || trimmed.back() == u'-'))
                          || readLeading(text).negative;

    qsizetype p = text.indexOf(u'.');
    if (p < 0)
        p = text.indexOf(u',');

    double magnitude = 0.0;
    if (p >= 0) {
        const double integerPart = readLeading(QStringView(text).left(p)).magnitude;
        std::string fraction = "0.";
        for (qsizetype i = p + 1; i < text.size() && isAsciiDigit(text[i]); ++i)
            fraction += char(text[i].unicode());
        magnitude = integerPart + (fraction.size() > 2 ? parsePlainDecimal(fraction) : 0.0);
    } else {
        magnitude = readLeading(text).magnitude;
    }

    const qsizetype e = text.indexOf(u'E');
    if (e >= 0) {
        const double exponent = LeadingNumber(text.mid(e + 1));
        // Dividing keeps "1E-05" and "1,5E-3" exactly at the nearest double.
        if (exponent < 0)
            magnitude /= std::pow(10.0, -exponent);
        else
            magnitude *= std::pow(10.0, exponent);
    }

    if (!std::isfinite(magnitude) || magnitude == 0.0)
        return 0.0;
    return negative ? -magnitude : magnitude;
}

int32_t HexToLong(const QString& text)
{
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(u"&h", Qt::CaseInsensitive))
        digits = digits.mid(2);
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    uint32_t value = 0;
    for (QChar c : digits) {
        int digit = -1;
        if (isAsciiDigit(c))
            digit = c.unicode() - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        if (digit < 0)
            return 0;
        value = (value << 4) | uint32_t(digit);
    }
    // Short literals are 16-bit values, as the old hexadecimal constants were.
    if (digits.size() <= 4)
        return int16_t(uint16_t(value));
    return int32_t(value);
}

QString HexText16(int16_t value)
{
    return QString::number(uint16_t(value), 16).toUpper();
}

QString HexText32(int32_t value)
{
    return QString::number(uint32_t(value), 16).toUpper();
}

namespace {
qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
}
} // namespace

QString PathOfFile(const QString& path)
{
    const qsizetype i = lastSeparator(path);
    return i < 0 ? QString() : path.left(i + 1);
}

QString FileNameOfPath(const QString& path)
{
    const qsizetype i = lastSeparator(path);
    return i < 0 ? path : path.mid(i + 1);
}

std::optional<QString> PrinterFontFamily(const QStringList& families)
{
    for (const char* wanted : {"Arial", "Liberation Sans"}) {
        for (const QString& family : families) {
            if (family.contains(QLatin1String(wanted), Qt::CaseSensitive))
                return family;
        }
    }
    return std::nullopt;
}

QString HeaderValue(const QString& key, const QString& defaultValue, const QStringList& lines)
{
    constexpr qsizetype kLastHeaderLine = 24;
    for (qsizetype i = 1; i <= kLastHeaderLine && i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (!line.contains(key))
            continue;
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            return defaultValue;
        qsizetype start = colon + 1;
        if (start < line.size() && line[start] == u' ')
            ++start;
        return line.mid(start);
    }
    return defaultValue;
}

QString NumToText5(double value)
{
    const double scaled = std::round(value * 100000.0); // halves away from zero
    if (!std::isfinite(scaled) || std::abs(scaled) >= 9.0e15)
        return QString::number(value, 'f', 5);
    const auto units = static_cast<long long>(std::abs(scaled));
    return QString::fromLatin1(scaled < 0 ? "-" : "") + QString::number(units / 100000) + u'.'
           + QString::number(units % 100000).rightJustified(5, u'0');
}

void PauseSeconds(double seconds)
{
    if (!(seconds > 0.0))
        return;
    const double ms = std::min(std::round(seconds * 1000.0), double(INT_MAX));
    if (ms < 1.0)
        return;
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long long>(ms)));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

QString SearchDirectory(const QString& folder, const QString& fileName, const std::function<bool()>& aborted)
{
    if (folder.isEmpty() || fileName.isEmpty())
        return {};
    const std::function<bool()> isAborted = aborted ? aborted : [] { return false; };
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';

    // Hidden and special entries (sockets, devices, broken links) are left out, as the old
    // listing left out hidden and system files.
    const QFileInfoList entries =
        QDir(base).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    QStringList subfolders;
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            if (!entry.isSymLink()) // a link back up the tree would never end
                subfolders.append(entry.fileName());
        } else if (entry.fileName().contains(fileName, Qt::CaseInsensitive)) {
            return base + entry.fileName();
        }
    }
    for (const QString& name : subfolders) {
        QCoreApplication::processEvents();
        if (isAborted())
            return {};
        QString found = SearchDirectory(base + name + u'/', fileName, isAborted);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString FindFileOnDrives(const QString& fileName, const QString& programFolder, const std::function<bool()>& aborted)
{
    const QString home = QDir::homePath();
    QStringList places{programFolder};
    if (QDir(home) != QDir(programFolder))
        places.append(home);
    for (const QString& place : places) {
        if (aborted && aborted())
            break;
        QString found = SearchDirectory(place, fileName, aborted);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace sarvo
