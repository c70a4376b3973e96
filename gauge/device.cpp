#include "gauge/device.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "gauge/device_types.h"
#include "gauge/heid_api.h"

#include <QSerialPortInfo>
#include <QThread>

namespace sarvo::gauge {

QString DeviceErrorText(int16_t status)
{
    switch (status) {
    case kGaugeNotAnswering:
        return QStringLiteral("The gauge does not answer");
    case kGaugeTimeout:
        return QStringLiteral("The gauge sent no reading in time");
    case kIk110Late:
        return QStringLiteral("The series was fetched too late");
    case kGaugeNotConnected:
        return QStringLiteral("The gauge is not connected");
    case kHeidMarkNotCrossed:
        return QStringLiteral("The reference mark has not been crossed");
    case kBufferOverflow:
        return QStringLiteral("Serial port buffer overflow");
    case kStreamGap:
        return QStringLiteral("Readings are missing from the gauge's stream");
    case kGaugeOutOfRange:
        return QStringLiteral("The gauge is out of range");
    case kUnreadableStream:
        return QStringLiteral("The gauge sent an unreadable reading");
    case kCounterCardOverflow:
        return QStringLiteral("Counter card buffer overflow");
    case kReadingBufferFull:
        return QStringLiteral("The program's buffer of readings is full");
    case kStreamTooFast:
        return QStringLiteral("A reading of the gauge's stream moved further than the set feedrate allows");
    default:
        return StandardErrorText(status);
    }
}

QString TranslatedDeviceErrorText(int16_t status)
{
    const QString fromTable = GetErrorText(status);
    // Without a row the table gives the standard message, which knows none of the gauges' own
    // numbers.
    if (fromTable != StandardErrorText(status))
        return fromTable;
    return Translate(DeviceErrorText(status));
}

int16_t ConnectGauge(GaugeDevice& device, Settings& settings, int markLimitMs)
{
    if (const int16_t status = device.open())
        return status;
    int16_t markStatus = 0;
    if (device.needsReferenceMark()) {
        QDeadlineTimer limit(markLimitMs);
        while (device.connected() && (markStatus = device.checkReferenceMark()) != 0 && !limit.hasExpired())
            QThread::msleep(100);
        device.leaveReferenceMode();
    }
    if (const std::optional<QString> serial = device.serialNumber(); serial && !serial->isEmpty())
        settings.SerialNumber = *serial;
    if (!device.portFound().isEmpty())
        settings.CommPort = device.portFound();
    // A check that closed the device tells why.
    if (!device.connected())
        return markStatus != 0 ? markStatus : AppError::kDeviceIoError;
    return 0;
}

std::unique_ptr<GaugeDevice> MakeGaugeDevice(const Settings& settings, QStringList portCandidates)
{
    const QString configured = SerialDevicePath(settings.CommPort);
    switch (static_cast<GaugeType>(settings.BallBarType)) {
    case GaugeType::Ik110:
    case GaugeType::Ik121:
        return MakeHeidDevice(static_cast<GaugeType>(settings.BallBarType), settings);
    case GaugeType::OwnGauge: {
        QStringList ports{configured};
        if (settings.AutoDetect) {
            if (portCandidates.isEmpty())
                for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
                    portCandidates << info.systemLocation();
            for (const QString& port : portCandidates)
                if (!ports.contains(port))
                    ports << port;
        }
        return MakeOwnGaugeDevice(ports, settings.AutoDetect);
    }
    case GaugeType::Qc10:
    default:
        return MakeQc10Device(configured);
    }
}

} // namespace sarvo::gauge
