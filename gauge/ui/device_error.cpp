#include "gauge/ui/device_error.h"

#include "core/language_db.h"
#include "core/prompts.h"
#include "gauge/device.h"

namespace sarvo::gauge {

void ShowDeviceError(int16_t status, const QString& operation, bool& boxOpen)
{
    if (boxOpen)
        return;
    boxOpen = true;
    // The operation goes into the title so that the user can tell a start from a reading.
    prompts().message(QStringLiteral("Sarvotrenk - ") + Translate(operation), Translate(DeviceErrorText(status)),
                      MessageIcon::Warning);
    boxOpen = false;
}

} // namespace sarvo::gauge
