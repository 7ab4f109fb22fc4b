#include "surround/VirtualMicFiveOneDecoder.h"

#include "common/EngineStatus.h"

namespace vq {

VirtualMicFiveOneDecoder::VirtualMicFiveOneDecoder(double openingAngleDegrees, bool lowFreqsInLfe)
    : MatrixFiveOneDecoder(MakeDecodeMatrix(openingAngleDegrees, 1.0), lowFreqsInLfe),
      m_openingAngle(openingAngleDegrees)
{
}

int VirtualMicFiveOneDecoder::CheckParameters() const
{
    // The comparisons are false for NaN as well.
    return m_openingAngle >= 0.0 && m_openingAngle <= 180.0 ? kStatusOk : kBadParameter;
}

}  // namespace vq
