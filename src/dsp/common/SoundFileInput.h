// Opening a sound file for reading with a length the engines can trust. libsndfile takes
// the frame count from the header; a damaged or streamed file (an Ogg file whose last page
// is corrupt, a FLAC file that was never finalised) can claim an unknown or absurd length,
// up to 2^63 - 1 frames. Such a length is counted by decoding the file to its end.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

namespace vq {

// No recording is longer (at 192 kHz, over a million years): frame counts below it can be
// added to filter lengths without overflow.
constexpr std::int64_t kMaxInputFrames = std::int64_t(1) << 52;

// Opens `path` (the caller's file is only ever read). On success *file is open and
// info->frames is the number of frames the file delivers. kStatusOk, or kInputOpenFailed
// when it cannot be opened, its length cannot be counted or it holds more than
// kMaxInputFrames frames; `reason` says why.
int OpenSoundFileForReading(const std::string& path, SF_INFO* info, SNDFILE** file, std::string* reason);

}  // namespace vq
