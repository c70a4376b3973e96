#pragma once
// The analysis results of the open case: fitted error parameters and their uncertainties, the
// two circle evaluations, the ISO 230-4 values, the axis profiles, the spectrum, the model
// traces, the influence ranking and the results flag.

#include "core/app_error.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace sarvo {

// Crosses into the computation library byte for byte: 27 doubles, a 16-bit angle with two zero
// bytes after it, then the two centre offsets at 4-byte alignment. 236 bytes in all.
#pragma pack(push, 4)
struct ErrorParams {
    double Back0 = 0;           // µm, backlash step of the horizontal axis at 0 degrees
    double Back90 = 0;          // µm, vertical axis at 90 degrees
    double Back180 = 0;         // µm
    double Back270 = 0;         // µm
    double BacklashBaseA = 0;   // µm, never set by the program
    double BacklashBaseB = 0;   // µm, never set by the program
    double PlayH = 0;           // µm, lateral play
    double PlayV = 0;
    double ScaleH = 0;          // µm/m
    double ScaleV = 0;
    double CyclicH = 0;         // µm
    double CyclicV = 0;
    double PitchH = 0;          // mm, 0 = none
    double PitchV = 0;
    double PhaseH = 0;          // degrees
    double PhaseV = 0;
    double ServoH = 0;          // percent, 100 = matched
    double ServoV = 0;
    double SlipH = 0;           // µm, stick-slip
    double SlipV = 0;
    double SpikeH = 0;          // µm, reversal spike
    double SpikeV = 0;
    double Squareness = 0;      // arc seconds
    double StraightH = 0;       // µm
    double StraightV = 0;
    double Random = 0;          // µm, random vibration
    double PolarVibration = 0;  // µm
    int16_t VibrationAngle = 0; // degrees
    int16_t Padding = 0;        // always 0: the library reads the angle's neighbourhood
    double CentreH = 0;         // µm, mean of the per-run least-squares centres
    double CentreV = 0;
};
#pragma pack(pop)

static_assert(sizeof(ErrorParams) == 236, "ErrorParams must keep its 236-byte layout");
static_assert(offsetof(ErrorParams, Back0) == 0);
static_assert(offsetof(ErrorParams, Back90) == 8);
static_assert(offsetof(ErrorParams, Back180) == 16);
static_assert(offsetof(ErrorParams, Back270) == 24);
static_assert(offsetof(ErrorParams, BacklashBaseA) == 32);
static_assert(offsetof(ErrorParams, BacklashBaseB) == 40);
static_assert(offsetof(ErrorParams, PlayH) == 48);
static_assert(offsetof(ErrorParams, PlayV) == 56);
static_assert(offsetof(ErrorParams, ScaleH) == 64);
static_assert(offsetof(ErrorParams, ScaleV) == 72);
static_assert(offsetof(ErrorParams, CyclicH) == 80);
static_assert(offsetof(ErrorParams, CyclicV) == 88);
static_assert(offsetof(ErrorParams, PitchH) == 96);
static_assert(offsetof(ErrorParams, PitchV) == 104);
static_assert(offsetof(ErrorParams, PhaseH) == 112);
static_assert(offsetof(ErrorParams, PhaseV) == 120);
static_assert(offsetof(ErrorParams, ServoH) == 128);
static_assert(offsetof(ErrorParams, ServoV) == 136);
static_assert(offsetof(ErrorParams, SlipH) == 144);
static_assert(offsetof(ErrorParams, SlipV) == 152);
static_assert(offsetof(ErrorParams, SpikeH) == 160);
static_assert(offsetof(ErrorParams, SpikeV) == 168);
static_assert(offsetof(ErrorParams, Squareness) == 176);
static_assert(offsetof(ErrorParams, StraightH) == 184);
static_assert(offsetof(ErrorParams, StraightV) == 192);
static_assert(offsetof(ErrorParams, Random) == 200);
static_assert(offsetof(ErrorParams, PolarVibration) == 208);
static_assert(offsetof(ErrorParams, VibrationAngle) == 216);
static_assert(offsetof(ErrorParams, Padding) == 218);
static_assert(offsetof(ErrorParams, CentreH) == 220);
static_assert(offsetof(ErrorParams, CentreV) == 228);

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
};

} // namespace sarvo
