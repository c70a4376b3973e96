#include "gauge/heid_api.h"

#include "core/app_error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>

namespace sarvo::gauge {

namespace {

constexpr int kLoadLibraryError = 48;
constexpr int kFunctionNotFoundError = 453;

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

class Binding {
public:
    static Binding& instance()
    {
        static Binding binding;
        return binding;
    }

    void setPath(const QString& path)
    {
        std::lock_guard lock(mutex_);
        path_ = path;
        library_.reset(); // stays mapped: a series may still be running in it
        entries_.fill(nullptr);
    }

    template <class Fn>
    Fn entry(Call which)
    {
        std::lock_guard lock(mutex_);
        QFunctionPointer& slot = entries_[static_cast<std::size_t>(which)];
        if (!slot) {
            if (!library_) {
                auto library = std::make_unique<QLibrary>(resolveFile());
                if (!library->load())
                    throw AppError(kLoadLibraryError,
                                   StandardErrorText(kLoadLibraryError) + ": " + library->fileName());
                library_ = std::move(library);
            }
            const char* name = kCallNames[static_cast<std::size_t>(which)];
            slot = library_->resolve(name);
            if (!slot)
                throw AppError(kFunctionNotFoundError,
                               StandardErrorText(kFunctionNotFoundError) + ": " + QString::fromLatin1(name));
        }
        return reinterpret_cast<Fn>(slot);
    }

private:
    QString resolveFile() const
    {
        if (path_.isEmpty())
            return QCoreApplication::applicationDirPath() + "/" + kHeidLibraryName;
        const QFileInfo info(path_);
        return info.isDir() ? info.absoluteFilePath() + "/" + kHeidLibraryName : info.absoluteFilePath();
    }

    std::mutex mutex_;
    QString path_;
    std::unique_ptr<QLibrary> library_;
    std::array<QFunctionPointer, static_cast<int>(Call::Count)> entries_{};
};

template <class Fn>
Fn Bound(Call which)
{
    return Binding::instance().entry<Fn>(which);
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
    Binding::instance().setPath(path);
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
        status = kBufferOverflow;
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
