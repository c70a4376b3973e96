#include "gauge/run_setup.h"

#include "core/checked_math.h"
#include "core/dates.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/utilities.h"
#include "gauge/capture.h"
#include "gauge/case_info.h"

#include <algorithm>
#include <vector>

namespace sarvo::gauge {

namespace {

constexpr int32_t kStaticIntervalMs = 100;
constexpr int kRateCodePerHz = 10000;
// The static axis lists by position: 0, 180, 90 and 270 degrees.
constexpr std::array<int16_t, 4> kAxisAngles = {0, 180, 90, 270};

// The remembered input and where each key's text comes from: one table for all five keys.
struct RunInputKey {
    const char* key;
    QString (*text)(const RunFields&, int samplingRateIndex);
};
constexpr RunInputKey kRunInputKeys[] = {
    {"StartPosition", [](const RunFields& f, int) { return f.startPos; }},
    {"EndPosition", [](const RunFields& f, int) { return f.endPos; }},
    {"AngularOvershoot", [](const RunFields& f, int) { return f.overshoot; }},
    {"Feedrate", [](const RunFields& f, int) { return f.feedrate; }},
    {"SamplingRate", [](const RunFields&, int index) { return QString::number(index); }},
};

struct Equipment {
    const char* manufacturer;
    const char* model;
};
// By BallBarType: QC10, IK110, IK121, own gauge.
constexpr Equipment kEquipment[] = {
    {"Renishaw", "QC10"},
    {"Heidenhain", "IK110"},
    {"Heidenhain", "IK121"},
    {"Dorvell", "Brintovale"},
};

// The arc and point values of one run, worked out before anything is written into the case.
struct RunParameters {
    int16_t startAngle = 0;
    int16_t stopAngle = 0;
    int16_t pointsPerRun = 0;
    double angleStep = 0;
    double samplingRateHz = 0;
    int32_t samplingIntervalMs = 0;
    float overshootAngle = 0;
};

RunParameters DynamicParameters(const RunFields& fields, const SamplingRateItem& rate)
{
    RunParameters p;
    p.startAngle = CheckedInt16(LeadingNumber(fields.startPos));
    p.stopAngle = CheckedInt16(RunStopAngle(p.startAngle, CheckedInt16(LeadingNumber(fields.endPos))));
    p.pointsPerRun = CheckedInt16(rate.points);
    p.angleStep = CheckedDiv(p.stopAngle - p.startAngle, p.pointsPerRun);
    const double hz = static_cast<double>(rate.rateCode) / kRateCodePerHz;
    p.samplingRateHz = hz;
    p.samplingIntervalMs = CheckedInt32(CheckedDiv(1000, hz));
    p.overshootAngle = CheckedSingle(LeadingNumber(fields.overshoot));
    return p;
}

RunParameters StaticParameters(const RunFields& fields, const CaseData& data)
{
    RunParameters p;
    const auto axisAngle = [](int index, int16_t current) {
        return index >= 0 && index < static_cast<int>(kAxisAngles.size()) ? kAxisAngles[static_cast<std::size_t>(index)]
                                                                           : current;
    };
    p.startAngle = axisAngle(fields.startAxisIndex, data.StartAngle);
    p.stopAngle = CheckedInt16(RunStopAngle(p.startAngle, axisAngle(fields.endAxisIndex, data.StopAngle)));
    // Every position of the arc twice: the first reading at each belongs to the clockwise run.
    p.pointsPerRun = CheckedInt16(2.0 * StaticRunPoints(p.stopAngle - p.startAngle));
    p.angleStep = kStaticStepDeg;
    p.samplingIntervalMs = kStaticIntervalMs;
    return p;
}

int RunsNeeded(const RunFields& fields, int runCount)
{
    if (!fields.dynamic)
        return 2; // a static capture stores a clockwise and a counter-clockwise run
    if (fields.direction == DirectionChoice::Both && runCount % 2 == 0)
        return 2; // the partner follows at once
    return 1;
}

QString MillimetreText(const QString& shown, const UnitState& units, const QString& pattern)
{
    return FormatNumber(CheckedDiv(StrToDbl(shown), units.LargeFactor), pattern);
}

} // namespace

void SaveRunInput(const IniFile& ini, const RunFields& fields, int samplingRateIndex)
{
    std::vector<IniFile::Entry> entries;
    const QString section = QString::fromLatin1(kBasicInputSection);
    for (const RunInputKey& key : kRunInputKeys)
        entries.push_back({{section, QString::fromLatin1(key.key)}, key.text(fields, samplingRateIndex)});
    ini.setMany(entries);
}

int16_t DirectionOfNextRun(DirectionChoice choice, int runCount)
{
    const bool clockwise =
        choice == DirectionChoice::Cw || (choice == DirectionChoice::Both && runCount % 2 == 0);
    return clockwise ? -1 : 1;
}

std::optional<QString> PrepareRun(Case& openCase, const RunFields& fields, const Settings& settings,
                                  const UnitState& units, const QDateTime& now)
{
    CaseData& data = openCase.Data;
    CaseHeader& header = openCase.Header;

    if (fields.dynamic && (!fields.samplingRate || fields.samplingRate->rateCode <= 0 ||
                           fields.samplingRate->points <= 0))
        return Translate(QStringLiteral("Select the samples per measurement, please."));
    if (data.RunCount + RunsNeeded(fields, data.RunCount) > kMaxCapturedRuns)
        return Translate(QStringLiteral("A measurement holds at most five runs."));

    // Everything that can fail is worked out first, so a failure leaves the case as it was.
    const RunParameters run =
        fields.dynamic ? DynamicParameters(fields, *fields.samplingRate) : StaticParameters(fields, data);
    const QString feedrate = MillimetreText(fields.feedrate, units, QStringLiteral("######"));
    std::array<QString, 3> origin;
    for (std::size_t axis = 0; axis < origin.size(); ++axis)
        origin[axis] = MillimetreText(fields.centre[axis], units, QStringLiteral("#####0.0"));
    const auto next = static_cast<std::size_t>(data.RunCount + 1); // within the limit checked above
    const int16_t sweep = CheckedInt16(static_cast<double>(run.stopAngle) - run.startAngle);

    data.TestDate = now;
    header[HdrDate] = GeneralDateText(now);
    data.TestRadius = settings.DefaultTestRadius;
    header[HdrFilename].clear();

    data.Dynamic = fields.dynamic;
    header[HdrStatDyn] = fields.dynamic ? QStringLiteral("D") : QStringLiteral("S");
    openCase.Results.AnalysisStep = fields.dynamic ? 1 : kStaticStepDeg;
    data.StartAngle = run.startAngle;
    data.StopAngle = run.stopAngle;
    data.SweepAngle = sweep;
    data.PointsPerRun = run.pointsPerRun;
    // A case holding runs keeps the step they give: a run that is not stored changes nothing.
    data.AngleStep = data.RunCount > 0 ? data.StepOfRuns() : run.angleStep;
    // The chosen rate goes to the capture; the header's rate is that of the runs held.
    data.SetupSamplingRate = run.samplingRateHz;
    if (!fields.dynamic || data.RunCount == 0)
        header[HdrSampling].clear();
    data.SamplingInterval = run.samplingIntervalMs;
    data.OvershootAngle = run.overshootAngle;
    // The captured readings are scaled with the gauge's factor: the case was measured with it.
    data.ScaleFactor = settings.ScaleFactor;

    header[HdrPlane] = PlaneKey(fields.plane);
    header[HdrFeedrate] = feedrate;
    header[HdrComment].clear();
    for (std::size_t axis = 0; axis < origin.size(); ++axis)
        header[HdrOrigX + static_cast<int>(axis)] = origin[axis];
    data.RunDirection.at(next) = DirectionOfNextRun(fields.direction, data.RunCount);
    header[HdrGaugeExp] = FormatNumber(settings.GaugeExpCoeff, QStringLiteral("###0.00####"));
    header[HdrMachineExp] = FormatNumber(settings.MachineExpCoeff, QStringLiteral("###0.00####"));

    if (settings.BallBarType >= 0 && settings.BallBarType < static_cast<int>(std::size(kEquipment))) {
        const Equipment& equipment = kEquipment[settings.BallBarType];
        header[HdrEquipmentManufacturer] = QString::fromLatin1(equipment.manufacturer);
        header[HdrEquipmentModel] = QString::fromLatin1(equipment.model);
        // The serial the gauge reported when it was opened (else the configured one).
        header[HdrEquipmentSerial] = settings.SerialNumber;
    }
    return std::nullopt;
}

void RecordRunsAdded(Case& openCase, int runCountBefore, double gaugeTempC, double machineTempC)
{
    CaseData& data = openCase.Data;
    for (int run = runCountBefore + 1; run <= data.RunCount; ++run) {
        data.GaugeTemp.at(static_cast<std::size_t>(run)) = gaugeTempC;
        data.MachineTemp.at(static_cast<std::size_t>(run)) = machineTempC;
    }
    // Stored or not, the case's step and rate are those of the runs it holds, not the set-up's.
    SettleCapturedRuns(openCase);
    // Results worked out before describe other runs: closing analyses these.
    if (data.RunCount != runCountBefore)
        openCase.Results.invalidate();
}

RunCounter CounterToGrow(DirectionChoice choice, int runCount)
{
    switch (choice) {
    case DirectionChoice::Cw:
        return RunCounter::Cw;
    case DirectionChoice::Ccw:
        return RunCounter::Ccw;
    case DirectionChoice::Both:
        break;
    }
    return runCount % 2 == 1 ? RunCounter::Cw : RunCounter::Ccw;
}

AfterRunStep NextStepAfterRun(bool dynamic, DirectionChoice choice, bool runsAdded, int runCount)
{
    if (runCount <= 0 || !dynamic)
        return AfterRunStep::Finish;
    if (choice == DirectionChoice::Both) {
        if (!runsAdded)
            return AfterRunStep::DropThisClick;
        return runCount % 2 == 1 ? AfterRunStep::CapturePartner : AfterRunStep::Finish;
    }
    // A full case has no room for the run a Yes would start.
    return runCount < kMaxCapturedRuns ? AfterRunStep::AskChangeDirection : AfterRunStep::Finish;
}

void DropRunsSince(Case& openCase, int runCountAtClick)
{
    CaseData& data = openCase.Data;
    data.restoreReadingsAsRead(); // what stays is the readings as captured
    const int kept = std::clamp(runCountAtClick, 0, static_cast<int>(data.RunCount));
    for (int run = kept + 1; run <= data.RunCount; ++run) {
        const auto r = static_cast<std::size_t>(run);
        std::fill_n(data.Readings.row(run), kPointSlots, 0.0);
        data.RunDirection[r] = 0;
        data.RunTargets[r] = 0;
        data.GaugeTemp[r] = 0;
        data.MachineTemp[r] = 0;
        data.RunFeedrate[r] = 0;
    }
    data.RunCount = static_cast<int16_t>(kept);
    int16_t maxTargets = 0;
    for (int run = 1; run <= kept; ++run)
        maxTargets = std::max(maxTargets, data.RunTargets[static_cast<std::size_t>(run)]);
    data.MaxTargets = maxTargets;
    SettleCapturedRuns(openCase);
    openCase.Results.invalidate();
}

float MeanMeasuredFeedrate(const CaseData& data)
{
    // A static run is latched point by point: it has no feedrate to measure.
    if (data.RunCount <= 0 || !data.Dynamic)
        return 0;
    float sum = 0;
    for (int run = 1; run <= data.RunCount; ++run)
        sum += data.RunFeedrate.at(static_cast<std::size_t>(run));
    return sum / static_cast<float>(data.RunCount);
}

} // namespace sarvo::gauge
