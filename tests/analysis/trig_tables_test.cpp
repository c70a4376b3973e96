// The whole-degree tables use the twelve-digit pi, so quarter turns are not exactly zero.
#include "analysis/trig_tables.h"
#include "core/app_error.h"

#include <gtest/gtest.h>

using namespace sarvo;

TEST(TrigTables, ExactAndTwelveDigitPiValues)
{
    EXPECT_EQ(CosTab(0), 1.0f);
    EXPECT_EQ(SinTab(0), 0.0f);
    EXPECT_EQ(CosTab(-360), 1.0f);
    EXPECT_EQ(CosTab(720), 1.0f);
    EXPECT_NEAR(CosTab(90), -1.036e-13, 0.001e-13);
    EXPECT_NE(CosTab(90), 0.0f);
    EXPECT_NEAR(SinTab(180), -2.073e-13, 0.001e-13);
    EXPECT_EQ(CosTab(45), 0.70710677f);
    EXPECT_EQ(SinTab(45), 0.70710677f);
    EXPECT_EQ(SinTab(-90), -1.0f);
}

TEST(TrigTables, DegreeZeroPointerReachesTheWholeRange)
{
    const float* c = CosTabZero();
    const float* s = SinTabZero();
    for (int d = -360; d <= 720; d += 15) {
        EXPECT_EQ(c[d], CosTab(d)) << d;
        EXPECT_EQ(s[d], SinTab(d)) << d;
    }
    InitTrigTables();
    EXPECT_EQ(CosTabZero(), c); // refilled in place: the library's pointers stay valid
    EXPECT_EQ(c[60], CosTab(60));
}

TEST(TrigTables, OutOfRangeDegreeIsSubscriptError)
{
    EXPECT_THROW(CosTab(721), AppError);
    EXPECT_THROW(SinTab(-361), AppError);
}
