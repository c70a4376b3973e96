// Optodyne 2-D files: header keys, the grouping of a folder's files into cases, the steps of the
// import on the worked examples, and generated circles imported into runs.
#include "files/dispatch.h"
#include "files/optodyne.h"
#include "core/dates.h"

#include "tests/files/files_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace sarvo::test {
namespace {

using files::ReadResult;

// One file of a generated circle: centre (cx, cy) and radius in mm, `perTurn` samples a turn over
// `turns` turns, counter-clockwise for rotation 2; direction 0 holds y, direction 1 x. The radius
// varies by ovality x cos(2 angle).
struct Circle {
    double radius = 100.0;
    double headerRadius = 100.0;
    double cx = 0.0;
    double cy = 0.0;
    double ovality = 0.0;
    int perTurn = 360;
    double turns = 3.0;
    QString user = QStringLiteral("Joe");
    // The trigger alignment: the direction-1 file's start crossing lies this many steps (0.01)
    // before the direction-0 file's, so its samples move that far after their grid points.
    double lag = 0.0;
    // A record of the direction-0 file whose abscissa lies 0.6 step late; -1 for none.
    int lateRecord = -1;
};

QByteArray optoFile(const Circle& circle, int direction, int rotation, const QString& extra = {})
{
    const int total = int(circle.perTurn * circle.turns);
    QString text = QStringLiteral("Date=03/15/02\r\nMachine=Mill1\r\nUser=%1\r\nUnit=M\r\nComments=generated\r\n"
                                  "Feedrate=1000\r\nMeasurementPlan=3\r\nMeasurementDirection2=%2\r\nTrigger=1\r\n"
                                  "Radius=%3\r\nRotation=%4\r\nNumberOfDataPoints=%5\r\nStartX=1.5\r\nStartY=0\r\n"
                                  "StartZ=0\r\nMirrorConvexity=0\r\n%6StartLevel=0.5\r\noptodyne\r\n")
                       .arg(circle.user)
                       .arg(direction)
                       .arg(circle.headerRadius)
                       .arg(rotation)
                       .arg(total)
                       .arg(extra);
    text += QStringLiteral("0,0\r\n0,0\r\n%1,0\r\n%2,0\r\n").arg(total / 2).arg(total - 1);
    // Pre-trigger: the signal crosses the start level at abscissa -0.5 (less the lag).
    const double preShift = direction == 1 ? -circle.lag * 0.01 : 0.0;
    for (int i = 0; i < files::kOptoPreSamples; ++i)
        text += QStringLiteral("%1,%2,%3\r\n")
                    .arg(i)
                    .arg(0.5 + (i - 64) * 0.001, 0, 'f', 6)
                    .arg(i - 64.5 + preShift, 0, 'f', 7);
    const double sense = rotation == 2 ? 1.0 : -1.0;
    for (int i = 0; i < total; ++i) {
        const double angle = sense * 2 * M_PI * i / circle.perTurn;
        const double r = circle.radius + circle.ovality * std::cos(2 * angle);
        const double value = direction == 0 ? circle.cy + r * std::sin(angle) : circle.cx + r * std::cos(angle);
        const double abscissa = i * 0.01 + (direction == 0 && i == circle.lateRecord ? 0.006 : 0.0);
        text += QStringLiteral("%1,%2,%3\r\n").arg(i).arg(value, 0, 'f', 6).arg(abscissa, 0, 'f', 3);
    }
    return text.toLatin1();
}

class OptodyneTest : public ::testing::Test {
protected:
    void addPair(const QString& stem, const Circle& circle, int rotation)
    {
        files.files.insert("/o/" + stem + "0.2d2", optoFile(circle, 0, rotation));
        files.files.insert("/o/" + stem + "1.2d2", optoFile(circle, 1, rotation));
    }
    ReadResult read(const QString& form, int maxPoints = 2500)
    {
        const files::ReadContext ctx = MemoryContext(files, maxPoints);
        return files::ReadInto(c, form, files::ReaderKind::TwoD, ctx);
    }
    QList<files::TwoDCase> list()
    {
        const files::ReadContext ctx = MemoryContext(files);
        return files::ListOptodyneCases("/o/", files.list("/o/", "*.2d2"), ctx,
                                        [](double f) -> QString { return QString::number(f) + "mm/min"; });
    }
    files::MemoryFiles files;
    Case c;
};

TEST(OptoStepsTest, WorkedExamplesOfTheSmallSteps)
{
    EXPECT_EQ(files::OptoMean({1, 2}, 2), 2);
    EXPECT_EQ(files::OptoMean({2, 3}, 2), 2);
    EXPECT_EQ(files::OptoMean({1, 2, 2}, 3), 2);
    EXPECT_EQ(files::OptoMeanStep({0, 10, 20, 31, 60}, 5, 10), 10);
    EXPECT_EQ(files::OptoMeanStep({0, 10, 20, 31, 60}, 5, 15), 15);

    std::vector<int32_t> y{0, 100, 350, 400, 0, 0};
    std::vector<float> x{0, 10, 35, 40, 0, 0};
    int n = 4;
    files::OptoResample(y, x, n, 10);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(std::vector<int32_t>(y.begin(), y.begin() + 5), (std::vector<int32_t>{0, 100, 200, 300, 400}));
    EXPECT_EQ(std::vector<float>(x.begin(), x.begin() + 5), (std::vector<float>{0, 10, -1, 35, 40}));

    std::vector<int32_t> gridY{5, 6, 7, 8};
    std::vector<float> gridX{0, 2.5f, 5, 7.5f};
    n = 4;
    files::OptoResample(gridY, gridX, n, 2.5);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(gridY, (std::vector<int32_t>{5, 6, 7, 8}));
    EXPECT_EQ(gridX, (std::vector<float>{0, 2.5f, 5, 7.5f}));

    // Counter-clockwise at 101 samples a turn: from sample 51 to sample 152.
    std::vector<int32_t> ys;
    std::vector<int32_t> xs;
    for (int i = 0; i < 400; ++i) {
        ys.push_back(int32_t(std::lround(1e6 * std::sin(2 * M_PI * i / 101))));
        xs.push_back(int32_t(std::lround(1e6 * std::cos(2 * M_PI * i / 101))));
    }
    EXPECT_EQ(files::OptoFindLap(ys, xs, 400, 400), 101);
    EXPECT_EQ(files::OptoFindLap(ys, xs, 120, 400), -51); // ends before one and a half turns
}

TEST(OptoHeaderTest, KeysDatesUnitsAndTheThirtyNineLines)
{
    const QDateTime now = FixedNow();
    files::OptoHeader h = files::OptoReadHeader("Date=12/31/98\r\nUnit=I\r\nRadius=4\r\nMeasurementPlan=2\r\n", now);
    EXPECT_EQ(h.date.date(), QDate(1998, 12, 31));
    EXPECT_TRUE(h.inch); // "I" with its carriage return stripped
    EXPECT_DOUBLE_EQ(h.radius, 101.6);
    EXPECT_EQ(h.plane, "yz");
    h = files::OptoReadHeader(QByteArray("Date=03/15/02\n") + QByteArray("x\n").repeated(38) + "Radius=5\n", now);
    EXPECT_EQ(h.date.date(), QDate(2002, 3, 15));
    EXPECT_EQ(h.radius, 0.0); // line 39 is the last read
    EXPECT_EQ(h.plane, "xy");
    EXPECT_EQ(files::OptoReadHeader("User=Ann\n", now).date, now);
    // The thirty-nine lines are counted alike with either line end: CR LF is one, not two.
    const QByteArray late = QByteArray("x\r\n").repeated(38) + "Radius=5\r\nRadius=6\r\n";
    EXPECT_EQ(files::OptoReadHeader(late, now).radius, 5.0);
    EXPECT_EQ(files::OptoReadHeader(QByteArray(late).replace("\r\n", "\r"), now).radius, 5.0);
}

TEST(OptoHeaderTest, TheKeyIsTheTextBeforeTheEqualsSign)
{
    const QDateTime now = FixedNow();
    // Values that contain a key's word keep their own lines.
    files::OptoHeader h = files::OptoReadHeader("Date=03/15/02\r\nUser=NoDate\r\nUnit=I\r\n"
                                                "Comments=Community college\r\nRadius=4\r\n", now);
    EXPECT_DOUBLE_EQ(h.radius, 101.6); // still inch
    EXPECT_EQ(h.user, "NoDate");
    EXPECT_EQ(h.comments, "Community college");
    EXPECT_EQ(h.date.date(), QDate(2002, 3, 15));
    h = files::OptoReadHeader("Date=12/31/98\r\nUser=Ann\r\nComments=checked by user Ben, Updated 01/02/03\r\n", now);
    EXPECT_EQ(h.user, "Ann");
    EXPECT_EQ(h.comments, "checked by user Ben, Updated 01/02/03");
    EXPECT_EQ(h.date.date(), QDate(1998, 12, 31));

    // Case and blanks around the key do not matter; the value stands as written. A line without
    // "=" and a key that only begins like one are ignored.
    h = files::OptoReadHeader(" rAdIuS =150\r\nMACHINE= Mill 2\r\nRadius 5\r\nRadiusX=7\r\n"
                              "MeasurementDirection=1\r\nMeasurementDirection2 = 1\r\n", now);
    EXPECT_DOUBLE_EQ(h.radius, 150);
    EXPECT_EQ(h.machine, " Mill 2");
    EXPECT_EQ(h.direction, 1);

    // The start level of the data is found by its key alike.
    const QByteArray plain = optoFile(Circle(), 0, 1);
    const QByteArray hijacked = QByteArray(plain).replace("StartLevel=0.5\r\n", "StartLevel=0.5\r\nComments=StartLevel 2\r\n");
    ASSERT_NE(hijacked, plain);
    EXPECT_EQ(files::OptoReadData(hijacked, 0, 100000, -1).preValues, files::OptoReadData(plain, 0, 100000, -1).preValues);
}

TEST(OptoHeaderTest, NumbersWithAnExponent)
{
    const files::OptoHeader h = files::OptoReadHeader(
        "Radius=1.0E2\r\nFeedrate=1.5E3\r\nMirrorConvexity=1E-06\r\nStartX=2.5D1\r\nNumberOfDataPoints=1.44E2\r\n",
        FixedNow());
    EXPECT_DOUBLE_EQ(h.radius, 100);
    EXPECT_DOUBLE_EQ(h.feedrate, 1500);
    EXPECT_DOUBLE_EQ(h.mirrorConvexity, 1e-06);
    EXPECT_FLOAT_EQ(h.startX, 25);
    EXPECT_EQ(h.pointCount, 144);
}

TEST(OptoHeaderTest, ANumberBeyondItsTypeIsAnOutOfRangeErrorThatNamesIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"StartX=1E400", "StartX"}, {"MirrorConvexity=1E400", "MirrorConvexity"}, {"Feedrate=1D400", "Feedrate"},
        {"Radius=1E400", "Radius"}, {"Date=1E400/15/02", "Date"}, {"StartX=1E39", "StartX"},
        {"Unit=I\nRadius=1E307", "Radius"}, {"StartLevel=5E400\noptodyne\n0,0", "StartLevel"},
        {"optodyne\n2E400,0", "2-D sample"}};
    for (const auto& [file, name] : cases) {
        try {
            files::OptoReadHeader(file, FixedNow());
            files::OptoReadData(file, 0, 1, -1);
            ADD_FAILURE() << file << " read";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), AppError::kOverflow) << file;
            EXPECT_TRUE(e.description().contains(QString("\"%1\"").arg(name))) << file;
        }
    }
    EXPECT_EQ(files::OptoReadHeader("Comments=1E400\r\n", FixedNow()).comments, "1E400"); // text holds any number
}

TEST_F(OptodyneTest, AFoldersFilesGroupIntoCasesOfCompletePairs)
{
    Circle circle;
    addPair("a", circle, 1);
    addPair("b", circle, 2);
    circle.user = "Ann"; // another test: a single file makes no case
    files.files.insert("/o/c0.2d2", optoFile(circle, 0, 1));
    files.files.insert("/o/d0.2d2", optoFile(circle, 5, 1)); // a direction outside 0..2 is left out
    files.files.insert("/o/e0.2d2", "MeasurementDirection2=99999\n"); // unreadable: left out, not the end
    const QList<files::TwoDCase> cases = list();
    ASSERT_EQ(cases.size(), 1);
    EXPECT_EQ(cases[0].form, "/o/ a0.2d2 a1.2d2 b0.2d2 b1.2d2");
    EXPECT_EQ(cases[0].text, "Joe " + GeneralDateText(QDateTime(QDate(2002, 3, 15), QTime(0, 0), Qt::UTC)) + " xy 1000mm/min");
}

TEST_F(OptodyneTest, GeneratedCirclesImportWithTheirRunsDirectionsAndDeviations)
{
    Circle circle;
    circle.radius = 100.004; // 4 µm larger than the header says
    circle.cx = 3.0;
    circle.cy = -2.0;
    circle.ovality = 0.002;
    addPair("a", circle, 1);
    addPair("b", circle, 2);
    c.Header[HdrName] = "previous session";
    ASSERT_TRUE(read("/o/ a0.2d2 a1.2d2 b0.2d2 b1.2d2").ok());
    EXPECT_EQ(c.Header[HdrName], "");
    const CaseData& d = c.Data;
    EXPECT_EQ(d.RunCount, 2);
    EXPECT_EQ(d.RunDirection[1], -1);
    EXPECT_EQ(d.RunDirection[2], 1);
    EXPECT_EQ(d.MaxTargets, 360);
    EXPECT_DOUBLE_EQ(d.AngleStep, 1.0);
    EXPECT_EQ(d.StartAngle, -180);
    EXPECT_EQ(d.TestDate.date(), QDate(2002, 3, 15));
    EXPECT_EQ(c.Header[HdrFilename], "/o/ a0.2d2 a1.2d2 b0.2d2 b1.2d2");
    EXPECT_EQ(c.Header[HdrMaxTargets], " 360");
    EXPECT_EQ(c.Header[HdrComment], "generated");
    EXPECT_EQ(c.Header[HdrOrigX], "1.5");
    for (int run = 1; run <= 2; ++run) {
        EXPECT_EQ(d.RunTargets[std::size_t(run)], 360);
        double low = 1, high = -1, sum = 0;
        for (int j = 0; j < 360; ++j) {
            low = std::min(low, d.Readings(run, j));
            high = std::max(high, d.Readings(run, j));
            sum += d.Readings(run, j);
        }
        EXPECT_NEAR(sum / 360, 0.004, 2e-5) << run;        // the radius error
        EXPECT_NEAR(high - low, 2 * 0.002, 5e-5) << run;   // the ovality, whatever the centre
    }
    // The ovality peaks at 0 and 180 degrees: points 0 and 180 of the run.
    EXPECT_GT(d.Readings(2, 0), d.Readings(2, 90));
    EXPECT_GT(d.Readings(2, 180), d.Readings(2, 270));
}

TEST_F(OptodyneTest, ThinnedRotationTwoAloneAndAFailedImportLeavesTheCase)
{
    Circle circle;
    circle.perTurn = 1000;
    addPair("b", circle, 2);
    const QList<files::TwoDCase> cases = list();
    ASSERT_EQ(cases.size(), 1);
    ASSERT_TRUE(read(cases[0].form, 300).ok());
    EXPECT_EQ(c.Data.RunCount, 1);
    EXPECT_EQ(c.Data.RunDirection[1], 1);
    EXPECT_EQ(c.Data.RunTargets[1], 250); // four samples a point
    EXPECT_EQ(c.Header[HdrFilename], cases[0].form);
    EXPECT_EQ(c.Header[HdrFilename], "/o/   b0.2d2 b1.2d2"); // reads back as rotation 2

    const Case before = c;
    circle.turns = 1.2; // ends before one and a half turns
    addPair("s", circle, 1);
    ReadResult r = read("/o/ s0.2d2 s1.2d2");
    EXPECT_EQ(r.location, files::kOptodyneLocation);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(c.Header, before.Header);
    EXPECT_EQ(c.Data.Readings, before.Data.Readings);
    r = read("/o/ b0.2d2"); // half a pair
    EXPECT_EQ(r.location, files::kOptodyneLocation);
    files.files.insert("/o/flat.2d2", "Radius=100\nTrigger=1\noptodyne\n0,0\n0,0\n1,0\n3,0\n0,1,0\n");
    r = read("/o/ flat.2d2 flat.2d2"); // no samples in its window
    EXPECT_EQ(r.location, files::kOptodyneLocation);
    EXPECT_EQ(c.Header, before.Header);
}

TEST_F(OptodyneTest, ACaseInCarriageReturnsOrLineFeedsImportsLikeItsCopyInBoth)
{
    Circle circle;
    circle.ovality = 0.002;
    addPair("a", circle, 1);
    addPair("b", circle, 2);
    const QString form = "/o/ a0.2d2 a1.2d2 b0.2d2 b1.2d2";
    ASSERT_TRUE(read(form).ok());
    const Case expected = c;
    const auto crlf = files.files;
    for (const char* end : {"\r", "\n"}) {
        files.files = crlf;
        for (auto it = files.files.begin(); it != files.files.end(); ++it)
            it->replace("\r\n", end);
        c = Case();
        const ReadResult r = read(form);
        ASSERT_TRUE(r.ok()) << r.message.toStdString();
        EXPECT_EQ(c.Header, expected.Header);
        EXPECT_EQ(c.Data.RunTargets, expected.Data.RunTargets);
        EXPECT_EQ(c.Data.Readings, expected.Data.Readings);
    }
}

TEST_F(OptodyneTest, HeaderNumbersWithAnExponentReachTheImport)
{
    Circle circle;
    circle.headerRadius = 150;
    const QString exponents = "Radius=1.0E2\r\nFeedrate=1.5E3\r\nMirrorConvexity=1E-06\r\n";
    files.files.insert("/o/e0.2d2", optoFile(circle, 0, 2, exponents));
    files.files.insert("/o/e1.2d2", optoFile(circle, 1, 2, exponents));
    ASSERT_TRUE(read("/o/   e0.2d2 e1.2d2").ok());
    EXPECT_DOUBLE_EQ(c.Data.TestRadius, 100);
    EXPECT_EQ(c.Header[HdrFeedrate], "1500");
    double worst = 0;
    for (int j = 0; j < c.Data.RunTargets[1]; ++j)
        worst = std::max(worst, std::abs(c.Data.Readings(1, j)));
    // The convexity's 10 µm at 100 mm, nothing like the 50 mm of a radius read as 1.
    EXPECT_GT(worst, 1e-3);
    EXPECT_LT(worst, 2e-2);
}

TEST_F(OptodyneTest, ARunTheTriggerAlignmentEmptiesIsRefused)
{
    // Refused with the file and the reason; the open case stays as it was.
    const auto expectRefused = [&](const QString& form, const QString& file, const char* reason) {
        const Case before = c;
        const ReadResult r = read(form);
        EXPECT_EQ(r.kind, ReadResult::Kind::Message) << form.toStdString();
        EXPECT_TRUE(r.message.startsWith(file + "\r\n") && r.message.contains(reason)) << r.message.toStdString();
        EXPECT_EQ(c.Header, before.Header);
        EXPECT_EQ(c.Data.Readings, before.Data.Readings);
    };
    // Every direction-1 sample more than half a step after its grid point: all flagged.
    for (double lag : {0.5625, 0.75}) {
        Circle circle;
        circle.lag = lag;
        addPair("a", circle, 1);
        expectRefused("/o/ a0.2d2 a1.2d2", "/o/a1.2d2", "no sample of this file");
    }
    // A lag under half a step flags nothing and reads.
    Circle shifted;
    shifted.lag = 0.4375;
    addPair("s", shifted, 1);
    EXPECT_TRUE(read("/o/ s0.2d2 s1.2d2").ok());

    // One late sample where the turn begins (sample 180 of 360) would give its point no radius;
    // later in the turn it repeats the radius before it, and the case reads.
    Circle late;
    late.lateRecord = 180;
    addPair("b", late, 2);
    expectRefused("/o/   b0.2d2 b1.2d2", "/o/b0.2d2", "the turn begins at a sample of this file");
    late.lateRecord = 250;
    addPair("c", late, 2);
    const ReadResult r = read("/o/   c0.2d2 c1.2d2");
    ASSERT_TRUE(r.ok()) << r.message.toStdString();
    EXPECT_EQ(c.Data.RunTargets[1], 360);
    for (int j = 0; j < 360; ++j)
        ASSERT_LT(std::abs(c.Data.Readings(1, j)), 1e-3) << j;
}

} // namespace
} // namespace sarvo::test
