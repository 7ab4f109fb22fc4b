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
    // Adding and taking away 1.5 * 2^52 leaves the nearest integer (ties to even) of any
    // value below 2^51 in magnitude, in the default rounding mode, without a branch or a
    // library call: the loop stays simple enough for the compiler to vectorise.
    constexpr double kRounder = 6755399441055744.0;
    const double lowest = m_lowest, highest = m_highest, scale = m_scale, justify = m_justify;
    std::int64_t beyondFullScale = 0;
    if (!m_dither) {
        for (std::int64_t i = 0; i < count; ++i) {
            const double x = in[i];
            beyondFullScale += std::fabs(x) > 1.0;
            double v = x * scale;
            // Saturating first keeps the rounding trick in range and the conversion
            // defined; NaN (never expected: inputs are checked) becomes silence.
            v = v < lowest ? lowest : v > highest ? highest : v;
            v = v == v ? (v + kRounder) - kRounder : 0.0;
            out[i] = static_cast<int>(v * justify);
        }
        return beyondFullScale;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        const double x = in[i];
        beyondFullScale += std::fabs(x) > 1.0;
        // The halves of one draw are two uniform values in [0, 1); each less 0.5, their sum
        // is the triangular dither in [-1, 1) LSB.
        const std::uint64_t r = NextRandom();
        double v = x * scale + (static_cast<double>((r >> 32) + (r & 0xFFFFFFFFull)) * kTwoToMinus32 - 1.0);
        v = v < lowest ? lowest : v > highest ? highest : v;
        v = v == v ? (v + kRounder) - kRounder : 0.0;
        out[i] = static_cast<int>(v * justify);
    }
    return beyondFullScale;
}

}  // namespace vq
