// .brv reader on arbitrary bytes: the whole read through the adopt-on-success rule, the header
// read, a cancelled machine choice, and the writer on whatever the reader accepted: its file reads
// back and a second write is byte for byte the first.
#include "files/brv_file.h"
#include "tests/files/fuzz/fuzz_support.h"

#include <cmath>

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    files::MemoryFiles files;
    files.files.insert("/f/in.brv", fuzz::Bytes(data + 1, size - 1));
    files::ReadContext ctx = fuzz::Context(files, maxPoints);

    const fuzz::WholeRead whole = fuzz::ReadWhole(ctx, "/f/in.brv", files::ReaderKind::Brv, maxPoints);
    const files::ReadResult& r = whole.result;
    const Case& target = whole.target;
    if (r.ok()) {
        fuzz::Require(std::isfinite(target.Data.ScaleFactor) && target.Data.ScaleFactor != 0, "scale factor");
        fuzz::Require(std::isfinite(target.Data.MeasuredFeedrateAverage), "feedrate average");
    }

    Case header;
    header.Header[HdrFilename] = "/f/in.brv";
    header.Data.Readings(1, 1) = 2.5;
    header.Data.RunCount = 4;
    header.Data.ScaleFactor = 1.5;
    const files::ReadResult h = files::ReadBrvHeader(header, ctx);
    if (h.ok()) {
        const QString broken = test::HeaderInvariantFailure(header);
        fuzz::Require(broken.isEmpty(), "header read", broken);
    }
    fuzz::Require(header.Data.Readings(1, 1) == 2.5, "a header read leaves the readings");
    fuzz::Require(header.Data.RunCount == 4, "a header read leaves the runs");
    fuzz::Require(header.Data.ScaleFactor == 1.5, "a header read leaves the scale factor");
    fuzz::Require(!r.ok() || h.ok(), "a file that reads whole reads as a header");

    if (r.ok()) {
        // What the reader accepted, the writer writes, and its file is the reader's fixed point.
        const QByteArray first = files::BrvFileBytes(target, "fuzz");
        files::MemoryFiles written;
        written.files.insert("/f/out.brv", first);
        const files::ReadContext again = fuzz::Context(written, maxPoints);
        Case back;
        const files::ReadResult w = files::ReadInto(back, "/f/out.brv", files::ReaderKind::Brv, again);
        fuzz::Require(w.ok(), "the writer's file reads back", w.message);
        fuzz::Require(back.Data.RunCount == target.Data.RunCount, "the runs read back");
        fuzz::Require(files::BrvFileBytes(back, "fuzz") == first, "a second write is byte-identical");

        fuzz::RequireCancelWithoutMachine(ctx, "/f/in.brv", files::ReaderKind::Brv, whole.before);
    }
    return 0;
}
