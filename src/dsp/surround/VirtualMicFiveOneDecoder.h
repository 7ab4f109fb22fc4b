// The program's first 5.1 decode: first-order virtual microphones, as Surrounder computes
// it (README, "The 5.1 decoder"). L and R at plus and minus half the opening angle, Ls and
// Rs at plus and minus (120 degrees + a sixth of the opening angle), C straight ahead,
// C at -4 dB and the surrounds at -10 dB against the front pair; LFE silent or the 120 Hz
// low-pass of W at a tenth of the level. Unity gain: the caller applies its own.
#pragma once

#include "surround/MatrixFiveOneDecoder.h"

namespace vq {

class VirtualMicFiveOneDecoder : public MatrixFiveOneDecoder {
public:
    // openingAngleDegrees between L and R, 0 to 180 (Prepare refuses others with
    // kBadParameter); lowFreqsInLfe fills the LFE channel, else it stays silent.
    VirtualMicFiveOneDecoder(double openingAngleDegrees, bool lowFreqsInLfe);

private:
    int CheckParameters() const override;

    double m_openingAngle;
};

}  // namespace vq
