// Calibrating a bar length against the calibrator, without the window.

#include "gauge/calibration.h"

#include <gtest/gtest.h>

namespace sarvo::gauge {
namespace {

Settings TableOfThree()
{
    Settings settings;
    settings.ScaleFactor = 1;
    settings.BaseTemperature = 20;
    settings.BallBarLength = 150;
    CalibrationTable& table = settings.Calibration;
    table.CalibratorCount = 3;
    table.NominalLength = {100, 150, 300};
    table.CalibratorLength = {100.001, 150.002, 300.003};
    table.LengthOffset = {0.01, 0.02, 0.03};
    table.LengthCalibrated = {-1, 0, 0};
    return settings;
}

TEST(Calibration, StoresTheOffsetOfAReadingOnlyAndMakesTheEntryTheOnlyCalibratedOne)
{
    Settings settings = TableOfThree();
    CalibrationModel model(settings);
    model.select(model.entryOfBarLength());
    ASSERT_EQ(model.selected(), 1);
    EXPECT_FALSE(model.offset().has_value());

    CalibrationReading shown;
    ASSERT_TRUE(model.calibrate(GaugeReading{0, 0.0015f}, shown).ok());
    EXPECT_NEAR(shown.measuredMm, 150.0015, 1e-7);
    EXPECT_NEAR(settings.Calibration.LengthOffset[1], -0.0005, 1e-7);
    EXPECT_EQ(settings.Calibration.LengthCalibrated, (std::array<int16_t, kCalibrationEntries>{0, -1}));
    EXPECT_NEAR(*model.offset(), -0.0005, 1e-7);
    // The live value now reads the calibrator length.
    EXPECT_NEAR(model.live(0.0015).compensatedMm, 150.002, 1e-7);

    const CalibrationTable after = settings.Calibration;
    EXPECT_FALSE(model.calibrate(GaugeReading{kGaugeTimeout, 0}, shown).ok());
    // A bar in the calibrator stands still: a reading whose records moved is refused.
    EXPECT_FALSE(model.calibrate(GaugeReading{0, 0.0015f, false, {}, false}, shown).ok());
    model.select(-1); // nothing chosen: nothing happens
    EXPECT_TRUE(model.calibrate(GaugeReading{0, 1}, shown).ok());
    EXPECT_EQ(settings.Calibration.LengthOffset, after.LengthOffset);
    EXPECT_EQ(settings.Calibration.LengthCalibrated, after.LengthCalibrated);
}

} // namespace
} // namespace sarvo::gauge
