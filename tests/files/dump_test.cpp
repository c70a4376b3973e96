// sarvotex-dump on the hand-written samples: the case as read against golden files, the results
// of the analysis chain by name, and the status of a failed read.
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

DumpRun dump(const QStringList& args)
{
    QProcess p;
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
