#pragma once
// What every successful read must leave in the case, whatever the file held. Shared by the corpus
// test and the fuzz targets; an empty text means the case keeps every rule.

#include "core/case.h"
#include "core/units.h"
#include "core/utilities.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sarvo::test {

// A value every part of the program can hold: the readings and feedrates of a case are held in
// single precision somewhere on their way.
inline bool WithinSingle(double value)
{
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

inline QString HeaderInvariantFailure(const Case& c)
{
    const CaseData& d = c.Data;
    if (!(d.StartAngle >= -360 && d.StartAngle < d.StopAngle && d.StopAngle <= 720))
        return QStringLiteral("angles %1..%2").arg(d.StartAngle).arg(d.StopAngle);
    if (d.SweepAngle != d.StopAngle - d.StartAngle)
        return QStringLiteral("sweep");
    if (d.Dynamic != (c.Header[HdrStatDyn] == QLatin1String("D")))
        return QStringLiteral("Dynamic and HdrStatDyn disagree");
    if (!std::isfinite(d.TestRadius) || d.TestRadius < std::numeric_limits<float>::min() || !std::isfinite(d.BallBarLength)
        || d.BallBarLength <= 0)
        return QStringLiteral("radius or length");
    const QString& plane = c.Header[HdrPlane];
    if (!plane.isEmpty() && (plane.size() != 2 || plane[0] == plane[1] || !QStringLiteral("xyz").contains(plane[0])
                             || !QStringLiteral("xyz").contains(plane[1])))
        return QStringLiteral("plane \"%1\"").arg(plane);
    if (!WithinSingle(LeadingNumber(c.Header[HdrFeedrate])))
        return QStringLiteral("feedrate");
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
        for (double t : {d.GaugeTemp[i], d.MachineTemp[i]}) {
            if (!IsUsableTemperature(t))
                return QStringLiteral("temperature of run %1").arg(r);
        }
        for (int j = 0; j < d.RunTargets[i]; ++j) {
            if (!WithinSingle(d.Readings(r, j)))
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
