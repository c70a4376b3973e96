// sarvotex-dump on the hand-written samples: the case as read against golden files, the results
// of the analysis chain by name, the settings of $SARVOTEX_HOME, and the status of a failed read.
#include "tests/files/files_test_util.h"

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "core/number_format.h"
#include "core/sql_script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

namespace sarvo::test {
namespace {

struct DumpRun {
    int status = -1;
    QString out;
    QString err;
};

// programHome: the SARVOTEX_HOME the dump sees; none by default, so that only the tests that
// mean it read settings other than a fresh program folder's. locale: LC_ALL of the dump, for
// the tests that read numbers in the locale's form.
DumpRun dump(const QStringList& args, const QString& programHome = {}, const QString& locale = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("SARVOTEX_HOME"));
    if (!programHome.isEmpty())
        environment.insert(QStringLiteral("SARVOTEX_HOME"), programHome);
    if (!locale.isEmpty())
        environment.insert(QStringLiteral("LC_ALL"), locale);
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(SARVOTEX_DUMP), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    DumpRun run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    // The samples' folder differs from machine to machine.
    run.out = QString::fromUtf8(p.readAllStandardOutput()).replace(QStringLiteral(SARVOTEX_TEST_DATA "/"), "$DATA/");
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

TEST(DumpTest, TheSamplesReadAsTheirGoldenFilesSay)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{"rtb_dynamic_both.rtb"}, "rtb_dynamic_both.golden"},
        {{"rtb_static.rtb"}, "rtb_static.golden"},
        {{"dbb_text_ccw.dbb"}, "dbb_text_ccw.golden"},
        {{"dbb_text_cw.dbb"}, "dbb_text_cw.golden"},
        {{"heid_bin.dbb"}, "heid_bin.golden"},
        {{"heid_cw.dbb"}, "heid_cw.golden"},
        {{"b5r_full.b5r"}, "b5r_full.golden"},
        {{"b5r_arc.b5r"}, "b5r_arc.golden"},
        {{"b5r_static.b5r"}, "b5r_static.golden"},
        // One measurement of a binary and a text file of the same sector.
        {{"heid_bin.dbb", "dbb_text_ccw.dbb"}, "dbb_set.golden"},
        // A ContiSure header with one point file of each direction beside it.
        {{"contisure/CSDEMO1g.xy"}, "contisure_set.golden"},
        // The 2-D case form: the folder, a blank and the four files of both rotations.
        {{"optodyne/ opto_r1_d0.2d2 opto_r1_d1.2d2 opto_r2_d0.2d2 opto_r2_d1.2d2"}, "opto_case.golden"},
    };
    for (const auto& [files, golden] : cases) {
        QStringList args = {"--no-analysis"};
        for (const QString& f : files)
            args << DataFile(f);
        const DumpRun run = dump(args);
        EXPECT_EQ(run.status, 0) << golden << run.err.toStdString();
        EXPECT_EQ(run.out, QString::fromUtf8(DataBytes(golden))) << golden;
    }
}

TEST(DumpTest, TheAnalysedCasePrintsEveryResultByName)
{
    const DumpRun run = dump({DataFile("rtb_dynamic_both.rtb")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QHash<QString, QString> values;
    static const QRegularExpression line(QStringLiteral("^([A-Za-z][A-Za-z0-9.]*(?:\\([0-9,-]+\\))?) = (.*)$"));
    for (const QString& text : run.out.split('\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_FALSE(values.contains(m.captured(1))) << "twice: " << text.toStdString();
        values.insert(m.captured(1), m.captured(2));
    }
    for (const char* name : {"HdrMachine", "RunCount", "RunTargets(1)", "StartAngle", "LscResult.Circularity",
                             "MzcResult.Circularity", "IsoG(1)", "IsoG(2)", "IsoFmax(1)", "IsoFmin(1)", "IsoH",
                             "IsoD", "IsoGb", "ErrorValues.Back0", "ErrorReliability.Back0", "ErrorValues.CentreH",
                             "Readings(2,11)", "ResultsValid"}) {
        ASSERT_TRUE(values.contains(name)) << name;
    }
    for (const char* name : {"LscResult.Circularity", "MzcResult.Circularity", "IsoG(1)", "IsoH", "IsoD"}) {
        bool number = false;
        const double v = values[name].toDouble(&number);
        EXPECT_TRUE(number && std::isfinite(v)) << name << " = " << values[name].toStdString();
    }
    // A circle was fitted: the zone of two runs a few microns out of round.
    EXPECT_GT(values["LscResult.Circularity"].toDouble(), 0.0);
    EXPECT_EQ(values["HdrMachine"], "\"Mill 1\"");
}

// The value of one "name = value" line of a dump, empty when there is none.
QString dumpedValue(const QString& out, const QString& name)
{
    for (const QString& text : out.split('\n')) {
        if (text.startsWith(name + " = "))
            return text.mid(name.size() + 3);
    }
    return {};
}

// A run of 8000 points keeps them all when the settings file of $SARVOTEX_HOME allows 8000 points
// per run, and is thinned to at most the default 2500 without that file; the file is only read.
TEST(DumpTest, TheProgramFoldersSettingsDecideHowManyPointsARunKeeps)
{
    QTemporaryDir dir;
    const QString measurement = dir.filePath("long.rtb");
    QStringList values;
    for (int k = 0; k < 8000; ++k)
        values << QString::number(0.001 * std::sin(k * 0.01), 'f', 5);
    QFile f(measurement);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(MakeRtb({}, {RtbRun(1, values)}));
    f.close();

    QTemporaryDir programHome;
    const QString ini = programHome.filePath("Sarvotex.ini");
    const QByteArray settings = "[Others]\r\nMaximum points=8000\r\n";
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(settings);
    file.close();

    const DumpRun kept = dump({"--no-analysis", measurement}, programHome.path());
    ASSERT_EQ(kept.status, 0) << kept.err.toStdString();
    EXPECT_EQ(dumpedValue(kept.out, "RunTargets(1)").toInt(), 8000);
    EXPECT_EQ(dumpedValue(kept.out, "MaxTargets").toInt(), 8000);
    EXPECT_FALSE(dumpedValue(kept.out, "Readings(1,7999)").isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), settings);
    file.close();
    EXPECT_EQ(QDir(programHome.path()).entryList(QDir::Files), QStringList{"Sarvotex.ini"});

    for (const QString& home : {QString(), dir.path()}) { // none, and a folder without settings
        const DumpRun thinned = dump({"--no-analysis", measurement}, home);
        ASSERT_EQ(thinned.status, 0) << thinned.err.toStdString();
        const int points = dumpedValue(thinned.out, "RunTargets(1)").toInt();
        EXPECT_GT(points, 0);
        EXPECT_LE(points, 2500);
        EXPECT_EQ(dumpedValue(thinned.out, "MaxTargets").toInt(), points);
    }
}

TEST(DumpTest, AFailedReadPrintsItsMessageAndEndsWithStatusOne)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.rtb");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(MakeRtb({}, {}));
    f.close();
    const DumpRun run = dump({broken});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("The file holds no run.")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Reading RTB-File (Reni.ReadRtb)"));
}

// The results lines of a dump in their order: key (after "result.") and caption unquoted.
struct ResultLines {
    QStringList keys;
    QHash<QString, QString> text;

    QString operator[](const QString& key) const
    {
        EXPECT_TRUE(text.contains(key)) << "no result." << key.toStdString();
        return text.value(key);
    }
    double number(const QString& key) const
    {
        bool ok = false;
        const double v = (*this)[key].toDouble(&ok);
        EXPECT_TRUE(ok) << key.toStdString() << " = " << (*this)[key].toStdString();
        return v;
    }
};

ResultLines resultLines(const QString& out)
{
    ResultLines lines;
    static const QRegularExpression quoted(QStringLiteral("^result\\.(\\S+) = \"(.*)\"$"));
    static const QRegularExpression page(QStringLiteral("^result\\.(Page\\([0-9]+\\)) = (on|off)$"));
    for (const QString& text : out.split('\n')) {
        if (!text.startsWith("result."))
            continue;
        auto m = quoted.match(text);
        if (!m.hasMatch())
            m = page.match(text);
        EXPECT_TRUE(m.hasMatch()) << text.toStdString();
        EXPECT_FALSE(lines.text.contains(m.captured(1))) << "twice: " << text.toStdString();
        lines.keys << m.captured(1);
        lines.text.insert(m.captured(1), QString(m.captured(2)).replace("\\\"", "\"").replace("\\\\", "\\"));
    }
    return lines;
}

// A program folder with a settings file, and the language database when given.
QString writeProgramFolder(const QTemporaryDir& dir, const QByteArray& settings)
{
    QFile ini(dir.filePath("Sarvotex.ini"));
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(settings);
    return dir.path();
}

QString formatted(double value, const char* pattern)
{
    return FormatNumber(value, QString::fromLatin1(pattern), QLocale::c());
}

const QString kCLocale = QStringLiteral("C");

// The results lines follow the case: the circle values formatted as the display formats say,
// the run rows by direction, the unit captions of the test diameter, and the tab pages.
TEST(DumpTest, ResultsPrintTheCaptionsOfTheResultsWindowAfterTheCase)
{
    const DumpRun run = dump({"--results", DataFile("rtb_dynamic_both.rtb")}, {}, kCLocale);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const ResultLines r = resultLines(run.out);
    // After the case, the captions first, then the 14 pages in order.
    EXPECT_GT(run.out.indexOf("\nresult."), run.out.indexOf("\nResultsValid = true"));
    ASSERT_GE(r.keys.size(), 14);
    EXPECT_EQ(r.keys.first(), "lblType(0)");
    for (int p = 0; p < 14; ++p)
        EXPECT_EQ(r.keys[r.keys.size() - 14 + p], QStringLiteral("Page(%1)").arg(p));
    EXPECT_EQ(r.keys.filter(QRegularExpression("^Page")).size(), 14);

    auto value = [&run](const char* name) { return dumpedValue(run.out, name).toDouble(); };
    const QString circularity = formatted(value("LscResult.Circularity"), "####0");
    for (const char* key : {"LblCirV(0)", "LblCirV(2)", "LblCirV(3)"})
        EXPECT_EQ(r[key], circularity) << key;
    EXPECT_EQ(r["LblCirV(1)"], formatted(value("MzcResult.Circularity"), "####0"));
    EXPECT_EQ(r["LblBestR(0)"], formatted(value("LscResult.Radius"), "###0.##0"));
    EXPECT_EQ(r["LblIsoGb"], formatted(value("IsoGb"), "####0"));
    for (int run1 = 1; run1 <= 2; ++run1) {
        const bool cw = dumpedValue(run.out, QStringLiteral("RunDirection(%1)").arg(run1)).toInt() < 0;
        const QString direction = cw ? "CW" : "CCW";
        EXPECT_EQ(r[QStringLiteral("LblRound(%1)").arg(run1 - 1)], QStringLiteral("%1.").arg(run1) + direction);
        EXPECT_EQ(r[QStringLiteral("LblRoundServo(%1)").arg(run1 - 1)], QStringLiteral("%1.").arg(run1) + direction);
    }
    EXPECT_EQ(r["LblRound(2)"], ""); // two runs
    EXPECT_EQ(r["LblUnit(0)"], "µm");
    EXPECT_EQ(r["lblSqUnit(0)"], QStringLiteral("µm/%1mm").arg(std::lround(2 * value("TestRadius"))));
    EXPECT_EQ(r["LblAxesH(0)"] + r["LblAxesV(0)"], dumpedValue(run.out, "HdrPlane").mid(1, 2));
    EXPECT_EQ(r["lblType(5)"], "IS&O");
    EXPECT_EQ(r["frmType(13)"], " The most important error sources");
    for (int p = 0; p < 14; ++p)
        EXPECT_EQ(r[QStringLiteral("Page(%1)").arg(p)], "on") << p; // dynamic, play and servo found

    // --results analyses also when told not to; without it there are no results lines.
    const DumpRun both = dump({"--no-analysis", "--results", DataFile("rtb_dynamic_both.rtb")}, {}, kCLocale);
    EXPECT_EQ(both.out, run.out);
    EXPECT_FALSE(dump({DataFile("rtb_dynamic_both.rtb")}).out.contains("result."));
}

// An .rtb file carries no measured feedrate: its captions are empty.
TEST(DumpTest, ResultsOfAFileWithoutMeasuredFeedrateShowNoFeedrate)
{
    const DumpRun rtb = dump({"--results", DataFile("rtb_dynamic_both.rtb")}, {}, kCLocale);
    ASSERT_EQ(rtb.status, 0) << rtb.err.toStdString();
    const ResultLines r = resultLines(rtb.out);
    for (const char* key : {"lblAverageFeedrate", "lblRunFeedrate(0)", "lblRunFeedrate(1)"})
        EXPECT_EQ(r[key], "") << key;
}

TEST(DumpTest, ResultsOfAStaticCaseHaveNoDynamicPages)
{
    const DumpRun run = dump({"--results", DataFile("rtb_static.rtb")}, {}, kCLocale);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const ResultLines r = resultLines(run.out);
    for (int p : {1, 4, 8, 10, 12})
        EXPECT_EQ(r[QStringLiteral("Page(%1)").arg(p)], "off") << p;
    for (int p : {0, 2, 3, 5, 7, 9, 11, 13})
        EXPECT_EQ(r[QStringLiteral("Page(%1)").arg(p)], "on") << p;
}

// One clockwise run cannot be fitted: the circle values stand, the error model is blank.
TEST(DumpTest, ResultsAfterAFailedFitShowTheCircleValuesOnly)
{
    const DumpRun run = dump({"--results", DataFile("heid_cw.dbb")}, {}, kCLocale);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_EQ(dumpedValue(run.out, "ResultsValid"), "false");
    const ResultLines r = resultLines(run.out);
    EXPECT_EQ(r["LblCirV(0)"], formatted(dumpedValue(run.out, "LscResult.Circularity").toDouble(), "####0"));
    EXPECT_EQ(r["LblBestR(0)"], formatted(dumpedValue(run.out, "LscResult.Radius").toDouble(), "###0.##0"));
    EXPECT_EQ(r["LblIsoG(0)"], formatted(dumpedValue(run.out, "IsoG(1)").toDouble(), "####0"));
    for (const char* key : {"LblSqEr(0)", "LblSqEr(2)", "LblScEr", "LblScErH(0)", "LblBVal0", "LblBlashH", "LblServoH(0)",
                            "LblRandom(0)", "LblPlayH(0)"})
        EXPECT_EQ(r[key], "") << key;
    EXPECT_EQ(r["Page(6)"], "off");
    EXPECT_EQ(r["Page(8)"], "off");
}

// "Units" of the program folder's settings: the same case in inches is the metric one over 25400
// (µm) and 25.4 (mm). The settings file is only read.
TEST(DumpTest, ResultsInInchesAreTheMetricValuesConverted)
{
    const QByteArray formats = "[Format]\r\nMetric small format=0.000000\r\nMetric long format=0.000000\r\n"
                               "Inch small format=0.0000000000\r\nInch long format=0.00000000\r\n";
    QTemporaryDir metricHome, inchHome, inchDefaults;
    const QByteArray inchSettings = "[Universal]\r\nUnits=-1\r\n" + formats;
    const DumpRun metric = dump({"--results", DataFile("rtb_dynamic_both.rtb")}, writeProgramFolder(metricHome, formats), kCLocale);
    const DumpRun inch = dump({"--results", DataFile("rtb_dynamic_both.rtb")}, writeProgramFolder(inchHome, inchSettings), kCLocale);
    ASSERT_EQ(metric.status, 0) << metric.err.toStdString();
    ASSERT_EQ(inch.status, 0) << inch.err.toStdString();
    const ResultLines m = resultLines(metric.out), i = resultLines(inch.out);
    EXPECT_EQ(m.keys, i.keys);
    for (const char* key : {"LblCirV(0)", "LblCirV(1)", "LblCirMaV", "LblCentH(0)", "LblSqEr(0)", "LblScEr", "LblScErH(0)",
                            "LblBVal0", "LblIsoGb", "lblIsoD"}) {
        EXPECT_NEAR(i.number(key), m.number(key) / 25400, 1e-9) << key;
        EXPECT_NE(m.number(key), 0) << key; // a real value, not a blank or zero on both sides
    }
    EXPECT_NEAR(i.number("LblBestR(0)"), m.number("LblBestR(0)") / 25.4, 1e-7);
    EXPECT_EQ(i["LblSqEr(2)"], m["LblSqEr(2)"]); // arc seconds
    EXPECT_EQ(m["lblSqUnit(0)"], "µm/200mm");    // a 100 mm radius
    EXPECT_EQ(i["lblSqUnit(0)"], "in/7.9in");    // 7.874 in
    EXPECT_EQ(i["LblUnit(40)"], "in");
    EXPECT_EQ(i["lblMMUnit(5)"], "in");
    QFile ini(QDir(inchHome.path()).filePath("Sarvotex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), inchSettings);
    EXPECT_EQ(QDir(inchHome.path()).entryList(QDir::Files), QStringList{"Sarvotex.ini"});

    // The inch formats of a fresh program.
    const DumpRun plain = dump({"--results", DataFile("rtb_dynamic_both.rtb")},
                               writeProgramFolder(inchDefaults, "[Universal]\r\nUnits=-1\r\n"), kCLocale);
    const ResultLines p = resultLines(plain.out);
    EXPECT_EQ(p["LblCirV(0)"], formatted(dumpedValue(plain.out, "LscResult.Circularity").toDouble() / 25400, "####0.####0"));
    EXPECT_EQ(p["LblBestR(0)"], formatted(dumpedValue(plain.out, "LscResult.Radius").toDouble() / 25.4, "###0.####0"));
}

// "Language" of the program folder's settings, from its own language database, which stays as
// it was: the dump looks texts up in a copy.
TEST(DumpTest, ResultsInGermanFromTheProgramFoldersLanguageDatabase)
{
    QTemporaryDir home;
    const QString langDb = QDir(home.path()).filePath("Lang.db");
    // One text missing, so that looking it up adds it as a new key: to the copy, never to this file.
    const QString missing = "DELETE FROM Languages WHERE Form = 'result' AND English = 'Servo Response';";
    ASSERT_EQ(CreateDatabaseFromScript(langDb, ShippedScript("lang.sql") + "\n" + missing), QString());
    QFile db(langDb);
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QByteArray before = db.readAll();
    db.close();

    const DumpRun german = dump({"--results", DataFile("rtb_dynamic_both.rtb")},
                                writeProgramFolder(home, "[Universal]\r\nLanguage=German\r\n"), kCLocale);
    ASSERT_EQ(german.status, 0) << german.err.toStdString();
    const ResultLines g = resultLines(german.out);
    const bool firstCw = dumpedValue(german.out, "RunDirection(1)").toInt() < 0;
    EXPECT_EQ(g["LblRound(0)"], firstCw ? "1.UZS" : "1.GUZS");
    EXPECT_EQ(g["LblRound(1)"], firstCw ? "2.GUZS" : "2.UZS");
    EXPECT_EQ(g["lblType(0)"], "Alle");
    EXPECT_EQ(g["lblType(2)"], "Umkehr&spiel");
    EXPECT_EQ(g["frmType(5)"], "Rundheit nach ISO 230-4");
    EXPECT_EQ(g["frmType(13)"], " Die wichtigsten Fehlerquellen");
    EXPECT_EQ(g["frmType(8)"], "Servo Response");
    EXPECT_EQ(dumpedValue(german.out, "InfluenceName(0)"), "\"Umkehrspiel x+\"");
    // Numbers and units are those of the English run.
    const DumpRun english = dump({"--results", DataFile("rtb_dynamic_both.rtb")}, {}, kCLocale);
    const ResultLines e = resultLines(english.out);
    EXPECT_EQ(g.keys, e.keys);
    EXPECT_EQ(e["LblRound(0)"], firstCw ? "1.CW" : "1.CCW");
    EXPECT_EQ(g["LblCirV(0)"], e["LblCirV(0)"]);
    EXPECT_EQ(g["lblSqUnit(0)"], e["lblSqUnit(0)"]);

    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_TRUE(db.readAll() == before) << "the program folder's Lang.db changed";
    db.close();
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList({"Lang.db", "Sarvotex.ini"}));

    // Without a language database of its own the dump takes the shipped texts, and makes none.
    QTemporaryDir bare;
    const DumpRun shipped = dump({"--results", DataFile("rtb_dynamic_both.rtb")},
                                 writeProgramFolder(bare, "[Universal]\r\nLanguage=German\r\n"), kCLocale);
    ASSERT_EQ(shipped.status, 0) << shipped.err.toStdString();
    EXPECT_EQ(resultLines(shipped.out)["lblType(2)"], "Umkehr&spiel");
    EXPECT_EQ(QDir(bare.path()).entryList(QDir::Files), QStringList{"Sarvotex.ini"});
}

// ---- --graph: the graph windows' pictures, offscreen

struct GraphPicture {
    int status = -1;
    QString err;
    QImage image;
    bool written = false;
};

GraphPicture graphPicture(const QString& kind, const QString& sample, const QString& programHome = {})
{
    QTemporaryDir dir;
    const QString out = dir.filePath("graph.png");
    const DumpRun run = dump({"--graph", kind, out, DataFile(sample)}, programHome);
    GraphPicture p;
    p.status = run.status;
    p.err = run.err;
    p.written = QFileInfo::exists(out);
    p.image = QImage(out).convertToFormat(QImage::Format_RGB32);
    return p;
}

constexpr QRgb kPureRed = 0xffff0000;
constexpr QRgb kPureBlue = 0xff0000ff;
constexpr QRgb kZoneGreen = 0xff008000;
constexpr QRgb kNominalGrey = 0xffc0c0c0;

bool IsTrace(QRgb pixel)
{
    return pixel == kPureRed || pixel == kPureBlue;
}

int Count(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    }
    return n;
}

// The analysed case as the dump prints it: the largest deviation of the runs and of the model
// traces within the arc (mm), and the angle between points.
struct Deviations {
    double largest = 0;
    double angleStep = 0;
};

Deviations deviationsOf(const QString& sample)
{
    const DumpRun run = dump({DataFile(sample)});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    Deviations d;
    const int start = dumpedValue(run.out, "StartAngle").toInt();
    const int stop = dumpedValue(run.out, "StopAngle").toInt();
    d.angleStep = dumpedValue(run.out, "AngleStep").toDouble();
    static const QRegularExpression value(QStringLiteral("^(Readings|AnalysisCurve)\\((\\d+),(-?\\d+)\\) = (.*)$"));
    for (const QString& text : run.out.split('\n')) {
        const auto m = value.match(text);
        if (!m.hasMatch())
            continue;
        const int degree = m.captured(3).toInt();
        if (m.captured(1) == "AnalysisCurve" && (degree < start || degree > stop))
            continue;
        d.largest = std::max(d.largest, std::abs(m.captured(4).toDouble()));
    }
    return d;
}

// Every graph kind of both samples: an 800 x 800 picture with both directions' traces (pure blue
// and red) only where the graph puts them, the minimum-zone circles only on the mzc picture and
// drawn over the polar one, and the combined picture the runs with the model traces over them.
// At the settings' 10 µm per division a polar graph has k = 800 / 0.105 = 7619 pixels per mm
// and its nominal circle a radius of 228.57 pixels; the linear graph 800 / 0.07 pixels per mm up
// and the arc between 5 % margins, x from 36.4 to 763.6.
TEST(DumpTest, GraphPicturesOfEveryKindShowTheTracesWhereTheyBelong)
{
    for (const char* sample : {"rtb_dynamic_both.rtb", "rtb_static.rtb"}) {
        SCOPED_TRACE(sample);
        const Deviations dev = deviationsOf(sample);
        ASSERT_GT(dev.largest, 0);
        ASSERT_LT(dev.largest, 0.03); // within the graph: no rescale
        ASSERT_GT(dev.angleStep, 0);

        std::map<QString, QImage> pictures;
        for (const char* kind : {"polar", "linear", "mzc", "combined", "analysis"}) {
            const GraphPicture p = graphPicture(kind, sample);
            ASSERT_EQ(p.status, 0) << kind << p.err.toStdString();
            ASSERT_EQ(p.image.size(), QSize(800, 800)) << kind;
            EXPECT_GT(Count(p.image, kPureRed), 50) << kind;
            EXPECT_GT(Count(p.image, kPureBlue), 50) << kind;
            EXPECT_EQ(Count(p.image, kZoneGreen) > 0, QLatin1String(kind) == "mzc") << kind;
            // The nominal circle's rim is some 1400 pixels long; text edges give a few greys too.
            EXPECT_EQ(Count(p.image, kNominalGrey) > 700, QLatin1String(kind) != "linear") << kind;
            pictures[kind] = p.image;
        }

        // Polar: about the nominal circle, no further out than the largest deviation, no further
        // in than the chord between two points at the least radius sags.
        const double k = 800 / 0.105;
        const double outer = 228.571 + dev.largest * k + 3;
        const double inner = (228.571 - dev.largest * k) * std::cos(dev.angleStep / 2 * M_PI / 180) - 3;
        for (const char* kind : {"polar", "mzc", "combined", "analysis"}) {
            const QImage& image = pictures[kind];
            int stray = 0;
            for (int y = 0; y < 800; ++y) {
                for (int x = 0; x < 800; ++x) {
                    const double r = std::hypot(x - 400, y - 400);
                    stray += IsTrace(image.pixel(x, y)) && (r > outer || r < inner) ? 1 : 0;
                }
            }
            EXPECT_EQ(stray, 0) << kind;
        }
        // Linear: about the zero line within the arc.
        {
            const QImage& image = pictures["linear"];
            const double band = dev.largest * 800 / 0.07 + 3;
            int stray = 0;
            for (int y = 0; y < 800; ++y) {
                for (int x = 0; x < 800; ++x)
                    stray += IsTrace(image.pixel(x, y)) && (std::abs(y - 400) > band || x < 33 || x > 767) ? 1 : 0;
            }
            EXPECT_EQ(stray, 0);
        }

        // The circles over the polar graph change nothing else; the model traces go over the runs;
        // the analysis picture is the combined one without the runs.
        const QImage& polar = pictures["polar"];
        const QImage& mzc = pictures["mzc"];
        const QImage& combined = pictures["combined"];
        const QImage& analysis = pictures["analysis"];
        int changed = 0;
        int runsLost = 0;
        int modelLost = 0;
        for (int y = 0; y < 800; ++y) {
            for (int x = 0; x < 800; ++x) {
                changed += mzc.pixel(x, y) != kZoneGreen && mzc.pixel(x, y) != polar.pixel(x, y) ? 1 : 0;
                runsLost += IsTrace(polar.pixel(x, y)) && !IsTrace(combined.pixel(x, y)) ? 1 : 0;
                modelLost += IsTrace(analysis.pixel(x, y)) && analysis.pixel(x, y) != combined.pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(changed, 0);
        EXPECT_EQ(runsLost, 0);
        EXPECT_EQ(modelLost, 0);
        EXPECT_GT(Count(combined, kPureRed) + Count(combined, kPureBlue), Count(polar, kPureRed) + Count(polar, kPureBlue));
        EXPECT_NE(analysis, polar);
    }
}

// The graph scale is the program folder's "Grid": 5 µm per division spreads the traces away
// from the nominal circle; a scale that cannot be drawn with is 10, as a fresh folder has it.
TEST(DumpTest, GraphPicturesUseTheProgramFoldersGraphScale)
{
    const GraphPicture fresh = graphPicture("polar", "rtb_dynamic_both.rtb");
    ASSERT_EQ(fresh.status, 0) << fresh.err.toStdString();
    const auto spread = [](const QImage& image) {
        double most = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (IsTrace(image.pixel(x, y)))
                    most = std::max(most, std::abs(std::hypot(x - 400, y - 400) - 228.571));
            }
        }
        return most;
    };
    QTemporaryDir fine;
    const GraphPicture finer = graphPicture("polar", "rtb_dynamic_both.rtb", writeProgramFolder(fine, "[Graph]\r\nGrid=5\r\n"));
    ASSERT_EQ(finer.status, 0) << finer.err.toStdString();
    EXPECT_GT(spread(finer.image), 1.5 * spread(fresh.image));
    for (const QByteArray& grid : {QByteArray("0"), QByteArray("-3")}) {
        QTemporaryDir home;
        const GraphPicture p = graphPicture("polar", "rtb_dynamic_both.rtb", writeProgramFolder(home, "[Graph]\r\nGrid=" + grid + "\r\n"));
        ASSERT_EQ(p.status, 0) << p.err.toStdString();
        EXPECT_EQ(p.image, fresh.image) << grid.constData();
    }
}

TEST(DumpTest, AnUnknownGraphKindEndsWithStatusTwoAndWritesNothing)
{
    EXPECT_EQ(graphPicture("spiral", "rtb_static.rtb").status, 2);
    EXPECT_FALSE(graphPicture("spiral", "rtb_static.rtb").written);
    EXPECT_EQ(graphPicture("", "rtb_static.rtb").status, 2);
    EXPECT_EQ(dump({"--graph", "polar"}).status, 2);
    // A file that cannot be read has no picture.
    const GraphPicture missing = graphPicture("polar", "no_such_file.rtb");
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.written);
}

// "name = value" lines of a dump.
std::map<QString, QString> DumpFields(const QString& out)
{
    std::map<QString, QString> fields;
    for (const QString& line : out.split(u'\n')) {
        const qsizetype at = line.indexOf(QStringLiteral(" = "));
        if (at > 0)
            fields[line.left(at)] = line.mid(at + 3);
    }
    return fields;
}

// The names whose values differ between two dumps (also those only one of them prints).
QStringList DifferingFields(const QString& a, const QString& b)
{
    const std::map<QString, QString> fa = DumpFields(a), fb = DumpFields(b);
    QStringList names;
    for (const auto& [name, value] : fa) {
        const auto other = fb.find(name);
        if (other == fb.end() || other->second != value)
            names << name;
    }
    for (const auto& [name, value] : fb) {
        if (!fa.count(name))
            names << name;
    }
    return names;
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(path);
    return f.readAll();
}

QString ExampleFile(const QString& name)
{
    return QFileInfo(QStringLiteral(SARVOTEX_TEST_DATA "/../../data/examples/") + name).absoluteFilePath();
}

// --write saves as "Save case to file" does: an .rtb case written as .brv prints the same case
// and results when read back, but for the header texts the own file writes in its normal form;
// a .brv case written as .rtb keeps everything that format can hold.
TEST(DumpTest, AFileWrittenInTheOtherFormatReadsBackAsTheSameCase)
{
    QTemporaryDir dir;
    const QStringList normalised = {"HdrFilename", "HdrOrigX", "HdrOrigY", "HdrOrigZ", "HdrGaugeExp", "HdrMachineExp"};
    const QStringList rtbCases = {DataFile("rtb_dynamic_both.rtb"), DataFile("rtb_static.rtb"),
                                  ExampleFile("01_dynamic_xy_both_directions.rtb"), ExampleFile("02_static_xy.rtb")};
    for (const QString& source : rtbCases) {
        const QString brv = dir.filePath("case.brv");
        ASSERT_EQ(dump({"--write", brv, source}).status, 0) << qPrintable(source);
        const DumpRun original = dump({source});
        const DumpRun back = dump({brv});
        ASSERT_EQ(back.status, 0) << back.err.toStdString();
        EXPECT_GT(DumpFields(back.out).count("Readings(1,0)"), 0u);
        for (const QString& name : DifferingFields(original.out, back.out))
            EXPECT_TRUE(normalised.contains(name)) << qPrintable(source) << ": " << qPrintable(name);

        // Once its header texts are in their normal form, a file written again from the file it
        // wrote comes out byte for byte the same up to the results.
        const QString again = dir.filePath("again.brv"), third = dir.filePath("third.brv");
        ASSERT_EQ(dump({"--write", again, brv}).status, 0);
        ASSERT_EQ(dump({"--write", third, again}).status, 0);
        auto runs = [](const QByteArray& bytes) { return bytes.left(bytes.indexOf("<ANALYSIS>")); };
        EXPECT_EQ(runs(ReadFileBytes(third)), runs(ReadFileBytes(again))) << qPrintable(source);
        EXPECT_TRUE(runs(ReadFileBytes(third)).contains("</RUN_RESULT>"));
    }

    // The other way: what .rtb has no place for is lost, the date keeps its minute.
    const QStringList lost = {"HdrFilename",   "HdrDate",       "TestDate",       "HdrCustomer",
                              "HdrName",       "HdrComment",    "HdrOrigX",       "HdrOrigY",
                              "HdrOrigZ",      "HdrGaugeExp",   "HdrMachineExp",  "HdrEquipmentManufacturer",
                              "HdrEquipmentModel", "RunFeedrate(1)", "RunFeedrate(2)", "MeasuredFeedrateAverage"};
    const QString rtb = dir.filePath("case.rtb");
    ASSERT_EQ(dump({"--no-analysis", "--write", rtb, DataFile("brv_sample.brv")}).status, 0);
    const DumpRun original = dump({DataFile("brv_sample.brv")});
    const DumpRun back = dump({rtb});
    ASSERT_EQ(back.status, 0) << back.err.toStdString();
    for (const QString& name : DifferingFields(original.out, back.out))
        EXPECT_TRUE(lost.contains(name)) << qPrintable(name);
    EXPECT_EQ(DumpFields(back.out).at("HdrDate").left(16), DumpFields(original.out).at("HdrDate").left(16));

    // An extension the writers do not know writes nothing.
    EXPECT_EQ(dump({"--write", dir.filePath("case.txt"), DataFile("rtb_static.rtb")}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("case.txt")));
}

// One clockwise run of 8 points over 310 degrees cannot be fitted, yet its circles and ISO values
// stand: its .brv holds them as the dump prints them and reads back with them.
TEST(DumpTest, TheBrvOfACaseWhoseFitFailedHoldsItsCircleAndIsoValues)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("cw.rtb"), brv = dir.filePath("cw.brv");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(MakeRtb({{"Data End", "310.00000"}},
                       {{-1, {"0.01000", "0.03000", "-0.02000", "0.04000", "0.00000", "-0.03000", "0.02000", "0.05000"}}}));
    file.close();
    const DumpRun printed = dump({source});
    ASSERT_EQ(dump({"--write", brv, source}).status, 0);
    const auto fields = DumpFields(printed.out);
    ASSERT_EQ(fields.at("ResultsValid"), "false");
    const QString text = QString::fromUtf8(ReadFileBytes(brv));
    const std::pair<const char*, const char*> rows[] = {{"CIRCULARITY_LSC", "LscResult.Circularity"},
                                                        {"BEST_RADIUS_LSC", "LscResult.Radius"},
                                                        {"CENTER_CIRCULARITY_MZC", "MzcResult.Circularity"},
                                                        {"ISO_G_CW", "IsoG(1)"},
                                                        {"ISO_Gb", "IsoGb"}};
    for (const auto& [element, field] : rows) {
        ASSERT_GT(fields.at(field).toDouble(), 0) << field;
        EXPECT_TRUE(text.contains(QString("<%1>%2</%1>").arg(element, QString::number(fields.at(field).toDouble(), 'f', 4))))
            << element;
    }
    EXPECT_FALSE(text.contains("SQUARENESS")); // the fit left nothing that stands
    const auto back = DumpFields(dump({brv}).out);
    for (const auto& [element, field] : rows)
        EXPECT_EQ(back.at(field), fields.at(field)) << field;
}

// Thinned by "Maximum points", a case has the count and rate of the points it holds, read as
// written to either file and read back.
TEST(DumpTest, AThinnedCaseHasOneCountAndRateReadAndAfterEitherFile)
{
    QTemporaryDir home;
    writeProgramFolder(home, "[Others]\r\nMaximum points=5\r\n");
    const QString source = home.filePath("twelve.rtb");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(MakeRtb({}, {{1, RampValues(12)}, {-1, RampValues(12)}}));
    file.close();
    const QString brv = home.filePath("case.brv"), rtb = home.filePath("case.rtb");
    ASSERT_EQ(dump({"--no-analysis", "--write", brv, source}, home.path()).status, 0);
    ASSERT_EQ(dump({"--no-analysis", "--write", rtb, source}, home.path()).status, 0);
    for (const QString& read : {source, rtb, brv}) {
        const auto fields = DumpFields(dump({"--no-analysis", read}, home.path()).out);
        // 4 points (of 3 samples each) over 942.48 mm at 1000 mm/min.
        EXPECT_EQ((QStringList{fields.at("HdrMaxTargets"), fields.at("HdrSampling"), fields.at("MaxTargets"),
                               fields.at("AngleStep")}),
                  (QStringList{"\"4\"", "\"0.0707\"", "4", "90"}))
            << qPrintable(read);
    }
}

// Two stored cases without results, written with plain statements: --load-db prints the one named
// (last: the newer), and a case that is not stored ends with its report and status 1.
TEST(DumpTest, AStoredCaseLoadsFromTheProgramFoldersDatabase)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString file = home.filePath(QString::fromLatin1(casedb::kCaseDbFileName));
    {
        casedb::CaseStore store(QStringLiteral("dump-test"));
        store.open(file);
        QSqlQuery q(store.database());
        for (const char* session : {"Older", "Newer"}) {
            ASSERT_TRUE(q.prepare("INSERT INTO \"Measure\" (\"Name\", \"Date\", \"Radius\", \"Length\", \"Plane\", \"Stat/Dyn\", "
                                  "\"MaxTargets\", \"CentreOffV\", \"CentreOffH\", \"Circularity\", \"CircMax\", \"CircMaxPoint\", "
                                  "\"CircMin\", \"CircMinPoint\", \"LSCRadius\", \"MZClarity\", \"MZCMax\", \"MZCMaxPoint\", \"MZCMin\", "
                                  "\"MZCMinPoint\", \"MZCCentreOffH\", \"MZCCentreOffV\", \"MZCRadius\", \"DimCount\") "
                                  "VALUES (?, '2004-03-07 09:05:03', 75, 150, 'xy', 'Static', 8, 0, 0, 0, 0, 0, 0, 0, 75, 0, 0, 0, 0, 0, 0, 0, 75, 1)"));
            q.addBindValue(QString::fromLatin1(session));
            ASSERT_TRUE(q.exec());
            const QVariant id = q.lastInsertId();
            ASSERT_TRUE(q.prepare("INSERT INTO \"Direction\" (\"Meas_ID\", \"Dim\", \"Direction\", \"MeasuredTargets\", \"GaugeTemp\", \"MacTemp\") "
                                  "VALUES (?, 1, 1, 2, 20.5, 21.5)"));
            q.addBindValue(id);
            ASSERT_TRUE(q.exec());
            for (double reading : {0.001, 0.002}) {
                ASSERT_TRUE(q.prepare("INSERT INTO \"Targets\" (\"Meas_ID\", \"Dim\", \"Meas\") VALUES (?, 1, ?)"));
                q.addBindValue(id);
                q.addBindValue(reading);
                ASSERT_TRUE(q.exec());
            }
        }
        q.finish();
        store.close();
    }
    const DumpRun last = dump({"--load-db", "last"}, home.path());
    ASSERT_EQ(last.status, 0) << last.err.toStdString();
    EXPECT_TRUE(last.out.contains("HdrName = \"Newer\"\n")) << last.out.toStdString();
    EXPECT_TRUE(last.out.contains("HdrLength = \"150.000\"\n"));
    EXPECT_TRUE(last.out.contains("RunTargets(1) = 2\n"));
    EXPECT_TRUE(last.out.contains("MachineTemp(1) = 21.5\n"));
    const DumpRun first = dump({"--load-db", "1"}, home.path());
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains("HdrName = \"Older\"\n"));
    const DumpRun missing = dump({"--load-db", "3"}, home.path());
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("Reading measuring")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(dump({"--load-db", "first"}, home.path()).status, 2);
}

} // namespace
} // namespace sarvo::test

namespace sarvo::test {
namespace {


// Two printed values agree when equal, or as numbers to the single precision the database
// stores readings and lengths in.
bool SameStoredValue(QString a, QString b)
{
    if (a == b)
        return true;
    a.remove(u'"');
    b.remove(u'"');
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    return okA && okB && std::abs(x - y) <= 2e-6 * std::max(1.0, std::abs(x));
}

} // namespace

TEST(DumpTest, ACaseSavedAndLoadedBackPrintsTheSameStoredValues)
{
    QTemporaryDir home;
    // What the database does not store: the extremes' run and point, the model traces and the
    // spectrum (computed again on load), the ranking, the overshoot; the session is the one given.
    const QRegularExpression notStored(QStringLiteral(
        R"(^(AnalysisCurve|AnalysisStep|Spectrum|Influence|(Lsc|Mzc)Result\.(Max|Min)(Run|Point)$|OvershootAngle$|HdrName$))"));
    for (const char* sample : {"rtb_dynamic_both.rtb", "rtb_static.rtb"}) {
        SCOPED_TRACE(sample);
        const DumpRun saved = dump({"--save-db", "Round trip", DataFile(sample)}, home.path());
        ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
        const DumpRun read = dump({DataFile(sample)}, home.path());
        const DumpRun loaded = dump({"--load-db", "last"}, home.path());
        ASSERT_EQ(loaded.status, 0) << loaded.err.toStdString();
        const auto before = DumpFields(read.out), after = DumpFields(loaded.out);
        ASSERT_GT(before.size(), 100u);
        EXPECT_EQ(after.at("HdrName"), "\"Round trip\"");
        int compared = 0;
        for (const auto& [name, value] : before) {
            if (notStored.match(name).hasMatch())
                continue;
            ++compared;
            const auto it = after.find(name);
            ASSERT_NE(it, after.end()) << name.toStdString();
            EXPECT_TRUE(SameStoredValue(value, it->second))
                << name.toStdString() << ": " << value.toStdString() << " read, " << it->second.toStdString() << " loaded";
        }
        EXPECT_GT(compared, 100);
    }
}

// A .dbb feedrate written with an exponent is the number its sampling rate was computed from,
// wherever the case goes: shown, written to .brv and .rtb, stored and loaded.
TEST(DumpTest, ADbbFeedrateWithAnExponentIsOneNumberEverywhere)
{
    QTemporaryDir home;
    const auto dbb = [&home](const char* feedrate) {
        QByteArray bytes = DataBytes("dbb_text_ccw.dbb");
        bytes.replace(":30,2000,", QByteArray(":30,").append(feedrate).append(","));
        const QString path = home.filePath(QString::fromLatin1(feedrate) + ".dbb");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    };
    const auto plain = DumpFields(dump({"--no-analysis", dbb("1500")}, home.path()).out);
    ASSERT_EQ(plain.at("HdrFeedrate"), "\"1500\"");
    const QString exponent = dbb("1.5e3");
    const QString brv = home.filePath("case.brv"), rtb = home.filePath("case.rtb");
    ASSERT_EQ(dump({"--write", brv, exponent}, home.path()).status, 0);
    ASSERT_EQ(dump({"--write", rtb, exponent}, home.path()).status, 0);
    ASSERT_EQ(dump({"--save-db", "Exponent", exponent}, home.path()).status, 0);
    for (const QStringList& args : {QStringList{"--no-analysis", exponent}, QStringList{"--no-analysis", brv},
                                    QStringList{"--no-analysis", rtb}, QStringList{"--load-db", "last"}}) {
        const DumpRun run = dump(args, home.path());
        ASSERT_EQ(run.status, 0) << qPrintable(args.last()) << run.err.toStdString();
        const auto fields = DumpFields(run.out);
        EXPECT_EQ(fields.at("HdrFeedrate"), "\"1500\"") << qPrintable(args.last());
        EXPECT_TRUE(SameStoredValue(fields.at("HdrSampling"), plain.at("HdrSampling")))
            << qPrintable(args.last()) << ": " << fields.at("HdrSampling").toStdString();
    }
}

// Every number field of every format reads as written, with its exponent after E, e, D or d; text
// or a cut value where a number belongs is refused with a message that names the field or run.
TEST(DumpTest, HeaderNumbersReadAsWrittenOrAreRefusedByName)
{
    QTemporaryDir dir;
    struct Row {
        const char* sample;
        const char* from;
        const char* to;
        const char* field; // the dump line read, or with status 1 a text of the message
        const char* value;
    };
    const Row rows[] = {
        {"rtb_dynamic_both.rtb", "Radius: 100.00000", "Radius: 1.505e2", "TestRadius", "150.5"},
        {"rtb_dynamic_both.rtb", "Radius: 100.00000", "Radius: 1.505D2", "TestRadius", "150.5"},
        {"rtb_dynamic_both.rtb", "Radius: 100.00000", "Radius: 1.505d2", "TestRadius", "150.5"},
        {"rtb_dynamic_both.rtb", "Radius: 100.00000", "Radius: 1.505E2", "TestRadius", "150.5"},
        {"rtb_dynamic_both.rtb", "Feedrate: 1000.00000", "Feedrate: 1.5e3", "HdrFeedrate", "\"1500\""},
        // 12 points over 628.32 mm at 25 mm/s.
        {"rtb_dynamic_both.rtb", "Feedrate: 1000.00000", "Feedrate: 1.5e3", "HdrSampling", "\"0.4775\""},
        {"rtb_dynamic_both.rtb", "Gauge Temperature: 20.75000", "Gauge Temperature: 2.25e1", "GaugeTemp(2)", "22.5"},
        {"rtb_dynamic_both.rtb", "Gauge Temperature: 20.75000", "Gauge Temperature: ", "GaugeTemp(2)", "20"},
        {"rtb_dynamic_both.rtb", "Gauge Temperature: 20.75000", "Gauge Temperature: abc", nullptr, "\"Gauge Temperature\""},
        {"rtb_dynamic_both.rtb", "Radius: 100.00000", "Radius: 150,5", nullptr, "\"Radius\""},
        {"rtb_dynamic_both.rtb", "Gauge Temperature: 20.75000", "Gauge Temperature: 20,6", nullptr, "\"Gauge Temperature\""},
        {"brv_sample.brv", "<TEST_RADIUS>100<", "<TEST_RADIUS>1.50125000e+02<", "TestRadius", "150.125"},
        {"brv_sample.brv", "<TEST_RADIUS>100<", "<TEST_RADIUS>1.50125000D+02<", "TestRadius", "150.125"},
        {"brv_sample.brv", "<SAMPLE_RATE>0.6366<", "<SAMPLE_RATE>6.366e-1<", "HdrSampling", "\"0.6366\""},
        {"brv_sample.brv", "<GAUGE_TEMPERATURE>20.1<", "<GAUGE_TEMPERATURE>2.05d1<", "GaugeTemp(1)", "20.5"},
        {"brv_sample.brv", "<GAUGE_TEMPERATURE>20.1<", "<GAUGE_TEMPERATURE>warm<", nullptr, "\"GAUGE_TEMPERATURE\""},
        {"dbb_text_ccw.dbb", "0,360,150,", "0,360,1.505D2,", "TestRadius", "150.5"},
        {"dbb_text_ccw.dbb", "150.0012\t", "1.500012D+02\t", "Readings(1,0)", "0.0012000000000114142"},
        {"dbb_text_ccw.dbb", "150.0025\t0.5", "150,0025\t0,5", nullptr, "run 1"},
    };
    for (const Row& row : rows) {
        QByteArray bytes = DataBytes(row.sample);
        ASSERT_TRUE(bytes.contains(row.from)) << row.from;
        bytes.replace(row.from, row.to);
        const QString path = dir.filePath(QString::fromLatin1(row.sample));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        const DumpRun run = dump({"--no-analysis", path});
        if (row.field) {
            ASSERT_EQ(run.status, 0) << row.to << run.err.toStdString();
            EXPECT_EQ(DumpFields(run.out)[row.field], row.value) << row.to;
        } else {
            EXPECT_EQ(run.status, 1) << row.to;
            EXPECT_TRUE(run.err.contains(row.value)) << row.to << ": " << run.err.toStdString();
        }
    }
}

// The batch view: three lines a file in the order given, the counts, status 1 when one failed;
// what it stores is what the database then lists.
TEST(DumpTest, TheBatchViewPrintsEachFilesOutcome)
{
    QTemporaryDir home;
    const QString missing = QDir(home.path()).filePath("missing.rtb");
    const DumpRun run = dump({"--batch", "Nacht; 'Süd'", DataFile("rtb_static.rtb"), missing,
                              DataFile("rtb_dynamic_both.rtb")},
                             home.path());
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11) << run.out.toStdString();
    EXPECT_EQ(lines[0], "Batch(1).File = \"$DATA/rtb_static.rtb\""); // the test data folder as the dump runs show it
    EXPECT_EQ(lines[1], "Batch(1).Outcome = stored");
    EXPECT_EQ(lines[2], "Batch(1).Message = \"\"");
    EXPECT_EQ(lines[4], "Batch(2).Outcome = failed");
    EXPECT_TRUE(lines[5].startsWith("Batch(2).Message = \"Reading header4: ")) << lines[5].toStdString();
    EXPECT_EQ(lines[7], "Batch(3).Outcome = stored");
    EXPECT_EQ(lines[9], "Batch.Stored = 2");
    EXPECT_EQ(lines[10], "Batch.Failed = 1");

    const DumpRun loaded = dump({"--load-db", "last"}, home.path());
    EXPECT_TRUE(loaded.out.contains("HdrName = \"Nacht; 'Süd'\"")) << loaded.err.toStdString();
    EXPECT_TRUE(loaded.out.contains("HdrFilename = \"$DATA/rtb_dynamic_both.rtb\""));
    EXPECT_EQ(dump({"--batch", "Nacht; 'Süd'", DataFile("rtb_static.rtb")}, home.path()).status, 0);
}

// A file without a plane refuses the save as the batch window does: nothing is stored.
TEST(DumpTest, TheBatchViewRefusesAFileWithoutAPlaneAndStoresNothing)
{
    QTemporaryDir home;
    const QString noPlane = QDir(home.path()).filePath("noplane.rtb");
    QFile out(noPlane);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ReadFileBytes(DataFile("rtb_static.rtb")).replace("Plane: XZ", "Plane: "));
    out.close();
    const DumpRun run = dump({"--batch", "Week 1", DataFile("rtb_dynamic_both.rtb"), noPlane}, home.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Set first plane settings, please.")) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << run.out.toStdString();
    EXPECT_EQ(lines[1], "Batch(1).Outcome = failed");
    EXPECT_EQ(lines[2], "Batch(1).Message = \"Set first plane settings, please.\"");
    EXPECT_EQ(lines[4], "Batch(2).Outcome = failed");
    EXPECT_EQ(lines[6], "Batch.Stored = 0");
    EXPECT_TRUE(dump({"--list-db"}, home.path()).out.contains("Cases = 0"));

    // Without the file the other one is stored, its unknown machine added as New adds it.
    const DumpRun alone = dump({"--batch", "Week 1", DataFile("rtb_dynamic_both.rtb")}, home.path());
    EXPECT_EQ(alone.status, 0) << alone.err.toStdString();
    EXPECT_TRUE(dump({"--list-db"}, home.path()).out.contains("Case(1).Machine = \"Mill 1\""));
}

// ---- The report as a PDF file, checked with poppler's tools as a reader of the page would.

namespace {

struct ToolRun {
    int status = -1;
    QString out;
};

// A poppler tool; its absence fails the test: tools/install-deps.sh installs poppler-utils.
ToolRun Tool(const QString& name, const QStringList& args)
{
    const QString program = QStandardPaths::findExecutable(name);
    EXPECT_FALSE(program.isEmpty()) << name.toStdString() << " is missing: run tools/install-deps.sh";
    if (program.isEmpty())
        return {};
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput())};
}

int PdfPages(const QString& pdf)
{
    const ToolRun info = Tool("pdfinfo", {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(R"(^Pages:\s+(\d+)\s*$)"),
                                                         QRegularExpression::MultilineOption)
                                          .match(info.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString PdfText(const QString& pdf)
{
    return Tool("pdftotext", {"-layout", pdf, "-"}).out;
}

// The texts appear in this order; returns the first that does not.
std::optional<QString> FirstOutOfOrder(const QString& text, const QStringList& wanted)
{
    qsizetype at = 0;
    for (const QString& w : wanted) {
        const qsizetype found = text.indexOf(w, at);
        if (found < 0)
            return w;
        at = found + w.size();
    }
    return std::nullopt;
}

// A dynamic measurement of our own: the counter-clockwise sample with a comment and a customer
// of its own, read as the second run after the clockwise binary one, so that the error model
// has both directions to fit.
QString CommentedDbb(const QTemporaryDir& dir)
{
    QByteArray bytes = DataBytes("dbb_text_ccw.dbb");
    bytes.replace("ACME Tools", "Report Customer");
    bytes.replace("left,x,", "Spindle,warm,");
    const QString path = dir.filePath("commented.dbb");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

bool NotZero(const std::map<QString, QString>& fields, const char* name)
{
    const auto it = fields.find(QStringLiteral("ErrorValues.") + QLatin1String(name));
    EXPECT_NE(it, fields.end()) << name;
    return it != fields.end() && it->second.toDouble() != 0;
}

} // namespace

TEST(DumpTest, TheReportOfADynamicCaseIsOnePdfPageWithItsTextsInOrder)
{
    QTemporaryDir dir;
    const QStringList sample = {DataFile("heid_cw.dbb"), CommentedDbb(dir)};
    const QString pdf = dir.filePath("dynamic.pdf");
    const DumpRun run = dump(QStringList{"--pdf", pdf} + sample, {}, "C.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("logo")) << run.err.toStdString();
    EXPECT_EQ(PdfPages(pdf), 1);
    const QString text = PdfText(pdf);
    EXPECT_EQ(FirstOutOfOrder(text, {"Sarvotrenk", "Version: " SARVOTEX_VERSION, "Customer:", "Report Customer",
                                     "Machine:", "Mill 3", "Feedrate:", "2000 mm/min",
                                     "Origin of Measurement:", "x:11 , y:-20 , z:300", "ISO230-4 results",
                                     "Circular Deviation G, 1.cw:", "Circular Deviation G, 2.ccw:", "Circularity LSC:", "µm", "Circularity MZC:",
                                     "Scale Error (x-y):", "Squareness Error:", "Backlash Step x", "Spindle warm",
                                     "CW", "CCW", "Scale 10 µm"}),
              std::nullopt)
        << text.toStdString();
    // The sample carries no measured feedrate: the programmed one stands alone, not over a 0.
    EXPECT_FALSE(text.contains("(Prog./Meas.)")) << text.toStdString();
    // The comment stands at the foot, on the line above the legend.
    const QStringList lines = text.trimmed().split(u'\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines.last().contains("Scale 10 µm"));
    const qsizetype comment = lines.indexOf(QRegularExpression(QStringLiteral(R"(^\s*Spindle warm\s*$)")));
    EXPECT_GT(comment, lines.size() - 6);

    // The error rows that stand are those whose terms the analysis found, no others.
    const auto fields = DumpFields(dump(sample, {}, "C.UTF-8").out);
    ASSERT_EQ(fields.at("ResultsValid"), "true");
    const std::pair<const char*, bool> rows[] = {
        {"Axis Spike x:", NotZero(fields, "SpikeH") || NotZero(fields, "SpikeV")},
        {"Cyclic Error x:", NotZero(fields, "CyclicH") || NotZero(fields, "CyclicV")},
        {"Lateral Play x:", NotZero(fields, "PlayH") || NotZero(fields, "PlayV")},
        {"Stick Slip x:", NotZero(fields, "SlipH") || NotZero(fields, "SlipV")},
        {"Straightness x:", NotZero(fields, "StraightH") || NotZero(fields, "StraightV")},
        {"Random Vibration:", NotZero(fields, "Random")},
        {"Scale Error x:", fields.at("Calibrated") == "true"},
    };
    int present = 0;
    for (const auto& [row, expected] : rows) {
        EXPECT_EQ(text.contains(QLatin1String(row)), expected) << row;
        present += expected ? 1 : 0;
    }
    EXPECT_LT(present, int(std::size(rows))) << "the sample should leave some rows out";
}

TEST(DumpTest, TheReportOfAStaticCaseHasNoFeedrateOrSamplingRate)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("static.pdf");
    const DumpRun run = dump({"--pdf", pdf, "--report", "errors", DataFile("rtb_static.rtb")}, {}, "C.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(PdfPages(pdf), 1);
    const QString text = PdfText(pdf);
    EXPECT_EQ(FirstOutOfOrder(text, {"Sarvotrenk", "Customer:", "File Name:", "rtb_static.rtb", "ISO230-4 results",
                                     "Circularity LSC:", "Backlash Step", "CW", "CCW", "Scale 10 µm"}),
              std::nullopt)
        << text.toStdString();
    EXPECT_FALSE(text.contains("(Prog./Meas.)"));
    EXPECT_FALSE(text.contains("Sampling Rate:"));
}

TEST(DumpTest, AnOnlyGraphReportHasTheCaseAndIsoDataButNoErrorRows)
{
    QTemporaryDir dir;
    for (const QStringList& sample : {QStringList{DataFile("heid_cw.dbb"), CommentedDbb(dir)}, QStringList{DataFile("rtb_static.rtb")}}) {
        SCOPED_TRACE(sample.join(' ').toStdString());
        const QString pdf = dir.filePath("graph.pdf");
        const DumpRun run = dump(QStringList{"--pdf", pdf, "--report", "graph"} + sample, {}, "C.UTF-8");
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(PdfPages(pdf), 1);
        const QString text = PdfText(pdf);
        EXPECT_EQ(FirstOutOfOrder(text, {"Sarvotrenk", "Customer:", "ISO230-4 results", "Circularity LSC:",
                                         "Circularity MZC:", "CW", "CCW", "Scale 10 µm"}),
                  std::nullopt)
            << text.toStdString();
        for (const char* absent : {"Axis Spike", "Servo Mismatch", "Backlash Step", "Scale Error", "Squareness Error"})
            EXPECT_FALSE(text.contains(QLatin1String(absent))) << absent;
    }
}

// The page as a reader sees it: the logo in the top left corner, blue and red traces in the
// graph band below the text, and nothing coloured beside the logo's corner in the text.
TEST(DumpTest, TheReportsPageImageShowsTheLogoAndBothTracesInTheGraphBand)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    ASSERT_EQ(dump({"--pdf", pdf, DataFile("rtb_dynamic_both.rtb")}, {}, "C.UTF-8").status, 0);
    ASSERT_EQ(Tool("pdftoppm", {"-r", "100", "-png", "-singlefile", pdf, dir.filePath("page")}).status, 0);
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    // A4 at 100 dots per inch: 827 x 1169.
    ASSERT_NEAR(page.width(), 827, 2);
    const auto count = [&page](const QRect& area, const std::function<bool(QRgb)>& is) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                n += is(page.pixel(x, y)) ? 1 : 0;
        }
        return n;
    };
    // The traces are hairlines: on the screen they come out as pale blue and red.
    const auto blue = [](QRgb p) { return qBlue(p) - std::max(qRed(p), qGreen(p)) > 40; };
    const auto red = [](QRgb p) { return qRed(p) - std::max(qGreen(p), qBlue(p)) > 40; };
    const auto ink = [](QRgb p) { return qGray(p) < 200; };
    // The logo: 1.5 cm from the left and 0.2 cm from the top of the printable area, which lies
    // 10 mm (39 dots) inside the paper's edges; 1.3 cm high (about 51 dots).
    EXPECT_GT(count(QRect(99, 49, 120, 52), ink), 300);
    // The graph band below the closing rule: the lower half of the page but its foot.
    const QRect band(30, page.height() / 2, page.width() - 40, page.height() / 2 - 60);
    EXPECT_GT(count(band, blue), 100);
    EXPECT_GT(count(band, red), 50);
    // The text blocks above hold black only.
    EXPECT_EQ(count(QRect(89, 114, page.width() - 134, 250), red), 0);
}

// --linear prints the linear graph's angles where the polar graph has its axis letters.
TEST(DumpTest, WithLinearTheReportHasTheLinearGraph)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("linear.pdf");
    const DumpRun run = dump({"--pdf", pdf, "--linear", DataFile("rtb_dynamic_both.rtb")}, {}, "C.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = PdfText(pdf);
    EXPECT_EQ(FirstOutOfOrder(text, {"Circularity LSC:", "90", "180", "270", "CW", "CCW"}), std::nullopt)
        << text.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression(R"(x\+(\s|$))"))) << text.toStdString();
}

TEST(DumpTest, AReportThatCannotBeWrittenLeavesNoPdfAndAWrongCallEndsWithTwo)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("no/such/folder/report.pdf");
    const DumpRun failed = dump({"--pdf", pdf, DataFile("rtb_static.rtb")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.contains("Printing")) << failed.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    const QString other = dir.filePath("other.pdf");
    EXPECT_EQ(dump({"--pdf", other, "--report", "everything", DataFile("rtb_static.rtb")}).status, 2);
    EXPECT_EQ(dump({"--pdf", other}).status, 2);
    EXPECT_EQ(dump({"--pdf", other, "--graph", "polar", dir.filePath("x.png"), DataFile("rtb_static.rtb")}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(other));
}

} // namespace sarvo::test

namespace sarvo::test {
namespace {

// A stored case of the trend: only what the trend reads beside the columns a save always fills.
void StoreTrendCase(QSqlQuery& q, const char* session, const char* machine, const char* date, const QVariant& feedrate,
                    const char* statDyn, bool calced, double circularity)
{
    ASSERT_TRUE(q.prepare("INSERT INTO \"Measure\" (\"Name\", \"Machine\", \"Date\", \"Feedrate\", \"Calced\", \"Radius\", "
                          "\"Length\", \"Plane\", \"Stat/Dyn\", \"MaxTargets\", \"CentreOffV\", \"CentreOffH\", \"Circularity\", "
                          "\"CircMax\", \"CircMaxPoint\", \"CircMin\", \"CircMinPoint\", \"LSCRadius\", \"MZClarity\", \"MZCMax\", "
                          "\"MZCMaxPoint\", \"MZCMin\", \"MZCMinPoint\", \"MZCCentreOffH\", \"MZCCentreOffV\", \"MZCRadius\", "
                          "\"DimCount\") VALUES (?, ?, ?, ?, ?, 75, 150, 'xy', ?, 8, 0, 0, ?, 0, 0, 0, 0, 75, 0, 0, 0, 0, 0, 0, "
                          "0, 75, 1)"));
    for (const QVariant& value : {QVariant(session), QVariant(machine), QVariant(date), feedrate, QVariant(calced ? 1 : 0),
                                  QVariant(statDyn), QVariant(circularity)})
        q.addBindValue(value);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
}

} // namespace

TEST(DumpTest, TheTrendPrintsItsTableAndItsChartPage)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    {
        casedb::CaseStore store(QStringLiteral("dump-test"));
        store.open(home.filePath(QString::fromLatin1(casedb::kCaseDbFileName)));
        QSqlQuery q(store.database());
        // A name with an apostrophe is a value like any other.
        StoreTrendCase(q, "Week 1", "O'Neil", "2026-03-02 08:00:00", 1000.0, "D", true, 4.25);
        StoreTrendCase(q, "Week 1", "O'Neil", "2026-03-02 09:00:00", 787.4, "D", true, 5.5);
        StoreTrendCase(q, "Week 2", "O'Neil", "2026-03-09 08:00:00", QVariant(), "S", true, 6.0);
        StoreTrendCase(q, "Week 2", "O'Neil", "2026-03-09 09:00:00", 2000.0, "D", false, 7.0);
        StoreTrendCase(q, "Week 3", "Other", "2026-03-16 08:00:00", 1000.0, "D", true, 8.0);
        StoreTrendCase(q, "Week 4", "O'Neil", "2027-01-05 08:00:00", 1000.0, "D", true, 9.0);
        q.finish();
        store.close();
    }
    QTemporaryDir out;
    const QString pdf = out.filePath("trend.pdf");
    const DumpRun run = dump({"--trend", "Circularity LSC", "xy", "O'Neil", "2026-01-01", "2026-12-31", "--pdf", pdf},
                             home.path(), "C.UTF-8");
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString date = QLocale::c().toString(QDate(2026, 3, 2), QLocale::ShortFormat);
    EXPECT_TRUE(run.out.startsWith("Trend.Column(0) = \"Session\"\nTrend.Column(1) = \"Date\"\n")) << run.out.toStdString();
    for (const QString& wanted : {QStringLiteral("Trend.Column(4) = \"Circularity LSC\"\n"),
                                  QStringLiteral("Trend.Cell(0,0) = \"Week 1\"\nTrend.Cell(0,1) = \"%1\"\n"
                                                 "Trend.Cell(0,2) = \"Dynamic\"\nTrend.Cell(0,3) = \"1000\"\n").arg(date),
                                  // A fresh folder shows whole mm/min and µm.
                                  QStringLiteral("Trend.Cell(1,3) = \"787\"\nTrend.Cell(1,4) = \"6\"\n"),
                                  QStringLiteral("Trend.Cell(2,2) = \"Static\"\nTrend.Cell(2,3) = \"\"\n"),
                                  QStringLiteral("Trend.Rows = 3\n")})
        EXPECT_TRUE(run.out.contains(wanted)) << wanted.toStdString() << "\n" << run.out.toStdString();
    EXPECT_EQ(PdfPages(pdf), 1);
    // The not analysed 2000 case still names a series; the fractional one has its own.
    EXPECT_EQ(FirstOutOfOrder(PdfText(pdf), {"Sarvotrenk", "O'Neil - xy", "787", "1000", "2000", "Static"}), std::nullopt)
        << PdfText(pdf).toStdString();

    const DumpRun byIndex = dump({"--trend", "6", "xy", ""}, home.path(), "C.UTF-8");
    ASSERT_EQ(byIndex.status, 0) << byIndex.err.toStdString();
    EXPECT_TRUE(byIndex.out.endsWith("Trend.Rows = 5\n")) << byIndex.out.toStdString();
    EXPECT_EQ(dump({"--trend", "Nothing", "xy", ""}, home.path()).status, 2);
    EXPECT_EQ(dump({"--trend", "6", "ab", ""}, home.path()).status, 2);
}

} // namespace sarvo::test
