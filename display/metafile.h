#pragma once
// Pictures in the old Windows metafile formats, as the page header's logo comes: a placeable
// metafile (the 22-byte header with its bounding box before a 16-bit metafile) whose records a
// small player of our own draws on a painter, or an enhanced metafile, of which only the frame
// of its header is read. Every size and count of the file is checked before it is used: a file
// that is cut short or damaged gives no picture, never a read beyond its bytes.

#include <QByteArray>
#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace sarvo::display {

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr uint32_t kEnhancedSignature = 0x464D4520; // " EMF"
// Larger files are not read: a logo is a few kilobytes.
inline constexpr qint64 kMaxMetafileBytes = 16 * 1024 * 1024;

enum class MetafileKind { Placeable, Enhanced };

struct MetafileHeader {
    MetafileKind kind = MetafileKind::Placeable;
    // Placeable: the bounding box in metafile units. Enhanced: the frame in 0.01 mm.
    int left = 0, top = 0, right = 0, bottom = 0;
    int unitsPerInch = 0; // placeable only; the printed size depends on the box alone

    // right - left and bottom - top, without overflow.
    qint64 width() const { return qint64(right) - left; }
    qint64 height() const { return qint64(bottom) - top; }
};

// The header of a placeable or an enhanced metafile; nullopt for anything else (also a 16-bit
// metafile without the placeable header) and for a header cut short.
std::optional<MetafileHeader> ReadMetafileHeader(const QByteArray& bytes);

// The box a picture of frameWidth x frameHeight takes, starting from box in the caller's units:
// a width or height of 0 follows from the picture's proportions; then the picture is fitted
// into the box keeping its proportions and centred along the side that has room to spare.
// nullopt when the frame or the resulting box has no positive size (a picture that cannot be
// placed).
std::optional<QRectF> FitPictureBox(const QRectF& box, double frameWidth, double frameHeight);

// One drawing record of a 16-bit metafile, decoded and checked.
struct WmfRecord {
    enum class Op {
        WindowOrg, WindowExt,                 // point
        CreatePen, CreateBrush, CreateFont,   // pen, brush, font
        SelectObject, DeleteObject,           // value: object index
        MoveTo, LineTo,                       // point
        Polyline, Polygon, PolyPolygon,       // polygons
        Rectangle, Ellipse,                   // rect (left, top, right, bottom in logical units)
        TextOut,                              // point, text
        TextColour,                           // colour
        TextAlign, PolyFillMode,              // value
        SaveDC, RestoreDC,
    };
    struct Pen {
        int style = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none, 6 inside frame
        int width = 0; // logical units; 0 is one device dot
        QColor colour{Qt::black};
    };
    struct Brush {
        int style = 0; // 0 solid, 1 none, 2 hatched
        QColor colour{Qt::white};
        int hatch = 0;
    };
    struct Font {
        int height = 0;     // logical units; negative: the character height, positive: the cell
        int escapement = 0; // tenths of a degree, counter-clockwise
        int weight = 400;
        bool italic = false;
        bool underline = false;
        QString face;
    };

    Op op = Op::SaveDC;
    QPoint point;
    QRect rect;
    std::vector<QPolygon> polygons;
    int value = 0;
    Pen pen;
    Brush brush;
    Font font;
    QColor colour;
    QString text;
};

struct Metafile {
    MetafileHeader header;
    int objectSlots = 0;             // the object table's size, from the metafile header
    std::vector<WmfRecord> records;  // the records the player draws; others are left out
};

// The whole file decoded; nullopt when it is no metafile or any of its sizes and counts does not
// fit the bytes there are. Records the player does not draw are skipped. An enhanced metafile
// gives its header only: its records are not drawn.
std::optional<Metafile> ParseMetafile(const QByteArray& bytes);
// The same of a file; nullopt also when it cannot be read or is larger than kMaxMetafileBytes.
std::optional<Metafile> LoadMetafile(const QString& path);

// Draws the picture stretched into the box (device pixels) and nowhere outside it. The
// painter's state is as before afterwards.
void PlayMetafile(const Metafile& picture, QPainter& painter, const QRectF& deviceBox);

} // namespace sarvo::display
