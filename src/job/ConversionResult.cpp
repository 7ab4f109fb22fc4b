#include "ConversionResult.h"

#include "DecodeModes.h"
#include "StatusTable.h"

#include <cmath>
#include <cstdio>

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

std::optional<Loudness> ConversionResult::OverallLoudness() const
{
    if (programmeLoudness)
        return programmeLoudness;
    for (const WrittenOutput& output : outputs)
        if (output.loudness)
            return output.loudness;
    return std::nullopt;
}

std::string DescribeLoudness(const Loudness& loudness)
{
    char text[128];
    if (!std::isfinite(loudness.truePeakDbtp))
        return "silent";
    if (!std::isfinite(loudness.integratedLufs)) {
        // BS.1770 gates blocks of 0.4 s: a shorter or very quiet sound has no integrated loudness.
        std::snprintf(text, sizeof text, "too short or quiet for a loudness, true peak %.1f dBTP", loudness.truePeakDbtp);
        return text;
    }
    std::snprintf(text, sizeof text, "%.1f LUFS, LRA %.1f LU, true peak %.1f dBTP", loudness.integratedLufs,
                  loudness.rangeLu, loudness.truePeakDbtp);
    return text;
}

std::string DescribeNormalization(const NormalizeGain& gain, double targetLufs, double ceilingDbtp)
{
    char text[96];
    if (gain.silent)
        return "nothing to measure: left as it was";
    if (gain.peakLimited)
        std::snprintf(text, sizeof text, "%+.1f dB (held by the %.0f dBTP true-peak ceiling)", gain.gainDb, ceilingDbtp);
    else
        std::snprintf(text, sizeof text, "%+.1f dB to %.1f LUFS", gain.gainDb, targetLufs);
    return text;
}

}  // namespace vq
