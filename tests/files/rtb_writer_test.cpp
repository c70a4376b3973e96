// The .rtb writer: its lines, the agreement with the reader on every key, and the second
// generation of a round trip being byte for byte the first.
#include "files/brv_file.h"
#include "files/rtb_reader.h"
#include "files/rtb_writer.h"

#include "core/dates.h"
#include "core/utilities.h"

#include "tests/files/files_test_util.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

using files::ReadResult;

class RtbWriterTest : public CoreTest {
protected:
    // Reads bytes as an .rtb file.
    Case readBack(const QByteArray& bytes, int maxPoints = 8000)
    {
        files::MemoryFiles mem;
        mem.files.insert("/m/back.rtb", bytes);
        const files::ReadContext ctx = MemoryContext(mem, maxPoints);
        Case c;
        c.Header[HdrFilename] = "/m/back.rtb";
        const ReadResult r = files::ReadRtb(c, ctx);
        EXPECT_TRUE(r.ok()) << r.message.toStdString();
        return c;
    }
    QStringList lines(const QByteArray& bytes) { return QString::fromLatin1(bytes).split("\r\n"); }

    // A case as a capture leaves it: two runs of three points, ±1.
    Case captured()
    {
        Case c;
        CaseHeader& h = c.Header;
        CaseData& d = c.Data;
        h[HdrMachine] = "Mill 1";
        h[HdrBy] = "Joe";
        h[HdrPlane] = "xz";
        h[HdrFeedrate] = "1500";
        h[HdrGaugeExp] = "11.5";
        h[HdrMachineExp] = "";
        std::tie(h[HdrEquipmentManufacturer], h[HdrEquipmentModel], h[HdrEquipmentSerial]) =
            std::tuple("Dorvell", "Brintovale", "BV2026-0042");
        d.TestDate = QDateTime(QDate(2000, 1, 5), QTime(14, 5, 42), Qt::UTC);
        d.BallBarLength = 149.99f;
        d.TestRadius = 150;
        d.StartAngle = -45;
        d.StopAngle = 315;
        d.SweepAngle = 360;
        d.OvershootAngle = 12.5f;
        d.Dynamic = true;
        d.Calibrated = true;
        d.RunCount = 2;
        d.MaxTargets = 3;
        for (int r = 1; r <= 2; ++r) {
            d.RunDirection[r] = r == 1 ? 1 : -1;
            d.RunTargets[r] = 3;
            d.GaugeTemp[r] = 20.125 + r;
            d.MachineTemp[r] = 19.5 + r;
            for (int j = 0; j < 3; ++j)
                d.Readings(r, j) = 0.001 * (j + 1) * (r == 1 ? 1 : -1);
        }
        return c;
    }
    files::RtbDefaults defaults{7.0, 3.0};
};

TEST_F(RtbWriterTest, WritesTheHeaderRunsAndEndAsLaidOut)
{
    const QStringList out = lines(files::RtbFileBytes(captured(), defaults));
    const QStringList head = {"HEADER::", "File type: RTB", "Owner: Ballbar", "Version no: 2.0", "", "MACHINE::",
                              "Machine: Mill 1", "Date: 14:05 Jan 05 2000", "By: Joe", "Length: 149.99000",
                              "Plane: XZ", "Radius: 150.00000", "Feedrate: 1500.00000", "Data Start: -45.00000",
                              "Data End: 315.00000", "Ang over: 12.50000", "Stat/Dyn: D", "Dir: A", "Cal Len: C",
                              "Run Count: 2", "Serial Number: BV2026-0042",
                              // The case's coefficient; the setting only for the empty slot.
                              "Gauge Exp Coeff: 11.50000", "Machine Exp Coeff: 3.00000", "Max Targets: 3",
                              // Equipment other than the format's own QC10, past the classic 24 lines.
                              "Manufacturer: Dorvell", "Model: Brintovale", "", "DATA::"};
    EXPECT_EQ(out.mid(0, head.size()), head);
    const int run1 = int(head.size());
    EXPECT_EQ(out[run1], "Direction: 1");
    EXPECT_TRUE(out[run1 + 1].startsWith("Sample Rate: "));
    EXPECT_TRUE(out[run1 + 2].startsWith("Best R: "));
    EXPECT_EQ(out[run1 + 5], "Data-count: 3");
    EXPECT_EQ(out[run1 + 6], "Gauge Temperature: 21.12500");
    EXPECT_EQ(out[run1 + 7], "Machine Temperature: 20.50000");
    EXPECT_EQ(out.mid(run1 + 8, 5), (QStringList{"Point Raw-data:", "0  0.00100", "1  0.00200", "2  0.00300", ""}));
    const int run2 = run1 + 13;
    EXPECT_EQ(out[run2], "Direction: -1");
    // A clockwise run is written from its last reading; the index counts up.
    EXPECT_EQ(out.mid(run2 + 8, 4), (QStringList{"Point Raw-data:", "0  -0.00300", "1  -0.00200", "2  -0.00100"}));
    EXPECT_EQ(out.mid(out.size() - 4), (QStringList{"", "", "EOF::", ""}));
}

TEST_F(RtbWriterTest, TheCaseReadsBackAsItWasWritten)
{
    const Case before = captured();
    const Case back = readBack(files::RtbFileBytes(before, defaults));
    const CaseData& a = before.Data;
    const CaseData& b = back.Data;
    EXPECT_EQ(b.RunCount, a.RunCount);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(b.RunDirection[r], a.RunDirection[r]);
        EXPECT_EQ(b.RunTargets[r], a.RunTargets[r]);
        EXPECT_EQ(b.GaugeTemp[r], a.GaugeTemp[r]);
        EXPECT_EQ(b.MachineTemp[r], a.MachineTemp[r]);
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(b.Readings(r, j), a.Readings(r, j)) << r << "," << j;
    }
    EXPECT_EQ(b.StartAngle, a.StartAngle);
    EXPECT_EQ(b.StopAngle, a.StopAngle);
    EXPECT_EQ(b.SweepAngle, a.SweepAngle);
    EXPECT_EQ(b.OvershootAngle, a.OvershootAngle);
    EXPECT_EQ(b.BallBarLength, a.BallBarLength);
    EXPECT_EQ(b.TestRadius, a.TestRadius);
    EXPECT_EQ(b.Dynamic, a.Dynamic);
    EXPECT_EQ(b.Calibrated, a.Calibrated);
    EXPECT_EQ(b.MaxTargets, a.MaxTargets);
    EXPECT_EQ(back.Header[HdrPlane], "xz");
    EXPECT_EQ(back.Header[HdrMachine], "Mill 1");
    EXPECT_EQ(StrToDbl(back.Header[HdrGaugeExp]), 11.5);
    EXPECT_EQ(StrToDbl(back.Header[HdrMachineExp]), 3.0);
    EXPECT_EQ((QStringList{back.Header[HdrEquipmentManufacturer], back.Header[HdrEquipmentModel],
                           back.Header[HdrEquipmentSerial]}),
              (QStringList{"Dorvell", "Brintovale", "BV2026-0042"}));
    // The format's own QC10 is not named; no serial in the case is none in the file, not the setting's.
    Case qc10 = before;
    std::tie(qc10.Header[HdrEquipmentManufacturer], qc10.Header[HdrEquipmentModel], qc10.Header[HdrEquipmentSerial]) =
        std::tuple("Renishaw", "QC10", "");
    const QByteArray qc10Bytes = files::RtbFileBytes(qc10, defaults);
    EXPECT_FALSE(qc10Bytes.contains("Model:"));
    EXPECT_TRUE(qc10Bytes.contains("\r\nSerial Number: \r\n"));
    EXPECT_EQ(readBack(qc10Bytes).Header[HdrEquipmentModel], "QC10");
    // The date to the minute.
    EXPECT_EQ(b.TestDate, QDateTime(QDate(2000, 1, 5), QTime(14, 5), Qt::UTC));
}

// Every plane a reader gives a case (a .b5r or 2-D case in the ZX plane, a plane written the other
// way round, none) is written by both writers and read back the same.
TEST_F(RtbWriterTest, EveryPlaneAReaderGivesIsWrittenAndReadBackTheSame)
{
    for (const char* plane : {"xy", "xz", "yz", "yx", "zx", "zy", ""}) {
        Case c = captured();
        c.Header[HdrPlane] = QString::fromLatin1(plane);
        c.Header[HdrDate] = GeneralDateText(c.Data.TestDate); // the slots a read gives the case
        c.Header[HdrLength] = "149.990";
        EXPECT_EQ(readBack(files::RtbFileBytes(c, defaults)).Header[HdrPlane], plane);
        files::MemoryFiles mem;
        mem.files.insert("/m/back.brv", files::BrvFileBytes(c, "1"));
        const files::ReadContext ctx = MemoryContext(mem);
        Case back;
        back.Header[HdrFilename] = "/m/back.brv";
        const ReadResult read = files::ReadBrvFile(back, ctx);
        ASSERT_TRUE(read.ok()) << read.message.toStdString();
        EXPECT_EQ(back.Header[HdrPlane], plane);
    }
}

TEST_F(RtbWriterTest, ASecondGenerationIsByteIdentical)
{
    for (const char* sample : {"rtb_dynamic_both.rtb", "rtb_static.rtb"}) {
        const Case first = readBack(DataBytes(sample));
        const QByteArray gen1 = files::RtbFileBytes(first, defaults);
        const QByteArray gen2 = files::RtbFileBytes(readBack(gen1), defaults);
        EXPECT_EQ(gen2, gen1) << sample;
    }
    Case odd = captured();
    odd.Data.Readings(1, 0) = -0.0012345; // rounded by the first write
    odd.Header[HdrSampling] = "123.456";
    odd.Data.RunDirection[2] = 0;         // a direction that is neither +1 nor -1
    const QByteArray gen1 = files::RtbFileBytes(odd, defaults);
    EXPECT_TRUE(gen1.contains("0  -0.00123\r\n"));
    const QByteArray gen2 = files::RtbFileBytes(readBack(gen1), defaults);
    EXPECT_EQ(files::RtbFileBytes(readBack(gen2), defaults), gen2);
}

TEST_F(RtbWriterTest, ADirectionOtherThanMinusOneReadsBackInItsOwnOrder)
{
    Case c = captured();
    c.Data.RunDirection[1] = 0;
    c.Data.RunDirection[2] = -3;
    const Case back = readBack(files::RtbFileBytes(c, defaults));
    EXPECT_EQ(back.Data.RunDirection[1], 1);
    EXPECT_EQ(back.Data.RunDirection[2], -1);
    for (int r = 1; r <= 2; ++r)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(back.Data.Readings(r, j), c.Data.Readings(r, j));
}

TEST_F(RtbWriterTest, TextValuesWithCommasLineBreaksAndForeignLetters)
{
    Case c = captured();
    c.Header[HdrMachine] = QString::fromUtf8("Mühle, \"links\"");
    c.Header[HdrBy] = "Joe\r\nAnn";
    const QByteArray bytes = files::RtbFileBytes(c, defaults);
    EXPECT_TRUE(bytes.contains("\"Machine: M\x81hle, 'links'\"\r\n"));
    EXPECT_TRUE(bytes.contains("By: Joe  Ann\r\n"));
    const Case back = readBack(bytes);
    EXPECT_EQ(back.Header[HdrMachine], QString::fromUtf8("Mühle, 'links'"));
    EXPECT_EQ(back.Header[HdrBy], "Joe  Ann");
    EXPECT_EQ(back.Data.MaxTargets, 3); // no item shifted
}

TEST_F(RtbWriterTest, EdgeCasesStillGiveAFile)
{
    Case empty;
    const QStringList out = lines(files::RtbFileBytes(empty, defaults));
    EXPECT_EQ(out.mid(out.indexOf("DATA::")), (QStringList{"DATA::", "", "EOF::", ""}));

    // Two points have no circle: zeros instead of no file.
    Case shortRun = captured();
    shortRun.Data.RunTargets[1] = 2;
    const QStringList written = lines(files::RtbFileBytes(shortRun, defaults));
    EXPECT_TRUE(written.contains("Best R: 0.00000"));
    EXPECT_TRUE(written.contains("Data-count: 2"));
}

TEST_F(RtbWriterTest, WritingChangesNothingInTheCase)
{
    const Case before = captured();
    Case c = before;
    files::RtbFileBytes(c, defaults);
    EXPECT_EQ(c.Header, before.Header);
    EXPECT_EQ(c.Data.Readings, before.Data.Readings);
    EXPECT_EQ(c.Data.RunDirection, before.Data.RunDirection);
}

TEST_F(RtbWriterTest, SaveRtbReplacesTheFileWholeOrReturnsTheFailure)
{
    Settings settings;
    settings.SerialNumber = "S1"; // another bar than the case's
    const QString target = path("out.rtb");
    writeFile("out.rtb", "old contents");
    ASSERT_TRUE(files::SaveRtb(captured(), settings, target));
    const QByteArray saved = readFile("out.rtb");
    EXPECT_TRUE(saved.startsWith("HEADER::\r\n"));
    EXPECT_TRUE(saved.endsWith("EOF::\r\n"));
    EXPECT_TRUE(saved.contains("Serial Number: BV2026-0042\r\n"));
    EXPECT_EQ(busyDepth(), 0);

    const Outcome failed = files::SaveRtb(captured(), settings, path("no/such/folder/out.rtb"));
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.location(), "Saving to rtb-file");
    EXPECT_EQ(failed.number(), AppError::kPathFileAccess);
    EXPECT_FALSE(QFile::exists(path("no/such/folder/out.rtb")));
    EXPECT_EQ(readFile("out.rtb"), saved);
}

} // namespace
} // namespace sarvo::test
