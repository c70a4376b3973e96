#pragma once
// Averages a stream of raw gauge samples (0.1 µm) into one value per point of a series. The
// caller hands the room it has; a point that does not fit stays pending, so nothing is written
// past the caller's buffer and nothing is lost.

#include <QByteArray>

#include <cstdint>
#include <span>

namespace sarvo::gauge {

class SeriesAverager {
public:
    void reset(int samplesPerPoint);
    int samplesPerPoint() const { return samplesPerPoint_; }

    // Adds one sample; returns false (sample not taken) when a finished point has no room left.
    bool add(int32_t sample, std::span<int32_t> out, int& stored);

private:
    int samplesPerPoint_ = 1;
    int64_t sum_ = 0;
    int count_ = 0;
};

// What a stream showed that the gauge protocol does not promise: records no bar can give (a lost
// or stray byte shifts the own gauge's records), or a reading at the end of the gauge's range.
// Decoding stops there; nothing after it is taken.
enum class StreamFault { None, Unreadable, OutOfRange };

// What both protocols' series decoders keep between fetches: the averager, the bytes not yet
// decoded, whether the caller's buffer ran full, the samples decoded since the start and the
// fault that ended decoding.
class SeriesDecoderState {
public:
    void reset(int samplesPerPoint)
    {
        averager_.reset(samplesPerPoint);
        carry_.clear();
        overflowed_ = false;
        samples_ = 0;
        fault_ = StreamFault::None;
    }
    bool overflowed() const { return overflowed_; }
    const QByteArray& carry() const { return carry_; }
    int64_t samples() const { return samples_; }
    StreamFault fault() const { return fault_; }

protected:
    SeriesAverager averager_;
    QByteArray carry_;
    bool overflowed_ = false;
    int64_t samples_ = 0;
    StreamFault fault_ = StreamFault::None;
};

// How far a gauge streaming at a known rate may lag behind the time since its stream began
// before samples count as missing: room for the line's delay and the fetches' jitter, far less
// than a gap that would move the points after it by degrees.
inline constexpr int kStreamLagLimitMs = 300;

// Whether the samples decoded fall short of the time the stream has run (elapsedMs since it was
// asked for) at samplesPerSecond, beyond kStreamLagLimitMs: the gauge stopped sending for a
// while, and every point after the gap would be given the wrong angle.
bool StreamFellShort(int64_t samples, int64_t elapsedMs, double samplesPerSecond);

} // namespace sarvo::gauge
