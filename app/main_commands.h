#pragma once
// The commands of the main window's menus and toolbar, as plain functions over the program state.

#include <QString>

class QWidget;

namespace sarvo {

class MainWindow;

void CmdNewMeasurement();
void CmdOpenFromFile();
void CmdOpenFromDatabase();
void CmdSaveToDatabase();
void CmdSaveToFile();
void CmdBatch();
void CmdPrint();
void CmdReopenRecent(int index);
void CmdGraph();
void CmdResults();
void CmdResultGraph();
void CmdTrend();
void CmdCombine();
void CmdToolbar();
void CmdMaxPoints(int item);
void CmdUnits(bool inch);
void CmdLanguage();
void CmdConfigure();
void CmdArrange(MainWindow& main);
void CmdHelpContents();
void CmdHelpOnHelp();
void CmdErrorTypesHelp();
void CmdHelpForActiveWindow(MainWindow& main);
// F1 in any window: the program's help at the context of the window around the widget.
void CmdHelpForWidget(QWidget& widget);
void CmdAbout();

} // namespace sarvo
