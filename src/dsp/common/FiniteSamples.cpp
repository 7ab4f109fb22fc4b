#include "common/FiniteSamples.h"

#include <cmath>

namespace vq {

bool FindNonFinite(const double* interleaved, std::int64_t frames, int channels, NonFiniteSample* found)
{
    // A quick sweep first: x - x is 0 for every finite x and NaN for NaN and the infinities,
    // and NaN stays in a sum. Four sums the compiler can keep in vector registers make it
    // cost a quarter of a nanosecond a sample. Only then is the place searched for.
    const std::int64_t count = frames * channels;
    double sums[4] = {0.0, 0.0, 0.0, 0.0};
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4)
        for (int k = 0; k < 4; ++k)
            sums[k] += interleaved[i + k] - interleaved[i + k];
    for (; i < count; ++i)
        sums[0] += interleaved[i] - interleaved[i];
    if (sums[0] + sums[1] + sums[2] + sums[3] == 0.0)
        return false;
    for (i = 0; i < count; ++i) {
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
