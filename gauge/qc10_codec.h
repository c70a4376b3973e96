#pragma once
// The QC10's serial protocol as bytes, without any I/O: commands (a letter and CR LF), the 2-byte
// readings, the text replies and the averaging of a running series.
//
// A pair shows its framing (first byte below 128, second 128 or more), so a byte that fits no pair
// is skipped and the stream read on from the next one. What the bytes cannot tell is whether that
// byte was one too many or whether one was lost: a stray high byte between two pairs and a pair
// whose low byte was lost look alike, and so do a stray low byte and a lost high one. A lost byte
// takes a reading with it, and a point's angle is its place in the stream, so every later point
// would slip 4 ms; a stray byte inside a pair makes one reading of its own bits. So the readings
// beside a skipped byte are unsound: the one before it and the one after it, and the one whose
// pair is followed by a high byte (a byte that opens no pair, which is skipped next). A reading is
// therefore decoded only once the byte after its pair has come. A point that holds an unsound
// reading reads kUnsoundPoint: the capture passes over it before a run starts, where no angle
// hangs on the count, and within a run it ends the run as the gauge's fault.

#include "gauge/series_averager.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace sarvo::gauge::qc10 {

constexpr int kBaudRate = 9600;
constexpr qint64 kInputBufferSize = 2048;
constexpr int kMsPerSample = 4;
constexpr int kSampleBytes = 2;

QByteArray Command(char letter); // the letter followed by CR LF
constexpr char kCmdStream = 'S';
constexpr char kCmdStop = 'E';
constexpr char kCmdVersion = 'V';
constexpr char kCmdSerial = 'N';

// The reading in 0.1 µm of one pair, or nothing when the bits do not fit.
std::optional<int32_t> DecodePair(unsigned char first, unsigned char second);
// The readings of the counts 0 and 16383, the ends of the gauge's travel: there it reads its end,
// not a length. Every other count reads strictly between them.
constexpr int32_t kRangeTop = 9995;
constexpr int32_t kRangeBottom = -10004;
constexpr bool AtRangeEnd(int32_t reading)
{
    return reading >= kRangeTop || reading <= kRangeBottom;
}
// The pair a simulator sends for a reading in 0.1 µm (clamped to the gauge's range).
QByteArray EncodeReading(int32_t reading);

// The first valid pair found in bytes, skipping bytes that do not fit.
std::optional<int32_t> FirstReading(const QByteArray& bytes);

// The next reading from pos, once the byte after its pair is there; bytes that fit no pair are
// skipped on the way, which afterSkip keeps (from one call, or one fetch, to the next).
struct PairReading {
    int32_t value = 0;
    bool sound = true;
};
std::optional<PairReading> NextReading(const QByteArray& bytes, qsizetype& pos, bool& afterSkip);
// The first sound reading in bytes: what one reading of the gauge takes.
std::optional<int32_t> FirstSoundReading(const QByteArray& bytes);

// A text reply ends at its first NUL, CR or LF.
bool ReplyComplete(const QByteArray& reply);
QString VersionText(const QByteArray& reply);
// The serial number is the text before the first NUL; a reply without one, or starting with it,
// gives nothing (the stored number stays).
std::optional<QString> SerialNumber(const QByteArray& reply);

// Low battery: DSR off and CTS on. Lines that cannot be read (pseudo-terminals, many USB
// adapters) never raise the warning.
bool BatteryLow(bool linesReadable, bool dsr, bool cts);

// Readings (one per 4 ms) averaged per point at the sampling rate, at least 1.
int SamplesPerPoint(double samplingRateHz);

// As the own gauge's, with bytes that fit no pair skipped and the points beside them unsound. A
// reading at the end of the range pins its point there (the point reads kRangeTop or kRangeBottom
// exactly), so the capture tells it from a length: at rest before a run it is no fault, within the
// run it is one.
class SeriesDecoder : public SeriesDecoderState {
public:
    void reset(int samplesPerPoint)
    {
        SeriesDecoderState::reset(samplesPerPoint);
        afterSkip_ = false;
    }
    int feed(const QByteArray& bytes, std::span<int32_t> out);

private:
    bool afterSkip_ = false;
};

} // namespace sarvo::gauge::qc10
