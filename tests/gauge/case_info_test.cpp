// The case information before a measurement: the roundings of length and radius, the offset
// hint, the checks of OK and the nominal lengths it adds to the calibration table.

#include "gauge/case_info.h"

#include "casedb/case_store.h"
#include "core/ini_file.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "tests/support/core_test.h"

namespace sarvo::gauge {
namespace {

class CaseInfo : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.TemperatureUnits = QStringLiteral("Celsius");
        ComputeUnits(units, settings, IniFile(iniFile));
    }

    CaseInfoTexts typed(const QString& length, const QString& radius) const
    {
        return {QStringLiteral("Acme"), QStringLiteral("Mill 1"), QStringLiteral("Week 12"), QStringLiteral("2026-03-04"),
                QStringLiteral("9:30"), QStringLiteral("Ann"), radius, length, QStringLiteral("11.5")};
    }

    Settings settings;
    UnitState units;
};

CalibrationTable TableOf(std::initializer_list<double> lengths)
{
    CalibrationTable table;
    for (double mm : lengths) {
        const int i = table.CalibratorCount++;
        table.NominalLength[i] = mm;
        table.CalibratorLength[i] = mm + 0.01;
        table.LengthOffset[i] = 0.002 * (i + 1);
        table.LengthCalibrated[i] = 1;
    }
    return table;
}

TEST_F(CaseInfo, LeavingLengthAndRadiusKeepsThemWithinTheBar)
{
    CaseInfoTexts texts = typed(QStringLiteral("40"), QStringLiteral("100"));
    NormaliseLength(texts, units, false);
    EXPECT_EQ(StrToDbl(texts.length), 100);
    texts = typed(QStringLiteral("150"), QStringLiteral("158"));
    NormaliseLength(texts, units, false);
    EXPECT_EQ(StrToDbl(texts.length), 150);
    EXPECT_EQ(StrToDbl(texts.radius), 158);
    texts.radius = QStringLiteral("161");
    NormaliseLength(texts, units, false);
    EXPECT_EQ(StrToDbl(texts.radius), 150);

    texts.radius = QStringLiteral("161");
    std::vector<RadiusNote> notes = NormaliseRadius(texts, units, false);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].text, "Test radius can not be bigger than Ball Bar Length.");
    EXPECT_TRUE(notes[0].information);
    EXPECT_EQ(StrToDbl(texts.radius), 150);
    texts.radius = QStringLiteral("45");
    notes = NormaliseRadius(texts, units, false);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].text, "Test radius can not be smaller than 50mm.");
    EXPECT_EQ(StrToDbl(texts.radius), 150);
    texts.radius = QStringLiteral("abc");
    notes = NormaliseRadius(texts, units, false);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].text, "Invalid Value. Test Radius = abc");
    EXPECT_FALSE(notes[0].information);
    EXPECT_EQ(StrToDbl(texts.radius), 150);

    // Inch: a short bar becomes 3.94 in, not 3.937.
    settings.UnitsInch = true;
    ComputeUnits(units, settings, IniFile(iniFile));
    texts = typed(QStringLiteral("1.5"), QStringLiteral("2"));
    NormaliseLength(texts, units, true);
    EXPECT_NEAR(StrToDbl(texts.length), 3.94, 1e-4);
}

TEST_F(CaseInfo, OffsetHintOnlyWhileTheBarIsClearlyLongerThanTheRadius)
{
    const std::optional<QString> hint = CentreOffsetHint(typed(QStringLiteral("300"), QStringLiteral("150")), units);
    ASSERT_TRUE(hint);
    EXPECT_NEAR(StrToDbl(*hint), 259.808, 1e-3);
    EXPECT_FALSE(CentreOffsetHint(typed(QStringLiteral("160"), QStringLiteral("150")), units));
}

TEST_F(CaseInfo, NewLengthsComeInOrderAndAFullTableIsLeftAlone)
{
    CalibrationTable table = TableOf({100, 150, 200, 300});
    const CalibrationTable before = table;
    EXPECT_TRUE(InsertCalibrationLength(table, 175));
    ASSERT_EQ(table.CalibratorCount, 5);
    EXPECT_EQ(table.NominalLength[2], 175);
    EXPECT_EQ(table.CalibratorLength[2], 175);
    EXPECT_EQ(table.LengthCalibrated[2], 0);
    for (int i : {3, 4}) { // the longer rows moved up unchanged
        EXPECT_EQ(table.NominalLength[i], before.NominalLength[i - 1]);
        EXPECT_EQ(table.CalibratorLength[i], before.CalibratorLength[i - 1]);
        EXPECT_EQ(table.LengthOffset[i], before.LengthOffset[i - 1]);
        EXPECT_EQ(table.LengthCalibrated[i], 1);
    }
    const CalibrationTable five = table;
    EXPECT_FALSE(InsertCalibrationLength(table, 150));
    EXPECT_EQ(table.NominalLength, five.NominalLength);
    EXPECT_EQ(table.CalibratorCount, 5);

    // Nine or eleven rows in use: no calibrated row drops out, nothing is written past the end.
    for (CalibrationTable full : {TableOf({100, 150, 200, 250, 300, 350, 400, 450, 500}),
                                  TableOf({100, 150, 200, 250, 300, 350, 400, 450, 500, 550, 600})}) {
        const CalibrationTable kept = full;
        EXPECT_FALSE(InsertCalibrationLength(full, 175));
        EXPECT_FALSE(InsertCalibrationLength(full, 900));
        EXPECT_EQ(full.NominalLength, kept.NominalLength);
        EXPECT_EQ(full.LengthCalibrated, kept.LengthCalibrated);
        EXPECT_EQ(full.CalibratorCount, kept.CalibratorCount);
    }
}

TEST_F(CaseInfo, OkStoresStepByStepAndStopsAtTheFirstFault)
{
    Case openCase;
    CaseInfoTexts texts = typed(QStringLiteral("150"), QStringLiteral("150"));
    texts.machine.clear();
    CaseInfoFailure failure = AcceptCaseInfo(texts, openCase, settings, units);
    EXPECT_EQ(failure.field, CaseInfoField::Machine);
    EXPECT_EQ(failure.message, "Set the name of the machine, please.");
    EXPECT_EQ(openCase.Header[HdrCustomer], "Acme");
    EXPECT_EQ(settings.MeasuredBy, "");

    texts = typed(QStringLiteral("175,5"), QStringLiteral("150,5"));
    texts.time = QStringLiteral("25:99");
    EXPECT_EQ(AcceptCaseInfo(texts, openCase, settings, units).field, CaseInfoField::Time);
    texts.time = QStringLiteral("9:30");
    texts.length = QStringLiteral("long");
    settings.DefaultTestRadius = 125;
    failure = AcceptCaseInfo(texts, openCase, settings, units);
    EXPECT_EQ(failure.field, CaseInfoField::Length);
    EXPECT_EQ(failure.message, "Invalid Value. Ball Bar Length = long");
    EXPECT_EQ(settings.DefaultTestRadius, 125.f) << "the radius is stored with its bar";

    texts.length = QStringLiteral("175,5");
    texts.machineExp = QStringLiteral("warm");
    failure = AcceptCaseInfo(texts, openCase, settings, units);
    EXPECT_EQ(failure.field, CaseInfoField::MachineExp);
    EXPECT_EQ(failure.message, "Invalid Value. Machine Expansion Coefficient = warm");
    settings.TemperatureUnits = QStringLiteral("Fahrenheit");
    texts.machineExp = QStringLiteral("6.4");
    EXPECT_FALSE(AcceptCaseInfo(texts, openCase, settings, units).failed());
    EXPECT_EQ(openCase.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(openCase.Header[HdrName], "Week 12");
    EXPECT_EQ(openCase.Header[HdrBy], "Ann");
    EXPECT_EQ(openCase.Header[HdrDate], "2026-03-04 09:30:00");
    EXPECT_FLOAT_EQ(settings.DefaultTestRadius, 150.5f); // the comma read as the decimal separator
    EXPECT_FLOAT_EQ(openCase.Data.BallBarLength, 175.5f);
    EXPECT_EQ(openCase.Header[HdrLength], "175.500");
    EXPECT_NEAR(settings.MachineExpCoeff, 11.52, 1e-9);
    EXPECT_EQ(FormatNumber(ShownExpCoeff(11.5, settings), QStringLiteral("##0.0")), "6.4");
    EXPECT_EQ(settings.Calibration.CalibratorCount, 1);
}

TEST_F(CaseInfo, RememberedInputRoundTripsThroughTheSettingsFile)
{
    const CaseInfoTexts saved = typed(QStringLiteral("150.0"), QStringLiteral("150"));
    SaveBasicInput(IniFile(iniFile), saved, false);
    CaseInfoTexts read = typed(QString(), QStringLiteral("150"));
    read.customer = read.machine = read.session = read.measuredBy = QString();
    LoadBasicInput(IniFile(iniFile), read, units, false);
    EXPECT_EQ(read, saved);
}

TEST_F(CaseInfo, InInchesATypedLengthFindsItsRowAndTheRememberedLengthSurvivesAUnitSwitch)
{
    const auto switchUnits = [this](bool inch) {
        settings.UnitsInch = inch;
        ComputeUnits(units, settings, IniFile(iniFile));
    };
    switchUnits(true);
    settings.Calibration = TableOf({100, 150, 200});
    // Typed: the 150 mm row when it shows the same at the shown precision, else a length of its own.
    EXPECT_EQ(BarLengthMm(QStringLiteral("5,905510"), settings.Calibration, units), 150.0f);
    EXPECT_NEAR(BarLengthMm(QStringLiteral("5.9055"), settings.Calibration, units), 149.9997, 1e-4);

    // Remembered with its unit: the same bar in millimetres, and back in inches as typed.
    SaveBasicInput(IniFile(iniFile), typed(QStringLiteral("5.90551"), QStringLiteral("5.91")), true);
    switchUnits(false);
    CaseInfoTexts read = typed(QString(), QStringLiteral("150"));
    LoadBasicInput(IniFile(iniFile), read, units, false);
    EXPECT_NEAR(StrToDbl(read.length), 150, 1e-3);
    SaveBasicInput(IniFile(iniFile), read, false);
    switchUnits(true);
    LoadBasicInput(IniFile(iniFile), read, units, true);
    EXPECT_EQ(read.length, "5.90551");
    // A length remembered without a unit, as before, is in the display unit.
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("7.5"));
    LoadBasicInput(IniFile(iniFile), read, units, true);
    EXPECT_EQ(read.length, "7.5");
}

TEST_F(CaseInfo, TheMachineCoefficientComesFromItsNewestCaseWhateverItsName)
{
    casedb::CaseStore store(QStringLiteral("case info"));
    store.open(path(QStringLiteral("Sarvotex.db")));
    const QString machine = QStringLiteral("O'Brien's mill");
    for (const auto& [name, coeff, date] : {std::tuple{machine, 11.0, "2026-02-01"}, std::tuple{machine, 12.5, "2026-03-01"},
                                           std::tuple{QStringLiteral("Other"), 9.0, "2026-04-01"}})
        store.run(QStringLiteral("INSERT INTO Measure (Machine, MachineExp, Date) VALUES (?, ?, ?)"),
                  {name, coeff, QString::fromLatin1(date)});
    EXPECT_EQ(LastMachineExpCoeff(store, machine), 12.5);
    EXPECT_EQ(LastMachineExpCoeff(store, QStringLiteral("Unknown")), std::nullopt);
}

} // namespace
} // namespace sarvo::gauge
