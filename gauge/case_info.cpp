#include "gauge/case_info.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "core/dates.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/utilities.h"

#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <cstring>

namespace sarvo::gauge {

namespace {

constexpr float kShortestLengthMm = 50;
constexpr float kRadiusAboveLengthMm = 10;
// Below this count a new nominal length is added; the table keeps room for its longest rows.
constexpr int16_t kCalibrationInsertLimit = 9;
constexpr double kMmPerInch = 25.4;
// The units the remembered bar length says it is in; never translated.
constexpr char kMmUnit[] = " mm";
constexpr char kInchUnit[] = " in";

double roundTo10(double mm) { return std::floor(mm / 10 + 0.5) * 10; }
double roundToHundredth(double value) { return std::floor(value * 100 + 0.5) / 100; }

QString shown(double mm, const UnitState& units) { return FormatNumber(mm * units.LargeFactor, units.LongFormat); }
float lengthMm(const QString& text, const UnitState& units)
{
    return static_cast<float>(StrToDbl(text) / units.LargeFactor);
}

// The remembered keys and the field each belongs to: one table for reading and writing.
struct BasicInputKey {
    const char* key;
    QString CaseInfoTexts::*field;
};
constexpr BasicInputKey kBasicInputKeys[] = {
    {"Customer", &CaseInfoTexts::customer}, {"Machine", &CaseInfoTexts::machine},
    {"Session", &CaseInfoTexts::session},   {"Operator", &CaseInfoTexts::measuredBy},
    {"BallbarLength", &CaseInfoTexts::length},
};

// The length the length box keeps on leaving it: one below 50 mm becomes 100 mm (3.94 in).
float keptLengthMm(float length, const UnitState& units, bool inch)
{
    if (length >= kShortestLengthMm)
        return length;
    return inch ? static_cast<float>(3.94 / units.LargeFactor) : 100.0f;
}
float acceptedLengthMm(const QString& text, const UnitState& units, bool inch)
{
    return keptLengthMm(lengthMm(text, units), units, inch);
}

// What a radius must keep to: at least 50 mm and at most 10 mm above the bar; the message of the
// first rule it breaks, none when it keeps both.
std::optional<QString> radiusRefusal(double radiusMm, double lengthMm)
{
    if (radiusMm > lengthMm + kRadiusAboveLengthMm)
        return Translate(QStringLiteral("Test radius can not be bigger than Ball Bar Length."));
    if (radiusMm < kShortestLengthMm)
        return Translate(QStringLiteral("Test radius can not be smaller than 50mm."));
    return std::nullopt;
}

} // namespace

QString CutCaseText(const QString& text) { return text.left(kCaseTextLimit); }

std::optional<double> LastMachineExpCoeff(const casedb::CaseStore& store, const QString& machine)
{
    try {
        using casedb::QuoteName;
        QSqlQuery query = store.run(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %4")
                                        .arg(QuoteName(QLatin1String(casedb::col::MachineExp)),
                                             QuoteName(QLatin1String(casedb::tbl::Measure)),
                                             QuoteName(QLatin1String(casedb::col::Machine)),
                                             QuoteName(QLatin1String(casedb::col::Date))),
                                    {machine});
        std::optional<double> newest;
        while (query.next())
            newest = query.value(0).toDouble();
        return newest;
    } catch (const std::exception&) {
        return std::nullopt; // the list simply keeps its text
    }
}

double ShownExpCoeff(double perCelsius, const Settings& settings)
{
    return TemperaturesInCelsius(settings) ? perCelsius : perCelsius * 5 / 9;
}

double StoredExpCoeff(double shownValue, const Settings& settings)
{
    return TemperaturesInCelsius(settings) ? shownValue : shownValue * 9 / 5;
}

QStringList TypicalExpCoeffs(const Settings& settings)
{
    QStringList list;
    for (double perCelsius : {8.0, 9.0, 10.0, 11.0, 11.5})
        list << FormatNumber(ShownExpCoeff(perCelsius, settings), QStringLiteral("##0.0"));
    return list;
}

QString RadiusForLength(double shownLength, const UnitState& units, bool inch)
{
    const double radius = inch ? roundToHundredth(shownLength) : roundTo10(shownLength);
    return FormatNumber(radius, units.LongFormat);
}

void NormaliseLength(CaseInfoTexts& texts, const UnitState& units, bool inch)
{
    const float length = acceptedLengthMm(texts.length, units, inch);
    if (length != lengthMm(texts.length, units))
        texts.length = shown(length, units);
    if (length + kRadiusAboveLengthMm < lengthMm(texts.radius, units)) {
        const double radius = inch ? roundToHundredth(length * units.LargeFactor) : roundTo10(length) * units.LargeFactor;
        texts.radius = FormatNumber(radius, units.LongFormat);
    }
}

std::vector<RadiusNote> NormaliseRadius(CaseInfoTexts& texts, const UnitState& units, bool inch)
{
    std::vector<RadiusNote> notes;
    // Measured against the length the bar box keeps, so that the radius put in place of a refused
    // one is itself one the checks take, also while the bar box is empty or too short.
    const double length = acceptedLengthMm(texts.length, units, inch);
    double radius = length;
    if (!IsNumericText(texts.radius))
        notes.push_back({InvalidValueText(QStringLiteral("Test Radius"), texts.radius), false});
    else
        radius = lengthMm(texts.radius, units);
    // Each rule in order; the rounded length keeps both.
    for (int rule = 0; rule < 2; ++rule) {
        const std::optional<QString> refusal = radiusRefusal(radius, length);
        if (!refusal)
            break;
        notes.push_back({*refusal, true});
        radius = roundTo10(length);
    }
    texts.radius = shown(radius, units);
    return notes;
}

std::optional<QString> CentreOffsetHint(const CaseInfoTexts& texts, const UnitState& units)
{
    const double length = StrToDbl(texts.length);
    const double radius = StrToDbl(texts.radius);
    if (!(0.9 * length > radius))
        return std::nullopt;
    return FormatNumber(std::sqrt(length * length - radius * radius), units.LongFormat);
}

float BarLengthMm(const QString& text, const CalibrationTable& table, const UnitState& units)
{
    const QString asShown = FormatNumber(StrToDbl(text), units.LongFormat);
    const int count = std::clamp<int>(table.CalibratorCount, 0, kCalibrationEntries);
    for (int i = 0; i < count; ++i)
        if (FormatNumber(table.NominalLength[i] * units.LargeFactor, units.LongFormat) == asShown)
            return static_cast<float>(table.NominalLength[i]);
    return lengthMm(text, units);
}

bool InsertCalibrationLength(CalibrationTable& table, float lengthMm)
{
    const int count = std::clamp<int>(table.CalibratorCount, 0, kCalibrationEntries);
    int i = 0;
    while (i < count && static_cast<float>(table.NominalLength[i]) < lengthMm)
        ++i;
    if (i < count && static_cast<float>(table.NominalLength[i]) == lengthMm)
        return false;
    // A full table would have to drop its longest, perhaps calibrated, row.
    if (count >= kCalibrationInsertLimit)
        return false;
    for (int j = count - 1; j >= i; --j) {
        table.NominalLength[j + 1] = table.NominalLength[j];
        table.CalibratorLength[j + 1] = table.CalibratorLength[j];
        table.LengthOffset[j + 1] = table.LengthOffset[j];
        table.LengthCalibrated[j + 1] = table.LengthCalibrated[j];
    }
    table.NominalLength[i] = lengthMm;
    table.CalibratorLength[i] = lengthMm;
    table.LengthCalibrated[i] = 0;
    table.CalibratorCount = static_cast<int16_t>(count + 1);
    return true;
}

CaseInfoFailure AcceptCaseInfo(const CaseInfoTexts& texts, Case& openCase, Settings& settings, const UnitState& units)
{
    const auto fail = [](CaseInfoField field, const QString& message) { return CaseInfoFailure{field, message}; };
    CaseHeader& header = openCase.Header;
    header[HdrCustomer] = texts.customer;
    if (texts.machine.isEmpty())
        return fail(CaseInfoField::Machine, Translate(QStringLiteral("Set the name of the machine, please.")));
    header[HdrMachine] = texts.machine;
    if (texts.session.isEmpty())
        return fail(CaseInfoField::Session, Translate(QStringLiteral("Set the name of the session, please.")));
    header[HdrName] = texts.session;

    const std::optional<QDateTime> date = ParseDateText(texts.date);
    if (!date)
        return fail(CaseInfoField::Date, Translate(QStringLiteral("Date is not valid.")));
    openCase.Data.TestDate = QDateTime(date->date(), QTime(0, 0), Qt::UTC);
    const std::optional<QDateTime> time =
        IsTimeText(texts.time) ? ParseDateText(QStringLiteral("2000-01-01 ") + texts.time) : std::nullopt;
    if (!time)
        return fail(CaseInfoField::Time, Translate(QStringLiteral("Time is not valid.")));
    openCase.Data.TestDate.setTime(time->time());

    header[HdrDate] = GeneralDateText(openCase.Data.TestDate);
    settings.MeasuredBy = texts.measuredBy;
    header[HdrBy] = texts.measuredBy;

    // Both read without regard to the locale's separator, as every typed length is.
    if (!IsNumericText(texts.radius))
        return fail(CaseInfoField::Radius, InvalidValueText(QStringLiteral("Test Radius"), texts.radius));
    if (!IsNumericText(texts.length))
        return fail(CaseInfoField::Length, InvalidValueText(QStringLiteral("Ball Bar Length"), texts.length));
    // A coefficient of 0 would silently drop the machine's compensation.
    if (!IsNumericText(texts.machineExp))
        return fail(CaseInfoField::MachineExp,
                    InvalidValueText(QStringLiteral("Machine Expansion Coefficient"), texts.machineExp));
    // A length the length box would not keep is the one it would put in its place.
    const float length = keptLengthMm(BarLengthMm(texts.length, settings.Calibration, units), units, settings.UnitsInch);
    // A radius that leaving its box refuses is refused here too, whatever way it came into the
    // box: the box takes the radius that leaving it would have put there.
    CaseInfoTexts checked = texts;
    const std::vector<RadiusNote> notes = NormaliseRadius(checked, units, settings.UnitsInch);
    if (!notes.empty())
        return {CaseInfoField::Radius, notes.front().text, checked.radius};
    settings.DefaultTestRadius = lengthMm(texts.radius, units);
    settings.BallBarLength = length;
    openCase.Data.BallBarLength = length;

    InsertCalibrationLength(settings.Calibration, length);
    header[HdrLength] = FormatNumber(length, QStringLiteral("###0.000#"));
    settings.MachineExpCoeff = StoredExpCoeff(StrToDbl(texts.machineExp), settings);
    return {};
}

QStringList NominalLengthTexts(const Settings& settings, const UnitState& units)
{
    QStringList lengths;
    for (int i = 0; i < settings.Calibration.CalibratorCount && i < kCalibrationEntries; ++i)
        lengths << FormatNumber(settings.Calibration.NominalLength[i] * units.LargeFactor, units.LongFormat);
    return lengths;
}

CaseInfoTexts OpeningCaseInfoTexts(const Case& openCase, const Settings& settings, const UnitState& units,
                                   const QDateTime& now)
{
    CaseInfoTexts texts;
    texts.customer = openCase.Header[HdrCustomer];
    texts.machine = openCase.Header[HdrMachine];
    texts.session = openCase.Header[HdrName];
    texts.measuredBy = settings.MeasuredBy;
    texts.date = ShortDateText(now);
    texts.time = now.toString(QStringLiteral("HH:mm"));
    // The bar length of the settings when the table knows it, else the table's first length.
    const QStringList lengths = NominalLengthTexts(settings, units);
    qsizetype lengthIndex = lengths.isEmpty() ? -1 : 0;
    if (settings.BallBarLength != 0) {
        const qsizetype known = lengths.indexOf(FormatNumber(settings.BallBarLength * units.LargeFactor, units.LongFormat));
        if (known >= 0)
            lengthIndex = known;
    }
    if (lengthIndex >= 0) {
        texts.length = lengths[lengthIndex];
        texts.radius = RadiusForLength(StrToDbl(texts.length), units, settings.UnitsInch);
    }
    if (settings.DefaultTestRadius != 0)
        texts.radius = FormatNumber(settings.DefaultTestRadius * units.LargeFactor, units.LongFormat);
    texts.machineExp = FormatNumber(ShownExpCoeff(settings.MachineExpCoeff, settings), QStringLiteral("##0.0"));
    return texts;
}

void LoadBasicInput(const IniFile& ini, CaseInfoTexts& texts, const UnitState& units, bool inch)
{
    const QString section = QString::fromLatin1(kBasicInputSection);
    for (const BasicInputKey& key : kBasicInputKeys)
        texts.*key.field = ini.get(section, QString::fromLatin1(key.key), QString());
    for (const auto& [unit, isInch] : {std::pair{kMmUnit, false}, std::pair{kInchUnit, true}}) {
        if (!texts.length.endsWith(QLatin1String(unit)))
            continue;
        texts.length.chop(qsizetype(std::strlen(unit)));
        if (isInch != inch) {
            const double mm = StrToDbl(texts.length) * (isInch ? kMmPerInch : 1.0);
            texts.length = FormatNumber(mm * units.LargeFactor, units.LongFormat);
        }
        break;
    }
}

void SaveBasicInput(const IniFile& ini, const CaseInfoTexts& texts, bool inch)
{
    std::vector<IniFile::Entry> entries;
    const QString section = QString::fromLatin1(kBasicInputSection);
    for (const BasicInputKey& key : kBasicInputKeys) {
        QString text = texts.*key.field;
        if (key.field == &CaseInfoTexts::length && !text.trimmed().isEmpty())
            text += QLatin1String(inch ? kInchUnit : kMmUnit);
        entries.push_back({{section, QString::fromLatin1(key.key)}, text});
    }
    ini.setMany(entries);
}

} // namespace sarvo::gauge
