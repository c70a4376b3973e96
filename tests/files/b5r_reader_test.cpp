// The .b5r reader: the hand-written samples to exact values, and the rules of the format on
// documents built here element by element.
#include "files/b5r_reader.h"

#include "core/dates.h"
#include "files/dispatch.h"
#include "tests/files/files_test_util.h"

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using files::ReadResult;

// One BALLBAR_RUN. An empty text leaves its element out.
struct B5rRun {
    B5rRun(QStringList values, QString dir = QStringLiteral("CCW"), QString first = QStringLiteral("0"),
           QString last = {})
        : readings(std::move(values)), direction(std::move(dir)), start(std::move(first)), end(std::move(last))
    {
    }
    QStringList readings;
    QString direction;
    QString start;
    QString end;                // empty: the index of the last reading
    bool withEnd = true;
    QString temperature;
    QString extra;              // further elements of the run, as XML
    bool withReadings = true;
};

using Elements = QList<std::pair<QString, QString>>;

// Children from defaults and overrides by name: a null value drops the element, a value that
// starts with "<" is the element as XML, any other value is the element's text.
QString ElementsXml(Elements defaults, const Elements& overrides)
{
    for (const auto& [name, value] : overrides) {
        bool replaced = false;
        for (auto& entry : defaults) {
            if (entry.first == name) {
                entry.second = value;
                replaced = true;
            }
        }
        if (!replaced)
            defaults.append({name, value});
    }
    QString xml;
    for (const auto& [name, value] : defaults) {
        if (value.isNull())
            continue;
        xml += value.startsWith(u'<') ? value : QString("<%1>%2</%1>").arg(name, value);
        xml += "\n";
    }
    return xml;
}

// A dynamic full circle of radius 150 at 1000 mm/min in XY on "Mill 1", with the runs given.
QByteArray MakeB5r(const Elements& spec, const Elements& root, const QList<B5rRun>& runs, const QString& tail = {})
{
    const Elements specDefaults = {{"TEST_RADIUS", "150"},
                                   {"START_ANGLE", "0"},
                                   {"END_ANGLE", "360"},
                                   {"PLANE", R"(<PLANE TEST_PLANE="XY"/>)"},
                                   {"PROGRAMMED_FEEDRATE", "1000"},
                                   {"DYNAMIC_BALLBAR", "<DYNAMIC_BALLBAR/>"}};
    const Elements rootDefaults = {{"MACHINE_TESTED", R"(<MACHINE_TESTED NAME="Mill 1"/>)"},
                                   {"DATE_COMPLETED", "20040305-140709"}};
    QString xml = "<?xml version=\"1.0\"?>\n<BALLBAR_RESULT>\n<TEST_SPEC>\n" + ElementsXml(specDefaults, spec)
        + "</TEST_SPEC>\n" + ElementsXml(rootDefaults, root);
    for (const B5rRun& run : runs) {
        xml += "<BALLBAR_RUN>\n";
        if (!run.temperature.isEmpty())
            xml += "<RUN_TEMPERATURE>" + run.temperature + "</RUN_TEMPERATURE>\n";
        if (!run.direction.isEmpty())
            xml += "<RUN_DIRECTION>" + run.direction + "</RUN_DIRECTION>\n";
        if (!run.start.isEmpty())
            xml += "<START_INDEX>" + run.start + "</START_INDEX>\n";
        if (run.withEnd)
            xml += "<END_INDEX>" + (run.end.isEmpty() ? QString::number(run.readings.size() - 1) : run.end)
                + "</END_INDEX>\n";
        if (run.withReadings)
            xml += "<READINGS>" + run.readings.join(' ') + "</READINGS>\n";
        xml += run.extra + "</BALLBAR_RUN>\n";
    }
    return (xml + tail + "</BALLBAR_RESULT>\n").toUtf8();
}

class B5rReaderTest : public ::testing::Test {
protected:
    ReadResult read(const QByteArray& bytes, int maxPoints = 2500)
    {
        files.files.insert("/m/test.b5r", bytes);
        ctx = MemoryContext(files, maxPoints);
        c.Header[HdrFilename] = "/m/test.b5r";
        return files::ReadB5r(c, ctx);
    }
    ReadResult readSample(const char* name)
    {
        return read(DataBytes(name));
    }
    ReadResult readHeader(const QByteArray& bytes)
    {
        files.files.insert("/m/test.b5r", bytes);
        ctx = MemoryContext(files);
        c.Header[HdrFilename] = "/m/test.b5r";
        return files::ReadB5rHeader(c, ctx);
    }
    void expectFailure(const ReadResult& r, const char* messagePart, const std::string& what = {})
    {
        EXPECT_EQ(r.kind, ReadResult::Kind::Error) << what;
        EXPECT_EQ(r.location, files::kB5rReadLocation) << what;
        EXPECT_TRUE(r.message.contains(QString::fromUtf8(messagePart), Qt::CaseInsensitive))
            << what << ": " << r.message.toStdString();
    }

    files::MemoryFiles files;
    files::ReadContext ctx;
    Case c;
};

TEST_F(B5rReaderTest, TheFullCircleSampleReadsToExactValues)
{
    // What the previous case left must not show through.
    c.Header[HdrName] = "Old session";
    c.Header[HdrCustomer] = "Old customer";
    c.Data.ScaleFactor = 0.5;
    c.Data.Readings(3, 0) = 9.0;
    ASSERT_TRUE(readSample("b5r_full.b5r").ok());
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;

    EXPECT_EQ(h[HdrMachine], "Mill 4");
    EXPECT_EQ(h[HdrDate], "2004-03-05 14:07:09");
    EXPECT_EQ(d.TestDate, QDateTime(QDate(2004, 3, 5), QTime(14, 7, 9), Qt::UTC));
    EXPECT_EQ(h[HdrBy], "R. Keller");
    EXPECT_EQ(d.TestRadius, 150.0);
    EXPECT_EQ(d.BallBarLength, 150.0004f);
    EXPECT_EQ(h[HdrLength], "150.0004");
    EXPECT_EQ(h[HdrPlane], "xy");
    EXPECT_EQ(h[HdrFeedrate], "1000");
    EXPECT_EQ(h[HdrStatDyn], "D");
    EXPECT_TRUE(d.Dynamic);
    EXPECT_TRUE(d.Calibrated);
    EXPECT_FALSE(d.OptionFlag);
    EXPECT_EQ(h[HdrGaugeExp], "11.7");
    EXPECT_EQ(h[HdrMachineExp], "11.7");
    for (int slot : {HdrOrigX, HdrOrigY, HdrOrigZ})
        EXPECT_EQ(h[slot], "0");
    EXPECT_EQ(h[HdrEquipmentManufacturer], "Renishaw");
    EXPECT_EQ(h[HdrEquipmentModel], "QC20-W");
    EXPECT_EQ(h[HdrEquipmentSerial], "B77201");
    EXPECT_EQ(d.ScaleFactor, 1.00012);
    EXPECT_EQ(h[HdrComment], "After spindle rebuild & new gibs");
    EXPECT_EQ(h[HdrCustomer], "");
    EXPECT_EQ(h[HdrName], "");

    EXPECT_EQ(d.StartAngle, 0);
    EXPECT_EQ(d.StopAngle, 360);
    EXPECT_EQ(d.SweepAngle, 360);
    EXPECT_EQ(d.OvershootAngle, 45.0f);
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.MaxTargets, 36);
    EXPECT_EQ(h[HdrMaxTargets], "36");
    EXPECT_EQ(d.AngleStep, 10.0);
    // 36 points in 56.5487 s at 1000 mm/min on the 150 mm circle; the file's SAMPLE_RATE is not it.
    EXPECT_EQ(h[HdrSampling], "0.6366");

    EXPECT_EQ(d.RunDirection[1], 1);
    EXPECT_EQ(d.RunDirection[2], -1);
    EXPECT_EQ(d.RunTargets[1], 36);
    EXPECT_EQ(d.RunTargets[2], 36);
    EXPECT_EQ(d.GaugeTemp[1], 20.4);
    EXPECT_EQ(d.MachineTemp[1], 20.4);
    EXPECT_EQ(d.GaugeTemp[2], 20.6);
    EXPECT_EQ(d.MachineTemp[2], 20.6);
    // The first feedrate feature of a run, the last one of the diagnostics.
    EXPECT_EQ(d.RunFeedrate[1], 998.5f);
    EXPECT_EQ(d.RunFeedrate[2], 1001.5f);
    EXPECT_EQ(d.MeasuredFeedrateAverage, 1000.25f);

    // Reading 0 comes before the run and reading 37 after it.
    EXPECT_EQ(d.Readings(1, 0), 0.00201);
    EXPECT_EQ(d.Readings(1, 1), 0.00211);
    EXPECT_EQ(d.Readings(1, 35), 0.00184);
    EXPECT_EQ(d.Readings(1, 36), 0.0);
    // The clockwise run is stored from its last point down.
    EXPECT_EQ(d.Readings(2, 0), 0.00125);
    EXPECT_EQ(d.Readings(2, 1), 0.00164);
    EXPECT_EQ(d.Readings(2, 35), 0.00082);
    EXPECT_EQ(d.Readings(2, 36), 0.0);
    EXPECT_EQ(d.Readings(3, 0), 0.0);
}

TEST_F(B5rReaderTest, TheArcSampleRunsThroughZeroAndSkipsTheReadingsBeforeItsStartIndex)
{
    c.Data.GaugeTemp[2] = 35.0; // the previous case's, never this one's
    ASSERT_TRUE(readSample("b5r_arc.b5r").ok());
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    // 250 to 110 degrees counter-clockwise: through 0, 220 degrees.
    EXPECT_EQ(d.StartAngle, 250);
    EXPECT_EQ(d.StopAngle, 470);
    EXPECT_EQ(d.SweepAngle, 220);
    EXPECT_EQ(d.MaxTargets, 22);
    EXPECT_EQ(d.AngleStep, 10.0);
    // 22 points over 383.97 mm at 2000 mm/min.
    EXPECT_EQ(h[HdrSampling], "1.9099");
    // "false" in DYNAMIC_BALLBAR: the element is there, so the test is dynamic.
    EXPECT_TRUE(d.Dynamic);
    EXPECT_FALSE(d.Calibrated);
    EXPECT_EQ(h[HdrPlane], "xz");
    EXPECT_EQ(h[HdrMachine], "Lathe");
    EXPECT_EQ(h[HdrDate], "2019-12-31 23:59:58");
    EXPECT_EQ(h[HdrBy], QString::fromUtf8("Jörg Üstün"));
    EXPECT_EQ(h[HdrEquipmentManufacturer], "Renishaw");
    EXPECT_EQ(h[HdrEquipmentModel], "QC10");
    EXPECT_EQ(h[HdrEquipmentSerial], "8812");
    EXPECT_EQ(d.ScaleFactor, 1.0);
    EXPECT_EQ(h[HdrComment], "");
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.RunTargets[1], 22);
    EXPECT_EQ(d.RunTargets[2], 22);
    // The readings cross CR LF line ends inside the list.
    EXPECT_EQ(d.Readings(1, 0), 0.0015);
    EXPECT_EQ(d.Readings(1, 3), 0.00138);
    EXPECT_EQ(d.Readings(1, 21), 0.00122);
    EXPECT_EQ(d.Readings(2, 21), 0.00092);
    EXPECT_EQ(d.Readings(2, 0), 0.00142);
    // A run without its temperature has the base temperature.
    EXPECT_EQ(d.GaugeTemp[1], 21.25);
    EXPECT_EQ(d.GaugeTemp[2], 20.0);
    EXPECT_EQ(d.MachineTemp[2], 20.0);
    EXPECT_EQ(d.RunFeedrate[1], 1995.0f);
    EXPECT_EQ(d.RunFeedrate[2], 0.0f);
    EXPECT_EQ(d.MeasuredFeedrateAverage, 0.0f);
}

TEST_F(B5rReaderTest, TheStaticSampleTakesItsDefaults)
{
    c.Header[HdrMachineExp] = "5.5";
    ASSERT_TRUE(readSample("b5r_static.b5r").ok());
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    EXPECT_FALSE(d.Dynamic);
    EXPECT_EQ(h[HdrStatDyn], "S");
    EXPECT_EQ(h[HdrSampling], "");
    EXPECT_EQ(d.AngleStep, 45.0);
    // Equal angles: the full circle that ends at them.
    EXPECT_EQ(d.StartAngle, -270);
    EXPECT_EQ(d.StopAngle, 90);
    EXPECT_EQ(h[HdrMachine], "Simulator");
    EXPECT_EQ(h[HdrFeedrate], "400");
    EXPECT_EQ(d.BallBarLength, 50.0f);
    EXPECT_EQ(h[HdrLength], "50.000");
    EXPECT_EQ(h[HdrPlane], "yz");
    EXPECT_EQ(d.OvershootAngle, 0.0f);
    EXPECT_EQ(h[HdrBy], "");
    EXPECT_EQ(h[HdrEquipmentSerial], "");
    // No coefficient in the file: none, rather than the previous case's.
    EXPECT_EQ(h[HdrMachineExp], "0");
    EXPECT_EQ(h[HdrGaugeExp], "0");
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.RunTargets[1], 8);
    EXPECT_EQ(d.Readings(1, 0), 0.0018);
    EXPECT_EQ(d.Readings(1, 7), 0.0013);
    EXPECT_EQ(d.Readings(2, 0), 0.0017);
    EXPECT_EQ(d.Readings(2, 7), 0.0011);
}

TEST_F(B5rReaderTest, IndexesNameTheFirstAndLastReadingCountedFromZero)
{
    const QStringList nine = {"9", "1", "2", "3", "4"};
    ASSERT_TRUE(read(MakeB5r({}, {}, {{nine, "CCW", "1", "3"}})).ok());
    EXPECT_EQ(c.Data.RunTargets[1], 3);
    EXPECT_EQ(c.Data.Readings(1, 0), 1.0);
    EXPECT_EQ(c.Data.Readings(1, 2), 3.0);
    // Without START_INDEX the first reading is skipped as well; with 0 none is.
    c = Case{};
    B5rRun noStart{nine, "CW", QString(), "3"};
    ASSERT_TRUE(read(MakeB5r({}, {}, {{nine, "CCW", "1", "3"}, noStart})).ok());
    EXPECT_EQ(c.Data.Readings(2, 2), 1.0);
    EXPECT_EQ(c.Data.Readings(2, 0), 3.0);
    c = Case{};
    ASSERT_TRUE(read(MakeB5r({}, {}, {{nine, "CCW", "0", "3"}})).ok());
    EXPECT_EQ(c.Data.Readings(1, 0), 9.0);
    EXPECT_EQ(c.Data.RunTargets[1], 4);
    // Without END_INDEX a run ends where the longest index pair of the document does.
    c = Case{};
    B5rRun noEnd{RampValues(12), "CW", QString()};
    noEnd.withEnd = false;
    ASSERT_TRUE(read(MakeB5r({}, {}, {{RampValues(12), "CCW", "2", "9"}, noEnd})).ok());
    EXPECT_EQ(c.Data.RunTargets[2], 8); // readings 1 .. 8
    EXPECT_EQ(c.Data.Readings(2, 7), 0.002);
    EXPECT_EQ(c.Data.Readings(2, 0), 0.009);

    // Negative, reversed, unreadable or missing indexes never give a count.
    const QList<std::pair<QString, QString>> bad = {{"-1", "5"}, {"6", "5"}, {"x", "5"}, {"1", ""}, {"1", "1e9"}};
    for (const auto& [start, end] : bad) {
        c = Case{};
        B5rRun run{RampValues(8), "CCW", start, end};
        run.withEnd = !end.isEmpty();
        expectFailure(read(MakeB5r({}, {}, {run})), "", start.toStdString() + ".." + end.toStdString());
    }
    c = Case{};
    expectFailure(read(MakeB5r({}, {}, {{RampValues(8)}}, "<START_INDEX>0</START_INDEX>")), "fewer END_INDEX");
}

TEST_F(B5rReaderTest, ReadingsMustCoverTheEndIndexAndBeNumbers)
{
    // A list shorter than the indexes promise is a damaged file: no zeros stand in for it.
    ReadResult r = read(MakeB5r({}, {}, {{RampValues(8), "CCW", "0", "8"}}));
    expectFailure(r, "END_INDEX 8");
    EXPECT_EQ(r.number, 62);
    // Also where three readings make a point and the last one, unused, is missing.
    c = Case{};
    r = read(MakeB5r({}, {}, {{RampValues(1000, 0.00001), "CCW", "1", "1000"}}), 500);
    expectFailure(r, "END_INDEX 1000");
    c = Case{};
    r = read(MakeB5r({}, {}, {{{"0.001", "junk", "0.002", "0.004"}}}));
    expectFailure(r, "not a number");
    // Line ends of every kind and runs of blanks separate the readings; commas are decimal points.
    c = Case{};
    B5rRun mixed{{}, "CCW", "0", "4"};
    mixed.extra = "<READINGS>0.001\r\n0.002\n\n0.003\r  0,004\t 5E-3 </READINGS>";
    mixed.withReadings = false;
    ASSERT_TRUE(read(MakeB5r({}, {}, {mixed})).ok());
    for (int k = 0; k < 5; ++k)
        EXPECT_DOUBLE_EQ(c.Data.Readings(1, k), 0.001 * (k + 1)) << k;
    // A run without READINGS.
    c = Case{};
    B5rRun none{RampValues(8)};
    none.withReadings = false;
    expectFailure(read(MakeB5r({}, {}, {{RampValues(8)}, none})), "Run 2 has no READINGS");
}

TEST_F(B5rReaderTest, SamplingRateAndReductionFollowTheLongestIndexPair)
{
    // 1000 points over the full 150 mm circle at 1000 mm/min: 1000 points in 56.5487 s.
    ASSERT_TRUE(read(MakeB5r({}, {}, {{RampValues(1001, 0.00001), "CCW", "1", "1000"}})).ok());
    EXPECT_EQ(c.Header[HdrSampling], "17.6839");
    EXPECT_EQ(c.Data.MaxTargets, 1000);
    // 500 points allowed: three readings a point, 333 points, and the count and rate of those.
    c = Case{};
    ASSERT_TRUE(read(MakeB5r({}, {}, {{RampValues(1001, 0.00001), "CCW", "1", "1000"}}), 500).ok());
    EXPECT_EQ(c.Header[HdrSampling], "5.8887");
    EXPECT_EQ(c.Header[HdrMaxTargets], "333");
    EXPECT_EQ(c.Data.MaxTargets, 333);
    EXPECT_EQ(c.Data.RunTargets[1], 333);
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 0), 0.00003); // readings 1, 2, 3: 0.00002 .. 0.00004
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 332), 0.00999);
    EXPECT_DOUBLE_EQ(c.Data.AngleStep, 360.0 / 333.0);

    // A dynamic test cannot do without a feedrate or index pairs; a static one needs no feedrate.
    c = Case{};
    expectFailure(read(MakeB5r({{"PROGRAMMED_FEEDRATE", "0"}}, {}, {{RampValues(8)}})), "feedrate");
    c = Case{};
    B5rRun unindexed{RampValues(8), "CCW", QString()};
    unindexed.withEnd = false;
    expectFailure(read(MakeB5r({}, {}, {unindexed})), "START_INDEX and END_INDEX");
    c = Case{};
    EXPECT_TRUE(read(MakeB5r({{"PROGRAMMED_FEEDRATE", "0"}, {"DYNAMIC_BALLBAR", QString()}}, {}, {{RampValues(8)}})).ok());
}

TEST_F(B5rReaderTest, FlagsCountByPresence)
{
    ASSERT_TRUE(
        read(MakeB5r({{"DYNAMIC_BALLBAR", "false"}}, {{"LAST_CALIBRATED", "<LAST_CALIBRATED/>"}}, {{RampValues(8)}})).ok());
    EXPECT_TRUE(c.Data.Dynamic);
    EXPECT_EQ(c.Header[HdrStatDyn], "D");
    EXPECT_TRUE(c.Data.Calibrated);
    c = Case{};
    c.Data.Calibrated = true;
    ASSERT_TRUE(read(MakeB5r({{"DYNAMIC_BALLBAR", QString()}}, {}, {{RampValues(8)}})).ok());
    EXPECT_FALSE(c.Data.Dynamic);
    EXPECT_EQ(c.Header[HdrStatDyn], "S");
    EXPECT_FALSE(c.Data.Calibrated);
    // A static run holds one point every 45 degrees.
    c = Case{};
    expectFailure(read(MakeB5r({{"DYNAMIC_BALLBAR", QString()}}, {}, {{RampValues(12)}})), "45 degrees");
}

TEST_F(B5rReaderTest, AnglesRunCounterClockwiseFromStartToEnd)
{
    struct Arc {
        const char* start;
        const char* end;
        int wantStart;
        int wantStop;
    };
    for (const Arc& k : {Arc{"250", "110", 250, 470}, Arc{"90", "0", 90, 360}, Arc{"0", "0", -360, 0},
                         Arc{"45", "45", -315, 45}, Arc{"400", "500", 40, 140}, Arc{"-400", "-300", -40, 60},
                         Arc{"-90", "-180", -90, 180}, Arc{"350", "10", 350, 370}}) {
        c = Case{};
        ASSERT_TRUE(read(MakeB5r({{"START_ANGLE", k.start}, {"END_ANGLE", k.end}}, {}, {{RampValues(8)}})).ok()) << k.start;
        EXPECT_EQ(c.Data.StartAngle, k.wantStart) << k.start << ".." << k.end;
        EXPECT_EQ(c.Data.StopAngle, k.wantStop) << k.start << ".." << k.end;
        EXPECT_EQ(c.Data.SweepAngle, k.wantStop - k.wantStart);
    }
    for (const auto& [start, end] : {std::pair{"1000", "1360"}, std::pair{"0", "1100"}, std::pair{"40000", "0"},
                                      std::pair{"1000", "0"}}) {
        c = Case{};
        expectFailure(read(MakeB5r({{"START_ANGLE", start}, {"END_ANGLE", end}}, {}, {{RampValues(8)}})), "", start);
    }
}

TEST_F(B5rReaderTest, TheMachineIsAskedLastAndOnlyWhenNamedProperly)
{
    QStringList asked;
    files.files.insert("/m/test.b5r", MakeB5r({}, {{"MACHINE_TESTED", QString()}}, {{RampValues(8)}}));
    ctx = MemoryContext(files);
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Known Mill");
    };
    c.Header[HdrFilename] = "/m/test.b5r";
    ASSERT_TRUE(files::ReadB5r(c, ctx).ok());
    EXPECT_EQ(asked, QStringList{"Simulator"});
    EXPECT_EQ(c.Header[HdrMachine], "Known Mill");

    ctx.resolveMachine = [](const QString&) { return QString(); };
    const ReadResult none = files::ReadB5r(c, ctx);
    EXPECT_EQ(none.kind, ReadResult::Kind::Message);
    EXPECT_TRUE(none.message.startsWith("/m/test.b5r\r\n")) << none.message.toStdString();

    // A machine or a plane without its attribute is a broken file, and a broken file asks nothing.
    asked.clear();
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return name;
    };
    files.files.insert("/m/test.b5r", MakeB5r({}, {{"MACHINE_TESTED", "<MACHINE_TESTED/>"}}, {{RampValues(8)}}));
    expectFailure(files::ReadB5r(c, ctx), "MACHINE_TESTED has no attribute NAME");
    files.files.insert("/m/test.b5r", MakeB5r({{"PLANE", "<PLANE>XY</PLANE>"}}, {}, {{RampValues(8)}}));
    expectFailure(files::ReadB5r(c, ctx), "PLANE has no attribute TEST_PLANE");
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(B5rReaderTest, FeaturesWithoutANameAreNotTheFeedrate)
{
    B5rRun run{RampValues(8)};
    run.extra = "<FEATURE>5</FEATURE><FEATURE NAME=\"af_calculated_feedrate\">6</FEATURE>"
                "<FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">850.5</FEATURE>"
                "<FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">7</FEATURE>";
    const QString tail = "<ANALYSIS><FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">1</FEATURE></ANALYSIS>"
                         "<ANALYSIS NAME=\"RENISHAW_DIAGNOSTICS\"><FEATURE>2</FEATURE>"
                         "<FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">851</FEATURE>"
                         "<FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">852.5</FEATURE><FEATURE>3</FEATURE></ANALYSIS>"
                         "<ANALYSIS NAME=\"RENISHAW_DIAGNOSTICS\"><FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">4</FEATURE>"
                         "</ANALYSIS>";
    ASSERT_TRUE(read(MakeB5r({}, {}, {run}, tail)).ok());
    EXPECT_EQ(c.Data.RunFeedrate[1], 850.5f);
    EXPECT_EQ(c.Data.MeasuredFeedrateAverage, 852.5f);
    // No diagnostics: no average, whatever the previous case had.
    c = Case{};
    c.Data.MeasuredFeedrateAverage = 999;
    c.Data.RunFeedrate[1] = 999;
    ASSERT_TRUE(read(MakeB5r({}, {}, {{RampValues(8)}})).ok());
    EXPECT_EQ(c.Data.MeasuredFeedrateAverage, 0.0f);
    EXPECT_EQ(c.Data.RunFeedrate[1], 0.0f);
}

TEST_F(B5rReaderTest, TemperaturesAndCoefficientsGoToBothMachineAndBar)
{
    c.Data.GaugeTemp[1] = 31;
    c.Data.MachineTemp[2] = 32;
    B5rRun warm{RampValues(8)};
    warm.temperature = " 22.75 ";
    ASSERT_TRUE(read(MakeB5r({{"TEMP_MATERIAL_COEFFICIENT", "11,5"}}, {}, {warm, {RampValues(8), "CW"}}), 2500).ok());
    EXPECT_EQ(c.Data.GaugeTemp[1], 22.75);
    EXPECT_EQ(c.Data.MachineTemp[1], 22.75);
    EXPECT_EQ(c.Data.GaugeTemp[2], ctx.baseTemperature);
    EXPECT_EQ(c.Data.MachineTemp[2], ctx.baseTemperature);
    // The coefficient as a number, either separator read; one the compensation cannot work with
    // is refused naming the element.
    EXPECT_EQ(c.Header[HdrGaugeExp], "11.5");
    EXPECT_EQ(c.Header[HdrMachineExp], "11.5");
    expectFailure(read(MakeB5r({{"TEMP_MATERIAL_COEFFICIENT", "1e300"}}, {}, {{RampValues(8)}})),
                  "TEMP_MATERIAL_COEFFICIENT");
    // Another base temperature in the settings.
    c = Case{};
    files.files.insert("/m/test.b5r", MakeB5r({}, {}, {{RampValues(8)}}));
    ctx.baseTemperature = 18.5;
    c.Header[HdrFilename] = "/m/test.b5r";
    ASSERT_TRUE(files::ReadB5r(c, ctx).ok());
    EXPECT_EQ(c.Data.GaugeTemp[1], 18.5);
}

TEST_F(B5rReaderTest, TheDateIsReadByCharacterPositionAndFallsBackToNow)
{
    struct Stamp {
        QString text; // null: no DATE_COMPLETED
        QString want;
    };
    const QList<Stamp> stamps = {
        {"20040305-140709", "2004-03-05 14:07:09"},
        {"\n  20040305-140709\n", "2004-03-05 14:07:09"},
        {"20041305-000001", "2005-01-05 00:00:01"}, // month 13 carries into the next year
        {"20040305", "2004-03-05"},                 // no time: midnight
        {"20040305-xx0709", "2004-03-05"},
        {"2004-03-05", "2024-06-01 12:00:00"},      // not the form: now
        {"", "2024-06-01 12:00:00"},
        {QString(), "2024-06-01 12:00:00"},
    };
    for (const Stamp& s : stamps) {
        c = Case{};
        c.Data.TestDate = QDateTime(QDate(1999, 9, 9), QTime(9, 9), Qt::UTC);
        ASSERT_TRUE(read(MakeB5r({}, {{"DATE_COMPLETED", s.text}}, {{RampValues(8)}})).ok()) << s.text.toStdString();
        EXPECT_EQ(c.Header[HdrDate], s.want) << s.text.toStdString();
        EXPECT_EQ(GeneralDateText(c.Data.TestDate), s.want) << s.text.toStdString();
    }
}

TEST_F(B5rReaderTest, AnEighthRunIsNotRead)
{
    QList<B5rRun> runs;
    for (int r = 0; r < 8; ++r) {
        B5rRun run{RampValues(8 + r, 0.001 * (r + 1)), r % 2 ? "CW" : "CCW"};
        run.extra = QString("<FEATURE NAME=\"AF_CALCULATED_FEEDRATE\">%1</FEATURE>").arg(900 + r);
        runs.append(run);
    }
    ASSERT_TRUE(read(MakeB5r({}, {}, runs)).ok());
    EXPECT_EQ(c.Data.RunCount, 7);
    EXPECT_EQ(c.Data.RunFeedrate[7], 906.0f);
    EXPECT_EQ(c.Data.RunTargets[7], 14);
    EXPECT_EQ(c.Data.Readings(7, 0), 0.007);
    // The eighth run's 15 points set neither the step nor the count.
    EXPECT_EQ(c.Data.MaxTargets, 14);
    EXPECT_EQ(c.Data.AngleStep, 360.0 / 14.0);
}

TEST_F(B5rReaderTest, HeaderOnlyReadsLeaveRunsAndReadingsAlone)
{
    c.Header[HdrName] = "Session";
    c.Header[HdrCustomer] = "Customer";
    c.Header[HdrComment] = "Comment";
    c.Header[HdrMaxTargets] = "77";
    c.Data.RunCount = 3;
    c.Data.RunTargets[1] = 100;
    c.Data.MaxTargets = 100;
    c.Data.Readings(1, 0) = 4.5;
    c.Data.ScaleFactor = 0.5;
    bool asked = false;
    files.files.insert("/m/test.b5r", DataBytes("b5r_full.b5r"));
    ctx = MemoryContext(files);
    ctx.resolveMachine = [&](const QString& name) {
        asked = true;
        return name;
    };
    c.Header[HdrFilename] = "/m/test.b5r";
    ASSERT_TRUE(files::ReadB5rHeader(c, ctx).ok());
    EXPECT_FALSE(asked);
    EXPECT_EQ(c.Header[HdrName], "");
    EXPECT_EQ(c.Header[HdrMachine], "Mill 4");
    EXPECT_EQ(c.Header[HdrEquipmentModel], "QC20-W");
    EXPECT_EQ(c.Data.ScaleFactor, 1.00012);
    EXPECT_EQ(c.Header[HdrSampling], "250"); // the file's own until a whole read
    EXPECT_EQ(c.Header[HdrCustomer], "Customer");
    EXPECT_EQ(c.Header[HdrComment], "Comment");
    EXPECT_EQ(c.Header[HdrMaxTargets], "77");
    EXPECT_EQ(c.Data.RunCount, 3);
    EXPECT_EQ(c.Data.RunTargets[1], 100);
    EXPECT_EQ(c.Data.MaxTargets, 100);
    EXPECT_EQ(c.Data.Readings(1, 0), 4.5);

    // A header that fails tells why.
    const ReadResult r = readHeader(MakeB5r({{"TEST_RADIUS", "0"}}, {}, {}));
    expectFailure(r, "TEST_RADIUS");
}

TEST_F(B5rReaderTest, BrokenFilesFailWithAClearMessage)
{
    ReadResult r = read("<BALLBAR_RESULT><TEST_SPEC></BALLBAR_RESULT>");
    expectFailure(r, "well-formed");
    r = read("");
    expectFailure(r, "");
    r = read("<BALLBAR_RESULT><BALLBAR_RUN/></BALLBAR_RESULT>");
    expectFailure(r, "TEST_SPEC");
    // No runs: neither a static nor a dynamic file is a case.
    expectFailure(read(MakeB5r({{"DYNAMIC_BALLBAR", QString()}}, {}, {})), "no run");
    expectFailure(read(MakeB5r({}, {}, {}, "<START_INDEX>0</START_INDEX><END_INDEX>9</END_INDEX>")), "no run");
    // Fewer than three points make no circle.
    expectFailure(read(MakeB5r({}, {}, {{RampValues(2)}})), "three");
    // Numbers a case cannot hold.
    for (const auto& [name, value] : Elements{{"TEST_RADIUS", "-1"}, {"NOMINAL_LENGTH", "1E9"}, {"START_ANGLE", "1E6"},
                                              {"OVERSHOOT_ANGLE", "1E300"}}) {
        expectFailure(read(MakeB5r({{name, value}}, {}, {{RampValues(8)}})), name.toUtf8().constData(),
                      name.toStdString());
    }

    // A missing file is told as such.
    c.Header[HdrFilename] = "/m/none.b5r";
    r = files::ReadB5r(c, ctx);
    EXPECT_EQ(r.location, files::kB5rMissingFileLocation);
    EXPECT_EQ(r.number, 53);
    r = files::ReadB5rHeader(c, ctx);
    EXPECT_EQ(r.location, files::kB5rMissingFileLocation);
}

TEST_F(B5rReaderTest, TheDispatcherReadsB5rFilesAndKeepsTheOpenCaseOnFailure)
{
    files.files.insert("/m/good.b5r", DataBytes("b5r_full.b5r"));
    files.files.insert("/m/bad.b5r", MakeB5r({}, {}, {{RampValues(8), "CCW", "0", "9"}}));
    ctx = MemoryContext(files);
    Case open;
    open.Header[HdrMachine] = "Previous";
    open.Data.Readings(1, 0) = 0.25;
    const Case before = open;
    const ReadResult bad = files::ReadInto(open, "/m/bad.b5r", files::ChooseReader("/m/bad.b5r", files::Caller::Program), ctx);
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(open.Header, before.Header);
    EXPECT_EQ(open.Data.Readings, before.Data.Readings);
    ASSERT_TRUE(files::ReadInto(open, "/m/good.b5r", files::ReaderKind::B5r, ctx).ok());
    EXPECT_EQ(open.Header[HdrFilename], "/m/good.b5r");
    EXPECT_EQ(open.Header[HdrMachine], "Mill 4");
    ASSERT_TRUE(open.Data.ReadingsAsRead);
    EXPECT_EQ((*open.Data.ReadingsAsRead)(1, 0), 0.00201);
}

} // namespace
} // namespace sarvo::test
