#include "gauge/device_types.h"

#include "core/app_error.h"
#include "gauge/heid_api.h"

#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <optional>

namespace sarvo::gauge {

namespace {

// The binding raises the missing library or call as a run-time error: here it is the status.
// The card's overflow is told as the card's, not as a serial port's.
template <class Fn>
int16_t Guarded(Fn&& fn)
{
    try {
        const int16_t status = fn();
        return status == kBufferOverflow ? kCounterCardOverflow : status;
    } catch (const AppError& error) {
        return static_cast<int16_t>(error.number());
    }
}

class HeidDevice final : public GaugeDevice {
public:
    HeidDevice(GaugeType type, const Settings& settings) : type_(type), settings_(settings) {}
    ~HeidDevice() override { close(); }

    int16_t open() override
    {
        close();
        const int16_t status = Guarded([&] {
            return type_ == GaugeType::Ik110
                       ? HeidInit110(settings_.BaseAddress, settings_.AxisNumber, handle_)
                       : HeidInit121(settings_.IoAddress, settings_.IrqNumber, settings_.AxisNumber, handle_);
        });
        connected_ = status == 0;
        return status;
    }

    DeviceClosing close() override
    {
        series_.reset();
        judge_ = nullptr;
        DeviceClosing closing;
        if (connected_) {
            try {
                closing.status = HeidKill(handle_);
            } catch (...) {
                closing.failure = Outcome::fromCurrentException(QString::fromLatin1(kClosingOperation));
            }
        }
        connected_ = false;
        return closing;
    }

    bool connected() const override { return connected_; }

    // The card was closed after its failure, so its handle is gone: it is initialised again,
    // and a mark not crossed since asks for the reference mark once more.
    int16_t reopen(bool& needsMark) override
    {
        needsMark = false;
        if (const int16_t status = open())
            return status;
        float mm = 0;
        const int16_t status = rawReading(mm);
        if (status == kHeidMarkNotCrossed) {
            needsMark = true;
            return 0;
        }
        if (status != 0)
            close();
        return status;
    }

    GaugeReading readOne() override
    {
        if (!connected_)
            return {};
        GaugeReading reading;
        reading.status = rawReading(reading.mm);
        if (reading.status != 0)
            reading.closing = close();
        return reading;
    }

    QString name() override
    {
        return type_ == GaugeType::Ik110 ? QStringLiteral("Heidenhain IK110") : QStringLiteral("Heidenhain IK121");
    }

    bool needsReferenceMark() const override { return true; }
    // Asked while the mark is not crossed yet: 320 is the answer, not a failure. Any other
    // status (a library without the reading call) is the card failing, which closes it as a
    // failed reading does: nobody waits for a mark the card cannot report.
    int16_t checkReferenceMark() override
    {
        if (!connected_)
            return kGaugeNotConnected;
        float mm = 0;
        const int16_t status = rawReading(mm);
        if (status != 0 && status != kHeidMarkNotCrossed)
            close();
        return status;
    }

    int16_t startSeries(int expectedPoints, double samplingRateHz) override
    {
        if (!connected_)
            return kGaugeNotConnected;
        intervalMs_ = std::max(1, static_cast<int>(std::nearbyint(1000.0 / std::max(samplingRateHz, 0.001))));
        if (type_ == GaugeType::Ik110) {
            deadline_.start();
            deadlineMs_ = 0;
            return 0;
        }
        series_ = std::make_unique<Ik121Series>();
        return Guarded([&] { return series_->start(handle_, expectedPoints, intervalMs_); });
    }

    int16_t fetchSeries(std::span<float> out, int& count, QDeadlineTimer until) override
    {
        count = 0;
        if (!connected_)
            return kGaugeNotConnected;
        if (type_ == GaugeType::Ik110)
            return emulateIk110(out, count, until);
        if (!series_)
            return AppError::kInvalidCall;
        while (!until.hasExpired())
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(until.remainingTime(), 20)));
        return Guarded([&] { return series_->fetch(out, count); });
    }

    void judgeSeriesReadings(ReadingJudge judge) override { judge_ = std::move(judge); }

    int16_t stopSeries() override
    {
        judge_ = nullptr;
        if (!series_)
            return 0;
        const int16_t status = Guarded([&] { return series_->stop(); });
        series_.reset();
        return status;
    }

private:
    int16_t rawReading(float& mm)
    {
        return Guarded([&] { return HeidReadOne(handle_, mm); });
    }

    // The IK110 has no series of its own: each point is the mean of the readings polled during
    // its window, at least one. A failed reading ends the fetch with its status. A reading the
    // judge refuses becomes its point, so that no mean dilutes it into a length a bar can give.
    int16_t emulateIk110(std::span<float> out, int& count, QDeadlineTimer until)
    {
        for (;;) {
            deadlineMs_ += intervalMs_;
            if (deadline_.elapsed() > deadlineMs_)
                return kIk110Late;
            double sum = 0;
            int readings = 0;
            std::optional<float> refused;
            do {
                float mm = 0;
                if (const int16_t status = Guarded([&] { return HeidReadOne(handle_, mm); }))
                    return status;
                if (!refused && judge_ && !judge_(mm))
                    refused = mm;
                sum += mm;
                ++readings;
                QThread::msleep(1);
            } while (deadline_.elapsed() <= deadlineMs_);
            if (static_cast<size_t>(count) >= out.size())
                return kReadingBufferFull; // the card has no series: the buffer is the caller's
            out[static_cast<size_t>(count++)] = refused.value_or(static_cast<float>(sum / readings));
            if (until.hasExpired())
                return 0;
        }
    }

    GaugeType type_;
    Settings settings_;
    int16_t handle_ = 0;
    bool connected_ = false;
    int intervalMs_ = 1;
    std::unique_ptr<Ik121Series> series_;
    ReadingJudge judge_;
    QElapsedTimer deadline_;
    qint64 deadlineMs_ = 0;
};

} // namespace

std::unique_ptr<GaugeDevice> MakeHeidDevice(GaugeType type, const Settings& settings)
{
    return std::make_unique<HeidDevice>(type, settings);
}

} // namespace sarvo::gauge
