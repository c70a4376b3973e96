#pragma once
// The program's own measurement file (.brv): an XML document with the case information, the
// readings of every run as they were read, and the analysis results as they stand.

#include "core/case.h"
#include "core/outcome.h"
#include "files/read_context.h"

#include <QByteArray>
#include <QString>

namespace sarvo::files {

inline constexpr char kBrvSaveLocation[] = "Saving brv file error";
inline constexpr char kBrvReadLocation[] = "Reading brv file error";

// The file's bytes from the case as it stands: header, the readings to save
// (CaseData::ReadingsToSave) and the results; nothing is analysed. A case whose fit failed gets
// its circles and ISO values with the measured mean feedrate; one without results, that feedrate
// alone. Raises AppError (an unreadable HdrDate, a document failure).
QByteArray BrvFileBytes(const Case& c, const QString& version);

// Writes the file in one piece: a failure (its outcome located at "Saving brv file error") leaves
// any earlier file of that name as it was.
Outcome SaveBrvFile(const Case& c, const QString& version, const QString& fileName);

// The case information alone (for listing files): no machine question, the runs untouched.
ReadResult ReadBrvHeader(Case& c, const ReadContext& ctx);
// The whole case: header, machine check, runs. The file is the one named in HdrFilename.
ReadResult ReadBrvFile(Case& c, const ReadContext& ctx);

} // namespace sarvo::files
