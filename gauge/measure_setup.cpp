#include "gauge/measure_setup.h"

#include "core/case.h"
#include "core/ini_file.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/utilities.h"
#include "gauge/device.h"
#include "casedb/case_columns.h"
#include "casedb/case_store.h"

#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace sarvo::gauge {

namespace {

// Halves go to the even neighbour, as the list has always counted.
int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// Seconds of one run at v mm/s, single precision as the list has always computed it.
float RunSeconds(double startDeg, double endDeg, double radiusMm, float speed)
{
    return static_cast<float>((endDeg - startDeg) * 2 * radiusMm * kPi12 / 360 / speed);
}

} // namespace

double FeedrateOrDefault(double mmPerMin, bool unitsInch)
{
    if (mmPerMin > 0 && std::isfinite(mmPerMin))
        return mmPerMin;
    return unitsInch ? kDefaultFeedrateInch * 25.4 : kDefaultFeedrateMm;
}

MeasureOpening OpeningMeasureFields(const IniFile& ini, const Case& openCase, const Settings& settings,
                                    const UnitState& units)
{
    const QString section = QStringLiteral("BasicInput");
    MeasureOpening opening;
    opening.startPos = ini.get(section, QStringLiteral("StartPosition"), QStringLiteral("0"));
    opening.endPos = ini.get(section, QStringLiteral("EndPosition"), QStringLiteral("360"));
    opening.overshoot = ini.get(section, QStringLiteral("AngularOvershoot"), QStringLiteral("180"));
    const double caseFeedrate = StrToDbl(openCase.Header[HdrFeedrate]);
    if (caseFeedrate > 0) {
        opening.feedrate = FormatNumber(caseFeedrate * units.LargeFactor, units.LargeFormat);
    } else {
        // The key holds the display unit's number as typed.
        const QString fallback = settings.UnitsInch ? QStringLiteral("15") : QStringLiteral("400");
        double stored = StrToDbl(ini.get(section, QStringLiteral("Feedrate"), fallback));
        if (!(stored > 0))
            stored = StrToDbl(fallback);
        opening.feedrate = FormatNumber(stored, units.LargeFormat);
    }
    opening.temperature = FormatTemp(settings.BaseTemperature, settings);
    bool isNumber = false;
    const int rateIndex = ini.get(section, QStringLiteral("SamplingRate"), QStringLiteral("1")).trimmed().toInt(&isNumber);
    opening.samplingRateIndex = isNumber ? rateIndex : 1;
    return opening;
}

SamplingRates BuildSamplingRates(const SamplingRequest& request)
{
    SamplingRates rates;
    rates.feedrateMmPerMin = FeedrateOrDefault(request.feedrateMmPerMin, request.unitsInch);
    rates.startDeg = request.startDeg;
    rates.endDeg = request.endDeg;
    if (rates.endDeg - rates.startDeg == 0) {
        rates.startDeg = 0;
        rates.endDeg = 360;
    }
    const double runEndDeg = RunStopAngle(rates.startDeg, rates.endDeg);
    auto speed = static_cast<float>(rates.feedrateMmPerMin / 60);
    float seconds = RunSeconds(rates.startDeg, runEndDeg, request.radiusMm, speed);
    if (seconds * 0.5 > kMaxPointsPerRun) {
        // The raised feedrate gives fewer than 8000 s, so one raise is always enough.
        rates.feedrateMmPerMin = std::floor(speed * 60.0 * seconds / 8000) + 1;
        speed = static_cast<float>(rates.feedrateMmPerMin / 60);
        seconds = RunSeconds(rates.startDeg, runEndDeg, request.radiusMm, speed);
    }

    double rateHz = request.ownGauge ? 1440 : 250;
    for (;;) {
        const int points = RoundHalfEven(seconds * rateHz);
        if (points < kMaxPointsPerRun) {
            rates.items.push_back({points, RoundHalfEven(rateHz * 10000)});
            if (request.previousPoints <= points)
                rates.selected = static_cast<int>(rates.items.size()) - 1;
        }
        if (rateHz < 0.5 || points < 50)
            break;
        rateHz /= 2;
    }
    if (!rates.items.empty() && rates.selected < 0)
        rates.selected = 0;
    return rates;
}

SamplingRates RebuildSamplingRates(SamplingFields& fields, const QString& selectedItem, const Settings& settings,
                                   const UnitState& units)
{
    SamplingRequest request;
    request.feedrateMmPerMin = StrToDbl(fields.feedrate) / units.LargeFactor;
    request.startDeg = LeadingNumber(fields.startPos);
    request.endDeg = LeadingNumber(fields.endPos);
    request.radiusMm = settings.DefaultTestRadius;
    request.ownGauge = settings.BallBarType == int16_t(GaugeType::OwnGauge);
    request.unitsInch = settings.UnitsInch;
    if (!selectedItem.isEmpty())
        request.previousPoints = RoundHalfEven(LeadingNumber(selectedItem));
    const SamplingRates rates = BuildSamplingRates(request);
    if (rates.startDeg != request.startDeg || rates.endDeg != request.endDeg) {
        fields.startPos = QStringLiteral("0");
        fields.endPos = QStringLiteral("360");
    }
    if (rates.feedrateMmPerMin != request.feedrateMmPerMin)
        fields.feedrate = FormatNumber(rates.feedrateMmPerMin * units.LargeFactor, units.LargeFormat);
    return rates;
}

int ClampedRateIndex(int storedIndex, int itemCount)
{
    if (itemCount <= 0)
        return -1;
    return std::clamp(storedIndex, 0, itemCount - 1);
}

float CheckedEndAngle(const QString& endText, const QString& startText)
{
    auto end = static_cast<float>(StrToDbl(endText));
    const auto start = static_cast<float>(LeadingNumber(startText));
    if (end - 90 <= start)
        end = start + 90;
    return std::min(end, 540.0f);
}

float CheckedStartAngle(const QString& startText, const QString& endText)
{
    auto start = static_cast<float>(StrToDbl(startText));
    const auto end = static_cast<float>(LeadingNumber(endText));
    if (end <= start + 90)
        start = end - 90;
    return std::max(start, -180.0f);
}

double CheckedFeedrate(const QString& text, double largeFactor, bool unitsInch)
{
    return FeedrateOrDefault(StrToDbl(text) / largeFactor, unitsInch);
}

QString CheckedOvershootWhileTyping(const QString& text)
{
    return LeadingNumber(text) < 0 ? QStringLiteral("0") : text;
}

std::array<QString, 4> AxisTexts(TestPlane plane)
{
    switch (plane) {
    case TestPlane::XZ:
        return {QStringLiteral(" + X"), QStringLiteral(" - X"), QStringLiteral(" - Z"), QStringLiteral(" + Z")};
    case TestPlane::YZ:
        return {QStringLiteral(" + Y"), QStringLiteral(" - Y"), QStringLiteral(" + Z"), QStringLiteral(" - Z")};
    case TestPlane::XY:
        break;
    }
    return {QStringLiteral(" + X"), QStringLiteral(" - X"), QStringLiteral(" + Y"), QStringLiteral(" - Y")};
}

QString PlaneKey(TestPlane plane)
{
    switch (plane) {
    case TestPlane::XZ:
        return QStringLiteral("xz");
    case TestPlane::YZ:
        return QStringLiteral("yz");
    case TestPlane::XY:
        break;
    }
    return QStringLiteral("xy");
}

double CompensatedLength(double lengthMm, double gaugeTempC, double otherTempC, double baseTempC,
                         double gaugeCoeff, double otherCoeff)
{
    const double expansion = (gaugeTempC - baseTempC) * gaugeCoeff - (otherTempC - baseTempC) * otherCoeff;
    return lengthMm + 1e-6 * expansion * lengthMm;
}

double LiveLengthMm(double readingMm, double zeroOffsetMm, double gaugeTempC, double machineTempC,
                    const Settings& settings)
{
    const double length = readingMm * settings.ScaleFactor + settings.BallBarLength - zeroOffsetMm;
    return CompensatedLength(length, gaugeTempC, machineTempC, settings.BaseTemperature, settings.GaugeExpCoeff,
                             settings.MachineExpCoeff);
}

BarLengthCalibration LookUpBarLength(const Settings& settings)
{
    const CalibrationTable& table = settings.Calibration;
    const int count = std::clamp<int>(table.CalibratorCount, 0, kCalibrationEntries);
    for (int i = 0; i < count; ++i) {
        if (static_cast<float>(table.NominalLength[i]) != settings.BallBarLength)
            continue;
        if (table.LengthCalibrated[i])
            return {CalibrationPanel::Calibrated, table.LengthOffset[i], true};
        break;
    }
    const bool referencing = settings.BallBarType >= 1 && settings.BallBarType <= 3;
    if (referencing)
        return {CalibrationPanel::Referenced, 0, true};
    return {CalibrationPanel::NonCalibrated, 0, false};
}

std::optional<std::array<double, 3>> LastMeasurementOrigin(const casedb::CaseStore& store, TestPlane plane,
                                                           const QString& machine)
{
    namespace col = casedb::col;
    auto quoted = [](const char* name) { return QStringLiteral("\"%1\"").arg(QLatin1String(name)); };
    try {
        QSqlQuery query = store.run(
            QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = ? AND %6 = ? ORDER BY %7 DESC, %8 DESC LIMIT 1")
                .arg(quoted(col::OrigX), quoted(col::OrigY), quoted(col::OrigZ), quoted(casedb::tbl::Measure),
                     quoted(col::Plane), quoted(col::Machine), quoted(col::Date), quoted(col::Meas_ID)),
            {PlaneKey(plane), machine});
        if (!query.next())
            return std::nullopt;
        std::array<double, 3> origin{};
        for (int axis = 0; axis < 3; ++axis) {
            bool isNumber = false;
            origin[axis] = query.value(axis).toDouble(&isNumber);
            if (!isNumber)
                return std::nullopt;
        }
        return origin;
    } catch (...) {
        // Without an earlier origin the fields keep what they show; nothing to tell the user.
        return std::nullopt;
    }
}

} // namespace sarvo::gauge
