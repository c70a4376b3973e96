#pragma once
// Display units: everything is held metric (mm, µm, µm/m, mm/min, Celsius) and shown in metric
// or inch units through the factors, formats and captions of UnitState.

#include <QString>

namespace sarvo {

class IniFile;
struct Settings;

struct UnitState {
    double SmallFactor = 0;     // µm -> µm or inch
    double ScaleErrFactor = 0;  // µm/m -> µm/m or inch per foot
    double LargeFactor = 0;     // mm -> mm or inch
    QString SmallFormat;
    QString LargeFormat;
    QString LongFormat;
    QString SmallCaption;
    QString ScaleErrCaption;
    QString LargeCaption;
};

// Fills units from settings.UnitsInch and the section "Format" of the settings file; captions
// not given there are translated defaults. Pure: touches no window.
void ComputeUnits(UnitState& units, const Settings& settings, const IniFile& ini);

// Celsius display when TemperatureUnits begins with "c" or "C", otherwise Fahrenheit.
bool TemperaturesInCelsius(const Settings& settings);
double TempToCelsius(const QString& text, const Settings& settings);
QString FormatTemp(double celsius, const Settings& settings);
QString TempUnitCaption(const Settings& settings, const IniFile& ini);

// What the temperature compensation can work with, wherever a temperature or an expansion
// coefficient comes from: no temperature colder than absolute zero, and none of a million
// degrees or more, from within which the case information takes its temperatures; no
// coefficient (ppm per degree Celsius) of a million or more either way, which would grow or
// shrink the bar by its whole length for one degree.
bool IsUsableTemperature(double celsius);
bool IsUsableExpansionCoefficient(double ppmPerDegreeCelsius);

} // namespace sarvo
