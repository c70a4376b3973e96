#include "files/text_items.h"

#include "core/utilities.h"

#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <string>

namespace sarvo::files {

bool ItemReader::isLineEnd(qsizetype i) const
{
    const QChar c = text_[i];
    return c == u'\n' || c == u'\r';
}

void ItemReader::skipDelimiter()
{
    if (pos_ >= text_.size())
        return;
    const QChar c = text_[pos_];
    if (c == u',' || c == u'\n') {
        ++pos_;
    } else if (c == u'\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == u'\n')
            ++pos_;
    }
}

std::optional<QStringView> ItemReader::next()
{
    const qsizetype n = text_.size();
    if (pos_ >= n)
        return std::nullopt;
    while (pos_ < n && text_[pos_] == u' ')
        ++pos_;
    if (pos_ >= n)
        return QStringView(); // trailing blanks at the very end: one last empty item

    if (text_[pos_] == u'"') {
        const qsizetype start = pos_ + 1;
        qsizetype end = start;
        while (end < n && text_[end] != u'"' && !isLineEnd(end))
            ++end;
        const QStringView item = text_.mid(start, end - start);
        pos_ = end;
        if (pos_ < n && text_[pos_] == u'"')
            ++pos_;
        // Whatever stands between the closing quote and the delimiter belongs to no item.
        while (pos_ < n && text_[pos_] != u',' && !isLineEnd(pos_))
            ++pos_;
        skipDelimiter();
        return item;
    }

    const qsizetype start = pos_;
    while (pos_ < n && text_[pos_] != u',' && !isLineEnd(pos_))
        ++pos_;
    const QStringView item = text_.mid(start, pos_ - start);
    skipDelimiter();
    return item;
}

QString DecodeBytes(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

QString DecodeUtf8Or1252(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Converts an ASCII number text of the form [-]digits[.digits][e[+-]digits].
std::optional<double> convert(const std::string& s)
{
    double value = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range && end == last) {
        // Too small to hold is zero; too large is no number.
        const bool tiny = s.find("e-") != std::string::npos || s.rfind("0.", 0) == 0 || s.rfind("-0.", 0) == 0;
        if (tiny)
            return 0.0;
    }
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Scans a number at text[i]: an optional sign, digits with one decimal separator (sep), and an
// exponent. Returns the ASCII text for convert() and moves i past the number; empty when there
// are no digits.
std::string scanNumber(QStringView text, qsizetype& i, bool commaAllowed)
{
    const qsizetype n = text.size();
    std::string s;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            s += '-';
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            s += char(c.unicode());
            digits = true;
        } else if (!point && (c == u'.' || (commaAllowed && c == u','))) {
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
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string e = "e";
        if (j < n && (text[j] == u'-' || text[j] == u'+')) {
            e += char(text[j].unicode());
            ++j;
        }
        const qsizetype expStart = j;
        while (j < n && isDigit(text[j]))
            e += char(text[j++].unicode());
        if (j > expStart) {
            s += e;
            i = j;
        }
    }
    return s;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

std::optional<double> ParseNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const std::string s = scanNumber(text, i, true);
    if (s.empty())
        return std::nullopt;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;
    return convert(s);
}

std::optional<double> LeadingValue(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    const std::string s = scanNumber(text, i, false);
    if (s.empty())
        return 0.0;
    return convert(s);
}

} // namespace sarvo::files
