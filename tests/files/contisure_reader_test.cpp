// The ContiSure reader: header lines, the point windows and their averaging, reversal, the point
// cap, the set of point files and the checks on counts and sizes.
#include "files/contisure_reader.h"
#include "files/dispatch.h"

#include "tests/files/files_test_util.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using files::ReadResult;

const QString kHeader = QStringLiteral("/cs/ABCDEFGg.xy");

// Lines 1-16 of a header file, each ended by CR LF.
QByteArray header(const QString& date, int start, int stop, int perCircle, const QString& feedrate = "1000")
{
    const QStringList lines = {"Mill 7", "x", date, "100", "21.5", "11.5", "20.5", "0.5", "", "", "",
                               QString::number(start), QString::number(stop), "", feedrate, QString::number(perCircle)};
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

QByteArray points(int32_t first, int32_t count, const QList<int32_t>& samples)
{
    QByteArray bytes;
    for (int32_t v : QList<int32_t>{first, count} + samples) {
        char word[4];
        qToLittleEndian(v, word);
        bytes.append(word, 4);
    }
    return bytes;
}

QList<int32_t> ramp(int count, int32_t step = 1000)
{
    QList<int32_t> samples;
    for (int j = 0; j < count; ++j)
        samples << j * step;
    return samples;
}

class ContiSureTest : public ::testing::Test {
protected:
    ReadResult read(int maxPoints = 2500)
    {
        const files::ReadContext ctx = MemoryContext(files, maxPoints);
        return files::ReadInto(c, kHeader, files::ReaderKind::ContiSure, ctx);
    }
    files::MemoryFiles files;
    Case c;
};

TEST_F(ContiSureTest, HeaderAndPointWindowsReadToExactValues)
{
    files.files.insert(kHeader, header("31-2-05", 0, 360, 400));
    // Two samples before the run are skipped; 1000 samples make 400 points of 2 or 3 samples.
    files.files.insert("/cs/ABCDEFGa.xy1", points(3, 1000, QList<int32_t>{-7, -7} + ramp(1000)));
    c.Header[HdrEquipmentManufacturer] = "Renishaw"; // the previous case's
    ASSERT_TRUE(read().ok());
    EXPECT_EQ(c.Header[HdrEquipmentManufacturer], "");
    const CaseData& d = c.Data;
    EXPECT_EQ(c.Header[HdrMachine], "Mill 7");
    EXPECT_EQ(d.TestDate.date(), QDate(2005, 3, 3)); // the day rolls over
    EXPECT_EQ(c.Header[HdrPlane], "xy");
    EXPECT_EQ(c.Header[HdrLength], "100.000");
    EXPECT_EQ(c.Header[HdrMachineExp], "11.50");
    EXPECT_EQ(c.Header[HdrMaxTargets], "400");
    EXPECT_EQ(d.RunCount, 1);
    EXPECT_EQ(d.RunTargets[1], 400);
    EXPECT_EQ(d.RunDirection[1], 1);
    EXPECT_EQ(d.MachineTemp[1], 21.5);
    EXPECT_EQ(d.GaugeTemp[1], 20.5);
    EXPECT_DOUBLE_EQ(d.AngleStep, 0.9);
    // Points 0-3 take samples 0-2, 3-4, 5-6 and 7-9.
    EXPECT_DOUBLE_EQ(d.Readings(1, 0), 1000e-6);
    EXPECT_DOUBLE_EQ(d.Readings(1, 1), 3500e-6);
    EXPECT_DOUBLE_EQ(d.Readings(1, 2), 5500e-6);
    EXPECT_DOUBLE_EQ(d.Readings(1, 3), 8000e-6);
}

TEST_F(ContiSureTest, LinesEndAtAnyLineEndAndNumbersReadAsWritten)
{
    files.files.insert("/cs/ABCDEFGa.xy1", points(1, 8, ramp(8)));
    const QByteArray crlf = header("1-1-20", 0, 360, 8);
    for (const QByteArray& text : {QByteArray(crlf).replace("\r\n", "\n"), QByteArray(crlf).replace("\r\n", "\r"),
                                   QByteArray(crlf).replace("\r\n100\r\n", "\r\n1.0e2\r\n")}) {
        files.files.insert(kHeader, text);
        c = Case{};
        ASSERT_TRUE(read().ok()) << text.constData();
        EXPECT_EQ(c.Data.TestRadius, 100.0);
        EXPECT_EQ(c.Data.GaugeTemp[1], 20.5);
        EXPECT_EQ(c.Header[HdrFeedrate], "1000");
    }
    files.files.insert(kHeader, QByteArray(crlf).replace("\r\n20.5\r\n", "\r\nwarm\r\n"));
    const ReadResult warm = read();
    EXPECT_FALSE(warm.ok());
    EXPECT_TRUE(warm.message.contains("\"Gauge temperature\"")) << warm.message.toStdString();
}

// An empty or blank temperature line is the base temperature, not 0 degrees; a value the
// analysis cannot compute with is refused naming its line's field, every real one read.
TEST_F(ContiSureTest, EmptyTemperaturesAreTheBaseTemperatureAndAbsurdValuesAreRefusedByName)
{
    files.files.insert("/cs/ABCDEFGa.xy1", points(1, 8, ramp(8)));
    const QByteArray crlf = header("1-1-20", 0, 360, 8);
    for (const char* blank : {"", " ", "\t"}) {
        const QByteArray line = QByteArray("\r\n") + blank + "\r\n";
        files.files.insert(kHeader, QByteArray(crlf).replace("\r\n21.5\r\n", line).replace("\r\n20.5\r\n", line));
        c = Case{};
        ASSERT_TRUE(read().ok()) << "[" << blank << "]";
        EXPECT_EQ(std::pair(c.Data.MachineTemp[1], c.Data.GaugeTemp[1]), std::pair(20.0, 20.0)) << "[" << blank << "]";
    }
    const std::tuple<QByteArray, QByteArray, QString> absurd[] = {
        {"\r\n20.5\r\n", "\r\n1e300\r\n", "Gauge temperature"},
        {"\r\n21.5\r\n", "\r\n-300\r\n", "Machine temperature"},
        {"\r\n100\r\n", "\r\n1e-300\r\n", "Radius"},
        {"\r\n1000\r\n", "\r\n1e300\r\n", "Feedrate"},
        {"\r\n0.5\r\n", "\r\n1e300\r\n", "Gauge expansion"},
    };
    for (const auto& [from, to, field] : absurd) {
        files.files.insert(kHeader, QByteArray(crlf).replace(from, to));
        c = Case{};
        const ReadResult r = read();
        EXPECT_EQ(r.message, QString("The value of \"%1\" is out of range.").arg(field)) << to.constData();
    }
    files.files.insert(kHeader, QByteArray(crlf).replace("\r\n20.5\r\n", "\r\n-40\r\n").replace("\r\n1000\r\n", "\r\n60000\r\n"));
    c = Case{};
    ASSERT_TRUE(read().ok());
    EXPECT_EQ(std::pair(c.Data.GaugeTemp[1], c.Header[HdrFeedrate]), std::pair(-40.0, QString("60000")));
}

TEST_F(ContiSureTest, StopBeforeStartReversesEveryRunAndFewSamplesRepeatPoints)
{
    files.files.insert(kHeader, header("1-1-99", 360, 0, 8));
    files.files.insert("/cs/ABCDEFGa.xy1", points(1, 5, ramp(5)));
    ASSERT_TRUE(read().ok());
    EXPECT_EQ(c.Data.StartAngle, 0);
    EXPECT_EQ(c.Data.StopAngle, 360);
    EXPECT_EQ(c.Data.TestDate.date(), QDate(1999, 1, 1));
    // step 0.625: the points end at samples 0, 0, 1, 2, 2, 3, 3, 4; a point without one repeats.
    const double expected[] = {0, 0, 1, 2, 2, 3, 3, 4};
    for (int k = 0; k < 8; ++k)
        EXPECT_DOUBLE_EQ(c.Data.Readings(1, 7 - k), expected[k] * 1000e-6) << k;
}

// A thinned case gives the count and rate of the points it holds, as every reader does.
TEST_F(ContiSureTest, ThePointCapGivesTheCountAndRateKeptAndAngleRulesHold)
{
    files.files.insert(kHeader, header("", 800, 980, 3600));
    files.files.insert("/cs/ABCDEFGc.xy1", points(1, 1800, ramp(1800)));
    ASSERT_TRUE(read(500).ok());
    EXPECT_EQ(c.Header[HdrMaxTargets], "450");
    EXPECT_EQ(c.Header[HdrSampling], PointSamplingRateText(c.Data, 1000, 450));
    EXPECT_EQ(c.Header[HdrSampling], "23.8732");
    EXPECT_EQ(c.Data.RunTargets[1], 450);
    EXPECT_EQ(c.Data.RunDirection[1], -1);
    EXPECT_EQ(c.Data.StartAngle, 440); // lowered by one turn only
    EXPECT_EQ(c.Data.StopAngle, 620);
    EXPECT_EQ(c.Data.TestDate, FixedNow()); // no date: now
}

TEST_F(ContiSureTest, SevenRunsAtMostAFilesFirstInNameOrder)
{
    files.files.insert(kHeader, header("1-6-10", 0, 360, 4));
    for (int i = 4; i >= 1; --i) {
        files.files.insert(QStringLiteral("/cs/ABCDEFGc.xy%1").arg(i), points(1, 4, QList<int32_t>(4, 100 + i)));
        files.files.insert(QStringLiteral("/cs/abcdefga.XY%1").arg(i), points(1, 4, QList<int32_t>(4, i)));
    }
    ASSERT_TRUE(read().ok());
    EXPECT_EQ(c.Data.RunCount, 7);
    for (int run = 1; run <= 7; ++run) {
        const int file = run <= 4 ? run : run - 4;
        EXPECT_EQ(c.Data.RunDirection[std::size_t(run)], run <= 4 ? 1 : -1);
        EXPECT_DOUBLE_EQ(c.Data.Readings(run, 0), (run <= 4 ? file : 100 + file) * 1e-6) << run;
    }
}

TEST_F(ContiSureTest, DamagedSetsFailCleanly)
{
    c.Header[HdrMachine] = "before";
    const Case before = c;
    const auto expectFailure = [&](const char* location) {
        const ReadResult r = read();
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.location, location);
        EXPECT_EQ(c.Header, before.Header);
    };
    files.files.insert(kHeader, header("1-1-20", 0, 360, 4));
    const ReadResult none = read();
    EXPECT_EQ(none.kind, ReadResult::Kind::Message);
    EXPECT_EQ(none.message, "Point file could not be found.");
    for (const QByteArray& bad : {points(1, 0, {}), points(0, 4, ramp(4)), points(1, 5, ramp(4)), QByteArray("\1\0\0", 3),
                                  points(1, 8, QList<int32_t>(8, 2000000000))}) {
        files.files.insert("/cs/ABCDEFGa.xy1", bad);
        if (bad.size() == 40) { // two huge samples in one point: the sum needs 64 bits, not a failure
            ASSERT_TRUE(read().ok());
            EXPECT_DOUBLE_EQ(c.Data.Readings(1, 3), 2000.0);
            c = before;
            continue;
        }
        expectFailure(files::kContiSureLocation);
    }
    files.files.insert(kHeader, header("1-1-20", 0, 360, 4, "0"));
    expectFailure(files::kContiSureHeaderLocation);
    files.files.insert(kHeader, header("1-x-20", 0, 360, 4));
    expectFailure(files::kContiSureHeaderLocation);
    files.files.insert(kHeader, header("1-1-20", 0, 360, 0));
    expectFailure(files::kContiSureHeaderLocation);
}

} // namespace
} // namespace sarvo::test
