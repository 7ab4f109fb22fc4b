// A 5.1 decode for the ITU layout (L/R at +-30 degrees, C at 0, Ls/Rs at +-110) whose
// energy vector points at the source and whose total energy is even around the listener:
// the matrix of EnergyDecodeDesign.h (its method and measured figures are described there).
// LFE silent or the 120 Hz low-pass of W at a tenth of the level. Unity gain: a plane
// wave of amplitude s gives a total energy of about s^2 over the loudspeakers.
#pragma once

#include "surround/MatrixFiveOneDecoder.h"

namespace vq {

class EnergyFiveOneDecoder : public MatrixFiveOneDecoder {
public:
    explicit EnergyFiveOneDecoder(bool lowFreqsInLfe);
};

}  // namespace vq
