#include "app/case_load_command.h"

#include "app/after_load.h"
#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/program_db.h"
#include "app/recent_files.h"
#include "casedb/case_load.h"
#include "casedb/sql_error.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

namespace sarvo {

bool LoadProgramCase(int32_t measId)
{
    BusyCursor busy;
    AppContext& a = app();
    const casedb::CaseStore* store = mainCaseStore();
    if (!store) {
        ReportError(casedb::kLoadCaseLocation,
                    AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen)));
        return false;
    }
    const casedb::LoadResult result = casedb::LoadCase(*store, measId, a.OpenCase, a.Settings);
    for (const Outcome& failure : result.stepFailures)
        ReportOutcome(failure);
    if (!result.ok) {
        ReportError(casedb::kLoadCaseLocation, result.error());
        return false;
    }

    if (result.withResults) {
        a.State.CaseOpen = true;
        a.State.CaptureUnsaved = false; // the stored case replaced any captured one
        ShowBasicInfo();
        // The stored results are current: the windows show them without a new fit.
        if (a.State.ResultShown)
            ShowResults();
        if (a.State.GraphShown)
            DrawGraph(WindowId::Graph);
        if (a.State.AnaGraphShown)
            DrawGraph(WindowId::AnalysisGraph);
        UpdateCaseCommands();
    } else {
        CaseReplaced({.caseOpen = true, .captureUnsaved = false, .panel = CasePanel::Refill});
    }
    AddRecentFile(a.Settings, casedb::LoadedCaseRecentText(a.OpenCase), measId);
    return true;
}

void InstallCaseLoadService()
{
    if (!services().loadCaseFromDb)
        services().loadCaseFromDb = LoadProgramCase;
}

} // namespace sarvo
