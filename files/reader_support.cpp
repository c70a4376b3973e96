#include "files/reader_support.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/units.h"
#include "core/utilities.h"
#include "files/text_items.h"

#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sarvo::files {

namespace {
constexpr int kInvalidFileFormat = 321;
constexpr int kInputPastEnd = 62;

QString outOfRange(const QString& name)
{
    return Translate("The value of \"%1\" is out of range.").arg(name);
}
} // namespace

AppError OutOfRangeError(const QString& name)
{
    return AppError(AppError::kOverflow, outOfRange(name));
}

double CheckedLeadingNumber(QStringView text, const QString& name)
{
    const auto value = LeadingNumberInRange(text);
    if (!value)
        throw OutOfRangeError(name);
    return *value;
}

std::optional<double> FieldNumber(QStringView text, const QString& name)
{
    const QStringView field = text.trimmed();
    if (field.isEmpty())
        return std::nullopt;
    if (const auto value = ParseNumber(field))
        return value;
    if (IsNumberBeyondRange(field))
        throw OutOfRangeError(name);
    throw FormatError(Translate("The value of \"%1\" is not a number: \"%2\".").arg(name, field.toString()));
}

AppError FormatError(const QString& reason)
{
    return AppError(kInvalidFileFormat, reason);
}

AppError ShortFileError(const QString& reason)
{
    return AppError(kInputPastEnd, reason);
}

double FiniteValue(double value, const QString& name)
{
    if (!std::isfinite(value))
        throw AppError(AppError::kOverflow, outOfRange(name));
    return value;
}

double PositiveValue(double value, const QString& name)
{
    if (!std::isfinite(value) || value <= 0.0)
        throw FormatError(Translate("The value of \"%1\" must be a positive number.").arg(name));
    return value;
}

double LengthValue(double value, const QString& name)
{
    constexpr double kLongestMm = 100000.0;
    PositiveValue(value, name);
    if (value < double(std::numeric_limits<float>::min()) || value > kLongestMm)
        throw AppError(AppError::kOverflow, outOfRange(name));
    return value;
}

bool WithinSingleRange(double value)
{
    return std::isfinite(value) && std::fabs(value) <= double(std::numeric_limits<float>::max());
}

double SingleRangeValue(double value, const QString& name)
{
    if (!WithinSingleRange(value))
        throw AppError(AppError::kOverflow, outOfRange(name));
    return value;
}

double TemperatureValue(double celsius, const QString& name)
{
    if (!IsUsableTemperature(celsius))
        throw AppError(AppError::kOverflow, outOfRange(name));
    return celsius;
}

double CoefficientValue(double ppmPerDegree, const QString& name)
{
    if (!IsUsableExpansionCoefficient(ppmPerDegree))
        throw AppError(AppError::kOverflow, outOfRange(name));
    return ppmPerDegree;
}

QString PlaneText(QStringView text)
{
    const QString plane = text.trimmed().toString().toLower();
    const auto axis = [](QChar c) { return c == u'x' || c == u'y' || c == u'z'; };
    if (plane.size() == 2 && axis(plane[0]) && axis(plane[1]) && plane[0] != plane[1])
        return plane;
    return {};
}

float SingleValue(double value, const QString& name)
{
    return static_cast<float>(SingleRangeValue(value, name));
}

int16_t WholeInt16(double value, const QString& name)
{
    const double r = std::nearbyint(value);
    if (!std::isfinite(r) || r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
        throw AppError(AppError::kOverflow, outOfRange(name));
    return static_cast<int16_t>(r);
}

int64_t WholeInt64(double value, const QString& name)
{
    const double r = std::nearbyint(value);
    // Well inside the 64-bit range, so that sums of counts cannot overflow either.
    constexpr double kLimit = 1.0e15;
    if (!std::isfinite(r) || std::fabs(r) > kLimit)
        throw AppError(AppError::kOverflow, outOfRange(name));
    return static_cast<int64_t>(r);
}

QDateTime RolledDate(int64_t year, int64_t month, int64_t day)
{
    const auto outOfRange = [] { return FormatError(Translate("The date lies outside the years 100 to 9999.")); };
    constexpr int64_t kSpan = 10000LL * 366;
    if (year < 100 || year > 9999 || std::abs(month) > kSpan || std::abs(day) > kSpan)
        throw outOfRange();
    const QDate date = QDate(int(year), 1, 1).addMonths(int(month - 1)).addDays(day - 1);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        throw outOfRange();
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

void CheckRunPoints(int64_t points, int maxPoints, int run)
{
    if (points < kMinRunPoints)
        throw FormatError(Translate("Run %1 has fewer than three points.").arg(run));
    if (points > RunPointLimit(maxPoints))
        throw FormatError(Translate("Run %1 has more points than a run can hold.").arg(run));
}

void SetCheckedAngles(CaseData& d, int64_t start, int64_t stop)
{
    if (start < -360 || stop > 720 || stop - start < 1)
        throw FormatError(Translate("The measured arc %1 to %2 degrees lies outside -360 to 720 degrees.")
                              .arg(start)
                              .arg(stop));
    d.StartAngle = static_cast<int16_t>(start);
    d.StopAngle = static_cast<int16_t>(stop);
    d.SweepAngle = static_cast<int16_t>(stop - start);
}

void SetArcFromHeader(CaseData& d, int64_t start, int64_t stop)
{
    if (stop < start)
        std::swap(start, stop);
    else if (stop == start)
        start -= 360; // equal angles mean a full circle
    if (start >= 360) {
        start -= 360;
        stop -= 360;
    }
    if (start < -360) {
        start += 360;
        stop += 360;
    }
    SetCheckedAngles(d, start, stop);
}

QString SamplingRateText(const Case& c)
{
    return SamplingRateText(c, c.Data.MaxTargets);
}

QString SamplingRateText(const Case& c, int64_t points)
{
    const double feedrate = CheckedLeadingNumber(c.Header[HdrFeedrate], QStringLiteral("Feedrate")); // mm/min
    if (!(feedrate > 0.0))
        throw FormatError(Translate("A dynamic test needs a positive feedrate."));
    const QString rate = PointSamplingRateText(c.Data, feedrate, points);
    if (rate.isEmpty())
        throw OutOfRangeError(QStringLiteral("Sample Rate"));
    return rate;
}

QString FixedText(double value, const char* pattern)
{
    return FormatNumber(value, QString::fromLatin1(pattern), QLocale::c());
}

void ResetRuns(Case& c)
{
    c.Data.clearRuns();
    c.Data.MeasuredFeedrateAverage = 0;
    c.Results.invalidate();
}

void ClearUncarriedFields(Case& c)
{
    for (int slot : {HdrName, HdrEquipmentManufacturer, HdrEquipmentModel, HdrEquipmentSerial})
        c.Header[slot].clear();
    c.Data.OvershootAngle = 0;
    c.Data.ScaleFactor = 1.0;
}

void FinishRuns(CaseData& d, int runs)
{
    if (runs < 1)
        throw FormatError(Translate("The file holds no run."));
    d.RunCount = static_cast<int16_t>(runs);
    d.MaxTargets = *std::max_element(d.RunTargets.begin() + 1, d.RunTargets.begin() + 1 + runs);
    // Every stage places a static run's points 45 degrees apart from the start: the run must hold
    // the positions of its arc, as a static capture takes them.
    if (!d.Dynamic) {
        for (int r = 1; r <= runs; ++r) {
            const int points = d.RunTargets[static_cast<std::size_t>(r)];
            if (points != StaticRunPoints(d.SweepAngle))
                throw FormatError(Translate("A static run holds one point every 45 degrees: %1 points do not fit an arc "
                                            "of %2 degrees.")
                                      .arg(points)
                                      .arg(d.SweepAngle));
        }
    }
    d.AngleStep = d.StepOfRuns();
}

ReadResult ConfirmMachine(Case& c, const ReadContext& ctx)
{
    const QString machine = ctx.machineFor(c.Header[HdrMachine]);
    if (machine.isEmpty())
        return ReadResult::noMachineChosen(c.Header[HdrFilename]);
    c.Header[HdrMachine] = machine;
    return ReadResult::success();
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError::standard(AppError::kPathFileAccess, fileName);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw AppError::standard(AppError::kDeviceIoError, fileName);
}

} // namespace sarvo::files
