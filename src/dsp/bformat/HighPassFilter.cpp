#include "bformat/HighPassFilter.h"

#include "common/EngineStatus.h"

#include <cmath>
#include <new>

namespace vq {

namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

int HighPassFilter::Configure(double cornerHz, int sampleRate, int channels)
{
    // Written so that a NaN corner fails too.
    if (!(cornerHz >= kMinCornerHz && cornerHz <= kMaxCornerHz) || sampleRate <= 0 || cornerHz > 0.45 * sampleRate ||
        channels < 1)
        return kBadParameter;
    try {
        m_states.assign(static_cast<std::size_t>(channels), ChannelState{});
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    m_cornerHz = cornerHz;
    // The fourth-order Butterworth's two pole pairs, at 22.5 and 67.5 degrees from the
    // negative real axis: sections with 1/Q = 2 cos(angle).
    m_first = Biquad::HighPass(cornerHz, sampleRate, 2.0 * std::cos(kPi / 8.0));
    m_second = Biquad::HighPass(cornerHz, sampleRate, 2.0 * std::cos(3.0 * kPi / 8.0));
    return kStatusOk;
}

void HighPassFilter::Reset()
{
    for (ChannelState& state : m_states)
        state = ChannelState{};
}

void HighPassFilter::Process(double* const channels[], std::int64_t frames)
{
    const Biquad a = m_first, b = m_second;
    for (std::size_t c = 0; c < m_states.size(); ++c) {
        ChannelState s = m_states[c];
        double* samples = channels[c];
        for (std::int64_t n = 0; n < frames; ++n)
            samples[n] = b.Next(a.Next(samples[n], s.first), s.second);
        m_states[c] = s;
    }
}

}  // namespace vq
