// Ranking of the error influences: magnitudes at the test radius, the exchange-sort order and
// the translated names.
#include "analysis/influence.h"
#include "core/language_db.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class Influence : public CoreTest {};

Case RankedCase()
{
    Case c;
    c.Results.LscResult.Radius = 150;
    c.Header[HdrFeedrate] = "1000 mm/min";
    c.Header[HdrPlane] = "xy";
    ErrorParams& e = c.Results.ErrorValues;
    e.ServoH = e.ServoV = 100;
    return c;
}

std::vector<int> Order(const Case& c)
{
    return {c.Results.InfluenceOrder.begin(), c.Results.InfluenceOrder.begin() + kInfluenceCodes};
}

} // namespace

// Every term as the deviation it causes at the radius, µm, whatever its sign.
TEST_F(Influence, MagnitudesAreDeviationsAtTheRadius)
{
    Case c = RankedCase();
    ErrorParams& e = c.Results.ErrorValues;
    e.ScaleH = 20;        // µm/m over 150 mm
    e.ScaleV = -10;
    e.Squareness = 10;    // arc seconds over 150 mm
    e.ServoH = 99;        // 1% of 1000 mm/min lags 2.22 µm at 150 mm (both axes together)
    e.StraightH = -6;     // peak to valley over the half turn
    e.Back180 = -4;
    ASSERT_TRUE(SetInfluence(c));
    const auto& v = c.Results.InfluenceValue;
    EXPECT_FLOAT_EQ(v[InfScaleH], 3.0f);
    EXPECT_FLOAT_EQ(v[InfScaleV], 1.5f);
    EXPECT_NEAR(v[InfSquareness], 150 * 10 / 206264.8 * 1000, 1e-3);
    EXPECT_NEAR(v[InfServo], 0.01 / 150 * 1000 / 60 * 2000, 1e-5);
    EXPECT_FLOAT_EQ(v[InfStraightH], 3.0f);
    EXPECT_FLOAT_EQ(v[InfBackH1], 4.0f);
    EXPECT_EQ(Order(c)[0], InfSquareness);
}

// Equal magnitudes are never exchanged, but a later exchange carries one past its equal: with
// Back0 = Back90 = 2 and Back180 = 3 the order is Back180, Back90, Back0 (a stable sort would
// keep Back0 before Back90). Equal largest values keep code order; all zero keeps 0..19.
TEST_F(Influence, ExchangeSortOrder)
{
    Case c = RankedCase();
    ASSERT_TRUE(SetInfluence(c));
    std::vector<int> identity(kInfluenceCodes);
    std::iota(identity.begin(), identity.end(), 0);
    EXPECT_EQ(Order(c), identity);

    ErrorParams& e = c.Results.ErrorValues;
    e.Back0 = 2;
    e.Back90 = -2;
    e.Back180 = 3;
    ASSERT_TRUE(SetInfluence(c));
    const std::vector<int> order = Order(c);
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4), (std::vector<int>{2, 1, 0, 3}));

    e = ErrorParams{};
    e.ServoH = e.ServoV = 100;
    e.PlayV = e.CyclicH = 5;
    ASSERT_TRUE(SetInfluence(c));
    EXPECT_EQ(Order(c)[0], InfPlayV);
    EXPECT_EQ(Order(c)[1], InfCyclicH);
}

// Names are translated and carry the plane's axis letters: German from the shipped texts.
TEST_F(Influence, NamesAreTranslatedWithThePlaneLetters)
{
    SetTextLanguage("German");
    OpenLanguageDatabase(appPath);
    Case c = RankedCase();
    c.Header[HdrPlane] = "yz";
    ASSERT_TRUE(SetInfluence(c));
    const auto& n = c.Results.InfluenceName;
    EXPECT_EQ(n[InfBackH0], Translate("Backlash") + " y+");
    EXPECT_EQ(n[InfBackV1], Translate("Backlash") + " z-");
    EXPECT_EQ(n[InfServo], Translate("Servo"));
    for (const char* english : {"Backlash", "Lateral Play", "Mismatch", "Cyclic", "Servo", "Stick Slip", "Axis Spike",
                                "Squareness", "Straightness", "Vibration", "Dir. Vibration"})
        EXPECT_NE(Translate(english), QString::fromLatin1(english)) << english;

    SetTextLanguage("English");
    c.Header[HdrPlane] = "x";
    ASSERT_TRUE(SetInfluence(c));
    EXPECT_EQ(n[InfPlayH], "Lateral Play x");
    EXPECT_EQ(n[InfPlayV], "Lateral Play ");
    EXPECT_EQ(n[InfPolar], "Dir. Vibration");
}

// A zero radius divides by zero at the servo term: reported, the magnitudes before it stay.
TEST_F(Influence, ZeroRadiusIsReported)
{
    Case c = RankedCase();
    c.Results.LscResult.Radius = 0;
    c.Results.ErrorValues.CyclicV = 4;
    c.Results.ErrorValues.SlipH = 6;
    EXPECT_FALSE(ReportOutcome(SetInfluence(c)));
    EXPECT_EQ(c.Results.InfluenceValue[InfCyclicV], 4.0f);
    EXPECT_EQ(c.Results.InfluenceValue[InfSlipH], 0.0f);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Formulae(SetInfluence)"));
}
