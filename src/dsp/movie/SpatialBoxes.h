// The boxes that tell 360° players what a movie holds, as bytes ready to go at the end of a
// sample entry: SA3D (Google's spatial-audio box) for the Ambisonic audio, st3d and sv3d
// (the spherical-video boxes, version 2) for the video.
#pragma once

#include <cstdint>
#include <vector>

namespace vq {

// SA3D for first-order AmbiX: version 0, periphonic, order 1, ACN channel ordering, SN3D
// normalisation. 4 channels (W, Y, Z, X, channel map 0-3), or 6 when a head-locked stereo
// pair follows as channels 5 and 6 (the head-locked flag set, channel map 0-5).
std::vector<std::uint8_t> SpatialAudioBox(bool headLocked);

// How a video is laid out on the sphere, as its st3d and sv3d boxes describe it.
struct SphericalVideo {
    enum class Projection { None, Equirectangular, Cubemap };
    Projection projection = Projection::None;
    std::int32_t yaw = 0, pitch = 0, roll = 0;  // the pose, degrees in 16.16 fixed point
    // Equirectangular: the part of the sphere the picture covers, distances from its
    // edges as fractions in 0.32 fixed point (all 0: the whole sphere).
    std::uint32_t boundTop = 0, boundBottom = 0, boundLeft = 0, boundRight = 0;
    std::uint32_t padding = 0;  // cube map: pixels around each face
    int stereoMode = -1;        // st3d: 0 mono, 1 top-bottom, 2 left-right; -1 not stated
    bool Present() const { return projection != Projection::None || stereoMode >= 0; }
};

// st3d (when the stereo mode is stated) followed by sv3d (when a projection is); empty when
// the video states neither.
std::vector<std::uint8_t> SphericalVideoBoxes(const SphericalVideo& video);

}  // namespace vq
