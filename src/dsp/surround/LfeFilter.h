// The low-pass that fills the LFE channel from W: a second-order Butterworth at 120 Hz
// (pre-warped so that 120 Hz lies exactly at -3 dB).
#pragma once

#include "common/Biquad.h"

namespace vq {

// Memory of the filter between samples and blocks.
using LfeState = BiquadState;

class LfeFilter {
public:
    static constexpr double kCutoffHz = 120.0;

    // Coefficients for `sampleRate` in Hz.
    explicit LfeFilter(int sampleRate);

    // Filters the next input sample; `state` carries the recursion across calls and blocks.
    double Next(double x, LfeState& state) const { return m_section.Next(x, state); }

private:
    Biquad m_section;
};

}  // namespace vq
