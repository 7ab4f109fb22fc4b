// The picture of a direction map as a PNG, drawn with cairo from its levels.
#pragma once

#include "common/RgbImage.h"
#include "spatial/DirectionMapLevels.h"

#include <cstdio>
#include <string>

namespace vq {

// The size of the picture, pixels, and where the map lies in it: two pixels a degree.
constexpr int kDirectionPictureWidth = 900;
constexpr int kDirectionPictureHeight = 640;
constexpr int kDirectionPictureMapLeft = 80;
constexpr int kDirectionPictureMapTop = 56;
constexpr int kDirectionPictureMapWidth = 720;   // 360 degrees
constexpr int kDirectionPictureMapHeight = 360;  // 180 degrees

// Draws the picture into `out`: the map in colour (DirectionScaleColour, the legend in dB
// beside it), azimuth 180 to -180 left to right (DirectionMapLevels.h: the left on the left,
// as a 360-degree frame shows it) with front, left, right and back marked,
// elevation -90 to 90 bottom to top, axes labelled in degrees, and the strip of azimuth over
// time below. 0, or kBadState (no levels), kOutOfMemory (cairo cannot draw) or
// kOutputWriteFailed, with `reason` saying why.
int DrawDirectionMapPng(const DirectionMapLevels& levels, std::FILE* out, std::string* reason);

// Draws the map alone over `frame`, a still of the 360-degree video the take goes under, as a
// PNG of the frame's size: the map stretched over the whole frame (which is laid out as the
// map is), each direction's colour blended with the picture beneath, the louder the more, with
// front, left, right and back marked. The same statuses; kBadState for an empty frame too.
int DrawDirectionMapOverFramePng(const DirectionMapLevels& levels, const RgbImage& frame, std::FILE* out,
                                 std::string* reason);

}  // namespace vq
