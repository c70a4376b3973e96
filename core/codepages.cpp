// The DOS code page 850 of old measurement files and the Windows-1252 bytes of old settings
// files, built in so that no system conversion library is needed.
#include "core/utilities.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>
#include <array>

namespace sarvo {

namespace {

// Code page 850, bytes 0x80 to 0xFF; 0x00 to 0x7F are ASCII.
constexpr std::array<char16_t, 128> kCp850High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8, 0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// Windows-1252, bytes 0x80 to 0x9F; the five bytes Windows leaves undefined keep their
// Latin-1 control character, as the system conversion does.
constexpr std::array<char16_t, 32> kCp1252C1 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const QHash<char16_t, char16_t>& cp850ByUnicode()
{
    static const QHash<char16_t, char16_t> table = [] {
        QHash<char16_t, char16_t> t;
        for (std::size_t i = 0; i < kCp850High.size(); ++i)
            t.insert(kCp850High[i], char16_t(0x80 + i));
        return t;
    }();
    return table;
}

} // namespace

QString AnsiToOem(const QString& text)
{
    QString result(text.size(), Qt::Uninitialized);
    const auto& table = cp850ByUnicode();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        result[i] = c < 0x80 ? QChar(c) : QChar(table.value(c, u'?'));
    }
    return result;
}

QString OemToAnsi(const QString& text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // Only byte values carry a code-page meaning; anything above is already Unicode.
        result[i] = (c >= 0x80 && c <= 0xFF) ? QChar(kCp850High[c - 0x80]) : QChar(c);
    }
    return result;
}

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        result[i] = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252C1[b - 0x80]) : QChar(char16_t(b));
    }
    return result;
}

QByteArray WithoutByteOrderMark(const QByteArray& bytes)
{
    static constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
    return bytes.startsWith(kUtf8Mark) ? bytes.sliced(3) : bytes;
}

namespace {

// The length of the line end at i (2 for CR LF), 0 when none stands there.
qsizetype lineEndAt(QStringView text, qsizetype i)
{
    if (text[i] == u'\n')
        return 1;
    if (text[i] != u'\r')
        return 0;
    return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
}

} // namespace

QStringList TextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (const qsizetype end = lineEndAt(text, i)) {
            lines.append(text.mid(start, i - start).toString());
            i += end;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.append(text.mid(start).toString());
    return lines;
}

qsizetype LineNumberAt(QStringView text, qsizetype position)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < std::min(position, text.size());) {
        if (const qsizetype end = lineEndAt(text, i)) {
            i += end;
            if (i <= position)
                ++line;
        } else {
            ++i;
        }
    }
    return line;
}

} // namespace sarvo
