// ContiSure reader on arbitrary bytes: a header file and one to eight point files beside it, read
// whole and header alone.
//
// Input: byte 0 picks the points limit; byte 1 the number of point files (1-8) and, bit by bit,
// whether each is an "a" or a "c" file; then each file as a 2-byte little-endian length and its
// bytes, the header file first.
#include "files/contisure_reader.h"
#include "files/dispatch.h"
#include "tests/files/case_invariants.h"
#include "tests/files/fuzz/fuzz_support.h"

using namespace sarvo;

namespace {
QByteArray NextFile(const uint8_t*& data, size_t& size)
{
    if (size < 2)
        return {};
    const size_t length = std::min<size_t>(size - 2, size_t(data[0]) | (size_t(data[1]) << 8));
    const QByteArray bytes = fuzz::Bytes(data + 2, length);
    data += 2 + length;
    size -= 2 + length;
    return bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    const int pointFiles = 1 + (data[1] & 7);
    const uint8_t kinds = data[2];
    data += 3;
    size -= 3;

    const QString header = QStringLiteral("/c/ABCDEFGg.xy");
    files::MemoryFiles files;
    files.files.insert(header, NextFile(data, size));
    for (int i = 0; i < pointFiles; ++i) {
        const QChar kind = (kinds >> i) & 1 ? u'c' : u'a';
        files.files.insert(QStringLiteral("/c/ABCDEFG%1.xy%2").arg(kind).arg(i + 1), NextFile(data, size));
    }
    const files::ReadContext ctx = fuzz::Context(files, maxPoints);
    const fuzz::WholeRead read = fuzz::ReadWhole(ctx, header, files::ReaderKind::ContiSure, maxPoints);
    if (read.result.ok()) {
        fuzz::Require(read.target.Data.Dynamic && read.target.Data.Calibrated, "a ContiSure run is dynamic and calibrated");
        fuzz::RequireCancelWithoutMachine(ctx, header, files::ReaderKind::ContiSure, read.before);
    }

    Case headerOnly;
    headerOnly.Header[HdrFilename] = header;
    headerOnly.Data.Readings(1, 1) = 2.5;
    if (files::ReadContiSureHeader(headerOnly, ctx).ok()) {
        const QString broken = test::HeaderInvariantFailure(headerOnly);
        fuzz::Require(broken.isEmpty(), "header read", broken);
    }
    fuzz::Require(headerOnly.Data.Readings(1, 1) == 2.5, "a header read leaves the readings");
    return 0;
}
