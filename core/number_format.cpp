#include "core/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sarvo {

namespace {

constexpr int kSignificantDigits = 15;

// |value| as its 15 significant decimal digits and the place of the decimal point within them:
// value = 0.digits x 10^pointPos. Zero gives fifteen zeros and pointPos 1.
struct DecimalText {
    std::string digits;
    int pointPos = 1;
};

DecimalText decimalText(double value)
{
    DecimalText t;
    if (value == 0) {
        t.digits.assign(kSignificantDigits, '0');
        return t;
    }
    // "%.14e" rounds the binary value to 15 significant digits: "d.dddddddddddddde+XX".
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", kSignificantDigits - 1, std::fabs(value));
    const char* p = buf;
    t.digits.reserve(kSignificantDigits);
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            t.digits.push_back(*p);
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    t.pointPos = exponent + 1;
    return t;
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
}

// One element of a pattern.
struct Token {
    enum Kind { Zero, Hash, Point, Literal } kind;
    QString text; // Literal only
};

// "0", "#" and the first "." are the number; "," (grouping) is dropped; "\x" and "..." are
// literal text so that captions in a pattern can hold digits; everything else is literal.
std::vector<Token> tokenize(const QString& pattern)
{
    std::vector<Token> tokens;
    bool pointSeen = false;
    auto literal = [&tokens](const QString& s) {
        if (!tokens.empty() && tokens.back().kind == Token::Literal)
            tokens.back().text += s;
        else
            tokens.push_back({Token::Literal, s});
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'0') {
            tokens.push_back({Token::Zero, {}});
        } else if (c == u'#') {
            tokens.push_back({Token::Hash, {}});
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            tokens.push_back({Token::Point, {}});
        } else if (c == u',') {
            // no grouping
        } else if (c == u'\\') {
            if (i + 1 < pattern.size())
                literal(pattern.at(++i));
        } else if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            literal(pattern.mid(i + 1, stop - i - 1));
            i = stop;
        } else {
            literal(c);
        }
    }
    return tokens;
}

// Adds one unit in the last place of a digit string; returns false when it carried out of the
// first digit (the caller prepends "1").
bool incrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it == '9') {
            *it = '0';
        } else {
            ++*it;
            return true;
        }
    }
    return false;
}

} // namespace

QString ShortestDecimal(double value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (value == 0)
        return QStringLiteral("0"); // also for -0: files get no "-0"

    const DecimalText t = decimalText(value);
    std::string digits = t.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int exponent = t.pointPos - 1;

    std::string out;
    if (value < 0)
        out.push_back('-');
    if (exponent >= -5 && exponent < 15) {
        if (t.pointPos <= 0) {
            out += "0.";
            out.append(static_cast<size_t>(-t.pointPos), '0');
            out += digits;
        } else if (static_cast<size_t>(t.pointPos) >= digits.size()) {
            out += digits;
            out.append(static_cast<size_t>(t.pointPos) - digits.size(), '0');
        } else {
            out.append(digits, 0, static_cast<size_t>(t.pointPos));
            out.push_back('.');
            out.append(digits, static_cast<size_t>(t.pointPos), std::string::npos);
        }
    } else {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1, std::string::npos);
        }
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        out += exp;
    }
    return QString::fromLatin1(out);
}

QString FormatNumber(double value, const QString& pattern, const QLocale& locale)
{
    const QString decimalPoint = locale.decimalPoint();
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (pattern.isEmpty())
        return ShortestDecimal(value).replace(u'.', decimalPoint);

    const std::vector<Token> tokens = tokenize(pattern);

    // The number section runs from the first to the last "0", "#" or "."; literals around it
    // are copied, literals inside it keep their places among the digits.
    qsizetype first = -1, last = -1, point = -1;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Token::Literal)
            continue;
        if (first < 0)
            first = static_cast<qsizetype>(i);
        last = static_cast<qsizetype>(i);
        if (tokens[i].kind == Token::Point)
            point = static_cast<qsizetype>(i);
    }
    if (first < 0) { // no placeholder at all: the pattern is text only
        QString text;
        for (const Token& t : tokens)
            text += t.text;
        return text;
    }
    const qsizetype intEnd = point >= 0 ? point : last + 1;

    int minInt = 0, intSlots = 0, minDec = 0, maxDec = 0;
    for (qsizetype i = first; i < intEnd; ++i) {
        if (tokens[i].kind == Token::Zero)
            ++minInt;
        if (tokens[i].kind != Token::Literal)
            ++intSlots;
    }
    if (point >= 0) {
        for (qsizetype i = point + 1; i <= last; ++i) {
            if (tokens[i].kind == Token::Literal)
                continue;
            ++maxDec;
            if (tokens[i].kind == Token::Zero)
                minDec = maxDec;
        }
    }

    // Round |value| on its 15-digit decimal text to maxDec decimals, halves away from zero.
    const DecimalText t = decimalText(value);
    std::string intDigits, fracDigits;
    if (t.pointPos > 0) {
        const size_t n = static_cast<size_t>(t.pointPos);
        intDigits = t.digits.substr(0, std::min(n, t.digits.size()));
        if (n > t.digits.size())
            intDigits.append(n - t.digits.size(), '0');
        if (n < t.digits.size())
            fracDigits = t.digits.substr(n);
    } else {
        fracDigits.assign(static_cast<size_t>(-t.pointPos), '0');
        fracDigits += t.digits;
    }
    if (fracDigits.size() > static_cast<size_t>(maxDec)) {
        const bool up = fracDigits[static_cast<size_t>(maxDec)] >= '5';
        fracDigits.resize(static_cast<size_t>(maxDec));
        if (up) {
            std::string all = intDigits + fracDigits;
            if (!incrementDigits(all))
                all.insert(all.begin(), '1');
            intDigits = all.substr(0, all.size() - fracDigits.size());
            fracDigits = all.substr(intDigits.size());
        }
    }
    const bool isZero = intDigits.find_first_not_of('0') == std::string::npos
                        && fracDigits.find_first_not_of('0') == std::string::npos;

    intDigits.erase(0, std::min(intDigits.find_first_not_of('0'), intDigits.size()));
    if (intDigits.size() < static_cast<size_t>(minInt))
        intDigits.insert(0, static_cast<size_t>(minInt) - intDigits.size(), '0');
    fracDigits.resize(static_cast<size_t>(maxDec), '0');
    while (fracDigits.size() > static_cast<size_t>(minDec) && fracDigits.back() == '0')
        fracDigits.pop_back();
    if (intDigits.empty() && fracDigits.empty())
        intDigits.push_back('0'); // a number never disappears entirely

    QString out;
    for (qsizetype i = 0; i < first; ++i)
        out += tokens[i].text;
    if (value < 0 && !isZero)
        out += u'-';

    // Integer digits align to the placeholders from the right; extra digits go to the first.
    const qsizetype extra = static_cast<qsizetype>(intDigits.size()) - intSlots;
    qsizetype slot = 0; // placeholders seen so far
    for (qsizetype i = first; i < intEnd; ++i) {
        if (tokens[i].kind == Token::Literal) {
            out += tokens[i].text;
            continue;
        }
        if (slot == 0 && extra > 0)
            out += QString::fromLatin1(intDigits.data(), extra);
        const qsizetype digit = slot + extra; // index into intDigits for this placeholder
        if (digit >= 0)
            out += QLatin1Char(intDigits[static_cast<size_t>(digit)]);
        ++slot;
    }
    if (intSlots == 0) // a pattern such as ".00" still shows a whole part that is not zero
        out += QString::fromLatin1(intDigits.data(), static_cast<qsizetype>(intDigits.size()));

    // Fraction digits fill the placeholders from the left; a literal inside the fraction shows
    // only when a digit follows it.
    if (!fracDigits.empty()) {
        out += decimalPoint;
        size_t shown = 0;
        for (qsizetype i = point + 1; i <= last && shown < fracDigits.size(); ++i) {
            if (tokens[i].kind == Token::Literal)
                out += tokens[i].text;
            else
                out += QLatin1Char(fracDigits[shown++]);
        }
    }

    for (size_t i = static_cast<size_t>(last) + 1; i < tokens.size(); ++i)
        out += tokens[i].text;
    return out;
}

} // namespace sarvo
