#include "gauge/device_types.h"

#include "gauge/qc10_codec.h"
#include "gauge/serial_device.h"

namespace sarvo::gauge {

namespace {

constexpr int kReplyQuietMs = 50;
constexpr int kExchangeLimitMs = 1000;

class Qc10Device final : public SerialGaugeDevice {
public:
    explicit Qc10Device(QString path) : path_(std::move(path)) {}

    int16_t open() override
    {
        close();
        if (const int16_t status = link_.open(path_, qc10::kBaudRate, qc10::kInputBufferSize))
            return status;
        // Connected only once the gauge answers its version request.
        link_.write(qc10::Command(qc10::kCmdStop));
        link_.drain(kReplyQuietMs, kExchangeLimitMs);
        version_ = askText(qc10::kCmdVersion);
        connected_ = !version_.isEmpty();
        if (!connected_) {
            const int16_t status = failed(kGaugeNotAnswering);
            close();
            return status;
        }
        return 0;
    }

    GaugeReading readOne() override
    {
        if (!connected_)
            return {};
        link_.flush();
        link_.write(qc10::Command(qc10::kCmdStream));
        QByteArray bytes;
        std::optional<int32_t> reading;
        QDeadlineTimer limit(kExchangeLimitMs);
        while (!reading && link_.waitForMoreThan(0, static_cast<int>(std::max<qint64>(0, limit.remainingTime())))) {
            bytes += link_.readAll();
            reading = qc10::FirstSoundReading(bytes);
        }
        // The rest of this stream is this reading's: the next one starts with its own values.
        stopAndTakeTail(qc10::Command(qc10::kCmdStop), bytes);
        if (!reading)
            return failedReading(kGaugeTimeout);
        return {0, static_cast<float>(*reading / 10000.0), qc10::AtRangeEnd(*reading), {}, true};
    }

    QString name() override
    {
        return version_.isEmpty() ? QStringLiteral("Renishaw") : "Renishaw " + version_;
    }

    std::optional<QString> serialNumber() override
    {
        if (!connected_)
            return std::nullopt;
        link_.flush();
        link_.write(qc10::Command(qc10::kCmdSerial));
        const QByteArray reply =
            link_.readReply([](const QByteArray& r) { return r.contains('\0'); }, kReplyQuietMs, kExchangeLimitMs);
        // A hang-up during the question closes the device at once, not at the first reading.
        if (closeIfLost())
            return std::nullopt;
        return qc10::SerialNumber(reply);
    }

    bool batteryLow() override
    {
        bool dsr = false;
        bool cts = false;
        const bool readable = connected_ && link_.readLines(dsr, cts);
        return qc10::BatteryLow(readable, dsr, cts);
    }

    int16_t startSeries(int expectedPoints, double samplingRateHz) override
    {
        if (!connected_)
            return kGaugeNotConnected;
        link_.flush();
        decoder_.reset(qc10::SamplesPerPoint(samplingRateHz));
        if (!link_.write(qc10::Command(qc10::kCmdStream)))
            return failed(AppError::kDeviceIoError);
        seriesAskedFor(1000.0 / qc10::kMsPerSample * qc10::kSampleBytes);
        return 0;
    }

    int16_t fetchSeries(std::span<float> out, int& count, QDeadlineTimer until) override
    {
        return fetch(decoder_, out, count, until);
    }

    int16_t stopSeries() override
    {
        if (!connected_)
            return 0;
        link_.write(qc10::Command(qc10::kCmdStop));
        link_.drain(kReplyQuietMs, kExchangeLimitMs);
        return failed(0);
    }

private:
    QString askText(char command)
    {
        link_.write(qc10::Command(command));
        return qc10::VersionText(link_.readReply(qc10::ReplyComplete, kReplyQuietMs, kExchangeLimitMs));
    }

    QString path_;
    QString version_;
    qc10::SeriesDecoder decoder_;
};

} // namespace

std::unique_ptr<GaugeDevice> MakeQc10Device(const QString& path)
{
    return std::make_unique<Qc10Device>(path);
}

} // namespace sarvo::gauge
