// The picture of a direction map, through the module that draws it
// (spatial/DirectionMapPictureModule.h), loaded the first time a picture is asked for.
#pragma once

#include "common/FailureDetail.h"
#include "common/RgbImage.h"
#include "spatial/DirectionMapLevels.h"

#include <string>

namespace vq {

// Whether the picture module can be loaded: true, or false with the reason (which file was
// looked for, and what the loader said).
bool DirectionPictureAvailable(std::string* reason);

// Writes the picture of `levels` to `path`, whole or not at all: the map with its scale and
// strip, or with `frame` (a still of the video the take goes under) the map alone blended
// over the frame, at its size. kStatusOk, or kDirectionMapFailed (the module cannot be
// loaded), kOutOfMemory, kOutputOpenFailed or kOutputWriteFailed with `detail` naming the
// file and the reason.
int WriteDirectionPicture(const DirectionMapLevels& levels, const std::string& path, FailureDetail* detail,
                          const RgbImage* frame = nullptr);

}  // namespace vq
