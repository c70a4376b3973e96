#include "core/number_text.h"

#include "core/language_db.h"

#include <QLocale>

namespace sarvo {

bool IsNumericText(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    QLocale().toDouble(trimmed, &ok);
    if (!ok)
        QLocale::c().toDouble(QString(trimmed).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    return ok;
}

QString InvalidValueText(const QString& field, const QString& text)
{
    return Translate(QStringLiteral("Invalid Value.")) + QLatin1Char(' ') + Translate(field) + QStringLiteral(" = ") + text;
}

} // namespace sarvo
