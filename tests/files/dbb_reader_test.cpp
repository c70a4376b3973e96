// The .dbb readers: text and binary samples to exact values, 6-byte reals, the variant test, the
// multi-file measurement with its sector rule, and the checks on counts, angles and sizes.
#include "files/dbb_reader.h"

#include "tests/files/files_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sarvo::test {
namespace {

using files::ReadResult;

QStringList lengths(int count, double length = 150.0)
{
    QStringList out;
    for (int k = 0; k < count; ++k)
        out << QString::number(length + 0.0001 * (k % 10), 'f', 4);
    return out;
}

class DbbReaderTest : public ::testing::Test {
protected:
    ReadResult readFile(const QString& path, int maxPoints = 2500)
    {
        ctx = MemoryContext(files, maxPoints);
        return files::ReadDbbFiles(c, path, ctx);
    }
    ReadResult read(const QByteArray& bytes, int maxPoints = 2500)
    {
        files.files.insert("/m/run.dbb", bytes);
        return readFile("/m/run.dbb", maxPoints);
    }
    ReadResult readSample(const QString& name)
    {
        files.files.insert("/data/" + name, DataBytes(name));
        return readFile("/data/" + name);
    }

    files::MemoryFiles files;
    files::ReadContext ctx;
    Case c;
};

// The samples' every field is checked against their golden files (dump_test.cpp); here the rules.

TEST_F(DbbReaderTest, WhatTheFileDoesNotCarryIsNotThePreviousCases)
{
    c.Header[HdrName] = "old session";
    c.Header[HdrEquipmentManufacturer] = "Renishaw";
    c.Header[HdrEquipmentSerial] = "QC-1";
    c.Data.OvershootAngle = 180;
    c.Data.TestDate = FixedNow();
    ASSERT_TRUE(readSample("heid_bin.dbb").ok());
    EXPECT_EQ(c.Header[HdrName], ""); // not "0"
    EXPECT_EQ(c.Header[HdrEquipmentManufacturer], "Heidenhain");
    EXPECT_EQ(c.Header[HdrEquipmentSerial], "");
    EXPECT_EQ(c.Data.OvershootAngle, 0.0f);
    EXPECT_EQ(c.Data.TestDate, QDateTime(QDate(2000, 1, 5), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(c.Data.GaugeTemp[1], 20.0);

    // A text stamp sets the test date too, not only its text.
    c.Data.TestDate = FixedNow();
    ASSERT_TRUE(readSample("dbb_text_ccw.dbb").ok());
    EXPECT_EQ(c.Data.TestDate, QDateTime(QDate(2000, 1, 5), QTime(14, 5, 30), Qt::UTC));
    EXPECT_EQ(c.Header[HdrComment], " left x"); // the (null) part is skipped
}

TEST_F(DbbReaderTest, AnUnreadableBinaryDateIsNowWithANote)
{
    BinaryDbb spec;
    spec.samples = {150, 150.5, 151, 150.5};
    spec.date = "??.??.????";
    const ReadResult unread = read(MakeBinaryDbb(spec));
    ASSERT_TRUE(unread.ok());
    EXPECT_EQ(c.Data.TestDate, FixedNow());
    ASSERT_EQ(unread.notes.size(), 1);
    EXPECT_TRUE(unread.notes[0].contains("/m/run.dbb"));
}

TEST(Real6Test, DecodesTheLayoutsExamples)
{
    const std::pair<const char*, double> examples[] = {
        {"810000000000", 1.0},   {"810000000080", -1.0}, {"840000000020", 10.0}, {"840000000048", 12.5},
        {"870000000048", 100.0}, {"880000000016", 150.0}, {"890000000034", 360.0}, {"8a000000007a", 1000.0},
    };
    for (const auto& [hex, value] : examples)
        EXPECT_EQ(files::Real48ToDouble(QByteArray::fromHex(hex)), value) << hex;
    // The lower mantissa bytes count too: 1 + 2^-39.
    EXPECT_EQ(files::Real48ToDouble(QByteArray::fromHex("810100000000")), 1.0 + std::ldexp(1.0, -39));
    // An exponent byte 0 is a tiny value, not an exact zero.
    const double tiny = files::Real48ToDouble(QByteArray(6, '\0'));
    EXPECT_GT(tiny, 0.0);
    EXPECT_LT(tiny, 1e-38);
    // Every value with a 40-bit mantissa comes back exactly.
    for (double v : {-12.5, 0.375, 1234.5625, -0.000003814697265625})
        EXPECT_EQ(files::Real48ToDouble(Real6(v)), v) << v;
}

TEST(DbbVariantTest, TheLeadingTextOrControlBytesMarkABinaryFile)
{
    BinaryDbb spec;
    spec.prefix = "bin";
    spec.samples = {1, 2, 3};
    const QByteArray binary = MakeBinaryDbb(spec);
    EXPECT_TRUE(files::IsBinaryDbb("/data/HEID_BIN.dbb", binary)); // without regard to case
    // Renamed: the text no longer occurs in the path, but the header's zero bytes remain.
    EXPECT_TRUE(files::IsBinaryDbb("/data/renamed.dbb", binary));
    // A first byte 0 always means binary.
    EXPECT_TRUE(files::IsBinaryDbb("/x.dbb", QByteArray(1, '\0') + "anything"));
    TextDbb text;
    text.lengths = lengths(8);
    EXPECT_FALSE(files::IsBinaryDbb("/data/run.dbb", MakeTextDbb(text)));
    EXPECT_FALSE(files::IsBinaryDbb("/data/empty.dbb", QByteArray()));
    files::MemoryFiles none;
    EXPECT_FALSE(files::IsBinaryDbb("/data/none.dbb", MemoryContext(none)));
}

TEST_F(DbbReaderTest, ThinningFloorsInHeaderAndRunAlike)
{
    TextDbb text;
    text.samples = "5000";
    text.lengths = lengths(5000);
    ASSERT_TRUE(read(MakeTextDbb(text)).ok());
    EXPECT_EQ(c.Data.RunTargets[1], 1666); // f = 3
    EXPECT_EQ(c.Data.MaxTargets, 1666);
    EXPECT_NEAR(c.Data.Readings(1, 0), 0.0001, 1e-12);

    BinaryDbb binary;
    for (int k = 0; k < 5000; ++k)
        binary.samples << (k % 3) * 3.0;
    c = Case{};
    ASSERT_TRUE(read(MakeBinaryDbb(binary)).ok());
    EXPECT_EQ(c.Data.RunTargets[1], 1666);
    EXPECT_EQ(c.Data.MaxTargets, 1666); // the header no longer rounds up to 1667
    EXPECT_DOUBLE_EQ(c.Data.Readings(1, 0), 0.003);
}

TEST_F(DbbReaderTest, AnglesAreWrappedOnceIntoTheAnalysisRange)
{
    TextDbb text;
    text.lengths = lengths(8);
    text.start = "-400";
    ASSERT_TRUE(read(MakeTextDbb(text)).ok());
    EXPECT_EQ(c.Data.StartAngle, -40);
    EXPECT_EQ(c.Data.StopAngle, 320);

    BinaryDbb binary;
    binary.samples = {1, 2, 3};
    binary.start = 400;
    binary.stop = 760;
    c = Case{};
    ASSERT_TRUE(read(MakeBinaryDbb(binary)).ok());
    EXPECT_EQ(c.Data.StartAngle, 40);
    EXPECT_EQ(c.Data.StopAngle, 400);

    for (const char* start : {"900", "-2000"}) {
        text.start = start;
        c = Case{};
        EXPECT_FALSE(read(MakeTextDbb(text)).ok()) << start;
    }
    binary.start = 0;
    binary.stop = 40000; // beyond 16 bits
    c = Case{};
    EXPECT_EQ(read(MakeBinaryDbb(binary)).location, files::kDbbBinaryHeaderLocation);
}

TEST_F(DbbReaderTest, TextFilesWithBadCountsAnglesOrNumbersAreRefused)
{
    struct Bad {
        const char* what;
        std::function<void(TextDbb&)> change;
        const char* location;
    };
    const Bad cases[] = {
        {"no samples", [](TextDbb& t) { t.samples = "0"; }, files::kDbbTextHeaderLocation},
        {"negative samples", [](TextDbb& t) { t.samples = "-3"; }, files::kDbbTextHeaderLocation},
        {"count not a number", [](TextDbb& t) { t.samples = "eight"; }, files::kDbbTextHeaderLocation},
        {"zero sweep", [](TextDbb& t) { t.sweep = "0"; }, files::kDbbTextHeaderLocation},
        {"negative sweep", [](TextDbb& t) { t.sweep = "-360"; }, files::kDbbTextHeaderLocation},
        {"zero radius", [](TextDbb& t) { t.radius = "0"; }, files::kDbbTextHeaderLocation},
        {"zero feedrate", [](TextDbb& t) { t.feedrate = "0"; }, files::kDbbTextHeaderLocation},
        {"direction not a number", [](TextDbb& t) { t.direction = "ccw"; }, files::kDbbTextHeaderLocation},
        {"more samples announced than held", [](TextDbb& t) { t.samples = "9"; }, files::kDbbTextLocation},
        {"a sample not a number", [](TextDbb& t) { t.lengths[3] = "abc"; }, files::kDbbTextLocation},
        {"a sample with a decimal comma", [](TextDbb& t) { t.lengths[3] = "150,0003"; }, files::kDbbTextLocation},
        {"two points", [](TextDbb& t) { t.samples = "2"; }, files::kDbbTextHeaderLocation},
    };
    for (const Bad& bad : cases) {
        TextDbb text;
        text.lengths = lengths(8);
        bad.change(text);
        c = Case{};
        const ReadResult r = read(MakeTextDbb(text));
        EXPECT_EQ(r.kind, ReadResult::Kind::Error) << bad.what;
        EXPECT_EQ(r.location, bad.location) << bad.what;
        EXPECT_FALSE(r.message.isEmpty()) << bad.what;
    }
    // A header cut short.
    c = Case{};
    EXPECT_EQ(read(MakeTextDbb(TextDbb{}).left(200)).number, 62);
    // A feedrate beyond a double is out of range, not zero.
    TextDbb beyond{.feedrate = "1E400", .lengths = lengths(8)};
    EXPECT_EQ(read(MakeTextDbb(beyond)).number, AppError::kOverflow);
}

TEST_F(DbbReaderTest, BinaryFilesShortOrWithoutSamplesAreRefused)
{
    BinaryDbb spec;
    spec.prefix = "run";
    spec.samples = {1, 2, 3, 4};
    const QByteArray whole = MakeBinaryDbb(spec);
    // Short of the header, short of the last sample.
    EXPECT_EQ(read(whole.left(100)).location, files::kDbbBinaryHeaderLocation);
    c = Case{};
    const ReadResult r = read(whole.left(whole.size() - 1));
    EXPECT_EQ(r.location, files::kDbbBinaryLocation);
    EXPECT_EQ(r.number, 62);
    for (int declared : {0, -5}) {
        spec.declaredSamples = declared;
        c = Case{};
        EXPECT_FALSE(read(MakeBinaryDbb(spec)).ok()) << declared;
    }
    // The huge count a garbage file declares needs its samples too.
    spec.declaredSamples = 32767;
    c = Case{};
    EXPECT_EQ(read(MakeBinaryDbb(spec)).number, 62);
}

class DbbMeasurementTest : public DbbReaderTest {
protected:
    void addFile(const QString& name, int samples, int direction = 1, const char* plane = "1", const char* sweep = "360")
    {
        TextDbb text;
        text.samples = QString::number(samples);
        text.lengths = lengths(samples);
        text.direction = QString::number(direction);
        text.plane = plane;
        text.sweep = sweep;
        files.files.insert(name, MakeTextDbb(text));
    }
    // Reads "/m/1.dbb" and then the given answers to "more files?".
    ReadResult readSet(QStringList more)
    {
        ctx = MemoryContext(files);
        ctx.moreFiles = [this, more](const QString& previous) mutable {
            asked << previous;
            return more.isEmpty() ? QString() : more.takeFirst();
        };
        ctx.report = [this](const ReadResult& r) { reported.append(r); };
        return files::ReadDbbFiles(c, "/m/1.dbb", ctx);
    }
    QStringList asked;
    QList<ReadResult> reported;
};

TEST_F(DbbMeasurementTest, FilesOfOneSectorMakeOneMeasurement)
{
    addFile("/m/1.dbb", 1000, 1);
    addFile("/m/2.dbb", 1100, 2);
    addFile("/m/3.dbb", 500, 1);
    ASSERT_TRUE(readSet({"/m/2.dbb", "/m/3.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 3);
    EXPECT_EQ(c.Data.RunDirection[2], -1);
    EXPECT_EQ(c.Data.RunTargets[1], 1000);
    EXPECT_EQ(c.Data.RunTargets[2], 1100);
    EXPECT_EQ(c.Data.RunTargets[3], 500);
    EXPECT_EQ(c.Data.MaxTargets, 1100); // raised, never lowered
    EXPECT_EQ(asked, (QStringList{"/m/1.dbb", "/m/2.dbb", "/m/3.dbb"}));
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(DbbMeasurementTest, AFileOfAnotherSectorIsRefusedAndTheRunsBeforeItStay)
{
    addFile("/m/1.dbb", 1000);
    addFile("/m/wide.dbb", 1200);
    ASSERT_TRUE(readSet({"/m/wide.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 1);
    EXPECT_EQ(c.Data.MaxTargets, 1000);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].kind, ReadResult::Kind::Message);
    EXPECT_EQ(reported[0].message, "The files in the same measurement must have an equal size sector.");
    // No further question after a refusal.
    EXPECT_EQ(asked.size(), 1);

    addFile("/m/half.dbb", 1000, 1, "1", "180");
    c = Case{};
    reported.clear();
    ASSERT_TRUE(readSet({"/m/half.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 1);
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(DbbMeasurementTest, SevenRunsAtMostAndACancelledDialogEndsTheSet)
{
    for (int i = 1; i <= 8; ++i)
        addFile(QString("/m/%1.dbb").arg(i), 100, i % 2 ? 1 : 2);
    ASSERT_TRUE(readSet({"/m/2.dbb", "/m/3.dbb", "/m/4.dbb", "/m/5.dbb", "/m/6.dbb", "/m/7.dbb", "/m/8.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 7);
    EXPECT_EQ(asked.size(), 6); // not asked after the seventh

    c = Case{};
    asked.clear();
    ASSERT_TRUE(readSet({}).ok());
    EXPECT_EQ(c.Data.RunCount, 1);
    EXPECT_EQ(asked.size(), 1);
}

TEST_F(DbbMeasurementTest, AnUnknownPlaneKeepsThePlaneOfTheMeasurementNotOfTheLastCase)
{
    c.Header[HdrPlane] = "yz"; // the previous case's
    addFile("/m/1.dbb", 100, 1, "4");
    ASSERT_TRUE(readSet({}).ok());
    EXPECT_EQ(c.Header[HdrPlane], "");

    addFile("/m/1.dbb", 100, 1, "3");
    addFile("/m/2.dbb", 100, 2, "4");
    c = Case{};
    ASSERT_TRUE(readSet({"/m/2.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 2);
    EXPECT_EQ(c.Header[HdrPlane], "yz");
}

TEST_F(DbbMeasurementTest, AFailedFirstFileFailsAndALaterOneIsReported)
{
    files.files.insert("/m/1.dbb", "garbage");
    EXPECT_FALSE(readSet({}).ok());
    EXPECT_TRUE(asked.isEmpty());

    addFile("/m/1.dbb", 100);
    c = Case{};
    ASSERT_TRUE(readSet({"/m/missing.dbb"}).ok());
    EXPECT_EQ(c.Data.RunCount, 1);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].number, 53);
    EXPECT_EQ(c.Header[HdrFilename], "/m/1.dbb");
}

TEST_F(DbbReaderTest, HeaderOnlyReadsEitherVariantWithoutTouchingTheRuns)
{
    c.Data.RunCount = 2;
    c.Data.Readings(1, 1) = 7.0;
    c.Data.MaxTargets = 900;
    files.files.insert("/m/h.dbb", DataBytes("dbb_text_ccw.dbb"));
    ctx = MemoryContext(files);
    c.Header[HdrFilename] = "/m/h.dbb";
    ASSERT_TRUE(files::ReadDbbHeader(c, ctx).ok());
    EXPECT_EQ(c.Header[HdrFeedrate], "2000");
    EXPECT_EQ(c.Header[HdrStatDyn], "D");
    EXPECT_EQ(c.Data.MaxTargets, 8); // the file's, not the previous case's 900
    EXPECT_EQ(c.Data.RunCount, 2);
    EXPECT_EQ(c.Data.Readings(1, 1), 7.0);

    files.files.insert("/m/heid_bin.dbb", DataBytes("heid_bin.dbb"));
    c.Header[HdrFilename] = "/m/heid_bin.dbb";
    ASSERT_TRUE(files::ReadDbbHeader(c, ctx).ok());
    EXPECT_EQ(c.Header[HdrMachine], "Heidenhain");
    EXPECT_EQ(c.Header[HdrFeedrate], "1000");
}

} // namespace
} // namespace sarvo::test
