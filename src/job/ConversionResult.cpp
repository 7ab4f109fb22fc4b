#include "ConversionResult.h"

#include "DecodeModes.h"
#include "StatusTable.h"

namespace vq {

std::string ConversionResult::Message() const
{
    return StatusMessage(status, filterMatrix, failure);
}

std::string ConversionResult::ClippingWarning() const
{
    if (clippedSamples <= 0)
        return std::string();
    const char* outputs = mode ? mode->outputsWord : "B-format";
    return std::to_string(clippedSamples) + " samples of the " + outputs +
           " output went beyond full scale and were clipped.\n"
           "A lower gain, Autorange or float output avoids it.";
}

}  // namespace vq
