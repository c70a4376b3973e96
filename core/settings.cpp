#include "core/settings_file.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "core/checked_math.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/units.h"
#include "core/utilities.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace sarvo {

namespace {

constexpr int32_t kMaxPointsLimit = 8000;

// One key of the file: its default text, how its text is read into the settings (throwing
// AppError for a value that cannot be read) and how the settings are written back.
struct KeySpec {
    QString section;
    QString key;
    QString defaultText;
    std::function<void(const QString&)> read;
    std::function<QString()> write;
};

bool readTruth(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare("True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare("False", Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double v = QLocale::c().toDouble(QString(t).replace(',', '.'), &isNumber);
    if (!isNumber)
        throw AppError::typeMismatch();
    return v != 0.0;
}

QString truthText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString plain(qint64 value)
{
    return QString::number(value);
}

QString formatted(double value, const char* pattern)
{
    return FormatNumber(value, QString::fromLatin1(pattern), QLocale::c());
}

// StrToDbl, where a number beyond the range of a double is refused instead of read as 0.
double readBoundedNumber(const QString& text)
{
    if (!LeadingNumberInRange(QString(text).replace(u',', u'.')))
        throw AppError::overflow();
    return StrToDbl(text);
}

double readTemperature(const QString& text)
{
    const double t = readBoundedNumber(text);
    if (!IsUsableTemperature(t))
        throw AppError::invalidCall();
    return t;
}

double readCoefficient(const QString& text)
{
    const double c = readBoundedNumber(text);
    if (!IsUsableExpansionCoefficient(c))
        throw AppError::invalidCall();
    return c;
}

int16_t leadingInt16(const QString& text)
{
    return CheckedInt16(LeadingNumber(text));
}

int32_t leadingInt32(const QString& text)
{
    return CheckedInt32(LeadingNumber(text));
}

std::vector<KeySpec> flatKeys(Settings& s, const QString& appPath)
{
    const QString universal = "Universal", graph = "Graph", others = "Others";
    return {
        {universal, "Language", "English", [&](const QString& t) { s.Language = t; }, [&] { return s.Language; }},
        {universal, "Units", "0", [&](const QString& t) { s.UnitsInch = leadingInt16(t) != 0; },
         [&] { return plain(s.UnitsInch ? -1 : 0); }},
        {universal, "Fault tree", appPath + "trezel.exe", [&](const QString& t) { s.FaultTreePath = t; },
         [&] { return s.FaultTreePath; }},
        // Read locale-free and written with ".", so a change of the user's locale never breaks the file.
        {graph, "Grid", "10", [&](const QString& t) { s.GraphScale = StrToDbl(t); },
         [&] { return ShortestDecimal(s.GraphScale); }},
        {others, "Toolbar", "True", [&](const QString& t) { s.ToolbarVisible = readTruth(t); },
         [&] { return truthText(s.ToolbarVisible); }},
        {others, "Extension", "rtb", [&](const QString& t) { s.DefaultExtension = t; }, [&] { return s.DefaultExtension; }},
        {others, "Maximum points", "2500", [&](const QString& t) { s.MaxPoints = SetMaxPoints(leadingInt32(t)); },
         [&] { return plain(s.MaxPoints); }},
    };
}

std::vector<KeySpec> configureKeys(Settings& s)
{
    const QString configure = "Configure", defaults = "Default";
    return {
        {configure, "Serial Number", "123456789", [&](const QString& t) { s.SerialNumber = t; }, [&] { return s.SerialNumber; }},
        {configure, "Gauge Exp Coeff.", "11.5", [&](const QString& t) { s.GaugeExpCoeff = readCoefficient(t); },
         [&] { return formatted(s.GaugeExpCoeff, "##0.0#####"); }},
        {configure, "Calibrator Exp Coeff.", "11.5", [&](const QString& t) { s.CalibratorExpCoeff = readCoefficient(t); },
         [&] { return formatted(s.CalibratorExpCoeff, "##0.0#####"); }},
        {configure, "Machine Exp Coeff.", "0", [&](const QString& t) { s.MachineExpCoeff = readCoefficient(t); },
         [&] { return formatted(s.MachineExpCoeff, "##0.0#####"); }},
        {configure, "Temperature Units", Translate("Celsius"), [&](const QString& t) { s.TemperatureUnits = t; },
         [&] { return s.TemperatureUnits; }},
        // A factor of 0 would zero every captured reading.
        {configure, "Scale Factor", "1",
         [&](const QString& t) {
             const double f = StrToDbl(t);
             s.ScaleFactor = f == 0.0 ? 1.0 : f;
         },
         [&] { return formatted(s.ScaleFactor, "##0.0##########"); }},
        // The readings of a static point are averaged over this count; the capture raises a
        // count below 1 to 1, so 0 means one reading a point.
        {configure, "Static Measurements", "10",
         [&](const QString& t) { s.StaticMeasurements = CheckedInt16(StrToDbl(t)); },
         [&] { return formatted(s.StaticMeasurements, "##0"); }},
        {configure, "Reliability", "5.00", [&](const QString& t) { s.ReliabilitySetting = CheckedSingle(StrToDbl(t)); },
         [&] { return formatted(s.ReliabilitySetting, "##0.0#####"); }},
        {configure, "Max. Graph Update (ms)", "10", [&](const QString& t) { s.MaxGraphUpdate = CheckedInt32(StrToDbl(t)); },
         [&] { return formatted(s.MaxGraphUpdate, "##0.0#####"); }},
        {configure, "Ball Bar Type", "0",
         [&](const QString& t) {
             const int16_t type = CheckedInt16(StrToDbl(t));
             if (type < 0 || type > 3)
                 throw AppError::invalidCall();
             s.BallBarType = type;
         },
         [&] { return plain(s.BallBarType); }},
        {configure, "Communication", "COM1", [&](const QString& t) { s.CommPort = t; }, [&] { return s.CommPort; }},
        {configure, "AutoDetect", "True", [&](const QString& t) { s.AutoDetect = readTruth(t); },
         [&] { return truthText(s.AutoDetect); }},
        {configure, "Base Address", "C8000", [&](const QString& t) { s.BaseAddress = HexToLong(t); },
         [&] { return HexText32(s.BaseAddress); }},
        {configure, "I/O Address", "330", [&](const QString& t) { s.IoAddress = CheckedInt16(HexToLong(t)); },
         [&] { return HexText16(s.IoAddress); }},
        {configure, "IRQ Number", "12", [&](const QString& t) { s.IrqNumber = leadingInt16(t); }, [&] { return plain(s.IrqNumber); }},
        {configure, "Axis Number", "1", [&](const QString& t) { s.AxisNumber = leadingInt16(t); }, [&] { return plain(s.AxisNumber); }},
        {defaults, "Ball Bar Length", "150.000", [&](const QString& t) { s.BallBarLength = CheckedSingle(StrToDbl(t)); },
         [&] { return formatted(s.BallBarLength, "###0.0#####"); }},
        {defaults, "Test Radius", "150", [&](const QString& t) { s.DefaultTestRadius = CheckedSingle(StrToDbl(t)); },
         [&] { return formatted(s.DefaultTestRadius, "###0.0#####"); }},
        {defaults, "Base Temperature", "20", [&](const QString& t) { s.BaseTemperature = readTemperature(t); },
         [&] { return formatted(s.BaseTemperature, "##0.0#####"); }},
        {defaults, "Measured By", "", [&](const QString& t) { s.MeasuredBy = t; }, [&] { return s.MeasuredBy; }},
        {defaults, "Data path", "", [&](const QString& t) { s.DataPath = t; }, [&] { return s.DataPath; }},
    };
}

std::vector<KeySpec> recentKeys(Settings& s)
{
    std::vector<KeySpec> keys;
    for (int i = 0; i < kRecentListed; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        keys.push_back({"Recent File List", QString("File %1").arg(i), "",
                        [&s, slot](const QString& t) { s.RecentFile[slot] = t; }, [&s, slot] { return s.RecentFile[slot]; }});
        keys.push_back({"Recent File List", QString("ID %1").arg(i), "0",
                        [&s, slot](const QString& t) { s.RecentID[slot] = leadingInt32(t); },
                        [&s, slot] { return plain(s.RecentID[slot]); }});
    }
    return keys;
}

// The calibration entries i: Length i, Calibrator Length i (default: the entry's length), Offset i,
// Calibrated i; the first entry whose length is 0 ends the table.
std::vector<KeySpec> calibrationKeys(CalibrationTable& t, int i)
{
    const auto e = static_cast<std::size_t>(i);
    const QString section = "Calibrator";
    return {
        {section, QString("Length %1").arg(i), "none", [&t, e](const QString& v) { t.NominalLength[e] = StrToDbl(v); },
         [&t, e] { return formatted(t.NominalLength[e], "###0.0#####"); }},
        {section, QString("Calibrator Length %1").arg(i), QString(),
         [&t, e](const QString& v) { t.CalibratorLength[e] = StrToDbl(v); },
         [&t, e] { return formatted(t.CalibratorLength[e], "###0.0#####"); }},
        {section, QString("Offset %1").arg(i), "0", [&t, e](const QString& v) { t.LengthOffset[e] = StrToDbl(v); },
         [&t, e] { return formatted(t.LengthOffset[e], "##0.0#####"); }},
        {section, QString("Calibrated %1").arg(i), "0",
         [&t, e](const QString& v) { t.LengthCalibrated[e] = CheckedInt16(StrToDbl(v)); },
         [&t, e] { return plain(t.LengthCalibrated[e]); }},
    };
}

// A stored value, shortened where a damaged file holds pages of it.
QString shownValue(const QString& text)
{
    constexpr qsizetype kShown = 60;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("...");
}

class SettingsReader {
public:
    SettingsReader(const IniDocument& doc, SettingsReadResult& result) : doc_(doc), result_(result) {}

    void read(const KeySpec& k, const QString& defaultText)
    {
        const QString text = doc_.value(k.section, k.key).value_or(defaultText);
        try {
            k.read(text);
        } catch (const AppError& e) {
            // A bad value takes its default and reading goes on; one message tells them all.
            if (result_.badKeys.isEmpty())
                firstError_ = e;
            result_.badKeys << k.section + "/" + k.key;
            told_ << Translate(QStringLiteral("[%1] %2=%3 cannot be used; %4 is used instead."))
                         .arg(k.section, k.key, shownValue(text), defaultText);
            k.read(defaultText);
        }
    }
    void read(const KeySpec& k) { read(k, k.defaultText); }

    // The first error, its description naming every bad key and the default it took.
    std::optional<AppError> error() const
    {
        if (!firstError_)
            return std::nullopt;
        return AppError(firstError_->number(), firstError_->description() + QStringLiteral(": ") + told_.join(u' '));
    }

private:
    const IniDocument& doc_;
    SettingsReadResult& result_;
    std::optional<AppError> firstError_;
    QStringList told_;
};

} // namespace

int32_t SetMaxPoints(int32_t n)
{
    return std::clamp(n, int32_t(1), kMaxPointsLimit);
}

namespace {
// The points per run of the "Max. number of points" items 0..4.
constexpr int32_t kMaxPointsItems[] = {500, 1000, 2000, 4000, 8000};
} // namespace

int MaxPointsItem(int32_t n)
{
    for (int i = 0; i < 4; ++i) {
        if (n == kMaxPointsItems[i])
            return i;
    }
    return 4; // "8000 points" for every other value
}

int32_t MaxPointsOfItem(int item)
{
    return kMaxPointsItems[std::clamp(item, 0, 4)];
}

SettingsReadResult ReadSettings(const QString& appPath, const QString& iniPath)
{
    SettingsReadResult result;
    Settings& settings = result.settings;
    IniDocument doc;
    if (doc.load(iniPath) == IniDocument::LoadStatus::Unreadable) {
        result.fileReadable = false;
        doc = IniDocument(); // every key takes its default
    }
    SettingsReader reader(doc, result);

    for (const KeySpec& k : flatKeys(settings, appPath))
        reader.read(k);

    CalibrationTable& table = settings.Calibration;
    table = CalibrationTable();
    table.CalibratorCount = kCalibrationEntries;
    for (int i = 0; i < kCalibrationEntries; ++i) {
        const auto keys = calibrationKeys(table, i);
        reader.read(keys[0]);
        reader.read(keys[1], ShortestDecimal(table.NominalLength[static_cast<std::size_t>(i)]));
        reader.read(keys[2]);
        reader.read(keys[3]);
        if (table.NominalLength[static_cast<std::size_t>(i)] == 0.0) {
            table.CalibratorCount = static_cast<int16_t>(i);
            break;
        }
    }

    for (const KeySpec& k : configureKeys(settings))
        reader.read(k);
    for (const KeySpec& k : recentKeys(settings))
        reader.read(k);

    const QString location = QStringLiteral("gsReadIni(RENI)");
    if (!result.fileReadable)
        result.outcome = Outcome::failure(location, AppError::standard(AppError::kPathFileAccess, iniPath));
    else if (const std::optional<AppError> error = reader.error())
        result.outcome = Outcome::failure(location, *error);
    return result;
}

Outcome WriteSettings(const Settings& settings, const QString& iniPath)
{
    // The key table reads through references; writing works on a copy.
    Settings s = settings;

    std::vector<IniFile::Entry> entries;
    auto add = [&entries](const KeySpec& k) { entries.push_back({{k.section, k.key}, k.write()}); };
    for (const KeySpec& k : flatKeys(s, QString()))
        add(k);
    for (int i = 0; i < s.Calibration.CalibratorCount && i < kCalibrationEntries; ++i) {
        const auto keys = calibrationKeys(s.Calibration, i);
        add(keys[0]); // Length, Calibrated, Calibrator Length, Offset
        add(keys[3]);
        add(keys[1]);
        add(keys[2]);
    }
    for (const KeySpec& k : configureKeys(s))
        add(k);
    for (const KeySpec& k : recentKeys(s))
        add(k);

    if (!IniFile(iniPath).setMany(entries))
        return Outcome::failure(QStringLiteral("Writing ini-file"), AppError::standard(AppError::kPathFileAccess, iniPath));
    return {};
}

QString SerialDevicePath(const QString& commPort)
{
    const QString port = commPort.trimmed();
    if (port.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive)) {
        bool isNumber = false;
        const int n = port.mid(3).toInt(&isNumber);
        if (isNumber && n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    return port;
}

} // namespace sarvo
