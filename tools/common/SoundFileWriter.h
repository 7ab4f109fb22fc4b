// Writing a whole sound file in one go, every libsndfile result checked.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vq {

// libsndfile's string kind (SF_STR_TITLE, SF_STR_COMMENT, ...) and its text.
using SoundFileStrings = std::vector<std::pair<int, std::string>>;

// Writes `interleaved` (channels samples a frame) to `path`, replacing a file of that
// name, with `strings` in its header (a WAV file's LIST/INFO chunk). Floating-point files
// get no PEAK chunk: its time stamp would make two runs of the same design differ.
// kStatusOk, kOutputOpenFailed or kOutputWriteFailed.
int WriteSoundFile(const std::string& path, const std::vector<double>& interleaved, int channels, int rate, int format,
                   const SoundFileStrings& strings = {});

}  // namespace vq
