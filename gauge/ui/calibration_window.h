#pragma once
// The calibration window: one nominal bar length of the table calibrated against the calibrator,
// with a live reading every second. Readings come from the device thread; the window never waits.

#include "core/settings.h"
#include "core/units.h"
#include "gauge/calibration.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sarvo::gauge {

class DeviceThread;

class CalibrationWindow : public QDialog {
    Q_OBJECT
public:
    // device may be null: no gauge is open. gaugeTempText is the measurement window's field.
    CalibrationWindow(Settings& settings, const UnitState& units, const QString& tempUnitCaption,
                      DeviceThread* device, const QString& gaugeTempText, QWidget* parent = nullptr);

    // For the measurement window's gauge-temperature field when this one closes.
    QString gaugeTemperatureText() const;

    void done(int result) override;

private:
    void chooseEntry(int entry);
    void calibratorLengthEdited();
    void temperatureEdited(QLineEdit* field);
    void calibrate();
    void tick();
    void showReading(const CalibrationReading& values);
    QString lengthText(double mm) const;

    Settings& settings_;
    const UnitState& units_;
    DeviceThread* device_;
    CalibrationModel model_;
    QTimer timer_;
    bool tickInFlight_ = false;
    bool calibrating_ = false;
    bool deviceErrorOpen_ = false;

    QComboBox* cboBBLen_;
    QLineEdit* txtCalLen_;
    QLabel* pnlMeas_;
    QLabel* pnlCompensated_;
    QLabel* pnlOffset_;
    QLineEdit* txtGaugeTemp_;
    QLineEdit* txtCalTemp_;
    QPushButton* cmdSet_;
    QPushButton* cmdClose_;
};

} // namespace sarvo::gauge
