// A static capture from the gauge simulator, taken as the measurement window takes it, written to
// both measurement files the program writes: each reads back as the case captured.

#include "files/brv_file.h"
#include "files/rtb_writer.h"
#include "gauge/case_info.h"
#include "gauge/device_thread.h"
#include "gauge/run_chain.h"
#include "tests/gauge/simulator_process.h"
#include "tests/gauge/static_operator.h"
#include "tests/support/core_test.h"
#include "tests/support/file_round_trip.h"

#include <QTest>


namespace sarvo::gauge {
namespace {

// The test plays the measurement window's part in the run chain.
class CapturedFiles : public test::CoreTest, public RunChainUser {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        settings.BallBarType = static_cast<int16_t>(GaugeType::Qc10);
        settings.CommPort = simulator.path();
        settings.TemperatureUnits = QStringLiteral("Celsius");
        ComputeUnits(units, settings, IniFile(iniFile));
        std::tie(runFields.dynamic, runFields.feedrate, runFields.gaugeTemp, runFields.machineTemp) =
            std::tuple(false, "1000", "21.5", "19.0");
        device = std::make_unique<DeviceThread>([gaugeSettings = settings]() mutable {
            std::unique_ptr<GaugeDevice> gauge = MakeGaugeDevice(gaugeSettings);
            ConnectGauge(*gauge, gaugeSettings, 5000);
            return gauge;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return device->connected(); }, 30000));
    }

    void rebuildSamplingRates() override {}
    RunFields fields() override { return runFields; }
    void notice(ChainNotice, const QString& text) override { ADD_FAILURE() << text.toStdString(); }
    void setCapturing(bool) override {}
    void capture(std::function<void(const CaptureResult&)> done) override
    {
        auto* session = new CaptureSession(*device, openCase, settings, units, 0);
        LatchEachPointAtItsFirstReading(*session, session, [session] { session->toggleLatch(); });
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

    Simulator simulator{{"qc10"}};
    Settings settings;
    UnitState units;
    std::unique_ptr<DeviceThread> device;
    Case openCase;
    RunFields runFields;
    bool ended = false;
};

TEST_F(CapturedFiles, AStaticCaptureWrittenToEitherFileReadsBackAsTheSameCase)
{
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
        std::tie(runFields.startAxisIndex, runFields.endAxisIndex, ended) = std::tuple(arc.startAxis, arc.endAxis, false);
        RunChain chain(*device, openCase, settings, units, *this);
        chain.press(IniFile(iniFile), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
        const CaseData& d = openCase.Data;
        ASSERT_EQ(std::tuple(d.RunCount, d.StartAngle, d.StopAngle, d.RunTargets[1]),
                  std::tuple(2, arc.start, arc.stop, arc.points));

        ASSERT_TRUE(files::SaveBrvFile(openCase, "1.0", path("captured.brv")).ok());
        ASSERT_TRUE(files::SaveRtb(openCase, settings, path("captured.rtb")).ok());
        test::ExpectSameCase(test::ReadBack(path("captured.brv"), files::ReaderKind::Brv, settings), openCase);
        test::ExpectSameCase(test::ReadBack(path("captured.rtb"), files::ReaderKind::Rtb, settings), openCase);
    }
}

} // namespace
} // namespace sarvo::gauge
