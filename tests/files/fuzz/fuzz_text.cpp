// The text helpers the readers and the dispatcher stand on: the 2-D form, the reader choice, the
// input items, number and date readings, and the 6-byte reals.
#include "core/dates.h"
#include "core/utilities.h"
#include "files/dbb_reader.h"
#include "files/dispatch.h"
#include "files/text_items.h"
#include "tests/files/fuzz/fuzz_support.h"

#include <algorithm>
#include <cmath>

using namespace sarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString text = files::DecodeUtf8Or1252(bytes);

    QString why;
    if (const auto form = files::Parse2dForm(text, &why)) {
        const auto& names = form->names;
        fuzz::Require(std::any_of(names.begin(), names.end(), [](const QString& n) { return !n.isEmpty(); }),
                      "a 2-D form names a file");
        // Rotation 2 alone leaves both places of rotation 1 empty; every other form names its first file.
        const bool secondPairOnly = names[0].isEmpty() && names[1].isEmpty() && !names[2].isEmpty();
        fuzz::Require(!names[0].isEmpty() || secondPairOnly, "a 2-D form names its first file or is rotation 2 alone");
        fuzz::Require(text.startsWith(form->folder), "the folder starts the form");
    } else {
        fuzz::Require(!why.isEmpty(), "a refused 2-D form says why");
    }
    const files::ReaderKind program = files::ChooseReader(text, files::Caller::Program);
    const files::ReaderKind window = files::ChooseReader(text, files::Caller::Window);
    fuzz::Require(program != files::ReaderKind::Unknown, "the program always picks a reader");
    fuzz::Require(window == program || (window == files::ReaderKind::Unknown && program == files::ReaderKind::Rtb),
                  "the window differs only in refusing");
    files::MeetsContiSureRule(text);
    files::PreselectedFileType(text);

    files::ItemReader reader(text);
    int items = 0;
    qsizetype last = -1;
    while (const auto item = reader.next()) {
        fuzz::Require(reader.position() > last, "the reader moves on");
        last = reader.position();
        fuzz::Require(item->isEmpty() || (item->data() >= text.data() && item->data() + item->size() <= text.data() + text.size()),
                      "an item lies inside the text");
        if (const auto v = ParseNumber(*item))
            fuzz::Require(std::isfinite(*v) && !IsNumberBeyondRange(*item), "a parsed number is finite");
        if (const auto v = LeadingNumberInRange(*item))
            fuzz::Require(std::isfinite(*v), "a leading value is finite");
        else
            fuzz::Require(LeadingNumber(item->toString()) == 0.0, "a leading value beyond the range reads 0 elsewhere");
        fuzz::Require(std::isfinite(StrToDbl(item->toString())), "StrToDbl is finite");
        if (++items > 64)
            break;
    }

    if (const auto date = ParseDateText(text))
        fuzz::Require(date->isValid(), "a parsed date is valid");
    fuzz::Require(ParseFixedDateTime(text).isValid(), "a fixed stamp always gives a time");
    try {
        fuzz::Require(DateFix1980(text).isValid(), "DateFix1980 gives a valid date");
    } catch (const AppError&) {
    }
    for (size_t i = 0; i + files::kReal6Size <= size && i < 256; ++i)
        fuzz::Require(std::isfinite(files::Real48ToDouble(QByteArrayView(bytes.constData() + i, files::kReal6Size))),
                      "a 6-byte real is finite");
    files::IsBinaryDbb(text, bytes);
    return 0;
}
