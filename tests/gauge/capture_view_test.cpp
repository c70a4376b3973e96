// The windowless measurement: sarvotex-dump --capture on the gauge of the program folder's
// settings, one gauge type at a time, an arc past a full turn, and runs the gauge did not measure:
// unplugged, stray bytes in its stream, a gap in it, the end of its range, a run that never starts.

#include "gauge/capture.h"
#include "gauge/device.h"
#include "tests/gauge/simulator_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace sarvo::gauge {
namespace {

// A 50 mm bar calibrated with a 0.4 mm offset, which puts the simulators' circle on the bar's
// expected reading; the dialog's and the window's remembered input: 0 to 90 degrees with 10
// degrees of overshoot at the fastest rate (offset and arc otherwise as given).
QByteArray Settings(const QString& configure, const QString& feedrate, const QString& zeroOffset = "0.4",
                    const QString& arc = "StartPosition=0\nEndPosition=90\nSamplingRate=0\n")
{
    return ("[Configure]\n" + configure + "AutoDetect=0\n[Default]\nBall Bar Length=50\nTest Radius=50\n"
            "[Calibrator]\nLength 0=50\nOffset 0=" + zeroOffset + "\nCalibrated 0=1\n"
            "[BasicInput]\nMachine=Mill 1\nSession=S1\nBallbarLength=50\n" + arc +
            "AngularOvershoot=10\nFeedrate=" + feedrate + "\n")
        .toUtf8();
}

struct Captured {
    int exitCode = -1;
    QString output;
    QString errors;
    bool has(const QString& line) const { return output.contains(line + '\n'); }
};

// The dump on the program folder home; settings, when given, are written there first.
Captured Dump(const QTemporaryDir& home, const QStringList& args, const QByteArray& settings = {},
             const QString& counterCardArc = QStringLiteral("300 1920"))
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
    env.insert("SARVOTEX_HEID_ARC_MS", counterCardArc);
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
    Simulator own({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611", "--serial", "BV-77"});
    const Captured run = Capture(Settings("Ball Bar Type=3\nCommunication=" + own.path() + "\n", "9425"), {});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    for (const char* line : {"RunCount = 2", "RunDirection(1) = -1", "RunDirection(2) = 1", "RunTargets(1) = 720",
                             "RunTargets(2) = 720",
                             "HdrSampling = \"1440.0339\"", // its points' rate: 720 over 78.54 mm at 9425 mm/min
                             "HdrEquipmentModel = \"Brintovale\"", "HdrEquipmentSerial = \"BV-77\"", "ResultsValid = true"})
        EXPECT_TRUE(run.has(line)) << line << "\n" << run.output.toStdString();
}

TEST(CaptureView, AnOwnGaugeCaptureNamesTheGaugeAndTheSerialItReportedInItsRtb)
{
    // The settings name another bar: the case, its .rtb and that read back name the one measured.
    Simulator own({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611", "--serial", "BV-77"});
    QTemporaryDir home;
    const QString rtb = home.filePath("run.rtb");
    const Captured run = Dump(home, {"--capture", "--cw", "--no-analysis", "--write", rtb},
                              Settings("Ball Bar Type=3\nSerial Number=SN-SET\nCommunication=" + own.path() + "\n", "9425"));
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QFile file(rtb);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (const char* line : {"Serial Number: BV-77\r\n", "Manufacturer: Dorvell\r\n", "Model: Brintovale\r\n"})
        EXPECT_TRUE(bytes.contains(line)) << line;
    const Captured back = Dump(home, {"--no-analysis", rtb});
    for (const char* line : {"HdrEquipmentManufacturer = \"Dorvell\"", "HdrEquipmentModel = \"Brintovale\"",
                             "HdrEquipmentSerial = \"BV-77\""})
        EXPECT_TRUE(back.has(line)) << line << "\n" << back.output.toStdString();
}

TEST(CaptureView, CounterCardCapturesAPairAndSavesIt)
{
    // 250 Hz; the saved case loads back with both runs.
    QTemporaryDir home;
    const Captured saved = Dump(home, {"--capture", "--save-db", "S1"}, Settings("Ball Bar Type=2\n", "3000"));
    EXPECT_EQ(saved.exitCode, 0) << saved.errors.toStdString();
    EXPECT_EQ(saved.output, "Saved\nMeas_ID: 1\n");
    const Captured loaded = Dump(home, {"--load-db", "last"});
    for (const char* line : {"RunCount = 2", "RunDirection(1) = -1", "RunDirection(2) = 1", "HdrEquipmentModel = \"IK121\""})
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

TEST(CaptureView, CounterCardsCaptureAnIk110RunAndAnArcPastAFullTurn)
{
    // The IK110 polled a point every 256 ms (the last rate offered for a quarter circle at 720 mm/min)
    // over the 110 degrees of its circle; an arc entered as 90 to 0 sweeps 270 degrees.
    const struct {
        QByteArray settings; QString arc; const char* lines[5];
    } runs[] = {
        {Settings("Ball Bar Type=1\n", "720", "0.4", "StartPosition=0\nEndPosition=90\nSamplingRate=6\n"), "300 8000",
         {"HdrEquipmentModel = \"IK110\"", "RunCount = 1", "SamplingInterval = 256", "StopAngle = 90", "PointsPerRun = 26"}},
        {Settings("Ball Bar Type=2\n", "7908", "0.4", "StartPosition=90\nEndPosition=0\nSamplingRate=0\n"), "300 1920",
         {"HdrEquipmentModel = \"IK121\"", "RunCount = 1", "StartAngle = 90", "StopAngle = 360", "SweepAngle = 270"}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.lines[0]);
        QTemporaryDir home;
        const Captured captured = Dump(home, {"--capture", "--cw", "--no-analysis"}, run.settings, run.arc);
        EXPECT_EQ(captured.exitCode, 0) << captured.errors.toStdString();
        for (const char* line : run.lines)
            EXPECT_TRUE(captured.has(line)) << line << "\n" << captured.output.toStdString();
    }
}

TEST(CaptureView, AGaugeUnpluggedDuringTheRunEndsWithItsMessage)
{
    // Resting at 0.5 mm the run never triggers before the cable is pulled, a second into it.
    Simulator own({"owngauge", "--mark-ms", "0", "--hangup-in-stream", "1000"});
    const Captured run = Capture(Settings("Ball Bar Type=3\nCommunication=" + own.path() + "\n", "9425"), {"--cw"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.isEmpty());
    EXPECT_EQ(run.errors, "Capturing several measurements: Device I/O error\n");
}

struct RefusedRun {
    GaugeType gauge;
    QStringList simulator;
    QString feedrate;
    QString zeroOffset;
    QString error;
    bool staticTest = false; // three readings a point
};

QString NeverStartedMessage()
{
    return QStringLiteral("The run did not start in time. (%1 s)\n").arg(kTriggerWaitFloorMs / 1000);
}

std::vector<RefusedRun> RunsTheGaugeDidNotMeasure()
{
    const QString unreadable = QStringLiteral("The gauge sent an unreadable reading.\n");
    const QString neverStarted = NeverStartedMessage();
    const QString gap = QStringLiteral("Capturing several measurements: Readings are missing from the gauge's stream\n");
    const QString outOfRange = QStringLiteral("Capturing several measurements: The gauge is out of range\n");
    const QString tooFast = QStringLiteral(
        "Capturing several measurements: A reading of the gauge's stream moved further than the set feedrate allows\n");
    const QString moved = QStringLiteral("The gauge's reading moved while it was measured.\n");
    const QStringList arc{"--mark-ms", "0", "--arc-ms", "300", "611"};
    // Four seconds at 1440 mm/min: a gap of one second leaves the three quarters that once passed.
    const QStringList longArc{"--mark-ms", "0", "--arc-ms", "1500", "4000", "--feed-mm-min", "1440"};
    return {
        // Stray bytes after 82 % of the arc, where the shortened run passed the point check, and
        // after 16 %.
        {GaugeType::OwnGauge, arc + QStringList{"--stray-ms", "800"}, "9425", "0.4", unreadable},
        {GaugeType::OwnGauge, arc + QStringList{"--stray-ms", "400"}, "9425", "0.4", unreadable},
        // One stray byte at a raw reading of 0.02 mm: the shifted records decode to some 6 mm; at
        // 4 mm to metres; 4 µm from zero to 1 mm, a step no machine makes at this feedrate.
        {GaugeType::OwnGauge, arc + QStringList{"--offset-mm", "-0.38", "--stray-ms", "800", "--stray-bytes", "1"}, "9425",
         "0.02", unreadable},
        {GaugeType::OwnGauge, arc + QStringList{"--offset-mm", "3.6", "--stray-ms", "800", "--stray-bytes", "1"}, "9425",
         "4.0", unreadable},
        {GaugeType::OwnGauge, arc + QStringList{"--offset-mm", "-0.397", "--stray-ms", "400", "--stray-bytes", "1"}, "9425",
         "0.003", tooFast},
        // A stop of a second and one of 0.2 s in the middle of the run, and one before it starts.
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "3000", "1000"}, "1440", "0.4", gap},
        {GaugeType::Qc10, longArc + QStringList{"--gap-ms", "3000", "1000"}, "1440", "0.4", gap},
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "3000", "200"}, "1440", "0.4", gap},
        {GaugeType::Qc10, longArc + QStringList{"--gap-ms", "3000", "200"}, "1440", "0.4", gap},
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "200", "1000"}, "1440", "0.4", gap},
        // A stop of 0.1 s mid-run, and one of 0.2 s beginning 0.24 s and 0.09 s before the sweep
        // ends (at 5136 ms): the end check after the run waits for the judge.
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "3000", "100"}, "1440", "0.4", gap},
        {GaugeType::Qc10, longArc + QStringList{"--gap-ms", "3000", "100"}, "1440", "0.4", gap},
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "4900", "200"}, "1440", "0.4", gap},
        {GaugeType::Qc10, longArc + QStringList{"--gap-ms", "4900", "200"}, "1440", "0.4", gap},
        {GaugeType::OwnGauge, longArc + QStringList{"--gap-ms", "5050", "200"}, "1440", "0.4", gap},
        {GaugeType::Qc10, longArc + QStringList{"--gap-ms", "5050", "200"}, "1440", "0.4", gap},
        // The QC10 at the top end of its range for 0.1 s mid-run and late in it: no end of the run.
        {GaugeType::Qc10, longArc + QStringList{"--count-zero-ms", "3000", "100"}, "1440", "0.4", outOfRange},
        {GaugeType::Qc10, longArc + QStringList{"--count-zero-ms", "5000", "100"}, "1440", "0.4", outOfRange},
        // A bar zeroed near its nominal length (resting at 1.0004 mm, its circle 2 µm from zero rising
        // 10 µm, fed in at the feedrate): a stray byte and a lost one 3 records later mid-run, and 1
        // record later near the run's end, shift only the records between them, which read 1.4 mm
        // and 2.9 mm: a step no machine makes at this feedrate or at all, not the run's end.
        {GaugeType::OwnGauge, arc + QStringList{"--rest-mm", "1.3984", "--offset-mm", "-0.398", "--feed-mm-min", "9425",
                                                "--stray-ms", "500", "--stray-bytes", "1", "--lose-ms", "502"},
         "9425", "0.002", tooFast},
        {GaugeType::OwnGauge, arc + QStringList{"--rest-mm", "1.3984", "--offset-mm", "-0.398", "--feed-mm-min", "9425",
                                                "--stray-ms", "880", "--stray-bytes", "1", "--lose-ms", "881.2"},
         "9425", "0.002", unreadable},
        // A still circle 0.3 µm from zero, its rest 0.1 mm above it: one record shifted near the run's
        // end reads 77 µm, a step this feedrate allows, above the run's end level; the bar back on
        // the circle after it shows it was no end.
        {GaugeType::OwnGauge, arc + QStringList{"--offset-mm", "-0.3997", "--arc-rise-mm", "0", "--stray-ms", "880",
                                                "--stray-bytes", "1", "--lose-ms", "880.8"},
         "9425", "0.0003", unreadable},
        // The QC10 losing a byte mid-run: every later reading would come 4 ms early.
        {GaugeType::Qc10, arc + QStringList{"--lose-ms", "500"}, "9425", "0.4", unreadable},
        // Still static readings losing a byte 60 ms into every stream: at 78.4 µm and 4.8 µm, multiples
        // of 16 (0.1 µm), whose later records read 1/256 of them and hold still; and at 2 µm with a
        // stray byte one record before.
        {GaugeType::OwnGauge, {"--mark-ms", "0", "--rest-mm", "0.0784", "--lose-ms", "60"}, "400", "0.4", moved, true},
        {GaugeType::OwnGauge, {"--mark-ms", "0", "--rest-mm", "0.0048", "--lose-ms", "60"}, "400", "0.4", moved, true},
        {GaugeType::OwnGauge, {"--mark-ms", "0", "--rest-mm", "0.002", "--stray-ms", "60", "--stray-bytes", "1", "--lose-ms",
                               "60.5"}, "400", "0.4", moved, true},
        // A still static reading of 4.0 µm (0.1 µm more each reading) with a stray byte 60 ms into
        // the 8th reading's stream: its shifted records read 1 mm and never move.
        {GaugeType::OwnGauge, {"--mark-ms", "0", "--step-mm", "0.0001", "--offset-mm", "-0.496", "--stray-ms", "60",
                               "--stray-bytes", "1", "--stray-on-stream", "8"}, "400", "0.4", unreadable, true},
        // The QC10's circle starts 9.1 µm below the end of its range and rises past it.
        {GaugeType::Qc10, arc + QStringList{"--offset-mm", "-1.4095"}, "9425", "-1.0045", outOfRange},
        // At rest the bar never reaches the circle; the run (880 points at 1440 Hz) is well under
        // the floor of the wait, which therefore bounds it.
        {GaugeType::OwnGauge, {"--mark-ms", "0"}, "9425", "0.4", neverStarted},
    };
}

// One run each, so that they run side by side.
class RunNotMeasured : public testing::TestWithParam<int> {};

TEST_P(RunNotMeasured, EndsWithOneMessageAndNothingStored)
{
    const RefusedRun fault = RunsTheGaugeDidNotMeasure()[std::size_t(GetParam())];
    {
        SCOPED_TRACE(QString(fault.simulator.join(u' ') + u' ' + fault.error).toStdString());
        Simulator sim(QStringList{fault.gauge == GaugeType::Qc10 ? "qc10" : "owngauge"} + fault.simulator);
        QTemporaryDir home;
        QElapsedTimer clock;
        clock.start();
        const QString configure = QStringLiteral("Ball Bar Type=%1\nCommunication=%2\n").arg(int(fault.gauge)).arg(sim.path()) +
                                  (fault.staticTest ? "Static Measurements=3\n" : "");
        const Captured run = Dump(home, QStringList{"--capture", "--cw", "--save-db", "S1"} + (fault.staticTest ? QStringList{"--static"} : QStringList{}),
                                  Settings(configure, fault.feedrate, fault.zeroOffset));
        const qint64 elapsed = clock.elapsed();
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.errors, fault.error);
        EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
        // Nothing saved: no case database was made, or it holds no case.
        if (QFile::exists(home.filePath("Sarvotex.db"))) {
            EXPECT_TRUE(Dump(home, {"--list-db"}).has("Cases = 0"));
        }
        if (fault.error == NeverStartedMessage()) { // connecting and closing take a while on a loaded machine
            EXPECT_GE(elapsed, kTriggerWaitFloorMs);
            EXPECT_LT(elapsed, kTriggerWaitFloorMs + 30000);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CaptureView, RunNotMeasured, testing::Range(0, int(RunsTheGaugeDidNotMeasure().size())));

// The IK110's 256 ms points are each the mean of some 250 polls: one or two polls no bar gives
// within a point of the run ("START MM COUNT" into the series), at -500 mm or at the card's range
// end, refuse the run however little they move the mean.
class Ik110PollsNoBarGives : public testing::TestWithParam<const char*> {};

TEST_P(Ik110PollsNoBarGives, RefuseTheRun)
{
    qputenv("SARVOTEX_HEID_ODD_POLLS", GetParam());
    QTemporaryDir home;
    const Captured run = Dump(home, {"--capture", "--cw", "--save-db", "S1"},
                              Settings("Ball Bar Type=1\n", "720", "0.4", "StartPosition=0\nEndPosition=90\nSamplingRate=6\n"),
                              "300 8000");
    qunsetenv("SARVOTEX_HEID_ODD_POLLS");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "The gauge sent an unreadable reading.\n");
    EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
    if (QFile::exists(home.filePath("Sarvotex.db"))) {
        EXPECT_TRUE(Dump(home, {"--list-db"}).has("Cases = 0"));
    }
}

INSTANTIATE_TEST_SUITE_P(CaptureView, Ik110PollsNoBarGives,
                         testing::Values("4000 -500 2", "2000 -500 1", "1000 -2147.483648 1"));

} // namespace
} // namespace sarvo::gauge
