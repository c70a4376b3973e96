#pragma once
// Shared ground of the reader fuzz targets: the points limit the first input byte picks, an
// in-memory read context, the stop on a broken rule, and the checks every reader's whole read
// must pass.

#include "core/case.h"
#include "files/dispatch.h"
#include "files/read_context.h"
#include "tests/files/case_invariants.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sarvo::fuzz {

// The limits the settings allow, from the smallest to the largest.
inline int PickMaxPoints(uint8_t byte)
{
    static constexpr int kLimits[] = {1, 7, 500, 2500, 8000};
    return kLimits[byte % 5];
}

inline files::ReadContext Context(files::MemoryFiles& files, int maxPoints)
{
    files::ReadContext ctx;
    ctx.maxPoints = maxPoints;
    ctx.baseTemperature = 20;
    ctx.now = [] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC); };
    ctx.resolveMachine = [](const QString& name) { return name; };
    ctx.files = &files;
    return ctx;
}

inline QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

[[noreturn]] inline void Broken(const char* rule, const QString& detail = {})
{
    std::fprintf(stderr, "rule broken: %s %s\n", rule, qPrintable(detail));
    std::abort();
}

inline void Require(bool holds, const char* rule, const QString& detail = {})
{
    if (!holds)
        Broken(rule, detail);
}

inline bool SameReadings(const Case& a, const Case& b)
{
    constexpr std::size_t bytes = sizeof(double) * kRunSlots * kPointSlots;
    return std::memcmp(a.Data.Readings.row(0), b.Data.Readings.row(0), bytes) == 0;
}

// A failed read names its failure and leaves the target as it was.
inline void RequireCleanFailure(const files::ReadResult& r, const Case& target, const Case& before)
{
    if (r.kind == files::ReadResult::Kind::Error)
        Require(!r.location.isEmpty() && !r.message.isEmpty(), "an error has a location and a message");
    if (r.kind == files::ReadResult::Kind::Message)
        Require(!r.message.isEmpty(), "a refusal has a message");
    Require(target.Header == before.Header, "a failed read keeps the header");
    Require(SameReadings(target, before), "a failed read keeps the readings");
    Require(target.Data.RunCount == before.Data.RunCount, "a failed read keeps the run count");
}

// A whole read of path into a case that already holds something, through the adopt-on-success
// rule: a success keeps every rule of a case, a failure leaves the case as it was.
struct WholeRead {
    files::ReadResult result;
    Case target;
    Case before;
};
inline WholeRead ReadWhole(const files::ReadContext& ctx, const QString& path, files::ReaderKind kind, int maxPoints)
{
    WholeRead read;
    read.target.Header[HdrMachine] = "Before";
    read.target.Data.Readings(2, 5) = 0.5;
    read.target.Data.RunCount = 3;
    read.target.Data.GaugeTemp[1] = 99;
    read.before = read.target;
    read.result = files::ReadInto(read.target, path, kind, ctx);
    if (read.result.ok()) {
        const QString broken = test::FullInvariantFailure(read.target, maxPoints);
        Require(broken.isEmpty(), "full read", broken);
    } else {
        RequireCleanFailure(read.result, read.target, read.before);
    }
    return read;
}

// A file that reads whole ends with a message when no machine is chosen, and the case stays as
// it was.
inline void RequireCancelWithoutMachine(files::ReadContext ctx, const QString& path, files::ReaderKind kind,
                                        const Case& before)
{
    ctx.resolveMachine = [](const QString&) { return QString(); };
    Case cancelled = before;
    const files::ReadResult c = files::ReadInto(cancelled, path, kind, ctx);
    Require(c.kind == files::ReadResult::Kind::Message && c.message.startsWith(path),
            "no machine chosen ends the read with a message naming the file");
    Require(cancelled.Header == before.Header, "a cancelled read keeps the case");
}

} // namespace sarvo::fuzz
