#include "gauge/capture_session.h"

#include "core/language_db.h"

#include <QThread>

#include <algorithm>

namespace sarvo::gauge {

namespace {

const QString kForm = QStringLiteral("frmWait");

// The stretch of stream after a run's end that confirms it, and the points it may bring.
constexpr int kEndCheckMs = 300;
constexpr std::size_t kEndCheckPoints = 2048;

struct BlockReply {
    int16_t status = kGaugeNotConnected;
    std::vector<float> values;
};

struct ReadingReply {
    int16_t status = kGaugeNotConnected;
    float mm = 0;
    bool plausible = true;
    bool outOfRange = false;
    bool steady = true;
};

QString StartingCaption()
{
    return QStringLiteral("Starting several measurements");
}
QString CapturingCaption()
{
    return QStringLiteral("Capturing several measurements");
}
QString ReadingCaption()
{
    return QStringLiteral("Reading one value");
}

} // namespace

CaptureSession::CaptureSession(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units,
                               int endPauseMs, QObject* parent)
    : QObject(parent), device_(device), case_(openCase), settings_(settings), units_(units), endPauseMs_(endPauseMs)
{
    qRegisterMetaType<CaptureResult>();
    pollTimer_.setSingleShot(true);
    connect(&pollTimer_, &QTimer::timeout, this, &CaptureSession::pollStatic);
}

CaptureSession::~CaptureSession()
{
    if (seriesRunning_)
        device_.post<int16_t>([](GaugeDevice& device) { return device.stopSeries(); }, nullptr, [](int16_t) {});
}

std::span<const float> CaptureSession::points() const
{
    if (trace_)
        return trace_->points();
    return staticPoints_;
}

void CaptureSession::requestStop()
{
    // A run that has ended on its reading is judged and stored whatever is pressed meanwhile.
    if (endTimed_)
        return;
    stopRequested_ = true;
}

void CaptureSession::toggleLatch()
{
    latchPressed_ = !latchPressed_;
}

void CaptureSession::start()
{
    if (state_ != State::Idle)
        return;
    latchPressed_ = false; // a stop asked for before the start still holds
    plan_ = MakeCapturePlan(case_, settings_);
    if (!HasRoomForCapture(plan_, case_.Data)) {
        CaptureResult refused;
        refused.end = CaptureEnd::Rejected;
        refused.messages << NoRoomMessage();
        finish(refused);
        return;
    }
    state_ = State::Starting;
    if (!plan_.dynamic) {
        if (settings_.StaticMeasurements < 1)
            settings_.StaticMeasurements = 1;
        staticPoints_.reserve(static_cast<std::size_t>(std::max(0, plan_.pointsPerRun)));
        state_ = State::Capturing;
        waitForStaticPoint();
        return;
    }
    trace_.emplace(plan_);
    if (!plan_.liveDrawing)
        Q_EMIT statusChanged(TranslateIn(kForm, QStringLiteral("Capturing data...")));
    const int perBlock = plan_.pointsPerBlock;
    const double rate = plan_.samplingRateHz;
    seriesRunning_ = true; // from here on every way out stops the series, a failed start too
    device_.post<int16_t>(
        [perBlock, rate, plan = plan_](GaugeDevice& device) {
            device.judgeSeriesReadings([plan](double mm) { return ReadingPlausible(plan, mm); });
            device.limitSeriesFeed(FastestFeedrate(plan));
            return device.startSeries(perBlock, rate);
        },
        this,
        [this](int16_t status) {
            if (status != 0) {
                failDevice(status, StartingCaption());
                endDynamic(status);
                return;
            }
            state_ = State::Capturing;
            blockDeadline_ = QDeadlineTimer(plan_.blockTimeMs);
            if (triggerWaitLimited_)
                triggerDeadline_ = QDeadlineTimer(TriggerWaitLimitMs(plan_));
            sinceReading_.start();
            if (stopRequested_)
                endDynamic(0);
            else
                fetchBlock();
        });
}

void CaptureSession::fetchBlock()
{
    const auto room = static_cast<std::size_t>(std::max(1, trace_->room()));
    const QDeadlineTimer until = blockDeadline_;
    device_.post<BlockReply>(
        [room, until](GaugeDevice& device) {
            BlockReply reply;
            reply.values.resize(room);
            int count = 0;
            reply.status = device.fetchSeries(reply.values, count, until);
            reply.values.resize(static_cast<std::size_t>(std::clamp<int>(count, 0, static_cast<int>(room))));
            return reply;
        },
        this, [this](const BlockReply& reply) { blockArrived(reply.status, reply.values); });
}

void CaptureSession::blockArrived(int16_t status, const std::vector<float>& block)
{
    if (status != 0) {
        failDevice(status, CapturingCaption());
        endDynamic(status);
        return;
    }
    // The watchdog waits longer than one point takes at the slowest rates.
    if (!block.empty())
        sinceReading_.restart();
    else if (sinceReading_.hasExpired(kNoDataLimitMs + RoundToInt(1000.0 / plan_.samplingRateHz))) {
        failDevice(kGaugeTimeout, CapturingCaption());
        endDynamic(kGaugeTimeout);
        return;
    }
    blockDeadline_ += plan_.blockTimeMs;
    const bool wasTriggered = trace_->triggered();
    const int first = static_cast<int>(trace_->points().size());
    const int added = trace_->addBlock(block, !wasTriggered && latchPressed_);
    if (trace_->outOfRange()) {
        failDevice(kGaugeOutOfRange, CapturingCaption());
        endDynamic(kGaugeOutOfRange);
        return;
    }
    if (trace_->unreadable()) {
        // A shifted or broken stream: none of this run can be trusted.
        breakOff(CaptureEnd::DeviceFailed, UnreadableMessage());
        endDynamic(0);
        return;
    }
    if (!wasTriggered) {
        if (!trace_->triggered()) {
            if (!stopRequested_ && triggerDeadline_.hasExpired())
                breakOff(CaptureEnd::Interrupted, NoTriggerMessage(TriggerWaitLimitMs(plan_)));
            if (stopRequested_)
                endDynamic(0);
            else
                fetchBlock();
            return;
        }
        latchPressed_ = false;
        if (stopRequested_) {
            endDynamic(0);
            return;
        }
        sinceTrigger_.start();
        Q_EMIT triggered();
        if (plan_.liveDrawing)
            Q_EMIT statusChanged(TranslateIn(kForm, QStringLiteral("Capturing data...")));
    }
    if (added > 0)
        Q_EMIT pointsAdded(first, added);
    if (trace_->endedByReading() && !stopRequested_)
        confirmEnd();
    else if (trace_->endedByReading() || trace_->pastLimit() || stopRequested_ || latchPressed_)
        endDynamic(0);
    else
        fetchBlock();
}

void CaptureSession::confirmEnd()
{
    // A record shifted by a stray byte also reads as the end of the run, and near zero its stream
    // shows the shift only in the records after it: one more stretch of the stream is judged (a
    // bar back on the circle after it, a step no machine makes), and the run's end is the time it
    // was seen.
    elapsedMs_ = sinceTrigger_.elapsed();
    endTimed_ = true;
    Q_EMIT runEnded();
    const QDeadlineTimer until(kEndCheckMs);
    device_.post<BlockReply>(
        [until](GaugeDevice& device) {
            BlockReply reply;
            reply.values.resize(kEndCheckPoints);
            int count = 0;
            reply.status = device.fetchSeries(reply.values, count, until);
            reply.values.resize(static_cast<std::size_t>(std::clamp<int>(count, 0, static_cast<int>(kEndCheckPoints))));
            return reply;
        },
        this, [this](const BlockReply& reply) {
            // A broken stream, one that fell short (a stop just before the end) or a bar back on the
            // circle after the end of the range tell of the run's readings; anything else came after
            // them.
            trace_->checkAfterEnd(reply.values);
            const bool ofTheRun =
                reply.status == kUnreadableStream || reply.status == kStreamGap || reply.status == kStreamTooFast;
            const int16_t status = ofTheRun ? reply.status : trace_->outOfRange() ? kGaugeOutOfRange : int16_t(0);
            if (status != 0)
                failDevice(status, CapturingCaption());
            else if (trace_->endUndone())
                breakOff(CaptureEnd::DeviceFailed, UnreadableMessage());
            endDynamic(status);
        });
}

void CaptureSession::endDynamic(int16_t deviceStatus)
{
    state_ = State::Stopping;
    if (!endTimed_)
        elapsedMs_ = sinceTrigger_.isValid() ? sinceTrigger_.elapsed() : 0;
    if (deviceStatus != 0)
        stopRequested_ = true;
    if (!seriesRunning_) {
        seriesStopped();
        return;
    }
    device_.post<int16_t>([](GaugeDevice& device) { return device.stopSeries(); }, this,
                          [this](int16_t) { seriesStopped(); });
}

void CaptureSession::seriesStopped()
{
    seriesRunning_ = false;
    if (stopRequested_) {
        finish(stopResult_);
        return;
    }
    const std::span<const float> captured = trace_->points();
    const int p = static_cast<int>(captured.size());
    RunEvaluation evaluation = EvaluateRun(plan_, case_.Data, p, elapsedMs_, units_);
    CaptureResult result;
    result.messages = evaluation.messages;
    if (evaluation.verdict != RunVerdict::Accepted) {
        result.end = CaptureEnd::Rejected;
        finish(result);
        return;
    }
    bool stored = false;
    result.failure = Trapped(QStringLiteral("Capturing data"), [&] {
        stored = StoreDynamicRun(case_, captured, evaluation.feedrate, settings_);
    });
    if (!stored && result.failure.ok())
        result.messages = QStringList{NoRoomMessage()};
    result.end = stored ? CaptureEnd::Stored : CaptureEnd::Rejected;
    result.runsAdded = stored ? 1 : 0;
    Q_EMIT statusChanged(QString());
    finish(result);
}

void CaptureSession::waitForStaticPoint()
{
    const int point = static_cast<int>(staticPoints_.size());
    latchPressed_ = false;
    readingShown_ = false;
    Q_EMIT statusChanged(Translate(QStringLiteral("Waiting for")) + u' ' + QString::number(point + 1) +
                       QStringLiteral(". ") + Translate(QStringLiteral("point")) + QStringLiteral("..."));
    Q_EMIT staticPointWaiting(point);
    pollTimer_.start(plan_.samplingIntervalMs);
}

void CaptureSession::pollStatic()
{
    device_.post<ReadingReply>(
        [](GaugeDevice& device) {
            const GaugeReading reading = device.readOne();
            return ReadingReply{reading.status, reading.mm, true, reading.outOfRange, reading.steady};
        },
        this, [this](const ReadingReply& reply) { staticReading(reply.status, reply.mm, reply.outOfRange, reply.steady); });
}

void CaptureSession::staticReading(int16_t status, float mm, bool outOfRange, bool steady)
{
    if (status != 0) {
        failDevice(status, ReadingCaption());
        endStatic(status);
        return;
    }
    lastReading_ = mm;
    lastOutOfRange_ = outOfRange;
    lastSteady_ = steady;
    readingShown_ = true;
    Q_EMIT liveReading(mm);
    if (latchPressed_ || stopRequested_)
        latchStaticPoint();
    else
        pollTimer_.start(plan_.samplingIntervalMs);
}

void CaptureSession::latchStaticPoint()
{
    // Presses meanwhile are cleared by the next point's start: the point shows it is measured.
    const int point = static_cast<int>(staticPoints_.size());
    Q_EMIT statusChanged(Translate(QStringLiteral("Measuring")) + u' ' + QString::number(point + 1) +
                         QStringLiteral(". ") + Translate(QStringLiteral("point")) + QStringLiteral("..."));
    // The reading shown last, then the further ones 10 ms apart, each of them still.
    const float first = lastReading_;
    const bool firstOutOfRange = lastOutOfRange_;
    const bool firstSteady = lastSteady_;
    const int count = std::max<int>(1, settings_.StaticMeasurements);
    const CapturePlan plan = plan_;
    device_.post<ReadingReply>(
        [first, firstOutOfRange, firstSteady, count, plan](GaugeDevice& device) {
            double sum = first;
            bool plausible = ReadingPlausible(plan, first);
            bool steady = firstSteady;
            // The end of the range is where the gauge stopped measuring: never a point.
            if (firstOutOfRange)
                return ReadingReply{kGaugeOutOfRange, 0};
            for (int i = 1; i < count; ++i) {
                QThread::msleep(10);
                const GaugeReading reading = device.readOne();
                if (!reading.ok())
                    return ReadingReply{reading.status, 0};
                if (reading.outOfRange)
                    return ReadingReply{kGaugeOutOfRange, 0};
                plausible = plausible && ReadingPlausible(plan, reading.mm);
                steady = steady && reading.steady;
                sum += reading.mm;
            }
            return ReadingReply{0, static_cast<float>(sum / count), plausible, false, steady};
        },
        this, [this](const ReadingReply& reply) { staticPointAveraged(reply.status, reply.mm, reply.plausible, reply.steady); });
}

void CaptureSession::staticPointAveraged(int16_t status, float mm, bool plausible, bool steady)
{
    if (status != 0) {
        // A point the gauge could not measure ends the run: it must not enter as a wrong value.
        failDevice(status, ReadingCaption());
        endStatic(status);
        return;
    }
    if (!plausible || !steady) {
        breakOff(CaptureEnd::DeviceFailed, plausible ? MovedWhileMeasuredMessage() : UnreadableMessage());
        endStatic(0);
        return;
    }
    const int point = static_cast<int>(staticPoints_.size());
    staticPoints_.push_back(mm);
    Q_EMIT pointsAdded(point, 1);
    if (stopRequested_ || static_cast<int>(staticPoints_.size()) >= plan_.pointsPerRun)
        endStatic(0);
    else
        waitForStaticPoint();
}

void CaptureSession::endStatic(int16_t deviceStatus)
{
    state_ = State::Stopping;
    pollTimer_.stop();
    if (deviceStatus != 0 || stopRequested_) {
        finish(stopResult_);
        return;
    }
    CaptureResult result;
    bool stored = false;
    result.failure = Trapped(QStringLiteral("Capturing data"),
                             [&] { stored = StoreStaticRuns(case_, plan_, staticPoints_, settings_); });
    if (!stored && result.failure.ok())
        result.messages << NoRoomMessage();
    result.end = stored ? CaptureEnd::Stored : CaptureEnd::Rejected;
    result.runsAdded = stored ? 2 : 0;
    Q_EMIT statusChanged(QString());
    finish(result);
}

void CaptureSession::failDevice(int16_t status, const QString& caption)
{
    // A broken stream is told as an unreadable reading, whichever check found it.
    if (status == kUnreadableStream) {
        breakOff(CaptureEnd::DeviceFailed, UnreadableMessage());
        return;
    }
    stopResult_.end = CaptureEnd::DeviceFailed;
    stopResult_.deviceStatus = status;
    stopResult_.deviceCaption = Translate(caption);
}

void CaptureSession::breakOff(CaptureEnd end, const QString& message)
{
    stopResult_ = CaptureResult{};
    stopResult_.end = end;
    stopResult_.messages << message;
    stopRequested_ = true;
}

void CaptureSession::finish(CaptureResult result)
{
    if (state_ == State::Done)
        return; // finished once only
    state_ = State::Done;
    // The boxes first, then the pause.
    Q_EMIT concluded(result);
    if (result.end == CaptureEnd::Interrupted || result.end == CaptureEnd::DeviceFailed)
        Q_EMIT statusChanged(Translate(QStringLiteral("Interrupted measurement")));
    QTimer::singleShot(endPauseMs_, this, [this, result] { Q_EMIT finished(result); });
}

} // namespace sarvo::gauge
