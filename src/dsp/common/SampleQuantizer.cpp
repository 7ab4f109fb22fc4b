#include "common/SampleQuantizer.h"

#include <cmath>

namespace vq {

void SampleQuantizer::Configure(int bits, bool dither, std::uint64_t seed)
{
    m_bits = bits < 8 ? 8 : bits > 32 ? 32 : bits;
    m_dither = dither;
    m_scale = std::ldexp(1.0, m_bits - 1);
    m_low = -m_scale;
    m_high = m_scale - 1.0;
    m_shift = 32 - m_bits;
    m_state = seed;
}

double SampleQuantizer::NextUniform()
{
    // xorshift64*: fast, and the same sequence for the same seed on every machine.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    const std::uint64_t r = m_state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0) - 0.5;
}

std::int64_t SampleQuantizer::Quantize(const double* in, int* out, std::int64_t count)
{
    std::int64_t beyond = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        const double x = in[i];
        beyond += std::fabs(x) > 1.0;
        double v = x * m_scale;
        if (m_dither)
            v += NextUniform() + NextUniform();
        v = v == v ? std::nearbyint(v) : 0.0;  // NaN (never expected) becomes silence, not undefined behaviour
        v = v < m_low ? m_low : v > m_high ? m_high : v;
        out[i] = static_cast<int>(static_cast<std::int64_t>(v) * (std::int64_t(1) << m_shift));
    }
    return beyond;
}

}  // namespace vq
