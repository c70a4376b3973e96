#include "analysis/trig_tables.h"

#include "core/app_error.h"

#include <array>
#include <cmath>

namespace sarvo {

namespace {

struct TrigTables {
    std::array<float, kTrigEntries> cosine{};
    std::array<float, kTrigEntries> sine{};

    TrigTables() { fill(); }
    void fill()
    {
        for (int d = kTrigFirstDegree; d <= kTrigLastDegree; ++d) {
            const double x = (d * kPi12) / 180.0;
            cosine[static_cast<std::size_t>(d - kTrigFirstDegree)] = static_cast<float>(std::cos(x));
            sine[static_cast<std::size_t>(d - kTrigFirstDegree)] = static_cast<float>(std::sin(x));
        }
    }
};

TrigTables& tables()
{
    static TrigTables t;
    return t;
}

std::size_t index(int degree)
{
    if (degree < kTrigFirstDegree || degree > kTrigLastDegree)
        throw AppError::subscriptOutOfRange();
    return static_cast<std::size_t>(degree - kTrigFirstDegree);
}

} // namespace

float CosTab(int degree)
{
    return tables().cosine[index(degree)];
}

float SinTab(int degree)
{
    return tables().sine[index(degree)];
}

const float* CosTabZero()
{
    return tables().cosine.data() - kTrigFirstDegree;
}

const float* SinTabZero()
{
    return tables().sine.data() - kTrigFirstDegree;
}

void InitTrigTables()
{
    tables().fill();
}

} // namespace sarvo
