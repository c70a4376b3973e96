#include "app/after_load.h"

#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/recent_files.h"
#include "core/progress.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

namespace sarvo {

void RunAfterFileRead(bool ok, const QString& name)
{
    // A failed read left the open case as it was: its windows and commands stay.
    if (!ok)
        return;

    for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph})
        windows().unload(id);
    // The previous case's results can no longer be saved, printed or shown: the commands come
    // back once the new case's analysis has run.
    app().State.CaseOpen = false;
    UpdateCaseCommands();

    BusyCursor busy;
    Case& c = app().OpenCase;
    CalcLSC(c, app().Settings);
    CalcMeasurement(c);
    app().State.CaseOpen = true;
    UpdateCaseCommands();
    AddRecentFile(app().Settings, name, 0);
    ShowBasicInfo();
}

} // namespace sarvo
