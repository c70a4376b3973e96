#include "core/units.h"

#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/settings.h"
#include "tests/support/core_test.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

const QString kMicro = QStringLiteral("\u00B5");

class UnitsTest : public test::CoreTest {
protected:
    void writeIni(const QByteArray& text) { writeFile("Sarvotex.ini", text); }
    const UnitState& setUnits(bool inch)
    {
        settings.UnitsInch = inch;
        return computeUnits();
    }
    const UnitState& computeUnits()
    {
        ComputeUnits(units, settings, IniFile(iniFile));
        return units;
    }
    // An internal value as the display shows it.
    static QString shown(double value, double factor, const QString& format)
    {
        return FormatNumber(value * factor, format, QLocale::c());
    }

    Settings settings;
    UnitState units;
};

TEST_F(UnitsTest, InchModeShowsMetricValuesInInches)
{
    const UnitState& u = setUnits(true);
    EXPECT_EQ(shown(25.4, u.SmallFactor, u.SmallFormat), "0.00100");
    EXPECT_EQ(shown(1, u.ScaleErrFactor, "0.000000"), "0.000012");
    EXPECT_EQ(shown(25.4, u.LargeFactor, u.LargeFormat), "1.00");
    EXPECT_EQ(shown(25.4, u.LargeFactor, u.LongFormat), "1.00000");
    EXPECT_DOUBLE_EQ(0.001 / u.SmallFactor, 25.4); // typed inches go back through the factor
    // 12 x 25.4 as a double lies one unit in the last place below the double nearest 304.8.
    ASSERT_LT(12 * 25.4, 304.8);
    EXPECT_EQ(u.ScaleErrFactor, 12 * 25.4 / 1000 * (1.0 / 1000 / 25.4));
    EXPECT_EQ(u.SmallCaption + u.ScaleErrCaption + u.LargeCaption, "inin/ftin");
}

TEST_F(UnitsTest, SwitchingBackToMetricRestoresExactlyOneAndTheDefaults)
{
    setUnits(true);
    const UnitState& u = setUnits(false);
    EXPECT_EQ(u.SmallFactor, 1.0);
    EXPECT_EQ(u.LargeFactor, 1.0);
    EXPECT_EQ(u.ScaleErrFactor, 1.0);
    EXPECT_EQ(QStringList({u.SmallFormat, u.LargeFormat, u.LongFormat}), QStringList({"####0", "###0", "###0.##0"}));
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}),
              QStringList({kMicro + "m", kMicro + "m/m", "mm"}));
}

TEST_F(UnitsTest, TheFileSetsFormatsOfBothSystemsButCaptionsOfMetricOnly)
{
    writeIni("[format]\n"
             "metric SMALL format=0.0\nMetric large format=#0.0\nMetric long format=0.00000\n"
             "Inch small format=0.000\nInch large format=0.0\nInch long format=0.00\n"
             "Metric small caption=um\nMicrometer per meter caption=um/m\nMetric large caption=millimetre\n"
             "Inch small caption=thou\nInch large caption=inch\n");
    const UnitState& u = setUnits(false);
    EXPECT_EQ(QStringList({u.SmallFormat, u.LargeFormat, u.LongFormat}), QStringList({"0.0", "#0.0", "0.00000"}));
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}), QStringList({"um", "um/m", "millimetre"}));
    setUnits(true);
    EXPECT_EQ(QStringList({u.SmallFormat, u.LargeFormat, u.LongFormat}), QStringList({"0.000", "0.0", "0.00"}));
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}), QStringList({"in", "in/ft", "in"}));
    EXPECT_EQ(shown(25.4, u.SmallFactor, u.SmallFormat), "0.001");

    writeIni("[Format]\nInch small format=0.0000\n"); // read again at every call
    setUnits(true);
    EXPECT_EQ(u.SmallFormat, "0.0000");
}

TEST_F(UnitsTest, OnlyDefaultCaptionsAreTranslated)
{
    openFixtureLanguageDb({{"Message", "mm", "Millimeter"}, {"Message", kMicro + "m", "Mikrometer"},
                           {"Message", "in", "Zoll"}, {"Message", "in/ft", "Zoll/Fuss"}});
    SetTextLanguage("German");
    // The file's caption is itself a key of the database: it must stay as written.
    writeIni(QString("[Format]\nMetric large caption=" + kMicro + "m\n").toUtf8());

    const UnitState& u = setUnits(false);
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}),
              QStringList({"Mikrometer", kMicro + "m/m", kMicro + "m"})); // µm/m: no translation yet
    setUnits(true);
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}), QStringList({"Zoll", "Zoll/Fuss", "Zoll"}));

    // A language change shows when the units are computed next, not before.
    SetTextLanguage("English");
    EXPECT_EQ(u.SmallCaption, "Zoll");
    computeUnits();
    EXPECT_EQ(u.SmallCaption, "in");
}

class UnitsTemperature : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        saved_ = QLocale();
    }
    void TearDown() override
    {
        QLocale::setDefault(saved_);
        CoreTest::TearDown();
    }
    void use(const char* temperatureUnits) { settings.TemperatureUnits = temperatureUnits; }
    double toCelsius(const QString& text) const { return TempToCelsius(text, settings); }
    QString format(double celsius) const { return FormatTemp(celsius, settings); }
    QString caption() const { return TempUnitCaption(settings, IniFile(iniFile)); }

    Settings settings;

private:
    QLocale saved_;
};

TEST_F(UnitsTemperature, TheFirstLetterChoosesTheScale)
{
    Settings s;
    const std::pair<const char*, bool> rows[] = {{"Celsius", true},     {"celsius", true}, {"C", true},
                                                 {"Centigrade", true},  {"Fahrenheit", false}, {"", false},
                                                 {" Celsius", false},   {"Kelvin", false}};
    for (const auto& [text, celsius] : rows) {
        s.TemperatureUnits = text;
        EXPECT_EQ(TemperaturesInCelsius(s), celsius) << text;
    }
}

TEST_F(UnitsTemperature, ConversionBothWays)
{
    QLocale::setDefault(QLocale::c());
    use("Fahrenheit");
    EXPECT_DOUBLE_EQ(toCelsius("68"), 20.0);
    EXPECT_DOUBLE_EQ(toCelsius("-40"), -40.0);
    EXPECT_DOUBLE_EQ(toCelsius("abc"), (0 - 32) * (5.0 / 9.0));
    EXPECT_EQ(QStringList({format(20), format(-40), format(37)}), QStringList({"68.0", "-40.0", "98.6"}));
    use("celsius");
    EXPECT_DOUBLE_EQ(toCelsius("20,5"), 20.5);
    EXPECT_EQ(QStringList({format(20), format(19.96), format(-0.04)}), QStringList({"20.0", "20.0", "0.0"}));

    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(format(20), "20,0");
    use("Fahrenheit");
    EXPECT_EQ(format(20), "68,0");
    // What is shown reads back to the stored value within the shown decimal.
    for (const char* scale : {"Celsius", "Fahrenheit"}) {
        use(scale);
        for (double c = -30; c <= 60; c += 0.37)
            EXPECT_NEAR(toCelsius(format(c)), c, 0.05 + 1e-9) << scale << " " << c;
    }
}

TEST_F(UnitsTemperature, CaptionsComeFromTheFileOrTranslatedDefaults)
{
    use("Celsius");
    EXPECT_EQ(caption(), QStringLiteral("\u00B0C"));
    use("Fahrenheit");
    EXPECT_EQ(caption(), QStringLiteral("\u00B0F"));

    writeFile("Sarvotex.ini", "[Format]\nFahrenheit caption=deg F\n");
    EXPECT_EQ(caption(), "deg F");
    openFixtureLanguageDb({{"Message", QStringLiteral("\u00B0C"), "Grad C"}});
    SetTextLanguage("German");
    use("Celsius");
    EXPECT_EQ(caption(), "Grad C");
    // The settings and the file passed are the ones read.
    Settings other;
    other.TemperatureUnits = "F";
    EXPECT_EQ(TempUnitCaption(other, IniFile(iniFile)), "deg F");
    EXPECT_EQ(TempUnitCaption(other, IniFile()), QStringLiteral("\u00B0F"));
}

} // namespace
} // namespace sarvo
