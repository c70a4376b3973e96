#include "files/dbb_reader.h"

#include "core/dates.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/text_items.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace sarvo::files {

namespace {

constexpr int kHeaderItemCount = 100; // items 1..100; the samples follow

QString itemName(int item)
{
    return Translate("item %1").arg(item);
}

// ----- what both variants share --------------------------------------------------------------

// The points of the new run raise the case's points per run, never lower them within one
// measurement; the first file of a measurement starts afresh.
void setMaxTargets(Case& c, int64_t points, int counter)
{
    CaseData& d = c.Data;
    if (counter == 0 || points > d.MaxTargets)
        d.MaxTargets = static_cast<int16_t>(points);
    c.Header[HdrMaxTargets] = QString::number(d.MaxTargets);
}

// What no .dbb file carries takes the same value for every file instead of the last case's.
void setUncarried(Case& c)
{
    CaseHeader& h = c.Header;
    h[HdrStatDyn] = QStringLiteral("D");
    c.Data.Dynamic = true;
    h[HdrName].clear();
    h[HdrGaugeExp] = QStringLiteral("0");
    h[HdrMachineExp] = QStringLiteral("0");
    h[HdrEquipmentManufacturer] = QStringLiteral("Heidenhain");
    h[HdrEquipmentModel].clear();
    h[HdrEquipmentSerial].clear();
    c.Data.OvershootAngle = 0;
}

void setRadius(Case& c, double radius)
{
    c.Data.TestRadius = LengthValue(radius, QStringLiteral("Radius"));
    c.Data.BallBarLength = static_cast<float>(c.Data.TestRadius);
    c.Header[HdrLength] = FixedText(c.Data.TestRadius, "###0.000#");
}

// The runs of one measurement must cover the same sector: the same sweep, and the previous run's
// points within a tenth of the points per run as the new header leaves them.
bool sameSector(const Case& c, int counter, int previousSweep)
{
    const CaseData& d = c.Data;
    const int previousPoints = d.RunTargets[static_cast<std::size_t>(counter)];
    return d.SweepAngle == previousSweep
           && std::abs(previousPoints - int(d.MaxTargets)) <= double(d.MaxTargets) / 10.0;
}

ReadResult sectorRefusal()
{
    return ReadResult::refused(Translate("The files in the same measurement must have an equal size sector."));
}

void finishRun(Case& c, int run)
{
    CaseData& d = c.Data;
    d.RunCount = static_cast<int16_t>(run);
    d.Calibrated = true;
    d.OptionFlag = false;
    d.ScaleFactor = 1.0; // the file carries none: the case's own, not the gauge's setting
    d.AngleStep = d.StepOfRuns();
}

void checkRoomForRun(int counter)
{
    if (counter >= kMaxRuns)
        throw FormatError(Translate("A measurement holds at most seven runs."));
}

ReadResult errorAt(const char* location)
{
    return ReadResult::error(QString::fromLatin1(location), AppError::fromException(std::current_exception()));
}

// ----- text variant ----------------------------------------------------------------------------

struct TextFile {
    QString text;
    std::array<QStringView, kHeaderItemCount + 1> items{}; // 1-based
    qsizetype samplesStart = 0;
};

TextFile loadText(const QByteArray& bytes)
{
    TextFile f;
    f.text = DecodeUtf8Or1252(WithoutByteOrderMark(bytes));
    ItemReader reader(f.text);
    for (int i = 1; i <= kHeaderItemCount; ++i) {
        const auto item = reader.next();
        if (!item)
            throw ShortFileError(Translate("The file ends before its header is complete."));
        f.items[static_cast<std::size_t>(i)] = *item;
    }
    f.samplesStart = reader.position();
    return f;
}

double numberItem(const TextFile& f, int item)
{
    const auto value = ParseNumber(f.items[static_cast<std::size_t>(item)]);
    if (!value)
        throw AppError(AppError::kTypeMismatch, Translate("The header's %1 is not a number.").arg(itemName(item)));
    return *value;
}

QString textItem(const TextFile& f, int item)
{
    return f.items[static_cast<std::size_t>(item)].toString();
}

struct RunFacts {
    Thinning thinning;
    int16_t direction = 1;
    QString dateNote; // the date could not be read: what the user is told
};

RunFacts applyTextHeader(Case& c, const TextFile& f, int counter, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    RunFacts facts;

    const int64_t samples = WholeInt64(numberItem(f, 4), itemName(4));
    if (samples < 1)
        throw FormatError(Translate("The run has no points."));
    facts.thinning = ThinSamples(samples, ctx.maxPoints);
    CheckRunPoints(facts.thinning.points, ctx.maxPoints, counter + 1);
    setMaxTargets(c, facts.thinning.points, counter);

    h[HdrMachine] = textItem(f, 20);
    h[HdrCustomer] = textItem(f, 23);
    h[HdrBy] = textItem(f, 24);
    QString comment;
    for (int item = 25; item <= 27; ++item) {
        const QString part = textItem(f, item);
        if (part.compare(u"(null)", Qt::CaseInsensitive) == 0)
            continue;
        comment += (item == 25 ? QString() : QStringLiteral(" ")) + part;
    }
    h[HdrComment] = comment;
    h[HdrOrigX] = textItem(f, 28);
    h[HdrOrigY] = textItem(f, 29);
    h[HdrOrigZ] = textItem(f, 30);

    // An unreadable stamp gives the current time.
    d.TestDate = ParseFixedDateTime(textItem(f, 33));
    h[HdrDate] = GeneralDateText(d.TestDate);
    // One number wherever it goes: the sampling rate below, the case, the files and the database
    // all read this text, so it holds the item's value as every reader writes a feedrate.
    h[HdrFeedrate] = FixedText(SingleRangeValue(CheckedLeadingNumber(f.items[34], Translate("Feedrate")), Translate("Feedrate")),
                               "#####0");

    facts.direction = DirectionOfCode(WholeInt64(numberItem(f, 38), itemName(38)));

    static const char* const kPlanes[] = {"xy", "xz", "yz"};
    const int64_t plane = WholeInt64(numberItem(f, 55), itemName(55));
    if (plane >= 1 && plane <= 3)
        h[HdrPlane] = QString::fromLatin1(kPlanes[plane - 1]);
    else if (counter == 0)
        h[HdrPlane].clear(); // an unknown plane is left for the user to set

    int64_t start = WholeInt64(numberItem(f, 56), itemName(56));
    const int64_t sweep = WholeInt64(numberItem(f, 57), itemName(57));
    if (sweep < 1 || sweep > 1080)
        throw FormatError(Translate("The swept angle %1 is out of range.").arg(sweep));
    int64_t stop = start + sweep;
    if (facts.direction != 1) {
        // A clockwise file gives the end of the arc.
        stop = start;
        start = stop - sweep;
    }
    if (start < -360) {
        start += 360;
        stop += 360;
    }
    if (stop > 720) {
        start -= 360;
        stop -= 360;
    }
    SetCheckedAngles(d, start, stop);

    setRadius(c, numberItem(f, 58));
    setUncarried(c);
    h[HdrSampling] = SamplingRateText(c);
    return facts;
}

// The first number of a sample item: the bar length before the tab.
double sampleLength(QStringView item, int run)
{
    const qsizetype tab = item.indexOf(u'\t');
    const auto value = ParseNumber(tab < 0 ? item : item.left(tab));
    if (!value)
        throw AppError(AppError::kTypeMismatch, Translate("A sample of run %1 is not a number.").arg(run));
    return *value;
}

void readTextSamples(Case& c, const TextFile& f, const RunFacts& facts, int run)
{
    CaseData& d = c.Data;
    ItemReader reader(f.text);
    reader.seek(f.samplesStart);
    const int points = static_cast<int>(facts.thinning.points);
    for (int p = 0; p < points; ++p) {
        double sum = 0;
        for (int64_t k = 0; k < facts.thinning.factor; ++k) {
            const qsizetype start = reader.position();
            const auto item = reader.next();
            if (!item)
                throw ShortFileError(Translate("The file ends before its last sample."));
            // A sample line holds no comma: a decimal comma would split it into items that each
            // read as a sample of their own, about -100 mm apiece.
            if (reader.position() > start && f.text[reader.position() - 1] == u',') {
                const qsizetype line = LineNumberAt(f.text, start);
                throw FormatError(Translate("Line %1 in run %2 holds a comma, which no sample holds: \"%3\".")
                                      .arg(line)
                                      .arg(run)
                                      .arg(TextLines(f.text).value(line - 1).trimmed()));
            }
            sum += sampleLength(*item, run);
        }
        const double reading = SingleRangeValue(sum / double(facts.thinning.factor) - d.TestRadius, Translate("sample"));
        d.Readings(run, facts.direction == 1 ? p : points - 1 - p) = reading;
    }
}

// ----- binary variant --------------------------------------------------------------------------

// 1-based byte positions, as the layout names them.
double real6At(const QByteArray& bytes, int position)
{
    if (position < 1 || position - 1 + kReal6Size > bytes.size())
        throw AppError::subscriptOutOfRange();
    return Real48ToDouble(QByteArrayView(bytes.constData() + position - 1, kReal6Size));
}

int16_t int16At(const QByteArray& bytes, int position)
{
    const auto lo = static_cast<unsigned char>(bytes[position - 1]);
    const auto hi = static_cast<unsigned char>(bytes[position]);
    return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

void checkBinaryHeader(const QByteArray& bytes)
{
    if (bytes.size() < kDbbBinaryHeaderSize)
        throw ShortFileError(Translate("The file is too short for a binary .dbb file."));
}

RunFacts applyBinaryHeader(Case& c, const QByteArray& bytes, int counter, const ReadContext& ctx)
{
    checkBinaryHeader(bytes);
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    RunFacts facts;

    setRadius(c, real6At(bytes, 45));
    const int64_t start = WholeInt16(real6At(bytes, 63), QStringLiteral("start angle"));
    const int64_t stop = WholeInt16(real6At(bytes, 69), QStringLiteral("stop angle"));
    SetArcFromHeader(d, start, stop);

    h[HdrMachine] = QStringLiteral("Heidenhain"); // the file names no machine

    const int dateLength = static_cast<unsigned char>(bytes[9]);
    const QString dateText = 10 + dateLength <= bytes.size() ? DecodeBytes(bytes.mid(10, dateLength)) : QString();
    const FileDate date = ReadFileDate(dateText, ctx.currentTime(), h[HdrFilename]);
    d.TestDate = date.when;
    facts.dateNote = date.note;
    h[HdrDate] = GeneralDateText(d.TestDate);

    h[HdrBy].clear();
    h[HdrPlane] = QStringLiteral("xy");
    h[HdrFeedrate] = FixedText(SingleRangeValue(real6At(bytes, 39), Translate("Feedrate")), "#####0");

    const int64_t samples = int16At(bytes, 113);
    if (samples < 1)
        throw FormatError(Translate("The run has no points."));
    facts.thinning = ThinSamples(samples, ctx.maxPoints);
    CheckRunPoints(facts.thinning.points, ctx.maxPoints, counter + 1);
    setMaxTargets(c, facts.thinning.points, counter);
    facts.direction = DirectionOfCode(int16At(bytes, 115));

    for (int slot : {HdrCustomer, HdrComment, HdrOrigX, HdrOrigY, HdrOrigZ})
        h[slot].clear();
    setUncarried(c);
    h[HdrSampling] = SamplingRateText(c);
    return facts;
}

void readBinarySamples(Case& c, const QByteArray& bytes, const RunFacts& facts, int run)
{
    CaseData& d = c.Data;
    const int points = static_cast<int>(facts.thinning.points);
    const int64_t needed = kDbbBinaryHeaderSize + int64_t(kReal6Size) * points * facts.thinning.factor;
    if (bytes.size() < needed)
        throw ShortFileError(Translate("The file ends before its last sample."));
    int position = kDbbBinaryHeaderSize + 1;
    for (int p = 0; p < points; ++p) {
        double sum = 0;
        for (int64_t k = 0; k < facts.thinning.factor; ++k, position += kReal6Size)
            sum += real6At(bytes, position);
        // Samples are in micrometres.
        const double reading = SingleRangeValue(sum / double(facts.thinning.factor) / 1000.0, Translate("sample"));
        d.Readings(run, facts.direction == 1 ? p : points - 1 - p) = reading;
    }
}

// ----- one run of either variant -----------------------------------------------------------------

enum class Variant { Text, Binary };

ReadResult readRun(Case& c, int16_t& counter, const ReadContext& ctx, const QByteArray* loaded, Variant variant)
{
    const char* headerLocation = variant == Variant::Text ? kDbbTextHeaderLocation : kDbbBinaryHeaderLocation;
    const char* dataLocation = variant == Variant::Text ? kDbbTextLocation : kDbbBinaryLocation;
    c.Results.invalidate();
    const int previousSweep = c.Data.SweepAngle;

    QByteArray bytes;
    TextFile text;
    RunFacts facts;
    try {
        bytes = loaded ? *loaded : ctx.read(c.Header[HdrFilename]);
        if (variant == Variant::Text) {
            text = loadText(bytes);
            facts = applyTextHeader(c, text, counter, ctx);
        } else {
            facts = applyBinaryHeader(c, bytes, counter, ctx);
        }
    } catch (...) {
        return errorAt(headerLocation);
    }
    if (counter >= 1 && !sameSector(c, counter, previousSweep))
        return sectorRefusal();

    const int run = counter + 1;
    try {
        checkRoomForRun(counter);
        CaseData& d = c.Data;
        const auto r = static_cast<std::size_t>(run);
        d.RunDirection[r] = facts.direction;
        d.RunTargets[r] = static_cast<int16_t>(facts.thinning.points);
        d.GaugeTemp[r] = ctx.baseTemperature;
        d.MachineTemp[r] = ctx.baseTemperature;
        d.RunFeedrate[r] = 0;
        if (variant == Variant::Text)
            readTextSamples(c, text, facts, run);
        else
            readBinarySamples(c, bytes, facts, run);
        finishRun(c, run);
    } catch (...) {
        return errorAt(dataLocation);
    }

    // Asked last, so that a file that cannot be read asks nothing and adds no machine.
    const QString machine = ctx.machineFor(c.Header[HdrMachine]);
    if (machine.isEmpty())
        return ReadResult::noMachineChosen(c.Header[HdrFilename]);
    c.Header[HdrMachine] = machine;
    counter = static_cast<int16_t>(run);
    return ReadResult::success().withNote(facts.dateNote);
}

ReadResult readHeaderOnly(Case& c, const ReadContext& ctx, const QByteArray* loaded, Variant variant)
{
    try {
        const QByteArray bytes = loaded ? *loaded : ctx.read(c.Header[HdrFilename]);
        if (variant == Variant::Text)
            applyTextHeader(c, loadText(bytes), 0, ctx);
        else
            return ReadResult::success().withNote(applyBinaryHeader(c, bytes, 0, ctx).dateNote);
        return ReadResult::success();
    } catch (...) {
        return errorAt(variant == Variant::Text ? kDbbTextHeaderLocation : kDbbBinaryHeaderLocation);
    }
}

} // namespace

double Real48ToDouble(QByteArrayView six)
{
    if (six.size() < kReal6Size)
        throw AppError::subscriptOutOfRange();
    const auto b = [&](int i) { return double(static_cast<unsigned char>(six[i - 1])); };
    const int top = static_cast<unsigned char>(six[5]);
    const double mantissa = double(top | 0x80) / 256.0 + b(5) / 65536.0 + b(4) / 16777216.0
                            + b(3) / 4294967296.0 + b(2) / 1099511627776.0;
    const double value = std::ldexp(mantissa, int(static_cast<unsigned char>(six[0])) - 128);
    return (top & 0x80) ? -value : value;
}

bool IsBinaryDbb(const QString& path, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return false;
    const int n = static_cast<unsigned char>(bytes[0]);
    if (n == 0)
        return true;
    if (bytes.size() >= 1 + n && path.contains(DecodeBytes(bytes.mid(1, n)), Qt::CaseInsensitive))
        return true;
    const qsizetype head = std::min<qsizetype>(bytes.size(), kDbbBinaryHeaderSize);
    for (qsizetype i = 0; i < head; ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 9)
            return true;
    }
    return false;
}

bool IsBinaryDbb(const QString& path, const ReadContext& ctx)
{
    try {
        return IsBinaryDbb(path, ctx.read(path));
    } catch (const AppError&) {
        return false;
    }
}

ReadResult ReadDbbTextHeader(Case& c, const ReadContext& ctx)
{
    return readHeaderOnly(c, ctx, nullptr, Variant::Text);
}

ReadResult ReadDbbBinaryHeader(Case& c, const ReadContext& ctx)
{
    return readHeaderOnly(c, ctx, nullptr, Variant::Binary);
}

// The case's file and its variant, for the callers that let the contents decide; a file that
// cannot be read is reported under the header location.
template <class Read>
ReadResult withFileVariant(Case& c, const ReadContext& ctx, Read read)
{
    QByteArray bytes;
    try {
        bytes = ctx.read(c.Header[HdrFilename]);
    } catch (...) {
        return errorAt(kDbbTextHeaderLocation);
    }
    return read(&bytes, IsBinaryDbb(c.Header[HdrFilename], bytes) ? Variant::Binary : Variant::Text);
}

ReadResult ReadDbbHeader(Case& c, const ReadContext& ctx)
{
    return withFileVariant(c, ctx, [&](const QByteArray* bytes, Variant v) { return readHeaderOnly(c, ctx, bytes, v); });
}

ReadResult ReadDbbText(Case& c, int16_t& runCounter, const ReadContext& ctx)
{
    return readRun(c, runCounter, ctx, nullptr, Variant::Text);
}

ReadResult ReadDbbBinary(Case& c, int16_t& runCounter, const ReadContext& ctx)
{
    return readRun(c, runCounter, ctx, nullptr, Variant::Binary);
}

ReadResult ReadDbbData(Case& c, int16_t& runCounter, const ReadContext& ctx)
{
    return withFileVariant(c, ctx,
                           [&](const QByteArray* bytes, Variant v) { return readRun(c, runCounter, ctx, bytes, v); });
}

ReadResult ReadDbbFiles(Case& c, const QString& firstFile, const ReadContext& ctx)
{
    ResetRuns(c);
    int16_t counter = 0;
    QString name = firstFile;
    QStringList notes;
    while (!name.isEmpty()) {
        // Each file is read into a copy, so a file that fails leaves the runs before it intact.
        Case attempt = c;
        attempt.Header[HdrFilename] = name;
        const ReadResult result = ReadDbbData(attempt, counter, ctx);
        if (!result.ok()) {
            if (counter == 0)
                return result;
            if (ctx.report)
                ctx.report(result);
            break;
        }
        c = std::move(attempt);
        notes += result.notes;
        name.clear();
        if (counter < kMaxRuns && ctx.moreFiles)
            name = ctx.moreFiles(c.Header[HdrFilename]);
    }
    ReadResult read = ReadResult::success();
    read.notes = notes;
    return read;
}

} // namespace sarvo::files
