// The error-parameter record crosses into the computation library byte for byte.
#include "analysis/results.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace sarvo;

TEST(ErrorParamsLayout, NegativeVibrationAngleIsTwoBytesFollowedByZeros)
{
    ErrorParams p;
    p.PolarVibration = 1.0;
    p.VibrationAngle = -5;
    p.CentreH = 2.5;
    unsigned char bytes[sizeof(ErrorParams)];
    std::memcpy(bytes, &p, sizeof bytes);
    EXPECT_EQ(bytes[216], 0xFB);
    EXPECT_EQ(bytes[217], 0xFF);
    EXPECT_EQ(bytes[218], 0x00);
    EXPECT_EQ(bytes[219], 0x00);
    double centre = 0;
    std::memcpy(&centre, bytes + 220, sizeof centre);
    EXPECT_EQ(centre, 2.5);
}

TEST(ErrorParamsLayout, FieldsSitWhereTheLibraryReadsThem)
{
    // A record written field by field must read back at the fixed offsets (little-endian doubles).
    ErrorParams p;
    p.Back0 = 1;
    p.Squareness = 176;
    p.PolarVibration = 208;
    p.CentreV = 228;
    const auto* raw = reinterpret_cast<const unsigned char*>(&p);
    auto at = [raw](std::size_t offset) {
        double v;
        std::memcpy(&v, raw + offset, sizeof v);
        return v;
    };
    EXPECT_EQ(at(0), 1.0);
    EXPECT_EQ(at(176), 176.0);
    EXPECT_EQ(at(208), 208.0);
    EXPECT_EQ(at(228), 228.0);
}

TEST(AnalysisCurveTable, PairsPerDegreeAndCheckedBounds)
{
    AnalysisResults r;
    r.AnalysisCurve(0, -360) = 1.0f;
    r.AnalysisCurve(1, 0) = 2.0f;
    r.AnalysisCurve(0, 1) = 3.0f;
    r.AnalysisCurve(1, 720) = 4.0f;
    const float* zero = r.AnalysisCurve.degreeZero();
    EXPECT_EQ(zero[1], 2.0f);        // trace 1 at degree 0
    EXPECT_EQ(zero[2], 3.0f);        // trace 0 at degree 1
    EXPECT_EQ(zero[-720], 1.0f);     // trace 0 at degree -360
    EXPECT_EQ(zero[2 * 720 + 1], 4.0f);
    EXPECT_THROW(r.AnalysisCurve(0, 721), AppError);
    EXPECT_THROW(r.AnalysisCurve(2, 0), AppError);
    EXPECT_THROW(r.AnalysisCurve(0, -361), AppError);
}
