#pragma once
// Reader of the Renishaw ball-bar result file (.b5r, an XML document). Only the elements and
// attributes the case needs are read; the rest of the format is not used.

#include "core/case.h"
#include "files/read_context.h"

namespace sarvo::files {

inline constexpr char kB5rReadLocation[] = "Reading b5r file error";
// A missing file is reported under this location text alone.
inline constexpr char kB5rMissingFileLocation[] = "File not found!";

// The case information alone (for listing files): no machine question, the runs untouched.
ReadResult ReadB5rHeader(Case& c, const ReadContext& ctx);
// The whole case: header, machine check, runs. The file is the one named in HdrFilename.
ReadResult ReadB5r(Case& c, const ReadContext& ctx);

} // namespace sarvo::files
