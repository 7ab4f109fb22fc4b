#include "spatial/Decorrelators.h"

#include <algorithm>
#include <cmath>

namespace vq {

namespace {

constexpr double kPi = 3.14159265358979323846;

// 0 .. 1 between a and b with a raised cosine.
double Fade(double f, double a, double b)
{
    if (f <= a)
        return 0.0;
    if (f >= b)
        return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * (f - a) / (b - a));
}

// The delay offset (-1 .. 1, times the mean delay) of `channel` in segment `segment`.
double SegmentOffset(int channel, int channels, int segment)
{
    if (channels < 2 || segment < 0)
        return 0.0;
    const int step = std::max(1, channels / 2);
    const int slot = (channel + segment * step) % channels;
    return 2.0 * slot / (channels - 1) - 1.0;
}

// The group delay of `channel` at `hz`, in seconds.
double GroupDelay(int channel, int channels, double hz, double meanDelay)
{
    using D = DecorrelatorDesign;
    if (hz < D::kStartHz)
        return meanDelay;
    // Find the segment of hz and where in it hz lies.
    int segment = 0;
    double start = D::kStartHz;
    double width = std::max(D::kMinSegmentHz, start * D::kSegmentFraction);
    while (hz >= start + width) {
        start += width;
        width = std::max(D::kMinSegmentHz, start * D::kSegmentFraction);
        ++segment;
    }
    const double glide = Fade(hz, start, start + D::kGlideFraction * width);
    const double previous = SegmentOffset(channel, channels, segment - 1);
    const double offset = previous + glide * (SegmentOffset(channel, channels, segment) - previous);
    return meanDelay * (1.0 + Fade(hz, D::kStartHz, D::kFullSpreadHz) * offset);
}

}  // namespace

void DesignDecorrelators(int channels, int bins, double binHz, double meanDelaySeconds, fftw_complex* const filters[])
{
    for (int c = 0; c < channels; ++c) {
        // The phase is minus the integral of the group delay over the angular frequency.
        double phase = 0.0;
        double previousDelay = GroupDelay(c, channels, 0.0, meanDelaySeconds);
        for (int k = 0; k < bins; ++k) {
            const double delay = GroupDelay(c, channels, k * binHz, meanDelaySeconds);
            if (k > 0)
                phase -= 2.0 * kPi * binHz * 0.5 * (previousDelay + delay);
            previousDelay = delay;
            filters[c][k][0] = std::cos(phase);
            filters[c][k][1] = std::sin(phase);
        }
    }
}

}  // namespace vq
