#include "surround/EnergyFiveOneDecoder.h"

#include "surround/EnergyDecodeDesign.h"

namespace vq {

EnergyFiveOneDecoder::EnergyFiveOneDecoder(bool lowFreqsInLfe)
    : MatrixFiveOneDecoder(EnergyDecodeMatrix(), lowFreqsInLfe)
{
}

}  // namespace vq
