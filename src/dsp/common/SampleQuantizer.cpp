#include "common/SampleQuantizer.h"

#include "common/EngineStatus.h"

#include <cmath>

namespace vq {

int SampleQuantizer::Configure(int bits, bool dither, std::uint64_t seed)
{
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return kBadParameter;
    m_bits = bits;
    m_dither = dither;
    m_state = seed;
    m_scale = std::ldexp(1.0, bits - 1);
    m_justify = std::ldexp(1.0, 32 - bits);
    m_lowest = -m_scale;
    m_highest = m_scale - 1.0;
    return kStatusOk;
}

std::uint64_t SampleQuantizer::NextRandom()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::int64_t SampleQuantizer::Quantize(const double* in, int* out, std::int64_t count)
{
    constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
    std::int64_t beyondFullScale = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double x = in[i];
        if (std::fabs(x) > 1.0)
            ++beyondFullScale;
        double v = x * m_scale;
        if (m_dither) {
            // The halves of one draw are two uniform values in [0, 1); each less 0.5, their
            // sum is the triangular dither in [-1, 1) LSB.
            const std::uint64_t r = NextRandom();
            v += static_cast<double>((r >> 32) + (r & 0xFFFFFFFFull)) * kTwoToMinus32 - 1.0;
        }
        // std::round does not depend on the floating-point rounding mode. Saturating before
        // the conversion keeps it defined for any input.
        double q = std::round(v);
        if (q > m_highest)
            q = m_highest;
        else if (q < m_lowest)
            q = m_lowest;
        else if (std::isnan(q))
            q = 0.0;
        out[i] = static_cast<int>(q * m_justify);
    }
    return beyondFullScale;
}

}  // namespace vq
