#pragma once
// The own gauge's serial protocol as bytes, without any I/O: commands, the 4-byte stream
// records, the replies to the version, serial-number and reference-mark requests, and the
// averaging of a running series. The device layer and the simulator both speak through it.

#include "gauge/series_averager.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace sarvo::gauge::owngauge {

constexpr int kBaudRate = 57600;
constexpr qint64 kInputBufferSize = 16384;
constexpr int kSamplesPerSecond = 1440;
constexpr int kRecordBytes = 4;
constexpr int kSerialLength = 11;

// Single characters, no terminator. Streaming starts with "B" then "S".
constexpr char kCmdBegin = 'B';
constexpr char kCmdStream = 'S';
constexpr char kCmdStop = 'E';
constexpr char kCmdVersion = 'V';
constexpr char kCmdSerial = 'N';
constexpr char kCmdEnterReference = 'F';
constexpr char kCmdLeaveReference = 'f';
constexpr char kCmdReferenceCheck = 'r';
constexpr char kReferencePassed = 'X';

struct Record {
    int32_t value = 0; // 0.1 µm
    int status = 0;    // low nibble of the first byte
};

// Takes one record from the front of carry. A record is decoded only once the first byte of the
// next one has arrived, so that a 0D ending a record can still merge with a following 0A; the
// pair 0D 0A counts as a single 0A.
std::optional<Record> TakeRecord(QByteArray& carry);
// The same from position pos, which moves on to the look-ahead byte; carry is left as it is.
std::optional<Record> DecodeAt(const QByteArray& carry, qsizetype& pos);

// The four record bytes of a value (28-bit two's complement), every 0A sent as 0D 0A as the
// gauge does.
QByteArray EncodeRecord(int32_t value, int status = 0);

// A version reply is accepted when it starts with "v"/"V" and its next three characters read
// as a number of at least 3.1 (V3.10 yes, V3.0 and 2.9 no).
bool VersionAccepted(const QByteArray& reply);
// The version text shown to the user: the reply without its line end.
QString VersionText(const QByteArray& reply);
// The serial number: the first 11 characters of the reply.
QString SerialNumber(const QByteArray& reply);
// Exactly the single byte "X" means the reference mark has been passed.
bool ReferencePassed(const QByteArray& reply);

// The records carry no framing, so a lost or stray byte shows only in the values: a record shifted
// by a byte takes a byte of its neighbour for one of its own. After a stray byte a record reads
// about 256 times the reading, its low byte the stray's bits or the top bits of the record before;
// after a lost byte about 1/256 of it under the next record's first byte, which puts it metres
// away unless that byte is 0 (a reading at a multiple of 16 with status 0). A stray and a lost byte
// a few records apart leave only the records between them shifted.
//
// What tells a shifted record is motion no machine makes: the bar's length changes no faster than
// the machine moves it. Within a run's stream that is the fastest feed the capture accepts (the
// capture passes it: 10/7 of the programmed feedrate, the feed-in and feed-out at the feedrate
// included), a record apart at the slowest clock a receiver still reads (RunStepLimit); while a
// static point is measured the machine stands still; elsewhere (a live reading, a bar moved by
// hand) kRecordStepLimit, 2 mm in a record, 2.9 m/s. A bar's records also differ by its noise,
// which every limit allows: kStillStepLimit, just under the 1.6 µm of the smallest step a lost byte
// makes (a still reading of 16 read as 0; one of 0 stays 0).
//
// Near zero a stray byte's shift may step less than a fast run allows; there it shows by its shape:
// its low byte is the next record's status nibble and the top value bits of a reading near zero
// (all 0 or all 1), so it stays the same while the values move, which a bar's own reading that
// moves never does; and a reading that holds still shifts to 256 times itself, with such a low byte.
// The gauge gives no travel: a reading of any size is read as it comes.
constexpr int32_t kRecordStepLimit = 20000; // 2 mm, 0.1 µm
constexpr int32_t kStillStepLimit = 15;     // 1.5 µm
constexpr int kShiftedMovesLimit = 6;       // moves in a row that kept such a low byte

// The step a run allows between two records at its fastest feed in mm/min: kStillStepLimit more
// than the feed of one record at the slowest clock, at most kRecordStepLimit; kRecordStepLimit
// without a feed.
int32_t RunStepLimit(double fastestMmPerMin);

// Checks the records of one stream in order; once a record fails, the stream stays broken.
class RecordCheck {
public:
    explicit RecordCheck(int32_t stepLimit = kRecordStepLimit) : stepLimit_(stepLimit) {}
    void reset(); // the limit stays
    bool accept(int32_t value);
    // The largest step between two records accepted so far (0.1 µm).
    int32_t largestStep() const { return largestStep_; }
    // The stream broke on a step beyond the limit alone, one a machine makes at a faster feed.
    bool steppedTooFar() const { return steppedTooFar_; }

private:
    // Whether value reads as a record before it shifted by a byte.
    static bool shiftedFrom(int32_t value, std::optional<int32_t> before);

    int32_t stepLimit_;
    std::optional<int32_t> last_;
    std::optional<int32_t> beforeLast_;
    int shiftedMoves_ = 0;
    int32_t largestStep_ = 0;
    bool steppedTooFar_ = false;
    bool broken_ = false;
};

// One reading from the bytes of its stream: the mean of its records (rounded), unless the check
// refused one; steady when no record stepped further than kStillStepLimit from the one before.
struct OneReading {
    int records = 0;
    int32_t value = 0;
    bool readable = true;
    bool steady = true;
};
OneReading DecodeReading(const QByteArray& bytes);

// Samples averaged per point, from the chosen sampling rate, so that every offered rate gives
// its own point rate (1440/rate, at least 1).
int SamplesPerPoint(double samplingRateHz);

// Decodes a running series: bytes in, averaged points out.
class SeriesDecoder : public SeriesDecoderState {
public:
    // stepLimit: the most a record may step from the one before, RunStepLimit of the run's feed.
    void reset(int samplesPerPoint, int32_t stepLimit = kRecordStepLimit);
    // Appends bytes and stores finished points into out from index 0; returns the count.
    // Stops at a full out: the remaining bytes stay carried (overflowed() tells), and at a record
    // the check refuses (fault() is TooFast for a step beyond the limit alone, else Unreadable).
    int feed(const QByteArray& bytes, std::span<int32_t> out);

private:
    RecordCheck check_;
};

} // namespace sarvo::gauge::owngauge
