#pragma once
// The implementations behind MakeGaugeDevice.

#include "gauge/device.h"

namespace sarvo::gauge {

std::unique_ptr<GaugeDevice> MakeQc10Device(const QString& path);
std::unique_ptr<GaugeDevice> MakeOwnGaugeDevice(const QStringList& ports);
std::unique_ptr<GaugeDevice> MakeHeidDevice(GaugeType type, const Settings& settings);

} // namespace sarvo::gauge
