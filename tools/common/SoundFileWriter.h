// Writing a whole sound file in one go, every libsndfile result checked.
#pragma once

#include <string>
#include <vector>

namespace vq {

// Writes `interleaved` (channels samples a frame) to `path`, replacing a file of that
// name. Floating-point files get no PEAK chunk: its time stamp would make two runs of
// the same design differ. kStatusOk, kOutputOpenFailed or kOutputWriteFailed.
int WriteSoundFile(const std::string& path, const std::vector<double>& interleaved, int channels, int rate, int format);

}  // namespace vq
