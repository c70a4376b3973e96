// The HEID stand-in through the program's binding: reference mark, series limits, missing library
// or call, and the card's statuses as the device layer tells them.

#include "gauge/device.h"
#include "gauge/heid_api.h"

#include "core/app_error.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <array>

namespace sarvo::gauge {
namespace {

class HeidTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
        qputenv("SARVOTEX_HEID_MARK_MS", "150");
        qunsetenv("SARVOTEX_HEID_INIT_STATUS");
        qunsetenv("SARVOTEX_HEID_FAIL_MS");
        qunsetenv("SARVOTEX_HEID_FAIL_AFTER");
        qunsetenv("SARVOTEX_HEID_ARC_MS");
    }
    void TearDown() override
    {
        if (handle_ > 0)
            HeidKill(handle_);
    }
    // Polls until the card reads without 320, within a generous limit.
    int16_t waitForMark(float& mm)
    {
        QElapsedTimer clock;
        clock.start();
        int16_t status = kHeidMarkNotCrossed;
        while (status == kHeidMarkNotCrossed && clock.elapsed() < 10000) {
            status = HeidReadOne(handle_, mm);
            QThread::msleep(5);
        }
        return status;
    }
    int16_t handle_ = 0;
};

TEST_F(HeidTest, ReadsOnlyAfterTheReferenceMark)
{
    ASSERT_EQ(HeidInit121(0x330, 12, 1, handle_), 0);
    float mm = -1;
    EXPECT_EQ(HeidReadOne(handle_, mm), kHeidMarkNotCrossed);
    EXPECT_EQ(mm, -1); // nothing written before the mark
    ASSERT_EQ(waitForMark(mm), 0);
    EXPECT_NEAR(mm, 0.5, 0.006);
    EXPECT_EQ(HeidKill(handle_), 0);
    EXPECT_NE(HeidReadOne(handle_, mm), 0); // a closed handle never reads
    handle_ = 0;
}

TEST_F(HeidTest, InitialisationAndLaterFailuresReturnTheirStatus)
{
    qputenv("SARVOTEX_HEID_INIT_STATUS", "7");
    EXPECT_EQ(HeidInit110(0xC8000, 1, handle_), 7);
    qunsetenv("SARVOTEX_HEID_INIT_STATUS");
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    qputenv("SARVOTEX_HEID_FAIL_MS", "0");
    ASSERT_EQ(HeidInit110(0xC8000, 1, handle_), 0);
    float mm = 0;
    EXPECT_EQ(HeidReadOne(handle_, mm), 57);
}

TEST_F(HeidTest, SeriesNeverDeliversPastEitherBuffer)
{
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    ASSERT_EQ(HeidInit121(0x330, 12, 1, handle_), 0);
    Ik121Series series;
    ASSERT_EQ(series.start(handle_, 50, 4), 0); // room for 100 values, one every 4 ms
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 120) // at least 30 values are due by then
        QThread::msleep(10);
    // More than the caller's buffer holds: it is full, not the card's.
    std::array<float, 20> out{};
    int count = 0;
    EXPECT_EQ(series.fetch(out, count), kReadingBufferFull);
    EXPECT_EQ(count, 20);
    EXPECT_NEAR(out[19], 0.5, 0.006);

    // More than the card's buffer held: the library's own overflow.
    while (clock.elapsed() < 700) // 100 more are due by then
        QThread::msleep(10);
    std::array<float, 200> wide{};
    EXPECT_EQ(series.fetch(wide, count), kBufferOverflow);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(series.stop(), 0);
    EXPECT_FALSE(series.running());
}

TEST_F(HeidTest, Ik110CircleRunsOnThroughALatePollAndBeginsAgainAfterIt)
{
    // The circle 50 ms into the polled series, for 2 s; a poll held up mid-circle (a loaded
    // machine) still finds the bar on it, and polling after the circle and a pause begins another.
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    qputenv("SARVOTEX_HEID_ARC_MS", "50 2000");
    ASSERT_EQ(HeidInit110(0xC8000, 1, handle_), 0);
    float mm = 0;
    const auto pollUntil = [&](bool onCircle) {
        QElapsedTimer clock;
        clock.start();
        while (HeidReadOne(handle_, mm) == 0 && (mm < 0.45f) != onCircle && clock.elapsed() < 10000)
            QThread::msleep(5);
        return (mm < 0.45f) == onCircle;
    };
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(pollUntil(true));
        QThread::msleep(200);
        ASSERT_EQ(HeidReadOne(handle_, mm), 0);
        EXPECT_LT(mm, 0.45f) << run;
        ASSERT_TRUE(pollUntil(false));
        QThread::msleep(200);
    }
}

TEST_F(HeidTest, MissingLibraryIsARunTimeError)
{
    SetHeidLibraryPath("/nonexistent/libHEID.so");
    int16_t handle = 0;
    try {
        HeidInit110(0xC8000, 1, handle);
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), 48);
    }
    SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
}

TEST_F(HeidTest, TheDeviceTellsAMissingReadingCallAtTheMarkAndWhichBufferOverflowed)
{
    // Either card without HeidGetOneMeas: no 10 s wait for a mark it cannot report, then a capture.
    Settings settings;
    SetHeidLibraryPath(SARVOTEX_HEID_WITHOUT_GET_ONE_LIBRARY);
    for (const GaugeType type : {GaugeType::Ik110, GaugeType::Ik121}) {
        settings.BallBarType = static_cast<int16_t>(type);
        EXPECT_EQ(ConnectGauge(*MakeGaugeDevice(settings), settings, 10000), AppError::kDllFunctionNotFound);
    }
    SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
    qputenv("SARVOTEX_HEID_MARK_MS", "0");
    const std::unique_ptr<GaugeDevice> card = MakeGaugeDevice(settings);
    ASSERT_EQ(card->open(), 0);
    ASSERT_EQ(card->startSeries(5, 250), 0); // room for 10 values; 30 are due at the fetch
    std::array<float, 20> out{};
    int count = 0;
    EXPECT_EQ(DeviceErrorText(card->fetchSeries(out, count, QDeadlineTimer(120))), "Counter card buffer overflow");
    EXPECT_EQ(DeviceErrorText(kBufferOverflow), "Serial port buffer overflow"); // the serial gauges' own
    // The IK110 has no series in the card: what fills is the buffer the program handed over.
    settings.BallBarType = static_cast<int16_t>(GaugeType::Ik110);
    const std::unique_ptr<GaugeDevice> polled = MakeGaugeDevice(settings);
    ASSERT_EQ(polled->open(), 0);
    ASSERT_EQ(polled->startSeries(5, 10), 0); // windows of 100 ms, which a loaded machine keeps
    std::array<float, 2> two{};
    EXPECT_EQ(DeviceErrorText(polled->fetchSeries(two, count, QDeadlineTimer(1000))), "The program's buffer of readings is full");
    EXPECT_EQ(count, 2);
}

} // namespace
} // namespace sarvo::gauge
