#include "app/fit_command.h"

#include "analysis/error_model.h"
#include "app/app_context.h"
#include "app/app_shell.h"
#include "app/case_commands.h"
#include "gui/program_services.h"

namespace sarvo {

bool RunErrorFit(Case& c)
{
    bool valid = false;
    {
        ProgressScope progress(!app().State.BatchRunning);
        valid = CalcErrors(c, app().Settings, progress);
    }
    UpdateCaseCommands();
    if (valid && app().State.GraphShown && shell().isMenuChecked(CommandId::Combine))
        DrawGraph(WindowId::Graph);
    return valid;
}

} // namespace sarvo
