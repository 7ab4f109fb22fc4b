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

// conv_small, label_b_alpha, vessarquilix_16x16 .. _128x128, check_16x16 .. _32x32,
// cross_16x16 .. _32x32, in this order.
extern const EmbeddedImage kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;

struct EmbeddedIcon {
    int size;                // width and height in pixels
    const char* const* xpm;  // XPM image data
};

// The logo at 16, 32, 48 and 128 pixels, in this order.
constexpr std::size_t kWindowIconCount = 4;
extern const EmbeddedIcon kWindowIcons[kWindowIconCount];

}  // namespace vq
