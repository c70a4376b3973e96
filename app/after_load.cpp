#include "app/after_load.h"

#include "analysis/analyse_case.h"
#include "app/app_context.h"
#include "app/case_commands.h"
#include "app/recent_files.h"
#include "core/progress.h"
#include "gui/form_utilities.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

namespace sarvo {

void CaseReplaced(const CaseChange& change)
{
    for (WindowId id : {WindowId::Results, WindowId::Graph, WindowId::AnalysisGraph})
        windows().unload(id);
    if (change.panel == CasePanel::Close)
        windows().unload(WindowId::CaseInfo);
    app().State.CaseOpen = change.caseOpen;
    app().State.CaptureUnsaved = change.captureUnsaved;
    UpdateCaseCommands();
    if (change.panel == CasePanel::Refill)
        ShowBasicInfo();
    // The window that had the keyboard may have been one of those closed.
    KeepKeyboardInAWindow();
}

void RunAfterFileRead(bool ok, const QString& name)
{
    // A failed read left the open case as it was: its windows and commands stay.
    if (!ok)
        return;

    // The previous case's results can no longer be saved, printed or shown: the commands come
    // back once the new case's analysis has run. A captured case the read replaced is no longer
    // there to be saved. The panel is filled once the analysis has run.
    CaseReplaced({.caseOpen = false, .captureUnsaved = false, .panel = CasePanel::Leave});

    BusyCursor busy;
    {
        NoProgress none;
        const AnalysisOutcome analysis =
            AnalyseCase(app().OpenCase, app().Settings, {.measurement = true}, none);
        for (const Outcome& failure : analysis.stepFailures)
            ReportOutcome(failure);
        // An analysis that ends leaves the case unanalysed and closed; its error goes to the
        // read's own handler, which reports it where it always has.
        if (!analysis.ok())
            throw analysis.outcome.error();
    }
    app().State.CaseOpen = true;
    UpdateCaseCommands();
    AddRecentFile(app().Settings, name, 0);
    ShowBasicInfo();
}

} // namespace sarvo
