#pragma once
// The results window and the case-information panel tied to the open case: showing them filled
// from the case in the program's units and language, the window flags, and closing the case view.

#include "gui/window_registry.h"

namespace sarvo {

// The program's ShowResults: the error-model fit when the case's results are not current, the
// ranking of the influences, then the results window filled and shown. Failures are reported
// with "Preparing results".
void ShowProgramResults();

// The program's ShowBasicInfo: the case-information panel filled from the open case (loaded
// when it is not; shown).
void ShowProgramCaseInfo();

// The program's DrawGraph: redraws the original or the analysis graph window when it is open.
void DrawProgramGraph(WindowId window);

// Registers the results window, the case-information panel and the two graph windows.
void RegisterDisplayWindows();

} // namespace sarvo
