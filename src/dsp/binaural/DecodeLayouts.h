// The virtual loudspeakers the headphone decoder renders first-order B-format through, and
// the weights of W, X, Y, Z in each one's feed. Two bands, two layouts:
// - below the crossover, the six points on the axes (front, back, left, right, up, down)
//   with the velocity decode (basic weights: the velocity vector of the decoded field is
//   the source direction). A first-order decode can match the low-frequency interaural
//   delay at one lateral angle only; with all six speakers on the axes it matches at 90
//   degrees, where the delays are largest (the cube or denser layouts give 10 to 20 %
//   less there).
// - above it, the eight corners of a cube (azimuths +-45 and +-135 degrees, elevations
//   +-35.26) with max-rE weights (first order in 3-D: 1/sqrt(3) on X, Y, Z), scaled so that
//   the feeds carry the energy of the low band's, which keeps diffuse sound at its level
//   across the crossover. No corner lies in the median plane, where a speaker reaches both
//   ears alike: that keeps the level difference between the ears of a lateral source.
#pragma once

#include <array>

namespace vq {

struct VirtualSpeaker {
    double azimuth;                 // degrees, positive to the left
    double elevation;               // degrees, positive up
    std::array<double, 4> weights;  // of W, X, Y, Z (Furse-Malham) in the speaker's feed
};

constexpr int kLowBandSpeakers = 6;
constexpr int kHighBandSpeakers = 8;

std::array<VirtualSpeaker, kLowBandSpeakers> LowBandSpeakers();
std::array<VirtualSpeaker, kHighBandSpeakers> HighBandSpeakers();

}  // namespace vq
