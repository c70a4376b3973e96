#pragma once
// Small placeable metafiles made in memory for the tests, record by record, and a few damaging
// edits of their bytes.

#include <QByteArray>
#include <QColor>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace sarvo::test {

class WmfBuilder {
public:
    WmfBuilder(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch = 1440)
        : left_(left), top_(top), right_(right), bottom_(bottom), inch_(unitsPerInch)
    {
    }

    // A record of 16-bit parameter words.
    WmfBuilder& record(uint16_t function, std::initializer_list<int> words)
    {
        QByteArray params;
        for (const int w : words)
            word(params, uint16_t(w));
        return raw(function, params);
    }
    // A record with its parameter bytes as given (padded to whole words).
    WmfBuilder& raw(uint16_t function, QByteArray params)
    {
        if (params.size() % 2)
            params.append('\0');
        QByteArray r;
        dword(r, uint32_t(3 + params.size() / 2));
        word(r, function);
        r += params;
        records_.push_back(r);
        return *this;
    }

    WmfBuilder& windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfBuilder& windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfBuilder& pen(int style, int width, const QColor& c) { return raw(0x02FA, words({style, width, 0}) + colour(c)); }
    WmfBuilder& brush(int style, const QColor& c, int hatch = 0) { return raw(0x02FC, words({style}) + colour(c) + words({hatch})); }
    WmfBuilder& font(int height, int weight, bool italic, const QByteArray& face)
    {
        QByteArray p = words({height, 0, 0, 0, weight});
        p.append(char(italic ? 1 : 0));
        p.append(QByteArray(7, '\0'));
        p += face.left(31).leftJustified(32, '\0');
        return raw(0x02FB, p);
    }
    WmfBuilder& select(int index) { return record(0x012D, {index}); }
    WmfBuilder& remove(int index) { return record(0x01F0, {index}); }
    WmfBuilder& moveTo(int x, int y) { return record(0x0214, {y, x}); }
    WmfBuilder& lineTo(int x, int y) { return record(0x0213, {y, x}); }
    WmfBuilder& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfBuilder& ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfBuilder& poly(uint16_t function, const std::vector<std::pair<int, int>>& points)
    {
        QByteArray p = words({int(points.size())});
        for (const auto& [x, y] : points)
            p += words({x, y});
        return raw(function, p);
    }
    WmfBuilder& polyline(const std::vector<std::pair<int, int>>& points) { return poly(0x0325, points); }
    WmfBuilder& polygon(const std::vector<std::pair<int, int>>& points) { return poly(0x0324, points); }
    WmfBuilder& polyPolygon(const std::vector<std::vector<std::pair<int, int>>>& polygons)
    {
        QByteArray p = words({int(polygons.size())});
        for (const auto& polygon : polygons)
            p += words({int(polygon.size())});
        for (const auto& polygon : polygons) {
            for (const auto& [x, y] : polygon)
                p += words({x, y});
        }
        return raw(0x0538, p);
    }
    WmfBuilder& textOut(int x, int y, const QByteArray& text)
    {
        QByteArray p = words({int(text.size())});
        p += text;
        if (text.size() % 2)
            p.append('\0');
        p += words({y, x});
        return raw(0x0521, p);
    }
    WmfBuilder& textColour(const QColor& c) { return raw(0x0209, colour(c)); }

    // The file: placeable header, metafile header with objects slots, the records and the end.
    QByteArray bytes(int objects = 8, bool withEnd = true) const
    {
        QByteArray body;
        for (const QByteArray& r : records_)
            body += r;
        if (withEnd) {
            QByteArray eof;
            dword(eof, 3);
            word(eof, 0);
            body += eof;
        }
        QByteArray out;
        dword(out, 0x9AC6CDD7);
        word(out, 0);
        for (const int v : {left_, top_, right_, bottom_})
            word(out, uint16_t(v));
        word(out, inch_);
        dword(out, 0);
        uint16_t checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= uint16_t(uint8_t(out[i]) | (uint8_t(out[i + 1]) << 8));
        word(out, checksum);
        word(out, 1);
        word(out, 9);
        word(out, 0x0300);
        dword(out, uint32_t((18 + body.size()) / 2));
        word(out, uint16_t(objects));
        dword(out, 0);
        word(out, 0);
        return out + body;
    }

    static void word(QByteArray& out, uint16_t w)
    {
        out.append(char(w & 0xFF));
        out.append(char(w >> 8));
    }
    static void dword(QByteArray& out, uint32_t d)
    {
        word(out, uint16_t(d & 0xFFFF));
        word(out, uint16_t(d >> 16));
    }
    static QByteArray words(std::initializer_list<int> ws)
    {
        QByteArray out;
        for (const int w : ws)
            word(out, uint16_t(w));
        return out;
    }
    static QByteArray colour(const QColor& c)
    {
        QByteArray out;
        out.append(char(c.red()));
        out.append(char(c.green()));
        out.append(char(c.blue()));
        out.append('\0');
        return out;
    }

private:
    int left_, top_, right_, bottom_;
    uint16_t inch_;
    std::vector<QByteArray> records_;
};

// The first 88 bytes of an enhanced metafile with the given frame (0.01 mm) and size field.
inline QByteArray EnhancedHeader(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t size = 88)
{
    QByteArray out;
    WmfBuilder::dword(out, 1);
    WmfBuilder::dword(out, size);
    for (int i = 0; i < 4; ++i)
        WmfBuilder::dword(out, 0);
    for (const int32_t v : {left, top, right, bottom})
        WmfBuilder::dword(out, uint32_t(v));
    WmfBuilder::dword(out, 0x464D4520);
    out.append(QByteArray(88 - out.size(), '\0'));
    return out;
}

// Overwrites the 16-bit word at offset.
inline QByteArray WithWord(QByteArray bytes, int offset, uint16_t w)
{
    bytes[offset] = char(w & 0xFF);
    bytes[offset + 1] = char(w >> 8);
    return bytes;
}

} // namespace sarvo::test
