#pragma once
// The box that tells the user of a gauge failure: the text of the status and the operation that
// failed, under the product's title. A window shows at most one at a time, so a gauge that keeps failing does not pile up
// boxes.

#include <QString>

#include <cstdint>

namespace sarvo::gauge {

// Shows the box unless boxOpen says one is up already; boxOpen is set while it is shown.
void ShowDeviceError(int16_t status, const QString& operation, bool& boxOpen);

} // namespace sarvo::gauge
