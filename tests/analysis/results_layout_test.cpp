// Reading the packed error-parameter record through its field table, and the model-trace table.
#include "analysis/results.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace sarvo;

// The uncertainties lie 236 bytes into the results, off the alignment of a double: every field
// must still read as it was set, the angle as a signed 16-bit value.
TEST(ErrorParamFields, ValuesReadByValueWhereverTheRecordLies)
{
    auto field = [](std::string_view name) {
        for (const ErrorParamField& f : kErrorParamFields) {
            if (name == f.name)
                return f;
        }
        ADD_FAILURE() << name;
        return ErrorParamField{};
    };
    AnalysisResults r;
    r.ErrorReliability.Back0 = 1.5;
    r.ErrorReliability.PolarVibration = -2.25;
    r.ErrorReliability.VibrationAngle = -5;
    r.ErrorReliability.CentreV = 0.125;
    EXPECT_EQ(ErrorParamValue(r.ErrorReliability, field("Back0")), 1.5);
    EXPECT_EQ(ErrorParamValue(r.ErrorReliability, field("PolarVibration")), -2.25);
    EXPECT_EQ(ErrorParamValue(r.ErrorReliability, field("VibrationAngle")), -5.0);
    EXPECT_EQ(ErrorParamValue(r.ErrorReliability, field("CentreH")), 0.0);
    EXPECT_EQ(ErrorParamValue(r.ErrorReliability, field("CentreV")), 0.125);
    EXPECT_EQ(ErrorParamValue(r.ErrorValues, field("CentreV")), 0.0);
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
