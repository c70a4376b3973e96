#include "gauge/heid_api.h"

#include "core/app_error.h"
#include "core/library_binding.h"
#include "gauge/device.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sarvo::gauge {

namespace {

enum class Call { Init110, Init121, GetOne, StartSeries, GetSeries, StopSeries, Kill, Count };
constexpr std::array<const char*, static_cast<int>(Call::Count)> kCallNames = {
    "Heid110InitComm", "Heid121InitComm", "HeidGetOneMeas", "H121StartSerieMeas",
    "H121GetSerieMeasData", "H121StopSerieMeas", "HeidKillComm"};

using Init110Fn = int16_t (*)(int32_t, int16_t, int16_t*);
using Init121Fn = int16_t (*)(int16_t, int16_t, int16_t, int16_t*);
using GetOneFn = int16_t (*)(int16_t, float*, int16_t);
using StartSeriesFn = int16_t (*)(int16_t, float*, int16_t, int16_t, int16_t);
using GetSeriesFn = int16_t (*)(int16_t, int16_t*);
using HandleFn = int16_t (*)(int16_t);

LibraryBinding& binding()
{
    static LibraryBinding library(QString::fromLatin1(kHeidLibraryName),
                                  std::vector<const char*>(kCallNames.begin(), kCallNames.end()));
    return library;
}

template <class Fn>
Fn Bound(Call which)
{
    return reinterpret_cast<Fn>(binding().entry(static_cast<std::size_t>(which)));
}

} // namespace

int16_t HeidInit110(int32_t baseAddress, int16_t axis, int16_t& handle)
{
    return Bound<Init110Fn>(Call::Init110)(baseAddress, axis, &handle);
}

int16_t HeidInit121(int16_t ioAddress, int16_t irq, int16_t axis, int16_t& handle)
{
    return Bound<Init121Fn>(Call::Init121)(ioAddress, irq, axis, &handle);
}

int16_t HeidReadOne(int16_t handle, float& mm)
{
    return Bound<GetOneFn>(Call::GetOne)(handle, &mm, 1);
}

int16_t HeidKill(int16_t handle)
{
    return Bound<HandleFn>(Call::Kill)(handle);
}

void SetHeidLibraryPath(const QString& path)
{
    binding().setPath(path);
}

Ik121Series::~Ik121Series()
{
    if (running_) {
        try {
            stop();
        } catch (...) { // the binding was made at start; nothing can be reported from here
        }
    }
}

int16_t Ik121Series::start(int16_t handle, int expectedPoints, int samplingIntervalMs)
{
    if (running_)
        stop();
    const int size = std::clamp(2 * expectedPoints, 1, 32767);
    buffer_.assign(static_cast<std::size_t>(size), 0.0f);
    const auto quarter = static_cast<int16_t>(std::clamp(static_cast<int>(std::nearbyint(samplingIntervalMs / 4.0)), 1, 32767));
    handle_ = handle;
    const int16_t status =
        Bound<StartSeriesFn>(Call::StartSeries)(handle, buffer_.data(), static_cast<int16_t>(size), quarter, 3999);
    running_ = status == 0;
    return status;
}

int16_t Ik121Series::fetch(std::span<float> out, int& count)
{
    count = 0;
    if (!running_)
        return AppError::kInvalidCall;
    int16_t got = 0;
    int16_t status = Bound<GetSeriesFn>(Call::GetSeries)(handle_, &got);
    const int available = std::clamp(static_cast<int>(got), 0, static_cast<int>(buffer_.size()));
    count = std::min(available, static_cast<int>(out.size()));
    std::copy_n(buffer_.begin(), count, out.begin());
    if (status == 0 && count < available)
        status = kReadingBufferFull;
    return status;
}

int16_t Ik121Series::stop()
{
    if (!running_)
        return 0;
    running_ = false;
    return Bound<HandleFn>(Call::StopSeries)(handle_);
}

} // namespace sarvo::gauge
