// A still of a video clip: the frame shown at the middle of the clip, decoded and turned into
// red, green and blue at the clip's size, for the direction map drawn over it.
#pragma once

#include "common/FailureDetail.h"
#include "common/RgbImage.h"

#include <string>

namespace vq {

// kStatusOk with `image`, or kVideoClipUnreadable (the clip or its video cannot be read or
// decoded) or kVideoClipNoVideo, with `detail` naming the clip and the reason.
int ReadMiddleFrame(const std::string& clip, RgbImage* image, FailureDetail* detail);

}  // namespace vq
