#include "display/canvas.h"

#include "core/app_error.h"

#include <QFontMetricsF>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace sarvo::display {

namespace {

bool Finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The part of the segment a-b inside the rectangle (Liang-Barsky); nullopt when none is.
std::optional<std::pair<QPointF, QPointF>> ClipSegment(const QPointF& a, const QPointF& b, const QRectF& r)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0;
    double t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return std::nullopt;
    }
    return std::pair{QPointF(a.x() + t0 * dx, a.y() + t0 * dy), QPointF(a.x() + t1 * dx, a.y() + t1 * dy)};
}

void RequireExtent(double extent, const char* what)
{
    if (extent == 0 || !std::isfinite(extent))
        throw AppError::invalidCall(QStringLiteral("The drawing scale needs a %1 other than zero.").arg(QLatin1String(what)));
}

} // namespace

Canvas::Canvas(QSizeF sizePx) : size_(sizePx)
{
    setPixelScale();
}

void Canvas::setPixelScale()
{
    left_ = 0;
    top_ = 0;
    width_ = size_.width();
    height_ = size_.height();
}

void Canvas::setScale(double left, double top, double width, double height)
{
    RequireExtent(width, "width");
    RequireExtent(height, "height");
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void Canvas::setScaleLeft(double left)
{
    left_ = left;
}

void Canvas::setScaleTop(double top)
{
    top_ = top;
}

void Canvas::setScaleWidth(double width)
{
    RequireExtent(width, "width");
    width_ = width;
}

void Canvas::setScaleHeight(double height)
{
    RequireExtent(height, "height");
    height_ = height;
}

QPointF Canvas::toDevice(const QPointF& user) const
{
    return {(user.x() - left_) * pixelsPerUnitX(), (user.y() - top_) * pixelsPerUnitY()};
}

QPointF Canvas::toUser(const QPointF& device) const
{
    return {left_ + device.x() / pixelsPerUnitX(), top_ + device.y() / pixelsPerUnitY()};
}

void Canvas::setDrawWidth(int dots)
{
    pen_.width = std::max(1, dots);
}

void Canvas::setFontSize(double points)
{
    if (points > 0 && std::isfinite(points))
        font_.size = points;
}

double Canvas::textWidth(const QString& text) const
{
    const double perUnit = std::abs(pixelsPerUnitX());
    return perUnit > 0 ? measure(text, font_).width() / perUnit : 0.0;
}

double Canvas::textHeight(const QString& text) const
{
    const double perUnit = std::abs(pixelsPerUnitY());
    return perUnit > 0 ? measure(text, font_).height() / perUnit : 0.0;
}

void Canvas::print(const QString& text, bool newline)
{
    if (Finite(toDevice(current_)))
        paintText(current_, text, pen_.colour, font_);
    if (newline) {
        // One line down the page, whichever way the scale's y runs.
        const double down = height_ < 0 ? -1.0 : 1.0;
        current_ = QPointF(left_, current_.y() + down * textHeight(text));
    } else {
        const double right = width_ < 0 ? -1.0 : 1.0;
        current_.setX(current_.x() + right * textWidth(text));
    }
}

void Canvas::line(const QPointF& from, const QPointF& to)
{
    line(from, to, pen_.colour);
}

void Canvas::line(const QPointF& from, const QPointF& to, const QColor& colour)
{
    const QPointF a = toDevice(from);
    const QPointF b = toDevice(to);
    if (!Finite(a) || !Finite(b))
        return;
    CanvasPen pen = pen_;
    pen.colour = colour;
    if (!clip_) {
        paintLine(from, to, pen);
    } else if (const auto inside = ClipSegment(a, b, *clip_)) {
        // The ends that were not cut keep their exact user values.
        paintLine(inside->first == a ? from : toUser(inside->first),
                  inside->second == b ? to : toUser(inside->second), pen);
    }
    current_ = to;
}

void Canvas::setClip(const QRectF& user)
{
    clip_ = QRectF(toDevice(user.topLeft()), toDevice(user.bottomRight())).normalized();
}

void Canvas::picture(const QRectF& userBox, const PicturePainter& paint)
{
    const QRectF device = QRectF(toDevice(userBox.topLeft()), toDevice(userBox.bottomRight())).normalized();
    if (!Finite(device.topLeft()) || !Finite(device.bottomRight()) || !paint)
        return;
    paintPicture(userBox, device, paint);
}

void Canvas::lineTo(const QPointF& to)
{
    line(current_, to);
}

void Canvas::circle(const QPointF& centre, double radius)
{
    if (!Finite(toDevice(centre)) || !std::isfinite(radius * pixelsPerUnitX()))
        return;
    paintCircle(centre, radius, pen_);
    current_ = centre;
}

void Canvas::fillBox(const QRectF& user, const QColor& colour)
{
    QRectF device = QRectF(toDevice(user.topLeft()), toDevice(user.bottomRight())).normalized();
    if (!Finite(device.topLeft()) || !Finite(device.bottomRight()))
        return;
    if (clip_)
        device = device.intersected(*clip_);
    if (device.isEmpty())
        return;
    // Uncut sides keep their exact user values.
    const QRectF cut = QRectF(toUser(device.topLeft()), toUser(device.bottomRight())).normalized();
    paintBox(clip_ ? cut : user.normalized(), colour);
}

void Canvas::clear()
{
    paintClear();
    current_ = QPointF(left_, top_);
}

// ---- PainterCanvas

PainterCanvas::PainterCanvas(QPainter& painter, QSizeF sizePx)
    : Canvas(sizePx), painter_(painter), family_(painter.font())
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

QFont PainterCanvas::qfont(const CanvasFont& font) const
{
    QFont f = family_;
    f.setPointSizeF(font.size);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

void PainterCanvas::applyPen(const CanvasPen& pen)
{
    QPen p(pen.colour);
    p.setWidth(pen.width);
    p.setStyle(pen.style == DrawStyle::Dotted ? Qt::DotLine : Qt::SolidLine);
    // Qt's dots are as long as the pen is wide: on a printer's fine dots a thin dotted line
    // would look solid. There they keep the size they have on a screen.
    const int dpi = painter_.device() ? painter_.device()->logicalDpiX() : 96;
    if (pen.style == DrawStyle::Dotted && dpi > 96 * pen.width) {
        const double stretch = double(dpi) / (96.0 * pen.width);
        p.setDashPattern({stretch, 2 * stretch});
    }
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(p);
    painter_.setBrush(Qt::NoBrush);
}

void PainterCanvas::paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen)
{
    applyPen(pen);
    painter_.drawLine(toDevice(from), toDevice(to));
}

void PainterCanvas::paintCircle(const QPointF& centre, double radius, const CanvasPen& pen)
{
    applyPen(pen);
    const double r = std::abs(radius * pixelsPerUnitX());
    painter_.drawEllipse(toDevice(centre), r, r);
}

void PainterCanvas::paintBox(const QRectF& user, const QColor& colour)
{
    painter_.fillRect(QRectF(toDevice(user.topLeft()), toDevice(user.bottomRight())).normalized(), colour);
}

void PainterCanvas::paintText(const QPointF& topLeft, const QString& text, const QColor& colour,
                              const CanvasFont& font)
{
    const QFont f = qfont(font);
    painter_.setFont(f);
    painter_.setPen(colour);
    const QFontMetricsF metrics(f, painter_.device());
    painter_.drawText(toDevice(topLeft) + QPointF(0, metrics.ascent()), text);
}

void PainterCanvas::paintClear()
{
    painter_.fillRect(QRectF(QPointF(0, 0), sizePx()), backColor());
}

void PainterCanvas::paintPicture(const QRectF&, const QRectF& deviceBox, const PicturePainter& paint)
{
    painter_.save();
    paint(painter_, deviceBox);
    painter_.restore();
}

QSizeF PainterCanvas::measure(const QString& text, const CanvasFont& font) const
{
    const QFontMetricsF metrics(qfont(font), painter_.device());
    return {metrics.horizontalAdvance(text), metrics.height()};
}

// ---- RecordingCanvas

void RecordingCanvas::paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen)
{
    lines.push_back({from, to, pen});
}

void RecordingCanvas::paintCircle(const QPointF& centre, double radius, const CanvasPen& pen)
{
    circles.push_back({centre, radius, pen});
}

void RecordingCanvas::paintBox(const QRectF& user, const QColor& colour)
{
    boxes.push_back({user, colour});
}

void RecordingCanvas::paintText(const QPointF& topLeft, const QString& text, const QColor& colour,
                                const CanvasFont& font)
{
    texts.push_back({topLeft, text, colour, font});
}

void RecordingCanvas::paintClear()
{
    lines.clear();
    circles.clear();
    boxes.clear();
    texts.clear();
    pictures.clear();
    ++clears;
}

void RecordingCanvas::paintPicture(const QRectF& userBox, const QRectF&, const PicturePainter&)
{
    pictures.push_back(userBox);
}

QSizeF RecordingCanvas::measure(const QString& text, const CanvasFont& font) const
{
    const double em = font.size * 96.0 / 72.0;
    return {kCharWidth * em * double(text.size()), kLineHeight * em};
}

} // namespace sarvo::display
