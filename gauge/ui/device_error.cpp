#include "gauge/ui/device_error.h"

#include "core/language_db.h"
#include "core/outcome.h"
#include "core/prompts.h"

namespace sarvo::gauge {

void ShowDeviceError(int16_t status, const QString& operation, bool& boxOpen)
{
    if (boxOpen)
        return;
    boxOpen = true;
    // The title stays the product's; the operation goes into the text, where the user can tell a
    // start from a reading.
    // Both lines are sentences, in every language: the fault and the operation it stopped.
    QString fault = TranslatedDeviceErrorText(status);
    if (!fault.isEmpty() && !fault.endsWith(u'.') && !fault.endsWith(u'!') && !fault.endsWith(u'?'))
        fault += u'.';
    prompts().message(QStringLiteral("Sarvotrenk"), fault + QStringLiteral("\n") + Translate(operation) + u'.',
                      MessageIcon::Warning);
    boxOpen = false;
}

void ShowClosingFailure(const DeviceClosing& closing, bool& boxOpen)
{
    if (closing.status != 0)
        ShowDeviceError(closing.status, QString::fromLatin1(kClosingOperation), boxOpen);
    ReportOutcome(closing.failure);
}

void ShowReadingFailure(const GaugeReading& reading, bool& boxOpen, bool quiet)
{
    if (reading.status == 0 || reading.status == kGaugeNotConnected)
        return;
    if (!quiet)
        ShowDeviceError(reading.status, QStringLiteral("Reading one value"), boxOpen);
    ShowClosingFailure(reading.closing, boxOpen);
}

} // namespace sarvo::gauge
