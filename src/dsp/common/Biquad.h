// One second-order section of a recursive filter, the building block of the program's
// high-pass, LFE low-pass and crossovers: Butterworth-family sections designed by the
// bilinear transform, pre-warped so that the corner lies exactly where asked.
#pragma once

#include <cmath>

namespace vq {

// Memory of a section between samples and blocks: the last two inputs and outputs.
struct BiquadState {
    double x1 = 0.0, x2 = 0.0;  // input one and two samples back
    double y1 = 0.0, y2 = 0.0;  // output one and two samples back
};

struct Biquad {
    // y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2
    double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;

    // The 1/Q of a second-order Butterworth section.
    static constexpr double kButterworth = 1.4142135623730951;

    // 1 / (s^2 + s/Q + 1) and s^2 / (s^2 + s/Q + 1), s normalised to `cornerHz`, which
    // must lie below half of `sampleRate`. A fourth-order Butterworth is two sections with
    // 1/Q = 2 cos(22.5 degrees) and 2 cos(67.5 degrees).
    static Biquad LowPass(double cornerHz, double sampleRate, double inverseQ = kButterworth);
    static Biquad HighPass(double cornerHz, double sampleRate, double inverseQ = kButterworth);

    // Filters the next input sample; `state` carries the recursion across calls and blocks.
    double Next(double x, BiquadState& state) const
    {
        // The previous output enters last: it is the one the recursion waits for. With a
        // high-pass's b1 = -2 b0 = -2 b2 a constant input cancels exactly.
        double y = (b0 * x + b1 * state.x1 + b2 * state.x2 - a2 * state.y2) - a1 * state.y1;
        // A decaying tail would end in denormal numbers, which are very slow to compute with.
        if (std::fabs(y) < kDenormalGuard)
            y = 0.0;
        state.x2 = state.x1;
        state.x1 = x;
        state.y2 = state.y1;
        state.y1 = y;
        return y;
    }

    // Filters x[0 .. count-1] in place, starting from rest.
    void Run(double* x, long count) const
    {
        BiquadState state;
        for (long i = 0; i < count; ++i)
            x[i] = Next(x[i], state);
    }

private:
    static constexpr double kDenormalGuard = 1e-200;
};

}  // namespace vq
