#include "files/optodyne.h"

#include "analysis/angles.h"
#include "analysis/circle_fit.h"
#include "analysis/kelvox_binding.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "files/reader_support.h"
#include "files/text_items.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

namespace sarvo::files {

namespace {

constexpr int kHeaderLines = 39;
constexpr double kUnitsPerMm = 100000; // samples are held in 10 nm
constexpr double kMmPerInch = 25.4;

// A header line as key and value: the key is the whole text before the first "=", without its
// surrounding blanks, so a value that merely contains a key's word ("Comments=Community
// college", "User=NoDate") keeps its own line. nullopt for a line without "=".
struct HeaderLine {
    QString key;
    QString value;
};
std::optional<HeaderLine> headerLine(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    return HeaderLine{line.left(equals).trimmed(), line.mid(equals + 1)};
}

int32_t wholeInt32(double value, const QString& name)
{
    const int64_t whole = WholeInt64(value, name);
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
        throw AppError(AppError::kOverflow, Translate("The value of \"%1\" is out of range.").arg(name));
    return static_cast<int32_t>(whole);
}

// The text lines of a file: CR, LF and CR LF each end one line, as files from either platform
// hold them. position() is where the line after the last one read begins.
class LineReader {
public:
    explicit LineReader(const QByteArray& bytes) : bytes_(bytes) {}

    std::optional<QByteArray> next()
    {
        if (pos_ >= bytes_.size())
            return std::nullopt;
        qsizetype end = pos_;
        while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n')
            ++end;
        QByteArray line = bytes_.mid(pos_, end - pos_);
        if (end < bytes_.size() && bytes_[end] == '\r' && end + 1 < bytes_.size() && bytes_[end + 1] == '\n')
            ++end;
        pos_ = end + 1;
        return line;
    }
    qsizetype position() const { return pos_; }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

// The numbers after the "optodyne" line, separated by commas, blanks or line ends.
class NumberReader {
public:
    NumberReader(const QByteArray& bytes, qsizetype from) : bytes_(bytes), pos_(from) {}

    std::optional<double> next()
    {
        const auto separator = [](char ch) { return ch == ',' || ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
        while (pos_ < bytes_.size() && separator(bytes_[pos_]))
            ++pos_;
        if (pos_ >= bytes_.size())
            return std::nullopt;
        const qsizetype begin = pos_;
        while (pos_ < bytes_.size() && !separator(bytes_[pos_]))
            ++pos_;
        const QString token = QString::fromLatin1(QByteArrayView(bytes_).sliced(begin, pos_ - begin));
        const auto value = ParseNumber(token);
        if (!value && IsNumberBeyondRange(token))
            throw OutOfRangeError(QStringLiteral("2-D sample"));
        if (!value)
            throw FormatError(Translate("A value of the 2-D file is not a number."));
        return *value;
    }

    // index, value, aux; nullopt at the end of the data.
    std::optional<std::array<double, 3>> record()
    {
        std::array<double, 3> r{};
        for (double& v : r) {
            const auto value = next();
            if (!value)
                return std::nullopt;
            v = *value;
        }
        return r;
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_;
};

// The line after "optodyne" and the start level of the lines before it; nullopt without that line.
struct DataStart {
    qsizetype position = 0;
    double startLevel = 0;
};
std::optional<DataStart> findData(const QByteArray& bytes)
{
    DataStart start;
    LineReader lines(bytes);
    while (const auto line = lines.next()) {
        const qsizetype pos = lines.position();
        if (line->trimmed().toLower() == "optodyne")
            return pos < bytes.size() ? std::optional(DataStart{pos, start.startLevel}) : std::nullopt;
        const auto header = headerLine(QString::fromLatin1(*line));
        if (header && header->key == u"StartLevel")
            start.startLevel = CheckedLeadingNumber(header->value, QStringLiteral("StartLevel"));
    }
    return std::nullopt;
}

float fitCrossing(const std::array<int32_t, kOptoPreSamples>& y, const std::array<float, kOptoPreSamples>& x)
{
    std::array<float, 2 * kOptoPreSamples> design{};
    for (int i = 0; i < kOptoPreSamples; ++i) {
        design[static_cast<std::size_t>(i)] = x[static_cast<std::size_t>(i)];
        design[static_cast<std::size_t>(kOptoPreSamples + i)] = 1.0f;
    }
    std::array<float, 2 * kOptoPreSamples> inverse{};
    KelvoxCalcPinv(inverse.data(), design.data(), 2, kOptoPreSamples);
    double slope = 0;
    double offset = 0;
    for (std::size_t i = 0; i < std::size_t(kOptoPreSamples); ++i) {
        slope += double(inverse[2 * i]) * y[i];
        offset += double(inverse[2 * i + 1]) * y[i];
    }
    const double crossing = -offset / slope;
    if (!std::isfinite(crossing) || std::abs(crossing) > std::numeric_limits<float>::max())
        throw FormatError(Translate("The signal before the trigger of a 2-D file gives no start point."));
    return float(crossing);
}

int32_t roundedSample(double value)
{
    return wholeInt32(value, QStringLiteral("2-D sample"));
}

// a(i) := a(i) - b(i)^2 x c over the samples both files hold.
void subtractSquare(std::vector<int32_t>& a, const std::vector<int32_t>& b, int n, double c)
{
    for (std::size_t i = 0; i < std::size_t(n); ++i)
        a[i] = roundedSample(double(a[i]) - double(b[i]) * double(b[i]) * c);
}

// The samples of one turn whose abscissa in a file carries the resampling flag.
struct Flags {
    int64_t samples = 0;                // samples of the turn
    std::array<int64_t, 2> flagged{};   // by file (direction 0, direction 1)
    int startFile = -1;                 // the file that flags the turn's first radius, -1 for none
};

// One turn of samples into points of radial deviation (mm) in readings row run; the points. A
// flagged sample repeats the radius before it; flags counts them and names the file of one met
// before any radius.
int findSegment(const OptoData& d0, const OptoData& d1, int count0, int count1, int lap, CaseData& data,
                double radius, int dir, int run, int limit, Flags& flags)
{
    const int64_t f = lap > limit ? lap / limit + 1 : 1;
    const auto m = static_cast<int64_t>(std::nearbyint(double(lap) / double(f)));
    auto q = static_cast<int64_t>(std::nearbyint(double(lap) / 2.0 - double(f * dir) / 2.0));
    CheckRunPoints(m, limit, run);
    if (q < 0 || q + m * f - 1 >= std::min(count0, count1))
        throw FormatError(Translate("The 2-D files end before one turn of the circle."));
    double r = 0;
    bool anyRadius = false;
    flags.samples = m * f;
    for (int64_t p = 0; p < m; ++p) {
        double sum = 0;
        for (int64_t s = 0; s < f; ++s, ++q) {
            const auto i = static_cast<std::size_t>(q);
            const bool flagged0 = d0.aux[i] == -1.0f;
            const bool flagged1 = d1.aux[i] == -1.0f;
            flags.flagged[0] += flagged0;
            flags.flagged[1] += flagged1;
            if (!flagged0 && !flagged1) {
                r = std::sqrt(double(d0.values[i]) * d0.values[i] + double(d1.values[i]) * d1.values[i]);
                anyRadius = true;
            } else if (!anyRadius && flags.startFile < 0) {
                flags.startFile = flagged0 ? 0 : 1;
            }
            sum += r;
        }
        const int point = dir > 0 ? int(p) : int(m - 1 - p);
        data.Readings(run, point) = sum / double(f) / kUnitsPerMm - radius;
    }
    return int(m);
}

// The file the trigger alignment emptied and why, as the user is told it.
QString alignmentRefusal(const Flags& flags, const QString& name0, const QString& name1)
{
    const int file = flags.flagged[1] == flags.samples ? 1 : flags.flagged[0] == flags.samples ? 0 : flags.startFile;
    const QString reason =
        flags.flagged[std::size_t(file)] == flags.samples
            ? Translate("After the trigger alignment no sample of this file lies on the common time grid, "
                        "so no run can be built from it.")
            : Translate("After the trigger alignment the turn begins at a sample of this file that lies off "
                        "the common time grid, so the run would start without a measured radius.");
    return (file == 0 ? name0 : name1) + "\r\n" + reason;
}

} // namespace

OptoHeader OptoReadHeader(const QByteArray& file, const QDateTime& now)
{
    const QByteArray bytes = WithoutByteOrderMark(file);
    static const char* const kKeys[] = {"Date", "Machine", "User", "Unit", "Comments", "Feedrate",
                                        "MeasurementPlan", "MeasurementDirection2", "Trigger", "Radius",
                                        "Rotation", "NumberOfDataPoints", "StartX", "StartY", "StartZ",
                                        "MirrorConvexity"};
    OptoHeader h;
    h.date = now;
    LineReader lines(bytes);
    for (int n = 0; n < kHeaderLines; ++n) {
        const auto bytesOfLine = lines.next();
        if (!bytesOfLine)
            break;
        const auto header = headerLine(QString::fromLatin1(*bytesOfLine));
        if (!header)
            continue;
        int key = -1;
        for (int k = 0; k < int(std::size(kKeys)) && key < 0; ++k) {
            if (header->key.compare(QLatin1String(kKeys[k]), Qt::CaseInsensitive) == 0)
                key = k;
        }
        if (key < 0)
            continue;
        const QString& value = header->value;
        const QString name = QString::fromLatin1(kKeys[key]);
        // The keys after Comments are numbers; the date is three, and the others hold any text.
        const double number = key > 4 ? CheckedLeadingNumber(value, name) : 0.0;
        switch (key) {
        case 0: {
            const int64_t month = WholeInt64(CheckedLeadingNumber(value, name), name);
            const int64_t day = WholeInt64(CheckedLeadingNumber(value.mid(3), name), name);
            int64_t year = WholeInt64(CheckedLeadingNumber(value.mid(6), name), name);
            year += year >= 71 ? 1900 : 2000;
            h.date = RolledDate(year, month, day);
            break;
        }
        case 1: h.machine = value; break;
        case 2: h.user = value; break;
        case 3: h.inch = value == u"I"; break;
        case 4: h.comments = value; break;
        case 5: h.feedrate = number; break;
        case 6: {
            const int16_t plane = WholeInt16(number, name);
            h.plane = plane == 1 ? QStringLiteral("zx") : plane == 2 ? QStringLiteral("yz") : QStringLiteral("xy");
            break;
        }
        case 7: h.direction = WholeInt16(number, name); break;
        case 8: h.trigger = WholeInt16(number, name); break;
        case 9: h.radius = number; break;
        case 10: h.rotation = WholeInt16(number, name); break;
        case 11: h.pointCount = wholeInt32(number, name); break;
        case 12: h.startX = SingleValue(number, name); break;
        case 13: h.startY = SingleValue(number, name); break;
        case 14: h.startZ = SingleValue(number, name); break;
        default: h.mirrorConvexity = number; break;
        }
    }
    if (h.inch) {
        h.feedrate = FiniteValue(h.feedrate * kMmPerInch, QStringLiteral("Feedrate"));
        h.radius = FiniteValue(h.radius * kMmPerInch, QStringLiteral("Radius"));
        h.startX = SingleValue(h.startX * kMmPerInch, QStringLiteral("StartX"));
        h.startY = SingleValue(h.startY * kMmPerInch, QStringLiteral("StartY"));
        h.startZ = SingleValue(h.startZ * kMmPerInch, QStringLiteral("StartZ"));
    }
    return h;
}

OptoData OptoReadData(const QByteArray& file, int n, double scale, int triggerIndex)
{
    const QByteArray bytes = WithoutByteOrderMark(file);
    OptoData data;
    const auto start = findData(bytes);
    if (!start)
        return data;
    NumberReader reader(bytes, start->position);
    std::array<int64_t, 4> k{};
    for (int64_t& value : k) {
        const auto whole = reader.next();
        if (!whole || !reader.next())
            return data;
        value = WholeInt64(*whole, QStringLiteral("optodyne"));
    }
    const int64_t span = k[3] - k[1];
    int64_t first = 0;
    int64_t last = 0;
    if (triggerIndex == -1) {
        first = WholeInt16(double(k[1]), QStringLiteral("optodyne"));
        last = first + span;
    } else if (triggerIndex != 0) {
        first = triggerIndex;
        last = first + span;
    } else {
        first = WholeInt64(double(n) * double(span) / 4.0 + double(k[1]), QStringLiteral("optodyne"));
        last = WholeInt64(double(n) * double(span) / 4.0 + double(k[3]), QStringLiteral("optodyne"));
    }
    for (std::size_t i = 0; i < std::size_t(kOptoPreSamples); ++i) {
        const auto record = reader.record();
        if (!record)
            return data;
        data.preValues[i] = roundedSample(((*record)[1] - start->startLevel) * scale);
        data.preAux[i] = SingleValue((*record)[2], QStringLiteral("2-D abscissa"));
    }
    bool started = false;
    while (int(data.values.size()) < kOptoMaxSamples) {
        const auto record = reader.record();
        if (!record)
            break;
        const double index = (*record)[0];
        started = started || index == double(first);
        if (!started)
            continue;
        data.values.push_back(roundedSample((*record)[1] * scale));
        data.aux.push_back(SingleValue((*record)[2], QStringLiteral("2-D abscissa")));
        if (index >= double(last))
            break;
    }
    return data;
}

QList<OptoCase> OptoMatchFiles(const QList<std::optional<OptoHeader>>& headers)
{
    QList<OptoCase> cases;
    for (qsizetype k = 0; k < headers.size(); ++k) {
        const auto& h = headers[k];
        if (!h || h->direction < 0 || h->direction > 2 || h->rotation < 0 || h->rotation > 2)
            continue;
        auto match = std::find_if(cases.begin(), cases.end(), [&h](const OptoCase& c) {
            const OptoHeader& o = c.header;
            return o.date == h->date && o.plane == h->plane && o.radius == h->radius && o.feedrate == h->feedrate &&
                   o.user == h->user;
        });
        if (match == cases.end()) {
            cases.append(OptoCase{*h, {}});
            match = cases.end() - 1;
        }
        match->files[std::size_t(h->direction)][std::size_t(h->rotation)] = int(k + 1);
    }
    for (OptoCase& c : cases) {
        for (std::size_t r = 1; r <= 2; ++r) {
            if (c.files[0][r] == 0 || c.files[1][r] == 0)
                c.files[0][r] = c.files[1][r] = 0;
        }
    }
    cases.removeIf([](const OptoCase& c) { return c.files[0][1] == 0 && c.files[0][2] == 0; });
    return cases;
}

int32_t OptoMean(const std::vector<int32_t>& a, int n)
{
    double sum = 0;
    for (std::size_t i = 0; i < std::size_t(std::max(n, 0)); ++i)
        sum += a[i];
    return n > 0 ? roundedSample(sum / n) : 0;
}

double OptoMeanStep(const std::vector<float>& a, int n, double nominal)
{
    const double tolerance = nominal / 20;
    double sum = 0;
    int count = 0;
    for (std::size_t i = 1; i < std::size_t(std::max(n, 0)); ++i) {
        const float d = a[i] - a[i - 1];
        if (std::abs(double(d) - nominal) < tolerance) {
            sum += d;
            ++count;
        }
    }
    return count > 0 ? sum / count : nominal;
}

// One pass: position i of the output is grid point i x step; the input sample waiting for it is
// consumed, interpolated, kept, dropped or left for the next grid point.
void OptoResample(std::vector<int32_t>& y, std::vector<float>& x, int& n, double step)
{
    if (n < 1)
        return;
    const auto inputCount = static_cast<std::size_t>(n);
    std::vector<int32_t> outY{y[0]};
    std::vector<float> outX{x[0]};
    outY.reserve(y.size());
    outX.reserve(x.size());
    const double half = step / 2;
    const auto push = [&](double value, float abscissa) {
        if (outY.size() >= std::size_t(kOptoMaxSamples))
            throw FormatError(Translate("A 2-D file holds more than %1 samples after resampling.").arg(kOptoMaxSamples));
        outY.push_back(roundedSample(value));
        outX.push_back(abscissa);
    };
    std::size_t in = 1;
    for (std::size_t i = 1; i < inputCount && in < inputCount;) {
        const double t = double(i) * step;
        const double cy = y[in];
        const float cx = x[in];
        const double prevY = outY[i - 1];
        if (float(t + step) < cx) {
            push(cy + (prevY - cy) * (cx - t) / (cx - t + step), -1.0f);
        } else if (float(t) < cx) {
            push(cy + (prevY - cy) * (cx - t) / (cx - t + step), cx - t > half ? -1.0f : cx);
            ++in;
        } else if (float(t) == cx) {
            push(cy, cx);
            ++in;
        } else if (in + 1 < inputCount) {
            if (t - cx <= half) {
                push(cy + (double(y[in + 1]) - cy) * (t - cx) / (double(x[in + 1]) - cx), cx);
                ++in;
            } else {
                ++in; // dropped: the same grid point takes the next sample
                continue;
            }
        } else {
            push(cy, cx);
            ++in;
        }
        ++i;
    }
    for (; in < inputCount; ++in)
        push(y[in], x[in]);
    n = int(outY.size());
    std::fill(y.begin(), y.end(), 0);
    std::fill(x.begin(), x.end(), 0.0f);
    if (y.size() < outY.size()) {
        y.resize(outY.size());
        x.resize(outX.size());
    }
    std::copy(outY.begin(), outY.end(), y.begin());
    std::copy(outX.begin(), outX.end(), x.begin());
}

int OptoFindLap(const std::vector<int32_t>& y, const std::vector<int32_t>& x, int count0, int count1)
{
    const int count = std::min(count0, count1);
    if (count < 2)
        return 0;
    const auto angle = [&](std::size_t i) { return AngleDeg(float(y[i]), float(x[i])); };
    const float a0 = angle(0);
    const float sense = angle(1) > a0 ? 1.0f : -1.0f;
    const float half = a0 + 180 * sense;
    const float oneAndHalf = a0 + 540 * sense;
    const auto beyond = [sense](float a, float target) { return sense > 0 ? a > target : a < target; };
    int first = 0;
    float offset = 0;
    float previous = a0;
    // Samples past the shorter file belong to no pair.
    for (int i = 1; i < count; ++i) {
        float a = angle(std::size_t(i)) + offset;
        if (sense > 0 && previous - 10 > a) {
            offset += 360;
            a += 360;
        } else if (sense < 0 && previous + 10 < a) {
            offset -= 360;
            a -= 360;
        }
        previous = a;
        if (first == 0) {
            if (beyond(a, half))
                first = i;
        } else if (beyond(a, oneAndHalf)) {
            return i - first;
        }
    }
    return -first;
}

ReadResult OptoReadFile(Case& c, const OptoCase& optoCase, const QStringList& names, const ReadContext& ctx)
{
    try {
        const OptoHeader& h = optoCase.header;
        CaseHeader& hdr = c.Header;
        CaseData& d = c.Data;
        ResetRuns(c);
        ClearUncarriedFields(c);
        const double scale = h.inch ? kMmPerInch * kUnitsPerMm : kUnitsPerMm;
        d.TestRadius = LengthValue(h.radius, QStringLiteral("Radius"));
        d.BallBarLength = SingleValue(d.TestRadius, QStringLiteral("Radius"));
        SetCheckedAngles(d, -180, 180);
        const auto nameOf = [&names](int number) {
            if (number < 1 || number > names.size() || names[number - 1].isEmpty())
                throw FormatError(Translate("A 2-D case needs the files of both directions of a rotation."));
            return names[number - 1];
        };

        int run = 0;
        QString fileList;
        for (std::size_t r = 1; r <= 2; ++r) {
            const int trigger = h.trigger == 1 ? -1 : 0;
            if (optoCase.files[0][r] <= 0)
                continue;
            const QString name0 = nameOf(optoCase.files[0][r]);
            const QString name1 = nameOf(optoCase.files[1][r]);
            OptoData d0 = OptoReadData(ctx.read(name0), 0, scale, trigger);
            OptoData d1 = OptoReadData(ctx.read(name1), 3 - 2 * int(r), scale, trigger);
            int count0 = int(d0.values.size());
            int count1 = int(d1.values.size());
            if (count0 < 2 || count1 < 2)
                throw FormatError(Translate("A 2-D file holds fewer than two samples in its window."));
            // Equal sizes, zero beyond the samples: neither file reads the other's leftovers.
            for (OptoData* data : {&d0, &d1}) {
                data->values.resize(kOptoMaxSamples);
                data->aux.resize(kOptoMaxSamples);
            }
            const int32_t mean0 = OptoMean(d0.values, count0);
            const int32_t mean1 = OptoMean(d1.values, count1);
            if (fileList.isEmpty())
                fileList = PathOfFile(name0);
            if (run == 0 && r == 2)
                fileList += QStringLiteral("  "); // the empty places of rotation 1 keep the form's order
            fileList += u' ' + FileNameOfPath(name0) + u' ' + FileNameOfPath(name1);

            const float shift = fitCrossing(d0.preValues, d0.preAux) - fitCrossing(d1.preValues, d1.preAux);
            for (std::size_t i = 0; i < std::size_t(count1); ++i)
                d1.aux[i] = SingleValue(double(d1.aux[i] + shift), QStringLiteral("2-D abscissa"));
            for (std::size_t i = 0; i < std::size_t(count0); ++i)
                d0.values[i] = roundedSample(double(d0.values[i]) - mean0);
            for (std::size_t i = 0; i < std::size_t(count1); ++i)
                d1.values[i] = roundedSample(double(d1.values[i]) - mean1);

            const double nominal = double(d0.aux[std::size_t(count0 - 1)] / float(count0 - 1));
            const double step = OptoMeanStep(d0.aux, count0, nominal);
            if (!std::isfinite(step) || !(step > 0))
                throw FormatError(Translate("The abscissas of a 2-D file do not rise."));
            OptoResample(d0.values, d0.aux, count0, step);
            OptoResample(d1.values, d1.aux, count1, step);

            const double convexity = h.mirrorConvexity / scale;
            subtractSquare(d0.values, d1.values, count0, convexity);
            subtractSquare(d1.values, d0.values, count1, convexity);

            const int lap = OptoFindLap(d0.values, d1.values, count0, count1);
            if (lap <= 0)
                throw FormatError(Translate("The 2-D files end before one and a half turns of the circle."));
            ++run;
            const auto k = static_cast<std::size_t>(run);
            d.RunDirection[k] = static_cast<int16_t>(2 * int(r) - 3);
            Flags flags;
            d.RunTargets[k] = static_cast<int16_t>(findSegment(d0, d1, count0, count1, lap, d, d.TestRadius,
                                                               d.RunDirection[k], run, RunPointLimit(ctx.maxPoints),
                                                               flags));
            // A flagged sample before the turn's first radius would enter the run as a reading
            // of -Radius: the run would look like a circle and mislead every result after it.
            if (flags.startFile >= 0)
                return ReadResult::refused(alignmentRefusal(flags, name0, name1), MessageIcon::Critical);
            const std::span<double> readings(&d.Readings(run, 0), std::size_t(d.RunTargets[k]));
            const PointArc arc{d.StartAngle, d.SweepAngle, true}; // a 2-D case is dynamic
            const LscCircle centre = CalcLSCRun(readings, arc, d.TestRadius);
            RecentreRun(readings, arc, centre.CX, centre.CY, d.TestRadius, d.TestRadius);
            d.GaugeTemp[k] = 20;
            d.MachineTemp[k] = 20;
        }
        if (run == 0)
            throw FormatError(Translate("A 2-D case needs the files of both directions of a rotation."));
        hdr[HdrFilename] = fileList;
        d.Dynamic = true;
        FinishRuns(d, run);
        d.Calibrated = true;
        d.OptionFlag = true;
        d.TestDate = h.date;

        hdr[HdrMachine] = h.machine;
        hdr[HdrDate] = GeneralDateText(h.date);
        hdr[HdrBy] = h.user;
        hdr[HdrLength] = FixedText(d.BallBarLength, "###0.000#");
        hdr[HdrPlane] = h.plane;
        hdr[HdrFeedrate] = FixedText(SingleRangeValue(h.feedrate, QStringLiteral("Feedrate")), "#####0");
        hdr[HdrStatDyn] = QStringLiteral("D");
        hdr[HdrMaxTargets] = u' ' + QString::number(d.MaxTargets);
        hdr[HdrSampling] = SamplingRateText(c);
        hdr[HdrCustomer].clear();
        hdr[HdrComment] = h.trigger == 1
                              ? h.comments
                              : Translate("Results are unreliable because trigger was not used in the measurement.");
        hdr[HdrOrigX] = FixedText(h.startX, "#####0.0##");
        hdr[HdrOrigY] = FixedText(h.startY, "#####0.0##");
        hdr[HdrOrigZ] = FixedText(h.startZ, "#####0.0##");
        hdr[HdrGaugeExp] = FixedText(0, "###0.00####");
        hdr[HdrMachineExp] = FixedText(0, "###0.00####");
        return ReadResult::success();
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kOptodyneLocation), AppError::fromException(std::current_exception()));
    }
}

ReadResult ReadOptodyneForm(Case& c, const QString& form, const ReadContext& ctx)
{
    QString reason;
    const auto parsed = Parse2dForm(form, &reason);
    if (!parsed)
        return ReadResult::refused(form + "\r\n" + reason, MessageIcon::Critical);
    QStringList names;
    for (const QString& name : parsed->names)
        names << (name.isEmpty() ? QString() : parsed->folder + name);
    OptoCase optoCase;
    try {
        const QString& headerFile = !names[0].isEmpty() ? names[0] : names[2];
        optoCase.header = OptoReadHeader(ctx.read(headerFile), ctx.currentTime());
    } catch (...) {
        return ReadResult::error(QString::fromLatin1(kOptodyneLocation), AppError::fromException(std::current_exception()));
    }
    for (int slot = 0; slot < 4; ++slot) {
        if (!names[slot].isEmpty())
            optoCase.files[std::size_t(slot % 2)][std::size_t(slot / 2 + 1)] = slot + 1;
    }
    return OptoReadFile(c, optoCase, names, ctx);
}

QList<TwoDCase> ListOptodyneCases(const QString& folder, const QStringList& paths, const ReadContext& ctx,
                                  const std::function<QString(double)>& feedrateText)
{
    QList<std::optional<OptoHeader>> headers;
    for (const QString& path : paths) {
        try {
            headers.append(OptoReadHeader(ctx.read(path), ctx.currentTime()));
        } catch (...) {
            headers.append(std::nullopt); // one unreadable file does not hide the others
        }
    }
    QList<TwoDCase> cases;
    for (const OptoCase& c : OptoMatchFiles(headers)) {
        const OptoHeader& h = c.header;
        QString form = folder;
        for (std::size_t r = 1; r <= 2; ++r) {
            for (std::size_t direction = 0; direction <= 1; ++direction) {
                const int number = c.files[direction][r];
                form += u' ' + (number > 0 ? FileNameOfPath(paths[number - 1]) : QString());
            }
        }
        while (form.endsWith(u' '))
            form.chop(1);
        cases.append({QStringList{h.user, GeneralDateText(h.date), h.plane, feedrateText(h.feedrate)}.join(u' '), form});
    }
    return cases;
}

} // namespace sarvo::files
