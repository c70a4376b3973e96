#include "app/units.h"

#include "app/app_context.h"
#include "app/ini_file.h"
#include "app/number_format.h"
#include "app/settings.h"
#include "tests/support/test_env.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

const QString kMicro = QStringLiteral("\u00B5");

class UnitsTest : public test::AppTest {
protected:
    void writeIni(const QByteArray& text) { writeFile("Sarvotex.ini", text); }
    const UnitState& setUnits(bool inch)
    {
        app().Settings.UnitsInch = inch;
        SetUnits();
        return app().Units;
    }
    // An internal value as the display shows it.
    static QString shown(double value, double factor, const QString& format)
    {
        return FormatNumber(value * factor, format, QLocale::c());
    }
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

TEST_F(UnitsTest, SetUnitsChecksOneMenuAndRefreshesTheWindows)
{
    for (bool inch : {true, false, false}) {
        const int before = recordingShell.unitsChangedCount();
        setUnits(inch);
        EXPECT_EQ(recordingShell.isMenuChecked("MInches"), inch);
        EXPECT_EQ(recordingShell.isMenuChecked("MMetric"), !inch);
        EXPECT_EQ(recordingShell.unitsChangedCount(), before + 1);
    }
    // ComputeUnits alone touches neither the windows nor the program's state.
    writeIni("[Format]\nInch large format=0.000\n");
    Settings inch;
    inch.UnitsInch = true;
    UnitState mine;
    ComputeUnits(mine, inch, IniFile(app().State.IniFile));
    EXPECT_EQ(mine.LargeFormat, "0.000");
    EXPECT_EQ(recordingShell.unitsChangedCount(), 3);
    EXPECT_EQ(app().Units.LargeFactor, 1.0);
    EXPECT_EQ(app().Units.LargeFormat, "###0");
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
    app().Settings.Language = "German";
    // The file's caption is itself a key of the database: it must stay as written.
    writeIni(QString("[Format]\nMetric large caption=" + kMicro + "m\n").toUtf8());

    const UnitState& u = setUnits(false);
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}),
              QStringList({"Mikrometer", kMicro + "m/m", kMicro + "m"})); // µm/m: no translation yet
    setUnits(true);
    EXPECT_EQ(QStringList({u.SmallCaption, u.ScaleErrCaption, u.LargeCaption}), QStringList({"Zoll", "Zoll/Fuss", "Zoll"}));

    // A language change shows at the next SetUnits only.
    app().Settings.Language = "English";
    EXPECT_EQ(u.SmallCaption, "Zoll");
    SetUnits();
    EXPECT_EQ(u.SmallCaption, "in");
}

class UnitsTemperature : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        saved_ = QLocale();
    }
    void TearDown() override
    {
        QLocale::setDefault(saved_);
        AppTest::TearDown();
    }
    void use(const char* temperatureUnits) { app().Settings.TemperatureUnits = temperatureUnits; }

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
    EXPECT_DOUBLE_EQ(TempToCelsius("68"), 20.0);
    EXPECT_DOUBLE_EQ(TempToCelsius("-40"), -40.0);
    EXPECT_DOUBLE_EQ(TempToCelsius("abc"), (0 - 32) * (5.0 / 9.0));
    EXPECT_EQ(QStringList({FormatTemp(20), FormatTemp(-40), FormatTemp(37)}), QStringList({"68.0", "-40.0", "98.6"}));
    use("celsius");
    EXPECT_DOUBLE_EQ(TempToCelsius("20,5"), 20.5);
    EXPECT_EQ(QStringList({FormatTemp(20), FormatTemp(19.96), FormatTemp(-0.04)}), QStringList({"20.0", "20.0", "0.0"}));

    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FormatTemp(20), "20,0");
    use("Fahrenheit");
    EXPECT_EQ(FormatTemp(20), "68,0");
    // What is shown reads back to the stored value within the shown decimal.
    for (const char* scale : {"Celsius", "Fahrenheit"}) {
        use(scale);
        for (double c = -30; c <= 60; c += 0.37)
            EXPECT_NEAR(TempToCelsius(FormatTemp(c)), c, 0.05 + 1e-9) << scale << " " << c;
    }
}

TEST_F(UnitsTemperature, CaptionsComeFromTheFileOrTranslatedDefaults)
{
    use("Celsius");
    EXPECT_EQ(TempUnitCaption(), QStringLiteral("\u00B0C"));
    use("Fahrenheit");
    EXPECT_EQ(TempUnitCaption(), QStringLiteral("\u00B0F"));

    writeFile("Sarvotex.ini", "[Format]\nFahrenheit caption=deg F\n");
    EXPECT_EQ(TempUnitCaption(), "deg F");
    openFixtureLanguageDb({{"Message", QStringLiteral("\u00B0C"), "Grad C"}});
    app().Settings.Language = "German";
    use("Celsius");
    EXPECT_EQ(TempUnitCaption(), "Grad C");
    // The overload with its own settings and file reads those, not the program's.
    Settings other;
    other.TemperatureUnits = "F";
    EXPECT_EQ(TempUnitCaption(other, IniFile(app().State.IniFile)), "deg F");
    EXPECT_EQ(TempUnitCaption(other, IniFile()), QStringLiteral("\u00B0F"));
}

} // namespace
} // namespace sarvo
