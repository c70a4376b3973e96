// Every sample and every file the writer makes of them, through every reader at every points
// limit the settings allow: a read either keeps every rule of a case or fails with a message and
// leaves the case as it was. The fuzz targets check the same on generated input.
#include "files/b5r_reader.h"
#include "files/brv_file.h"
#include "files/dbb_reader.h"
#include "files/dispatch.h"
#include "files/rtb_reader.h"
#include "files/rtb_writer.h"
#include "tests/files/case_invariants.h"
#include "tests/files/files_test_util.h"

#include <QDir>

#include <gtest/gtest.h>

namespace sarvo::test {
namespace {

QList<std::pair<QString, QByteArray>> corpus()
{
    QList<std::pair<QString, QByteArray>> inputs;
    const QDir data(QStringLiteral(SARVOTEX_TEST_DATA));
    for (const QString& name : data.entryList(QDir::Files, QDir::Name)) {
        if (!name.endsWith(".golden"))
            inputs.append({name, DataBytes(name)});
    }
    // The writers' files of every sample that reads.
    const qsizetype samples = inputs.size();
    for (qsizetype i = 0; i < samples; ++i) {
        files::MemoryFiles mem;
        mem.files.insert("/c/" + inputs[i].first, inputs[i].second);
        const files::ReadContext ctx = MemoryContext(mem);
        Case c;
        c.Header[HdrFilename] = "/c/" + inputs[i].first;
        const QString name = inputs[i].first; // a copy: appending below may move the list
        const bool ok = name.endsWith(".rtb")   ? files::ReadRtb(c, ctx).ok()
                        : name.endsWith(".brv") ? files::ReadBrvFile(c, ctx).ok()
                        : name.endsWith(".b5r") ? files::ReadB5r(c, ctx).ok()
                                                : files::ReadDbbFiles(c, c.Header[HdrFilename], ctx).ok();
        if (ok) {
            inputs.append({name + ".written.rtb", files::RtbFileBytes(c, {})});
            inputs.append({name + ".written.brv", files::BrvFileBytes(c, QStringLiteral("corpus"))});
        }
    }
    return inputs;
}

TEST(CorpusTest, EveryReaderKeepsTheRulesOrFailsCleanly)
{
    const auto inputs = corpus();
    ASSERT_GE(inputs.size(), 12);
    const std::pair<files::ReaderKind, const char*> readers[] = {
        {files::ReaderKind::Rtb, "x.rtb"},
        {files::ReaderKind::Dbb, "x.dbb"},
        {files::ReaderKind::Brv, "x.brv"},
        {files::ReaderKind::B5r, "x.b5r"}};
    int successes = 0;
    for (const auto& [name, bytes] : inputs) {
        for (int maxPoints : {1, 7, 500, 2500, 8000}) {
            for (const auto& [kind, fileName] : readers) {
                files::MemoryFiles mem;
                mem.files.insert(QString("/c/") + fileName, bytes);
                const files::ReadContext ctx = MemoryContext(mem, maxPoints);
                Case target;
                target.Header[HdrMachine] = "Before";
                target.Data.Readings(3, 3) = 1.5;
                const Case before = target;
                const files::ReadResult r = files::ReadInto(target, QString("/c/") + fileName, kind, ctx);
                const std::string where = name.toStdString() + " at " + std::to_string(maxPoints) + " as " + fileName;
                if (r.ok()) {
                    ++successes;
                    EXPECT_EQ(FullInvariantFailure(target, maxPoints), QString()) << where;
                } else {
                    EXPECT_FALSE(r.message.isEmpty()) << where;
                    EXPECT_EQ(target.Header, before.Header) << where;
                    EXPECT_EQ(target.Data.Readings, before.Data.Readings) << where;
                }
            }
        }
    }
    EXPECT_GT(successes, 20);
}

TEST(CorpusTest, HeaderReadsKeepTheHeaderRulesAndLeaveTheReadings)
{
    for (const auto& [name, bytes] : corpus()) {
        files::MemoryFiles mem;
        mem.files.insert("/c/h", bytes);
        const files::ReadContext ctx = MemoryContext(mem);
        for (int variant = 0; variant < 4; ++variant) {
            Case c;
            c.Header[HdrFilename] = "/c/h";
            c.Data.Readings(1, 1) = 2.5;
            const files::ReadResult r = variant == 0   ? files::ReadRtbHeader(c, ctx)
                                        : variant == 1 ? files::ReadDbbHeader(c, ctx)
                                        : variant == 2 ? files::ReadBrvHeader(c, ctx)
                                                       : files::ReadB5rHeader(c, ctx);
            if (r.ok()) {
                EXPECT_EQ(HeaderInvariantFailure(c), QString()) << name.toStdString();
            }
            EXPECT_EQ(c.Data.Readings(1, 1), 2.5) << name.toStdString();
        }
    }
}

} // namespace
} // namespace sarvo::test
