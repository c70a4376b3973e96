#include "app/fit_command.h"

#include "analysis/analyse_case.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/case_commands.h"
#include "gui/program_services.h"

namespace sarvo {

bool RunErrorFit(Case& c)
{
    AnalysisOutcome fit;
    {
        ProgressScope progress(!app().State.BatchRunning);
        fit = AnalyseCase(c, app().Settings, {.errorModel = true}, progress);
    }
    for (const Outcome& failure : fit.stepFailures)
        ReportOutcome(failure);
    if (!fit.cancelled())
        ReportOutcome(fit.outcome);
    const bool valid = fit.ok() && c.Results.ResultsValid;
    UpdateCaseCommands();
    if (valid && app().State.GraphShown && shell().isMenuChecked(CommandId::Combine))
        DrawGraph(WindowId::Graph);
    return valid;
}

} // namespace sarvo
