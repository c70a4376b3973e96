#pragma once
// The results window and the case-information panel tied to the open case: showing them filled
// from the case in the program's units and language, the window flags, and closing the case view.

namespace sarvo {

// The program's ShowResults: the error-model fit when the case's results are not current, the
// ranking of the influences, then the results window filled and shown. Failures are reported
// with "Preparing results".
void ShowProgramResults();

// The program's ShowBasicInfo: the case-information panel filled from the open case (loaded
// when it is not; shown).
void ShowProgramCaseInfo();

// Registers the results window and the case-information panel.
void RegisterDisplayWindows();

} // namespace sarvo
