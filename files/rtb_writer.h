#pragma once
// Writer of the Renishaw .rtb text file: the case as it stands, read back by ReadRtb with the same
// runs, directions, angles, overshoot and expansion coefficients.

#include "core/case.h"
#include "core/outcome.h"
#include "core/settings.h"

#include <QByteArray>
#include <QString>

namespace sarvo::files {

inline constexpr char kRtbSaveLocation[] = "Saving to rtb-file";

// What the file takes from the settings where the case holds nothing.
struct RtbDefaults {
    double gaugeExpCoeff = 0;
    double machineExpCoeff = 0;
};
RtbDefaults RtbDefaultsOf(const Settings& s);

// The file's bytes: CRLF lines, texts in the DOS code page. The case is not changed.
QByteArray RtbFileBytes(const Case& c, const RtbDefaults& defaults);

// Writes the file in one piece: a failure (its outcome located at "Saving to rtb-file") leaves
// any earlier file of that name as it was.
Outcome SaveRtb(const Case& c, const Settings& s, const QString& fileName);

} // namespace sarvo::files
