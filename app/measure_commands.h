#pragma once
// The windows of a new measurement that the program opens: the case-information dialog and the
// measurement window, with what they need of the program (the open case, the settings, the case
// database, the analysis, the save and viewing-angle windows).

namespace sarvo {

// Registers "frmBasic" (File > New measurement) and "frmMeasure".
void RegisterMeasureWindows();

} // namespace sarvo
