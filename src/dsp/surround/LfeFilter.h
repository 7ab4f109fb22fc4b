// The low-pass that fills the LFE channel from W: a second-order Butterworth at 120 Hz
// (bilinear transform, pre-warped so that 120 Hz lies exactly at -3 dB).
#pragma once

#include <cmath>

namespace vq {

// Memory of the filter between samples and blocks: the last two inputs and outputs.
struct LfeState {
    double x2 = 0.0;  // input two samples back
    double x1 = 0.0;  // input one sample back
    double y2 = 0.0;  // output two samples back
    double y1 = 0.0;  // output one sample back
};

class LfeFilter {
public:
    static constexpr double kCutoffHz = 120.0;

    // Coefficients for `sampleRate` in Hz.
    explicit LfeFilter(int sampleRate);

    // Filters the next input sample; `state` carries the recursion across calls and blocks.
    double Next(double x, LfeState& state) const
    {
        // The previous output enters last: it is the one the recursion waits for.
        double y = (m_b0 * x + m_b1 * state.x1 + m_b2 * state.x2 - m_a2 * state.y2) - m_a1 * state.y1;
        // A decaying tail would end in denormal numbers, which are very slow to compute with.
        if (std::fabs(y) < kDenormalGuard)
            y = 0.0;
        state.x2 = state.x1;
        state.x1 = x;
        state.y2 = state.y1;
        state.y1 = y;
        return y;
    }

private:
    static constexpr double kDenormalGuard = 1e-200;

    double m_b0 = 0.0, m_b1 = 0.0, m_b2 = 0.0;
    double m_a1 = 0.0, m_a2 = 0.0;
};

}  // namespace vq
