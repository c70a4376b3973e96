#include "core/number_format.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

namespace sarvo {
namespace {

const QLocale kC = QLocale::c();

struct Row {
    double value;
    const char* pattern;
    const char* expected;
};

void expectRows(std::initializer_list<Row> rows)
{
    for (const Row& r : rows)
        EXPECT_EQ(FormatNumber(r.value, QString::fromUtf8(r.pattern), kC), QString::fromUtf8(r.expected))
            << r.value << " with " << r.pattern;
}

// printf's fixed text without the sign of a zero result. printf rounds the exact binary value,
// so it agrees with rounding on the 15-digit text except where that text is a half at the cut.
QString printfFixed(double v, int decimals)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    QString text = QString::fromLatin1(buf);
    if (text.startsWith('-') && text.count('0') == text.size() - 1 - (decimals > 0))
        text.remove(0, 1);
    return text;
}

TEST(NumberFormatPattern, DigitsSeparatorAndLiterals)
{
    expectRows({
        {0.001, "####0.####0", "0.00100"}, {10, "##0.0#####", "10.0"}, {11.5, "##0.0#####", "11.5"},
        {2500, "###0", "2500"}, {1, "###0.#0", "1.00"}, {1.23456789, "##0.0#####", "1.234568"},
        {7, "#00.0", "07.0"}, {12345, "#0", "12345"},
        // optional digits and the separator vanish; a number never does
        {10, "###0.##", "10"}, {0.5, "#.##", ".5"}, {0, "#", "0"}, {5.25, ".0", "5.3"},
        // literals: copied around the number, kept in place inside it; the sign precedes the digits
        {12.34, "Ø 0.0 mm", "Ø 12.3 mm"}, {-1.25, "x = 0.0", "x = -1.3"},
        {5, "\"No. 10\" 0", "No. 10 5"}, {5, "0 \\0\\#", "5 0#"}, {42, "abc", "abc"},
        {1234567, "#,##0", "1234567"}, {1.5, "0.0.0", "1.5.0"}, {1, "0-0", "0-1"},
    });
}

TEST(NumberFormatRounding, HalvesAwayFromZeroOnTheFifteenDigitText)
{
    // The doubles nearest 2.675 and 1.005 lie just below them; their 15-digit texts are halves.
    ASSERT_LT(2.675, 2.675L);
    expectRows({
        {2.675, "0.00", "2.68"}, {-2.675, "0.00", "-2.68"}, {1.005, "0.00", "1.01"},
        {0.5, "0", "1"}, {-0.5, "0", "-1"}, {0.44999, "0.0", "0.4"}, {25.4 * (1 / 25.4), "0.00", "1.00"},
        // carries
        {9.995, "0.00", "10.00"}, {999.96, "###0.0", "1000.0"}, {0.96, "#.#", "1"}, {-999999.5, "0", "-1000000"},
        // a zero result has no sign
        {-0.004, "0.00", "0.00"}, {-0.0, "0.0", "0.0"}, {-1e-300, "##0.0", "0.0"}, {-0.005, "0.00", "-0.01"},
    });
}

TEST(NumberFormatRounding, AgreesWithPrintfAwayFromHalves)
{
    std::mt19937_64 rng(20240607);
    std::uniform_real_distribution<double> dist(-1000, 1000);
    for (int i = 0; i < 5000; ++i) {
        const double v = dist(rng);
        for (int decimals : {0, 3, 6})
            EXPECT_EQ(FormatNumber(v, "0." + QString(decimals, '0'), kC), printfFixed(v, decimals)) << v;
        QString trimmed = printfFixed(v, 4); // "#" decimals: no trailing zeros, no bare separator
        while (trimmed.endsWith('0'))
            trimmed.chop(1);
        if (trimmed.endsWith('.'))
            trimmed.chop(1);
        EXPECT_EQ(FormatNumber(v, "0.####", kC), trimmed) << v;
    }
}

TEST(NumberFormatRange, ExtremeAndNonFiniteValues)
{
    expectRows({{1e20, "###0", "100000000000000000000"}, {1.5e20, "0.0", "150000000000000000000.0"},
                {123456789012345678.0, "0", "123456789012346000"}, {1e-20, "0.00", "0.00"},
                {std::numeric_limits<double>::denorm_min(), "0.000", "0.000"}, {1.2e-5, "0.000000", "0.000012"}});
    for (int n = 0; n <= 60; ++n)
        EXPECT_EQ(FormatNumber(-std::pow(10.0, n), "0.0", kC), "-1" + QString(n, '0') + ".0") << n;
    const QString biggest = FormatNumber(std::numeric_limits<double>::max(), "0", kC);
    EXPECT_EQ(biggest.size(), 309);
    EXPECT_TRUE(biggest.startsWith("179769313486232"));

    const double inf = std::numeric_limits<double>::infinity();
    for (const char* pattern : {"", "0", "Ø 0.0 mm"}) {
        EXPECT_EQ(FormatNumber(inf, pattern, kC), "inf");
        EXPECT_EQ(FormatNumber(-inf, pattern, kC), "-inf");
        EXPECT_EQ(FormatNumber(std::nan(""), pattern, kC), "nan");
    }
}

TEST(NumberFormatLocale, OnlyTheDecimalSeparatorFollowsTheLocale)
{
    const QLocale german(QLocale::German);
    EXPECT_EQ(FormatNumber(-2500.25, "###0.#", german), "-2500,3");
    EXPECT_EQ(FormatNumber(0.1 + 0.2, "", german), "0,3");
    EXPECT_EQ(FormatNumber(1.5e20, "", german), "1,5E+20");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> dist(-1e5, 1e5);
    for (int i = 0; i < 500; ++i) {
        const double v = dist(rng);
        for (const char* pattern : {"####0.####0", "##0.0#####", "###0.#0", ""})
            EXPECT_EQ(FormatNumber(v, pattern, german), FormatNumber(v, pattern, kC).replace('.', ',')) << v;
    }
}

TEST(NumberFormatShortest, PlainInTheMiddleRangeExponentOutside)
{
    const std::pair<double, const char*> rows[] = {
        {10, "10"}, {0.5, "0.5"}, {11.5, "11.5"}, {-3, "-3"}, {0.1 + 0.2, "0.3"}, {0, "0"}, {-0.0, "0"},
        {1e-5, "0.00001"}, {-1.25e-5, "-0.0000125"}, {999999999999999, "999999999999999"},
        {2.0 / 3, "0.666666666666667"}, {1e-6, "1E-06"}, {9.99e-6, "9.99E-06"}, {1.5e20, "1.5E+20"},
        {-1.5e20, "-1.5E+20"}, {1e15, "1E+15"}, {999999999999999.9, "1E+15"}, {1e300, "1E+300"},
        {-5e-324, "-4.94065645841247E-324"}, {std::numeric_limits<double>::infinity(), "inf"},
        {std::nan(""), "nan"}};
    for (const auto& [value, expected] : rows)
        EXPECT_EQ(ShortestDecimal(value), expected) << value;
}

TEST(NumberFormatShortest, ReadsBackAsTheValueRoundedToFifteenDigits)
{
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 5000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        const QString text = ShortestDecimal(v);
        char rounded[64];
        std::snprintf(rounded, sizeof rounded, "%.14e", v);
        const double expected = std::strtod(rounded, nullptr);
        EXPECT_EQ(std::strtod(text.toLatin1().constData(), nullptr), expected) << qPrintable(text);

        const qsizetype e = text.indexOf('E');
        const QString mant = e < 0 ? text : text.left(e);
        EXPECT_FALSE(mant.contains('.') && mant.endsWith('0')) << qPrintable(text);
        EXPECT_EQ(e < 0, std::fabs(expected) >= 1e-5 && std::fabs(expected) < 1e15) << qPrintable(text);
        if (e >= 0) {
            EXPECT_TRUE(text[e + 1] == '+' || text[e + 1] == '-') << qPrintable(text);
            EXPECT_GE(text.size() - e - 2, 2) << qPrintable(text);
        }
    }
}

} // namespace
} // namespace sarvo
