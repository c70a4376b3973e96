#include "core/configuration.h"

#include "core/ini_file.h"
#include "core/number_text.h"
#include "core/settings_file.h"
#include "tests/support/core_test.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

class ConfigurationTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings = ReadSettings(appPath, iniFile).settings; // the defaults: Celsius, gauge 11.5, COM1
        settings.CalibratorExpCoeff = 10.7;
        settings.ReliabilitySetting = 5.5f;
        setInch(false);
    }
    void setInch(bool inch)
    {
        settings.UnitsInch = inch;
        ComputeUnits(units, settings, IniFile(iniFile));
    }
    ConfigurationModel model() const { return ConfigurationModel(settings, units, QLocale::c()); }

    Settings settings;
    UnitState units;
};

TEST_F(ConfigurationTest, UnchangedEntriesStoreTheSettingsAsTheyWere)
{
    for (const bool inch : {false, true}) {
        for (const char* unit : {"Celsius", "Fahrenheit"}) {
            settings.TemperatureUnits = unit;
            setInch(inch);
            const ConfigurationModel m = model();
            const ConfigurationResult r = m.accept(m.initialEntries(), settings);
            ASSERT_TRUE(r.accepted());
            EXPECT_EQ(r.settings.GaugeExpCoeff, 11.5) << unit;
            EXPECT_EQ(r.settings.CalibratorExpCoeff, 10.7) << unit;
            EXPECT_EQ(r.settings.ReliabilitySetting, 5.5f) << inch; // shown as "6" or "0.00022"
            EXPECT_EQ(r.settings.CommPort, "COM1");
        }
    }
    EXPECT_EQ(model().initialEntries().commPort, "/dev/ttyS0");
}

TEST_F(ConfigurationTest, UnitSwitchConvertsTheShownCoefficients)
{
    ConfigurationModel m = model();
    ConfigurationEntries e = m.initialEntries();
    m.switchTemperatureUnit(e, false);
    EXPECT_EQ(e.gaugeCoefficient, "6.4");
    EXPECT_EQ(e.calibratorCoefficient, "5.9");
    ConfigurationResult r = m.accept(e, settings);
    EXPECT_EQ(r.settings.TemperatureUnits, "Fahrenheit");
    EXPECT_EQ(r.settings.GaugeExpCoeff, 11.5);

    // A typed coefficient is stored as the user sees it, per degree Celsius, and survives a round trip.
    e.gaugeCoefficient = "5";
    EXPECT_DOUBLE_EQ(m.accept(e, settings).settings.GaugeExpCoeff, 9.0);
    e.gaugeCoefficient = "6.43";
    m.switchTemperatureUnit(e, true);
    EXPECT_EQ(e.gaugeCoefficient, "11.6");
    m.switchTemperatureUnit(e, false);
    r = m.accept(e, settings);
    EXPECT_EQ(r.settings.TemperatureUnits, "Fahrenheit");
    EXPECT_DOUBLE_EQ(r.settings.GaugeExpCoeff, 6.43 * 9 / 5);

    // A text that is no number survives the switch for OK to refuse; the value behind moves on.
    e.calibratorCoefficient = "xyz";
    m.switchTemperatureUnit(e, true);
    EXPECT_EQ(e.calibratorCoefficient, "xyz");
    r = m.accept(e, settings);
    ASSERT_TRUE(r.rejection);
    EXPECT_EQ(r.rejection->box, ConfigurationRejection::Box::CalibratorCoefficient);
    EXPECT_EQ(r.rejection->resetText, "10.7");
}

// A coefficient the temperature compensation cannot work with is refused as text is, judged per
// degree Celsius whatever unit it is typed in; the largest real one is kept.
TEST_F(ConfigurationTest, CoefficientsTheCompensationCannotUseAreRefused)
{
    ConfigurationModel m = model();
    ConfigurationEntries e = m.initialEntries();
    e.gaugeCoefficient = "1e300";
    ConfigurationResult r = m.accept(e, settings);
    ASSERT_TRUE(r.rejection);
    EXPECT_EQ(r.rejection->box, ConfigurationRejection::Box::GaugeCoefficient);
    EXPECT_EQ(r.rejection->message, InvalidValueText("Gauge Expansion Coefficient", "1e300"));
    EXPECT_EQ(r.rejection->resetText, "11.5");

    e.gaugeCoefficient = "999999";
    e.calibratorCoefficient = "-1000000";
    r = m.accept(e, settings);
    ASSERT_TRUE(r.rejection);
    EXPECT_EQ(r.rejection->box, ConfigurationRejection::Box::CalibratorCoefficient);
    e.calibratorCoefficient = "-999999";
    r = m.accept(e, settings);
    ASSERT_TRUE(r.accepted());
    EXPECT_EQ(r.settings.GaugeExpCoeff, 999999.0);

    // 600000 per degree Fahrenheit is 1080000 per degree Celsius.
    m.switchTemperatureUnit(e, false);
    e.gaugeCoefficient = "600000";
    e.calibratorCoefficient = "5.9";
    r = m.accept(e, settings);
    ASSERT_TRUE(r.rejection);
    EXPECT_EQ(r.rejection->box, ConfigurationRejection::Box::GaugeCoefficient);
}

TEST_F(ConfigurationTest, NumberBoxes)
{
    const ConfigurationModel m = model();
    ConfigurationEntries e = m.initialEntries();
    EXPECT_EQ(e.scaleFactor, "1.000000");
    EXPECT_EQ(e.reliability, "6");
    EXPECT_EQ(m.reliabilityText("7,4"), "7");
    for (const char* zero : {"0", ""}) {
        e.scaleFactor = zero;
        EXPECT_EQ(m.accept(e, settings).settings.ScaleFactor, 1.0);
    }
    e.scaleFactor = "1,25";
    e.staticCount = "0";
    e.reliability = "3";
    ConfigurationResult r = m.accept(e, settings);
    EXPECT_EQ(r.settings.ScaleFactor, 1.25);
    EXPECT_EQ(r.settings.StaticMeasurements, 1);
    EXPECT_EQ(r.settings.ReliabilitySetting, 3.0f);

    // Out of its field's range: a run-time failure that stores nothing.
    e.staticCount = "40000";
    r = m.accept(e, settings);
    EXPECT_FALSE(r.accepted());
    EXPECT_EQ(r.outcome.location(), "Configuring");
}

TEST_F(ConfigurationTest, RangeChecksOfAddressesAndInterrupt)
{
    const ConfigurationModel m = model();
    using Box = ConfigurationRejection::Box;
    const struct {
        QString ConfigurationEntries::*box;
        QStringList accepted, rejected;
        Box rejectedBox;
    } cases[] = {
        {&ConfigurationEntries::baseAddress, {"C0000", "CFF00"}, {"BFFFF", "CFF01"}, Box::BaseAddress},
        // 8000 is a negative 16-bit value.
        {&ConfigurationEntries::ioAddress, {"4FF"}, {"500", "0", "8000"}, Box::IoAddress},
        {&ConfigurationEntries::irqNumber, {"0", "15", "abc"}, {"16", "-1"}, Box::IrqNumber},
    };
    for (const auto& c : cases) {
        for (const bool rejected : {false, true}) {
            for (const QString& text : rejected ? c.rejected : c.accepted) {
                ConfigurationEntries e = m.initialEntries();
                e.*c.box = text;
                const ConfigurationResult r = m.accept(e, settings);
                ASSERT_TRUE(r.outcome.ok());
                EXPECT_EQ(r.rejection ? std::optional(r.rejection->box) : std::nullopt,
                          rejected ? std::optional(c.rejectedBox) : std::nullopt)
                    << text.toStdString();
            }
        }
    }

    // The checks run whatever the type, and the first that fails names its range and reset text.
    ConfigurationEntries e = m.initialEntries();
    e.ballBarType = kRenishawQC10;
    e.baseAddress = "1234";
    e.irqNumber = "99";
    const ConfigurationResult r = m.accept(e, settings);
    ASSERT_TRUE(r.rejection);
    EXPECT_EQ(r.rejection->message, "Base Address must be between C0000 - CFF00");
    EXPECT_EQ(r.rejection->resetText, "C8000");
}

TEST_F(ConfigurationTest, EquipmentAndPorts)
{
    settings.AxisNumber = 7;
    settings.BallBarType = 9;
    settings.AutoDetect = true;
    settings.CommPort = "com3";
    const ConfigurationModel m = model();
    ConfigurationEntries e = m.initialEntries();
    EXPECT_EQ(e.ballBarType, kRenishawQC10);
    EXPECT_EQ(e.axisNumber, 0);
    EXPECT_EQ(e.commPort, "/dev/ttyS2");
    ConfigurationResult r = m.accept(e, settings);
    EXPECT_EQ(r.settings.AxisNumber, 7); // no axis chosen leaves it
    EXPECT_EQ(r.settings.CommPort, "com3");

    // The own gauge takes its own port box and the automatic detection.
    e.ownGaugePort = " /dev/ttyACM1 ";
    e.autoDetect = false;
    e.ballBarType = kOwnGauge;
    e.axisNumber = 2;
    r = m.accept(e, settings);
    EXPECT_EQ(r.settings.BallBarType, kOwnGauge);
    EXPECT_EQ(r.settings.CommPort, "/dev/ttyACM1");
    EXPECT_FALSE(r.settings.AutoDetect);
    EXPECT_EQ(r.settings.AxisNumber, 2);
    EXPECT_EQ(SerialDevicePath("COM12"), "/dev/ttyS11");
}

} // namespace
} // namespace sarvo
