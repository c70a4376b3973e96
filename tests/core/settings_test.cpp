// The settings file as the program reads it at start-up and writes it at exit.
#include "core/ini_file.h"
#include "core/settings_file.h"
#include "tests/support/core_test.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace sarvo;
using sarvo::test::CoreTest;

class SettingsFile : public CoreTest {
protected:
    Settings& s() { return settings; }
    QString stored(const QString& section, const QString& key) { return IniFile(iniFile).get(section, key, "<missing>"); }
    void writeIni(const QByteArray& text) { writeFile("Sarvotex.ini", text); }
    // Reads as the program does, reporting a failure.
    SettingsReadResult read()
    {
        SettingsReadResult result = ReadSettings(appPath, iniFile);
        settings = result.settings;
        ReportOutcome(result.outcome);
        return result;
    }
    bool write() { return ReportOutcome(WriteSettings(settings, iniFile)); }

    Settings settings;
};

TEST_F(SettingsFile, FirstStartGivesEveryDefaultAndExitWritesEveryKey)
{
    const SettingsReadResult result = read();
    EXPECT_TRUE(result.fileReadable);
    EXPECT_TRUE(result.badKeys.isEmpty());
    EXPECT_EQ(s().Language, "English");
    EXPECT_FALSE(s().UnitsInch);
    EXPECT_EQ(s().FaultTreePath, appPath + "trezel.exe");
    EXPECT_EQ(s().GraphScale, 10.0);
    EXPECT_TRUE(s().ToolbarVisible);
    EXPECT_EQ(s().DefaultExtension, "rtb");
    EXPECT_EQ(s().MaxPoints, 2500);
    EXPECT_EQ(s().Calibration.CalibratorCount, 0);
    EXPECT_EQ(s().SerialNumber, "123456789");
    EXPECT_EQ(s().GaugeExpCoeff, 11.5);
    EXPECT_EQ(s().TemperatureUnits, "Celsius");
    EXPECT_EQ(s().ScaleFactor, 1.0);
    EXPECT_EQ(s().StaticMeasurements, 10);
    EXPECT_EQ(s().ReliabilitySetting, 5.0f);
    EXPECT_EQ(s().MaxGraphUpdate, 10);
    EXPECT_EQ(s().BallBarType, 0);
    EXPECT_EQ(s().CommPort, "COM1");
    EXPECT_TRUE(s().AutoDetect);
    EXPECT_EQ(s().BaseAddress, 819200);
    EXPECT_EQ(s().IoAddress, 816);
    EXPECT_EQ(s().IrqNumber, 12);
    EXPECT_EQ(s().AxisNumber, 1);
    EXPECT_EQ(s().BallBarLength, 150.0f);
    EXPECT_EQ(s().DefaultTestRadius, 150.0f);
    EXPECT_EQ(s().BaseTemperature, 20.0);

    EXPECT_TRUE(write());
    EXPECT_EQ(stored("Universal", "Units"), "0");
    EXPECT_EQ(stored("Graph", "Grid"), "10");
    EXPECT_EQ(stored("Others", "Toolbar"), "True");
    EXPECT_EQ(stored("Others", "Maximum points"), "2500");
    EXPECT_EQ(stored("Configure", "Gauge Exp Coeff."), "11.5");
    EXPECT_EQ(stored("Configure", "Scale Factor"), "1.0");
    EXPECT_EQ(stored("Configure", "Reliability"), "5.0");
    EXPECT_EQ(stored("Configure", "Max. Graph Update (ms)"), "10.0");
    EXPECT_EQ(stored("Configure", "Static Measurements"), "10");
    EXPECT_EQ(stored("Configure", "Base Address"), "C8000");
    EXPECT_EQ(stored("Configure", "I/O Address"), "330");
    EXPECT_EQ(stored("Configure", "AutoDetect"), "True");
    EXPECT_EQ(stored("Default", "Ball Bar Length"), "150.0");
    EXPECT_EQ(stored("Default", "Measured By"), "");
    EXPECT_EQ(stored("Recent File List", "ID 3"), "0");
    EXPECT_EQ(stored("Format", "Metric small format"), "<missing>"); // never written
    EXPECT_EQ(stored("Calibrator", "Length 0"), "<missing>");

    // What was written reads back to the same settings.
    const Settings again = ReadSettings(appPath, iniFile).settings;
    EXPECT_EQ(again.GaugeExpCoeff, s().GaugeExpCoeff);
    EXPECT_EQ(again.ScaleFactor, s().ScaleFactor);
    EXPECT_EQ(again.IoAddress, s().IoAddress);
    EXPECT_EQ(again.FaultTreePath, s().FaultTreePath);
    EXPECT_EQ(again.ToolbarVisible, s().ToolbarVisible);
    EXPECT_EQ(again.BallBarLength, s().BallBarLength);
}

TEST_F(SettingsFile, NumbersReadWhateverTheDecimalSeparator)
{
    writeIni("[Universal]\nUnits=1\n[Graph]\nGrid=12,5\n"
             "[Configure]\nGauge Exp Coeff.=11,5\nMax. Graph Update (ms)=10.0\nBall Bar Type=3\n"
             "Reliability=2,5\nI/O Address=&HFFFF\nBase Address=D0000\n"
             "[Default]\nBall Bar Length=100,25\nBase Temperature=2D1\nTest Radius=1E2\n");
    read();
    EXPECT_TRUE(s().UnitsInch);
    EXPECT_EQ(s().GraphScale, 12.5);
    EXPECT_EQ(s().GaugeExpCoeff, 11.5);
    EXPECT_EQ(s().MaxGraphUpdate, 10);
    EXPECT_EQ(s().BallBarType, 3);
    EXPECT_EQ(s().ReliabilitySetting, 2.5f);
    EXPECT_EQ(s().IoAddress, -1);
    EXPECT_EQ(s().BaseAddress, 0xD0000);
    EXPECT_EQ(s().BallBarLength, 100.25f);
    EXPECT_EQ(s().BaseTemperature, 20.0);
    EXPECT_EQ(s().DefaultTestRadius, 100.0f);

    write();
    EXPECT_EQ(stored("Universal", "Units"), "-1"); // 1 means inch and is written as the true value
    EXPECT_EQ(stored("Graph", "Grid"), "12.5");   // always with "."
    EXPECT_EQ(stored("Configure", "I/O Address"), "FFFF");
    EXPECT_EQ(stored("Default", "Ball Bar Length"), "100.25");
}

TEST_F(SettingsFile, ABadValueTakesItsDefaultReportsOnceAndReadingGoesOn)
{
    writeIni("[Others]\nToolbar=maybe\nMaximum points=4000\n"
             "[Configure]\nAutoDetect=sometimes\nSerial Number=SN-77\nBall Bar Type=9\n"
             "[Universal]\nUnits=99999\n");
    // The reading itself shows nothing; the outcome carries the first bad value.
    const Outcome quiet = ReadSettings(appPath, iniFile).outcome;
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(quiet.location(), "gsReadIni(RENI)");
    const SettingsReadResult result = read();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("gsReadIni(RENI)."));
    // Each bad value by its key, with the default it took.
    EXPECT_TRUE(prompts.messages[0].text.contains("[Configure] Ball Bar Type=9 cannot be used; 0 is used instead."));
    EXPECT_TRUE(prompts.messages[0].text.contains("[Others] Toolbar=maybe cannot be used; True is used instead."));
    EXPECT_TRUE(result.fileReadable);
    EXPECT_EQ(QSet<QString>(result.badKeys.begin(), result.badKeys.end()),
              QSet<QString>({"Others/Toolbar", "Configure/AutoDetect", "Configure/Ball Bar Type", "Universal/Units"}));
    EXPECT_TRUE(s().ToolbarVisible);                // default True
    EXPECT_TRUE(s().AutoDetect);                    // default True
    EXPECT_FALSE(s().UnitsInch);                    // overflow: default 0
    EXPECT_EQ(s().BallBarType, 0);                  // no such gauge: default
    EXPECT_EQ(s().MaxPoints, 4000);                 // read after the bad value
    EXPECT_EQ(s().SerialNumber, "SN-77");
}

// Temperatures and expansion coefficients the temperature compensation cannot work with (colder
// than absolute zero, a million degrees or ppm per degree and beyond, 1e300 that overflows it)
// take their defaults and are told in the one message with their keys; every real value stays.
TEST_F(SettingsFile, ATemperatureOrCoefficientTheCompensationCannotUseIsToldByKeyAndTakesItsDefault)
{
    writeIni("[Configure]\nGauge Exp Coeff.=1e300\nCalibrator Exp Coeff.=-1000000\nMachine Exp Coeff.=1E999\n"
             "[Default]\nBase Temperature=1e300\n");
    read();
    ASSERT_EQ(prompts.messages.size(), 1u);
    const QString text = prompts.messages[0].text;
    EXPECT_TRUE(text.startsWith("5:") && text.endsWith("gsReadIni(RENI).")) << text.toStdString();
    for (const char* told : {"[Configure] Gauge Exp Coeff.=1e300 cannot be used; 11.5 is used instead.",
                             "[Configure] Calibrator Exp Coeff.=-1000000 cannot be used; 11.5 is used instead.",
                             "[Configure] Machine Exp Coeff.=1E999 cannot be used; 0 is used instead.",
                             "[Default] Base Temperature=1e300 cannot be used; 20 is used instead."})
        EXPECT_TRUE(text.contains(QString::fromLatin1(told))) << told << "\n" << text.toStdString();
    EXPECT_EQ(s().GaugeExpCoeff, 11.5);
    EXPECT_EQ(s().CalibratorExpCoeff, 11.5);
    EXPECT_EQ(s().MachineExpCoeff, 0.0);
    EXPECT_EQ(s().BaseTemperature, 20.0);
    write();
    EXPECT_EQ(stored("Default", "Base Temperature"), "20.0");
    EXPECT_EQ(stored("Configure", "Gauge Exp Coeff."), "11.5");

    // Every real value stays, up to the edges, and is written back as read; beyond them, told.
    const struct {
        const char* section;
        const char* key;
        double Settings::*field;
        const char* text;
        bool told;
    } edges[] = {
        {"Default", "Base Temperature", &Settings::BaseTemperature, "-273.15", false},
        {"Default", "Base Temperature", &Settings::BaseTemperature, "999999.9", false},
        {"Default", "Base Temperature", &Settings::BaseTemperature, "-273.16", true},
        {"Default", "Base Temperature", &Settings::BaseTemperature, "1000000", true},
        {"Configure", "Machine Exp Coeff.", &Settings::MachineExpCoeff, "-999999.5", false},
        {"Configure", "Gauge Exp Coeff.", &Settings::GaugeExpCoeff, "999999.5", false},
        {"Configure", "Calibrator Exp Coeff.", &Settings::CalibratorExpCoeff, "-0.5", false},
    };
    for (const auto& e : edges) {
        SCOPED_TRACE(e.text);
        prompts.messages.clear();
        writeIni(QString("[%1]\n%2=%3\n").arg(e.section, e.key, e.text).toUtf8());
        read();
        EXPECT_EQ(prompts.messages.size(), e.told ? 1u : 0u);
        if (e.told)
            continue;
        EXPECT_EQ(s().*e.field, QString::fromLatin1(e.text).toDouble());
        write();
        EXPECT_EQ(stored(e.section, e.key), e.text);
    }
    // A damaged file's page of a value is not shown whole.
    prompts.messages.clear();
    writeIni("[Default]\nBase Temperature=" + QByteArray(100000, '9') + "\n");
    read();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_LT(prompts.messages[0].text.size(), 400);
}

TEST_F(SettingsFile, ValuesThatWouldBreakCapturesAreCorrected)
{
    writeIni("[Configure]\nScale Factor=0\nStatic Measurements=0\n[Others]\nMaximum points=0\n");
    read();
    EXPECT_EQ(s().ScaleFactor, 1.0);
    EXPECT_EQ(s().StaticMeasurements, 0); // kept: the capture takes one reading a point
    EXPECT_EQ(s().MaxPoints, 1);
    writeIni("[Others]\nMaximum points=9000\n");
    read();
    EXPECT_EQ(s().MaxPoints, 8000);
}

TEST(MaxPoints, ClampedAndTheMenuItemOfTheClampedValue)
{
    EXPECT_EQ(SetMaxPoints(500), 500);
    EXPECT_EQ(SetMaxPoints(2500), 2500);
    EXPECT_EQ(SetMaxPoints(8000), 8000);
    EXPECT_EQ(SetMaxPoints(9000), 8000);
    EXPECT_EQ(SetMaxPoints(0), 1);
    EXPECT_EQ(SetMaxPoints(-7), 1);
    EXPECT_EQ(MaxPointsItem(500), 0);
    EXPECT_EQ(MaxPointsItem(1000), 1);
    EXPECT_EQ(MaxPointsItem(2000), 2);
    EXPECT_EQ(MaxPointsItem(4000), 3);
    // Every value not listed is shown as the last item.
    EXPECT_EQ(MaxPointsItem(8000), 4);
    EXPECT_EQ(MaxPointsItem(2500), 4);
    EXPECT_EQ(MaxPointsItem(SetMaxPoints(0)), 4);
    // The menu items give their own points back, and nothing outside the items.
    for (int item = 0; item < 5; ++item)
        EXPECT_EQ(MaxPointsItem(MaxPointsOfItem(item)), item);
    EXPECT_EQ(MaxPointsOfItem(1), 1000);
    EXPECT_EQ(MaxPointsOfItem(-3), 500);
    EXPECT_EQ(MaxPointsOfItem(9), 8000);
}

TEST_F(SettingsFile, CalibrationTableEndsAtTheFirstZeroLength)
{
    writeIni("[Calibrator]\nLength 0=150\nOffset 0=0,0125\nCalibrated 0=-1\n"
             "Length 2=300\n");
    read();
    const CalibrationTable& t = s().Calibration;
    EXPECT_EQ(t.CalibratorCount, 1);
    EXPECT_EQ(t.NominalLength[0], 150.0);
    EXPECT_EQ(t.CalibratorLength[0], 150.0); // defaults to the entry's length
    EXPECT_EQ(t.LengthOffset[0], 0.0125);
    EXPECT_EQ(t.LengthCalibrated[0], -1);
    EXPECT_EQ(t.NominalLength[1], 0.0);
    EXPECT_EQ(t.NominalLength[2], 0.0); // beyond the end: never read

    // Entries at and above the count stay in the file as they were.
    s().Calibration.CalibratorLength[0] = 149.9995;
    write();
    EXPECT_EQ(stored("Calibrator", "Calibrator Length 0"), "149.9995");
    EXPECT_EQ(stored("Calibrator", "Length 2"), "300");
}

TEST_F(SettingsFile, NewCalibrationEntriesAreWrittenLengthCalibratedCalibratorOffset)
{
    read();
    CalibrationTable& t = s().Calibration;
    t.CalibratorCount = 1;
    t.NominalLength[0] = 200;
    t.CalibratorLength[0] = 200.001;
    t.LengthOffset[0] = -0.002;
    t.LengthCalibrated[0] = 1;
    write();
    const QString text = QString::fromUtf8(readFile("Sarvotex.ini"));
    const auto pos = [&](const char* key) { return text.indexOf("\n" + QString::fromLatin1(key)); };
    ASSERT_GE(pos("Length 0="), 0);
    EXPECT_LT(pos("Length 0="), pos("Calibrated 0="));
    EXPECT_LT(pos("Calibrated 0="), pos("Calibrator Length 0="));
    EXPECT_LT(pos("Calibrator Length 0="), pos("Offset 0="));
    EXPECT_EQ(stored("Calibrator", "Length 0"), "200.0");
    EXPECT_EQ(stored("Calibrator", "Calibrator Length 0"), "200.001");
    EXPECT_EQ(stored("Calibrator", "Offset 0"), "-0.002");
    EXPECT_EQ(stored("Calibrator", "Calibrated 0"), "1");
}

TEST_F(SettingsFile, AllElevenCalibrationEntries)
{
    QByteArray ini = "[Calibrator]\n";
    for (int i = 0; i < 11; ++i)
        ini += QString("Length %1=%2\n").arg(i).arg(100 + i * 50).toUtf8();
    writeIni(ini);
    read();
    EXPECT_EQ(s().Calibration.CalibratorCount, 11);
    EXPECT_EQ(s().Calibration.NominalLength[10], 600.0);
}

TEST_F(SettingsFile, LongValuesAreNotCut)
{
    const QString longPath = "/data/" + QString(300, 'x') + "/run.rtb";
    writeIni("[Recent File List]\nFile 0=" + longPath.toUtf8() + "\nID 0=42\n");
    read();
    EXPECT_EQ(s().RecentFile[0], longPath);
    EXPECT_EQ(s().RecentID[0], 42);
    write();
    EXPECT_EQ(stored("Recent File List", "File 0"), longPath);
}

TEST_F(SettingsFile, KeysWrittenWhileTheProgramRunsSurviveTheExit)
{
    writeIni("[Universal]\nLanguage=English\n; kept\n[Places]\nResults top=10\n");
    read();
    IniFile(iniFile).set("BasicInput", "Customer", "ACME");
    s().Language = "German";
    write();
    EXPECT_EQ(stored("BasicInput", "Customer"), "ACME");
    EXPECT_EQ(stored("Places", "Results top"), "10");
    EXPECT_EQ(stored("Universal", "Language"), "German");
    EXPECT_TRUE(QString::fromUtf8(readFile("Sarvotex.ini")).contains("; kept\n"));
}

// Lines ended by CR alone (an old Mac editor) are lines, as CR LF and LF ones: the user's values
// are read, and the exit replaces them in place instead of appending defaults that win later.
TEST_F(SettingsFile, ASettingsFileWithCarriageReturnsAloneIsReadAndKept)
{
    for (const char* eol : {"\r", "\r\n", "\n"}) {
        SCOPED_TRACE(QByteArray(eol).toHex().constData());
        writeIni(QByteArray("[Others]\rMaximum points=6\r[Default]\rBase Temperature=25.5\r").replace("\r", eol));
        read();
        EXPECT_EQ(s().MaxPoints, 6);
        EXPECT_EQ(s().BaseTemperature, 25.5);
        write();
        const QString text = QString::fromUtf8(readFile("Sarvotex.ini"));
        EXPECT_EQ(text.count("Maximum points="), 1);
        const QString others = QString(text).remove(QString::fromLatin1(eol)); // written with the file's own ends
        EXPECT_FALSE(others.contains(u'\r') || others.contains(u'\n')) << text.toStdString();
        read();
        EXPECT_EQ(s().MaxPoints, 6);
        EXPECT_EQ(s().BaseTemperature, 25.5);
    }
}

// The program keeps such a file from being overwritten (its WriteIni skips it): the reading tells.
TEST_F(SettingsFile, AFileThatCannotBeReadIsReportedAndGivesTheDefaults)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Sarvotex.ini"));
    const SettingsReadResult result = read();
    EXPECT_FALSE(result.fileReadable);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.endsWith("gsReadIni(RENI)."));
    EXPECT_EQ(s().MaxPoints, 2500); // defaults all the same
    EXPECT_EQ(s().SerialNumber, "123456789");
    EXPECT_TRUE(QFileInfo(iniFile).isDir());
}

// A read-only settings file, or one in a read-only folder, is never replaced, also where root
// runs the program and the file system would let it.
TEST_F(SettingsFile, AFailedWriteIsReportedAndAReadOnlyFileStaysAsItWas)
{
    using P = QFileDevice;
    const P::Permissions readOnly = P::ReadOwner | P::ReadGroup | P::ReadOther;
    ASSERT_TRUE(QDir(appPath).mkdir("locked"));
    const QString lockedFile = writeFile("Sarvotex.ini", "[Default]\nMeasured By=Ann\n");
    const QString inLockedFolder = writeFile("locked/Sarvotex.ini", "[Default]\nMeasured By=Ann\n");
    ASSERT_TRUE(QFile::setPermissions(lockedFile, readOnly));
    ASSERT_TRUE(QFile::setPermissions(path("locked"), readOnly | P::ExeOwner | P::ExeGroup | P::ExeOther));
    for (const QString& file : {path("no/such/folder/Sarvotex.ini"), lockedFile, inLockedFolder}) {
        prompts.messages.clear();
        const Outcome outcome = WriteSettings(Settings(), file);
        EXPECT_TRUE(prompts.messages.empty()); // the program reports it
        ASSERT_FALSE(outcome.ok()) << file.toStdString();
        EXPECT_EQ(outcome.number(), AppError::kPathFileAccess);
        ReportOutcome(outcome);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_TRUE(prompts.messages[0].text.endsWith("Writing ini-file."));
    }
    EXPECT_EQ(QFile::permissions(lockedFile) & ~P::Permissions(P::ReadUser | P::WriteUser | P::ExeUser), readOnly);
    QFile::setPermissions(path("locked"), readOnly | P::WriteOwner | P::ExeOwner);
    for (const char* name : {"Sarvotex.ini", "locked/Sarvotex.ini"})
        EXPECT_EQ(readFile(name), "[Default]\nMeasured By=Ann\n") << name;
}

TEST_F(SettingsFile, TheToolbarStateIsReadAndWritten)
{
    writeIni("[Others]\nToolbar=False\n");
    read();
    EXPECT_FALSE(s().ToolbarVisible);
    s().ToolbarVisible = true;
    write();
    EXPECT_EQ(stored("Others", "Toolbar"), "True");
}
