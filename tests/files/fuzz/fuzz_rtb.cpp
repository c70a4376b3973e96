// .rtb reader on arbitrary bytes: the whole read through the adopt-on-success rule, the header
// read, and a cancelled machine choice.
#include "files/rtb_reader.h"
#include "tests/files/fuzz/fuzz_support.h"

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    files::MemoryFiles files;
    files.files.insert("/f/in.rtb", fuzz::Bytes(data + 1, size - 1));
    files::ReadContext ctx = fuzz::Context(files, maxPoints);

    const fuzz::WholeRead whole = fuzz::ReadWhole(ctx, "/f/in.rtb", files::ReaderKind::Rtb, maxPoints);
    const files::ReadResult& r = whole.result;
    if (r.ok())
        fuzz::Require(whole.target.Data.Dynamic == (whole.target.Header[HdrStatDyn] == "D"), "Dynamic follows Stat/Dyn");

    Case header;
    header.Header[HdrFilename] = "/f/in.rtb";
    header.Data.Readings(1, 1) = 2.5;
    const files::ReadResult h = files::ReadRtbHeader(header, ctx);
    if (h.ok()) {
        const QString broken = test::HeaderInvariantFailure(header);
        fuzz::Require(broken.isEmpty(), "header read", broken);
    }
    fuzz::Require(header.Data.Readings(1, 1) == 2.5, "a header read leaves the readings");

    if (r.ok()) {
        fuzz::RequireCancelWithoutMachine(ctx, "/f/in.rtb", files::ReaderKind::Rtb, whole.before);
    }
    return 0;
}
