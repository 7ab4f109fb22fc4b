// The head-locked stereo pair of a 360° movie (music or narration that turns with the
// viewer's head, channels 5 and 6 after the four Ambisonic ones) comes from a sound file of
// its own; it must fit the take before any output is created.
#pragma once

#include "common/FailureDetail.h"

#include <cstdint>
#include <string>

namespace vq {

// Opens `path` with libsndfile and checks it against the take: 2 channels, `sampleRate`,
// `frames` frames. 0, or kInputOpenFailed, kHeadLockedNotStereo, kHeadLockedRateMismatch or
// kHeadLockedLengthMismatch with the file and what it holds.
int CheckHeadLockedStereo(const std::string& path, int sampleRate, std::int64_t frames, FailureDetail* detail);

}  // namespace vq
