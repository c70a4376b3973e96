// The angle helpers of the analysis.
#include "analysis/angles.h"
#include "analysis/trig_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace sarvo;

TEST(AngleHelpers, AngleDegCoversTheQuadrantsAndTheAxes)
{
    EXPECT_EQ(AngleDeg(1, 0), 90);
    EXPECT_EQ(AngleDeg(-1, 0), 270);
    EXPECT_EQ(AngleDeg(0, 0), 270);
    EXPECT_FLOAT_EQ(AngleDeg(1, -1), 135);
    EXPECT_FLOAT_EQ(AngleDeg(-1, -1), 225);
    EXPECT_FLOAT_EQ(AngleDeg(-1, 1), -45);
    EXPECT_FLOAT_EQ(AngleDeg(0, -1), 180);
    // A steep vector is close to the axis, not 0.
    EXPECT_FLOAT_EQ(AngleDeg(1e30f, 1e-30f), 90);
    EXPECT_FLOAT_EQ(AngleDeg(-1e30f, -1e-30f), 270);
    EXPECT_EQ(AngleDeg(NAN, 1), 0);
}

TEST(AngleHelpers, AngleDegPointsAlongTheVector)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> coordinate(-100, 100);
    for (int i = 0; i < 1000; ++i) {
        const float x = coordinate(rng), y = coordinate(rng);
        const double a = AngleDeg(y, x);
        ASSERT_GT(a, -90);
        ASSERT_LE(a, 270);
        const double length = std::hypot(x, y);
        EXPECT_NEAR(length * CosDeg(a), x, 1e-4 * length);
        EXPECT_NEAR(length * SinDeg(a), y, 1e-4 * length);
    }
}

TEST(AngleHelpers, ACosDegInvertsTheCosineOnItsRange)
{
    EXPECT_EQ(ACosDeg(1), 0);
    EXPECT_FLOAT_EQ(ACosDeg(0.5f), 60);
    EXPECT_EQ(ACosDeg(0), 90);
    EXPECT_FLOAT_EQ(ACosDeg(-0.5f), -60); // arc cosine less 180 on the negative side
    EXPECT_EQ(ACosDeg(1.5f), 0);
    EXPECT_EQ(ACosDeg(NAN), 0);
    for (float x = 0.01f; x <= 1.0f; x += 0.01f)
        EXPECT_NEAR(CosDeg(ACosDeg(x)), x, 1e-6);
}

TEST(AngleHelpers, DegreesUseTheProgramsPi)
{
    // cos(P / 2) with P a little above pi is -sin of half the difference.
    EXPECT_NEAR(CosDeg(90), -(kPi12 - M_PI) / 2, 3e-16); // to the rounding of the argument
    EXPECT_LT(CosDeg(90), 0);
    for (int d = -360; d <= 720; d += 7) {
        EXPECT_EQ(static_cast<float>(CosDeg(d)), CosTab(d));
        EXPECT_EQ(static_cast<float>(SinDeg(d)), SinTab(d));
    }
}
