#pragma once
// The measurement window's set-up without the window: the sampling-rate list, the field checks,
// the axis lists of a plane, the temperature-compensated reading, the calibration state of the
// bar length and the origin of the last measurement. Lengths are mm, feedrates mm/min.

#include "core/settings.h"
#include "core/units.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sarvo {
struct Case;
class IniFile;
namespace casedb {
class CaseStore;
}
} // namespace sarvo

namespace sarvo::gauge {

inline constexpr double kDefaultFeedrateMm = 400;   // mm/min
inline constexpr double kDefaultFeedrateInch = 15;  // in/min
inline constexpr int kMaxPointsPerRun = 4000;
// Runs a measurement may capture, 1..5; runs 6 and 7 of a case belong to the analysis.
inline constexpr int kMaxCapturedRuns = 5;

// A feedrate of 0, below 0 or not a number becomes the default of the unit system.
double FeedrateOrDefault(double mmPerMin, bool unitsInch);

struct SamplingRateItem {
    int points = 0;    // points of one run at this rate
    int rateCode = 0;  // rate in Hz x 10000, whole
    bool operator==(const SamplingRateItem&) const = default;
};

struct SamplingRequest {
    double feedrateMmPerMin = 0; // replaced by the default when not above 0
    double startDeg = 0;
    double endDeg = 360;
    double radiusMm = 0;
    bool ownGauge = false;
    bool unitsInch = false;
    int previousPoints = 400; // the point count of the item selected before
};

struct SamplingRates {
    std::vector<SamplingRateItem> items;
    int selected = -1;           // -1 with an empty list
    double feedrateMmPerMin = 0; // as used: the default, or raised so a run fits the list
    double startDeg = 0;         // 0 and 360 when the request gave no arc
    double endDeg = 360;
};

// Rates from 250 Hz (1440 Hz for the own gauge) halved down to below 0.5 Hz or a count below 50;
// counts of 4000 or more are left out. The arc is taken as the run takes it (RunStopAngle).
// A run too long even for the slowest rate raises the
// feedrate once, computed from the number (never from its rounded text), which always suffices.
SamplingRates BuildSamplingRates(const SamplingRequest& request);

// The measurement window's entries as it opens: "BasicInput" over the defaults, the open case's
// feedrate when it has one (display unit per minute; a stored 0 takes the default), both
// temperatures at the base temperature.
struct MeasureOpening {
    QString startPos, endPos, overshoot, feedrate, temperature;
    int samplingRateIndex = 1; // as stored; ClampedRateIndex fits it to the list
};
MeasureOpening OpeningMeasureFields(const IniFile& ini, const Case& openCase, const Settings& settings,
                                    const UnitState& units);

// The window's texts that the list is built from. Rebuilding sets the arc to 0..360 when it was
// empty and shows a feedrate raised so that a run fits; selectedItem is the text of the item
// selected before (empty: none).
struct SamplingFields {
    QString feedrate, startPos, endPos;
};
SamplingRates RebuildSamplingRates(SamplingFields& fields, const QString& selectedItem, const Settings& settings,
                                   const UnitState& units);

// The stored list index clamped into the list; -1 for an empty list.
int ClampedRateIndex(int storedIndex, int itemCount);

// The angle checks: end within start + 90 .. 540, start within -180 .. end - 90 (whole degrees
// shown, single precision held).
float CheckedEndAngle(const QString& endText, const QString& startText);
float CheckedStartAngle(const QString& startText, const QString& endText);
// The typed feedrate in display units per minute, as mm/min, the default when not above 0.
double CheckedFeedrate(const QString& text, double largeFactor, bool unitsInch);
// A text that starts with a negative number becomes "0" at once.
QString CheckedOvershootWhileTyping(const QString& text);

enum class TestPlane { XY, XZ, YZ };
// The axis texts of a plane by list position: 0, 180, 90 and 270 degrees.
std::array<QString, 4> AxisTexts(TestPlane plane);
QString PlaneKey(TestPlane plane); // "xy", "xz", "yz" as the case database stores it

// L + 1e-6 x ((Tg - Tbase) x gauge coefficient - (Tother - Tbase) x other coefficient) x L.
double CompensatedLength(double lengthMm, double gaugeTempC, double otherTempC, double baseTempC,
                         double gaugeCoeff, double otherCoeff);

// The live reading of the measurement window: bar length plus the scaled reading less the zero
// offset, compensated against the machine temperature.
double LiveLengthMm(double readingMm, double zeroOffsetMm, double gaugeTempC, double machineTempC,
                    const Settings& settings);

enum class CalibrationPanel { NonCalibrated = 0, Calibrated = 1, Referenced = 2 };
struct BarLengthCalibration {
    CalibrationPanel panel = CalibrationPanel::NonCalibrated;
    double zeroOffsetMm = 0;
    bool calibrated = false;
};
// The first table entry of the bar length (compared in single precision) decides; gauges that
// reference themselves count as calibrated with offset 0.
BarLengthCalibration LookUpBarLength(const Settings& settings);

// The origin (X, Y, Z in mm) of the latest measurement of the machine in the plane; nothing when
// there is none or the database cannot answer.
std::optional<std::array<double, 3>> LastMeasurementOrigin(const casedb::CaseStore& store, TestPlane plane,
                                                           const QString& machine);

} // namespace sarvo::gauge
