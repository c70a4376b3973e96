#include "gauge/own_gauge_codec.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace sarvo::gauge::owngauge {

namespace {
constexpr char kCR = 0x0D;
constexpr char kLF = 0x0A;
}

std::optional<Record> DecodeAt(const QByteArray& carry, qsizetype& pos)
{
    unsigned char b[5] = {};
    int j = 0;
    qsizetype p = pos;
    while (j <= 4) {
        if (p >= carry.size())
            return std::nullopt;
        b[j] = static_cast<unsigned char>(carry[p]);
        if (j > 0 && b[j] == kLF && b[j - 1] == kCR) {
            b[j - 1] = kLF;
            --j;
        }
        ++p;
        ++j;
    }
    pos = p - 1; // the look-ahead byte stays
    int32_t value = (static_cast<int32_t>(b[3]) << 20) | (b[2] << 12) | (b[1] << 4) | (b[0] >> 4);
    if (b[3] >= 128)
        value -= 0x10000000;
    return Record{value, b[0] & 0x0F};
}

std::optional<Record> TakeRecord(QByteArray& carry)
{
    qsizetype pos = 0;
    const std::optional<Record> record = DecodeAt(carry, pos);
    carry.remove(0, pos);
    return record;
}

QByteArray EncodeRecord(int32_t value, int status)
{
    const uint32_t raw = static_cast<uint32_t>(value) & 0x0FFFFFFFu;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(((raw & 0xF) << 4) | (status & 0xF)),
        static_cast<unsigned char>((raw >> 4) & 0xFF),
        static_cast<unsigned char>((raw >> 12) & 0xFF),
        static_cast<unsigned char>((raw >> 20) & 0xFF),
    };
    QByteArray out;
    for (unsigned char byte : bytes) {
        if (byte == kLF)
            out.append(kCR);
        out.append(static_cast<char>(byte));
    }
    return out;
}

bool VersionAccepted(const QByteArray& reply)
{
    if (reply.isEmpty() || (reply[0] != 'v' && reply[0] != 'V'))
        return false;
    // The leading number of characters 2 to 4.
    const QByteArray digits = reply.mid(1, 3);
    qsizetype end = 0;
    bool dot = false;
    while (end < digits.size()
           && (std::isdigit(static_cast<unsigned char>(digits[end])) || (digits[end] == '.' && !dot))) {
        dot = dot || digits[end] == '.';
        ++end;
    }
    bool ok = false;
    const double version = digits.left(end).toDouble(&ok);
    return ok && version >= 3.1;
}

QString VersionText(const QByteArray& reply)
{
    return QString::fromLatin1(reply).trimmed();
}

QString SerialNumber(const QByteArray& reply)
{
    return QString::fromLatin1(reply.left(kSerialLength));
}

bool ReferencePassed(const QByteArray& reply)
{
    return reply.size() == 1 && reply[0] == kReferencePassed;
}

int32_t RunStepLimit(double fastestMmPerMin)
{
    if (!(fastestMmPerMin > 0) || !std::isfinite(fastestMmPerMin))
        return kRecordStepLimit;
    // A slow clock puts its records furthest apart.
    const double perRecord = fastestMmPerMin / 60.0 / (kSamplesPerSecond * (1.0 - kClockTolerance)) * 1e4;
    return kStillStepLimit + static_cast<int32_t>(std::min<double>(kRecordStepLimit - kStillStepLimit, std::ceil(perRecord)));
}

void RecordCheck::reset()
{
    *this = RecordCheck{stepLimit_};
}

namespace {

// The low nibble of a record shifted by a byte holds the top bits of the reading before it: all 0
// or all 1 near zero.
bool ShiftedLowNibble(int32_t value)
{
    const uint32_t topBits = static_cast<uint32_t>(value) & 0x0F;
    return topBits == 0 || topBits == 0x0F;
}

} // namespace

bool RecordCheck::shiftedFrom(int32_t value, std::optional<int32_t> before)
{
    // The first record after a stray byte takes the stray's bits, the next ones a neighbour's, so
    // the reading two records back counts as well. Zero shifts to itself.
    return before && *before != 0 && value != *before && (value >> 8) == *before &&
           std::abs(static_cast<int64_t>(value)) >= 128 * std::abs(static_cast<int64_t>(*before)) &&
           ShiftedLowNibble(value);
}

bool RecordCheck::accept(int32_t value)
{
    if (last_ && !broken_) {
        const int64_t step = std::abs(static_cast<int64_t>(value) - *last_);
        if (value != *last_) {
            const bool keptShiftedLowByte = (static_cast<uint32_t>(value) & 0xFF) == (static_cast<uint32_t>(*last_) & 0xFF) &&
                                            ShiftedLowNibble(value);
            shiftedMoves_ = keptShiftedLowByte ? shiftedMoves_ + 1 : 0;
        }
        const bool shifted = step > kRecordStepLimit || shiftedMoves_ >= kShiftedMovesLimit ||
                             shiftedFrom(value, last_) || shiftedFrom(value, beforeLast_);
        steppedTooFar_ = !shifted && step > stepLimit_;
        broken_ = shifted || steppedTooFar_;
        if (!broken_)
            largestStep_ = std::max(largestStep_, static_cast<int32_t>(step));
    }
    beforeLast_ = last_;
    last_ = value;
    return !broken_;
}

OneReading DecodeReading(const QByteArray& bytes)
{
    OneReading reading;
    int64_t sum = 0;
    RecordCheck check;
    qsizetype pos = 0;
    while (const auto record = DecodeAt(bytes, pos)) {
        if (!check.accept(record->value)) {
            reading.readable = false;
            return reading;
        }
        sum += record->value;
        ++reading.records;
    }
    if (reading.records > 0)
        reading.value = static_cast<int32_t>(std::nearbyint(static_cast<double>(sum) / reading.records));
    reading.steady = check.largestStep() <= kStillStepLimit;
    return reading;
}

int SamplesPerPoint(double samplingRateHz)
{
    if (!(samplingRateHz > 0))
        return 1;
    return std::max(1, static_cast<int>(std::nearbyint(kSamplesPerSecond / samplingRateHz)));
}

void SeriesDecoder::reset(int samplesPerPoint, int32_t stepLimit)
{
    SeriesDecoderState::reset(samplesPerPoint);
    check_ = RecordCheck(stepLimit);
}

int SeriesDecoder::feed(const QByteArray& bytes, std::span<int32_t> out)
{
    carry_.append(bytes);
    int stored = 0;
    qsizetype used = 0;
    while (fault_ == StreamFault::None) {
        qsizetype pos = used;
        const std::optional<Record> record = DecodeAt(carry_, pos);
        if (!record)
            break;
        if (!check_.accept(record->value)) {
            fault_ = check_.steppedTooFar() ? StreamFault::TooFast : StreamFault::Unreadable;
            break;
        }
        if (!averager_.add(record->value, out, stored)) {
            overflowed_ = true;
            break;
        }
        ++samples_;
        used = pos;
    }
    carry_.remove(0, used);
    return stored;
}

} // namespace sarvo::gauge::owngauge
