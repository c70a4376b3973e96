#include "files/rtb_reader.h"

#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/text_items.h"


#include <algorithm>
#include <array>

namespace sarvo::files {

namespace {

constexpr int kHeaderItems = 24;        // the classic header window
constexpr int kMarkerSearchItems = 200; // a header split by commas still ends at its marker
constexpr int kBlockItems = 5000;       // key lines of one run block before its points

// Blanks and tabs, as a hand edit or another program puts them around a key or a value. Only
// these: the text is still in the DOS code page, where the bytes that read as other white space
// (0x85, 0xA0) are letters.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QStringView unindented(QStringView item)
{
    qsizetype i = 0;
    while (i < item.size() && isBlank(item[i]))
        ++i;
    return item.mid(i);
}

QStringView withoutBlanks(QStringView text)
{
    text = unindented(text);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool isDataMarker(QStringView item)
{
    const QStringView t = item.trimmed();
    return t == u"DATA::" || t == u"DATA ::";
}

bool isPointMarker(QStringView item)
{
    return unindented(item).startsWith(u"Point Raw-data");
}

bool isEndMarker(QStringView item)
{
    return item.trimmed() == u"EOF::";
}

// The value of the first item that is the key followed by ":" (white space may stand before the
// key and between it and the colon): the text after the colon. Anchored, so that "Machine" never
// finds "Machine Exp Coeff".
std::optional<QStringView> keyValue(const QList<QStringView>& items, QStringView key)
{
    for (QStringView item : items) {
        const QStringView line = unindented(item);
        if (!line.startsWith(key))
            continue;
        qsizetype i = key.size();
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size() || line[i] != u':')
            continue;
        return line.mid(i + 1);
    }
    return std::nullopt;
}

// A word value (a name, a code letter, the plane) as written, without the blanks and tabs around
// it: "Cal Len:\tC " is calibrated.
QString valueOr(const QList<QStringView>& items, QStringView key, const QString& fallback)
{
    const auto value = keyValue(items, key);
    return value ? withoutBlanks(*value).toString() : fallback;
}

// The number of a key line as written; missing when the key is not there, empty when its value
// is blank. Items end at commas, so a value with a comma was cut there ("Radius: 150,5" would read
// 150): refused, naming the key, rather than read short.
double keyNumber(const QString& text, std::optional<QStringView> value, QStringView key, double missing, double empty = 0.0)
{
    if (!value)
        return missing;
    const qsizetype end = value->data() + value->size() - text.constData();
    if (end < text.size() && text[end] == u',') {
        const qsizetype line = LineNumberAt(text, end);
        throw FormatError(Translate("The value of \"%1\" holds a comma, which ends it in this file: \"%2\".")
                              .arg(key.toString(), TextLines(text).value(line - 1).trimmed()));
    }
    return FieldNumber(*value, key.toString()).value_or(empty);
}

struct RtbFile {
    QString text;               // the file, one character per byte
    QList<QStringView> header;  // header items, views into text
    qsizetype dataStart = 0;    // where the first run block begins
};

RtbFile loadRtb(const Case& c, const ReadContext& ctx)
{
    RtbFile f;
    f.text = DecodeBytes(WithoutByteOrderMark(ctx.read(c.Header[HdrFilename])));
    ItemReader reader(f.text);
    qsizetype afterWindow = -1;
    bool marker = false;
    while (f.header.size() < kMarkerSearchItems) {
        const auto item = reader.next();
        if (!item)
            break;
        f.header.append(*item);
        if (f.header.size() == kHeaderItems)
            afterWindow = reader.position();
        if (isDataMarker(*item)) {
            marker = true;
            break;
        }
    }
    if (!marker && afterWindow >= 0) {
        f.header.resize(kHeaderItems);
        reader.seek(afterWindow);
    }
    f.dataStart = reader.position();
    return f;
}

// The points per run the case holds in the header, with the sampling rate they give: thinned,
// those kept, as a capture gives them.
void setHeaderCount(Case& c)
{
    c.Header[HdrMaxTargets] = QString::number(c.Data.MaxTargets);
    c.Header[HdrSampling] = c.Data.Dynamic ? SamplingRateText(c) : QString();
}

struct HeaderFacts {
    int64_t declaredSamples = 0; // the header's points per run before thinning
    QString dateNote;            // the date could not be read: what the user is told
};

HeaderFacts applyHeader(Case& c, const RtbFile& f, const ReadContext& ctx)
{
    const QList<QStringView>& items = f.header;
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    HeaderFacts facts;

    const auto number = [&](QStringView key, double missing) { return keyNumber(f.text, keyValue(items, key), key, missing); };
    const double radius = number(u"Radius", 150.0);
    d.TestRadius = LengthValue(radius, QStringLiteral("Radius"));
    d.BallBarLength = SingleValue(LengthValue(number(u"Length", radius), QStringLiteral("Length")), QStringLiteral("Length"));

    const int64_t start = WholeInt16(number(u"Data Start", 0.0), QStringLiteral("Data Start"));
    const int64_t stop = WholeInt16(number(u"Data End", 360.0), QStringLiteral("Data End"));
    SetArcFromHeader(d, start, stop);

    // Written as "Ang over", documented as "Ang Over": both are the overshoot.
    const auto overshoot = keyValue(items, u"Ang Over");
    d.OvershootAngle = SingleValue(overshoot ? keyNumber(f.text, overshoot, u"Ang Over", 0.0) : number(u"Ang over", 180.0),
                                   QStringLiteral("Ang Over"));

    QString machine = valueOr(items, u"Machine", QStringLiteral("None"));
    if (machine == u"None")
        machine = valueOr(items, u"Name", QStringLiteral("Simulator"));
    h[HdrMachine] = OemToAnsi(machine);

    const FileDate date = ReadFileDate(OemToAnsi(valueOr(items, u"Date", QString())), ctx.currentTime(), h[HdrFilename]);
    d.TestDate = date.when;
    facts.dateNote = date.note;
    h[HdrDate] = GeneralDateText(d.TestDate);

    h[HdrBy] = OemToAnsi(valueOr(items, u"By", QStringLiteral(" ")));
    h[HdrLength] = FixedText(d.BallBarLength, "###0.000#");

    h[HdrPlane] = PlaneText(valueOr(items, u"Plane", QStringLiteral("xy")));

    const double feedrate = SingleRangeValue(number(u"Feedrate", 400.0), QStringLiteral("Feedrate"));
    h[HdrFeedrate] = FixedText(feedrate, "#####0");

    d.Dynamic = valueOr(items, u"Stat/Dyn", QStringLiteral("D")).startsWith(u'D');
    h[HdrStatDyn] = d.Dynamic ? QStringLiteral("D") : QStringLiteral("S");
    d.Calibrated = valueOr(items, u"Cal Len", QStringLiteral("U")) == u"C";
    d.OptionFlag = false;
    d.ScaleFactor = 1.0; // the file carries none: the case's own, not the gauge's setting

    facts.declaredSamples = WholeInt64(number(u"Max Targets", d.Dynamic ? 360.0 : 8.0), QStringLiteral("Max Targets"));
    if (facts.declaredSamples < 1)
        throw FormatError(Translate("The value of \"%1\" must be a positive number.").arg(QStringLiteral("Max Targets")));
    const Thinning thinned = ThinSamples(facts.declaredSamples, ctx.maxPoints);
    d.MaxTargets = static_cast<int16_t>(std::min<int64_t>(thinned.points, RunPointLimit(ctx.maxPoints)));
    setHeaderCount(c);

    for (int slot : {HdrCustomer, HdrComment, HdrOrigX, HdrOrigY, HdrOrigZ, HdrName})
        h[slot].clear();
    for (const auto& [slot, key] : {std::pair{HdrGaugeExp, u"Gauge Exp Coeff"}, {HdrMachineExp, u"Machine Exp Coeff"}})
        h[slot] = FixedText(CoefficientValue(number(key, 0.0), QString::fromUtf16(key)), "###0.00####");
    h[HdrEquipmentManufacturer] = OemToAnsi(valueOr(items, u"Manufacturer", QString::fromLatin1(kRtbManufacturer)));
    h[HdrEquipmentModel] = OemToAnsi(valueOr(items, u"Model", QString::fromLatin1(kRtbModel)));
    h[HdrEquipmentSerial] = OemToAnsi(valueOr(items, u"Serial Number", QString()));
    return facts;
}

// A point line is the index, blanks or tabs and the reading; a line without either is the
// reading.
QStringView pointText(QStringView item)
{
    const QStringView line = item.trimmed();
    qsizetype split = 0;
    while (split < line.size() && line[split] != u' ' && line[split] != u'\t')
        ++split;
    return (split < line.size() ? line.mid(split + 1) : line).trimmed();
}

// A line that holds no reading is a damaged file: taking it as 0 would shift every later point of
// the run by one place.
bool startsNumber(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    if (i < text.size() && text[i] == u'.')
        ++i;
    return i < text.size() && text[i].isDigit() && text[i].unicode() < 128;
}

bool hasIndex(QStringView item)
{
    const QStringView line = item.trimmed();
    return line.contains(u' ') || line.contains(u'\t');
}

// A blank line, the end mark or a key line ("Direction: -1") where a point should be.
bool isNoPoint(QStringView item)
{
    const QStringView line = item.trimmed();
    return line.isEmpty() || line.contains(u':');
}

// The point values of a run. Where the lines are "index, blanks, value", every one must be: a
// line without its value ("5  ", a file cut after its last index) would read its index as the
// reading, and a value with a decimal comma splits into two points. A value no reading can be is
// refused too. Each fault names its line.
QList<double> pointValues(const QString& text, ItemReader& reader, int64_t count, int run)
{
    QList<QStringView> lines;
    QList<qsizetype> starts;
    const auto lineAt = [&text](qsizetype position) {
        const qsizetype line = LineNumberAt(text, position);
        return std::pair(line, TextLines(text).value(line - 1).trimmed());
    };
    for (int64_t k = 0; k < count; ++k) {
        starts.append(reader.position());
        const auto item = reader.next();
        if (!item)
            throw ShortFileError(Translate("The file ends inside the points of run %1.").arg(run));
        // The run is cut short, by its Data-count or a blank line: where, and what should be there.
        if (isNoPoint(*item)) {
            const auto [line, shown] = lineAt(starts.back());
            throw ShortFileError(Translate("Line %1 in run %2 holds no point where point %3 of %4 was expected: \"%5\".")
                                     .arg(line)
                                     .arg(run)
                                     .arg(k + 1)
                                     .arg(count)
                                     .arg(shown));
        }
        lines.append(*item);
    }
    const bool indexed = std::any_of(lines.begin(), lines.end(), hasIndex);
    QList<double> values;
    values.reserve(lines.size());
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const bool noIndex = indexed && !hasIndex(lines[k]);
        const QStringView value = pointText(lines[k]);
        if (!noIndex && startsNumber(value)) {
            const auto number = LeadingNumberInRange(value);
            if (number && WithinSingleRange(*number)) {
                values.append(*number);
                continue;
            }
            const auto [line, shown] = lineAt(starts[k]);
            throw AppError(AppError::kOverflow, Translate("The point value in line %1 of run %2 is out of range: \"%3\".")
                                                    .arg(line)
                                                    .arg(run)
                                                    .arg(shown));
        }
        const auto [line, shown] = lineAt(starts[k]);
        throw FormatError((noIndex ? Translate("Line %1 in run %2 is not a point index followed by its value: \"%3\".")
                                   : Translate("The point value in line %1 of run %2 is not a number: \"%3\"."))
                              .arg(line)
                              .arg(run)
                              .arg(shown));
    }
    return values;
}

void readRuns(Case& c, const RtbFile& f, const HeaderFacts& facts, const ReadContext& ctx)
{
    CaseData& d = c.Data;
    ItemReader reader(f.text);
    reader.seek(f.dataStart);
    const Thinning headerThinning = ThinSamples(facts.declaredSamples, ctx.maxPoints);
    const auto countDefault = double(headerThinning.points * headerThinning.factor);

    int run = 0;
    QList<QStringView> block;
    while (run < kMaxRuns) {
        block.clear();
        bool points = false;
        while (const auto item = reader.next()) {
            if (block.size() >= kBlockItems)
                throw FormatError(Translate("A run block holds more than %1 lines before its points.").arg(kBlockItems));
            block.append(*item);
            if (isPointMarker(*item)) {
                points = true;
                break;
            }
        }
        if (!points) {
            // After the last run's points only blank lines come before the end mark (or the end): a
            // run whose key lines begin and never reach their points was cut off, and the runs
            // before it are not the file's case.
            const auto end = std::find_if(block.begin(), block.end(), isEndMarker);
            const auto cut = std::find_if(std::make_reverse_iterator(end), block.rend(),
                                          [](QStringView item) { return !withoutBlanks(item).isEmpty(); });
            if (cut != block.rend()) {
                const qsizetype line = LineNumberAt(f.text, cut->data() - f.text.constData());
                throw ShortFileError(Translate("The file ends in line %1 inside the key lines of run %2, before its "
                                               "points: \"%3\".")
                                         .arg(line)
                                         .arg(run + 1)
                                         .arg(TextLines(f.text).value(line - 1).trimmed()));
            }
            break;
        }
        ++run;
        const auto r = static_cast<std::size_t>(run);

        const auto number = [&](QStringView key, double missing, double empty) {
            return keyNumber(f.text, keyValue(block, key), key, missing, empty);
        };
        const int16_t direction = WholeInt16(number(u"Direction", 1.0, 0.0), QStringLiteral("Direction"));
        d.RunDirection[r] = direction < 0 ? int16_t(-1) : int16_t(1);

        const int64_t samples = WholeInt64(number(u"Data-count", countDefault, 0.0), QStringLiteral("Data-count"));
        if (samples < 1)
            throw FormatError(Translate("Run %1 has no points.").arg(run));
        const Thinning t = ThinSamples(samples, ctx.maxPoints);
        CheckRunPoints(t.points, ctx.maxPoints, run);
        const int count = static_cast<int>(t.points);
        d.RunTargets[r] = static_cast<int16_t>(count);

        // An empty temperature is as good as none: the base temperature, not 0 degrees.
        d.GaugeTemp[r] = TemperatureValue(number(u"Gauge Temperature", ctx.baseTemperature, ctx.baseTemperature),
                                          QStringLiteral("Gauge Temperature"));
        d.MachineTemp[r] = TemperatureValue(number(u"Machine Temperature", ctx.baseTemperature, ctx.baseTemperature),
                                            QStringLiteral("Machine Temperature"));

        const QList<double> values = pointValues(f.text, reader, count * t.factor, run);
        for (int p = 0; p < count; ++p) {
            double sum = 0;
            for (int64_t k = 0; k < t.factor; ++k)
                sum += values[p * t.factor + k];
            const double mean = sum / double(t.factor);
            d.Readings(run, d.RunDirection[r] > 0 ? p : count - 1 - p) = mean;
        }
    }
    if (run == 0)
        throw FormatError(Translate("The file holds no run."));

    FinishRuns(d, run);
    setHeaderCount(c);
}

} // namespace

ReadResult ReadRtbHeader(Case& c, const ReadContext& ctx)
{
    try {
        const RtbFile f = loadRtb(c, ctx);
        return ReadResult::success().withNote(applyHeader(c, f, ctx).dateNote);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kRtbHeaderLocation), AppError::fromException(std::current_exception()));
    }
}

ReadResult ReadRtb(Case& c, const ReadContext& ctx)
{
    ResetRuns(c);
    RtbFile f;
    HeaderFacts facts;
    try {
        f = loadRtb(c, ctx);
        facts = applyHeader(c, f, ctx);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kRtbHeaderLocation), AppError::fromException(std::current_exception()));
    }
    try {
        readRuns(c, f, facts, ctx);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kRtbLocation), AppError::fromException(std::current_exception()));
    }
    // Asked last, so that a file that cannot be read asks nothing and adds no machine.
    return ConfirmMachine(c, ctx).withNote(facts.dateNote);
}

} // namespace sarvo::files
