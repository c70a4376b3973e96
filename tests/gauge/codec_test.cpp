// The two serial protocols on bytes: every message, the record framing and the series averaging.

#include "gauge/own_gauge_codec.h"
#include "gauge/qc10_codec.h"
#include "gauge/series_averager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <vector>

namespace sarvo::gauge {
namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

TEST(OwnGaugeCodec, RecordsDecodeWithLookAheadAndMergedLineEnd)
{
    QByteArray carry = Bytes({0xF0, 0xFF, 0xFF, 0xFF, 0x33});
    auto record = owngauge::TakeRecord(carry);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->value, -1);
    EXPECT_EQ(record->status, 0);
    EXPECT_EQ(carry, Bytes({0x33})); // the look-ahead byte stays

    carry = Bytes({0x10, 0x20, 0x30, 0x40, 0x00});
    EXPECT_EQ(owngauge::TakeRecord(carry)->value, 0x4030201);

    carry = Bytes({0x0D, 0x0A, 0x20, 0x30, 0x40, 0x00});
    record = owngauge::TakeRecord(carry);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->value, 0x4030200);
    EXPECT_EQ(record->status, 10);

    carry = Bytes({0x10, 0x20, 0x30, 0x40});
    EXPECT_FALSE(owngauge::TakeRecord(carry));
    EXPECT_EQ(carry.size(), 4);
}

TEST(OwnGaugeCodec, EncodedRecordsRoundTripIncludingLineFeedBytes)
{
    for (int32_t value : {0, -1, 5000, -134217728, 134217727, 0x0A0A0A0})
        for (int status : {0, 10}) {
            QByteArray carry = owngauge::EncodeRecord(value, status) + Bytes({0});
            const auto record = owngauge::TakeRecord(carry);
            ASSERT_TRUE(record) << value;
            EXPECT_EQ(record->value, value);
            EXPECT_EQ(record->status, status);
        }
    EXPECT_TRUE(owngauge::EncodeRecord(0xA0, 0).contains(Bytes({0x0D, 0x0A})));
}

TEST(OwnGaugeCodec, RepliesAndSamplesPerPoint)
{
    EXPECT_TRUE(owngauge::VersionAccepted("V3.10"));
    EXPECT_TRUE(owngauge::VersionAccepted("v3.10\r\n"));
    EXPECT_TRUE(owngauge::VersionAccepted("V4.0"));
    EXPECT_FALSE(owngauge::VersionAccepted("V3.0"));
    EXPECT_FALSE(owngauge::VersionAccepted("2.9"));
    EXPECT_FALSE(owngauge::VersionAccepted(""));
    EXPECT_EQ(owngauge::SerialNumber("BV-12345678XYZ"), "BV-12345678");
    EXPECT_TRUE(owngauge::ReferencePassed("X"));
    EXPECT_FALSE(owngauge::ReferencePassed("XX"));
    EXPECT_FALSE(owngauge::ReferencePassed(""));
    // Every offered rate gives its own point rate; 720 Hz no longer streams at 1440 points/s.
    EXPECT_EQ(owngauge::SamplesPerPoint(720), 2);
    EXPECT_EQ(owngauge::SamplesPerPoint(180), 8);
    EXPECT_EQ(owngauge::SamplesPerPoint(10), 144);
}

TEST(OwnGaugeCodec, SeriesAveragesCarriesAndNeverWritesPastItsBuffer)
{
    owngauge::SeriesDecoder decoder;
    decoder.reset(144);
    QByteArray stream;
    for (int i = 0; i < 1000; ++i)
        stream += owngauge::EncodeRecord(i % 2 ? 100 : 200);
    const QByteArray next = owngauge::EncodeRecord(150);
    stream += next.left(1);
    std::array<int32_t, 16> out{};
    EXPECT_EQ(decoder.feed(stream, out), 6);
    EXPECT_EQ(out[0], 150);
    EXPECT_EQ(decoder.carry().size(), 1);
    // The 136 carried records and 8 more finish the seventh point.
    QByteArray more = next.mid(1);
    for (int i = 0; i < 8; ++i)
        more += next;
    EXPECT_EQ(decoder.feed(more, out), 1);
    EXPECT_EQ(std::tuple(out[0], decoder.samples()), std::tuple(150, 1008));

    decoder.reset(1);
    std::array<int32_t, 2> small{};
    EXPECT_EQ(decoder.feed(stream, small), 2);
    EXPECT_TRUE(decoder.overflowed());
}

// Values in 0.1 µm. Readings of any size and steps up to 2 mm a record are the bar's; a value
// that keeps its low byte 0x00 or 0x0F while it moves is a record shifted near zero (256 x the
// reading); once a record fails, the stream stays broken.
TEST(OwnGaugeCodec, RecordCheckRefusesShiftedRecordsNotLargeReadings)
{
    const auto times256 = [](std::initializer_list<int32_t> readings, int32_t low) {
        std::vector<int32_t> v;
        for (int32_t r : readings)
            v.push_back(256 * r + low);
        return v;
    };
    const struct {
        std::vector<int32_t> values;
        bool accepted;
    } streams[] = {{{200, 20200, 40200, 20200, 200, -2300}, true}, {{163850, 143850, 163850}, true}, {{200, 20201}, false},
                   {{0, 0, 0, 0, 0, 0, 0, 0, 0}, true}, {{40, 41, 42, 43, 44, 45, 46, 47}, true},
                   {{0x135, 0x235, 0x335, 0x435, 0x535, 0x635, 0x735}, true}, // 256 a record, low byte 0x35
                   {times256({40, 41, 42, 43, 44, 45}, 0), true}, {times256({40, 41, 42, 43, 44, 45, 46}, 0), false},
                   {times256({-40, -41, -40, -39, -38, -37, -36}, 15), false}, {{200, 20201, 20200}, false},
                   // A still reading's shifted records: 256 times it, the first with a stray's bits.
                   {{40, 40, 10241, 10240, 10240}, false}, {{-40, -40, -10239, -10225}, false}, {{-1, -241}, false},
                   {{40, 40, 40, 40}, true}, {{0, 1, 15, 16, 0, -1, -16, -15, 0, 3, 0}, true}};
    for (const auto& [values, accepted] : streams) {
        owngauge::RecordCheck check;
        bool last = true;
        for (int32_t v : values)
            last = check.accept(v);
        EXPECT_EQ(last, accepted) << values.size() << " values from " << values[0];
    }

    // One stray byte in a stream of a bar moving slowly (a 0.1 µm step every 16 records) breaks it
    // wherever the bar reads: 4 µm, 0.02 mm, 0.4 mm, 4 mm.
    for (int32_t from : {40, 200, 4000, 40000}) {
        QByteArray stream;
        for (int i = 0; i < 400; ++i)
            stream += (i == 100 ? Bytes({0x11}) : QByteArray()) + owngauge::EncodeRecord(from + i / 16);
        owngauge::SeriesDecoder decoder;
        decoder.reset(1);
        std::array<int32_t, 400> out{};
        decoder.feed(stream, out);
        EXPECT_EQ(decoder.fault(), StreamFault::Unreadable) << from;
    }
}

// The records of served values, with a stray byte before record `strayAt` and the first byte of record
// `lostAt` lost (with the CR that escapes it), where they are not -1.
QByteArray OwnGaugeStream(const std::vector<int32_t>& values, int strayAt = -1, char stray = 0, int lostAt = -1)
{
    QByteArray stream;
    for (int i = 0; i < int(values.size()); ++i) {
        QByteArray record = owngauge::EncodeRecord(values[size_t(i)]);
        if (i == lostAt)
            record.remove(0, record.startsWith("\r\n") ? 2 : 1);
        stream += (i == strayAt ? QByteArray(1, stray) : QByteArray()) + record;
    }
    return stream;
}

// A bar zeroed near its nominal length: readings of 2 µm moving slowly (0.1 µm every 16 records),
// of -2 µm, and held still at 2 µm. A stray byte and, 1 to 3 records later, a lost byte shift only the
// records between them: the stream breaks at the fastest feed of every run from 400 to 9425 mm/min,
// whatever the stray byte's value, and a still static reading with them is refused.
TEST(OwnGaugeCodec, AStrayThenALostByteNearZeroBreakARunAndAStillPoint)
{
    for (const int sign : {1, -1})
        for (const bool still : {false, true}) {
            std::vector<int32_t> values;
            for (int i = 0; i < 300; ++i)
                values.push_back(sign * (20 + (still ? 0 : i / 16)));
            for (const int apart : {1, 2, 3})
                for (int stray = 0; stray < 256; ++stray) {
                    const QByteArray stream = OwnGaugeStream(values, 100, char(stray), 100 + apart);
                    for (const double feedrate : {400.0, 1000.0, 9425.0}) {
                        owngauge::SeriesDecoder decoder;
                        decoder.reset(1, owngauge::RunStepLimit(feedrate * 10 / 7));
                        std::array<int32_t, 300> out{};
                        decoder.feed(stream, out);
                        ASSERT_NE(decoder.fault(), StreamFault::None)
                            << sign << " " << still << " " << apart << " " << stray << " " << feedrate;
                    }
                    const owngauge::OneReading reading = owngauge::DecodeReading(stream);
                    ASSERT_TRUE(!reading.readable || !reading.steady) << sign << " " << still << " " << apart << " " << stray;
                }
        }
}

// A still reading at a multiple of 16 (status 0): with one byte lost its later records read 1/256 of
// it and hold still, wherever the byte went: a static point refuses it. A still 0 reads 0 still.
TEST(OwnGaugeCodec, AStillReadingAtAMultipleOf16WithALostByteIsNoStillReading)
{
    for (const int32_t still : {16, 48, 784, 4000, 0})
        for (int lostAt = 1; lostAt < 200; lostAt += 7) {
            const owngauge::OneReading reading =
                owngauge::DecodeReading(OwnGaugeStream(std::vector<int32_t>(200, still), -1, 0, lostAt));
            if (still == 0)
                ASSERT_EQ(std::tuple(reading.readable, reading.steady, reading.value), std::tuple(true, true, 0));
            else
                ASSERT_TRUE(reading.readable && !reading.steady) << still << " " << lostAt;
        }
}

// Good runs at the edges decode exactly: rests of -3, 4 and 12 mm and near zero (records that
// carry 0A bytes escaped among them), the bar fed in onto the circle and out again at 1.4 times the
// feedrate, or at the fastest run the capture accepts as a clock 5 % slow sends it, and a still
// bar's noise stepping 1.5 µm a record, which a static point takes as still.
TEST(OwnGaugeCodec, RunsAtTheEdgesDecodeExactly)
{
    for (const double feedrate : {400.0, 1000.0, 9425.0})
        for (const double perRecordShare : {1.4, 10.0 / 7 / 0.95})
            for (const int32_t rest : {-30000, 40000, 120000, 20})
                for (const int32_t circle : {0, 0xA0A0, rest - 5000}) {
                    const double step = feedrate * perRecordShare / 60 / owngauge::kSamplesPerSecond * 1e4;
                    std::vector<int32_t> values(40, rest);
                    const auto feed = [&](int32_t from, int32_t to) {
                        const int records = int(std::ceil(std::abs(to - from) / step));
                        for (int i = 1; i < records; ++i)
                            values.push_back(from + int32_t(std::lround((to - from) * double(i) / records)));
                    };
                    feed(rest, circle);
                    for (int i = 0; i < 300; ++i)
                        values.push_back(circle + (i % 2 ? owngauge::kStillStepLimit : 0) + i / 50);
                    feed(values.back(), rest);
                    values.insert(values.end(), 40, rest);
                    owngauge::SeriesDecoder decoder;
                    decoder.reset(1, owngauge::RunStepLimit(feedrate * 10 / 7));
                    std::vector<int32_t> out(values.size());
                    const int count = decoder.feed(OwnGaugeStream(values), out);
                    out.resize(size_t(count));
                    values.pop_back(); // it waits for the byte after it
                    ASSERT_EQ(out, values) << feedrate << " " << perRecordShare << " " << rest << " " << circle;
                    ASSERT_EQ(decoder.fault(), StreamFault::None);
                    // At half the feedrate a step of that feed is faster than any run the capture accepts:
                    // told as a feed, not as bytes no bar gives.
                    const int32_t halfLimit = owngauge::RunStepLimit(feedrate / 2 * 10 / 7);
                    bool beyond = false;
                    for (std::size_t i = 1; i < values.size(); ++i)
                        beyond = beyond || std::abs(values[i] - values[i - 1]) > halfLimit;
                    decoder.reset(1, halfLimit);
                    decoder.feed(OwnGaugeStream(values), out);
                    ASSERT_EQ(decoder.fault(), beyond ? StreamFault::TooFast : StreamFault::None);
                }
    for (const int32_t still : {-30000, 40000, 120000, 0, 20, -20}) {
        std::vector<int32_t> noisy;
        for (int i = 0; i < 200; ++i)
            noisy.push_back(still + (i % 4 == 1 ? owngauge::kStillStepLimit : i % 4 == 3 ? -owngauge::kStillStepLimit : 0));
        const owngauge::OneReading reading = owngauge::DecodeReading(OwnGaugeStream(noisy));
        EXPECT_TRUE(reading.readable && reading.steady) << still;
    }
}

// Reads every 8 ms, as the devices do, of a stream whose line carries 5760 bytes a second at the
// gauge's clock, through the judge's own read: a read held up (a loaded machine stalls the thread)
// before it takes its bytes or after it.
TEST(StreamPace, OnlyBytesMissingForGoodFallShort)
{
    const struct {
        const char* what;
        bool fallsShort;
        double clock = 1;            // share of the nominal rate
        int gapAt = -1, gapMs = 0;   // the gauge stops sending
        int lumpMs = 0;              // an adapter hands bytes over in lumps
        int heldAt = -1, heldMs = 0; // an adapter holds them back once
        int noReadAt = -1;           // the program does not read for 500 ms
        int lateMs = 0;              // the stream begins late
        int readHeldAt = -1, readHeldMs = 0; // a read held up, from then on every readHeldEveryMs
        bool heldAfterRead = false;
        int readHeldEveryMs = 0;
    } lines[] = {
        {"on time", false}, {"a clock 5 % slow", false, 0.95}, {"lumps every 32 ms", false, 1, -1, 0, 32},
        {"held back 400 ms once", false, 1, -1, 0, 0, 3000, 400}, {"not read for 500 ms", false, 1, -1, 0, 0, -1, 0, 3000},
        {"begins 300 ms late", false, 1, -1, 0, 0, -1, 0, -1, 300}, {"a stop of 1 s", true, 1, 3000, 1000},
        {"a stop of 0.2 s", true, 1, 3000, 200}, {"a stop of 0.2 s, 5 % slow", true, 0.95, 3000, 200},
        {"a stop of 0.2 s in lumps", true, 1, 3000, 200, 32}, {"a clock 5 % fast", false, 1.05},
        {"lumps every 32 ms, 5 % fast", false, 1.05, -1, 0, 32}, {"a stop of 0.1 s", true, 1, 3000, 100},
        {"a stop of 0.1 s in lumps, 5 % fast", true, 1.05, 3000, 100, 32}, {"a stop of 0.1 s, 5 % slow", true, 0.95, 5000, 100},
        {"a stop of 0.1 s in lumps, 5 % fast, 50 ms late", true, 1.05, 6400, 100, 32, -1, 0, -1, 50},
        {"lumps every 32 ms, 5 % slow, 50 ms late", false, 0.95, -1, 0, 32, -1, 0, -1, 50},
        {.what = "a read held up 150 ms", .fallsShort = false, .readHeldAt = 3000, .readHeldMs = 150},
        {.what = "a read held up 150 ms after it took its bytes", .fallsShort = false, .readHeldAt = 3000, .readHeldMs = 150,
         .heldAfterRead = true},
        {.what = "reads held up 150 ms every 0.7 s, 5 % slow", .fallsShort = false, .clock = 0.95, .readHeldAt = 1000,
         .readHeldMs = 150, .readHeldEveryMs = 700},
        {.what = "reads held up 150 ms every 0.7 s in lumps, 5 % fast, 50 ms late", .fallsShort = false, .clock = 1.05,
         .lumpMs = 32, .lateMs = 50, .readHeldAt = 1000, .readHeldMs = 150, .readHeldEveryMs = 700},
        {.what = "a stop of 0.1 s among reads held up 150 ms every 0.7 s, 5 % slow", .fallsShort = true, .clock = 0.95,
         .gapAt = 5000, .gapMs = 100, .readHeldAt = 1000, .readHeldMs = 150, .readHeldEveryMs = 700},
    };
    for (const auto& line : lines) {
        const auto sentBy = [&](double ms) {
            double streaming = std::max(0.0, ms - line.lateMs);
            if (line.gapAt >= 0)
                streaming -= std::clamp(ms - line.gapAt, 0.0, double(line.gapMs));
            return std::floor(5.76 * line.clock * streaming);
        };
        const auto deliveredBy = [&](double ms) {
            if (line.lumpMs > 0)
                ms = std::floor(ms / line.lumpMs) * line.lumpMs;
            if (ms >= line.heldAt && ms < line.heldAt + line.heldMs)
                ms = line.heldAt;
            return sentBy(ms);
        };
        StreamPace pace;
        pace.start(5760);
        double taken = 0;
        int64_t clock = 0;
        int64_t nextHold = line.readHeldAt;
        while (clock < 10000 && !pace.fellShort()) {
            clock += 8;
            if (clock > line.noReadAt && clock < line.noReadAt + 500)
                continue;
            const bool held = nextHold >= 0 && clock >= nextHold;
            if (held)
                nextHold = line.readHeldEveryMs > 0 ? nextHold + line.readHeldEveryMs : -1;
            pace.take([&] { return clock; }, [&] {
                if (held && !line.heldAfterRead)
                    clock += line.readHeldMs;
                const double by = deliveredBy(double(clock));
                const QByteArray bytes(qsizetype(by - taken), 'x');
                taken = by;
                if (held && line.heldAfterRead)
                    clock += line.readHeldMs;
                return bytes;
            });
        }
        EXPECT_EQ(pace.fellShort(), line.fallsShort) << line.what << ", missing " << pace.missingMs() << " ms";
    }
}

TEST(Qc10Codec, PairsDecodeAndWrongPatternsAreDropped)
{
    EXPECT_EQ(qc10::DecodePair(0, 128), 9995);
    EXPECT_EQ(qc10::DecodePair(0, 192), -5);
    EXPECT_EQ(qc10::DecodePair(64, 128), 9917);
    EXPECT_EQ(qc10::DecodePair(127, 255), -10004);
    EXPECT_FALSE(qc10::DecodePair(0, 127));
    EXPECT_FALSE(qc10::DecodePair(200, 200));
    for (int32_t reading : {9995, -5, 1234, -9000})
        EXPECT_NEAR(*qc10::FirstReading(qc10::EncodeReading(reading)), reading, 1);
    EXPECT_EQ(qc10::FirstReading(Bytes({200, 0, 192})), -5);
    EXPECT_FALSE(qc10::FirstReading(Bytes({0})));
    EXPECT_EQ(qc10::Command('S'), "S\r\n");
}

TEST(Qc10Codec, RepliesAndBatteryLines)
{
    EXPECT_EQ(qc10::SerialNumber(QByteArray("A1234\0junk", 10)), "A1234");
    EXPECT_FALSE(qc10::SerialNumber("A1234"));
    EXPECT_FALSE(qc10::SerialNumber(QByteArray("\0A", 2)));
    EXPECT_EQ(qc10::VersionText("QC10 V2.1\r\n"), "QC10 V2.1");
    EXPECT_FALSE(qc10::ReplyComplete("QC10"));
    EXPECT_TRUE(qc10::ReplyComplete("QC10\r"));
    EXPECT_TRUE(qc10::BatteryLow(true, false, true));
    EXPECT_FALSE(qc10::BatteryLow(true, true, true));
    EXPECT_FALSE(qc10::BatteryLow(true, false, false));
    EXPECT_FALSE(qc10::BatteryLow(false, false, true));
}

TEST(Qc10Codec, SeriesResynchronisesAfterALostByte)
{
    qc10::SeriesDecoder decoder;
    decoder.reset(qc10::SamplesPerPoint(10)); // 25 readings of 4 ms
    QByteArray stream;
    for (int i = 0; i < 50; ++i)
        stream += qc10::EncodeReading(1000);
    stream += Bytes({0x10});
    std::array<int32_t, 8> out{};
    EXPECT_EQ(decoder.feed(stream, out), 2);
    EXPECT_EQ(decoder.carry().size(), 1);

    decoder.reset(1);
    std::array<int32_t, 1> one{};
    EXPECT_EQ(decoder.feed(stream, one), 1);
    EXPECT_TRUE(decoder.overflowed());

    // A reading at either end of the range pins its point there and decoding goes on.
    decoder.reset(2);
    const QByteArray ends = qc10::EncodeReading(500) + qc10::EncodeReading(20000) + qc10::EncodeReading(500) +
                            qc10::EncodeReading(-20000) + qc10::EncodeReading(-700) + qc10::EncodeReading(-700) + Bytes({0});
    ASSERT_EQ(decoder.feed(ends, out), 3);
    EXPECT_EQ(std::tuple(out[0], out[1], decoder.fault()), std::tuple(qc10::kRangeTop, qc10::kRangeBottom, StreamFault::None));
    EXPECT_NEAR(out[2], -700, 1);
}

// Served readings 100 + 7i, one a point, with one byte lost from pair 20 or one stray byte of any
// value before it or inside it: every point is a served reading or unsound. The unsound ones lie
// together around the fault and stand for the readings between the sound ones beside them, one
// reading more where a byte was lost: every later point is the reading served there, and the place
// of the one lost is marked.
TEST(Qc10Codec, AByteLostOrStrayMakesThePointsBesideItUnsoundAndNoLaterOneSlips)
{
    constexpr int kPairs = 40;
    constexpr int kAt = 20;
    const auto reading = [](int i) { return *qc10::FirstReading(qc10::EncodeReading(100 + 7 * i)); };
    struct Fault {
        QString what;
        QByteArray bytes;
        int lost;
    };
    std::vector<Fault> faults;
    for (const int kept : {1, 0}) {
        QByteArray bytes;
        for (int i = 0; i < kPairs; ++i)
            bytes += i == kAt ? qc10::EncodeReading(100 + 7 * i).mid(kept, 1) : qc10::EncodeReading(100 + 7 * i);
        faults.push_back({kept == 1 ? "first byte lost" : "second byte lost", bytes, 1});
    }
    for (int value = 0; value < 256; ++value) {
        const QByteArray stray(1, char(value));
        QByteArray before, inside;
        for (int i = 0; i < kPairs; ++i) {
            const QByteArray pair = qc10::EncodeReading(100 + 7 * i);
            before += (i == kAt ? stray : QByteArray()) + pair;
            inside += i == kAt ? pair.left(1) + stray + pair.mid(1) : pair;
        }
        faults.push_back({QStringLiteral("stray %1 before the pair").arg(value), before, 0});
        faults.push_back({QStringLiteral("stray %1 inside the pair").arg(value), inside, 0});
    }
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what.toStdString());
        qc10::SeriesDecoder decoder;
        decoder.reset(1);
        std::array<int32_t, 64> out{};
        const int count = decoder.feed(fault.bytes, out);
        int served = 0; // the served reading the next point should be
        int unsound = 0;
        int stretches = 0;
        for (int j = 0; j < count; ++j) {
            if (out[size_t(j)] == kUnsoundPoint) {
                stretches += unsound++ == 0 || out[size_t(j - 1)] != kUnsoundPoint;
                continue;
            }
            if (j > 0 && out[size_t(j - 1)] == kUnsoundPoint) {
                // The sound points beside the stretch enclose the fault and the readings it stands for.
                EXPECT_LE(served, kAt);
                EXPECT_GT(served + unsound + fault.lost, kAt);
                served += unsound + fault.lost;
            }
            ASSERT_EQ(out[size_t(j)], reading(served)) << "point " << j;
            ++served;
        }
        EXPECT_EQ(stretches, 1);
        EXPECT_GE(unsound, 1);
        EXPECT_LE(unsound, 2);
        EXPECT_EQ(served, kPairs - 1); // the last waits for the byte after it
    }

    // One reading takes the first sound one: never a pair a stray byte made.
    for (int value = 0; value < 256; ++value) {
        const QByteArray first = qc10::EncodeReading(100);
        QByteArray bytes = first.left(1) + char(value) + first.mid(1);
        for (int i = 1; i < 4; ++i)
            bytes += qc10::EncodeReading(100 + 7 * i);
        const std::optional<int32_t> taken = qc10::FirstSoundReading(bytes);
        EXPECT_TRUE(taken == reading(1) || taken == reading(2)) << value;
    }
    EXPECT_EQ(qc10::FirstSoundReading(qc10::EncodeReading(100)), std::nullopt); // no byte after it yet
}

} // namespace
} // namespace sarvo::gauge
