// The viewing-angle diagram through the recording canvas, and its window's stored place.

#include "display/ui/view_window.h"
#include "display/viewing.h"
#include "gui/form_utilities.h"
#include "tests/display/display_test.h"

#include <QLabel>

#include <cmath>
#include <tuple>

namespace sarvo::display {
namespace {

using test::DisplayTest;

// 400 x 300 pixels: 6000 x 4500 twips, so R = 1500 and the centre is (3000, 2250).
constexpr double kCx = 3000, kCy = 2250, kR = 1500;

QPointF at(double r, int degrees)
{
    const double rad = degrees * 3.14159265359 / 180;
    return {kCx + r * std::cos(rad), kCy + r * std::sin(rad)};
}

bool near(const QPointF& a, const QPointF& b)
{
    return std::abs(a.x() - b.x()) < 0.5 && std::abs(a.y() - b.y()) < 0.5;
}

struct Drawn {
    RecordingCanvas canvas{QSizeF(400, 300)};
    explicit Drawn(const ViewParams& params) { DrawViewingDiagram(canvas, params, QStringLiteral("Start")); }

    // The line ends of one colour and style, in drawing order.
    std::vector<QPointF> ends(const QColor& colour, DrawStyle style) const
    {
        std::vector<QPointF> out;
        for (const auto& l : canvas.lines)
            if (l.pen.colour == colour && l.pen.style == style)
                out.push_back(l.to);
        return out;
    }
    std::vector<QPointF> circles(double radius) const
    {
        std::vector<QPointF> out;
        for (const auto& c : canvas.circles)
            if (c.radius == radius)
                out.push_back(c.centre);
        return out;
    }
};

const QColor kGreen(0x00, 0xFF, 0x00), kRed(0xFF, 0x00, 0x00), kBlue(0x00, 0x00, 0xFF), kCyan(0x00, 0x80, 0x80);

TEST(ViewingDiagram, DynamicCounterClockwiseSpiralsInwardFromTheStartMarker)
{
    const Drawn d(ViewParams{});
    ASSERT_EQ(d.circles(50).size(), 1u);
    EXPECT_TRUE(near(d.circles(50)[0], at(kR + 300, -180)));
    const auto before = d.ends(kBlue, DrawStyle::Dotted);
    const auto after = d.ends(kCyan, DrawStyle::Dotted);
    ASSERT_EQ(before.size(), 46u);
    ASSERT_EQ(after.size(), 46u);
    EXPECT_TRUE(near(before.front(), at(kR, -180)));
    // The red arc: 181 points, then its two arrowhead strokes.
    const auto arc = d.ends(kRed, DrawStyle::Solid);
    ASSERT_EQ(arc.size(), 183u);
    EXPECT_TRUE(near(arc[180], at(kR - 92 - 360, 360)));
    EXPECT_TRUE(near(after.back(), at(kR - 544, 540)));
    // The end tick leaves the spiral 546 twips inside R, at 180 degrees.
    const auto& tick = d.canvas.lines.back();
    EXPECT_EQ(tick.pen.colour, kGreen);
    EXPECT_TRUE(near(tick.from, at(kR - 546, 180)));
    EXPECT_TRUE(near(tick.to, at(kR - 246, 180)));
    ASSERT_EQ(d.canvas.texts.size(), 1u);
    EXPECT_EQ(d.canvas.texts[0].text, "Start");
}

TEST(ViewingDiagram, ClockwiseRunsDownwardAndZeroOvershootDrawsSinglePoints)
{
    ViewParams cw;
    cw.counterClockwise = false;
    const Drawn d(cw);
    const auto before = d.ends(kBlue, DrawStyle::Dotted);
    EXPECT_TRUE(near(d.circles(50)[0], at(kR + 300, 180)));
    EXPECT_TRUE(near(before[1], at(kR - 2, 536)));
    EXPECT_TRUE(near(d.ends(kCyan, DrawStyle::Dotted).back(), at(kR - 544, -180)));

    ViewParams none;
    none.overshoot = 0;
    const Drawn n(none);
    EXPECT_EQ(n.ends(kBlue, DrawStyle::Dotted).size(), 1u);
    EXPECT_EQ(n.ends(kCyan, DrawStyle::Dotted).size(), 1u);
}

TEST(ViewingDiagram, AnglesWrapAt1440AndHugeEntriesAreClamped)
{
    EXPECT_EQ(ViewAngle(1500), 60);
    EXPECT_EQ(ViewAngle(2.5), 2);
    EXPECT_EQ(ViewAngle(1e300), ViewAngle(1e15));
    EXPECT_EQ(ViewAngle(std::nan("")), 0);
    ViewParams wrapped;
    wrapped.startAngle = 1500, wrapped.endAngle = 1500 + 360, wrapped.overshoot = 0;
    ViewParams plain;
    plain.startAngle = 60, plain.endAngle = 420, plain.overshoot = 0;
    EXPECT_EQ(Drawn(wrapped).ends(kRed, DrawStyle::Solid), Drawn(plain).ends(kRed, DrawStyle::Solid));
    // An end at or before the start lies one turn on, as the run takes it: 90 to 0 measures 270
    // degrees, 136 points 2 degrees apart and the arrowhead.
    for (const bool counterClockwise : {true, false}) {
        ViewParams backwards{.counterClockwise = counterClockwise, .startAngle = 90, .endAngle = 0}, forwards = backwards;
        forwards.endAngle = 360;
        const auto arc = Drawn(backwards).ends(kRed, DrawStyle::Solid);
        EXPECT_EQ(std::tuple(arc.size(), arc), std::tuple(138u, Drawn(forwards).ends(kRed, DrawStyle::Solid)));
    }
}

TEST(ViewingDiagram, StaticPointsEveryFortyFiveDegreesWithTheirCyanPolylines)
{
    ViewParams s;
    s.dynamic = false;
    const Drawn ccw(s);
    const auto points = ccw.circles(30);
    ASSERT_EQ(points.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(near(points[std::size_t(i)], at(kR, 45 * i))) << i;
    // Each point: nine cyan strokes through i+8 .. i+40, then two arrowhead strokes.
    const auto cyan = ccw.ends(kCyan, DrawStyle::Solid);
    ASSERT_EQ(cyan.size(), 8u * 11u);
    EXPECT_TRUE(near(cyan[0], at(kR, 8)));
    EXPECT_TRUE(near(cyan[8], at(kR, 40)));
    EXPECT_TRUE(near(ccw.circles(50)[0], at(kR, -4) + QPointF(300, 300)));

    s.counterClockwise = false;
    const auto cw = Drawn(s).circles(30);
    ASSERT_EQ(cw.size(), 8u);
    EXPECT_TRUE(near(cw[7], at(kR, -315)));

    s.counterClockwise = true;
    s.startAxisIndex = 1; // 180
    s.endAxisIndex = 0;   // 0 becomes 360
    const auto half = Drawn(s).circles(30);
    ASSERT_EQ(half.size(), 5u);
    EXPECT_TRUE(near(half.front(), at(kR, 180)));
    EXPECT_TRUE(near(half.back(), at(kR, 360)));
}

TEST(ViewingDiagram, AxisLabelsAndOpeningEntries)
{
    EXPECT_EQ(ViewAxisLabels(ViewPlane::XZ)[0], "-Z");
    EXPECT_EQ(ViewAxisLabels(ViewPlane::XZ)[1], "+Z");

    QTemporaryDir dir;
    const IniFile ini(dir.filePath("Sarvotex.ini"));
    EXPECT_EQ(OpeningViewParams(ini).endAngle, 360);
    ini.set("BasicInput", "StartPosition", "45.5x");
    ini.set("BasicInput", "AngularOvershoot", "none");
    const ViewParams p = OpeningViewParams(ini);
    EXPECT_EQ(p.startAngle, 45.5);
    EXPECT_EQ(p.overshoot, 0);
    EXPECT_TRUE(p.dynamic && p.counterClockwise && p.plane == ViewPlane::XY);
}

class ViewWindowTest : public DisplayTest {};

TEST_F(ViewWindowTest, PlaceIsKeptUnderOneKeyWhateverTheCaption)
{
    ViewParams params;
    params.plane = ViewPlane::YZ;
    std::vector<bool> opened;
    {
        ViewWindow window([&] { return params; }, iniFile, [&](bool open) { opened.push_back(open); });
        EXPECT_EQ(window.axisLabels()[0]->text(), "+Z");
        params.plane = ViewPlane::XY;
        window.relabel();
        EXPECT_EQ(window.axisLabels()[0]->text(), "+Y");
        window.show();
        window.setWindowTitle("Blickwinkel");
        window.move(40, 50);
        window.close();
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false}));
    EXPECT_EQ(IniFile(iniFile).get("Places", "frmView left", ""), "40");
    EXPECT_EQ(IniFile(iniFile).get("Places", "Blickwinkel left", "none"), "none");
}

} // namespace
} // namespace sarvo::display
