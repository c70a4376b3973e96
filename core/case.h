#pragma once
// The open case: the measurement in work, as text (CaseHeader) and as numbers (CaseData), with
// the analysis results that belong to it. Whatever replaces the open case (a new measurement, a
// file read, a stored case loaded) fills an empty Case and adopts it whole once it succeeded, so
// nothing of a case reaches the next; consumers still stop at RunCount and RunTargets.

#include "core/results.h"
#include "core/app_error.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace sarvo {

enum HeaderSlot : int {
    HdrFilename = 0,
    HdrMachine = 1,
    HdrDate = 2,
    HdrBy = 3,
    HdrLength = 4,
    HdrPlane = 5,
    HdrFeedrate = 6,
    HdrStatDyn = 7,
    HdrMaxTargets = 8,
    HdrSampling = 9,
    HdrCustomer = 10,
    HdrName = 11,
    HdrComment = 12,
    HdrOrigX = 14,
    HdrOrigY = 15,
    HdrOrigZ = 16,
    HdrGaugeExp = 17,
    HdrMachineExp = 18,
    HdrEquipmentManufacturer = 22,
    HdrEquipmentModel = 23,
    HdrEquipmentSerial = 24,
};

constexpr int kHeaderSlots = 31;   // slots 0..30
constexpr int kMaxRuns = 7;        // runs 1..7; row 0 exists and stays empty
constexpr int kMaxPointIndex = 8000;
constexpr int kPointSlots = kMaxPointIndex + 1;

struct CaseData;

// A static run has a position every 45 degrees from the start of its arc.
constexpr int kStaticStepDeg = 45;

// The points of one static run over an arc of sweepAngle degrees, as a static capture takes them:
// a position every 45 degrees from the start, up to the end of a partial arc (included when it
// falls on one) and before the end of a full circle, which is the start again. 0 for no arc.
int StaticRunPoints(int sweepAngle);

// Where the points of a run lie on the arc of its case: a dynamic run spreads its n points evenly,
// the step being the sweep over n, so that a full circle never repeats its first angle; a static
// run has one every 45 degrees from the start.
struct PointArc {
    int startAngle = 0;
    int sweepAngle = 0;
    bool dynamic = true;
};

// Angle in degrees of point j of a run of n points on the arc: the one placement of every stage
// that works out a point's angle from its index (the graphs step by AngleStep, which is 45 for
// every static case).
double PointAngleDeg(const PointArc& arc, int n, int j);

// Where in a static run's row (rising angle from the start) the k-th position it measured goes:
// a counter-clockwise run starts at the start of the arc, a clockwise one at its end, which on a
// full circle is the start again (position 0), not one more position.
int StaticPointIndex(int sweepAngle, int direction, int k);

// The end of an arc from start to stop as a run takes it: an end at or before the start lies one
// turn on (equal angles are a full circle).
double RunStopAngle(double startDeg, double stopDeg);

// Point thinning: a run of more samples than maxPoints keeps samples / f points, each the mean of
// f consecutive samples, with f = whole part of (samples / maxPoints + 1). Files on reading and
// the capture on storing thin alike, so a case and its file are one case.
struct Thinning {
    int64_t factor = 1;
    int64_t points = 0;
};
Thinning ThinSamples(int64_t samples, int maxPoints);

// The most points a run may keep: maxPoints, never above the readings table. A run needs three
// points at least for its circle.
int RunPointLimit(int maxPoints);
inline constexpr int kMinRunPoints = 3;

// The sampling rate in Hz of a dynamic case's points: `points` a run over the arc at the feedrate
// (mm/min), as "###0.0###"; the case's rate is that of its points, however they were taken.
// Empty when the feedrate or the arc gives no time.
QString PointSamplingRateText(const CaseData& d, double feedrate, int64_t points);

struct Case;
// The header's count and rate of the points the case holds: HdrMaxTargets from MaxTargets and,
// for a dynamic case with runs, HdrSampling from the feedrate of HdrFeedrate. What a capture and
// a thinned read give a case, so that the case and its files agree. A rate the feedrate or the
// arc cannot give leaves the slot as it was.
void SetHeldPointsHeader(Case& c);

// 31 text slots; an index outside 0..30 raises error 9.
class CaseHeader {
public:
    QString& operator[](int slot) { return slots_[checked(slot)]; }
    const QString& operator[](int slot) const { return slots_[checked(slot)]; }
    bool operator==(const CaseHeader&) const = default;

private:
    static std::size_t checked(int slot)
    {
        if (slot < 0 || slot >= kHeaderSlots)
            throw AppError::subscriptOutOfRange();
        return static_cast<std::size_t>(slot);
    }
    std::array<QString, kHeaderSlots> slots_;
};

// Radial deviations in mm by run 0..7 and point 0..8000. Every index is checked (error 9);
// row() gives the contiguous points of one run for the computation library.
class ReadingsTable {
public:
    ReadingsTable() : values_(static_cast<std::size_t>(kRunSlots) * kPointSlots, 0.0) {}

    double& operator()(int run, int point) { return values_[index(run, point)]; }
    double operator()(int run, int point) const { return values_[index(run, point)]; }

    double* row(int run) { return &values_[index(run, 0)]; }
    const double* row(int run) const { return &values_[index(run, 0)]; }

    void clear() { std::fill(values_.begin(), values_.end(), 0.0); }
    bool operator==(const ReadingsTable&) const = default;

private:
    static std::size_t index(int run, int point)
    {
        if (run < 0 || run >= kRunSlots || point < 0 || point >= kPointSlots)
            throw AppError::subscriptOutOfRange();
        return static_cast<std::size_t>(run) * kPointSlots + static_cast<std::size_t>(point);
    }
    std::vector<double> values_;
};

struct CaseData {
    ReadingsTable Readings;
    int16_t RunCount = 0;
    std::array<int16_t, kRunSlots> RunDirection{}; // +1 counter-clockwise, -1 clockwise
    std::array<int16_t, kRunSlots> RunTargets{};   // points of the run
    std::array<double, kRunSlots> MachineTemp{};   // Celsius
    std::array<double, kRunSlots> GaugeTemp{};     // Celsius
    std::array<float, kRunSlots> RunFeedrate{};    // mm/min, measured
    float MeasuredFeedrateAverage = 0;
    bool Dynamic = false;
    bool Calibrated = false;
    bool OptionFlag = false;
    int16_t StartAngle = 0; // whole degrees
    int16_t StopAngle = 0;
    int16_t SweepAngle = 0;
    double AngleStep = 0;   // degrees between consecutive points
    QDateTime TestDate;     // naive local time, held as UTC so no DST gap can invalidate it
    double TestRadius = 0;  // mm
    int16_t MaxTargets = 0;
    // Also the settings value "Ball Bar Length": a loaded case changes the next measurement's
    // default, and the settings file receives it at exit.
    float BallBarLength = 0;
    float OvershootAngle = 0;
    int16_t PointsPerRun = 0;
    int32_t SamplingInterval = 0; // ms per point
    double SetupSamplingRate = 0; // points a second the run set-up chose for the next run
    double ZeroOffset = 0;        // mm
    // The gauge scale factor the case was measured with. Reading a file sets this, never the
    // gauge's own setting (Settings::ScaleFactor), which only the configuration changes.
    double ScaleFactor = 1.0;
    // The readings as the file gave them or the gauge captured them, before the analysis
    // compensated and re-centred them in Readings: what a measurement file of the case holds.
    // Empty for a case that holds only its analysed readings (one loaded from the case database)
    // or runs not analysed yet. Shared, since cases are copied
    // for every read and this table is never changed in place.
    std::shared_ptr<const ReadingsTable> ReadingsAsRead;

    // The readings a measurement file of the case is written with: as read where they are kept,
    // otherwise the readings as they stand.
    const ReadingsTable& ReadingsToSave() const { return ReadingsAsRead ? *ReadingsAsRead : Readings; }

    // Puts the readings back as read or captured before anything changes the runs or analyses
    // them again: the kept table is then the readings themselves.
    void restoreReadingsAsRead();
    // Keeps the readings as they stand, before an analysis changes them in place, as what a file
    // of the case holds from now on.
    void keepReadingsAsRead();

    // Empties the readings, the per-run arrays and their mean feedrate, as the measurement window
    // does when it opens.
    void clearRuns();

    // The arc of the runs: start, sweep and how the points of a run lie on it.
    PointArc Arc() const { return {StartAngle, SweepAngle, Dynamic}; }

    // The step between points as every stage places them: a dynamic case spreads its longest run
    // over the arc (SweepAngle / MaxTargets), so no run reaches past its end; a static case has
    // a position every 45 degrees. 0 for a dynamic case without points.
    double StepOfRuns() const;

    // Whether any run carries a measured feedrate: files without one leave every run at 0, which
    // is no measurement of zero.
    bool FeedrateMeasured() const;
};

// One measurement with its analysis results: the open case of the program, or a scratch copy
// that a reader fills and the program adopts only when the read succeeded.
struct Case {
    CaseHeader Header;
    CaseData Data;
    AnalysisResults Results;
};

// The next measurement of the same measurement window, after its runs were saved: an empty case
// that keeps only the case information typed for it (customer, machine, session, operator, date,
// bar length) and the calibration state of that bar length.
void ClearCaseForNextMeasurement(Case& c);

} // namespace sarvo
