// The calibration window offscreen, reading the HEID stand-in through the device thread; driven
// without exec(), waiting on events with generous limits.

#include "gauge/ui/calibration_window.h"

#include "gauge/device_thread.h"
#include "gauge/heid_api.h"
#include "tests/support/core_test.h"
#include "tests/support/typing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

class CalibrationWindowTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        SetHeidLibraryPath(SARVOTEX_HEID_LIBRARY);
        qputenv("SARVOTEX_HEID_MARK_MS", "0");
        qunsetenv("SARVOTEX_HEID_FAIL_AFTER");
        qunsetenv("SARVOTEX_HEID_INIT_STATUS");
        settings.ScaleFactor = 1;
        settings.BaseTemperature = 20;
        settings.BallBarLength = 150;
        settings.BallBarType = static_cast<int16_t>(GaugeType::Ik121);
        settings.Calibration.CalibratorCount = 2;
        settings.Calibration.NominalLength = {100, 150};
        settings.Calibration.CalibratorLength = {100, 150.5};
        settings.Calibration.LengthCalibrated = {-1, 0};
        units.LargeFactor = 1;
        units.LongFormat = QStringLiteral("###0.##0");
    }

    // The stand-in card, made and opened on the device thread.
    std::unique_ptr<DeviceThread> heidThread()
    {
        return std::make_unique<DeviceThread>([copy = settings] {
            auto device = MakeGaugeDevice(copy);
            device->open();
            return device;
        });
    }

    std::unique_ptr<CalibrationWindow> open(DeviceThread* device)
    {
        auto window = std::make_unique<CalibrationWindow>(settings, units, QStringLiteral("°C"), device,
                                                          QStringLiteral("20.0"));
        window->show();
        return window;
    }

    template <class T>
    static T* child(QWidget& window, const char* name)
    {
        return window.findChild<T*>(QString::fromLatin1(name));
    }

    Settings settings;
    UnitState units;
};

TEST_F(CalibrationWindowTest, CalibratingStoresTheOffsetOfTheReading)
{
    const auto device = heidThread();
    const auto window = open(device.get());
    EXPECT_EQ(child<QComboBox>(*window, "cboBBLen")->currentIndex(), 1);
    EXPECT_EQ(child<QLineEdit>(*window, "txtCalLen")->text(), QStringLiteral("150.500"));
    // The live reading arrives without anyone waiting on the device: nominal plus about 0.5 mm.
    QLabel* measured = child<QLabel>(*window, "pnlMeas");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !measured->text().isEmpty(); }, 15000));
    EXPECT_NEAR(measured->text().toDouble(), 150.5, 0.006);

    child<QPushButton>(*window, "cmdSet")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings.Calibration.LengthCalibrated[1] != 0; }, 15000));
    EXPECT_EQ(settings.Calibration.LengthCalibrated[0], 0);
    EXPECT_NEAR(settings.Calibration.LengthOffset[1], 0, 0.006);
    EXPECT_FALSE(child<QLabel>(*window, "pnlOffset")->text().isEmpty());
    EXPECT_EQ(reportsAt(QStringLiteral("Calibrating")), 0);
}

TEST_F(CalibrationWindowTest, RefusesWithoutAGaugeAndKeepsTheTable)
{
    const CalibrationTable before = settings.Calibration;
    const auto window = open(nullptr);
    child<QPushButton>(*window, "cmdSet")->click();
    EXPECT_EQ(reportsAt(QStringLiteral("Calibrating")), 1);

    // A card that does not open: the reading comes back from the device thread as a failure.
    qputenv("SARVOTEX_HEID_INIT_STATUS", "7");
    const auto failing = heidThread();
    const auto second = open(failing.get());
    child<QPushButton>(*second, "cmdSet")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reportsAt(QStringLiteral("Calibrating")) == 2; }, 15000));
    EXPECT_EQ(settings.Calibration.LengthOffset, before.LengthOffset);
    EXPECT_EQ(settings.Calibration.LengthCalibrated, before.LengthCalibrated);
}

TEST_F(CalibrationWindowTest, AFailedLiveReadingIsToldOnceAndTheNominalLengthShows)
{
    qputenv("SARVOTEX_HEID_FAIL_AFTER", "3");
    const auto device = heidThread();
    const auto window = open(device.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    EXPECT_EQ(prompts.messages[0].text, "Device I/O error.\nReading one value.");
    EXPECT_FALSE(device->connected());
    // The closed card says nothing more at the next ticks, and the nominal length shows.
    EXPECT_FALSE(QTest::qWaitFor([&] { return prompts.messages.size() > 1; }, 2500));
    EXPECT_EQ(child<QLabel>(*window, "pnlMeas")->text(), "150.000");
    prompts.messages.clear();
    qunsetenv("SARVOTEX_HEID_FAIL_AFTER");
}

TEST_F(CalibrationWindowTest, InchCalibratorLengthIsKeptInMillimetres)
{
    units.LargeFactor = 1 / 25.4;
    units.LongFormat = QStringLiteral("###0.####0");
    const auto window = open(nullptr);
    QLineEdit* length = child<QLineEdit>(*window, "txtCalLen");
    length->setText(QStringLiteral("5.9055"));
    Q_EMIT length->editingFinished();
    EXPECT_NEAR(settings.Calibration.CalibratorLength[1], 149.9997, 1e-9);
    EXPECT_EQ(length->text(), QStringLiteral("5.90550"));
}

// Typed into each box, a number the reading would cut ("1,250.5" reads 1.5) is refused naming its
// field, as text that is no number is, and the box and the table keep their values.
TEST_F(CalibrationWindowTest, ABoxRefusesANumberTheReadingWouldCut)
{
    settings.GaugeExpCoeff = 11.5; // both temperatures asked for
    settings.CalibratorExpCoeff = 11.5;
    const auto window = open(nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const std::pair<const char*, const char*> boxes[] = {
        {"txtCalLen", "Calibrator Length"}, {"txtGaugeTemp", "Gauge Temperature"}, {"txtCalTemp", "Calibrator Temperature"}};
    for (const auto& [name, field] : boxes) {
        for (const char* typed : {"1,250.5", "1,000,000"}) {
            QLineEdit* box = child<QLineEdit>(*window, name);
            ASSERT_TRUE(box && box->isEnabled()) << name;
            const QString shown = box->text();
            prompts.messages.clear();
            test::TypeInto(*box, QString::fromLatin1(typed));
            ASSERT_EQ(prompts.messages.size(), 1u) << name << " " << typed;
            EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. %1 = %2").arg(field, typed));
            EXPECT_EQ(box->text(), shown) << name;
        }
    }
    EXPECT_EQ(settings.Calibration.CalibratorLength[1], 150.5);
    prompts.messages.clear();
}

} // namespace
} // namespace sarvo::gauge
