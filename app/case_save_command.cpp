#include "app/case_save_command.h"

#include "app/app_context.h"
#include "app/program_db.h"
#include "app/recent_files.h"
#include "casedb/case_load.h"
#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "core/prompts.h"

namespace sarvo {

casedb::SaveResult SaveCaseToDb(const QString& session)
{
    BusyCursor busy;
    AppContext& a = app();
    const casedb::CaseStore* store = mainCaseStore();
    if (!store) {
        ReportError(QString::fromLatin1(casedb::kSavingLocation),
                    AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen)));
        return casedb::SaveResult{};
    }
    a.OpenCase.Header[HdrName] = session;
    const auto ask = [&a](const QString& question) { return prompts().askYesNo(a.State.AppTitle, question); };
    const casedb::SaveResult result = casedb::SaveCase(*store, a.OpenCase, session, ask);
    ReportOutcome(result.failure);
    if (result.outcome == casedb::SaveOutcome::Saved || result.outcome == casedb::SaveOutcome::Overwritten) {
        // The database opened again sees what another program wrote meanwhile (read-only too).
        openDB();
        a.State.CaptureUnsaved = false;
        AddRecentFile(a.Settings, casedb::LoadedCaseRecentText(a.OpenCase), result.measId);
    }
    return result;
}

} // namespace sarvo
