#pragma once
// The program-wide state: the open case, the settings, the application state and the unit
// state. One instance, owned by the program; functions that work on a case take it as an
// argument, so tests and the batch import can work on a copy.

#include "app/app_state.h"
#include "core/case.h"
#include "core/settings.h"
#include "casedb/case_store.h"
#include "core/units.h"

#include <memory>

namespace sarvo {

struct AppContext {
    sarvo::Case OpenCase;
    sarvo::Settings Settings;
    sarvo::AppState State;
    sarvo::UnitState Units;
    // The case database behind State.MainDb; empty while none is open.
    std::unique_ptr<casedb::CaseStore> CaseDb;
};

AppContext& app();

// Back to the start values (everything zero or empty); for tests.
void ResetAppContext();

} // namespace sarvo
