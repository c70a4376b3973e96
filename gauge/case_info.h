#pragma once
// The case information asked before a measurement: the checks and roundings of its fields, the
// third-axis offset hint, the nominal lengths of the calibration table and the remembered input
// (settings section "BasicInput"). No windows: the dialog feeds it texts and shows its answers.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace sarvo {
class IniFile;
namespace casedb {
class CaseStore;
}

namespace gauge {

inline constexpr int kCaseTextLimit = 30;
inline constexpr char kBasicInputSection[] = "BasicInput";

// The texts of the dialog's fields, as shown (lengths in the display unit).
struct CaseInfoTexts {
    QString customer, machine, session, date, time, measuredBy, radius, length, machineExp;
    bool operator==(const CaseInfoTexts&) const = default;
};

// The first 30 characters.
QString CutCaseText(const QString& text);

// The machine's coefficient of its newest stored case, ppm/°C; nullopt for none or an error.
std::optional<double> LastMachineExpCoeff(const casedb::CaseStore& store, const QString& machine);

// Coefficients: stored per °C, shown per °F when temperatures are Fahrenheit.
double ShownExpCoeff(double perCelsius, const Settings& settings);
double StoredExpCoeff(double shown, const Settings& settings);
// The five typical coefficients of the list, formatted "##0.0" in the shown unit.
QStringList TypicalExpCoeffs(const Settings& settings);

// A radius proposed for a bar length (display unit): nearest 10 mm or nearest 0.01 in.
QString RadiusForLength(double shownLength, const UnitState& units, bool inch);

// Leaving the length: a length below 50 mm becomes 100 mm (3.94 in); a radius more than 10 mm
// above the length becomes the length rounded. Both texts are rewritten in place.
void NormaliseLength(CaseInfoTexts& texts, const UnitState& units, bool inch);

// Leaving the radius: the radius text rewritten in place and the messages to show in turn
// (translated). information: an information box rather than a beep and an exclamation. The
// radius is held to the length the bar box keeps (100 mm for an empty or short one), so that a
// radius put in place of a refused one is always one the checks take.
struct RadiusNote {
    QString text;
    bool information = false;
};
std::vector<RadiusNote> NormaliseRadius(CaseInfoTexts& texts, const UnitState& units, bool inch);

// The third-axis distance √(L²−R²) when 0.9·L > R, formatted; nullopt when no hint applies.
std::optional<QString> CentreOffsetHint(const CaseInfoTexts& texts, const UnitState& units);

// The bar length a text means, in mm. A text showing a row of the table at the shown precision is
// that row's own length: a length picked from the list, or typed in inches, is the calibrated
// row, not the rounded text read back. Any other text is read in the display unit.
float BarLengthMm(const QString& text, const CalibrationTable& table, const UnitState& units);

// Inserts the nominal length (mm) in order as an uncalibrated row while fewer than 9 rows are in
// use; a known length or a full table leaves the table unchanged. Returns whether a row came in.
bool InsertCalibrationLength(CalibrationTable& table, float lengthMm);

// OK: the checks in order, storing into the case and settings as each passes. The first failing
// check names its field and its message (already translated); values stored before it stay.
// The radius and the bar length are stored together, once both keep to the rules that leaving
// their boxes applies (a bar below 50 mm is taken as 100 mm): a refused radius is never stored.
enum class CaseInfoField { None, Machine, Session, Date, Time, Radius, Length, MachineExp };
struct CaseInfoFailure {
    CaseInfoField field = CaseInfoField::None;
    QString message;
    QString replacement; // the text the field takes in place of the refused one; empty keeps it
    bool failed() const { return field != CaseInfoField::None; }
};
CaseInfoFailure AcceptCaseInfo(const CaseInfoTexts& texts, Case& openCase, Settings& settings,
                               const UnitState& units);

// The nominal lengths of the calibration table as the length list shows them.
QStringList NominalLengthTexts(const Settings& settings, const UnitState& units);
// The dialog's texts as it opens, from the open case and the settings (before "BasicInput").
CaseInfoTexts OpeningCaseInfoTexts(const Case& openCase, const Settings& settings, const UnitState& units,
                                   const QDateTime& now);

// The remembered texts of "BasicInput"; keys that cannot be read keep the given text. The bar
// length is remembered with its unit ("150 mm", "5.90551 in"), so that it means the same length
// after a switch of units; it comes back as typed in the unit it was typed in, else converted.
// A length without a unit is taken in the display unit.
void LoadBasicInput(const IniFile& ini, CaseInfoTexts& texts, const UnitState& units, bool inch);
// Writes the five keys at once; a failure is ignored.
void SaveBasicInput(const IniFile& ini, const CaseInfoTexts& texts, bool inch);

} // namespace gauge
} // namespace sarvo
