// The program's pictures, compiled in: the PNG images that the art provider serves by id,
// and the XPM images of the window icons. Plain data; the window code decodes it.
#pragma once

#include <cstddef>

namespace vq {

struct EmbeddedImage {
    const char* id;             // art id, for example "check_16x16"
    const unsigned char* data;  // a complete PNG file
    std::size_t size;           // bytes
};

// conv_small, label_b_alpha, vessarquilix_16x16, _24x24, _32x32, _48x48, _64x64 and
// _128x128, check_16x16 .. _32x32, cross_16x16 .. _32x32, in this order.
extern const EmbeddedImage kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;

struct EmbeddedIcon {
    int size;                // width and height in pixels
    const char* const* xpm;  // XPM image data
};

// The logo at 16, 24, 32, 48, 64 and 128 pixels, in this order: the title bar, the task
// bar and the window switcher each pick theirs.
constexpr std::size_t kWindowIconCount = 6;
extern const EmbeddedIcon kWindowIcons[kWindowIconCount];

}  // namespace vq
