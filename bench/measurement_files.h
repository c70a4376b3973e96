#pragma once
// What the batch benchmarks share: a folder of measurement files written by our own .rtb writer,
// made once, before any clock runs.

#include "core/case.h"
#include "core/settings.h"
#include "files/rtb_writer.h"
#include "tests/support/sample_cases.h"

#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace sarvo::bench {

// A dynamic case of points readings a run, run both ways round on a 150 mm bar, measured on one
// of machines machines ("Mill n"), secondsApart after the case before it.
inline Case DynamicMeasurement(int index, int points, int machines, qint64 secondsApart)
{
    Case c;
    test::FillTwoWayCircle(c, true, points);
    c.Header[HdrMachine] = QStringLiteral("Mill %1").arg(index % machines);
    c.Header[HdrFeedrate] = QStringLiteral("1000");
    c.Header[HdrStatDyn] = QStringLiteral("D");
    c.Data.TestDate = QDateTime(QDate(2020, 1, 1), QTime(8, 0, 0), Qt::UTC).addSecs(qint64(index) * secondsApart);
    return c;
}

struct RtbFolder {
    QTemporaryDir dir;
    QStringList files; // full paths, in the order of their names

    // count files "<prefix>NNNN.rtb" (numbered with digits places), each the case made for its
    // index; a file that cannot be written ends the benchmark.
    RtbFolder(int count, int digits, const QString& prefix, const std::function<Case(int)>& makeCase)
    {
        const Settings settings;
        for (int i = 0; i < count; ++i) {
            const QString path = QDir(dir.path()).filePath(QStringLiteral("%1%2.rtb").arg(prefix).arg(i, digits, 10, QChar(u'0')));
            if (!files::SaveRtb(makeCase(i), settings, path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                std::abort();
            }
            files << path;
        }
    }
    QString folder() const { return dir.path(); }
};

} // namespace sarvo::bench
