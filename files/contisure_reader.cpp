#include "files/contisure_reader.h"

#include "core/dates.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "files/reader_support.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>

namespace sarvo::files {

namespace {

constexpr int kHeaderLines = 16;
constexpr int kLineBytes = 257;

// Lines end at a carriage return, a line feed (a file copied through Unix ends its lines so; after
// a carriage return it ends nothing more) or after 257 bytes; other bytes below 32 are dropped.
// Lines the file does not hold are empty.
std::array<QString, kHeaderLines> headerLines(const QByteArray& bytes)
{
    std::array<QString, kHeaderLines> lines;
    std::size_t line = 0;
    int lineBytes = 0;
    QByteArray text;
    for (qsizetype i = 0; i < bytes.size() && line < lines.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 10 && i > 0 && bytes[i - 1] == 13)
            continue;
        const bool end = byte == 13 || byte == 10 || ++lineBytes == kLineBytes;
        if (byte >= 32)
            text.append(char(byte));
        if (end) {
            lines[line++] = QString::fromLatin1(text);
            text.clear();
            lineBytes = 0;
        }
    }
    if (line < lines.size())
        lines[line] = QString::fromLatin1(text);
    return lines;
}

// The number of a header line; an empty or blank line reads `empty`.
double lineValue(const std::array<QString, kHeaderLines>& lines, int number, const QString& name, double empty = 0.0)
{
    return FieldNumber(lines[static_cast<std::size_t>(number - 1)], name).value_or(empty);
}

// What the header says of every run: recorded from the stop angle back, and the temperatures.
struct RunFacts {
    bool reversed = false;
    double machineTemp = 0;
    double gaugeTemp = 0;
};

RunFacts applyHeader(Case& c, const ReadContext& ctx)
{
    CaseHeader& h = c.Header;
    CaseData& d = c.Data;
    const QString& fileName = h[HdrFilename];
    const auto lines = headerLines(WithoutByteOrderMark(ctx.read(fileName)));

    h[HdrMachine] = lines[0];
    d.TestDate = DateFromDmy(lines[2], ctx.currentTime());
    h[HdrDate] = ShortDateText(d.TestDate);
    d.TestRadius = LengthValue(lineValue(lines, 4, QStringLiteral("Radius")), QStringLiteral("Radius"));
    d.BallBarLength = SingleValue(d.TestRadius, QStringLiteral("Radius"));
    RunFacts facts;
    // An empty temperature is as good as none: the base temperature, not 0 degrees.
    const auto temperature = [&](int line, const QString& name) {
        return TemperatureValue(lineValue(lines, line, name, ctx.baseTemperature), name);
    };
    const auto coefficient = [&](int line, const QString& name) {
        return FixedText(CoefficientValue(lineValue(lines, line, name), name), "###0.00####");
    };
    facts.machineTemp = temperature(5, QStringLiteral("Machine temperature"));
    h[HdrMachineExp] = coefficient(6, QStringLiteral("Machine expansion"));
    facts.gaugeTemp = temperature(7, QStringLiteral("Gauge temperature"));
    h[HdrGaugeExp] = coefficient(8, QStringLiteral("Gauge expansion"));

    const int64_t start = WholeInt16(lineValue(lines, 12, QStringLiteral("Start angle")), QStringLiteral("Start angle"));
    const int64_t stop = WholeInt16(lineValue(lines, 13, QStringLiteral("Stop angle")), QStringLiteral("Stop angle"));
    // Equal angles hold no arc here (no full circle as in other formats): no points.
    if (start == stop)
        throw FormatError(Translate("The measurement holds fewer than three points."));
    facts.reversed = start > stop;
    SetArcFromHeader(d, start, stop);

    h[HdrBy].clear();
    h[HdrLength] = FixedText(d.BallBarLength, "###0.000");
    const qsizetype dot = fileName.indexOf(u'.', PathOfFile(fileName).size());
    h[HdrPlane] = dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
    h[HdrFeedrate] = FixedText(SingleRangeValue(lineValue(lines, 15, QStringLiteral("Feedrate")), QStringLiteral("Feedrate")),
                               "#####0");
    h[HdrStatDyn] = QStringLiteral("D");
    d.Dynamic = true;
    d.Calibrated = true;
    d.OptionFlag = false;

    const double perCircle = lineValue(lines, 16, QStringLiteral("Points"));
    const int64_t points = WholeInt64(perCircle * d.SweepAngle / 360.0, QStringLiteral("Points"));
    if (points < kMinRunPoints)
        throw FormatError(Translate("The measurement holds fewer than three points."));
    int64_t kept = points;
    const int64_t limit = std::max(1, ctx.maxPoints);
    if (kept > limit) {
        const int64_t factor = kept / limit + 1;
        kept = static_cast<int64_t>(std::nearbyint(double(kept) / double(factor)));
    }
    CheckRunPoints(kept, ctx.maxPoints, 1);
    d.MaxTargets = static_cast<int16_t>(kept);
    // The count and rate of the points the case holds, as every reader gives a thinned case.
    h[HdrMaxTargets] = QString::number(kept);
    h[HdrSampling] = SamplingRateText(c);
    for (int slot : {HdrCustomer, HdrComment, HdrOrigX, HdrOrigY, HdrOrigZ})
        h[slot].clear();
    return facts;
}

// One point file into row run: MaxTargets points, point k the mean of the samples up to
// round((k + 1) x step - 1), a point without a sample repeating the one before.
void readPoints(CaseData& d, const QByteArray& bytes, int run)
{
    const auto word = [&bytes](int64_t index) {
        return qFromLittleEndian<int32_t>(bytes.constData() + index * 4);
    };
    const int64_t words = bytes.size() / 4;
    if (words < 2)
        throw ShortFileError(Translate("Point file %1 ends before its sample count.").arg(run));
    const int64_t first = word(0);
    const int64_t count = word(1);
    if (first < 1 || count < 1)
        throw FormatError(Translate("Point file %1 names no samples.").arg(run));
    if (2 + (first - 1) + count > words)
        throw ShortFileError(Translate("Point file %1 ends before its last sample.").arg(run));

    const int points = d.MaxTargets;
    const float step = float(count) / float(points);
    const int64_t base = 2 + (first - 1);
    int64_t j = 0;
    for (int k = 0; k < points; ++k) {
        const auto last = static_cast<int64_t>(std::nearbyint(float(k + 1) * step - 1.0f));
        int64_t sum = 0;
        int64_t read = 0;
        for (; j <= last && j < count; ++j, ++read)
            sum += word(base + j);
        if (read > 0)
            d.Readings(run, k) = double(sum) * 1e-6 / double(read);
        else if (k > 0)
            d.Readings(run, k) = d.Readings(run, k - 1);
        else
            throw FormatError(Translate("Point file %1 has no sample for its first point.").arg(run));
    }
    d.RunTargets[static_cast<std::size_t>(run)] = static_cast<int16_t>(points);
}

// The point files of the header file: its stem with "a" (or "c") for the final "g", its two-letter
// extension and one character more.
QString pointPattern(const QString& headerFile, QChar kind)
{
    const QString name = FileNameOfPath(headerFile);
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 1)
        throw FormatError(Translate("The header file name has no extension."));
    QString pattern = name.left(dot + 3) + u'?';
    pattern[dot - 1] = kind;
    return pattern;
}

} // namespace

QDateTime DateFromDmy(const QString& text, const QDateTime& now)
{
    const QStringList parts = text.split(u'-');
    if (parts.size() < 3)
        return now;
    const auto number = [](const QString& part) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        if (!ok)
            throw FormatError(Translate("The date \"%1\" is not day-month-year.").arg(part));
        return WholeInt64(value, QStringLiteral("Date"));
    };
    const int64_t day = number(parts[0]);
    const int64_t month = number(parts[1]);
    int64_t year = number(parts.mid(2).join(u'-'));
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    return RolledDate(year, month, day);
}

ReadResult ReadContiSureHeader(Case& c, const ReadContext& ctx)
{
    try {
        applyHeader(c, ctx);
        return ReadResult::success();
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kContiSureHeaderLocation), AppError::fromException(std::current_exception()));
    }
}

ReadResult ReadContiSure(Case& c, const ReadContext& ctx)
{
    ResetRuns(c);
    ClearUncarriedFields(c);
    RunFacts facts;
    try {
        facts = applyHeader(c, ctx);
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kContiSureHeaderLocation), AppError::fromException(std::current_exception()));
    }
    CaseData& d = c.Data;
    int runs = 0;
    try {
        const QString headerFile = c.Header[HdrFilename];
        const QString folder = PathOfFile(headerFile);
        for (const auto& [kind, direction] : {std::pair{u'a', 1}, std::pair{u'c', -1}}) {
            for (const QString& path : ctx.list(folder, pointPattern(headerFile, QChar(kind)))) {
                if (runs >= kMaxRuns)
                    break;
                ++runs;
                readPoints(d, ctx.read(path), runs);
                const auto r = static_cast<std::size_t>(runs);
                d.RunDirection[r] = static_cast<int16_t>(direction);
                d.GaugeTemp[r] = facts.gaugeTemp;
                d.MachineTemp[r] = facts.machineTemp;
            }
        }
        if (runs == 0)
            return ReadResult::refused(Translate("Point file could not be found."), MessageIcon::Warning);
        FinishRuns(d, runs);
        if (facts.reversed) {
            for (int run = 1; run <= runs; ++run) {
                const int n = d.RunTargets[static_cast<std::size_t>(run)];
                for (int k = 0; k < n / 2; ++k)
                    std::swap(d.Readings(run, k), d.Readings(run, n - 1 - k));
            }
        }
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kContiSureLocation), AppError::fromException(std::current_exception()));
    }
    return ConfirmMachine(c, ctx);
}

} // namespace sarvo::files
