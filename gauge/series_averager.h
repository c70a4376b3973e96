#pragma once
// Averages a stream of raw gauge samples (0.1 µm) into one value per point of a series. The
// caller hands the room it has; a point that does not fit stays pending, so nothing is written
// past the caller's buffer and nothing is lost.

#include <QByteArray>

#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <utility>

namespace sarvo::gauge {

// A point that holds a sample a lost or stray byte may have touched: it reads no length (the
// devices hand it over as not a number).
inline constexpr int32_t kUnsoundPoint = std::numeric_limits<int32_t>::min();

// What a sample is to its point: a length; the end of the gauge's range, which pins the point to
// exactly that so that it is never taken for a length; or unsound, which makes it kUnsoundPoint.
enum class SampleKind { Length, RangeEnd, Unsound };

class SeriesAverager {
public:
    void reset(int samplesPerPoint);
    int samplesPerPoint() const { return samplesPerPoint_; }

    // Adds one sample; returns false (sample not taken) when a finished point has no room left.
    bool add(int32_t sample, std::span<int32_t> out, int& stored, SampleKind kind = SampleKind::Length);

private:
    int samplesPerPoint_ = 1;
    int64_t sum_ = 0;
    int count_ = 0;
    std::optional<int32_t> pinned_;
    bool unsound_ = false;
};

// What a stream showed that the gauge protocol does not promise: records no bar can give (a lost
// or stray byte shifts the own gauge's records), or a step between two records further than the
// machine moves at the run's feed (a shifted record, or a feed faster than the one set). Decoding
// stops there; nothing after it is taken.
enum class StreamFault { None, Unreadable, TooFast };

// What both protocols' series decoders keep between fetches: the averager, the bytes not yet
// decoded, whether the caller's buffer ran full, the samples decoded since the start and the
// fault that ended decoding.
class SeriesDecoderState {
public:
    void reset(int samplesPerPoint)
    {
        averager_.reset(samplesPerPoint);
        carry_.clear();
        overflowed_ = false;
        samples_ = 0;
        fault_ = StreamFault::None;
    }
    bool overflowed() const { return overflowed_; }
    const QByteArray& carry() const { return carry_; }
    int64_t samples() const { return samples_; }
    StreamFault fault() const { return fault_; }

protected:
    SeriesAverager averager_;
    QByteArray carry_;
    bool overflowed_ = false;
    int64_t samples_ = 0;
    StreamFault fault_ = StreamFault::None;
};

// Judges a serial gauge's stream by what its line carried. The samples come at a known rate and a
// point's angle is its place in the stream, so what breaks a run is a stretch where the line went
// quiet while time passed: the samples of it are missing and every later point slips. Two judges:
// - over the last kPaceWindowMs, the bytes against a little less than the line's rate (a gauge's
//   clock a few per cent slow, escaped bytes that fill the same line with fewer records): more than
//   kPaceGapMs of bytes missing for kPaceCatchUpMs, time enough for late bytes to come;
// - the stream's lag: the time since its first bytes less the time its bytes fill at the line's
//   rate, net of the most a readable clock can drift (a receiver reads a frame only while the
//   clock is within half a bit over the 9.5 bits to the stop bit's middle), which leaves it even or
//   falling while the gauge sends. A gauge that stops never makes its bytes up: its lag rises by
//   the stop and stays. An adapter's lumps raise it by at most a hand-over (32 ms) and a held-up
//   program or line finds its bytes waiting in one batch, so the lag falls back. So the stream
//   falls short when its lag has stood more than kLagRiseMs above its lowest of the last
//   kLagBaseMs at every read for kLagPersistMs: a stop of 0.1 s still stands some 50 ms above it
//   after 0.5 s of a clock 5 % fast, lumps stay within a hand-over, and the lows reach back
//   before the stop.
inline constexpr int kPaceWindowMs = 2000;
inline constexpr double kPaceShare = 0.94;
inline constexpr int kPaceGapMs = 80;
inline constexpr int kPaceCatchUpMs = 500;
inline constexpr double kClockTolerance = 0.5 / 9.5;
inline constexpr int kLagRiseMs = 36;
inline constexpr int kLagPersistMs = 500;
inline constexpr int kLagBaseMs = 1000;

class StreamPace {
public:
    // A stream of bytesPerSecond was asked for.
    void start(double bytesPerSecond);
    // A read atMs after the stream was asked for took `bytes`, all of which had come by then.
    void note(int64_t atMs, int64_t bytes);
    // Reads the line with read() and notes what it took at now() (ms since the stream was asked
    // for) after the read: a time taken before it would count the bytes that come while a loaded
    // machine holds the thread up in between as come by then, and leave the lag that much too low,
    // the lowest of the next second, so that every later read looks risen. A time taken late only
    // makes one read look late.
    template <class Now, class Read>
    QByteArray take(Now now, Read read)
    {
        QByteArray bytes = read();
        note(now(), bytes.size());
        return bytes;
    }
    bool fellShort() const { return fellShort_; }
    // Bytes are missing or the lag has risen, and not yet for long enough: the stream is judged
    // once they come or that time has passed.
    bool weighing() const { return (shortSinceMs_ >= 0 || risenSinceMs_ >= 0) && !fellShort_; }
    // The most bytes missing over the window, or the lag's rise if more, at the last read, in ms.
    double missingMs() const { return missingMs_; }

private:
    double bytesPerMs_ = 0;
    int64_t total_ = 0;
    std::deque<std::pair<int64_t, int64_t>> reads_; // (ms, bytes taken by then), the window's
    int64_t shortSinceMs_ = -1;
    int64_t firstMs_ = -1;
    std::deque<std::pair<int64_t, double>> lags_; // (ms, net lag), the last kLagBaseMs
    int64_t risenSinceMs_ = -1;
    double missingMs_ = 0;
    bool fellShort_ = false;
};

} // namespace sarvo::gauge
