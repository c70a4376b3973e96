#pragma once
// What the two serial gauges share: the link, the connection state, the loss of the port, and
// the series fetch over a protocol's decoder.

#include "core/app_error.h"
#include "gauge/device.h"
#include "gauge/heid_api.h"
#include "gauge/serial_link.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cmath>
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

    // A series' stream was just asked for: from now on it owes bytesPerSecond.
    void seriesAskedFor(double bytesPerSecond)
    {
        pace_.start(bytesPerSecond);
        sinceSeriesAsked_.start();
    }

    template <class Decoder>
    int16_t fetch(Decoder& decoder, std::span<float> out, int& count, QDeadlineTimer until)
    {
        count = 0;
        if (!connected_)
            return kGaugeNotConnected;
        std::vector<int32_t> raw(out.size());
        const auto handOver = [&](int16_t status) {
            for (int i = 0; i < count; ++i) {
                const int32_t value = raw[static_cast<size_t>(i)];
                out[static_cast<size_t>(i)] = value == kUnsoundPoint ? std::nanf("") : static_cast<float>(value / 10000.0);
            }
            return status;
        };
        // Taken as the line hands bytes over, a read at most every kReadSpacingMs and at least every
        // kFetchSliceMs, until the end tick: the input buffer never fills however long a block lasts
        // (the slowest rates' blocks hold more than it), and the line's pace is judged at the moments
        // its bytes come, the lowest lag of an adapter's lumps among them. A shortfall being weighed
        // at the end tick is decided first, so that a stop just before a run's end is told as one.
        for (;;) {
            const bool overtime = until.hasExpired();
            QThread::msleep(static_cast<unsigned long>(overtime ? kReadSpacingMs : std::clamp<qint64>(until.remainingTime(), 0, kReadSpacingMs)));
            const QDeadlineTimer slice(overtime ? kFetchSliceMs : std::clamp<qint64>(until.remainingTime(), 0, kFetchSliceMs));
            if (link_.isOpen() && link_.bytesWaiting() == 0)
                link_.waitForInput(static_cast<int>(slice.remainingTime()));
            if (link_.lost())
                return handOver(failed(0));
            // Full: bytes were lost (a program held up for seconds).
            if (link_.bytesWaiting() >= link_.inputBufferSize())
                return handOver(kBufferOverflow);
            const QByteArray bytes = pace_.take([&] { return sinceSeriesAsked_.isValid() ? sinceSeriesAsked_.elapsed() : 0; },
                                                [&] { return link_.readAll(); });
            count += decoder.feed(bytes, std::span<int32_t>(raw).subspan(static_cast<size_t>(count)));
            if (link_.lost())
                return handOver(failed(0));
            if (decoder.fault() == StreamFault::Unreadable)
                return handOver(kUnreadableStream);
            if (decoder.fault() == StreamFault::TooFast)
                return handOver(kStreamTooFast);
            // The caller's buffer is full, not the port's.
            if (decoder.overflowed())
                return handOver(kReadingBufferFull);
            if (pace_.fellShort())
                return handOver(kStreamGap);
            if (until.hasExpired() && !pace_.weighing())
                return handOver(0);
        }
    }

    // Stops the stream of one reading and takes in all of it after the bytes already taken:
    // whatever follows the stop until the line has been quiet for a few times the time a USB
    // adapter holds bytes back (16 to 32 ms), however late the stream began or how slowly the gauge
    // streams; a gauge that does not stop is left after the limit. The next exchange starts on a
    // record boundary with its own values.
    QByteArray stopAndTakeTail(const QByteArray& stopCommand, QByteArray taken)
    {
        link_.write(stopCommand);
        return taken + link_.readUntilQuiet(kTailQuietMs, kTailLimitMs);
    }

    SerialLink link_;
    bool connected_ = false;

private:
    static constexpr int kTailQuietMs = 100;
    static constexpr int kTailLimitMs = 2000;
    static constexpr int kFetchSliceMs = 250;
    static constexpr int kReadSpacingMs = 8;

    QElapsedTimer sinceSeriesAsked_;
    StreamPace pace_;
};

} // namespace sarvo::gauge
