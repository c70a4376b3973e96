#pragma once
// One press of the measurement's start switch: one run, a pair of both directions, or a chain of
// runs of alternating direction, each captured by its own capture. The chain is driven by the
// captures' ends, one step after the other, so nothing nests and the thread never waits. What the
// user sees and answers goes through RunChainUser: the measurement window, or a script.

#include "core/case.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/capture_session.h"
#include "gauge/run_setup.h"

#include <QObject>

#include <functional>

namespace sarvo::gauge {

class DeviceThread;

enum class ChainNotice {
    NotConnected, // "Connect ball bar first, please.": nothing was started
    BatteryLow,   // the run goes on after it
    Refused,      // the run set-up refused the run
};

class RunChainUser {
public:
    virtual ~RunChainUser() = default;
    // The sampling-rate list built again from the fields, then the fields as they stand.
    virtual void rebuildSamplingRates() = 0;
    virtual RunFields fields() = 0;
    virtual void notice(ChainNotice kind, const QString& text) = 0;
    // While a run is prepared and captured the set-up cannot change; the switch shows on.
    virtual void setCapturing(bool capturing) = 0;
    // Captures run RunCount + 1 as prepared in the case; done follows exactly once.
    virtual void capture(std::function<void(const CaptureResult&)> done) = 0;
    // After a capture that stored runs: the counters and the case's programmed feedrate.
    virtual void runsStored(int clockwise, int counterClockwise) = 0;
    // The runs of this press were dropped: the counters as they were before it.
    virtual void runsDropped(int clockwise, int counterClockwise) = 0;
    // Yes flips the direction option (clockwise <-> counter-clockwise).
    virtual bool changeDirection() = 0;
    // The press is over; openSave: the save window follows (both directions, runs stored).
    virtual void pressEnded(bool openSave) = 0;
};

class RunChain : public QObject {
    Q_OBJECT
public:
    RunChain(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units, RunChainUser& user,
             QObject* parent = nullptr);

    // The switch: writes the remembered input, then captures as the fields say.
    void press(const IniFile& ini, int samplingRateIndex);
    bool running() const { return running_; }

    // The counters of the runs captured in each direction, shown beside the switch.
    int clockwiseRuns() const { return clockwise_; }
    int counterClockwiseRuns() const { return counterClockwise_; }
    void clearCounters();

private:
    void startSwitch();
    void startCapture();
    void prepareAndCapture();
    void captured(const CaptureResult& result);
    void endPress();

    DeviceThread& device_;
    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    RunChainUser& user_;
    bool running_ = false;
    int runCountAtPress_ = 0;
    int runCountBeforeCapture_ = 0;
    int clockwise_ = 0;
    int counterClockwise_ = 0;
    int clockwiseAtPress_ = 0;
    int counterClockwiseAtPress_ = 0;
};

} // namespace sarvo::gauge
