#pragma once
// Shared helpers of the Kelvox tests: guarded output buffers, column-major matrices and their
// double-precision counterparts.

#include <Eigen/Dense>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

namespace kelvox::test {

// An output array with sentinel zones on both sides, so that a write outside the array, or any
// write at all, is seen.
class GuardedBuffer {
public:
    static constexpr std::size_t kGuard = 64;
    static constexpr float kSentinel = -12345.678f;

    explicit GuardedBuffer(std::size_t size, float fill = kSentinel)
        : storage_(size + 2 * kGuard, kSentinel), size_(size)
    {
        std::fill(data(), data() + size, fill);
    }

    float* data() { return storage_.data() + kGuard; }
    const float* data() const { return storage_.data() + kGuard; }
    std::size_t size() const { return size_; }
    float operator[](std::size_t i) const { return data()[i]; }

    bool guardsIntact() const
    {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (!same(storage_[i], kSentinel) || !same(storage_[kGuard + size_ + i], kSentinel))
                return false;
        return true;
    }

    // Bitwise equality of the whole storage, guards included.
    bool bitwiseEqual(const GuardedBuffer& other) const
    {
        return storage_.size() == other.storage_.size()
            && std::memcmp(storage_.data(), other.storage_.data(), storage_.size() * sizeof(float)) == 0;
    }

private:
    static bool same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    std::vector<float> storage_;
    std::size_t size_;
};

using MatrixD = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic>;

// A column-major float matrix as the library takes it, read back in double.
inline MatrixD ToEigen(const float* data, int rows, int cols)
{
    MatrixD m(rows, cols);
    for (int j = 0; j < cols; ++j)
        for (int i = 0; i < rows; ++i)
            m(i, j) = data[i + static_cast<std::size_t>(j) * rows];
    return m;
}

inline std::vector<float> FromEigen(const MatrixD& m)
{
    std::vector<float> v(static_cast<std::size_t>(m.rows() * m.cols()));
    for (Eigen::Index j = 0; j < m.cols(); ++j)
        for (Eigen::Index i = 0; i < m.rows(); ++i)
            v[static_cast<std::size_t>(i + j * m.rows())] = static_cast<float>(m(i, j));
    return v;
}

// Largest element-wise difference relative to the largest element of the reference.
inline double RelativeError(const MatrixD& actual, const MatrixD& reference)
{
    return (actual - reference).cwiseAbs().maxCoeff() / reference.cwiseAbs().maxCoeff();
}

// Uniform values in [-1, 1) from a fixed seed.
inline std::vector<float> RandomValues(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    std::vector<float> v(count);
    for (float& x : v)
        x = uniform(generator);
    return v;
}

} // namespace kelvox::test
