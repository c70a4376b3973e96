#pragma once
// The analysis's view of the runs of a case: checked run bounds and the cosine and sine of
// every point angle, computed once per call and shared by every pass over the same geometry.

#include "core/case.h"

#include <memory>
#include <span>
#include <vector>

namespace sarvo {

// RunCount, checked against 0..7 (error 9 otherwise).
int CheckedRunCount(const CaseData& data);

// RunTargets(run), with run checked against 1..7 and the count against 0..8001 (error 9).
int CheckedTargets(const CaseData& data, int run);

// The readings of one run: points 0..RunTargets(run) - 1, checked as above.
std::span<double> RunReadings(CaseData& data, int run);
std::span<const double> RunReadings(const CaseData& data, int run);

// cos and sin of the n point angles of a run (PointAngleDeg, degrees, with the program's pi).
struct RunTrig {
    std::vector<double> cos;
    std::vector<double> sin;
    // The pseudo-inverse of the one-run circle fit, whose design matrix depends on these angles
    // alone: solved at the first fit of a run of this count and shared by every later one.
    mutable std::vector<float> circlePinv;
    int size() const { return static_cast<int>(cos.size()); }
};

// The point-angle tables of one arc, one per point count met. References stay valid for the
// lifetime of the cache.
class PointTrig {
public:
    explicit PointTrig(const PointArc& arc) : arc_(arc) {}
    explicit PointTrig(const CaseData& data) : PointTrig(data.Arc()) {}

    const RunTrig& forCount(int n);

private:
    PointArc arc_;
    std::vector<std::unique_ptr<RunTrig>> tables_;
};

} // namespace sarvo
