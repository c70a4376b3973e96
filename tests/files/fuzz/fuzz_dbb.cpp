// .dbb readers on arbitrary bytes: text or binary as the variant test decides, a second file of
// the same measurement (the sector rule), and the header read.
//
// Input: byte 0 picks the points limit; byte 1 picks the first file's name (a name holding the
// leading text of a binary file or not) and whether a second file follows; bytes 2-3 split the
// rest into the two files.
#include "files/dbb_reader.h"
#include "files/dispatch.h"
#include "tests/files/case_invariants.h"
#include "tests/files/fuzz/fuzz_support.h"

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    const uint8_t flags = data[1];
    const size_t restSize = size - 4;
    const size_t split = restSize == 0 ? 0 : (size_t(data[2]) | (size_t(data[3]) << 8)) % (restSize + 1);
    const uint8_t* rest = data + 4;

    static const char* const kNames[] = {"/f/run.dbb", "/f/bin.dbb", "/f/BIN1.DBB", "/f/a.dbb"};
    const QString first = QString::fromLatin1(kNames[flags & 3]);
    const bool twoFiles = flags & 4;
    files::MemoryFiles files;
    files.files.insert(first, fuzz::Bytes(rest, twoFiles ? split : restSize));
    if (twoFiles)
        files.files.insert("/f/second.dbb", fuzz::Bytes(rest + split, restSize - split));
    files::ReadContext ctx = fuzz::Context(files, maxPoints);
    int asked = 0;
    ctx.moreFiles = [&](const QString&) -> QString {
        ++asked;
        return twoFiles && asked == 1 ? QStringLiteral("/f/second.dbb") : QString();
    };
    ctx.report = [](const files::ReadResult& r) {
        fuzz::Require(!r.ok() && (r.kind == files::ReadResult::Kind::Cancelled || !r.message.isEmpty()),
                      "a later file's failure is told");
    };

    Case target;
    target.Header[HdrMachine] = "Before";
    target.Data.Readings(4, 1) = 0.5;
    target.Data.RunCount = 4;
    const Case before = target;
    const files::ReadResult r = files::ReadInto(target, first, files::ReaderKind::Dbb, ctx);
    if (r.ok()) {
        const QString broken = test::FullInvariantFailure(target, maxPoints);
        fuzz::Require(broken.isEmpty(), "full read", broken);
        fuzz::Require(target.Data.RunCount <= (twoFiles ? 2 : 1), "one run per file");
        fuzz::Require(target.Data.Calibrated && target.Data.Dynamic, "a .dbb run is dynamic and calibrated");
    } else {
        fuzz::RequireCleanFailure(r, target, before);
    }

    Case header;
    header.Header[HdrFilename] = first;
    header.Data.Readings(1, 1) = 2.5;
    const files::ReadResult h = files::ReadDbbHeader(header, ctx);
    if (h.ok()) {
        const QString broken = test::HeaderInvariantFailure(header);
        fuzz::Require(broken.isEmpty(), "header read", broken);
    }
    fuzz::Require(header.Data.Readings(1, 1) == 2.5, "a header read leaves the readings");
    return 0;
}
