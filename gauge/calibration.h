#pragma once
// Calibrating the bar lengths of the settings' table against the calibrator, without the window:
// the chosen entry, the temperatures, the compensated reading and the stored offset. It works on
// the table in memory; the settings code saves it.

#include "core/outcome.h"
#include "core/settings.h"
#include "gauge/device.h"

#include <optional>

namespace sarvo::gauge {

struct CalibrationReading {
    double measuredMm = 0;    // nominal length + reading x scale factor
    double compensatedMm = 0; // to the base temperature
};

class CalibrationModel {
public:
    // Both temperatures start at the base temperature.
    explicit CalibrationModel(Settings& settings);

    int entryCount() const;
    double nominalLength(int entry) const { return table().NominalLength[entry]; }
    // The last entry of the bar length of the settings, -1 when there is none.
    int entryOfBarLength() const;

    void select(int entry); // -1: none
    int selected() const { return selected_; }
    std::optional<double> calibratorLength() const;
    void setCalibratorLength(double mm);
    // The offset of the chosen entry when it is the calibrated one.
    std::optional<double> offset() const;

    void setGaugeTemperature(double celsius) { gaugeTempC_ = celsius; }
    void setCalibratorTemperature(double celsius) { calibratorTempC_ = celsius; }

    double compensated(double lengthMm) const;
    // The live display: the chosen nominal length plus the scaled reading, and its compensated
    // value less the offset when the entry is calibrated.
    CalibrationReading live(double readingMm) const;

    // Stores the offset of the chosen entry from the reading and makes it the only calibrated one.
    // A reading that did not come back is refused and leaves the table as it was.
    Outcome calibrate(const GaugeReading& reading, CalibrationReading& shown);

private:
    const CalibrationTable& table() const { return settings_.Calibration; }
    Settings& settings_;
    int selected_ = -1;
    double gaugeTempC_ = 0;
    double calibratorTempC_ = 0;
};

} // namespace sarvo::gauge
