#include "surround/LfeFilter.h"

#include <algorithm>

namespace vq {

LfeFilter::LfeFilter(int sampleRate)
{
    // A rate too low to hold 120 Hz gets its cut-off just below half the rate.
    const double rate = std::max(sampleRate, 1);
    m_section = Biquad::LowPass(std::min(kCutoffHz, 0.45 * rate), rate);
}

}  // namespace vq
