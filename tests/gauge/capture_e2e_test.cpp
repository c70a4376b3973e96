// Whole captures against the simulated gauges on pseudo-terminals and the HEID stand-in,
// offscreen: static and dynamic runs landing in the case as the gauge sent them and read back from
// their files, a gauge unplugged, silent or at the end of its range, and the capture window driven
// by its keys.

#include "gauge/capture_session.h"
#include "gauge/case_info.h"
#include "gauge/device_thread.h"
#include "gauge/heid_api.h"
#include "gauge/own_gauge_codec.h"
#include "gauge/qc10_codec.h"
#include "gauge/run_chain.h"
#include "gauge/ui/capture_window.h"

#include "core/app_error.h"
#include "core/dates.h"
#include "core/settings_file.h"
#include "core/utilities.h"
#include "files/brv_file.h"
#include "files/rtb_writer.h"
#include "tests/gauge/simulator_process.h"
#include "tests/gauge/static_operator.h"
#include "tests/support/core_test.h"
#include "tests/support/file_round_trip.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <ostream>
#include <utility>

namespace sarvo::gauge {
namespace {

constexpr int kWaitMs = 60000;

// An opened gauge with its single readings counted.
class CountingDevice : public GaugeDevice {
public:
    CountingDevice(std::unique_ptr<GaugeDevice> inner, std::atomic<int>& reads) : inner_(std::move(inner)), reads_(reads) {}
    int16_t open() override { return inner_->open(); }
    DeviceClosing close() override { return inner_->close(); }
    bool connected() const override { return inner_->connected(); }
    GaugeReading readOne() override { ++reads_; return inner_->readOne(); }
    QString name() override { return inner_->name(); }
    int16_t startSeries(int points, double hz) override { return inner_->startSeries(points, hz); }
    int16_t fetchSeries(std::span<float> out, int& n, QDeadlineTimer t) override { return inner_->fetchSeries(out, n, t); }
    int16_t stopSeries() override { return inner_->stopSeries(); }

private:
    std::unique_ptr<GaugeDevice> inner_;
    std::atomic<int>& reads_;
};

struct RunCase {
    bool dynamic = true;
    int direction = 1;
    int stop = 90;
    float overshoot = 0;
    int pointsPerRun = 50;
    double rateHz = 100;
    double radius = 50;
    double zeroOffset = 0;
    QString feedrate = QStringLiteral("1000");
};

class CaptureEndToEnd : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        units.LargeFactor = 1;
        units.LargeFormat = QStringLiteral("0");
        units.LongFormat = QStringLiteral("0.0000");
        units.LargeCaption = QStringLiteral(" mm");
        settings.ScaleFactor = 1;
        settings.StaticMeasurements = 3;
        settings.MaxPoints = 2500;
    }

    // The fields the run set-up prepares for run RunCount + 1.
    void prepare(const RunCase& run)
    {
        CaseData& d = openCase.Data;
        d.Dynamic = run.dynamic;
        d.StartAngle = 0;
        d.StopAngle = static_cast<int16_t>(run.stop);
        d.SweepAngle = static_cast<int16_t>(run.stop);
        d.PointsPerRun = static_cast<int16_t>(run.pointsPerRun);
        d.AngleStep = double(run.stop) / run.pointsPerRun;
        d.SamplingInterval = run.dynamic ? static_cast<int32_t>(std::lround(1000 / run.rateHz)) : 100;
        d.OvershootAngle = run.overshoot;
        d.TestRadius = run.radius;
        d.BallBarLength = 100;
        d.ZeroOffset = run.zeroOffset;
        d.RunDirection[static_cast<std::size_t>(d.RunCount + 1)] = static_cast<int16_t>(run.direction);
        openCase.Header[HdrFeedrate] = run.feedrate;
        openCase.Header[HdrPlane] = QStringLiteral("xy");
        d.SetupSamplingRate = run.dynamic ? run.rateHz : 0;
    }

    // A device thread whose gauge is opened as the measurement window opens it; its single
    // readings counted in `reads` when asked.
    std::unique_ptr<DeviceThread> gauge(GaugeType type, const QString& port = {}, bool counted = false)
    {
        settings.BallBarType = static_cast<int16_t>(type);
        settings.CommPort = port;
        settings.AutoDetect = false;
        return std::make_unique<DeviceThread>([gaugeSettings = settings, counter = counted ? &reads : nullptr]() mutable {
            std::unique_ptr<GaugeDevice> device = MakeGaugeDevice(gaugeSettings);
            ConnectGauge(*device, gaugeSettings, 5000);
            return counter ? std::make_unique<CountingDevice>(std::move(device), *counter) : std::move(device);
        });
    }

    CaptureResult capture(DeviceThread& device, const std::function<void(CaptureSession&)>& script = {})
    {
        CaptureSession session(device, openCase, settings, units, 20);
        if (script)
            script(session);
        QSignalSpy finished(&session, &CaptureSession::finished);
        session.start();
        if (finished.isEmpty() && !finished.wait(kWaitMs))
            return {};
        captured = std::vector<float>(session.points().begin(), session.points().end());
        return finished.at(0).at(0).value<CaptureResult>();
    }

    // Latches once the run has at least `points` readings.
    static std::function<void(CaptureSession&)> latchAfter(int points)
    {
        return [points](CaptureSession& session) {
            QObject::connect(&session, &CaptureSession::pointsAdded, &session, [&session, points](int first, int count) {
                if (first < points && first + count >= points)
                    session.toggleLatch();
            });
        };
    }

    Case openCase;
    Settings settings;
    UnitState units;
    std::vector<float> captured;
    std::atomic<int> reads{0};
};

TEST_F(CaptureEndToEnd, StaticQc10CaptureGivesTwoRunsClockwiseFirst)
{
    // 0 as the settings file gives it: raised to one reading a point.
    writeFile(QStringLiteral("Sarvotex.ini"), "[Configure]\nStatic Measurements=0\n");
    settings.StaticMeasurements = ReadSettings(appPath, iniFile).settings.StaticMeasurements;
    ASSERT_EQ(settings.StaticMeasurements, 0);
    Simulator sim({"qc10"});
    auto device = gauge(GaugeType::Qc10, sim.path(), true);
    prepare({.dynamic = false, .pointsPerRun = 6});
    openCase.Data.AngleStep = 45;
    int liveReadings = 0;
    QStringList statuses;
    const CaptureResult result = capture(*device, [&](CaptureSession& session) {
        QObject::connect(&session, &CaptureSession::liveReading, &session, [&] { ++liveReadings; });
        LatchEachPointAtItsFirstReading(session, &session, [&session] { session.toggleLatch(); });
        QObject::connect(&session, &CaptureSession::statusChanged, &session, [&](const QString& s) { statuses << s; });
    });
    EXPECT_EQ(result.end, CaptureEnd::Stored);
    EXPECT_EQ(result.runsAdded, 2);
    EXPECT_EQ(settings.StaticMeasurements, 1);
    // Each latched point took the live reading shown last, and no further one; while a point is
    // averaged the status says so.
    EXPECT_EQ(reads.load(), liveReadings);
    EXPECT_EQ(statuses.mid(0, 3), QStringList({"Waiting for 1. point...", "Measuring 1. point...", "Waiting for 2. point..."}));
    ASSERT_EQ(openCase.Data.RunCount, 2);
    EXPECT_EQ(openCase.Data.RunDirection[1], -1);
    EXPECT_EQ(openCase.Data.RunDirection[2], 1);
    ASSERT_EQ(captured.size(), 6u);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(openCase.Data.Readings(1, j), captured[static_cast<std::size_t>(2 * j)]);
        EXPECT_EQ(openCase.Data.Readings(2, j), captured[static_cast<std::size_t>(2 * j + 1)]);
        EXPECT_NEAR(openCase.Data.Readings(1, j), 0.5, 0.003);
    }
    EXPECT_EQ(openCase.Data.RunTargets[1], 3);
}

TEST_F(CaptureEndToEnd, StaticPointsHandedOverEvery32msEachReadTheirOwnStreams)
{
    // Each stream serves one length, 1.2 µm below the one before, begun 20 ms late, its bytes 5 ms
    // late and handed over every 32 ms, so that a stop finds a tail on its way; a point is the reading shown
    // last and two more right after it. A reading that took in the tail of the one before reads
    // another stream's length.
    for (const bool qc10 : {false, true}) {
        SCOPED_TRACE(qc10 ? "QC10" : "own gauge");
        openCase = Case{};
        reads = 0;
        Simulator sim({qc10 ? "qc10" : "owngauge", "--mark-ms", "0", "--step-mm", "-0.0012", "--handover-ms", "32", "--latency-ms", "5",
                       "--start-late-ms", "20"});
        auto device = gauge(qc10 ? GaugeType::Qc10 : GaugeType::OwnGauge, sim.path(), true);
        prepare({.dynamic = false, .pointsPerRun = 6});
        const auto served = [qc10](int stream) {
            const int32_t length = 5000 - 12 * stream;
            return float((qc10 ? *qc10::FirstReading(qc10::EncodeReading(length)) : length) / 1e4);
        };
        std::vector<float> expected;
        int shownStream = 0;
        const CaptureResult result = capture(*device, [&](CaptureSession& session) {
            LatchEachPointAtItsFirstReading(session, &session, [&session] { session.toggleLatch(); });
            QObject::connect(&session, &CaptureSession::liveReading, &session, [&](double mm) {
                shownStream = reads.load();
                EXPECT_EQ(float(mm), served(shownStream));
            });
            QObject::connect(&session, &CaptureSession::pointsAdded, &session, [&] {
                const double sum = double(served(shownStream)) + served(shownStream + 1) + served(shownStream + 2);
                expected.push_back(float(sum / 3));
            });
        });
        ASSERT_EQ(result.end, CaptureEnd::Stored);
        EXPECT_EQ(captured, expected);
        EXPECT_EQ(captured.size(), 6u);
    }
}

TEST_F(CaptureEndToEnd, DynamicOwnGaugeRunTriggersOnTheCircleAndEndsOnIt)
{
    // The arc: 880 samples at 1440 a second (720 points and 80 each side), 0.4 mm rising 10 µm.
    Simulator sim({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611"});
    auto device = gauge(GaugeType::OwnGauge, sim.path());
    prepare({.direction = -1, .overshoot = 10, .pointsPerRun = 720, .rateHz = 1440, .zeroOffset = 0.4,
             .feedrate = QStringLiteral("9425")});
    const CaptureResult result = capture(*device);
    EXPECT_EQ(result.end, CaptureEnd::Stored);
    ASSERT_EQ(openCase.Data.RunCount, 1);
    EXPECT_EQ(captured.size(), 880u);
    ASSERT_EQ(openCase.Data.RunTargets[1], 720);
    EXPECT_EQ(openCase.Data.MaxTargets, 720);
    EXPECT_DOUBLE_EQ(openCase.Data.AngleStep, 90.0 / 720);
    // Clockwise: stored from the stop angle's end of the arc, the reading less the offset.
    EXPECT_NEAR(openCase.Data.Readings(1, 0), 0.01 * 799 / 880, 0.0002);
    EXPECT_NEAR(openCase.Data.Readings(1, 719), 0.01 * 80 / 880, 0.0002);
    // Elapsed counts from the block that triggered to the one that ended: loosely the arc's time.
    EXPECT_NEAR(openCase.Data.RunFeedrate[1], 9425, 9425 * 0.6);
}

TEST_F(CaptureEndToEnd, DynamicIk121RunEndsOnTheLatch)
{
    SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    auto device = gauge(GaugeType::Ik121);
    // An expected reading above the resting one triggers on the first reading; the operator
    // ends the run.
    prepare({.pointsPerRun = 50, .rateHz = 100, .zeroOffset = 1.0});
    const CaptureResult result = capture(*device, latchAfter(50));
    EXPECT_EQ(result.end, CaptureEnd::Stored);
    ASSERT_EQ(openCase.Data.RunCount, 1);
    EXPECT_GE(captured.size(), 50u);
    EXPECT_EQ(openCase.Data.RunTargets[1], static_cast<int16_t>(captured.size()));
    EXPECT_NEAR(openCase.Data.Readings(1, 0), 0.5 - 1.0, 0.006);
}

struct GaugeFault {
    const char* name;
    QStringList simulator;
    bool dynamic;
    int16_t status;
    const char* caption;
};

void PrintTo(const GaugeFault& fault, std::ostream* os)
{
    *os << fault.name;
}

class CaptureFault : public CaptureEndToEnd, public testing::WithParamInterface<GaugeFault> {};

TEST_P(CaptureFault, FailsWithoutStoring)
{
    const GaugeFault& fault = GetParam();
    Simulator sim(fault.simulator);
    auto device = gauge(fault.dynamic ? GaugeType::OwnGauge : GaugeType::Qc10, sim.path());
    // Resting at 0.5 mm the dynamic run never triggers; the static points are latched as they come.
    prepare({.dynamic = fault.dynamic, .pointsPerRun = fault.dynamic ? 400 : 6, .rateHz = 90});
    const CaptureResult result = capture(*device, [](CaptureSession& session) {
        LatchEachPointAtItsFirstReading(session, &session, [&session] { session.toggleLatch(); });
    });
    EXPECT_EQ(result.end, CaptureEnd::DeviceFailed);
    EXPECT_EQ(result.deviceStatus, fault.status);
    EXPECT_EQ(result.deviceCaption, fault.caption);
    EXPECT_EQ(openCase.Data.RunCount, 0);
    EXPECT_EQ(openCase.Data.RunTargets[1], 0);
}

INSTANTIATE_TEST_SUITE_P(
    UnpluggedSilentOrAtTheEnd, CaptureFault,
    testing::Values(GaugeFault{"Unplugged", {"owngauge", "--mark-ms", "0", "--hangup-in-stream", "1000"}, true,
                               AppError::kDeviceIoError, "Capturing several measurements"},
                    GaugeFault{"SilentMidStream", {"owngauge", "--mark-ms", "0", "--gap-ms", "1000", "3600000"}, true,
                               kStreamGap, "Capturing several measurements"},
                    // A static point that cannot be read ends the run instead of entering as a wrong
                    // value: the gauge unplugged at the point's third reading, or at its range end.
                    GaugeFault{"StaticUnplugged", {"qc10", "--hangup-on-stream", "3"}, false, AppError::kDeviceIoError,
                               "Reading one value"},
                    GaugeFault{"StaticAtTheEndOfTheRange", {"qc10", "--offset-mm", "0.6"}, false, kGaugeOutOfRange,
                               "Reading one value"}),
    [](const testing::TestParamInfo<GaugeFault>& info) { return std::string(info.param.name); });

// A dynamic run of the simulator's circle: its arc (from arcMs[0] for arcMs[1] ms of the stream's
// samples, 0.4 mm rising riseMm) against the rest, at a rate (0: one point a sample) whose points
// begin with the arc's first sample; with a feed, the bar fed onto the circle and off it at that
// feed from a still rest.
struct StoredRun {
    const char* name;
    bool qc10;
    double offsetMm, zeroOffset;
    int direction, maxPoints, targets;
    QStringList simulator = {};
    double arcMs[2] = {300, 611};
    double rateHz = 0;
    int pointsPerRun = 0; // 0: as many as the arc's points less its overshoot of 10 degrees a side
    float overshoot = 10;
    double riseMm = 0.01;
    int holdUpMs = 0; // the device thread held up once the run has triggered
    double feedMmPerMin = 0;
    double restMm = 0.5; // still, with a feed
};

void PrintTo(const StoredRun& run, std::ostream* os)
{
    *os << run.name;
}

class StoredAsSent : public CaptureEndToEnd, public testing::WithParamInterface<StoredRun> {};

TEST_P(StoredAsSent, DynamicRunIsStoredAsTheGaugeSentItAndReadsBackFromItsFiles)
{
    const StoredRun& k = GetParam();
    settings.MaxPoints = k.maxPoints;
    const QStringList feed = k.feedMmPerMin > 0 ? QStringList{"--feed-mm-min", QString::number(k.feedMmPerMin), "--rest-mm",
                                                                QString::number(k.restMm)}
                                                : QStringList{};
    Simulator sim(QStringList{k.qc10 ? "qc10" : "owngauge", "--mark-ms", "0", "--arc-ms", QString::number(k.arcMs[0]),
                              QString::number(k.arcMs[1]), "--offset-mm", QString::number(k.offsetMm), "--arc-rise-mm",
                              QString::number(k.riseMm)} + feed + k.simulator);
    auto device = gauge(k.qc10 ? GaugeType::Qc10 : GaugeType::OwnGauge, sim.path());
    const double sampleRate = k.qc10 ? 1000.0 / qc10::kMsPerSample : owngauge::kSamplesPerSecond;
    const double rate = k.rateHz > 0 ? k.rateHz : sampleRate;
    const int perPoint = k.qc10 ? qc10::SamplesPerPoint(rate) : owngauge::SamplesPerPoint(rate);
    // The length served at a time of the stream, in 0.1 µm, as the simulator serves it: the arc, the
    // feed between it and the rest, the rest.
    const double arcEnd = k.arcMs[0] + k.arcMs[1];
    const auto rise = int32_t(std::lround(1e4 * k.riseMm));
    const auto rest = int32_t(std::lround(1e4 * k.restMm));
    const double tenthsPerMs = k.feedMmPerMin / 60000 * 1e4;
    const double inMs = k.feedMmPerMin > 0 ? std::fabs(4000 - rest) / tenthsPerMs : 0;
    const double outMs = k.feedMmPerMin > 0 ? std::fabs(4000 + rise - rest) / tenthsPerMs : 0;
    const auto servedAt = [&](double ms) {
        int32_t length = rest;
        if (ms >= k.arcMs[0] && ms < arcEnd)
            length = 4000 + int32_t(std::lround(rise * (ms - k.arcMs[0]) / k.arcMs[1]));
        else if (ms < k.arcMs[0] && ms >= k.arcMs[0] - inMs)
            length = int32_t(std::lround(rest + (4000 - rest) * (ms - (k.arcMs[0] - inMs)) / inMs));
        else if (ms >= arcEnd && ms < arcEnd + outMs)
            length = int32_t(std::lround(rest + (4000 + rise - rest) * (1.0 - (ms - arcEnd) / outMs)));
        const auto served = length + int32_t(std::lround(1e4 * k.offsetMm));
        return k.qc10 ? *qc10::FirstReading(qc10::EncodeReading(served)) : served;
    };
    // Every point from the rest before the feed to the rest after it, in mm: the mean of its samples.
    const long first = std::lround(std::ceil(k.arcMs[0] * sampleRate / 1000));
    ASSERT_EQ(first % perPoint, 0);
    const long from = std::max(0L, (std::lround(std::floor((k.arcMs[0] - inMs) * sampleRate / 1000)) / perPoint - 1) * perPoint);
    std::vector<float> points;
    int64_t sum = 0;
    int arcPoints = 0;
    for (long i = from; i * 1000 / sampleRate < arcEnd + outMs + 2000 / rate; ++i) {
        sum += servedAt(double(i) * 1000 / sampleRate);
        if ((i + 1) % perPoint == 0) {
            points.push_back(float(std::nearbyint(double(std::exchange(sum, 0)) / perPoint) / 10000.0));
            arcPoints += i >= first && i * 1000 / sampleRate < arcEnd;
        }
    }
    // The run as sent: triggered on the first point below the level a quarter of the way from the rest
    // to the expected reading, ended on the first above it.
    const double level = points.front() - 0.25 * (points.front() - k.zeroOffset);
    const auto begins = std::find_if(points.begin(), points.end(), [&](float v) { return v < level; });
    const std::vector<float> sent(begins, std::find_if(begins, points.end(), [&](float v) { return v > level; }));
    prepare({.direction = k.direction, .overshoot = k.overshoot,
             .pointsPerRun = k.pointsPerRun > 0 ? k.pointsPerRun : RoundToInt(arcPoints * 90.0 / 110), .rateHz = rate,
             .zeroOffset = k.zeroOffset, .feedrate = QStringLiteral("9425")});
    const CaptureResult result = capture(*device, [&](CaptureSession& session) {
        if (k.holdUpMs > 0)
            QObject::connect(&session, &CaptureSession::triggered, &session, [&device, ms = k.holdUpMs] {
                device->post<int>([ms](GaugeDevice&) { QThread::msleep(ulong(ms)); return 0; }, nullptr, [](int) {});
            });
    });
    ASSERT_EQ(result.end, CaptureEnd::Stored) << result.messages.join(u'\n').toStdString() << " " << result.deviceStatus;
    // Triggered on the level, ended on it: every point as sent.
    ASSERT_EQ(captured, sent);
    // The run's points past the lead-in, each the mean of as many points as thinning takes, in
    // rising angle, less the offset.
    const int targets = openCase.Data.RunTargets[1];
    ASSERT_EQ(std::tuple(targets, openCase.Data.MaxTargets, openCase.Data.AngleStep),
              std::tuple(k.targets, k.targets, 90.0 / k.targets));
    // The rate of its points, thinned or not: over the 78.54 mm arc at 9425 mm/min, 0.5 s.
    const double pointRate = StrToDbl(openCase.Header[HdrSampling]);
    EXPECT_NEAR(pointRate, k.targets / (0.5 * M_PI * 50 / (9425 / 60.0)), 1e-3);
    const double arc = 2.0 * k.overshoot + 90;
    const int leadIn = RoundToInt(k.overshoot / arc * double(sent.size()));
    const int per = RoundToInt(90.0 / arc * double(sent.size())) / targets;
    for (int j = 0; j < targets; ++j) {
        double pointSum = 0;
        for (int q = 0; q < per; ++q)
            pointSum += captured[std::size_t(leadIn + (k.direction > 0 ? j : targets - 1 - j) * per + q)];
        ASSERT_EQ(openCase.Data.Readings(1, j), pointSum / per - k.zeroOffset) << j;
    }
    // With what the case information adds, both files read back as this case (a file's runs hold
    // three points or more).
    if (targets < 3)
        return;
    openCase.Data.TestDate = QDateTime(QDate(2026, 3, 2), QTime(10, 0));
    std::tie(openCase.Header[HdrMachine], openCase.Header[HdrLength], openCase.Header[HdrDate]) =
        std::tuple("Mill 1", "100", GeneralDateText(openCase.Data.TestDate));
    ASSERT_TRUE(files::SaveBrvFile(openCase, "1.0", path("run.brv")).ok());
    ASSERT_TRUE(files::SaveRtb(openCase, settings, path("run.rtb")).ok());
    for (const auto& [file, kind] : {std::pair{"run.brv", files::ReaderKind::Brv}, {"run.rtb", files::ReaderKind::Rtb}}) {
        Case back = test::ReadBack(path(file), kind, settings);
        EXPECT_NEAR(StrToDbl(back.Header[HdrSampling]), pointRate, 1e-3) << file;
        back.Header = openCase.Header; // the run set-up's texts, which this test leaves out
        test::ExpectSameCase(back, openCase);
    }
}

const QStringList kLumpsSlowLate{"--handover-ms", "32", "--slow-percent", "5", "--start-late-ms", "50"};
const QStringList kLumpsFastLate{"--handover-ms", "32", "--slow-percent", "-5", "--start-late-ms", "50"};

// The own gauge at its usual reading, at a raw reading of 0.02 mm, with at most 500 points a run
// (pairs of samples); the QC10 10 µm short of the end of its range, resting at it, and losing a
// byte at rest before the run, where no angle hangs on the count. Lines and
// gauges that lose nothing, however their bytes come: a rest in a band whose records take five
// bytes, a rest at 4 mm and a feed-in of 0.5 mm at 1.4 times the feedrate (the fastest run the
// capture accepts is 10/7 of it) and so from rests at -3 mm and 12 mm and onto a circle 2 µm from
// zero, a still bar at exactly 0, bytes
// handed over every 32 ms, the program held up, a clock 5 % slow over 10 s, the slowest rates, and
// bytes in 32 ms lumps from a clock 5 % slow or fast whose stream begins 50 ms late.
INSTANTIATE_TEST_SUITE_P(
    LinesAndRates, StoredAsSent,
    testing::Values(StoredRun{"OwnGauge", false, 0, 0.4, 1, 2500, 720},
                    StoredRun{"OwnGaugeAtSmallReadings", false, -0.38, 0.02, -1, 2500, 720},
                    StoredRun{"OwnGaugeAtMost500Points", false, 0, 0.4, -1, 500, 360},
                    StoredRun{"Qc10NearTheEndOfItsRange", true, -1.39, -0.985, 1, 2500, 125},
                    StoredRun{"Qc10RestingAtTheEndOfItsRange", true, 0.5, 0.9, 1, 2500, 125},
                    StoredRun{"Qc10LosingAByteAtRestBeforeTheRun", true, 0, 0.4, 1, 2500, 125, {"--lose-ms", "100"}},
                    StoredRun{"OwnGaugeAfter5sInAFiveByteBand", false, 0, 0.4, 1, 2500, 720, {"--rest-mm", "0.4265"}, {5000, 611}},
                    StoredRun{.name = "OwnGaugeFeedingIn0_5mmAt1_4TimesTheFeedrateFromARestAt4mm", .qc10 = false, .offsetMm = 3.1,
                              .zeroOffset = 3.5, .direction = 1, .maxPoints = 2500, .targets = 724, .feedMmPerMin = 1.4 * 9425,
                              .restMm = 0.9},
                    StoredRun{.name = "OwnGaugeFedAt1_4TimesTheFeedrateFromARestAtMinus3mm", .qc10 = false, .offsetMm = -3.9,
                              .zeroOffset = -3.5, .direction = -1, .maxPoints = 2500, .targets = 724, .feedMmPerMin = 1.4 * 9425,
                              .restMm = 0.9},
                    StoredRun{.name = "OwnGaugeFedAt1_4TimesTheFeedrateFromARestAt12mm", .qc10 = false, .offsetMm = 11.1,
                              .zeroOffset = 11.5, .direction = 1, .maxPoints = 2500, .targets = 724, .feedMmPerMin = 1.4 * 9425,
                              .restMm = 0.9},
                    StoredRun{.name = "OwnGaugeFedAt1_4TimesTheFeedrateOntoACircleAt2um", .qc10 = false, .offsetMm = -0.398,
                              .zeroOffset = 0.002, .direction = -1, .maxPoints = 2500, .targets = 721, .feedMmPerMin = 1.4 * 9425},
                    StoredRun{"OwnGaugeStillAtExactlyZero", false, -0.4, 0, 1, 2500, 720, {}, {300, 611}, 0, 0, 10, 0},
                    StoredRun{"OwnGaugeHandedOverEvery32ms", false, 0, 0.4, 1, 2500, 720, {"--handover-ms", "32"}},
                    StoredRun{"Qc10HandedOverEvery32ms", true, 0, 0.4, -1, 2500, 125, {"--handover-ms", "32"}},
                    StoredRun{"OwnGaugeWithTheProgramHeldUp", false, 0, 0.4, 1, 2500, 720, {}, {300, 611}, 0, 0, 10, 0.01, 500},
                    StoredRun{"OwnGauge5PercentSlowOver10s", false, 0, 0.4, 1, 2500, 736, {"--slow-percent", "5"}, {300, 10000}, 90},
                    StoredRun{"OwnGaugeAtItsSlowestRate", false, 0, 0.4, 1, 2500, 2, {}, {2844.4, 5688.5}, 0.3515625, 2, 0},
                    StoredRun{"Qc10AtItsSlowestRate", true, 0, 0.4, 1, 2500, 2, {}, {2048, 4096}, 0.48828125, 2, 0},
                    StoredRun{"OwnGaugeIn32msLumps5PercentSlow50msLate", false, 0, 0.4, 1, 2500, 720, kLumpsSlowLate},
                    StoredRun{"Qc10In32msLumps5PercentFast50msLate", true, 0, 0.4, -1, 2500, 125, kLumpsFastLate},
                    StoredRun{"OwnGaugeAtItsSlowestRateIn32msLumps5PercentFast50msLate", false, 0, 0.4, 1, 2500, 2, kLumpsFastLate,
                              {2844.4, 5688.5}, 0.3515625, 2, 0},
                    StoredRun{"Qc10AtItsSlowestRateIn32msLumps5PercentSlow50msLate", true, 0, 0.4, 1, 2500, 2, kLumpsSlowLate,
                              {2048, 4096}, 0.48828125, 2, 0}),
    [](const testing::TestParamInfo<StoredRun>& info) { return std::string(info.param.name); });

TEST_F(CaptureEndToEnd, AStaticCaptureOfAPressWrittenToEitherFileReadsBackAsTheSameCase)
{
    // The measurement window's part in the run chain: the capture's end told from the event loop.
    struct Window : RunChainUser {
        std::function<CaptureResult()> take;
        RunFields runFields;
        bool ended = false;
        void rebuildSamplingRates() override {}
        RunFields fields() override { return runFields; }
        void notice(ChainNotice, const QString& text) override { ADD_FAILURE() << text.toStdString(); }
        void setCapturing(bool) override {}
        void capture(std::function<void(const CaptureResult&)> done) override
        {
            QTimer::singleShot(0, [done, result = take()] { done(result); });
        }
        void runsStored(int, int) override {}
        void runsDropped(int, int) override {}
        bool changeDirection() override { return false; }
        void pressEnded(bool) override { ended = true; }
    } window;
    Simulator sim({"qc10"});
    auto device = gauge(GaugeType::Qc10, sim.path());
    window.take = [&] {
        return capture(*device, [](CaptureSession& s) { LatchEachPointAtItsFirstReading(s, &s, [&s] { s.toggleLatch(); }); });
    };
    settings.TemperatureUnits = QStringLiteral("Celsius");
    ComputeUnits(units, settings, IniFile(iniFile));
    RunFields& f = window.runFields;
    std::tie(f.dynamic, f.feedrate, f.gaugeTemp, f.machineTemp) = std::tuple(false, "1000", "21.5", "19.0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return device->connected(); }, kWaitMs));
    // The axis lists hold 0, 180, 90 and 270 degrees.
    const struct {
        int startAxis, endAxis, start, stop, points;
    } arcs[] = {{0, 1, 0, 180, 5}, {2, 0, 90, 360, 7}, {0, 0, 0, 360, 8}};
    for (const auto& arc : arcs) {
        SCOPED_TRACE(testing::Message() << arc.start << " to " << arc.stop << " degrees");
        // The case information as the dialog's OK takes it, then one press of the start switch.
        openCase = Case{};
        CaseInfoTexts texts = OpeningCaseInfoTexts(openCase, settings, units, QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
        std::tie(texts.machine, texts.session, texts.measuredBy) = std::tuple("Mill 1", "S1", "Ann");
        texts.length = texts.radius = QStringLiteral("150");
        ASSERT_FALSE(AcceptCaseInfo(texts, openCase, settings, units).failed());
        std::tie(f.startAxisIndex, f.endAxisIndex, window.ended) = std::tuple(arc.startAxis, arc.endAxis, false);
        RunChain chain(*device, openCase, settings, units, window);
        chain.press(IniFile(iniFile), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.ended; }, 30000));
        const CaseData& d = openCase.Data;
        ASSERT_EQ(std::tuple(d.RunCount, d.StartAngle, d.StopAngle, d.RunTargets[1]),
                  std::tuple(2, arc.start, arc.stop, arc.points));
        ASSERT_TRUE(files::SaveBrvFile(openCase, "1.0", path("captured.brv")).ok());
        ASSERT_TRUE(files::SaveRtb(openCase, settings, path("captured.rtb")).ok());
        test::ExpectSameCase(test::ReadBack(path("captured.brv"), files::ReaderKind::Brv, settings), openCase);
        test::ExpectSameCase(test::ReadBack(path("captured.rtb"), files::ReaderKind::Rtb, settings), openCase);
    }
}

TEST_F(CaptureEndToEnd, CaptureWindowRunsACaptureAndEscStopsOne)
{
    Simulator sim({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611"});
    auto device = gauge(GaugeType::OwnGauge, sim.path());
    prepare({.direction = 1, .overshoot = 10, .pointsPerRun = 720, .rateHz = 1440, .zeroOffset = 0.4,
             .feedrate = QStringLiteral("9425")});
    {
        frmWait window(*device, openCase, settings, units);
        QSignalSpy ended(&window, &frmWait::captureEnded);
        QSignalSpy triggered(&window.session(), &CaptureSession::triggered);
        window.open();
        ASSERT_TRUE(ended.wait(kWaitMs));
        EXPECT_EQ(triggered.size(), 1);
        EXPECT_EQ(ended.at(0).at(0).value<CaptureResult>().end, CaptureEnd::Stored);
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(openCase.Data.RunCount, 1);
    for (const auto& message : prompts.messages.unlooked()) // only a feedrate warning may come
        EXPECT_TRUE(message.text.startsWith("Warning:")) << message.text.toStdString();
    prompts.messages.size();

    // A gauge at rest never triggers by itself; Esc stops the run and nothing is stored.
    Simulator resting({"owngauge", "--mark-ms", "0"});
    auto restingDevice = gauge(GaugeType::OwnGauge, resting.path());
    prepare({.direction = -1, .pointsPerRun = 400, .rateHz = 1440});
    frmWait window(*restingDevice, openCase, settings, units);
    QSignalSpy ended(&window, &frmWait::captureEnded);
    QSignalSpy status(&window.session(), &CaptureSession::statusChanged);
    QSignalSpy triggered(&window.session(), &CaptureSession::triggered);
    window.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.session().running(); }, kWaitMs));
    // A held key's repeats do not latch; Shift+F12 starts the run by hand.
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(&window, &repeated);
    QTest::keyClick(&window, Qt::Key_F12, Qt::ShiftModifier);
    ASSERT_TRUE(triggered.wait(kWaitMs));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible()); // the stop is asked for; the window closes once it is done
    ASSERT_TRUE(ended.wait(kWaitMs));
    EXPECT_EQ(ended.at(0).at(0).value<CaptureResult>().end, CaptureEnd::Interrupted);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), "Interrupted measurement");
    EXPECT_EQ(openCase.Data.RunCount, 1);
}

TEST_F(CaptureEndToEnd, ARunEndedOnItsReadingIsStoredWhenEscOrCancelComesDuringTheEndCheck)
{
    Simulator sim({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611"});
    auto device = gauge(GaugeType::OwnGauge, sim.path());
    prepare({.overshoot = 10, .pointsPerRun = 720, .rateHz = 1440, .zeroOffset = 0.4, .feedrate = QStringLiteral("9425")});
    frmWait window(*device, openCase, settings, units);
    QSignalSpy ended(&window, &frmWait::captureEnded);
    QObject::connect(&window.session(), &CaptureSession::runEnded, &window, [&window] {
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
    });
    QSignalSpy runEnded(&window.session(), &CaptureSession::runEnded);
    window.open();
    ASSERT_TRUE(ended.wait(kWaitMs));
    EXPECT_EQ(runEnded.size(), 1);
    EXPECT_EQ(ended.at(0).at(0).value<CaptureResult>().end, CaptureEnd::Stored);
    EXPECT_EQ(openCase.Data.RunCount, 1);
    for (const auto& message : prompts.messages) // only a feedrate warning may come
        EXPECT_TRUE(message.text.startsWith("Warning:")) << message.text.toStdString();
}

TEST_F(CaptureEndToEnd, CaptureWindowShowsItsBoxBeforeThePause)
{
    Simulator sim({"owngauge", "--mark-ms", "0", "--arc-ms", "300", "611", "--stray-ms", "800"});
    auto device = gauge(GaugeType::OwnGauge, sim.path());
    prepare({.overshoot = 10, .pointsPerRun = 720, .rateHz = 1440, .zeroOffset = 0.4, .feedrate = QStringLiteral("9425")});
    frmWait window(*device, openCase, settings, units);
    QSignalSpy ended(&window, &frmWait::captureEnded);
    window.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, kWaitMs));
    QElapsedTimer sinceBox;
    sinceBox.start();
    ASSERT_TRUE(ended.isEmpty());
    ASSERT_TRUE(ended.wait(kWaitMs));
    EXPECT_GE(sinceBox.elapsed(), 900); // the window's one-second pause comes after the box
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "The gauge sent an unreadable reading.");
    EXPECT_EQ(openCase.Data.RunCount, 0);
}

} // namespace
} // namespace sarvo::gauge
