#pragma once
// What the two serial gauges share: the link, the connection state, the loss of the port, and
// the series fetch over a protocol's decoder.

#include "core/app_error.h"
#include "gauge/device.h"
#include "gauge/heid_api.h"
#include "gauge/serial_link.h"

#include <QElapsedTimer>
#include <QThread>

#include <vector>

namespace sarvo::gauge {

class SerialGaugeDevice : public GaugeDevice {
public:
    bool connected() const override { return connected_; }
    DeviceClosing close() override
    {
        link_.close();
        connected_ = false;
        return {};
    }

protected:
    // The status of an exchange that could not complete: the loss of the port once (and the
    // device is closed), else the given status.
    int16_t failed(int16_t status) { return closeIfLost() ? AppError::kDeviceIoError : status; }

    // A port that vanished (a hang-up, an unplugged cable) closes the device at once.
    bool closeIfLost()
    {
        if (!link_.lost())
            return false;
        close();
        return true;
    }

    // A single reading that failed: the device is closed, the user is told once and the
    // measurement window opens it again.
    GaugeReading failedReading(int16_t status)
    {
        GaugeReading reading;
        reading.status = failed(status);
        reading.closing = close();
        return reading;
    }

    // The stream was just asked for: from now on it owes samplesPerSecond samples of sampleBytes
    // each a second.
    void streamAskedFor(double samplesPerSecond, int sampleBytes)
    {
        samplesPerSecond_ = samplesPerSecond;
        sampleBytes_ = sampleBytes;
        sinceStreamAsked_.start();
    }

    template <class Decoder>
    int16_t fetch(Decoder& decoder, std::span<float> out, int& count, QDeadlineTimer until)
    {
        count = 0;
        if (!connected_)
            return kGaugeNotConnected;
        // Until the end tick, or until the input buffer is full (nothing more can arrive).
        while (!until.hasExpired() && link_.isOpen() && link_.bytesWaiting() < link_.inputBufferSize())
            link_.waitForInput(static_cast<int>(std::max<qint64>(1, until.remainingTime())));
        if (link_.lost())
            return failed(0);
        if (link_.bytesWaiting() >= link_.inputBufferSize())
            return kBufferOverflow;
        // Taken before the read, so everything sent by then is read below.
        const qint64 streamedMs = sinceStreamAsked_.isValid() ? sinceStreamAsked_.elapsed() : 0;
        std::vector<int32_t> raw(out.size());
        count = decoder.feed(link_.readAll(), raw);
        for (int i = 0; i < count; ++i)
            out[static_cast<size_t>(i)] = static_cast<float>(raw[static_cast<size_t>(i)] / 10000.0);
        if (link_.lost())
            return failed(0);
        switch (decoder.fault()) {
        case StreamFault::Unreadable:
            return kUnreadableStream;
        case StreamFault::OutOfRange:
            return kGaugeOutOfRange;
        case StreamFault::None:
            break;
        }
        if (decoder.overflowed())
            return kBufferOverflow;
        return StreamFellShort(decoder.samples(), streamedMs, samplesPerSecond_) ? kStreamGap : 0;
    }

    // Stops the stream of one reading and takes in all of it after the bytes already taken: what
    // the gauge sent until the stop by its rate (less a few samples), however late an adapter or
    // a busy line hands it over, and then whatever follows until the line is quiet. The next
    // exchange starts on a record boundary with its own values.
    QByteArray stopAndTakeTail(const QByteArray& stopCommand, QByteArray taken)
    {
        const double sentBytes = static_cast<double>(sinceStreamAsked_.elapsed()) * samplesPerSecond_ / 1000.0 * sampleBytes_;
        const double owedBytes = sentBytes - kTailSlackSamples * sampleBytes_;
        link_.write(stopCommand);
        QDeadlineTimer owedLimit(kTailOwedLimitMs);
        for (;;) {
            taken += link_.readUntilQuiet(kTailQuietMs, kTailLimitMs);
            if (static_cast<double>(taken.size()) >= owedBytes || owedLimit.hasExpired() ||
                !link_.waitForInput(static_cast<int>(owedLimit.remainingTime())))
                return taken;
        }
    }

    SerialLink link_;
    bool connected_ = false;

private:
    // The line is quiet once nothing came for this long; a gauge that does not stop is left after
    // the limit, and samples a gauge owes are waited for no longer than theirs.
    static constexpr int kTailQuietMs = 20;
    static constexpr int kTailLimitMs = 2000;
    static constexpr int kTailOwedLimitMs = 250;
    static constexpr int kTailSlackSamples = 4;

    QElapsedTimer sinceStreamAsked_;
    double samplesPerSecond_ = 0;
    int sampleBytes_ = 0;
};

} // namespace sarvo::gauge
