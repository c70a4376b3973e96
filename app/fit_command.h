#pragma once
// The error-model fit as a command of the program: the progress window, the fit, and the
// commands and graph that follow its results.

#include "core/case.h"

namespace sarvo {

// Fits the error model of the case with the program's settings, the progress window open for
// the duration (shown unless a batch import runs). A successful fit enables the commands that
// need results and redraws the graph when it shows the combined model. A fit stopped from the
// progress window leaves the case as it was. True when the results are valid.
bool RunErrorFit(Case& c);

} // namespace sarvo
