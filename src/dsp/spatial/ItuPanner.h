// Vector-base amplitude panning (Pulkki 1997) over the five loudspeakers of the ITU 5.1
// layout: C at 0 degrees, L and R at +-30, Ls and Rs at +-110 (azimuth positive to the
// left). A direction between two neighbouring loudspeakers plays from those two, with the
// gains g1, g2 >= 0 that make g1 l1 + g2 l2 point at it, scaled so that g1^2 + g2^2 = 1 (the
// tangent law for the pair); a direction on a loudspeaker plays from it alone.
//
// The layout has no loudspeaker above or below: for a direction at elevation e, cos^2 e of
// the energy is panned by its azimuth and the other sin^2 e goes to all five alike, so
// sound from overhead spreads around the listener instead of collapsing onto one pair.
#pragma once

#include <array>

namespace vq {

class ItuPanner {
public:
    // Loudspeakers in the order of the gains: L, R, C, Ls, Rs.
    static constexpr int kSpeakers = 5;

    // Gains of the loudspeakers for the unit vector `direction` (X front, Y left, Z up); their
    // squares add up to 1.
    static std::array<double, kSpeakers> Gains(const std::array<double, 3>& direction);
};

}  // namespace vq
