#pragma once
// The program's settings: read once from Sarvotex.ini at start-up, written back at exit; in
// between, windows change only these values.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace sarvo {

constexpr int kCalibrationEntries = 11;
constexpr int kRecentSlots = 6;   // entries 0..3 are the list, 4 takes the entry that falls off
constexpr int kRecentListed = 4;

struct CalibrationTable {
    std::array<double, kCalibrationEntries> NominalLength{};    // mm
    std::array<double, kCalibrationEntries> CalibratorLength{}; // mm
    std::array<double, kCalibrationEntries> LengthOffset{};     // mm
    std::array<int16_t, kCalibrationEntries> LengthCalibrated{};
    int16_t CalibratorCount = 0;
};

struct Settings {
    // [Universal]
    QString Language;
    bool UnitsInch = false;
    QString FaultTreePath;
    // [Graph]
    double GraphScale = 0; // µm per division
    // [Others]
    bool ToolbarVisible = false; // mirrors the main window's toolbar
    QString DefaultExtension;
    int32_t MaxPoints = 0;
    // [Calibrator]
    CalibrationTable Calibration;
    // [Configure]
    QString SerialNumber;
    double GaugeExpCoeff = 0;
    double CalibratorExpCoeff = 0;
    double MachineExpCoeff = 0;
    QString TemperatureUnits;
    double ScaleFactor = 0;
    int16_t StaticMeasurements = 0;
    float ReliabilitySetting = 0;
    int32_t MaxGraphUpdate = 0; // ms
    int16_t BallBarType = 0;    // 0 QC10, 1 IK110, 2 IK121, 3 own gauge
    QString CommPort;
    bool AutoDetect = false;
    int32_t BaseAddress = 0;
    int16_t IoAddress = 0;
    int16_t IrqNumber = 0;
    int16_t AxisNumber = 0;
    // [Default]
    float BallBarLength = 0;     // mm; the program sets the open case's bar length from it
    float DefaultTestRadius = 0; // mm
    double BaseTemperature = 0;  // Celsius
    QString MeasuredBy;
    QString DataPath;
    // [Recent File List]
    std::array<QString, kRecentSlots> RecentFile;
    std::array<int32_t, kRecentSlots> RecentID{};
};

// The most points per run, clamped to 1..8000.
int32_t SetMaxPoints(int32_t n);
// The "Max. number of points" item (0..4) that stands for n: 4 for every value not listed.
int MaxPointsItem(int32_t n);
// The points per run of the item 0..4 (clamped).
int32_t MaxPointsOfItem(int item);

// The device path of a serial port setting: an old "COMn" is /dev/ttyS(n-1); a path stays as it is.
QString SerialDevicePath(const QString& commPort);

} // namespace sarvo
