#pragma once
// The enabled state of the commands as one function of the open case and the program's state:
// whatever happened before (a read, a failed read, a fit, a new measurement), the commands
// follow from what is there now. A command whose window is not built is never enabled.

#include "app/app_state.h"
#include "app/commands.h"
#include "core/case.h"
#include "gui/window_registry.h"

#include <array>
#include <functional>

namespace sarvo {

// Whether the window can be opened (its subsystem registered it).
using WindowAvailable = std::function<bool(WindowId)>;

struct CommandStates {
    std::array<bool, kCommandCount> enabled{};
    bool operator[](CommandId id) const { return enabled[std::size_t(id)]; }
};

// The commands whose enabled state this module decides; every other one is always enabled.
const std::array<CommandId, 18>& StatefulCommands();

CommandStates CaseCommandStates(const Case& openCase, const AppState& state, const WindowAvailable& available);

// Applies the states for the program's open case to the main window's menu items and toolbar
// buttons.
void UpdateCaseCommands();

} // namespace sarvo
