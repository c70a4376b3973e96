// .b5r reader on arbitrary bytes: the whole read through the adopt-on-success rule, the header
// read, and a cancelled machine choice. The dictionary b5r.dict gives the element and attribute
// names, so that mutations reach past the XML parser.
#include "files/b5r_reader.h"
#include "tests/files/fuzz/fuzz_support.h"

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    files::MemoryFiles files;
    files.files.insert("/f/in.b5r", fuzz::Bytes(data + 1, size - 1));
    files::ReadContext ctx = fuzz::Context(files, maxPoints);

    const fuzz::WholeRead whole = fuzz::ReadWhole(ctx, "/f/in.b5r", files::ReaderKind::B5r, maxPoints);
    const files::ReadResult& r = whole.result;
    if (r.ok()) {
        const CaseData& d = whole.target.Data;
        fuzz::Require(d.AngleStep == (d.Dynamic ? double(d.SweepAngle) / d.MaxTargets : 45.0),
                      "the step spreads the points over the arc");
        fuzz::Require(std::isfinite(d.ScaleFactor) && d.ScaleFactor != 0, "a scale factor");
        fuzz::Require(std::isfinite(d.RunFeedrate[1]) && std::isfinite(d.MeasuredFeedrateAverage), "finite feedrates");
    }

    Case header;
    header.Header[HdrFilename] = "/f/in.b5r";
    header.Data.Readings(1, 1) = 2.5;
    header.Data.RunCount = 2;
    header.Data.RunTargets[1] = 40;
    const files::ReadResult h = files::ReadB5rHeader(header, ctx);
    if (h.ok()) {
        const QString broken = test::HeaderInvariantFailure(header);
        fuzz::Require(broken.isEmpty(), "header read", broken);
    } else {
        fuzz::Require(!h.location.isEmpty() && !h.message.isEmpty(), "a header error has a location and a message");
    }
    fuzz::Require(header.Data.Readings(1, 1) == 2.5, "a header read leaves the readings");
    fuzz::Require(header.Data.RunCount == 2 && header.Data.RunTargets[1] == 40, "a header read leaves the runs");
    // Whatever the whole read made of the file, its header read agrees.
    if (r.ok())
        fuzz::Require(h.ok(), "a readable file has a readable header");

    if (r.ok()) {
        fuzz::RequireCancelWithoutMachine(ctx, "/f/in.b5r", files::ReaderKind::B5r, whole.before);
    }
    return 0;
}
