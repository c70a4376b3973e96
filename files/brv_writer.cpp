// Writer of the own .brv file: the node tree with its explicit line breaks and tabs, every number
// with "." whatever the locale.
#include "files/brv_file.h"

#include "core/app_error.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/pi.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/xml_support.h"


#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace sarvo::files {

namespace {

const QString kI1 = QStringLiteral("\r\n\t");
const QString kI2 = QStringLiteral("\r\n\t\t");
const QString kI3 = QStringLiteral("\r\n\t\t\t");

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// The shortest text that reads back to the same single (at most nine digits, most values fewer).
QString singleText(float value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    double decimal = value;
    if (error == std::errc())
        std::from_chars(buffer, end, decimal); // locale-free, unlike strtod
    return ShortestDecimal(decimal);
}

// A number slot in the form the reader gives it back (its shortest text, "0" for none), so that
// a file written from a read-back file is the same whichever reader filled the slot first.
QString numberSlotText(const QString& slot)
{
    return ShortestDecimal(StrToDbl(slot));
}

// "20040305-140709" of HdrDate; a text that is no date cannot be written.
QString dateStamp(const QString& hdrDate)
{
    const auto when = ParseDateText(hdrDate);
    if (!when || !when->isValid())
        throw AppError(AppError::kTypeMismatch, Translate("The test date \"%1\" is not a date.").arg(hdrDate));
    const QDate d = when->date();
    const QTime t = when->time();
    return QStringLiteral("%1%2%3-%4%5%6")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QString readingsText(const ReadingsTable& readings, int run, int count, bool forward)
{
    QString text;
    text.reserve(count * 9);
    for (int k = 0; k < count; ++k) {
        if (k > 0)
            text += u' ';
        text += FixedText(readings(run, forward ? k : count - 1 - k), "####0.00000");
    }
    return text;
}

// The children of a container: each element followed by `between`, the last one by `after`.
using Elements = std::vector<std::pair<const char*, QString>>;

void addElements(pugi::xml_node parent, const Elements& elements, const QString& between, const QString& after)
{
    for (std::size_t i = 0; i < elements.size(); ++i)
        AddXmlElement(parent, elements[i].first, elements[i].second, i + 1 == elements.size() ? after : between);
}

void addSpec(pugi::xml_node spec, const Case& c, const QString& version)
{
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    addElements(spec,
                {
                    {"VERSION", version},
                    {"SESSION", h[HdrName]},
                    {"CUSTOMER", h[HdrCustomer]},
                    {"DYNAMIC", boolText(d.Dynamic)},
                    {"NOMINAL_LENGTH", CommaToPoint(h[HdrLength])},
                    {"FEEDRATE", CommaToPoint(h[HdrFeedrate])},
                    {"START_ANGLE", QString::number(d.StartAngle)},
                    {"END_ANGLE", QString::number(d.StopAngle)},
                    {"OVERSHOOT_ANGLE", singleText(d.OvershootAngle)},
                    {"TEST_RADIUS", ShortestDecimal(d.TestRadius)},
                    {"PLANE", h[HdrPlane]},
                    {"MACH_EXP_COEFFICIENT", numberSlotText(h[HdrMachineExp])},
                    {"GAUGE_EXP_COEFFICIENT", numberSlotText(h[HdrGaugeExp])},
                    {"OPERATOR", h[HdrBy]},
                    {"COMMENT", h[HdrComment]},
                    {"SOFTWARE_AUTHOR", QStringLiteral("Welmo")},
                    {"SOFTWARE_NAME", QStringLiteral("Sarvotrenk")},
                    {"SOFTWARE_VERSION", version},
                    {"BALLBAR_MANUFACTURER", h[HdrEquipmentManufacturer]},
                    {"BALLBAR_MODEL", h[HdrEquipmentModel]},
                    {"BALLBAR_SERIAL", h[HdrEquipmentSerial]},
                    {"BALLBAR_SCALE_FACTOR", ShortestDecimal(d.ScaleFactor)},
                    {"DATE", dateStamp(h[HdrDate])},
                    {"MACHINE_NAME", h[HdrMachine]},
                    {"MEASURE_ORIGIN_X", numberSlotText(h[HdrOrigX])},
                    {"MEASURE_ORIGIN_Y", numberSlotText(h[HdrOrigY])},
                    {"MEASURE_ORIGIN_Z", numberSlotText(h[HdrOrigZ])},
                    {"BALLBAR_CALIBRATED", boolText(d.Calibrated)},
                },
                kI2, kI1);
}

void addRuns(pugi::xml_node runs, const Case& c)
{
    const CaseData& d = c.Data;
    const ReadingsTable& readings = d.ReadingsToSave();
    const int count = std::clamp<int>(d.RunCount, 0, kMaxRuns);
    const QString sampling = CommaToPoint(c.Header[HdrSampling]);
    for (int run = 1; run <= count; ++run) {
        const auto r = static_cast<std::size_t>(run);
        const int points = std::max<int>(d.RunTargets[r], 0);
        const bool forward = d.RunDirection[r] > 0; // others are listed from their last point
        pugi::xml_node element = AddXmlElement(runs, "BALLBAR_RUN", QString(), run == count ? kI1 : kI2);
        AddXmlText(element, kI3);
        addElements(element,
                    {
                        {"RUN_DIRECTION", d.RunDirection[r] == 1 ? QStringLiteral("CCW") : QStringLiteral("CW")},
                        {"MACH_TEMPERATURE", ShortestDecimal(d.MachineTemp[r])},
                        {"GAUGE_TEMPERATURE", ShortestDecimal(d.GaugeTemp[r])},
                        {"TARGETS", QString::number(points)},
                        {"SAMPLE_RATE", sampling},
                        {"MEASURED_FEEDRATE", FixedText(d.RunFeedrate[r], "#####0.0")},
                        {"READINGS", readingsText(readings, run, points, forward)},
                    },
                    kI3, kI2);
    }
}

void addAnalysis(pugi::xml_node analysis, const Case& c)
{
    const CaseData& d = c.Data;
    const auto measuredFeedrate = [&d]() -> Elements::value_type {
        return {"MEASURED_FEEDRATE_AVERAGE", FixedText(d.MeasuredFeedrateAverage, "#####0.0")};
    };
    // A case not analysed (runs kept before their analysis, a failed analysis) has no results to
    // write, only what was measured.
    if (!c.Results.ResultsValid && !c.Results.MeasurementValid) {
        addElements(analysis, {measuredFeedrate()}, kI2, kI1);
        return;
    }
    const AnalysisResults& res = c.Results;
    const ErrorParams& ev = res.ErrorValues;
    const IsoResults& iso = res.Iso;
    const CircleResult& lsc = res.LscResult;
    const CircleResult& mzc = res.MzcResult;
    const int count = std::clamp<int>(d.RunCount, 0, kMaxRuns);
    // The first counter-clockwise run and the last clockwise one; 0 when there is none.
    std::size_t ccw = 0;
    std::size_t cw = 0;
    for (int run = 1; run <= count; ++run) {
        const auto r = static_cast<std::size_t>(run);
        if (d.RunDirection[r] == 1 && ccw == 0)
            ccw = r;
        if (d.RunDirection[r] == -1)
            cw = r;
    }
    const auto v = [](double value) { return FixedText(value, "###0.0000"); };
    const auto ofRun = [](const std::array<double, kRunSlots>& values, std::size_t run) {
        return run == 0 ? 0.0 : values[run];
    };
    // Arc seconds as µm/m.
    const double squareness = std::tan(ev.Squareness / 3600.0 * kPi12 / 180.0) * 1000000.0;
    const int16_t vibrationAngle = ev.VibrationAngle; // copied out of the packed record

    // The rows of the parts that stood: a part that failed left its values half made or as the
    // case before had them. The centre, the radius and ISO D are the circle fit's, which stood.
    using Part = MeasurementPart;
    const struct {
        const char* element;
        double value;
        std::optional<Part> part;
    } rows[] = {
        {"CENTER_OFFSET_VERTICAL_LSC", lsc.CentreV, {}},
        {"CENTER_OFFSET_HORIZONTAL_LSC", lsc.CentreH, {}},
        {"CIRCULARITY_LSC", lsc.Circularity, Part::Circularity},
        {"MAX_CIRCULARITY_LSC", lsc.Max, Part::Circularity},
        {"MAX_POSITION_LSC", lsc.MaxPos, Part::Circularity},
        {"MIN_CIRCULARITY_LSC", lsc.Min, Part::Circularity},
        {"MIN_POSITION_LSC", lsc.MinPos, Part::Circularity},
        {"BEST_RADIUS_LSC", lsc.Radius, {}},
        {"CENTER_OFFSET_VERTICAL_MZC", mzc.CentreV, Part::MinZone},
        {"CENTER_OFFSET_HORIZONTAL_MZC", mzc.CentreH, Part::MinZone},
        {"CENTER_CIRCULARITY_MZC", mzc.Circularity, Part::MinZone},
        {"MAX_CIRCULARITY_MZC", mzc.Max, Part::MinZone},
        {"MAX_POSITION_MZC", mzc.MaxPos, Part::MinZone},
        {"MIN_CICULARITY_MZC", mzc.Min, Part::MinZone}, // spelled so in every file
        {"MIN_POSITION_MZC", mzc.MinPos, Part::MinZone},
        {"BEST_RADIUS_MZC", mzc.Radius, Part::MinZone},
        {"ISO_HYSTERESIS", iso.IsoH, Part::IsoH},
        {"ISO_Gb", iso.IsoGb, Part::MinZone},
        {"ISO_D", iso.IsoD, {}},
        {"ISO_F_CCW_MAX", ofRun(iso.IsoFmax, ccw), Part::IsoF},
        {"ISO_F_CCW_MIN", ofRun(iso.IsoFmin, ccw), Part::IsoF},
        {"ISO_F_CW_MAX", ofRun(iso.IsoFmax, cw), Part::IsoF},
        {"ISO_F_CW_MIN", ofRun(iso.IsoFmin, cw), Part::IsoF},
        {"ISO_G_CCW", ofRun(iso.IsoG, ccw), Part::IsoG},
        {"ISO_G_CW", ofRun(iso.IsoG, cw), Part::IsoG},
    };
    Elements e;
    for (const auto& row : rows) {
        if (!row.part || !res.failed(*row.part))
            e.push_back({row.element, v(row.value)});
    }
    // A failed fit leaves its rows part new, part old: the circles and ISO values stand alone.
    if (!res.ResultsValid) {
        e.push_back(measuredFeedrate());
        addElements(analysis, e, kI2, kI1);
        return;
    }
    e.push_back({"SQUARENESS", v(squareness)});
    if (d.Calibrated) {
        e.push_back({"A_MISMATCH", v(ev.ScaleH)});
        e.push_back({"B_MISMATCH", v(ev.ScaleV)});
    }
    const Elements rest = {
        {"BACKLASH_A_POS", v(ev.Back0)},
        {"BACKLASH_B_POS", v(ev.Back90)},
        {"BACKLASH_A_NEG", v(ev.Back180)},
        {"BACKLASH_B_NEG", v(ev.Back270)},
        {"STRAIGHTNESS_HORIZONTAL", v(ev.StraightH)},
        {"STRAIGHTNESS_VERTICAL", v(ev.StraightV)},
        {"AXIS_SPIKE_HORIZONTAL", v(ev.SpikeH)},
        {"AXIS_SPIKE_VERTICAL", v(ev.SpikeV)},
        {"LATERAL_PLAY_HORIZONTAL", v(ev.PlayH)},
        {"LATERAL_PLAY_VERTICAL", v(ev.PlayV)},
        {"STICK_SLIP_HORIZONTAL", v(ev.SlipH)},
        {"STICK_SLIP_VERTICAL", v(ev.SlipV)},
        {"SERVO_RESPONSE_HORIZONTAL", v(ev.ServoH)},
        {"SERVO_RESPONSE_VERTICAL", v(ev.ServoV)},
        {"CYCLIC_ERROR_HORIZONTAL", v(ev.CyclicH)},
        {"CYCLIC_ERROR_VERTICAL", v(ev.CyclicV)},
        {"CYCLIC_PITCH_HORIZONTAL", v(ev.PitchH)},
        {"CYCLIC_PITCH_VERTICAL", v(ev.PitchV)},
        {"CYCLIC_PHASE_HORIZONTAL", v(ev.PhaseH)},
        {"CYCLIC_PHASE_VERTICAL", v(ev.PhaseV)},
        {"RANDOM_VIBRATION", v(ev.Random)},
        {"POLAR_VIBRATION", v(ev.PolarVibration)},
        {"VIBRATION_ANGLE", FixedText(vibrationAngle, "###0")},
        measuredFeedrate(),
    };
    e.insert(e.end(), rest.begin(), rest.end());
    addElements(analysis, e, kI2, kI1);
}

} // namespace

QByteArray BrvFileBytes(const Case& c, const QString& version)
{
    const auto document = NewXmlDocument();
    pugi::xml_node declaration = document->append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    document->append_child(pugi::node_comment).set_value("Brintovale Double Ballbar Measurement");
    pugi::xml_node root = document->append_child("TEST_DOCUMENT");
    AddXmlText(root, kI1);

    pugi::xml_node spec = AddXmlElement(root, "TEST_SPEC", QString(), kI1);
    AddXmlText(spec, kI2);
    addSpec(spec, c, version);

    pugi::xml_node runs = AddXmlElement(root, "RUN_RESULT", QString(), kI1);
    AddXmlText(runs, kI2);
    addRuns(runs, c);

    pugi::xml_node analysis = AddXmlElement(root, "ANALYSIS", QString(), QString());
    AddXmlText(analysis, kI2);
    addAnalysis(analysis, c);
    AddXmlText(root, QStringLiteral("\r\n"));
    return XmlDocumentBytes(*document);
}

Outcome SaveBrvFile(const Case& c, const QString& version, const QString& fileName)
{
    BusyCursor busy;
    return Trapped(QString::fromLatin1(kBrvSaveLocation), [&] {
        WriteWholeFile(fileName, BrvFileBytes(c, version));
    });
}

} // namespace sarvo::files
