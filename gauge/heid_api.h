#pragma once
// The program's side of the counter-card library HEID: its seven calls bound by name at the first
// call, from the program's folder (libHEID.so). A missing library raises AppError 48, a missing
// call AppError 453, for the calling procedure to report. Every call returns the library's 16-bit
// status, 0 for success, 320 while the reference mark has not been crossed.

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace sarvo::gauge {

inline constexpr const char* kHeidLibraryName = "libHEID.so";
inline constexpr int16_t kHeidMarkNotCrossed = 320;
inline constexpr int16_t kBufferOverflow = 513;

int16_t HeidInit110(int32_t baseAddress, int16_t axis, int16_t& handle);
int16_t HeidInit121(int16_t ioAddress, int16_t irq, int16_t axis, int16_t& handle);
int16_t HeidReadOne(int16_t handle, float& mm);
int16_t HeidKill(int16_t handle);

// Where the library is loaded from: a folder or the library file; empty means the program's
// folder. Changing it drops the binding made so far.
void SetHeidLibraryPath(const QString& path);

// A running IK121 series. The library writes into the buffer handed over at the start until the
// series stops, so the buffer lives here and the destructor stops the series before freeing it,
// on every path out of a capture.
class Ik121Series {
public:
    Ik121Series() = default;
    ~Ik121Series();
    Ik121Series(const Ik121Series&) = delete;
    Ik121Series& operator=(const Ik121Series&) = delete;

    // Room for twice the expected points; one value per samplingIntervalMs.
    int16_t start(int16_t handle, int expectedPoints, int samplingIntervalMs);
    // The new values (mm) into out from index 0, never more than out holds; count is the number
    // stored. More values than out holds is kReadingBufferFull (device.h; the values that fit kept);
    // 513 is the library's own: more values than its buffer held.
    int16_t fetch(std::span<float> out, int& count);
    int16_t stop();
    bool running() const { return running_; }

private:
    int16_t handle_ = 0;
    bool running_ = false;
    std::vector<float> buffer_;
};

} // namespace sarvo::gauge
