#pragma once
// Reader of the Renishaw .rtb text file: a header of "Key: value" lines, the marker "DATA::",
// then up to seven run blocks, each with its own key lines and its points after
// "Point Raw-data:". The file named in HdrFilename is read into the case given, which the
// caller adopts only when the read succeeded.

#include "core/case.h"
#include "files/read_context.h"

namespace sarvo::files {

inline constexpr char kRtbHeaderLocation[] = "Reading header4";
inline constexpr char kRtbLocation[] = "Reading RTB-File (Reni.ReadRtb)";
// The equipment of a file that names none: the format is the QC10's.
inline constexpr char kRtbManufacturer[] = "Renishaw";
inline constexpr char kRtbModel[] = "QC10";

// The header alone (for listing a file): no machine question, no runs.
ReadResult ReadRtbHeader(Case& c, const ReadContext& ctx);

// The whole measurement: header, runs and the machine check.
ReadResult ReadRtb(Case& c, const ReadContext& ctx);

} // namespace sarvo::files
