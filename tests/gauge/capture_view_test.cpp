// The windowless measurement: sarvotex-dump --capture on the gauge of the program folder's
// settings, one gauge type at a time, a gauge unplugged during the run, stray bytes in its
// stream and a run that never starts.

#include "gauge/capture.h"
#include "gauge/device.h"
#include "tests/gauge/simulator_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

// A 50 mm bar calibrated with a 0.4 mm offset, which puts the simulators' circle on the bar's
// expected reading; the dialog's and the window's remembered input: 0 to 90 degrees with 10
// degrees of overshoot at the fastest rate.
QByteArray Settings(const QString& configure, const QString& feedrate)
{
    return ("[Configure]\n" + configure + "AutoDetect=0\n[Default]\nBall Bar Length=50\nTest Radius=50\n"
            "[Calibrator]\nLength 0=50\nOffset 0=0.4\nCalibrated 0=1\n"
            "[BasicInput]\nMachine=Mill 1\nSession=S1\nBallbarLength=50\nStartPosition=0\nEndPosition=90\n"
            "AngularOvershoot=10\nFeedrate=" + feedrate + "\nSamplingRate=0\n")
        .toUtf8();
}

struct Captured {
    int exitCode = -1;
    QString output;
    QString errors;
    bool has(const QString& line) const { return output.contains(line + '\n'); }
};

// The dump on the program folder home; settings, when given, are written there first.
Captured Dump(const QTemporaryDir& home, const QStringList& args, const QByteArray& settings = {})
{
    if (!settings.isEmpty()) {
        QFile ini(home.filePath("Sarvotex.ini"));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(settings);
    }
    QProcess dump;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SARVOTEX_HOME", home.path());
    env.insert("SARVOTEX_HEID_MARK_MS", "0");
    env.insert("SARVOTEX_HEID_ARC_MS", "300 1920");
    dump.setProcessEnvironment(env);
    dump.start(SARVOTEX_DUMP, args);
    EXPECT_TRUE(dump.waitForFinished(60000));
    return {dump.exitCode(), QString::fromUtf8(dump.readAllStandardOutput()),
            QString::fromUtf8(dump.readAllStandardError())};
}

Captured Capture(const QByteArray& settings, const QStringList& options)
{
    QTemporaryDir home;
    return Dump(home, QStringList{"--capture"} + options, settings);
}

TEST(CaptureView, OwnGaugeCapturesAPairAtItsFastestRateAndAnalysesIt)
{
    // Both directions: clockwise first, 720 points each at 1440 Hz.
    Simulator own({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611"});
    const Captured run = Capture(Settings("Ball Bar Type=3\nCommunication=" + own.path() + "\n", "9425"), {});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    for (const char* line : {"RunCount = 2", "RunDirection(1) = -1", "RunDirection(2) = 1", "RunTargets(1) = 720",
                             "RunTargets(2) = 720", "HdrSampling = \"1440.0000\"", "HdrEquipmentModel = \"Brintovale\"",
                             "ResultsValid = true"})
        EXPECT_TRUE(run.has(line)) << line << "\n" << run.output.toStdString();
}

TEST(CaptureView, CounterCardCapturesAPairAndSavesIt)
{
    // 250 Hz; the saved case loads back with both runs.
    QTemporaryDir home;
    const Captured saved = Dump(home, {"--capture", "--save-db", "S1"}, Settings("Ball Bar Type=2\n", "3000"));
    EXPECT_EQ(saved.exitCode, 0) << saved.errors.toStdString();
    EXPECT_EQ(saved.output, "Saved\nMeas_ID: 1\n");
    const Captured loaded = Dump(home, {"--load-db", "last"});
    for (const char* line : {"RunCount = 2", "RunDirection(1) = -1", "RunDirection(2) = 1", "HdrSampling = \"250.000\"",
                             "HdrEquipmentModel = \"IK121\""})
        EXPECT_TRUE(loaded.has(line)) << line << "\n" << loaded.output.toStdString();
}

TEST(CaptureView, Qc10CapturesAStaticTest)
{
    // Every 45 degrees of the full circle twice: eight points in each run.
    Simulator qc10({"qc10"});
    const Captured run =
        Capture(Settings("Ball Bar Type=0\nCommunication=" + qc10.path() + "\n", "400"), {"--static", "--no-analysis"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    for (const char* line : {"RunCount = 2", "RunDirection(1) = -1", "RunTargets(1) = 8", "RunTargets(2) = 8",
                             "Dynamic = false", "HdrEquipmentModel = \"QC10\""})
        EXPECT_TRUE(run.has(line)) << line << "\n" << run.output.toStdString();
}

TEST(CaptureView, AGaugeUnpluggedDuringTheRunEndsWithItsMessage)
{
    // Resting at 0.5 mm the run never triggers before the cable is pulled.
    Simulator own({"owngauge", "--mark-ms", "0", "--hangup-ms", "1500"});
    const Captured run = Capture(Settings("Ball Bar Type=3\nCommunication=" + own.path() + "\n", "9425"), {"--cw"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.isEmpty());
    EXPECT_TRUE(run.errors.startsWith("Capturing several measurements: ")) << run.errors.toStdString();
}

TEST(CaptureView, AnUnreadableReadingOrARunThatNeverStartsEndsWithStatusOneAndNothingStored)
{
    // Stray bytes after 82 % of the arc (300 to 911 ms), where the shortened run passed the point
    // check, and after 16 %. At rest the bar never reaches the circle; the run (880 points at
    // 1440 Hz) is well under the floor of the wait, which therefore bounds it.
    const QString unreadable = QStringLiteral("The gauge sent an unreadable reading.\n");
    const QString neverStarted = QStringLiteral("The run did not start in time. (%1 s)\n").arg(kTriggerWaitFloorMs / 1000);
    const QStringList arc{"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611"};
    for (const auto& [args, error] : {std::pair{arc + QStringList{"--stray-ms", "800"}, unreadable},
                                      std::pair{arc + QStringList{"--stray-ms", "400"}, unreadable},
                                      std::pair{QStringList{"owngauge", "--mark-ms", "0"}, neverStarted}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        Simulator own(args);
        QTemporaryDir home;
        QElapsedTimer clock;
        clock.start();
        const Captured run = Dump(home, {"--capture", "--cw", "--save-db", "S1"},
                                  Settings("Ball Bar Type=3\nCommunication=" + own.path() + "\n", "9425"));
        const qint64 elapsed = clock.elapsed();
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errors, error);
        EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
        // Nothing saved: no case database was made, or it holds no case.
        if (QFile::exists(home.filePath("Sarvotex.db"))) {
            EXPECT_TRUE(Dump(home, {"--list-db"}).has("Cases = 0"));
        }
        if (error == neverStarted) { // connecting and closing take a while on a loaded machine
            EXPECT_GE(elapsed, kTriggerWaitFloorMs);
            EXPECT_LT(elapsed, kTriggerWaitFloorMs + 30000);
        }
    }
}

} // namespace
} // namespace sarvo::gauge
