#pragma once
// Batch import without a window: the files collected for one session, each read in full,
// analysed and stored as a case of its own, one file a step, so that whoever drives the import
// (the batch window from its timer, the dump in a loop) stays responsive and can stop between
// two files. Every row carries its real outcome.

#include "casedb/case_save.h"
#include "casedb/case_store.h"
#include "core/case.h"
#include "core/settings.h"
#include "files/dispatch.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace sarvo::casedb {

// The location text under which a failed batch is reported.
inline constexpr char kSavingBatchLocation[] = "Saving batch";

// The reader of a file the batch takes, judged by the file name alone (never by a dot in a
// folder), without regard to case; Unknown for any other file.
files::ReaderKind BatchFileKind(const QString& path);

// The file pattern of the batch's file list.
QStringList BatchFilePatterns();

enum class BatchRowState {
    Collected, // read as far as its header, waiting to be stored
    Stored,    // a stored case (listed from the session or stored by this batch)
    Declined,  // the user kept the stored equal case: nothing written, shown as stored
    Failed,    // could not be read, analysed or stored; stays to be retried or removed
};

struct BatchRow {
    QString path;                    // full path; empty for a stored case without a file
    QString fileName;                // as shown
    QString plane;
    QString statDyn;                 // "S" or "D"
    std::optional<double> feedrate;  // mm/min
    BatchRowState state = BatchRowState::Collected;
    QString failure;                 // Failed: the reason, one line

    bool stored() const { return state == BatchRowState::Stored || state == BatchRowState::Declined; }
    // The status column's text.
    QString statusText() const;
};

// What a batch needs from its surroundings.
struct BatchServices {
    // The case database the cases go to; null when none is open.
    std::function<const CaseStore*()> store;
    Settings settings;
    // The full reads: a .dbb file is read without further runs; resolveMachine maps the machine a
    // file names (the program asks the user, the windowless import takes the name as it is). A
    // machine still missing from the machine list is added under its name when the case is stored.
    files::ReadContext readContext;
    AskOverwrite askOverwrite;
    // Told of every case stored (saved or overwritten).
    std::function<void(const Case& stored, int measId)> onStored;
};

class BatchModel {
public:
    enum class AddResult { Added, Duplicate, UnknownType, Folder, ReadFailed };
    struct Added {
        AddResult result = AddResult::Added;
        files::ReadResult read; // ReadFailed: what the header read returned
        QString path;
        // Why the file got no row, on one line ("" when it was added).
        QString refusalText() const;
    };

    const std::vector<BatchRow>& rows() const { return rows_; }
    // Whether a row holds the file; a look-up, however many rows there are.
    bool contains(const QString& path) const { return listed_.contains(path); }
    // Whether a row waits to be stored.
    bool hasPending() const;
    int pendingCount() const;
    // True while the rows are the stored cases of a session (listed or just stored).
    bool sessionRowsShown() const { return sessionRowsShown_; }

    // Reads the file's header (once) and appends a row for it; a file already listed, of no known
    // type, a folder, or a file whose header cannot be read gets none.
    Added addFile(const QString& path, const files::ReadContext& ctx);

    // Replaces the rows by the stored cases of the session, ordered by static/dynamic, plane and
    // feedrate. A failure keeps the rows listed before it.
    Outcome listSession(const CaseStore& store, const QString& session);
    // Drops every row (a new session typed over a listed one).
    void clear();
    // Removes the rows first..last that are not stored; stored rows stay.
    void removeRows(int first, int last);

    // Why a save cannot start ("" when it can): no session, or a row to store without a plane.
    QString saveRefusal(const QString& session) const;

private:
    friend class BatchRun;
    void append(BatchRow row);
    void eraseRow(int row);

    std::vector<BatchRow> rows_;
    // How many rows hold each path (stored cases of one file may be listed twice).
    QHash<QString, int> listed_;
    bool sessionRowsShown_ = false;
};

// One save of every waiting row, one file a step. The model must outlive the run and keep its
// rows while it runs.
class BatchRun {
public:
    BatchRun(BatchModel& model, QString session, BatchServices services);

    // Stores the next waiting row; false when none is left or the run was cancelled. A row is
    // either stored whole or not at all.
    bool step();
    // Stops before the next file; the rows stored so far stay stored.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    bool finished() const;

    // The row the next step stores, or -1.
    int currentRow() const;
    int percent() const;
    int storedCount() const { return stored_; }
    int failedCount() const { return failed_; }
    // The closing message: all stored, else how many could not be, and whether it was cancelled.
    QString closingText() const;

private:
    void storeRow(BatchRow& row);

    BatchModel& model_;
    QString session_;
    BatchServices services_;
    std::vector<int> todo_;
    std::size_t next_ = 0;
    int stored_ = 0;
    int failed_ = 0;
    bool cancelled_ = false;
};

} // namespace sarvo::casedb
