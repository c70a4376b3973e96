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
    // The title stays the product's; the operation goes into the text, where the user can tell a
    // start from a reading.
    prompts().message(QStringLiteral("Sarvotrenk"),
                      TranslatedDeviceErrorText(status) + QStringLiteral("\n") + Translate(operation) + u'.',
                      MessageIcon::Warning);
    boxOpen = false;
}

} // namespace sarvo::gauge
