#pragma once
// One run's capture on the UI thread: a small state machine driven by the device thread's
// replies and single-shot timers, so the thread it runs on never waits for the gauge. The gauge
// is reached only through DeviceThread requests; a dynamic run fetches one block per request, so
// a stop or a latch is seen between blocks.

#include "core/case.h"
#include "core/outcome.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/capture.h"
#include "gauge/device_thread.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <span>
#include <vector>

namespace sarvo::gauge {

enum class CaptureEnd { Stored, Interrupted, DeviceFailed, Rejected };

struct CaptureResult {
    CaptureEnd end = CaptureEnd::Interrupted;
    int runsAdded = 0;
    // Message boxes to show in order, translated, exclamation icon: a rejection or an accepted
    // run's feedrate warning.
    QStringList messages;
    // A device failure: its status and the caption of the device error box; status 0 when none.
    int16_t deviceStatus = 0;
    QString deviceCaption;
    // A run-time error while storing, reported under its location.
    Outcome failure;
};

// A gauge that sends nothing for this long, and one point's time more, while it reports no error
// counts as failed.
inline constexpr int kNoDataLimitMs = 2000;

class CaptureSession : public QObject {
    Q_OBJECT
public:
    // Captures run openCase.Data.RunCount + 1 as the run set-up prepared it. endPauseMs: how long
    // the final status stays before finished.
    CaptureSession(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units,
                   int endPauseMs = 1000, QObject* parent = nullptr);
    // A series still running is stopped on the device thread.
    ~CaptureSession() override;

    void start();
    // Where nobody can cancel: a dynamic run that has not triggered within TriggerWaitLimitMs
    // ends as interrupted with NoTriggerMessage. Set before start().
    void limitTriggerWait() { triggerWaitLimited_ = true; }
    // Ends the run as interrupted, unless it has ended on its reading already.
    void requestStop();
    void toggleLatch();
    const CapturePlan& plan() const { return plan_; }
    std::span<const float> points() const;
    bool running() const { return state_ != State::Idle && state_ != State::Done; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void triggered();
    // A dynamic run has ended on its reading; the stream after it is checked before it is stored.
    void runEnded();
    void pointsAdded(int first, int count);
    void staticPointWaiting(int point);
    void liveReading(double mm);
    // The outcome, before the final pause: its boxes are shown now, so the pause follows them.
    void concluded(const sarvo::gauge::CaptureResult& result);
    // After the final pause.
    void finished(const sarvo::gauge::CaptureResult& result);

private:
    enum class State { Idle, Starting, Capturing, Stopping, Done };

    void fetchBlock();
    void blockArrived(int16_t status, const std::vector<float>& block);
    void confirmEnd();
    void endDynamic(int16_t deviceStatus);
    void seriesStopped();

    void pollStatic();
    void staticReading(int16_t status, float mm, bool outOfRange, bool steady);
    void latchStaticPoint();
    void staticPointAveraged(int16_t status, float mm, bool plausible, bool steady);
    void waitForStaticPoint();
    void endStatic(int16_t deviceStatus);

    void failDevice(int16_t status, const QString& caption);
    // Ends the run with a message and nothing stored.
    void breakOff(CaptureEnd end, const QString& message);
    void finish(CaptureResult result);

    DeviceThread& device_;
    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    int endPauseMs_;
    CapturePlan plan_;
    State state_ = State::Idle;
    bool stopRequested_ = false;
    bool latchPressed_ = false;
    bool seriesRunning_ = false;
    bool triggerWaitLimited_ = false;
    // What a stopped run ends with: interrupted, or the failure that stopped it.
    CaptureResult stopResult_;

    // Dynamic
    std::optional<DynamicTrace> trace_;
    QDeadlineTimer blockDeadline_;
    QElapsedTimer sinceReading_;
    QElapsedTimer sinceTrigger_;
    QDeadlineTimer triggerDeadline_ = QDeadlineTimer(QDeadlineTimer::Forever);
    qint64 elapsedMs_ = 0;
    bool endTimed_ = false;

    // Static
    std::vector<float> staticPoints_;
    QTimer pollTimer_;
    float lastReading_ = 0;
    bool lastOutOfRange_ = false;
    bool lastSteady_ = true;
    bool readingShown_ = false;
};

} // namespace sarvo::gauge

Q_DECLARE_METATYPE(sarvo::gauge::CaptureResult)
