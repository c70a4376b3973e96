#include "files/file_services.h"

#include "app/app_context.h"
#include "app/dates.h"
#include "app/language_db.h"
#include "app/program_services.h"
#include "app/prompts.h"
#include "app/utilities.h"
#include "casedb/machine_list.h"
#include "files/dispatch.h"
#include "files/rtb_writer.h"

#include <algorithm>

namespace sarvo {

namespace files {

namespace {
constexpr int kDefaultMaxPoints = 2500;

QString appTitle()
{
    return app().State.AppTitle.isEmpty() ? QStringLiteral("Sarvotex") : app().State.AppTitle;
}
} // namespace

ReadContext ProgramReadContext()
{
    static DiskFiles disk;
    const Settings& s = app().Settings;
    ReadContext ctx;
    ctx.maxPoints = s.MaxPoints > 0 ? std::min(s.MaxPoints, int32_t(kMaxPointIndex)) : kDefaultMaxPoints;
    ctx.baseTemperature = s.BaseTemperature;
    ctx.now = [] { return NaiveNow(); };
    ctx.resolveMachine = [](const QString& name) {
        QString machine = name;
        CheckForMachine(machine);
        return machine;
    };
    ctx.moreFiles = [](const QString& previous) -> QString {
        if (!prompts().askYesNo(appTitle(), Translate("Do you want to read more files to this measurement?")))
            return {};
        return prompts().chooseOpenFile(Translate("Open"), PathOfFile(previous),
                                        {QStringLiteral("Heidenhain Ball Bar (*.dbb)")});
    };
    ctx.report = [](const ReadResult& r) { ReportReadResult(r); };
    ctx.files = &disk;
    return ctx;
}

} // namespace files

void InstallFileServices()
{
    services().openMeasurementFile = [](const QString& commandText) {
        const files::ReadContext ctx = files::ProgramReadContext();
        return files::OpenMeasurementFile(commandText, ctx);
    };
    services().saveRtb = [](const QString& fileName) {
        return files::SaveRtb(app().OpenCase, app().Settings, fileName);
    };
}

} // namespace sarvo
