#pragma once
// Readers of the Heidenhain .dbb file, one run per file, in two variants: a text file of
// comma-separated items and a binary file of fixed byte positions with 6-byte reals. Several
// files form one measurement when they cover the same sector.

#include "core/case.h"
#include "files/read_context.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace sarvo::files {

inline constexpr char kDbbTextHeaderLocation[] = "Reading header2";
inline constexpr char kDbbTextLocation[] = "Reading measuring";
inline constexpr char kDbbBinaryHeaderLocation[] = "Reading header3";
inline constexpr char kDbbBinaryLocation[] = "Reading DBB-File";

// The fixed part of a binary file; the samples follow it, six bytes each.
inline constexpr int kDbbBinaryHeaderSize = 122;
inline constexpr int kReal6Size = 6;

// The 6-byte real: exponent byte (bias 128), then the mantissa from its least significant byte
// to its most significant, whose top bit is the sign. Needs six bytes.
double Real48ToDouble(QByteArrayView six);

// A binary file begins with a length byte n and n characters that occur in its own path (n = 0
// always counts). A renamed binary file is still known by the control bytes below 9 that its
// header holds and no text file does.
bool IsBinaryDbb(const QString& path, const QByteArray& bytes);
// The same for a file on the context's provider; false when it cannot be read.
bool IsBinaryDbb(const QString& path, const ReadContext& ctx);

// The header of the file named in HdrFilename (for listing a file): no machine question, no run.
ReadResult ReadDbbHeader(Case& c, const ReadContext& ctx);
ReadResult ReadDbbTextHeader(Case& c, const ReadContext& ctx);
ReadResult ReadDbbBinaryHeader(Case& c, const ReadContext& ctx);

// Adds the run of the file named in HdrFilename after the runCounter runs already in the case,
// raising the counter on success. A file that adds to a measurement must cover the same sector.
ReadResult ReadDbbData(Case& c, int16_t& runCounter, const ReadContext& ctx);
ReadResult ReadDbbText(Case& c, int16_t& runCounter, const ReadContext& ctx);
ReadResult ReadDbbBinary(Case& c, int16_t& runCounter, const ReadContext& ctx);

// A whole measurement: the first file, then as many more as the user names (up to seven runs).
// When a later file fails, it is reported and the runs read so far make the measurement.
ReadResult ReadDbbFiles(Case& c, const QString& firstFile, const ReadContext& ctx);

} // namespace sarvo::files
