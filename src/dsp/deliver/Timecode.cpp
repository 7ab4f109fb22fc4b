#include "deliver/Timecode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vq {

std::string FrameRate::Text() const
{
    return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

std::string TimecodeOf(std::uint64_t samples, int sampleRate, FrameRate rate)
{
    if (sampleRate <= 0 || !rate.Valid())
        return std::string();
    const std::uint64_t rateHz = static_cast<std::uint64_t>(sampleRate);
    const std::uint64_t seconds = samples / rateHz;
    const std::uint64_t framesPerSecond =
        static_cast<std::uint64_t>(std::max(1L, std::lround(static_cast<double>(rate.num) / rate.den)));
    const std::uint64_t frame = (samples % rateHz) * framesPerSecond / rateHz;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u:%02u", static_cast<unsigned>(seconds / 3600 % 24),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60),
                  static_cast<unsigned>(frame));
    return text;
}

std::optional<FrameRate> IxmlTimecodeRate(const std::vector<unsigned char>& ixml)
{
    const std::string text(ixml.begin(), ixml.end());
    const std::string open = "<TIMECODE_RATE>";
    const std::size_t start = text.find(open);
    if (start == std::string::npos)
        return std::nullopt;
    const char* value = text.c_str() + start + open.size();
    char* end = nullptr;
    FrameRate rate;
    rate.num = static_cast<int>(std::strtol(value, &end, 10));
    rate.den = *end == '/' ? static_cast<int>(std::strtol(end + 1, &end, 10)) : 1;
    if (*end != '<' || !rate.Valid())
        return std::nullopt;
    return rate;
}

}  // namespace vq
