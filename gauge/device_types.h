#pragma once
// The implementations behind MakeGaugeDevice.

#include "gauge/device.h"

namespace sarvo::gauge {

std::unique_ptr<GaugeDevice> MakeQc10Device(const QString& path);
// ports: the configured one first, then those an automatic search tries (searching).
std::unique_ptr<GaugeDevice> MakeOwnGaugeDevice(const QStringList& ports, bool searching);
std::unique_ptr<GaugeDevice> MakeHeidDevice(GaugeType type, const Settings& settings);

} // namespace sarvo::gauge
