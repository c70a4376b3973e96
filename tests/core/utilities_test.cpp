#include "core/utilities.h"

#include "tests/support/core_test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <unistd.h>

namespace sarvo {
namespace {

struct Case {
    const char* text;
    double expected;
};

TEST(UtilitiesStrToDbl, SeparatorsSignsAndExponent)
{
    const Case cases[] = {
        {"", 0}, {"12,5", 12.5}, {"12.5", 12.5}, {"-0,25", -0.25}, {"3,5-", -3.5}, {"  -0,5", -0.5},
        {"3,5- \r\n", -3.5}, {"1,234.5", 1.5}, {"1 234,5", 1234.5}, {"1\t2\n3", 123}, {"abc", 0}, {"-", 0},
        {",75", 0.75}, {"1,5E-3", 0.0015}, {"1.5E3", 1500}, {"15E2", 1500}, {"1E-05", 1e-05},
        {"-2,5E+2", -250}, {"4E", 4},
        // The leading value reads its own exponent, "E" or "D", and it counts once.
        {"2D3", 2000}, {"1e-06", 1e-06}, {"2E3", 2000}, {"-2D-3", -0.002}, {"7D", 7}, {"2D+ 1", 20}, {"3d2", 300},
        // After a fraction too, in every letter: a file's "1.505e2" is 150.5, never its mantissa.
        {"1.505e2", 150.5}, {"1.505D2", 150.5}, {"1.505d2", 150.5}, {"1,5e-3", 0.0015}, {"2.5e", 2.5}, {"12.5 deg", 12.5},
        // Never infinite or NaN; a long fraction is no overflow.
        {"1E400", 0}, {"0E400", 0}, {"-1E999", 0}, {"9.9E308", 0}, {"1E-400", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(StrToDbl(c.text), c.expected) << c.text;
    EXPECT_EQ(StrToDbl(QString(400, u'9')), 0.0);
    EXPECT_DOUBLE_EQ(StrToDbl("0," + QString(400, u'3')), 1.0 / 3.0);

    for (double v : {1.0, -0.1, 123456.789, -98.7654321, 1e-7, 3.0e12}) {
        const QString plain = QString::number(v, 'f', 9);
        EXPECT_NEAR(StrToDbl(QString(plain).replace('.', ',')), v, 1e-9) << plain.toStdString();
        EXPECT_DOUBLE_EQ(StrToDbl(QString::number(v, 'E', 15)), v);
    }
}

TEST(UtilitiesParseNumber, TakesWholeNumbersOnly)
{
    EXPECT_EQ(ParseNumber(u"150.0012"), 150.0012);
    EXPECT_EQ(ParseNumber(u" 150,5\t\r\n"), 150.5);
    EXPECT_EQ(ParseNumber(u"-3"), -3.0);
    EXPECT_EQ(ParseNumber(u"+.5"), 0.5);
    EXPECT_EQ(ParseNumber(u"1.5E-3"), 0.0015);
    EXPECT_EQ(ParseNumber(u"1e-400"), 0.0);
    // The sign after the number, as StrToDbl reads it.
    EXPECT_EQ(ParseNumber(u"3,5-"), -3.5);
    EXPECT_EQ(ParseNumber(u" 5- "), -5.0);
    EXPECT_EQ(ParseNumber(u"1.5e-3-"), -0.0015);
    for (const char16_t* exp : {u"1.505e2", u"1.505D2", u"1.505d+2", u"1505E-1"})
        EXPECT_EQ(ParseNumber(QStringView(exp)), 150.5) << QString::fromUtf16(exp).toStdString();
    for (const char16_t* bad : {u"", u"abc", u"12abc", u"1.2.3", u"1e999", u"0,0001e400", u"-", u"nan", u"inf", u"1 2",
                                u"1.5D", u"1.5f3", u"-5-", u"5--", u"5 -", u"1,250.5", u"1,000,000", u"1.250,5"})
        EXPECT_FALSE(ParseNumber(QStringView(bad)).has_value()) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(IsNumberBeyondRange(u"0,0001e400") && IsNumberBeyondRange(u" -1E400") && IsNumberBeyondRange(u"1E400-"));
    EXPECT_FALSE(IsNumberBeyondRange(u"1e-400") || IsNumberBeyondRange(u"abc") || IsNumberBeyondRange(u"1e999x"));
}

// A box checks its text with ParseNumber and reads it with StrToDbl: what the one takes, the other
// reads whole to the same number, and what the other would cut the one refuses.
TEST(UtilitiesParseNumber, TakesWhatStrToDblReadsWhole)
{
    for (const char* text : {"12,5", "12.5", "-0,25", "3,5-", ",75", "5.", "007", "+5", "1,5E-3", "1.5E3", "15E2",
                             "1E-05", "-2,5E+2", "2D3", "1e-06", "1.505d2", "1,5e-3", "1.5e-3-", "0", "-0", " 42 "}) {
        const auto value = ParseNumber(QString::fromLatin1(text));
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_DOUBLE_EQ(*value, StrToDbl(QString::fromLatin1(text))) << text;
    }
    // StrToDbl stops short in each of these: a box refuses them.
    for (const char* text : {"1,250.5", "1,000,000", "12.5 deg", "2.5e", "1.5E3E2"})
        EXPECT_FALSE(ParseNumber(QString::fromLatin1(text)).has_value()) << text;
}

TEST(UtilitiesLeadingNumber, StopsAtTheFirstCharacterThatDoesNotFit)
{
    const Case cases[] = {{"  -12.5abc", -12.5}, {"+7", 7}, {"1.2.3", 1.2}, {"12,5", 12},
                          {"- 4 2", -42}, {".5", 0.5}, {"x1", 0}, {"", 0}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected) << c.text;
    EXPECT_FALSE(std::signbit(LeadingNumber("-")));
}

TEST(UtilitiesLeadingNumber, ReadsItsExponentOnce)
{
    const Case cases[] = {{"1.0E2", 100}, {"1.5E3", 1500}, {"1E-06", 1e-06}, {"-2.5E+2 mm", -250}, {"2D3", 2000},
                          {"-2D-3", -0.002}, {"15E2", 1500}, {"1.5E3E2", 1500}, {"4E", 4}, {"4E-", 4},
                          {"7Ex", 7}, {"3e2", 300}, {"3d2", 300}, {"E3", 0}, {"1E400", 0}, {"1E-400", 0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.expected) << c.text;
        // The whole-text reading agrees where no sign stands at the end and no blank inside.
        if (!QString(c.text).contains(u' ') && !QString(c.text).endsWith(u'-'))
            EXPECT_DOUBLE_EQ(StrToDbl(c.text), c.expected) << c.text;
    }
}

TEST(UtilitiesLeadingNumber, InRangeRefusesOnlyWhatNoDoubleHolds)
{
    const Case cases[] = {{"2.1D-3", 0.0021}, {"2.1d-3", 0.0021}, {" 2.5e-3 mm", 0.0025}, {"1E-400", 0}, {"1.7E308", 1.7e308}};
    for (const Case& c : cases)
        EXPECT_EQ(LeadingNumberInRange(QString(c.text)), c.expected) << c.text;
    for (const char* beyond : {"1E400", "-1D400 mm", "0.0001e400", "9.9E308"})
        EXPECT_EQ(LeadingNumberInRange(QString(beyond)), std::nullopt) << beyond;
}

TEST(UtilitiesHex, ReadsAndWrites)
{
    const std::pair<const char*, int32_t> cases[] = {
        {"C8000", 819200}, {"&hC8000", 819200}, {"&HC8000", 819200}, {"330", 816}, {"ff", 255}, {"7FFF", 32767},
        {"8000", -32768}, {"FFFF", -1}, {"10000", 65536}, {"FFFFFFFF", -1}, {"80000000", INT32_MIN},
        {"", 0}, {"&h", 0}, {"G1", 0}, {"12 34", 0}, {"123456789", 0}, {"-5", 0}, {"0x10", 0}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(HexToLong(text), expected) << text;

    EXPECT_EQ(HexText16(-1), "FFFF");
    EXPECT_EQ(HexText16(816), "330");
    EXPECT_EQ(HexText32(819200), "C8000");
    for (int v = INT16_MIN; v <= INT16_MAX; ++v)
        ASSERT_EQ(HexToLong(HexText16(int16_t(v))), v);
    for (int32_t v : {65536, 0x7FFFFFFF, -1, -32769, INT32_MIN})
        EXPECT_EQ(HexToLong(HexText32(v)), v);
}

TEST(UtilitiesPaths, AcceptBothSeparators)
{
    EXPECT_EQ(PathOfFile("D:\\data\\run.rtb"), "D:\\data\\");
    EXPECT_EQ(FileNameOfPath("D:\\data\\run.rtb"), "run.rtb");
    EXPECT_EQ(PathOfFile("/mnt/old\\run.rtb"), "/mnt/old\\");
    EXPECT_EQ(FileNameOfPath("/home/u/run.rtb"), "run.rtb");
    EXPECT_EQ(PathOfFile("run.rtb"), "");
    EXPECT_EQ(FileNameOfPath("run.rtb"), "run.rtb");
    for (const QString p : {"a/b/c.txt", "C:\\x\\y.dbb", "name", "/", "/home/u/"})
        EXPECT_EQ(PathOfFile(p) + FileNameOfPath(p), p);
}

TEST(UtilitiesPrinterFont, ArialComesBeforeItsStandInWhereverItIsListed)
{
    EXPECT_EQ(PrinterFontFamily({"DejaVu Sans", "Liberation Sans", "Arial Narrow", "Arial"}), "Arial Narrow");
    EXPECT_EQ(PrinterFontFamily({"Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans"}), "Liberation Sans Narrow");
    // The names are matched as written.
    EXPECT_EQ(PrinterFontFamily({"arial", "DejaVu Sans"}), std::nullopt);
    EXPECT_EQ(PrinterFontFamily({}), std::nullopt);
}

TEST(UtilitiesHeaderValue, FirstHeaderLineWithTheKey)
{
    const QStringList lines = {"Radius: 999", "Machine: Mill 3", "Radius: 150", "Radius:75", "Feed:  2000",
                               "Operator Smith"};
    EXPECT_EQ(HeaderValue("Radius", "-", lines), "150");
    EXPECT_EQ(HeaderValue("Machine", "-", lines), "Mill 3");
    EXPECT_EQ(HeaderValue("Feed", "-", lines), " 2000");
    EXPECT_EQ(HeaderValue("Operator", "none", lines), "none");
    EXPECT_EQ(HeaderValue("radius", "none", lines), "none");
    EXPECT_EQ(HeaderValue("Radius", "none", {"Radius:75", "x", "Radius:75"}), "75");

    QStringList longHeader(30, QStringLiteral("filler"));
    longHeader[24] = "Probe: P1";
    longHeader[25] = "Serial: 42";
    EXPECT_EQ(HeaderValue("Probe", "-", longHeader), "P1");
    EXPECT_EQ(HeaderValue("Serial", "-", longHeader), "-");
}

TEST(UtilitiesNumToText5, FiveDecimalsWithPointInAnyLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::pair<double, const char*> cases[] = {
        {-0.5, "-0.50000"}, {12.3456789, "12.34568"}, {0.0, "0.00000"}, {1234567.0, "1234567.00000"},
        {0.015625, "0.01563"}, {-0.015625, "-0.01563"}, {-0.000001, "0.00000"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(NumToText5(value), text);
    for (double v : {0.1, -7.25, 149.99999, 3.14159265359})
        EXPECT_NEAR(StrToDbl(NumToText5(v)), v, 5e-6);
    QLocale::setDefault(saved);
}

TEST(UtilitiesCodePages, OemAndAnsiAreInverse)
{
    EXPECT_EQ(OemToAnsi(QString(QChar(0x82)) + QChar(0x9C) + QChar(0xE1) + QChar(0xC9) + "ab"),
              QString::fromUtf8("é£ß╔ab"));
    EXPECT_EQ(AnsiToOem(QString::fromUtf8("Grüße µm ±0,5")),
              QString("Gr") + QChar(0x81) + QChar(0xE1) + "e " + QChar(0xE6) + "m " + QChar(0xF1) + "0,5");
    // No euro sign and no CJK in code page 850.
    EXPECT_EQ(AnsiToOem(QString::fromUtf8("5 € 日")), "5 ? ?");

    QString allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += QChar(b);
    const QString unicode = OemToAnsi(allBytes);
    EXPECT_EQ(unicode.size(), 256);
    EXPECT_EQ(AnsiToOem(unicode), allBytes);
    EXPECT_EQ(unicode.left(128), allBytes.left(128));
    EXPECT_EQ(QSet<QChar>(unicode.begin(), unicode.end()).size(), 256);
}

TEST(UtilitiesCodePages, Windows1252)
{
    EXPECT_EQ(DecodeWindows1252("\x80 \x93x\x94 \x96 caf\xE9"), QString::fromUtf8("€ “x” – café"));
    EXPECT_EQ(DecodeWindows1252("\x9F\x8A\x99"), QString::fromUtf8("ŸŠ™"));
    EXPECT_EQ(DecodeWindows1252("\x81"), QString(QChar(0x81)));
    EXPECT_EQ(DecodeWindows1252(QByteArray("a\0b", 3)).size(), 3);
}

class UtilitiesSearch : public test::CoreTest {
protected:
    QString root() const { return path("tree/"); }
    void makeFile(const QString& relative)
    {
        const QString full = root() + relative;
        QDir().mkpath(QFileInfo(full).absolutePath());
        QFile f(full);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void makeDir(const QString& relative) { ASSERT_TRUE(QDir().mkpath(root() + relative)); }
};

TEST_F(UtilitiesSearch, ListsAFolderBeforeItsSubfolders)
{
    makeFile("aaa/target.dat");
    makeFile("zz_target.dat");
    EXPECT_EQ(SearchDirectory(root(), "target.dat"), root() + "zz_target.dat");

    QFile::remove(root() + "zz_target.dat");
    makeFile("aaa/deep/target.dat.bak");
    makeFile("bbb/target.dat");
    EXPECT_EQ(SearchDirectory(root(), "target.dat"), root() + "aaa/target.dat");
    QFile::remove(root() + "aaa/target.dat");
    EXPECT_EQ(SearchDirectory(root(), "target.dat"), root() + "aaa/deep/target.dat.bak");
}

TEST_F(UtilitiesSearch, MatchesPartOfTheNameWithoutCase)
{
    makeFile("Programs/DATA.EXE");
    makeDir("a.exe.d");
    const QString noSlash = root().chopped(1);
    EXPECT_EQ(SearchDirectory(noSlash, "a.exe"), root() + "Programs/DATA.EXE");
    EXPECT_EQ(SearchDirectory(root(), "missing.exe"), "");
    EXPECT_EQ(SearchDirectory(root(), ""), "");
    EXPECT_EQ(SearchDirectory(path("no such folder"), "a.exe"), "");
}

TEST_F(UtilitiesSearch, SkipsHiddenEntriesLinksAndUnreadableFolders)
{
    makeFile(".hidden/target.dat");
    makeFile(".target.dat");
    makeFile("../elsewhere/target.dat");
    ASSERT_TRUE(QFile::link(root(), root() + "loop"));
    ASSERT_TRUE(QFile::link(path("elsewhere"), root() + "link"));
    EXPECT_EQ(SearchDirectory(root(), "target"), "");

    makeFile("locked/target.dat");
    makeFile("open/target.dat");
    QFile::setPermissions(root() + "locked", QFileDevice::Permissions());
    if (geteuid() != 0) { // root reads any folder
        EXPECT_EQ(SearchDirectory(root(), "target"), root() + "open/target.dat");
    }
    QFile::setPermissions(root() + "locked", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(UtilitiesSearch, AbortEndsTheSearchBetweenSubfolders)
{
    makeFile("a/x.txt");
    makeFile("b/target.dat");
    int asked = 0;
    EXPECT_EQ(SearchDirectory(root(), "target", [&] { return ++asked == 2; }), "");
    EXPECT_EQ(asked, 2);

    // The search runs no events of its own (nothing re-enters it); only the function stops it.
    bool waitAbort = false;
    const auto cancelled = [&] { return waitAbort; };
    QTimer::singleShot(0, [&] { waitAbort = true; });
    EXPECT_EQ(SearchDirectory(root(), "target", cancelled), root() + "b/target.dat");
    EXPECT_FALSE(waitAbort);
    waitAbort = true;
    EXPECT_EQ(SearchDirectory(root(), "target", cancelled), "");
    // Without a function the search is never aborted.
    EXPECT_EQ(SearchDirectory(root(), "target"), root() + "b/target.dat");
}

TEST_F(UtilitiesSearch, FindFileOnDrivesTriesProgramFolderThenHome)
{
    const QByteArray savedHome = qgetenv("HOME");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QDir().mkpath(home.path() + "/tools");
    QFile(home.path() + "/tools/helper.bin").open(QIODevice::WriteOnly);

    EXPECT_EQ(QFileInfo(FindFileOnDrives("helper.bin", appPath)).canonicalFilePath(),
              QFileInfo(home.path() + "/tools/helper.bin").canonicalFilePath());
    makeFile("helper.bin");
    EXPECT_EQ(FindFileOnDrives("helper.bin", appPath), root() + "helper.bin");
    EXPECT_EQ(FindFileOnDrives("nowhere.bin", appPath), "");
    EXPECT_EQ(FindFileOnDrives("helper.bin", appPath, [] { return true; }), "");
    qputenv("HOME", savedHome);
}

} // namespace
} // namespace sarvo
