// The metafile reader of the page header's logo: the placeable and enhanced headers, the fitting
// of a picture into its box, the decoding of the records the player draws, and files that are
// cut short, damaged or not metafiles at all.
#include "display/metafile.h"

#include "tests/display/wmf_builder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace sarvo;
using namespace sarvo::display;
using namespace sarvo::test;

namespace {

constexpr int kFirstRecord = 22 + 18;

QByteArray ShippedLogo()
{
    QFile f(QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

WmfBuilder Square()
{
    WmfBuilder b(0, 0, 100, 100);
    b.pen(0, 4, Qt::red).select(0).moveTo(0, 0).lineTo(100, 100);
    return b;
}

void ExpectRect(const QRectF& r, double left, double top, double width, double height)
{
    EXPECT_NEAR(r.left(), left, 1e-6);
    EXPECT_NEAR(r.top(), top, 1e-6);
    EXPECT_NEAR(r.width(), width, 1e-6);
    EXPECT_NEAR(r.height(), height, 1e-6);
}

} // namespace

TEST(MetafileTest, ThePlaceableHeaderGivesTheBoundingBoxAndTheEnhancedOneItsFrame)
{
    const auto placeable = ReadMetafileHeader(WmfBuilder(-20, 10, 180, 110, 576).bytes());
    ASSERT_TRUE(placeable);
    EXPECT_EQ(placeable->kind, MetafileKind::Placeable);
    EXPECT_EQ(placeable->width(), 200);
    EXPECT_EQ(placeable->height(), 100);
    EXPECT_EQ(placeable->unitsPerInch, 576);

    const auto enhanced = ReadMetafileHeader(EnhancedHeader(100, 200, 5100, 2700));
    ASSERT_TRUE(enhanced);
    EXPECT_EQ(enhanced->kind, MetafileKind::Enhanced);
    EXPECT_EQ(enhanced->width(), 5000);
    EXPECT_EQ(enhanced->height(), 2500);
    // A frame as wide as 32 bits hold does not overflow.
    EXPECT_EQ(ReadMetafileHeader(EnhancedHeader(INT32_MIN, 0, INT32_MAX, 1))->width(), qint64(UINT32_MAX));

    // Neither: a 16-bit metafile without the placeable header, text, an enhanced header that
    // is cut short, names more bytes than there are, or lacks its signature.
    QByteArray bare = WmfBuilder(0, 0, 10, 10).bytes().mid(22);
    EXPECT_FALSE(ReadMetafileHeader(bare));
    EXPECT_FALSE(ReadMetafileHeader("just some text that is long enough to be a header, surely not a picture"));
    EXPECT_FALSE(ReadMetafileHeader(EnhancedHeader(0, 0, 10, 10).left(87)));
    EXPECT_FALSE(ReadMetafileHeader(EnhancedHeader(0, 0, 10, 10, 200)));
    EXPECT_FALSE(ReadMetafileHeader(WithWord(EnhancedHeader(0, 0, 10, 10), 40, 0)));
    EXPECT_FALSE(ReadMetafileHeader(WmfBuilder(0, 0, 10, 10).bytes().left(21)));
    EXPECT_FALSE(ReadMetafileHeader(QByteArray()));
}

TEST(MetafileTest, APictureIsFittedIntoItsBoxKeepingItsProportionsAndCentred)
{
    // The logo's call: the width follows from a 200 x 100 frame.
    ExpectRect(*FitPictureBox(QRectF(1.5, 0.2, 0, 1.3), 200, 100), 1.5, 0.2, 2.6, 1.3);
    // The height follows.
    ExpectRect(*FitPictureBox(QRectF(0, 0, 4, 0), 200, 100), 0, 0, 4, 2);
    // A box narrower than the picture: left and width stay, the picture moves down.
    ExpectRect(*FitPictureBox(QRectF(1, 1, 2, 4), 200, 100), 1, 2.5, 2, 1);
    // A box wider than the picture: top and height stay, the picture moves right.
    ExpectRect(*FitPictureBox(QRectF(1, 1, 6, 1), 200, 100), 3, 1, 2, 1);
    // Equal proportions: nothing moves.
    ExpectRect(*FitPictureBox(QRectF(1, 1, 2, 1), 200, 100), 1, 1, 2, 1);

    // What cannot be placed: a box of neither width nor height, frames of no or negative size.
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 0, 0), 200, 100));
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 0, 1.3), 0, 100));
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 0, 1.3), 200, 0));
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 0, 1.3), -200, 100));
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 2, -1), 200, 100));
    EXPECT_FALSE(FitPictureBox(QRectF(1, 1, 2, 1), NAN, 100));

    // The units per inch of a placeable header play no part: the box alone sizes the picture.
    const auto coarse = ReadMetafileHeader(WmfBuilder(0, 0, 300, 100, 96).bytes());
    const auto fine = ReadMetafileHeader(WmfBuilder(0, 0, 300, 100, 2400).bytes());
    EXPECT_EQ(*FitPictureBox(QRectF(0, 0, 0, 1.3), double(coarse->width()), double(coarse->height())),
              *FitPictureBox(QRectF(0, 0, 0, 1.3), double(fine->width()), double(fine->height())));
}

TEST(MetafileTest, TheRecordsThePlayerDrawsAreDecodedAndOthersSkipped)
{
    WmfBuilder b(0, 0, 1000, 500);
    b.windowOrg(10, 20)
        .windowExt(1000, 500)
        .record(0x0103, {8})           // the mapping mode: not drawn
        .record(0x0201, {0xFFFF, 0xFF}) // the background colour: not drawn
        .pen(2, 15, QColor(1, 2, 3))
        .brush(2, QColor(4, 5, 6), 3)
        .font(-120, 700, true, "Arial")
        .select(1)
        .rectangle(10, 20, 110, 70)
        .ellipse(-5, -6, 7, 8)
        .polyline({{1, 2}, {3, 4}, {5, 6}})
        .polyPolygon({{{0, 0}, {10, 0}, {10, 10}}, {{20, 20}, {30, 20}, {30, 30}, {20, 30}}})
        .textOut(300, 400, "Odd")
        .textColour(QColor(9, 8, 7))
        .remove(1);
    const auto m = ParseMetafile(b.bytes(5));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->objectSlots, 5);
    using Op = WmfRecord::Op;
    std::vector<Op> ops;
    for (const WmfRecord& r : m->records)
        ops.push_back(r.op);
    EXPECT_EQ(ops, (std::vector<Op>{Op::WindowOrg, Op::WindowExt, Op::CreatePen, Op::CreateBrush, Op::CreateFont,
                                    Op::SelectObject, Op::Rectangle, Op::Ellipse, Op::Polyline, Op::PolyPolygon,
                                    Op::TextOut, Op::TextColour, Op::DeleteObject}));
    const auto& r = m->records;
    EXPECT_EQ(r[0].point, QPoint(10, 20));
    EXPECT_EQ(r[2].pen.style, 2);
    EXPECT_EQ(r[2].pen.width, 15);
    EXPECT_EQ(r[2].pen.colour, QColor(1, 2, 3));
    EXPECT_EQ(r[3].brush.style, 2);
    EXPECT_EQ(r[3].brush.hatch, 3);
    EXPECT_EQ(r[3].brush.colour, QColor(4, 5, 6));
    EXPECT_EQ(r[4].font.height, -120);
    EXPECT_EQ(r[4].font.weight, 700);
    EXPECT_TRUE(r[4].font.italic);
    EXPECT_EQ(r[4].font.face, "Arial");
    EXPECT_EQ(r[5].value, 1);
    // The corners stand in the file bottom-right first.
    EXPECT_EQ(r[6].rect.topLeft(), QPoint(10, 20));
    EXPECT_EQ(r[6].rect.right(), 110);
    EXPECT_EQ(r[6].rect.bottom(), 70);
    EXPECT_EQ(r[7].rect.topLeft(), QPoint(-5, -6));
    EXPECT_EQ(r[8].polygons.front(), QPolygon({QPoint(1, 2), QPoint(3, 4), QPoint(5, 6)}));
    ASSERT_EQ(r[9].polygons.size(), 2u);
    EXPECT_EQ(r[9].polygons[1].size(), 4);
    EXPECT_EQ(r[9].polygons[1][2], QPoint(30, 30));
    EXPECT_EQ(r[10].text, "Odd");
    EXPECT_EQ(r[10].point, QPoint(300, 400));
    EXPECT_EQ(r[11].colour, QColor(9, 8, 7));
}

TEST(MetafileTest, TheShippedLogoIsOurOwnPlaceableMetafileAndStandsBesideTheProgram)
{
    const QByteArray logo = ShippedLogo();
    const auto m = ParseMetafile(logo);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->header.kind, MetafileKind::Placeable);
    EXPECT_GT(m->header.width(), m->header.height());
    bool text = false;
    int drawn = 0;
    for (const WmfRecord& r : m->records) {
        text = text || (r.op == WmfRecord::Op::TextOut && r.text == QLatin1String("SARVOTEX"));
        drawn += r.op == WmfRecord::Op::Ellipse || r.op == WmfRecord::Op::Polyline || r.op == WmfRecord::Op::Polygon ||
                 r.op == WmfRecord::Op::LineTo || r.op == WmfRecord::Op::Rectangle;
    }
    EXPECT_TRUE(text);
    EXPECT_GE(drawn, 5);

    // The build puts the same file beside the program, where the program looks for it.
    QFile beside(QCoreApplication::applicationDirPath() + QStringLiteral("/logo.wmf"));
    ASSERT_TRUE(beside.open(QIODevice::ReadOnly)) << beside.fileName().toStdString();
    EXPECT_EQ(beside.readAll(), logo);
}

// Every length of the logo short of the whole is a damaged file: no picture, and no byte read
// beyond the end (the bytes are copied, so a read past them would leave the buffer).
TEST(MetafileTest, ALogoCutShortAtAnyLengthGivesNoPicture)
{
    const QByteArray logo = ShippedLogo();
    ASSERT_GT(logo.size(), kFirstRecord);
    for (qsizetype n = 0; n < logo.size(); ++n) {
        const QByteArray cut(logo.constData(), n);
        EXPECT_FALSE(ParseMetafile(cut)) << "cut at " << n;
    }
    // Trailing bytes after the end record change nothing.
    EXPECT_TRUE(ParseMetafile(logo + QByteArray(7, 'x')));
}

TEST(MetafileTest, SizesAndCountsThatDoNotFitTheirRecordGiveNoPicture)
{
    const QByteArray good = Square().bytes();
    ASSERT_TRUE(ParseMetafile(good));

    // The first record's size: none, less than its own header, beyond the file.
    EXPECT_FALSE(ParseMetafile(WithWord(good, kFirstRecord, 0)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, kFirstRecord, 2)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, kFirstRecord + 2, 0x7FFF)));
    // The metafile header: its size below its own, beyond the file; a wrong header size; a
    // version that is none; more object slots than any picture needs.
    EXPECT_FALSE(ParseMetafile(WithWord(WithWord(good, 28, 4), 30, 0)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, 28, 0xFFFF)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, 24, 8)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, 26, 0x0200)));
    EXPECT_FALSE(ParseMetafile(WithWord(good, 32, 50000)));
    // No end record.
    EXPECT_FALSE(ParseMetafile(Square().bytes(8, false)));

    // Counts beyond their record.
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0325, WmfBuilder::words({3, 1, 1, 2, 2})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0324, WmfBuilder::words({-1})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0538, WmfBuilder::words({2, 1, 40000, 0, 0})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0538, WmfBuilder::words({60000})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0521, WmfBuilder::words({50}) + "abc").bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0A32, WmfBuilder::words({0, 0, 9, 0}) + "ab").bytes()));
    // Fixed parameters cut short.
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x02FA, WmfBuilder::words({0, 1})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x041B, WmfBuilder::words({1, 2, 3})).bytes()));
    EXPECT_FALSE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x02FB, WmfBuilder::words({1, 2, 3})).bytes()));

    // An unknown record of any size that fits is passed over.
    EXPECT_TRUE(ParseMetafile(WmfBuilder(0, 0, 10, 10).raw(0x0F43, QByteArray(300, 'z')).lineTo(1, 1).bytes()));
}

// Random damage anywhere in the logo: the reader either refuses the file or gives records whose
// every polygon holds the points it says, and it never runs away.
TEST(MetafileTest, RandomBytesInTheLogoNeverLeadTheReaderAstray)
{
    const QByteArray logo = ShippedLogo();
    QRandomGenerator random(20240314);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = logo;
        const int hits = 1 + int(random.bounded(8));
        for (int i = 0; i < hits; ++i)
            damaged[int(random.bounded(damaged.size()))] = char(random.bounded(256));
        const auto m = ParseMetafile(damaged);
        if (!m) {
            ++refused;
            continue;
        }
        EXPECT_LE(m->records.size(), std::size_t(damaged.size() / 6));
        for (const WmfRecord& r : m->records) {
            for (const QPolygon& p : r.polygons)
                EXPECT_LE(p.size(), damaged.size() / 4);
        }
    }
    EXPECT_GT(refused, 0);
    // Pure noise, of many lengths, with the key in front so that the records are read.
    for (int round = 0; round < 2000; ++round) {
        QByteArray noise(int(random.bounded(40, 400)), '\0');
        for (auto& byte : noise)
            byte = char(random.bounded(256));
        noise = WmfBuilder(0, 0, 10, 10).bytes().left(kFirstRecord) + noise;
        (void)ParseMetafile(noise);
    }
}

TEST(MetafileTest, AFileThatIsMissingOrTooLargeForALogoIsNotRead)
{
    QTemporaryDir dir;
    EXPECT_FALSE(LoadMetafile(dir.filePath("missing.wmf")));
    EXPECT_FALSE(LoadMetafile(dir.path()));

    QFile good(dir.filePath("good.wmf"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(Square().bytes());
    good.close();
    EXPECT_TRUE(LoadMetafile(good.fileName()));

    // A picture followed by a sparse tail past the limit.
    QFile huge(dir.filePath("huge.wmf"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(Square().bytes());
    ASSERT_TRUE(huge.resize(kMaxMetafileBytes + 1));
    huge.close();
    EXPECT_FALSE(LoadMetafile(huge.fileName()));
}
