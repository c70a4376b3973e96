// Reading the packed error-parameter record through its field table.
#include "core/results.h"

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
