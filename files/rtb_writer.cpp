#include "files/rtb_writer.h"

#include "analysis/circle_fit.h"
#include "core/app_error.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/rtb_reader.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace sarvo::files {

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The decimal a single-precision value was given as (150.0f, not 149.99999...), so that the
// five-decimal text reads back to the same single.
double singleAsDecimal(float value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    double result = value;
    if (error == std::errc())
        std::from_chars(buffer, end, result);
    return result;
}

class Lines {
public:
    // One line: CR and LF inside a value become blanks; a line holding a comma is quoted whole,
    // since the reader returns a quoted item whole (a quote inside it becomes an apostrophe).
    void add(const QString& text)
    {
        QString line = text;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
        if (line.contains(u','))
            line = u'"' + line.replace(u'"', u'\'') + u'"';
        bytes_ += line.toLatin1();
        bytes_ += "\r\n";
    }
    void number(const char* key, double value) { add(QString::fromLatin1(key) + NumToText5(value)); }
    void whole(const char* key, int value) { add(QString::fromLatin1(key) + QString::number(value)); }
    // Text as the DOS code page holds it, one character per byte.
    void oem(const char* key, const QString& value) { add(QString::fromLatin1(key) + AnsiToOem(value)); }

    QByteArray bytes_;
};

QString dateLine(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1:%2 %3 %4 %5")
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonths[static_cast<std::size_t>(d.month() - 1)]))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.year());
}

// The case's own coefficient; the setting only where the case holds none.
double coefficient(const QString& slot, double setting)
{
    return slot.trimmed().isEmpty() ? setting : StrToDbl(slot);
}

} // namespace

RtbDefaults RtbDefaultsOf(const Settings& s)
{
    return {s.GaugeExpCoeff, s.MachineExpCoeff};
}

QByteArray RtbFileBytes(const Case& c, const RtbDefaults& defaults)
{
    const CaseHeader& h = c.Header;
    const CaseData& d = c.Data;
    const int runs = std::clamp<int>(d.RunCount, 0, kMaxRuns);
    Lines out;
    out.add(QStringLiteral("HEADER::"));
    out.add(QStringLiteral("File type: RTB"));
    out.add(QStringLiteral("Owner: Ballbar"));
    out.add(QStringLiteral("Version no: 2.0"));
    out.add(QString());
    out.add(QStringLiteral("MACHINE::"));
    out.oem("Machine: ", h[HdrMachine]);
    out.oem("Date: ", dateLine(d.TestDate));
    out.oem("By: ", h[HdrBy]);
    out.number("Length: ", singleAsDecimal(d.BallBarLength));
    out.add(QStringLiteral("Plane: ") + h[HdrPlane].toUpper());
    out.number("Radius: ", d.TestRadius);
    out.number("Feedrate: ", StrToDbl(h[HdrFeedrate]));
    out.number("Data Start: ", d.StartAngle);
    out.number("Data End: ", d.StopAngle);
    out.number("Ang over: ", singleAsDecimal(d.OvershootAngle));
    out.add(d.Dynamic ? QStringLiteral("Stat/Dyn: D") : QStringLiteral("Stat/Dyn: S"));
    out.add(QStringLiteral("Dir: A"));
    out.add(d.Calibrated ? QStringLiteral("Cal Len: C") : QStringLiteral("Cal Len: U"));
    out.whole("Run Count: ", runs);
    // The case's own serial: one from the settings would name another bar than the .brv and the
    // database do.
    out.oem("Serial Number: ", h[HdrEquipmentSerial]);
    out.number("Gauge Exp Coeff: ", coefficient(h[HdrGaugeExp], defaults.gaugeExpCoeff));
    out.number("Machine Exp Coeff: ", coefficient(h[HdrMachineExp], defaults.machineExpCoeff));
    out.whole("Max Targets: ", d.MaxTargets);
    // A reader takes a QC10 unless told otherwise: other equipment is named after the classic
    // window of 24 header lines, which readers of that window pass over.
    if (h[HdrEquipmentManufacturer] != QLatin1String(kRtbManufacturer) || h[HdrEquipmentModel] != QLatin1String(kRtbModel)) {
        out.oem("Manufacturer: ", h[HdrEquipmentManufacturer]);
        out.oem("Model: ", h[HdrEquipmentModel]);
    }
    out.add(QString());
    out.add(QStringLiteral("DATA::"));

    const double sampleRate = StrToDbl(h[HdrSampling]);
    const ReadingsTable& readings = d.ReadingsToSave();
    for (int run = 1; run <= runs; ++run) {
        const auto r = static_cast<std::size_t>(run);
        const bool forward = d.RunDirection[r] >= 0;
        const int count = d.RunTargets[r];
        // The circle is written for other programs only; a run without one (fewer than three
        // points, no computation library) gets zeros rather than no file.
        LscCircle circle;
        try {
            circle = CalcLSCRun(std::span<const double>(readings.row(run), static_cast<std::size_t>(std::max(count, 0))),
                                d.Arc(), d.TestRadius);
        } catch (const AppError&) {
            circle = {};
        }
        out.whole("Direction: ", forward ? 1 : -1);
        out.number("Sample Rate: ", sampleRate);
        out.number("Best R: ", circle.R);
        out.number("Best X: ", circle.CX);
        out.number("Best Y: ", circle.CY);
        out.whole("Data-count: ", count);
        out.number("Gauge Temperature: ", d.GaugeTemp[r]);
        out.number("Machine Temperature: ", d.MachineTemp[r]);
        out.add(QStringLiteral("Point Raw-data:"));
        for (int k = 0; k < count; ++k)
            out.add(QString::number(k) + QStringLiteral("  ") + NumToText5(readings(run, forward ? k : count - 1 - k)));
        out.add(QString());
    }
    out.add(QString());
    out.add(QStringLiteral("EOF::"));
    return out.bytes_;
}

Outcome SaveRtb(const Case& c, const Settings& s, const QString& fileName)
{
    BusyCursor busy;
    return Trapped(QString::fromLatin1(kRtbSaveLocation), [&] {
        WriteWholeFile(fileName, RtbFileBytes(c, RtbDefaultsOf(s)));
    });
}

} // namespace sarvo::files
