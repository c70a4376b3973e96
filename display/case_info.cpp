#include "display/case_info.h"

#include "core/dates.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/utilities.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace sarvo::display {

namespace {

bool isOriginField(int field)
{
    return field >= HdrOrigX && field <= HdrOrigZ;
}

// A header length in mm, in display units.
QString shownLength(const QString& slotText, const UnitState& units)
{
    return FormatNumber(StrToDbl(slotText) * units.LargeFactor, units.LargeFormat);
}

// The range of one temperature over the runs; no run gives an empty text, not the untouched
// start values.
template <typename Temps>
QString temperatureRange(const Temps& temps, int runCount, const Settings& settings)
{
    const int runs = std::clamp(runCount, 0, kMaxRuns);
    if (runs == 0)
        return {};
    // Single precision, as the temperatures are compared and shown.
    float lo = 1000000.0f;
    float hi = -1000000.0f;
    for (int r = 1; r <= runs; ++r) {
        const float t = static_cast<float>(temps[static_cast<std::size_t>(r)]);
        if (t > hi)
            hi = t;
        if (t < lo)
            lo = t;
    }
    if (lo == hi)
        return FormatTemp(lo, settings);
    return FormatTemp(lo, settings) + QStringLiteral(" - ") + FormatTemp(hi, settings);
}

// The stored coefficient is per degree Celsius.
QString expansionCoefficient(const QString& slotText, const Settings& settings)
{
    if (TemperaturesInCelsius(settings))
        return slotText;
    return FormatNumber(StrToDbl(slotText) * 5 / 9, QStringLiteral("###0.00####"));
}

// The plain text of a number, with the display's decimal separator.
QString numberText(double value)
{
    QString text = ShortestDecimal(value);
    text.replace(u'.', QLocale().decimalPoint());
    return text;
}

} // namespace

bool IsCaseInfoField(int field)
{
    return field >= 0 && field < kCaseInfoFields && field != HdrPlane && field != 13 && field != 19;
}

bool IsCaseInfoFieldEditable(int field)
{
    switch (field) {
    case HdrFilename:
    case HdrMachine:
    case HdrDate:
    case HdrBy:
    case HdrCustomer:
    case HdrComment:
    case HdrOrigX:
    case HdrOrigY:
    case HdrOrigZ:
        return true;
    default:
        return false;
    }
}

int CaseInfoFieldLimit(int field)
{
    return field == HdrFilename || field == HdrComment ? 100 : 30;
}

QString CaseInfoLabelText(int field)
{
    static const char* const kLabels[kCaseInfoFields] = {
        "File Name:", "Machine:", "Date:", "Measured By:", "Ball Bar Length:", "Plane:", "Feedrate:",
        "Capture Type:", "Maximum Targets:", "Sampling Rate:", "Customer:", "Measurement Session:", "Comment:",
        nullptr, "x:", "y:", "z:", "Gauge Expansion Coefficent:", "Machine Expansion Coefficent:", nullptr,
        "Calibration:", "Gauge Temperature:", "Machine Temperature:"};
    if (field < 0 || field >= kCaseInfoFields || !kLabels[field])
        return {};
    return QString::fromUtf8(kLabels[field]);
}

QString CaseInfoLabel(int field)
{
    const QString text = CaseInfoLabelText(field);
    return text.isEmpty() ? text : TranslateIn(QStringLiteral("Basic"), text);
}

const QStringList& CaseInfoPlanes()
{
    static const QStringList planes{QStringLiteral("xy"), QStringLiteral("xz"), QStringLiteral("yz")};
    return planes;
}

QString CaseInfoView::field(int field) const
{
    if (field < 0 || field >= kCaseInfoFields)
        return {};
    return fields[static_cast<std::size_t>(field)];
}

CaseInfoView BuildCaseInfoView(const Case& c, const Settings& settings, const UnitState& units,
                               const IniFile& settingsFile)
{
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    CaseInfoView v;
    auto set = [&v](int field, const QString& text) { v.fields[static_cast<std::size_t>(field)] = text; };

    for (int slot : {HdrFilename, HdrMachine, HdrDate, HdrBy})
        set(slot, h[slot]);
    // The number of the case, not header slot 4.
    set(HdrLength, FormatNumber(double(d.BallBarLength) * units.LargeFactor, units.LongFormat));
    // A case of another plane ("zx" from an Optodyne or .b5r file) shows it as an item of its
    // own: the list never keeps a previous case's plane.
    v.planes = CaseInfoPlanes();
    if (!h[HdrPlane].isEmpty() && !v.planes.contains(h[HdrPlane]))
        v.planes << h[HdrPlane];
    const qsizetype plane = v.planes.indexOf(h[HdrPlane]);
    if (plane >= 0)
        v.planeIndex = int(plane);
    set(HdrFeedrate, shownLength(h[HdrFeedrate], units));
    set(HdrStatDyn, Translate(d.Dynamic ? QStringLiteral("Dynamic") : QStringLiteral("Static")));
    for (int slot : {HdrMaxTargets, HdrSampling, HdrCustomer, HdrName, HdrComment})
        set(slot, h[slot]);
    for (int slot : {HdrOrigX, HdrOrigY, HdrOrigZ})
        set(slot, shownLength(h[slot], units));
    set(HdrGaugeExp, expansionCoefficient(h[HdrGaugeExp], settings));
    set(HdrMachineExp, expansionCoefficient(h[HdrMachineExp], settings));
    set(20, Translate(d.Calibrated ? QStringLiteral("Calibrated") : QStringLiteral("Non-Calibrated")));
    set(21, temperatureRange(d.GaugeTemp, d.RunCount, settings));
    set(22, temperatureRange(d.MachineTemp, d.RunCount, settings));

    // A field holds no more than its limit, also when the program fills it.
    for (int i = 0; i < kCaseInfoFields; ++i)
        v.fields[static_cast<std::size_t>(i)].truncate(CaseInfoFieldLimit(i));

    const QString degree = TempUnitCaption(settings, settingsFile);
    v.lblTempUnit.fill(degree);
    v.lblUnit[2] = units.LargeCaption;
    v.lblUnit[3] = units.LargeCaption;
    v.lblUnit[4] = units.LargeCaption + QStringLiteral("/min");

    v.ballbarName = h[HdrEquipmentManufacturer] + u' ' + h[HdrEquipmentModel] + u' ' + h[HdrEquipmentSerial];
    v.ballbarScaleFactor = numberText(settings.ScaleFactor);
    return v;
}

std::optional<QString> WriteBackField(Case& c, int field, const QString& typed, const UnitState& units)
{
    if (!IsCaseInfoField(field) || !IsCaseInfoFieldEditable(field))
        return std::nullopt;
    const QString text = typed.left(CaseInfoFieldLimit(field));
    CaseHeader& h = c.Header;

    if (field == HdrDate) {
        const std::optional<QDateTime> when = ParseDateText(text);
        if (!when || !when->isValid())
            return h[HdrDate];
        c.Data.TestDate = *when;
        h[HdrDate] = GeneralDateText(*when);
        return h[HdrDate];
    }
    if (isOriginField(field)) {
        const double mm = StrToDbl(text) / units.LargeFactor;
        // Units not set up yet (factor 0) would store "inf", a text that is no number 0: keep the slot.
        if (std::isfinite(mm) && IsNumericText(text)) {
            // Stored texts use "." whatever the display locale.
            h[field] = FormatNumber(mm, units.LargeFormat, QLocale::c());
        }
        return shownLength(h[field], units);
    }
    h[field] = text;
    return text;
}

bool WritePlaneChoice(Case& c, const QStringList& planes, int index)
{
    if (index < 0 || index >= planes.size())
        return false;
    c.Header[HdrPlane] = planes.at(index);
    return true;
}

} // namespace sarvo::display
