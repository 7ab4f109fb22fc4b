#include "surround/LfeFilter.h"

#include <algorithm>

namespace vq {

LfeFilter::LfeFilter(int sampleRate)
{
    constexpr double kPi = 3.141592653589793;
    constexpr double kSqrtTwo = 1.4142135623730951;
    // A rate too low to hold 120 Hz gets its cut-off just below half the rate.
    const double rate = std::max(sampleRate, 1);
    const double cutoff = std::min(kCutoffHz, 0.45 * rate);
    // Pre-warping: the analogue prototype's cut-off that the bilinear transform maps to `cutoff`.
    const double k = std::tan(kPi * cutoff / rate);
    const double norm = 1.0 / (1.0 + kSqrtTwo * k + k * k);
    m_b0 = k * k * norm;
    m_b1 = 2.0 * m_b0;
    m_b2 = m_b0;
    m_a1 = 2.0 * (k * k - 1.0) * norm;
    m_a2 = (1.0 - kSqrtTwo * k + k * k) * norm;
}

}  // namespace vq
