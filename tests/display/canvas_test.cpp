// The drawing surface: user scales both ways up, the current position after text, lines and
// circles, the pen and font state the recording keeps, and the same operations painted into an
// image.
#include "display/canvas.h"

#include "core/app_error.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace sarvo::display {
namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kBlue = 0xff0000ff;

// 8 points at 96 dots per inch: an em of 32/3 pixels.
constexpr double kEm8 = 8 * 96.0 / 72.0;

void ExpectPoint(const QPointF& actual, double x, double y, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), x, tolerance);
    EXPECT_NEAR(actual.y(), y, tolerance);
}

TEST(CanvasTest, UserScalesMapOntoTheSurfaceEitherWayUp)
{
    RecordingCanvas canvas(QSizeF(200, 80));
    // The pixel scale at the start: the surface itself.
    EXPECT_EQ(canvas.scaleWidth(), 200);
    EXPECT_EQ(canvas.scaleHeight(), 80);
    ExpectPoint(canvas.toDevice(QPointF(12.5, 7)), 12.5, 7);

    // y upward: the top edge is y = 2, the bottom y = -2.
    canvas.setScale(10, 2, 100, -4);
    ExpectPoint(canvas.toDevice(QPointF(10, 2)), 0, 0);
    ExpectPoint(canvas.toDevice(QPointF(110, -2)), 200, 80);
    ExpectPoint(canvas.toDevice(QPointF(60, 1)), 100, 20);
    ExpectPoint(canvas.toUser(QPointF(100, 20)), 60, 1);

    // Each setter keeps the other three.
    canvas.setScaleLeft(0);
    EXPECT_EQ(canvas.scaleTop(), 2);
    EXPECT_EQ(canvas.scaleWidth(), 100);
    EXPECT_EQ(canvas.scaleHeight(), -4);
    ExpectPoint(canvas.toDevice(QPointF(50, 0)), 100, 40);

    canvas.setPixelScale();
    ExpectPoint(canvas.toDevice(QPointF(3, 4)), 3, 4);

    // Nothing could be mapped through a scale without extent.
    EXPECT_THROW(canvas.setScaleWidth(0), AppError);
    EXPECT_THROW(canvas.setScaleHeight(std::numeric_limits<double>::quiet_NaN()), AppError);
    EXPECT_THROW(canvas.setScale(0, 0, 10, 0), AppError);
    EXPECT_EQ(canvas.scaleWidth(), 200);

    // An empty surface maps one to one instead of dividing by zero.
    RecordingCanvas empty(QSizeF(0, 0));
    ExpectPoint(empty.toDevice(QPointF(3, 4)), 3, 4);
    EXPECT_DOUBLE_EQ(empty.textWidth("abc"), 3 * RecordingCanvas::kCharWidth * kEm8);
}

TEST(CanvasTest, PrintAdvancesAlongTheLineOrDownThePage)
{
    RecordingCanvas canvas(QSizeF(100, 100));
    const double charPx = RecordingCanvas::kCharWidth * kEm8;
    const double linePx = RecordingCanvas::kLineHeight * kEm8;

    canvas.moveTo(QPointF(5, 7));
    canvas.print("abc", false);
    ExpectPoint(canvas.current(), 5 + 3 * charPx, 7);
    canvas.print("de");
    ExpectPoint(canvas.current(), 0, 7 + linePx);
    ASSERT_EQ(canvas.texts.size(), 2u);
    ExpectPoint(canvas.texts[0].topLeft, 5, 7);
    ExpectPoint(canvas.texts[1].topLeft, 5 + 3 * charPx, 7);

    // Ten pixels a unit, y upward: sizes are magnitudes in units, and a line end still moves
    // down the page (towards smaller y) to the scale's left edge.
    canvas.setScale(-3, 10, 10, -10);
    EXPECT_NEAR(canvas.textWidth("ab"), 2 * charPx / 10, 1e-12);
    EXPECT_NEAR(canvas.textHeight("ab"), linePx / 10, 1e-12);
    canvas.moveTo(QPointF(1, 5));
    canvas.print("x");
    ExpectPoint(canvas.current(), -3, 5 - linePx / 10);

    // The font's size scales the measure; bold and italic are kept with the text.
    canvas.setFontSize(16);
    canvas.setFontBold(true);
    canvas.setFontItalic(true);
    EXPECT_NEAR(canvas.textHeight("x"), 2 * linePx / 10, 1e-12);
    canvas.print("big");
    const RecordingCanvas::Text& big = canvas.texts.back();
    EXPECT_EQ(big.text, "big");
    EXPECT_EQ(big.font.size, 16);
    EXPECT_TRUE(big.font.bold);
    EXPECT_TRUE(big.font.italic);
    canvas.setFontSize(0); // refused: the size stays
    EXPECT_EQ(canvas.font().size, 16);
}

TEST(CanvasTest, TheRecordingKeepsLinesCirclesAndPensUntilCleared)
{
    RecordingCanvas canvas(QSizeF(100, 50));
    canvas.setScale(0, 5, 10, -10); // 10 pixels a unit across, 5 down
    canvas.setForeColor(Qt::red);
    canvas.setDrawWidth(3);
    canvas.setDrawStyle(DrawStyle::Dotted);
    canvas.line(QPointF(1, 2), QPointF(3, 4));
    ExpectPoint(canvas.current(), 3, 4);
    canvas.setDrawStyle(DrawStyle::Solid);
    canvas.setDrawWidth(0); // at least one dot
    canvas.lineTo(QPointF(5, -1));
    canvas.line(QPointF(0, 0), QPointF(1, 1), Qt::blue);
    canvas.circle(QPointF(4, 1), 2.5);
    ExpectPoint(canvas.current(), 4, 1);

    // A line whose ends cannot be mapped is dropped and leaves the position.
    canvas.lineTo(QPointF(std::numeric_limits<double>::infinity(), 0));
    ExpectPoint(canvas.current(), 4, 1);

    ASSERT_EQ(canvas.lines.size(), 3u);
    ExpectPoint(canvas.lines[0].from, 1, 2);
    ExpectPoint(canvas.lines[0].to, 3, 4);
    EXPECT_EQ(canvas.lines[0].pen.colour, QColor(Qt::red));
    EXPECT_EQ(canvas.lines[0].pen.width, 3);
    EXPECT_EQ(canvas.lines[0].pen.style, DrawStyle::Dotted);
    ExpectPoint(canvas.lines[1].from, 3, 4);
    ExpectPoint(canvas.lines[1].to, 5, -1);
    EXPECT_EQ(canvas.lines[1].pen.width, 1);
    EXPECT_EQ(canvas.lines[1].pen.style, DrawStyle::Solid);
    EXPECT_EQ(canvas.lines[2].pen.colour, QColor(Qt::blue));
    EXPECT_EQ(canvas.foreColor(), QColor(Qt::red)); // the explicit colour is for that line only
    ASSERT_EQ(canvas.circles.size(), 1u);
    EXPECT_EQ(canvas.circles[0].radius, 2.5);

    canvas.clear();
    EXPECT_TRUE(canvas.lines.empty());
    EXPECT_TRUE(canvas.circles.empty());
    EXPECT_EQ(canvas.clears, 1);
    ExpectPoint(canvas.current(), 0, 5); // the scale's origin
}

QImage Blank(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black); // the canvas must clear to white itself
    return image;
}

TEST(CanvasTest, ThePainterBackEndPutsUnmixedColoursWhereTheScaleSays)
{
    QImage image = Blank(200, 100);
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(image.size()));
        canvas.clear();
        // 1 unit = 2 pixels across and 2 down, y upward from the bottom edge.
        canvas.setScale(0, 50, 100, -50);
        canvas.setForeColor(QColor(0xFF, 0x00, 0x00));
        canvas.line(QPointF(10, 40), QPointF(60, 40)); // device row 20, x 20..120
        canvas.setForeColor(QColor(0x00, 0x00, 0xFF));
        canvas.setDrawWidth(5);
        canvas.line(QPointF(80, 5), QPointF(80, 30)); // device column 160, rows 40..90
        canvas.setDrawWidth(1);
        canvas.setPixelScale();
        canvas.setForeColor(QColor(0xC0, 0xC0, 0xC0));
        canvas.circle(QPointF(50, 60), 20);
        canvas.setForeColor(Qt::black);
        canvas.setDrawStyle(DrawStyle::Dotted);
        canvas.line(QPointF(10, 95), QPointF(190, 95));
    }
    EXPECT_EQ(image.pixel(0, 0), kWhite);
    EXPECT_EQ(image.pixel(70, 20), kRed);
    EXPECT_EQ(image.pixel(70, 22), kWhite);
    EXPECT_EQ(image.pixel(10, 20), kWhite);
    // Five dots wide.
    EXPECT_EQ(image.pixel(160, 65), kBlue);
    EXPECT_EQ(image.pixel(158, 65), kBlue);
    EXPECT_EQ(image.pixel(162, 65), kBlue);
    EXPECT_EQ(image.pixel(165, 65), kWhite);
    // The circle's rim, not its inside.
    int grey = 0;
    for (int x = 68; x <= 72; ++x)
        grey += image.pixel(x, 60) == qRgb(0xC0, 0xC0, 0xC0) ? 1 : 0;
    EXPECT_GE(grey, 1);
    EXPECT_EQ(image.pixel(50, 60), kWhite);
    // Dotted: black and white alternate along the line.
    int black = 0;
    int white = 0;
    for (int x = 20; x < 180; ++x) {
        black += image.pixel(x, 95) == qRgb(0, 0, 0) ? 1 : 0;
        white += image.pixel(x, 95) == kWhite ? 1 : 0;
    }
    EXPECT_GT(black, 20);
    EXPECT_GT(white, 20);
}

TEST(CanvasTest, ThePainterBackEndWritesTextBelowAndRightOfThePosition)
{
    QImage image = Blank(200, 60);
    double width = 0;
    double height = 0;
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(image.size()));
        canvas.clear();
        canvas.setFontSize(12);
        canvas.setForeColor(QColor(0x00, 0x00, 0xFF));
        canvas.moveTo(QPointF(50, 20));
        width = canvas.textWidth("WWW");
        height = canvas.textHeight("WWW");
        canvas.print("WWW");
        EXPECT_NEAR(canvas.currentY(), 20 + height, 1e-9);
    }
    ASSERT_GT(width, 10);
    ASSERT_GT(height, 10);
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == kWhite)
                continue;
            const bool in = x >= 49 && x <= 50 + width + 1 && y >= 19 && y <= 20 + height + 1;
            (in ? inside : outside) += 1;
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST(CanvasTest, LinesAreCutToTheClipWhichStaysWhereItWasSet)
{
    RecordingCanvas canvas(QSizeF(100, 100));
    canvas.setScale(0, 10, 10, -10); // y upward
    canvas.setClip(QRectF(QPointF(2, 8), QPointF(8, 2)));
    EXPECT_TRUE(canvas.clipped());
    canvas.line(QPointF(0, 5), QPointF(10, 5)); // across: cut at both sides
    canvas.line(QPointF(3, 3), QPointF(4, 4));  // inside: as given
    canvas.line(QPointF(0, 0), QPointF(1, 9));  // outside: nothing, but the position moves
    ExpectPoint(canvas.current(), 1, 9);
    canvas.line(QPointF(5, 5), QPointF(5, 20)); // leaves at the top
    ASSERT_EQ(canvas.lines.size(), 3u);
    ExpectPoint(canvas.lines[0].from, 2, 5);
    ExpectPoint(canvas.lines[0].to, 8, 5);
    EXPECT_EQ(canvas.lines[1].from, QPointF(3, 3));
    EXPECT_EQ(canvas.lines[1].to, QPointF(4, 4));
    ExpectPoint(canvas.lines[2].from, 5, 5);
    ExpectPoint(canvas.lines[2].to, 5, 8);

    // Another scale: the clip keeps its place on the surface (device 20..80 both ways).
    canvas.setScale(0, 0, 100, 100);
    canvas.line(QPointF(0, 50), QPointF(100, 50));
    ExpectPoint(canvas.lines[3].from, 20, 50);
    ExpectPoint(canvas.lines[3].to, 80, 50);
    canvas.clearClip();
    canvas.line(QPointF(0, 50), QPointF(100, 50));
    ExpectPoint(canvas.lines[4].from, 0, 50);
    // Texts and circles are not cut.
    canvas.setClip(QRectF(0, 0, 1, 1));
    canvas.moveTo(QPointF(50, 50));
    canvas.print("far off");
    canvas.circle(QPointF(50, 50), 10);
    EXPECT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.circles.size(), 1u);
}

// A filled box: recorded in user units and cut to the clip; the position stays, and clearing
// forgets it.
TEST(CanvasTest, FilledBoxesAreCutToTheClipAndPaintedInTheirColour)
{
    RecordingCanvas canvas(QSizeF(100, 100));
    canvas.setScale(0, 10, 10, -10); // y upward
    canvas.moveTo(QPointF(1, 1));
    canvas.fillBox(QRectF(QPointF(1, 9), QPointF(3, 6)), Qt::red);
    canvas.setClip(QRectF(QPointF(2, 8), QPointF(8, 2)));
    canvas.fillBox(QRectF(QPointF(0, 5), QPointF(10, 4)), Qt::blue); // cut at both sides
    canvas.fillBox(QRectF(QPointF(0, 9), QPointF(1, 10)), Qt::blue); // wholly outside: nothing
    ExpectPoint(canvas.current(), 1, 1);
    ASSERT_EQ(canvas.boxes.size(), 2u);
    EXPECT_EQ(canvas.boxes[0].rect, QRectF(QPointF(1, 6), QPointF(3, 9)));
    EXPECT_EQ(canvas.boxes[0].colour, QColor(Qt::red));
    EXPECT_EQ(canvas.boxes[1].rect, QRectF(QPointF(2, 4), QPointF(8, 5)));
    canvas.clear();
    EXPECT_TRUE(canvas.boxes.empty());
}

TEST(CanvasTest, APictureGetsItsBoxInDevicePixelsAndPaintsOnlyThere)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QRectF seen;
    {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(image.size()));
        canvas.setScale(0, 0, 10, 10);
        canvas.moveTo(QPointF(7, 7));
        canvas.picture(QRectF(2, 3, 4, 5), [&seen](QPainter& p, const QRectF& box) {
            seen = box;
            p.fillRect(box, Qt::red);
            p.setPen(Qt::blue); // the canvas's painter state is not the picture's
        });
        ExpectPoint(canvas.current(), 7, 7);
        canvas.setForeColor(Qt::black);
        canvas.line(QPointF(0, 9.5), QPointF(10, 9.5));
    }
    EXPECT_EQ(seen, QRectF(20, 30, 40, 50));
    EXPECT_EQ(image.pixel(40, 50), kRed);
    EXPECT_EQ(image.pixel(10, 10), kWhite);
    EXPECT_EQ(image.pixel(50, 95), 0xff000000);

    RecordingCanvas recording(QSizeF(100, 100));
    recording.setScale(0, 0, 10, 10);
    recording.picture(QRectF(2, 3, 4, 5), [](QPainter&, const QRectF&) { FAIL() << "a recording paints nothing"; });
    ASSERT_EQ(recording.pictures.size(), 1u);
    EXPECT_EQ(recording.pictures[0], QRectF(2, 3, 4, 5));
}

} // namespace
} // namespace sarvo::display
