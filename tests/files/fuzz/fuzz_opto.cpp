// Optodyne 2-D files on arbitrary bytes: the header and data of up to four files, their grouping
// into cases, and the import of every case listed and of the files named in the 2-D case form.
//
// Input: byte 0 picks the points limit; byte 1 the number of files (1-4); then each file as a
// 2-byte little-endian length and its bytes.
#include "files/dispatch.h"
#include "files/optodyne.h"
#include "tests/files/case_invariants.h"
#include "tests/files/fuzz/fuzz_support.h"

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int maxPoints = fuzz::PickMaxPoints(data[0]);
    const int count = 1 + (data[1] & 3);
    data += 2;
    size -= 2;

    files::MemoryFiles files;
    QStringList paths;
    QString form = QStringLiteral("/o/");
    for (int i = 0; i < count; ++i) {
        size_t length = 0;
        if (size >= 2) {
            length = std::min<size_t>(size - 2, size_t(data[0]) | (size_t(data[1]) << 8));
            data += 2;
            size -= 2;
        }
        const QString name = QStringLiteral("f%1.2d2").arg(i + 1);
        files.files.insert("/o/" + name, fuzz::Bytes(data, length));
        data += length;
        size -= length;
        paths << "/o/" + name;
        form += u' ' + name;
    }
    const files::ReadContext ctx = fuzz::Context(files, maxPoints);

    const QList<files::TwoDCase> cases =
        files::ListOptodyneCases("/o/", paths, ctx, [](double feedrate) { return QString::number(feedrate); });
    fuzz::Require(cases.size() <= count / 2, "a case holds a pair of files at least");
    for (const files::TwoDCase& listed : cases) {
        fuzz::Require(files::Parse2dForm(listed.form).has_value(), "a listed case reads back as a 2-D form");
        const fuzz::WholeRead read = fuzz::ReadWhole(ctx, listed.form, files::ReaderKind::TwoD, maxPoints);
        if (read.result.ok())
            fuzz::Require(read.target.Header[HdrFilename] == listed.form, "an imported case names its files as listed");
    }
    fuzz::ReadWhole(ctx, form, files::ReaderKind::TwoD, maxPoints);
    return 0;
}
