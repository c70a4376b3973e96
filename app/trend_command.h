#pragma once
// The trend windows in the program: the trend window over the program's case database and units,
// and its graph and table window in the main window's client area.

namespace sarvo {

// Registers both windows, which enables the Trend command and its toolbar button.
void RegisterTrendWindows();

} // namespace sarvo
