// The input items of the text measurement files.
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

TEST(DecodingTest, Utf8WhenValidElseWindows1252)
{
    EXPECT_EQ(DecodeUtf8Or1252(QByteArray("M\xc3\xbchle")), QString::fromUtf8("Mühle"));
    EXPECT_EQ(DecodeUtf8Or1252(QByteArray("M\xfchle \x80")), QString::fromUtf8("Mühle €"));
    EXPECT_EQ(DecodeBytes(QByteArray("\x81\xff", 2)), QString::fromLatin1("\x81\xff", 2));
}

} // namespace
} // namespace sarvo::files
