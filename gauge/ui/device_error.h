#pragma once
// The box that tells the user of a gauge failure: the text of the status and the operation that
// failed, under the product's title. A window shows at most one at a time, so a gauge that keeps
// failing does not pile up boxes.

#include "gauge/device.h"

#include <QString>

#include <cstdint>

namespace sarvo::gauge {

// Shows the box unless boxOpen says one is up already; boxOpen is set while it is shown.
void ShowDeviceError(int16_t status, const QString& operation, bool& boxOpen);

// How the closing of the device went, when it went wrong: its status as a device error, a
// run-time error of the call as one.
void ShowClosingFailure(const DeviceClosing& closing, bool& boxOpen);

// A single reading of a connected gauge that failed: its box ("Reading one value") unless quiet,
// then the closing that followed it. Nothing for a reading that worked or found no gauge.
void ShowReadingFailure(const GaugeReading& reading, bool& boxOpen, bool quiet = false);

} // namespace sarvo::gauge
