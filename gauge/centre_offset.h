#pragma once
// How far the centre of the captured circles lies from the programmed centre: the mean of the
// runs' least-squares centres, in µm along the two axes of the test plane.

#include "core/case.h"
#include "core/outcome.h"
#include "core/units.h"

#include <QString>

#include <optional>

namespace sarvo::gauge {

// Along each axis, in both unit systems.
inline constexpr double kCentreOffsetLimitUm = 100;

struct AxisOffset {
    QString axis;                     // the axis letter as the plane names it
    std::optional<double> micrometres; // none when the offsets could not be computed
    bool aboveLimit = false;          // strictly above the limit
};

struct CentreOffsets {
    AxisOffset first, second;
    Outcome outcome; // failed at "Calculating offsets": both values are blank
};

// No runs give 0 along both axes.
CentreOffsets ComputeCentreOffsets(const Case& openCase);

// The value in the small display unit and format; empty for a blank value.
QString ShownOffset(const std::optional<double>& micrometres, const UnitState& units);

} // namespace sarvo::gauge
