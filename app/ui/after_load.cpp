#include "app/ui/after_load.h"

#include "analysis/circle_fit.h"
#include "analysis/measurement.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/program_services.h"
#include "app/recent_files.h"
#include "app/ui/window_registry.h"

namespace sarvo {

void RunAfterFileRead(bool ok, const QString& name)
{
    for (const char* window : {"result", "frmGraph", "frmAnaGraph"})
        windows().unload(window);

    // Whatever follows, the previous case's results can no longer be saved, printed or shown:
    // the commands come back only once the new case's analysis has run.
    for (const char* item : {"MResult", "MSave", "MSaveToFile", "MPrint", "MGraph"})
        shell().setMenuEnabled(item, false);
    for (const char* key : {"Result", "SaveDb", "Print", "Graph"})
        shell().setButtonEnabled(key, false);

    if (!ok) {
        windows().unload("Basic");
        return;
    }

    BusyCursor busy;
    Case& c = app().OpenCase;
    CalcLSC(c, app().Settings);
    CalcMeasurement(c);
    for (const char* item : {"MResult", "MSaveToFile", "MGraph"})
        shell().setMenuEnabled(item, true);
    for (const char* item : {"MSimuGraph", "MSimuShow"})
        shell().setMenuEnabled(item, false);
    for (const char* key : {"Result", "Graph"})
        shell().setButtonEnabled(key, true);
    AddRecentFile(name, 0);
    ShowBasicInfo();
}

} // namespace sarvo
