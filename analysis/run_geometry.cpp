#include "analysis/run_geometry.h"

#include "analysis/angles.h"
#include "analysis/trig_tables.h"

#include <cmath>

namespace sarvo {

int CheckedRunCount(const CaseData& data)
{
    if (data.RunCount < 0 || data.RunCount > kMaxRuns)
        throw AppError::subscriptOutOfRange();
    return data.RunCount;
}

int CheckedTargets(const CaseData& data, int run)
{
    if (run < 1 || run > kMaxRuns)
        throw AppError::subscriptOutOfRange();
    const int n = data.RunTargets[static_cast<std::size_t>(run)];
    if (n < 0 || n > kPointSlots)
        throw AppError::subscriptOutOfRange();
    return n;
}

std::span<double> RunReadings(CaseData& data, int run)
{
    const int n = CheckedTargets(data, run);
    return {data.Readings.row(run), static_cast<std::size_t>(n)};
}

std::span<const double> RunReadings(const CaseData& data, int run)
{
    const int n = CheckedTargets(data, run);
    return {data.Readings.row(run), static_cast<std::size_t>(n)};
}

const RunTrig& PointTrig::forCount(int n)
{
    for (const auto& table : tables_)
        if (table->size() == n)
            return *table;
    auto table = std::make_unique<RunTrig>();
    table->cos.resize(static_cast<std::size_t>(n));
    table->sin.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double radians = PointAngleDeg(arc_, n, j) * kPi12 / 180.0;
        table->cos[static_cast<std::size_t>(j)] = std::cos(radians);
        table->sin[static_cast<std::size_t>(j)] = std::sin(radians);
    }
    tables_.push_back(std::move(table));
    return *tables_.back();
}

} // namespace sarvo
