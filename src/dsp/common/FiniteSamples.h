// Samples that are not numbers: a float file can hold NaN or an infinity, which would spread
// through every filter and every later block of the result. The engines refuse them where
// they read, naming the first one.
#pragma once

#include <cstdint>
#include <string>

namespace vq {

struct NonFiniteSample {
    std::int64_t frame = 0;  // counted from the start of the data searched
    int channel = 0;         // counted from 0
    double value = 0.0;
};

// Searches `frames` interleaved frames of `channels` samples; true (and *found) when one of
// them is NaN or infinite, the earliest frame first.
bool FindNonFinite(const double* interleaved, std::int64_t frames, int channels, NonFiniteSample* found);

// "frame 1234, channel 2 holds NaN (frames count from 0, channels from 1)": the reason a
// refusal gives, with `firstFrame` added to the frame found.
std::string DescribeNonFinite(const NonFiniteSample& sample, std::int64_t firstFrame);

}  // namespace vq
