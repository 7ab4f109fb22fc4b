// The matrix of the energy-balanced 5.1 decode for the ITU layout: L and R at +-30
// degrees, C at 0, Ls and Rs at +-110 (X to the front, Y to the left). Its aims: the energy
// vector rE = sum g_i^2 u_i / sum g_i^2 (g_i a loudspeaker's gain, u_i its direction)
// points at the source, and the total energy sum g_i^2 is the same from every direction.
//
// Method, in two steps:
// 1. AllRAD: a max-rE first-order decode (omni 1, directional weight cos 45 degrees) to a
//    ring of 360 virtual loudspeakers one degree apart, each virtual loudspeaker panned onto
//    the real pair around it by power-normalised VBAP. Every real loudspeaker then plays
//    its own part of the circle, C included. Its faults on this layout: the energy rises
//    by 3.8 dB from front to back (the rear pair gathers 140 degrees of virtual
//    loudspeakers), and sources near +-150 degrees are pulled up to 21 degrees towards Ls/Rs.
// 2. A refinement of the left-right symmetric matrix (8 free weights) by Nelder-Mead,
//    from the AllRAD matrix, minimising over sources every degree: the mean squared
//    direction error of rE (radians) + the variance of ln(total energy) + the squared
//    distance from the AllRAD matrix relative to its size. The last term keeps AllRAD's
//    share of the work among the loudspeakers: without it the optimum silences C.
// Finally the matrix is scaled so that the total energy averaged over the circle is 1: a
// plane wave of amplitude s gives s^2 over all loudspeakers together.
//
// Measured over sources every degree: rE direction error at most 2.5 degrees within +-30
// degrees of the front and 14.8 degrees elsewhere, worst near +-148 degrees (AllRAD: 3.0
// and 21.2); total energy within -0.4 and +0.7 dB of its mean (AllRAD: -2.3 and +1.5 dB).
// A front source gives L, R 0.57, C 0.35, Ls, Rs 0.29; a rear one Ls, Rs 0.76, the rest
// below 0.06. The design takes about 25 ms.
#pragma once

#include "surround/DecodeMatrix.h"

namespace vq {

// Loudspeaker directions of the ITU layout, degrees.
constexpr double kItuFrontDegrees = 30.0;
constexpr double kItuSurroundDegrees = 110.0;

// The first step alone, at the AllRAD level.
DecodeMatrix DesignAllRadMatrix();
// Both steps, normalised: computed once, then kept.
const DecodeMatrix& EnergyDecodeMatrix();

}  // namespace vq
