#include "casedb/case_columns.h"

#include <QRegularExpression>

#include <array>

namespace sarvo::casedb {

namespace {

using T = FieldType;

// Free texts that the format leaves unsized get the largest text of the original format.
constexpr int kLongText = 255;

constexpr Column kMeasure[] = {
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
    {col::Squareness, T::Double},
    {col::ScaleH, T::Double},
    {col::ScaleV, T::Double},
    {col::Scale, T::Double},
    {col::Back0, T::Double},
    {col::Back90, T::Double},
    {col::Back180, T::Double},
    {col::Back270, T::Double},
    {col::StraightH, T::Double},
    {col::StraightV, T::Double},
    {col::SpikeH, T::Double},
    {col::SpikeV, T::Double},
    {col::PlayH, T::Double},
    {col::PlayV, T::Double},
    {col::SlipH, T::Double},
    {col::SlipV, T::Double},
    {col::ServoH, T::Double},
    {col::ServoV, T::Double},
    {col::CyclicH, T::Double},
    {col::CyclicV, T::Double},
    {col::PitchH, T::Double},
    {col::PitchV, T::Double},
    {col::PhaseH, T::Double},
    {col::PhaseV, T::Double},
    {col::Random, T::Double},
    {col::PolarVibration, T::Double},
    {col::VibrationAngle, T::Integer},
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

constexpr Column kReliability[] = {
    {col::Meas_ID, T::Long, 0, true},
    {col::Squareness, T::Double},
    {col::ScaleH, T::Double},
    {col::ScaleV, T::Double},
    {col::Back0, T::Double},
    {col::Back90, T::Double},
    {col::Back180, T::Double},
    {col::Back270, T::Double},
    {col::StraightH, T::Double},
    {col::StraightV, T::Double},
    {col::SpikeH, T::Double},
    {col::SpikeV, T::Double},
    {col::PlayH, T::Double},
    {col::PlayV, T::Double},
    {col::SlipH, T::Double},
    {col::SlipV, T::Double},
    {col::ServoH, T::Double},
    {col::ServoV, T::Double},
    {col::CyclicH, T::Double},
    {col::CyclicV, T::Double},
    {col::PitchH, T::Double},
    {col::PitchV, T::Double},
    {col::PhaseH, T::Double},
    {col::PhaseV, T::Double},
    {col::Random, T::Double},
    {col::PolarVibration, T::Double},
    {col::VibrationAngle, T::Integer},
};

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
