// The input items and number readings of the text measurement files.
#include "files/text_items.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>

namespace sarvo::files {
namespace {

QStringList allItems(const QString& text)
{
    ItemReader reader(text);
    QStringList items;
    while (const auto item = reader.next())
        items << item->toString();
    return items;
}

TEST(ItemReaderTest, CommasLineEndsAndEmptyLinesDelimitItems)
{
    // CR LF, a lone LF and a lone CR each end a line; an empty line is an empty item.
    EXPECT_EQ(allItems("a,b\r\nc\n\nd\re"), (QStringList{"a", "b", "c", "", "d", "e"}));
    // Leading blanks go, inner and trailing ones stay; a tab is part of the item.
    EXPECT_EQ(allItems("  Machine: Mill  1 ,x\ty"), (QStringList{"Machine: Mill  1 ", "x\ty"}));
    // The last line needs no line end, and a final line end adds no item.
    EXPECT_EQ(allItems("a\r\n"), QStringList{"a"});
    EXPECT_EQ(allItems(""), QStringList{});
}

TEST(ItemReaderTest, QuotedItemsKeepTheirCommasAndDropTheRestOfTheField)
{
    EXPECT_EQ(allItems("\"Machine: Mill, left\"\r\nnext"), (QStringList{"Machine: Mill, left", "next"}));
    EXPECT_EQ(allItems("\"ab\"cd,ef"), (QStringList{"ab", "ef"}));
    // An unclosed quote ends at the line end instead of swallowing the file.
    EXPECT_EQ(allItems("\"open\nclosed"), (QStringList{"open", "closed"}));
}

TEST(ItemReaderTest, SeekReturnsToAnEarlierItem)
{
    const QString text = "one,two,three";
    ItemReader reader(text);
    reader.next();
    const qsizetype mark = reader.position();
    EXPECT_EQ(reader.next()->toString(), "two");
    reader.seek(mark);
    EXPECT_EQ(reader.next()->toString(), "two");
    EXPECT_EQ(reader.next()->toString(), "three");
    EXPECT_FALSE(reader.next());
}

TEST(NumberTest, ParseNumberTakesWholeNumbersOnly)
{
    EXPECT_EQ(ParseNumber(u"150.0012"), 150.0012);
    EXPECT_EQ(ParseNumber(u" 150,5\t"), 150.5);
    EXPECT_EQ(ParseNumber(u"-3"), -3.0);
    EXPECT_EQ(ParseNumber(u"+.5"), 0.5);
    EXPECT_EQ(ParseNumber(u"1.5E-3"), 0.0015);
    EXPECT_EQ(ParseNumber(u"1e-400"), 0.0);
    for (const char16_t* exp : {u"1.505e2", u"1.505D2", u"1.505d+2", u"1505E-1"})
        EXPECT_EQ(ParseNumber(QStringView(exp)), 150.5) << QString::fromUtf16(exp).toStdString();
    for (const char16_t* bad : {u"", u"abc", u"12abc", u"1.2.3", u"1e999", u"0,0001e400", u"-", u"nan", u"inf", u"1 2", u"1.5D", u"1.5f3"})
        EXPECT_FALSE(ParseNumber(QStringView(bad)).has_value()) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(IsNumberBeyondRange(u"0,0001e400") && IsNumberBeyondRange(u" -1E400"));
    EXPECT_FALSE(IsNumberBeyondRange(u"1e-400") || IsNumberBeyondRange(u"abc") || IsNumberBeyondRange(u"1e999x"));
}

TEST(DecodingTest, Utf8WhenValidElseWindows1252)
{
    EXPECT_EQ(DecodeUtf8Or1252(QByteArray("M\xc3\xbchle")), QString::fromUtf8("Mühle"));
    EXPECT_EQ(DecodeUtf8Or1252(QByteArray("M\xfchle \x80")), QString::fromUtf8("Mühle €"));
    EXPECT_EQ(DecodeBytes(QByteArray("\x81\xff", 2)), QString::fromLatin1("\x81\xff", 2));
}

} // namespace
} // namespace sarvo::files
