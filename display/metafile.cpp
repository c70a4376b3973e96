#include "display/metafile.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stack>

namespace sarvo::display {

namespace {

constexpr int kPlaceableHeaderBytes = 22;
constexpr int kWmfHeaderBytes = 18;
constexpr int kEnhancedHeaderBytes = 88;
constexpr int kRecordHeaderBytes = 6;
constexpr int kMaxObjectSlots = 4096;

// Little-endian reads from a range of bytes that fail instead of reading past its end.
class Reader {
public:
    Reader(const QByteArray& bytes, qsizetype begin, qsizetype end) : bytes_(bytes), at_(begin), end_(end) {}

    bool has(qsizetype n) const { return n >= 0 && end_ - at_ >= n; }
    qsizetype left() const { return end_ - at_; }
    bool ok() const { return ok_; }

    uint16_t u16()
    {
        if (!has(2)) {
            ok_ = false;
            return 0;
        }
        const auto b0 = uint8_t(bytes_[at_]);
        const auto b1 = uint8_t(bytes_[at_ + 1]);
        at_ += 2;
        return uint16_t(b0 | (b1 << 8));
    }
    int16_t s16() { return int16_t(u16()); }
    uint32_t u32()
    {
        const uint32_t low = u16();
        const uint32_t high = u16();
        return low | (high << 16);
    }
    int32_t s32() { return int32_t(u32()); }
    uint8_t u8()
    {
        if (!has(1)) {
            ok_ = false;
            return 0;
        }
        return uint8_t(bytes_[at_++]);
    }
    QColor colourRef()
    {
        const int r = u8();
        const int g = u8();
        const int b = u8();
        u8(); // reserved
        return QColor(r, g, b);
    }
    QByteArray take(qsizetype n)
    {
        if (!has(n)) {
            ok_ = false;
            return {};
        }
        QByteArray out = bytes_.mid(at_, n);
        at_ += n;
        return out;
    }
    void skip(qsizetype n)
    {
        if (!has(n)) {
            ok_ = false;
            return;
        }
        at_ += n;
    }

private:
    const QByteArray& bytes_;
    qsizetype at_;
    qsizetype end_;
    bool ok_ = true;
};

// Record functions of the 16-bit metafile that the player draws.
enum Function : uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kSetPolyFillMode = 0x0106,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kExtTextOut = 0x0A32,
};

constexpr uint16_t kEtoOpaque = 0x0002;
constexpr uint16_t kEtoClipped = 0x0004;

QPoint YX(Reader& r)
{
    const int y = r.s16();
    const int x = r.s16();
    return {x, y};
}

QPolygon Points(Reader& r, int count)
{
    QPolygon polygon;
    if (count < 0 || !r.has(qsizetype(count) * 4))
        return polygon;
    polygon.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int x = r.s16();
        const int y = r.s16();
        polygon << QPoint(x, y);
    }
    return polygon;
}

// Text in the metafile's single-byte code page, taken as Latin-1.
QString Text(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromLatin1(end < 0 ? bytes : bytes.left(end));
}

// One record's parameters; nullopt when the function is not drawn, false in ok when its
// parameters do not fit the record.
std::optional<WmfRecord> Decode(uint16_t function, Reader& r, bool& ok)
{
    using Op = WmfRecord::Op;
    WmfRecord rec;
    ok = true;
    switch (function) {
    case kSetWindowOrg:
    case kSetWindowExt:
    case kMoveTo:
    case kLineTo:
        rec.op = function == kSetWindowOrg ? Op::WindowOrg
                 : function == kSetWindowExt ? Op::WindowExt
                 : function == kMoveTo       ? Op::MoveTo
                                             : Op::LineTo;
        rec.point = YX(r);
        break;
    case kSetTextColor:
        rec.op = Op::TextColour;
        rec.colour = r.colourRef();
        break;
    case kSetTextAlign:
    case kSetPolyFillMode:
        rec.op = function == kSetTextAlign ? Op::TextAlign : Op::PolyFillMode;
        rec.value = r.u16();
        break;
    case kSelectObject:
    case kDeleteObject:
        rec.op = function == kSelectObject ? Op::SelectObject : Op::DeleteObject;
        rec.value = r.u16();
        break;
    case kSaveDc:
        rec.op = Op::SaveDC;
        break;
    case kRestoreDc:
        rec.op = Op::RestoreDC;
        rec.value = r.s16();
        break;
    case kCreatePenIndirect:
        rec.op = Op::CreatePen;
        rec.pen.style = r.u16() & 0x0F;
        rec.pen.width = r.s16();
        r.s16(); // the y of the width point is not used
        rec.pen.colour = r.colourRef();
        break;
    case kCreateBrushIndirect:
        rec.op = Op::CreateBrush;
        rec.brush.style = r.u16();
        rec.brush.colour = r.colourRef();
        rec.brush.hatch = r.u16();
        break;
    case kCreateFontIndirect: {
        rec.op = Op::CreateFont;
        rec.font.height = r.s16();
        r.s16(); // width
        rec.font.escapement = r.s16();
        r.s16(); // orientation
        rec.font.weight = r.s16();
        rec.font.italic = r.u8() != 0;
        rec.font.underline = r.u8() != 0;
        r.skip(6); // strike-out, character set, precisions, quality, pitch and family
        rec.font.face = Text(r.take(std::min<qsizetype>(r.left(), 32)));
        break;
    }
    case kPolyline:
    case kPolygon: {
        rec.op = function == kPolyline ? Op::Polyline : Op::Polygon;
        const int count = r.s16();
        if (count < 0 || !r.has(qsizetype(count) * 4)) {
            ok = false;
            return std::nullopt;
        }
        rec.polygons.push_back(Points(r, count));
        break;
    }
    case kPolyPolygon: {
        rec.op = Op::PolyPolygon;
        const int polygons = r.u16();
        if (!r.has(qsizetype(polygons) * 2)) {
            ok = false;
            return std::nullopt;
        }
        std::vector<int> counts;
        qsizetype total = 0;
        for (int i = 0; i < polygons; ++i) {
            counts.push_back(r.u16());
            total += counts.back();
        }
        if (!r.has(total * 4)) {
            ok = false;
            return std::nullopt;
        }
        for (const int count : counts)
            rec.polygons.push_back(Points(r, count));
        break;
    }
    case kRectangle:
    case kEllipse: {
        rec.op = function == kRectangle ? Op::Rectangle : Op::Ellipse;
        const int bottom = r.s16();
        const int right = r.s16();
        const int top = r.s16();
        const int left = r.s16();
        rec.rect = QRect(QPoint(left, top), QPoint(right, bottom));
        break;
    }
    case kTextOut: {
        rec.op = Op::TextOut;
        const int length = r.s16();
        if (length < 0 || !r.has(qsizetype(length + (length & 1)) + 4)) {
            ok = false;
            return std::nullopt;
        }
        rec.text = Text(r.take(length));
        r.skip(length & 1);
        rec.point = YX(r);
        break;
    }
    case kExtTextOut: {
        rec.op = Op::TextOut;
        rec.point = YX(r);
        const int length = r.s16();
        const uint16_t options = r.u16();
        if (options & (kEtoOpaque | kEtoClipped))
            r.skip(8);
        if (length < 0 || !r.has(length)) {
            ok = false;
            return std::nullopt;
        }
        rec.text = Text(r.take(length));
        break;
    }
    default:
        return std::nullopt;
    }
    ok = r.ok();
    if (!ok)
        return std::nullopt;
    return rec;
}

std::optional<Metafile> ParsePlaceable(const QByteArray& bytes, const MetafileHeader& header)
{
    Reader h(bytes, kPlaceableHeaderBytes, bytes.size());
    const uint16_t type = h.u16();
    const uint16_t headerWords = h.u16();
    const uint16_t version = h.u16();
    const uint32_t sizeWords = h.u32();
    const uint16_t objects = h.u16();
    h.u32(); // the largest record
    h.u16(); // no members
    if (!h.ok() || (type != 1 && type != 2) || headerWords != kWmfHeaderBytes / 2 || (version != 0x0100 && version != 0x0300))
        return std::nullopt;
    const qint64 size = qint64(sizeWords) * 2;
    if (size < kWmfHeaderBytes || size > bytes.size() - kPlaceableHeaderBytes || objects > kMaxObjectSlots)
        return std::nullopt;

    Metafile picture;
    picture.header = header;
    picture.objectSlots = objects;
    const qsizetype end = kPlaceableHeaderBytes + qsizetype(size);
    qsizetype at = kPlaceableHeaderBytes + kWmfHeaderBytes;
    for (;;) {
        Reader r(bytes, at, end);
        const uint32_t words = r.u32();
        const uint16_t function = r.u16();
        if (!r.ok() || words < kRecordHeaderBytes / 2 || qint64(words) * 2 > end - at)
            return std::nullopt;
        if (function == kEof)
            return picture;
        const qsizetype recordEnd = at + qsizetype(words) * 2;
        Reader params(bytes, at + kRecordHeaderBytes, recordEnd);
        bool ok = true;
        if (auto rec = Decode(function, params, ok))
            picture.records.push_back(std::move(*rec));
        if (!ok)
            return std::nullopt;
        at = recordEnd;
    }
}

// ---- The player

struct DcState {
    QPoint origin;
    QPoint extent;
    QPointF position;
    WmfRecord::Pen pen;
    WmfRecord::Brush brush;
    std::optional<WmfRecord::Font> font;
    QColor textColour{Qt::black};
    int textAlign = 0;
    Qt::FillRule fill = Qt::OddEvenFill;
};

class Player {
public:
    Player(const Metafile& m, QPainter& painter, const QRectF& box)
        : painter_(painter), box_(box), objects_(std::size_t(m.objectSlots))
    {
        state_.origin = QPoint(m.header.left, m.header.top);
        state_.extent = QPoint(int(m.header.width()), int(m.header.height()));
    }

    void play(const WmfRecord& rec)
    {
        using Op = WmfRecord::Op;
        switch (rec.op) {
        case Op::WindowOrg:
            state_.origin = rec.point;
            break;
        case Op::WindowExt:
            // No extent maps nothing: the earlier one stays.
            if (rec.point.x() != 0 && rec.point.y() != 0)
                state_.extent = rec.point;
            break;
        case Op::CreatePen:
        case Op::CreateBrush:
        case Op::CreateFont:
            create(rec);
            break;
        case Op::SelectObject:
            select(rec.value);
            break;
        case Op::DeleteObject:
            if (rec.value >= 0 && std::size_t(rec.value) < objects_.size())
                objects_[std::size_t(rec.value)].reset();
            break;
        case Op::MoveTo:
            state_.position = map(rec.point);
            break;
        case Op::LineTo: {
            const QPointF to = map(rec.point);
            applyPen();
            painter_.drawLine(state_.position, to);
            state_.position = to;
            break;
        }
        case Op::Polyline:
            if (!rec.polygons.empty()) {
                applyPen();
                painter_.setBrush(Qt::NoBrush);
                painter_.drawPolyline(map(rec.polygons.front()));
            }
            break;
        case Op::Polygon:
        case Op::PolyPolygon: {
            QPainterPath path;
            path.setFillRule(state_.fill);
            for (const QPolygon& polygon : rec.polygons) {
                if (polygon.size() < 2)
                    continue;
                QPolygonF mapped = map(polygon);
                mapped << mapped.front();
                path.addPolygon(mapped);
            }
            applyPen();
            applyBrush();
            painter_.drawPath(path);
            break;
        }
        case Op::Rectangle:
        case Op::Ellipse: {
            const QRectF r = QRectF(map(rec.rect.topLeft()), map(QPoint(rec.rect.right(), rec.rect.bottom()))).normalized();
            applyPen();
            applyBrush();
            if (rec.op == Op::Rectangle)
                painter_.drawRect(r);
            else
                painter_.drawEllipse(r);
            break;
        }
        case Op::TextOut:
            text(rec);
            break;
        case Op::TextColour:
            state_.textColour = rec.colour;
            break;
        case Op::TextAlign:
            state_.textAlign = rec.value;
            break;
        case Op::PolyFillMode:
            state_.fill = rec.value == 2 ? Qt::WindingFill : Qt::OddEvenFill;
            break;
        case Op::SaveDC:
            // Bounded like the object table: a file cannot grow it without end.
            if (saved_.size() < std::size_t(kMaxObjectSlots))
                saved_.push(state_);
            break;
        case Op::RestoreDC:
            // Only the usual "one back"; deeper restores pop what there is.
            for (int n = rec.value < 0 ? -rec.value : 1; n > 0 && !saved_.empty(); --n) {
                state_ = saved_.top();
                saved_.pop();
            }
            break;
        }
    }

private:
    struct Object {
        WmfRecord::Op kind;
        WmfRecord rec;
    };

    double sx() const { return box_.width() / state_.extent.x(); }
    double sy() const { return box_.height() / state_.extent.y(); }
    QPointF map(const QPoint& p) const
    {
        return {box_.left() + (p.x() - state_.origin.x()) * sx(), box_.top() + (p.y() - state_.origin.y()) * sy()};
    }
    QPolygonF map(const QPolygon& polygon) const
    {
        QPolygonF out;
        out.reserve(polygon.size());
        for (const QPoint& p : polygon)
            out << map(p);
        return out;
    }

    // A new object takes the lowest free slot; with none free it is lost.
    void create(const WmfRecord& rec)
    {
        for (auto& slot : objects_) {
            if (!slot) {
                slot = Object{rec.op, rec};
                return;
            }
        }
    }
    void select(int index)
    {
        if (index < 0 || std::size_t(index) >= objects_.size() || !objects_[std::size_t(index)])
            return;
        const Object& o = *objects_[std::size_t(index)];
        switch (o.kind) {
        case WmfRecord::Op::CreatePen:
            state_.pen = o.rec.pen;
            break;
        case WmfRecord::Op::CreateBrush:
            state_.brush = o.rec.brush;
            break;
        case WmfRecord::Op::CreateFont:
            state_.font = o.rec.font;
            break;
        default:
            break;
        }
    }

    void applyPen()
    {
        const WmfRecord::Pen& p = state_.pen;
        if (p.style == 5) {
            painter_.setPen(Qt::NoPen);
            return;
        }
        QPen pen(p.colour);
        pen.setWidthF(std::max(1.0, std::abs(p.width * sx())));
        static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
        pen.setStyle(p.style >= 0 && p.style < 5 ? kStyles[p.style] : Qt::SolidLine);
        painter_.setPen(pen);
    }
    void applyBrush()
    {
        const WmfRecord::Brush& b = state_.brush;
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                      Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        if (b.style == 0)
            painter_.setBrush(QBrush(b.colour));
        else if (b.style == 2 && b.hatch >= 0 && b.hatch < 6)
            painter_.setBrush(QBrush(b.colour, kHatches[b.hatch]));
        else
            painter_.setBrush(Qt::NoBrush);
    }

    void text(const WmfRecord& rec)
    {
        if (rec.text.isEmpty())
            return;
        QFont font = painter_.font();
        if (state_.font) {
            const WmfRecord::Font& f = *state_.font;
            if (!f.face.isEmpty())
                font.setFamily(f.face);
            // The font's height in device pixels, within what any page could show.
            const double pixels = std::abs(f.height * sy());
            if (pixels >= 1)
                font.setPixelSize(int(std::min(pixels, 20000.0)));
            font.setWeight(QFont::Weight(std::clamp(f.weight <= 0 ? 400 : f.weight, 100, 900)));
            font.setItalic(f.italic);
            font.setUnderline(f.underline);
        }
        painter_.setFont(font);
        painter_.setPen(state_.textColour);
        const QFontMetricsF metrics(font, painter_.device());
        const double width = metrics.horizontalAdvance(rec.text);
        double dx = 0;
        if ((state_.textAlign & 6) == 6)
            dx = -width / 2;
        else if (state_.textAlign & 2)
            dx = -width;
        double dy = metrics.ascent(); // top
        if ((state_.textAlign & 24) == 24)
            dy = 0; // baseline
        else if (state_.textAlign & 8)
            dy = -metrics.descent(); // bottom
        const QPointF at = map(rec.point);
        painter_.save();
        painter_.translate(at);
        if (state_.font && state_.font->escapement != 0)
            painter_.rotate(-state_.font->escapement / 10.0);
        painter_.drawText(QPointF(dx, dy), rec.text);
        painter_.restore();
    }

    QPainter& painter_;
    QRectF box_;
    DcState state_;
    std::stack<DcState> saved_;
    std::vector<std::optional<Object>> objects_;
};

} // namespace

std::optional<MetafileHeader> ReadMetafileHeader(const QByteArray& bytes)
{
    Reader r(bytes, 0, bytes.size());
    const uint32_t key = r.u32();
    if (!r.ok())
        return std::nullopt;
    MetafileHeader h;
    if (key == kPlaceableKey) {
        r.u16(); // handle
        h.left = r.s16();
        h.top = r.s16();
        h.right = r.s16();
        h.bottom = r.s16();
        h.unitsPerInch = r.u16();
        if (!r.ok() || bytes.size() < kPlaceableHeaderBytes)
            return std::nullopt;
        h.kind = MetafileKind::Placeable;
        return h;
    }
    // An enhanced metafile begins with its header record: type 1, its size, the bounds, the
    // frame, then the signature.
    if (key != 1 || bytes.size() < kEnhancedHeaderBytes)
        return std::nullopt;
    const uint32_t size = r.u32();
    r.skip(16); // bounds in device units
    h.left = r.s32();
    h.top = r.s32();
    h.right = r.s32();
    h.bottom = r.s32();
    const uint32_t signature = r.u32();
    if (!r.ok() || signature != kEnhancedSignature || size < uint32_t(kEnhancedHeaderBytes) || qint64(size) > bytes.size())
        return std::nullopt;
    h.kind = MetafileKind::Enhanced;
    return h;
}

std::optional<QRectF> FitPictureBox(const QRectF& box, double frameWidth, double frameHeight)
{
    const double W = frameWidth;
    const double H = frameHeight;
    if (!(W > 0) || !(H > 0) || !std::isfinite(W) || !std::isfinite(H))
        return std::nullopt;
    double left = box.left();
    double top = box.top();
    double width = box.width();
    double height = box.height();
    if (width == 0)
        width = W / H * height;
    if (height == 0)
        height = H / W * width;
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height))
        return std::nullopt;
    // The proportions are compared in single precision, so that a box made to the picture's
    // proportions counts as equal and is not moved.
    const float a = float(W / H);
    const float b = float(width / height);
    if (b < a) {
        top += (height - H / W * width) / 2;
        height = H / W * width;
    } else {
        left += (width - W / H * height) / 2;
        width = W / H * height;
    }
    return QRectF(left, top, width, height);
}

std::optional<Metafile> ParseMetafile(const QByteArray& bytes)
{
    const std::optional<MetafileHeader> header = ReadMetafileHeader(bytes);
    if (!header)
        return std::nullopt;
    if (header->kind == MetafileKind::Enhanced) {
        Metafile picture;
        picture.header = *header;
        return picture;
    }
    return ParsePlaceable(bytes, *header);
}

std::optional<Metafile> LoadMetafile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxMetafileBytes)
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxMetafileBytes + 1);
    if (bytes.size() > kMaxMetafileBytes)
        return std::nullopt;
    return ParseMetafile(bytes);
}

void PlayMetafile(const Metafile& picture, QPainter& painter, const QRectF& deviceBox)
{
    if (picture.header.width() == 0 || picture.header.height() == 0 || !deviceBox.isValid())
        return;
    painter.save();
    painter.setClipRect(deviceBox, Qt::IntersectClip);
    Player player(picture, painter, deviceBox);
    for (const WmfRecord& rec : picture.records)
        player.play(rec);
    painter.restore();
}

} // namespace sarvo::display
