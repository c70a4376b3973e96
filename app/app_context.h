#pragma once
// The program-wide state: the open case, the settings, the application state and the unit
// state. One instance, owned by the program; functions that work on a case take it as an
// argument, so tests and the batch import can work on a copy.

#include "app/app_state.h"
#include "app/case.h"
#include "app/settings.h"
#include "app/units.h"

namespace sarvo {

struct AppContext {
    sarvo::Case OpenCase;
    sarvo::Settings Settings;
    sarvo::AppState State;
    sarvo::UnitState Units;
};

AppContext& app();

// Back to the start values (everything zero or empty); for tests.
void ResetAppContext();

} // namespace sarvo
