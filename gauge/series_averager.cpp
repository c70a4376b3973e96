#include "gauge/series_averager.h"

#include <algorithm>
#include <cmath>

namespace sarvo::gauge {

void SeriesAverager::reset(int samplesPerPoint)
{
    samplesPerPoint_ = std::max(1, samplesPerPoint);
    sum_ = 0;
    count_ = 0;
}

bool SeriesAverager::add(int32_t sample, std::span<int32_t> out, int& stored)
{
    if (count_ + 1 == samplesPerPoint_ && stored >= static_cast<int>(out.size()))
        return false;
    sum_ += sample;
    if (++count_ == samplesPerPoint_) {
        out[static_cast<size_t>(stored++)] =
            static_cast<int32_t>(std::nearbyint(static_cast<double>(sum_) / samplesPerPoint_));
        sum_ = 0;
        count_ = 0;
    }
    return true;
}

bool StreamFellShort(int64_t samples, int64_t elapsedMs, double samplesPerSecond)
{
    const double due = static_cast<double>(elapsedMs - kStreamLagLimitMs) * samplesPerSecond / 1000.0;
    return due > static_cast<double>(samples);
}

} // namespace sarvo::gauge
