// The still of a clip the direction map is drawn over: the frame at the middle of the clip,
// which the movie helper decodes (FFmpeg's libraries stay out of the program) and hands over
// as a picture file beside the map's picture, removed once read.
#pragma once

#include "common/FailureDetail.h"
#include "common/RgbImage.h"

#include <functional>
#include <string>

namespace vq {

// `clip` and `picture` as the file system spells them. kStatusOk with `still`; a status of
// the helper (kVideoClipUnreadable, kMovieWriterUnavailable, kStatusCancelled, ...), or
// kOutputOpenFailed when no file can be made beside `picture`, with `detail`.
int ReadClipStill(const std::string& clip, const std::string& picture, const std::function<bool()>& keepGoing,
                  RgbImage* still, FailureDetail* detail);

}  // namespace vq
