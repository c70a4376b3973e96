#pragma once
// Reader of a ContiSure measurement: a header text file whose stem ends in "g" and whose
// two-letter extension names the plane ("abcdefgg.xy"), and up to seven binary point files beside
// it, "abcdefga.xy?" for counter-clockwise and "abcdefgc.xy?" for clockwise runs. The header file
// is named in HdrFilename; the caller adopts the case only when the read succeeded.

#include "core/case.h"
#include "files/read_context.h"

#include <QDateTime>
#include <QString>

namespace sarvo::files {

inline constexpr char kContiSureHeaderLocation[] = "Reading header1";
inline constexpr char kContiSureLocation[] = "Reading ContiSure-File";

// The header alone (for listing a file): no machine question, no runs.
ReadResult ReadContiSureHeader(Case& c, const ReadContext& ctx);

// The whole measurement: header, point files and the machine check.
ReadResult ReadContiSure(Case& c, const ReadContext& ctx);

// "day-month-year": out-of-range months and days roll over, a two-digit year 0-29 is 20xx and
// 30-99 19xx. A text with fewer than two "-" gives now; a part that is no number raises.
QDateTime DateFromDmy(const QString& text, const QDateTime& now);

} // namespace sarvo::files
