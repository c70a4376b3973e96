#pragma once
// The core services tied to the program's state: its settings file, its units and menus, and the
// question window's kept answer.

#include <QString>

namespace sarvo {

// Reads app().State.IniFile into the program's settings, sets the open case's bar length from
// them, reports a failed read, sets the text language, shows or hides the toolbar and checks the "Max. number of
// points" item. A file that exists
// but cannot be read is remembered, so WriteIni never overwrites it.
void gsReadIni();
// Writes the program's settings back, with the toolbar state taken from the toolbar itself and
// the bar length from the open case; reports a failed write. Nothing is written before the
// settings were read, nor into a file that could not be read or a program folder that is none.
void WriteIni();

// Checks the "Max. number of points" item that stands for n.
void ShowMaxPointsItem(int n);

// Applies UnitsInch to the program: the unit state, the Metric and Inches check marks and the
// refresh of the open windows that show values in display units.
void SetUnits();

// Asks for one line of text under the program's title; the answer is also kept in
// app().State.InputAnswer (the empty text after Cancel, never the previous answer).
QString AskInput(const QString& prompt);

} // namespace sarvo
