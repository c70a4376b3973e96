#include "core/units.h"

#include "core/progress.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/settings.h"
#include "core/utilities.h"

#include <QLocale>

#include <cmath>

namespace sarvo {

namespace {

const QString kFormatSection = QStringLiteral("Format");

// The file's value as written; only the default is translated.
QString caption(const IniFile& ini, const QString& key, const QString& english)
{
    return ini.get(kFormatSection, key, Translate(english));
}

} // namespace

void ComputeUnits(UnitState& units, const Settings& settings, const IniFile& ini)
{
    if (settings.UnitsInch) {
        units.SmallFactor = 1.0 / 1000 / 25.4;
        units.LargeFactor = 1 / 25.4;
        const double inchPerFootPerMicrometre = 12 * 25.4; // rounded as a double product first
        units.ScaleErrFactor = inchPerFootPerMicrometre / 1000 * units.SmallFactor;
        units.SmallFormat = ini.get(kFormatSection, QStringLiteral("Inch small format"), QStringLiteral("####0.####0"));
        units.LargeFormat = ini.get(kFormatSection, QStringLiteral("Inch large format"), QStringLiteral("###0.#0"));
        units.LongFormat = ini.get(kFormatSection, QStringLiteral("Inch long format"), QStringLiteral("###0.####0"));
        // Inch captions are fixed: the file can change only the inch formats.
        units.SmallCaption = Translate(QStringLiteral("in"));
        units.ScaleErrCaption = Translate(QStringLiteral("in/ft"));
        units.LargeCaption = Translate(QStringLiteral("in"));
    } else {
        units.SmallFactor = 1.0;
        units.LargeFactor = 1.0;
        units.ScaleErrFactor = 1.0;
        units.SmallFormat = ini.get(kFormatSection, QStringLiteral("Metric small format"), QStringLiteral("####0"));
        units.LargeFormat = ini.get(kFormatSection, QStringLiteral("Metric large format"), QStringLiteral("###0"));
        units.LongFormat = ini.get(kFormatSection, QStringLiteral("Metric long format"), QStringLiteral("###0.##0"));
        units.SmallCaption = caption(ini, QStringLiteral("Metric small caption"), QStringLiteral("\u00B5m"));
        units.ScaleErrCaption = caption(ini, QStringLiteral("Micrometer per meter caption"), QStringLiteral("\u00B5m/m"));
        units.LargeCaption = caption(ini, QStringLiteral("Metric large caption"), QStringLiteral("mm"));
    }
}

bool TemperaturesInCelsius(const Settings& settings)
{
    return settings.TemperatureUnits.left(1).toLower() == QStringLiteral("c");
}

double TempToCelsius(const QString& text, const Settings& settings)
{
    const double v = StrToDbl(text);
    if (TemperaturesInCelsius(settings))
        return v;
    return (v - 32) * (5.0 / 9.0);
}

QString FormatTemp(double celsius, const Settings& settings)
{
    const QString pattern = QStringLiteral("##0.0");
    if (TemperaturesInCelsius(settings))
        return FormatNumber(celsius, pattern, QLocale());
    return FormatNumber(9.0 / 5.0 * celsius + 32, pattern, QLocale());
}

QString TempUnitCaption(const Settings& settings, const IniFile& ini)
{
    if (TemperaturesInCelsius(settings))
        return caption(ini, QStringLiteral("Celsius caption"), QStringLiteral("\u00B0C"));
    return caption(ini, QStringLiteral("Fahrenheit caption"), QStringLiteral("\u00B0F"));
}

bool IsUsableTemperature(double celsius)
{
    constexpr double kAbsoluteZero = -273.15;
    constexpr double kTemperatureBound = 1e6;
    return celsius >= kAbsoluteZero && celsius < kTemperatureBound;
}

bool IsUsableExpansionCoefficient(double ppmPerDegreeCelsius)
{
    constexpr double kCoefficientBound = 1e6;
    return std::fabs(ppmPerDegreeCelsius) < kCoefficientBound;
}

} // namespace sarvo
