#include "files/b5r_reader.h"

#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/text_items.h"
#include "files/xml_support.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace sarvo::files {

namespace {

constexpr char kFeedrateFeature[] = "AF_CALCULATED_FEEDRATE";
constexpr char kDiagnostics[] = "RENISHAW_DIAGNOSTICS";

struct B5rParts {
    pugi::xml_node document; // the whole document
    pugi::xml_node root;     // its root element
    pugi::xml_node spec;     // the first TEST_SPEC child of the root
};

QString text(pugi::xml_node node)
{
    return XmlText(node);
}

// The element's number as written; surrounding line ends and blanks of a pretty-printed file are
// dropped, an empty element reads 0 and text that is no number is refused.
double number(pugi::xml_node node)
{
    return FieldNumber(text(node), QString::fromUtf8(node.name())).value_or(0.0);
}

double numberOr(pugi::xml_node context, const char* query, double fallback)
{
    const pugi::xml_node node = SelectNode(context, query);
    return node ? number(node) : fallback;
}

// The attribute the element must carry.
QString requiredAttribute(pugi::xml_node element, const char* name)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        throw FormatError(Translate("The element %1 has no attribute %2.")
                              .arg(QString::fromUtf8(element.name()), QString::fromLatin1(name)));
    return QString::fromUtf8(attribute.value());
}

// An element without the name is simply not the one looked for.
bool isNamed(pugi::xml_node element, const char* name)
{
    const pugi::xml_attribute attribute = element.attribute("NAME");
    return attribute && std::strcmp(attribute.value(), name) == 0;
}

// A reading index: a 16-bit whole number, refused when the text is none.
int indexValue(pugi::xml_node node)
{
    const QString name = QString::fromUtf8(node.name());
    const QString t = text(node);
    const auto value = ParseNumber(QStringView(t).trimmed());
    if (!value)
        throw FormatError(Translate("The value of \"%1\" is not a number.").arg(name));
    return WholeInt16(*value, name);
}

// The first and the last reading of a run, 0-based into its READINGS.
void checkIndexes(int64_t first, int64_t last)
{
    if (first < 0 || last < first)
        throw FormatError(Translate("START_INDEX %1 and END_INDEX %2 name no readings: the first reading must "
                                    "be 0 or later and the last not before the first.")
                              .arg(first)
                              .arg(last));
}

B5rParts documentParts(const pugi::xml_document& doc)
{
    B5rParts p;
    p.document = doc;
    p.root = doc.document_element();
    p.spec = SelectNode(p.root, "child::TEST_SPEC");
    if (!p.spec)
        throw FormatError(Translate("The file holds no %1 element.").arg(QStringLiteral("TEST_SPEC")));
    return p;
}

void applyHeader(Case& c, const B5rParts& p, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    h[HdrName].clear();

    d.TestRadius = LengthValue(numberOr(p.spec, "descendant::TEST_RADIUS", 150.0), QStringLiteral("TEST_RADIUS"));
    const double length = LengthValue(numberOr(p.spec, "descendant::NOMINAL_LENGTH", d.TestRadius),
                                      QStringLiteral("NOMINAL_LENGTH"));
    d.BallBarLength = SingleValue(length, QStringLiteral("NOMINAL_LENGTH"));

    // One material for machine and bar. Without it no compensation is made: the previous case's
    // coefficient belongs to another machine.
    const QString coefficient = ShortestDecimal(CoefficientValue(
        numberOr(p.spec, "descendant::TEMP_MATERIAL_COEFFICIENT", 0.0), QStringLiteral("TEMP_MATERIAL_COEFFICIENT")));
    h[HdrGaugeExp] = coefficient;
    h[HdrMachineExp] = coefficient;
    for (int slot : {HdrOrigX, HdrOrigY, HdrOrigZ})
        h[slot] = QStringLiteral("0");

    int64_t start = WholeInt16(numberOr(p.spec, "descendant::START_ANGLE", 0.0), QStringLiteral("START_ANGLE"));
    int64_t stop = WholeInt16(numberOr(p.spec, "descendant::END_ANGLE", 360.0), QStringLiteral("END_ANGLE"));
    // The arc runs counter-clockwise from the start to the end angle: an end below the start
    // passes through 0 degrees (250 to 110 is the arc 250..470, not 110..250).
    if (stop < start)
        stop += 360;
    if (stop < start)
        SetCheckedAngles(d, start, stop); // no turn reaches the end: refused with the arc named
    SetArcFromHeader(d, start, stop);
    d.OvershootAngle = SingleValue(numberOr(p.spec, "descendant::OVERSHOOT_ANGLE", 0.0), QStringLiteral("OVERSHOOT_ANGLE"));

    const pugi::xml_node machine = SelectNode(p.root, "descendant::MACHINE_TESTED");
    h[HdrMachine] = machine ? requiredAttribute(machine, "NAME") : QStringLiteral("Simulator");

    const pugi::xml_node completed = SelectNode(p.root, "child::DATE_COMPLETED");
    d.TestDate = completed ? ParseStampDateTime(text(completed)).value_or(ctx.currentTime()) : ctx.currentTime();
    h[HdrDate] = GeneralDateText(d.TestDate);

    h[HdrBy] = XmlTextOr(p.root, "descendant::OPERATOR", QString());
    h[HdrLength] = FixedText(d.BallBarLength, "###0.000#");

    const pugi::xml_node plane = SelectNode(p.spec, "descendant::PLANE");
    h[HdrPlane] = plane ? PlaneText(requiredAttribute(plane, "TEST_PLANE")) : QStringLiteral("xy");

    const double feedrate = SingleRangeValue(numberOr(p.spec, "descendant::PROGRAMMED_FEEDRATE", 400.0),
                                             QStringLiteral("PROGRAMMED_FEEDRATE"));
    h[HdrFeedrate] = FixedText(feedrate, "#####0");

    const pugi::xml_node sampling = SelectNode(p.root, "descendant::SAMPLE_RATE");
    h[HdrSampling] = sampling ? ShortestDecimal(number(sampling)) : QString();

    d.Dynamic = bool(SelectNode(p.spec, "descendant::DYNAMIC_BALLBAR"));
    h[HdrStatDyn] = d.Dynamic ? QStringLiteral("D") : QStringLiteral("S");

    h[HdrEquipmentManufacturer] = XmlTextOr(p.root, "descendant::MANUFACTURER", QStringLiteral("Renishaw"));
    h[HdrEquipmentModel] = XmlTextOr(p.root, "descendant::MODEL", QStringLiteral("QC10"));
    h[HdrEquipmentSerial] = XmlTextOr(p.root, "descendant::SERIAL_NUMBER", QString());
    const double scale = FiniteValue(numberOr(p.root, "descendant::SCALE_FACTOR", 1.0), QStringLiteral("SCALE_FACTOR"));
    d.ScaleFactor = scale == 0.0 ? 1.0 : scale; // the case's own, never the gauge's setting
    d.Calibrated = bool(SelectNode(p.root, "descendant::LAST_CALIBRATED"));
    d.OptionFlag = false;
}

// The sorted nodes of a query, in document order.
pugi::xpath_node_set nodesInOrder(pugi::xml_node context, const char* query)
{
    pugi::xpath_node_set nodes = SelectNodes(context, query);
    nodes.sort();
    return nodes;
}

// The samples of the longest run: the k-th START_INDEX with the k-th END_INDEX of the document.
int64_t longestRun(const B5rParts& p)
{
    const pugi::xpath_node_set starts = nodesInOrder(p.document, "descendant::START_INDEX");
    const pugi::xpath_node_set ends = nodesInOrder(p.document, "descendant::END_INDEX");
    if (ends.size() < starts.size())
        throw FormatError(Translate("The file holds fewer END_INDEX than START_INDEX elements."));
    int64_t longest = 0;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const int64_t first = indexValue(starts[k].node());
        const int64_t last = indexValue(ends[k].node());
        checkIndexes(first, last);
        longest = std::max(longest, last - first + 1);
    }
    if (longest > std::numeric_limits<int16_t>::max())
        throw AppError(AppError::kOverflow, Translate("The value of \"%1\" is out of range.").arg(QStringLiteral("END_INDEX")));
    return longest;
}

// Every reading index up to `last` must be in the list; the ones used must be numbers.
void readRun(Case& c, int run, pugi::xml_node element, const Thinning& reduction, const ReadContext& ctx)
{
    CaseData& d = c.Data;
    const auto r = static_cast<std::size_t>(run);

    const pugi::xml_node temperature = SelectNode(element, "child::RUN_TEMPERATURE");
    const double celsius =
        temperature ? TemperatureValue(number(temperature), QStringLiteral("RUN_TEMPERATURE")) : ctx.baseTemperature;
    d.GaugeTemp[r] = celsius;
    d.MachineTemp[r] = celsius;

    const pugi::xml_node direction = SelectNode(element, "child::RUN_DIRECTION");
    d.RunDirection[r] = (!direction || text(direction).trimmed() == u"CCW") ? int16_t(1) : int16_t(-1);

    const pugi::xml_node startIndex = SelectNode(element, "child::START_INDEX");
    const pugi::xml_node endIndex = SelectNode(element, "child::END_INDEX");
    const int64_t first = startIndex ? indexValue(startIndex) : 1;
    const int64_t last = endIndex ? indexValue(endIndex) : reduction.points * reduction.factor;
    checkIndexes(first, last);
    const int64_t f = reduction.factor;
    const int64_t points = (last - first + 1) / f;
    CheckRunPoints(points, ctx.maxPoints, run);
    const int count = static_cast<int>(points);
    d.RunTargets[r] = static_cast<int16_t>(count);

    const pugi::xml_node readings = SelectNode(element, "child::READINGS");
    if (!readings)
        throw FormatError(Translate("Run %1 has no READINGS.").arg(run));
    // The readings from START_INDEX to END_INDEX must all be there; the list may go on beyond.
    const QString list = text(readings);
    const QString end = QStringLiteral("END_INDEX %1").arg(last);
    QStringView rest = ReadRunReadings(d, run, list, first, count, f, end);
    for (int64_t k = first + points * f; k <= last; ++k) {
        if (NextToken(rest).isEmpty())
            throw ReadingsEndError(run, end);
    }

    for (const pugi::xpath_node& feature : nodesInOrder(element, "child::FEATURE")) {
        if (isNamed(feature.node(), kFeedrateFeature)) {
            d.RunFeedrate[r] = SingleValue(number(feature.node()), QStringLiteral("FEATURE"));
            break;
        }
    }
}

void readRuns(Case& c, const B5rParts& p, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;

    const int64_t samples = longestRun(p);
    d.MaxTargets = static_cast<int16_t>(samples);
    h[HdrMaxTargets] = QString::number(samples);
    if (d.Dynamic && samples == 0)
        throw FormatError(Translate("A dynamic test needs the START_INDEX and END_INDEX of its runs."));
    // The points per second the bar gave at the programmed feedrate, before any reduction.
    h[HdrSampling] = d.Dynamic ? SamplingRateText(c) : QString();
    h[HdrCustomer].clear();
    h[HdrComment] = XmlTextOr(p.root, "child::COMMENT", QString());

    const Thinning reduction = ThinSamples(samples, RunPointLimit(ctx.maxPoints));

    const pugi::xpath_node_set runs = nodesInOrder(p.document, "descendant::BALLBAR_RUN");
    if (runs.empty())
        throw FormatError(Translate("The file holds no run."));
    const int count = static_cast<int>(std::min<std::size_t>(runs.size(), kMaxRuns));
    for (int run = 1; run <= count; ++run)
        readRun(c, run, runs[static_cast<std::size_t>(run - 1)].node(), reduction, ctx);

    for (const pugi::xpath_node& analysis : nodesInOrder(p.document, "descendant::ANALYSIS")) {
        if (!isNamed(analysis.node(), kDiagnostics))
            continue;
        for (const pugi::xpath_node& feature : nodesInOrder(analysis.node(), "child::FEATURE")) {
            if (isNamed(feature.node(), kFeedrateFeature))
                d.MeasuredFeedrateAverage = SingleValue(number(feature.node()), QStringLiteral("FEATURE"));
        }
        break;
    }

    // The runs read set the step; a longer run beyond the seventh or a stray index pair must not
    // stretch the points over a wider arc.
    FinishRuns(d, static_cast<int>(count));
    if (reduction.factor > 1) // the count and rate of the points kept, not of the samples
        SetHeldPointsHeader(c);
}

// Loads the file named in HdrFilename; a missing file fails under its own location text.
std::optional<ReadResult> loadDocument(const Case& c, const ReadContext& ctx, pugi::xml_document& doc)
{
    QByteArray bytes;
    try {
        bytes = ctx.read(c.Header[HdrFilename]);
    } catch (...) {
        const AppError e = AppError::fromException(std::current_exception());
        const char* location = e.number() == AppError::kFileNotFound ? kB5rMissingFileLocation : kB5rReadLocation;
        return ReadResult::error(QString::fromLatin1(location), e);
    }
    try {
        LoadXmlDocument(doc, bytes);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kB5rReadLocation), AppError::fromException(std::current_exception()));
    }
    return std::nullopt;
}

} // namespace

ReadResult ReadB5rHeader(Case& c, const ReadContext& ctx)
{
    pugi::xml_document doc;
    if (auto failed = loadDocument(c, ctx, doc))
        return *failed;
    try {
        applyHeader(c, documentParts(doc), ctx);
        return ReadResult::success();
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kB5rReadLocation), AppError::fromException(std::current_exception()));
    }
}

ReadResult ReadB5r(Case& c, const ReadContext& ctx)
{
    pugi::xml_document doc;
    if (auto failed = loadDocument(c, ctx, doc))
        return *failed;
    ResetRuns(c);
    try {
        const B5rParts parts = documentParts(doc);
        applyHeader(c, parts, ctx);
        readRuns(c, parts, ctx);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kB5rReadLocation), AppError::fromException(std::current_exception()));
    }
    // Asked last, so that a file that cannot be read asks nothing and adds no machine.
    return ConfirmMachine(c, ctx);
}

} // namespace sarvo::files
