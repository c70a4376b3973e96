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

// Asks to stop once it has been asked `steps` times, i.e. after that many steps ran.
class StopAfter : public Progress {
public:
    explicit StopAfter(int steps) : steps_(steps) {}
    void setPercent(int percent) override
    {
        EXPECT_GE(percent, last);
        EXPECT_LE(percent, 100);
        last = percent;
    }
    bool cancelRequested() const override { return asked_++ >= steps_; }
    int last = 0;

private:
    int steps_;
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

// Stopped before any of the four steps, or after one, two or three of them, the case is as it
// was; let run, the same analysis completes and changes it.
TEST_F(AnalyseCaseTest, AnalysisStoppedBetweenStepsLeavesTheCaseAsItWas)
{
    const Case before = ReadCase();
    for (int k = 0; k <= 3; ++k) {
        Case c = before;
        StopAfter progress(k);
        const AnalysisOutcome outcome = AnalyseCase(c, FitSettings(), kEverything, progress);
        EXPECT_TRUE(outcome.cancelled()) << k;
        EXPECT_EQ(outcome.outcome.number(), AppError::kCancelled);
        EXPECT_TRUE(SameAnalysis(c, before)) << "stopped after step " << k;
    }
    Case c = before;
    StopAfter never(4);
    const AnalysisOutcome outcome = AnalyseCase(c, FitSettings(), kEverything, never);
    ASSERT_TRUE(outcome.ok());
    EXPECT_TRUE(outcome.stepFailures.empty());
    EXPECT_EQ(never.last, 100);
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
