#include "app/case_commands.h"

#include "app/app_context.h"
#include "app/app_shell.h"

namespace sarvo {

namespace {
// The window each command opens; commands without one are absent.
std::optional<WindowId> windowOf(CommandId id)
{
    switch (id) {
    case CommandId::NewMeasurement:
        return WindowId::NewCase;
    case CommandId::OpenFromFile:
        return WindowId::OpenFile;
    case CommandId::OpenFromDatabase:
        return WindowId::DbLoad;
    case CommandId::SaveToDatabase:
        return WindowId::Session;
    case CommandId::Batch:
        return WindowId::Batch;
    case CommandId::Print:
        return WindowId::Print;
    case CommandId::Graph:
    case CommandId::Combine:
        return WindowId::Graph;
    case CommandId::Results:
        return WindowId::Results;
    case CommandId::ResultGraph:
        return WindowId::AnalysisGraph;
    case CommandId::Trend:
        return WindowId::History;
    case CommandId::Language:
        return WindowId::Language;
    case CommandId::Configure:
        return WindowId::Configure;
    default:
        return std::nullopt;
    }
}
} // namespace

const std::array<CommandId, 18>& StatefulCommands()
{
    static constexpr std::array<CommandId, 18> ids = {
        CommandId::NewMeasurement, CommandId::OpenFromFile, CommandId::OpenFromDatabase, CommandId::SaveToDatabase,
        CommandId::SaveToFile,     CommandId::Batch,        CommandId::Print,            CommandId::Recent0,
        CommandId::Recent1,        CommandId::Recent2,      CommandId::Recent3,          CommandId::Graph,
        CommandId::Results,        CommandId::ResultGraph,  CommandId::Trend,            CommandId::Combine,
        CommandId::Language,       CommandId::Configure,
    };
    return ids;
}

CommandStates CaseCommandStates(const Case& openCase, const AppState& state, const WindowAvailable& available)
{
    // While a new measurement is set up nothing may replace or store the case in memory.
    const bool idle = !state.NewMeasurementOpen;
    // While a batch stores files nothing may replace the case, store it or start another batch.
    const bool batchIdle = !state.BatchRunning;
    const bool caseOpen = idle && state.CaseOpen;
    // Storing, printing and the model graphs need the error model of this very case.
    const bool fitted = caseOpen && openCase.Results.ResultsValid;

    CommandStates states;
    auto set = [&](CommandId id, bool on) {
        const auto window = windowOf(id);
        states.enabled[std::size_t(id)] = on && (!window || (available && available(*window)));
    };
    for (CommandId id : {CommandId::NewMeasurement, CommandId::OpenFromFile, CommandId::OpenFromDatabase,
                         CommandId::Batch, CommandId::Recent0, CommandId::Recent1, CommandId::Recent2,
                         CommandId::Recent3})
        set(id, idle && batchIdle);
    set(CommandId::Configure, idle);
    for (CommandId id : {CommandId::SaveToFile, CommandId::Graph, CommandId::Results})
        set(id, caseOpen);
    for (CommandId id : {CommandId::Print, CommandId::ResultGraph, CommandId::Combine})
        set(id, fitted);
    set(CommandId::SaveToDatabase, fitted && batchIdle);
    set(CommandId::Trend, true);
    set(CommandId::Language, true);
    return states;
}

void UpdateCaseCommands()
{
    const CommandStates states = CaseCommandStates(app().OpenCase, app().State,
                                                   [](WindowId id) { return windows().isRegistered(id); });
    AppShell& main = shell();
    for (CommandId id : StatefulCommands())
        main.setMenuEnabled(id, states[id]);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        if (const auto command = ButtonCommand(ButtonId(b)))
            main.setButtonEnabled(ButtonId(b), states[*command]);
    }
}

} // namespace sarvo
