#pragma once
// Averages a stream of raw gauge samples (0.1 µm) into one value per point of a series. The
// caller hands the room it has; a point that does not fit stays pending, so nothing is written
// past the caller's buffer and nothing is lost.

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace sarvo::gauge {

class SeriesAverager {
public:
    void reset(int samplesPerPoint);
    int samplesPerPoint() const { return samplesPerPoint_; }

    // Adds one sample; returns false (sample not taken) when a finished point has no room left.
    // A pinning sample (the end of the gauge's range) makes its point read exactly that, so a
    // point that holds one is never taken for a length.
    bool add(int32_t sample, std::span<int32_t> out, int& stored, bool pins = false);

private:
    int samplesPerPoint_ = 1;
    int64_t sum_ = 0;
    int count_ = 0;
    std::optional<int32_t> pinned_;
};

// What a stream showed that the gauge protocol does not promise: records no bar can give (a lost
// or stray byte shifts the own gauge's records). Decoding stops there; nothing after it is taken.
enum class StreamFault { None, Unreadable };

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

// Judges a serial gauge's stream by its deficit: the time since its first bytes less the time its
// bytes since then take at the line's rate. The samples come at a known rate and a point's angle
// is its place in the stream, so a gauge that stops breaks the run: it never makes its bytes up,
// and the deficit jumps by the stop and stays. What else moves the deficit is known from the line:
// - the gauge's clock, which paces its samples and its line: a receiver reads a frame only while
//   the clock is within half a bit over the 9.5 bits to the stop bit's middle (5.3 %), so the
//   deficit drifts at most that much, evenly; it is judged net of that drift;
// - an adapter (or a UART's 16-byte FIFO) holding bytes back: at most one hand-over, 32 ms;
// - a program held up: its bytes wait in the port and the next read, timed before it takes them,
//   finds them all; a simulator held up sends its backlog at once, so it recovers too.
// So the stream falls short when its deficit, net of the drift, stood more than a hand-over above
// its lowest for kPaceCatchUpMs: time for late bytes to come, short enough that a clock 5 % fast
// cannot hide a stop of 0.1 s before it is weighed.
inline constexpr double kClockTolerance = 0.5 / 9.5;
inline constexpr int kHandOverMs = 32;
inline constexpr int kPaceCatchUpMs = 250;

class StreamPace {
public:
    // A stream of bytesPerSecond was asked for.
    void start(double bytesPerSecond);
    // A read atMs after the stream was asked for took `bytes`.
    void note(int64_t atMs, int64_t bytes);
    bool fellShort() const { return fellShort_; }
    // Bytes are missing beyond a hand-over and have not yet stood for kPaceCatchUpMs: the stream
    // is judged once they come or that time has passed.
    bool weighing() const { return shortSinceMs_ >= 0 && !fellShort_; }
    // How far the deficit, net of the drift, stood above its lowest at the last read, in ms.
    double missingMs() const { return missingMs_; }

private:
    double msPerByte_ = 0;
    int64_t firstMs_ = -1;
    int64_t total_ = 0;
    double lowest_ = 0;
    int64_t shortSinceMs_ = -1;
    double missingMs_ = 0;
    bool fellShort_ = false;
};

} // namespace sarvo::gauge
