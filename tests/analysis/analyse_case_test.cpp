#include "analysis/analyse_case.h"

#include "tests/analysis/model_case_util.h"
#include "tests/analysis/same_case.h"
#include "tests/support/core_test.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sarvo;
using namespace sarvo::test;

namespace {

class AnalyseCaseTest : public CoreTest {};

constexpr AnalysisSteps kEverything{.measurement = true, .errorModel = true, .ranking = true};

// Asks to stop once it has been asked `looks` times; the meter only rises.
class StopAfter : public Progress {
public:
    explicit StopAfter(int looks) : looks_(looks) {}
    void setPercent(int percent) override
    {
        EXPECT_GE(percent, last);
        EXPECT_LE(percent, 100);
        last = percent;
    }
    bool cancelRequested() const override { return asked_++ >= looks_; }
    int last = 0;

private:
    int looks_;
    mutable int asked_ = 0;
};

Case ReadCase()
{
    ErrorParams p{.Back0 = 4, .Back90 = 3, .ScaleH = TraceScale(20, 150), .ScaleV = -TraceScale(20, 150),
                  .CyclicH = 3, .PitchH = 10, .ServoH = 99, .ServoV = 101, .Squareness = 12, .CentreH = 12};
    Case c = TraceCase(p, {});
    c.Data.GaugeTemp[1] = 21.5; // the compensation changes the readings from the first step on
    return c;
}

// Stopped at every point where the analysis looks (before each of the four steps and within
// the fit), the case is as it was; asked later, the same analysis completes and changes it.
TEST_F(AnalyseCaseTest, AnalysisStoppedBetweenStepsLeavesTheCaseAsItWas)
{
    const Case before = ReadCase();
    Case c = before;
    AnalysisOutcome outcome;
    int stops = 0;
    for (;; ++stops) {
        ASSERT_LT(stops, 20);
        c = before;
        StopAfter progress(stops);
        outcome = AnalyseCase(c, FitSettings(), kEverything, progress);
        if (!outcome.cancelled())
            break;
        EXPECT_EQ(outcome.outcome.number(), AppError::kCancelled);
        EXPECT_TRUE(outcome.stepFailures.empty());
        EXPECT_TRUE(SameAnalysis(c, before)) << "stopped after " << stops << " looks";
    }
    EXPECT_GE(stops, 5);
    ASSERT_TRUE(outcome.ok());
    EXPECT_TRUE(outcome.stepFailures.empty());
    EXPECT_TRUE(c.Results.ResultsValid);
    EXPECT_FALSE(SameAnalysis(c, before));
    EXPECT_NEAR(double(c.Results.ErrorValues.PitchH), 10, 1e-9);
    EXPECT_TRUE(prompts.messages.empty());
}

// An error that ends the analysis (the circle fit meets a reading that is not a number) leaves
// the case as it was. A step that traps its own error lets the analysis go on: the fit without a
// feedrate is returned as a step failure, and its results stay invalid.
TEST_F(AnalyseCaseTest, FailuresThatEndTheAnalysisLeaveTheCaseAndStepFailuresAreReturned)
{
    Case c = ReadCase();
    c.Data.Readings(2, 17) = NAN;
    const Case before = c;
    NoProgress none;
    const AnalysisOutcome ended = AnalyseCase(c, FitSettings(), kEverything, none);
    ASSERT_FALSE(ended.ok());
    EXPECT_FALSE(ended.cancelled());
    EXPECT_EQ(ended.outcome.location(), QString::fromLatin1(kAnalysisLocation));
    EXPECT_TRUE(SameAnalysis(c, before));

    Case noFeed = ReadCase();
    noFeed.Header[HdrFeedrate] = "";
    const AnalysisOutcome failedFit = AnalyseCase(noFeed, FitSettings(), kEverything, none);
    EXPECT_TRUE(failedFit.ok());
    ASSERT_EQ(failedFit.stepFailures.size(), 1u);
    EXPECT_EQ(failedFit.stepFailures[0].location(), "Calculating errors");
    EXPECT_EQ(failedFit.stepFailures[0].number(), AppError::kDivisionByZero);
    EXPECT_FALSE(noFeed.Results.ResultsValid);
    EXPECT_NE(noFeed.Results.LscResult.Radius, 0); // the measurement stage's results are kept
    EXPECT_TRUE(prompts.messages.empty()); // nothing is shown from below the program
}

} // namespace
