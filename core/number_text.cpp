#include "core/number_text.h"

#include "core/language_db.h"
#include "core/utilities.h"

namespace sarvo {

bool IsNumericText(const QString& text)
{
    return ParseNumber(text).has_value();
}

QString InvalidValueText(const QString& field, const QString& text)
{
    return Translate(QStringLiteral("Invalid Value.")) + QLatin1Char(' ') + Translate(field) + QStringLiteral(" = ") + text;
}

} // namespace sarvo
