#pragma once
// Every table and column of the case database with its type, in the order a save writes them.
// The upgrade adds what a file lacks from this list, and the save and the load name their
// columns through the constants below, so one spelling serves every statement (quoted names are
// case-sensitive on some engines). The error-parameter columns of Measure and Reliability come
// from the ErrorParams table (SARVOTEX_ERROR_PARAMS) and carry its member names.
// Each Measure column also names the case field or result it holds: the save, the load and the
// summary read of many cases all go through that one table.
// data/schema.sql creates the same tables; a test keeps the two in step.

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>
#include <span>

namespace sarvo {
struct Case;
struct ErrorParamField;
struct ErrorParams;
}

namespace sarvo::casedb {

struct Column;
class StoredRow;

// What a Measure column holds of the case, and how it travels.
struct CaseField {
    // The value a save stores, before the column's type shapes it; nullopt leaves the column as
    // it is (an overwrite keeps what was stored).
    std::optional<QVariant> (*save)(const Column& column, const Case& c, const QString& session);
    // Puts the stored value into the case; null for a column the load does not read by itself.
    void (*load)(const Column& column, const StoredRow& row, Case& c);
    // Read only from a case stored with results.
    bool resultOnly = false;
};

inline constexpr char kCaseDbFileName[] = "Sarvotex.db";

// The types of the original file format; SqlType() gives the declared type of each.
enum class FieldType {
    AutoNumber, // integer key the engine assigns
    Long,       // 32-bit integer
    Integer,    // 16-bit integer
    Single,     // stored as a double, rounded through float before it is bound
    Double,
    YesNo,      // 0 or 1; any non-zero value reads as true (old files hold -1)
    DateTime,   // fixed-width local time text, see DbDateText
    Text,       // at most `size` characters, cut by the writer
};

struct Column {
    const char* name;
    FieldType type;
    int size = 0;          // characters, Text only
    bool required = false; // part of a key: a table without it is not a case table
    const CaseField* field = nullptr; // Measure: the case field or result the column holds
};

struct Table {
    const char* name;
    std::span<const Column> columns;
};

namespace tbl {
inline constexpr char Measure[] = "Measure";
inline constexpr char Reliability[] = "Reliability";
inline constexpr char Targets[] = "Targets";
inline constexpr char Direction[] = "Direction";
inline constexpr char Machines[] = "Machines";
} // namespace tbl

namespace col {
// Measure (and, where the name recurs, the other tables).
inline constexpr char Meas_ID[] = "Meas_ID";
inline constexpr char Machine[] = "Machine";
inline constexpr char Name[] = "Name";
inline constexpr char Date[] = "Date";
inline constexpr char Filename[] = "Filename";
inline constexpr char By[] = "By";
inline constexpr char Radius[] = "Radius";
inline constexpr char Length[] = "Length";
inline constexpr char Plane[] = "Plane";
inline constexpr char Feedrate[] = "Feedrate";
inline constexpr char StatDyn[] = "Stat/Dyn";
inline constexpr char MaxTargets[] = "MaxTargets";
inline constexpr char Sampling[] = "Sampling";
inline constexpr char Customer[] = "Customer";
inline constexpr char Comment[] = "Comment";
inline constexpr char Calibrated[] = "Calibrated";
inline constexpr char Option[] = "Option";
inline constexpr char OrigX[] = "OrigX";
inline constexpr char OrigY[] = "OrigY";
inline constexpr char OrigZ[] = "OrigZ";
inline constexpr char GaugeExp[] = "GaugeExp";
inline constexpr char MachineExp[] = "MachineExp";
inline constexpr char StartAngle[] = "StartAngle";
inline constexpr char StopAngle[] = "StopAngle";
inline constexpr char Calced[] = "Calced";
inline constexpr char CentreOffV[] = "CentreOffV";
inline constexpr char CentreOffH[] = "CentreOffH";
inline constexpr char Circularity[] = "Circularity";
inline constexpr char CircMax[] = "CircMax";
inline constexpr char CircMaxPoint[] = "CircMaxPoint";
inline constexpr char CircMin[] = "CircMin";
inline constexpr char CircMinPoint[] = "CircMinPoint";
inline constexpr char LSCRadius[] = "LSCRadius";
inline constexpr char MZCCentreOffV[] = "MZCCentreOffV";
inline constexpr char MZCCentreOffH[] = "MZCCentreOffH";
inline constexpr char MZClarity[] = "MZClarity";
inline constexpr char MZCMax[] = "MZCMax";
inline constexpr char MZCMaxPoint[] = "MZCMaxPoint";
inline constexpr char MZCMin[] = "MZCMin";
inline constexpr char MZCMinPoint[] = "MZCMinPoint";
inline constexpr char MZCRadius[] = "MZCRadius";
inline constexpr char IsoH[] = "IsoH";
inline constexpr char IsoGb[] = "IsoGb";
inline constexpr char IsoD[] = "IsoD";
inline constexpr char Scale[] = "Scale";
inline constexpr char ProfileH0[] = "ProfileH0";
inline constexpr char ProfileH1[] = "ProfileH1";
inline constexpr char ProfileH2[] = "ProfileH2";
inline constexpr char ProfileH3[] = "ProfileH3";
inline constexpr char ProfileH4[] = "ProfileH4";
inline constexpr char ProfileV0[] = "ProfileV0";
inline constexpr char ProfileV1[] = "ProfileV1";
inline constexpr char ProfileV2[] = "ProfileV2";
inline constexpr char ProfileV3[] = "ProfileV3";
inline constexpr char ProfileV4[] = "ProfileV4";
inline constexpr char DimCount[] = "DimCount";
inline constexpr char MeasuredFeedrateAverage[] = "MeasuredFeedrateAverage";
inline constexpr char EquipmentManufacturer[] = "EquipmentManufacturer";
inline constexpr char EquipmentModel[] = "EquipmentModel";
inline constexpr char EquipmentSerial[] = "EquipmentSerial";
inline constexpr char ScaleFactor[] = "ScaleFactor";
// Targets.
inline constexpr char ID[] = "ID";
inline constexpr char Dim[] = "Dim";
inline constexpr char Meas[] = "Meas";
// Direction.
inline constexpr char Direction[] = "Direction";
inline constexpr char MeasuredTargets[] = "MeasuredTargets";
inline constexpr char GaugeTemp[] = "GaugeTemp";
inline constexpr char MacTemp[] = "MacTemp";
inline constexpr char IsoG[] = "IsoG";
inline constexpr char IsoFmin[] = "IsoFmin";
inline constexpr char IsoFmax[] = "IsoFmax";
inline constexpr char MeasuredFeedrate[] = "MeasuredFeedrate";
} // namespace col

// The stored results the trend follows, in the order of its choices.
inline constexpr std::array<const char*, 27> kTrendResultColumns = {
    "SpikeH", "SpikeV", "Back0", "Back180", "Back90", "Back270", col::Circularity, col::MZClarity, "CyclicH",
    "PitchH", "CyclicV", "PitchV", "PlayH", "PlayV", "ScaleH", "ScaleV", col::Scale, "ServoH", "ServoV",
    "Squareness", "SlipH", "SlipV", "StraightH", "StraightV", "PolarVibration", "Random",
    col::MeasuredFeedrateAverage,
};

// Measure, Reliability, Targets, Direction, Machines.
std::span<const Table> CaseTables();
const Table& MeasureTable();
const Table& ReliabilityTable();
const Table& TargetsTable();
const Table& DirectionTable();
const Table& MachinesTable();

// The table of that name (exact spelling), or nullptr.
const Table* FindTable(const QString& name);
// The column of that name in the table (exact spelling), or nullptr.
const Column* FindColumn(const Table& table, const QString& name);

// "ProfileH" or "ProfileV" followed by the index 0..4.
const char* ProfileHColumn(int index);
const char* ProfileVColumn(int index);

// The value the save stores in a Measure column: the field's value with single precision
// rounded through float; nullopt where the save leaves the column as it is.
std::optional<QVariant> SavedValue(const Column& column, const Case& c, const QString& session);
// Fills the case from a Measure row, column by column in table order; the result columns only
// when withResults. Raises AppError on a Null where a save always writes a value, a number out of
// range or an unreadable date.
void LoadMeasureColumns(const StoredRow& row, Case& c, bool withResults);

// The error parameter a column of that name holds (Measure and Reliability name them alike);
// raises AppError for any other name.
const ErrorParamField& StoredParam(const char* column);
// Sets a parameter; a whole-number parameter out of 16-bit range raises overflow.
void SetStoredParam(ErrorParams& params, const ErrorParamField& param, double value);

// Whether a stored "Stat/Dyn" text marks a dynamic case.
bool IsDynamicText(const QString& statDyn);


// The declared type of a column: INTEGER, SMALLINT, REAL, DOUBLE PRECISION, VARCHAR(n).
QString SqlType(const Column& column);

// A name in double quotes, inner quotes doubled: safe for any table or column name
// ("Stat/Dyn" has a slash, "By" is a keyword).
QString QuoteName(const QString& name);

// The stored form of a test date: "yyyy-MM-dd HH:mm:ss", local wall-clock time to the second,
// so that equal times compare equal and text order is time order.
QString DbDateText(const QDateTime& when);
// The stored text back as a date; an invalid QDateTime for Null or an unreadable text.
QDateTime DbDateFromValue(const QVariant& value);

} // namespace sarvo::casedb
