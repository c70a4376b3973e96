#pragma once
// What every successful read must leave in the case, whatever the file held. Shared by the corpus
// test and the fuzz targets; an empty text means the case keeps every rule.

#include "core/case.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace sarvo::test {

inline QString HeaderInvariantFailure(const Case& c)
{
    const CaseData& d = c.Data;
    if (!(d.StartAngle >= -360 && d.StartAngle < d.StopAngle && d.StopAngle <= 720))
        return QStringLiteral("angles %1..%2").arg(d.StartAngle).arg(d.StopAngle);
    if (d.SweepAngle != d.StopAngle - d.StartAngle)
        return QStringLiteral("sweep");
    if (d.Dynamic != (c.Header[HdrStatDyn] == QLatin1String("D")))
        return QStringLiteral("Dynamic and HdrStatDyn disagree");
    if (!std::isfinite(d.TestRadius) || d.TestRadius <= 0 || !std::isfinite(d.BallBarLength) || d.BallBarLength <= 0)
        return QStringLiteral("radius or length");
    if (!std::isfinite(d.OvershootAngle))
        return QStringLiteral("overshoot");
    if (!d.TestDate.isValid())
        return QStringLiteral("no test date");
    return {};
}

inline QString FullInvariantFailure(const Case& c, int maxPoints)
{
    const QString header = HeaderInvariantFailure(c);
    if (!header.isEmpty())
        return header;
    const CaseData& d = c.Data;
    if (d.RunCount < 1 || d.RunCount > kMaxRuns)
        return QStringLiteral("RunCount %1").arg(d.RunCount);
    const int limit = std::min(maxPoints, kMaxPointIndex);
    int largest = 0;
    for (int r = 1; r <= d.RunCount; ++r) {
        const auto i = static_cast<std::size_t>(r);
        if (d.RunTargets[i] < 3 || d.RunTargets[i] > limit)
            return QStringLiteral("RunTargets(%1) = %2").arg(r).arg(d.RunTargets[i]);
        if (d.RunDirection[i] != 1 && d.RunDirection[i] != -1)
            return QStringLiteral("RunDirection(%1) = %2").arg(r).arg(d.RunDirection[i]);
        if (!std::isfinite(d.GaugeTemp[i]) || !std::isfinite(d.MachineTemp[i]))
            return QStringLiteral("temperature of run %1").arg(r);
        for (int j = 0; j < d.RunTargets[i]; ++j) {
            if (!std::isfinite(d.Readings(r, j)))
                return QStringLiteral("Readings(%1,%2)").arg(r).arg(j);
        }
        largest = std::max<int>(largest, d.RunTargets[i]);
    }
    if (d.MaxTargets != largest)
        return QStringLiteral("MaxTargets %1, largest run %2").arg(d.MaxTargets).arg(largest);
    if (!std::isfinite(d.AngleStep) || d.AngleStep <= 0)
        return QStringLiteral("AngleStep");
    return {};
}

} // namespace sarvo::test
