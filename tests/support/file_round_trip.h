#pragma once
// A case written to a measurement file and read back: the same case, to what the file keeps
// (five decimals of a millimetre, the time to the minute).

#include "files/dispatch.h"

#include <gtest/gtest.h>

#include <tuple>

namespace sarvo::test {

inline Case ReadBack(const QString& file, files::ReaderKind kind, const Settings& settings)
{
    files::DiskFiles disk;
    files::ReadContext ctx = files::ReadContext::fromSettings(settings);
    ctx.files = &disk;
    Case back;
    const files::ReadResult result = files::ReadInto(back, file, kind, ctx);
    EXPECT_TRUE(result.ok()) << file.toStdString() << ": " << result.message.toStdString();
    return back;
}

inline void ExpectSameCase(const Case& back, const Case& written)
{
    const CaseData& a = written.Data;
    const CaseData& b = back.Data;
    const auto minute = [](const QDateTime& t) { return t.toSecsSinceEpoch() / 60; };
    EXPECT_EQ(std::tuple(b.Dynamic, b.StartAngle, b.StopAngle, b.SweepAngle, b.AngleStep, b.RunCount, b.MaxTargets),
              std::tuple(a.Dynamic, a.StartAngle, a.StopAngle, a.SweepAngle, a.AngleStep, a.RunCount, a.MaxTargets));
    EXPECT_EQ(std::tuple(b.TestRadius, b.BallBarLength, minute(b.TestDate)),
              std::tuple(a.TestRadius, a.BallBarLength, minute(a.TestDate)));
    for (int slot : {HdrMachine, HdrBy, HdrPlane, HdrFeedrate, HdrStatDyn, HdrMaxTargets, HdrSampling})
        EXPECT_EQ(back.Header[slot].toStdString(), written.Header[slot].toStdString()) << "slot " << slot;
    for (std::size_t r = 1; r <= std::size_t(a.RunCount); ++r) {
        EXPECT_EQ(std::tuple(b.RunDirection[r], b.RunTargets[r], b.GaugeTemp[r], b.MachineTemp[r]),
                  std::tuple(a.RunDirection[r], a.RunTargets[r], a.GaugeTemp[r], a.MachineTemp[r]))
            << "run " << r;
        for (int j = 0; j < a.RunTargets[r]; ++j)
            EXPECT_NEAR(b.Readings(int(r), j), a.Readings(int(r), j), 0.5e-5) << "run " << r << ", point " << j;
    }
}

} // namespace sarvo::test
