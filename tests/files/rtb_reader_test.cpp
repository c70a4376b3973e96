// The .rtb reader: the hand-written samples to exact values, and the rules of the format.
#include "files/rtb_reader.h"

#include "tests/files/files_test_util.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstring>

namespace sarvo::test {
namespace {

using files::ReadResult;

class RtbReaderTest : public ::testing::Test {
protected:
    ReadResult read(const QByteArray& bytes, int maxPoints = 2500)
    {
        files.files.insert("/m/test.rtb", bytes);
        ctx = MemoryContext(files, maxPoints);
        c.Header[HdrFilename] = "/m/test.rtb";
        return files::ReadRtb(c, ctx);
    }

    files::MemoryFiles files;
    files::ReadContext ctx;
    Case c;
};

// The samples' every field is checked against their golden files (dump_test.cpp); here the rules.

TEST_F(RtbReaderTest, AnglesAreSwappedWrappedOnceAndKeptInTheAnalysisRange)
{
    struct Case_ {
        const char* start;
        const char* stop;
        int wantStart;
        int wantStop;
    };
    for (const Case_& k : {Case_{"400", "760", 40, 400}, Case_{"300", "0", 0, 300}, Case_{"-400", "-100", -40, 260},
                           Case_{"90.5", "450.5", 90, 450}}) {
        c = Case{};
        ASSERT_TRUE(read(MakeRtb({{"Data Start", k.start}, {"Data End", k.stop}}, {{1, RampValues(8)}})).ok()) << k.start;
        EXPECT_EQ(c.Data.StartAngle, k.wantStart) << k.start;
        EXPECT_EQ(c.Data.StopAngle, k.wantStop) << k.start;
        EXPECT_EQ(c.Data.SweepAngle, k.wantStop - k.wantStart);
    }
    // A single wrap cannot bring these into -360..720: refused, never an index past the tables.
    for (const auto& [start, stop] : {std::pair{"1000", "1360"}, std::pair{"-800", "-700"}, std::pair{"0", "1100"},
                                      std::pair{"40000", "0"}}) {
        c = Case{};
        const ReadResult r = read(MakeRtb({{"Data Start", start}, {"Data End", stop}}, {{1, RampValues(8)}}));
        EXPECT_FALSE(r.ok()) << start;
        EXPECT_EQ(r.location, files::kRtbHeaderLocation);
    }
}

TEST_F(RtbReaderTest, ThinningAveragesConsecutiveSamplesAndGivesTheHeaderTheCountAndRateKept)
{
    // 1800 samples with 500 points allowed: f = 4, 450 points, each the mean of four.
    QStringList values;
    for (int k = 0; k < 1800; ++k)
        values << QString::number((k % 4) * 0.001 + (k / 4) * 0.00001, 'f', 5);
    const QByteArray file = MakeRtb({{"Max Targets", "1800"}}, {{1, values}});
    ASSERT_TRUE(read(file, 8000).ok());
    EXPECT_EQ(c.Data.MaxTargets, 1800);
    const QString fileRate = c.Header[HdrSampling];
    EXPECT_EQ(fileRate, "31.831"); // 1800 points over 942.48 mm at 1000 mm/min

    ASSERT_TRUE(read(file, 500).ok());
    EXPECT_EQ(c.Data.RunTargets[1], 450);
    EXPECT_EQ(c.Data.MaxTargets, 450);
    EXPECT_EQ(c.Data.AngleStep, 360.0 / 450.0);
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 0), 0.0015);
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 449), 0.0015 + 449 * 0.00001);
    // The points kept, as a capture and every other reader give them.
    EXPECT_EQ(c.Header[HdrMaxTargets], "450");
    EXPECT_EQ(c.Header[HdrSampling], "7.9577");

    // The header read for a listing says the same.
    Case listed;
    listed.Header[HdrFilename] = "/m/test.rtb";
    ASSERT_TRUE(files::ReadRtbHeader(listed, ctx).ok());
    EXPECT_EQ(listed.Header[HdrMaxTargets], "450");
    EXPECT_EQ(listed.Header[HdrSampling], "7.9577");
}

TEST_F(RtbReaderTest, ARunLongerThanItsHeaderSaysStaysWithinTheLimit)
{
    // The header announces 360, the run brings 1800: the run's own count sets its thinning.
    ASSERT_TRUE(read(MakeRtb({{"Max Targets", "360"}}, {{1, RampValues(1800, 0.00001)}, {-1, RampValues(360)}}), 500).ok());
    EXPECT_EQ(c.Data.RunTargets[1], 450);
    EXPECT_EQ(c.Data.RunTargets[2], 360);
    EXPECT_EQ(c.Data.MaxTargets, 450); // the largest run
    EXPECT_EQ(c.Data.AngleStep, 360.0 / 450.0);
}

TEST_F(RtbReaderTest, DirectionsAreStoredAsPlusOrMinusOne)
{
    const QStringList abc = {"0.00100", "0.00200", "0.00300"};
    ASSERT_TRUE(read(MakeRtb({}, {{-1, abc}, {0, abc}, {2, abc}, {-7, abc}})).ok());
    const CaseData& d = c.Data;
    EXPECT_EQ(d.RunDirection[1], -1);
    EXPECT_EQ(d.Readings(1, 0), 0.003); // c, b, a
    EXPECT_EQ(d.Readings(1, 2), 0.001);
    EXPECT_EQ(d.RunDirection[2], 1); // 0 reads forward, as before, but as +1
    EXPECT_EQ(d.Readings(2, 0), 0.001);
    EXPECT_EQ(d.RunDirection[3], 1);
    EXPECT_EQ(d.RunDirection[4], -1);
}

TEST_F(RtbReaderTest, AnEighthRunIsNotRead)
{
    QList<RtbRun> runs;
    for (int r = 0; r < 8; ++r)
        runs.append({r % 2 ? -1 : 1, RampValues(8, 0.001 * (r + 1))});
    ASSERT_TRUE(read(MakeRtb({}, runs)).ok());
    EXPECT_EQ(c.Data.RunCount, 7);
    EXPECT_EQ(c.Data.Readings(7, 0), 0.007);
}

TEST_F(RtbReaderTest, MissingOrShortDataFailsWithAClearMessage)
{
    // No run at all: no longer a success with nothing to analyse.
    ReadResult r = read(MakeRtb({}, {}));
    EXPECT_EQ(r.kind, ReadResult::Kind::Error);
    EXPECT_EQ(r.location, files::kRtbLocation);
    EXPECT_TRUE(r.message.contains("no run")) << r.message.toStdString();

    // Data-count promises more points than the file holds.
    c = Case{};
    r = read(MakeRtb({}, {{1, RampValues(5), {"Direction: 1", "Data-count: 10"}}}));
    EXPECT_EQ(r.number, 62);
    EXPECT_EQ(r.location, files::kRtbLocation);

    // Fewer than three points cannot give a circle.
    c = Case{};
    r = read(MakeRtb({}, {{1, RampValues(2)}}));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.message.contains("three")) << r.message.toStdString();

    // Negative and absurd counts.
    for (const char* count : {"-5", "0", "1e300"}) {
        c = Case{};
        r = read(MakeRtb({}, {{1, RampValues(8), {"Direction: 1", QString("Data-count: ") + count}}}));
        EXPECT_FALSE(r.ok()) << count;
    }

    // A missing file.
    c = Case{};
    c.Header[HdrFilename] = "/m/none.rtb";
    r = files::ReadRtb(c, ctx);
    EXPECT_EQ(r.number, 53);
    EXPECT_EQ(r.location, files::kRtbHeaderLocation);
}

TEST_F(RtbReaderTest, ABlockOfEndlessKeyLinesIsRefused)
{
    QStringList lines(5001, "Sample Rate: 0");
    ReadResult r = read(MakeRtb({}, {{1, RampValues(8), lines}}));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.location, files::kRtbLocation);
}

TEST_F(RtbReaderTest, PointValuesReadAsFarAsTheyAreNumbers)
{
    ASSERT_TRUE(read(MakeRtb({}, {{1, {"0.00100", ".5", "-0.00200xyz"}}})).ok());
    EXPECT_EQ(c.Data.Readings(1, 0), 0.001);
    EXPECT_EQ(c.Data.Readings(1, 1), 0.5);
    EXPECT_EQ(c.Data.Readings(1, 2), -0.002);
    c = Case{};
    const ReadResult junk = read(MakeRtb({}, {{1, {"0.00100", "junk", "0.002"}}}));
    EXPECT_FALSE(junk.ok());
    EXPECT_TRUE(junk.message.contains("not a number")) << junk.message.toStdString();
    c = Case{};
    EXPECT_EQ(read(MakeRtb({}, {{1, {"0.001", "1e999", "0.002"}}})).number, AppError::kOverflow);
}

TEST_F(RtbReaderTest, PointValuesTakeTheirExponentAfterEOrDAndNoneBeyondADouble)
{
    ASSERT_TRUE(read(MakeRtb({}, {{1, {"2.1D-3", "2.1d-3", "-1.5D+1", "1D-400"}}})).ok());
    const auto& r = c.Data.Readings;
    EXPECT_EQ(QList<double>({r(1, 0), r(1, 1), r(1, 2), r(1, 3)}), QList<double>({0.0021, 0.0021, -15.0, 0.0}));
    for (const char* beyond : {"1D400", "0.0001E400"})
        EXPECT_EQ(read(MakeRtb({}, {{1, {"0.001", beyond, "0.002"}}})).number, AppError::kOverflow) << beyond;
}

TEST_F(RtbReaderTest, KeysAreMatchedAtTheStartOfTheirLine)
{
    // Without a Machine line, "Machine Exp Coeff" is no machine: the Name fallback applies.
    ASSERT_TRUE(read(MakeRtb({{"Machine", QString()}, {"Machine Exp Coeff", "2.5"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrMachine], "Simulator");
    EXPECT_EQ(c.Header[HdrMachineExp], "2.50");
    // "Machine: Plane 5" names a machine and not the plane.
    c = Case{};
    ASSERT_TRUE(read(MakeRtb({{"Machine", "Plane 5"}, {"Plane", "YZ"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrMachine], "Plane 5");
    EXPECT_EQ(c.Header[HdrPlane], "yz");
    // An unknown plane is left for the user to set.
    c = Case{};
    ASSERT_TRUE(read(MakeRtb({{"Plane", "AB"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrPlane], "");
}

// The text a hand edit or another program puts around a key line or a word value: the key is
// found behind a tab, a value reads without the blanks and tabs around it, a sign may follow the
// number. Each spelling reads as its plain twin, whose value is never the key's default.
TEST_F(RtbReaderTest, KeysAndWordsBehindTabsAndBlanksReadAsTheirPlainTwins)
{
    const QByteArray base = MakeRtb({{"Radius", "120"}, {"Length", "120"}, {"Plane", "XZ"}, {"Machine", "Mill 2"}},
                                    {{-1, RampValues(8),
                                      {"Direction: -1", "Data-count: 8", "Gauge Temperature: 25",
                                       "Machine Temperature: 22"}}});
    const auto withLine = [&base](const QString& key, const QString& line) {
        QStringList lines = QString::fromLatin1(base).split("\r\n");
        for (QString& l : lines) {
            if (l.startsWith(key + ':'))
                l = line;
        }
        return lines.join("\r\n").toLatin1();
    };
    const auto readCase = [&](const QByteArray& bytes) {
        c = Case{};
        const ReadResult r = read(bytes);
        EXPECT_TRUE(r.ok()) << r.message.toStdString();
        return c;
    };
    const auto headerTexts = [](const Case& x) {
        QStringList texts;
        for (int slot = 0; slot < kHeaderSlots; ++slot)
            texts << x.Header[slot];
        return texts;
    };
    const auto runReadings = [](const Case& x) {
        QList<double> values;
        for (int j = 0; j < 8; ++j)
            values << x.Data.Readings(1, j);
        return values;
    };
    const Case plain = readCase(base);
    EXPECT_EQ(std::tuple(plain.Data.TestRadius, plain.Data.RunDirection[1], plain.Header[HdrPlane],
                         plain.Data.GaugeTemp[1], plain.Data.Calibrated, plain.Header[HdrMachine]),
              std::tuple(120.0, int16_t(-1), QString("xz"), 25.0, true, QString("Mill 2")));

    const std::tuple<QString, QString, QString> spellings[] = {
        {"Radius", "Radius: 120", "\tRadius: 120"},
        {"Direction", "Direction: -1", "\tDirection: -1"},
        {"Plane", "Plane: XZ", "\tPlane: XZ"},
        {"Plane", "Plane: XZ", "Plane:\t xZ \t"},
        {"Stat/Dyn", "Stat/Dyn: S", "\tStat/Dyn: S"},
        {"Stat/Dyn", "Stat/Dyn: D", "Stat/Dyn:  D"},
        {"Stat/Dyn", "Stat/Dyn: D", "Stat/Dyn:\tD"},
        {"Gauge Temperature", "Gauge Temperature: 25", "\tGauge Temperature: 25"},
        {"Gauge Temperature", "Gauge Temperature: -5", "Gauge Temperature: 5-"},
        {"Cal Len", "Cal Len: C", "Cal Len: C "},
        {"Cal Len", "Cal Len: C", "Cal Len:\tC"},
        {"Machine", "Machine: Mill 2", "Machine:\tMill 2"},
        {"Point Raw-data", "Point Raw-data:", "\tPoint Raw-data:"},
    };
    for (const auto& [key, line, spelled] : spellings) {
        const Case twin = readCase(withLine(key, line));
        const Case read = readCase(withLine(key, spelled));
        const std::string what = spelled.toStdString();
        EXPECT_EQ(headerTexts(read), headerTexts(twin)) << what;
        EXPECT_EQ(runReadings(read), runReadings(twin)) << what;
        EXPECT_EQ(std::tuple(read.Data.TestRadius, read.Data.Dynamic, read.Data.Calibrated, read.Data.RunDirection,
                             read.Data.GaugeTemp, read.Data.RunTargets),
                  std::tuple(twin.Data.TestRadius, twin.Data.Dynamic, twin.Data.Calibrated, twin.Data.RunDirection,
                             twin.Data.GaugeTemp, twin.Data.RunTargets))
            << what;
    }
    // Every plane of two axes, written either way round; anything else is left for the user.
    for (const char* plane : {"ZX", "yx", "ZY", "YZ"}) {
        EXPECT_EQ(readCase(withLine("Plane", QString("Plane: ") + plane)).Header[HdrPlane], QString(plane).toLower());
    }
    EXPECT_EQ(readCase(withLine("Plane", "Plane: XX")).Header[HdrPlane], "");
}

// A file cut inside the key lines of a run is damaged: it is refused naming the run and the line
// where it ends, never read as a smaller measurement. A file that ends after the points of its
// last run, with or without its end mark, reads.
TEST_F(RtbReaderTest, AFileCutInsideARunsKeyLinesIsRefusedNamingTheRunAndLine)
{
    const QByteArray whole = MakeRtb({}, {{1, RampValues(8)},
                                          {-1, RampValues(8, 0.002),
                                           {"Direction: -1", "Sample Rate: 5", "Data-count: 8",
                                            "Gauge Temperature: 21", "Machine Temperature: 22"}}});
    const qsizetype second = whole.indexOf("Direction: -1");
    for (const char* end : {"Direction: -1", "Sample", "Data-count: 8\r\n", "Machine Tempe"}) {
        c = Case{};
        const QByteArray cut = whole.left(whole.indexOf(end, second) + qsizetype(std::strlen(end)));
        const ReadResult r = read(cut);
        ASSERT_FALSE(r.ok()) << end;
        const QStringList lines = QString::fromLatin1(cut).split("\r\n");
        const qsizetype last = lines.back().isEmpty() ? lines.size() - 1 : lines.size();
        EXPECT_EQ(r.number, 62) << end;
        EXPECT_EQ(r.location, files::kRtbLocation);
        EXPECT_EQ(r.message, QString("The file ends in line %1 inside the key lines of run 2, before its points: \"%2\".")
                                 .arg(last)
                                 .arg(lines[last - 1].trimmed()))
            << end;
    }
    // Key lines before the end mark are a cut run too.
    c = Case{};
    QByteArray marked = whole;
    EXPECT_FALSE(read(marked.replace("\r\n\r\nEOF::", "\r\nDirection: 1\r\nEOF::")).ok());

    const qsizetype afterPoints = whole.indexOf("7  0.01600") + 10;
    for (const QByteArray& ending : QList<QByteArray>{whole, whole.left(afterPoints), whole.left(afterPoints) + "\r\n\r\n",
                                     whole.left(afterPoints) + "\r\nEOF::", whole + "\r\nanything after the end\r\n"}) {
        c = Case{};
        const ReadResult r = read(ending);
        ASSERT_TRUE(r.ok()) << r.message.toStdString();
        EXPECT_EQ(c.Data.RunCount, 2);
        EXPECT_DOUBLE_EQ(c.Data.Readings(2, 0), 0.016);
    }
}

// A number no measurement gives and no part of the program holds is refused when read, naming
// the field; every real value reads.
TEST_F(RtbReaderTest, ValuesTheAnalysisCannotComputeWithAreRefusedNamingTheField)
{
    const std::tuple<QString, QString, QString> absurd[] = {
        {"Radius", "1e-300", "Radius"},
        {"Radius", "1E-40", "Radius"},
        {"Feedrate", "1e300", "Feedrate"},
        {"Gauge Exp Coeff", "1e300", "Gauge Exp Coeff"},
        {"Gauge Temperature", "1e300", "Gauge Temperature"},
        {"Machine Temperature", "-1e40", "Machine Temperature"},
        {"Gauge Temperature", "-273.2", "Gauge Temperature"},
    };
    const auto withRun = [](const QString& key, const QString& value) {
        QStringList keys = {"Direction: 1", "Data-count: 8", "Gauge Temperature: 20", "Machine Temperature: 20"};
        keys.replaceInStrings(QRegularExpression("^" + key + ": .*"), key + ": " + value);
        return MakeRtb({}, {{1, RampValues(8), keys}});
    };
    for (const auto& [key, value, field] : absurd) {
        c = Case{};
        const bool run = key.endsWith("Temperature");
        const ReadResult r = read(run ? withRun(key, value) : MakeRtb({{key, value}}, {{1, RampValues(8)}}));
        EXPECT_EQ(r.location, run ? files::kRtbLocation : files::kRtbHeaderLocation) << value.toStdString();
        EXPECT_EQ(r.message, QString("The value of \"%1\" is out of range.").arg(field)) << value.toStdString();
    }
    c = Case{};
    QStringList points = RampValues(8);
    points[3] = "1e300";
    const ReadResult point = read(MakeRtb({}, {{1, points}}));
    EXPECT_EQ(point.number, AppError::kOverflow);
    EXPECT_TRUE(point.message.contains("The point value in line 33 of run 1 is out of range: \"3  1e300\"."))
        << point.message.toStdString();

    // Real values at the ends of what a test meets.
    c = Case{};
    points[3] = "-25.5";
    ASSERT_TRUE(read(withRun("Gauge Temperature", "-273.15").replace("0.00100", "99.99")).ok());
    c = Case{};
    const ReadResult real = read(MakeRtb({{"Radius", "0.5"}, {"Length", "0.5"}, {"Feedrate", "250000"}},
                                         {{1, points, {"Direction: 1", "Data-count: 8", "Gauge Temperature: 450"}}}));
    ASSERT_TRUE(real.ok()) << real.message.toStdString();
    EXPECT_EQ(std::tuple(c.Data.TestRadius, c.Header[HdrFeedrate], c.Data.GaugeTemp[1], c.Data.Readings(1, 3)),
              std::tuple(0.5, QString("250000"), 450.0, -25.5));
}

TEST_F(RtbReaderTest, CommasInValuesAndDosCharacters)
{
    // Unquoted, the comma splits the line; quoted, the line comes whole.
    ASSERT_TRUE(read(MakeRtb({{"Machine", "Mill, left"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrMachine], "Mill");
    EXPECT_EQ(c.Data.MaxTargets, 8);
    c = Case{};
    QByteArray quoted = MakeRtb({}, {{1, RampValues(8)}});
    quoted.replace("Machine: Mill 1", "\"Machine: Mill, left\"");
    ASSERT_TRUE(read(quoted).ok());
    EXPECT_EQ(c.Header[HdrMachine], "Mill, left");
    // Machine and operator are in the DOS code page: 0x81 is "ü", 0x99 "Ö".
    c = Case{};
    QByteArray oem = MakeRtb({}, {{1, RampValues(8)}});
    oem.replace("Machine: Mill 1", "Machine: M\x81hle").replace("By: Joe", "By: \x99zil");
    ASSERT_TRUE(read(oem).ok());
    EXPECT_EQ(c.Header[HdrMachine], QString::fromUtf8("Mühle"));
    EXPECT_EQ(c.Header[HdrBy], QString::fromUtf8("Özil"));
    // 0xA0 and 0x85 end a word as the letters "á" and "à", not as the blanks they are elsewhere.
    c = Case{};
    ASSERT_TRUE(read(oem.replace("Machine: M\x81hle", "Machine: Mor\xa0\t").replace("By: \x99zil", "By: \x85")).ok());
    EXPECT_EQ(c.Header[HdrMachine], QString::fromUtf8("Morá"));
    EXPECT_EQ(c.Header[HdrBy], QString::fromUtf8("à"));
}

TEST_F(RtbReaderTest, DatesFallBackToNowNeverToThePreviousCase)
{
    c.Data.TestDate = QDateTime(QDate(1999, 9, 9), QTime(9, 9), Qt::UTC);
    const files::ReadResult unread = read(MakeRtb({{"Date", "not a date"}}, {{1, RampValues(8)}}));
    ASSERT_TRUE(unread.ok());
    EXPECT_EQ(c.Data.TestDate, FixedNow());
    EXPECT_EQ(c.Header[HdrDate], "2024-06-01 12:00:00");
    // Not without a word: the result carries a note for the user.
    ASSERT_EQ(unread.notes.size(), 1);
    EXPECT_TRUE(unread.notes[0].contains("\"not a date\""));
    c = Case{};
    const files::ReadResult undated = read(MakeRtb({{"Date", QString()}}, {{1, RampValues(8)}}));
    ASSERT_TRUE(undated.ok());
    EXPECT_EQ(c.Data.TestDate, FixedNow());
    EXPECT_TRUE(undated.notes.isEmpty());
    // A year before 1980 is a year of this century.
    c = Case{};
    ASSERT_TRUE(read(MakeRtb({{"Date", "08:15 Feb 03 1975"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrDate], "2075-02-03 08:15:00");
    // Other forms the common date reader knows.
    c = Case{};
    ASSERT_TRUE(read(MakeRtb({{"Date", "2010-07-04 10:11:12"}}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Header[HdrDate], "2010-07-04 10:11:12");
}

TEST_F(RtbReaderTest, NumbersThatWouldDivideByZeroOrOverflowAreRefused)
{
    const QList<QList<std::pair<QString, QString>>> bad = {
        {{"Radius", "0"}},         {{"Radius", "-150"}},       {{"Length", "0"}},
        {{"Feedrate", "0"}},       {{"Feedrate", "-5"}},       {{"Max Targets", "0"}},
        {{"Ang over", "1E300"}},   {{"Data Start", "99999"}},  {{"Radius", "1E9"}},
    };
    for (const auto& overrides : bad) {
        c = Case{};
        const ReadResult r = read(MakeRtb(overrides, {{1, RampValues(8)}}));
        EXPECT_FALSE(r.ok()) << overrides.front().first.toStdString() << "=" << overrides.front().second.toStdString();
        EXPECT_EQ(r.location, files::kRtbHeaderLocation);
        EXPECT_FALSE(r.message.isEmpty());
    }
    // A static test needs no feedrate.
    c = Case{};
    EXPECT_TRUE(read(MakeRtb({{"Feedrate", "0"}, {"Stat/Dyn", "S"}}, {{1, RampValues(8)}})).ok());
}

TEST_F(RtbReaderTest, TheMachineIsAskedOnlyForAReadableFile)
{
    QStringList asked;
    files.files.insert("/m/test.rtb", MakeRtb({}, {{1, RampValues(8)}}));
    ctx = MemoryContext(files);
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return QStringLiteral("Known Mill");
    };
    c.Header[HdrFilename] = "/m/test.rtb";
    ASSERT_TRUE(files::ReadRtb(c, ctx).ok());
    EXPECT_EQ(asked, QStringList{"Mill 1"});
    EXPECT_EQ(c.Header[HdrMachine], "Known Mill");

    // No machine chosen: the read ends with a message that names the file.
    ctx.resolveMachine = [](const QString&) { return QString(); };
    const ReadResult none = files::ReadRtb(c, ctx);
    EXPECT_EQ(none.kind, ReadResult::Kind::Message);
    EXPECT_TRUE(none.message.startsWith("/m/test.rtb\r\n")) << none.message.toStdString();

    // A broken file asks nothing.
    asked.clear();
    ctx.resolveMachine = [&](const QString& name) {
        asked << name;
        return name;
    };
    files.files.insert("/m/test.rtb", MakeRtb({}, {}));
    EXPECT_FALSE(files::ReadRtb(c, ctx).ok());
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(RtbReaderTest, HeaderOnlyLeavesRunsAndReadingsAlone)
{
    c.Data.RunCount = 3;
    c.Data.Readings(1, 0) = 4.5;
    c.Data.RunTargets[1] = 100;
    files.files.insert("/m/test.rtb", DataBytes("rtb_dynamic_both.rtb"));
    ctx = MemoryContext(files);
    c.Header[HdrFilename] = "/m/test.rtb";
    ASSERT_TRUE(files::ReadRtbHeader(c, ctx).ok());
    EXPECT_EQ(c.Header[HdrPlane], "xy");
    EXPECT_EQ(c.Header[HdrFeedrate], "1000");
    EXPECT_EQ(c.Header[HdrStatDyn], "D");
    EXPECT_EQ(c.Data.MaxTargets, 12);
    EXPECT_EQ(c.Data.RunCount, 3);
    EXPECT_EQ(c.Data.Readings(1, 0), 4.5);
    EXPECT_EQ(c.Data.RunTargets[1], 100);
}

TEST_F(RtbReaderTest, AHeaderSplitByCommasStillEndsAtItsMarker)
{
    // The comma pushes "Max Targets" past the 24th item; the header still runs to "DATA::".
    files.files.insert("/m/test.rtb", MakeRtb({{"By", "Joe, Ann"}, {"Max Targets", "4000"}}, {{1, RampValues(8)}}));
    ctx = MemoryContext(files, 8000);
    c.Header[HdrFilename] = "/m/test.rtb";
    ASSERT_TRUE(files::ReadRtbHeader(c, ctx).ok());
    EXPECT_EQ(c.Header[HdrBy], "Joe");
    EXPECT_EQ(c.Data.MaxTargets, 4000);
    // In the full read the header's count is only the default; the run holds 8 points.
    ASSERT_TRUE(files::ReadRtb(c, ctx).ok());
    EXPECT_EQ(c.Data.MaxTargets, 8);
}

TEST_F(RtbReaderTest, TheCaseTakesItsOwnScaleFactorNotThePreviousCasesOne)
{
    c.Data.ScaleFactor = 1.25; // left from an earlier case
    ASSERT_TRUE(read(MakeRtb({}, {{1, RampValues(8)}})).ok());
    EXPECT_EQ(c.Data.ScaleFactor, 1.0);
}

TEST_F(RtbReaderTest, PointLinesWithoutAReadingAreRefusedAndTabsSeparateTheIndex)
{
    // A line that lost its reading must not become 0 mm and shift the rest of the run.
    for (const char* damaged : {"", "abc", "3  x0.5", "3\tjunk"}) {
        c = Case{};
        QByteArray bytes = MakeRtb({}, {{1, RampValues(8)}});
        bytes.replace("3  0.00400", damaged);
        const ReadResult r = read(bytes);
        EXPECT_FALSE(r.ok()) << damaged;
    }
    // A value cut off, a file cut after its last index, a decimal comma (split into two points):
    // the index would be read as the reading; refused, naming the run and the line.
    const std::tuple<QByteArray, QByteArray, int, QString> cut[] = {
        {"5  0.01200", "5  ", 2, "5"},
        {"7  0.01600\r\n\r\n\r\nEOF::\r\n", "7", 2, "7"},
        {"0  0.00100", "0  0,00100", 1, "0  0,00100"},
    };
    for (const auto& [from, to, run, line] : cut) {
        c = Case{};
        QByteArray bytes = MakeRtb({}, {{1, RampValues(8)}, {-1, RampValues(8, 0.002)}});
        bytes.replace(from, to);
        const ReadResult r = read(bytes);
        const qsizetype number = QString::fromLatin1(bytes).split("\r\n").indexOf(QString::fromLatin1(to)) + 1;
        EXPECT_EQ(r.location, files::kRtbLocation) << to.constData();
        EXPECT_TRUE(r.message.contains(QString("Line %1 in run %2 is not a point index followed by its value: \"%3\"")
                                           .arg(number).arg(run).arg(line)))
            << r.message.toStdString();
    }
    // Values alone, one a line, read whole.
    c = Case{};
    QByteArray bare = MakeRtb({}, {{1, RampValues(8)}});
    for (int k = 0; k < 8; ++k)
        bare.replace(QString("\r\n%1  ").arg(k).toLatin1(), "\r\n");
    ASSERT_TRUE(read(bare).ok());
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 7), 0.008);
    // "index<TAB>value": the value is the reading, not the index.
    c = Case{};
    QByteArray tabbed = MakeRtb({}, {{1, RampValues(8)}});
    for (int k = 0; k < 8; ++k)
        tabbed.replace(QString("%1  %2").arg(k).arg(0.001 * (k + 1), 0, 'f', 5).toLatin1(),
                       QString("%1\t%2").arg(k).arg(0.001 * (k + 1), 0, 'f', 5).toLatin1());
    ASSERT_TRUE(read(tabbed).ok());
    for (int k = 0; k < 8; ++k)
        EXPECT_DOUBLE_EQ(c.Data.Readings(1, k), 0.001 * (k + 1)) << k;
}

TEST_F(RtbReaderTest, AFaultAmongThePointsNamesItsRunLineAndWhatWasExpected)
{
    // A count beyond the run's lines and a blank line among them end the run where run 2 still
    // follows; a value that is no number is told at its line.
    const std::tuple<QByteArray, QByteArray, QString> faults[] = {
        {"Data-count: 8", "Data-count: 10", "Line 38 in run 1 holds no point where point 9 of 10 was expected: \"\"."},
        {"3  0.00400", "", "Line 33 in run 1 holds no point where point 4 of 8 was expected: \"\"."},
        {"5  0.01200", "5  abc", "The point value in line 47 of run 2 is not a number: \"5  abc\"."},
    };
    for (const auto& [from, to, message] : faults) {
        c = Case{};
        QByteArray bytes = MakeRtb({}, {{1, RampValues(8)}, {-1, RampValues(8, 0.002)}});
        bytes.replace(from, to);
        const ReadResult r = read(bytes);
        EXPECT_EQ(r.location, files::kRtbLocation) << to.constData();
        EXPECT_TRUE(r.message.contains(message)) << r.message.toStdString();
    }
    // A quoted value keeps its comma and reads whole.
    c = Case{};
    QByteArray quoted = MakeRtb({}, {{1, RampValues(8)}});
    ASSERT_TRUE(read(quoted.replace("Radius: 150.00000", "\"Radius: 150,5\"")).ok());
    EXPECT_EQ(c.Data.TestRadius, 150.5);
}

TEST_F(RtbReaderTest, AStaticRunHoldsAPointEvery45DegreesOfItsArc)
{
    // Every position from the start, the end of a partial arc included, as a static capture takes
    // them; any other count would be placed at angles the run was not measured at: refused.
    const std::tuple<const char*, const char*, int, bool> runs[] = {
        {"0", "360", 8, true},  {"0", "360", 12, false}, {"0", "360", 9, false}, {"0", "180", 5, true},
        {"0", "180", 4, false}, {"90", "360", 7, true},  {"90", "360", 6, false}, {"180", "270", 3, true},
    };
    for (const auto& [start, end, points, ok] : runs) {
        c = Case{};
        const ReadResult r = read(MakeRtb({{"Stat/Dyn", "S"}, {"Data Start", start}, {"Data End", end},
                                           {"Max Targets", QString::number(points)}},
                                          {{1, RampValues(points)}, {-1, RampValues(points)}}));
        EXPECT_EQ(r.ok(), ok) << start << ".." << end << ": " << points;
        if (r.ok())
            EXPECT_EQ(c.Data.AngleStep, 45.0);
        else
            EXPECT_TRUE(r.message.contains("45 degrees")) << r.message.toStdString();
    }
}

} // namespace
} // namespace sarvo::test
