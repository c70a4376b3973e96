#include "gauge/run_chain.h"

#include "core/language_db.h"
#include "gauge/device_thread.h"

#include <QDateTime>

namespace sarvo::gauge {

RunChain::RunChain(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units,
                   RunChainUser& user, QObject* parent)
    : QObject(parent), device_(device), case_(openCase), settings_(settings), units_(units), user_(user)
{
}

void RunChain::clearCounters()
{
    clockwise_ = counterClockwise_ = 0;
}

void RunChain::press(const IniFile& ini, int samplingRateIndex)
{
    if (running_)
        return;
    SaveRunInput(ini, user_.fields(), samplingRateIndex);
    runCountAtPress_ = case_.Data.RunCount;
    clockwiseAtPress_ = clockwise_;
    counterClockwiseAtPress_ = counterClockwise_;
    startSwitch();
}

void RunChain::startSwitch()
{
    if (!device_.connected()) {
        user_.notice(ChainNotice::NotConnected, Translate(QStringLiteral("Connect ball bar first, please.")));
        if (running_)
            endPress();
        return;
    }
    running_ = true;
    startCapture();
}

void RunChain::startCapture()
{
    user_.rebuildSamplingRates();
    user_.setCapturing(true);
    device_.post<bool>([](GaugeDevice& device) { return device.connected() && device.batteryLow(); }, this,
                       [this](bool batteryLow) {
                           if (batteryLow)
                               user_.notice(ChainNotice::BatteryLow,
                                            Translate(QStringLiteral("Battery is low.")) + QLatin1Char(' ') +
                                                Translate(QStringLiteral("It is possible that measurement run will "
                                                                         "be interrupted because battery runs out.")));
                           prepareAndCapture();
                       });
}

void RunChain::prepareAndCapture()
{
    if (const std::optional<QString> refusal =
            PrepareRun(case_, user_.fields(), settings_, units_, QDateTime::currentDateTime())) {
        user_.notice(ChainNotice::Refused, *refusal);
        endPress();
        return;
    }
    runCountBeforeCapture_ = case_.Data.RunCount;
    user_.capture([this](const CaptureResult& result) { captured(result); });
}

void RunChain::captured(const CaptureResult& result)
{
    const RunFields fields = user_.fields();
    RecordRunsAdded(case_, runCountBeforeCapture_, TempToCelsius(fields.gaugeTemp, settings_),
                    TempToCelsius(fields.machineTemp, settings_));
    const bool added = case_.Data.RunCount > runCountBeforeCapture_;
    if (added) {
        (CounterToGrow(fields.direction, case_.Data.RunCount) == RunCounter::Cw ? clockwise_ : counterClockwise_) += 1;
        user_.runsStored(clockwise_, counterClockwise_);
    }
    user_.setCapturing(false);

    AfterRunStep step = NextStepAfterRun(fields.dynamic, fields.direction, added, case_.Data.RunCount);
    // A cancelled or broken run has told the user once already; no question follows it.
    const bool brokenOff = result.end == CaptureEnd::Interrupted || result.end == CaptureEnd::DeviceFailed;
    if (brokenOff && step == AfterRunStep::AskChangeDirection)
        step = AfterRunStep::Finish;
    switch (step) {
    case AfterRunStep::CapturePartner:
        startSwitch();
        return;
    case AfterRunStep::AskChangeDirection:
        if (user_.changeDirection()) {
            startSwitch();
            return;
        }
        break;
    case AfterRunStep::DropThisClick:
        DropRunsSince(case_, runCountAtPress_);
        clockwise_ = clockwiseAtPress_;
        counterClockwise_ = counterClockwiseAtPress_;
        user_.runsDropped(clockwise_, counterClockwise_);
        break;
    case AfterRunStep::Finish:
        break;
    }
    endPress();
}

void RunChain::endPress()
{
    running_ = false;
    user_.setCapturing(false);
    bool openSave = false;
    if (case_.Data.RunCount >= 1) {
        case_.Data.MeasuredFeedrateAverage = MeanMeasuredFeedrate(case_.Data);
        openSave = user_.fields().direction == DirectionChoice::Both;
    }
    user_.pressEnded(openSave);
}

} // namespace sarvo::gauge
