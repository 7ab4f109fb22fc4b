// The picture of a direction map as a PNG, drawn with cairo from its levels.
#pragma once

#include "spatial/DirectionMapLevels.h"

#include <cstdio>
#include <string>

namespace vq {

// The size of the picture, pixels.
constexpr int kDirectionPictureWidth = 900;
constexpr int kDirectionPictureHeight = 640;

// Draws the picture into `out`: the map in colour (DirectionScaleColour, the legend in dB
// beside it), azimuth -180 to 180 left to right with front, left, right and back marked,
// elevation -90 to 90 bottom to top, axes labelled in degrees, and the strip of azimuth over
// time below. 0, or kBadState (no levels), kOutOfMemory (cairo cannot draw) or
// kOutputWriteFailed, with `reason` saying why.
int DrawDirectionMapPng(const DirectionMapLevels& levels, std::FILE* out, std::string* reason);

}  // namespace vq
