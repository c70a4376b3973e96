#include "gauge/series_averager.h"

#include <algorithm>
#include <cmath>

namespace sarvo::gauge {

void SeriesAverager::reset(int samplesPerPoint)
{
    samplesPerPoint_ = std::max(1, samplesPerPoint);
    sum_ = 0;
    count_ = 0;
    pinned_.reset();
}

bool SeriesAverager::add(int32_t sample, std::span<int32_t> out, int& stored, bool pins)
{
    if (count_ + 1 == samplesPerPoint_ && stored >= static_cast<int>(out.size()))
        return false;
    sum_ += sample;
    if (pins && !pinned_)
        pinned_ = sample;
    if (++count_ == samplesPerPoint_) {
        out[static_cast<size_t>(stored++)] =
            pinned_ ? *pinned_ : static_cast<int32_t>(std::nearbyint(static_cast<double>(sum_) / samplesPerPoint_));
        sum_ = 0;
        count_ = 0;
        pinned_.reset();
    }
    return true;
}

void StreamPace::start(double bytesPerSecond)
{
    *this = StreamPace{};
    msPerByte_ = bytesPerSecond > 0 ? 1000.0 / bytesPerSecond : 0;
}

void StreamPace::note(int64_t atMs, int64_t bytes)
{
    if (msPerByte_ <= 0 || fellShort_)
        return;
    if (firstMs_ < 0) {
        if (bytes > 0)
            firstMs_ = atMs; // a late start is no gap: the stream is timed from its first bytes
        return;
    }
    total_ += bytes;
    const double netDeficit =
        (1.0 - kClockTolerance) * static_cast<double>(atMs - firstMs_) - static_cast<double>(total_) * msPerByte_;
    missingMs_ = std::max(0.0, netDeficit - lowest_);
    if (missingMs_ <= kHandOverMs) {
        shortSinceMs_ = -1;
        lowest_ = std::min(lowest_, netDeficit);
    } else if (shortSinceMs_ < 0) {
        shortSinceMs_ = atMs;
    }
    fellShort_ = shortSinceMs_ >= 0 && atMs - shortSinceMs_ >= kPaceCatchUpMs;
}

} // namespace sarvo::gauge
