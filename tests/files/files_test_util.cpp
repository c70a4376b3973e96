#include "tests/files/files_test_util.h"

#include <QFile>
#include <QtEndian>

#include <cmath>

namespace sarvo::test {

QString DataFile(const QString& name)
{
    return QStringLiteral(SARVOTEX_TEST_DATA "/") + name;
}

QByteArray DataBytes(const QString& name)
{
    QFile f(DataFile(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(name);
    return f.readAll();
}

QDateTime FixedNow()
{
    return QDateTime(QDate(2024, 6, 1), QTime(12, 0, 0), Qt::UTC);
}

files::ReadContext MemoryContext(files::MemoryFiles& files, int maxPoints)
{
    files::ReadContext ctx;
    ctx.maxPoints = maxPoints;
    ctx.baseTemperature = 20;
    ctx.now = [] { return FixedNow(); };
    ctx.resolveMachine = [](const QString& name) { return name; };
    ctx.files = &files;
    return ctx;
}

QByteArray MakeRtb(const QList<std::pair<QString, QString>>& overrides, const QList<RtbRun>& runs)
{
    QList<std::pair<QString, QString>> keys = {
        {"Machine", "Mill 1"}, {"Date", "14:05 Jan 05 2000"}, {"By", "Joe"}, {"Length", "150.00000"},
        {"Plane", "XY"}, {"Radius", "150.00000"}, {"Feedrate", "1000.00000"}, {"Data Start", "0.00000"},
        {"Data End", "360.00000"}, {"Ang over", "0.00000"}, {"Stat/Dyn", "D"}, {"Dir", "A"},
        {"Cal Len", "C"}, {"Run Count", QString::number(runs.size())}, {"Serial Number", "123"},
        {"Gauge Exp Coeff", "0.00000"}, {"Machine Exp Coeff", "0.00000"},
        {"Max Targets", QString::number(runs.isEmpty() ? 8 : runs.front().values.size())}};
    for (const auto& [key, value] : overrides) {
        bool replaced = false;
        for (auto& entry : keys) {
            if (entry.first == key) {
                entry.second = value;
                replaced = true;
            }
        }
        if (!replaced)
            keys.append({key, value});
    }
    QStringList lines = {"HEADER::", "File type: RTB", "Owner: Ballbar", "Version no: 2.0", "", "MACHINE::"};
    for (const auto& [key, value] : keys) {
        if (!value.isNull())
            lines << key + ": " + value;
    }
    lines << "" << "DATA::";
    for (const RtbRun& run : runs) {
        if (run.keyLines.isEmpty())
            lines << QString("Direction: %1").arg(run.direction) << QString("Data-count: %1").arg(run.values.size());
        else
            lines << run.keyLines;
        lines << "Point Raw-data:";
        for (int k = 0; k < run.values.size(); ++k)
            lines << QString("%1  %2").arg(k).arg(run.values[k]);
        lines << "";
    }
    lines << "" << "EOF::";
    return (lines.join("\r\n") + "\r\n").toLatin1();
}

QStringList RampValues(int count, double step)
{
    QStringList values;
    for (int k = 0; k < count; ++k)
        values << QString::number(step * (k + 1), 'f', 5);
    return values;
}

QByteArray Real6(double value)
{
    QByteArray bytes(6, '\0');
    if (value == 0.0)
        return bytes;
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(value), &exponent); // 0.5 <= m < 1
    auto bits = static_cast<quint64>(std::llround(std::ldexp(mantissa, 40)));
    bytes[0] = char(exponent + 128);
    for (int i = 1; i <= 5; ++i) {
        bytes[i] = char(bits & 0xFF);
        bits >>= 8;
    }
    bytes[5] = char((bytes[5] & 0x7F) | (value < 0 ? 0x80 : 0));
    return bytes;
}

QByteArray MakeBinaryDbb(const BinaryDbb& spec)
{
    QByteArray b(122, '\0');
    b[0] = char(spec.prefix.size());
    b.replace(1, spec.prefix.size(), spec.prefix);
    b[9] = char(spec.date.size());
    b.replace(10, spec.date.size(), spec.date);
    b.replace(38, 6, Real6(spec.feedrate));
    b.replace(44, 6, Real6(spec.radius));
    b.replace(62, 6, Real6(spec.start));
    b.replace(68, 6, Real6(spec.stop));
    const int declared = spec.declaredSamples.value_or(int(spec.samples.size()));
    qToLittleEndian<qint16>(qint16(declared), b.data() + 112);
    qToLittleEndian<qint16>(qint16(spec.direction), b.data() + 114);
    for (double s : spec.samples)
        b += Real6(s);
    return b;
}

QByteArray MakeTextDbb(const TextDbb& spec)
{
    QStringList items;
    for (int i = 1; i <= 100; ++i)
        items << QString("u%1").arg(i);
    auto set = [&](int item, const QString& value) { items[item - 1] = value; };
    set(4, spec.samples);
    set(20, spec.machine);
    set(23, "ACME");
    set(24, "Joe");
    set(25, "(null)");
    set(26, "(null)");
    set(27, "(null)");
    set(28, "0");
    set(29, "0");
    set(30, "0");
    set(33, spec.stamp);
    set(34, spec.feedrate);
    set(38, spec.direction);
    set(55, spec.plane);
    set(56, spec.start);
    set(57, spec.sweep);
    set(58, spec.radius);
    set(64, "7");
    QStringList lines;
    for (int i = 0; i < 100; i += 10)
        lines << items.mid(i, 10).join(",");
    for (const QString& length : spec.lengths)
        lines << length + "\t0.0";
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

} // namespace sarvo::test
