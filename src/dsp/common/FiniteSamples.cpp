#include "common/FiniteSamples.h"

#include <cmath>
#include <limits>

namespace vq {

bool FindNonFinite(const double* interleaved, std::int64_t frames, int channels, NonFiniteSample* found)
{
    // A branch-free sweep first (it vectorises: NaN fails every comparison), then the
    // search for the place only when there is something to find.
    const std::int64_t count = frames * channels;
    constexpr double kLargest = std::numeric_limits<double>::max();
    bool bad = false;
    for (std::int64_t i = 0; i < count; ++i)
        bad |= !(std::fabs(interleaved[i]) <= kLargest);
    if (!bad)
        return false;
    for (std::int64_t i = 0; i < count; ++i) {
        if (!std::isfinite(interleaved[i])) {
            found->frame = i / channels;
            found->channel = static_cast<int>(i % channels);
            found->value = interleaved[i];
            return true;
        }
    }
    return false;
}

std::string DescribeNonFinite(const NonFiniteSample& sample, std::int64_t firstFrame)
{
    const char* what = std::isnan(sample.value) ? "NaN" : sample.value > 0 ? "+infinity" : "-infinity";
    return "frame " + std::to_string(firstFrame + sample.frame) + ", channel " + std::to_string(sample.channel + 1) +
           " holds " + what + " (frames count from 0, channels from 1)";
}

}  // namespace vq
