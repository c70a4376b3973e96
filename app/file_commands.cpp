#include "app/file_commands.h"

#include "app/app_context.h"
#include "app/program_db.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/prompts.h"
#include "core/utilities.h"
#include "files/brv_file.h"
#include "files/optodyne.h"
#include "files/rtb_writer.h"
#include "files/ui/open_file_window.h"
#include "files/ui/read_report.h"
#include "gui/program_services.h"
#include "gui/window_registry.h"

namespace sarvo {

files::ReadContext ProgramReadContext()
{
    static files::DiskFiles disk;
    files::ReadContext ctx = files::ReadContext::fromSettings(app().Settings);
    ctx.resolveMachine = [](const QString& name) {
        QString machine = name;
        CheckProgramMachine(machine);
        return machine;
    };
    ctx.moreFiles = [](const QString& previous) -> QString {
        if (!prompts().askYesNo(app().State.AppTitle, Translate("Do you want to read more files to this measurement?")))
            return {};
        return prompts().chooseOpenFile(Translate("Open"), PathOfFile(previous),
                                        {QStringLiteral("Heidenhain Ball Bar (*.dbb)")});
    };
    ctx.report = [](const files::ReadResult& r) { ReportReadResult(r); };
    ctx.files = &disk;
    return ctx;
}

bool OpenProgramFile(const QString& commandText, const files::ReadContext& ctx)
{
    if (commandText.isEmpty())
        return false;
    const QString text = files::CommandLineFileName(commandText);
    const files::ReadResult result = files::ReadCommandLineFile(text, app().OpenCase, app().Settings, ctx);
    ReportReadResult(result);
    AfterFileRead(result.ok(), text);
    return result.ok();
}

void InstallFileServices()
{
    services().openMeasurementFile = [](const QString& commandText) {
        return OpenProgramFile(commandText, ProgramReadContext());
    };
    services().saveRtb = [](const QString& fileName) {
        return ReportOutcome(files::SaveRtb(app().OpenCase, app().Settings, fileName));
    };
    services().saveBrvFile = [](const QString& fileName) {
        return ReportOutcome(files::SaveBrvFile(app().OpenCase, app().State.VersionString, fileName));
    };
}

void RegisterFileWindows()
{
    files::RegisterTwoDCaseLister([](const QString& folder, const QStringList& paths) {
        const UnitState& units = app().Units;
        return files::ListOptodyneCases(folder, paths, ProgramReadContext(), [&units](double feedrate) -> QString {
            return FormatNumber(feedrate * units.LargeFactor, units.LargeFormat) + units.LargeCaption + "/min";
        });
    });
    windows().registerWindow(
        WindowId::OpenFile,
        [](QWidget* parent) -> QWidget* {
            auto read = [](const QString& text, files::FileType type) {
                return files::ReadChosenFile(text, type, app().OpenCase, app().Settings, ProgramReadContext());
            };
            return new OpenFileWindow(app().Settings, app().OpenCase, read, parent);
        },
        false);
}

} // namespace sarvo
