// The case-information model without a window: what each field shows in metric and inch units,
// Celsius and Fahrenheit, the exact plane match, cases without runs; and the write-back of edited
// fields into the case header (origin through the units, the date through its general text).
#include "display/case_info.h"

#include "core/dates.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "tests/display/display_test.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace sarvo::display {
namespace {

const QString kDegreeC = QStringLiteral("\u00B0C");
const QString kDegreeF = QStringLiteral("\u00B0F");

class CaseInfoTest : public test::DisplayTest {
protected:
    CaseInfoView view() const { return BuildCaseInfoView(c, settings, units, IniFile(iniFile)); }
    void setGaugeTemps(std::initializer_list<double> temps)
    {
        int r = 0;
        for (double t : temps)
            c.Data.GaugeTemp[static_cast<std::size_t>(++r)] = t;
        c.Data.RunCount = int16_t(r);
    }

    Case c;
};

TEST_F(CaseInfoTest, TemperatureRangesOverTheRuns)
{
    setGaugeTemps({19.5, 20.5, 20.0});
    c.Data.MachineTemp = {0, 20.0, 20.0, 20.0};
    EXPECT_EQ(view().field(21), "19.5 - 20.5");
    EXPECT_EQ(view().field(22), "20.0");

    // Runs beyond RunCount are left over from an earlier case.
    c.Data.GaugeTemp[4] = 35.0;
    c.Data.MachineTemp[4] = 10.0;
    EXPECT_EQ(view().field(21), "19.5 - 20.5");
    EXPECT_EQ(view().field(22), "20.0");

    settings.TemperatureUnits = "Fahrenheit";
    setGaugeTemps({25.0, 20.0});
    EXPECT_EQ(view().field(21), "68.0 - 77.0");
    for (const QString& caption : view().lblTempUnit)
        EXPECT_EQ(caption, kDegreeF);
    settings.TemperatureUnits = "celsius";
    for (const QString& caption : view().lblTempUnit)
        EXPECT_EQ(caption, kDegreeC);
}

TEST_F(CaseInfoTest, ACaseWithoutRunsShowsNoTemperature)
{
    c.Data.GaugeTemp = {20, 21, 22};
    c.Data.MachineTemp = {20, 21, 22};
    c.Data.RunCount = 0;
    EXPECT_EQ(view().field(21), "");
    EXPECT_EQ(view().field(22), "");
    c.Data.RunCount = -1;
    EXPECT_EQ(view().field(21), "");
}

TEST_F(CaseInfoTest, ExpansionCoefficientsPerDegreeOfTheSetting)
{
    c.Header[HdrGaugeExp] = "11.5";
    c.Header[HdrMachineExp] = "11,50";
    settings.TemperatureUnits = "Celsius";
    EXPECT_EQ(view().field(17), "11.5");
    EXPECT_EQ(view().field(18), "11,50"); // the stored text, not a number of it

    // 11.5 x 5 / 9 = 6.3888...: at least two, at most six decimals.
    settings.TemperatureUnits = "Fahrenheit";
    EXPECT_EQ(view().field(17), "6.388889");
    EXPECT_EQ(view().field(18), "6.388889");
    c.Header[HdrGaugeExp] = "9";
    EXPECT_EQ(view().field(17), "5.00");
}

TEST_F(CaseInfoTest, ThePlaneMatchesExactlyAndAnotherPlaneIsShownAsItsOwnItem)
{
    const QStringList listed{"xy", "xz", "yz"};
    EXPECT_EQ(CaseInfoPlanes(), listed);
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"xy", 0}, {"xz", 1}, {"yz", 2}, {"zx", 3}, {"YZ", 3}, {"yz ", 3}, {"", std::nullopt}};
    for (const auto& [slot, index] : rows) {
        c.Header[HdrPlane] = slot;
        const CaseInfoView v = view();
        EXPECT_EQ(v.planeIndex, index) << slot;
        const QStringList expected = index == 3 ? listed + QStringList{slot} : listed;
        EXPECT_EQ(v.planes, expected) << slot;
    }
}

TEST_F(CaseInfoTest, LengthsInDisplayUnits)
{
    c.Data.BallBarLength = 254;
    c.Header[HdrLength] = "100"; // not what the field shows
    c.Header[HdrFeedrate] = "2540";
    c.Header[HdrOrigX] = "12.7";
    c.Header[HdrOrigY] = "-25.4";
    c.Header[HdrOrigZ] = "";

    // Metric: "###0.##0", "###0".
    CaseInfoView v = view();
    EXPECT_EQ(v.field(4), "254.000");
    EXPECT_EQ(v.field(6), "2540");
    EXPECT_EQ(v.field(14), "13");
    EXPECT_EQ(v.field(15), "-25");
    EXPECT_EQ(v.field(16), "0");
    EXPECT_EQ((QStringList{v.lblUnit[2], v.lblUnit[3], v.lblUnit[4]}), (QStringList{"mm", "mm", "mm/min"}));

    // Inch: "###0.####0", "###0.#0".
    useUnits(true);
    v = view();
    EXPECT_EQ(v.field(4), "10.00000");
    EXPECT_EQ(v.field(6), "100.00");
    EXPECT_EQ(v.field(14), "0.50");
    EXPECT_EQ(v.field(15), "-1.00");
    EXPECT_EQ((QStringList{v.lblUnit[2], v.lblUnit[3], v.lblUnit[4]}), (QStringList{"in", "in", "in/min"}));
}

TEST_F(CaseInfoTest, HeaderTextsStateAndBallBar)
{
    c.Header[HdrFilename] = "/data/run.rtb";
    c.Header[HdrMachine] = "Mill 3";
    c.Header[HdrDate] = "03/15/2024";
    c.Header[HdrBy] = "Ann";
    c.Header[HdrMaxTargets] = "360";
    c.Header[HdrSampling] = "100";
    c.Header[HdrCustomer] = "ACME";
    c.Header[HdrName] = "Session 1";
    c.Header[HdrComment] = "after repair";
    c.Header[HdrEquipmentManufacturer] = "Maker";
    c.Header[HdrEquipmentModel] = "QB20";
    c.Header[HdrEquipmentSerial] = "S123";
    settings.ScaleFactor = 1.00025;
    c.Data.ScaleFactor = 2; // the case's own factor is not the one shown
    c.Data.Dynamic = true;
    c.Data.Calibrated = false;
    setGaugeTemps({20.0});
    c.Data.MachineTemp[1] = 21.0;

    CaseInfoView v = view();
    const std::pair<int, const char*> shown[] = {
        {0, "/data/run.rtb"}, {1, "Mill 3"},    {2, "03/15/2024"}, {3, "Ann"},
        {7, "Dynamic"},       {8, "360"},       {9, "100"},        {10, "ACME"},
        {11, "Session 1"},    {12, "after repair"}, {20, "Non-Calibrated"}, {22, "21.0"}};
    for (const auto& [field, text] : shown)
        EXPECT_EQ(v.field(field), text) << field;
    for (int none : {5, 13, 19, -1, 23})
        EXPECT_EQ(v.field(none), "") << none;
    EXPECT_EQ(v.ballbarName, "Maker QB20 S123");
    EXPECT_EQ(v.ballbarScaleFactor, "1.00025");

    c.Data.Dynamic = false;
    c.Data.Calibrated = true;
    v = view();
    EXPECT_EQ(v.field(7), "Static");
    EXPECT_EQ(v.field(20), "Calibrated");

    // Texts of the program in the current language; the decimal separator of the display.
    openFixtureLanguageDb({{"Message", "Static", "Statisch"}, {"Message", "Calibrated", "Kalibriert"}});
    SetTextLanguage("German");
    QLocale::setDefault(QLocale(QLocale::German));
    v = view();
    EXPECT_EQ(v.field(7), "Statisch");
    EXPECT_EQ(v.field(20), "Kalibriert");
    EXPECT_EQ(v.ballbarScaleFactor, "1,00025");
    EXPECT_EQ(v.field(21), "20,0");
}

TEST_F(CaseInfoTest, FieldsHoldTheirLimitTheHeaderKeepsItsText)
{
    const QString path = "/" + QString(119, 'p');
    c.Header[HdrFilename] = path;
    c.Header[HdrComment] = QString(130, 'c');
    c.Header[HdrMachine] = QString(40, 'm');
    const CaseInfoView v = view();
    EXPECT_EQ(v.field(0), path.left(100));
    EXPECT_EQ(v.field(12), QString(100, 'c'));
    EXPECT_EQ(v.field(1), QString(30, 'm'));
    EXPECT_EQ(c.Header[HdrFilename], path);

    for (int field = 0; field < kCaseInfoFields; ++field)
        EXPECT_EQ(CaseInfoFieldLimit(field), field == 0 || field == 12 ? 100 : 30) << field;
}

TEST_F(CaseInfoTest, TheOriginIsStoredInMillimetres)
{
    // Metric "###0": 12.7 is stored and shown as 13.
    EXPECT_EQ(WriteBackField(c, HdrOrigX, "12.7", units), "13");
    EXPECT_EQ(c.Header[HdrOrigX], "13");

    // Inch: 1.5 in is 38.1 mm, stored with "###0.#0" and shown in inches again.
    useUnits(true);
    EXPECT_EQ(WriteBackField(c, HdrOrigY, "1.5", units), "1.50");
    EXPECT_DOUBLE_EQ(StrToDbl(c.Header[HdrOrigY]), 38.1);
    EXPECT_EQ(c.Header[HdrOrigY], "38.10");

    // A German display takes a comma; the header keeps the point that files hold.
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(WriteBackField(c, HdrOrigZ, "-1,5", units), "-1,50");
    EXPECT_EQ(c.Header[HdrOrigZ], "-38.10");

    // Units not computed yet, or a text that is no number: nothing is stored.
    c.Header[HdrOrigX] = "5";
    EXPECT_EQ(WriteBackField(c, HdrOrigX, "7", UnitState{}), "0");
    WriteBackField(c, HdrOrigX, "abc", units);
    EXPECT_EQ(c.Header[HdrOrigX], "5");
}

TEST_F(CaseInfoTest, TheDateIsReadAndStoredInItsGeneralForm)
{
    const std::optional<QString> shown = WriteBackField(c, HdrDate, "15.03.2024 10:30", units);
    const QDateTime expected(QDate(2024, 3, 15), QTime(10, 30), Qt::UTC);
    EXPECT_EQ(c.Data.TestDate, expected);
    EXPECT_EQ(c.Header[HdrDate], "2024-03-15 10:30:00");
    EXPECT_EQ(shown, c.Header[HdrDate]);
    // What is stored reads back to the same time.
    EXPECT_EQ(ParseDateText(c.Header[HdrDate]), expected);
    EXPECT_EQ(view().field(HdrDate), "2024-03-15 10:30:00");

    // An unreadable date changes nothing and gives the stored text back.
    const CaseHeader before = c.Header;
    EXPECT_EQ(WriteBackField(c, HdrDate, "next tuesday", units), "2024-03-15 10:30:00");
    EXPECT_EQ(WriteBackField(c, HdrDate, "", units), "2024-03-15 10:30:00");
    EXPECT_EQ(c.Data.TestDate, expected);
    EXPECT_TRUE(c.Header == before);
}

TEST_F(CaseInfoTest, TextFieldsTakeTheTextAsTyped)
{
    const std::pair<int, QString> rows[] = {{HdrFilename, "/new/path.rtb"}, {HdrMachine, " Mill  4 "},
                                            {HdrBy, ""},                    {HdrCustomer, "ACME"},
                                            {HdrComment, "12.7"}};
    for (const auto& [field, typed] : rows) {
        EXPECT_EQ(WriteBackField(c, field, typed, units), typed) << field;
        EXPECT_EQ(c.Header[field], typed) << field;
    }
    EXPECT_EQ(WriteBackField(c, HdrCustomer, QString(31, 'a'), units), QString(30, 'a'));
    EXPECT_EQ(c.Header[HdrCustomer], QString(30, 'a'));
    EXPECT_EQ(WriteBackField(c, HdrComment, QString(101, 'b'), units), QString(100, 'b'));
}

TEST_F(CaseInfoTest, DisplayOnlyFieldsWriteNothing)
{
    for (int slot = 0; slot < kHeaderSlots; ++slot)
        c.Header[slot] = QString("slot %1").arg(slot);
    const CaseHeader before = c.Header;
    // 22 shows the machine temperature; slot 22 holds the ball bar's maker.
    for (int field : {4, 5, 6, 7, 8, 9, 11, 13, 17, 18, 19, 20, 21, 22, -1, 23, 31}) {
        EXPECT_EQ(WriteBackField(c, field, "typed", units), std::nullopt) << field;
        EXPECT_EQ(IsCaseInfoFieldEditable(field), false) << field;
    }
    EXPECT_TRUE(c.Header == before);
    for (int field : {0, 1, 2, 3, 10, 12, 14, 15, 16})
        EXPECT_TRUE(IsCaseInfoFieldEditable(field) && IsCaseInfoField(field)) << field;
    for (int field : {5, 13, 19, -1, 23})
        EXPECT_FALSE(IsCaseInfoField(field)) << field;
}

TEST_F(CaseInfoTest, ThePlaneChoiceWritesSlotFive)
{
    c.Header[HdrPlane] = "zx";
    const QStringList planes = view().planes;
    EXPECT_TRUE(WritePlaneChoice(c, planes, 1));
    EXPECT_EQ(c.Header[HdrPlane], "xz");
    // The case's own plane can be chosen back after another.
    EXPECT_TRUE(WritePlaneChoice(c, planes, 3));
    EXPECT_EQ(c.Header[HdrPlane], "zx");
    EXPECT_TRUE(WritePlaneChoice(c, CaseInfoPlanes(), 2));
    EXPECT_EQ(c.Header[HdrPlane], "yz");
    EXPECT_FALSE(WritePlaneChoice(c, CaseInfoPlanes(), 3));
    EXPECT_FALSE(WritePlaneChoice(c, planes, -1));
    EXPECT_EQ(c.Header[HdrPlane], "yz");
}

} // namespace
} // namespace sarvo::display
