#pragma once
// The configured gauge behind one interface, one implementation per gauge type. Calls block for
// at most about a second per exchange, so they run on the device thread (or a test's thread),
// never on the UI thread. Lengths are mm; statuses are 16-bit numbers, 0 for success.
//
// "Connected" means the gauge answered, not that a port opened. A reading that times out is a
// failure (kGaugeTimeout), never an old value. A port that vanishes fails one call with
// AppError::kDeviceIoError and leaves the device closed. A single reading that fails closes the
// device: the gauge is opened again from scratch rather than read on as if nothing happened.

#include "core/outcome.h"
#include "core/settings.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace sarvo::gauge {

enum class GaugeType : int16_t { Qc10 = 0, Ik110 = 1, Ik121 = 2, OwnGauge = 3 };

inline constexpr int16_t kGaugeNotAnswering = -1; // no valid version reply on the port
inline constexpr int16_t kGaugeTimeout = 5000;    // no reading within the exchange's limit
inline constexpr int16_t kIk110Late = 5001;       // a series fetched after its point window
inline constexpr int16_t kGaugeNotConnected = 5002;
inline constexpr int16_t kStreamGap = 5003;        // a stream fell short of the gauge's rate
inline constexpr int16_t kGaugeOutOfRange = 5004;  // a reading at the end of the gauge's range
inline constexpr int16_t kUnreadableStream = 5005; // records no bar can give: a broken stream
inline constexpr int16_t kCounterCardOverflow = 5006; // more values than the card's series holds
inline constexpr int16_t kReadingBufferFull = 5007;   // more values than the caller's buffer holds
inline constexpr int16_t kStreamTooFast = 5008;       // a step between records beyond the run's feed

// The name the closing of the device is reported under.
inline constexpr char kClosingOperation[] = "Closing the device";

// The text of a device status, for the device error box.
QString DeviceErrorText(int16_t status);
// The same in the user's language: the language database's table of errors, else the text above
// translated.
QString TranslatedDeviceErrorText(int16_t status);

// What closing the device gave: the status of the card's own closing, to show as a device error,
// or a run-time error of the call (a missing library call), to report as one.
struct DeviceClosing {
    int16_t status = 0;
    Outcome failure;
    bool ok() const { return status == 0 && failure.ok(); }
};

struct GaugeReading {
    int16_t status = kGaugeNotConnected;
    float mm = 0;
    // The gauge read the end of its range: a fine reading to show, never a length to store.
    bool outOfRange = false;
    // After a failed reading of a connected device: how its closing went.
    DeviceClosing closing;
    // None of the reading's own samples stepped further from the one before than a still bar's
    // noise (the own gauge's records, which a lost or stray byte shifts; the other gauges' readings
    // are always steady). A static point is measured with the machine standing still, so it takes
    // only steady readings.
    bool steady = true;
    bool ok() const { return status == 0; }
};

class GaugeDevice {
public:
    virtual ~GaugeDevice() = default;

    // Opens the device and asks it to answer: 0 when connected.
    virtual int16_t open() = 0;
    // Closing twice is harmless: a device not connected has nothing to close.
    virtual DeviceClosing close() = 0;
    virtual bool connected() const = 0;
    // Opens a closed device again without asking the user anything; needsMark says whether the
    // reference mark must be crossed (again) before its readings count.
    virtual int16_t reopen(bool& needsMark)
    {
        const int16_t status = open();
        needsMark = status == 0 && needsReferenceMark();
        return status;
    }
    // The port the own gauge was found on (the settings keep it); empty for the others.
    virtual QString portFound() const { return {}; }
    // Whether opening searches several ports for the gauge; a search that finds none is no
    // error to show, the device simply stays off.
    virtual bool searchesPorts() const { return false; }

    // One reading; a failure closes the device (closing says how that went).
    virtual GaugeReading readOne() = 0;
    // "Renishaw V…", "Heidenhain IK110", "Brintovale V…".
    virtual QString name() = 0;
    // The gauge's serial number, when it reports one.
    virtual std::optional<QString> serialNumber() { return std::nullopt; }
    virtual bool batteryLow() { return false; }

    // Whether the reference mark must be crossed after opening, and the check: 0 once crossed.
    // A check that fails for another reason than a mark not crossed yet closes the device.
    virtual bool needsReferenceMark() const { return false; }
    virtual int16_t checkReferenceMark() { return 0; }
    virtual void leaveReferenceMode() {}

    // A series of expectedPoints at samplingRateHz averaged values a second.
    virtual int16_t startSeries(int expectedPoints, double samplingRateHz) = 0;
    // Whether a single reading is one a bar can give, for a device that makes each point of the
    // next series from several readings of its own (the IK110's polls): a point with a reading
    // the judge refuses reads that reading, so the capture refuses it as it would refuse it alone.
    // Stopping the series forgets it.
    using ReadingJudge = std::function<bool(double mm)>;
    virtual void judgeSeriesReadings(ReadingJudge) {}
    // The fastest the bar's length may change during the next series, mm/min: the machine's fastest
    // feed in the run. A gauge whose unframed records a lost or stray byte shifts (the own gauge)
    // refuses a record that steps further from the one before (kStreamTooFast). Starting the
    // series takes it; a series started without it allows any step a machine makes.
    virtual void limitSeriesFeed(double /*fastestMmPerMin*/) {}
    // Waits until `until`, then stores the values that arrived since the last fetch into out from
    // index 0, never more than out holds (kReadingBufferFull when more arrived); count = values
    // stored. A stream that is not what the gauge promises fails: a stretch its line left (nearly)
    // quiet (kStreamGap), records no bar gives (kUnreadableStream). A QC10 point at the end of its
    // range reads exactly that end, one beside a byte that fit no pair not a number; the capture
    // judges them.
    virtual int16_t fetchSeries(std::span<float> out, int& count, QDeadlineTimer until) = 0;
    virtual int16_t stopSeries() = 0;
};

// Stops a series on every way out of a capture.
class SeriesGuard {
public:
    explicit SeriesGuard(GaugeDevice& device) : device_(device) {}
    ~SeriesGuard() { device_.stopSeries(); }
    SeriesGuard(const SeriesGuard&) = delete;
    SeriesGuard& operator=(const SeriesGuard&) = delete;

private:
    GaugeDevice& device_;
};

// Opens the device as the measurement window does: the reference mark waited for (polled every
// 100 ms, at most markLimitMs) where the gauge needs it, then the serial number and the port the
// own gauge was found on stored into settings. 0 when connected; a mark not crossed in time
// leaves the device connected, as closing the prompt does.
int16_t ConnectGauge(GaugeDevice& device, Settings& settings, int markLimitMs);

// The device of the configured type. portCandidates are the ports the own gauge's automatic
// detection tries after the configured one (empty: the serial ports the system lists).
std::unique_ptr<GaugeDevice> MakeGaugeDevice(const Settings& settings, QStringList portCandidates = {});

} // namespace sarvo::gauge
