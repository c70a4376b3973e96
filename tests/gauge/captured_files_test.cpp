// A static capture from the gauge simulator, taken as the measurement window takes it, written to
// both measurement files the program writes and read back: the same case, and the same results.

#include "analysis/analyse_case.h"
#include "core/progress.h"
#include "files/brv_file.h"
#include "files/dispatch.h"
#include "files/rtb_writer.h"
#include "gauge/case_info.h"
#include "gauge/device_thread.h"
#include "gauge/run_chain.h"
#include "tests/gauge/simulator_process.h"
#include "tests/support/core_test.h"

#include <QTest>

#include <memory>

namespace sarvo::gauge {
namespace {

constexpr int kWaitMs = 30000;

// The measurement window's part: a static arc between two axis positions, both directions, each
// point latched at its first live reading.
class StaticArcUser : public RunChainUser {
public:
    StaticArcUser(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units, int startAxis,
                  int endAxis)
        : device_(device), case_(openCase), settings_(settings), units_(units),
          fields_{.dynamic = false, .feedrate = "1000", .startAxisIndex = startAxis, .endAxisIndex = endAxis,
                  .centre = {"12.5", "-3", "0"}, .gaugeTemp = "21.5", .machineTemp = "19.0"}
    {
    }

    void rebuildSamplingRates() override {}
    RunFields fields() override { return fields_; }
    void notice(ChainNotice, const QString& text) override { ADD_FAILURE() << text.toStdString(); }
    void setCapturing(bool) override {}
    void capture(std::function<void(const CaptureResult&)> done) override
    {
        auto* session = new CaptureSession(device_, case_, settings_, units_, 0);
        auto waiting = std::make_shared<bool>(false);
        QObject::connect(session, &CaptureSession::staticPointWaiting, session, [waiting](int) { *waiting = true; });
        QObject::connect(session, &CaptureSession::liveReading, session, [session, waiting](double) {
            if (std::exchange(*waiting, false))
                session->toggleLatch();
        });
        QObject::connect(session, &CaptureSession::finished, session, [session, done](const CaptureResult& result) {
            session->deleteLater();
            done(result);
        });
        session->start();
    }
    void runsStored(int, int) override {}
    void runsDropped(int, int) override {}
    bool changeDirection() override { return false; }
    void pressEnded(bool) override { ended = true; }

    bool ended = false;

private:
    DeviceThread& device_;
    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    RunFields fields_;
};

class CapturedFiles : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.BallBarType = static_cast<int16_t>(GaugeType::Qc10);
        settings.CommPort = simulator.path();
        settings.AutoDetect = false;
        settings.StaticMeasurements = 1;
        settings.DefaultTestRadius = 150;
        settings.BallBarLength = 150;
        settings.TemperatureUnits = QStringLiteral("Celsius");
        ComputeUnits(units, settings, IniFile(iniFile));
        device = std::make_unique<DeviceThread>([gaugeSettings = settings]() mutable {
            std::unique_ptr<GaugeDevice> gauge = MakeGaugeDevice(gaugeSettings);
            ConnectGauge(*gauge, gaugeSettings, 5000);
            return gauge;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return device->connected(); }, kWaitMs));
    }

    // The case information as the dialog's OK takes it, then one press of the start switch.
    Case capture(int startAxis, int endAxis)
    {
        Case c;
        CaseInfoTexts texts = OpeningCaseInfoTexts(c, settings, units, QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
        texts.machine = QStringLiteral("Mill 1");
        texts.session = QStringLiteral("S1");
        texts.measuredBy = QStringLiteral("Ann");
        texts.length = texts.radius = QStringLiteral("150");
        EXPECT_FALSE(AcceptCaseInfo(texts, c, settings, units).failed());
        StaticArcUser user(*device, c, settings, units, startAxis, endAxis);
        RunChain chain(*device, c, settings, units, user);
        chain.press(IniFile(iniFile), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return user.ended; }, kWaitMs));
        return c;
    }

    Case readBack(const QString& file, files::ReaderKind kind)
    {
        files::DiskFiles disk;
        files::ReadContext ctx = files::ReadContext::fromSettings(settings);
        ctx.files = &disk;
        Case back;
        const files::ReadResult result = files::ReadInto(back, file, kind, ctx);
        EXPECT_TRUE(result.ok()) << file.toStdString() << ": " << result.message.toStdString();
        return back;
    }

    Case analysed(Case c)
    {
        NoProgress none;
        const AnalysisOutcome outcome =
            AnalyseCase(c, settings, {.measurement = true, .errorModel = true, .ranking = true}, none);
        EXPECT_TRUE(outcome.ok());
        EXPECT_TRUE(outcome.stepFailures.empty());
        return c;
    }

    Simulator simulator{{"qc10"}};
    Settings settings;
    UnitState units;
    std::unique_ptr<DeviceThread> device;
};

// The files hold five decimals of a millimetre, and the .rtb file the time to the minute.
constexpr double kFileReadingMm = 0.5e-5;
QDateTime ToTheMinute(const QDateTime& t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute()), t.timeSpec());
}

void ExpectSameCase(const Case& captured, const Case& back)
{
    const CaseData& a = captured.Data;
    const CaseData& b = back.Data;
    EXPECT_EQ(std::tuple(b.Dynamic, b.StartAngle, b.StopAngle, b.SweepAngle, b.AngleStep, b.RunCount, b.MaxTargets),
              std::tuple(a.Dynamic, a.StartAngle, a.StopAngle, a.SweepAngle, a.AngleStep, a.RunCount, a.MaxTargets));
    EXPECT_EQ(std::tuple(b.TestRadius, b.BallBarLength, ToTheMinute(b.TestDate)),
              std::tuple(a.TestRadius, a.BallBarLength, ToTheMinute(a.TestDate)));
    for (int slot : {HdrMachine, HdrBy, HdrPlane, HdrFeedrate, HdrStatDyn, HdrMaxTargets, HdrSampling})
        EXPECT_EQ(back.Header[slot].toStdString(), captured.Header[slot].toStdString()) << "slot " << slot;
    for (std::size_t r = 1; r <= std::size_t(a.RunCount); ++r) {
        EXPECT_EQ(std::tuple(b.RunDirection[r], b.RunTargets[r], b.GaugeTemp[r], b.MachineTemp[r]),
                  std::tuple(a.RunDirection[r], a.RunTargets[r], a.GaugeTemp[r], a.MachineTemp[r]))
            << "run " << r;
        for (int j = 0; j < a.RunTargets[r]; ++j)
            EXPECT_NEAR(b.Readings(int(r), j), a.Readings(int(r), j), kFileReadingMm) << "run " << r << ", point " << j;
    }
}

TEST_F(CapturedFiles, AStaticCaptureWrittenToEitherFileReadsBackAsTheSameCase)
{
    // The axis lists hold 0, 180, 90 and 270 degrees.
    const struct {
        int startAxis, endAxis, start, stop, points;
    } arcs[] = {{0, 1, 0, 180, 5}, {2, 0, 90, 360, 7}, {0, 0, 0, 360, 8}};
    for (const auto& arc : arcs) {
        SCOPED_TRACE(testing::Message() << arc.start << " to " << arc.stop << " degrees");
        const Case captured = capture(arc.startAxis, arc.endAxis);
        ASSERT_EQ(captured.Data.RunCount, 2);
        ASSERT_EQ(std::tuple(captured.Data.StartAngle, captured.Data.StopAngle, captured.Data.RunTargets[1]),
                  std::tuple(arc.start, arc.stop, arc.points));

        const QString brv = path("captured.brv");
        const QString rtb = path("captured.rtb");
        ASSERT_TRUE(files::SaveBrvFile(captured, "1.0", brv).ok());
        ASSERT_TRUE(files::SaveRtb(captured, settings, rtb).ok());
        const Case fromBrv = readBack(brv, files::ReaderKind::Brv);
        const Case fromRtb = readBack(rtb, files::ReaderKind::Rtb);
        ExpectSameCase(captured, fromBrv);
        ExpectSameCase(captured, fromRtb);

        // Analysed, each read-back case gives the captured case's results, its extremes at the
        // positions measured.
        const Case expected = analysed(captured);
        for (const Case* back : {&fromBrv, &fromRtb}) {
            const AnalysisResults got = analysed(*back).Results;
            EXPECT_EQ(std::tuple(got.LscResult.MaxPos, got.LscResult.MinPos),
                      std::tuple(expected.Results.LscResult.MaxPos, expected.Results.LscResult.MinPos));
            for (const auto& [circle, want] : {std::pair{got.LscResult, expected.Results.LscResult},
                                               std::pair{got.MzcResult, expected.Results.MzcResult}}) {
                EXPECT_NEAR(circle.Circularity, want.Circularity, 0.02);
                for (double position : {circle.MaxPos, circle.MinPos})
                    EXPECT_EQ(std::fmod(position - arc.start, 45.0), 0.0) << position;
            }
        }
    }
}

} // namespace
} // namespace sarvo::gauge
