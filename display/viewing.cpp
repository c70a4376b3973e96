#include "display/viewing.h"

#include "analysis/trig_tables.h"
#include "core/case.h"
#include "core/utilities.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace sarvo::display {

namespace {

const QColor kLightGreen(0x00, 0xFF, 0x00);
const QColor kLightRed(0xFF, 0x00, 0x00);
const QColor kLightBlue(0x00, 0x00, 0xFF);
const QColor kCyan(0x00, 0x80, 0x80);

// The single-precision whole-degree tables, looked up at the angle modulo 360 with its sign.
double cosDeg(int degrees)
{
    return CosTab(degrees % 360);
}
double sinDeg(int degrees)
{
    return SinTab(degrees % 360);
}

// A counted loop from first to last by step that includes last when it is reached; returns the
// last value drawn, or first minus one step when the loop ran not at all.
template <class Body>
int countedLoop(int first, int last, int step, Body body)
{
    int drawn = first - step;
    for (int j = first; step > 0 ? j <= last : j >= last; j += step) {
        body(j);
        drawn = j;
    }
    return drawn;
}

class Diagram {
public:
    Diagram(Canvas& canvas, const ViewParams& params, const QString& startText)
        : canvas_(canvas), params_(params), startText_(startText)
    {
    }

    void draw()
    {
        canvas_.clear();
        const double width = canvas_.sizePx().width() * kTwipsPerPixel;
        const double height = canvas_.sizePx().height() * kTwipsPerPixel;
        canvas_.setScale(0, height, width, -height);
        cx_ = float(width / 2);
        cy_ = std::nearbyint(height / 2);
        radius_ = float(height / 3);
        const double axis = radius_ + 300;
        canvas_.setForeColor(Qt::black);
        canvas_.line({cx_, cy_ - axis}, {cx_, cy_ + axis});
        canvas_.line({cx_ - axis, cy_}, {cx_ + axis, cy_});
        if (params_.dynamic)
            drawDynamic();
        else
            drawStatic();
    }

private:
    QPointF at(double r, int degrees) const { return {cx_ + r * cosDeg(degrees), cy_ + r * sinDeg(degrees)}; }

    void pen(const QColor& colour, int width, DrawStyle style)
    {
        canvas_.setForeColor(colour);
        canvas_.setDrawWidth(width);
        canvas_.setDrawStyle(style);
    }

    // Two solid strokes of 100 twips pointing back along the direction of travel.
    void arrowhead(int degrees, double r, const QColor& colour)
    {
        canvas_.setDrawStyle(DrawStyle::Solid);
        const QPointF tip = at(r, degrees);
        const double sign = k_ > 0 ? -100 : 100;
        for (const int offset : {135, 45})
            canvas_.line(tip, tip + sign * QPointF(cosDeg(degrees + offset), sinDeg(degrees + offset)), colour);
    }

    // A stretch of the inward spiral: every point drawn moves 2 twips nearer the centre.
    void spiral(int first, int last, int step, const QColor& colour, DrawStyle style)
    {
        pen(colour, 1, style);
        const int end = countedLoop(first, last, step, [&](int j) {
            canvas_.lineTo(at(r_, j));
            r_ -= 2;
        });
        arrowhead(end, r_, colour);
    }

    void drawDynamic()
    {
        // The arc the run will measure: whole degrees, an end at or before the start one turn on.
        const double start = std::nearbyint(params_.startAngle);
        const double end = RunStopAngle(start, std::nearbyint(params_.endAngle));
        const double over = params_.overshoot;
        int from, arcFrom, arcTo, to, arcStep;
        if (params_.counterClockwise) {
            from = ViewAngle(start - over), arcFrom = ViewAngle(start), arcTo = ViewAngle(end), to = ViewAngle(end + over);
            k_ = 4, arcStep = 2;
        } else {
            from = ViewAngle(end + over), arcFrom = ViewAngle(end), arcTo = ViewAngle(start), to = ViewAngle(start - over);
            k_ = -4, arcStep = -2;
        }
        r_ = radius_;
        pen(kLightGreen, 2, DrawStyle::Solid);
        canvas_.circle(at(radius_ + 300, from), 50);
        canvas_.print(startText_);
        canvas_.line(at(radius_, from), at(radius_ + 300, from));
        spiral(from, arcFrom, k_, kLightBlue, DrawStyle::Dotted);
        spiral(arcFrom, arcTo, arcStep, kLightRed, DrawStyle::Solid);
        spiral(arcTo, to, k_, kCyan, DrawStyle::Dotted);
        pen(kLightGreen, 2, DrawStyle::Solid);
        canvas_.line(at(r_, to), at(r_ + 300, to));
    }

    void drawStatic()
    {
        int first = StaticAxisDegrees(params_.startAxisIndex);
        int last = StaticAxisDegrees(params_.endAxisIndex);
        if (last < first)
            last += 360;
        int step;
        if (params_.counterClockwise) {
            if (last == first)
                last = first + 315;
            step = 45, k_ = 4;
        } else {
            if (last == first)
                first = last - 315;
            std::swap(first, last);
            step = -45, k_ = -4;
        }
        const QPointF aside(300, 300);
        pen(kLightRed, 1, DrawStyle::Solid);
        countedLoop(first, last, step, [&](int i) {
            const QPointF before = at(radius_, i - k_);
            if (i == first) {
                canvas_.setForeColor(kLightGreen);
                canvas_.circle(before + aside, 50);
                canvas_.print(startText_);
                canvas_.moveTo(before + aside);
            } else {
                canvas_.line(before, before + aside, kLightRed);
            }
            const QPointF point = at(radius_, i);
            canvas_.setForeColor(kLightRed);
            canvas_.lineTo(point);
            canvas_.circle(point, 30);
            canvas_.line(point - QPointF(50, 50), point - aside);
            canvas_.setForeColor(kCyan);
            const int end = countedLoop(i + 2 * k_, i + step - k_, k_, [&](int j) { canvas_.lineTo(at(radius_, j)); });
            arrowhead(end, radius_, kCyan);
        });
        canvas_.setDrawStyle(DrawStyle::Solid);
    }

    Canvas& canvas_;
    const ViewParams& params_;
    QString startText_;
    double cx_ = 0, cy_ = 0, radius_ = 0, r_ = 0;
    int k_ = 4;
};

} // namespace

ViewParams OpeningViewParams(const IniFile& settingsFile)
{
    const QString section = QStringLiteral("BasicInput");
    ViewParams params;
    params.startAngle = LeadingNumber(settingsFile.get(section, QStringLiteral("StartPosition"), QStringLiteral("0")));
    params.endAngle = LeadingNumber(settingsFile.get(section, QStringLiteral("EndPosition"), QStringLiteral("360")));
    params.overshoot = LeadingNumber(settingsFile.get(section, QStringLiteral("AngularOvershoot"), QStringLiteral("180")));
    return params;
}

std::array<QString, 4> ViewAxisLabels(ViewPlane plane)
{
    switch (plane) {
    case ViewPlane::XZ:
        return {QStringLiteral("-Z"), QStringLiteral("+Z"), QStringLiteral("-X"), QStringLiteral("+X")};
    case ViewPlane::YZ:
        return {QStringLiteral("+Z"), QStringLiteral("-Z"), QStringLiteral("-Y"), QStringLiteral("+Y")};
    case ViewPlane::XY:
        break;
    }
    return {QStringLiteral("+Y"), QStringLiteral("-Y"), QStringLiteral("-X"), QStringLiteral("+X")};
}

int StaticAxisDegrees(int listIndex)
{
    static constexpr int kDegrees[] = {0, 180, 90, 270};
    return listIndex >= 0 && listIndex < 4 ? kDegrees[listIndex] : 0;
}

int ViewAngle(double degrees)
{
    // Beyond 1e15 every double is a whole number, so the clamp changes no result it could round.
    if (!std::isfinite(degrees))
        degrees = 0;
    const double whole = std::nearbyint(std::clamp(degrees, -1e15, 1e15));
    return int(std::fmod(whole, 1440.0));
}

void DrawViewingDiagram(Canvas& canvas, const ViewParams& params, const QString& startText)
{
    Diagram(canvas, params, startText).draw();
}

} // namespace sarvo::display
