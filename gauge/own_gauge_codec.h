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
// by a byte takes a byte of its neighbour for one of its own. Far from zero that gives readings
// metres away or of the wrong sign, a jump between two records (0.7 ms apart) that no machine
// makes: feeds and rapids of 60 m/min move 0.7 mm a record, and the limit leaves room for well
// over twice that. Near zero a shifted record reads about 256 times the reading: its low byte is
// the next record's status nibble and the top value bits of a reading near zero (all 0 or all 1),
// so it stays the same while the values move, which a bar's own reading that moves never does.
// A reading that holds still does not move: there the shifted record shows by its shape, 256
// times the reading of a record just before it with such a low byte, a jump no bar makes.
// The gauge gives no travel: a reading of any size is read as it comes.
constexpr int32_t kRecordStepLimit = 20000; // 2 mm, 0.1 µm
constexpr int kShiftedMovesLimit = 6;       // moves in a row that kept such a low byte

// Checks the records of one stream in order; once a record fails, the stream stays broken.
class RecordCheck {
public:
    void reset();
    bool accept(int32_t value);

private:
    // Whether value reads as a record before it shifted by a byte.
    static bool shiftedFrom(int32_t value, std::optional<int32_t> before);

    std::optional<int32_t> last_;
    std::optional<int32_t> beforeLast_;
    int shiftedMoves_ = 0;
    bool broken_ = false;
};

// Samples averaged per point, from the chosen sampling rate, so that every offered rate gives
// its own point rate (1440/rate, at least 1).
int SamplesPerPoint(double samplingRateHz);

// Decodes a running series: bytes in, averaged points out.
class SeriesDecoder : public SeriesDecoderState {
public:
    void reset(int samplesPerPoint);
    // Appends bytes and stores finished points into out from index 0; returns the count.
    // Stops at a full out: the remaining bytes stay carried (overflowed() tells), and at a record
    // the check refuses (fault() is Unreadable).
    int feed(const QByteArray& bytes, std::span<int32_t> out);

private:
    RecordCheck check_;
};

} // namespace sarvo::gauge::owngauge
