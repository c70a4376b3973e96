#pragma once
// What the readers of every format share: checked numbers with messages that name the value, the
// point counts, the angle rules and the derived header texts (thinning is the case's, core/case.h).

#include "core/app_error.h"
#include "core/case.h"
#include "files/read_context.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

namespace sarvo::files {

// The file does not hold what its format promises (321, "Invalid file format", with the reason).
AppError FormatError(const QString& reason);
// The file ends before what it announced (62).
AppError ShortFileError(const QString& reason);

// A value beyond the range of the type it is held in (6), naming it.
AppError OutOfRangeError(const QString& name);

// The leading number of a text, as every reader that reads a value only as far as it looks like a
// number takes it (exponent after E or D, no number gives 0); a number beyond the range of a
// double raises OutOfRangeError instead of reading 0.
double CheckedLeadingNumber(QStringView text, const QString& name);

// A number field of a file, read as written: blanks and line ends around it, "." or "," as the
// decimal separator, an exponent after E, e, D or d ("1.505e2" is 150.5). nullopt for a blank
// field; text that is no number is refused naming the field, a number beyond a double too.
std::optional<double> FieldNumber(QStringView text, const QString& name);

// Checked conversions; the name goes into the message of a value out of range.
double FiniteValue(double value, const QString& name);
double PositiveValue(double value, const QString& name);
float SingleValue(double value, const QString& name);
int16_t WholeInt16(double value, const QString& name); // rounded, halves to even
int64_t WholeInt64(double value, const QString& name); // rounded, halves to even
// A radius or bar length in mm: positive, a length single precision holds (as the bar length is
// held), and no more than a machine tool can hold (100 m).
double LengthValue(double value, const QString& name);

// Numbers the analysis computes with. A file may hold a number no measurement gives and no part of
// the program can hold (1e300 degrees, a reading of 1e300 mm): refused naming the field, every
// real value kept. A reading and a feedrate (mm/min) must lie within single precision: the case
// database stores readings so, and the error-model fit holds the feedrate so.
double SingleRangeValue(double value, const QString& name);
bool WithinSingleRange(double value);
// A temperature in degrees Celsius and an expansion coefficient in ppm per degree that the
// temperature compensation can work with (IsUsableTemperature, IsUsableExpansionCoefficient).
double TemperatureValue(double celsius, const QString& name);
double CoefficientValue(double ppmPerDegree, const QString& name);

// The plane as every reader gives it: two axes of x, y and z in lower case, the blanks around
// them dropped ("ZX" is "zx"); anything else is no plane (empty), left for the user to set. The
// writers write every such plane and the readers read it back the same.
QString PlaneText(QStringView text);

// The date of year, month and day as date arithmetic joins them: months beyond 12 and days beyond
// the month roll over into the next (0 and below into the previous). Raises for a date outside
// the years 100 to 9999.
QDateTime RolledDate(int64_t year, int64_t month, int64_t day);

// Raises unless 3 <= points <= RunPointLimit(maxPoints).
void CheckRunPoints(int64_t points, int maxPoints, int run);

// The arc every case must lie in: -360 <= start <= stop <= 720 with a sweep of at least one degree,
// the degree range of the analysis tables. Sets StartAngle, StopAngle and SweepAngle.
void SetCheckedAngles(CaseData& d, int64_t start, int64_t stop);

// The arc as a file header gives it: swapped when given the other way round, equal angles meaning
// a full circle, then wrapped by one turn into -360..359 at the start, and checked as above.
void SetArcFromHeader(CaseData& d, int64_t start, int64_t stop);

// Sampling rate in Hz of a dynamic case: MaxTargets points (or the points given, such as a
// file's count before thinning) over the arc at the feedrate of HdrFeedrate, "###0.0###". The
// feedrate (its leading number) must be positive and within the range of a double.
QString SamplingRateText(const Case& c);
QString SamplingRateText(const Case& c, int64_t points);

// "###0.000#" of the bar length and similar fixed forms, always with ".".
QString FixedText(double value, const char* pattern);

// Ends the runs of a full read: RunCount, MaxTargets as the longest run and AngleStep. A static
// run must hold one point every 45 degrees of its arc (StaticRunPoints), as a capture takes it.
void FinishRuns(CaseData& d, int runs);

// The machine check of a full read, asked last so that a file that cannot be read asks nothing:
// the known machine replaces the file's name; no machine chosen ends the read with a message.
ReadResult ConfirmMachine(Case& c, const ReadContext& ctx);

// Writes a measurement file in one piece: it replaces an earlier file of that name only when
// complete. Raises AppError 75 when the file cannot be opened, 57 when the write fails.
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// A full read starts from empty runs: readings, per-run values, counts and the results flag.
void ResetRuns(Case& c);

// For formats that carry no session, equipment, overshoot or scale: nothing of the previous case
// stays in those fields.
void ClearUncarriedFields(Case& c);

// 1 stays counter-clockwise (+1); any other code is clockwise (-1), its samples stored reversed.
inline int16_t DirectionOfCode(int64_t code)
{
    return code == 1 ? int16_t(1) : int16_t(-1);
}

} // namespace sarvo::files
