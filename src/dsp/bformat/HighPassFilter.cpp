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
    // Pre-warping: the analogue corner that the bilinear transform maps to `cornerHz`.
    const double k = std::tan(kPi * cornerHz / sampleRate);
    // The fourth-order Butterworth's two pole pairs, at 22.5 and 67.5 degrees from the
    // negative real axis, as sections s^2 / (s^2 + s/Q + 1) with 1/Q = 2 cos(angle).
    const auto section = [k](double inverseQ) {
        const double norm = 1.0 / (1.0 + inverseQ * k + k * k);
        return Section{norm, 2.0 * (k * k - 1.0) * norm, (1.0 - inverseQ * k + k * k) * norm};
    };
    m_first = section(2.0 * std::cos(kPi / 8.0));
    m_second = section(2.0 * std::cos(3.0 * kPi / 8.0));
    return kStatusOk;
}

void HighPassFilter::Reset()
{
    for (ChannelState& state : m_states)
        state = ChannelState{};
}

void HighPassFilter::Process(double* const channels[], std::int64_t frames)
{
    const Section a = m_first, b = m_second;
    for (std::size_t c = 0; c < m_states.size(); ++c) {
        ChannelState s = m_states[c];
        double* samples = channels[c];
        for (std::int64_t n = 0; n < frames; ++n) {
            const double x = samples[n];
            // x - 2 x1 + x2 is exactly 0 for a constant input: no DC leaks through rounding.
            double m = a.g * (x - 2.0 * s.x1 + s.x2) - a.a2 * s.m2 - a.a1 * s.m1;
            // A decaying tail would end in denormal numbers, which are very slow to compute with.
            if (std::fabs(m) < kDenormalGuard)
                m = 0.0;
            double y = b.g * (m - 2.0 * s.m1 + s.m2) - b.a2 * s.y2 - b.a1 * s.y1;
            if (std::fabs(y) < kDenormalGuard)
                y = 0.0;
            s.x2 = s.x1;
            s.x1 = x;
            s.m2 = s.m1;
            s.m1 = m;
            s.y2 = s.y1;
            s.y1 = y;
            samples[n] = y;
        }
        m_states[c] = s;
    }
}

}  // namespace vq
