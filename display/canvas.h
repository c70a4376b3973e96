#pragma once
// A drawing surface in the manner of the old picture boxes and printer object, over QPainter:
// a user scale (a negative height makes y run upward), a current position, text placed at it,
// lines, circles, pen width in device dots, solid or dotted pen, colours and fonts. Back ends:
// any QPainter (a screen image, a printer) and a recording one that keeps the operations in
// user units for tests.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace sarvo::display {

enum class DrawStyle { Solid = 0, Dotted = 2 };

struct CanvasPen {
    QColor colour{Qt::black};
    int width = 1; // device dots
    DrawStyle style = DrawStyle::Solid;
};

struct CanvasFont {
    double size = 8; // points
    bool bold = false;
    bool italic = false;
};

class Canvas {
public:
    // sizePx: the surface in device pixels (or printer dots). The scale starts as pixels.
    explicit Canvas(QSizeF sizePx);
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QSizeF sizePx() const { return size_; }

    // The pixel scale: origin at the top left, one unit a device pixel, y downward.
    void setPixelScale();
    // A user scale. Each setter keeps the other three, as the old ones did; a zero width or
    // height is refused (AppError 5), since nothing could be mapped through it.
    void setScale(double left, double top, double width, double height);
    void setScaleLeft(double left);
    void setScaleTop(double top);
    void setScaleWidth(double width);
    void setScaleHeight(double height);
    double scaleLeft() const { return left_; }
    double scaleTop() const { return top_; }
    double scaleWidth() const { return width_; }
    double scaleHeight() const { return height_; }

    // User units to device pixels and back.
    QPointF toDevice(const QPointF& user) const;
    QPointF toUser(const QPointF& device) const;

    double currentX() const { return current_.x(); }
    double currentY() const { return current_.y(); }
    QPointF current() const { return current_; }
    void setCurrentX(double x) { current_.setX(x); }
    void setCurrentY(double y) { current_.setY(y); }
    void moveTo(const QPointF& user) { current_ = user; }

    void setDrawWidth(int dots);
    int drawWidth() const { return pen_.width; }
    void setDrawStyle(DrawStyle style) { pen_.style = style; }
    DrawStyle drawStyle() const { return pen_.style; }
    void setForeColor(const QColor& colour) { pen_.colour = colour; }
    QColor foreColor() const { return pen_.colour; }
    const CanvasPen& pen() const { return pen_; }

    void setFontSize(double points);
    void setFontBold(bool bold) { font_.bold = bold; }
    void setFontItalic(bool italic) { font_.italic = italic; }
    const CanvasFont& font() const { return font_; }

    // The size of a text in user units, as magnitudes: the height is positive also when y runs
    // upward, so that "top edge at y + h" reads the same in both directions.
    double textWidth(const QString& text) const;
    double textHeight(const QString& text) const;

    // Writes text with its top-left corner at the current position, in the fore colour. Then
    // the position moves past the text on the same line, or with newline to the scale's left
    // edge one text line further down the page.
    void print(const QString& text, bool newline = true);

    // Lines in the fore colour (or the given one) with the pen's width and style; the current
    // position ends at the far end. A line whose device coordinates are not finite is dropped.
    void line(const QPointF& from, const QPointF& to);
    void line(const QPointF& from, const QPointF& to, const QColor& colour);
    void lineTo(const QPointF& to);
    // radius in units of the horizontal scale; the current position becomes the centre.
    void circle(const QPointF& centre, double radius);
    // A box filled with the colour and not outlined, as the old boxes drawn filled; cut to the
    // clip. The current position stays.
    void fillBox(const QRectF& user, const QColor& colour);
    // Erases the surface to the back colour; the current position goes to the scale's origin.
    void clear();
    static QColor backColor() { return Qt::white; }

    // Lines are cut to this rectangle (user units, taken in device pixels when set, so a later
    // change of scale does not move it) until clearClip(); a line wholly outside is not drawn,
    // though the current position still moves to its far end. Texts and circles are not cut.
    void setClip(const QRectF& user);
    void clearClip() { clip_.reset(); }
    bool clipped() const { return clip_.has_value(); }

    // A picture drawn by its own painter code into a box given in user units; the code gets
    // the box in device pixels. The current position stays.
    using PicturePainter = std::function<void(QPainter& painter, const QRectF& deviceBox)>;
    void picture(const QRectF& userBox, const PicturePainter& paint);

protected:
    // The back ends get user units; they map through toDevice() where they paint.
    virtual void paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen) = 0;
    virtual void paintCircle(const QPointF& centre, double radius, const CanvasPen& pen) = 0;
    // A normalised box in user units.
    virtual void paintBox(const QRectF& user, const QColor& colour) = 0;
    virtual void paintText(const QPointF& topLeft, const QString& text, const QColor& colour,
                           const CanvasFont& font) = 0;
    virtual void paintClear() = 0;
    virtual void paintPicture(const QRectF& userBox, const QRectF& deviceBox, const PicturePainter& paint) = 0;
    // The text's size in device pixels.
    virtual QSizeF measure(const QString& text, const CanvasFont& font) const = 0;

    // A pixel scale on an empty surface has a zero extent: it maps one to one.
    double pixelsPerUnitX() const { return width_ != 0 ? size_.width() / width_ : 1.0; }
    double pixelsPerUnitY() const { return height_ != 0 ? size_.height() / height_ : 1.0; }

private:
    QSizeF size_;
    double left_ = 0;
    double top_ = 0;
    double width_ = 1;
    double height_ = 1;
    QPointF current_;
    CanvasPen pen_;
    CanvasFont font_;
    std::optional<QRectF> clip_; // device pixels
};

// Draws on a painter whose device is sizePx pixels (or dots) large, with the painter's font
// family; lines are not antialiased, so a pen colour lands on the pixels unmixed.
class PainterCanvas : public Canvas {
public:
    PainterCanvas(QPainter& painter, QSizeF sizePx);

protected:
    void paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen) override;
    void paintCircle(const QPointF& centre, double radius, const CanvasPen& pen) override;
    void paintBox(const QRectF& user, const QColor& colour) override;
    void paintText(const QPointF& topLeft, const QString& text, const QColor& colour,
                   const CanvasFont& font) override;
    void paintClear() override;
    void paintPicture(const QRectF& userBox, const QRectF& deviceBox, const PicturePainter& paint) override;
    QSizeF measure(const QString& text, const CanvasFont& font) const override;

private:
    QFont qfont(const CanvasFont& font) const;
    void applyPen(const CanvasPen& pen);

    QPainter& painter_;
    QFont family_;
};

// Keeps what is drawn, in user units, for tests. Clearing forgets what was drawn before. Texts
// are measured without a font system: a character is kCharWidth and a line kLineHeight of the
// font's size in pixels at 96 dots per inch.
class RecordingCanvas : public Canvas {
public:
    static constexpr double kCharWidth = 0.6;
    static constexpr double kLineHeight = 1.2;

    struct Line {
        QPointF from, to;
        CanvasPen pen;
    };
    struct Circle {
        QPointF centre;
        double radius = 0;
        CanvasPen pen;
    };
    struct Box {
        QRectF rect; // normalised
        QColor colour;
    };
    struct Text {
        QPointF topLeft;
        QString text;
        QColor colour;
        CanvasFont font;
    };

    explicit RecordingCanvas(QSizeF sizePx) : Canvas(sizePx) {}

    std::vector<Line> lines;
    std::vector<Circle> circles;
    std::vector<Box> boxes;
    std::vector<Text> texts;
    std::vector<QRectF> pictures; // the boxes in user units; the pictures are not painted
    int clears = 0;

protected:
    void paintLine(const QPointF& from, const QPointF& to, const CanvasPen& pen) override;
    void paintCircle(const QPointF& centre, double radius, const CanvasPen& pen) override;
    void paintBox(const QRectF& user, const QColor& colour) override;
    void paintText(const QPointF& topLeft, const QString& text, const QColor& colour,
                   const CanvasFont& font) override;
    void paintClear() override;
    void paintPicture(const QRectF& userBox, const QRectF& deviceBox, const PicturePainter& paint) override;
    QSizeF measure(const QString& text, const CanvasFont& font) const override;
};

} // namespace sarvo::display
