// The entry point of the picture module (DirectionMapPictureModule.h).
#include "spatial/DirectionMapPictureModule.h"

#include "spatial/DirectionMapPicture.h"

#include <cstring>
#include <type_traits>
#include <string>

namespace {

void CopyReason(const std::string& why, char* reason, std::size_t reasonSize)
{
    if (reason && reasonSize > 0) {
        std::strncpy(reason, why.c_str(), reasonSize - 1);
        reason[reasonSize - 1] = '\0';
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int vq_draw_direction_map_png(const vq::DirectionMapLevels* levels,
                                                                                std::FILE* out, char* reason,
                                                                                std::size_t reasonSize)
{
    // The type of the entry point is the one its users call it by.
    static_assert(std::is_same_v<decltype(&vq_draw_direction_map_png), vq::DrawDirectionPictureFunction>);
    std::string why;
    const int status = vq::DrawDirectionMapPng(*levels, out, &why);
    CopyReason(why, reason, reasonSize);
    return status;
}

extern "C" __attribute__((visibility("default"))) int vq_draw_direction_map_over_frame(
    const vq::DirectionMapLevels* levels, const unsigned char* rgb, int width, int height, std::FILE* out, char* reason,
    std::size_t reasonSize)
{
    static_assert(std::is_same_v<decltype(&vq_draw_direction_map_over_frame), vq::DrawDirectionOverFrameFunction>);
    vq::RgbImage frame;
    frame.width = width;
    frame.height = height;
    frame.rgb.assign(rgb, rgb + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::string why;
    const int status = vq::DrawDirectionMapOverFramePng(*levels, frame, out, &why);
    CopyReason(why, reason, reasonSize);
    return status;
}
