// The .rtb writer and reader agree: a case built from the input is written, read back with the
// same runs, directions, points, angles, overshoot and coefficients, and the second generation of
// the file is byte for byte the first.
#include "core/utilities.h"
#include "files/rtb_reader.h"
#include "files/rtb_writer.h"
#include "tests/files/fuzz/fuzz_support.h"

#include <QCoreApplication>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

using namespace sarvo;

namespace {

QString latin1Text(FuzzedDataProvider& p, size_t maxLength)
{
    const std::string s = p.ConsumeRandomLengthString(maxLength);
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// What a text slot comes back as: line breaks become blanks, letters outside the DOS code page a
// question mark, a quote inside a line that holds a comma an apostrophe, and the blanks and tabs
// around the value are no part of it.
QString expectedText(QString s)
{
    s.replace(u'\r', u' ').replace(u'\n', u' ');
    if (s.contains(u','))
        s.replace(u'"', u'\'');
    s = OemToAnsi(AnsiToOem(s));
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; };
    while (!s.isEmpty() && blank(s.front()))
        s.remove(0, 1);
    while (!s.isEmpty() && blank(s.back()))
        s.chop(1);
    return s;
}

bool readBack(const QByteArray& bytes, Case& c)
{
    files::MemoryFiles mem;
    mem.files.insert("/f/rt.rtb", bytes);
    const files::ReadContext ctx = fuzz::Context(mem, 8000);
    c = Case{};
    c.Header[HdrFilename] = "/f/rt.rtb";
    return files::ReadRtb(c, ctx).ok();
}

} // namespace

// The writer's circle fit binds the computation library beside the program, and only the
// application object knows the program's folder; libFuzzer's own arguments stay untouched.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv)
{
    static int applicationArgc = 1;
    static char* applicationArgv[] = {(*argv)[0], nullptr};
    static QCoreApplication application(applicationArgc, applicationArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider p(data, size);
    Case c;
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    d.Dynamic = p.ConsumeBool();
    d.Calibrated = p.ConsumeBool();
    // A start of 360 or more is read as the same arc one turn lower.
    d.StartAngle = p.ConsumeIntegralInRange<int16_t>(-360, 359);
    // A static run holds one point every 45 degrees of its arc.
    const int staticSteps = p.ConsumeIntegralInRange<int>(2, (720 - d.StartAngle) / 45);
    d.StopAngle = d.Dynamic ? p.ConsumeIntegralInRange<int16_t>(static_cast<int16_t>(d.StartAngle + 1), 720)
                            : static_cast<int16_t>(d.StartAngle + 45 * staticSteps);
    d.SweepAngle = static_cast<int16_t>(d.StopAngle - d.StartAngle);
    const int staticPoints = StaticRunPoints(d.SweepAngle);
    d.TestRadius = p.ConsumeIntegralInRange<int>(1, 5000000) / 1000.0;
    d.BallBarLength = static_cast<float>(p.ConsumeIntegralInRange<int>(1, 500000) / 100.0);
    d.OvershootAngle = static_cast<float>(p.ConsumeIntegralInRange<int>(-3600, 3600) / 10.0);
    d.TestDate = QDateTime(QDate(1980, 1, 1), QTime(0, 0), Qt::UTC).addSecs(p.ConsumeIntegralInRange<int64_t>(0, 3786825600LL));
    static const char* const kPlanes[] = {"xy", "xz", "yz"};
    h[HdrPlane] = QString::fromLatin1(kPlanes[p.ConsumeIntegralInRange<int>(0, 2)]);
    h[HdrFeedrate] = QString::number(p.ConsumeIntegralInRange<int>(1, 20000));
    h[HdrGaugeExp] = NumToText5(p.ConsumeIntegralInRange<int>(-100000, 100000) / 1000.0);
    h[HdrMachineExp] = NumToText5(p.ConsumeIntegralInRange<int>(-100000, 100000) / 1000.0);
    h[HdrMachine] = latin1Text(p, 40);
    h[HdrBy] = latin1Text(p, 40);
    h[HdrEquipmentSerial] = latin1Text(p, 20);
    d.RunCount = p.ConsumeIntegralInRange<int16_t>(1, 7);
    for (int r = 1; r <= d.RunCount; ++r) {
        d.RunDirection[r] = p.ConsumeBool() ? 1 : -1;
        d.RunTargets[r] = d.Dynamic ? p.ConsumeIntegralInRange<int16_t>(3, 40) : static_cast<int16_t>(staticPoints);
        d.GaugeTemp[r] = p.ConsumeIntegralInRange<int>(-5000, 6000) / 100.0;
        d.MachineTemp[r] = p.ConsumeIntegralInRange<int>(-5000, 6000) / 100.0;
        for (int j = 0; j < d.RunTargets[r]; ++j)
            d.Readings(r, j) = p.ConsumeIntegralInRange<int>(-200000, 200000) * 1e-5;
    }
    d.MaxTargets = *std::max_element(d.RunTargets.begin() + 1, d.RunTargets.begin() + 1 + d.RunCount);

    const QByteArray gen1 = files::RtbFileBytes(c, {});
    Case back;
    const bool ok = readBack(gen1, back);
    // A file without a machine name asks for one; with none chosen nothing is read.
    const QString machine = expectedText(h[HdrMachine]);
    if (machine.isEmpty() || machine == u"None") {
        fuzz::Require(!ok || machine == u"None", "an empty machine name reads nothing");
        return 0;
    }
    fuzz::Require(ok, "the writer's file reads back");
    const CaseData& b = back.Data;
    fuzz::Require(b.RunCount == d.RunCount, "runs");
    fuzz::Require(b.MaxTargets == d.MaxTargets, "points per run");
    fuzz::Require(b.StartAngle == d.StartAngle && b.StopAngle == d.StopAngle && b.SweepAngle == d.SweepAngle, "angles");
    fuzz::Require(b.Dynamic == d.Dynamic && b.Calibrated == d.Calibrated, "kind of test");
    fuzz::Require(b.OvershootAngle == d.OvershootAngle, "overshoot");
    fuzz::Require(b.BallBarLength == d.BallBarLength, "bar length");
    fuzz::Require(NumToText5(b.TestRadius) == NumToText5(d.TestRadius), "radius");
    fuzz::Require(b.TestDate.secsTo(d.TestDate) >= 0 && b.TestDate.secsTo(d.TestDate) < 60, "date to the minute");
    fuzz::Require(StrToDbl(back.Header[HdrGaugeExp]) == StrToDbl(h[HdrGaugeExp]), "gauge coefficient");
    fuzz::Require(StrToDbl(back.Header[HdrMachineExp]) == StrToDbl(h[HdrMachineExp]), "machine coefficient");
    fuzz::Require(back.Header[HdrPlane] == h[HdrPlane], "plane");
    fuzz::Require(back.Header[HdrMachine] == machine, "machine", back.Header[HdrMachine] + " vs " + machine);
    fuzz::Require(back.Header[HdrBy] == expectedText(h[HdrBy]), "operator", back.Header[HdrBy]);
    for (int r = 1; r <= d.RunCount; ++r) {
        fuzz::Require(b.RunDirection[r] == d.RunDirection[r], "direction");
        fuzz::Require(b.RunTargets[r] == d.RunTargets[r], "points");
        fuzz::Require(NumToText5(b.GaugeTemp[r]) == NumToText5(d.GaugeTemp[r]), "gauge temperature");
        fuzz::Require(NumToText5(b.MachineTemp[r]) == NumToText5(d.MachineTemp[r]), "machine temperature");
        for (int j = 0; j < d.RunTargets[r]; ++j)
            fuzz::Require(NumToText5(b.Readings(r, j)) == NumToText5(d.Readings(r, j)), "reading");
    }

    const QByteArray gen2 = files::RtbFileBytes(back, {});
    Case again;
    fuzz::Require(readBack(gen2, again), "the second generation reads back");
    fuzz::Require(files::RtbFileBytes(again, {}) == gen2, "the next generation is byte-identical");
    return 0;
}
