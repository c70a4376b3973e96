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
    unsound_ = false;
}

bool SeriesAverager::add(int32_t sample, std::span<int32_t> out, int& stored, SampleKind kind)
{
    if (count_ + 1 == samplesPerPoint_ && stored >= static_cast<int>(out.size()))
        return false;
    sum_ += sample;
    if (kind == SampleKind::RangeEnd && !pinned_)
        pinned_ = sample;
    unsound_ = unsound_ || kind == SampleKind::Unsound;
    if (++count_ == samplesPerPoint_) {
        out[static_cast<size_t>(stored++)] =
            unsound_  ? kUnsoundPoint
            : pinned_ ? *pinned_
                      : static_cast<int32_t>(std::nearbyint(static_cast<double>(sum_) / samplesPerPoint_));
        sum_ = 0;
        count_ = 0;
        pinned_.reset();
        unsound_ = false;
    }
    return true;
}

void StreamPace::start(double bytesPerSecond)
{
    *this = StreamPace{};
    bytesPerMs_ = bytesPerSecond / 1000.0;
}

void StreamPace::note(int64_t atMs, int64_t bytes)
{
    if (bytesPerMs_ <= 0 || (bytes <= 0 && reads_.empty()))
        return; // the stream has not begun yet: a late start is no gap
    total_ += bytes;
    missingMs_ = 0;
    for (const auto& [ms, taken] : reads_) {
        const double missing = kPaceShare * bytesPerMs_ * static_cast<double>(atMs - ms) - static_cast<double>(total_ - taken);
        missingMs_ = std::max(missingMs_, missing / bytesPerMs_);
    }
    reads_.emplace_back(atMs, total_);
    while (reads_.size() > 1 && atMs - reads_.front().first > kPaceWindowMs)
        reads_.pop_front();
    if (missingMs_ <= kPaceGapMs)
        shortSinceMs_ = -1;
    else if (shortSinceMs_ < 0)
        shortSinceMs_ = atMs;

    // The lag is timed from the first read that took bytes; only its changes count.
    if (firstMs_ < 0)
        firstMs_ = atMs;
    const double lag = (1.0 - kClockTolerance) * static_cast<double>(atMs - firstMs_) - static_cast<double>(total_) / bytesPerMs_;
    lags_.emplace_back(atMs, lag);
    while (atMs - lags_.front().first > kLagBaseMs)
        lags_.pop_front();
    double lowest = lag;
    for (const auto& [ms, earlier] : lags_)
        lowest = std::min(lowest, earlier);
    missingMs_ = std::max(missingMs_, lag - lowest);
    if (lag - lowest <= kLagRiseMs)
        risenSinceMs_ = -1;
    else if (risenSinceMs_ < 0)
        risenSinceMs_ = atMs;

    fellShort_ = fellShort_ || (shortSinceMs_ >= 0 && atMs - shortSinceMs_ >= kPaceCatchUpMs) ||
                 (risenSinceMs_ >= 0 && atMs - risenSinceMs_ >= kLagPersistMs);
}

} // namespace sarvo::gauge
