// The picture of a direction map in a module of its own, which a program loads only when it
// draws one: cairo brings the X11 client libraries with it, and the command-line converter
// runs where there are none. The module holds DrawDirectionMapPng and
// DrawDirectionMapOverFramePng behind a C entry point each.
#pragma once

#include "spatial/DirectionMapLevels.h"

#include <cstddef>
#include <cstdio>

namespace vq {

// The module's file name, and where it lies relative to the folder of the program's
// executable (the staged and the installed tree alike).
constexpr const char* kDirectionPictureModule = "vessarquilix-map-picture.so";
constexpr const char* kDirectionPictureModuleFolder = "../lib/vessarquilix";

// The entry point: DrawDirectionMapPng, with the reason of a failure copied into `reason`
// (`reasonSize` bytes, ended by a zero byte).
constexpr const char* kDrawDirectionPictureSymbol = "vq_draw_direction_map_png";
using DrawDirectionPictureFunction = int (*)(const DirectionMapLevels* levels, std::FILE* out, char* reason,
                                             std::size_t reasonSize);
// DrawDirectionMapOverFramePng, the frame given as its pixels (RgbImage's rgb) and size.
constexpr const char* kDrawDirectionOverFrameSymbol = "vq_draw_direction_map_over_frame";
using DrawDirectionOverFrameFunction = int (*)(const DirectionMapLevels* levels, const unsigned char* rgb, int width,
                                               int height, std::FILE* out, char* reason, std::size_t reasonSize);

}  // namespace vq
