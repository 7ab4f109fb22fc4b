#include "common/RgbImage.h"

#include "common/EngineStatus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace vq {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Pictures larger than 16384 pixels a side are no video frame.
constexpr int kLargestSide = 16384;

}  // namespace

int WritePpm(const RgbImage& image, const std::string& path, FailureDetail* detail)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height) > 0 &&
              std::fwrite(image.rgb.data(), 1, image.rgb.size(), file) == image.rgb.size();
    const int error = errno;
    ok = file && std::fclose(file) == 0 && ok;
    if (!ok && detail)
        *detail = {path, std::strerror(error)};
    return ok ? kStatusOk : kOutputWriteFailed;
}

bool ReadPpm(const std::string& path, RgbImage* image, std::string* problem)
{
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        *problem = std::strerror(errno);
        return false;
    }
    int width = 0, height = 0, maximum = 0;
    if (std::fscanf(file.get(), "P6 %d %d %d", &width, &height, &maximum) != 3 || std::fgetc(file.get()) != '\n' ||
        maximum != 255 || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) {
        *problem = "not a picture of 8-bit red, green and blue (PPM)";
        return false;
    }
    RgbImage read;
    read.width = width;
    read.height = height;
    read.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    if (std::fread(read.rgb.data(), 1, read.rgb.size(), file.get()) != read.rgb.size()) {
        *problem = "the picture ends early";
        return false;
    }
    *image = std::move(read);
    return true;
}

}  // namespace vq
