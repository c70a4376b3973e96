#include "gauge/qc10_codec.h"

#include <algorithm>
#include <cmath>

namespace sarvo::gauge::qc10 {

namespace {
bool PairFits(unsigned char first, unsigned char second)
{
    return first < 128 && second >= 128;
}
}

QByteArray Command(char letter)
{
    return QByteArray(1, letter) + "\r\n";
}

std::optional<int32_t> DecodePair(unsigned char first, unsigned char second)
{
    if (!PairFits(first, second))
        return std::nullopt;
    const double x = ((second - 128) + first / 128.0) / 64.0;
    return static_cast<int32_t>(std::nearbyint((1.0 - (x + 0.0005)) * 10000.0));
}

QByteArray EncodeReading(int32_t reading)
{
    const int n = std::clamp(static_cast<int>(std::nearbyint((0.9995 - reading / 1e4) * 8192.0)), 0, 16383);
    QByteArray pair;
    pair.append(static_cast<char>(n & 0x7F));
    pair.append(static_cast<char>(0x80 | (n >> 7)));
    return pair;
}

std::optional<int32_t> FirstReading(const QByteArray& bytes)
{
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i) {
        const auto value = DecodePair(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]));
        if (value)
            return value;
    }
    return std::nullopt;
}

bool ReplyComplete(const QByteArray& reply)
{
    return reply.contains('\0') || reply.contains('\r') || reply.contains('\n');
}

QString VersionText(const QByteArray& reply)
{
    qsizetype end = reply.size();
    for (char stop : {'\0', '\r', '\n'}) {
        const qsizetype at = reply.indexOf(stop);
        if (at >= 0)
            end = std::min(end, at);
    }
    return QString::fromLatin1(reply.left(end)).trimmed();
}

std::optional<QString> SerialNumber(const QByteArray& reply)
{
    const qsizetype nul = reply.indexOf('\0');
    if (nul <= 0)
        return std::nullopt;
    return QString::fromLatin1(reply.left(nul));
}

bool BatteryLow(bool linesReadable, bool dsr, bool cts)
{
    return linesReadable && !dsr && cts;
}

int SamplesPerPoint(double samplingRateHz)
{
    if (!(samplingRateHz > 0))
        return 1;
    return std::max(1, static_cast<int>(std::nearbyint(1000.0 / samplingRateHz / kMsPerSample)));
}

int SeriesDecoder::feed(const QByteArray& bytes, std::span<int32_t> out)
{
    carry_.append(bytes);
    int stored = 0;
    qsizetype p = 0;
    while (p + 1 < carry_.size()) {
        const auto value = DecodePair(static_cast<unsigned char>(carry_[p]), static_cast<unsigned char>(carry_[p + 1]));
        if (!value) {
            ++p; // resynchronise on the next byte
            continue;
        }
        if (!averager_.add(*value, out, stored, AtRangeEnd(*value))) {
            overflowed_ = true;
            break;
        }
        ++samples_;
        p += 2;
    }
    carry_.remove(0, p);
    return stored;
}

} // namespace sarvo::gauge::qc10
