// An owning array allocated with fftw_malloc, so that FFTW's SIMD code paths apply to it
// and every array of a kind shares one alignment (a plan made on one can run on all).
#pragma once

#include <fftw3.h>

#include <cstddef>
#include <cstring>
#include <utility>

namespace vq {

template <typename T>
class FftwArray {
public:
    FftwArray() = default;
    ~FftwArray() { Release(); }
    FftwArray(const FftwArray&) = delete;
    FftwArray& operator=(const FftwArray&) = delete;
    FftwArray(FftwArray&& other) noexcept { *this = std::move(other); }
    FftwArray& operator=(FftwArray&& other) noexcept
    {
        if (this != &other) {
            Release();
            std::swap(m_data, other.m_data);
            std::swap(m_size, other.m_size);
        }
        return *this;
    }

    // Allocates count zeroed elements; false when memory is short.
    bool Allocate(std::size_t count)
    {
        Release();
        if (count == 0)
            return true;
        m_data = static_cast<T*>(fftw_malloc(count * sizeof(T)));
        if (!m_data)
            return false;
        m_size = count;
        std::memset(static_cast<void*>(m_data), 0, count * sizeof(T));
        return true;
    }

    void Release()
    {
        if (m_data)
            fftw_free(m_data);
        m_data = nullptr;
        m_size = 0;
    }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace vq
