#pragma once
// Shared ground of the measurement-file tests: the hand-written samples, an in-memory read
// context, and small builders of .rtb and .dbb contents after the format descriptions.

#include "casedb/case_columns.h"
#include "casedb/case_store.h"
#include "casedb/machine_list.h"
#include "core/case.h"
#include "files/read_context.h"
#include "tests/support/core_test.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace sarvo::test {

// A case database in the test's folder that knows the machines "Mill 2", "Lathe" and "Mill 10"
// besides the examples' "Demo Mill" that every new database knows.
class MachineStoreTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        store.open(path(QString::fromLatin1(casedb::kCaseDbFileName)));
        ASSERT_TRUE(store.isOpen());
        for (const char* name : {"Mill 2", "Lathe", "Mill 10"})
            casedb::AddMachine(store, name);
    }
    void TearDown() override
    {
        store.close();
        CoreTest::TearDown();
    }

    casedb::CaseStore store{QStringLiteral("machine-store-test")};
};

// A sample of tests/data.
QString DataFile(const QString& name);
QByteArray DataBytes(const QString& name);

// The time the in-memory context gives for "now".
QDateTime FixedNow();

// Settings as a fresh program has them (2500 points per run, 20 °C), the given files, a fixed
// "now", every machine name accepted, no further files.
files::ReadContext MemoryContext(files::MemoryFiles& files, int maxPoints = 2500);

// One .rtb run block.
struct RtbRun {
    RtbRun(int dir, QStringList points, QStringList keys = {})
        : direction(dir), values(std::move(points)), keyLines(std::move(keys))
    {
    }
    int direction = 1;
    QStringList values;   // point values as the file holds them
    QStringList keyLines; // lines before "Point Raw-data:"; empty gives Direction and Data-count
};

// An .rtb file: the header key lines (with overrides by key: a null value drops the line) and the
// runs, CRLF line ends.
QByteArray MakeRtb(const QList<std::pair<QString, QString>>& overrides, const QList<RtbRun>& runs);

// Values 0.001 * (k + 1) * sign as five-decimal texts.
QStringList RampValues(int count, double step = 0.001);

// The 6-byte real of a value, the inverse of the format's reading.
QByteArray Real6(double value);

// A binary .dbb file: the given prefix text, date, feedrate, radius, start, stop, direction code
// and samples in micrometres.
struct BinaryDbb {
    QByteArray prefix;
    QByteArray date = "05.01.2000";
    double feedrate = 1000;
    double radius = 150;
    double start = 0;
    double stop = 360;
    int direction = 1;
    QList<double> samples;
    std::optional<int> declaredSamples; // none: the number of samples
};
QByteArray MakeBinaryDbb(const BinaryDbb& spec);

// A text .dbb file: 100 header items with the named ones set, then the samples.
struct TextDbb {
    QString samples = "8";
    QString machine = QStringLiteral("Mill 3");
    QString direction = "1";
    QString plane = "1";
    QString start = "0";
    QString sweep = "360";
    QString radius = "150";
    QString feedrate = "2000";
    QString stamp = QStringLiteral("05.01.2000   14:05:30");
    QStringList lengths; // bar lengths, one sample item each
};
QByteArray MakeTextDbb(const TextDbb& spec);

} // namespace sarvo::test
