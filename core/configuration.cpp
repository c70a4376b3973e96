#include "core/configuration.h"

#include "core/checked_math.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/units.h"
#include "core/utilities.h"

#include <algorithm>
#include <cmath>

namespace sarvo {

namespace {

// Coefficients are kept per degree Celsius; a Fahrenheit degree is 5/9 of one.
constexpr double kPerFahrenheit = 5.0 / 9.0;
constexpr double kPerCelsiusOfFahrenheit = 9.0 / 5.0;

const QList<double> kGaugeCoefficients = {8.0, 9.0, 10.0, 11.0, 11.5};
const QList<double> kCalibratorCoefficients = {0.0, 10.7};

constexpr int32_t kLowestBaseAddress = 0xC0000;
constexpr int32_t kHighestBaseAddress = 0xCFF00;
constexpr int32_t kIoAddressLimit = 0x500;
constexpr double kHighestInterrupt = 15;

const QString kCoefficientPattern = QStringLiteral("##0.0");
const QString kScaleFactorPattern = QStringLiteral("0.000000");

ConfigurationRejection rejection(ConfigurationRejection::Box box, const char* message, const char* range,
                                 const char* resetText)
{
    return {box, Translate(QString::fromLatin1(message)) + QString::fromLatin1(range), QString::fromLatin1(resetText)};
}

} // namespace

ConfigurationModel::ConfigurationModel(const Settings& settings, const UnitState& units, const QLocale& locale)
    : loaded_(settings)
    , units_(units)
    , locale_(locale)
{
    ConfigurationEntries& e = initial_;
    e.celsius = TemperaturesInCelsius(settings);
    gauge_ = {settings.GaugeExpCoeff, coefficientText(settings.GaugeExpCoeff, e.celsius)};
    calibrator_ = {settings.CalibratorExpCoeff, coefficientText(settings.CalibratorExpCoeff, e.celsius)};
    e.gaugeCoefficient = gauge_.text;
    e.calibratorCoefficient = calibrator_.text;
    scaleFactor_ = {settings.ScaleFactor, FormatNumber(settings.ScaleFactor, kScaleFactorPattern, locale_)};
    e.scaleFactor = scaleFactor_.text;
    e.staticCount = QString::number(settings.StaticMeasurements);
    reliability_ = {settings.ReliabilitySetting,
                    FormatNumber(settings.ReliabilitySetting * units_.SmallFactor, units_.SmallFormat, locale_)};
    e.reliability = reliability_.text;
    const bool knownType = settings.BallBarType >= kRenishawQC10 && settings.BallBarType <= kOwnGauge;
    e.ballBarType = knownType ? int(settings.BallBarType) : int(kRenishawQC10);
    e.commPort = SerialDevicePath(settings.CommPort);
    e.ownGaugePort = e.commPort;
    e.autoDetect = settings.AutoDetect;
    e.baseAddress = HexText32(settings.BaseAddress);
    e.ioAddress = HexText16(settings.IoAddress);
    e.axisNumber = settings.AxisNumber == 1 || settings.AxisNumber == 2 ? settings.AxisNumber : 0;
    e.irqNumber = QString::number(settings.IrqNumber);
}

QString ConfigurationModel::coefficientText(double perCelsius, bool celsius) const
{
    return FormatNumber(celsius ? perCelsius : perCelsius * kPerFahrenheit, kCoefficientPattern, locale_);
}

QStringList ConfigurationModel::gaugeCoefficientList(bool celsius) const
{
    QStringList list;
    for (const double v : kGaugeCoefficients)
        list << coefficientText(v, celsius);
    return list;
}

QStringList ConfigurationModel::calibratorCoefficientList(bool celsius) const
{
    QStringList list;
    for (const double v : kCalibratorCoefficients)
        list << coefficientText(v, celsius);
    return list;
}

QStringList ConfigurationModel::staticCountList()
{
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("20")};
}

QStringList ConfigurationModel::ioAddressList()
{
    return QStringLiteral("0E0 110 120 130 140 150 160 170 180 190 1A0 1B0 1C0 1D0 1E0 210 220 230 240 250 260 280 "
                          "290 2A0 2B0 2C0 2D0 300 310 320 330 340 350 390")
        .split(u' ');
}

QStringList ConfigurationModel::interruptList()
{
    return {QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"),
            QStringLiteral("15")};
}

double ConfigurationModel::coefficientOf(const Shown& shown, const QString& text, bool celsius,
                                         const QList<double>& list) const
{
    if (text == shown.text)
        return shown.value;
    // An entry of the list stands for its exact value, not for its rounded text.
    for (const double v : list) {
        if (text == coefficientText(v, celsius))
            return v;
    }
    const double typed = StrToDbl(text);
    return celsius ? typed : typed * kPerCelsiusOfFahrenheit;
}

void ConfigurationModel::switchTemperatureUnit(ConfigurationEntries& entries, bool celsius)
{
    if (entries.celsius == celsius)
        return;
    const auto convert = [&](Shown& shown, QString& text, const QList<double>& list) {
        // A text that is no number stays for OK to refuse; the value behind the box moves on.
        if (text != shown.text && !IsNumericText(text)) {
            shown.text = coefficientText(shown.value, celsius);
            return;
        }
        const double perCelsius = coefficientOf(shown, text, entries.celsius, list);
        shown = {perCelsius, coefficientText(perCelsius, celsius)};
        text = shown.text;
    };
    convert(gauge_, entries.gaugeCoefficient, kGaugeCoefficients);
    convert(calibrator_, entries.calibratorCoefficient, kCalibratorCoefficients);
    entries.celsius = celsius;
}

QString ConfigurationModel::reliabilityText(const QString& typed) const
{
    if (typed == reliability_.text || !IsNumericText(typed))
        return typed;
    return FormatNumber(StrToDbl(typed), units_.SmallFormat, locale_);
}

ConfigurationResult ConfigurationModel::accept(const ConfigurationEntries& e, const Settings& current) const
{
    ConfigurationResult result;
    Settings& s = result.settings;
    s = current;
    // A text that is no number would be read as 0: refused, the box back at what it showed before.
    using Box = ConfigurationRejection::Box;
    struct Coefficient {
        const Shown& shown;
        const QList<double>& list;
    };
    const struct {
        Box box;
        const char* field;
        const QString& typed;
        const QString& before;
        std::optional<Coefficient> coefficient;
    } numberBoxes[] = {
        {Box::GaugeCoefficient, "Gauge Expansion Coefficient", e.gaugeCoefficient, gauge_.text,
         Coefficient{gauge_, kGaugeCoefficients}},
        {Box::CalibratorCoefficient, "Calibrator Expansion Coefficient", e.calibratorCoefficient, calibrator_.text,
         Coefficient{calibrator_, kCalibratorCoefficients}},
        {Box::ScaleFactor, "Scale Factor", e.scaleFactor, scaleFactor_.text, std::nullopt},
        {Box::StaticCount, "Static Measurements / Point", e.staticCount, initial_.staticCount, std::nullopt},
        {Box::Reliability, "Reliability of Ball Bar", e.reliability, reliability_.text, std::nullopt},
    };
    for (const auto& number : numberBoxes) {
        if (number.typed == number.before)
            continue;
        // A coefficient the temperature compensation cannot work with is refused as the start
        // refuses it in the settings file.
        if (!IsNumericText(number.typed)
            || (number.coefficient
                && !IsUsableExpansionCoefficient(
                    coefficientOf(number.coefficient->shown, number.typed, e.celsius, number.coefficient->list)))) {
            result.rejection = {number.box, InvalidValueText(QString::fromLatin1(number.field), number.typed), number.before};
            return result;
        }
    }
    result.outcome = Trapped(QStringLiteral("Configuring"), [&] {
        s.TemperatureUnits = e.celsius ? QStringLiteral("Celsius") : QStringLiteral("Fahrenheit");
        s.GaugeExpCoeff = coefficientOf(gauge_, e.gaugeCoefficient, e.celsius, kGaugeCoefficients);
        s.CalibratorExpCoeff = coefficientOf(calibrator_, e.calibratorCoefficient, e.celsius, kCalibratorCoefficients);
        // A factor of 0 would zero every captured reading.
        const double factor = e.scaleFactor == scaleFactor_.text ? scaleFactor_.value : StrToDbl(e.scaleFactor);
        s.ScaleFactor = factor == 0.0 ? 1.0 : factor;
        // A static point is the mean of at least one reading.
        s.StaticMeasurements = std::max<int16_t>(1, CheckedInt16(StrToDbl(e.staticCount)));
        s.ReliabilitySetting = e.reliability == reliability_.text
                                   ? float(reliability_.value)
                                   : CheckedSingle(CheckedDiv(StrToDbl(e.reliability), units_.SmallFactor));
        if (e.ballBarType >= kRenishawQC10 && e.ballBarType <= kOwnGauge)
            s.BallBarType = int16_t(e.ballBarType);
        // A port shown as loaded keeps the setting's own spelling (an old "COMn").
        const QString port = (s.BallBarType == kOwnGauge ? e.ownGaugePort : e.commPort).trimmed();
        s.CommPort = port == SerialDevicePath(loaded_.CommPort) ? loaded_.CommPort : port;
        if (s.BallBarType == kOwnGauge)
            s.AutoDetect = e.autoDetect;
        if (e.axisNumber == 1 || e.axisNumber == 2)
            s.AxisNumber = int16_t(e.axisNumber);
    });
    if (!result.outcome.ok())
        return result;

    // Every check runs whatever type is chosen; the first that fails stores nothing.
    const int32_t base = HexToLong(e.baseAddress);
    if (base < kLowestBaseAddress || base > kHighestBaseAddress) {
        result.rejection = rejection(Box::BaseAddress, "Base Address must be between", " C0000 - CFF00", "C8000");
        return result;
    }
    const int32_t io = HexToLong(e.ioAddress);
    if (io >= kIoAddressLimit || io <= 0) {
        result.rejection = rejection(Box::IoAddress, "I/O-port address must be between", " 0 - 500", "330");
        return result;
    }
    const double irq = std::nearbyint(LeadingNumber(e.irqNumber));
    if (irq < 0 || irq > kHighestInterrupt) {
        result.rejection = rejection(Box::IrqNumber, "IRQ-number must be between", " 0 - 15", "12");
        return result;
    }
    s.BaseAddress = base;
    s.IoAddress = int16_t(io);
    s.IrqNumber = int16_t(irq);
    return result;
}

} // namespace sarvo
