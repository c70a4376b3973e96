#include "gauge/calibration.h"

#include "core/language_db.h"
#include "gauge/capture.h"
#include "gauge/measure_setup.h"

#include <algorithm>

namespace sarvo::gauge {

CalibrationModel::CalibrationModel(Settings& settings)
    : settings_(settings)
    , gaugeTempC_(settings.BaseTemperature)
    , calibratorTempC_(settings.BaseTemperature)
{
}

int CalibrationModel::entryCount() const
{
    return std::clamp<int>(table().CalibratorCount, 0, kCalibrationEntries);
}

int CalibrationModel::entryOfBarLength() const
{
    int found = -1;
    for (int i = 0; i < entryCount(); ++i) {
        if (static_cast<float>(table().NominalLength[i]) == settings_.BallBarLength)
            found = i;
    }
    return found;
}

void CalibrationModel::select(int entry)
{
    selected_ = entry >= 0 && entry < entryCount() ? entry : -1;
}

std::optional<double> CalibrationModel::calibratorLength() const
{
    if (selected_ < 0)
        return std::nullopt;
    return table().CalibratorLength[selected_];
}

void CalibrationModel::setCalibratorLength(double mm)
{
    if (selected_ >= 0)
        settings_.Calibration.CalibratorLength[selected_] = mm;
}

std::optional<double> CalibrationModel::offset() const
{
    if (selected_ < 0 || !table().LengthCalibrated[selected_])
        return std::nullopt;
    return table().LengthOffset[selected_];
}

double CalibrationModel::compensated(double lengthMm) const
{
    return CompensatedLength(lengthMm, gaugeTempC_, calibratorTempC_, settings_.BaseTemperature,
                             settings_.GaugeExpCoeff, settings_.CalibratorExpCoeff);
}

CalibrationReading CalibrationModel::live(double readingMm) const
{
    const double nominal = selected_ >= 0 ? table().NominalLength[selected_] : 0;
    const double measured = readingMm * settings_.ScaleFactor + nominal;
    return {measured, compensated(measured) - offset().value_or(0)};
}

Outcome CalibrationModel::calibrate(const GaugeReading& reading, CalibrationReading& shown)
{
    static const QString location = QStringLiteral("Calibrating");
    if (selected_ < 0)
        return {};
    if (!reading.ok() || !reading.steady) {
        const QString why = (reading.ok() ? MovedWhileMeasuredMessage() : TranslatedDeviceErrorText(reading.status) + u'.') +
                            u' ' + Translate("The calibration was left unchanged.");
        return Outcome::failure(location, AppError::standard(AppError::kDeviceIoError, why));
    }
    CalibrationTable& table = settings_.Calibration;
    shown.measuredMm = table.NominalLength[selected_] + reading.mm * settings_.ScaleFactor;
    shown.compensatedMm = compensated(shown.measuredMm);
    table.LengthOffset[selected_] = shown.compensatedMm - table.CalibratorLength[selected_];
    std::fill(table.LengthCalibrated.begin(), table.LengthCalibrated.end(), int16_t{0});
    table.LengthCalibrated[selected_] = -1;
    return {};
}

} // namespace sarvo::gauge
