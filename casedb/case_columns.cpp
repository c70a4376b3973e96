#include "casedb/case_columns.h"

#include "casedb/stored_row.h"
#include "core/case.h"
#include "core/checked_math.h"
#include "core/dates.h"
#include "core/number_format.h"
#include "core/results.h"
#include "core/utilities.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace sarvo::casedb {

namespace {

using T = FieldType;

// How each Measure column travels between the case and its row.

using Saved = std::optional<QVariant>;

QVariant nullText() { return QVariant(QMetaType(QMetaType::QString)); }

// An empty text is stored as Null, so that "no session" or "no file" matches with IS.
QVariant textOrNull(const QString& text) { return text.isEmpty() ? nullText() : QVariant(text); }

QString formatted(const StoredRow& row, const char* column, const char* pattern)
{
    return FormatNumber(row.number(column), QLatin1String(pattern), QLocale());
}

// A header text, cut to the column's size unless the format keeps it whole; Null loads as the
// empty text.
template <int slot, bool cutToSize = true>
constexpr CaseField kHeaderText{
    [](const Column& k, const Case& c, const QString&) -> Saved {
        return textOrNull(cutToSize ? c.Header[slot].left(k.size) : c.Header[slot]);
    },
    [](const Column& k, const StoredRow& row, Case& c) { c.Header[slot] = row.textOr(k.name, {}); }};

// The ball bar's maker, model and serial: whole, the empty text included. Only a row older than
// these columns holds Null, which loads as what such rows meant.
inline constexpr char kOldMaker[] = "Renishaw";
inline constexpr char kOldModel[] = "QC10";
inline constexpr char kNoText[] = "";
template <int slot, const char* oldRowText>
constexpr CaseField kEquipmentText{
    [](const Column&, const Case& c, const QString&) -> Saved {
        const QString& text = c.Header[slot];
        return QVariant(text.isNull() ? QStringLiteral("") : text);
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Header[slot] = row.textOr(k.name, QLatin1String(oldRowText));
    }};

// What a header number with an empty slot stores.
enum class EmptySlot { Zero, Null, Kept };

inline constexpr char kFeedratePattern[] = "######0";
inline constexpr char kSamplingPattern[] = "######0.000##";
inline constexpr char kOriginPattern[] = "#####0.0##";
inline constexpr char kExpansionPattern[] = "###0.00####";

// A header number, stored as read; Null loads as an empty slot.
template <int slot, const char* pattern, EmptySlot empty>
constexpr CaseField kHeaderNumber{
    [](const Column&, const Case& c, const QString&) -> Saved {
        const QString& text = c.Header[slot];
        if constexpr (empty == EmptySlot::Null) {
            // A static case has no sampling rate: Null, which loads back as the empty text.
            if (text.trimmed().isEmpty())
                return QVariant();
        } else if constexpr (empty == EmptySlot::Kept) {
            if (text.isEmpty())
                return std::nullopt;
        }
        return StrToDbl(text);
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        if (!row.isNull(k.name))
            c.Header[slot] = formatted(row, k.name, pattern);
    }};

template <CircleResult AnalysisResults::*circle, double CircleResult::*member>
constexpr CaseField kCircleValue{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Results.*circle.*member; },
    [](const Column& k, const StoredRow& row, Case& c) { c.Results.*circle.*member = row.number(k.name); }};

// The centre of the least-squares circle is also the error model's centre. The record is packed:
// its members are named, never reached through a pointer.
template <bool vertical>
constexpr CaseField kCentreOffset{
    [](const Column&, const Case& c, const QString&) -> Saved {
        return vertical ? c.Results.LscResult.CentreV : c.Results.LscResult.CentreH;
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        const double value = row.number(k.name);
        if (vertical) {
            c.Results.ErrorValues.CentreV = value;
            c.Results.LscResult.CentreV = value;
        } else {
            c.Results.ErrorValues.CentreH = value;
            c.Results.LscResult.CentreH = value;
        }
    }};

// Null in a row older than the ISO values: 0.
template <double IsoResults::*member>
constexpr CaseField kIsoValue{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Results.Iso.*member; },
    [](const Column& k, const StoredRow& row, Case& c) { c.Results.Iso.*member = row.numberOr(k.name, 0); }};

template <int index, bool horizontal>
constexpr CaseField kProfile{
    [](const Column&, const Case& c, const QString&) -> Saved {
        return double((horizontal ? c.Results.ProfileH : c.Results.ProfileV)[index]);
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        (horizontal ? c.Results.ProfileH : c.Results.ProfileV)[index] = static_cast<float>(row.number(k.name));
    },
    true};

double paramValue(const ErrorParams& p, const char* name) { return ErrorParamValue(p, StoredParam(name)); }

void setParam(ErrorParams& p, const char* name, double value) { SetStoredParam(p, StoredParam(name), value); }

Saved savedParam(const Column& k, const Case& c, const QString&)
{
    const ErrorParamField& field = StoredParam(k.name);
    const double value = ErrorParamValue(c.Results.ErrorValues, field);
    return field.integer ? QVariant(int(value)) : QVariant(value);
}

constexpr CaseField kParam{
    savedParam,
    [](const Column& k, const StoredRow& row, Case& c) { setParam(c.Results.ErrorValues, k.name, row.number(k.name)); },
    true};

// Spike and play came later than the other parameters: an old row without the horizontal value
// takes 0 for both axes.
constexpr CaseField kLaterParam{
    savedParam,
    [](const Column& k, const StoredRow& row, Case& c) {
        std::string horizontal(k.name);
        horizontal.back() = 'H';
        setParam(c.Results.ErrorValues, k.name, row.isNull(horizontal.c_str()) ? 0 : row.number(k.name));
    },
    true};

// The axis scales are known only after a calibration; Scale carries their difference, and an
// uncalibrated row splits it evenly between the axes.
constexpr CaseField kAxisScale{
    [](const Column& k, const Case& c, const QString& session) -> Saved {
        if (!c.Data.Calibrated)
            return std::nullopt;
        return savedParam(k, c, session);
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        const bool horizontal = std::string_view(k.name).back() == 'H';
        const double value = row.isNull("ScaleH") ? (horizontal ? 1 : -1) * row.number(col::Scale) / 2 : row.number(k.name);
        setParam(c.Results.ErrorValues, k.name, value);
    },
    true};

constexpr CaseField kScaleMismatch{
    [](const Column&, const Case& c, const QString&) -> Saved {
        const ErrorParams& e = c.Results.ErrorValues;
        return paramValue(e, "ScaleH") - paramValue(e, "ScaleV");
    },
    nullptr};

constexpr const CaseField* paramBinding(std::string_view name)
{
    if (name == "ScaleH" || name == "ScaleV")
        return &kAxisScale;
    if (name == "SpikeH" || name == "SpikeV" || name == "PlayH" || name == "PlayV")
        return &kLaterParam;
    return &kParam;
}

constexpr CaseField kSession{
    [](const Column&, const Case&, const QString& session) -> Saved { return textOrNull(session); },
    [](const Column& k, const StoredRow& row, Case& c) { c.Header[HdrName] = row.textOr(k.name, {}); }};

constexpr CaseField kDate{
    [](const Column&, const Case& c, const QString&) -> Saved {
        const QString date = DbDateText(c.Data.TestDate);
        return date.isEmpty() ? nullText() : QVariant(date);
    },
    [](const Column& k, const StoredRow& row, Case& c) {
        const QDateTime date = DbDateFromValue(row.required(k.name));
        if (!date.isValid())
            throw AppError(AppError::kTypeMismatch, QStringLiteral("Type mismatch: Measure.Date"));
        c.Header[HdrDate] = GeneralDateText(date);
        c.Data.TestDate = date;
    }};

constexpr CaseField kRadius{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Data.TestRadius; },
    [](const Column& k, const StoredRow& row, Case& c) { c.Data.TestRadius = row.number(k.name); }};

constexpr CaseField kLength{
    [](const Column&, const Case& c, const QString&) -> Saved { return double(c.Data.BallBarLength); },
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Header[HdrLength] = formatted(row, k.name, "######0.000#");
        c.Data.BallBarLength = static_cast<float>(row.number(k.name));
    }};

constexpr CaseField kStatDyn{
    kHeaderText<HdrStatDyn>.save,
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Header[HdrStatDyn] = row.textOr(k.name, {});
        c.Data.Dynamic = IsDynamicText(c.Header[HdrStatDyn]);
    }};

constexpr CaseField kMaxTargets{
    [](const Column&, const Case& c, const QString&) -> Saved { return int(c.Data.MaxTargets); },
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Data.MaxTargets = CheckedInt16(row.number(k.name));
        c.Header[HdrMaxTargets] = QString::number(c.Data.MaxTargets);
    }};

constexpr CaseField kCalibrated{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Data.Calibrated ? 1 : 0; },
    [](const Column& k, const StoredRow& row, Case& c) { c.Data.Calibrated = row.numberOr(k.name, 0) != 0; }};

// Old files hold -1 for a set flag: only the lowest bit counts.
constexpr CaseField kOption{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Data.OptionFlag ? 1 : 0; },
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Data.OptionFlag = (static_cast<qint64>(row.numberOr(k.name, 0)) & 1) != 0;
    }};

template <int16_t CaseData::*angle, int16_t oldRowAngle>
constexpr CaseField kAngle{
    [](const Column&, const Case& c, const QString&) -> Saved { return int(c.Data.*angle); },
    [](const Column& k, const StoredRow& row, Case& c) { c.Data.*angle = CheckedInt16(row.numberOr(k.name, oldRowAngle)); }};

// Whether the case has results is the loader's own decision, made before the columns are read.
constexpr CaseField kCalced{[](const Column&, const Case&, const QString&) -> Saved { return 1; }, nullptr};

constexpr CaseField kRunCount{
    [](const Column&, const Case& c, const QString&) -> Saved { return int(c.Data.RunCount); },
    [](const Column& k, const StoredRow& row, Case& c) {
        const int16_t runs = CheckedInt16(row.number(k.name));
        // The run tables hold runs 1 to 7.
        if (runs < 0 || runs > kMaxRuns)
            throw AppError::subscriptOutOfRange();
        c.Data.RunCount = runs;
    }};

constexpr CaseField kMeasuredFeedrateAverage{
    [](const Column&, const Case& c, const QString&) -> Saved { return double(c.Data.MeasuredFeedrateAverage); },
    [](const Column& k, const StoredRow& row, Case& c) {
        c.Data.MeasuredFeedrateAverage = static_cast<float>(row.numberOr(k.name, 0));
    }};

// The case's own factor (the file's, or the gauge's at the capture); Null or 0 loads as 1.
constexpr CaseField kScaleFactor{
    [](const Column&, const Case& c, const QString&) -> Saved { return c.Data.ScaleFactor; },
    [](const Column& k, const StoredRow& row, Case& c) {
        const double factor = row.numberOr(k.name, 1.0);
        c.Data.ScaleFactor = factor == 0 ? 1.0 : factor;
    }};

using R = AnalysisResults;
using C = CircleResult;

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
            columns[static_cast<std::size_t>(field.column - 1)] =
                Column{field.name, field.integer ? T::Integer : T::Double, 0, false, paramBinding(field.name)};
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
    {col::Machine, T::Text, kLongText, false, &kHeaderText<HdrMachine, false>},
    {col::Name, T::Text, kLongText, false, &kSession},
    {col::Date, T::DateTime, 0, false, &kDate},
    {col::Filename, T::Text, 100, false, &kHeaderText<HdrFilename>},
    {col::By, T::Text, 30, false, &kHeaderText<HdrBy>},
    {col::Radius, T::Double, 0, false, &kRadius},
    {col::Length, T::Single, 0, false, &kLength},
    {col::Plane, T::Text, 30, false, &kHeaderText<HdrPlane>},
    {col::Feedrate, T::Double, 0, false, &kHeaderNumber<HdrFeedrate, kFeedratePattern, EmptySlot::Zero>},
    {col::StatDyn, T::Text, 30, false, &kStatDyn},
    {col::MaxTargets, T::Integer, 0, false, &kMaxTargets},
    {col::Sampling, T::Single, 0, false, &kHeaderNumber<HdrSampling, kSamplingPattern, EmptySlot::Null>},
    {col::Customer, T::Text, 30, false, &kHeaderText<HdrCustomer>},
    {col::Comment, T::Text, 100, false, &kHeaderText<HdrComment>},
    {col::Calibrated, T::YesNo, 0, false, &kCalibrated},
    {col::Option, T::Long, 0, false, &kOption},
    {col::OrigX, T::Double, 0, false, &kHeaderNumber<HdrOrigX, kOriginPattern, EmptySlot::Kept>},
    {col::OrigY, T::Double, 0, false, &kHeaderNumber<HdrOrigY, kOriginPattern, EmptySlot::Kept>},
    {col::OrigZ, T::Double, 0, false, &kHeaderNumber<HdrOrigZ, kOriginPattern, EmptySlot::Kept>},
    {col::GaugeExp, T::Double, 0, false, &kHeaderNumber<HdrGaugeExp, kExpansionPattern, EmptySlot::Zero>},
    {col::MachineExp, T::Double, 0, false, &kHeaderNumber<HdrMachineExp, kExpansionPattern, EmptySlot::Zero>},
    {col::StartAngle, T::Integer, 0, false, &kAngle<&CaseData::StartAngle, 0>},
    {col::StopAngle, T::Integer, 0, false, &kAngle<&CaseData::StopAngle, 360>},
    {col::Calced, T::YesNo, 0, false, &kCalced},
    {col::CentreOffV, T::Double, 0, false, &kCentreOffset<true>},
    {col::CentreOffH, T::Double, 0, false, &kCentreOffset<false>},
    {col::Circularity, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::Circularity>},
    {col::CircMax, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::Max>},
    {col::CircMaxPoint, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::MaxPos>},
    {col::CircMin, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::Min>},
    {col::CircMinPoint, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::MinPos>},
    {col::LSCRadius, T::Double, 0, false, &kCircleValue<&R::LscResult, &C::Radius>},
    {col::MZCCentreOffV, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::CentreV>},
    {col::MZCCentreOffH, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::CentreH>},
    {col::MZClarity, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::Circularity>},
    {col::MZCMax, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::Max>},
    {col::MZCMaxPoint, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::MaxPos>},
    {col::MZCMin, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::Min>},
    {col::MZCMinPoint, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::MinPos>},
    {col::MZCRadius, T::Double, 0, false, &kCircleValue<&R::MzcResult, &C::Radius>},
    {col::IsoH, T::Double, 0, false, &kIsoValue<&IsoResults::IsoH>},
    {col::IsoGb, T::Double, 0, false, &kIsoValue<&IsoResults::IsoGb>},
    {col::IsoD, T::Double, 0, false, &kIsoValue<&IsoResults::IsoD>},
};

constexpr Column kMeasureTail[] = {
    // The save writes the profile coefficients in pairs.
    {col::ProfileH0, T::Single, 0, false, &kProfile<0, true>},
    {col::ProfileV0, T::Single, 0, false, &kProfile<0, false>},
    {col::ProfileH1, T::Single, 0, false, &kProfile<1, true>},
    {col::ProfileV1, T::Single, 0, false, &kProfile<1, false>},
    {col::ProfileH2, T::Single, 0, false, &kProfile<2, true>},
    {col::ProfileV2, T::Single, 0, false, &kProfile<2, false>},
    {col::ProfileH3, T::Single, 0, false, &kProfile<3, true>},
    {col::ProfileV3, T::Single, 0, false, &kProfile<3, false>},
    {col::ProfileH4, T::Single, 0, false, &kProfile<4, true>},
    {col::ProfileV4, T::Single, 0, false, &kProfile<4, false>},
    {col::DimCount, T::Integer, 0, false, &kRunCount},
    {col::MeasuredFeedrateAverage, T::Single, 0, false, &kMeasuredFeedrateAverage},
    {col::EquipmentManufacturer, T::Text, 50, false, &kEquipmentText<HdrEquipmentManufacturer, kOldMaker>},
    {col::EquipmentModel, T::Text, 50, false, &kEquipmentText<HdrEquipmentModel, kOldModel>},
    {col::EquipmentSerial, T::Text, 50, false, &kEquipmentText<HdrEquipmentSerial, kNoText>},
    {col::ScaleFactor, T::Double, 0, false, &kScaleFactor},
};

// The case row: its own columns, the stored error parameters with Scale among them, then the
// profile and equipment columns.
constexpr auto kMeasure = [] {
    std::array<Column, std::size(kMeasureHead) + kStoredParamCount + 1 + std::size(kMeasureTail)> columns{};
    auto out = std::ranges::copy(kMeasureHead, columns.begin()).out;
    out = std::ranges::copy(kStoredParams.begin(), kStoredParams.begin() + kScaleAfter, out).out;
    *out++ = Column{col::Scale, T::Double, 0, false, &kScaleMismatch};
    out = std::ranges::copy(kStoredParams.begin() + kScaleAfter, kStoredParams.end(), out).out;
    std::ranges::copy(kMeasureTail, out);
    return columns;
}();

constexpr auto kReliability = [] {
    std::array<Column, 1 + kStoredParamCount> columns{};
    columns[0] = Column{col::Meas_ID, T::Long, 0, true};
    std::ranges::copy(kStoredParams, columns.begin() + 1);
    // The uncertainties have a load and save of their own.
    for (Column& column : columns)
        column.field = nullptr;
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

constexpr bool IsMeasureColumn(std::string_view name)
{
    return std::ranges::any_of(kMeasure, [&](const Column& column) { return name == column.name; });
}

} // namespace

static_assert(std::ranges::all_of(kTrendResultColumns, IsMeasureColumn), "the trend follows stored columns only");

std::optional<QVariant> SavedValue(const Column& column, const Case& c, const QString& session)
{
    if (!column.field)
        return std::nullopt;
    std::optional<QVariant> value = column.field->save(column, c, session);
    if (value && column.type == FieldType::Single && !value->isNull())
        *value = double(float(value->toDouble()));
    return value;
}

void LoadMeasureColumns(const StoredRow& row, Case& c, bool withResults)
{
    for (const Column& column : MeasureTable().columns) {
        if (column.field && column.field->load && (withResults || !column.field->resultOnly))
            column.field->load(column, row, c);
    }
}

const ErrorParamField& StoredParam(const char* column)
{
    for (const ErrorParamField& field : kErrorParamFields) {
        if (field.column > 0 && std::strcmp(field.name, column) == 0)
            return field;
    }
    throw AppError::invalidCall(QStringLiteral("No parameter %1").arg(QLatin1String(column)));
}

void SetStoredParam(ErrorParams& params, const ErrorParamField& param, double value)
{
    auto* bytes = reinterpret_cast<unsigned char*>(&params) + param.offset;
    if (param.integer) {
        const int16_t v = CheckedInt16(value);
        std::memcpy(bytes, &v, sizeof v);
    } else {
        std::memcpy(bytes, &value, sizeof value);
    }
}

bool IsDynamicText(const QString& statDyn) { return statDyn.startsWith(QLatin1Char('D')); }

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

namespace {

// The stored form itself, read without the pattern: the summary read meets it on every row.
std::optional<QDateTime> fromStoredForm(QStringView text)
{
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':' ||
        text[16] != u':')
        return std::nullopt;
    const auto field = [&](int at, int length) {
        int value = 0;
        for (int i = at; i < at + length; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int parts[] = {field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), field(17, 2)};
    if (std::ranges::any_of(parts, [](int part) { return part < 0; }))
        return std::nullopt;
    const QDate date(parts[0], parts[1], parts[2]);
    const QTime time(parts[3], parts[4], parts[5]);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QDateTime DbDateFromValue(const QVariant& value)
{
    if (value.isNull())
        return {};
    const QString text = value.toString();
    if (const auto stored = fromStoredForm(text))
        return *stored;
    // Also the "T" form and fractions that a date bound as a date-time value leaves behind.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{4})-(\d{2})-(\d{2})(?:[ T](\d{2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

} // namespace sarvo::casedb
