#pragma once
// The reference-mark prompt "frmReference": asks the user to move the bar through its reference
// mark and closes by itself once the gauge reports the mark crossed. The gauge is asked on the
// device thread, one question at a time, so the window stays live while the gauge is slow.

#include "core/units.h"
#include "gauge/device.h"

#include <QDialog>
#include <QTimer>

class QLabel;

namespace sarvo::gauge {

class DeviceThread;

class frmReference : public QDialog {
    Q_OBJECT
public:
    frmReference(DeviceThread& deviceThread, GaugeType type, double ballBarLengthMm, const UnitState& units,
                 QWidget* parent = nullptr);

    // Every way out leaves the gauge's reference mode first; the window closes on its answer.
    void done(int result) override;

private:
    void poll();
    void answered(bool connected, int16_t status);

    DeviceThread& deviceThread_;
    QTimer pollTimer_;
    bool askInFlight_ = false;
    bool closing_ = false;
    bool referenceLeft_ = false;
    QLabel* instruction_;
};

} // namespace sarvo::gauge
