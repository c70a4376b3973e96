#pragma once
// What the configuration window edits, without the window: the texts its boxes show for the
// settings, the conversion of the expansion coefficients between Celsius and Fahrenheit, and the
// settings its OK makes of the texts, with the range checks of the card addresses and the
// interrupt. A number box keeps the exact value it was filled with for as long as it shows the
// text made for that value, so confirming unchanged boxes never changes a setting.

#include "core/outcome.h"
#include "core/settings.h"
#include "core/units.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace sarvo {

enum BallBarTypeEnum : int16_t { kRenishawQC10 = 0, kHeidenhainIK110 = 1, kHeidenhainIK121 = 2, kOwnGauge = 3 };

// The boxes and options of the window as the user left them.
struct ConfigurationEntries {
    bool celsius = true;
    QString gaugeCoefficient;      // per degree of the chosen unit
    QString calibratorCoefficient; // per degree of the chosen unit
    QString scaleFactor;
    QString staticCount;
    QString reliability; // in the small display unit
    int ballBarType = kRenishawQC10;
    QString commPort;     // the port of the Renishaw and Heidenhain types
    QString ownGaugePort; // the port of the own gauge
    bool autoDetect = false;
    QString baseAddress; // hexadecimal
    QString ioAddress;   // hexadecimal
    int axisNumber = 0;  // 1 or 2; 0: neither axis chosen
    QString irqNumber;
};

// A check of OK that failed: its message (translated; a range appended, or the field and the text
// that is no number) and the text the box is reset to (for a text that is no number, the one the
// box showed before). Nothing is stored then and the window stays open.
struct ConfigurationRejection {
    enum class Box { BaseAddress, IoAddress, IrqNumber, GaugeCoefficient, CalibratorCoefficient, ScaleFactor,
                     StaticCount, Reliability };
    Box box;
    QString message;
    QString resetText;
};

// What OK makes of the entries: the settings to apply when both the outcome is ok and nothing
// was rejected. A run-time failure (a number out of its field's range) fails under "Configuring".
struct ConfigurationResult {
    Settings settings;
    std::optional<ConfigurationRejection> rejection;
    Outcome outcome;
    bool accepted() const { return outcome.ok() && !rejection; }
};

class ConfigurationModel {
public:
    // Fills the entries from the settings; the reliability is shown in the given units, which
    // stay those of the window.
    ConfigurationModel(const Settings& settings, const UnitState& units, const QLocale& locale = QLocale());

    const ConfigurationEntries& initialEntries() const { return initial_; }

    // The lists of the boxes.
    QStringList gaugeCoefficientList(bool celsius) const;
    QStringList calibratorCoefficientList(bool celsius) const;
    static QStringList staticCountList();
    static QStringList ioAddressList();
    static QStringList interruptList();

    // Shows both coefficients of the entries in the other unit; the values behind them stay.
    void switchTemperatureUnit(ConfigurationEntries& entries, bool celsius);
    // The reliability box rewritten when it is left: its number in the display format; a text that
    // is no number stays for OK to refuse.
    QString reliabilityText(const QString& typed) const;

    // The settings OK stores: current with every value of the window replaced. Checks that every
    // number box holds a number, then the base address, the I/O address and the interrupt,
    // whatever type is chosen.
    ConfigurationResult accept(const ConfigurationEntries& entries, const Settings& current) const;

private:
    // The exact value behind a number box and the text made for it.
    struct Shown {
        double value = 0;
        QString text;
    };

    QString coefficientText(double perCelsius, bool celsius) const;
    // The coefficient per degree Celsius that a box text stands for.
    double coefficientOf(const Shown& shown, const QString& text, bool celsius, const QList<double>& list) const;

    Settings loaded_;
    UnitState units_;
    QLocale locale_;
    ConfigurationEntries initial_;
    Shown gauge_;
    Shown calibrator_;
    Shown scaleFactor_;
    Shown reliability_;
};

} // namespace sarvo
