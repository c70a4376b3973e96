#pragma once
// The main window's commands, toolbar buttons and status panels by typed id, with the control
// names they carry (menu item "MResult", button "SaveDb", panel "ReadOnly").

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace sarvo {

enum class CommandId {
    // File
    NewMeasurement,
    OpenFromFile,
    OpenFromDatabase,
    SaveToDatabase,
    SaveToFile,
    Batch,
    Print,
    Recent0,
    Recent1,
    Recent2,
    Recent3,
    Exit,
    // Analysis
    Graph,
    Results,
    ResultGraph,
    Trend,
    // Settings
    Combine,
    Toolbar,
    Points500,
    Points1000,
    Points2000,
    Points4000,
    Points8000,
    Metric,
    Inches,
    Machines,
    Language,
    Configure,
    // Window, Help
    Arrange,
    HelpContents,
    HowToUseHelp,
    ErrorTypesHelp,
    About,
};
inline constexpr std::size_t kCommandCount = std::size_t(CommandId::About) + 1;

enum class ButtonId { Exit, New, OpenFile, OpenDb, SaveDb, Print, Graph, Result, Trend, Help };
inline constexpr std::size_t kButtonCount = std::size_t(ButtonId::Help) + 1;

enum class StatusPanel { Info, ReadOnly, Logo };

// The menu item's control name ("MRecent(2)", "MPoint(0)").
QString CommandName(CommandId id);
// The toolbar button's key ("SaveDb").
QString ButtonKey(ButtonId id);
// The status panel's key ("ReadOnly").
QString PanelKey(StatusPanel panel);

// The recent-list entry 0..3 and the "Max. number of points" item 0..4.
CommandId RecentCommand(int index);
CommandId MaxPointsCommand(int item);

// The command a toolbar button gives, whose enabled state it shares; none for Exit and Help.
std::optional<CommandId> ButtonCommand(ButtonId id);

} // namespace sarvo
