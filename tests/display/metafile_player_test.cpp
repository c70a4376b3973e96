// The metafile player on a painter: the window's origin and extent map the picture into its
// box, objects live in the slots the records say, nothing lands outside the box, and damaged
// pictures that still decode play without harm.
#include "display/metafile.h"

#include "tests/display/wmf_builder.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace sarvo;
using namespace sarvo::display;
using namespace sarvo::test;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

QImage Blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void Play(const QByteArray& bytes, QImage& image, const QRectF& box)
{
    const auto m = ParseMetafile(bytes);
    ASSERT_TRUE(m);
    QPainter painter(&image);
    PlayMetafile(*m, painter, box);
}

int Count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& is)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += is(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

} // namespace

TEST(MetafilePlayerTest, TheWindowMapsThePictureIntoItsBoxAndObjectsTakeTheirSlots)
{
    // The picture's own units run from (100, 100) over 200 x 100; a solid blue rectangle fills
    // its right half. The red pen of slot 0 is deleted and its slot taken by a green one.
    WmfBuilder b(0, 0, 10, 10);
    b.windowOrg(100, 100)
        .windowExt(200, 100)
        .pen(0, 0, Qt::red)   // slot 0
        .pen(5, 0, Qt::black) // slot 1: no pen
        .brush(0, Qt::blue)   // slot 2
        .remove(0)
        .pen(0, 0, Qt::green) // slot 0 again
        .select(1)
        .select(2)
        .rectangle(200, 100, 300, 200)
        .select(0)
        .moveTo(100, 150)
        .lineTo(200, 150);
    QImage image = Blank(300, 200);
    Play(b.bytes(3), image, QRectF(50, 50, 200, 100));

    EXPECT_EQ(image.pixel(200, 100), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(245, 60), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(140, 70), kWhite);
    // The line across the left half is green, and no red is anywhere.
    EXPECT_GT(Count(image, QRect(55, 98, 90, 5), [](QRgb p) { return qGreen(p) > 200 && qRed(p) < 80; }), 50);
    EXPECT_EQ(Count(image, image.rect(), [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80; }), 0);
    // Nothing outside the box.
    EXPECT_EQ(Count(image, QRect(0, 0, 300, 50), [](QRgb p) { return p != kWhite; }), 0);
    EXPECT_EQ(Count(image, QRect(251, 0, 49, 200), [](QRgb p) { return p != kWhite; }), 0);
}

TEST(MetafilePlayerTest, ThePictureStaysInsideItsBoxAndThePainterIsLeftAsItWas)
{
    // Shapes far beyond the bounding box are cut at the box.
    WmfBuilder b(0, 0, 100, 100);
    b.brush(0, Qt::black).select(0).ellipse(-1000, -1000, 1000, 1000).polygon({{-500, 50}, {500, 50}, {0, 900}});
    QImage image = Blank(200, 200);
    QPainter painter(&image);
    const QPen pen(Qt::magenta, 7);
    painter.setPen(pen);
    painter.setBrush(Qt::yellow);
    const auto m = ParseMetafile(b.bytes());
    ASSERT_TRUE(m);
    PlayMetafile(*m, painter, QRectF(50, 50, 100, 100));
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), QBrush(Qt::yellow));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(image.pixel(100, 100), qRgb(0, 0, 0));
    EXPECT_EQ(Count(image, QRect(0, 0, 200, 49), [](QRgb p) { return p != kWhite; }), 0);
    EXPECT_EQ(Count(image, QRect(0, 151, 200, 49), [](QRgb p) { return p != kWhite; }), 0);
}

TEST(MetafilePlayerTest, TheShippedLogoDrawsItsCircleTraceAndName)
{
    QFile f(QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray logo = f.readAll();
    QImage image = Blank(600, 240);
    Play(logo, image, QRectF(0, 20, 540, 200));
    const auto navy = [](QRgb p) { return qBlue(p) > 110 && qRed(p) < 60 && qGreen(p) < 90; };
    const auto red = [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 60 && qBlue(p) < 60; };
    // The circle on the left fifth, the name to the right of it.
    EXPECT_GT(Count(image, QRect(0, 20, 200, 200), navy), 200);
    EXPECT_GT(Count(image, QRect(0, 20, 200, 200), red), 50);
    EXPECT_GT(Count(image, QRect(210, 20, 330, 200), navy), 200);
    EXPECT_EQ(Count(image, QRect(0, 0, 600, 20), [](QRgb p) { return p != kWhite; }), 0);
}

TEST(MetafilePlayerTest, DamagedLogosThatStillDecodePlayWithoutHarm)
{
    QFile f(QStringLiteral(SARVOTEX_SOURCE_DIR "/data/logo.wmf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray logo = f.readAll();
    QRandomGenerator random(7);
    int played = 0;
    QImage image = Blank(120, 60);
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = logo;
        for (int i = 0; i < 4; ++i)
            damaged[int(random.bounded(40, damaged.size()))] = char(random.bounded(256));
        const auto m = ParseMetafile(damaged);
        if (!m)
            continue;
        QPainter painter(&image);
        PlayMetafile(*m, painter, QRectF(10, 10, 100, 40));
        ++played;
    }
    EXPECT_GT(played, 50);
    // The box held everything.
    EXPECT_EQ(Count(image, QRect(0, 0, 120, 9), [](QRgb p) { return p != kWhite; }), 0);
    EXPECT_EQ(Count(image, QRect(0, 51, 120, 9), [](QRgb p) { return p != kWhite; }), 0);
}
