// A picture as 8-bit red, green and blue a pixel, row after row, and its binary PPM form (P6),
// in which the movie helper hands a clip's frame to the program that draws the map over it.
#pragma once

#include "common/FailureDetail.h"

#include <string>
#include <vector>

namespace vq {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3 bytes

    bool Empty() const { return width <= 0 || height <= 0; }
};

// kStatusOk, or kOutputWriteFailed with `detail` naming the file and the reason.
int WritePpm(const RgbImage& image, const std::string& path, FailureDetail* detail);
// False, with `problem` saying why, for a file that is not a whole P6 picture of 8-bit samples.
bool ReadPpm(const std::string& path, RgbImage* image, std::string* problem);

}  // namespace vq
