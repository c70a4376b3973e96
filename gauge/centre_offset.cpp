#include "gauge/centre_offset.h"

#include "analysis/circle_fit.h"
#include "core/number_format.h"

#include <cmath>

namespace sarvo::gauge {

namespace {

AxisOffset Offset(const QString& axis, std::optional<double> micrometres)
{
    return {axis, micrometres, micrometres && std::fabs(*micrometres) > kCentreOffsetLimitUm};
}

} // namespace

CentreOffsets ComputeCentreOffsets(const Case& openCase)
{
    const CaseData& data = openCase.Data;
    const QString& plane = openCase.Header[HdrPlane];
    const QString firstAxis = plane.left(1);
    const QString secondAxis = plane.right(1);

    double sumX = 0;
    double sumY = 0;
    const Outcome outcome = Trapped(QStringLiteral("Calculating offsets"), [&] {
        for (int run = 1; run <= data.RunCount; ++run) {
            const LscCircle circle = CalcLSCRun(data, run, data.TestRadius);
            sumX += circle.CX;
            sumY += circle.CY;
        }
    });
    if (!outcome)
        return {Offset(firstAxis, std::nullopt), Offset(secondAxis, std::nullopt), outcome};

    const int runs = data.RunCount > 0 ? data.RunCount : 1; // no runs: both sums stay 0
    return {Offset(firstAxis, sumX / runs * 1000), Offset(secondAxis, sumY / runs * 1000), outcome};
}

QString ShownOffset(const std::optional<double>& micrometres, const UnitState& units)
{
    return micrometres ? FormatNumber(*micrometres * units.SmallFactor, units.SmallFormat) : QString();
}

} // namespace sarvo::gauge
