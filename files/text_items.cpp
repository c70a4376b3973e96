#include "files/text_items.h"

#include "core/utilities.h"

#include <QStringDecoder>

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

// Scans a number at text[i]: an optional sign, digits with one decimal separator ("." or ","),
// and an exponent. Returns the ASCII text for PlainDecimalValue and moves i past the number;
// empty when there are no digits.
std::string scanNumber(QStringView text, qsizetype& i)
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
    if (i < n && QStringView(u"eEdD").contains(text[i])) {
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

// The whole text as a number for PlainDecimalValue: blanks around it, nothing else; empty when
// the text is no number.
std::string wholeNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    std::string s = scanNumber(text, i);
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        s.clear();
    return s;
}

} // namespace

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

} // namespace sarvo::files
