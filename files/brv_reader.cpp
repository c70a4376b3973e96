// Reader of the own .brv file. Most elements are looked up anywhere below their place and may be
// missing; TEST_SPEC and each run's READINGS may not. Counts, angles and numbers are checked, so
// that a damaged file fails with a message instead of a case the analysis cannot hold.
#include "files/brv_file.h"

#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/xml_support.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace sarvo::files {

namespace {

struct BrvDocument {
    std::unique_ptr<pugi::xml_document> xml = NewXmlDocument();
    pugi::xml_node root;
    pugi::xml_node spec;
};

// The file was not there: told under a location of its own, as the program always did.
struct MissingFile {
    AppError error;
};

BrvDocument loadBrv(const Case& c, const ReadContext& ctx)
{
    QByteArray bytes;
    try {
        bytes = ctx.read(c.Header[HdrFilename]);
    } catch (const AppError& e) {
        if (e.number() == AppError::kFileNotFound)
            throw MissingFile{e};
        throw;
    }
    BrvDocument doc;
    LoadXmlDocument(*doc.xml, bytes);
    doc.root = doc.xml->document_element();
    doc.spec = SelectNode(doc.root, "child::TEST_SPEC");
    if (!doc.spec)
        throw FormatError(Translate("The file has no element \"%1\".").arg(QStringLiteral("TEST_SPEC")));
    return doc;
}

// The element's name in messages: the last step of the query.
QString nameOf(const char* query)
{
    const QString q = QString::fromLatin1(query);
    return q.mid(q.lastIndexOf(u':') + 1);
}

// A number element as written; an empty one reads 0, text that is no number is refused.
double numberOr(pugi::xml_node context, const char* query, double fallback)
{
    const auto text = XmlTextOf(context, query);
    return text ? FieldNumber(*text, nameOf(query)).value_or(0.0) : fallback;
}

// A number slot as its shortest text, "." as separator; "0" when the element is missing.
QString numberText(pugi::xml_node context, const char* query)
{
    return ShortestDecimal(numberOr(context, query, 0.0));
}

// A word element (a flag, a direction, the plane) without the white space around it, which a
// hand edit or an XML pretty-printer puts there ("<DYNAMIC>\n\t\ttrue\n\t</DYNAMIC>"). Names and
// comments are texts shown as they stand and are not read this way.
std::optional<QString> wordOf(pugi::xml_node context, const char* query)
{
    std::optional<QString> text = XmlTextOf(context, query);
    if (text)
        *text = text->trimmed();
    return text;
}

bool isExactlyTrue(const std::optional<QString>& word)
{
    return word && *word == u"true";
}

// A point count: a whole number of 16 bits that is not negative; unlike the other numbers, not
// even empty.
int16_t countValue(const QString& text)
{
    const QString name = QStringLiteral("TARGETS");
    const auto value = FieldNumber(text, name);
    if (!value)
        throw FormatError(Translate("The value of \"%1\" is not a number.").arg(name));
    const int16_t count = WholeInt16(*value, name);
    if (count < 0)
        throw FormatError(Translate("The value of \"%1\" must not be negative.").arg(name));
    return count;
}

// The case information: everything a listing of files shows.
void applyHeader(Case& c, const BrvDocument& doc, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    const pugi::xml_node spec = doc.spec;
    const pugi::xml_node root = doc.root;

    h[HdrName] = XmlTextOr(spec, "child::SESSION", QString());
    h[HdrCustomer] = XmlTextOr(spec, "child::CUSTOMER", QString());
    d.TestRadius = LengthValue(numberOr(spec, "descendant::TEST_RADIUS", 150.0), QStringLiteral("TEST_RADIUS"));
    const double length = numberOr(spec, "descendant::NOMINAL_LENGTH", d.TestRadius);
    d.BallBarLength = SingleValue(LengthValue(length, QStringLiteral("NOMINAL_LENGTH")), QStringLiteral("NOMINAL_LENGTH"));

    const int16_t start = WholeInt16(numberOr(spec, "descendant::START_ANGLE", 0.0), QStringLiteral("START_ANGLE"));
    const int16_t stop = WholeInt16(numberOr(spec, "descendant::END_ANGLE", 360.0), QStringLiteral("END_ANGLE"));
    SetArcFromHeader(d, start, stop);
    d.OvershootAngle = SingleValue(numberOr(spec, "descendant::OVERSHOOT_ANGLE", 0.0), QStringLiteral("OVERSHOOT_ANGLE"));

    for (const auto& [slot, query] : {std::pair{HdrMachineExp, "child::MACH_EXP_COEFFICIENT"},
                                      {HdrGaugeExp, "child::GAUGE_EXP_COEFFICIENT"}})
        h[slot] = ShortestDecimal(CoefficientValue(numberOr(spec, query, 0.0), nameOf(query)));
    h[HdrOrigX] = numberText(spec, "child::MEASURE_ORIGIN_X");
    h[HdrOrigY] = numberText(spec, "child::MEASURE_ORIGIN_Y");
    h[HdrOrigZ] = numberText(spec, "child::MEASURE_ORIGIN_Z");
    // Written in every run; the first counts. None or an empty one: no rate rather than the
    // previous case's or 0.
    const QString sampling = XmlTextOr(root, "descendant::SAMPLE_RATE", QString());
    h[HdrSampling] = sampling.trimmed().isEmpty()
                         ? QString()
                         : ShortestDecimal(*FieldNumber(sampling, QStringLiteral("SAMPLE_RATE")));
    h[HdrMachine] = XmlTextOr(root, "descendant::MACHINE_NAME", QStringLiteral("DefaultMachine"));

    const auto stamp = XmlTextOf(root, "descendant::DATE");
    const auto date = stamp ? ParseStampDateTime(*stamp) : std::nullopt;
    d.TestDate = date ? *date : ctx.currentTime();
    h[HdrDate] = GeneralDateText(d.TestDate);

    h[HdrBy] = XmlTextOr(root, "descendant::OPERATOR", QString());
    h[HdrLength] = FixedText(d.BallBarLength, "###0.000#");
    h[HdrPlane] = PlaneText(wordOf(spec, "descendant::PLANE").value_or(QStringLiteral("xy")));
    h[HdrFeedrate] = FixedText(SingleRangeValue(numberOr(spec, "descendant::FEEDRATE", 400.0), QStringLiteral("FEEDRATE")),
                               "#####0");
    const auto dynamic = wordOf(spec, "descendant::DYNAMIC");
    d.Dynamic = !dynamic || *dynamic == u"true";
    h[HdrStatDyn] = d.Dynamic ? QStringLiteral("D") : QStringLiteral("S");
    if (!d.Dynamic)
        h[HdrSampling].clear(); // a static test has no sampling rate
    d.Calibrated = isExactlyTrue(wordOf(root, "descendant::BALLBAR_CALIBRATED"));
    d.OptionFlag = false;
}

struct RunElement {
    pugi::xml_node node;
    int16_t samples = 0; // the file's point count of the run
};

void readRuns(Case& c, const BrvDocument& doc, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;

    // Every count of the document, also of runs beyond the seventh, sets the thinning; so does
    // a run without a count of its own (500).
    int64_t declared = 0;
    for (const pugi::xpath_node& n : SelectNodes(doc.xml->root(), "descendant::TARGETS"))
        declared = std::max<int64_t>(declared, countValue(XmlText(n.node())));
    std::vector<RunElement> runs;
    for (const pugi::xpath_node& n : SelectNodes(doc.xml->root(), "descendant::BALLBAR_RUN")) {
        if (runs.size() == std::size_t(kMaxRuns))
            break;
        const auto count = XmlTextOf(n.node(), "child::TARGETS");
        runs.push_back({n.node(), count ? countValue(*count) : int16_t(500)});
        declared = std::max<int64_t>(declared, runs.back().samples);
    }
    if (runs.empty())
        throw FormatError(Translate("The file holds no run."));
    h[HdrMaxTargets] = QString::number(declared);
    const int64_t factor = ThinSamples(declared, ctx.maxPoints).factor;

    int run = 0;
    for (const RunElement& element : runs) {
        ++run;
        const auto r = static_cast<std::size_t>(run);
        const pugi::xml_node node = element.node;
        // The file gives temperatures or none at all: 0 degrees then.
        d.GaugeTemp[r] = TemperatureValue(numberOr(node, "child::GAUGE_TEMPERATURE", 0.0), QStringLiteral("GAUGE_TEMPERATURE"));
        d.MachineTemp[r] = TemperatureValue(numberOr(node, "child::MACH_TEMPERATURE", 0.0), QStringLiteral("MACH_TEMPERATURE"));
        const auto direction = wordOf(node, "child::RUN_DIRECTION");
        d.RunDirection[r] = !direction || *direction == u"CCW" ? int16_t(1) : int16_t(-1);
        d.RunFeedrate[r] = SingleValue(numberOr(node, "child::MEASURED_FEEDRATE", 0.0), QStringLiteral("MEASURED_FEEDRATE"));
        const auto list = XmlTextOf(node, "child::READINGS");
        if (!list)
            throw FormatError(Translate("Run %1 has no element \"%2\".").arg(run).arg(QStringLiteral("READINGS")));

        const int64_t points = element.samples / factor;
        CheckRunPoints(points, ctx.maxPoints, run);
        const int count = static_cast<int>(points);
        d.RunTargets[r] = static_cast<int16_t>(count);
        // The list holds exactly the run's count of values: fewer or more means a damaged file,
        // never points made up or dropped. Thinning leaves the last count % factor values unused.
        const QString last = Translate("last point");
        QStringView rest = ReadRunReadings(d, run, *list, 0, count, factor, last);
        for (int64_t k = int64_t(count) * factor; k < element.samples; ++k) {
            if (NextToken(rest).isEmpty())
                throw ReadingsEndError(run, last);
        }
        if (!NextToken(rest).isEmpty())
            throw FormatError(Translate("Run %1 holds more readings than its TARGETS says.").arg(run));
    }

    FinishRuns(d, run);
    if (factor > 1) // the count and rate of the points kept, not of the samples in the file
        SetHeldPointsHeader(c);
    d.MeasuredFeedrateAverage = SingleValue(numberOr(doc.xml->root(), "descendant::MEASURED_FEEDRATE_AVERAGE", 0.0),
                                            QStringLiteral("MEASURED_FEEDRATE_AVERAGE"));
}

void applyRest(Case& c, const BrvDocument& doc)
{
    CaseHeader& h = c.Header;
    const pugi::xml_node spec = doc.spec;
    h[HdrComment] = XmlTextOr(spec, "child::COMMENT", QString());
    h[HdrEquipmentManufacturer] = XmlTextOr(spec, "child::BALLBAR_MANUFACTURER", QString());
    h[HdrEquipmentModel] = XmlTextOr(spec, "child::BALLBAR_MODEL", QString());
    h[HdrEquipmentSerial] = XmlTextOr(spec, "child::BALLBAR_SERIAL", QString());
    // The case's own scale factor; the gauge's setting stays as it is.
    const double scale = numberOr(spec, "child::BALLBAR_SCALE_FACTOR", 1.0);
    c.Data.ScaleFactor = scale == 0.0 ? 1.0 : scale;
}

ReadResult missing(const MissingFile& m)
{
    return ReadResult::error(QStringLiteral("File not found!"), m.error);
}

} // namespace

ReadResult ReadBrvHeader(Case& c, const ReadContext& ctx)
{
    try {
        const BrvDocument doc = loadBrv(c, ctx);
        applyHeader(c, doc, ctx);
        return ReadResult::success();
    } catch (const MissingFile& m) {
        return missing(m);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kBrvReadLocation), AppError::fromException(std::current_exception()));
    }
}

ReadResult ReadBrvFile(Case& c, const ReadContext& ctx)
{
    try {
        const BrvDocument doc = loadBrv(c, ctx);
        ResetRuns(c);
        applyHeader(c, doc, ctx);
        applyRest(c, doc);
        readRuns(c, doc, ctx);
    } catch (const MissingFile& m) {
        return missing(m);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kBrvReadLocation), AppError::fromException(std::current_exception()));
    }
    // Asked last, so that a file that cannot be read asks nothing and adds no machine.
    return ConfirmMachine(c, ctx);
}

} // namespace sarvo::files
