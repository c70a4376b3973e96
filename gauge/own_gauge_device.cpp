#include "gauge/device_types.h"

#include "gauge/own_gauge_codec.h"
#include "gauge/serial_device.h"

#include <utility>

namespace sarvo::gauge {

namespace {

constexpr int kExchangeLimitMs = 1000;
constexpr int kQuietMs = 100;      // bytes still in flight after a stop
constexpr int kLeftoverQuietMs = 20; // the rest of an earlier series still arriving
constexpr int kDrainLimitMs = 2000;
constexpr int kLineRestMs = 50;    // the rest of a version line after its first bytes
constexpr qint64 kOneReadingBytes = 800; // about 139 ms of streaming
constexpr qint64 kVersionBytes = 4;      // a version reply is awaited until more than these

QByteArray Cmd(char c)
{
    return QByteArray(1, c);
}

class OwnGaugeDevice final : public SerialGaugeDevice {
public:
    OwnGaugeDevice(QStringList ports, bool searching) : ports_(std::move(ports)), searching_(searching) {}

    // Searching: the ports in order, stopping at the first gauge that answers with an accepted
    // version; a port tried and not answering is closed again. On the configured port alone a
    // gauge that answers at all is taken, whatever its version says.
    int16_t open() override
    {
        int16_t status = kGaugeNotAnswering;
        for (const QString& port : ports_) {
            status = probe(port, searching_);
            if (status == 0)
                return 0;
            close();
            if (!searching_)
                break;
        }
        return status;
    }

    QString portFound() const override { return connected_ ? link_.path() : QString(); }
    bool searchesPorts() const override { return searching_; }

    GaugeReading readOne() override
    {
        if (!connected_)
            return {};
        // Every reading takes in its own tail, so only what an earlier series left is flushed
        // here: a quiet line costs no wait.
        if (link_.bytesWaiting() > 0) {
            link_.write(Cmd(owngauge::kCmdStop));
            link_.drain(kLeftoverQuietMs, kDrainLimitMs);
        }
        link_.write(Cmd(owngauge::kCmdBegin));
        link_.write(Cmd(owngauge::kCmdStream));
        link_.waitForMoreThan(kOneReadingBytes, kExchangeLimitMs);
        // What came, and the tail that follows the stop: all of it this reading's.
        const QByteArray bytes = stopAndTakeTail(Cmd(owngauge::kCmdStop), {});
        const owngauge::OneReading reading = owngauge::DecodeReading(bytes);
        if (!reading.readable)
            return failedReading(kUnreadableStream);
        if (reading.records == 0)
            return failedReading(kGaugeTimeout);
        return {0, static_cast<float>(reading.value / 10000.0), false, {}, reading.steady};
    }

    QString name() override
    {
        const QString version = owngauge::VersionText(versionReply_);
        return version.isEmpty() ? QStringLiteral("Brintovale") : "Brintovale " + version;
    }

    std::optional<QString> serialNumber() override
    {
        if (!connected_)
            return std::nullopt;
        link_.flush();
        link_.write(Cmd(owngauge::kCmdSerial));
        link_.waitForMoreThan(owngauge::kSerialLength, kExchangeLimitMs);
        const QString serial = owngauge::SerialNumber(link_.readAll());
        if (serial.isEmpty()) {
            failed(0);
            return std::nullopt;
        }
        return serial;
    }

    bool needsReferenceMark() const override { return true; }

    int16_t checkReferenceMark() override
    {
        if (!connected_)
            return kGaugeNotConnected;
        if (!referenceMode_) {
            stopStream();
            link_.write(Cmd(owngauge::kCmdEnterReference));
            referenceMode_ = true;
        }
        link_.flush();
        link_.write(Cmd(owngauge::kCmdReferenceCheck));
        const QByteArray reply =
            link_.readReply([](const QByteArray& r) { return !r.isEmpty(); }, 20, kExchangeLimitMs);
        return owngauge::ReferencePassed(reply) ? 0 : failed(kGaugeNotAnswering);
    }

    void leaveReferenceMode() override
    {
        if (!connected_ || !referenceMode_)
            return;
        link_.flush();
        link_.write(Cmd(owngauge::kCmdLeaveReference));
        referenceMode_ = false;
    }

    int16_t startSeries(int expectedPoints, double samplingRateHz) override
    {
        if (!connected_)
            return kGaugeNotConnected;
        stopStream();
        decoder_.reset(owngauge::SamplesPerPoint(samplingRateHz), std::exchange(seriesStepLimit_, owngauge::kRecordStepLimit));
        link_.write(Cmd(owngauge::kCmdBegin));
        if (!link_.write(Cmd(owngauge::kCmdStream)))
            return failed(AppError::kDeviceIoError);
        // The gauge fills its line: escaped bytes carry fewer records, not fewer bytes.
        seriesAskedFor(owngauge::kBaudRate / 10.0);
        return 0;
    }

    void limitSeriesFeed(double fastestMmPerMin) override { seriesStepLimit_ = owngauge::RunStepLimit(fastestMmPerMin); }

    int16_t fetchSeries(std::span<float> out, int& count, QDeadlineTimer until) override
    {
        return fetch(decoder_, out, count, until);
    }

    int16_t stopSeries() override
    {
        seriesStepLimit_ = owngauge::kRecordStepLimit;
        if (!connected_)
            return 0;
        stopStream();
        return failed(0);
    }

private:
    // Stops the stream and waits until the bytes in flight have arrived, so the next exchange
    // starts on a record boundary.
    void stopStream()
    {
        link_.write(Cmd(owngauge::kCmdStop));
        link_.drain(kQuietMs, kDrainLimitMs);
    }

    int16_t probe(const QString& port, bool checkVersion)
    {
        if (const int16_t status = link_.open(port, owngauge::kBaudRate, owngauge::kInputBufferSize))
            return status;
        stopStream();
        link_.write(Cmd(owngauge::kCmdVersion));
        versionReply_ = versionReply();
        if (checkVersion ? !owngauge::VersionAccepted(versionReply_) : versionReply_.isEmpty())
            return failed(kGaugeNotAnswering);
        connected_ = true;
        referenceMode_ = false;
        return 0;
    }

    // Up to a second for more than four bytes, however slowly they come, then the rest of the
    // line while it follows.
    QByteArray versionReply()
    {
        QDeadlineTimer limit(kExchangeLimitMs);
        link_.waitForMoreThan(kVersionBytes, kExchangeLimitMs);
        QByteArray reply = link_.readAll();
        while (!reply.isEmpty() && !reply.contains('\n') && !reply.contains('\r') && !limit.hasExpired()
               && link_.waitForInput(static_cast<int>(std::min<qint64>(kLineRestMs, limit.remainingTime()))))
            reply += link_.readAll();
        return reply;
    }

    QStringList ports_;
    bool searching_;
    QByteArray versionReply_;
    bool referenceMode_ = false;
    int32_t seriesStepLimit_ = owngauge::kRecordStepLimit; // for the next series
    owngauge::SeriesDecoder decoder_;
};

} // namespace

std::unique_ptr<GaugeDevice> MakeOwnGaugeDevice(const QStringList& ports, bool searching)
{
    return std::make_unique<OwnGaugeDevice>(ports, searching);
}

} // namespace sarvo::gauge
