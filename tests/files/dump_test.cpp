// sarvotex-dump on the hand-written samples: the case as read against golden files, the results
// of the analysis chain by name, the settings of $SARVOTEX_HOME, and the status of a failed read.
#include "tests/files/files_test_util.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace sarvo::test {
namespace {

struct DumpRun {
    int status = -1;
    QString out;
    QString err;
};

// programHome: the SARVOTEX_HOME the dump sees; none by default, so that only the tests that
// mean it read settings other than a fresh program folder's.
DumpRun dump(const QStringList& args, const QString& programHome = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("SARVOTEX_HOME"));
    if (!programHome.isEmpty())
        environment.insert(QStringLiteral("SARVOTEX_HOME"), programHome);
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
        // One measurement of a binary and a text file of the same sector.
        {{"heid_bin.dbb", "dbb_text_ccw.dbb"}, "dbb_set.golden"},
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

} // namespace
} // namespace sarvo::test
