#pragma once
// The analysis results of the open case: fitted error parameters and their uncertainties, the
// two circle evaluations, the ISO 230-4 values, the axis profiles, the spectrum, the model
// traces, the influence ranking and the results flag.

#include "core/app_error.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace sarvo {

// The fields of ErrorParams in record order: the one list from which the record, its layout
// checks, the library's agreement with it, the case database's columns and every listing of the
// parameters are made.
//   FIELD(member, type, offset, unit, column)  a parameter
//   FILLER(member, type, offset)               bytes that hold no parameter
// The offsets are where the computation library reads the fields. column is the parameter's place
// among the parameter columns of a stored case (Measure and Reliability), 1 first, as the original
// file format orders them; 0 for a parameter that is not stored.
#define SARVOTEX_ERROR_PARAMS(FIELD, FILLER) \
    FIELD(Back0, double, 0, "µm", 4)           /* backlash step of the horizontal axis at 0 degrees */ \
    FIELD(Back90, double, 8, "µm", 5)          /* vertical axis at 90 degrees */ \
    FIELD(Back180, double, 16, "µm", 6) \
    FIELD(Back270, double, 24, "µm", 7) \
    FIELD(BacklashBaseA, double, 32, "µm", 0)  /* never set by the program */ \
    FIELD(BacklashBaseB, double, 40, "µm", 0)  /* never set by the program */ \
    FIELD(PlayH, double, 48, "µm", 12)         /* lateral play */ \
    FIELD(PlayV, double, 56, "µm", 13) \
    FIELD(ScaleH, double, 64, "µm/m", 2) \
    FIELD(ScaleV, double, 72, "µm/m", 3) \
    FIELD(CyclicH, double, 80, "µm", 18) \
    FIELD(CyclicV, double, 88, "µm", 19) \
    FIELD(PitchH, double, 96, "mm", 20)        /* 0 = none */ \
    FIELD(PitchV, double, 104, "mm", 21) \
    FIELD(PhaseH, double, 112, "degrees", 22) \
    FIELD(PhaseV, double, 120, "degrees", 23) \
    FIELD(ServoH, double, 128, "percent", 16)  /* 100 = matched */ \
    FIELD(ServoV, double, 136, "percent", 17) \
    FIELD(SlipH, double, 144, "µm", 14)        /* stick-slip */ \
    FIELD(SlipV, double, 152, "µm", 15) \
    FIELD(SpikeH, double, 160, "µm", 10)       /* reversal spike */ \
    FIELD(SpikeV, double, 168, "µm", 11) \
    FIELD(Squareness, double, 176, "arc seconds", 1) \
    FIELD(StraightH, double, 184, "µm", 8) \
    FIELD(StraightV, double, 192, "µm", 9) \
    FIELD(Random, double, 200, "µm", 24)       /* random vibration */ \
    FIELD(PolarVibration, double, 208, "µm", 25) \
    FIELD(VibrationAngle, int16_t, 216, "degrees", 26) \
    FILLER(Padding, int16_t, 218)              /* always 0: the library reads the angle's neighbourhood */ \
    FIELD(CentreH, double, 220, "µm", 0)       /* mean of the per-run least-squares centres */ \
    FIELD(CentreV, double, 228, "µm", 0)

// Crosses into the computation library byte for byte: 27 doubles, a 16-bit angle with two zero
// bytes after it, then the two centre offsets at 4-byte alignment. 236 bytes in all. Read its
// fields by value only (no reference, pointer or pointer to member): most are not aligned for
// their type.
#pragma pack(push, 4)
struct ErrorParams {
#define SARVOTEX_ERROR_PARAM_MEMBER(member, type, ...) type member = 0;
    SARVOTEX_ERROR_PARAMS(SARVOTEX_ERROR_PARAM_MEMBER, SARVOTEX_ERROR_PARAM_MEMBER)
#undef SARVOTEX_ERROR_PARAM_MEMBER
};
#pragma pack(pop)

static_assert(sizeof(ErrorParams) == 236, "ErrorParams must keep its 236-byte layout");
#define SARVOTEX_ERROR_PARAM_AT(member, type, offset, ...) \
    static_assert(offsetof(ErrorParams, member) == (offset), #member " has moved"); \
    static_assert(std::is_same_v<type, double> || std::is_same_v<type, int16_t>, #member " must be double or int16_t");
SARVOTEX_ERROR_PARAMS(SARVOTEX_ERROR_PARAM_AT, SARVOTEX_ERROR_PARAM_AT)
#undef SARVOTEX_ERROR_PARAM_AT

// One parameter of ErrorParams, for code that handles them all alike.
struct ErrorParamField {
    const char* name;   // the member's name, also its column in the case database
    std::size_t offset; // in the record
    bool integer;       // int16_t, else double
    const char* unit;
    int column;         // place among a stored case's parameter columns, 1 first; 0 = not stored
};

// The parameters in record order (the filler left out).
inline constexpr ErrorParamField kErrorParamFields[] = {
#define SARVOTEX_ERROR_PARAM_ENTRY(member, type, offset, unit, column) \
    {#member, offset, std::is_same_v<type, int16_t>, unit, column},
#define SARVOTEX_ERROR_PARAM_SKIP(...)
    SARVOTEX_ERROR_PARAMS(SARVOTEX_ERROR_PARAM_ENTRY, SARVOTEX_ERROR_PARAM_SKIP)
#undef SARVOTEX_ERROR_PARAM_ENTRY
#undef SARVOTEX_ERROR_PARAM_SKIP
};

// The parameter's value, copied out of the record: no reference to the packed field is formed.
inline double ErrorParamValue(const ErrorParams& p, const ErrorParamField& field)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&p) + field.offset;
    if (field.integer) {
        int16_t value = 0;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    double value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// One fitted circle: least squares or minimum zone.
struct CircleResult {
    double Circularity = 0; // µm, zone width
    double Radius = 0;      // mm
    double Max = 0;         // µm
    double MaxPos = 0;      // degrees
    double Min = 0;         // µm
    double MinPos = 0;      // degrees
    double CentreH = 0;     // µm
    double CentreV = 0;     // µm
    // Where the two extremes lie: run (1..7) and point index within that run.
    int16_t MaxRun = 0;
    int16_t MaxPoint = 0;
    int16_t MinRun = 0;
    int16_t MinPoint = 0;
};

constexpr int kRunSlots = 8; // runs 1 to 7; index 0 exists and stays unused

// ISO 230-4 values in µm.
struct IsoResults {
    double IsoH = 0;  // hysteresis
    double IsoD = 0;  // bidirectional radius minus nominal radius
    double IsoGb = 0; // bidirectional circular deviation
    std::array<double, kRunSlots> IsoG{};
    std::array<double, kRunSlots> IsoFmax{};
    std::array<double, kRunSlots> IsoFmin{};
};

// Up to two model traces at whole degrees -360..720, laid out as (trace 0, trace 1) per degree:
// the computation library writes through a pointer to the pair for degree 0.
class AnalysisCurveTable {
public:
    static constexpr int kFirstDegree = -360;
    static constexpr int kLastDegree = 720;
    static constexpr int kDegrees = kLastDegree - kFirstDegree + 1;
    static constexpr int kTraces = 2;

    // Throws AppError 9 (subscript out of range) outside the bounds.
    float& operator()(int trace, int degree) { return values_[index(trace, degree)][trace]; }
    float operator()(int trace, int degree) const { return values_[index(trace, degree)][trace]; }

    // The pair for degree 0, as the computation library expects it.
    float* degreeZero() { return &values_[-kFirstDegree][0]; }
    const float* degreeZero() const { return &values_[-kFirstDegree][0]; }

    void clear() { values_ = {}; }

private:
    static std::size_t index(int trace, int degree)
    {
        if (trace < 0 || trace >= kTraces || degree < kFirstDegree || degree > kLastDegree)
            throw AppError::subscriptOutOfRange();
        return static_cast<std::size_t>(degree - kFirstDegree);
    }

    std::array<std::array<float, kTraces>, kDegrees> values_{};
};

// The parts of the measurement step. Each traps its own failure and lets the step go on; a part
// that failed leaves its values half made or as the case before had them.
enum class MeasurementPart : uint8_t {
    Circularity = 1, // the least-squares circularity, its extremes and their places
    IsoH = 2,        // the hysteresis
    IsoG = 4,        // the circular deviation of every run
    IsoF = 8,        // the radial deviations of every run
    MinZone = 16,    // the minimum-zone circle and IsoGb from it
};

constexpr int kSpectrumSize = 513;   // element 0 holds the line count, 1..512 the amplitudes
constexpr int kInfluenceSize = 21;   // elements 0..19 are used
constexpr int kProfileSize = 6;      // coefficients 0..4 are used

struct AnalysisResults {
    ErrorParams ErrorValues;
    ErrorParams ErrorReliability; // three-sigma uncertainties of the fitted fields
    CircleResult LscResult;
    CircleResult MzcResult;
    IsoResults Iso;
    std::array<float, kProfileSize> ProfileH{};
    std::array<float, kProfileSize> ProfileV{};
    std::array<float, kSpectrumSize> Spectrum{};
    AnalysisCurveTable AnalysisCurve;
    std::array<int16_t, 3> AnalysisCurveDir{}; // element c (1, 2): direction of trace c - 1
    int16_t AnalysisCurveCount = 0;
    int16_t AnalysisStep = 0;                  // 1 dynamic, 45 static
    std::array<float, kInfluenceSize> InfluenceValue{};
    std::array<int16_t, kInfluenceSize> InfluenceOrder{};
    std::array<QString, kInfluenceSize> InfluenceName{};
    bool ResultsValid = false; // the error-model fit has run for the open case
    // The circles and ISO values describe the runs the case holds: they stand after a failed fit,
    // all but those of the parts that failed.
    bool MeasurementValid = false;
    uint8_t FailedMeasurementParts = 0; // MeasurementPart bits

    bool failed(MeasurementPart part) const { return (FailedMeasurementParts & uint8_t(part)) != 0; }
    void markFailed(MeasurementPart part) { FailedMeasurementParts |= uint8_t(part); }

    // The runs changed or were put back as read: no result describes them any more.
    void invalidate()
    {
        ResultsValid = false;
        MeasurementValid = false;
        FailedMeasurementParts = 0;
    }
};

} // namespace sarvo
