#include "casedb/case_columns.h"

#include "core/results.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <string_view>

namespace sarvo::casedb {

namespace {

using T = FieldType;

// Free texts that the format leaves unsized get the largest text of the original format.
constexpr int kLongText = 255;

// How many error parameters a case stores; each must have a place of its own.
constexpr auto kStoredParamCount = static_cast<std::size_t>(
    std::ranges::count_if(kErrorParamFields, [](const ErrorParamField& f) { return f.column > 0; }));

constexpr bool EachPlaceTakenOnce()
{
    for (std::size_t place = 1; place <= kStoredParamCount; ++place) {
        if (std::ranges::count_if(kErrorParamFields, [&](const ErrorParamField& f) { return f.column == int(place); }) != 1)
            return false;
    }
    return true;
}
static_assert(EachPlaceTakenOnce(), "the stored parameters must take the places 1..n once each");

// The stored error parameters in their stored order, named and typed after the ErrorParams table.
constexpr auto kStoredParams = [] {
    std::array<Column, kStoredParamCount> columns{};
    for (const ErrorParamField& field : kErrorParamFields) {
        if (field.column > 0)
            columns[static_cast<std::size_t>(field.column - 1)] = Column{field.name, field.integer ? T::Integer : T::Double};
    }
    return columns;
}();

// The overall scale, no parameter of the record, follows ScaleV in the case row.
constexpr std::size_t kScaleAfter = [] {
    for (const ErrorParamField& field : kErrorParamFields) {
        if (std::string_view(field.name) == "ScaleV")
            return static_cast<std::size_t>(field.column);
    }
    return std::size_t(0);
}();
static_assert(kScaleAfter > 0, "ScaleV must be stored");

constexpr Column kMeasureHead[] = {
    {col::Meas_ID, T::AutoNumber, 0, true},
    {col::Machine, T::Text, kLongText},
    {col::Name, T::Text, kLongText},
    {col::Date, T::DateTime},
    {col::Filename, T::Text, 100},
    {col::By, T::Text, 30},
    {col::Radius, T::Double},
    {col::Length, T::Single},
    {col::Plane, T::Text, 30},
    {col::Feedrate, T::Double},
    {col::StatDyn, T::Text, 30},
    {col::MaxTargets, T::Integer},
    {col::Sampling, T::Single},
    {col::Customer, T::Text, 30},
    {col::Comment, T::Text, 100},
    {col::Calibrated, T::YesNo},
    {col::Option, T::Long},
    {col::OrigX, T::Double},
    {col::OrigY, T::Double},
    {col::OrigZ, T::Double},
    {col::GaugeExp, T::Double},
    {col::MachineExp, T::Double},
    {col::StartAngle, T::Integer},
    {col::StopAngle, T::Integer},
    {col::Calced, T::YesNo},
    {col::CentreOffV, T::Double},
    {col::CentreOffH, T::Double},
    {col::Circularity, T::Double},
    {col::CircMax, T::Double},
    {col::CircMaxPoint, T::Double},
    {col::CircMin, T::Double},
    {col::CircMinPoint, T::Double},
    {col::LSCRadius, T::Double},
    {col::MZCCentreOffV, T::Double},
    {col::MZCCentreOffH, T::Double},
    {col::MZClarity, T::Double},
    {col::MZCMax, T::Double},
    {col::MZCMaxPoint, T::Double},
    {col::MZCMin, T::Double},
    {col::MZCMinPoint, T::Double},
    {col::MZCRadius, T::Double},
    {col::IsoH, T::Double},
    {col::IsoGb, T::Double},
    {col::IsoD, T::Double},
};

constexpr Column kMeasureTail[] = {
    // The save writes the profile coefficients in pairs.
    {col::ProfileH0, T::Single},
    {col::ProfileV0, T::Single},
    {col::ProfileH1, T::Single},
    {col::ProfileV1, T::Single},
    {col::ProfileH2, T::Single},
    {col::ProfileV2, T::Single},
    {col::ProfileH3, T::Single},
    {col::ProfileV3, T::Single},
    {col::ProfileH4, T::Single},
    {col::ProfileV4, T::Single},
    {col::DimCount, T::Integer},
    {col::MeasuredFeedrateAverage, T::Single},
    {col::EquipmentManufacturer, T::Text, 50},
    {col::EquipmentModel, T::Text, 50},
    {col::EquipmentSerial, T::Text, 50},
    {col::ScaleFactor, T::Double},
};

// The case row: its own columns, the stored error parameters with Scale among them, then the
// profile and equipment columns.
constexpr auto kMeasure = [] {
    std::array<Column, std::size(kMeasureHead) + kStoredParamCount + 1 + std::size(kMeasureTail)> columns{};
    auto out = std::ranges::copy(kMeasureHead, columns.begin()).out;
    out = std::ranges::copy(kStoredParams.begin(), kStoredParams.begin() + kScaleAfter, out).out;
    *out++ = Column{col::Scale, T::Double};
    out = std::ranges::copy(kStoredParams.begin() + kScaleAfter, kStoredParams.end(), out).out;
    std::ranges::copy(kMeasureTail, out);
    return columns;
}();

constexpr auto kReliability = [] {
    std::array<Column, 1 + kStoredParamCount> columns{};
    columns[0] = Column{col::Meas_ID, T::Long, 0, true};
    std::ranges::copy(kStoredParams, columns.begin() + 1);
    return columns;
}();

constexpr Column kTargets[] = {
    {col::ID, T::AutoNumber, 0, true},
    {col::Meas_ID, T::Long, 0, true},
    {col::Dim, T::Integer, 0, true},
    {col::Meas, T::Single},
};

constexpr Column kDirection[] = {
    {col::Meas_ID, T::Long, 0, true},
    {col::Dim, T::Integer, 0, true},
    {col::Direction, T::Integer},
    {col::MeasuredTargets, T::Integer},
    {col::GaugeTemp, T::Double},
    {col::MacTemp, T::Double},
    {col::IsoG, T::Double},
    {col::IsoFmin, T::Double},
    {col::IsoFmax, T::Double},
    {col::MeasuredFeedrate, T::Single},
};

constexpr Column kMachines[] = {
    {col::Name, T::Text, kLongText, true},
};

const std::array<Table, 5> kTables = {{
    {tbl::Measure, kMeasure},
    {tbl::Reliability, kReliability},
    {tbl::Targets, kTargets},
    {tbl::Direction, kDirection},
    {tbl::Machines, kMachines},
}};

constexpr const char* kProfileH[] = {col::ProfileH0, col::ProfileH1, col::ProfileH2, col::ProfileH3, col::ProfileH4};
constexpr const char* kProfileV[] = {col::ProfileV0, col::ProfileV1, col::ProfileV2, col::ProfileV3, col::ProfileV4};

const char* profileColumn(const char* const (&names)[5], int index)
{
    if (index < 0 || index > 4)
        return nullptr;
    return names[index];
}

} // namespace

std::span<const Table> CaseTables() { return kTables; }
const Table& MeasureTable() { return kTables[0]; }
const Table& ReliabilityTable() { return kTables[1]; }
const Table& TargetsTable() { return kTables[2]; }
const Table& DirectionTable() { return kTables[3]; }
const Table& MachinesTable() { return kTables[4]; }

const Table* FindTable(const QString& name)
{
    for (const Table& table : kTables) {
        if (name == QLatin1String(table.name))
            return &table;
    }
    return nullptr;
}

const Column* FindColumn(const Table& table, const QString& name)
{
    for (const Column& column : table.columns) {
        if (name == QLatin1String(column.name))
            return &column;
    }
    return nullptr;
}

const char* ProfileHColumn(int index) { return profileColumn(kProfileH, index); }
const char* ProfileVColumn(int index) { return profileColumn(kProfileV, index); }

QString SqlType(const Column& column)
{
    switch (column.type) {
    case T::AutoNumber:
    case T::Long:
        return QStringLiteral("INTEGER");
    case T::Integer:
    case T::YesNo:
        return QStringLiteral("SMALLINT");
    case T::Single:
        return QStringLiteral("REAL");
    case T::Double:
        return QStringLiteral("DOUBLE PRECISION");
    case T::DateTime:
        return QStringLiteral("VARCHAR(19)");
    case T::Text:
        return QStringLiteral("VARCHAR(%1)").arg(column.size);
    }
    return {};
}

QString QuoteName(const QString& name)
{
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

QString DbDateText(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    return when.date().toString(QStringLiteral("yyyy-MM-dd")) + u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
}

QDateTime DbDateFromValue(const QVariant& value)
{
    if (value.isNull())
        return {};
    // Also the "T" form and fractions that a date bound as a date-time value leaves behind.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?\s*$)"));
    const auto match = pattern.match(value.toString());
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

} // namespace sarvo::casedb
