#pragma once
// Batch saving tied to the program: the batch window over the program's case database, settings
// and prompts, and the running state that keeps the commands changing the open case or the
// database off while a batch runs.

#include "casedb/batch_model.h"

namespace sarvo {

// What a batch save of the program needs: the program's case database, its settings, reads that
// put a machine the database does not know to the machine list (once per name in one batch) and
// ask nothing else, the overwrite question through prompts(), and the recent list for every case
// stored.
casedb::BatchServices ProgramBatchServices();

// Sets the program's BatchRunning and the enabled state of the commands.
void SetBatchRunning(bool running);

// Registers the batch window ("Batch", shown modeless by the batch command).
void RegisterBatchWindow();

} // namespace sarvo
