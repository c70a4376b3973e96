#include "core/utilities.h"


#include <QDir>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

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

bool isExponentLetter(QChar c)
{
    return c == u'E' || c == u'e' || c == u'D' || c == u'd';
}

// Whether an out-of-range number text of PlainDecimalValue's form lies beyond the largest double
// (and not below the smallest): the decimal order of its first significant digit decides.
bool beyondLargest(std::string_view digits)
{
    const std::size_t e = digits.find('e');
    const std::string_view mantissa = digits.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        bool negative = false;
        for (char c : digits.substr(e + 1)) {
            if (c == '-')
                negative = true;
            else if (c >= '0' && c <= '9')
                exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL);
        }
        if (negative)
            exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return false; // zero is never too large
    const long long order = first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
    return order + exponent > 0;
}

// The exponent after an "E" or "D" at from - 1: blanks skipped, an optional sign, digits. Appends
// it to digits and returns true when there is one; without a digit nothing belongs to the number.
bool readExponent(QStringView text, qsizetype from, std::string& digits)
{
    std::string exponent = "e";
    bool anyDigit = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isSkippedBlank(c))
            continue;
        if ((c == u'-' || c == u'+') && exponent.size() == 1 && !anyDigit) {
            exponent += char(c.unicode());
        } else if (isAsciiDigit(c)) {
            exponent += char(c.unicode());
            anyDigit = true;
        } else {
            break;
        }
    }
    if (anyDigit)
        digits += exponent;
    return anyDigit;
}

struct Leading {
    double magnitude = 0.0;
    bool negative = false; // a "-" sign was read, even when the digits give zero
    bool exponent = false; // an exponent was read as part of the number
    bool beyondRange = false; // the number lies beyond the range of a double
};

enum class Exponent { NotRead, Read };

// The old plain conversion: blanks, tabs and line feeds are skipped anywhere inside the number.
// With Exponent::Read, "E" or "D" (in either case, as printf's "1e-06" writes it) followed by an
// optional sign and digits scales the number.
Leading readLeading(QStringView text, Exponent exponent = Exponent::NotRead)
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
            if (anyDigit && exponent == Exponent::Read && isExponentLetter(c))
                result.exponent = readExponent(text, i + 1, digits);
            break;
        }
    }
    if (anyDigit) {
        // The digits are always of the plain form here: no value means beyond the range.
        const auto value = PlainDecimalValue(digits);
        result.magnitude = value.value_or(0.0);
        result.beyondRange = !value;
    }
    return result;
}

// Scans a number at text[i]: an optional sign, digits with one decimal separator ("." or ","),
// an exponent, and a "-" after it when none stood before. Returns the ASCII text for
// PlainDecimalValue and moves i past the number; empty when there are no digits.
std::string scanNumber(QStringView text, qsizetype& i)
{
    const qsizetype n = text.size();
    std::string s;
    const bool signFirst = i < n && (text[i] == u'-' || text[i] == u'+');
    if (signFirst) {
        if (text[i] == u'-')
            s += '-';
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            s += char(c.unicode());
            digits = true;
        } else if (!point && (c == u'.' || c == u',')) {
            s += digits ? "." : "0.";
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return {};
    if (s.back() == '.')
        s += '0';
    // An exponent after E or D in either case, as printf and Fortran write it, counts only when
    // digits follow it.
    if (i < n && isExponentLetter(text[i])) {
        qsizetype j = i + 1;
        std::string e = "e";
        if (j < n && (text[j] == u'-' || text[j] == u'+')) {
            e += char(text[j].unicode());
            ++j;
        }
        const qsizetype expStart = j;
        while (j < n && isAsciiDigit(text[j]))
            e += char(text[j++].unicode());
        if (j > expStart) {
            s += e;
            i = j;
        }
    }
    // The sign after the number, as old gauge printouts write it.
    if (!signFirst && i < n && text[i] == u'-') {
        s.insert(s.begin(), '-');
        ++i;
    }
    return s;
}

// The whole text as a number for PlainDecimalValue: white space around it, nothing else; empty
// when the text is no number.
std::string wholeNumber(QStringView text)
{
    const QStringView field = text.trimmed();
    qsizetype i = 0;
    std::string s = scanNumber(field, i);
    if (i != field.size())
        s.clear();
    return s;
}

} // namespace

std::optional<double> PlainDecimalValue(std::string_view digits)
{
    double value = 0.0;
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(digits.data(), last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range && end == last)
        return beyondLargest(digits) ? std::nullopt : std::optional(0.0);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(QStringView text)
{
    const std::string s = wholeNumber(text);
    if (s.empty())
        return std::nullopt;
    return PlainDecimalValue(s);
}

bool IsNumberBeyondRange(QStringView text)
{
    const std::string s = wholeNumber(text);
    return !s.empty() && !PlainDecimalValue(s);
}

std::optional<double> LeadingNumberInRange(QStringView text)
{
    const Leading lead = readLeading(text, Exponent::Read);
    if (lead.beyondRange)
        return std::nullopt;
    if (lead.magnitude == 0.0)
        return 0.0;
    return lead.negative ? -lead.magnitude : lead.magnitude;
}

double LeadingNumber(const QString& text)
{
    return LeadingNumberInRange(text).value_or(0.0);
}

double StrToDbl(const QString& text)
{
    if (text.isEmpty())
        return 0.0;

    // The sign may stand before or after the number ("3,5-" from old gauge printouts); a leading
    // "-0,5" is negative too, which is why the sign flag and not the value's sign is used.
    const QStringView trimmed = QStringView(text).trimmed();
    const bool negative = (!trimmed.isEmpty() && (trimmed.front() == u'-' || trimmed.back() == u'-'))
                          || readLeading(text, Exponent::Read).negative;

    qsizetype p = text.indexOf(u'.');
    if (p < 0)
        p = text.indexOf(u',');

    double magnitude = 0.0;
    bool scaled = false; // the leading value's own exponent: the "E" factor must not apply twice
    qsizetype e = -1;
    if (p >= 0) {
        const Leading integerPart = readLeading(QStringView(text).left(p), Exponent::Read);
        std::string fraction = "0.";
        qsizetype i = p + 1;
        for (; i < text.size() && isAsciiDigit(text[i]); ++i)
            fraction += char(text[i].unicode());
        magnitude = integerPart.magnitude + (fraction.size() > 2 ? PlainDecimalValue(fraction).value_or(0.0) : 0.0);
        scaled = integerPart.exponent;
        // The exponent right after the fraction in any of its letters: "1.5e3" as printf and
        // Fortran write it is 1500, not 1.5.
        if (i < text.size() && isExponentLetter(text[i]))
            e = i;
    } else {
        const Leading whole = readLeading(text, Exponent::Read);
        magnitude = whole.magnitude;
        scaled = whole.exponent;
    }

    if (e < 0)
        e = text.indexOf(u'E'); // an upper-case "E" further on counts as it always did
    if (e >= 0 && !scaled) {
        // The exponent's own digits only: "1.5E3E2" is not scaled twice over.
        const Leading power = readLeading(QStringView(text).mid(e + 1));
        const double exponent = power.negative ? -power.magnitude : power.magnitude;
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

QString SearchDirectory(const QString& folder, const QString& fileName, const std::function<bool()>& aborted)
{
    if (fileName.isEmpty())
        return {};
    return SearchDirectory(
        folder, [&](const QFileInfo& entry) { return entry.fileName().contains(fileName, Qt::CaseInsensitive); },
        aborted);
}

QString SearchDirectory(const QString& folder, const std::function<bool(const QFileInfo&)>& accepted,
                        const std::function<bool()>& aborted)
{
    if (folder.isEmpty())
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
        } else if (accepted(entry)) {
            return base + entry.fileName();
        }
    }
    for (const QString& name : subfolders) {
        if (isAborted())
            return {};
        QString found = SearchDirectory(base + name + u'/', accepted, isAborted);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString FindFileOnDrives(const QString& fileName, const QString& programFolder, const std::function<bool()>& aborted)
{
    if (fileName.isEmpty())
        return {};
    return FindFileOnDrives(
        [&](const QFileInfo& entry) { return entry.fileName().contains(fileName, Qt::CaseInsensitive); },
        programFolder, aborted);
}

QString FindFileOnDrives(const std::function<bool(const QFileInfo&)>& accepted, const QString& programFolder,
                         const std::function<bool()>& aborted)
{
    const QString home = QDir::homePath();
    QStringList places{programFolder};
    if (QDir(home) != QDir(programFolder))
        places.append(home);
    for (const QString& place : places) {
        if (aborted && aborted())
            break;
        QString found = SearchDirectory(place, accepted, aborted);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace sarvo
