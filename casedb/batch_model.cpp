#include "casedb/batch_model.h"

#include "analysis/analyse_case.h"
#include "casedb/case_columns.h"
#include "casedb/machine_list.h"
#include "casedb/sql_error.h"
#include "casedb/stored_cases.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "files/b5r_reader.h"
#include "files/brv_file.h"
#include "files/dbb_reader.h"
#include "files/rtb_reader.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>

namespace sarvo::casedb {

namespace {

// The reason of a failed read on one line.
QString ReadFailureText(const files::ReadResult& r)
{
    QString text = r.kind == files::ReadResult::Kind::Error ? Translate(r.location) + ": " + r.message : r.message;
    return text.replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified();
}

QString OutcomeText(const Outcome& o)
{
    return QString(Translate(o.location()) + ": " + o.error().description()).simplified();
}

// A read that failed because the name is a folder's ("x.rtb" made by hand or by another
// program), which the readers report as a file not found. Asked only after a failed read, so a
// good file costs nothing more.
bool IsFolder(const QString& path, const files::ReadResult& read)
{
    return !read.ok() && read.kind != files::ReadResult::Kind::Cancelled && QFileInfo(path).isDir();
}

QString FolderText(const QString& path)
{
    return Translate("%1 is a folder, not a measurement file.").arg(QDir::toNativeSeparators(path));
}

files::ReadResult ReadHeaderOnly(Case& c, files::ReaderKind kind, const files::ReadContext& ctx)
{
    switch (kind) {
    case files::ReaderKind::Brv:
        return files::ReadBrvHeader(c, ctx);
    case files::ReaderKind::Rtb:
        return files::ReadRtbHeader(c, ctx);
    case files::ReaderKind::B5r:
        return files::ReadB5rHeader(c, ctx);
    case files::ReaderKind::Dbb:
        return files::ReadDbbHeader(c, ctx);
    default:
        return files::ReadResult::refused(c.Header[HdrFilename] + "\r\n" +
                                          Translate("Files of this type cannot be read yet."));
    }
}

} // namespace

files::ReaderKind BatchFileKind(const QString& path)
{
    const files::ReaderKind kind = files::ChooseReader(path, files::Caller::Window);
    return kind == files::ReaderKind::TwoD ? files::ReaderKind::Unknown : kind;
}

QStringList BatchFilePatterns()
{
    return {QStringLiteral("*.brv"), QStringLiteral("*.b5r"), QStringLiteral("*.rtb"), QStringLiteral("*.dbb"),
            QStringLiteral("???????g.??")};
}

QString BatchRow::statusText() const
{
    switch (state) {
    case BatchRowState::Collected:
        return Translate("measured");
    case BatchRowState::Stored:
    case BatchRowState::Declined:
        return Translate("Analysed");
    case BatchRowState::Failed:
        return Translate("failed") + ": " + failure;
    }
    return {};
}

void BatchModel::append(BatchRow row)
{
    if (!row.path.isEmpty())
        ++listed_[row.path];
    rows_.push_back(std::move(row));
}

void BatchModel::eraseRow(int row)
{
    const QString& path = rows_[std::size_t(row)].path;
    if (const auto at = listed_.find(path); at != listed_.end() && --*at <= 0)
        listed_.erase(at);
    rows_.erase(rows_.begin() + row);
}

bool BatchModel::hasPending() const
{
    return pendingCount() > 0;
}

int BatchModel::pendingCount() const
{
    return int(std::count_if(rows_.begin(), rows_.end(), [](const BatchRow& r) { return !r.stored(); }));
}

QString BatchModel::Added::refusalText() const
{
    switch (result) {
    case AddResult::Added:
        return {};
    case AddResult::Duplicate:
        return Translate("The file is in the list already.");
    case AddResult::UnknownType:
        return Translate("File format not recognized!");
    case AddResult::Folder:
        return FolderText(path);
    case AddResult::ReadFailed:
        return ReadFailureText(read);
    }
    return {};
}

BatchModel::Added BatchModel::addFile(const QString& path, const files::ReadContext& ctx)
{
    if (contains(path))
        return {AddResult::Duplicate, {}, path};
    const files::ReaderKind kind = BatchFileKind(path);
    if (kind == files::ReaderKind::Unknown)
        return {AddResult::UnknownType, {}, path};
    Case header;
    header.Header[HdrFilename] = path;
    files::ReadResult read;
    try {
        read = ReadHeaderOnly(header, kind, ctx);
    } catch (...) {
        read = files::ReadResult::error(QStringLiteral("Reading file"), AppError::fromException(std::current_exception()));
    }
    if (!read.ok())
        return {IsFolder(path, read) ? AddResult::Folder : AddResult::ReadFailed, read, path};
    BatchRow row;
    row.path = path;
    row.fileName = FileNameOfPath(path);
    row.plane = header.Header[HdrPlane];
    row.statDyn = header.Header[HdrStatDyn];
    row.feedrate = StrToDbl(header.Header[HdrFeedrate]);
    append(std::move(row));
    return {AddResult::Added, read, path};
}

Outcome BatchModel::listSession(const CaseStore& store, const QString& session)
{
    return Trapped(QStringLiteral("Reading cases"), [&] {
        std::vector<StoredCaseSummary> cases = ListStoredCases(store, StoredCaseFilter{.session = session, .machine = {}, .plane = {}, .from = {}, .until = {}});
        // By the stored letter ("D" before "S") and the plane, as the database sorts text: without
        // regard to case.
        const auto caseless = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive); };
        std::stable_sort(cases.begin(), cases.end(), [&](const StoredCaseSummary& a, const StoredCaseSummary& b) {
            if (const int byLetter = caseless(a.statDyn, b.statDyn); byLetter != 0)
                return byLetter < 0;
            if (const int byPlane = caseless(a.plane, b.plane); byPlane != 0)
                return byPlane < 0;
            return a.feedrate < b.feedrate;
        });
        clear();
        for (const StoredCaseSummary& s : cases) {
            BatchRow row;
            row.path = s.fileName;
            row.fileName = FileNameOfPath(s.fileName);
            row.plane = s.plane;
            row.statDyn = s.statDyn;
            row.feedrate = s.feedrate;
            row.state = BatchRowState::Stored;
            append(std::move(row));
            sessionRowsShown_ = true;
        }
    });
}

void BatchModel::clear()
{
    rows_.clear();
    listed_.clear();
    sessionRowsShown_ = false;
}

void BatchModel::removeRows(int first, int last)
{
    if (first > last)
        std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, int(rows_.size()) - 1);
    for (int r = last; r >= first; --r) {
        if (!rows_[std::size_t(r)].stored())
            eraseRow(r);
    }
}

QString BatchModel::saveRefusal(const QString& session) const
{
    if (session.isEmpty())
        return Translate("Set first the name of the session, please.");
    for (const BatchRow& row : rows_) {
        if (!row.stored() && row.plane.isEmpty())
            return Translate("Set first plane settings, please.");
    }
    return {};
}

BatchRun::BatchRun(BatchModel& model, QString session, BatchServices services)
    : model_(model), session_(std::move(session)), services_(std::move(services))
{
    for (std::size_t r = 0; r < model_.rows_.size(); ++r) {
        if (!model_.rows_[r].stored())
            todo_.push_back(int(r));
    }
}

bool BatchRun::finished() const
{
    return cancelled_ || next_ >= todo_.size();
}

int BatchRun::currentRow() const
{
    return finished() ? -1 : todo_[next_];
}

int BatchRun::percent() const
{
    return todo_.empty() ? 100 : int(next_ * 100 / todo_.size());
}

bool BatchRun::step()
{
    if (finished())
        return false;
    BatchRow& row = model_.rows_[std::size_t(todo_[next_])];
    storeRow(row);
    if (row.stored())
        ++stored_;
    else
        ++failed_;
    ++next_;
    if (next_ >= todo_.size())
        model_.sessionRowsShown_ = true;
    return !finished();
}

void BatchRun::storeRow(BatchRow& row)
{
    const auto fail = [&row](const QString& reason) {
        row.state = BatchRowState::Failed;
        row.failure = reason;
    };
    const CaseStore* store = services_.store ? services_.store() : nullptr;
    if (!store || !store->isOpen())
        return fail(OutcomeText(Outcome::failure(QLatin1String(kSavingLocation), AppError::standard(kDatabaseNotOpen))));

    // Whoever drives the run checks this first (saveRefusal); a row without a plane is never stored.
    if (row.plane.isEmpty())
        return fail(Translate("Set first plane settings, please."));
    Case c;
    c.Data.BallBarLength = services_.settings.BallBarLength;
    const files::ReadResult read = files::ReadInto(c, row.path, BatchFileKind(row.path), services_.readContext);
    if (!read.ok())
        return fail(IsFolder(row.path, read) ? FolderText(row.path) : ReadFailureText(read));
    c.Header[HdrPlane] = row.plane;
    c.Header[HdrName] = session_;

    NoProgress progress;
    const AnalysisOutcome analysis =
        AnalyseCase(c, services_.settings, {.measurement = true, .errorModel = true}, progress);
    if (!analysis.ok())
        return fail(OutcomeText(analysis.outcome));
    // Without a valid error model the results of no case would be stored.
    if (!c.Results.ResultsValid) {
        return fail(analysis.stepFailures.empty() ? Translate("The analysis of the case gave no valid results.")
                                                  : OutcomeText(analysis.stepFailures[analysis.stepFailures.size() - 1]));
    }
    const Outcome machine = Trapped(QLatin1String(kSavingLocation), [&] { AddMachineIfMissing(*store, c.Header[HdrMachine]); });
    if (!machine)
        return fail(OutcomeText(machine));

    const SaveResult saved = SaveCase(*store, c, session_, services_.askOverwrite);
    switch (saved.outcome) {
    case SaveOutcome::Saved:
    case SaveOutcome::Overwritten:
        row.state = BatchRowState::Stored;
        row.failure.clear();
        if (services_.onStored)
            services_.onStored(c, saved.measId);
        break;
    case SaveOutcome::Declined:
        row.state = BatchRowState::Declined;
        row.failure.clear();
        break;
    case SaveOutcome::Failed:
        fail(OutcomeText(saved.failure));
        break;
    }
}

QString BatchRun::closingText() const
{
    QStringList lines;
    if (failed_ > 0)
        lines << Translate("%1 of the selected cases could not be stored into the database.").arg(failed_);
    if (cancelled_)
        lines << Translate("Saving was cancelled after %1 of %2 cases.").arg(stored_ + failed_).arg(todo_.size());
    if (lines.isEmpty())
        return Translate("All selected cases have now been stored into the database.");
    return lines.join(QLatin1String("\r\n"));
}

} // namespace sarvo::casedb
