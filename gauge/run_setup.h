#pragma once
// The set-up of a capture run and what follows it, without the window: the remembered input, the
// run parameters and header slots written into the open case before a capture, the bookkeeping
// after it and the decision whether another capture follows at once. Refusals come back as
// translated texts for the window to show.
//
// The measurement window's switch runs one click as a loop, never by calling itself:
//
//     const int16_t runCountAtClick = openCase.Data.RunCount;   // and the counters as shown
//     for (;;) {
//         if (auto refusal = PrepareRun(openCase, fields, settings, units, NaiveNow())) { show it; break; }
//         const int16_t before = openCase.Data.RunCount;
//         capture one run (static: two);
//         RecordRunsAdded(openCase, before, gauge °C, machine °C);
//         const bool added = openCase.Data.RunCount > before;
//         if (added) grow the counter of CounterToGrow(fields.direction, openCase.Data.RunCount);
//         switch (NextStepAfterRun(fields.dynamic, fields.direction, added, openCase.Data.RunCount)) {
//         case AfterRunStep::CapturePartner: continue;
//         case AfterRunStep::AskChangeDirection: if the user says Yes, flip Cw/Ccw and continue; break;
//         case AfterRunStep::DropThisClick: DropRunsSince(openCase, runCountAtClick); restore the counters; break;
//         case AfterRunStep::Finish: break;
//         }
//         break;
//     }
//     unlock; when runs are stored: MeasuredFeedrateAverage = MeanMeasuredFeedrate(...)

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/measure_setup.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace sarvo {
class IniFile;
}

namespace sarvo::gauge {


enum class DirectionChoice { Cw, Ccw, Both };

// What the measurement window's fields hold when the switch is pressed (texts as shown, lengths
// in the display unit, temperatures in the display temperature unit).
struct RunFields {
    bool dynamic = true; // the dynamic tab, else the static one
    QString startPos, endPos, overshoot, feedrate;
    int startAxisIndex = 0; // static: list position 0..3 = 0, 180, 90, 270 degrees
    int endAxisIndex = 0;
    std::optional<SamplingRateItem> samplingRate; // the selected item, none when nothing is selected
    TestPlane plane = TestPlane::XY;
    DirectionChoice direction = DirectionChoice::Both;
    std::array<QString, 3> centre; // origin X, Y, Z
    QString gaugeTemp, machineTemp;
};

// The five "BasicInput" keys as the switch writes them; a failure to write is ignored.
void SaveRunInput(const IniFile& ini, const RunFields& fields, int samplingRateIndex);

// -1 clockwise, +1 counter-clockwise. With both directions the odd runs are clockwise.
int16_t DirectionOfNextRun(DirectionChoice choice, int runCount);

// Everything written into the case before a capture: date, radius, run parameters, plane,
// feedrate and origin in mm, coefficients, the gauge's scale factor, the direction of run
// RunCount + 1 and the equipment. Returns the message to show and leaves the case unchanged when the run cannot be captured: a
// dynamic run without a usable sampling rate, or a run that would take the case beyond its runs
// (a static capture adds two; a pair of both directions needs room for its partner). A field out
// of range raises its AppError before anything is written.
std::optional<QString> PrepareRun(Case& openCase, const RunFields& fields, const Settings& settings,
                                  const UnitState& units, const QDateTime& now);

// After every capture, added runs or not: the temperatures (Celsius) of each run added since
// runCountBefore, and the point count, step and sampling rate of the runs held. Added runs make the
// case's results out of date.
void RecordRunsAdded(Case& openCase, int runCountBefore, double gaugeTempC, double machineTempC);

enum class RunCounter { Cw, Ccw };
// The counter that grows when a capture added runs (RunCount as it is after the capture).
RunCounter CounterToGrow(DirectionChoice choice, int runCount);

enum class AfterRunStep {
    Finish,             // nothing follows
    CapturePartner,     // capture the other direction of the pair at once
    AskChangeDirection, // ask; Yes flips the direction and captures again
    DropThisClick,      // a run of a pair failed: drop the runs of this click
};
AfterRunStep NextStepAfterRun(bool dynamic, DirectionChoice choice, bool runsAdded, int runCount);

// Drops the runs captured after runCountAtClick: their rows and per-run values become 0, RunCount
// and MaxTargets go back to what the remaining runs hold, the results are out of date. Earlier
// runs are kept.
void DropRunsSince(Case& openCase, int runCountAtClick);

// The mean of the measured feedrates of the stored runs, summed in single precision; 0 without
// runs and for a static case.
float MeanMeasuredFeedrate(const CaseData& data);

} // namespace sarvo::gauge
