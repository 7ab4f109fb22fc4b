#include "chain/GainRamp.h"

namespace vq {

void GainRamp::Set(double gain)
{
    m_target = gain;
    m_length = m_left = 0;
}

void GainRamp::MoveTo(double gain, std::int64_t frames)
{
    if (frames <= 0) {
        Set(gain);
        return;
    }
    m_from = m_left > 0 ? Along(m_length - m_left) : m_target;
    m_target = gain;
    m_length = m_left = frames;
}

void GainRamp::Apply(double* const signals[], int channels, std::int64_t frames)
{
    std::int64_t n = 0;
    for (; n < frames && m_left > 0; ++n) {
        --m_left;
        const double gain = m_left == 0 ? m_target : Along(m_length - m_left);
        for (int c = 0; c < channels; ++c)
            signals[c][n] *= gain;
    }
    if (n == frames || m_target == 1.0)
        return;
    const double gain = m_target;
    for (int c = 0; c < channels; ++c)
        for (std::int64_t i = n; i < frames; ++i)
            signals[c][i] *= gain;
}

}  // namespace vq
