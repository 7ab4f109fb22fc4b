// The high-pass against wind and handling rumble: a fourth-order Butterworth (two cascaded
// second-order sections, bilinear transform pre-warped so that the corner lies exactly at
// -3 dB), run on every channel of a planar block in place.
#pragma once

#include "common/Biquad.h"

#include <cstdint>
#include <vector>

namespace vq {

class HighPassFilter {
public:
    static constexpr double kMinCornerHz = 10.0;
    static constexpr double kMaxCornerHz = 200.0;

    // Sets the corner in Hz for `sampleRate` in Hz and `channels` channels, and clears the
    // filter memory. Returns kStatusOk; kBadParameter when the corner lies outside
    // [kMinCornerHz, kMaxCornerHz] or above 0.45 * sampleRate, or channels < 1;
    // kOutOfMemory when the memory cannot be allocated. On failure nothing changes.
    int Configure(double cornerHz, int sampleRate, int channels);

    // Clears the filter memory, as at the start of a new signal.
    void Reset();

    // Filters `frames` frames of channels[0 .. Channels()-1] in place. The memory carries
    // across calls, so the output does not depend on how the signal is cut into blocks.
    // Does nothing before a successful Configure.
    void Process(double* const channels[], std::int64_t frames);

    double CornerHz() const { return m_cornerHz; }
    int Channels() const { return static_cast<int>(m_states.size()); }

private:
    // One channel's memory: the first section's outputs are the second section's inputs.
    struct ChannelState {
        BiquadState first, second;
    };

    Biquad m_first, m_second;
    double m_cornerHz = 0.0;
    std::vector<ChannelState> m_states;
};

}  // namespace vq
