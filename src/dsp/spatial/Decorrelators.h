// All-pass filters that make the diffuse part of a parametric decode reach each ear or
// loudspeaker as a different signal, as a diffuse field does, without colouring it: each
// channel's filter is a delay that changes with frequency.
//
// The spectrum is cut into segments about a third of an octave wide (a quarter of their
// frequency, at least 100 Hz) from 150 Hz up. In every segment each channel gets its own
// delay from the mean delay d0 plus or minus up to d0, the values spread evenly over the
// channels and dealt to them in another order in the next segment (two channels: d0 +- d0
// by turns, so neither ear leads overall). The delay glides from one segment's value to the
// next over the first quarter of the segment, so the impulse responses stay compact: every
// channel's response lies within 0 .. 2 d0, with no echo before the sound and no wrap in a
// transform frame that leaves 2 d0 of room. Below 150 Hz every channel gets d0, as a
// diffuse field at those wavelengths reaches both ears alike; the spread fades in up to
// 600 Hz.
//
// Two channels differ by 2 d0 within each segment: their cross-correlation within +-1 ms
// is small as soon as a segment is wider than about 1 / (2 d0), while the segments stay
// narrow enough that the delays average out to no lateral shift.
#pragma once

#include <fftw3.h>

namespace vq {

struct DecorrelatorDesign {
    static constexpr double kStartHz = 150.0;
    static constexpr double kFullSpreadHz = 600.0;
    static constexpr double kMinSegmentHz = 100.0;
    static constexpr double kSegmentFraction = 0.25;
    static constexpr double kGlideFraction = 0.25;
};

// Writes the filters of `channels` channels: filters[c][0 .. bins-1], bins `binHz` apart,
// unit magnitude, group delays around `meanDelaySeconds`.
void DesignDecorrelators(int channels, int bins, double binHz, double meanDelaySeconds, fftw_complex* const filters[]);

}  // namespace vq
