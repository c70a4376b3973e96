#pragma once
// One run's capture without the window: the working values derived from the case the run set-up
// prepared, the trigger and the end of a dynamic run, the evaluation against the programmed
// feedrate, the storing into the case and the geometry of the live target. Lengths are mm,
// feedrates mm/min, angles whole degrees.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/measure_setup.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace sarvo::gauge {

// Level a latched start puts the end at: the run then ends by the operator or the point limit.
inline constexpr double kLatchedTriggerLevelMm = 10.0;

// No bar reads further than this from the reading expected on the circle or at its nominal
// length: a reading beyond it comes from a broken stream (stray bytes shift the own gauge's
// records), not from the bar.
inline constexpr double kPlausibleSpanMm = 25.0;

// A dynamic run that has not triggered within this long is given up where nobody can cancel it:
// three times its expected duration plus its lead-in, never less than the floor.
inline constexpr int kTriggerWaitFloorMs = 5000;

// The nearest whole number, halves to the even neighbour, as the case's whole values are rounded;
// unlike CheckedInt32 it never throws, so the drawing can use it too.
int RoundToInt(double value);

struct CapturePlan {
    bool dynamic = true;
    int run = 1;             // the run to capture: RunCount + 1
    int direction = 1;       // +1 counter-clockwise, -1 clockwise
    float signedStep = 0;    // degrees a point, negative for clockwise
    int pointsPerRun = 0;
    int overshootPoints = 0;
    int expectedPoints = 0;
    int pointLimit = 0;
    float programmedFeedrate = 0; // mm/min
    int startAngle = 0;
    int pointsPerBlock = 0;
    int blockTimeMs = 0;
    int bufferSize = 0;      // readings the capture buffer holds
    double samplingRateHz = 0;
    int samplingIntervalMs = 0;
    bool liveDrawing = true;
    double expectedReading = 0; // the raw reading expected on the circle
    double nominalReading = 0;  // the raw reading at the bar's nominal length
    bool readsRangeEnds = false; // the QC10: a point at the end of its range reads that end
    bool recordsShift = false;   // the own gauge: a lost or stray byte shifts its unframed records
};

CapturePlan MakeCapturePlan(const Case& openCase, const Settings& settings);

// Whether a raw reading is one a bar can give: a finite number within kPlausibleSpanMm of the
// reading expected on the circle or at the bar's nominal length.
bool ReadingPlausible(const CapturePlan& plan, double mm);
QString UnreadableMessage();
// A static point and a calibration are measured with the bar standing still: a reading that moved
// there is a shifted stream's or a machine's that had not stopped, no length to keep.
QString MovedWhileMeasuredMessage();

int TriggerWaitLimitMs(const CapturePlan& plan);
QString NoTriggerMessage(int limitMs);

// Whether the case has room for the runs the capture adds (two for a static capture).
bool HasRoomForCapture(const CapturePlan& plan, const CaseData& data);
QString NoRoomMessage();

// The readings of a dynamic run: fed block by block, triggered on the first reading below the
// level set by the first block (or by the latch), ended on a reading above the level or past
// the point limit. Only the run's own readings are judged: before the trigger a reading no bar
// gives is passed over and one at the end of the range is the bar at rest there.
class DynamicTrace {
public:
    explicit DynamicTrace(const CapturePlan& plan);

    // Adds one fetched block; returns the number of readings that entered the run. latchPending:
    // the operator latched while the run had not triggered yet.
    int addBlock(std::span<const float> block, bool latchPending);
    bool triggered() const { return triggered_; }
    bool endedByReading() const { return endedByReading_; }
    // A reading no bar can give came before the run ended; the readings before it stay.
    bool unreadable() const { return unreadable_; }
    // A reading of the run at the end of the gauge's range: the gauge stopped measuring there.
    bool outOfRange() const { return outOfRange_; }
    // The readings that followed a run's end, after those of its own block: a run that ended on the
    // end of the range and whose bar is back on the circle after it did not end there (the gauge
    // left its range and came back), which makes it out of range.
    void checkAfterEnd(std::span<const float> after);
    // A run that ended on a reading above the level whose bar is back on the circle after it, more
    // than half the way from the level to the reading expected there: a bar feeding out never comes
    // back so far, so the end was a record shifted by a stray byte before a lost one put the stream
    // back in step (the own gauge), and none of the run can be trusted.
    bool endUndone() const { return endUndone_; }
    bool pastLimit() const { return static_cast<int>(points_.size()) > plan_.pointLimit; }
    // The level the run triggered on and ends above; set by the first block.
    bool levelSet() const { return levelSet_; }
    double level() const { return level_; }
    std::span<const float> points() const { return points_; }
    // Room left in the capture buffer for the next block.
    int room() const;

private:
    CapturePlan plan_;
    std::vector<float> points_;
    bool levelSet_ = false;
    double level_ = 0;
    bool triggered_ = false;
    bool endedByReading_ = false;
    bool endedAtRangeEnd_ = false;
    std::vector<float> afterEnd_; // the rest of the block the run ended in
    bool endUndone_ = false;
    bool unreadable_ = false;
    bool outOfRange_ = false;
};

// A dynamic run with fewer than this many tenths of its expected points is refused as too fast.
inline constexpr int kFewestPointsTenths = 7;
// So the fastest run the capture accepts moves at 10/7 of the programmed feedrate, and no faster does
// the bar's length change in a run whose feed-in and feed-out go at the feedrate: the fastest feed
// the gauge is told of. 0 without a programmed feedrate.
double FastestFeedrate(const CapturePlan& plan);

// The arc including both overshoots over the time from the trigger to the stop; a run stopped
// within the same millisecond counts one.
float MeasuredFeedrate(const CaseData& data, qint64 elapsedMs);

// A measured feedrate against the programmed one: a warning strictly outside 0.85F..1.15F.
enum class FeedrateWarning { None, High, Low };
FeedrateWarning CheckFeedrate(float measured, float programmed);

enum class RunVerdict { Accepted, TooManyPoints, TooFewPoints };
struct RunEvaluation {
    RunVerdict verdict = RunVerdict::Accepted;
    float feedrate = 0;
    QStringList messages; // translated: the rejection, or the accepted run's feedrate warning
};
// The verdict of a captured run with `points` readings (dynamic: elapsed ms from the trigger).
RunEvaluation EvaluateRun(const CapturePlan& plan, const CaseData& data, int points, qint64 elapsedMs,
                          const UnitState& units);

// Stores an accepted dynamic run as run RunCount + 1, in rising angle, scaled, at most the
// settings' MaxPoints points (a longer run thinned as the file readers thin it: each point the
// mean of f consecutive readings); false (case unchanged) when the case has no room. Both stores
// add to the readings as captured (an analysis of the earlier runs is undone) and settle the case.
bool StoreDynamicRun(Case& openCase, std::span<const float> points, float feedrate, const Settings& settings);
// Stores a static capture as two runs, clockwise first, each position at the angle it was
// measured; false (case unchanged) when the case
// has no room for both or fewer than pointsPerRun readings came.
bool StoreStaticRuns(Case& openCase, const CapturePlan& plan, std::span<const float> points, const Settings& settings);

// After the runs changed: the step, count and sampling rate the case's runs give, as a file or
// a stored copy of it reads back (the rate is that of its points, after any thinning).
void SettleCapturedRuns(Case& openCase);

// The live target drawn into a width x height picture.
struct TargetGeometry {
    double tickMm = 0;     // one division
    QString tickCaption;   // shown, translated where metric
    int cx = 0;
    int cy = 0;
    double scale = 0;      // pixels per mm
    double ring = 0;       // mm added to a reading to reach its radius
    double referenceRing = 0; // mm, the grey circle's radius
    double minRadius = 0;  // pixels
    double maxRadius = 0;
};
TargetGeometry MakeTargetGeometry(int width, int height, const Settings& settings, const UnitState& units,
                                  const CaseData& data);
// Where a reading at an angle is drawn.
QPoint TracePoint(const TargetGeometry& target, double readingMm, int angleDeg);

struct AxisLabels {
    QString left, right, top, bottom;
};
// The axis ends of a plane ("xy", "xz", "yz"); "xz" has its minus at the top.
AxisLabels TargetAxisLabels(const QString& plane);

// The angle a point of the run is drawn at: dynamic points follow the step, static positions
// are each measured twice.
int TraceAngle(const CapturePlan& plan, int point);
// Trace colours by point count: the overshoot before and after the run's own points.
bool IsOvershootPoint(const CapturePlan& plan, int pointsStored);

} // namespace sarvo::gauge
