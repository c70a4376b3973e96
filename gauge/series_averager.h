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

// What both protocols' series decoders keep between fetches: the averager, the bytes not yet
// decoded, and whether the caller's buffer ran full.
class SeriesDecoderState {
public:
    void reset(int samplesPerPoint)
    {
        averager_.reset(samplesPerPoint);
        carry_.clear();
        overflowed_ = false;
    }
    bool overflowed() const { return overflowed_; }
    const QByteArray& carry() const { return carry_; }

protected:
    SeriesAverager averager_;
    QByteArray carry_;
    bool overflowed_ = false;
};

} // namespace sarvo::gauge
