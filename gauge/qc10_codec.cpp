#include "gauge/qc10_codec.h"

#include <algorithm>
#include <cmath>
#include <tuple>

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

std::optional<PairReading> NextReading(const QByteArray& bytes, qsizetype& pos, bool& afterSkip)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    while (pos + 1 < bytes.size()) {
        const auto value = DecodePair(byte(pos), byte(pos + 1));
        if (!value) {
            ++pos;
            afterSkip = true;
            continue;
        }
        if (pos + 2 >= bytes.size())
            break; // the byte after it tells whether it is sound
        const PairReading reading{*value, !afterSkip && byte(pos + 2) < 128};
        afterSkip = false;
        pos += 2;
        return reading;
    }
    return std::nullopt;
}

std::optional<int32_t> FirstSoundReading(const QByteArray& bytes)
{
    qsizetype pos = 0;
    bool afterSkip = false;
    while (const auto reading = NextReading(bytes, pos, afterSkip))
        if (reading->sound)
            return reading->value;
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
    for (;;) {
        const qsizetype before = p;
        const bool skippedBefore = afterSkip_;
        const std::optional<PairReading> reading = NextReading(carry_, p, afterSkip_);
        if (!reading)
            break;
        const SampleKind kind = !reading->sound             ? SampleKind::Unsound
                                : AtRangeEnd(reading->value) ? SampleKind::RangeEnd
                                                             : SampleKind::Length;
        if (!averager_.add(reading->value, out, stored, kind)) {
            std::tie(p, afterSkip_) = std::tuple(before, skippedBefore); // taken at the next fetch
            overflowed_ = true;
            break;
        }
        ++samples_;
    }
    carry_.remove(0, p);
    return stored;
}

} // namespace sarvo::gauge::qc10
