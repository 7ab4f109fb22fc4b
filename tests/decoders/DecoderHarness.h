// Runs a B-format decoder as the conversion does: Prepare, then blocks of given lengths,
// silence for its latency after the last block, and the outputs' first latency frames
// dropped. Plus the plane waves and the 120 Hz low-pass the decoder tests compare with.
#pragma once

#include "support/TestAudio.h"
#include "surround/BFormatDecoder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vqtest {

constexpr double kPi = 3.141592653589793;

using WXYZ = std::array<Signal, 4>;
using Outputs = std::vector<Signal>;

// Decodes `input` in blocks whose lengths cycle through `blocks` (Prepare gets the
// longest as maxFrames). The outputs have the input's length, aligned with it.
Outputs RunDecoder(vq::BFormatDecoder& decoder, const WXYZ& input, int rate, const std::vector<std::int64_t>& blocks);

// One frame per direction: frame i is a plane wave of amplitude s from azimuth
// degrees[i], in the horizontal plane (W = s / sqrt 2, X = s cos, Y = s sin, Z = 0).
WXYZ PlaneWaves(const std::vector<double>& degrees, double s = 1.0);

// Uniform noise in every channel, Z included.
WXYZ NoiseWXYZ(std::int64_t frames, unsigned seed);


// The smallest angle between two directions, degrees.
double AngleBetween(double a, double b);

}  // namespace vqtest
