#pragma once
// The analysis of a case in one call, for everything that analyses: the step after a read, the
// error-model fit, the results window, a case loaded from the database, the batch import and the
// end of a capture. The caller picks the steps; progress is reported, and between two steps the
// caller's Progress may ask to stop.

#include "analysis/step_failures.h"
#include "core/case.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "core/settings.h"

namespace sarvo {

struct AnalysisSteps {
    // After a read: the least-squares circles, the ISO 230-4 values, the re-centring, the
    // circularity and the minimum zone.
    bool measurement = false;
    // On a measured case: the error-model fit with its pitches, spikes, spectrum and traces.
    bool errorModel = false;
    // The influence ranking of the fitted errors.
    bool ranking = false;
    // A case loaded with its stored results: the spectrum of a dynamic case and the model
    // traces computed again from the stored parameters.
    bool storedTraces = false;
};

struct AnalysisOutcome {
    // Cancelled, or the error that ended the analysis; either way the case is as it was before.
    Outcome outcome;
    // The errors of steps that trapped their own and let the analysis go on, in the order they
    // happened; the case holds the results of the analysis with them.
    StepFailures stepFailures;

    bool ok() const { return outcome.ok(); }
    bool cancelled() const { return outcome.cancelled(); }
};

// Runs the steps on a copy of c and adopts it when the analysis ran to its end. A fit that fails
// is one of the step failures and leaves ResultsValid false, as the fit has always done.
AnalysisOutcome AnalyseCase(Case& c, const Settings& settings, const AnalysisSteps& steps, Progress& progress);

// The location of a failure that ends the analysis.
inline constexpr char kAnalysisLocation[] = "Analysing the case";

} // namespace sarvo
