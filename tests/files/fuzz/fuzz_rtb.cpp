// .rtb reader on arbitrary bytes: the whole read through the adopt-on-success rule, the header
// read, and a cancelled machine choice.
#include "files/dispatch.h"
#include "files/rtb_reader.h"
#include "tests/files/case_invariants.h"
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

    Case target;
    target.Header[HdrMachine] = "Before";
    target.Data.Readings(2, 5) = 0.5;
    target.Data.RunCount = 3;
    const Case before = target;
    const files::ReadResult r = files::ReadInto(target, "/f/in.rtb", files::ReaderKind::Rtb, ctx);
    if (r.ok()) {
        const QString broken = test::FullInvariantFailure(target, maxPoints);
        fuzz::Require(broken.isEmpty(), "full read", broken);
        fuzz::Require(target.Data.Dynamic == (target.Header[HdrStatDyn] == "D"), "Dynamic follows Stat/Dyn");
    } else {
        fuzz::RequireCleanFailure(r, target, before);
    }

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
        ctx.resolveMachine = [](const QString&) { return QString(); };
        Case cancelled = before;
        const files::ReadResult c = files::ReadInto(cancelled, "/f/in.rtb", files::ReaderKind::Rtb, ctx);
        fuzz::Require(c.kind == files::ReadResult::Kind::Cancelled, "no machine chosen cancels the read");
        fuzz::Require(cancelled.Header == before.Header, "a cancelled read keeps the case");
    }
    return 0;
}
