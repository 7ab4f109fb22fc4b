// A take's start as the SMPTE timecode an editor lines a movie up by: the recorder's time
// reference (samples since midnight, from bext) as the time of day HH:MM:SS and the frame of
// that second, FF, at a frame rate: a clip's, else the one the recorder's iXML states
// (TIMECODE_RATE), else 25 frames a second.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vq {

struct FrameRate {
    int num = 25;
    int den = 1;

    bool Valid() const { return num > 0 && den > 0; }
    // "25", or "30000/1001" for a rate that is not a whole number of frames a second.
    std::string Text() const;
};

constexpr FrameRate kDefaultTimecodeRate{25, 1};

// "HH:MM:SS:FF": whole frames of the second at `rate` rounded to whole frames a second
// (non-drop-frame, as a 29.97 camera's NDF timecode counts 30), the hours within a day.
// Empty for a rate or sample rate that is not positive.
std::string TimecodeOf(std::uint64_t samples, int sampleRate, FrameRate rate);

// The TIMECODE_RATE an iXML chunk states ("25/1", "30000/1001"); none when it states none
// that can be read.
std::optional<FrameRate> IxmlTimecodeRate(const std::vector<unsigned char>& ixml);

}  // namespace vq
